#include "net/payload_fields.h"

#include <algorithm>

#include "app/number_text.h"

namespace talvoro::net {

std::string JoinFields(MessageKind kind, std::initializer_list<std::string_view> fields) {
    const char separator = KindChar(kind);
    std::size_t size = 1;
    for (std::string_view field : fields) {
        size += field.size() + 1;
    }
    std::string payload;
    payload.reserve(size);
    if (fields.size() == 0) {
        payload.push_back(separator);
    }
    for (std::string_view field : fields) {
        payload.push_back(separator);
        payload.append(field);
    }
    return payload;
}

std::string NumberText(std::int64_t value) {
    return std::to_string(value);
}

std::string_view TextOf(std::string_view body) {
    return body.substr(0, body.find('\0'));
}

PayloadFields::PayloadFields(std::string_view body, MessageKind kind, std::size_t count)
    : whole_(TextOf(body)) {
    count = std::clamp<std::size_t>(count, 1, kMaxFields);
    const char separator = KindChar(kind);
    std::string_view rest = whole_;
    while (present_ + 1 < count) {
        const std::size_t at = rest.find(separator);
        if (at == std::string_view::npos) {
            break;
        }
        fields_[present_++] = rest.substr(0, at);
        rest.remove_prefix(at + 1);
    }
    fields_[present_++] = rest;
}

std::string_view PayloadFields::Text(std::size_t k) const {
    return Has(k) ? fields_[k - 1] : std::string_view{};
}

std::int32_t PayloadFields::Number(std::size_t k) const {
    return app::ReadNumber(Text(k));
}

}  // namespace talvoro::net
