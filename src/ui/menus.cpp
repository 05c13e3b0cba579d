#include "ui/menus.h"

#include "ui/code_page_text.h"
#include "ui/identifiers.h"

namespace talvoro::ui {

namespace cmd = app::cmd;

namespace {

QAction* AddItem(QMenu& menu, const QString& text, int event, bool enabled = true) {
    QAction* action = menu.addAction(text);
    action->setData(event);
    action->setEnabled(enabled);
    return action;
}

void AddGroupMenu(QMenu& menu) {
    QMenu* group = menu.addMenu(QStringLiteral("Group"));
    AddItem(*group, QStringLiteral("Whisper"), cmd::kGroupWhisper);
    AddItem(*group, QStringLiteral("Transfer"), cmd::kGroupTransfer);
    AddItem(*group, QStringLiteral("Reject"), cmd::kGroupReject);
    group->addSeparator();
    AddItem(*group, QStringLiteral("Select All"), cmd::kTickAll);
    AddItem(*group, QStringLiteral("Clear All"), cmd::kUntickAll);
}

void AddOwnItems(QMenu& menu) {
    AddItem(menu, QStringLiteral("&Open Transfer Dir\tAlt+O"), cmd::kOpenTransferDir);
    menu.addSeparator();
    AddItem(menu, QStringLiteral("Toggle Awa&y Status\tAlt+Y"), cmd::kToggleAway);
}

enum class UserSubmenu { Details, Transfer, Whisper, Reject, Kick, Ban };

// One item per user (base + row), the own user only in "User Details".
void AddUserSubmenu(QMenu& menu, const QString& title, int base, UserSubmenu kind,
                    const MenuContext& context) {
    QMenu* sub = menu.addMenu(title);
    for (std::size_t r = 0; r < context.users.size(); ++r) {
        const MenuUser& user = context.users[r];
        if (kind != UserSubmenu::Details && user.name == context.ownName) {
            continue;
        }
        QAction* item = AddItem(*sub, ToQt(user.name), base + static_cast<int>(r));
        if (kind == UserSubmenu::Transfer) {
            item->setEnabled(!user.noFileReceive && !context.fileSending);
        } else if (kind == UserSubmenu::Whisper) {
            item->setEnabled(!user.rejectsMe);
        } else if (kind == UserSubmenu::Reject) {
            item->setCheckable(true);
            item->setChecked(user.rejected);
        }
    }
}

}  // namespace

int MenuEvent(const QAction* action) {
    return action == nullptr ? 0 : action->data().toInt();
}

std::unique_ptr<QMenu> BuildTrayMenu(bool serviceMode) {
    auto menu = std::make_unique<QMenu>();
    AddItem(*menu, QStringLiteral("&About\tAlt-A"), cmd::kAbout);
    menu->addSeparator();
    AddItem(*menu, QStringLiteral("&Hide/Show\tAlt-H"), cmd::kHideShow);
    AddItem(*menu, QStringLiteral("&Open Transfer Dir\tAlt-O"), cmd::kOpenTransferDir);
    menu->addSeparator();
    AddItem(*menu, QStringLiteral("Toggle Awa&y Status\tAlt-Y"), cmd::kToggleAway);
    menu->addSeparator();
    AddItem(*menu, QStringLiteral("&Quit\tAlt-Q"), cmd::kQuit, !serviceMode);
    return menu;
}

std::unique_ptr<QMenu> BuildTextViewMenu() {
    auto menu = std::make_unique<QMenu>();
    AddItem(*menu, QStringLiteral("&Find Text\tAlt-F"), cmd::kFindText);
    menu->addSeparator();
    QMenu* selection = menu->addMenu(QStringLiteral("Selection"));
    AddItem(*selection, QStringLiteral("Select All\tCtrl-A"), cmd::kSelectAll);
    AddItem(*selection, QStringLiteral("Clear Selection"), cmd::kClearSelection);
    selection->addSeparator();
    AddItem(*selection, QStringLiteral("&Copy to Clipboard\tCtrl-C"), cmd::kCopy);
    menu->addSeparator();
    AddItem(*menu, QStringLiteral("&Save Session\tAlt-S"), cmd::kSaveSession);
    return menu;
}

std::unique_ptr<QMenu> BuildTopicMenu(const MenuContext& context) {
    auto menu = std::make_unique<QMenu>();
    AddItem(*menu, QStringLiteral("Topic &Info\tAlt+I"), cmd::kTopicInfo);
    menu->addSeparator();
    AddItem(*menu, QStringLiteral("&Clear Topic Content\tAlt+C"), cmd::kClearTopic);
    menu->addSeparator();
    QAction* privateGroup =
        AddItem(*menu, QStringLiteral("Private &Group\tAlt+G"), cmd::kPrivateGroupToggle);
    privateGroup->setCheckable(true);
    privateGroup->setChecked(context.privateVisible);
    menu->addSeparator();
    const int spawned = static_cast<int>(context.topics.size());
    AddItem(*menu, QStringLiteral("Spaw&n Topic\tAlt+N"), cmd::kSpawnTopic,
            spawned < kMaxSpawnedTopics);
    if (spawned > 0) {
        QMenu* close = menu->addMenu(QStringLiteral("Close Topic"));
        for (int k = 1; k <= spawned; ++k) {
            const MenuTopic& topic = context.topics[static_cast<std::size_t>(k - 1)];
            const bool mayClose =
                context.serverRunning || topic.owner == context.ownId || topic.owner == 0;
            AddItem(*close, ToQt(topic.title), cmd::kCloseTopicBase + k, mayClose);
        }
    }
    return menu;
}

std::unique_ptr<QMenu> BuildUserMenu(const MenuContext& context, int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= context.users.size()) {
        return nullptr;
    }
    const MenuUser& user = context.users[static_cast<std::size_t>(row)];
    const QString name = ToQt(user.name);
    const bool own = user.name == context.ownName;
    auto menu = std::make_unique<QMenu>();
    AddItem(*menu, QStringLiteral("User &Details ") + name + QStringLiteral("\tAlt+D"),
            cmd::kDetailsRowBase + row);
    if (own) {
        menu->addSeparator();
        AddOwnItems(*menu);
    }
    menu->addSeparator();
    if (context.anyTicked) {
        AddGroupMenu(*menu);
    }
    menu->addSeparator();
    AddItem(*menu, QStringLiteral("&Transfer to ") + name + QStringLiteral("\tAlt+T"),
            cmd::kTransferToRowBase + row,
            !user.noFileReceive && !own && !context.fileSending && !user.rejectsMe);
    menu->addSeparator();
    AddItem(*menu, QStringLiteral("&Whisper to ") + name + QStringLiteral("\tAlt+W"),
            cmd::kWhisperToRowBase + row, !user.rejectsMe && !own);
    menu->addSeparator();
    QAction* reject =
        AddItem(*menu, QStringLiteral("Toggle &reject ") + name + QStringLiteral("\tAlt+R"),
                cmd::kRejectRowBase + row, !own);
    reject->setCheckable(true);
    reject->setChecked(user.rejected);
    if (context.serverRunning && !own) {
        menu->addSeparator();
        AddItem(*menu, QStringLiteral("Kick ") + name, cmd::kKickRowBase + row);
        AddItem(*menu, QStringLiteral("Ban ") + name, cmd::kBanRowBase + row);
    }
    return menu;
}

