#include "ui/topic_commands.h"

#include <QPointer>
#include <memory>

#include "app/identifiers.h"
#include "chat/topic_requests.h"
#include "ui/archive_actions.h"
#include "ui/topic_dialog.h"

namespace talvoro::ui {

namespace cmd = app::cmd;

namespace {

void OpenSpawnDialog(MainWindow& window, chat::ChatClient& chat, QPointer<TopicDialog>& open) {
    if (open != nullptr) {
        open->raise();
        open->activateWindow();
        return;
    }
    if (!chat::MaySpawnTopic(chat.Context())) {
        return;  // the menu item is grey; the shortcut must not get past it either
    }
    const bool balloonTips = chat.Context().state.settings.BalloonTips == 0;
    auto* dialog =
        new TopicDialog(&window, balloonTips, [&chat](const std::string& typed, bool sticky) {
            return chat::RequestSpawn(chat.Context(), typed, sticky).error;
        });  // deletes itself when closed
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);  // the main window takes no input meanwhile
    open = dialog;
    dialog->open();
}

}  // namespace

void WireTopicCommands(MainWindow& window, chat::ChatClient& chat) {
    CommandRouter& router = window.Commands();
    auto dialog = std::make_shared<QPointer<TopicDialog>>();
    router.SetHandler(cmd::kSpawnTopic,
                      [&window, &chat, dialog](int) { OpenSpawnDialog(window, chat, *dialog); });
    router.SetRangeHandler(
        cmd::kCloseTopicBase + 1, cmd::kCloseTopicBase + chat::kMaxTopics,
        [&chat](int event) { chat::RequestClose(chat.Context(), event - cmd::kCloseTopicBase); });
    router.SetHandler(cmd::kTopicInfo, [&chat](int) {
        const chat::TopicInfo info = chat::TopicInfoOfSelectedTab(chat.Context());
        if (!info.title.empty()) {
            chat.Context().port.ShowInformation(info.title, info.text);
        }
    });
    router.SetHandler(cmd::kSaveSession,
                      [&window, &chat](int) { SaveSessionWithRequester(window, chat); });
}

}  // namespace talvoro::ui
