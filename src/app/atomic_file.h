#pragma once
// Replacing a file's contents so that a crash or a full disk never leaves a truncated file: the
// new contents go to a temporary file in the same directory, which is flushed to disk and then
// renamed over the old file. Any thread; concurrent writers of the same path each produce one
// whole version (the last rename wins).

#include <string>
#include <string_view>

namespace talvoro::app {

// Writes `content` as the file at `path`. Returns false, leaving any old file untouched and no
// temporary file behind, when the directory is missing or not writable or a write fails.
bool WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace talvoro::app
