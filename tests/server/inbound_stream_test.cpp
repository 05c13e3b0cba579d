#include "server/inbound_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/event_log.h"
#include "net/frame.h"
#include "server_fixture.h"
#include "support/temp_dir.h"

namespace talvoro::server {
namespace {

// Records what the stream hands on as one readable trace.
class Trace final : public InboundStream::Handler {
  public:
    void OnFrame(const net::Frame& frame) override {
        events.push_back("frame " + std::to_string(frame.topic) + " " + frame.raw);
    }
    void OnFileBlockBegin(std::uint32_t length) override {
        events.push_back("file " + std::to_string(length));
        data.clear();
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

class InboundStreamTest : public ::testing::Test {
  protected:
    // Feeds `bytes` in reads of at most `step` bytes.
    void Feed(std::string_view bytes, std::size_t step = SIZE_MAX) {
        for (std::size_t at = 0; at < bytes.size(); at += step) {
            const std::string_view part = bytes.substr(at, step);
            stream.Feed({reinterpret_cast<const std::uint8_t*>(part.data()), part.size()}, trace);
        }
    }
    std::string LogText() const { return test::ReadFileText(dir.file("t.log")); }

    test::TempDir dir;
    app::EventLog log{dir.file("t.log")};
    InboundStream stream{&log};
    Trace trace;
};

TEST_F(InboundStreamTest, reassembles_frames_and_file_blocks_split_anywhere) {
    const std::string bytes = Frame("before", 2) + FileBlock("file \x9C contents") + FileBlock("") +
                              Frame(std::string(3000, 'q'));
    for (const std::size_t step : {std::size_t{1}, std::size_t{5}, std::size_t{13}, SIZE_MAX}) {
        SCOPED_TRACE(step);
        trace = Trace{};
        Feed(bytes, step);
        EXPECT_EQ(trace.events, (std::vector<std::string>{
                                    "frame 2 before", "file 15", "end file \x9C contents", "file 0",
                                    "end ", "frame 0 " + std::string(3000, 'q')}));
        EXPECT_FALSE(stream.InFileBlock());
    }
    EXPECT_EQ(LogText(), "");
}

TEST_F(InboundStreamTest, drops_the_buffered_rest_after_an_out_of_bounds_length_and_recovers) {
    std::string tooShort = Frame("x");
    tooShort[0] = static_cast<char>(tooShort[0] ^ 5 ^ 4);  // declared length 4
    std::string tooLong = Frame("x");
    tooLong[1] = static_cast<char>(tooLong[1] ^ 0x20);  // declared length 8197
    const std::string unknownKind = net::EncodeFrame(0, "\x41" + std::string(100, 'z')).value();
    for (const std::string& bad :
         {tooShort + Frame("lost"), tooLong + Frame("lost"), unknownKind.substr(0, 10)}) {
        trace = Trace{};
        Feed(bad);
        Feed(Frame("next"));
        EXPECT_EQ(trace.events, (std::vector<std::string>{"frame 0 next"}));
    }
    EXPECT_NE(LogText().find("ERROR: SERVER: Message length is out of bounds!"), std::string::npos);
}

}  // namespace
}  // namespace talvoro::server
