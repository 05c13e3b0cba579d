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
#include "transfer/topic_contents.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
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
    const SentFile sent = Split(bytes);
    EXPECT_EQ(sent.header, (net::FileHeader{"op", std::string(kUpdateFileName)}));
    EXPECT_EQ(sent.data, program);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[bytes.find("KWMGSFLE") + 8]), program.size());

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

// The operator's side stands in as a packer that writes one rich text per topic it is asked
// for, naming the newcomer in it; `overlap` makes each call wait until that many are inside.
class StickyTopics : public ServerLoopback {
  protected:
    void SetUp() override {
        ServerLimits limits;
        limits.bootstrap.topicsDir = dir.file("TopicsTemp") + "/";
        limits.bootstrap.retryPause = 10ms;
        limits.bootstrap.settlePause = 20ms;
        observer.packTopics = [this](const StickyTopicsRequest& request,
                                     const std::string& workDir) { return Pack(request, workDir); };
        StartServer(limits);
    }

    static std::string Rtf(const std::string& title, ConnectionId id) {
        return "{\\rtf1 " + title + " for " + std::to_string(id) + "}";
    }

    TopicPack Pack(const StickyTopicsRequest& request, const std::string& workDir) {
        {
            std::unique_lock lock(mutex);
            requests.push_back(request);
            workDirs.push_back(workDir);
            entered.notify_all();
            entered.wait_for(lock, 10s,
                             [&] { return static_cast<int>(requests.size()) >= overlap; });
        }
        TopicPack pack{workDir + "pack", {}, {}};
        transfer::PackWriter writer(pack.path);
        for (const StickyTopic& topic : request.topics) {
            const std::string name = std::to_string(500 + topic.position) + topic.title + ".rtf";
            std::ofstream(workDir + name, std::ios::binary) << Rtf(topic.title, request.id);
            EXPECT_TRUE(writer.Add(workDir + name));
            pack.names += name + "\n";
        }
        EXPECT_TRUE(writer.Finish());
        return pack;
    }

    // The topics a pack carried, as "view:rtf", unpacked as a client does.
    std::vector<std::string> Received(const net::Socket& connection) {
        const SentFile sent = Split(ReadAll(connection));
        if (!sent.header || sent.header->sender != kTopicPackSender) {
            return {"(no pack)"};
        }
        const std::string packPath = dir.file("received.kwp");
        std::ofstream(packPath, std::ios::binary) << sent.data;
        const transfer::UnpackedTopics unpacked =
            transfer::UnpackTopicContents(packPath, sent.header->fileName, dir.dir());
        std::vector<std::string> topics;
        for (const transfer::TopicContent& content : unpacked.contents) {
            topics.push_back(std::to_string(content.view) + ":" + content.rtf);
        }
        return unpacked.fault.empty() ? topics : std::vector<std::string>{unpacked.fault};
    }

    void OpenTopics(test::RawClient& op) {
        for (const auto& [title, sticky] : std::vector<std::pair<std::string, bool>>{
                 {"Alpha", true}, {"Beta", false}, {"Gamma", true}}) {
            ASSERT_TRUE(op.Send(net::TopicOpenToServer{title, sticky}.Encode()));
            ASSERT_TRUE(op.ReceiveKind(net::MessageKind::TopicOpen));
        }
    }

    std::mutex mutex;
    std::condition_variable entered;
    int overlap = 1;
    std::vector<StickyTopicsRequest> requests;
    std::vector<std::string> workDirs;
};

TEST_F(StickyTopics, a_late_joiner_gets_the_sticky_topics_text_and_the_work_folder_goes) {
    net::Listener fileServer;
    ASSERT_TRUE(fileServer.Listen(port, "127.0.0.2"));
    Client op = JoinOperator();
    OpenTopics(*op);
    // A client whose file server is off is told the topics but gets no text.
    Client off = Connect("127.0.0.2");
    ASSERT_TRUE(off->SendLogon("off", 1600, 1550, true));
    ASSERT_TRUE(off->ReceiveKind(net::MessageKind::TopicOpen));

    Client late = Join("late", "127.0.0.2");
    ASSERT_TRUE(net::WaitReady(fileServer.fd(), POLLIN, 10000));
    const net::Socket connection = fileServer.Accept();
    ASSERT_TRUE(connection.valid());
    const std::string id = std::to_string(ids["late"]);
    EXPECT_EQ(Received(connection), (std::vector<std::string>{"501:" + Rtf("Alpha", ids["late"]),
                                                              "503:" + Rtf("Gamma", ids["late"])}));
    ASSERT_TRUE(WaitUntil([&] {
        return observer.HasLine(LineTarget::MainView,
                                "** Finished sending sticky topics to new client (");
    }));
    EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(workDirs.at(0)); }));
    std::lock_guard lock(mutex);
    ASSERT_EQ(requests.size(), 1U);  // none for the operator nor for "off"
    EXPECT_EQ(requests[0],
              (StickyTopicsRequest{ids["late"], "127.0.0.2", {{1, "Alpha"}, {3, "Gamma"}}}));
    EXPECT_EQ(workDirs[0], dir.file("TopicsTemp") + "/" + id + "/");
}

TEST_F(StickyTopics, two_overlapping_bootstraps_each_send_their_own_pack) {
    overlap = 2;
    net::Listener second;
    net::Listener third;
    ASSERT_TRUE(second.Listen(port, "127.0.0.2"));
    ASSERT_TRUE(third.Listen(port, "127.0.0.3"));
    Client op = JoinOperator();
    OpenTopics(*op);
    Client ann = Join("ann", "127.0.0.2");
    Client bob = Join("bob", "127.0.0.3");
    for (const auto& [listener, name] :
         std::vector<std::pair<net::Listener*, std::string>>{{&second, "ann"}, {&third, "bob"}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(net::WaitReady(listener->fd(), POLLIN, 10000));
        const net::Socket connection = listener->Accept();
        EXPECT_EQ(Received(connection),
                  (std::vector<std::string>{"501:" + Rtf("Alpha", ids[name]),
                                            "503:" + Rtf("Gamma", ids[name])}));
    }
    std::lock_guard lock(mutex);
    ASSERT_EQ(workDirs.size(), 2U);
    EXPECT_NE(workDirs[0], workDirs[1]);
}

}  // namespace
}  // namespace talvoro::server
