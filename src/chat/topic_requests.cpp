#include "chat/topic_requests.h"

#include "app/date_time.h"
#include "net/messages.h"

namespace talvoro::chat {

namespace {

constexpr char kSeparator = static_cast<char>(net::MessageKind::TopicOpen);

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string OwnerName(const ChatContext& ctx, std::int32_t owner) {
    const OnlineUser* user = ctx.users.FindById(owner);
    return user == nullptr ? ctx.serverName : user->name;
}

}  // namespace

TitleCheck CheckTopicTitle(const TopicList& topics, std::string_view typed) {
    std::string cleaned(typed);
    for (char& c : cleaned) {
        if (static_cast<unsigned char>(c) < 32 || c == kSeparator) {
            c = ' ';
        } else if (c == '&') {
            c = '+';
        }
    }
    std::string title(Trimmed(cleaned).substr(0, kMaxTopicTitle));
    title = std::string(Trimmed(title));
    if (title.empty()) {
        return {std::move(title), std::string(kEmptyTitleError)};
    }
    if (topics.HasTitle(title)) {
        return {std::move(title), std::string(kDuplicateTitleError)};
    }
    return {std::move(title), {}};
}

bool MaySpawnTopic(const ChatContext& ctx) {
    return ctx.topics.TopicCount() < kMaxTopics;
}

TitleCheck RequestSpawn(ChatContext& ctx, std::string_view typed, bool sticky) {
    TitleCheck check = CheckTopicTitle(ctx.topics, typed);
    if (check.error.empty()) {
        ctx.link.SendToServer(net::TopicOpenToServer{check.title, sticky}.Encode());
    }
    return check;
}

bool MayCloseTopic(const ChatContext& ctx, int position) {
    if (position < 1 || position > ctx.topics.TopicCount()) {
        return false;
    }
    const std::int32_t owner = ctx.topics.AtTab(position)->owner;
    return ctx.state.ServerRunning.load() || owner == ctx.own.id || owner == 0;
}

bool RequestClose(ChatContext& ctx, int position) {
    if (!MayCloseTopic(ctx, position)) {
        return false;
    }
    ctx.link.SendToServer(net::TopicCloseToServer{position}.Encode());
    return true;
}

TopicInfo TopicInfoOfSelectedTab(const ChatContext& ctx) {
    const TopicRecord* record = ctx.topics.AtTab(ctx.currentTab);
    if (record == nullptr) {
        return {};
    }
    TopicInfo info;
    info.title = "Topic Info: " + record->title;
    info.text = "Topic Index: #" + std::to_string(record->view) + " (" +
                std::to_string(ctx.currentTab + 1) + "/" + std::to_string(kMaxTabs) + ")\n" +
                "Topic Owner: " + OwnerName(ctx, record->owner) + "\n" +
                "Spawned: " + app::FormatDate(record->spawned, "%dd-%mm-%yy %hh:%ii:%ss") + "\n" +
                "Sticky Messages: " + (record->sticky ? "Yes" : "No");
    return info;
}

}  // namespace talvoro::chat