std::unique_ptr<QMenu> BuildMessageFieldMenu(const MenuContext& context) {
    auto menu = std::make_unique<QMenu>();
    AddUserSubmenu(*menu, QStringLiteral("User Details"), cmd::kDetailsRowBase,
                   UserSubmenu::Details, context);
    menu->addSeparator();
    AddOwnItems(*menu);
    menu->addSeparator();
    if (context.anyTicked) {
        AddGroupMenu(*menu);
    }
    if (context.users.size() > 1) {
        menu->addSeparator();
        AddUserSubmenu(*menu, QStringLiteral("Transfer to"), cmd::kTransferToRowBase,
                       UserSubmenu::Transfer, context);
        menu->addSeparator();
        AddUserSubmenu(*menu, QStringLiteral("Whisper to"), cmd::kWhisperToRowBase,
                       UserSubmenu::Whisper, context);
        menu->addSeparator();
        AddUserSubmenu(*menu, QStringLiteral("Reject"), cmd::kRejectRowBase, UserSubmenu::Reject,
                       context);
        if (context.serverRunning) {
            menu->addSeparator();
            AddUserSubmenu(*menu, QStringLiteral("Kick user"), cmd::kKickRowBase, UserSubmenu::Kick,
                           context);
            AddUserSubmenu(*menu, QStringLiteral("Ban user"), cmd::kBanRowBase, UserSubmenu::Ban,
                           context);
        }
    }
    return menu;
}

}  // namespace talvoro::ui
