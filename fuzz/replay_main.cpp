// Runs a fuzz target over stored inputs without the fuzzer: every file named, or every file in a
// folder named, goes through LLVMFuzzerTestOneInput once. The seed corpora and the inputs that
// once broke a target are replayed this way by the tests of an ordinary build.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> Inputs(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int n = 1; n < argc; ++n) {
        const std::filesystem::path path(argv[n]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                inputs.push_back(entry.path());
            }
        } else {
            inputs.push_back(path);
        }
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    const auto inputs = Inputs(argc, argv);
    for (const auto& path : inputs) {
        if (!std::filesystem::is_regular_file(path)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        const std::string bytes = talvoro::fuzz::ReadFile(path);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
