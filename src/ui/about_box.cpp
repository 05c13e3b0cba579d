#include "ui/about_box.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/date_time.h"
#include "app/process_state.h"
#include "ui/code_page_text.h"
#include "ui/dialog_host.h"
#include "ui/identifiers.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace {

constexpr int kAnimationDelayMs = 10;
constexpr char kMail[] = "info@oskvale.example";
constexpr char kWeb[] = "https://oskvale.example/talvoro";

QLabel* Picture(QWidget& parent, const ImageStore& images, int picture, int x) {
    auto* label = new QLabel(&parent);
    label->setGeometry(x, 86, 48, 48);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(images.Pixmap(picture));
    return label;
}

QLabel* Link(QWidget& parent, const QString& href, const QString& text, QRect rect) {
    auto* label = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), text.toHtmlEscaped()),
        &parent);
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignCenter);
    label->setOpenExternalLinks(true);  // the desktop's default handler
    return label;
}

QLabel* TextBlock(QWidget& parent, const QString& text, QRect rect) {
    auto* label = new QLabel(text, &parent);
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

}  // namespace

AboutBox::AboutBox(const ImageStore& images, std::int32_t now, QWidget* parent)
    : QDialog(parent), images_(images) {
    SetUpFixedDialog(*this, QStringLiteral("aboutBox"),
                     QStringLiteral("About Talvoro Client/Server"), QSize(260, 220),
                     TitleBar::TitleOnly);

    left_ = Picture(*this, images, app::image::kAboutFrame1, 7);
    right_ = Picture(*this, images, app::image::kAboutFrame4, 205);
    versionLine_ = ToQt(app::AboutVersionLine(app::kClientVersion, now));
    TextBlock(*this, versionLine_ + QStringLiteral("\nLAN chat client and server"),
              QRect(60, 10, 140, 60));
    Link(*this, QStringLiteral("mailto:") + QLatin1String(kMail), QLatin1String(kMail),
         QRect(60, 62, 140, 13));
    Link(*this, QLatin1String(kWeb), QStringLiteral("oskvale.example"), QRect(60, 75, 140, 13));
    TextBlock(*this,
              QStringLiteral("Chat, whisper, topics and file transfer for your local network.\n"
                             "No warranty of any kind."),
              QRect(60, 100, 140, 80));
    auto* ok = new QPushButton(QStringLiteral("Acknowledged"), this);
    ok->setGeometry(80, 186, 100, 25);
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString AboutBox::VersionLine() const {
    return versionLine_;
}

void AboutBox::ShowFrame(const app::AboutFrame& frame) {
    if (frame.leftPicture) {
        left_->setPixmap(images_.Pixmap(*frame.leftPicture));
    }
    if (frame.rightPicture) {
        right_->setPixmap(images_.Pixmap(*frame.rightPicture));
    }
    left_->move(left_->x(), frame.leftY);
    right_->move(right_->x(), frame.rightY);
}

AboutBox* OpenAboutBox(QWidget& main, app::ThreadSlots& workers, const ImageStore& images) {
    if (workers.Busy(app::slot::kAboutBox)) {
        return nullptr;
    }
    auto* box = new AboutBox(images, app::NowDateValue());
    ShowOverDisabledMain(main, *box);  // owns the box from here
    QObject::connect(box, &QObject::destroyed, &main,
                     [&workers] { workers.RequestStop(app::slot::kAboutBox); });
    workers.Start(app::slot::kAboutBox,
                  [&main, target = QPointer<AboutBox>(box)](std::stop_token stop) {
                      app::AboutAnimation animation(kAnimationDelayMs);
                      std::mutex mutex;
                      std::condition_variable_any wake;
                      while (!stop.stop_requested()) {
                          const app::AboutFrame frame = animation.Next();
                          // The pointer is only read on the GUI thread, where the box lives and
                          // dies.
                          QMetaObject::invokeMethod(
                              &main,
                              [target, frame] {
                                  if (target) {
                                      target->ShowFrame(frame);
                                  }
                              },
                              Qt::QueuedConnection);
                          std::unique_lock lock(mutex);
                          wake.wait_for(lock, stop, std::chrono::milliseconds(animation.DelayMs()),
                                        [] { return false; });
                      }
                  });
    return box;
}

}  // namespace talvoro::ui
