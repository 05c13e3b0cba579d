#pragma once
// Choosing the data directory, the folder of every file the program writes. Main thread, at
// start-up. Bad input (a missing, unreadable or non-directory argument) falls back silently.

#include <span>
#include <string>

namespace talvoro::app {

struct DataDirChoice {
    std::string DataDir;  // always ends in "/"
    bool ServiceMode = false;
};

// `args` are the command-line arguments after the program name: an optional directory, or
// "/service" (any case) followed by an optional directory. Each is trimmed of spaces and of one
// pair of enclosing double quotes. A directory that does not exist or cannot be listed gives the
// per-user default: `xdgDataHome` (when absolute) or `home` + "/.local/share", then
// "/Oskvale/Talvoro/"; with neither known, "./". The environment values are passed in so that
// callers decide where they come from. Creates the default directory when it is used and
// "Transfer" and "Topics" below the result; failures to create are ignored.
DataDirChoice ChooseDataDir(std::span<const std::string> args, const std::string& xdgDataHome,
                            const std::string& home);

}  // namespace talvoro::app
