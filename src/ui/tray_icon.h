#pragma once
// The program's icon in the notification area: its picture (image 95, or 96 while it blinks), its
// tooltip, a left click (show/hide), a right click (the tray menu) and desktop notifications. The
// icon is kept for the whole session even while the desktop shows no tray: the toolkit adds it
// when a tray host appears and again after the tray host restarts, with the picture and tooltip
// set last. GUI thread only.

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
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Whether the desktop shows tray icons now.
    bool Available() const;

    void ShowImage(int number);
    int Image() const { return image_; }
    void SetToolTip(const QString& text);
    QString ToolTip() const { return toolTip_; }

    // Posts a desktop notification from the icon; false (and nothing shown) where the desktop has
    // no tray or no notification service.
    bool Notify(const QString& title, const QString& text);

  private:
    const ImageStore& images_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    int image_ = 0;
    QString toolTip_;
};

}  // namespace talvoro::ui
