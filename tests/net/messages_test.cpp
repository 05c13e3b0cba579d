#include "net/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace talvoro::net {
namespace {

using AnyMessage =
    std::variant<PublicMessageToServer, PublicMessage, WhisperToServer, Whisper, Heartbeat,
                 ServerNotice, UserQuit, AwayStatusToServer, AwayStatus, FileReceiveStatusToServer,
                 FileReceiveStatus, RejectNotice, TopicOpenToServer, TopicOpen, TopicCloseToServer,
                 TopicClose, Logon, Refusal, NewVersion, KickCommand, BanCommand, FileHeader>;

struct Known {
    AnyMessage message;
    std::string payload;  // kind byte first, as it travels
};

// One known payload per kind and direction, written out byte for byte.
const Known kKnown[] = {
    {PublicMessageToServer{"hi \x9C there"}, "\x9Chi \x9C there"},
    {PublicMessage{12,
                   "a\x9C"
                   "b"},
     "\x9C"
     "12\x9C"
     "a\x9C"
     "b"},
    {WhisperToServer{"bob", "see: you"}, "\x99@@bob: see: you"},
    {Whisper{-3, "psst\x99"}, "\x99-3\x99psst\x99"},
    {Heartbeat{}, "\x95#"},
    {ServerNotice{"** You have been kicked from SERVER h"},
     "\x9D** You have been kicked from SERVER h"},
    {UserQuit{7, "** ann has quit"},
     "\x97"
     "7\x97** ann has quit"},
    {AwayStatusToServer{true},
     "\x92"
     "1"},
    {AwayStatus{7, false},
     "\x92"
     "7\x92"
     "0"},
    {FileReceiveStatusToServer{false},
     "\x94"
     "0"},
    {FileReceiveStatus{8, true},
     "\x94"
     "8\x94"
     "1"},
    {RejectNotice{42},
     "\x98"
     "42"},
    {TopicOpenToServer{"Games", true},
     "\xA0Games\xA0"
     "1"},
    {TopicOpen{5, "Games", false, {}},
     "\xA0"
     "5\xA0Games\xA0"
     "0"},
    {TopicOpen{5, "Old", true, 1700000000},
     "\xA0"
     "5\xA0Old\xA0"
     "1\xA0"
     "1700000000"},
    {TopicCloseToServer{2},
     "\xA1"
     "2"},
    {TopicClose{9, 3},
     "\xA1"
     "9\xA1"
     "3"},
    {Logon{"ann", 170, 1600, 1550, true},
     "\x9F"
     "ann\x9F"
     "170\x9F"
     "1600\x9F"
     "1550\x9F"
     "1"},
    {Refusal{"** Server has been terminated!"}, "\x93** Server has been terminated!"},
    {NewVersion{"1.6.0.0"},
     "\xA2"
     "1.6.0.0"},
    {KickCommand{"bob"}, "\x9B**kick bob"},
    {BanCommand{"bob"}, "\x9A**ban bob"},
    {FileHeader{"ann",
                "a\x9E"
                "b.txt"},
     "\x9E"
     "ann\x9E"
     "a\x9E"
     "b.txt"},
};

TEST(Messages, encode_gives_the_known_payload_and_decode_gives_the_value_back) {
    for (const Known& known : kKnown) {
        std::visit(
            [&](const auto& message) {
                using Message = std::decay_t<decltype(message)>;
                SCOPED_TRACE(known.payload);
                EXPECT_EQ(message.Encode(), known.payload);
                EXPECT_EQ(static_cast<std::uint8_t>(known.payload.at(0)),
                          static_cast<std::uint8_t>(Message::kKind));
                EXPECT_EQ(Message::Decode(std::string_view(known.payload).substr(1)), message);
            },
            known.message);
    }
}

// Payload bodies (after the kind byte) from careless or hostile peers, and what they read as.
TEST(Messages, decode_reads_missing_fields_as_empty_numbers_leniently_and_stops_at_a_zero_byte) {
    using std::string_literals::operator""s;
    EXPECT_EQ(PublicMessage::Decode("7\x9Chi\0zz"s), (PublicMessage{7, "hi"}));
    EXPECT_EQ(PublicMessageToServer::Decode("a\0b"s), PublicMessageToServer{"a"});
    EXPECT_EQ(Whisper::Decode("5"), (Whisper{5, ""}));
    EXPECT_EQ(UserQuit::Decode(""), (UserQuit{0, ""}));
    EXPECT_EQ(TopicOpen::Decode("5\xA0T"), (TopicOpen{5, "T", false, {}}));
    EXPECT_EQ(TopicOpenToServer::Decode("T"), (TopicOpenToServer{"T", false}));
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"12abc", 12}, {"", 0},    {"  -7", -7},           {"+42x", 42},       {"abc", 0},
        {"-", 0},      {"- 3", 0}, {"11141120", 11141120}, {"4294967295", -1},
    };
    for (const auto& [text, number] : numbers) {
        EXPECT_EQ(RejectNotice::Decode(text), RejectNotice{number}) << text;
    }
    // Flags: the payload's last character.
    EXPECT_EQ(AwayStatus::Decode("6\x92"
                                 "1"),
              (AwayStatus{6, true}));
    EXPECT_EQ(AwayStatus::Decode("6\x92"
                                 "yes"),
              (AwayStatus{6, false}));
    EXPECT_EQ(FileReceiveStatusToServer::Decode("x1"), FileReceiveStatusToServer{true});
    EXPECT_EQ(Logon::Decode("ann\x9F"
                            "1"),
              (Logon{"ann", 1, 0, 0, true}));
    EXPECT_EQ(Logon::Decode("ann\x9F"
                            "5\x9F"
                            "1600"),
              (Logon{"ann", 5, 1600, 0, false}));
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
