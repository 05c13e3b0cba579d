// Relay, moderation and keep-alive rules of the server, with the operator, alice and bob logged on.

#include "core_fixture.h"
#include "net/messages.h"
#include "server/moderation.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using net::MessageKind;

class Joined : public CoreTest {
  protected:
    void SetUp() override {
        settings.KeepAlive = 1;
        settings.KeepAliveCycleTime = 300;
        JoinOperator("op");
        Join(7, "alice", "10.0.0.7");
        Join(8, "bob", "10.0.0.8");
    }

    static std::vector<Sent> ToAll(std::int8_t topic, const std::string& payload) {
        return {{kOperator, topic, payload}, {7, topic, payload}, {8, topic, payload}};
    }

    // K + id + K + text: a relay stamped with its sender.
    static std::string Stamped(MessageKind kind, ConnectionId from, const std::string& text) {
        return K(kind) + std::to_string(from) + K(kind) + text;
    }
};

using Relay = Joined;
using Moderation = Joined;
using KeepAlive = Joined;

TEST_F(Relay, stamps_messages_and_status_changes_to_all_but_relays_nothing_unnamed_or_unknown) {
    Receive(7, K(MessageKind::PublicMessage) + "hi", 2);
    EXPECT_EQ(Sends(), ToAll(2, Stamped(MessageKind::PublicMessage, 7, "hi")));
    const std::string withSeparator = "a" + K(MessageKind::PublicMessage) + "b";  // stays whole
    Receive(7, K(MessageKind::PublicMessage) + withSeparator);
    EXPECT_EQ(Sends(), ToAll(0, Stamped(MessageKind::PublicMessage, 7, withSeparator)));
    for (const MessageKind kind : {MessageKind::AwayStatus, MessageKind::FileReceiveStatus}) {
        Receive(8, K(kind) + "1");
        EXPECT_EQ(Sends(), ToAll(0, Stamped(kind, 8, "1")));
    }

    // Nothing from a connection that has not logged on, nor of server-only or unknown kinds.
    Accept(9);
    Forget();
    for (const MessageKind kind : {MessageKind::PublicMessage, MessageKind::TopicOpen,
                                   MessageKind::AwayStatus, MessageKind::RejectNotice}) {
        Receive(9, K(kind) + "1");
    }
    Receive(9, K(MessageKind::Whisper) + "@@alice: psst");
    EXPECT_TRUE(Sends().empty());
    EXPECT_FALSE(core.state().awaySet.contains(9));
    for (const std::string& payload : {K(MessageKind::Heartbeat) + "#",
                                       K(MessageKind::UserRoster) + "xx", std::string("\xFFzz")}) {
        Receive(7, payload);
    }
    EXPECT_TRUE(Take().empty());
}

// At most three topics, titles cut to 24 characters and never empty, closed only by their
// spawner, the operator or anyone once the spawner has left; a late joiner is told them all.
TEST_F(Relay, applies_the_topic_rules_and_tells_a_late_joiner_the_open_topics) {
    const auto open = [](std::string title, bool sticky) {
        return net::TopicOpenToServer{std::move(title), sticky}.Encode();
    };
    const auto close = [](int position) { return net::TopicCloseToServer{position}.Encode(); };
    const auto told = [](ConnectionId owner, const std::string& title, bool sticky,
                         std::optional<std::int32_t> spawned = {}) {
        return net::TopicOpen{owner, title, sticky, spawned}.Encode();
    };
    const std::string cut = "Gamma" + std::string(19, '!');
    const struct {
        ConnectionId from;
        std::string payload;
        std::vector<Sent> relayed;
    } steps[] = {
        {8, open("Alpha", true), ToAll(0, told(8, "Alpha", true))},
        {kOperator, open("Beta", false), ToAll(0, told(kOperator, "Beta", false))},
        {8, open("Gamma" + std::string(30, '!'), false), ToAll(0, told(8, cut, false))},
        {kOperator, open("", false), {}},
        {kOperator, open("Four", false), {}},
        {8, close(2), {}},  // Beta is the operator's
        {8, close(7), {}},  // no such topic
        {kOperator, close(2), ToAll(0, net::TopicClose{kOperator, 2}.Encode())},
        {8, open("Delta", true), ToAll(0, told(8, "Delta", true))},
    };
    for (const auto& [from, payload, relayed] : steps) {
        SCOPED_TRACE(payload);
        Receive(from, payload);
        EXPECT_EQ(Sends(), relayed);
    }
    EXPECT_EQ(Logs(), std::vector<std::string>{
                          "Topic close from bob (10.0.0.8) ignored: the topic is not theirs"});
    core.Closed(8);  // bob leaves: his topics lose their owner
    Arrive(9, "cid");
    std::vector<Sent> topics = Sends();
    std::erase_if(topics,
                  [](const Sent& sent) { return sent.payload[0] != K(MessageKind::TopicOpen)[0]; });
    EXPECT_EQ(topics, (std::vector<Sent>{{9, 0, told(0, "Alpha", true, test::kTestNoon)},
                                         {9, 0, told(0, cut, false, test::kTestNoon)},
                                         {9, 0, told(0, "Delta", true, test::kTestNoon)}}));
    Receive(9, close(1));  // the owner has gone: anyone may close it
    EXPECT_EQ(Sends().size(), 3U);
}

