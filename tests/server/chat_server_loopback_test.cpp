// The real server thread on loopback: the quit question, file blocks for the operator, its timers,
// and a client that stops reading.

#include "net/frame.h"
#include "server/chat_server.h"
#include "server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

// The operator is asked only while clients are on; a cancel changes nothing, a confirm tells every
// client the server has ended before the server stops.
TEST_F(ServerLoopback, quitting_asks_while_clients_are_on_and_a_confirm_tells_them_first) {
    Client op = JoinOperator();
    Client alice = Join("alice");
    server->RequestQuit();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().questions.size() == 1; }));
    observer.seen().questions[0].Answer(false);
    ASSERT_TRUE(alice->Send(Say("still here")));
    EXPECT_EQ(PublicOf(alice->Receive()), From("alice", "still here"));
    EXPECT_FALSE(process.QuitRequested.load());
    EXPECT_EQ(observer.seen().quits, 0);

    server->RequestQuit();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().questions.size() == 2; }));
    observer.seen().questions[1].Answer(true);
    EXPECT_EQ(alice->ReceiveMessage<net::Refusal>(),
              net::Refusal{"** Server has been terminated!"});
    EXPECT_TRUE(WaitUntil([&] { return observer.seen().quits == 1; }));
}

TEST_F(ServerLoopback, quitting_with_only_the_operator_on_asks_nothing) {
    Client op = JoinOperator();
    server->RequestQuit();
    EXPECT_TRUE(WaitUntil([&] { return observer.seen().quits == 1; }));
    EXPECT_TRUE(observer.seen().questions.empty());
    EXPECT_TRUE(process.QuitRequested.load());
}

// A file block for the operator goes to the observer under its connection's last header, whole or,
// when its sender leaves part-way, finished as incomplete; the chat frames after it read as before.
TEST_F(ServerLoopback, hands_file_blocks_for_the_operator_to_the_observer_whole_or_cut_short) {
    Client alice = Join("alice");
    const std::string content = "binary\x9C\x93 content" + std::string(70000, 'z');
    ASSERT_TRUE(alice->Send(net::FileHeader{"alice", "notes.txt"}.Encode()));
    ASSERT_TRUE(alice->SendBytes(FileBlock(content)));
    ASSERT_TRUE(alice->Send(Say("sent you a file")));
    EXPECT_EQ(alice->ReceiveMessage<net::PublicMessage>(), From("alice", "sent you a file"));
    std::vector<RecordingObserver::File> files;
    ASSERT_TRUE(WaitUntil([&] {
        files = observer.seen().files;
        return files.size() == 1 && files[0].finished == 1;
    }));
    EXPECT_EQ(files[0].header, (PendingFileHeader{"alice", "notes.txt"}));
    EXPECT_EQ(files[0].data, content);
    EXPECT_TRUE(files[0].complete);

    ASSERT_TRUE(alice->Send(net::FileHeader{"alice", "half.bin"}.Encode()));
    ASSERT_TRUE(alice->SendBytes(FileBlock("12345 and 11 more").substr(0, 17)));
    ASSERT_TRUE(WaitUntil([&] {
        files = observer.seen().files;
        return files.size() == 2 && files[1].data == "12345";
    }));
    alice->Close();
    ASSERT_TRUE(WaitUntil([&] { return observer.seen().files[1].finished == 1; }));
    EXPECT_FALSE(observer.seen().files[1].complete);
}

// The server thread wakes for the core's deadlines: the logon deadline and the keep-alive cycle.
TEST_F(ServerLoopback, closes_a_mute_connection_and_keeps_the_quiet_alive) {
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

// "stuck" never reads: once its queue passes the bound it is dropped, and the talker, which reads
// each of its messages back before sending the next, loses none of them.
TEST_F(ServerLoopback, a_client_that_stops_reading_is_dropped_and_the_others_keep_receiving) {
    ServerLimits limits;
    limits.maxQueuedBytes = 64 * 1024;
    limits.sendStallLimit = 1s;
    StartServer(limits);
    Client talker = Join("talker");
    Client stuck = Connect("127.0.0.1", 4096);
    const net::UserQuit stuckQuit{stuck->LogOn("stuck"), "** stuck has quit"};
    ASSERT_NE(stuckQuit.user, 0);
    bool dropped = false;
    for (int sent = 0; !dropped && sent < 20000; ++sent) {
        const std::string text = std::to_string(sent) + std::string(4000, 'x');
        ASSERT_TRUE(talker->Send(Say(text)));
        std::optional<net::Frame> frame;
        while ((frame = talker->Receive()) && frame->kind != static_cast<std::uint8_t>(kPublic)) {
            dropped = dropped || net::DecodeFrame<net::UserQuit>(*frame) == stuckQuit;
        }
        ASSERT_EQ(PublicOf(frame), From("talker", text));
    }
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(Logged("Broken connection detected: User is unreachable!"));
}

}  // namespace
}  // namespace talvoro::server
