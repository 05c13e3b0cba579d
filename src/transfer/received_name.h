#pragma once
// Names under which received files are stored. A name comes from another computer (a file header
// or a line of a topic-content pack), so it is reduced to a plain file name that can only name a
// file directly inside the transfer directory. Pure functions, any thread.

#include <cstdint>
#include <string>
#include <string_view>

namespace talvoro::transfer {

// "Unnamed" + the date value `now` as "%yyyy%mm%dd-%hh%ii%ss" + ".xxx".
std::string UnnamedFileName(std::int32_t now);

// True when `name` names a file directly inside a directory: not empty, not "." or "..", without
// "/" and without NUL.
bool IsPlainFileName(std::string_view name);

// The last component of `received` (after the last "/" or "\"), cut at a NUL byte, with control
// characters replaced by "_" and at most 255 bytes long. A result that is empty, "." or ".."
// becomes UnnamedFileName(now).
std::string PlainFileName(std::string_view received, std::int32_t now);

// The name a received file is stored under: PlainFileName, except that a file named like the
// pushed update is an update only when it came from the server this client is logged on to
// (`fromLoggedOnServer`); from anyone else it is stored as UnnamedFileName(now), so it can never
// take the update's place.
std::string ReceivedFileName(std::string_view headerName, bool fromLoggedOnServer,
                             std::int32_t now);

}  // namespace talvoro::transfer
