// Relay benchmark: the real server thread on loopback with its operator client and 15 more
// clients (16, the most the server admits). Prints, per load pattern, the fan-out latency from
// send to receipt at every other client (p50, p99, max), delivered messages per second, lost and
// out-of-order messages, and at the end the server thread's CPU time over 10 idle seconds.
// Figures, not pass/fail: run by hand (build with -DTALVORO_BUILD_BENCH=ON).

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/process_state.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/messages.h"
#include "net/poll_wait.h"
#include "net/transport.h"
#include "server/chat_server.h"

namespace {

using namespace talvoro;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kClients = 16;  // the operator's client and 15 others

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

class NullObserver final : public server::ServerObserver {
  public:
    void ShowServerLine(server::LineTarget, std::string) override {}
    void ClearOperatorInput() override {}
    void AskQuitQuestion(server::QuitAnswer) override {}
    void QuitConfirmed() override {}
};

// One client: sends from the bench's threads, reads on a thread of its own and records the
// latency of every PublicMessage from another client ("<sender slot>:<seq>:<send time ns>").
class BenchClient {
  public:
    BenchClient(int slot, std::uint16_t port)
        : slot_(slot), socket_(net::NetOpenConnection("127.0.0.1", port, 5000)) {}

    int fd() const { return socket_.fd(); }

    bool LogOn() {
        const std::string name = "user" + std::to_string(slot_);
        if (!Send(net::Logon{name, 0, 1600, 1550, false}.Encode())) {
            return false;
        }
        net::FrameReader reader(net::FrameRole::Client, nullptr);
        const auto deadline = Clock::now() + 10s;
        std::uint8_t buffer[8192];
        while (Clock::now() < deadline) {
            pollfd watched{socket_.fd(), POLLIN, 0};
            if (::poll(&watched, 1, 100) <= 0) {
                continue;
            }
            const long n = net::NetReceive(socket_.fd(), buffer);
            if (n <= 0) {
                return false;
            }
            for (const net::Frame& frame : reader.Feed({buffer, static_cast<std::size_t>(n)})) {
                const auto roster = net::DecodeFrame<net::UserRoster>(frame);
                if (roster && !roster->users.empty() && roster->users.back().name == name) {
                    return true;
                }
            }
        }
        return false;
    }

    bool Send(std::string_view payload) {
        const auto frame = net::EncodeFrame(0, payload);
        return frame && net::NetSend(socket_.fd(), *frame, 10000);
    }

    bool SendStamped(int seq) {
        char text[96];
        std::snprintf(text, sizeof text, "%d:%d:%lld:%s", slot_, seq,
                      static_cast<long long>(NowNs()), "padding-to-a-typical-chat-line-length");
        return Send(net::PublicMessageToServer{text}.Encode());
    }

    // Reads what is waiting (the receiver thread calls this when poll reports the socket).
    // False when the server closed the connection.
    bool ReadWaiting() {
        const long n = net::NetReceive(socket_.fd(), buffer_);
        if (n <= 0) {
            return n < 0 && errno == EAGAIN;
        }
        const std::int64_t now = NowNs();
        std::lock_guard lock(mutex_);
        for (const net::Frame& frame :
             reader_.Feed({buffer_.data(), static_cast<std::size_t>(n)})) {
            Record(frame, now);
        }
        return true;
    }

    struct Take {
        std::vector<std::int64_t> latencies;
        long outOfOrder = 0;
    };
    Take TakeResults() {
        std::lock_guard lock(mutex_);
        Take take{std::move(latencies_), outOfOrder_};
        latencies_.clear();
        outOfOrder_ = 0;
        lastSeq_.clear();
        return take;
    }
    long Received() const { return received_.load(); }
    void ResetReceived() { received_ = 0; }

  private:
    void Record(const net::Frame& frame, std::int64_t now) {
        const auto message = net::DecodeFrame<net::PublicMessage>(frame);
        int sender = 0;
        int seq = 0;
        long long sentAt = 0;
        if (!message ||
            std::sscanf(message->text.c_str(), "%d:%d:%lld", &sender, &seq, &sentAt) != 3 ||
            sender == slot_) {
            return;
        }
        latencies_.push_back(now - sentAt);
        auto [it, fresh] = lastSeq_.try_emplace(sender, seq);
        if (!fresh) {
            if (seq != it->second + 1) {
                ++outOfOrder_;
            }
            it->second = seq;
        }
        received_.fetch_add(1);
    }

