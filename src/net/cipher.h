#pragma once
// RC4 and the frame encipherment of the chat protocol. Every frame, header included, is XORed with
// the keystream of RC4 under the fixed link key, starting afresh at the frame's first byte, so
// enciphering and deciphering are the same operation.
//
// Thread safety: Rc4 is a plain value used by one thread at a time. CipherFrame may be called from
// any thread; it reads only immutable data.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace talvoro::net {

// The link key; its 8 bytes are used in order and repeated by the key schedule.
constexpr std::string_view kLinkKey = "MuRa_ek!";

class Rc4 {
  public:
    // Runs the key schedule. An empty key is treated as the single byte 0 (never divides by 0).
    explicit Rc4(std::span<const std::uint8_t> key);

    // XORs the next keystream bytes onto `data`, continuing where the previous call ended.
    void Apply(std::span<std::uint8_t> data);

  private:
    std::array<std::uint8_t, 256> state_{};
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

// Enciphers or deciphers one whole frame in place under the link key with a fresh cipher state.
// The first 4096 keystream bytes are computed once per process; longer spans are still handled
// correctly (the keystream simply continues).
void CipherFrame(std::span<std::uint8_t> frame);

}  // namespace talvoro::net
