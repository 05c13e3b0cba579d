// Fuzzes the typed message decoders. The first byte picks a message type, the rest is the body
// (the payload after the kind code). Any body must decode without fault; what decodes must encode
// to a payload that starts with its kind code and fits a frame when its text fields do, and that
// payload must decode to the same value again: what a peer reads, re-sent, reads the same.

#include <cstdint>
#include <string>
#include <tuple>

#include "fuzz_input.h"
#include "net/frame.h"
#include "net/messages.h"

namespace {

using talvoro::fuzz::Check;
namespace net = talvoro::net;

template <typename Message>
void RoundTrip(std::string_view body) {
    const std::optional<Message> first = Message::Decode(body);
    if (!first) {
        return;
    }
    const std::string payload = first->Encode();
    Check(!payload.empty() &&
              static_cast<std::uint8_t>(payload[0]) == static_cast<std::uint8_t>(Message::kKind),
          "a payload starts with its kind code");
    Check(payload.size() <= body.size() + 1 + 24,
          "re-encoding grows a payload only by its normalised numbers");
    const std::optional<Message> second = Message::Decode(std::string_view(payload).substr(1));
    Check(second.has_value() && *second == *first, "decode, encode, decode gives the same value");
}

using AllMessages =
    std::tuple<net::PublicMessageToServer, net::PublicMessage, net::WhisperToServer, net::Whisper,
               net::Heartbeat, net::ServerNotice, net::UserQuit, net::Logon, net::Refusal,
               net::NewVersion, net::KickCommand, net::BanCommand, net::FileHeader,
               net::AwayStatusToServer, net::AwayStatus, net::FileReceiveStatusToServer,
               net::FileReceiveStatus, net::RejectNotice, net::TopicOpenToServer, net::TopicOpen,
               net::TopicCloseToServer, net::TopicClose>;

template <std::size_t... I>
void RoundTripOne(std::size_t pick, std::string_view body, std::index_sequence<I...>) {
    ((pick == I ? RoundTrip<std::tuple_element_t<I, AllMessages>>(body) : void()), ...);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    talvoro::fuzz::FuzzInput in(data, size);
    const std::size_t pick = in.Byte() % std::tuple_size_v<AllMessages>;
    const std::string_view body = talvoro::fuzz::Text(in.Rest());
    RoundTripOne(pick, body, std::make_index_sequence<std::tuple_size_v<AllMessages>>{});
    return 0;
}
