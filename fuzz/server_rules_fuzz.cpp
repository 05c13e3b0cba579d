// Fuzzes the chat server's rules (no sockets) with a script of transport events: connections
// accepted and closed, frames of every kind with any text, failed sends, file blocks, time passing
// and operator requests. After every event the rules' actions are checked against what the
// transport knows: frames go only to open connections and decipher to a valid frame, and the
// client table holds only open connections.

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <variant>

#include "app/settings.h"
#include "fuzz_input.h"
#include "net/cipher.h"
#include "net/frame.h"
#include "server/server_core.h"

namespace {

using talvoro::fuzz::Check;
using talvoro::fuzz::FuzzInput;
namespace net = talvoro::net;
namespace server = talvoro::server;

class ScriptClock final : public server::Clock {
  public:
    server::SteadyTime Now() const override { return now; }
    std::int32_t DateValue() const override { return 1'100'000'000; }
    server::SteadyTime now{std::chrono::hours(1)};
};

// What the transport knows: the open connections.
struct Transport {
    std::set<server::ConnectionId> open;
    server::ConnectionId lastId = 0;

    // An open connection chosen by `pick`, or 0 when none is open.
    server::ConnectionId Pick(std::uint8_t pick) const {
        if (open.empty()) {
            return 0;
        }
        auto at = open.begin();
        std::advance(at, pick % open.size());
        return *at;
    }

    void Carry(std::vector<server::Action> actions) {
        for (const server::Action& action : actions) {
            if (const auto* send = std::get_if<server::action::Send>(&action)) {
                Check(open.contains(send->to), "frames go only to open connections");
                Check(send->frame != nullptr, "a send carries a frame");
                std::string frame = *send->frame;
                net::CipherFrame({reinterpret_cast<std::uint8_t*>(frame.data()), frame.size()});
                const std::size_t length =
                    static_cast<std::uint8_t>(frame[0]) |
                    static_cast<std::size_t>(static_cast<std::uint8_t>(frame[1])) << 8U;
                Check(length == frame.size() && length >= net::kMinFrameSize &&
                          length <= net::kMaxFrameSize,
                      "a sent frame is whole and within bounds");
            } else if (const auto* close = std::get_if<server::action::Close>(&action)) {
                open.erase(close->id);  // may be one the peer closed already: harmless
            }
        }
    }
};

net::Frame ClientFrame(FuzzInput& in) {
    net::Frame frame;
    frame.topic = static_cast<std::int8_t>(in.Byte());
    frame.kind = static_cast<std::uint8_t>(net::kFirstKindCode + in.Byte() % 17);
    frame.raw = std::string(talvoro::fuzz::Text(in.Take(in.Byte())));
    return frame;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    talvoro::app::Settings settings;
    settings.KeepAlive = static_cast<std::int8_t>(in.Byte() % 2);
    settings.KeepAliveCycleTime = static_cast<std::int16_t>(10 + in.Byte());
    ScriptClock clock;
    server::ServerCore core(settings, clock,
                            {"host", in.Byte() % 2 == 1 ? "op" : "", std::chrono::seconds(60)});
    Transport transport;
    core.Started(1805);
    for (int step = 0; step < 400 && !in.Empty(); ++step) {
        const std::uint8_t op = in.Byte();
        const server::ConnectionId someone = transport.Pick(in.Byte());
        switch (op % 10) {
            case 0:
            case 1: {
                // Ids count up and are never reused, as the server hands them out.
                const server::ConnectionId id = ++transport.lastId;
                if (transport.open.insert(id).second) {
                    core.Accepted(id, {"127.0.0." + std::to_string(id % 4),
                                       static_cast<std::uint16_t>(40000 + id)});
                }
                break;
            }
            case 2:
            case 3:
            case 4:
                if (someone != 0) {
                    core.FrameReceived(someone, ClientFrame(in));
                }
                break;
            case 5:
                if (someone != 0) {
                    transport.open.erase(someone);
                    core.Closed(someone);
                }
                break;
            case 6:
                if (someone != 0) {
                    core.SendFailed(someone);
                }
                break;
            case 7:
                if (someone != 0) {
                    core.FileBlockStarts(someone);
                }
                break;
            case 8:
                clock.now += std::chrono::seconds(in.Byte());
                core.Tick();
                break;
            default:
                switch (in.Byte() % 4) {
                    case 0:
                        core.BroadcastHeartbeat();
                        break;
                    case 1:
                        core.BroadcastTermination();
                        break;
                    case 2:
                        core.SetOperatorPeer({"127.0.0." + std::to_string(someone % 4),
                                              static_cast<std::uint16_t>(40000 + someone)});
                        break;
                    default:
                        core.StopKeepAlive();
                        break;
                }
                break;
        }
        core.Idle();
        transport.Carry(core.TakeActions());
        Check(core.RecordCount() <= transport.open.size(), "records only for open connections");
    }
    return 0;
}
