#pragma once
// Fixture of the server's loopback tests: the real server thread on 127.0.0.1 at a port the
// system picks, an event log in a temporary directory, an observer that records what the operator
// would see, and raw clients that speak frames.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "app/process_state.h"
#include "net/message_kind.h"
#include "server/chat_server.h"
#include "support/raw_client.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro::server {

// Records the observer calls; any thread may read while the server thread writes.
class RecordingObserver final : public ServerObserver {
  public:
    void ShowServerLine(LineTarget target, std::string line) override {
        std::lock_guard lock(mutex_);
        lines_.push_back({target, std::move(line)});
    }
    void ClearOperatorInput() override {
        std::lock_guard lock(mutex_);
        ++clears_;
    }
    void AskQuitQuestion(QuitAnswer answer) override {
        std::lock_guard lock(mutex_);
        questions_.push_back(std::move(answer));
    }
    void QuitConfirmed() override {
        std::lock_guard lock(mutex_);
        ++quits_;
    }

    bool HasLine(LineTarget target, std::string_view part) const {
        std::lock_guard lock(mutex_);
        return std::any_of(lines_.begin(), lines_.end(), [&](const auto& line) {
            return line.first == target && line.second.find(part) != std::string::npos;
        });
    }
    std::size_t Questions() const {
        std::lock_guard lock(mutex_);
        return questions_.size();
    }
    QuitAnswer Question(std::size_t i) const {
        std::lock_guard lock(mutex_);
        return questions_.at(i);
    }
    int Quits() const {
        std::lock_guard lock(mutex_);
        return quits_;
    }

    // File blocks sent to the operator: what arrived, and whether the block completed.
    struct File {
        PendingFileHeader header;
        std::uint64_t length = 0;
        std::string data;
        int finished = 0;  // Finish calls
        bool complete = false;
    };
    std::unique_ptr<FileBlockSink> OpenFileReceive(ConnectionId, const PendingFileHeader& header,
                                                   std::uint64_t length) override {
        std::lock_guard lock(mutex_);
        files_.push_back(File{header, length, {}, 0, false});
        return std::make_unique<Sink>(*this, files_.size() - 1);
    }
    std::vector<File> Files() const {
        std::lock_guard lock(mutex_);
        return files_;
    }

  private:
    class Sink final : public FileBlockSink {
      public:
        Sink(RecordingObserver& owner, std::size_t index) : owner_(owner), index_(index) {}
        void Write(std::span<const std::uint8_t> bytes) override {
            std::lock_guard lock(owner_.mutex_);
            owner_.files_[index_].data.append(bytes.begin(), bytes.end());
        }
        void Finish(bool complete) override {
            std::lock_guard lock(owner_.mutex_);
            ++owner_.files_[index_].finished;
            owner_.files_[index_].complete = complete;
        }

      private:
        RecordingObserver& owner_;
        std::size_t index_;
    };

    mutable std::mutex mutex_;
    std::vector<std::pair<LineTarget, std::string>> lines_;
    std::vector<QuitAnswer> questions_;
    std::vector<File> files_;
    int clears_ = 0;
    int quits_ = 0;
};

class ServerLoopback : public ::testing::Test {
  protected:
    using Client = std::unique_ptr<test::RawClient>;

    void SetUp() override {
        process.settings.Host = "testhost";
        StartServer(ServerLimits{});
    }

    void StartServer(ServerLimits limits, BootstrapHooks* bootstrap = nullptr) {
        server.reset();
        server = std::make_unique<ChatServer>(process, &log, observer, bootstrap, limits);
        ASSERT_TRUE(server->Start(0, "127.0.0.1"));
        port = server->Port();
        ASSERT_NE(port, 0);
    }

    Client Connect(const std::string& source = "127.0.0.1", int receiveBuffer = 0) {
        auto client = std::make_unique<test::RawClient>(port, source, receiveBuffer);
        EXPECT_TRUE(client->connected());
        return client;
    }

    // A client that has logged on under `name`; its client id goes to ids[name].
    Client Join(const std::string& name, const std::string& source = "127.0.0.1") {
        Client client = Connect(source);
        ids[name] = client->LogOn(name);
        EXPECT_NE(ids[name], 0) << name;
        return client;
    }

    // The operator's own client: registered before its Logon, as the program does it.
    Client JoinOperator(const std::string& name = "op") {
        Client client = Connect();
        server->SetOperatorConnection(client->fd());
        ids[name] = client->LogOn(name);
        EXPECT_NE(ids[name], 0);
        return client;
    }

    std::string LogText() const { return test::ReadFileText(dir.file("Talvoro.log")); }

    static std::string K(net::MessageKind kind) { return std::string(1, net::KindChar(kind)); }

    test::TempDir dir;
    app::EventLog log{dir.file("Talvoro.log")};
    app::ProcessState process;
    RecordingObserver observer;
    std::unique_ptr<ChatServer> server;
    std::uint16_t port = 0;
    std::map<std::string, std::int32_t> ids;
};

}  // namespace talvoro::server