TEST_F(Relay, sends_a_whisper_only_to_its_recipient_traces_it_and_logs_unknown_names) {
    settings.TraceWhisper = 1;
    Receive(7, K(MessageKind::Whisper) + "@@bob: see: you", 1);
    EXPECT_EQ(Sends(), (std::vector<Sent>{{8, 1, Stamped(MessageKind::Whisper, 7, "see: you")}}));
    Receive(kOperator, K(MessageKind::Whisper) + "@@bob: from op");
    Receive(8, K(MessageKind::Whisper) + "@@op: to op");
    EXPECT_EQ(Sends().size(), 2U);
    EXPECT_EQ(Lines(LineTarget::CurrentTab),
              std::vector<std::string>{"** alice --> bob: see: you (12:34:56)"});

    // A whisper to an unknown or missing name is logged instead.
    Receive(7, K(MessageKind::Whisper) + "@@carol: hello");
    Receive(7, K(MessageKind::Whisper) + "@@bob hello");        // no ": ": the name is empty
    Receive(7, K(MessageKind::Whisper) + "@@x\r\nforged: hi");  // no line of its own in the log
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(Logs(),
              (std::vector<std::string>{"alice tried to whisper to unknown user carol",
                                        "alice tried to whisper to unknown user ",
                                        "alice tried to whisper to unknown user x  forged"}));
}

TEST_F(Relay, sends_a_reject_notice_only_to_a_known_target) {
    Receive(7, K(MessageKind::RejectNotice) + "8");
    EXPECT_EQ(Sends(), (std::vector<Sent>{{8, 0, K(MessageKind::RejectNotice) + "7"}}));
    Receive(7, K(MessageKind::RejectNotice) + "99");
    Receive(7, K(MessageKind::RejectNotice) + "x");
    EXPECT_TRUE(Sends().empty());
}

TEST_F(Relay, logs_instead_of_sending_a_relay_that_no_longer_fits_a_frame) {
    Receive(7, K(MessageKind::PublicMessage) + std::string(4092, 'x'));
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(Logs().size(), 1U);
    Receive(7, K(MessageKind::PublicMessage) + std::string(4090, 'x'));
    EXPECT_EQ(Sends().size(), 3U);
}

TEST_F(Relay, keeps_the_last_file_header_of_each_connection_for_its_next_file_block) {
    const std::string name = "a" + K(MessageKind::FileHeader) + "b.txt";  // the rest is the name
    Receive(7, net::FileHeader{"alice", name}.Encode());
    Receive(8, net::FileHeader{"bob", "b.bin"}.Encode());
    EXPECT_TRUE(Sends().empty());
    const struct {
        ConnectionId from;
        std::optional<PendingFileHeader> header;
    } blocks[] = {{8, PendingFileHeader{"bob", "b.bin"}},
                  {7, PendingFileHeader{"alice", name}},
                  {7, PendingFileHeader{"alice", ""}},  // the name is used once, the sender stays
                  {9, std::nullopt}};                   // not logged on: discarded
    Accept(9);
    for (const auto& [from, header] : blocks) {
        EXPECT_EQ(core.FileBlockStarts(from), header) << from;
    }
}

