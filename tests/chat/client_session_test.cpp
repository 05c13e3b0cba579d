#include "net/client_session.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "chat_fixture.h"
#include "net/cipher.h"
#include "net/listener.h"
#include "support/wait_until.h"

namespace talvoro::net {
namespace {

using test::Bytes;

struct RecordingEvents : SessionEvents {
    std::vector<std::string> texts;
    int failures = 0;
    std::function<void()> onFrame;

    void OnFrame(const Frame& frame) override {
        texts.push_back(frame.lengthError ? "(length error)" : frame.raw);
        if (onFrame) {
            onFrame();
        }
    }
    void OnSendFailed() override { ++failures; }
};

// A frame K + text; the events see `text`.
std::string Chat(std::string_view text) {
    return EncodeFrame(0, "\x9C" + std::string(text)).value();
}

class ClientSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        session.Adopt(Socket(fds[0]));
        peer.reset(fds[1]);
        session.SetEvents(&events);
        state.settings.UserName = "alice";
        state.settings.Color = 170;
    }

    // Reads what the peer (the server) has received, as a server reads it, until `count` frames
    // are there or the wait ends.
    std::vector<Frame> PeerFrames(std::size_t count) {
        std::vector<Frame> frames;
        FrameReader reader(FrameRole::Server, nullptr);
        test::WaitUntil(
            [&] {
                session.OnWritable();  // as the GUI thread's write notifier does
                std::uint8_t buffer[4096];
                for (long n; (n = ::recv(peer.fd(), buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) {
                    for (Frame& f : reader.Feed({buffer, static_cast<std::size_t>(n)})) {
                        frames.push_back(std::move(f));
                    }
                }
                return frames.size() >= count;
            },
            std::chrono::seconds(10));
        return frames;
    }

    app::ProcessState state;
    ClientSession session{state, nullptr};
    RecordingEvents events;
    Socket peer;
};

TEST_F(ClientSessionTest, sends_logon_and_payloads_whole_on_the_selected_tab_up_to_4093_bytes) {
    state.settings.FileServerHalt = 1;
    EXPECT_TRUE(session.SendLogon());
    session.SetSelectedTab(2);
    EXPECT_FALSE(session.SendToServer("\x9C" + std::string(kMaxPayloadSize, 'x')));
    EXPECT_TRUE(session.SendToServer("\x9C" + std::string(kMaxPayloadSize - 1, 'x')));
    const auto frames = PeerFrames(2);
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[0].topic, 0);
    EXPECT_EQ(frames[0].kind, 0x9F);
    EXPECT_EQ(Logon::Decode(frames[0].raw), (Logon{"alice", 170, 1600, 1550, true}));
    EXPECT_EQ(frames[1].topic, 2);
    EXPECT_EQ(frames[1].raw, std::string(kMaxPayloadSize - 1, 'x'));
    EXPECT_EQ(events.failures, 0);  // an oversized payload does not break the session
}

// The frame reader logs and cuts the read at a bad length; the session hands on a stand-in after
// the read's sound frames so the client counts it, and the next read goes on.
TEST_F(ClientSessionTest, a_read_cut_by_a_bad_length_ends_with_a_stand_in_and_the_next_one_reads) {
    std::string bad("\x04\x00\x00\x9Cx", 5);
    CipherFrame({reinterpret_cast<std::uint8_t*>(bad.data()), bad.size()});
    session.Feed(Bytes(Chat("before") + bad + Chat("later")));
    EXPECT_EQ(events.texts, (std::vector<std::string>{"before", "(length error)"}));
    session.Feed(Bytes(Chat("next read")));
    EXPECT_EQ(events.texts.back(), "next read");
}

TEST_F(ClientSessionTest, frames_arriving_during_a_handler_wait_for_it) {
    events.onFrame = [&] {
        if (events.texts.size() == 1) {
            session.Feed(Bytes(Chat("third")));  // as if a message box ran the event loop
            events.texts.push_back("handler done");
        }
    };
    session.Feed(Bytes(Chat("first") + Chat("second")));
    EXPECT_EQ(events.texts, (std::vector<std::string>{"first", "handler done", "second", "third"}));
}

// What a kick or the server's end looks like to the client: the last frame, then the close.
TEST_F(ClientSessionTest, closed_by_the_server_stops_reading_and_reports_the_failed_send_once) {
    const std::string notice = EncodeFrame(0, "\x9D** You have been kicked from SERVER s").value();
    ASSERT_EQ(::send(peer.fd(), notice.data(), notice.size(), 0),
              static_cast<ssize_t>(notice.size()));
    peer.reset();
    EXPECT_TRUE(session.OnReadable());
    EXPECT_EQ(events.texts.size(), 1U);
    EXPECT_FALSE(session.OnReadable());
    EXPECT_FALSE(session.SendToServer("\x95#"));
    EXPECT_FALSE(session.SendToServer("\x95#"));
    EXPECT_EQ(events.failures, 1);
}

TEST_F(ClientSessionTest, keep_alive_goes_out_every_71_seconds) {
    for (std::int64_t s : {0, 1, 70, 71, 141}) {
        session.KeepAliveStep(s);
    }
    const auto frames = PeerFrames(2);  // 0, 71
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[1].kind, 0x95);
    EXPECT_EQ(frames[1].raw, "#");
}

