#pragma once
// The clients of the relay benchmark and the bare relay it compares servers with.
//
// BenchClient: one client, either of a chat server (frames, "<round>:<slot>:<seq>:<send time ns>"
// as public messages) or of the bare relay (fixed records holding the same numbers). The pacing
// thread sends; the Receiver thread reads every client and records the latency of each message.
// BareRelay: one thread that sends whatever whole records it reads from any connection to all.

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/messages.h"
#include "net/transport.h"

namespace talvoro::bench {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

inline constexpr std::size_t kBareRecord = 80;  // about the size of a relayed chat frame

inline std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

class BenchClient {
  public:
    // `round` is the number of the round being measured; messages of other rounds are not
    // counted (late ones of an earlier round).
    BenchClient(int slot, net::Socket socket, bool bare, bool measured,
                const std::atomic<int>& round)
        : slot_(slot),
          socket_(std::move(socket)),
          bare_(bare),
          measured_(measured),
          round_(round) {}

    int fd() const { return socket_.fd(); }
    bool valid() const { return socket_.valid(); }

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
        const int round = round_.load();
        if (bare_) {
            std::uint8_t record[kBareRecord] = {};
            const std::int32_t head[4] = {round, slot_, seq, 0};
            const std::int64_t now = NowNs();
            std::memcpy(record, head, sizeof head);
            std::memcpy(record + sizeof head, &now, sizeof now);
            return net::NetSend(socket_.fd(), {record, sizeof record}, 10000);
        }
        char text[96];
        std::snprintf(text, sizeof text, "%d:%d:%d:%lld:%s", round, slot_, seq,
                      static_cast<long long>(NowNs()), "padding-to-a-chat-line");
        return Send(net::PublicMessageToServer{text}.Encode());
    }

    // Reads what is waiting (the receiver thread calls this when poll reports the socket).
    // False when the connection closed.
    bool ReadWaiting() {
        const long n = net::NetReceive(socket_.fd(), buffer_);
        if (n <= 0) {
            const bool open = n < 0 && errno == EAGAIN;
            closed_ = closed_ || !open;
            return open;
        }
        if (!measured_) {
            return true;
        }
        const std::int64_t now = NowNs();
        std::lock_guard lock(mutex_);
        if (bare_) {
            pending_.insert(pending_.end(), buffer_.begin(), buffer_.begin() + n);
            std::size_t at = 0;
            for (; at + kBareRecord <= pending_.size(); at += kBareRecord) {
                std::int32_t head[4];
                std::int64_t sentAt = 0;
                std::memcpy(head, pending_.data() + at, sizeof head);
                std::memcpy(&sentAt, pending_.data() + at + sizeof head, sizeof sentAt);
                Record(head[0], head[1], head[2], sentAt, now);
            }
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
            return true;
        }
        for (const net::Frame& frame :
             reader_.Feed({buffer_.data(), static_cast<std::size_t>(n)})) {
            const auto message = net::DecodeFrame<net::PublicMessage>(frame);
            int round = 0;
            int sender = 0;
            int seq = 0;
            long long sentAt = 0;
            if (message && std::sscanf(message->text.c_str(), "%d:%d:%d:%lld", &round, &sender,
                                       &seq, &sentAt) == 4) {
                Record(round, sender, seq, sentAt, now);
            }
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
        received_ = 0;
        return take;
    }
    long Received() const { return received_.load(); }
    bool Closed() const { return closed_.load(); }

  private:
    void Record(int round, int sender, int seq, std::int64_t sentAt, std::int64_t now) {
        if (round != round_.load()) {
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
    bool bare_;
    bool measured_;
    const std::atomic<int>& round_;
    net::FrameReader reader_{net::FrameRole::Client, nullptr};
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(64 * 1024);
    std::vector<std::uint8_t> pending_;
    std::atomic<long> received_{0};
    std::atomic<bool> closed_{false};
    std::mutex mutex_;
    std::vector<std::int64_t> latencies_;
    std::map<int, int> lastSeq_;
    long outOfOrder_ = 0;
};

using Clients = std::vector<std::unique_ptr<BenchClient>>;

// One thread reads every client's socket as data arrives, so that the figures measure the
// server rather than the scheduling of many reader threads.
class Receiver {
  public:
    explicit Receiver(Clients& clients) : clients_(clients), thread_([this] { Loop(); }) {}
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

    Clients& clients_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

// The bare relay: one thread, 16 accepted connections; whole records read from any of them are
// sent to all 16 as they are.
class BareRelay {
  public:
    BareRelay() {
        listener_.reset(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_.fd(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_.fd(), 32) != 0 ||
            ::getsockname(listener_.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            listener_.reset();
            return;
        }
        port_ = ntohs(address.sin_port);
    }
    ~BareRelay() {
        running_ = false;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    std::uint16_t Port() const { return port_; }
    // The relay thread's id once it runs (0 before).
    int ThreadId() const { return tid_.load(); }

    // Accepts `count` connections (already connecting) and starts relaying.
    bool Start(int count) {
        for (int i = 0; i < count; ++i) {
            net::Socket accepted(::accept(listener_.fd(), nullptr, nullptr));
            if (!accepted.valid()) {
                return false;
            }
            const int on = 1;
            ::setsockopt(accepted.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            accepted_.push_back(std::move(accepted));
        }
        thread_ = std::thread([this] { Loop(); });
        return true;
    }

  private:
    void Loop() {
        tid_ = static_cast<int>(::gettid());
        std::vector<pollfd> watched;
        for (const net::Socket& one : accepted_) {
            watched.push_back(pollfd{one.fd(), POLLIN, 0});
        }
        std::vector<std::vector<std::uint8_t>> pending(accepted_.size());
        std::uint8_t buffer[16 * kBareRecord];
        while (running_) {
            if (::poll(watched.data(), watched.size(), 100) <= 0) {
                continue;
            }
            for (std::size_t i = 0; i < watched.size(); ++i) {
                if (watched[i].revents == 0) {
                    continue;
                }
                const long n = ::recv(watched[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n <= 0) {
                    watched[i].fd = n == 0 ? -1 : watched[i].fd;
                    continue;
                }
                std::vector<std::uint8_t>& rest = pending[i];
                rest.insert(rest.end(), buffer, buffer + n);
                const std::size_t whole = rest.size() / kBareRecord * kBareRecord;
                for (const net::Socket& to : accepted_) {
                    net::NetSend(to.fd(), {rest.data(), whole}, 1000);
                }
                rest.erase(rest.begin(), rest.begin() + static_cast<long>(whole));
            }
        }
    }

    net::Socket listener_;
    std::uint16_t port_ = 0;
    std::atomic<int> tid_{0};
    std::vector<net::Socket> accepted_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

}  // namespace talvoro::bench
