#pragma once
// Writing chat documents as rich-text archives and reading them back. Files are written to a
// temporary name and renamed into place, so a crash never leaves half an archive.
//
// Thread: any thread; the document passed in must not change during the call.

#include <cstddef>
#include <string>
#include <string_view>

#include "chat/archive_names.h"
#include "chat/chat_document.h"
#include "chat/rtf_reader.h"

namespace talvoro::chat {

// Larger files are not read as archives (a chat view holds far less).
constexpr std::size_t kMaxArchiveBytes = 16 * 1024 * 1024;

// Writes `document` as RTF to `path`, replacing any file there. False when it could not be
// written (missing or read-only folder, full disk); nothing is left behind then.
bool WriteArchive(const std::string& path, const ChatDocument& document);

// The automatic archive of the tab at `position`: the path written, or an empty text when the
// view is empty or the file could not be written.
std::string ArchiveTab(std::string_view folder, int position, std::string_view title,
                       const ArchiveNameParts& parts, const ChatDocument& document);

// Reads the archive at `path`. A missing, unreadable or oversized file reads as NotRtf.
RtfReadResult ReadArchive(const std::string& path);

}  // namespace talvoro::chat
