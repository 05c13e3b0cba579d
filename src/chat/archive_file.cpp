#include "chat/archive_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "app/atomic_file.h"
#include "chat/rtf_writer.h"

namespace talvoro::chat {

namespace {

// Reads the whole file into `content`; false when it cannot be read or is longer than `limit`.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& content) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (content.size() + static_cast<std::size_t>(got) > limit) {
            ok = false;
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ok;
}

}  // namespace

bool WriteArchive(const std::string& path, const ChatDocument& document) {
    return app::WriteFileAtomically(path, WriteRtf(document));
}

std::string ArchiveTab(std::string_view folder, int position, std::string_view title,
                       const ArchiveNameParts& parts, const ChatDocument& document) {
    if (document.Empty()) {
        return {};
    }
    std::string path = AutoArchivePath(folder, position, title, parts);
    return WriteArchive(path, document) ? path : std::string();
}

RtfReadResult ReadArchive(const std::string& path) {
    std::string content;
    if (!ReadWholeFile(path, kMaxArchiveBytes, content)) {
        return {};
    }
    return ReadRtf(content);
}

}  // namespace talvoro::chat
