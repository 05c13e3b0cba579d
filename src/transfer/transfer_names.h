#pragma once
// File names that the client, the server and the restart helper agree on. Header only, so that the
// restart helper (a program of its own without the core) shares them too.

#include <cstdint>
#include <string_view>

namespace talvoro::transfer {

// Received files land here, below the data directory.
inline constexpr std::string_view kTransferDirName = "Transfer/";
// The new executable pushed by the server, received into the transfer directory.
inline constexpr std::string_view kUpdateFileName = "_#_Talvoro_Upd.exe";
// The restart helper as written out into the data directory.
inline constexpr std::string_view kRestartHelperFileName = "RestartExe.exe";
// Left in the data directory by a restart helper that could not replace the executable; holds the
// message for the user, shown by the program at its next start.
inline constexpr std::string_view kUpdateTroublesFileName = "UpdateTroubles.txt";
inline constexpr std::string_view kUpdateTroublesTitle = "Talvoro Update Troubles";
// The sender name of a pack of sticky-topic contents.
inline constexpr std::string_view kTopicContentSender = "[TC]";

// Ordinary files: the senders' own limit, so a file of exactly this size is accepted.
inline constexpr std::uint32_t kMaxFileSize = 33'554'432;
// The pushed executable is larger than any chat file may be.
inline constexpr std::uint32_t kMaxUpdateFileSize = 256u * 1024 * 1024;

}  // namespace talvoro::transfer
