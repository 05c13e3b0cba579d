// A 32 MiB file from a send worker to a file server in another process on loopback, against a
// plain socket copy of the same file (read, send, receive, write in 64 KiB pieces) in the same
// run. Prints the throughput ratio and the peak resident memory growth of sender and receiver.
// Not a test: it prints figures. (Links the benchmark library like every bench; main is its own.)

#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_files.h"
#include "net/poll_wait.h"
#include "net/transport.h"
#include "server/file_server.h"
#include "transfer/incoming_file.h"
#include "transfer/send_worker.h"

namespace {

using namespace talvoro;
using Clock = std::chrono::steady_clock;
constexpr std::size_t kFileSize = 32u * 1024 * 1024;
constexpr int kRounds = 5;

struct Quiet final : transfer::TransferEvents, net::ServerLink {
    void ServerLine(std::string, bool) override {}
    void LastServerMessage(std::string) override {}
    void NewContent() override {}
    void FileArrived(std::string) override {}
    void SendWorkerRunning(bool) override {}
    void TopicContents(std::vector<transfer::TopicContent>) override {}
    bool SendToServer(std::string_view) override { return true; }
    void SetSelectedTab(int) override {}
};

struct Sink final : server::FileBlockSink {
    Sink(std::unique_ptr<transfer::IncomingFile> f, int done) : file(std::move(f)), doneFd(done) {}
    void Write(std::span<const std::uint8_t> b) override { file->Write(b); }
    void Finish(bool complete) override {
        file->Finish(complete);
        const char c = complete ? 'y' : 'n';
        static_cast<void>(::write(doneFd, &c, 1));
    }
    std::unique_ptr<transfer::IncomingFile> file;
    int doneFd;
};

// Child process: receives `rounds` files with the file server, then reports its peak growth.
[[noreturn]] void Receiver(const std::string& dir, int portFd, int doneFd) {
    Quiet quiet;
    app::SharedField<std::int8_t> halt{0};
    transfer::IncomingFiles incoming({dir, &halt, nullptr, &quiet, &quiet, {}});
    server::FileServerSetup fs;
    fs.bindAddress = "127.0.0.1";
    fs.fileServerHalt = &halt;
    fs.link = &quiet;
    fs.timeText = [] { return std::string(); };
    fs.showLine = [](std::string) {};
    fs.beginFile = [&](const net::FileHeader& h, std::uint32_t n, bool server) {
        return std::unique_ptr<server::FileBlockSink>(
            new Sink(incoming.Begin(h, n, server), doneFd));
    };
    server::FileServer files(fs);
    const double before = bench::PeakResidentKiB();
    files.Start();
    while (files.Port() == 0) {
        ::usleep(1000);
    }
    const std::uint16_t port = files.Port();
    static_cast<void>(::write(portFd, &port, sizeof port));
    char c = 0;
    static_cast<void>(::read(portFd, &c, 1));  // the parent closes its end when done
    files.Stop();
    const double growth = bench::PeakResidentKiB() - before;
    static_cast<void>(::write(doneFd, &growth, sizeof growth));
    std::_Exit(0);
}

// Child process: the plain copy's receiving end, one file per connection.
[[noreturn]] void PlainReceiver(const std::string& path, int portFd, int doneFd) {
    net::Listener listener;
    listener.Listen(0, "127.0.0.1");
    const std::uint16_t port = listener.LocalPort();
    static_cast<void>(::write(portFd, &port, sizeof port));
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (int round = 0; round < kRounds; ++round) {
        net::Socket accepted;
        while (!accepted.valid()) {
            net::WaitReady(listener.fd(), POLLIN, 1000);
            accepted = listener.Accept();
        }
        const int fd = accepted.fd();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        std::size_t got = 0;
        while (got < kFileSize) {
            net::WaitReady(fd, POLLIN, 5000);
            const long n = net::NetReceive(fd, buffer);
            if (n <= 0) {
                continue;
            }
            out.write(reinterpret_cast<const char*>(buffer.data()), n);
            got += static_cast<std::size_t>(n);
        }
        out.close();
        const char c = 'y';
        static_cast<void>(::write(doneFd, &c, 1));
        accepted.reset();
    }
    std::_Exit(0);
}

struct Child {
    pid_t pid = -1;
    int control = -1;  // port comes here; closing it ends the child
    int done = -1;
    std::uint16_t port = 0;
};

template <typename Body>
Child Spawn(Body body) {
    int control[2], done[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, control) != 0 || ::pipe(done) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    Child child;
    child.pid = ::fork();
    if (child.pid == 0) {
        ::close(control[0]);
        ::close(done[0]);
        body(control[1], done[1]);
    }
    ::close(control[1]);
    ::close(done[1]);
    child.control = control[0];
    child.done = done[0];
    static_cast<void>(::read(child.control, &child.port, sizeof child.port));
    return child;
}

bool PlainSend(const std::string& path, std::uint16_t port) {
    const net::Socket s = net::NetOpenConnection("127.0.0.1", port, 5000);
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(64 * 1024);
    while (s.valid() && in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
        if (!net::NetSend(s.fd(), std::string_view(buffer.data(), buffer.size()))) {
            return false;
        }
    }
    return s.valid();
}

bool SameContent(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::vector<char> p(1 << 20), q(1 << 20);
    while (x && y) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || !std::equal(p.begin(), p.begin() + x.gcount(), q.begin())) {
            return false;
        }
    }
    return !x && !y;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    net::NetInit();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("talvoro-transfer-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "in" / "Transfer");
    const std::string source = (dir / "source.bin").string();
    if (!bench::WriteRandomFile(source, kFileSize)) {
        std::fprintf(stderr, "cannot write %s\n", source.c_str());
        return 1;
    }

    Child receiver = Spawn([&](int c, int d) { Receiver((dir / "in/").string(), c, d); });
    Child plain = Spawn([&](int c, int d) { PlainReceiver((dir / "plain.bin").string(), c, d); });
    Quiet quiet;
    transfer::SendJob job;
    job.recipients = {{"bob", "127.0.0.1"}};
    job.path = source;
    job.ownName = "ann";
    job.port = receiver.port;
    job.headerPauseMs = 0;  // the 200 ms pause before the block is not part of the throughput

    double best = 1e9, bestPlain = 1e9;
    const double senderBefore = bench::PeakResidentKiB();
    for (int round = 0; round < kRounds; ++round) {
        char c = 0;
        auto start = Clock::now();
        const int sent = transfer::RunSend(job, quiet, quiet);
        static_cast<void>(::read(receiver.done, &c, 1));
        if (sent != 1 || c != 'y') {
            std::fprintf(stderr, "transfer failed\n");
            return 1;
        }
        best = std::min(best, Seconds(start));
        start = Clock::now();
        if (!PlainSend(source, plain.port) || ::read(plain.done, &c, 1) != 1) {
            std::fprintf(stderr, "plain copy failed\n");
            return 1;
        }
        bestPlain = std::min(bestPlain, Seconds(start));
    }
    const double senderGrowth = bench::PeakResidentKiB() - senderBefore;
    ::close(receiver.control);
    double receiverGrowth = -1;
    static_cast<void>(::read(receiver.done, &receiverGrowth, sizeof receiverGrowth));
    ::waitpid(receiver.pid, nullptr, 0);
    ::close(plain.control);
    ::waitpid(plain.pid, nullptr, 0);
    const bool same = SameContent(source, (dir / "in" / "Transfer" / "source.bin").string());
    const double mb = static_cast<double>(kFileSize) / 1e6;
    std::printf("32 MiB, best of %d rounds\n", kRounds);
    std::printf("transfer (worker -> file server): %.3f s, %.0f MB/s\n", best, mb / best);
    std::printf("plain socket copy:                %.3f s, %.0f MB/s\n", bestPlain, mb / bestPlain);
    std::printf("throughput ratio transfer/plain:  %.2f (target >= 0.67)\n", bestPlain / best);
    std::printf("peak RSS growth sender:   %.0f KiB (target < 8192)\n", senderGrowth);
    std::printf("peak RSS growth receiver: %.0f KiB (target < 8192)\n", receiverGrowth);
    std::printf("received file identical: %s\n", same ? "yes" : "NO");
    std::filesystem::remove_all(dir);
    return 0;
}
