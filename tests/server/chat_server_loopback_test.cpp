#include "net/user_roster.h"
#include "server/chat_server.h"
#include "server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using net::MessageKind;
using test::WaitUntil;

TEST_F(ServerLoopback, announces_itself_and_marks_the_server_running) {
    EXPECT_TRUE(process.ServerRunning.load());
    EXPECT_TRUE(WaitUntil([&] {
        return observer.HasLine(LineTarget::MainView,
                                "** Talvoro server created on port " + std::to_string(port));
    }));
}

TEST_F(ServerLoopback, a_second_server_on_the_same_port_does_not_start) {
    ChatServer second(process, &log, observer);
    EXPECT_FALSE(second.Start(port, "127.0.0.1"));
}

TEST_F(ServerLoopback, a_public_message_on_topic_2_reaches_every_client_with_the_sender_id) {
    Client alice = Join("alice");
    Client bob = Join("bob");
    Client carol = Join("carol");

    ASSERT_TRUE(bob->Send(2, K(MessageKind::PublicMessage) + "hi"));

    const std::string expected = std::to_string(ids["bob"]) + K(MessageKind::PublicMessage) + "hi";
    for (auto* client : {alice.get(), bob.get(), carol.get()}) {
        const auto frame = client->ReceiveKind(MessageKind::PublicMessage);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->topic, 2);
        EXPECT_EQ(frame->text, expected);
    }
}

TEST_F(ServerLoopback, a_newcomer_is_welcomed_with_everyone_and_their_peer_addresses) {
    Client op = JoinOperator();
    Client alice = Join("alice", "127.0.0.2");
    Client bob = Connect("127.0.0.3");
    ASSERT_TRUE(bob->SendLogon("bob"));

    const auto welcome = bob->ReceiveKind(MessageKind::UserRoster);
    ASSERT_TRUE(welcome);
    const auto roster = net::DecodeUserRoster(welcome->raw);
    ASSERT_TRUE(roster);
    ASSERT_EQ(roster->users.size(), 3U);
    EXPECT_EQ(roster->users[0].name, "op");
    EXPECT_EQ(roster->users[1].address, "127.0.0.2");
    EXPECT_EQ(roster->users[2].name, "bob");
    EXPECT_EQ(roster->users[2].address, "127.0.0.3");
    EXPECT_EQ(roster->serverVersion, 1600);
    EXPECT_EQ(process.ServerVersion.load(), 1600);
}

TEST_F(ServerLoopback, a_whisper_reaches_only_its_recipient_and_is_traced_for_the_operator) {
    process.settings.TraceWhisper = 1;
    Client op = JoinOperator();
    Client alice = Join("alice");
    Client bob = Join("bob");
    Client carol = Join("carol");

    ASSERT_TRUE(alice->Send(1, K(MessageKind::Whisper) + "@@bob: secret"));
    ASSERT_TRUE(alice->Send(K(MessageKind::PublicMessage) + "public"));

    const auto whisper = bob->ReceiveKind(MessageKind::Whisper);
    ASSERT_TRUE(whisper);
    EXPECT_EQ(whisper->topic, 1);
    EXPECT_EQ(whisper->text, std::to_string(ids["alice"]) + K(MessageKind::Whisper) + "secret");
    // Carol and the operator see the public message that followed, and no whisper before it.
    for (auto* other : {carol.get(), op.get()}) {
        std::optional<net::Frame> next;
        do {
            next = other->Receive();
        } while (next && next->kind == static_cast<std::uint8_t>(MessageKind::UserRoster));
        ASSERT_TRUE(next);
        EXPECT_EQ(next->kind, static_cast<std::uint8_t>(MessageKind::PublicMessage));
    }
    EXPECT_TRUE(WaitUntil(
        [&] { return observer.HasLine(LineTarget::CurrentTab, "** alice --> bob: secret ("); }));
}

