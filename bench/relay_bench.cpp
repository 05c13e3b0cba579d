// Relay benchmark: fan-out latency of a chat server on loopback with 15 measured clients (plus the
// operator's connection, 16 in all, the most the server admits), side by side with a bare relay
// written here (recv once, send to every connection, no protocol) that runs in the same process
// at the same time, so that both see the same machine load.
//
//   relay_bench                 the server thread of this process (no GUI): full-speed rounds,
//                               paced rounds, then the server thread's CPU over idle seconds
//   relay_bench --port P        a running server on 127.0.0.1:P (the desktop program in server
//                               mode, or the headless server): paced rounds only
// Options: --label TEXT (name of the server in the output), --pid PID (print the CPU use of each
// thread of that process during each round), --rate N (messages per second, default 1000),
// --seconds N (length of a paced round, default 10), --sweep N,N,... (one sender at each rate;
// prints "sweep" lines for the plot), --idle N (idle seconds measured at the end, in-process only).
//
// A paced round sends `rate` messages a second from one client, or from all 15 in turn ("all
// senders", the same total rate). Every message reaches all 15 measured clients (its sender
// included); the latency is from the send to the receipt. Figures, not pass/fail.

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/process_state.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/messages.h"
#include "net/transport.h"
#include "relay_clients.h"
#include "server/chat_server.h"
#include "thread_cpu.h"

