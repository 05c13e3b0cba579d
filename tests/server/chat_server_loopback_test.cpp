#include <thread>

#include "server/chat_server.h"
#include "server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using net::MessageKind;
using test::WaitUntil;

TEST_F(ServerLoopback, starts_once_per_port_and_relays_a_public_message_on_topic_2_to_all) {
    EXPECT_TRUE(process.ServerRunning.load());
    EXPECT_TRUE(WaitUntil([&] {
        return observer.HasLine(LineTarget::MainView,
                                "** Talvoro server created on port " + std::to_string(port));
    }));
    EXPECT_FALSE(ChatServer(process, &log, observer).Start(port, "127.0.0.1"));

    Client alice = Join("alice");
    Client bob = Join("bob");
    Client carol = Join("carol");
    EXPECT_EQ(process.ServerVersion.load(), 1600);
    ASSERT_TRUE(bob->Send(2, K(kPublic) + "hi"));
    for (auto* client : {alice.get(), bob.get(), carol.get()}) {
        const auto frame = client->ReceiveKind(kPublic);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->topic, 2);
        EXPECT_EQ(frame->text, From("bob", kPublic, "hi"));
    }
}

TEST_F(ServerLoopback, a_banned_address_is_refused_whole_at_its_next_connect) {
    Client op = JoinOperator();
    Client bob = Join("bob", "127.0.0.2");
    ASSERT_TRUE(op->Send(K(MessageKind::BanCommand) + "**ban bob"));
    EXPECT_EQ(Next(*bob, MessageKind::ServerNotice),
              "** You have been banned from SERVER testhost");
    EXPECT_TRUE(bob->WaitClosed());

    Client back = Connect("127.0.0.2");  // refused before any Logon
    EXPECT_EQ(Next(*back, MessageKind::Refusal), "** You are already banned at SERVER testhost!");
    EXPECT_TRUE(back->WaitClosed());
    Client other = Join("robert", "127.0.0.3");
    EXPECT_TRUE(Logged("Banned client tried to connect (127.0.0.2)"));
}

TEST_F(ServerLoopback, quitting_with_only_the_operator_connected_asks_nothing) {
    Client op = JoinOperator();
    server->RequestQuit();
    EXPECT_TRUE(WaitUntil([&] { return observer.seen().quits == 1; }));
    EXPECT_TRUE(observer.seen().questions.empty());
    EXPECT_TRUE(process.QuitRequested.load());
}

TEST_F(ServerLoopback, the_quit_question_once_cancelled_changes_nothing_and_once_confirmed_ends) {
    Client op = JoinOperator();
    Client alice = Join("alice");
    server->RequestQuit();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().questions.size() == 1; }));
    observer.seen().questions[0].Answer(false);
    ASSERT_TRUE(alice->Send(K(kPublic) + "still here"));
    const auto next = alice->Receive();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, static_cast<std::uint8_t>(kPublic));
    EXPECT_FALSE(process.QuitRequested.load());
    EXPECT_EQ(observer.seen().quits, 0);

    server->RequestQuit();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().questions.size() == 2; }));
    observer.seen().questions[1].Answer(true);
    for (auto* client : {op.get(), alice.get()}) {
        EXPECT_EQ(Next(*client, MessageKind::Refusal), "** Server has been terminated!");
    }
    EXPECT_TRUE(WaitUntil([&] { return observer.seen().quits == 1; }));
    EXPECT_TRUE(process.QuitRequested.load());
}

TEST_F(ServerLoopback, hands_file_blocks_for_the_operator_to_the_observer_whole_or_cut_short) {
    Client alice = Join("alice");
    Client bob = Join("bob");
    const auto header = [&](const std::string& file) {
        return K(MessageKind::FileHeader) + "alice" + K(MessageKind::FileHeader) + file;
    };
    const std::string content = "binary\x9C\x93 content" + std::string(70000, 'z');
    std::string block = "KWMGSFLE";
    for (int shift = 0; shift < 32; shift += 8) {
        block.push_back(static_cast<char>((content.size() >> shift) & 0xFFU));
    }
    ASSERT_TRUE(alice->Send(header("notes.txt")));
    ASSERT_TRUE(alice->SendBytes(block + content));
    ASSERT_TRUE(alice->Send(K(kPublic) + "sent you a file"));
    EXPECT_EQ(Next(*bob, kPublic), From("alice", kPublic, "sent you a file"));
    std::vector<RecordingObserver::File> files = observer.seen().files;
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].header.sender + "|" + files[0].header.fileName, "alice|notes.txt");
    EXPECT_EQ(files[0].length, content.size());
    EXPECT_EQ(files[0].data, content);
    EXPECT_EQ(files[0].finished, 1);
    EXPECT_TRUE(files[0].complete);

    // A block cut short by the sender leaving is finished as incomplete.
    ASSERT_TRUE(alice->Send(header("half.bin")));
    ASSERT_TRUE(alice->SendBytes(std::string("KWMGSFLE\x10\x00\x00\x00", 12) + "12345"));
    ASSERT_TRUE(WaitUntil([&] {
        files = observer.seen().files;
        return files.size() == 2 && files[1].data == "12345";
    }));
    alice->Close();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().files[1].finished == 1; }));
    EXPECT_FALSE(observer.seen().files[1].complete);
}

