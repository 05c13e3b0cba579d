#pragma once
// The user tool bar (tool bar 1): Whisper (46), Transfer (47), Reject (48, stays pressed while the
// selected user is rejected), User Detail (50) and Preferences (49), with separators between the
// groups. Each button's tooltip carries its title with the shortcut and its fixed text lines.
// A click reports the button's event number; buttons follow the enabled per-user actions.
//
// Thread: GUI thread only.

#include <QToolBar>
#include <functional>
#include <map>

#include "chat/view_port.h"

class QToolButton;

namespace talvoro::ui {

class ImageStore;

// The tooltip title of a tool-bar button ("Whisper  [Alt+W]"); empty for any other number.
QString ToolTipTitle(int button);
// The tooltip text lines of a tool-bar button, separated by "\n"; empty for any other number.
QString ToolTipText(int button);

class UserToolBar : public QToolBar {
    Q_OBJECT
  public:
    using Trigger = std::function<void(int event)>;

    UserToolBar(const ImageStore& images, Trigger trigger, QWidget* parent = nullptr);

    // Enables Whisper, Transfer, Reject and User Detail and sets the Reject button's pressed
    // state. Preferences stays enabled.
    void SetUserActions(const chat::UserActions& actions);

    // The action of button `event` (46..50); null for another number.
    QAction* ButtonAction(int event) const;
    // The button under `point` (tool-bar coordinates): its event number, 0 when none.
    int ButtonAt(QPoint point) const;

  private:
    QAction* AddButton(const ImageStore& images, int event, int stripPosition);

    Trigger trigger_;
    std::map<int, QAction*> actions_;  // owned by the tool bar
    bool rejectChecked_ = false;
};

}  // namespace talvoro::ui
