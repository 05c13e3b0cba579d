// File transfer between hosts on one machine: senders, file servers on 127.0.0.2 and up, and the
// operator's receive over a chat connection.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>

#include "app/event_log.h"
#include "app/process_state.h"
#include "net/client_session.h"
#include "net/loopback_fixture.h"
#include "net/poll_wait.h"
#include "net/transport.h"
#include "server/file_server.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "transfer/incoming_file.h"
#include "transfer/received_name.h"
#include "transfer/send_worker.h"
#include "transfer/topic_pack.h"

namespace talvoro::test {
namespace {

using Lines = std::vector<std::string>;

// Records reports and FileReceiveStatus frames; any thread.
class Recorder final : public transfer::TransferEvents, public net::ServerLink {
  public:
    void ServerLine(std::string line, bool) override { Add("line", std::move(line)); }
    void LastServerMessage(std::string text) override { Add("status", std::move(text)); }
    void NewContent() override { Add("line", "<new content>"); }
    void FileArrived(std::string path) override { Add("arrived", std::move(path)); }
    void SendWorkerRunning(bool) override {}
    void TopicContents(std::vector<transfer::TopicContent> contents) override {
        std::lock_guard lock(mutex_);
        topics_.push_back(std::move(contents));
    }
    bool SendToServer(std::string_view payload) override {
        Add("sent", std::string(payload));
        return true;
    }
    void SetSelectedTab(int) override {}

    // What came in under `what`: "line", "status", "arrived" or "sent" (FileReceiveStatus).
    Lines Of(const std::string& what) {
        std::lock_guard lock(mutex_);
        return seen_[what];
    }
    std::vector<std::vector<transfer::TopicContent>> topics() {
        std::lock_guard lock(mutex_);
        return topics_;
    }
    int Count(std::string_view part) {
        const Lines all = Of("line");
        return static_cast<int>(std::ranges::count_if(
            all, [&](const std::string& l) { return l.find(part) != std::string::npos; }));
    }

