#pragma once
// The keyboard shortcuts of the main window, each bound to an event number. Shortcuts match the
// exact modifier state (Alt+W and Alt+Shift+W are different shortcuts). The per-user shortcuts
// follow the enabled per-user actions, and the tab shortcuts Alt+2..Alt+4 exist only while their
// tab does. Return in the message field is handled by the field itself (MessageField).
//
// Thread: GUI thread only.

#include <QKeySequence>
#include <QObject>
#include <functional>
#include <map>
#include <vector>

#include "chat/view_port.h"

class QShortcut;
class QWidget;

namespace talvoro::ui {

struct ShortcutBinding {
    QKeySequence keys;
    int event = 0;
};

// The fixed shortcuts registered when the window is built (Alt+Q is left out in service mode).
std::vector<ShortcutBinding> MainShortcutTable(bool serviceMode);

class MainShortcuts {
  public:
    // Receives the event number and the modifiers of the shortcut's keys (Shift in Alt+Shift+W
    // picks the group variant).
    using Trigger = std::function<void(int event, Qt::KeyboardModifiers modifiers)>;

    // Creates the shortcuts as children of `window`; `trigger` receives the events.
    MainShortcuts(QWidget& window, bool serviceMode, Trigger trigger);

    // Enables Alt+D, Alt+R, Alt+W, Alt+T and Alt+Shift+T as the selected row allows.
    void SetUserActions(const chat::UserActions& actions);
    // Enables Alt+1 .. Alt+(count) for the tabs left of "Private Group" (count 1..4).
    void SetTopicTabCount(int count);

    // The shortcut bound to `keys`; null when none is.
    QShortcut* Find(const QKeySequence& keys) const;
    // Whether a shortcut for `keys` exists and is enabled.
    bool IsEnabled(const QKeySequence& keys) const;

  private:
    QShortcut* Add(QWidget& window, const QKeySequence& keys, int event);

    Trigger trigger_;
    std::map<QString, QShortcut*> byKeys_;  // owned by the window (Qt parent)
};

}  // namespace talvoro::ui
