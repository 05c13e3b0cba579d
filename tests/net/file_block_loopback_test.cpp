#include <gtest/gtest.h>
#include <sys/socket.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <random>

#include "net/file_block.h"
#include "net/loopback_fixture.h"
#include "support/temp_dir.h"

namespace talvoro::test {
namespace {

class FileBlock : public LoopbackServer {
  protected:
    void SetUp() override {
        LoopbackServer::SetUp();
        pair = ConnectAccepted();
        ASSERT_TRUE(pair.server.valid());
    }
    std::string WriteFile(const std::string& content) {
        std::ofstream(dir.file("source"), std::ios::binary) << content;
        return dir.file("source");
    }
    bool SendRaw(std::string_view bytes) { return net::NetSend(pair.client.fd(), bytes); }

    // Runs NetReceiveFile on another thread, waiting at most 30 s for its answer: a receive that
    // never ends fails the test instead of hanging it.
    std::optional<bool> Receive(int idleTimeoutMs = 10000, const char* name = "received") {
        auto result = std::async(std::launch::async, [=, this] {
            return net::NetReceiveFile(pair.server.fd(), dir.file(name), idleTimeoutMs);
        });
        if (result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ::shutdown(pair.server.fd(),
                       SHUT_RDWR);  // ends the receive so the thread can be joined
            result.get();
            return std::nullopt;
        }
        return result.get();
    }

    TempDir dir;
    Pair pair;
};

std::string Header(std::uint32_t length) {
    std::string header = "KWMGSFLE";
    for (int shift = 0; shift < 32; shift += 8) {
        header += static_cast<char>((length >> shift) & 0xFF);
    }
    return header;
}

TEST_F(FileBlock, sends_an_empty_file_as_a_twelve_byte_block_and_leaves_what_follows) {
    ASSERT_TRUE(net::NetSendFile(pair.client.fd(), WriteFile("")));
    ASSERT_TRUE(net::WaitReady(pair.server.fd(), POLLIN, 10000));
    EXPECT_EQ(net::NetClientEvent(pair.server.fd()), net::kNetFileBlock);
    EXPECT_EQ(ReceiveExactly(pair.server.fd(), 12), Header(0));

    ASSERT_TRUE(net::NetSendFile(pair.client.fd(), dir.file("source")));
    const std::string_view frame("\x08\x00\x01\x95hi", 6);
    ASSERT_TRUE(SendRaw(frame));
    EXPECT_EQ(Receive(), std::optional(true));
    EXPECT_TRUE(std::filesystem::exists(dir.file("received")));
    EXPECT_EQ(ReadFileText(dir.file("received")), "");
    EXPECT_EQ(ReceiveExactly(pair.server.fd(), 6), frame);  // bytes after the block stay unread
}

TEST_F(FileBlock, carries_32_mib_unchanged) {
    std::string content(32u * 1024 * 1024, '\0');
    std::mt19937 random(1805);
    for (char& byte : content) {
        byte = static_cast<char>(random() & 0xFF);
    }
    auto sent = std::async(std::launch::async, [this, path = WriteFile(content)] {
        return net::NetSendFile(pair.client.fd(), path);
    });
    EXPECT_EQ(Receive(), std::optional(true));
    EXPECT_TRUE(sent.get());
    EXPECT_TRUE(ReadFileText(dir.file("received")) == content);
}

TEST_F(FileBlock, receive_fails_when_the_peer_closes_early_or_stalls) {
    ASSERT_TRUE(SendRaw(Header(1000) + "only ten b"));
    EXPECT_EQ(Receive(200), std::optional(false));
    EXPECT_EQ(ReadFileText(dir.file("received")), "only ten b");  // the partial file stays

    ASSERT_TRUE(SendRaw(Header(1000) + "only ten b"));
    pair.client.reset();
    // The idle limit is far beyond the bounded wait: only noticing the close can end the receive.
    EXPECT_EQ(Receive(600000), std::optional(false));
}

TEST_F(FileBlock, send_fails_on_an_unreadable_source_and_receive_on_a_wrong_tag) {
    EXPECT_FALSE(net::NetSendFile(pair.client.fd(), dir.file("does-not-exist")));
    EXPECT_FALSE(net::NetSendFile(pair.client.fd(), dir.dir()));  // a directory
    ASSERT_TRUE(SendRaw("!"));
    EXPECT_EQ(ReceiveExactly(pair.server.fd(), 1), "!");  // the failed sends sent nothing
    ASSERT_TRUE(SendRaw(std::string_view("KWMGSFLX\x01\x00\x00\x00x", 13)));
    EXPECT_EQ(Receive(), std::optional(false));
}

TEST_F(FileBlock, receive_fails_when_the_file_cannot_be_created) {
    ASSERT_TRUE(net::NetSendFile(pair.client.fd(), WriteFile("abc")));
    EXPECT_EQ(Receive(10000, "missing/received"), std::optional(false));
}

}  // namespace
}  // namespace talvoro::test
