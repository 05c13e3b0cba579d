#pragma once
// Names of the rich-text archives of chat views. Every piece that comes from a person (own name,
// host, topic title) is reduced to what a file name may hold and cut to a sane length, so no name
// can reach outside the archive folder. Pieces are Windows-1252; the names returned are UTF-8,
// the file names of this system.
//
// Thread: pure functions, any thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talvoro::chat {

// Longest piece of each kind in a file name, in UTF-8 bytes; with the fixed parts a name stays
// well below the 255 bytes a file name may have.
constexpr std::size_t kMaxNamePiece = 64;
constexpr std::size_t kMaxTitlePiece = 80;

// The parts of an archive name that do not depend on the tab.
struct ArchiveNameParts {
    std::string_view ownName;
    std::string_view host;
    std::int32_t dateValue = 0;  // local date and time (see app::FormatDate)
};

// "Topics/" below the data directory (which ends in "/").
std::string ArchiveFolder(std::string_view dataDir);

// A title may stand in an automatic archive name: not empty, no byte below 32 and none of
// " \ / : * ? < > |.
bool IsValidFileTitle(std::string_view title);

// `text` as a piece of a file name: control bytes, path and wildcard characters, bytes without a
// character and a leading "." become "_"; then cut to `maxBytes` on a character boundary.
std::string FileNamePiece(std::string_view text, std::size_t maxBytes);

// Automatic archive of the tab at `position`:
// folder + position + "_" + own name [+ "_" + title when valid] + "@" + host + "_" + date ".rtf".
std::string AutoArchivePath(std::string_view folder, int position, std::string_view title,
                            const ArchiveNameParts& parts);

// Name offered by "&Save Session": folder + own name + "_" + title + "@" + host + "_" + date +
// ".rtf"; the title is always there, reduced like the other pieces.
std::string SaveSessionDefaultPath(std::string_view folder, std::string_view title,
                                   const ArchiveNameParts& parts);

// A sticky topic saved for new clients: folder + view number + title + ".rtf".
std::string SavedTopicPath(std::string_view folder, int viewNumber, std::string_view title);

}  // namespace talvoro::chat
