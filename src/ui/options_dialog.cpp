#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "ui/balloon_tip.h"
#include "ui/code_page_text.h"
#include "ui/dialog_host.h"
#include "ui/identifiers.h"

namespace talvoro::ui {

namespace {

using Form = app::OptionsForm;

constexpr int kCheckWidth = 160;
constexpr int kRowHeight = 17;

struct CheckBoxPlace {
    const char* label;
    int x;
    int y;
    int width;
    bool Form::*field;
    const char* tipTitle;
    const char* tipText;
};

constexpr CheckBoxPlace kChecks[] = {
    {"Auto logon to server", 11, 21, kCheckWidth, &Form::autoLogon, "Auto Logon",
     "Automatically logon to the server at startup."},
    {"Minimize to tray", 11, 38, kCheckWidth, &Form::minimizeToTray, "Tray Minimize",
     "Minimize to tray instead of taskbar."},
    {"Start minimized", 11, 55, kCheckWidth, &Form::hidden, "Start Minimized",
     "Don't show main window after startup."},
    {"Restore ScrollLock status", 11, 72, kCheckWidth, &Form::restoreScrollLock,
     "Restore ScrollLock", "Save ScrollLock status at exit and restore it at startup."},
    {"Save session text on exit", 11, 89, kCheckWidth, &Form::autoSaveSession, "Auto Save Session",
     "Save full session messages/text on exit as RichText file.\n"
     "Automatically enabled if started as server."},
    {"Last size/position at startup", 11, 106, kCheckWidth, &Form::winPos, "Last Size/Position",
     "Use last saved main window position and size (after startup)."},
    {"Minimize on close", 11, 123, kCheckWidth, &Form::closeMin, "Close Button Minimize",
     "Close button doesn't exit but minimizes to tray."},
    {"Play message sound", 191, 21, kCheckWidth, &Form::messageSound, "Message Sound",
     "Play a sound after receiving a message."},
    {"Flash window with message", 191, 38, kCheckWidth, &Form::flashOnMessage, "Flash Window",
     "Flash window when new message arrives."},
    {"Use colored user list", 191, 55, kCheckWidth, &Form::listUserColors, "User Colored List",
     "List users with their respective user colors."},
    {"Switch off extra balloon tips", 191, 72, kCheckWidth, &Form::balloonTipsOff,
     "Balloon Tips Off",
     "Don't popup extra balloon tips in main chat window.\n(Online help is off at restart)"},
    {"Don't autoscroll if hidden", 191, 89, kCheckWidth, &Form::noScrollHidden,
     "No Hidden Autoscroll", "If minimized to tray, don't autoscroll in message window."},
    {"Always show message time", 191, 106, kCheckWidth, &Form::alwaysMessTime, "Local Message Time",
     "Always show local message time in front of messages."},
    {"Show window with message", 191, 123, kCheckWidth, &Form::showOnMessage, "Show Main Window",
     "Show main window when new message arrives."},
    {"Disable file receive", 11, 166, kCheckWidth, &Form::fileReceiveOff, "No File Receive",
     "Don't except files from other users."},
    {"Auto open transfer directory", 17, 183, kCheckWidth, &Form::autoOpen, "Auto Open",
     "Open the transfer directory after receiving a file."},
    {"Auto play/show received files", 17, 200, kCheckWidth, &Form::autoPlay, "Auto Play",
     "Open file with associated application after receiving it. (mp3|wav|bmp|gif|jpg|tif|png)"},
    {"Auto run in server mode", 191, 166, kCheckWidth, &Form::serverMode, "Server Mode",
     "Bypass all logon dialogs and run as server immediately."},
    {"Send Keep-Alive after", 191, 183, 122, &Form::keepAlive, "Keep-Alive Cycle",
     "Server sends Keep-Alive signal after last message has been sent. Cycle range is between 10 "
     "and 9999 seconds."},
    {"Trace whispered messages", 191, 200, kCheckWidth, &Form::traceWhisper,
     "Trace Whispered Messages",
     "Show all whispered messages to all users in the server message window. This feature "
     "definitely violates user privacy!"},
    {"Send away message after", 11, 243, 145, &Form::awayMessage, "Away Message",
     "Sends an away message after the configured time of user inactivity.\n"
     "User color will be set to 'disabled' (only for colored user lists)."},
};

struct FrameSpec {
    const char* title;
    QRect rect;
};

const FrameSpec kFrames[] = {
    {"Startup / Exit", QRect(5, 5, 175, 139)}, {"Visuals / Sounds", QRect(185, 5, 175, 139)},
    {"File Handling", QRect(5, 149, 175, 72)}, {"Server Functions", QRect(185, 149, 175, 72)},
    {"Away Message", QRect(5, 226, 355, 57)},
};

QLineEdit* DigitsField(QWidget& parent, const QString& text, int maxDigits, QRect rect) {
    auto* field = new QLineEdit(text, &parent);
    field->setMaxLength(maxDigits);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(maxDigits)), field));
    field->setGeometry(rect);
    return field;
}

}  // namespace

