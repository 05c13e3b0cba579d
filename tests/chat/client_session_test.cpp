#include "net/client_session.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <functional>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "net/cipher.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/message_kind.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro::net {
namespace {

struct RecordingEvents : SessionEvents {
    std::vector<Frame> frames;
    int failures = 0;
    std::function<void(const Frame&)> onFrame;

    void OnFrame(const Frame& frame) override {
        frames.push_back(frame);
        if (onFrame) {
            onFrame(frame);
        }
    }
    void OnSendFailed() override { ++failures; }
};

std::string Encoded(std::int8_t topic, MessageKind kind, std::string_view text) {
    return EncodeFrame(topic, std::string(1, KindChar(kind)) + std::string(text)).value();
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
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

    // Frames the peer (the server) has received, as a server reads them.
    std::vector<Frame> PeerFrames() {
        std::vector<Frame> frames;
        FrameReader reader(FrameRole::Server, nullptr);
        std::uint8_t buffer[4096];
        for (;;) {
            const long n = ::recv(peer.fd(), buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0) {
                break;
            }
            for (Frame& f : reader.Feed({buffer, static_cast<std::size_t>(n)})) {
                frames.push_back(std::move(f));
            }
        }
        return frames;
    }

    void PeerWrite(const std::string& bytes) {
        ASSERT_EQ(::send(peer.fd(), bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }

    test::TempDir dir;
    app::EventLog log{dir.file("Talvoro.log")};
    app::ProcessState state;
    ClientSession session{state, &log};
    RecordingEvents events;
    Socket peer;
};

TEST_F(ClientSessionTest, logon_carries_name_colour_versions_and_file_flag) {
    state.settings.FileServerHalt = 1;
    EXPECT_TRUE(session.SendLogon());
    const auto frames = PeerFrames();
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].topic, 0);
    EXPECT_EQ(frames[0].text,
              "\x9F"
              "alice\x9F"
              "170\x9F"
              "1600\x9F"
              "1550\x9F"
              "1");
}

TEST_F(ClientSessionTest, frames_carry_the_selected_tab) {
    session.SetSelectedTab(2);
    EXPECT_TRUE(session.SendToServer("\x9Chello"));
    const auto frames = PeerFrames();
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].topic, 2);
    EXPECT_EQ(frames[0].text, "\x9Chello");
}

TEST_F(ClientSessionTest, two_frames_in_one_read_are_dispatched_in_order) {
    PeerWrite(Encoded(0, MessageKind::PublicMessage,
                      "1\x9C"
                      "a") +
              Encoded(1, MessageKind::Whisper,
                      "2\x99"
                      "b"));
    EXPECT_TRUE(session.OnReadable());
    ASSERT_EQ(events.frames.size(), 2U);
    EXPECT_EQ(events.frames[0].text,
              "1\x9C"
              "a");
    EXPECT_EQ(events.frames[1].topic, 1);
    EXPECT_EQ(events.frames[1].kind, 0x99);
}

TEST_F(ClientSessionTest, frame_split_across_reads_is_joined) {
    const std::string first = Encoded(0, MessageKind::PublicMessage,
                                      "1\x9C"
                                      "one");
    const std::string second = Encoded(0, MessageKind::PublicMessage,
                                       "1\x9C"
                                       "two");
    session.Feed(Bytes(first + second.substr(0, 3)));
    ASSERT_EQ(events.frames.size(), 1U);
    session.Feed(Bytes(second.substr(3)));
    ASSERT_EQ(events.frames.size(), 2U);
    EXPECT_EQ(events.frames[1].text,
              "1\x9C"
              "two");
}

TEST_F(ClientSessionTest, length_four_is_logged_and_nothing_after_it_in_the_read_dispatched) {
    std::string bad(
        "\x04\x00\x00\x9C"
        "x",
        5);
    CipherFrame({reinterpret_cast<std::uint8_t*>(bad.data()), bad.size()});
    session.Feed(Bytes(bad + Encoded(0, MessageKind::PublicMessage,
                                     "1\x9C"
                                     "later")));
    EXPECT_TRUE(events.frames.empty());
    EXPECT_NE(test::ReadFileText(dir.file("Talvoro.log"))
                  .find("CLIENT: Message length is out of bounds!"),
              std::string::npos);
    session.Feed(Bytes(Encoded(0, MessageKind::PublicMessage,
                               "1\x9C"
                               "next read")));
    ASSERT_EQ(events.frames.size(), 1U);
    EXPECT_EQ(events.frames[0].text,
              "1\x9C"
              "next read");
}

TEST_F(ClientSessionTest, broken_connection_is_reported_once) {
    peer.reset();
    // The first send may still be taken by the kernel; keep sending until one fails.
    int failedSends = 0;
    for (int i = 0; i < 5; ++i) {
        if (!session.SendToServer("\x95#")) {
            ++failedSends;
        }
    }
    EXPECT_GE(failedSends, 1);
    EXPECT_EQ(events.failures, 1);
}

