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

// The public-message kind character, for building expected texts.
const std::string K(1, '\x9C');

std::string Public(std::initializer_list<std::string_view> fields) {
    return BuildPayload(MessageKind::PublicMessage, fields);
}

Frame Expected(std::int8_t topic, std::uint8_t kind, std::string text, std::string raw) {
    return Frame{topic, kind, std::move(text), std::move(raw)};
}

class FrameReaderTest : public ::testing::Test {
  protected:
    // How often `message` was logged as an error.
    int Logged(std::string_view message) const {
        const std::string content = test::ReadFileText(dir_.file("Talvoro.log"));
        const std::string line = " ERROR: " + std::string(message) + "\r\n";
        int count = 0;
        for (std::size_t at = content.find(line); at != std::string::npos;
             at = content.find(line, at + 1)) {
            ++count;
        }
        return count;
    }
    bool LogEmpty() const { return test::ReadFileText(dir_.file("Talvoro.log")).empty(); }

    test::TempDir dir_;
    app::EventLog log_{dir_.file("Talvoro.log")};
    const std::string_view clientError_ = OutOfBoundsMessage(FrameRole::Client);
};

TEST_F(FrameReaderTest, hands_on_two_frames_of_one_read_in_order) {
    FrameReader reader(FrameRole::Client, &log_);
    const auto frames = reader.Feed(Join({Wire(0, Public({"7", "hi"})), Wire(3, "\x95#")}));
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[0], Expected(0, 0x9C, "7" + K + "hi", "7" + K + "hi"));
    EXPECT_EQ(frames[1], Expected(3, 0x95, "#", "#"));
    EXPECT_TRUE(LogEmpty());
}

TEST_F(FrameReaderTest, gives_the_server_the_kind_character_and_the_others_not) {
    const Bytes wire = Wire(-2, Public({"hello"}));
    EXPECT_EQ(FrameReader(FrameRole::Server, &log_).Feed(wire),
              std::vector{Expected(-2, 0x9C, K + "hello", "hello")});
    EXPECT_EQ(FrameReader(FrameRole::FileServer, &log_).Feed(wire),
              std::vector{Expected(-2, 0x9C, "hello", "hello")});
    EXPECT_EQ(FrameReader(FrameRole::Client, &log_).Feed(wire),
              std::vector{Expected(-2, 0x9C, "hello", "hello")});
}

TEST_F(FrameReaderTest, cuts_text_at_a_zero_byte_but_keeps_the_raw_payload) {
    const std::string afterKind("ab\0cd", 5);
    const Bytes wire = Wire(0, K + afterKind);
    const auto client = FrameReader(FrameRole::Client, &log_).Feed(wire);
    ASSERT_EQ(client.size(), 1U);
    EXPECT_EQ(client[0].text, "ab");
    EXPECT_EQ(client[0].raw, afterKind);
    const auto server = FrameReader(FrameRole::Server, &log_).Feed(wire);
    ASSERT_EQ(server.size(), 1U);
    EXPECT_EQ(server[0].text, K + "ab");
}

TEST_F(FrameReaderTest, reassembles_frames_split_across_reads_at_every_position) {
    const Bytes stream = Join({Wire(1, Public({"12", "first message"})),
                               Wire(0, BuildPayload(MessageKind::AwayStatus, {"1"}))});
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        FrameReader reader(FrameRole::Client, &log_);
        auto frames = reader.Feed({stream.data(), cut});
        const auto more = reader.Feed({stream.data() + cut, stream.size() - cut});
        frames.insert(frames.end(), more.begin(), more.end());
        ASSERT_EQ(frames.size(), 2U) << "cut at " << cut;
        EXPECT_EQ(frames[0].text, "12" + K + "first message") << "cut at " << cut;
        EXPECT_EQ(frames[1].text, "1") << "cut at " << cut;
    }
    EXPECT_TRUE(LogEmpty());
}

TEST_F(FrameReaderTest, reassembles_a_full_size_frame_fed_byte_by_byte) {
    const std::string payload = K + std::string(kMaxPayloadSize - 1, 'q');
    const Bytes wire = Wire(0, payload);
    FrameReader reader(FrameRole::Server, &log_);
    std::vector<Frame> frames;
    for (std::uint8_t byte : wire) {
        const auto got = reader.Feed(std::span(&byte, 1));
        frames.insert(frames.end(), got.begin(), got.end());
    }
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].text, payload);
    EXPECT_TRUE(LogEmpty());
}

