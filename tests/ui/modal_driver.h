#pragma once
// Drives the dialogs that code under test opens: modal ones shown with exec() and modeless
// dialogs alike. A script of steps, each waiting for the active modal widget (or else a visible
// top-level dialog) with a given object name or window title and then acting on it (clicking,
// typing). A watchdog closes every modal widget once the deadline has passed, so a
// test whose script does not match what appears still ends. Test (GUI) thread only.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <deque>
#include <functional>
#include <vector>

namespace talvoro::ui::test {

class ModalDriver {
  public:
    using Action = std::function<void(QWidget& modal)>;

    explicit ModalDriver(std::chrono::milliseconds deadline = std::chrono::seconds(20))
        : deadline_(std::chrono::steady_clock::now() + deadline) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Poll(); });
        timer_.start();
    }

    // Adds a step: wait for the modal widget named `name` (object name or window title).
    ModalDriver& Then(QString name, Action action) {
        steps_.push_back({std::move(name), std::move(action)});
        return *this;
    }

    // The names of the modal widgets seen, in order (one entry per step taken or unexpected
    // widget closed).
    const std::vector<QString>& Seen() const { return seen_; }
    bool AllStepsTaken() const { return steps_.empty(); }
    bool TimedOut() const { return timedOut_; }

  private:
    struct Step {
        QString name;
        Action action;
    };

    static bool Matches(const QWidget& widget, const QString& name) {
        return widget.objectName() == name || widget.windowTitle() == name;
    }

    // The active modal widget, or else a visible top-level dialog named as the next step wants.
    QWidget* Candidate() const {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            return modal;
        }
        if (steps_.empty()) {
            return nullptr;
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && qobject_cast<QDialog*>(widget) != nullptr &&
                Matches(*widget, steps_.front().name)) {
                return widget;
            }
        }
        return nullptr;
    }

    void Poll() {
        QWidget* modal = Candidate();
        if (std::chrono::steady_clock::now() > deadline_) {
            timedOut_ = true;
            if (modal != nullptr) {
                seen_.push_back(QStringLiteral("(closed by watchdog) ") + modal->windowTitle());
                modal->close();
            }
            return;
        }
        if (modal == nullptr || modal == lastHandled_ || !modal->isVisible()) {
            return;
        }
        if (steps_.empty() || !Matches(*modal, steps_.front().name)) {
            return;  // not what the script waits for (yet)
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        seen_.push_back(step.name);
        lastHandled_ = modal;
        // Act outside the timer's slot, from the modal's own event loop.
        QTimer::singleShot(0, modal, [modal, action = std::move(step.action)] { action(*modal); });
    }

    QTimer timer_;
    std::deque<Step> steps_;
    std::vector<QString> seen_;
    std::chrono::steady_clock::time_point deadline_;
    QPointer<QWidget> lastHandled_;  // null again once that dialog is gone
    bool timedOut_ = false;
};

}  // namespace talvoro::ui::test
