#pragma once
// Reading Rich Text Format into chat runs: the files our writer produces, and what word
// processors write, as far as a chat view can show it (text, font face, colour, bold, size).
// Tables, style sheets, document information, pictures, objects and every group marked \* are
// skipped; unknown control words are ignored. Input is never trusted: nesting, the number of
// runs and table entries are capped, parameters saturate, and \bin never reads past the end.
//
// Thread: pure function, any thread.

#include <cstddef>
#include <string_view>
#include <vector>

#include "chat/chat_document.h"

namespace talvoro::chat {

enum class RtfStatus {
    Complete,  // the whole document was read
    Partial,  // read up to a fault (cut off, too deep, too many runs, bad \bin); runs hold the rest
    NotRtf,   // no "{\rtf" at the start: nothing read
};

struct RtfReadResult {
    std::vector<TextRun> runs;
    RtfStatus status = RtfStatus::NotRtf;
};

// Groups nested deeper than this are skipped whole.
constexpr std::size_t kMaxRtfDepth = 64;
// More runs than this end the reading (a chat view never holds that many).
constexpr std::size_t kMaxRtfRuns = 1 << 18;
// Font and colour table entries beyond this count are ignored.
constexpr std::size_t kMaxRtfTableEntries = 1024;

// Adjacent text of the same format is one run. Text is Windows-1252: \uN characters outside it
// become "?", line and paragraph ends become "\n", tabs "\t".
RtfReadResult ReadRtf(std::string_view rtf);

}  // namespace talvoro::chat
