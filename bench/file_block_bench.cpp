// Loopback throughput of one 32 MiB file block (a sender thread and a receiver, each streaming
// through a file) and the peak resident memory of the process while it runs.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_files.h"
#include "net/poll_wait.h"
#include "net/transport.h"

namespace {

using namespace talvoro;
using bench::PeakResidentKiB;
using bench::WriteRandomFile;

constexpr std::size_t kFileSize = 32u * 1024 * 1024;

class BenchDir {
  public:
    BenchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "talvoro-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~BenchDir() {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    BenchDir(const BenchDir&) = delete;
    BenchDir& operator=(const BenchDir&) = delete;

    bool valid() const { return !path_.empty(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The server side of a fresh loopback connection, or an invalid socket.
net::Socket AcceptOne(net::Listener& listener) {
    net::WaitReady(listener.fd(), POLLIN, 10000);
    return listener.Accept();
}

void BM_FileBlockLoopback32MiB(benchmark::State& state) {
    const double peakBefore = PeakResidentKiB();
    BenchDir dir;
    const std::string source = dir.file("source");
    const std::string received = dir.file("received");
    net::Listener listener;
    if (!dir.valid() || !WriteRandomFile(source, kFileSize) || !listener.Listen(0, "127.0.0.1")) {
        state.SkipWithError("cannot prepare the file or the listener");
        return;
    }
    const net::Socket client = net::NetOpenConnection("127.0.0.1", listener.LocalPort(), 5000);
    const net::Socket accepted = client.valid() ? AcceptOne(listener) : net::Socket();
    const int server = accepted.valid() ? accepted.fd() : -1;
    if (server < 0) {
        state.SkipWithError("cannot connect on loopback");
        return;
    }
    for (auto _ : state) {
        bool sent = false;
        std::thread sender([&] { sent = net::NetSendFile(client.fd(), source); });
        const bool ok = net::NetReceiveFile(server, received, 10000);
        sender.join();
        if (!sent || !ok) {
            state.SkipWithError("the file block did not get through");
            return;
        }
    }
    const auto bytes = static_cast<double>(kFileSize) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["MB"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
    state.counters["VmHWM_before_KiB"] = peakBefore;
    state.counters["VmHWM_KiB"] = PeakResidentKiB();
}
BENCHMARK(BM_FileBlockLoopback32MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
