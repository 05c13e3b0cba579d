#include "chat/topic_archive.h"

#include <filesystem>
#include <system_error>

#include "app/ini_file.h"
#include "chat/archive_file.h"
#include "chat/archive_names.h"
#include "chat/topic_events.h"
#include "chat/topic_requests.h"
#include "net/messages.h"

namespace talvoro::chat {

namespace {

ArchiveNameParts NameParts(const ChatContext& ctx) {
    return ArchiveNameParts{ctx.own.name, ctx.state.settings.Host, ctx.clock()};
}

std::string Folder(const ChatContext& ctx) {
    return ArchiveFolder(ctx.state.DataDir);
}

std::string IniPath(const ChatContext& ctx) {
    return ctx.state.DataDir + std::string(kTopicsIniName);
}

bool IsFixedTab(const TopicRecord& record) {
    return record.view == kMainView || record.view == kPrivateView;
}

// Only plain files are read: a FIFO or device named in a hand-edited file must not block or
// flood the program.
bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool LoadTopicText(ChatContext& ctx, int position, RtfReadResult read) {
    const TopicRecord* record = ctx.topics.AtTab(position);
    if (record == nullptr || read.status == RtfStatus::NotRtf || read.runs.empty()) {
        return false;
    }
    ctx.text.Replace(record->view, std::move(read.runs));
    if (!ctx.text.Document(record->view).Empty()) {
        MarkTabUnread(ctx, position);
    }
    return true;
}

void LoadSavedTopic(ChatContext& ctx, int position, const std::string& path) {
    if (ctx.topics.AtTab(position) != nullptr && IsRegularFile(path)) {
        LoadTopicText(ctx, position, ReadArchive(path));
    }
}

}  // namespace

std::string ArchiveRecord(ChatContext& ctx, std::size_t index) {
    const auto& records = ctx.topics.Records();
    if (index >= records.size()) {
        return {};
    }
    const TopicRecord& record = records[index];
    return ArchiveTab(Folder(ctx), static_cast<int>(index), record.title, NameParts(ctx),
                      ctx.text.Document(record.view));
}

std::string ArchiveView(ChatContext& ctx, int view) {
    const auto& records = ctx.topics.Records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].view == view) {
            return ArchiveRecord(ctx, i);
        }
    }
    return {};
}

bool SaveTopicsAtShutdown(ChatContext& ctx) {
    if (ctx.state.settings.AutoSaveSession == 0) {
        return true;
    }
    app::IniWriter ini("Prefs");
    const auto& records = ctx.topics.Records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string path = ArchiveRecord(ctx, i);
        if (IsFixedTab(records[i])) {
            continue;
        }
        const std::string n = std::to_string(i);
        ini.AddText("TopicTitle" + n, records[i].title);
        ini.AddNumber("TopicSticky" + n, records[i].sticky ? 1 : 0);
        ini.AddText("TopicFilename" + n, path);
    }
    return ini.WriteTo(IniPath(ctx));
}

void RestoreTopics(ChatContext& ctx) {
    const app::IniReader ini = app::IniReader::FromFile(IniPath(ctx), "Prefs");
    if (!ini.found()) {
        return;
    }
    int announced = ctx.topics.TopicCount() + static_cast<int>(ctx.pendingRestores.size());
    for (int i = 1; i <= kMaxTopics && announced < kMaxTopics; ++i) {
        const std::string n = std::to_string(i);
        const std::string typed = ini.Text("TopicTitle" + n, "");
        if (typed.empty()) {
            break;
        }
        const TitleCheck check = CheckTopicTitle(ctx.topics, typed);
        if (!check.error.empty() || ctx.pendingRestores.contains(check.title)) {
            continue;
        }
        const bool sticky = ini.Number("TopicSticky" + n, 0) != 0;
        ctx.pendingRestores[check.title] = sticky ? ini.Text("TopicFilename" + n, "") : "";
        ctx.link.SendToServer(net::TopicOpenToServer{check.title, sticky}.Encode());
        ++announced;
    }
}

bool CompleteRestore(ChatContext& ctx, int position) {
    const TopicRecord* record = ctx.topics.AtTab(position);
    if (record == nullptr || record->owner != ctx.own.id) {
        return false;
    }
    const auto pending = ctx.pendingRestores.find(record->title);
    if (pending == ctx.pendingRestores.end()) {
        return false;
    }
    const std::string path = pending->second;
    ctx.pendingRestores.erase(pending);
    LoadSavedTopic(ctx, position, path);
    return true;
}

bool LoadTopicContent(ChatContext& ctx, int view, std::string_view rtf) {
    const int position = ctx.topics.TabOfView(view);
    const bool topicTab = position >= 1 && position <= ctx.topics.TopicCount();
    return topicTab && LoadTopicText(ctx, position, ReadRtf(rtf));
}

std::string SaveSessionDefault(const ChatContext& ctx) {
    const TopicRecord* record = ctx.topics.AtTab(ctx.currentTab);
    return SaveSessionDefaultPath(Folder(ctx), record == nullptr ? "" : record->title,
                                  NameParts(ctx));
}

bool SaveSession(ChatContext& ctx, const std::string& path) {
    const int view = ctx.text.CurrentView();
    if (!WriteArchive(path, ctx.text.Document(view))) {
        return false;
    }
    ctx.port.ScrollToEnd(view);
    return true;
}

}  // namespace talvoro::chat
