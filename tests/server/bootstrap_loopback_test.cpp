// The version push against stand-in file servers on further loopback addresses: the server
// listens on 127.0.0.1, a client's file server on 127.0.0.2 at the same port.

#include <poll.h>
#include <sys/socket.h>

#include <fstream>

#include "net/listener.h"
#include "net/poll_wait.h"
#include "server/bootstrap_version_push.h"
#include "server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

constexpr const char* kTooOld =
    "** Your client version is way too old. Upgrade to at least version 1.6.0.0 and reconnect to "
    "SERVER testhost!";

class VersionPush : public ServerLoopback {
  protected:
    void SetUp() override {
        std::ofstream(dir.file("stand-in.exe"), std::ios::binary) << program;
        ServerLimits limits;
        limits.bootstrap.executablePath = dir.file("stand-in.exe");
        limits.bootstrap.retryPause = 10ms;
        limits.bootstrap.settlePause = 20ms;
        limits.lastId = std::numeric_limits<ConnectionId>::max() - 1;
        StartServer(limits);
    }

    // Everything one connection to the stand-in file server brought, up to its end.
    static std::string ReadAll(const net::Socket& connection) {
        std::string bytes;
        char buffer[4096];
        for (int round = 0; round < 1000 && net::WaitReady(connection.fd(), POLLIN, 10000);
             ++round) {
            const long n = ::recv(connection.fd(), buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    const std::string program = std::string(
                                    "\x7f"
                                    "ELF stand-in\0\x01",
                                    15) +
                                "program";
};

TEST_F(VersionPush, sends_the_program_then_new_version_and_a_late_frame_reaches_no_newer_user) {
    net::Listener fileServer;
    ASSERT_TRUE(fileServer.Listen(port, "127.0.0.2"));
    Client op = JoinOperator();
    Client old = Connect("127.0.0.2");
    ASSERT_TRUE(old->SendLogon("old", 1550));
    ASSERT_TRUE(net::WaitReady(fileServer.fd(), POLLIN, 10000));
    const net::Socket pushed = fileServer.Accept();
    ASSERT_TRUE(pushed.valid());

    // The old client leaves while the push runs; a newcomer takes the next id, not the old one.
    old->Close();
    ASSERT_TRUE(Logged("Unknown user has quit! (127.0.0.2)"));
    Client newcomer = Join("new");
    // The operator took the largest id, the old client 1 after the wrap.
    EXPECT_EQ(ids["op"], std::numeric_limits<ConnectionId>::max());
    EXPECT_EQ(ids["new"], 2);

    const std::string bytes = ReadAll(pushed);
    const std::size_t block = bytes.find("KWMGSFLE");
    ASSERT_NE(block, std::string::npos);
    net::FrameReader reader(net::FrameRole::FileServer, nullptr);
    const std::vector<net::Frame> frames =
        reader.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), block));
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(net::DecodeFrame<net::FileHeader>(frames[0]),
              (net::FileHeader{"op", std::string(kUpdateFileName)}));
    EXPECT_EQ(bytes.substr(block + 12), program);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[block + 8]), program.size());

    ASSERT_TRUE(Logged("New client version sent to old (127.0.0.2)"));
    EXPECT_TRUE(observer.HasLine(LineTarget::MainView,
                                 "** Sending new client version 1.6.0.0 to "
                                 "old\n** Please be patient ... ("));
    EXPECT_TRUE(
        observer.HasLine(LineTarget::MainView,
                         "** Finished sending " + std::to_string(program.size()) + " Bytes ("));
    EXPECT_TRUE(observer.seen().notices.at(0).starts_with("New client has been sent to old ("));
    // The NewVersion for the old id went nowhere: the newcomer sees only its own message.
    ASSERT_TRUE(newcomer->Send(Say("me")));
    for (std::optional<net::Frame> frame = newcomer->Receive(); frame;
         frame = newcomer->Receive()) {
        EXPECT_NE(frame->kind, static_cast<std::uint8_t>(net::MessageKind::NewVersion));
        if (net::DecodeFrame<net::PublicMessage>(*frame) == From("new", "me")) {
            break;
        }
    }
}

TEST_F(VersionPush, the_client_on_its_chat_connection_gets_new_version_and_is_closed) {
    net::Listener fileServer;
    ASSERT_TRUE(fileServer.Listen(port, "127.0.0.2"));
    Client old = Connect("127.0.0.2");
    ASSERT_TRUE(old->SendLogon("old", 1550));
    ASSERT_TRUE(net::WaitReady(fileServer.fd(), POLLIN, 10000));
    const net::Socket pushed = fileServer.Accept();
    EXPECT_NE(ReadAll(pushed).find(program), std::string::npos);
    EXPECT_EQ(old->ReceiveMessage<net::NewVersion>(), net::NewVersion{"1.6.0.0"});
    EXPECT_TRUE(old->WaitClosed());
}

// File server off, or nobody listening on the client's address after every attempt.
TEST_F(VersionPush, refuses_as_way_too_old_when_the_file_server_is_off_or_unreachable) {
    const struct {
        const char* address;
        bool fileServerOff;
    } cases[] = {{"127.0.0.2", true}, {"127.0.0.3", false}};
    net::Listener fileServer;  // listening, but only asked for when the client says it runs
    ASSERT_TRUE(fileServer.Listen(port, "127.0.0.2"));
    for (const auto& [address, fileServerOff] : cases) {
        SCOPED_TRACE(address);
        Client old = Connect(address);
        ASSERT_TRUE(old->SendLogon("old", 1550, 1550, fileServerOff));
        const std::optional<net::Refusal> refusal = old->ReceiveMessage<net::Refusal>();
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->text, kTooOld);
        EXPECT_TRUE(old->WaitClosed());
        EXPECT_TRUE(
            Logged(std::string("old (") + address + ") tried to connect with old version 1.5.5.0"));
    }
    EXPECT_FALSE(fileServer.Accept().valid());
}

}  // namespace
}  // namespace talvoro::server
