#pragma once
// A script of steps run from the event loop, for code under test that runs loops of its own
// (dialogs shown with exec(), the run procedure). Each step waits, polled every 5 ms, for its
// condition, then acts from an event of its own, so that an action may open a modal dialog. After
// 20 s the script closes the modal widgets and calls its give-up action, so that a test whose
// script does not match what happens still ends. Test (GUI) thread only.

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace talvoro::ui::test {

class EventScript {
  public:
    using DialogAction = std::function<void(QWidget& dialog)>;

    explicit EventScript(std::function<void()> giveUp = {})
        : giveUp_(std::move(giveUp)),
          deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(20)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Poll(); });
        timer_.start();
    }

    EventScript& Step(std::string name, std::function<bool()> ready,
                      std::function<void()> act = {}) {
        steps_.push_back({std::move(name), std::move(ready), std::move(act)});
        return *this;
    }

    // Waits for the active modal widget whose object name or window title is `name` (not the one
    // the previous dialog step acted on).
    EventScript& Dialog(const QString& name, DialogAction action) {
        auto found = std::make_shared<QPointer<QWidget>>();
        return Step(
            name.toStdString(),
            [this, name, found] {
                *found = Find(name);
                lastDialog_ = found->isNull() ? lastDialog_ : *found;
                return !found->isNull();
            },
            [found, action = std::move(action)] {
                if (!found->isNull()) {
                    action(**found);
                }
            });
    }

    bool Finished() const { return next_ == steps_.size(); }
    bool TimedOut() const { return timedOut_; }
    // The step that is still waiting ("" when all were taken).
    std::string Waiting() const { return Finished() ? "" : steps_[next_].name; }

  private:
    struct Entry {
        std::string name;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    QWidget* Find(const QString& name) const {
        QWidget* modal = QApplication::activeModalWidget();
        const bool named = modal != nullptr && modal->isVisible() &&
                           (modal->objectName() == name || modal->windowTitle() == name);
        return named && modal != lastDialog_ ? modal : nullptr;
    }

    void Poll() {
        if (std::chrono::steady_clock::now() > deadline_) {
            timedOut_ = true;
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
            if (giveUp_) {
                giveUp_();
            }
        } else if (!Finished() && steps_[next_].ready()) {
            // Act outside the timer's slot: the action may run a loop of its own.
            if (std::function<void()> act = std::move(steps_[next_++].act)) {
                QTimer::singleShot(0, &timer_, std::move(act));
            }
        }
    }

    std::function<void()> giveUp_;
    std::chrono::steady_clock::time_point deadline_;
    QTimer timer_;
    std::vector<Entry> steps_;
    std::size_t next_ = 0;
    QPointer<QWidget> lastDialog_;  // null again once that dialog is gone
    bool timedOut_ = false;
};

// A dialog action that clicks the push button named `button`, or closes the dialog without one.
inline EventScript::DialogAction Pressing(const char* button) {
    return [button](QWidget& dialog) {
        if (auto* found = dialog.findChild<QPushButton*>(QString::fromLatin1(button))) {
            QTest::mouseClick(found, Qt::LeftButton);
        } else {
            dialog.close();
        }
    };
}

}  // namespace talvoro::ui::test
