// The version push and the sticky-topic bootstrap against stand-in file servers on further
// loopback addresses: the server listens on 127.0.0.1, a client's file server on 127.0.0.2 (or
// 127.0.0.3) at the same port.

#include <poll.h>
#include <sys/socket.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>

#include "net/listener.h"
#include "net/poll_wait.h"
#include "server/bootstrap_sticky_topics.h"
#include "server/bootstrap_version_push.h"
#include "server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using test::WaitUntil;

constexpr const char* kTooOld =
    "** Your client version is way too old. Upgrade to at least version 1.6.0.0 and reconnect to "
    "SERVER testhost!";

// Everything one connection to the stand-in file server brought, up to its end.
std::string ReadAll(const net::Socket& connection) {
    std::string bytes;
    char buffer[4096];
    for (int round = 0; round < 1000 && net::WaitReady(connection.fd(), POLLIN, 10000); ++round) {
        const long n = ::recv(connection.fd(), buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

// The file header and the file block's bytes of what a bootstrap sent.
struct SentFile {
    std::optional<net::FileHeader> header;
    std::string data;
};
SentFile Split(const std::string& bytes) {
    const std::size_t block = bytes.find("KWMGSFLE");
    if (block == std::string::npos) {
        return {};
    }
    net::FrameReader reader(net::FrameRole::FileServer, nullptr);
    const std::vector<net::Frame> frames =
        reader.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), block));
    return SentFile{
        frames.size() == 1 ? net::DecodeFrame<net::FileHeader>(frames[0]) : std::nullopt,
        bytes.substr(block + 12)};
}

// A stand-in program to push; the operator's side stands in as a packer that writes a pack naming
// the newcomer (the server sends it as it is) and waits until two bootstraps are inside at once.
class Bootstrap : public ServerLoopback {
  protected:
    void SetUp() override {
        std::ofstream(dir.file("stand-in.exe"), std::ios::binary) << program;
        ServerLimits limits;
        limits.bootstrap.executablePath = dir.file("stand-in.exe");
        limits.lastId = std::numeric_limits<ConnectionId>::max() - 1;
        limits.bootstrap.topicsDir = dir.dir() + "TopicsTemp/";
        limits.bootstrap.retryPause = 10ms;
        limits.bootstrap.settlePause = 20ms;
        observer.packTopics = [this](const StickyTopicsRequest& request, const std::string& work) {
            std::unique_lock lock(mutex);
            requests.emplace_back(request, work);
            entered.notify_all();
            entered.wait_for(lock, 10s, [&] { return requests.size() >= 2; });
            std::ofstream(work + "pack") << "pack for " << request.id;
            return TopicPack{work + "pack", "names " + std::to_string(request.id), {}};
        };
        StartServer(limits);
    }

    const std::string program = "ELF\0\x01\xFF stand-in program"s;
    std::mutex mutex;
    std::condition_variable entered;
    std::vector<std::pair<StickyTopicsRequest, std::string>> requests;  // and the work folder
};

