#include "transfer/file_receiver.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <filesystem>
#include <fstream>
#include <future>

#include "net/connection.h"
#include "net/loopback_fixture.h"
#include "net/socket.h"
#include "support/temp_dir.h"

namespace talvoro::test {
namespace {

using transfer::ReceiveOutcome;

std::string Header(std::uint32_t v, const std::string& tag = "KWMGSFLE") {
    return tag + std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                             static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

class FileReceiver : public ::testing::Test {
  protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        sender.reset(fds[0]);
        receiver.reset(fds[1]);
    }
    // Runs the receive on another thread, so that the test thread can go on sending.
    std::future<transfer::ReceiveResult> Receive(std::string name, transfer::ReceiveLimits limits) {
        return std::async(std::launch::async, [=, this] {
            return transfer::ReceiveFileBlock(receiver.fd(), dir.dir(), name, limits);
        });
    }
    std::size_t FilesInDir() const {
        const auto entries = std::filesystem::directory_iterator(dir.path());
        return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
    }

    TempDir dir;
    net::Socket sender;
    net::Socket receiver;
};

// A refused file leaves the old one of that name alone and no temporary file behind.
TEST_F(FileReceiver, takes_files_up_to_the_limit_and_reports_partial_and_refused_ones) {
    enum Then { Rest, Stall, Close };
    const struct {
        std::string name;
        std::uint32_t announced, sent, limit;
        Then then;
        ReceiveOutcome outcome;
    } cases[] = {
        {"f", 1000, 1000, 1000, Rest, ReceiveOutcome::Received},
        {"f", 1001, 1001, 1000, Rest, ReceiveOutcome::TooLarge},
        {"../f", 10, 10, 1000, Rest, ReceiveOutcome::CannotWrite},
        {"f", 1000, 10, 1000, Stall, ReceiveOutcome::Partial},
        {"f", 1000, 10, 1000, Close, ReceiveOutcome::Partial},
        {"f", transfer::kMaxFileSize + 1, 10, transfer::kMaxUpdateFileSize, Close,
         ReceiveOutcome::Partial},
    };
    for (const auto& c : cases) {
        SetUp();
        std::ofstream(dir.file("f")) << "old content";
        auto result = Receive(c.name, {c.limit, 300});
        ASSERT_TRUE(net::NetSend(sender.fd(), Header(c.announced) + std::string(c.sent, 'b')));
        if (c.then == Rest) {
            ASSERT_TRUE(net::NetSend(sender.fd(), "NEXT"));
        } else if (c.then == Close) {
            sender.reset();
        }
        const transfer::ReceiveResult got = result.get();
        const bool stored =
            c.outcome == ReceiveOutcome::Received || c.outcome == ReceiveOutcome::Partial;
        EXPECT_EQ(got.outcome, c.outcome) << c.announced << c.name;
        EXPECT_EQ(got.path, stored ? dir.file("f") : "");
        EXPECT_EQ(ReadFileText(dir.file("f")), stored ? std::string(c.sent, 'b') : "old content");
        EXPECT_EQ(FilesInDir(), 1u);
        if (c.then == Rest) {
            EXPECT_EQ(ReceiveExactly(receiver.fd(), 4), "NEXT") << "out of step";
        }
    }
}

TEST_F(FileReceiver, refuses_a_stream_that_is_not_a_file_block_and_discards_a_block_in_step) {
    auto result = Receive("f", {});
    ASSERT_TRUE(net::NetSend(sender.fd(), Header(3, "KWMGSFLX") + "abc"));
    EXPECT_EQ(result.get().outcome, ReceiveOutcome::NotAFileBlock);
    EXPECT_EQ(FilesInDir(), 0u);

    EXPECT_EQ(ReceiveExactly(receiver.fd(), 3), "abc");  // only the header was taken
    ASSERT_TRUE(net::NetSend(sender.fd(), Header(5) + "12345" + "NEXT"));
    EXPECT_TRUE(transfer::DiscardFileBlock(receiver.fd(), 1000));
    EXPECT_EQ(ReceiveExactly(receiver.fd(), 4), "NEXT");
}

// The real limit, with the largest file once: identical bytes arrive unchanged.
TEST_F(FileReceiver, takes_exactly_32_mib_and_refuses_one_byte_more) {
    constexpr std::uint32_t kLimit = transfer::kMaxFileSize;
    static_assert(kLimit == 33'554'432);
    auto result = Receive("big", {});
    ASSERT_TRUE(net::NetSend(sender.fd(), Header(kLimit)));
    const std::string chunk(64 * 1024, 'A');
    for (std::uint32_t sent = 0; sent < kLimit; sent += chunk.size()) {
        ASSERT_TRUE(net::NetSend(sender.fd(), chunk, 10000));
    }
    const transfer::ReceiveResult got = result.get();
    EXPECT_EQ(got.outcome, ReceiveOutcome::Received);
    EXPECT_EQ(got.received, kLimit);
    EXPECT_TRUE(ReadFileText(dir.file("big")) == std::string(kLimit, 'A'));
    std::filesystem::remove(dir.file("big"));

    auto refused = Receive("big", {});
    ASSERT_TRUE(net::NetSend(sender.fd(), Header(kLimit + 1) + chunk));
    sender.reset();
    EXPECT_EQ(refused.get().outcome, ReceiveOutcome::TooLarge);
    EXPECT_EQ(FilesInDir(), 0u);
}

}  // namespace
}  // namespace talvoro::test
