#include "net/messages_session.h"

#include <algorithm>

#include "app/number_text.h"
#include "net/payload_fields.h"

namespace talvoro::net {

namespace {

// The command word (its first `size` bytes, fewer when the text is shorter) and the name after it.
template <typename Command>
Command SplitCommand(std::string_view body, std::size_t size) {
    const std::string_view whole = TextOf(body);
    const std::size_t cut = std::min(size, whole.size());
    return Command{std::string(whole.substr(cut)), std::string(whole.substr(0, cut))};
}

}  // namespace

std::string Logon::Encode() const {
    return JoinFields(kKind, {name, NumberText(color), NumberText(version),
                              NumberText(oldestServer), fileReceiveDisabled ? "1" : "0"});
}

std::optional<Logon> Logon::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 5);
    const std::string_view whole = fields.Whole();
    const bool flag = !whole.empty() && app::ReadNumber(whole.substr(whole.size() - 1)) != 0;
    return Logon{std::string(fields.Text(1)), fields.Number(2), fields.Number(3), fields.Number(4),
                 flag};
}

std::string Refusal::Encode() const {
    return JoinFields(kKind, {text});
}

std::optional<Refusal> Refusal::Decode(std::string_view body) {
    return Refusal{std::string(TextOf(body))};
}

std::string NewVersion::Encode() const {
    return JoinFields(kKind, {versionText});
}

std::optional<NewVersion> NewVersion::Decode(std::string_view body) {
    return NewVersion{std::string(TextOf(body))};
}

std::string KickCommand::Encode() const {
    return JoinFields(kKind, {word + name});
}

std::optional<KickCommand> KickCommand::Decode(std::string_view body) {
    return SplitCommand<KickCommand>(body, 7);
}

std::string BanCommand::Encode() const {
    return JoinFields(kKind, {word + name});
}

std::optional<BanCommand> BanCommand::Decode(std::string_view body) {
    return SplitCommand<BanCommand>(body, 6);
}

std::string FileHeader::Encode() const {
    return JoinFields(kKind, {sender, fileName});
}

std::optional<FileHeader> FileHeader::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 2);
    return FileHeader{std::string(fields.Text(1)), std::string(fields.Text(2))};
}

}  // namespace talvoro::net
