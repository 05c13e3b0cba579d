#include "ui/command_wiring.h"

#include "app/identifiers.h"
#include "chat/user_list.h"
#include "chat/user_model.h"
#include "net/messages_status.h"
#include "ui/message_field.h"
#include "ui/options_dialog.h"
#include "ui/text_edge.h"
#include "ui/topic_commands.h"
#include "ui/user_details_box.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {

namespace cmd = app::cmd;

namespace {

std::string InputLine(MainWindow& window) {
    return FromQt(window.Input().toPlainText());
}

void SetInputLine(MainWindow& window, const std::string& line) {
    window.Input().SetText(ToQt(line));
    window.Input().setFocus();
}

// The send command: the send action, the input line cleared when something went out, then the
// unread mark of the current tab cleared.
void SendInputLine(MainWindow& window, chat::ChatClient& chat) {
    if (chat.Send(InputLine(window)) == chat::SendOutcome::Cleared) {
        window.Input().clear();
    }
    window.Input().setFocus();
    chat.ClearUnreadMark();
}

// After a click in the user list or a tab switch the user can type at once.
void FocusInputIfActive(MainWindow& window) {
    if (window.isActiveWindow()) {
        window.Input().setFocus();
    }
}

void SelectTabAndClearMark(MainWindow& window, chat::ChatClient& chat, int position) {
    chat.SelectTab(position);
    chat.ClearUnreadMark();
    FocusInputIfActive(window);
}

// Kick and ban: the message field becomes the command with the user's name, and it is sent.
void SendServerCommand(MainWindow& window, chat::ChatClient& chat, std::string_view command,
                       int row) {
    const chat::OnlineUser* user = chat.Context().users.AtRow(row);
    if (user == nullptr) {
        return;
    }
    SetInputLine(window, std::string(command) + user->name);
    SendInputLine(window, chat);
}

void WireRowCommands(MainWindow& window, chat::ChatClient& chat) {
    CommandRouter& router = window.Commands();
    const int last = cmd::kRowRangeSize - 1;
    router.SetRangeHandler(
        cmd::kWhisperToRowBase, cmd::kWhisperToRowBase + last, [&window, &chat](int event) {
            const int row = event - cmd::kWhisperToRowBase;
            SetInputLine(window, chat.WhisperPrefixForRow(InputLine(window), row));
        });
    router.SetRangeHandler(
        cmd::kKickRowBase, cmd::kKickRowBase + last, [&window, &chat](int event) {
            SendServerCommand(window, chat, "**KICK ", event - cmd::kKickRowBase);
        });
    router.SetRangeHandler(cmd::kBanRowBase, cmd::kBanRowBase + last, [&window, &chat](int event) {
        SendServerCommand(window, chat, "**BAN ", event - cmd::kBanRowBase);
    });
    router.SetRangeHandler(cmd::kRejectRowBase, cmd::kRejectRowBase + last, [&chat](int event) {
        chat.ToggleRejectRow(event - cmd::kRejectRowBase);
    });
}

void WireTabCommands(MainWindow& window, chat::ChatClient& chat) {
    CommandRouter& router = window.Commands();
    router.SetRangeHandler(cmd::kSelectTabBase, cmd::kSelectTabBase + 3,
                           [&window, &chat](int event) {
                               SelectTabAndClearMark(window, chat, event - cmd::kSelectTabBase);
                           });
    router.SetHandler(cmd::kSelectPrivateTab, [&window, &chat](int) {
        chat.SetPrivateVisible(true);
        SelectTabAndClearMark(window, chat, chat.Context().topics.TabCount() - 1);
    });
    router.SetHandler(cmd::kPrivateGroupToggle, [&chat](int) {
        chat.SetPrivateVisible(!chat.Context().topics.PrivateVisible());
    });
    router.SetHandler(cmd::kClearTopic, [&chat](int) { chat.ClearCurrentView(); });
    window.SetTabSwitchHandler(
        [&window, &chat](int position) { SelectTabAndClearMark(window, chat, position); });
}

void WireInformationCommands(MainWindow& window, chat::ChatClient& chat) {
    window.Commands().SetRangeHandler(
        cmd::kDetailsRowBase, cmd::kDetailsRowBase + cmd::kRowRangeSize - 1,
        [&window, &chat](int event) {
            const chat::UserModel& users = chat.Context().users;
            if (const chat::OnlineUser* user = users.AtRow(event - cmd::kDetailsRowBase)) {
                StartUserDetails(window, window.Workers(), *user,
                                 users.NoFileReceiveList.Contains(user->id));
            }
        });
}

OptionsActions OptionsActionsOf(MainWindow& window, chat::ChatClient& chat,
                                const AppCommandActions& actions) {
    OptionsActions options;
    options.rebuildUserList = [&window, &chat] {
        window.UserList().SetUserColors(chat.Context().state.settings.ListUserColors != 0);
        chat::RebuildUserList(chat.Context());
    };
    options.startFileServer = actions.startFileServer;
    options.stopFileServer = actions.stopFileServer;
    options.sendFileReceiveStatus = [&chat](bool refused) {
        chat.Context().link.SendToServer(net::FileReceiveStatusToServer{refused}.Encode());
    };
    options.stopKeepAlive = actions.stopKeepAlive;
    options.restartAwayTimer = actions.restartAwayTimer;
    options.awayReset = [&chat] {
        if (chat.Context().hooks.awayReset) {
            chat.Context().hooks.awayReset();
        }
    };
    options.saveSettings = actions.saveSettings;
    return options;
}

void WireAppCommands(MainWindow& window, chat::ChatClient& chat, AppCommandActions actions) {
    CommandRouter& router = window.Commands();
    router.SetHandler(cmd::kPreferences,
                      [&window, &chat, options = OptionsActionsOf(window, chat, actions)](int) {
                          OpenOptionsDialog(window, chat.Context().state, options);
                      });
    const auto wire = [&router](int event, std::function<void()> action) {
        if (action) {
            router.SetHandler(event, [action = std::move(action)](int) { action(); });
        }
    };
    wire(cmd::kHideShow, std::move(actions.toggleMainWindow));
    wire(cmd::kOpenTransferDir, std::move(actions.openTransferDir));
    wire(cmd::kQuit, std::move(actions.requestQuit));
    wire(cmd::kToggleAway, std::move(actions.toggleAway));
}

}  // namespace

