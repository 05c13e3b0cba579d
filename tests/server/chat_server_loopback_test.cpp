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
    ASSERT_TRUE(bob->Send(2, Say("hi")));
    for (auto* client : {alice.get(), bob.get(), carol.get()}) {
        const auto frame = client->ReceiveKind(kPublic);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->topic, 2);
        EXPECT_EQ(PublicOf(frame), From("bob", "hi"));
    }
}

TEST_F(ServerLoopback, a_banned_address_is_refused_whole_at_its_next_connect) {
    Client op = JoinOperator();
    Client bob = Join("bob", "127.0.0.2");
    ASSERT_TRUE(op->Send(net::BanCommand{"bob"}.Encode()));
    EXPECT_EQ(bob->ReceiveMessage<net::ServerNotice>(),
              net::ServerNotice{"** You have been banned from SERVER testhost"});
    EXPECT_TRUE(bob->WaitClosed());

    Client back = Connect("127.0.0.2");  // refused before any Logon
    EXPECT_EQ(back->ReceiveMessage<net::Refusal>(),
              net::Refusal{"** You are already banned at SERVER testhost!"});
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
    ASSERT_TRUE(alice->Send(Say("still here")));
    const auto next = alice->Receive();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, static_cast<std::uint8_t>(kPublic));
    EXPECT_FALSE(process.QuitRequested.load());
    EXPECT_EQ(observer.seen().quits, 0);

    server->RequestQuit();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().questions.size() == 2; }));
    observer.seen().questions[1].Answer(true);
    for (auto* client : {op.get(), alice.get()}) {
        EXPECT_EQ(client->ReceiveMessage<net::Refusal>(),
                  net::Refusal{"** Server has been terminated!"});
    }
    EXPECT_TRUE(WaitUntil([&] { return observer.seen().quits == 1; }));
    EXPECT_TRUE(process.QuitRequested.load());
}

// Two clients send to the operator at once: each block goes with its own connection's header.
TEST_F(ServerLoopback, hands_file_blocks_for_the_operator_to_the_observer_whole_or_cut_short) {
    Client alice = Join("alice");
    Client bob = Join("bob");
    const auto header = [&](const std::string& file) {
        return net::FileHeader{"alice", file}.Encode();
    };
    const auto block = [](const std::string& content) {
        std::string bytes = "KWMGSFLE";
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<char>((content.size() >> shift) & 0xFFU));
        }
        return bytes + content;
    };
    const std::string content = "binary\x9C\x93 content" + std::string(70000, 'z');
    ASSERT_TRUE(alice->Send(header("notes.txt")));
    ASSERT_TRUE(bob->Send(net::FileHeader{"bob", "b.bin"}.Encode()));
    ASSERT_TRUE(bob->Send(Say("headers read")));  // bob's header is read before alice's block
    EXPECT_EQ(alice->ReceiveMessage<net::PublicMessage>(), From("bob", "headers read"));
    EXPECT_EQ(bob->ReceiveMessage<net::PublicMessage>(), From("bob", "headers read"));
    ASSERT_TRUE(alice->SendBytes(block(content)));
    ASSERT_TRUE(bob->SendBytes(block("from bob")));
    ASSERT_TRUE(alice->Send(Say("sent you a file")));
    EXPECT_EQ(bob->ReceiveMessage<net::PublicMessage>(), From("alice", "sent you a file"));
    std::vector<RecordingObserver::File> files;
    ASSERT_TRUE(WaitUntil([&] {
        files = observer.seen().files;
        return files.size() == 2 && files[0].finished == 1 && files[1].finished == 1;
    }));
    std::ranges::sort(files, {}, [](const auto& file) { return file.header.sender; });
    EXPECT_EQ(files[0].header, (PendingFileHeader{"alice", "notes.txt"}));
    EXPECT_EQ(files[0].length, content.size());
    EXPECT_EQ(files[0].data, content);
    EXPECT_TRUE(files[0].complete);
    EXPECT_EQ(files[1].header, (PendingFileHeader{"bob", "b.bin"}));
    EXPECT_EQ(files[1].data, "from bob");
    EXPECT_TRUE(files[1].complete);

    // A block cut short by the sender leaving is finished as incomplete.
    ASSERT_TRUE(alice->Send(header("half.bin")));
    ASSERT_TRUE(alice->SendBytes(std::string("KWMGSFLE\x10\x00\x00\x00", 12) + "12345"));
    ASSERT_TRUE(WaitUntil([&] {
        files = observer.seen().files;
        return files.size() == 3 && files[2].data == "12345";
    }));
    alice->Close();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().files[2].finished == 1; }));
    EXPECT_FALSE(observer.seen().files[2].complete);
}

TEST_F(ServerLoopback, closes_a_connection_that_never_logs_on_and_keeps_the_silent_alive) {
    ServerLimits limits;
    limits.logonDeadline = 1s;
    limits.keepAliveCycleMin = 1s;
    StartServer(limits);
    process.settings.KeepAlive = 1;
    process.settings.KeepAliveCycleTime = 1;
    server->StopKeepAlive();  // picks up the new values
    Client idle = Connect("127.0.0.5");
    Client quiet = Join("quiet");
    EXPECT_TRUE(idle->WaitClosed());
    EXPECT_TRUE(Logged("did not log on in time, connection closed (127.0.0.5)"));
    EXPECT_EQ(quiet->ReceiveMessage<net::Heartbeat>(), net::Heartbeat{"** Server Keep-Alive"});
}

}  // namespace
}  // namespace talvoro::server
