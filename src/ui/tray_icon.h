#pragma once
// The program's icon in the notification area: its picture (image 95, or 96 while it blinks), its
// tooltip, a left click (show/hide) and a right click (the tray menu). Where the desktop has no
// tray the icon is not shown, but its picture and tooltip are still kept, so the rules that drive
// it behave alike. GUI thread only.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace talvoro::ui {

class ImageStore;

class TrayIcon {
  public:
    TrayIcon(const ImageStore& images, std::function<void()> onLeftClick,
             std::function<void(QPoint globalPos)> onRightClick);
    ~TrayIcon();

    // Whether the desktop shows tray icons.
    bool Available() const { return icon_ != nullptr; }

    void ShowImage(int number);
    int Image() const { return image_; }
    void SetToolTip(const QString& text);
    QString ToolTip() const { return toolTip_; }

  private:
    const ImageStore& images_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    int image_ = 0;
    QString toolTip_;
};

}  // namespace talvoro::ui