TEST_F(FrameReaderTest, hands_on_nothing_and_logs_nothing_for_a_four_byte_read) {
    const Bytes wire = Wire(0, Public({"hello"}));
    FrameReader reader(FrameRole::Client, &log_);
    EXPECT_TRUE(reader.Feed({wire.data(), 4}).empty());
    EXPECT_TRUE(LogEmpty());
    EXPECT_EQ(reader.Feed({wire.data() + 4, wire.size() - 4}).size(), 1U);
}

TEST_F(FrameReaderTest, keeps_a_cut_off_third_frame_until_its_rest_arrives) {
    const Bytes third = Wire(0, Public({"third"}));
    const Bytes read = Join(
        {Wire(0, Public({"one"})), Wire(0, Public({"two"})), {third.begin(), third.begin() + 6}});
    FrameReader reader(FrameRole::Client, &log_);
    const auto frames = reader.Feed(read);
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[1].text, "two");
    const auto rest = reader.Feed({third.data() + 6, third.size() - 6});
    ASSERT_EQ(rest.size(), 1U);
    EXPECT_EQ(rest[0].text, "third");
    EXPECT_TRUE(LogEmpty());
}

TEST_F(FrameReaderTest, logs_lengths_out_of_bounds_and_reads_the_next_good_frame) {
    const Bytes good = Wire(0, Public({"ok"}));
    int expectedLines = 0;
    for (std::uint16_t length : {0, 1, 4, 4097, 0x8000, 0xFFFF}) {
        FrameReader reader(FrameRole::Client, &log_);
        // The bad frame drops the rest of its read, good frame included.
        EXPECT_TRUE(reader.Feed(Join({BadHeader(length, 0x9C, 1), good})).empty()) << length;
        EXPECT_EQ(Logged(clientError_), ++expectedLines) << length;
        EXPECT_EQ(reader.Feed(good), std::vector{Expected(0, 0x9C, "ok", "ok")}) << length;
    }
}

TEST_F(FrameReaderTest, hands_on_good_frames_before_a_bad_length_in_the_same_read) {
    FrameReader reader(FrameRole::Server, &log_);
    const auto frames = reader.Feed(Join({Wire(0, Public({"a"})), BadHeader(4, 0x9C, 0)}));
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].text, K + "a");
    EXPECT_EQ(Logged(OutOfBoundsMessage(FrameRole::Server)), 1);
}

TEST_F(FrameReaderTest, drops_a_partial_frame_of_unknown_kind_instead_of_waiting) {
    FrameReader reader(FrameRole::Client, &log_);
    EXPECT_TRUE(reader.Feed(BadHeader(200, 0x41, 20)).empty());
    EXPECT_EQ(Logged(clientError_), 1);
    EXPECT_EQ(reader.Feed(Wire(0, Public({"ok"}))).size(), 1U);
}

TEST_F(FrameReaderTest, hands_on_a_complete_frame_of_unknown_kind) {
    FrameReader reader(FrameRole::Client, &log_);
    EXPECT_EQ(reader.Feed(Wire(0, "\x41xy")), std::vector{Expected(0, 0x41, "xy", "xy")});
    EXPECT_TRUE(LogEmpty());
}

TEST_F(FrameReaderTest, writes_the_message_of_its_own_role) {
    for (FrameRole role : {FrameRole::Server, FrameRole::FileServer, FrameRole::Client}) {
        FrameReader(role, &log_).Feed(BadHeader(4097, 0x9C, 3));
    }
    EXPECT_EQ(Logged("SERVER: Message length is out of bounds!"), 1);
    EXPECT_EQ(Logged("File-SERVER: Message length is out of bounds!"), 1);
    EXPECT_EQ(Logged("CLIENT: Message length is out of bounds!"), 1);
}

TEST_F(FrameReaderTest, forgets_a_partial_frame_on_reset) {
    const Bytes wire = Wire(0, Public({"hello"}));
    FrameReader reader(FrameRole::Client, nullptr);
    EXPECT_TRUE(reader.Feed({wire.data(), 5}).empty());
    reader.Reset();
    EXPECT_EQ(reader.Feed(wire).size(), 1U);
}

TEST_F(FrameReaderTest, survives_random_bytes_and_recovers_for_good_frames) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 700);
    const std::string afterKind = "42" + K + "still here";
    const Bytes good = Wire(1, K + afterKind);
    for (int round = 0; round < 300; ++round) {
        const bool server = round % 2 == 0;
        const Frame goodFrame = Expected(1, 0x9C, server ? K + afterKind : afterKind, afterKind);
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
    EXPECT_GT(Logged(clientError_), 0);
}

}  // namespace
}  // namespace talvoro::net
