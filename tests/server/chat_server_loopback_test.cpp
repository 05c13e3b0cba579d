// The real server thread on loopback: the quit question, file blocks for the operator, its timers,
// and clients that stop reading or send garbage.

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
    const auto next = alice->Receive();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, static_cast<std::uint8_t>(kPublic));
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

// The server thread wakes for the core's deadlines: the logon deadline and the keep-alive cycle.
TEST_F(ServerLoopback, starts_once_per_port_closes_a_mute_connection_and_keeps_the_quiet_alive) {
    EXPECT_TRUE(process.ServerRunning.load());
    EXPECT_FALSE(ChatServer(process, &log, observer).Start(port, "127.0.0.1"));
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
    EXPECT_EQ(process.ServerVersion.load(), 1600);
}

TEST_F(ServerLoopback, a_client_that_stops_reading_is_dropped_and_the_others_keep_receiving) {
    ServerLimits limits;
    limits.maxQueuedBytes = 64 * 1024;
    limits.sendStallLimit = 1s;
    StartServer(limits);
    Client sender = Join("sender");
    Client reader = Join("reader");
    Client stuck = Connect("127.0.0.1", 4096);
    ids["stuck"] = stuck->LogOn("stuck");
    ASSERT_NE(ids["stuck"], 0);
    const net::UserQuit stuckQuit{ids["stuck"], "** stuck has quit"};

    // The sender talks at full speed; it and the reader keep reading, "stuck" never does.
    const std::string text = Say(std::string(4000, 'x'));
    int sent = 0;
    int readerGot = 0;
    bool dropped = false;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!dropped && sent < 20000 && std::chrono::steady_clock::now() < deadline) {
        ASSERT_TRUE(sender->Send(text));
        ++sent;
        while (sender->Receive(0ms)) {
        }
        while (auto frame = reader->Receive(sent % 100 == 0 ? 20ms : 0ms)) {
            readerGot += frame->kind == static_cast<std::uint8_t>(kPublic);
            dropped = dropped || net::DecodeFrame<net::UserQuit>(*frame) == stuckQuit;
        }
    }
    ASSERT_TRUE(dropped) << "after " << sent << " messages";
    EXPECT_TRUE(Logged("Broken connection detected: User is unreachable!"));

    // Everything sent before the drop reached the reader, and the talk goes on.
    ASSERT_TRUE(sender->Send(Say("after")));
    std::optional<net::Frame> last;
    while ((last = reader->ReceiveKind(kPublic)) && last->raw.size() > 100) {
        ++readerGot;
    }
    ASSERT_TRUE(last);
    EXPECT_EQ(net::DecodeFrame<net::PublicMessage>(*last), From("sender", "after"));
    EXPECT_EQ(readerGot, sent);
}

TEST_F(ServerLoopback, garbage_and_out_of_bounds_frames_do_not_disturb_the_others) {
    Client alice = Join("alice");
    Client bob = Join("bob");
    Client vandal = Join("vandal");
    Client stranger = Connect();  // never logs on

    std::string tooLong = net::EncodeFrame(0, Say("x")).value();
    tooLong[1] = static_cast<char>(tooLong[1] ^ 0x20);  // declares 8197 bytes
    std::string tooShort = net::EncodeFrame(0, Say("x")).value();
    tooShort[0] = static_cast<char>(tooShort[0] ^ 1);  // declares 4 bytes
    const std::string unknownKind = net::EncodeFrame(0, "\x41" + std::string(50, 'z')).value();
    std::string noise;
    for (int i = 0; i < 3000; ++i) {
        noise.push_back(static_cast<char>((i * 7919) % 251));
    }
    for (const std::string& bytes : {tooLong, tooShort, unknownKind, noise}) {
        ASSERT_TRUE(vandal->SendBytes(bytes));
        ASSERT_TRUE(stranger->SendBytes(bytes));
    }
    ASSERT_TRUE(vandal->SendBytes(noise.substr(0, 3)));  // a stub that never completes

    ASSERT_TRUE(alice->Send(Say("clean")));
    EXPECT_EQ(bob->ReceiveMessage<net::PublicMessage>(), From("alice", "clean"));
}

}  // namespace
}  // namespace talvoro::server
