#include "server/inbound_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/event_log.h"
#include "net/frame.h"
#include "support/temp_dir.h"

namespace talvoro::server {
namespace {

// Records what the stream hands on as one readable trace.
class Trace final : public InboundStream::Handler {
  public:
    void OnFrame(const net::Frame& frame) override {
        events.push_back("frame " + std::to_string(frame.topic) + " " + frame.text.substr(1));
    }
    void OnFileBlockBegin(std::uint32_t length) override {
        events.push_back("file " + std::to_string(length));
    }
    void OnFileBlockData(std::span<const std::uint8_t> bytes) override {
        data.append(bytes.begin(), bytes.end());
    }
    void OnFileBlockEnd() override { events.push_back("end " + data); }

    std::vector<std::string> events;
    std::string data;
};

std::string Frame(std::string_view text, std::int8_t topic = 0) {
    return net::EncodeFrame(topic, "\x9C" + std::string(text)).value();
}

std::string FileBlock(std::string_view content) {
    std::string block = "KWMGSFLE";
    const auto n = static_cast<std::uint32_t>(content.size());
    for (int shift = 0; shift < 32; shift += 8) {
        block.push_back(static_cast<char>((n >> shift) & 0xFFU));
    }
    return block + std::string(content);
}

class InboundStreamTest : public ::testing::Test {
  protected:
    void Feed(std::string_view bytes) {
        stream.Feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, trace);
    }
    // Feeds `bytes` one byte per read.
    void Trickle(std::string_view bytes) {
        for (char c : bytes) {
            Feed(std::string_view(&c, 1));
        }
    }
    std::string LogText() const { return test::ReadFileText(dir.file("t.log")); }

    test::TempDir dir;
    app::EventLog log{dir.file("t.log")};
    InboundStream stream{&log};
    Trace trace;
};

TEST_F(InboundStreamTest, reassembles_frames_split_anywhere) {
    Trickle(Frame("hello", 2) + Frame("again"));
    EXPECT_EQ(trace.events, (std::vector<std::string>{"frame 2 hello", "frame 0 again"}));
    EXPECT_EQ(LogText(), "");
}

TEST_F(InboundStreamTest, passes_a_file_block_between_frames_through_whole) {
    const std::string bytes = Frame("before") + FileBlock("file \x9C contents") + Frame("after");
    for (std::size_t cut : {std::size_t{1}, std::size_t{9}, std::size_t{15}, std::size_t{20}}) {
        trace = Trace{};
        Feed(bytes.substr(0, cut));
        Trickle(bytes.substr(cut, 13));
        Feed(bytes.substr(cut + 13));
        EXPECT_EQ(trace.events,
                  (std::vector<std::string>{"frame 0 before", "file 15", "end file \x9C contents",
                                            "frame 0 after"}))
            << cut;
        EXPECT_FALSE(stream.InFileBlock());
    }
}

TEST_F(InboundStreamTest, an_empty_file_block_ends_at_once) {
    Feed(FileBlock("") + Frame("x"));
    EXPECT_EQ(trace.events, (std::vector<std::string>{"file 0", "end ", "frame 0 x"}));
}

TEST_F(InboundStreamTest, drops_the_buffered_rest_after_an_out_of_bounds_length_and_recovers) {
    std::string tooShort = Frame("x");
    tooShort[0] = static_cast<char>(tooShort[0] ^ 5 ^ 4);  // declared length 4
    Feed(tooShort + Frame("lost"));
    Feed(Frame("next"));
    EXPECT_EQ(trace.events, (std::vector<std::string>{"frame 0 next"}));
    EXPECT_NE(LogText().find("ERROR: SERVER: Message length is out of bounds!"), std::string::npos);
}

TEST_F(InboundStreamTest, treats_a_partial_frame_with_an_unknown_kind_as_out_of_bounds) {
    std::string garbage = net::EncodeFrame(0, "\x41" + std::string(100, 'z')).value();
    Feed(garbage.substr(0, 10));
    Feed(Frame("fine"));
    EXPECT_EQ(trace.events, (std::vector<std::string>{"frame 0 fine"}));
    EXPECT_NE(LogText().find("out of bounds"), std::string::npos);
}

TEST_F(InboundStreamTest, waits_for_a_partial_frame_with_a_known_kind) {
    const std::string frame = Frame(std::string(3000, 'q'));
    Feed(frame.substr(0, 2000));
    EXPECT_TRUE(trace.events.empty());
    Feed(frame.substr(2000));
    ASSERT_EQ(trace.events.size(), 1U);
    EXPECT_EQ(LogText(), "");
}

}  // namespace
}  // namespace talvoro::server
