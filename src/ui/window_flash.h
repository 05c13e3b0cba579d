#pragma once
// One flash of the main window for a new message: the window's small icon turns to the alert
// picture (image 96) and the window asks for attention once; after 500 ms the icon is the normal
// picture (95) again, and after another 500 ms the flash is over. Only one flash runs at a time:
// a message that arrives during a flash starts none.
//
// Thread: GUI thread only.

#include <QTimer>
#include <functional>

class QWidget;

namespace talvoro::ui {

class ImageStore;

class WindowFlash {
  public:
    // How the window asks for attention; empty: QApplication::alert.
    using Alert = std::function<void(QWidget& window)>;

    WindowFlash(QWidget& window, const ImageStore& images, Alert alert = {});

    // Starts a flash; false when one runs already.
    bool Start();
    bool Running() const { return phase_ != Phase::Idle; }

  private:
    enum class Phase { Idle, Alerting, Settling };
    void Step();

    QWidget& window_;
    const ImageStore& images_;
    Alert alert_;
    QTimer step_;
    Phase phase_ = Phase::Idle;
};

}  // namespace talvoro::ui
