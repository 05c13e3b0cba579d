#include "ui/tool_bar.h"

#include <utility>

#include "ui/balloon_tip.h"
#include "ui/identifiers.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace cmd = app::cmd;
namespace img = app::image;

QString ToolTipTitle(int button) {
    switch (button) {
        case cmd::kWhisper:
            return QStringLiteral("Whisper  [Alt+W]");
        case cmd::kTransfer:
            return QStringLiteral("Transfer File  [Alt+T]");
        case cmd::kReject:
            return QStringLiteral("Reject  [Alt+R]");
        case cmd::kUserDetail:
            return QStringLiteral("User Detail  [Alt+D]");
        case cmd::kPreferences:
            return QStringLiteral("Preferences  [Alt+P]");
        default:
            return {};
    }
}

QString ToolTipText(int button) {
    switch (button) {
        case cmd::kWhisper:
            return QStringLiteral(
                "Send a private message to a user.\nRMB/<Shift> for groups.\n"
                "Ctrl+W to answer last private message.");
        case cmd::kTransfer:
            return QStringLiteral("Send a file to a user.\nRMB/<Shift> for groups.");
        case cmd::kReject:
            return QStringLiteral(
                "Reject messages and files from a user.\nRMB/<Shift> for groups.");
        case cmd::kUserDetail:
            return QStringLiteral("Show detailed user info.");
        case cmd::kPreferences:
            return QStringLiteral("Set your options.");
        default:
            return {};
    }
}

UserToolBar::UserToolBar(const ImageStore& images, Trigger trigger, QWidget* parent)
    : QToolBar(parent), trigger_(std::move(trigger)) {
    setIconSize(QSize(16, 16));
    setMovable(false);
    setFloatable(false);
    addSeparator();
    AddButton(images, cmd::kWhisper, img::kStripWhisper);
    AddButton(images, cmd::kTransfer, img::kStripTransfer);
    AddButton(images, cmd::kReject, img::kStripReject)->setCheckable(true);
    addSeparator();
    AddButton(images, cmd::kUserDetail, img::kStripUserDetail);
    addSeparator();
    AddButton(images, cmd::kPreferences, img::kStripPreferences);
    addSeparator();
    SetUserActions(chat::UserActions{});
}

QAction* UserToolBar::AddButton(const ImageStore& images, int event, int stripPosition) {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(images.StripPicture(img::kToolBarStrip,
                                                          img::kToolBarStripMask, stripPosition)),
                   QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(images.StripPicture(img::kToolBarStripDisabled,
                                                          img::kToolBarStripMask, stripPosition)),
                   QIcon::Disabled);
    QAction* action = addAction(icon, ToolTipTitle(event));
    action->setToolTip(BalloonTipHtml(ToolTipText(event), ToolTipTitle(event)));
    action->setData(event);
    connect(action, &QAction::triggered, this, [this, action, event] {
        // The pressed state of Reject follows the model, not the click.
        if (action->isCheckable()) {
            action->setChecked(rejectChecked_);
        }
        if (trigger_) {
            trigger_(event);
        }
    });
    actions_[event] = action;
    return action;
}

void UserToolBar::SetUserActions(const chat::UserActions& actions) {
    actions_.at(cmd::kWhisper)->setEnabled(actions.whisper);
    actions_.at(cmd::kTransfer)->setEnabled(actions.transfer);
    actions_.at(cmd::kReject)->setEnabled(actions.reject);
    actions_.at(cmd::kUserDetail)->setEnabled(actions.details);
    rejectChecked_ = actions.rejectChecked;
    actions_.at(cmd::kReject)->setChecked(rejectChecked_);
}

QAction* UserToolBar::ButtonAction(int event) const {
    const auto found = actions_.find(event);
    return found == actions_.end() ? nullptr : found->second;
}

int UserToolBar::ButtonAt(QPoint point) const {
    QAction* action = actionAt(point);
    return action == nullptr ? 0 : action->data().toInt();
}

}  // namespace talvoro::ui
