#pragma once
// The restart helper program (talvoro-restart) as built with this program, carried as data. The
// bytes are generated from the built helper at build time. Any thread.

#include <cstdint>
#include <span>

namespace talvoro::transfer {

// The helper's executable file, byte for byte; never empty in a complete build.
std::span<const std::uint8_t> RestartHelperImage();

}  // namespace talvoro::transfer