    int slot_;
    net::Socket socket_;
    net::FrameReader reader_{net::FrameRole::Client, nullptr};
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(64 * 1024);
    std::atomic<long> received_{0};
    std::mutex mutex_;
    std::vector<std::int64_t> latencies_;
    std::map<int, int> lastSeq_;
    long outOfOrder_ = 0;
};

// One thread reads every client's socket as data arrives, so that the figures measure the
// server rather than the scheduling of 16 reader threads.
class Receiver {
  public:
    explicit Receiver(std::vector<std::unique_ptr<BenchClient>>& clients)
        : clients_(clients), thread_([this] { Loop(); }) {}
    ~Receiver() {
        running_ = false;
        thread_.join();
    }

  private:
    void Loop() {
        std::vector<pollfd> watched;
        for (const auto& client : clients_) {
            watched.push_back(pollfd{client->fd(), POLLIN, 0});
        }
        while (running_) {
            if (::poll(watched.data(), watched.size(), 100) <= 0) {
                continue;
            }
            for (std::size_t i = 0; i < watched.size(); ++i) {
                if (watched[i].revents != 0 && !clients_[i]->ReadWaiting()) {
                    watched[i].fd = -1;
                }
            }
        }
    }

    std::vector<std::unique_ptr<BenchClient>>& clients_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

double Microseconds(std::int64_t ns) {
    return static_cast<double>(ns) / 1000.0;
}

void Report(const char* name, std::vector<std::unique_ptr<BenchClient>>& clients, long expected,
            Clock::time_point start) {
    const auto deadline = Clock::now() + 60s;
    auto received = [&] {
        long total = 0;
        for (const auto& client : clients) {
            total += client->Received();
        }
        return total;
    };
    while (received() < expected && Clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<std::int64_t> all;
    long outOfOrder = 0;
    for (const auto& client : clients) {
        BenchClient::Take take = client->TakeResults();
        all.insert(all.end(), take.latencies.begin(), take.latencies.end());
        outOfOrder += take.outOfOrder;
        client->ResetReceived();
    }
    std::sort(all.begin(), all.end());
    auto at = [&](double q) {
        return all.empty()
                   ? 0.0
                   : Microseconds(
                         all[std::min(all.size() - 1, static_cast<std::size_t>(
                                                          q * static_cast<double>(all.size())))]);
    };
    std::printf(
        "%-34s deliveries %8zu  p50 %8.1f us  p99 %8.1f us  max %9.1f us  %9.0f msg/s  lost %ld  "
        "out-of-order %ld\n",
        name, all.size(), at(0.50), at(0.99), all.empty() ? 0.0 : Microseconds(all.back()),
        static_cast<double>(all.size()) / seconds, expected - static_cast<long>(all.size()),
        outOfOrder);
}

// CPU time of one thread of this process in seconds: the kernel's run-time counter in ns
// (schedstat), else user + system ticks from stat.
double ThreadCpuSeconds(int tid) {
    const std::string task = "/proc/self/task/" + std::to_string(tid);
    std::ifstream schedstat(task + "/schedstat");
    long long runNs = 0;
    if (schedstat >> runNs) {
        return static_cast<double>(runNs) / 1e9;
    }
    std::ifstream stat(task + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stoll(field);
        } else if (i == 15) {
            stime = std::stoll(field);
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The same paced pattern through a bare relay thread (recv once, send to 15 sockets, no protocol)
// with one reader thread: what this machine's scheduler and loopback cost without the server.
void BareRelayBaseline(int count) {
    net::Listener listener;
    if (!listener.Listen(0, "127.0.0.1")) {
        return;
    }
    std::vector<net::Socket> clients;
    std::vector<net::Socket> accepted;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(net::NetOpenConnection("127.0.0.1", listener.LocalPort(), 5000));
        net::WaitReady(listener.fd(), POLLIN, 5000);
        accepted.push_back(listener.Accept());
    }
    std::atomic<bool> running{true};
    std::thread relay([&] {
        std::uint8_t buffer[4096];
        while (running) {
            if (!net::WaitReady(accepted[0].fd(), POLLIN, 100)) {
                continue;
            }
            const long n = net::NetReceive(accepted[0].fd(), buffer);
            for (int i = 1; n > 0 && i < kClients; ++i) {
                ::send(accepted[static_cast<std::size_t>(i)].fd(), buffer,
                       static_cast<std::size_t>(n), MSG_NOSIGNAL | MSG_DONTWAIT);
            }
        }
    });
    std::vector<std::int64_t> latencies;
    std::thread reader([&] {
        std::vector<pollfd> watched;
        for (int i = 1; i < kClients; ++i) {
            watched.push_back(pollfd{clients[static_cast<std::size_t>(i)].fd(), POLLIN, 0});
        }
        std::uint8_t buffer[4096];
        while (running) {
            if (::poll(watched.data(), watched.size(), 100) <= 0) {
                continue;
            }
            for (const pollfd& one : watched) {
                const long n = one.revents != 0 ? net::NetReceive(one.fd, buffer) : 0;
                for (long at = 0; at + 8 <= n; at += 8) {
                    std::int64_t sentAt = 0;
                    std::memcpy(&sentAt, buffer + at, sizeof sentAt);
                    latencies.push_back(NowNs() - sentAt);
                }
            }
        }
    });
    const auto start = Clock::now();
    for (int seq = 0; seq < count; ++seq) {
        std::this_thread::sleep_until(start + seq * 1ms);
        const std::int64_t now = NowNs();
        net::NetSend(clients[0].fd(), {reinterpret_cast<const std::uint8_t*>(&now), sizeof now});
    }
    std::this_thread::sleep_for(300ms);
    running = false;
    relay.join();
    reader.join();
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        std::printf("%-34s deliveries %8zu  p50 %8.1f us  p99 %8.1f us  max %9.1f us\n",
                    "baseline: bare relay, paced 1,000/s", latencies.size(),
                    Microseconds(latencies[latencies.size() / 2]),
                    Microseconds(latencies[latencies.size() * 99 / 100]),
                    Microseconds(latencies.back()));
    }
}

}  // namespace

int main() {
    net::NetInit();
    app::ProcessState process;
    process.settings.Host = "benchhost";
    NullObserver observer;
    server::ChatServer server(process, nullptr, observer);
    if (!server.Start(0, "127.0.0.1")) {
        std::fprintf(stderr, "server did not start\n");
        return 1;
    }
    std::vector<std::unique_ptr<BenchClient>> clients;
    for (int slot = 0; slot < kClients; ++slot) {
        clients.push_back(std::make_unique<BenchClient>(slot, server.Port()));
        if (slot == 0) {
            server.SetOperatorConnection(clients[0]->fd());
        }
        if (!clients.back()->LogOn()) {
            std::fprintf(stderr, "client %d could not log on\n", slot);
            return 1;
        }
    }
    auto receiver = std::make_unique<Receiver>(clients);
    const int serverTid = server.ServerThreadId();
    const double cpuAtStart = ThreadCpuSeconds(serverTid);
    std::printf("relay_bench: server thread on loopback, %d clients (operator included)\n",
                kClients);
    const long others = kClients - 1;

    {
        constexpr int kCount = 20000;
        const auto start = Clock::now();
        for (int seq = 0; seq < kCount; ++seq) {
            clients[1]->SendStamped(seq);
        }
        Report("one sender, full speed", clients, kCount * others, start);
    }
    {
        constexpr int kCount = 2000;
        const auto start = Clock::now();
        std::vector<std::thread> senders;
        for (auto& client : clients) {
            senders.emplace_back([&client] {
                for (int seq = 0; seq < kCount; ++seq) {
                    client->SendStamped(seq);
                }
            });
        }
        for (std::thread& sender : senders) {
            sender.join();
        }
        Report("all 16 senders at once, full speed", clients, kCount * kClients * others, start);
    }
    {
        constexpr int kCount = 5000;
        const auto start = Clock::now();
        for (int seq = 0; seq < kCount; ++seq) {
            std::this_thread::sleep_until(start + seq * 1ms);
            clients[1]->SendStamped(seq);
        }
        Report("one sender, paced 1,000 msg/s", clients, kCount * others, start);
    }
    BareRelayBaseline(5000);
    std::this_thread::sleep_for(500ms);  // let the last round settle
    const double before = ThreadCpuSeconds(serverTid);
    std::printf("server thread CPU during the three rounds: %.3f s\n", before - cpuAtStart);
    std::this_thread::sleep_for(10s);
    const double used = ThreadCpuSeconds(serverTid) - before;
    std::printf("idle 10 s: server thread CPU %.6f s (%.4f %% of one core)\n", used,
                used / 10.0 * 100.0);
    receiver.reset();
    server.Stop();
    return 0;
}
