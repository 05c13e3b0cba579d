#include "ui/logon_dialog.h"

#include <QColorDialog>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <utility>

#include "net/host_info.h"
#include "ui/balloon_tip.h"
#include "ui/code_page_text.h"
#include "ui/color_ref.h"

namespace talvoro::ui {

// The clickable "Text Sample" picture: the window background with the sample text centred in the
// user's font and colour.
class ColorSample : public QWidget {
  public:
    ColorSample(const QFont& font, QColor color, std::function<void()> onClick, QWidget* parent)
        : QWidget(parent), font_(font), color_(color), onClick_(std::move(onClick)) {
        setFixedSize(85, 20);
        setCursor(Qt::PointingHandCursor);
    }

    void SetColor(QColor color) {
        color_ = color;
        update();
    }
    QColor color() const { return color_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        painter.setFont(font_);
        painter.setPen(color_);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Text Sample"));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            onClick_();
        }
    }

  private:
    QFont font_;
    QColor color_;
    std::function<void()> onClick_;
};

namespace {

// Drops the characters the alias and host fields refuse, whether typed or pasted.
class RefusedCharacterValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        for (int i = static_cast<int>(input.size()) - 1; i >= 0; --i) {
            const char16_t c = input[i].unicode();
            if (c < 0x80 && app::IsRefusedLogonCharacter(static_cast<char>(c))) {
                input.remove(i, 1);
                if (i < pos) {
                    --pos;
                }
            }
        }
        return Acceptable;
    }
};

// Keeps only the digits of the port field.
class DigitsValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        for (int i = static_cast<int>(input.size()) - 1; i >= 0; --i) {
            if (!input[i].isDigit() || input[i].unicode() > 0x7F) {
                input.remove(i, 1);
                if (i < pos) {
                    --pos;
                }
            }
        }
        return Acceptable;
    }
};

QLineEdit* MakeField(const QString& name, const QString& text, int maxLength, QValidator* validator,
                     QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaxLength(maxLength);
    field->setValidator(validator);
    field->setText(text);
    return field;
}

}  // namespace

LogonDialogServices DesktopLogonServices() {
    LogonDialogServices services;
    services.chooseColor = [](QColor initial, QWidget* parent) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid()) {
            return std::nullopt;
        }
        return chosen;
    };
    services.addresses = [] {
        std::vector<std::string> dotted;
        for (std::uint32_t address : net::NetHostAddresses()) {
            dotted.push_back(net::NetAddressString(address));
        }
        return dotted;
    };
    services.hostName = [] { return net::NetHostName(); };
    return services;
}

LogonDialog::LogonDialog(const app::Settings& settings, LogonDialogServices services,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      services_(std::move(services)),
      addressCycle_(services_.addresses, services_.hostName),
      color_(settings.Color) {
    setWindowTitle(QStringLiteral("Client/Server Information"));
    setObjectName(QStringLiteral("logonDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildFields(settings));
    layout->addLayout(BuildButtons());
    userName_->setFocus();
}

LogonDialog::~LogonDialog() = default;

QWidget* LogonDialog::BuildFields(const app::Settings& settings) {
    auto* frame = new QGroupBox(this);
    auto* grid = new QGridLayout(frame);

    userName_ = MakeField(QStringLiteral("userNameField"), ToQt(settings.UserName),
                          app::kMaxAliasLength, new RefusedCharacterValidator(this), frame);
    AddBalloonTip(*userName_, QStringLiteral("Enter your user alias."),
                  QStringLiteral("Client Name"));
    grid->addWidget(new QLabel(QStringLiteral("User Name:"), frame), 0, 0, 1, 2);
    grid->addWidget(userName_, 1, 0, 1, 2);

    host_ = MakeField(QStringLiteral("hostField"), ToQt(settings.Host), app::kMaxHostLength,
                      new RefusedCharacterValidator(this), frame);
    AddBalloonTip(*host_, QStringLiteral("Enter the server IP address or hostname."),
                  QStringLiteral("Server IP"));
    myIp_ = new QPushButton(QStringLiteral("MyIP"), frame);
    myIp_->setObjectName(QStringLiteral("myIpButton"));
    myIp_->setAutoDefault(false);
    AddBalloonTip(*myIp_, QStringLiteral("Toggle through your IP addresses and hostname."),
                  QStringLiteral("Client IP"));
    connect(myIp_, &QPushButton::clicked, this, &LogonDialog::NextOwnAddress);
    auto* hostRow = new QHBoxLayout;
    hostRow->addWidget(host_, 1);
    hostRow->addWidget(myIp_);
    grid->addWidget(new QLabel(QStringLiteral("IP-Address or Hostname:"), frame), 2, 0, 1, 2);
    grid->addLayout(hostRow, 3, 0, 1, 2);

    port_ = MakeField(QStringLiteral("portField"), QString::number(settings.Port),
                      app::kMaxPortDigits, new DigitsValidator(this), frame);
    AddBalloonTip(
        *port_,
        QStringLiteral(
            "Enter the server port to connect to.\nUse e.g. 80 to tunnel through firewalls."),
        QStringLiteral("Server Port"));
    QFont sampleFont(ToQt(settings.Font));
    sampleFont.setPointSize(settings.FontSize > 0 ? settings.FontSize : 9);
    sample_ = new ColorSample(
        sampleFont, QColorFromColorRef(color_), [this] { ChooseColor(); }, frame);
    sample_->setObjectName(QStringLiteral("colorSample"));
    AddBalloonTip(*sample_,
                  QStringLiteral("Left mouse button to choose your favourite text color."),
                  QStringLiteral("User color"));
    grid->addWidget(new QLabel(QStringLiteral("Port:"), frame), 4, 0);
    grid->addWidget(new QLabel(QStringLiteral("User Color:"), frame), 4, 1);
    grid->addWidget(port_, 5, 0);
    grid->addWidget(sample_, 5, 1);
    return frame;
}

QLayout* LogonDialog::BuildButtons() {
    connect_ = new QPushButton(QStringLiteral("Connect"), this);
    connect_->setObjectName(QStringLiteral("connectButton"));
    connect_->setDefault(true);
    AddBalloonTip(*connect_, QStringLiteral("Try to logon to server."),
                  QStringLiteral("Start Logon"));
    connect(connect_, &QPushButton::clicked, this, &QDialog::accept);

    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);
    AddBalloonTip(*cancel_, QStringLiteral("Exit program, give up."),
                  QStringLiteral("Quit Program"));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(connect_);
    row->addStretch(1);
    row->addWidget(cancel_);
    return row;
}

app::LogonFields LogonDialog::Fields() const {
    return {FromQt(userName_->text()), FromQt(host_->text()), FromQt(port_->text())};
}

void LogonDialog::showEvent(QShowEvent* event) {
    addressCycle_.Reset();
    QDialog::showEvent(event);
}

void LogonDialog::ChooseColor() {
    if (!services_.chooseColor) {
        return;
    }
    const std::optional<QColor> chosen = services_.chooseColor(QColorFromColorRef(color_), this);
    if (!chosen) {
        return;
    }
    const std::int32_t background = ColorRefFromQColor(palette().color(QPalette::Base));
    color_ = app::ApplyContrastRule(ColorRefFromQColor(*chosen), background);
    sample_->SetColor(QColorFromColorRef(color_));
}

void LogonDialog::NextOwnAddress() {
    host_->setText(ToQt(addressCycle_.Next()));
}

}  // namespace talvoro::ui
