#include "support/raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "net/connection.h"

namespace talvoro::test {

namespace {

sockaddr_in LoopbackAddress(const std::string& text, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, text.c_str(), &address.sin_addr);
    return address;
}

}  // namespace

RawClient::RawClient(std::uint16_t port, const std::string& sourceAddress, int receiveBuffer) {
    net::Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.valid() && receiveBuffer > 0) {
        ::setsockopt(socket.fd(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const sockaddr_in source = LoopbackAddress(sourceAddress, 0);
    const sockaddr_in server = LoopbackAddress("127.0.0.1", port);
    if (!socket.valid() ||
        ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0 ||
        ::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
        return;
    }
    const int one = 1;
    ::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    socket_ = std::move(socket);
}

bool RawClient::Send(std::int8_t topic, std::string_view payload) {
    const std::optional<std::string> frame = net::EncodeFrame(topic, payload);
    return frame && SendBytes(*frame);
}

bool RawClient::SendBytes(std::string_view bytes) {
    return connected() && net::NetSend(socket_.fd(), bytes, 5000);
}

bool RawClient::SendLogon(std::string_view name, std::int32_t version, std::int32_t oldest,
                          bool fileServerOff) {
    return Send(net::Logon{std::string(name), 255, version, oldest, fileServerOff}.Encode());
}

// What is left of the time until `deadline`, never below 0.
RawClient::Duration RawClient::Left(Clock::time_point deadline) {
    return std::max(Duration(0), std::chrono::duration_cast<Duration>(deadline - Clock::now()));
}

std::int32_t RawClient::LogOn(std::string_view name, Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    std::optional<net::Frame> frame;
    if (!SendLogon(name)) {
        return 0;
    }
    while ((frame = Receive(Left(deadline))) &&
           frame->kind != static_cast<std::uint8_t>(net::MessageKind::Refusal)) {
        const auto roster = net::DecodeFrame<net::UserRoster>(*frame);
        if (roster && !roster->users.empty() && roster->users.back().name == name) {
            return roster->users.back().id;
        }
    }
    return 0;
}

// One read into the frame queue. False once the peer has closed, when `deadline` passes with
// nothing to read, or when waiting fails for any reason but a signal.
bool RawClient::ReadSome(Clock::time_point deadline) {
    pollfd watched{socket_.fd(), POLLIN, 0};
    const int ready = connected() && !peerClosed_
                          ? ::poll(&watched, 1, static_cast<int>(Left(deadline).count()))
                          : 0;
    if (ready <= 0) {
        return ready < 0 && errno == EINTR && Clock::now() < deadline;
    }
    std::uint8_t buffer[16384];
    const long n = ::recv(socket_.fd(), buffer, sizeof buffer, MSG_DONTWAIT);
    peerClosed_ = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
    for (net::Frame& frame : reader_.Feed({buffer, static_cast<std::size_t>(std::max(0L, n))})) {
        frames_.push_back(std::move(frame));
    }
    return !peerClosed_;
}

std::optional<net::Frame> RawClient::Receive(Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (frames_.empty() && ReadSome(deadline)) {
    }
    if (frames_.empty()) {
        return std::nullopt;
    }
    net::Frame frame = std::move(frames_.front());
    frames_.pop_front();
    return frame;
}

std::optional<net::Frame> RawClient::ReceiveKind(net::MessageKind kind, Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    std::optional<net::Frame> frame;
    while ((frame = Receive(Left(deadline))) && frame->kind != static_cast<std::uint8_t>(kind)) {
    }
    return frame;
}

bool RawClient::WaitClosed(Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (ReadSome(deadline)) {
        frames_.clear();
    }
    return peerClosed_;
}

}  // namespace talvoro::test
