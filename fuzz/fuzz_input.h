#pragma once
// Helpers shared by the fuzz targets: reading bytes off the front of a fuzz input, and stopping
// with a message when a property does not hold (libFuzzer then saves the input as a crash).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

namespace talvoro::fuzz {

// Consumes the input from the front; reading past the end yields zeros and empty views.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    std::uint8_t Byte() {
        if (bytes_.empty()) {
            return 0;
        }
        const std::uint8_t b = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return b;
    }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | Byte() << 8U); }

    std::span<const std::uint8_t> Take(std::size_t count) {
        const std::size_t n = count < bytes_.size() ? count : bytes_.size();
        const auto taken = bytes_.first(n);
        bytes_ = bytes_.subspan(n);
        return taken;
    }
    std::span<const std::uint8_t> Rest() { return Take(bytes_.size()); }
    bool Empty() const { return bytes_.empty(); }

  private:
    std::span<const std::uint8_t> bytes_;
};

inline std::string_view Text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The whole content of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Stops the run when `holds` is false: the fuzzer records the input that broke the property.
inline void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace talvoro::fuzz
