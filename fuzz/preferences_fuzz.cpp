// Fuzzes the preferences reader (and the INI reader under it). The input is the text of
// "Talvoro.ini". Loading it must not fault; saving what was loaded and loading that again must
// give the same file: what the program writes, it reads back unchanged.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ini_file.h"
#include "app/preferences.h"
#include "fuzz_input.h"

namespace {

using talvoro::fuzz::Check;
namespace app = talvoro::app;

const std::string& Dir() {
    static const std::string dir = [] {
        // Under /dev/shm where there is one: the preferences are written with fsync.
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        const auto path = base / ("talvoro-fuzz-prefs-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path.string() + "/";
    }();
    return dir;
}

// Loads `path` and saves it to `out`, the window geometry taken from the loaded values.
void LoadAndSave(const std::string& path, const std::string& out) {
    app::Settings settings;
    app::LoadSettings(path, settings, "host");
    const app::WindowGeometry geometry{settings.WinPosX, settings.WinPosY, settings.WinWidth,
                                       settings.WinHeight};
    Check(app::SaveSettings(out, settings, geometry, (settings.ScrollLockStatus & 2U) != 0),
          "preferences saved");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = Dir() + "input.ini";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The reader on the text alone must agree with the reader on the file.
    const std::string_view text = talvoro::fuzz::Text({data, size});
    const app::IniReader direct(text, "Prefs");
    const app::IniReader fromFile = app::IniReader::FromFile(input, "Prefs");
    Check(direct.found() == fromFile.found() &&
              direct.Text("UserName") == fromFile.Text("UserName") &&
              direct.Number("Port") == fromFile.Number("Port"),
          "file and text read alike");

    LoadAndSave(input, Dir() + "once.ini");
    LoadAndSave(Dir() + "once.ini", Dir() + "twice.ini");
    Check(
        talvoro::fuzz::ReadFile(Dir() + "once.ini") == talvoro::fuzz::ReadFile(Dir() + "twice.ini"),
        "saved preferences load and save unchanged");
    return 0;
}