  private:
    void Add(const std::string& what, std::string s) {
        std::lock_guard lock(mutex_);
        seen_[what].push_back(std::move(s));
    }
    std::mutex mutex_;
    std::map<std::string, Lines> seen_;
    std::vector<std::vector<transfer::TopicContent>> topics_;
};

const std::string kBusy = net::FileReceiveStatusToServer{true}.Encode();
const std::string kFree = net::FileReceiveStatusToServer{false}.Encode();
const std::string kUnnamed = transfer::UnnamedFileName(0);  // the clocks here stand at 0

int Occurrences(const std::string& text, std::string_view part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

std::string Pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    }
    return data;
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

std::string BlockHeader(std::uint32_t n) {
    return "KWMGSFLE" + std::string{static_cast<char>(n), static_cast<char>(n >> 8),
                                    static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

// One plain client's receiving side: data directory, receive path and file server.
struct Host {
    Host(const std::string& bindAddress, std::uint16_t port, std::string serverAddress = {})
        : address(bindAddress) {
        transfer::ReceiveSetup setup{dir.dir(), &halt, &log, &rec, &rec, [] { return 0; }};
        incoming = std::make_unique<transfer::IncomingFiles>(setup);
        server::FileServerSetup fs;
        fs.port = port;
        fs.bindAddress = address;
        fs.host = "chathost";
        fs.hostPort = 1805;
        fs.serverAddress = std::move(serverAddress);
        fs.log = &log;
        fs.link = &rec;
        fs.fileServerHalt = &halt;
        fs.timeText = [] { return "12:00:00"; };
        fs.showLine = [this](std::string line) { rec.ServerLine(std::move(line), false); };
        fs.beginFile = [this](const net::FileHeader& h, std::uint32_t length,
                              bool fromServer) -> std::unique_ptr<server::FileBlockSink> {
            auto file = incoming->Begin(h, length, fromServer);
            return file ? std::make_unique<Sink>(std::move(file)) : nullptr;
        };
        fs.idleTimeoutMs = 300;
        files = std::make_unique<server::FileServer>(std::move(fs));
        files->Start();
        EXPECT_TRUE(WaitUntil([&] { return files->Port() != 0 || !files->Running(); }));
    }
    std::string Stored(const std::string& name) const {
        return ReadFileText(dir.file("Transfer/" + name));
    }

    struct Sink final : server::FileBlockSink {
        explicit Sink(std::unique_ptr<transfer::IncomingFile> f) : file(std::move(f)) {}
        void Write(std::span<const std::uint8_t> b) override { file->Write(b); }
        void Finish(bool complete) override { file->Finish(complete); }
        std::unique_ptr<transfer::IncomingFile> file;
    };

    std::string address;
    TempDir dir;
    app::EventLog log{dir.file("Talvoro.log")};
    app::SharedField<std::int8_t> halt{0};
    Recorder rec;
    std::unique_ptr<transfer::IncomingFiles> incoming;
    std::unique_ptr<server::FileServer> files;
};

net::Socket Dial(const Host& host, const std::string& from = "127.0.0.1") {
    return net::NetOpenConnection(host.address, host.files->Port(), 2000, from.c_str());
}

bool SendFrame(const net::Socket& s, const std::string& payload) {
    const auto frame = net::EncodeFrame(0, payload);
    return frame && net::NetSend(s.fd(), *frame);
}

class FileTransfer : public ::testing::Test {
  protected:
    transfer::SendJob Job(const std::string& data, std::vector<transfer::Recipient> to) {
        WriteFile(src.file("report.bin"), data);
        transfer::SendJob job;
        job.recipients = std::move(to);
        job.path = src.file("report.bin");
        job.ownName = "ann";
        job.serverName = "op";
        job.headerPauseMs = 0;
        job.connectTimeoutMs = 2000;
        job.localAddress = "127.0.0.9";
        job.clock = [] { return 0; };
        return job;
    }
    TempDir src;
    Recorder sender;
};

TEST_F(FileTransfer, group_send_reaches_every_reachable_member_and_skips_the_others) {
    Host bob("127.0.0.2", 0);
    Host cid("127.0.0.3", bob.files->Port());
    const std::string data = Pattern(300'000);
    transfer::SendJob job =
        Job(data, {{"bob", "127.0.0.2"}, {"dan", "127.0.0.4"}, {"cid", "127.0.0.3"}});
    job.port = bob.files->Port();
    EXPECT_EQ(transfer::RunSend(job, sender, sender), 2);
    for (Host* host : {&bob, &cid}) {
        ASSERT_TRUE(WaitUntil([&] { return host->rec.Count("** Received 300000 Bytes") == 1; }));
        EXPECT_EQ(host->Stored("report.bin"), data);
        EXPECT_EQ(host->rec.Of("arrived"), Lines{host->dir.file("Transfer/report.bin")});
    }
    EXPECT_EQ(sender.Count("** Sending file <" + job.path + "> to "), 2);
    EXPECT_EQ(sender.Count("** Finished sending 300000 Bytes"), 2);
    EXPECT_EQ(sender.Count("dan"), 0);
    EXPECT_EQ(sender.Of("status").back(), "File report.bin sent to cid (00:00:00)");

    // An unreachable first recipient ends the job silently.
    std::swap(job.recipients[0], job.recipients[1]);
    EXPECT_EQ(transfer::RunSend(job, sender, sender), 0);
    EXPECT_EQ(sender.Count("** Sending file"), 2);
}

TEST_F(FileTransfer, size_limit_is_exactly_32_mib_on_both_sides) {
    const std::uint32_t limit = 33'554'432;
    for (const auto& [size, check] : {std::pair{limit, transfer::SendCheck::Ok},
                                      std::pair{limit + 1, transfer::SendCheck::TooLarge}}) {
        WriteFile(src.file("big"), "");
        std::filesystem::resize_file(src.file("big"), size);
        EXPECT_EQ(transfer::CheckSend(src.file("big"), {{"bob", "h"}}), check) << size;
    }
    // The whole 32 MiB arrive unchanged; one byte more is refused by the receiver as well.
    Host bob("127.0.0.2", 0);
    const std::string data = Pattern(limit);
    transfer::SendJob job = Job(data, {{"bob", "127.0.0.2"}});
    job.port = bob.files->Port();
    ASSERT_EQ(transfer::RunSend(job, sender, sender), 1);
    ASSERT_TRUE(WaitUntil([&] { return bob.rec.Count("** Received 33554432 Bytes") == 1; }));
    EXPECT_TRUE(bob.Stored("report.bin") == data);

    net::Socket raw = Dial(bob);
    ASSERT_TRUE(SendFrame(raw, net::FileHeader{"eve", "huge"}.Encode()));
    ASSERT_TRUE(net::NetSend(raw.fd(), BlockHeader(limit + 1) + "abc"));
    raw.reset();
    ASSERT_TRUE(WaitUntil([&] { return bob.rec.Count("** Refused 33554433 Bytes") == 1; }));
    EXPECT_FALSE(std::filesystem::exists(bob.dir.file("Transfer/huge")));
}

// Receiving status, a second block without a header, a sender that stops, the polite refusal.
TEST_F(FileTransfer, file_server_keeps_each_connection_in_step) {
    Host bob("127.0.0.2", 0);
    net::Socket raw = Dial(bob);
    ASSERT_TRUE(SendFrame(raw, net::FileHeader{"eve", "a.txt"}.Encode()));
    ASSERT_TRUE(net::NetSend(raw.fd(), BlockHeader(10) + "01234"));
    ASSERT_TRUE(WaitUntil([&] { return bob.rec.Of("sent").size() == 2; }));
    EXPECT_EQ(bob.rec.Of("sent").back(), kBusy);  // receiving
    ASSERT_TRUE(net::NetSend(raw.fd(), "56789" + BlockHeader(3) + "xyz"));
    ASSERT_TRUE(WaitUntil([&] { return bob.rec.Count("** Received 3 Bytes") == 1; }));
    EXPECT_EQ(bob.Stored("a.txt"), "0123456789");
    EXPECT_EQ(bob.rec.Count("** Getting file <" + kUnnamed + "> from eve"), 1);
    EXPECT_EQ(bob.Stored(kUnnamed), "xyz");
    EXPECT_EQ(bob.rec.Of("sent").back(), kFree);

    // Half a file, then silence: the part is kept and reported, the server stays "1" no longer.
    ASSERT_TRUE(
        net::NetSend(raw.fd(), net::EncodeFrame(0, net::FileHeader{"eve", "b"}.Encode()).value() +
                                   BlockHeader(8) + "half"));
    ASSERT_TRUE(WaitUntil([&] { return bob.rec.Count("** Received only 4 of 8 Bytes") == 1; }));
    EXPECT_EQ(bob.Stored("b"), "half");
    EXPECT_EQ(bob.rec.Of("sent").back(), kFree);

    net::Socket chat = Dial(bob, "127.0.0.5");
    ASSERT_TRUE(SendFrame(chat, net::Logon{"zed", 255, 1600, 1550, false}.Encode()));
    const std::string refusal = *net::EncodeFrame(
        0, net::Refusal{"You're attempting to connect to a client only!\n** Try a real Talvoro "
                        "server at <chathost:1805> instead."}
               .Encode());
    EXPECT_EQ(ReceiveExactly(chat.fd(), refusal.size()), refusal);
    EXPECT_TRUE(WaitUntil([&] {
        return ReadFileText(bob.dir.file("Talvoro.log"))
                   .find("127.0.0.5 tried to connect as new client - politely rejected") !=
               std::string::npos;
    }));

    // Halting ends the listener: nobody gets in any more.
    bob.halt.store(1);
    bob.files->Stop();
    EXPECT_FALSE(Dial(bob).valid());
}

// The operator gets files over the chat connection. A chat frame sent meanwhile does not wait for
// the block (the peer reads nothing until it has been handed over) and follows it on the wire.
TEST_F(FileTransfer, file_for_the_operator_goes_over_the_chat_connection_before_later_frames) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    net::Socket peer(fds[1]);
    app::ProcessState process;
    net::ClientSession session(process, nullptr);
    session.Adopt(net::Socket(fds[0]));
    const std::string data = Pattern(4'000'000);
    const transfer::SendJob job = Job(data, {{"op", "unused"}});
    auto sent =
        std::async(std::launch::async, [&] { return transfer::RunSend(job, session, sender); });
    const std::string header = *net::EncodeFrame(0, net::FileHeader{"ann", "report.bin"}.Encode());
    EXPECT_EQ(ReceiveExactly(peer.fd(), header.size()), header);
    ASSERT_TRUE(WaitUntil([&] { return net::NetClientEvent(peer.fd()) == net::kNetFileBlock; }));
    const std::string chat = net::PublicMessageToServer{"hi"}.Encode();
    EXPECT_TRUE(session.SendToServer(chat));

    const std::string expected = BlockHeader(4'000'000) + data + *net::EncodeFrame(0, chat);
    const std::string wire = ReceiveExactly(peer.fd(), expected.size());
    EXPECT_EQ(sent.get(), 1);
    EXPECT_TRUE(wire == expected) << wire.size() << " of " << expected.size() << " bytes";
    EXPECT_EQ(sender.Count("** Finished sending 4000000 Bytes"), 1);
}

// The server's pack of sticky topics: unpacked into memory for the views it names, and taken
// only whole, sound and from the server; nothing of it stays in the transfer directory.
TEST_F(FileTransfer, topic_pack_from_the_server_reaches_the_views_it_names) {
    Host bob("127.0.0.2", 0, "127.0.0.6");
    const std::string chat = "{\\rtf1 " + std::string(3000, 'a') + "}";  // compressed entry
    WriteFile(src.file("501Chat.rtf"), chat);
    WriteFile(src.file("503x.rtf"), "{\\rtf1 b}");  // stored raw
    transfer::PackWriter writer(src.file("pack"));
    ASSERT_TRUE(writer.Add(src.file("501Chat.rtf")) && writer.Add(src.file("503x.rtf")) &&
                writer.Finish());
    const std::string pack = ReadFileText(src.file("pack"));
    const std::string names = "501Chat.rtf\n503x.rtf\n";
    const struct {
        std::string from, names, pack;
        bool taken;
    } cases[] = {
        {"127.0.0.7", names, pack, false},                             // not the server
        {"127.0.0.6", names, pack.substr(0, pack.size() - 1), false},  // cut off
        {"127.0.0.6", "501Chat.rtf\n", pack, false},                   // an entry without a name
        {"127.0.0.6", names, pack, true},
    };
    int refused = 0;
    for (const auto& c : cases) {
        net::Socket s = Dial(bob, c.from);
        ASSERT_TRUE(SendFrame(s, net::FileHeader{"[TC]", c.names}.Encode()));
        ASSERT_TRUE(
            net::NetSend(s.fd(), BlockHeader(static_cast<std::uint32_t>(c.pack.size())) + c.pack));
        refused += c.taken ? 0 : 1;
        ASSERT_TRUE(WaitUntil([&] {
            const std::string log = ReadFileText(bob.dir.file("Talvoro.log"));
            return c.taken ? !bob.rec.topics().empty()
                           : Occurrences(log, "contents refused") == refused;
        })) << c.names
            << c.from;
    }
    using Content = transfer::TopicContent;
    EXPECT_EQ(
        bob.rec.topics(),
        (std::vector<std::vector<Content>>{{Content{501, chat}, Content{503, "{\\rtf1 b}"}}}));
    EXPECT_TRUE(WaitUntil(
        [&] { return bob.rec.Of("sent").size() == 7; }));  // "0" at start, then "1", "0" x 3
    EXPECT_EQ(bob.rec.Of("sent").back(), kFree);
    EXPECT_TRUE(bob.rec.Of("line").size() == 1) << "only the file server's own line";
    EXPECT_TRUE(std::filesystem::is_empty(bob.dir.file("Transfer")));
}

TEST(AutoAction, plays_known_media_opens_the_folder_otherwise_and_never_the_update) {
    const struct {
        std::string name;
        bool play, open;
        std::optional<std::string> target;
    } cases[] = {
        {"song.MP3", true, false, "/t/song.MP3"}, {"pic.png", true, true, "/t/pic.png"},
        {"song.mp3", false, true, "/t/"},         {"notes.txt", true, true, "/t/"},
        {"notes.txt", true, false, std::nullopt}, {"_#_Talvoro_Upd.exe", true, true, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(transfer::AutoActionTarget("/t/" + c.name, c.play, c.open), c.target) << c.name;
    }
}

}  // namespace
}  // namespace talvoro::test
