#include "chat/archive_names.h"

#include "app/date_time.h"
#include "net/codepage.h"

namespace talvoro::chat {

namespace {

constexpr std::string_view kForbidden = "\"\\/:*?<>|";
constexpr std::string_view kDateMask = "%yyyy%mm%dd-%hh%ii%ss";

// Bytes that no file name should hold: control bytes, DEL, path and wildcard characters, and
// the five bytes Windows-1252 leaves without a character.
bool Unfit(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F ||
           kForbidden.find(static_cast<char>(byte)) != kForbidden.npos || byte == 0x81 ||
           byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::string Tail(const ArchiveNameParts& parts) {
    return "@" + FileNamePiece(parts.host, kMaxNamePiece) + "_" +
           app::FormatDate(parts.dateValue, kDateMask) + ".rtf";
}

}  // namespace

std::string ArchiveFolder(std::string_view dataDir) {
    return std::string(dataDir) + "Topics/";
}

bool IsValidFileTitle(std::string_view title) {
    if (title.empty()) {
        return false;
    }
    for (const char c : title) {
        if (static_cast<unsigned char>(c) < 0x20 || kForbidden.find(c) != kForbidden.npos) {
            return false;
        }
    }
    return true;
}

std::string FileNamePiece(std::string_view text, std::size_t maxBytes) {
    std::string reduced(text);
    for (char& c : reduced) {
        if (Unfit(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    if (!reduced.empty() && reduced.front() == '.') {
        reduced.front() = '_';  // no hidden file, never "." or ".."
    }
    std::string utf8 = net::Utf8FromCp1252(reduced);
    if (utf8.size() > maxBytes) {
        std::size_t cut = maxBytes;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) {
            --cut;  // never split a character
        }
        utf8.resize(cut);
    }
    return utf8;
}

std::string AutoArchivePath(std::string_view folder, int position, std::string_view title,
                            const ArchiveNameParts& parts) {
    std::string path = std::string(folder) + std::to_string(position) + "_" +
                       FileNamePiece(parts.ownName, kMaxNamePiece);
    if (IsValidFileTitle(title)) {
        path += "_" + FileNamePiece(title, kMaxTitlePiece);
    }
    return path + Tail(parts);
}

std::string SaveSessionDefaultPath(std::string_view folder, std::string_view title,
                                   const ArchiveNameParts& parts) {
    return std::string(folder) + FileNamePiece(parts.ownName, kMaxNamePiece) + "_" +
           FileNamePiece(title, kMaxTitlePiece) + Tail(parts);
}

std::string SavedTopicPath(std::string_view folder, int viewNumber, std::string_view title) {
    return std::string(folder) + std::to_string(viewNumber) + FileNamePiece(title, kMaxTitlePiece) +
           ".rtf";
}

}  // namespace talvoro::chat