TEST_F(ClientSessionTest, closed_by_the_server_stops_reading_and_fails_the_next_send) {
    PeerWrite(Encoded(0, MessageKind::ServerNotice, "** You have been kicked from SERVER s"));
    peer.reset();
    EXPECT_TRUE(session.OnReadable());
    EXPECT_EQ(events.frames.size(), 1U);
    EXPECT_FALSE(session.OnReadable());
    EXPECT_FALSE(session.SendToServer("\x95#"));
    EXPECT_FALSE(session.SendToServer("\x95#"));
    EXPECT_EQ(events.failures, 1);
}

TEST_F(ClientSessionTest, oversized_payload_is_not_sent_and_the_session_goes_on) {
    EXPECT_FALSE(session.SendToServer("\x9C" + std::string(kMaxPayloadSize, 'x')));
    EXPECT_EQ(events.failures, 0);
    EXPECT_TRUE(session.SendToServer("\x9C" + std::string(kMaxPayloadSize - 1, 'x')));
    const auto frames = PeerFrames();
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].text.size(), kMaxPayloadSize);
}

TEST_F(ClientSessionTest, keep_alive_goes_out_every_71_seconds_and_at_the_day_restart) {
    for (std::int64_t s : {0, 1, 70, 71, 72, 141, 142, 213}) {
        session.KeepAliveStep(s);
    }
    const auto frames = PeerFrames();
    ASSERT_EQ(frames.size(), 4U);  // 0, 71, 142, 213
    EXPECT_EQ(frames[0].text, "\x95#");
}

TEST_F(ClientSessionTest, server_process_broadcasts_the_keep_alive_instead) {
    std::vector<std::string> broadcast;
    session.SetKeepAliveBroadcast([&](std::string_view p) { broadcast.emplace_back(p); });
    state.ServerRunning = true;
    session.KeepAliveStep(71);
    EXPECT_EQ(broadcast, std::vector<std::string>{"\x95#"});
    EXPECT_TRUE(PeerFrames().empty());
}

TEST_F(ClientSessionTest, frames_arriving_during_a_handler_wait_for_it) {
    const std::string later = Encoded(0, MessageKind::PublicMessage,
                                      "1\x9C"
                                      "second");
    std::vector<std::string> order;
    events.onFrame = [&](const Frame& f) {
        order.push_back(f.text);
        if (order.size() == 1) {
            session.Feed(Bytes(later));  // as if a message box ran the event loop
            order.push_back("handler done");
        }
    };
    session.Feed(Bytes(Encoded(0, MessageKind::PublicMessage,
                               "1\x9C"
                               "first") +
                       Encoded(0, MessageKind::PublicMessage,
                               "1\x9C"
                               "also first")));
    EXPECT_EQ(order, (std::vector<std::string>{"1\x9C"
                                               "first",
                                               "handler done",
                                               "1\x9C"
                                               "also first",
                                               "1\x9C"
                                               "second"}));
}

TEST_F(ClientSessionTest, send_from_many_threads_keeps_frames_whole) {
    constexpr int kThreads = 4;
    constexpr int kEach = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                session.SendToServer("\x9C" + std::string(200, static_cast<char>('a' + t)));
            }
        });
    }
    std::vector<Frame> frames;
    FrameReader reader(FrameRole::Server, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] {
        std::uint8_t buffer[4096];
        const long n = ::recv(peer.fd(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            for (Frame& f : reader.Feed({buffer, static_cast<std::size_t>(n)})) {
                frames.push_back(std::move(f));
            }
        }
        return frames.size() >= kThreads * kEach;
    }));
    for (auto& thread : threads) {
        thread.join();
    }
    for (const Frame& f : frames) {
        EXPECT_EQ(f.text.find_first_not_of(f.text[1], 1), std::string::npos);
    }
}

class OpenSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        listener.reset(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(listener.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener.fd(), 4), 0);
        socklen_t length = sizeof address;
        ::getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }

    Socket listener;
    std::uint16_t port = 0;
    app::ProcessState state;
};

TEST_F(OpenSessionTest, connects_to_host_and_port_of_the_settings) {
    state.settings.Host = "127.0.0.1";
    state.settings.Port = port;
    ClientSession session(state, nullptr);
    EXPECT_TRUE(session.OpenSession(2000));
    EXPECT_TRUE(session.Connected());
    EXPECT_GE(session.Descriptor(), 0);
}

TEST_F(OpenSessionTest, fails_for_a_port_out_of_range_or_a_missing_host) {
    state.settings.Host = "127.0.0.1";
    state.settings.Port = 70000;
    ClientSession session(state, nullptr);
    EXPECT_FALSE(session.OpenSession(2000));
    state.settings.Host = "";
    state.settings.Port = port;
    EXPECT_FALSE(session.OpenSession(2000));
    EXPECT_FALSE(session.Connected());
}

TEST_F(OpenSessionTest, own_server_is_reached_over_loopback_when_the_name_fails) {
    state.settings.Host = "";
    state.settings.Port = port;
    state.ServerRunning = true;
    ClientSession session(state, nullptr);
    EXPECT_TRUE(session.OpenSession(2000));
}

}  // namespace
}  // namespace talvoro::net
