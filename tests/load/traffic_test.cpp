// Load on the real server thread over loopback: fifteen clients chatting at full speed beside one
// that never reads, and a thousand connections opened and closed. Each case prints its figures.
// The chat runs TALVORO_LOAD_SECONDS seconds (default 10; 60 for the long soak).

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "server/server_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kChatters = 15;
constexpr int kWindow = 32;  // messages a chatter may have on the way before its own come back
constexpr int kMaxPerChatter = 1'000'000;

std::chrono::seconds LoadDuration() {
    const char* text = std::getenv("TALVORO_LOAD_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return std::chrono::seconds(seconds > 0 && seconds <= 600 ? seconds : 10);
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::size_t OpenDescriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

// A public message as a chatter sends it: "<chatter>:<sequence>:" and padding to about 100 bytes.
std::string Numbered(int chatter, int sequence) {
    std::string text = std::to_string(chatter) + ":" + std::to_string(sequence) + ":";
    text.resize(100, 'x');
    return net::PublicMessageToServer{text}.Encode();
}

// Reads back (chatter, sequence) from a relayed public message.
bool Parse(const net::Frame& frame, int& chatter, int& sequence) {
    const auto message = net::DecodeFrame<net::PublicMessage>(frame);
    return message && std::sscanf(message->text.c_str(), "%d:%d:", &chatter, &sequence) == 2 &&
           chatter >= 0 && chatter < kChatters;
}

// One chatter's thread: sends its numbered messages as fast as its window allows and checks that
// every chatter's messages arrive complete and in order.
struct Chatter {
    test::RawClient* client = nullptr;
    int index = 0;
    std::atomic<int> sent{0};
    std::atomic<bool> doneSending{false};
    std::array<int, kChatters> next{};  // next expected sequence, per chatter
    std::string fault;

    // Takes one frame; false on a fault (recorded).
    bool Take(const net::Frame& frame) {
        if (frame.kind != static_cast<std::uint8_t>(net::MessageKind::PublicMessage)) {
            return true;
        }
        int from = -1;
        int sequence = -1;
        if (!Parse(frame, from, sequence) || sequence != next[from]) {
            fault = "unreadable or out of order: " + frame.raw.substr(0, 40);
            return false;
        }
        ++next[from];
        return true;
    }
};

bool AllReceived(const Chatter& me, const std::array<Chatter, kChatters>& all) {
    for (int c = 0; c < kChatters; ++c) {
        if (!all[c].doneSending || me.next[c] != all[c].sent) {
            return false;
        }
    }
    return true;
}

void Chat(Chatter& me, const std::array<Chatter, kChatters>& all, Clock::time_point stop) {
    while (Clock::now() < stop && me.sent < kMaxPerChatter && me.fault.empty()) {
        if (me.sent - me.next[me.index] < kWindow) {
            if (!me.client->Send(Numbered(me.index, me.sent))) {
                me.fault = "send failed";
                break;
            }
            ++me.sent;
        }
        const bool windowFull = me.sent - me.next[me.index] >= kWindow;
        while (auto frame = me.client->Receive(windowFull ? 20ms : 0ms)) {
            if (!me.Take(*frame) || !windowFull) {
                break;  // a fault, or back to sending
            }
        }
    }
    me.doneSending = true;
    // Drain until every chatter's last message is in (bounded).
    const auto deadline = Clock::now() + 60s;
    while (me.fault.empty() && !AllReceived(me, all) && Clock::now() < deadline) {
        if (auto frame = me.client->Receive(20ms); frame && !me.Take(*frame)) {
            break;
        }
    }
}

TEST_F(ServerLoopback, fifteen_clients_chat_at_full_speed_beside_one_that_never_reads) {
    const auto duration = LoadDuration();
    Client silent = Connect("127.0.0.1", 4096);
    ASSERT_NE(silent->LogOn("silent"), 0);
    std::vector<Client> clients;
    std::array<Chatter, kChatters> chatters;
    for (int c = 0; c < kChatters; ++c) {
        clients.push_back(Join("c" + std::to_string(c)));
        chatters[c].client = clients.back().get();
        chatters[c].index = c;
    }

    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (Chatter& chatter : chatters) {
        threads.emplace_back(
            [&chatter, &chatters, stop = start + duration] { Chat(chatter, chatters, stop); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const double elapsed = Seconds(Clock::now() - start);

    long total = 0;
    for (const Chatter& chatter : chatters) {
        EXPECT_EQ(chatter.fault, "") << "chatter " << chatter.index;
        EXPECT_TRUE(AllReceived(chatter, chatters)) << "chatter " << chatter.index;
        total += chatter.sent;
    }
    EXPECT_GT(total, kChatters * kWindow);
    std::printf(
        "[load] %d chatters, %.1f s: %ld messages sent (%.0f/s), %ld delivered "
        "(%.0f/s), none lost or out of order\n",
        kChatters, elapsed, total, static_cast<double>(total) / elapsed, total * kChatters,
        static_cast<double>(total * kChatters) / elapsed);
}

TEST_F(ServerLoopback, a_thousand_connects_and_disconnects_leak_nothing_and_the_server_serves_on) {
    constexpr int kCycles = 1000;
    const std::size_t before = OpenDescriptors();
    const auto start = Clock::now();
    int loggedOn = 0;
    for (int i = 0; i < kCycles; ++i) {
        Client client = Connect();
        ASSERT_TRUE(client->connected()) << "cycle " << i;
        // Every other connection logs on first; the rest leave without a word.
        if (i % 2 == 0) {
            ASSERT_NE(client->LogOn("u" + std::to_string(i)), 0) << "cycle " << i;
            ++loggedOn;
        }
    }
    const double elapsed = Seconds(Clock::now() - start);
    std::size_t after = 0;
    EXPECT_TRUE(test::WaitUntil([&] { return (after = OpenDescriptors()) <= before; }))
        << before << " descriptors before, " << after << " after";

    Client ann = Join("ann");
    Client bob = Join("bob");
    ASSERT_TRUE(ann->Send(Say("still served")));
    EXPECT_EQ(PublicOf(bob->ReceiveKind(kPublic)), From("ann", "still served"));
    std::printf(
        "[load] %d connect/disconnect cycles (%d logged on) in %.2f s; descriptors %zu "
        "before, %zu after\n",
        kCycles, loggedOn, elapsed, before, after);
}

}  // namespace
}  // namespace talvoro::server