namespace {

using namespace talvoro;
using namespace talvoro::bench;

constexpr int kMeasured = 15;  // measured clients; the operator's connection is the 16th

class NullObserver final : public server::ServerObserver {
  public:
    void ShowServerLine(server::LineTarget, std::string) override {}
    void ClearOperatorInput() override {}
    void AskQuitQuestion(server::QuitAnswer) override {}
    void QuitConfirmed() override {}
};

// Connects, retrying while the server is still starting (up to 20 s).
net::Socket ConnectWithRetry(std::uint16_t port) {
    const auto deadline = Clock::now() + 20s;
    while (true) {
        net::Socket socket = net::NetOpenConnection("127.0.0.1", port, 5000);
        if (socket.valid() || Clock::now() > deadline) {
            return socket;
        }
        std::this_thread::sleep_for(100ms);
    }
}

// A set of clients of one server (or of the bare relay) with the receiver that reads them.
struct Target {
    std::string label;
    int pid = 0;       // whose threads are reported; 0: none
    int threadId = 0;  // else this thread of this process (the bare relay's); 0: none
    Clients clients;
    std::vector<BenchClient*> measured;
    std::unique_ptr<Receiver> receiver;
    std::atomic<int> round{0};  // the round being measured (see BenchClient)
};

double Microseconds(std::int64_t ns) {
    return static_cast<double>(ns) / 1000.0;
}

// What one or more rounds of one pattern on one target collected.
struct Collected {
    std::vector<std::int64_t> latencies;
    long messages = 0;
    long lost = 0;
    long outOfOrder = 0;
    double sendSeconds = 0;
    bench::ProcessSample threads;  // CPU use of the target's process during the rounds
};

struct Figures {
    double p50 = 0;
    double p99 = 0;
};

// The threads whose CPU use is reported for the target.
bench::ProcessSample ThreadsOf(const Target& target) {
    if (target.pid != 0) {
        return bench::SampleProcess(target.pid);
    }
    bench::ProcessSample one;
    if (target.threadId != 0) {
        one[target.threadId] =
            bench::ReadThread("/proc/self/task/" + std::to_string(target.threadId));
        one[target.threadId].name = "bare relay";
    }
    return one;
}

// Starts a new round: what is still on its way from the last one is left out.
void NewRound(Target& target) {
    target.round.fetch_add(1);
    std::this_thread::sleep_for(20ms);
    for (BenchClient* client : target.measured) {
        client->TakeResults();
    }
}

// Waits until every message of the round has arrived at every measured client (at most 30 s
// after the last send) and adds the round's results to `into`.
void Collect(Target& target, long messages, double sendSeconds, Collected& into) {
    const long expected = messages * static_cast<long>(target.measured.size());
    const auto deadline = Clock::now() + 30s;
    auto received = [&] {
        long total = 0;
        for (const BenchClient* client : target.measured) {
            total += client->Received();
        }
        return total;
    };
    auto closed = [&] {
        return std::any_of(target.measured.begin(), target.measured.end(),
                           [](const BenchClient* client) { return client->Closed(); });
    };
    while (received() < expected && Clock::now() < deadline && !closed()) {
        std::this_thread::sleep_for(1ms);
    }
    if (closed()) {
        std::fprintf(stderr, "relay_bench: %s closed a connection; giving up\n",
                     target.label.c_str());
        std::exit(1);
    }
    long got = 0;
    for (BenchClient* client : target.measured) {
        BenchClient::Take take = client->TakeResults();
        got += static_cast<long>(take.latencies.size());
        into.latencies.insert(into.latencies.end(), take.latencies.begin(), take.latencies.end());
        into.outOfOrder += take.outOfOrder;
    }
    into.messages += messages;
    into.lost += expected - got;
    into.sendSeconds += sendSeconds;
}

Figures Print(const Target& target, const std::string& round, Collected& collected) {
    std::vector<std::int64_t>& all = collected.latencies;
    std::sort(all.begin(), all.end());
    auto at = [&](double q) {
        if (all.empty()) {
            return 0.0;
        }
        const auto index = static_cast<std::size_t>(q * static_cast<double>(all.size()));
        return Microseconds(all[std::min(all.size() - 1, index)]);
    };
    const Figures figures{at(0.50), at(0.99)};
    std::printf(
        "%-10s %-26s deliveries %7zu  p50 %8.1f us  p99 %9.1f us  max %9.1f us  %7.0f msg/s  "
        "lost %ld  out-of-order %ld\n",
        target.label.c_str(), round.c_str(), all.size(), figures.p50, figures.p99,
        all.empty() ? 0.0 : Microseconds(all.back()),
        static_cast<double>(collected.messages) / std::max(collected.sendSeconds, 1e-9),
        collected.lost, collected.outOfOrder);
    if (target.pid != 0 || target.threadId != 0) {
        bench::PrintThreadUse(collected.threads, collected.sendSeconds, collected.messages,
                              "             ");
    }
    std::fflush(stdout);
    return figures;
}

// Sends `rate` messages a second for `seconds`, from the first measured client or from all of
// them in turn, and adds the results to `into`.
void PacedRound(Target& target, int rate, double seconds, bool allSenders, Collected& into) {
    NewRound(target);
    const long messages = std::max(1L, static_cast<long>(rate * seconds));
    const auto period = std::chrono::nanoseconds(1'000'000'000L / std::max(rate, 1));
    const std::size_t senders = allSenders ? target.measured.size() : 1;
    std::vector<int> seq(senders, 0);
    const bench::ProcessSample before = ThreadsOf(target);
    const auto start = Clock::now();
    for (long k = 0; k < messages; ++k) {
        std::this_thread::sleep_until(start + k * period);
        const std::size_t from = static_cast<std::size_t>(k) % senders;
        target.measured[from]->SendStamped(seq[from]++);
    }
    const double sendSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (target.pid != 0 || target.threadId != 0) {
        bench::AddUse(into.threads, before, ThreadsOf(target));
    }
    Collect(target, messages, sendSeconds, into);
}

// Full speed: one sender as fast as it can, then all 15 at once from threads of their own.
void FullSpeedRounds(Target& target) {
    {
        NewRound(target);
        constexpr int kCount = 20000;
        const auto start = Clock::now();
        for (int seq = 0; seq < kCount; ++seq) {
            target.measured[0]->SendStamped(seq);
        }
        Collected collected;
        Collect(target, kCount, std::chrono::duration<double>(Clock::now() - start).count(),
                collected);
        Print(target, "one sender, full speed", collected);
    }
    NewRound(target);
    constexpr int kCount = 2000;
    const auto start = Clock::now();
    std::vector<std::thread> senders;
    for (BenchClient* client : target.measured) {
        senders.emplace_back([client] {
            for (int seq = 0; seq < kCount; ++seq) {
                client->SendStamped(seq);
            }
        });
    }
    for (std::thread& sender : senders) {
        sender.join();
    }
    Collected collected;
    Collect(target, static_cast<long>(kCount) * kMeasured,
            std::chrono::duration<double>(Clock::now() - start).count(), collected);
    Print(target, "all senders, full speed", collected);
}

// Connects the measured clients (and, with `operatorSlot`, first an unmeasured operator) to a
// chat server and logs them on.
bool ConnectChatClients(Target& target, std::uint16_t port, bool withOperator,
                        server::ChatServer* server) {
    for (int slot = withOperator ? 0 : 1; slot <= kMeasured; ++slot) {
        const bool measured = slot != 0;
        auto client = std::make_unique<BenchClient>(slot, ConnectWithRetry(port), false, measured,
                                                    target.round);
        if (!client->valid()) {
            std::fprintf(stderr, "relay_bench: cannot connect to 127.0.0.1:%u\n", port);
            return false;
        }
        if (slot == 0 && server != nullptr) {
            server->SetOperatorConnection(client->fd());
        }
        if (!client->LogOn()) {
            std::fprintf(stderr, "relay_bench: client %d could not log on\n", slot);
            return false;
        }
        if (measured) {
            target.measured.push_back(client.get());
        }
        target.clients.push_back(std::move(client));
    }
    target.receiver = std::make_unique<Receiver>(target.clients);
    return true;
}

bool ConnectBareClients(Target& target, BareRelay& relay) {
    for (int slot = 0; slot <= kMeasured; ++slot) {
        auto client = std::make_unique<BenchClient>(
            slot, net::NetOpenConnection("127.0.0.1", relay.Port(), 5000), true, slot != 0,
            target.round);
        if (!client->valid()) {
            return false;
        }
        if (slot != 0) {
            target.measured.push_back(client.get());
        }
        target.clients.push_back(std::move(client));
    }
    if (!relay.Start(kMeasured + 1)) {
        return false;
    }
    target.receiver = std::make_unique<Receiver>(target.clients);
    return true;
}

struct Options {
    int port = 0;
    int pid = 0;
    std::string label;
    int rate = 1000;
    double seconds = 10;
    double idleSeconds = 10;
    std::vector<int> sweep;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--port") {
            options.port = std::stoi(value);
        } else if (key == "--pid") {
            options.pid = std::stoi(value);
        } else if (key == "--label") {
            options.label = value;
        } else if (key == "--rate") {
            options.rate = std::max(1, std::stoi(value));
        } else if (key == "--seconds") {
            options.seconds = std::stod(value);
        } else if (key == "--idle") {
            options.idleSeconds = std::stod(value);
        } else if (key == "--sweep") {
            std::istringstream rates(value);
            for (std::string one; std::getline(rates, one, ',');) {
                options.sweep.push_back(std::max(1, std::stoi(one)));
            }
        } else {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0) {
        return std::nullopt;
    }
    if (options.label.empty()) {
        options.label = options.port != 0 ? "server" : "thread";
    }
    return options;
}

double Ratio(double value, double baseline) {
    return baseline > 0 ? value / baseline : 0.0;
}

void Merge(Collected& into, Collected&& slice) {
    into.latencies.insert(into.latencies.end(), slice.latencies.begin(), slice.latencies.end());
    into.messages += slice.messages;
    into.lost += slice.lost;
    into.outOfOrder += slice.outOfOrder;
    into.sendSeconds += slice.sendSeconds;
    for (const auto& [tid, use] : slice.threads) {
        bench::ThreadSample& sum = into.threads[tid];
        sum.name = use.name;
        sum.runNs += use.runNs;
        sum.runs += use.runs;
    }
}

// One pattern at one rate on the server and on the bare relay, alternating in slices of half a
// second so that both see the same machine load; prints both and the server's ratios to the bare
// relay.
std::pair<Figures, Figures> Compare(Target& server, Target& bare, int rate, double seconds,
                                    bool allSenders) {
    const int slices = std::max(1, static_cast<int>(seconds * 2));
    Collected served;
    Collected baseline;
    for (int slice = 0; slice < slices; ++slice) {
        Collected one;
        Collected bareOne;
        PacedRound(server, rate, seconds / slices, allSenders, one);
        PacedRound(bare, rate, seconds / slices, allSenders, bareOne);
        Merge(served, std::move(one));
        Merge(baseline, std::move(bareOne));
    }
    char name[64];
    std::snprintf(name, sizeof name, "%s, %d/s", allSenders ? "all senders" : "one sender", rate);
    const Figures s = Print(server, name, served);
    const Figures b = Print(bare, name, baseline);
    std::printf("%-10s %-26s p50 %.2fx  p99 %.2fx the bare relay of this run\n",
                server.label.c_str(), name, Ratio(s.p50, b.p50), Ratio(s.p99, b.p99));
    return {s, b};
}

void PacedComparison(Target& server, Target& bare, const Options& options) {
    std::printf(
        "paced rounds, %g s each, in slices of 0.5 s alternating with the bare relay; fan-out to "
        "%d measured clients, sender included\n",
        options.seconds, kMeasured);
    Compare(server, bare, options.rate, options.seconds, false);
    Compare(server, bare, options.rate, options.seconds, true);
    for (const int rate : options.sweep) {
        const auto [s, b] = Compare(server, bare, rate, 4, false);
        std::printf("sweep %s %d %.1f %.1f\nsweep bare %d %.1f %.1f\n", server.label.c_str(), rate,
                    s.p50, s.p99, rate, b.p50, b.p99);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: relay_bench [--port P] [--pid PID] [--label TEXT] [--rate N] "
                     "[--seconds N] [--sweep N,N,...] [--idle N]\n");
        return 2;
    }
    net::NetInit();
    app::ProcessState process;
    process.settings.Host = "benchhost";
    NullObserver observer;
    std::optional<server::ChatServer> ownServer;
    Target server{options->label, options->pid, 0, {}, {}, {}};
    if (options->port != 0) {
        if (!ConnectChatClients(server, static_cast<std::uint16_t>(options->port), false,
                                nullptr)) {
            return 1;
        }
    } else {
        ownServer.emplace(process, nullptr, observer);
        if (!ownServer->Start(0, "127.0.0.1") ||
            !ConnectChatClients(server, ownServer->Port(), true, &*ownServer)) {
            std::fprintf(stderr, "relay_bench: the server did not start\n");
            return 1;
        }
    }
    BareRelay relay;
    Target bare{"bare", 0, 0, {}, {}, {}};
    if (!ConnectBareClients(bare, relay)) {
        std::fprintf(stderr, "relay_bench: the bare relay did not start\n");
        return 1;
    }
    std::this_thread::sleep_for(1s);  // logon traffic settles
    bare.threadId = relay.ThreadId();
    if (ownServer) {
        std::printf("relay_bench: server thread of this process on loopback, %d clients\n",
                    kMeasured + 1);
        const int serverTid = ownServer->ServerThreadId();
        const double cpuAtStart = bench::ThreadSeconds(0, serverTid);
        FullSpeedRounds(server);
        PacedComparison(server, bare, *options);
        std::this_thread::sleep_for(500ms);
        const double before = bench::ThreadSeconds(0, serverTid);
        std::printf("server thread CPU during the rounds: %.3f s\n", before - cpuAtStart);
        std::this_thread::sleep_for(std::chrono::duration<double>(options->idleSeconds));
        const double used = bench::ThreadSeconds(0, serverTid) - before;
        std::printf("idle %g s: server thread CPU %.6f s (%.6f s per 10 s)\n", options->idleSeconds,
                    used, used / options->idleSeconds * 10.0);
    } else {
        std::printf("relay_bench: %s on 127.0.0.1:%d, %d clients (its operator included)\n",
                    options->label.c_str(), options->port, kMeasured + 1);
        PacedComparison(server, bare, *options);
    }
    server.receiver.reset();
    bare.receiver.reset();
    if (ownServer) {
        ownServer->Stop();
    }
    return 0;
}
