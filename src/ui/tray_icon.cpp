#include "ui/tray_icon.h"

#include <QCursor>
#include <QSystemTrayIcon>

#include "ui/identifiers.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace {
constexpr int kNotificationMs = 8000;
}

TrayIcon::TrayIcon(const ImageStore& images, std::function<void()> onLeftClick,
                   std::function<void(QPoint)> onRightClick)
    : images_(images), icon_(std::make_unique<QSystemTrayIcon>()) {
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [left = std::move(onLeftClick),
                      right = std::move(onRightClick)](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && left) {
                             left();
                         } else if (reason == QSystemTrayIcon::Context && right) {
                             right(QCursor::pos());
                         }
                     });
    ShowImage(app::image::kTrayNormal);
    icon_->show();
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::Available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::ShowImage(int number) {
    image_ = number;
    icon_->setIcon(images_.Icon(number));
}

void TrayIcon::SetToolTip(const QString& text) {
    toolTip_ = text;
    icon_->setToolTip(text);
}

bool TrayIcon::Notify(const QString& title, const QString& text) {
    if (!Available() || !QSystemTrayIcon::supportsMessages()) {
        return false;
    }
    icon_->showMessage(title, text, images_.Icon(app::image::kTrayBlink), kNotificationMs);
    return true;
}

}  // namespace talvoro::ui
