#include "app/data_dir.h"

#include <dirent.h>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace talvoro::app {

namespace {

std::string TrimArgument(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string StripQuotes(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

bool IsServiceSwitch(std::string_view text) {
    constexpr std::string_view kSwitch = "/service";
    if (text.size() != kSwitch.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kSwitch[i]) {
            return false;
        }
    }
    return true;
}

bool IsListableDirectory(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return false;
    }
    ::closedir(dir);
    return true;
}

void CreateDirectories(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
}

std::string DefaultDataDir(const std::string& xdgDataHome, const std::string& home) {
    std::string base;
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    if (!xdgDataHome.empty() && xdgDataHome.front() == '/') {
        base = xdgDataHome;
    } else if (!home.empty()) {
        base = home + "/.local/share";
    } else {
        return ".";
    }
    std::string dir = base + "/Oskvale/Talvoro/";
    CreateDirectories(dir);
    return dir;
}

}  // namespace

DataDirChoice ChooseDataDir(std::span<const std::string> args, const std::string& xdgDataHome,
                            const std::string& home) {
    DataDirChoice choice;
    std::string candidate = args.empty() ? std::string() : TrimArgument(args[0]);
    if (IsServiceSwitch(StripQuotes(candidate))) {
        choice.ServiceMode = true;
        candidate = args.size() < 2 ? std::string() : TrimArgument(args[1]);
    }
    candidate = StripQuotes(candidate);
    if (candidate.empty() || !IsListableDirectory(candidate)) {
        candidate = DefaultDataDir(xdgDataHome, home);
    }
    if (candidate.back() != '/') {
        candidate += '/';
    }
    CreateDirectories(candidate + "Transfer");
    CreateDirectories(candidate + "Topics");
    choice.DataDir = candidate;
    return choice;
}

}  // namespace talvoro::app
