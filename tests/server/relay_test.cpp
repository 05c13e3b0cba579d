#include "server/relay.h"

#include "core_fixture.h"
#include "net/user_roster.h"

namespace talvoro::server {
namespace {

using net::MessageKind;

class Relay : public CoreTest {
  protected:
    void SetUp() override {
        JoinOperator("op");
        Join(7, "alice");
        Join(8, "bob");
    }

    static std::vector<Sent> ToAll(std::int8_t topic, const std::string& payload) {
        return {{kOperator, topic, payload}, {7, topic, payload}, {8, topic, payload}};
    }
};

TEST_F(Relay, stamps_a_public_message_with_the_sender_and_sends_it_to_everyone_on_its_topic) {
    Receive(7, K(MessageKind::PublicMessage) + "hi", 2);
    EXPECT_EQ(Sends(),
              ToAll(2, K(MessageKind::PublicMessage) + "7" + K(MessageKind::PublicMessage) + "hi"));
}

TEST_F(Relay, keeps_a_message_that_contains_the_separator_whole) {
    const std::string text = "a" + K(MessageKind::PublicMessage) + "b";
    Receive(7, K(MessageKind::PublicMessage) + text);
    EXPECT_EQ(Sends().at(0).payload,
              K(MessageKind::PublicMessage) + "7" + K(MessageKind::PublicMessage) + text);
}

TEST_F(Relay, drops_every_frame_but_logon_from_a_connection_not_logged_on) {
    Accept(9);
    Forget();
    for (const MessageKind kind :
         {MessageKind::PublicMessage, MessageKind::TopicOpen, MessageKind::TopicClose,
          MessageKind::AwayStatus, MessageKind::FileReceiveStatus, MessageKind::RejectNotice}) {
        Receive(9, K(kind) + "1");
    }
    Receive(9, K(MessageKind::Whisper) + "@@alice: psst");
    EXPECT_TRUE(Sends().empty());
    EXPECT_FALSE(core.state().awaySet.contains(9));
}

TEST_F(Relay, relays_status_and_topic_changes_with_the_sender_id) {
    for (const MessageKind kind : {MessageKind::TopicOpen, MessageKind::TopicClose,
                                   MessageKind::AwayStatus, MessageKind::FileReceiveStatus}) {
        Receive(8, K(kind) + "1");
        EXPECT_EQ(Sends(), ToAll(0, K(kind) + "8" + K(kind) + "1"))
            << net::KindName(static_cast<std::uint8_t>(kind));
    }
}

TEST_F(Relay, remembers_away_and_file_status_for_later_rosters) {
    Receive(7, K(MessageKind::AwayStatus) + "1");
    Receive(8, K(MessageKind::FileReceiveStatus) + "1");
    Receive(8, K(MessageKind::AwayStatus) + "1");
    Receive(8, K(MessageKind::AwayStatus) + "0");
    Forget();
    Accept(9);
    Logon(9, "carol");
    const Sent welcome = Sends().at(0);
    const auto roster = net::DecodeUserRoster(std::string_view(welcome.payload).substr(1));
    ASSERT_TRUE(roster && roster->users.size() == 4);
    EXPECT_TRUE(roster->users[1].away);
    EXPECT_FALSE(roster->users[1].fileReceiveDisabled);
    EXPECT_FALSE(roster->users[2].away);
    EXPECT_TRUE(roster->users[2].fileReceiveDisabled);
}

TEST_F(Relay, sends_a_whisper_only_to_its_recipient) {
    Receive(7, K(MessageKind::Whisper) + "@@bob: see: you", 1);
    EXPECT_EQ(Sends(),
              (std::vector<Sent>{
                  {8, 1, K(MessageKind::Whisper) + "7" + K(MessageKind::Whisper) + "see: you"}}));
    EXPECT_TRUE(Lines(LineTarget::CurrentTab).empty());
}

TEST_F(Relay, logs_a_whisper_to_an_unknown_or_missing_name) {
    Receive(7, K(MessageKind::Whisper) + "@@carol: hello");
    Receive(7, K(MessageKind::Whisper) + "@@bob hello");  // no ": ": the name is empty
    Receive(7, K(MessageKind::Whisper) + "@@: x");        // ": " before the name's first byte
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(Logs(), (std::vector<std::string>{"alice tried to whisper to unknown user carol",
                                                "alice tried to whisper to unknown user ",
                                                "alice tried to whisper to unknown user "}));
}

TEST_F(Relay, whispers_never_reach_a_connection_that_has_not_logged_on) {
    Accept(9);
    Forget();
    Receive(7, K(MessageKind::Whisper) + "@@: x");
    Receive(7, K(MessageKind::Whisper) + "@@");
    EXPECT_TRUE(Sends().empty());
}

TEST_F(Relay, traces_whispers_between_other_users_when_asked) {
    settings.TraceWhisper = 1;
    Receive(7, K(MessageKind::Whisper) + "@@bob: psst");
    Receive(kOperator, K(MessageKind::Whisper) + "@@bob: from op");
    Receive(8, K(MessageKind::Whisper) + "@@op: to op");
    EXPECT_EQ(Lines(LineTarget::CurrentTab),
              std::vector<std::string>{"** alice --> bob: psst (12:34:56)"});
    EXPECT_EQ(Sends().size(), 0U);  // taken by Lines() already
    EXPECT_EQ(Collected<action::Send>().size(), 3U);
}

TEST_F(Relay, sends_a_reject_notice_only_to_a_known_target) {
    Receive(7, K(MessageKind::RejectNotice) + "8");
    EXPECT_EQ(Sends(), (std::vector<Sent>{{8, 0, K(MessageKind::RejectNotice) + "7"}}));
    Receive(7, K(MessageKind::RejectNotice) + "99");
    Receive(7, K(MessageKind::RejectNotice) + "x");
    EXPECT_TRUE(Sends().empty());
}

TEST_F(Relay, drops_heartbeats_server_only_kinds_and_unknown_codes) {
    for (const std::string& payload :
         {K(MessageKind::Heartbeat) + "#", K(MessageKind::UserRoster) + "xx",
          K(MessageKind::UserQuit) + "1", K(MessageKind::ServerNotice) + "x",
          K(MessageKind::NewVersion) + "9", std::string("\x41zz"), std::string("\xFFzz")}) {
        Receive(7, payload);
    }
    EXPECT_TRUE(Take().empty());
}

TEST_F(Relay, remembers_the_last_file_header_for_the_next_file_block) {
    Receive(7, K(MessageKind::FileHeader) + "alice" + K(MessageKind::FileHeader) + "a" +
                   K(MessageKind::FileHeader) + "b.txt");
    EXPECT_TRUE(Sends().empty());
    const auto header = core.FileBlockStarts(7);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->sender, "alice");
    EXPECT_EQ(header->fileName, "a" + K(MessageKind::FileHeader) + "b.txt");
    // The name is used once; the sender stays until the next header.
    EXPECT_EQ(core.FileBlockStarts(8)->fileName, "");
    EXPECT_EQ(core.FileBlockStarts(8)->sender, "alice");
    Accept(9);
    EXPECT_FALSE(core.FileBlockStarts(9));  // not logged on: discarded
}

TEST_F(Relay, logs_instead_of_sending_a_relay_that_no_longer_fits_a_frame) {
    Receive(7, K(MessageKind::PublicMessage) + std::string(4092, 'x'));
    EXPECT_TRUE(Sends().empty());
    ASSERT_EQ(Logs().size(), 1U);
    Receive(7, K(MessageKind::PublicMessage) + std::string(4090, 'x'));
    EXPECT_EQ(Sends().size(), 3U);
}

}  // namespace
}  // namespace talvoro::server
