#pragma once
// The client's side of a self-update: writing out the restart helper that the program carries,
// the helper's command line, and the message a helper leaves when it could not replace the
// program. Any thread (the restart question runs on the GUI thread).

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talvoro::transfer {

// Writes the embedded restart helper to `path` byte for byte as an executable file (mode 0755),
// replacing any file of that name. The new file takes the old one's place whole (written aside,
// then renamed). False, with nothing changed, when the directory does not take the file.
bool WriteRestartHelper(const std::string& path);

// The helper's arguments: the running program's executable, the data directory, then the
// arguments the user started the program with, which the helper passes on to the new version.
std::vector<std::string> RestartHelperArguments(const std::string& executable,
                                                const std::string& dataDir,
                                                std::span<const std::string> programArgs);

// The data directory as an absolute path ending in "/": the restart helper runs in the data
// directory and starts the new version in the program's own folder, where a relative one would
// name another folder. `dataDir` is returned unchanged when it is absolute already.
std::string AbsoluteDataDir(const std::string& dataDir);

// The arguments that start the program again in the same profile from any working directory:
// "/service" when it runs as a service, then the (absolute) data directory.
std::vector<std::string> RestartProgramArguments(bool serviceMode, const std::string& dataDir);

// The warning a restart helper left in `dataDir` (ending in "/") after it gave up, to be shown in
// a message box titled kUpdateTroublesTitle; the file is removed so that it is shown once. Empty
// when there is none.
std::optional<std::string> TakeUpdateTroubles(const std::string& dataDir);

}  // namespace talvoro::transfer
