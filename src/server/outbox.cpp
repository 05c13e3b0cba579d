#include "server/outbox.h"

#include "net/frame.h"

namespace talvoro::server {

bool Outbox::Send(std::span<const ConnectionId> recipients, std::int8_t topic,
                  std::string_view payload) {
    std::optional<std::string> frame = net::EncodeFrame(topic, payload);
    if (!frame) {
        return false;
    }
    auto shared = std::make_shared<const std::string>(std::move(*frame));
    for (const ConnectionId to : recipients) {
        actions_.emplace_back(action::Send{to, shared});
    }
    return true;
}

bool Outbox::Send(ConnectionId to, std::int8_t topic, std::string_view payload) {
    return Send(std::span(&to, 1), topic, payload);
}

void Outbox::Log(bool isError, std::string text) {
    actions_.emplace_back(action::Log{isError, std::move(text)});
}

void Outbox::Line(LineTarget target, std::string text) {
    actions_.emplace_back(action::ServerLine{target, std::move(text)});
}

std::vector<Action> Outbox::Take() {
    std::vector<Action> taken;
    taken.swap(actions_);
    return taken;
}

}  // namespace talvoro::server
