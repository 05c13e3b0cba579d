#pragma once
// The own away status over time: a timer of "AwayTime" minutes (1..99) runs while "AwayMessage" is
// on; when it fires while the user is present, the user goes away (the timer keeps running, later
// firings change nothing). User activity (a send, a finished transfer, a reject) resets it: the
// timer stops, an away user becomes present, and the period counts again from then. The manual
// toggle switches between away and present; switching to present also restarts the period.
//
// Thread: GUI thread only.

#include <QTimer>
#include <chrono>
#include <functional>

#include "app/settings.h"
#include "chat/user_model.h"

namespace talvoro::ui {

class AwayTimer {
  public:
    using StatusReader = std::function<chat::OwnStatus()>;
    // Sends the own status to the server and keeps it.
    using StatusWriter = std::function<void(chat::OwnStatus)>;

    // `minute` is the length of one "AwayTime" unit; tests shorten it.
    AwayTimer(const app::Settings& settings, StatusReader status, StatusWriter setStatus,
              std::chrono::milliseconds minute = std::chrono::minutes(1));

    // Starts the timer when "AwayMessage" is on and none runs.
    void Arm();
    // The away reset after user activity.
    void Reset();
    // A running timer starts over (its period or the setting changed).
    void Restart();
    // The manual toggle (event 5).
    void Toggle();
    // For good: the session ends; Arm() does nothing afterwards.
    void Stop();
    bool Running() const { return timer_.isActive(); }

  private:
    void Fired();

    const app::Settings& settings_;
    StatusReader status_;
    StatusWriter setStatus_;
    std::chrono::milliseconds minute_;
    QTimer timer_;
    bool stopped_ = false;
};

}  // namespace talvoro::ui