TEST_F(ServerLoopback, a_kicked_user_may_come_back_but_a_banned_address_is_refused_at_connect) {
    Client op = JoinOperator();
    Client bob = Join("bob", "127.0.0.2");

    ASSERT_TRUE(op->Send(K(MessageKind::KickCommand) + "**kick bob"));
    auto notice = bob->ReceiveKind(MessageKind::ServerNotice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, "** You have been kicked from SERVER testhost");
    EXPECT_TRUE(bob->WaitClosed());
    const auto quit = op->ReceiveKind(MessageKind::UserQuit);
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->text, std::to_string(ids["bob"]) + K(MessageKind::UserQuit) +
                              "** bob has been kicked from server");

    bob = Join("bob", "127.0.0.2");
    ASSERT_TRUE(op->Send(K(MessageKind::BanCommand) + "**ban bob"));
    notice = bob->ReceiveKind(MessageKind::ServerNotice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, "** You have been banned from SERVER testhost");
    EXPECT_TRUE(bob->WaitClosed());

    Client back = Connect("127.0.0.2");  // refused before any Logon
    const auto refusal = back->ReceiveKind(MessageKind::Refusal);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "** You are already banned at SERVER testhost!");
    EXPECT_TRUE(back->WaitClosed());
    Client other = Join("robert", "127.0.0.3");
    EXPECT_NE(LogText().find("Banned client tried to connect (127.0.0.2)"), std::string::npos);
}

TEST_F(ServerLoopback, a_cancelled_quit_question_sends_nothing_and_the_server_goes_on) {
    Client op = JoinOperator();
    Client alice = Join("alice");

    server->RequestQuit();
    ASSERT_TRUE(WaitUntil([&] { return observer.Questions() == 1; }));
    observer.Question(0).Answer(false);
    ASSERT_TRUE(alice->Send(K(MessageKind::PublicMessage) + "still here"));

    const auto next = alice->Receive();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, static_cast<std::uint8_t>(MessageKind::PublicMessage));
    EXPECT_FALSE(process.QuitRequested.load());
    EXPECT_EQ(observer.Quits(), 0);
}

TEST_F(ServerLoopback, a_confirmed_quit_tells_every_client_before_quitting) {
    Client op = JoinOperator();
    Client alice = Join("alice");

    server->RequestQuit();
    ASSERT_TRUE(WaitUntil([&] { return observer.Questions() == 1; }));
    observer.Question(0).Answer(true);

    for (auto* client : {op.get(), alice.get()}) {
        const auto refusal = client->ReceiveKind(MessageKind::Refusal);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->text, "** Server has been terminated!");
    }
    EXPECT_TRUE(WaitUntil([&] { return observer.Quits() == 1; }));
    EXPECT_TRUE(process.QuitRequested.load());
}

TEST_F(ServerLoopback, quitting_with_only_the_operator_connected_asks_nothing) {
    Client op = JoinOperator();
    server->RequestQuit();
    EXPECT_TRUE(WaitUntil([&] { return observer.Quits() == 1; }));
    EXPECT_EQ(observer.Questions(), 0U);
    EXPECT_TRUE(process.QuitRequested.load());
}

TEST_F(ServerLoopback, the_main_threads_heartbeat_reaches_everyone) {
    Client alice = Join("alice");
    Client bob = Join("bob");
    server->BroadcastHeartbeat();
    for (auto* client : {alice.get(), bob.get()}) {
        const auto heartbeat = client->ReceiveKind(MessageKind::Heartbeat);
        ASSERT_TRUE(heartbeat);
        EXPECT_EQ(heartbeat->text, "#");
    }
}

TEST_F(ServerLoopback, a_client_that_leaves_is_announced_to_those_who_stay) {
    Client alice = Join("alice");
    Client bob = Join("bob");
    bob->Close();
    const auto quit = alice->ReceiveKind(MessageKind::UserQuit);
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->text,
              std::to_string(ids["bob"]) + K(MessageKind::UserQuit) + "** bob has quit");
}

TEST_F(ServerLoopback, a_refused_client_receives_the_whole_refusal_before_the_close) {
    Client alice = Join("alice");
    Client copy = Connect();
    ASSERT_TRUE(copy->SendLogon("ALICE"));
    const auto refusal = copy->ReceiveKind(MessageKind::Refusal);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "** User ALICE is already connected to SERVER testhost!");
    EXPECT_TRUE(copy->WaitClosed());
}

}  // namespace
}  // namespace talvoro::server
