#include "ui/window_flash.h"

#include <QApplication>
#include <QWidget>

#include "ui/identifiers.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace {
constexpr int kHalfFlashMs = 500;
}

WindowFlash::WindowFlash(QWidget& window, const ImageStore& images, Alert alert)
    : window_(window), images_(images), alert_(std::move(alert)) {
    step_.setSingleShot(true);
    step_.setInterval(kHalfFlashMs);
    QObject::connect(&step_, &QTimer::timeout, &step_, [this] { Step(); });
}

bool WindowFlash::Start() {
    if (Running()) {
        return false;
    }
    phase_ = Phase::Alerting;
    window_.setWindowIcon(images_.Icon(app::image::kTrayBlink));
    if (alert_) {
        alert_(window_);
    } else {
        QApplication::alert(&window_, 2 * kHalfFlashMs);
    }
    step_.start();
    return true;
}

void WindowFlash::Step() {
    if (phase_ == Phase::Alerting) {
        window_.setWindowIcon(images_.Icon(app::image::kTrayNormal));
        phase_ = Phase::Settling;
        step_.start();
    } else {
        phase_ = Phase::Idle;
    }
}

}  // namespace talvoro::ui