MenuContext MenuContextOf(const chat::ChatContext& ctx) {
    MenuContext context;
    for (const chat::OnlineUser& user : ctx.users.OnlineUsers()) {
        context.users.push_back(MenuUser{
            user.name, user.id, ctx.users.NoFileReceiveList.Contains(user.id),
            ctx.users.RejectsMeList.Contains(user.id), ctx.users.RejectedList.Contains(user.id)});
    }
    for (int row = 0; row < ctx.users.RowCount(); ++row) {
        context.anyTicked = context.anyTicked || ctx.users.Ticked(row);
    }
    const auto& records = ctx.topics.Records();
    for (std::size_t i = 1; i + 1 < records.size(); ++i) {
        context.topics.push_back(MenuTopic{records[i].title, records[i].owner});
    }
    context.ownName = ctx.own.name;
    context.ownId = ctx.own.id;
    context.privateVisible = ctx.topics.PrivateVisible();
    context.fileSending = ctx.sendWorkerRunning;
    context.serverRunning = ctx.state.ServerRunning.load();
    context.serviceMode = ctx.state.ServiceMode;
    return context;
}

void WireCommands(MainWindow& window, chat::ChatClient& chat, AppCommandActions actions) {
    CommandRouter& router = window.Commands();
    router.SetHandler(cmd::kSend, [&window, &chat](int) { SendInputLine(window, chat); });
    router.SetHandler(cmd::kAnswerWhisper, [&window, &chat](int) {
        const std::string& whisperer = chat.Context().lastWhisperer;
        if (!whisperer.empty()) {
            SetInputLine(window, chat::WhisperPrefix(InputLine(window), whisperer));
        }
    });
    router.SetHandler(cmd::kGroupWhisper, [&window](int) {
        SetInputLine(window, chat::ChatClient::GroupWhisperPrefix(InputLine(window)));
    });
    router.SetHandler(cmd::kGroupReject, [&chat](int) { chat.RejectTicked(); });
    WireRowCommands(window, chat);
    WireTabCommands(window, chat);
    WireTopicCommands(window, chat);
    WireAppCommands(window, chat, std::move(actions));
    WireInformationCommands(window, chat);

    window.SetUserSelectionHandler([&window, &chat](int row) {
        chat.SelectUserRow(row);
        FocusInputIfActive(window);
    });
    window.SetUserTickHandler([&chat](int row, bool ticked) { chat.SetRowTicked(row, ticked); });
    window.SetMenuContextProvider([&chat] { return MenuContextOf(chat.Context()); });
}

}  // namespace talvoro::ui
