#pragma once
// Fixture of the server's loopback tests: the real server thread on 127.0.0.1 at a port the
// system picks, an event log in a temporary directory, an observer that records what the operator
// would see, and raw clients that speak frames.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "app/process_state.h"
#include "net/messages.h"
#include "server/chat_server.h"
#include "support/raw_client.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro::server {

// A file block as a client sends it: the tag, the length (32 bits, little-endian), the bytes.
inline std::string FileBlock(std::string_view content) {
    std::string block = "KWMGSFLE";
    for (int shift = 0; shift < 32; shift += 8) {
        block.push_back(static_cast<char>((content.size() >> shift) & 0xFFU));
    }
    return block + std::string(content);
}

// Records the observer calls; any thread may take a copy while the server thread writes.
class RecordingObserver final : public ServerObserver {
  public:
    struct File {  // a file block sent to the operator
        PendingFileHeader header;
        std::string data;
        int finished = 0;  // Finish calls
        bool complete = false;
    };
    struct Seen {
        std::vector<std::pair<LineTarget, std::string>> lines;
        std::vector<QuitAnswer> questions;
        std::vector<File> files;
        std::vector<std::string> notices;
        int quits = 0;
    };

    // Runs f(seen) under the lock.
    template <typename F>
    auto Locked(F&& f) {
        std::lock_guard lock(mutex_);
        return f(seen_);
    }

    void ShowServerLine(LineTarget target, std::string line) override {
        Locked([&](Seen& seen) { seen.lines.emplace_back(target, std::move(line)); });
    }
    void ShowServerNotice(std::string notice) override {
        Locked([&](Seen& seen) { seen.notices.push_back(std::move(notice)); });
    }
    void ClearOperatorInput() override {}
    void AskQuitQuestion(QuitAnswer answer) override {
        Locked([&](Seen& seen) { seen.questions.push_back(std::move(answer)); });
    }
    void QuitConfirmed() override {
        Locked([](Seen& seen) { ++seen.quits; });
    }
    std::unique_ptr<FileBlockSink> OpenFileReceive(ConnectionId, const PendingFileHeader& header,
                                                   std::uint64_t) override {
        return std::make_unique<Sink>(*this, Locked([&](Seen& seen) {
            seen.files.push_back(File{header, {}, 0, false});
            return seen.files.size() - 1;
        }));
    }

    // Set before the first client joins; called on bootstrap task threads.
    std::function<TopicPack(const StickyTopicsRequest&, const std::string&)> packTopics;
    TopicPack PackStickyTopics(const StickyTopicsRequest& request,
                               const std::string& workDir) override {
        return packTopics ? packTopics(request, workDir) : TopicPack{};
    }

    Seen seen() {
        return Locked([](const Seen& seen) { return seen; });
    }
    bool HasLine(LineTarget target, std::string_view part) {
        const Seen now = seen();
        return std::ranges::any_of(now.lines, [&](const auto& line) {
            return line.first == target && line.second.find(part) != std::string::npos;
        });
    }

  private:
    class Sink final : public FileBlockSink {
      public:
        Sink(RecordingObserver& owner, std::size_t index) : owner_(owner), index_(index) {}
        void Write(std::span<const std::uint8_t> bytes) override {
            owner_.Locked(
                [&](Seen& seen) { seen.files[index_].data.append(bytes.begin(), bytes.end()); });
        }
        void Finish(bool complete) override {
            owner_.Locked([&](Seen& seen) {
                ++seen.files[index_].finished;
                seen.files[index_].complete = complete;
            });
        }

      private:
        RecordingObserver& owner_;
        std::size_t index_;
    };

    std::mutex mutex_;
    Seen seen_;
};

class ServerLoopback : public ::testing::Test {
  protected:
    using Client = std::unique_ptr<test::RawClient>;

    void SetUp() override { StartServer(ServerLimits{}); }

    void StartServer(ServerLimits limits) {
        process.settings.Host = "testhost";
        server.reset();
        server = std::make_unique<ChatServer>(process, &log, observer, limits);
        ASSERT_TRUE(server->Start(0, "127.0.0.1"));
        port = server->Port();
    }

    Client Connect(const std::string& source = "127.0.0.1", int receiveBuffer = 0) {
        auto client = std::make_unique<test::RawClient>(port, source, receiveBuffer);
        EXPECT_TRUE(client->connected());
        return client;
    }

    // A client that has logged on under `name`; its client id goes to ids[name]. The operator's
    // own client is registered before its Logon, as the program does it.
    Client Join(const std::string& name, const std::string& source = "127.0.0.1",
                bool asOperator = false) {
        Client client = Connect(source);
        if (asOperator) {
            server->SetOperatorConnection(client->fd());
        }
        ids[name] = client->LogOn(name);
        EXPECT_NE(ids[name], 0) << name;
        return client;
    }
    Client JoinOperator() { return Join("op", "127.0.0.1", true); }

    bool Logged(std::string_view part) const {
        return test::WaitUntil([&] {
            return test::ReadFileText(dir.file("Talvoro.log")).find(part) != std::string::npos;
        });
    }

    // A public message from `name` as the others read it.
    net::PublicMessage From(const std::string& name, const std::string& text) {
        return {ids[name], text};
    }
    static std::optional<net::PublicMessage> PublicOf(const std::optional<net::Frame>& frame) {
        return frame ? net::DecodeFrame<net::PublicMessage>(*frame) : std::nullopt;
    }
    static std::string Say(const std::string& text) {
        return net::PublicMessageToServer{text}.Encode();
    }
    static constexpr auto kPublic = net::MessageKind::PublicMessage;

    test::TempDir dir;
    app::EventLog log{dir.file("Talvoro.log")};
    app::ProcessState process;
    RecordingObserver observer;
    std::unique_ptr<ChatServer> server;
    std::uint16_t port = 0;
    std::map<std::string, std::int32_t> ids;
};

}  // namespace talvoro::server