TEST_F(ClientSessionTest, send_from_many_threads_keeps_frames_whole) {
    std::vector<std::thread> threads;
    for (char c = 'a'; c < 'e'; ++c) {
        threads.emplace_back([&, c] {
            for (int i = 0; i < 50; ++i) {
                session.SendToServer("\x9C" + std::string(200, c));
            }
        });
    }
    const auto frames = PeerFrames(200);
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_EQ(frames.size(), 200U);
    for (const Frame& f : frames) {
        EXPECT_EQ(f.raw.find_first_not_of(f.raw[0]), std::string::npos);
    }
}

// The server does not read: sends return at once and queue, whole frames in order; once the
// server reads, the queue drains. Output that stays stalled past the bound is a lost connection.
TEST_F(ClientSessionTest, stalled_output_queues_in_order_and_is_lost_past_the_bound) {
    const int small = 4096;
    ASSERT_EQ(::setsockopt(session.Descriptor(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    int waiting = 0;
    session.SetOutputWaiting([&] { ++waiting; });
    const auto fill = [&] {  // until three frames wait in the queue
        int sent = 0;
        for (int queued = 0; sent < 2000 && queued < 3; ++sent) {
            EXPECT_TRUE(
                session.SendToServer("\x9C" + std::to_string(sent) + std::string(3000, 'x')));
            queued += session.QueuedBytes() > 0 ? 1 : 0;
        }
        return sent;
    };
    const int sent = fill();
    ASSERT_GT(session.QueuedBytes(), 0U);
    EXPECT_GT(waiting, 0);
    const auto frames = PeerFrames(static_cast<std::size_t>(sent));
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(sent));
    for (int i = 0; i < sent; ++i) {
        EXPECT_TRUE(frames[i].raw.starts_with(std::to_string(i) + "x")) << i;
    }
    EXPECT_EQ(session.QueuedBytes(), 0U);

    fill();
    const auto now = std::chrono::steady_clock::now();
    EXPECT_TRUE(session.CheckStall(now + std::chrono::milliseconds(kSendStallMs / 2)));
    EXPECT_EQ(events.failures, 0);
    EXPECT_FALSE(session.CheckStall(now + std::chrono::milliseconds(kSendStallMs + 1000)));
    EXPECT_EQ(events.failures, 1);
    EXPECT_FALSE(session.SendToServer("\x95#"));
    EXPECT_FALSE(session.OnWritable());
    EXPECT_EQ(events.failures, 1);
}

TEST(OpenSession, connects_to_the_settings_host_or_over_loopback_to_the_own_server) {
    Listener listener;
    ASSERT_TRUE(listener.Listen(0, "127.0.0.1"));
    app::ProcessState state;
    state.settings.Host = "127.0.0.1";
    state.settings.Port = listener.LocalPort();
    EXPECT_TRUE(ClientSession(state, nullptr).OpenSession(2000));
    state.settings.Host = "";
    EXPECT_FALSE(ClientSession(state, nullptr).OpenSession(2000));
    state.ServerRunning = true;  // the own server is reached over loopback when the name fails
    EXPECT_TRUE(ClientSession(state, nullptr).OpenSession(2000));
    state.settings.Port = listener.LocalPort() + 65536;  // not cut down to the listener's port
    EXPECT_FALSE(ClientSession(state, nullptr).OpenSession(2000));
}

}  // namespace
}  // namespace talvoro::net
