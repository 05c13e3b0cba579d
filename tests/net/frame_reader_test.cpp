#include "net/frame_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
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

TEST_F(FrameReaderTest, hands_on_two_frames_of_one_read_and_keeps_a_cut_off_third) {
    const Bytes third = Public("third");
    FrameReader reader(FrameRole::Client, &log_);
    EXPECT_EQ(reader.Feed(Join(
                  {Public("7" + K + "hi"), Wire(3, "\x95#"), {third.begin(), third.begin() + 6}})),
              (std::vector<Frame>{{0, 0x9C, "7" + K + "hi"}, {3, 0x95, "#"}}));
    EXPECT_EQ(reader.Feed({third.data() + 6, third.size() - 6}),
              (std::vector<Frame>{{0, 0x9C, "third"}}));

    EXPECT_TRUE(reader.Feed({third.data(), 5}).empty());
    reader.Reset();  // forgets the partial frame
    EXPECT_EQ(reader.Feed(third).size(), 1U);
    EXPECT_TRUE(LogEmpty());
}

TEST_F(FrameReaderTest, hands_on_the_whole_payload_after_the_kind_byte_in_every_role) {
    const std::string afterKind("ab\0cd", 5);  // the message types cut text at the 0 byte
    const Bytes wire = Wire(-2, K + afterKind);
    for (FrameRole role : {FrameRole::Server, FrameRole::FileServer, FrameRole::Client}) {
        EXPECT_EQ(FrameReader(role, &log_).Feed(wire), (std::vector<Frame>{{-2, 0x9C, afterKind}}));
    }
}

TEST_F(FrameReaderTest, reassembles_frames_split_across_reads) {
    const Bytes stream = Join({Public("12" + K + "first message", 1), Wire(0,
                                                                           "\x92"
                                                                           "1")});
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        FrameReader reader(FrameRole::Client, &log_);
        auto frames = reader.Feed({stream.data(), cut});
        if (cut == 4) {
            EXPECT_TRUE(frames.empty());  // a four-byte read hands on nothing
        }
        const auto more = reader.Feed({stream.data() + cut, stream.size() - cut});
        frames.insert(frames.end(), more.begin(), more.end());
        ASSERT_EQ(frames.size(), 2U);
        EXPECT_EQ(frames[0].raw, "12" + K + "first message");
        EXPECT_EQ(frames[1].raw, "1");
    }

    const std::string payload = K + std::string(kMaxPayloadSize - 1, 'q');
    FrameReader reader(FrameRole::Server, &log_);
    std::vector<Frame> frames;
    for (std::uint8_t byte : Wire(0, payload)) {  // a full-size frame, byte by byte
        const auto got = reader.Feed(std::span(&byte, 1));
        frames.insert(frames.end(), got.begin(), got.end());
    }
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].raw, payload.substr(1));
    EXPECT_TRUE(LogEmpty());
}

TEST_F(FrameReaderTest, logs_a_length_out_of_bounds_with_the_role_message_and_reads_on) {
    EXPECT_EQ(OutOfBoundsMessage(FrameRole::Server), "SERVER: Message length is out of bounds!");
    EXPECT_EQ(OutOfBoundsMessage(FrameRole::FileServer),
              "File-SERVER: Message length is out of bounds!");
    EXPECT_EQ(OutOfBoundsMessage(FrameRole::Client), "CLIENT: Message length is out of bounds!");
    const Bytes good = Public("ok");
    for (FrameRole role : {FrameRole::Server, FrameRole::FileServer, FrameRole::Client}) {
        const std::vector<Frame> ok = {{0, 0x9C, "ok"}};
        int lines = 0;
        for (std::uint16_t length : {0, 1, 4, 4097, 0x8000, 0xFFFF}) {
            SCOPED_TRACE(length);
            FrameReader reader(role, &log_);
            // Frames before the bad one are handed on; the rest of its read is dropped.
            const auto bad = reader.Read(Join({good, BadHeader(length, 0x9C, 1), good}));
            EXPECT_EQ(bad.frames, ok);
            EXPECT_TRUE(bad.lengthError);
            EXPECT_EQ(Logged(OutOfBoundsMessage(role)), ++lines);
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

TEST_F(FrameReaderTest, survives_random_bytes_and_recovers_for_good_frames) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 700);
    const std::string afterKind = "42" + K + "still here";
    const Bytes good = Public(afterKind, 1);
    for (int round = 0; round < 300; ++round) {
        const bool server = round % 2 == 0;
        const Frame goodFrame{1, 0x9C, afterKind};
        FrameReader reader(server ? FrameRole::Server : FrameRole::Client, &log_);
        for (int chunk = 0; chunk < 3; ++chunk) {
            Bytes garbage(size(random));
            for (auto& b : garbage) {
                b = static_cast<std::uint8_t>(byte(random));
            }
            for (const Frame& frame : reader.Feed(garbage)) {
                EXPECT_LE(frame.raw.size(), kMaxPayloadSize - 1);
            }
        }
        // A waiting partial frame holds at most 4096 bytes, so good reads resynchronise soon.
        bool recovered = false;
        for (int attempt = 0; attempt < 2000 && !recovered; ++attempt) {
            const auto frames = reader.Feed(good);
            recovered = !frames.empty() && frames.back() == goodFrame;
        }
        ASSERT_TRUE(recovered) << "round " << round;
        ASSERT_EQ(reader.Feed(good), std::vector{goodFrame}) << "round " << round;
    }
    // The garbage did reach the rejection path (and was logged) in both roles.
    EXPECT_GT(Logged(OutOfBoundsMessage(FrameRole::Server)), 0);
    EXPECT_GT(Logged(OutOfBoundsMessage(FrameRole::Client)), 0);
}

}  // namespace
}  // namespace talvoro::net
