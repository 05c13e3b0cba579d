#include "server/chat_server.h"
#include "server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

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

}  // namespace
}  // namespace talvoro::server
