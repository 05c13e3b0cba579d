#include "chat/send_action.h"

#include <cstdint>
#include <optional>

#include "chat/chat_display.h"
#include "net/messages.h"

namespace talvoro::chat {

namespace {

constexpr std::string_view kKickPrefix = "**kick ";
constexpr std::string_view kBanPrefix = "**ban ";
constexpr std::string_view kGroupPrefix = "@@[]: ";
constexpr std::string_view kGroupName = "[]";

bool IsBlankOnly(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// Sends the kick or ban command when `line` is one and this process runs the server.
bool SendServerCommand(ChatContext& ctx, std::string_view line) {
    if (!ctx.state.ServerRunning) {
        return false;
    }
    const std::string lower = LowerCase1252(line.substr(0, kKickPrefix.size()));
    // The command word goes out as typed, in whatever case.
    if (lower.starts_with(kKickPrefix)) {
        const std::size_t size = kKickPrefix.size();
        ctx.link.SendToServer(
            net::KickCommand{std::string(line.substr(size)), std::string(line.substr(0, size))}
                .Encode());
        return true;
    }
    if (lower.starts_with(kBanPrefix)) {
        const std::size_t size = kBanPrefix.size();
        ctx.link.SendToServer(
            net::BanCommand{std::string(line.substr(size)), std::string(line.substr(0, size))}
                .Encode());
        return true;
    }
    return false;
}

struct Whisper {
    std::string_view name;  // between "@@" and the colon
    std::string_view body;  // after the colon, starting with the blank
    std::string_view text;  // after the colon and the blank

    net::WhisperToServer Message() const { return {std::string(name), std::string(text)}; }
};

// A whisper is "@@" + name + ": " + text with the ": " found from the 4th character on.
std::optional<Whisper> ParseWhisper(std::string_view line) {
    if (!line.starts_with("@@") || line.size() < 4) {
        return std::nullopt;
    }
    const std::size_t colon = line.find(": ", 3);
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    return Whisper{line.substr(2, colon - 2), line.substr(colon + 1), line.substr(colon + 2)};
}

void Finish(ChatContext& ctx) {
    if (ctx.hooks.awayReset) {
        ctx.hooks.awayReset();
    }
    ctx.port.ScrollToEnd(ctx.text.CurrentView());
}

void WriteEcho(ChatContext& ctx, std::string_view head, std::string_view body) {
    WriteChatHead(ctx, TimePrefix(ctx) + "@" + std::string(head) + ":", ctx.own.color);
    WriteChatBody(ctx, body, ctx.own.color);
}

SendOutcome SendGroupWhisper(ChatContext& ctx, std::string_view line, const Whisper& whisper) {
    std::string recipients;
    for (int row = 0; row < ctx.users.RowCount(); ++row) {
        const OnlineUser& user = *ctx.users.AtRow(row);
        if (!ctx.users.Ticked(row) || user.id == ctx.own.id) {
            continue;
        }
        if (ctx.users.RejectsMeList.Contains(user.id)) {
            WriteServerLine(ctx, "** " + user.name + " rejects your messages!", true);
            continue;
        }
        recipients += "[" + user.name + "]";
        const std::string addressed = ReplaceAll(line, kGroupPrefix, "@@" + user.name + ": ");
        if (const std::optional<Whisper> one = ParseWhisper(addressed)) {
            ctx.link.SendToServer(one->Message().Encode());
        }
    }
    ctx.text.SetEchoView(ctx.text.CurrentView());
    if (recipients.empty()) {
        WriteServerLine(ctx, "** No valid group selected, please try again!", true);
        return SendOutcome::Kept;
    }
    WriteEcho(ctx, recipients, whisper.body);
    Finish(ctx);
    return SendOutcome::Cleared;
}

SendOutcome SendWhisper(ChatContext& ctx, const Whisper& whisper) {
    const OnlineUser* found = nullptr;
    for (int row = 0; row < ctx.users.RowCount() && found == nullptr; ++row) {
        if (ctx.users.AtRow(row)->name == whisper.name) {
            found = ctx.users.AtRow(row);
        }
    }
    ctx.text.SetEchoView(ctx.text.CurrentView());
    const std::string name(whisper.name);
    if (name == ctx.own.name) {
        WriteServerLine(ctx, "** Looking strange talking to yourself :-)", true);
        return SendOutcome::Kept;
    }
    if (found == nullptr) {
        WriteServerLine(ctx, "** User " + name + " not found, sorry!", true);
        return SendOutcome::Kept;
    }
    if (ctx.users.RejectsMeList.Contains(found->id)) {
        WriteServerLine(ctx, "** " + name + " rejects your messages!", true);
        return SendOutcome::Kept;
    }
    WriteChatHead(ctx, TimePrefix(ctx) + "@" + name + ":", ctx.own.color);
    ctx.link.SendToServer(whisper.Message().Encode());
    WriteChatBody(ctx, whisper.body, ctx.own.color);
    Finish(ctx);
    return SendOutcome::Cleared;
}

}  // namespace

std::string LowerCase1252(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        const auto code = static_cast<std::uint8_t>(c);
        if ((code >= 'A' && code <= 'Z') || (code >= 0xC0 && code <= 0xDF)) {
            c = static_cast<char>(code + 32);
        }
    }
    return lower;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    std::size_t start = 0;
    while (!from.empty()) {
        const std::size_t at = text.find(from, start);
        if (at == std::string_view::npos) {
            break;
        }
        result += text.substr(start, at - start);
        result += to;
        start = at + from.size();
    }
    result += text.substr(start);
    return result;
}

SendOutcome SendAction(ChatContext& ctx, std::string_view typed) {
    if (SendServerCommand(ctx, typed)) {
        return SendOutcome::Kept;
    }
    std::string line(typed);
    if (ctx.PrivateTabCurrent()) {
        line = std::string(kGroupPrefix) + line;
    }
    if (line.empty()) {
        ctx.port.ScrollToEnd(ctx.text.CurrentView());
        return SendOutcome::Kept;
    }
    const std::optional<Whisper> whisper = ParseWhisper(line);
    if (!whisper) {
        ctx.link.SendToServer(net::PublicMessageToServer{line}.Encode());
        Finish(ctx);
        return SendOutcome::Cleared;
    }
    if (IsBlankOnly(whisper->body)) {
        return SendOutcome::Kept;
    }
    if (whisper->name == kGroupName) {
        return SendGroupWhisper(ctx, line, *whisper);
    }
    return SendWhisper(ctx, *whisper);
}

}  // namespace talvoro::chat
