#include "ui/tray_icon.h"

#include <QCursor>
#include <QSystemTrayIcon>

#include "app/identifiers.h"
#include "ui/images.h"

namespace talvoro::ui {

TrayIcon::TrayIcon(const ImageStore& images, std::function<void()> onLeftClick,
                   std::function<void(QPoint)> onRightClick)
    : images_(images) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    icon_ = std::make_unique<QSystemTrayIcon>();
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

void TrayIcon::ShowImage(int number) {
    image_ = number;
    if (icon_) {
        icon_->setIcon(images_.Icon(number));
    }
}

void TrayIcon::SetToolTip(const QString& text) {
    toolTip_ = text;
    if (icon_) {
        icon_->setToolTip(text);
    }
}

}  // namespace talvoro::ui
