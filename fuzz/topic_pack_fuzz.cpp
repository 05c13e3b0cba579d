// Fuzzes the topic-content pack reader and the parser of a pack's names. Input: a 16-bit length,
// that many bytes of names, then the pack file. Every name must come out as a plain file name;
// the pack is unpacked entry by entry until it ends or is refused, and a refusal must leave no
// file behind, repeat on every later call, and come before the unpacked total passes its limit.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_input.h"
#include "transfer/received_name.h"
#include "transfer/topic_pack.h"

namespace {

using talvoro::fuzz::Check;
namespace transfer = talvoro::transfer;

const std::filesystem::path& Dir() {
    static const std::filesystem::path dir = [] {
        // Under /dev/shm where there is one: unpacking writes files.
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        const auto path = base / ("talvoro-fuzz-pack-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    talvoro::fuzz::FuzzInput in(data, size);
    const std::string_view names = talvoro::fuzz::Text(in.Take(in.Word()));
    for (const transfer::PackLine& line : transfer::ParsePackNames(names, 1'100'000'000)) {
        Check(transfer::IsPlainFileName(line.fileName), "pack names are plain file names");
    }

    const std::string pack = (Dir() / "pack").string();
    const auto bytes = in.Rest();
    std::ofstream(pack, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::string entry = (Dir() / "entry").string();
    transfer::PackReader reader(pack);
    std::uintmax_t total = 0;
    for (int n = 0; n < 64; ++n) {
        const transfer::PackStatus status = reader.Next(entry);
        if (status == transfer::PackStatus::Entry) {
            total += std::filesystem::file_size(entry);
            Check(total <= transfer::kMaxPackTotalSize, "unpacked total within the limit");
            std::filesystem::remove(entry);  // taken away, as the receiver moves it into place
            continue;
        }
        Check(!std::filesystem::exists(entry), "nothing is left behind by a failed entry");
        Check(reader.Next(entry) == status, "the pack stays stopped");
        break;
    }
    std::filesystem::remove(entry);
    return 0;
}