// A client whose file server runs gets the program there, then NewVersion on its chat connection;
// with its file server off, or nobody listening at its address, it is refused as way too old.
TEST_F(Bootstrap, version_push_goes_to_a_reachable_file_server_else_refuses_as_way_too_old) {
    const struct {
        const char* address;
        bool fileServerOff;
        bool pushed;
    } cases[] = {
        {"127.0.0.2", false, true}, {"127.0.0.2", true, false}, {"127.0.0.3", false, false}};
    net::Listener fileServer;
    ASSERT_TRUE(fileServer.Listen(port, "127.0.0.2"));
    Client op = JoinOperator();
    for (const auto& [address, fileServerOff, pushed] : cases) {
        SCOPED_TRACE(std::string(address) + (fileServerOff ? " off" : ""));
        Client old = Connect(address);
        ASSERT_TRUE(old->SendLogon("old", 1550, 1550, fileServerOff));
        if (pushed) {
            ASSERT_TRUE(net::WaitReady(fileServer.fd(), POLLIN, 10000));
            const std::string bytes = ReadAll(fileServer.Accept());
            const SentFile sent = Split(bytes);
            EXPECT_EQ(sent.header, (net::FileHeader{"op", std::string(kUpdateFileName)}));
            EXPECT_EQ(sent.data, program);
            EXPECT_EQ(static_cast<std::uint8_t>(bytes[bytes.find("KWMGSFLE") + 8]), program.size());
            EXPECT_EQ(old->ReceiveMessage<net::NewVersion>(), net::NewVersion{"1.6.0.0"});
            ASSERT_TRUE(Logged("New client version sent to old (127.0.0.2)"));
            EXPECT_TRUE(observer.HasLine(LineTarget::MainView,
                                         "** Sending new client version 1.6.0.0 to "
                                         "old\n** Please be patient ... ("));
            // The operator is told when the push is through.
            EXPECT_TRUE(WaitUntil([&] {
                return std::ranges::any_of(observer.seen().notices, [](const std::string& n) {
                    return n.starts_with("New client has been sent to old (");
                });
            }));
        } else {
            EXPECT_EQ(old->ReceiveMessage<net::Refusal>(), net::Refusal{kTooOld});
            EXPECT_TRUE(Logged(std::string("old (") + address +
                               ") tried to connect with old version 1.5.5.0"));
        }
        EXPECT_TRUE(old->WaitClosed());
    }
    EXPECT_FALSE(fileServer.Accept().valid());  // only asked for once
    // The operator took the largest id and the old clients 1 to 3 after the wrap; ids of closed
    // connections are not handed out again, so a task's late frame reaches no newer user.
    Client newcomer = Join("new");
    EXPECT_EQ(ids["op"], std::numeric_limits<ConnectionId>::max());
    EXPECT_EQ(ids["new"], 4);
}

TEST_F(Bootstrap, sticky_topics_reach_overlapping_joiners_each_from_a_folder_that_goes) {
    net::Listener annFiles;
    net::Listener bobFiles;
    ASSERT_TRUE(annFiles.Listen(port, "127.0.0.2"));
    ASSERT_TRUE(bobFiles.Listen(port, "127.0.0.3"));
    Client op = JoinOperator();
    for (const auto& [title, sticky] :
         {std::pair{"Alpha", true}, {"Beta", false}, {"Gamma", true}}) {
        ASSERT_TRUE(op->Send(net::TopicOpenToServer{title, sticky}.Encode()));
        ASSERT_TRUE(op->ReceiveKind(net::MessageKind::TopicOpen));
    }
    Client ann = Join("ann", "127.0.0.2");
    Client bob = Join("bob", "127.0.0.3");
    for (auto& [files, name] : {std::pair{&annFiles, "ann"}, {&bobFiles, "bob"}}) {
        const std::string id = std::to_string(ids[name]);
        ASSERT_TRUE(net::WaitReady(files->fd(), POLLIN, 10000));
        const SentFile sent = Split(ReadAll(files->Accept()));
        EXPECT_EQ(sent.header, (net::FileHeader{std::string(kTopicPackSender), "names " + id}));
        EXPECT_EQ(sent.data, "pack for " + id);
    }
    EXPECT_TRUE(WaitUntil([&] {
        return std::ranges::count_if(observer.seen().lines,
                                     [](const auto& line) {
                                         return line.second.starts_with(
                                             "** Finished sending sticky topics to new client (");
                                     }) == 2 &&
               std::filesystem::is_empty(dir.dir() + "TopicsTemp");
    }));
    std::lock_guard lock(mutex);
    ASSERT_EQ(requests.size(), 2U);  // none for the operator
    for (auto& [request, work] : requests) {
        EXPECT_EQ(request.topics, (std::vector<StickyTopic>{{1, "Alpha"}, {3, "Gamma"}}));
        EXPECT_EQ(work, dir.dir() + "TopicsTemp/" + std::to_string(request.id) + "/");
    }
}

}  // namespace
}  // namespace talvoro::server
