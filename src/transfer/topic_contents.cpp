#include "transfer/topic_contents.h"

#include <unistd.h>

#include <array>
#include <optional>

#include "transfer/file_io.h"

namespace talvoro::transfer {

namespace {

std::string Describe(PackStatus status) {
    switch (status) {
        case PackStatus::Entry:
            return "more entries than names";
        case PackStatus::End:
            return "fewer entries than names";
        case PackStatus::Truncated:
            return "the pack is cut off";
        case PackStatus::SizeMismatch:
            return "an entry does not have its size";
        case PackStatus::TooLarge:
            return "an entry is too large";
        case PackStatus::Corrupt:
            return "an entry is corrupt";
        case PackStatus::CannotRead:
            return "the pack cannot be read";
        case PackStatus::CannotWrite:
            return "an entry cannot be written";
    }
    return "unknown fault";
}

// The whole file at `path` (the reader has bounded its size already).
std::optional<std::string> ReadWhole(const std::string& path) {
    const UniqueFd file = OpenForReading(path);
    if (!file.valid()) {
        return std::nullopt;
    }
    std::string text;
    std::array<std::uint8_t, 64 * 1024> buffer{};
    long n = 0;
    while ((n = ReadSome(file.get(), buffer)) > 0) {
        text.append(buffer.begin(), buffer.begin() + n);
    }
    return n == 0 ? std::optional(std::move(text)) : std::nullopt;
}

UnpackedTopics Refused(std::string fault) {
    return UnpackedTopics{{}, std::move(fault)};
}

}  // namespace

UnpackedTopics UnpackTopicContents(const std::string& packPath, std::string_view names,
                                   const std::string& scratchDir) {
    const std::string entry = scratchDir + "entry.rtf";
    PackReader reader(packPath);
    UnpackedTopics result;
    for (const PackLine& line : ParsePackNames(names, 0)) {
        const PackStatus status = reader.Next(entry);
        if (status != PackStatus::Entry) {
            return Refused(Describe(status));
        }
        std::optional<std::string> rtf = ReadWhole(entry);
        ::unlink(entry.c_str());
        if (!rtf) {
            return Refused(Describe(PackStatus::CannotRead));
        }
        result.contents.push_back(TopicContent{line.view, std::move(*rtf)});
    }
    const PackStatus last = reader.Next(entry);
    ::unlink(entry.c_str());
    return last == PackStatus::End ? result : Refused(Describe(last));
}

}  // namespace talvoro::transfer
