#pragma once
// Fixture of the server-rule tests: a ServerCore on a hand-driven clock, helpers that feed it
// connections and frames, and readers that turn its queued actions back into plain values
// (recipient, topic, deciphered payload) so that tests compare what went out on the wire.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "net/cipher.h"
#include "net/frame.h"
#include "net/messages.h"
#include "server/server_core.h"
#include "support/fake_clock.h"

namespace talvoro::server {

class ManualClock final : public Clock {
  public:
    SteadyTime Now() const override { return now; }
    std::int32_t DateValue() const override { return test::kTestNoon; }
    void Advance(std::chrono::milliseconds by) { now += by; }

    SteadyTime now{std::chrono::hours(1)};
};

// One frame as it left the server.
struct Sent {
    ConnectionId to = 0;
    std::int8_t topic = 0;
    std::string payload;  // including the kind byte

    bool operator==(const Sent&) const = default;
};

inline void PrintTo(const Sent& sent, std::ostream* os) {
    *os << "{to " << sent.to << ", topic " << int{sent.topic} << ", \"" << sent.payload << "\"}";
}

inline std::string K(net::MessageKind kind) {
    return std::string(1, net::KindChar(kind));
}

class CoreTest : public ::testing::Test {
  protected:
    static constexpr ConnectionId kOperator = 5;

    CoreTest() : core(settings, clock, ServerConfig{"srvhost", "me", std::chrono::seconds(60)}) {}

    // A connection from `address`, port 40000 + id.
    void Accept(ConnectionId id, std::string address = "10.0.0.1") {
        core.Accepted(id, PeerEndpoint{std::move(address), static_cast<std::uint16_t>(40000 + id)});
    }

    // Hands on `payload` (kind byte first) as a frame read from `id`.
    void Receive(ConnectionId id, std::string_view payload, std::int8_t topic = 0) {
        net::Frame frame;
        frame.topic = topic;
        frame.kind = static_cast<std::uint8_t>(payload[0]);
        frame.raw = std::string(payload.substr(1));
        core.FrameReceived(id, frame);
    }

    void Logon(ConnectionId id, std::string_view name, std::int32_t version = 1600,
               std::int32_t oldest = 1550, bool fileServerOff = false) {
        Receive(id, net::Logon{std::string(name), 255, version, oldest, fileServerOff}.Encode());
    }

    // A new connection from `address` logs on, after the actions so far are forgotten.
    void Arrive(ConnectionId id, std::string_view name, std::string address = "10.0.0.1",
                std::int32_t version = 1600, std::int32_t oldest = 1550,
                bool fileServerOff = false) {
        Accept(id, std::move(address));
        Forget();
        Logon(id, name, version, oldest, fileServerOff);
    }

    // Accepts and logs on `id`, then forgets the actions it caused.
    void Join(ConnectionId id, std::string_view name, std::string address = "10.0.0.1") {
        Arrive(id, name, std::move(address));
        Forget();
    }

    // The operator's own client, registered by its endpoint after its accept (the loopback tests
    // register it while the server thread accepts), then logged on.
    void JoinOperator(std::string_view name = "op") {
        Accept(kOperator, "127.0.0.1");
        core.SetOperatorPeer(PeerEndpoint{"127.0.0.1", 40000 + kOperator});
        Logon(kOperator, name);
        Forget();
    }

    void Forget() {
        core.TakeActions();
        actions.clear();
    }

    std::vector<Action> Take() {
        std::vector<Action> taken = core.TakeActions();
        actions.insert(actions.end(), taken.begin(), taken.end());
        return taken;
    }

    // Everything sent since the last Take(), as deciphered frames.
    std::vector<Sent> Sends() {
        std::vector<Sent> sent;
        for (const Action& action : Take()) {
            if (const auto* send = std::get_if<action::Send>(&action)) {
                std::string plain = *send->frame;
                net::CipherFrame({reinterpret_cast<std::uint8_t*>(plain.data()), plain.size()});
                sent.push_back(Sent{send->to, static_cast<std::int8_t>(plain[2]), plain.substr(3)});
            }
        }
        return sent;
    }

    // Every action of type T since the last Forget().
    template <typename T>
    std::vector<T> All() {
        Take();
        std::vector<T> found;
        for (const Action& action : actions) {
            if (const auto* one = std::get_if<T>(&action)) {
                found.push_back(*one);
            }
        }
        return found;
    }
    // One field of each of them.
    template <typename T, typename R>
    std::vector<R> All(R T::*field) {
        std::vector<R> values;
        for (const T& one : All<T>()) {
            values.push_back(one.*field);
        }
        return values;
    }
    std::vector<std::string> Logs() { return All(&action::Log::text); }
    std::vector<ConnectionId> Closed() { return All(&action::Close::id); }
    std::vector<std::string> Lines(LineTarget target) {
        std::vector<std::string> texts;
        for (const action::ServerLine& line : All<action::ServerLine>()) {
            if (line.target == target) {
                texts.push_back(line.text);
            }
        }
        return texts;
    }

    app::Settings settings;
    ManualClock clock;
    ServerCore core;
    std::vector<Action> actions;  // everything taken since the last Forget()
};

}  // namespace talvoro::server