OptionsDialog::OptionsDialog(const app::Settings& settings, bool serverRunning, QWidget* parent)
    : QDialog(parent), serverRunning_(serverRunning) {
    SetUpFixedDialog(*this, QStringLiteral("optionsDialog"), QStringLiteral("Set Options ..."),
                     QSize(365, 322), TitleBar::WithClose);
    const Form form = app::OptionsFormOf(settings);
    BuildFrames();
    BuildChecks(form);
    BuildFields(form);
    BuildButtons();
    FitLayoutToFont(*this);

    // Initial enabling.
    EnableFileChecks();
    Check(&Form::keepAlive)->setEnabled(serverRunning_);
    Check(&Form::traceWhisper)->setEnabled(serverRunning_);
    cycle_->setEnabled(serverRunning_ && form.keepAlive);
    EnableAwayControls();

    // Live enabling.
    connect(Check(&Form::fileReceiveOff), &QCheckBox::clicked, this,
            [this] { EnableFileChecks(); });
    connect(Check(&Form::keepAlive), &QCheckBox::clicked, this,
            [this](bool ticked) { cycle_->setEnabled(ticked); });
    connect(Check(&Form::awayMessage), &QCheckBox::clicked, this, [this] { EnableAwayControls(); });
}

void OptionsDialog::BuildFrames() {
    for (const FrameSpec& frame : kFrames) {
        auto* box = new QGroupBox(QString::fromLatin1(frame.title), this);
        box->setGeometry(frame.rect);
    }
}

void OptionsDialog::BuildChecks(const Form& form) {
    for (const CheckBoxPlace& place : kChecks) {
        auto* box = new QCheckBox(QString::fromLatin1(place.label), this);
        box->setGeometry(place.x, place.y, place.width, kRowHeight);
        box->setChecked(form.*place.field);
        AddBalloonTip(*box, QString::fromLatin1(place.tipText),
                      QString::fromLatin1(place.tipTitle));
        checks_.emplace_back(place.field, box);
    }
}

void OptionsDialog::BuildFields(const Form& form) {
    cycle_ = DigitsField(*this, QString::fromStdString(form.keepAliveCycle), 4,
                         QRect(315, 183, 32, kRowHeight));
    cycle_->setObjectName(QStringLiteral("keepAliveCycle"));
    minutes_ = DigitsField(*this, QString::fromStdString(form.awayMinutes), 2,
                           QRect(156, 241, 20, kRowHeight));
    minutes_->setObjectName(QStringLiteral("awayMinutes"));
    minutesLabel_ = new QLabel(QStringLiteral("minute(s) of user inactivity:"), this);
    minutesLabel_->setGeometry(179, 243, 160, kRowHeight);
    awayText_ = new QLineEdit(ToQt(form.awayText), this);
    awayText_->setObjectName(QStringLiteral("awayText"));
    awayText_->setMaxLength(64);
    awayText_->setGeometry(11, 260, 343, kRowHeight);
    AddBalloonTip(*awayText_,
                  QStringLiteral("Display this text when an user away status changes to ON "
                                 "(locally only).\nClear the string to suppress the message."),
                  QStringLiteral("Away text"));
}

