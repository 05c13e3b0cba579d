#pragma once
// What the file benchmarks measure and prepare alike: the peak resident memory of the process and
// a source file of random bytes.

#include <cstddef>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace talvoro::bench {

// Peak resident set size of this process in KiB (VmHWM), 0 if it cannot be read.
inline double PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            double kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// `size` random bytes (the same each run) at `path`, written in 1 MiB pieces so that preparing
// the file does not raise the peak memory. False when the file cannot be written.
inline bool WriteRandomFile(const std::string& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(1805);
    std::vector<char> piece(1024 * 1024);
    for (std::size_t written = 0; written < size; written += piece.size()) {
        for (char& byte : piece) {
            byte = static_cast<char>(random() & 0xFF);
        }
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
    return static_cast<bool>(out.flush());
}

}  // namespace talvoro::bench
