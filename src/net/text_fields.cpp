#include "net/text_fields.h"

namespace talvoro::net {

namespace {

// Offset just past the (k-1)th separator, or npos when the text has fewer separators.
std::size_t FieldStart(std::string_view text, char separator, int k) {
    std::size_t start = 0;
    for (int i = 1; i < k; ++i) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            return std::string_view::npos;
        }
        start = at + 1;
    }
    return start;
}

}  // namespace

std::string_view Field(std::string_view text, char separator, int k) {
    if (k < 1) {
        return {};
    }
    const std::size_t start = FieldStart(text, separator, k);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t end = text.find(separator, start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string_view FieldsFrom(std::string_view text, char separator, int k) {
    if (k < 1) {
        return {};
    }
    const std::size_t start = FieldStart(text, separator, k);
    return start == std::string_view::npos ? std::string_view{} : text.substr(start);
}

std::string NumberText(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace talvoro::net
