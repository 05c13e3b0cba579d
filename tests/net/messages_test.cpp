#include "net/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>

namespace talvoro::net {
namespace {

using AnyMessage =
    std::variant<PublicMessageToServer, PublicMessage, WhisperToServer, Whisper, Heartbeat,
                 ServerNotice, UserQuit, AwayStatusToServer, AwayStatus, FileReceiveStatusToServer,
                 FileReceiveStatus, RejectNotice, TopicOpenToServer, TopicOpen, TopicCloseToServer,
                 TopicClose, Logon, Refusal, NewVersion, KickCommand, BanCommand, FileHeader>;

// Fields as written in the tables below: '|' stands for the kind byte, which also separates fields.
std::string Fields(char kind, std::string_view written) {
    std::string fields(written);
    std::ranges::replace(fields, '|', kind);
    return fields;
}

struct Known {
    AnyMessage message;
    char kind;
    std::string_view fields;  // the payload after the kind byte
};

// One known payload per kind and direction.
const Known kKnown[] = {
    {PublicMessageToServer{"hi \x9C there"}, '\x9C', "hi | there"},
    {PublicMessage{12, "a\x9C!"}, '\x9C', "12|a|!"},
    {WhisperToServer{"bob", "see: you"}, '\x99', "@@bob: see: you"},
    {Whisper{-3, "psst\x99"}, '\x99', "-3|psst|"},
    {Heartbeat{}, '\x95', "#"},
    {ServerNotice{"** You have been kicked from SERVER h"}, '\x9D',
     "** You have been kicked from SERVER h"},
    {UserQuit{7, "** ann has quit"}, '\x97', "7|** ann has quit"},
    {AwayStatusToServer{true}, '\x92', "1"},
    {AwayStatus{7, false}, '\x92', "7|0"},
    {FileReceiveStatusToServer{false}, '\x94', "0"},
    {FileReceiveStatus{8, true}, '\x94', "8|1"},
    {RejectNotice{42}, '\x98', "42"},
    {TopicOpenToServer{"Games", true}, '\xA0', "Games|1"},
    {TopicOpen{5, "Games", false, {}}, '\xA0', "5|Games|0"},
    {TopicOpen{5, "Old", true, 1700000000}, '\xA0', "5|Old|1|1700000000"},
    {TopicCloseToServer{2}, '\xA1', "2"},
    {TopicClose{9, 3}, '\xA1', "9|3"},
    {Logon{"ann", 170, 1600, 1550, true}, '\x9F', "ann|170|1600|1550|1"},
    {Refusal{"** Server has been terminated!"}, '\x93', "** Server has been terminated!"},
    {NewVersion{"1.6.0.0"}, '\xA2', "1.6.0.0"},
    {KickCommand{"bob"}, '\x9B', "**kick bob"},
    {BanCommand{"bob"}, '\x9A', "**ban bob"},
    {FileHeader{"ann", "a\x9E_b.txt"}, '\x9E', "ann|a|_b.txt"},
};

TEST(Messages, encode_gives_the_known_payload_and_decode_gives_the_value_back) {
    for (const Known& known : kKnown) {
        std::visit(
            [&](const auto& message) {
                using Message = std::decay_t<decltype(message)>;
                const std::string fields = Fields(known.kind, known.fields);
                SCOPED_TRACE(fields);
                EXPECT_EQ(message.Encode(), known.kind + fields);
                EXPECT_EQ(static_cast<std::uint8_t>(known.kind),
                          static_cast<std::uint8_t>(Message::kKind));
                EXPECT_EQ(Message::Decode(fields), message);
            },
            known.message);
    }
}

// Payload bodies (after the kind byte) from careless or hostile peers, and what they read as.
TEST(Messages, decode_reads_missing_fields_as_empty_numbers_leniently_and_stops_at_a_zero_byte) {
    using std::string_literals::operator""s;
    EXPECT_EQ(PublicMessage::Decode("7\x9Chi\0zz"s), (PublicMessage{7, "hi"}));
    EXPECT_EQ(Whisper::Decode("5"), (Whisper{5, ""}));
    EXPECT_EQ(TopicOpen::Decode("5\xA0T"), (TopicOpen{5, "T", false, {}}));
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"12abc", 12}, {"", 0},    {"  -7", -7},           {"+42x", 42},       {"abc", 0},
        {"-", 0},      {"- 3", 0}, {"11141120", 11141120}, {"4294967295", -1},
    };
    for (const auto& [text, number] : numbers) {
        EXPECT_EQ(RejectNotice::Decode(text), RejectNotice{number}) << text;
    }
    // Flags: the payload's last character.
    EXPECT_EQ(AwayStatus::Decode(Fields('\x92', "6|1")), (AwayStatus{6, true}));
    EXPECT_EQ(AwayStatus::Decode(Fields('\x92', "6|yes")), (AwayStatus{6, false}));
    EXPECT_EQ(FileReceiveStatusToServer::Decode("x1"), FileReceiveStatusToServer{true});
    EXPECT_EQ(Logon::Decode(Fields('\x9F', "ann|1")), (Logon{"ann", 1, 0, 0, true}));
    EXPECT_EQ(Logon::Decode(Fields('\x9F', "ann|5|1600")), (Logon{"ann", 5, 1600, 0, false}));
}

TEST(Messages, a_whisper_needs_its_colon_and_a_command_too_short_has_an_empty_name) {
    EXPECT_EQ(WhisperToServer::Decode("@@bob hello"), std::nullopt);
    EXPECT_EQ(WhisperToServer::Decode("@@: x"), std::nullopt);  // ": " before the name's first byte
    EXPECT_EQ(WhisperToServer::Decode("@@"), std::nullopt);
    EXPECT_EQ(WhisperToServer::Decode("@@:: x"), (WhisperToServer{":", "x"}));
    EXPECT_EQ(BanCommand::Decode("**ban"), (BanCommand{"", "**ban"}));
    EXPECT_EQ(KickCommand::Decode("**kick  bob"), (KickCommand{" bob", "**kick "}));
}

TEST(Messages, a_frame_decodes_only_as_its_own_kind) {
    Frame frame{0, 0x9C, "3\x9Chi"};
    EXPECT_EQ(DecodeFrame<PublicMessage>(frame), (PublicMessage{3, "hi"}));
    EXPECT_EQ(DecodeFrame<Whisper>(frame), std::nullopt);
    frame.lengthError = true;
    EXPECT_EQ(DecodeFrame<PublicMessage>(frame), std::nullopt);
}

}  // namespace
}  // namespace talvoro::net
