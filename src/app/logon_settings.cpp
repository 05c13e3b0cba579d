#include "app/logon_settings.h"

#include <cmath>
#include <random>
#include <utility>

namespace talvoro::app {

namespace {

// The factor is a single-precision 0.9; products are formed in double precision, so 0.9 x 255 is
// 229.49999... and rounds to 229.
constexpr double kCloseFactor = 0.9f;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int Channel(std::int32_t color, int shift) {
    return (color >> shift) & 0xFF;
}

// Whether the text channel c is within the closeness band of the background channel b.
// The red channel compares against the band's lower edge rounded to a whole number.
bool ChannelTooClose(int c, int b, bool roundLowerEdge) {
    const double lowerEdge = kCloseFactor * b;
    const bool aboveLower = roundLowerEdge ? c > std::lround(lowerEdge) : c > lowerEdge;
    return aboveLower && kCloseFactor * c < b;
}

}  // namespace

AnonymousNumberSource RandomAnonymousNumbers() {
    return [engine = std::mt19937{std::random_device{}()}]() mutable {
        return std::uniform_int_distribution<int>{0, kHighestAnonymousNumber}(engine);
    };
}

std::string TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string{text};
}

std::string AliasOrAnonymous(std::string_view typed, const AnonymousNumberSource& number) {
    // Cut to what the server admits and every roster shows, so the own name matches it.
    std::string alias = TrimBlanks(TrimBlanks(typed).substr(0, kMaxAliasLength));
    if (!alias.empty()) {
        return alias;
    }
    int n = number ? number() : 0;
    n %= kHighestAnonymousNumber + 1;
    if (n < 0) {
        n += kHighestAnonymousNumber + 1;
    }
    return "Anonymous" + std::to_string(n);
}

std::int32_t PortFromField(std::string_view field) {
    std::int64_t value = 0;
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) {
        ++i;
    }
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > kHighestPort) {
            return kHighestPort;
        }
    }
    return static_cast<std::int32_t>(value);
}

void ApplyLogonFields(const LogonFields& fields, Settings& settings,
                      const AnonymousNumberSource& number) {
    settings.UserName = AliasOrAnonymous(fields.userName, number);
    settings.Host = TrimBlanks(fields.host);
    settings.Port = PortFromField(fields.port);
}

std::int32_t ApplyContrastRule(std::int32_t chosen, std::int32_t background) {
    const bool tooClose = ChannelTooClose(Channel(chosen, 0), Channel(background, 0), true) &&
                          ChannelTooClose(Channel(chosen, 8), Channel(background, 8), false) &&
                          ChannelTooClose(Channel(chosen, 16), Channel(background, 16), false);
    if (!tooClose) {
        return chosen;
    }
    return (0xFF - Channel(chosen, 0)) | (0xFF - Channel(chosen, 8)) << 8 |
           (0xFF - Channel(chosen, 16)) << 16;
}

bool IsRefusedLogonCharacter(char c) {
    return c == ':' || c == '[' || c == ']';
}

OwnAddressCycle::OwnAddressCycle(AddressSource addresses, HostNameSource hostName)
    : addressSource_(std::move(addresses)), hostNameSource_(std::move(hostName)) {}

void OwnAddressCycle::Reset() {
    addresses_ = addressSource_ ? addressSource_() : std::vector<std::string>{};
    position_ = 0;
}

std::string OwnAddressCycle::Next() {
    if (position_ == 0 && addresses_.empty()) {
        // First click after a reset that found nothing, or after the host name: read again.
        addresses_ = addressSource_ ? addressSource_() : std::vector<std::string>{};
    }
    if (position_ < addresses_.size()) {
        return addresses_[position_++];
    }
    addresses_.clear();
    position_ = 0;
    return hostNameSource_ ? hostNameSource_() : std::string{};
}

}  // namespace talvoro::app
