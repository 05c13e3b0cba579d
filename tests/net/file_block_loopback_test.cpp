#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <random>
#include <vector>

#include "net/file_block.h"
#include "net/loopback_fixture.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro::test {
namespace {

using namespace std::chrono_literals;

class FileBlock : public LoopbackServer {
  protected:
    void SetUp() override {
        LoopbackServer::SetUp();
        pair = ConnectAccepted();
        ASSERT_GE(pair.server, 0);
    }

    std::string WriteFile(const std::string& name, const std::string& content) {
        const std::string path = dir.file(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    bool SendRaw(std::string_view bytes) { return net::NetSend(pair.client.fd(), bytes); }

    TempDir dir;
    Pair pair;
};

std::string Header(std::uint32_t length) {
    std::string header = "KWMGSFLE";
    for (int i = 0; i < 4; ++i) {
        header += static_cast<char>((length >> (8 * i)) & 0xFF);
    }
    return header;
}

// Writes `size` pseudo-random bytes in 1 MiB pieces, never holding the whole file.
void WriteRandomFile(const std::string& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(1805);
    std::vector<char> piece(1024 * 1024);
    for (std::size_t written = 0; written < size; written += piece.size()) {
        for (char& byte : piece) {
            byte = static_cast<char>(random() & 0xFF);
        }
        out.write(piece.data(),
                  static_cast<std::streamsize>(std::min(piece.size(), size - written)));
    }
}

// Compares two files piece by piece; true when both have the same bytes.
bool SameBytes(const std::string& left, const std::string& right) {
    std::ifstream a(left, std::ios::binary);
    std::ifstream b(right, std::ios::binary);
    if (!a || !b) {
        return false;
    }
    std::vector<char> pieceA(1024 * 1024);
    std::vector<char> pieceB(pieceA.size());
    for (;;) {
        a.read(pieceA.data(), static_cast<std::streamsize>(pieceA.size()));
        b.read(pieceB.data(), static_cast<std::streamsize>(pieceB.size()));
        if (a.gcount() != b.gcount() ||
            !std::equal(pieceA.begin(), pieceA.begin() + a.gcount(), pieceB.begin())) {
            return false;
        }
        if (a.gcount() == 0) {
            return true;
        }
    }
}

// Runs NetReceiveFile on another thread and waits (bounded) for its answer; a receive that never
// ends fails the test instead of hanging it.
std::optional<bool> ReceiveWithin(int fd, const std::string& path, int idleTimeoutMs) {
    auto result = std::async(std::launch::async,
                             [=] { return net::NetReceiveFile(fd, path, idleTimeoutMs); });
    if (result.wait_for(30s) != std::future_status::ready) {
        ::shutdown(fd, SHUT_RDWR);  // lets the receive end so the thread can be joined
        result.get();
        return std::nullopt;
    }
    return result.get();
}

TEST_F(FileBlock, sends_an_empty_file_as_a_twelve_byte_block) {
    const std::string empty = WriteFile("empty", "");
    ASSERT_TRUE(net::NetSendFile(pair.client.fd(), empty));
    ASSERT_EQ(NextEvent(), net::kNetFileBlock);
    EXPECT_EQ(ReceiveExactly(pair.server, 12), Header(0));

    ASSERT_TRUE(net::NetSendFile(pair.client.fd(), empty));
    ASSERT_TRUE(SendRaw("next"));
    const std::string received = dir.file("received");
    EXPECT_EQ(ReceiveWithin(pair.server, received, 10000), std::optional(true));
    EXPECT_TRUE(std::filesystem::exists(received));
    EXPECT_EQ(std::filesystem::file_size(received), 0u);
    EXPECT_EQ(ReceiveExactly(pair.server, 4), "next");  // bytes after the block stay unread
}

TEST_F(FileBlock, carries_32_mib_unchanged) {
    const std::size_t size = 32u * 1024 * 1024;
    const std::string source = dir.file("source");
    const std::string received = dir.file("received");
    WriteRandomFile(source, size);

    auto sent = std::async(std::launch::async, [fd = pair.client.fd(), &source] {
        return net::NetSendFile(fd, source);
    });
    EXPECT_EQ(ReceiveWithin(pair.server, received, 10000), std::optional(true));
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(std::filesystem::file_size(received), size);
    EXPECT_TRUE(SameBytes(source, received));
}

TEST_F(FileBlock, keeps_the_frame_that_follows_a_block) {
    const std::string content(1000, 'z');
    ASSERT_TRUE(net::NetSendFile(pair.client.fd(), WriteFile("source", content)));
    const std::string_view frame("\x08\x00\x01\x95hi", 6);
    ASSERT_TRUE(SendRaw(frame));
    const std::string received = dir.file("received");
    EXPECT_EQ(ReceiveWithin(pair.server, received, 10000), std::optional(true));
    EXPECT_EQ(ReadFileText(received), content);
    EXPECT_EQ(ReceiveExactly(pair.server, 6), frame);
}

TEST_F(FileBlock, receive_fails_when_the_peer_closes_before_the_announced_length) {
    ASSERT_TRUE(SendRaw(Header(1000) + "only ten b"));
    pair.client.reset();
    // The idle limit is far beyond the bounded wait: only noticing the close can end the receive.
    EXPECT_EQ(ReceiveWithin(pair.server, dir.file("received"), 600000), std::optional(false));
}

TEST_F(FileBlock, receive_fails_when_the_peer_stalls) {
    ASSERT_TRUE(SendRaw(Header(1000) + "only ten b"));
    EXPECT_EQ(ReceiveWithin(pair.server, dir.file("received"), 200), std::optional(false));
    EXPECT_EQ(ReadFileText(dir.file("received")), "only ten b");  // the partial file stays
}

TEST_F(FileBlock, receive_fails_on_bytes_that_are_not_a_file_block) {
    ASSERT_TRUE(SendRaw(std::string_view("KWMGSFLX\x01\x00\x00\x00x", 13)));
    EXPECT_EQ(ReceiveWithin(pair.server, dir.file("received"), 10000), std::optional(false));
}

TEST_F(FileBlock, receive_fails_when_the_file_cannot_be_created) {
    ASSERT_TRUE(net::NetSendFile(pair.client.fd(), WriteFile("source", "abc")));
    EXPECT_EQ(ReceiveWithin(pair.server, dir.file("missing/received"), 10000),
              std::optional(false));
}

TEST_F(FileBlock, send_of_an_unreadable_path_fails_and_sends_nothing) {
    EXPECT_FALSE(net::NetSendFile(pair.client.fd(), dir.file("does-not-exist")));
    EXPECT_FALSE(net::NetSendFile(pair.client.fd(), dir.dir()));  // a directory
    ASSERT_TRUE(SendRaw("!"));
    EXPECT_EQ(ReceiveExactly(pair.server, 1), "!");
    EXPECT_EQ(net::NetClientEvent(pair.server), net::kNetNothing);
}

}  // namespace
}  // namespace talvoro::test
