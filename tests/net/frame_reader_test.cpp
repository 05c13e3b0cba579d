#include "net/frame_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "net/cipher.h"
#include "support/temp_dir.h"

namespace talvoro::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Wire(std::int8_t topic, std::string_view payload) {
    const auto frame = EncodeFrame(topic, payload);
    EXPECT_TRUE(frame.has_value());
    return frame ? Bytes(frame->begin(), frame->end()) : Bytes{};
}

// An enciphered frame start with any declared length and kind, followed by `extra` bytes.
Bytes BadHeader(std::uint16_t length, std::uint8_t kind, std::size_t extra) {
    Bytes bytes = {static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>(length >> 8),
                   0, kind};
    bytes.resize(bytes.size() + extra, 'z');
    CipherFrame(bytes);
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The public-message kind character, and such a message's wire bytes.
const std::string K(1, '\x9C');
Bytes Public(std::string_view text, std::int8_t topic = 0) {
    return Wire(topic, K + std::string(text));
}

class FrameReaderTest : public ::testing::Test {
  protected:
    // How often `message` was logged as an error.
    int Logged(std::string_view message) const {
        const std::string content = test::ReadFileText(dir_.file("Talvoro.log"));
        const std::string line = " ERROR: " + std::string(message) + "\r\n";
        int count = 0;
        for (auto at = content.find(line); at != std::string::npos;
             at = content.find(line, at + 1)) {
            ++count;
        }
        return count;
    }
    bool LogEmpty() const { return test::ReadFileText(dir_.file("Talvoro.log")).empty(); }

    test::TempDir dir_;
    app::EventLog log_{dir_.file("Talvoro.log")};
};

TEST_F(FrameReaderTest, reassembles_frames_cut_anywhere_and_forgets_a_part_on_reset) {
    const Bytes stream = Join({Public("12" + K + "first message", 1), Wire(-3, "\x95#")});
    const std::vector<Frame> both = {{1, 0x9C, "12" + K + "first message"}, {-3, 0x95, "#"}};
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        FrameReader reader(FrameRole::Client, &log_);
        auto frames = reader.Feed({stream.data(), cut});
        if (cut == 4) {
            EXPECT_TRUE(frames.empty());  // a four-byte read hands on nothing
        }
        const auto more = reader.Feed({stream.data() + cut, stream.size() - cut});
        frames.insert(frames.end(), more.begin(), more.end());
        EXPECT_EQ(frames, both);
    }
    FrameReader reader(FrameRole::Server, &log_);
    EXPECT_TRUE(reader.Feed({stream.data(), 5}).empty());
    reader.Reset();
    EXPECT_EQ(reader.Feed(stream), both);

    reader.Reset();
    const std::string payload = K + std::string(kMaxPayloadSize - 1, 'q');  // the largest frame
    EXPECT_EQ(reader.Feed(Wire(0, payload)), (std::vector<Frame>{{0, 0x9C, payload.substr(1)}}));
    EXPECT_TRUE(LogEmpty());
}

// Every role hands on the whole payload after the kind byte, and logs a bad length in its words.
TEST_F(FrameReaderTest, logs_a_length_out_of_bounds_with_the_role_message_and_reads_on) {
    const std::string afterKind("ab\0cd", 5);  // the message types cut text at the 0 byte
    const Bytes good = Wire(-2, K + afterKind);
    const std::vector<Frame> ok = {{-2, 0x9C, afterKind}};
    for (const auto& [role, text] :
         {std::pair{FrameRole::Server, "SERVER: Message length is out of bounds!"},
          {FrameRole::FileServer, "File-SERVER: Message length is out of bounds!"},
          {FrameRole::Client, "CLIENT: Message length is out of bounds!"}}) {
        EXPECT_EQ(FrameReader(role, &log_).Feed(good), ok);
        int lines = 0;
        for (std::uint16_t length : {0, 1, 4, 4097, 0x8000, 0xFFFF}) {
            SCOPED_TRACE(length);
            FrameReader reader(role, &log_);
            // Frames before the bad one are handed on; the rest of its read is dropped.
            const auto bad = reader.Read(Join({good, BadHeader(length, 0x9C, 1), good}));
            EXPECT_EQ(bad.frames, ok);
            EXPECT_TRUE(bad.lengthError);
            EXPECT_EQ(Logged(text), ++lines);
            const auto next = reader.Read(good);
            EXPECT_EQ(next.frames, ok);
            EXPECT_FALSE(next.lengthError);
        }
    }
}

TEST_F(FrameReaderTest, drops_a_partial_frame_of_unknown_kind_but_hands_on_a_complete_one) {
    FrameReader reader(FrameRole::Client, &log_);
    EXPECT_EQ(reader.Feed(Wire(0, "\x41xy")), (std::vector<Frame>{{0, 0x41, "xy"}}));
    EXPECT_TRUE(LogEmpty());
    EXPECT_TRUE(reader.Feed(BadHeader(200, 0x41, 20)).empty());  // would swallow what follows
    EXPECT_EQ(Logged(OutOfBoundsMessage(FrameRole::Client)), 1);
    EXPECT_EQ(reader.Feed(Public("ok")).size(), 1U);
}

}  // namespace
}  // namespace talvoro::net