TEST_F(ServerLoopback, closes_a_connection_that_never_logs_on) {
    ServerLimits limits;
    limits.logonDeadline = 1s;
    StartServer(limits);
    Client idle = Connect("127.0.0.5");
    Client alice = Join("alice");
    EXPECT_TRUE(idle->WaitClosed());
    EXPECT_TRUE(Logged("did not log on in time, connection closed (127.0.0.5)"));
    ASSERT_TRUE(alice->Send(K(kPublic) + "still on"));
    EXPECT_TRUE(alice->ReceiveKind(kPublic));
}

// Records the hand-overs; the test thread then plays the bootstrap task.
struct RecordingBootstrap final : BootstrapHooks {
    void StartVersionPush(VersionPushRequest request) override {
        std::lock_guard lock(mutex);
        pushes.push_back(std::move(request));
    }
    void SendStickyTopics(ConnectionId id, bool fileServerOff) override {
        std::lock_guard lock(mutex);
        topics.emplace_back(id, fileServerOff);
    }
    template <typename T>
    T Copy(const T& member) {
        std::lock_guard lock(mutex);
        return member;
    }

    std::mutex mutex;
    std::vector<VersionPushRequest> pushes;
    std::vector<std::pair<ConnectionId, bool>> topics;
};

TEST_F(ServerLoopback, the_bootstrap_task_ends_outdated_clients_from_its_own_thread) {
    RecordingBootstrap bootstrap;
    StartServer(ServerLimits{}, &bootstrap);
    Client op = JoinOperator();
    Client old = Connect("127.0.0.4");
    ASSERT_TRUE(old->SendLogon("oldie", "1550", "1500", false));
    ASSERT_TRUE(WaitUntil([&] { return bootstrap.Copy(bootstrap.pushes).size() == 1; }));
    Client older = Connect("127.0.0.5");
    ASSERT_TRUE(older->SendLogon("older", "1500", "1500", true));
    ASSERT_TRUE(WaitUntil([&] { return bootstrap.Copy(bootstrap.pushes).size() == 2; }));
    const std::vector<VersionPushRequest> pushes = bootstrap.Copy(bootstrap.pushes);
    EXPECT_EQ(pushes[0],
              (VersionPushRequest{pushes[0].id, "oldie", "127.0.0.4", "1.5.5.0", false}));
    EXPECT_TRUE(pushes[1].fileServerOff);
    std::thread([&] {
        server->SendToClient(pushes[0].id, K(MessageKind::NewVersion) + "1.6.0.0");
        server->CloseConnection(pushes[0].id);
        server->Refuse(pushes[1].id, "too old", "Upgrade and reconnect to");
    }).join();
    EXPECT_EQ(Next(*old, MessageKind::NewVersion), "1.6.0.0");
    EXPECT_TRUE(old->WaitClosed());
    EXPECT_EQ(Next(*older, MessageKind::Refusal), "** Upgrade and reconnect to SERVER testhost!");
    EXPECT_TRUE(older->WaitClosed());
    // Nobody was told about users who never joined.
    ASSERT_TRUE(op->Send(K(kPublic) + "next"));
    const auto next = op->Receive();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, static_cast<std::uint8_t>(kPublic));

    Client alice = Connect();
    ASSERT_TRUE(alice->SendLogon("alice", "1600", "1550", true));
    ASSERT_TRUE(alice->ReceiveKind(MessageKind::UserRoster));
    ASSERT_TRUE(WaitUntil([&] { return bootstrap.Copy(bootstrap.topics).size() == 1; }));
    EXPECT_TRUE(bootstrap.Copy(bootstrap.topics)[0].second);  // the newcomer's, not the operator's
}

}  // namespace
}  // namespace talvoro::server
