#include "ui/tray_policy.h"

#include <QEvent>
#include <QMenu>
#include <functional>

#include "app/uptime.h"
#include "ui/code_page_text.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/tray_icon.h"
#include "ui/window_flash.h"

namespace talvoro::ui {

namespace {

constexpr char kBlinkTip[] = "Talvoro\nNew Message(s) Arrived!";

// Calls `restored` when the window comes back from the task bar by the desktop's own means (not
// through the show/hide toggle), so that "shown" stays true to what the user sees.
class RestoreWatcher : public QObject {
  public:
    RestoreWatcher(QWidget& window, std::function<void()> restored)
        : QObject(&window), window_(window), restored_(std::move(restored)) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::WindowStateChange &&
            !window_.isMinimized() && window_.isVisible()) {
            restored_();
        }
        return false;
    }

  private:
    QWidget& window_;
    std::function<void()> restored_;
};

}  // namespace

TrayPolicy::TrayPolicy(app::ProcessState& state, MainWindow& window, TrayIcon& tray,
                       WindowFlash& flash)
    : state_(state), window_(window), tray_(tray), flash_(flash) {
    window_.SetTrayAvailable(tray_.Available());
    window_.SetMinimizedHandler([this] { shownByMessage_ = false; });
    new RestoreWatcher(window_, [this] { Restored(); });  // owned by the window
}

void TrayPolicy::ToggleMainWindow() {
    if (state_.WindowShown) {
        Hide();
    } else {
        Show();
    }
    SetTrayTip();
}

void TrayPolicy::Hide() {
    state_.WindowShown = false;
    shownByMessage_ = false;
    const bool trayShown = tray_.Available();
    window_.SetTrayAvailable(trayShown);
    if (state_.settings.MinimizeToTray != 0) {
        if (trayShown) {
            window_.hide();
        } else {
            window_.showMinimized();  // without a tray the window must stay reachable
        }
    } else if (!window_.isVisible() && !trayShown) {
        window_.showMinimized();
    }
}

void TrayPolicy::Show() {
    state_.TrayImage = app::image::kTrayNormal;
    tray_.ShowImage(state_.TrayImage);
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
    state_.WindowShown = true;
    shownByMessage_ = false;
}

void TrayPolicy::Restored() {
    if (state_.WindowShown) {
        return;
    }
    state_.WindowShown = true;
    shownByMessage_ = false;
    state_.TrayImage = app::image::kTrayNormal;
    tray_.ShowImage(state_.TrayImage);
    SetTrayTip();
}

void TrayPolicy::SetTrayTip() {
    const app::Settings& settings = state_.settings;
    std::string tip = "Talvoro ";
    tip += state_.ServerRunning.load() ? "(Server" : "(Client";
    tip += state_.ServiceMode ? "/Service)" : ")";
    tip += "\n" + settings.UserName + "@" + settings.Host + ":" + std::to_string(settings.Port);
    tray_.SetToolTip(ToQt(tip));
}

void TrayPolicy::OnNewContent(const ArrivedMessage& message) {
    const app::Settings& settings = state_.settings;
    if (state_.WindowShown) {
        if (settings.ShowOnMessage != 0) {
            window_.raise();
            window_.activateWindow();
        }
        if (settings.FlashOnMessage != 0) {
            flash_.Start();  // none while one runs
        }
    } else if (settings.ShowOnMessage != 0) {
        ToggleMainWindow();
    } else {
        if (!shownByMessage_) {
            notified_ = false;
        }
        shownByMessage_ = true;
        waiting_ = message;
    }
}

void TrayPolicy::Tick() {
    if (!app::TrayShouldBlink(state_.WindowShown, shownByMessage_, state_.MessageCount)) {
        return;
    }
    state_.TrayImage = app::NextTrayImage(state_.TrayImage);
    tray_.ShowImage(state_.TrayImage);
    tray_.SetToolTip(QString::fromLatin1(kBlinkTip));
    if (!notified_) {
        notified_ = true;
        NotifyBlinking();
    }
}

void TrayPolicy::NotifyBlinking() {
    std::string text =
        waiting_.sender.empty() ? "New server message" : "New message from " + waiting_.sender;
    if (!waiting_.tabCaption.empty()) {
        text += " in \"" + waiting_.tabCaption + "\"";
    }
    tray_.Notify(QStringLiteral("Talvoro"), ToQt(text));
}

void TrayPolicy::TrayLeftClick() {
    if (window_.isEnabled()) {
        ToggleMainWindow();
    }
}

void TrayPolicy::ShowTrayMenu(QPoint globalPos) {
    if (!window_.isEnabled()) {
        return;  // a modal dialog is open
    }
    const std::unique_ptr<QMenu> menu = BuildTrayMenu(state_.ServiceMode);
    if (const int event = MenuEvent(menu->exec(globalPos)); event != 0) {
        window_.Dispatch(event);
    }
}

}  // namespace talvoro::ui