// Kicking oneself or an unknown name only shows a line; kick and ban notify the user, close it and
// tell everyone else.
TEST_F(Moderation, kick_and_ban_notify_the_user_close_it_and_tell_everyone_else) {
    Receive(kOperator, K(MessageKind::KickCommand) + "**kick op");
    Receive(kOperator, K(MessageKind::BanCommand) + "**ban op");
    Receive(kOperator, K(MessageKind::KickCommand) + "**kick Bob");  // names compare exactly
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(Lines(LineTarget::CurrentTab),
              (std::vector<std::string>{"** Kicking yourself looks a little bit strange :-)",
                                        "** Banning yourself looks a little bit strange :-)",
                                        "** User Bob not found, Sorry!"}));
    Forget();
    for (const MessageKind command : {MessageKind::KickCommand, MessageKind::BanCommand}) {
        const bool ban = command == MessageKind::BanCommand;
        const std::string done = ban ? "banned" : "kicked";
        SCOPED_TRACE(done);
        Receive(kOperator, K(command) + (ban ? "**ban bob" : "**kick bob"), 1);
        const std::string quit =
            Stamped(MessageKind::UserQuit, 8, "** bob has been " + done + " from server");
        EXPECT_EQ(Sends(), (std::vector<Sent>{{8, 1,
                                               K(MessageKind::ServerNotice) + "** You have been " +
                                                   done + " from SERVER srvhost"},
                                              {kOperator, 1, quit},
                                              {7, 1, quit}}));
        EXPECT_EQ(Closed(), std::vector<ConnectionId>{8});
        // A kicked user may come back at once; a banned address is barred.
        Accept(8, "10.0.0.8");
        if (ban) {
            const std::vector<Sent> refusal = Sends();
            ASSERT_EQ(refusal.size(), 1U);
            EXPECT_EQ(refusal[0].payload,
                      K(MessageKind::Refusal) + "** You are already banned at SERVER srvhost!");
        }
        Logon(8, "bob");
        Forget();
        EXPECT_EQ(core.RecordCount(), ban ? 2U : 3U);
    }
    EXPECT_EQ(core.state().banList, std::vector<std::string>{"10.0.0.8"});
    EXPECT_FALSE(IsBanned(core.state(), ""));
}

TEST_F(Moderation, only_the_operators_connection_may_kick_ban_or_end_the_server) {
    const std::string refusal = K(MessageKind::Refusal) + "** Server has been terminated!";
    Receive(7, K(MessageKind::KickCommand) + "**kick bob");
    Receive(7, K(MessageKind::BanCommand) + "**ban bob");
    Receive(7, refusal);
    EXPECT_TRUE(Sends().empty());
    EXPECT_TRUE(Closed().empty());
    const std::vector<std::string> logs = Logs();
    ASSERT_EQ(logs.size(), 3U);
    EXPECT_EQ(logs[0],
              "KickCommand from alice (10.0.0.7) ignored: only the server operator may send it");

    Receive(kOperator, refusal);  // the operator's goes to everyone unchanged
    EXPECT_EQ(Sends(), ToAll(0, refusal));
}

// The notice comes a cycle after the last real message and again each cycle after, on the topic of
// the last frame. Neither a client's heartbeat nor the main thread's to everyone restarts it.
TEST_F(KeepAlive, comes_after_each_silent_cycle_and_only_a_real_message_restarts_it) {
    core.Idle();
    clock.Advance(100s);
    Receive(7, K(MessageKind::PublicMessage) + "hi", 3);
    core.Idle();
    Forget();
    clock.Advance(200s);
    Receive(7, K(MessageKind::Heartbeat) + "#", 2);
    core.BroadcastHeartbeat();
    core.Idle();
    EXPECT_EQ(Sends(), ToAll(2, K(MessageKind::Heartbeat) + "#"));
    clock.Advance(100s);
    EXPECT_EQ(core.NextDeadline(), clock.now);
    core.Tick();
    core.Idle();
    EXPECT_EQ(Sends(), ToAll(2, K(MessageKind::Heartbeat) + "** Server Keep-Alive"));
    EXPECT_EQ(core.NextDeadline(), clock.now + 300s);
}

TEST_F(KeepAlive, is_off_while_switched_off_and_rearms_with_new_values_after_a_stop) {
    settings.KeepAlive = 0;
    core.StopKeepAlive();
    core.Idle();
    EXPECT_EQ(core.NextDeadline(), std::nullopt);
    settings.KeepAlive = 1;
    // A hand-edited cycle is held to 10..9999 seconds.
    const std::pair<std::int16_t, std::chrono::seconds> cycles[] = {
        {10, 10s}, {0, 10s}, {-5, 10s}, {-1, 10s}, {9999, 9999s}, {10000, 9999s}, {300, 300s}};
    for (const auto& [cycle, period] : cycles) {
        settings.KeepAliveCycleTime = cycle;
        core.StopKeepAlive();
        core.Idle();
        EXPECT_EQ(core.NextDeadline(), clock.now + period) << cycle;
    }
}

}  // namespace
}  // namespace talvoro::server
