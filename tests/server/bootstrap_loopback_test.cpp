#include <mutex>
#include <string>
#include <vector>

#include "server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using net::MessageKind;
using test::WaitUntil;

// Records the hand-overs; the test thread then plays the bootstrap task.
class RecordingBootstrap final : public BootstrapHooks {
  public:
    void StartVersionPush(VersionPushRequest request) override {
        std::lock_guard lock(mutex_);
        pushes_.push_back(std::move(request));
    }
    void SendStickyTopics(ConnectionId id, bool fileServerOff) override {
        std::lock_guard lock(mutex_);
        topics_.emplace_back(id, fileServerOff);
    }
    std::vector<VersionPushRequest> Pushes() const {
        std::lock_guard lock(mutex_);
        return pushes_;
    }
    std::vector<std::pair<ConnectionId, bool>> Topics() const {
        std::lock_guard lock(mutex_);
        return topics_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<VersionPushRequest> pushes_;
    std::vector<std::pair<ConnectionId, bool>> topics_;
};

class BootstrapLoopback : public ServerLoopback {
  protected:
    void SetUp() override {
        process.settings.Host = "testhost";
        StartServer(ServerLimits{}, &bootstrap);
    }

    RecordingBootstrap bootstrap;
};

TEST_F(BootstrapLoopback, hands_an_outdated_client_to_the_push_which_ends_it_from_its_thread) {
    Client op = JoinOperator();
    Client old = Connect("127.0.0.4");
    ASSERT_TRUE(old->SendLogon("oldie", "1550", "1500", false));
    ASSERT_TRUE(WaitUntil([&] { return bootstrap.Pushes().size() == 1; }));
    const VersionPushRequest request = bootstrap.Pushes()[0];
    EXPECT_EQ(request.name, "oldie");
    EXPECT_EQ(request.address, "127.0.0.4");
    EXPECT_EQ(request.versionText, "1.5.5.0");
    EXPECT_FALSE(request.fileServerOff);

    // The push task, on another thread, tells the client and closes its connection.
    std::thread task([&] {
        server->SendToClient(request.id, K(MessageKind::NewVersion) + "1.6.0.0");
        server->CloseConnection(request.id);
    });
    task.join();
    const auto frame = old->ReceiveKind(MessageKind::NewVersion);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->text, "1.6.0.0");
    EXPECT_TRUE(old->WaitClosed());
    // Nobody was told about a user who never joined.
    ASSERT_TRUE(op->Send(K(MessageKind::PublicMessage) + "next"));
    const auto next = op->Receive();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->kind, static_cast<std::uint8_t>(MessageKind::PublicMessage));
}

TEST_F(BootstrapLoopback, the_push_may_refuse_the_client_instead) {
    Client old = Connect();
    ASSERT_TRUE(old->SendLogon("oldie", "1500", "1500", true));
    ASSERT_TRUE(WaitUntil([&] { return bootstrap.Pushes().size() == 1; }));
    server->Refuse(bootstrap.Pushes()[0].id, "too old", "Upgrade and reconnect to");
    const auto refusal = old->ReceiveKind(MessageKind::Refusal);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "** Upgrade and reconnect to SERVER testhost!");
    EXPECT_TRUE(old->WaitClosed());
}

TEST_F(BootstrapLoopback, newcomers_but_not_the_operator_get_the_topics) {
    Client op = JoinOperator();
    Client alice = Connect();
    ASSERT_TRUE(alice->SendLogon("alice", "1600", "1550", true));
    ASSERT_TRUE(alice->ReceiveKind(MessageKind::UserRoster));
    ASSERT_TRUE(WaitUntil([&] { return bootstrap.Topics().size() == 1; }));
    EXPECT_TRUE(bootstrap.Topics()[0].second);
}

TEST_F(ServerLoopback, passes_a_file_block_for_the_operator_to_the_observer_and_goes_on) {
    Client alice = Join("alice");
    Client bob = Join("bob");
    const std::string content = "binary\x9C\x93 content" + std::string(70000, 'z');
    std::string block = "KWMGSFLE";
    const auto n = static_cast<std::uint32_t>(content.size());
    for (int shift = 0; shift < 32; shift += 8) {
        block.push_back(static_cast<char>((n >> shift) & 0xFFU));
    }
    ASSERT_TRUE(alice->Send(K(MessageKind::FileHeader) + "alice" + K(MessageKind::FileHeader) +
                            "notes.txt"));
    ASSERT_TRUE(alice->SendBytes(block + content));
    ASSERT_TRUE(alice->Send(K(MessageKind::PublicMessage) + "sent you a file"));

    const auto after = bob->ReceiveKind(MessageKind::PublicMessage);
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->text.ends_with("sent you a file"));
    const std::vector<RecordingObserver::File> files = observer.Files();
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].header.sender, "alice");
    EXPECT_EQ(files[0].header.fileName, "notes.txt");
    EXPECT_EQ(files[0].length, content.size());
    EXPECT_EQ(files[0].data, content);
    EXPECT_EQ(files[0].finished, 1);
    EXPECT_TRUE(files[0].complete);
}

TEST_F(ServerLoopback, a_file_block_cut_short_by_the_sender_leaving_is_finished_as_incomplete) {
    Client alice = Join("alice");
    ASSERT_TRUE(alice->Send(K(MessageKind::FileHeader) + "alice" + K(MessageKind::FileHeader) +
                            "half.bin"));
    ASSERT_TRUE(alice->SendBytes(std::string("KWMGSFLE\x10\x00\x00\x00", 12) + "12345"));
    ASSERT_TRUE(WaitUntil([&] {
        const auto files = observer.Files();
        return files.size() == 1 && files[0].data == "12345";
    }));
    alice->Close();
    ASSERT_TRUE(WaitUntil([&] { return observer.Files()[0].finished == 1; }));
    EXPECT_FALSE(observer.Files()[0].complete);
}

TEST_F(ServerLoopback, closes_a_connection_that_never_logs_on) {
    ServerLimits limits;
    limits.logonDeadline = 1s;
    StartServer(limits);
    Client idle = Connect("127.0.0.5");
    Client alice = Join("alice");
    EXPECT_TRUE(idle->WaitClosed());
    EXPECT_TRUE(WaitUntil([&] {
        return LogText().find("did not log on in time, connection closed (127.0.0.5)") !=
               std::string::npos;
    }));
    ASSERT_TRUE(alice->Send(K(MessageKind::PublicMessage) + "still on"));
    EXPECT_TRUE(alice->ReceiveKind(MessageKind::PublicMessage));
}

}  // namespace
}  // namespace talvoro::server
