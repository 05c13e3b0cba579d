#include "net/cipher.h"

#include <cstddef>
#include <utility>

namespace talvoro::net {

namespace {

constexpr std::size_t kKeystreamPrefixSize = 4096;

std::span<const std::uint8_t> LinkKeyBytes() {
    return {reinterpret_cast<const std::uint8_t*>(kLinkKey.data()), kLinkKey.size()};
}

// The keystream every frame starts with: the state is fresh per frame, so the prefix is the same.
const std::array<std::uint8_t, kKeystreamPrefixSize>& LinkKeystreamPrefix() {
    static const std::array<std::uint8_t, kKeystreamPrefixSize> prefix = [] {
        std::array<std::uint8_t, kKeystreamPrefixSize> bytes{};
        Rc4 cipher(LinkKeyBytes());
        cipher.Apply(bytes);
        return bytes;
    }();
    return prefix;
}

}  // namespace

Rc4::Rc4(std::span<const std::uint8_t> key) {
    static constexpr std::uint8_t kZeroKey[1] = {0};
    if (key.empty()) {
        key = kZeroKey;
    }
    for (std::size_t n = 0; n < state_.size(); ++n) {
        state_[n] = static_cast<std::uint8_t>(n);
    }
    std::uint8_t j = 0;
    for (std::size_t n = 0; n < state_.size(); ++n) {
        j = static_cast<std::uint8_t>(j + state_[n] + key[n % key.size()]);
        std::swap(state_[n], state_[j]);
    }
}

void Rc4::Apply(std::span<std::uint8_t> data) {
    // Indexes in locals: the compiler can keep them in registers across the loop.
    std::uint8_t i = i_;
    std::uint8_t j = j_;
    for (std::uint8_t& byte : data) {
        i = static_cast<std::uint8_t>(i + 1);
        const std::uint8_t si = state_[i];
        j = static_cast<std::uint8_t>(j + si);
        const std::uint8_t sj = state_[j];
        state_[i] = sj;
        state_[j] = si;
        byte ^= state_[static_cast<std::uint8_t>(si + sj)];
    }
    i_ = i;
    j_ = j;
}

void CipherFrame(std::span<std::uint8_t> frame) {
    if (frame.size() > kKeystreamPrefixSize) {
        Rc4 cipher(LinkKeyBytes());
        cipher.Apply(frame);
        return;
    }
    const auto& prefix = LinkKeystreamPrefix();
    for (std::size_t n = 0; n < frame.size(); ++n) {
        frame[n] ^= prefix[n];
    }
}

}  // namespace talvoro::net