void OptionsDialog::BuildButtons() {
    QPushButton* save = PlaceButton(*this, QStringLiteral("Save"), QRect(5, 288, 90, 30),
                                    QStringLiteral("Save Options"),
                                    QStringLiteral("Make your settings valid and save them."));
    save->setObjectName(QStringLiteral("saveButton"));
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* cancel = PlaceButton(*this, QStringLiteral("Cancel"), QRect(270, 288, 90, 30),
                                      QStringLiteral("Cancel Options"),
                                      QStringLiteral("Don't use this (new) settings."));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void OptionsDialog::EnableFileChecks() {
    const bool receive = !Check(&Form::fileReceiveOff)->isChecked();
    Check(&Form::autoOpen)->setEnabled(receive);
    Check(&Form::autoPlay)->setEnabled(receive);
}

void OptionsDialog::EnableAwayControls() {
    const bool on = Check(&Form::awayMessage)->isChecked();
    minutes_->setEnabled(on);
    minutesLabel_->setEnabled(on);
    awayText_->setEnabled(on);
}

QCheckBox* OptionsDialog::Check(bool Form::*field) const {
    for (const auto& [bound, box] : checks_) {
        if (bound == field) {
            return box;
        }
    }
    return nullptr;
}

Form OptionsDialog::CurrentForm() const {
    app::OptionsForm form;
    for (const auto& [field, box] : checks_) {
        form.*field = box->isChecked();
    }
    form.keepAliveCycle = cycle_->text().toStdString();
    form.awayMinutes = minutes_->text().toStdString();
    form.awayText = FromQt(awayText_->text());
    return form;
}

void RunOptionsEffects(const std::vector<app::OptionsEffect>& effects,
                       const OptionsActions& actions) {
    using app::OptionsEffect;
    const auto run = [](const std::function<void()>& action) {
        if (action) {
            action();
        }
    };
    for (const OptionsEffect effect : effects) {
        switch (effect) {
            case OptionsEffect::RebuildUserList:
                run(actions.rebuildUserList);
                break;
            case OptionsEffect::StartFileServer:
                run(actions.startFileServer);
                break;
            case OptionsEffect::SendFileReceiveRefused:
                run(actions.stopFileServer);
                [[fallthrough]];
            case OptionsEffect::SendFileReceiveAllowed:
                if (actions.sendFileReceiveStatus) {
                    actions.sendFileReceiveStatus(effect == OptionsEffect::SendFileReceiveRefused);
                }
                break;
            case OptionsEffect::StopKeepAlive:
                run(actions.stopKeepAlive);
                break;
            case OptionsEffect::RestartAwayTimer:
                run(actions.restartAwayTimer);
                break;
            case OptionsEffect::AwayReset:
                run(actions.awayReset);
                break;
        }
    }
}

OptionsDialog* OpenOptionsDialog(QWidget& main, app::ProcessState& state, OptionsActions actions) {
    auto* dialog = new OptionsDialog(state.settings, state.ServerRunning.load());  // see below
    QObject::connect(dialog, &QDialog::accepted, &main,
                     [&state, dialog, actions = std::move(actions)] {
                         const std::vector<app::OptionsEffect> effects = app::ApplyOptions(
                             state.settings, dialog->CurrentForm(), state.ServerRunning.load());
                         RunOptionsEffects(effects, actions);
                         if (actions.saveSettings) {
                             actions.saveSettings();
                         }
                     });
    ShowOverDisabledMain(main, *dialog);  // owns the dialog from here
    return dialog;
}

}  // namespace talvoro::ui
