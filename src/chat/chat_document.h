#pragma once
// The text of one chat view as plain values: a sequence of runs, each with its own character
// format. The core appends to it; the screen only renders it. Text is Windows-1252 bytes; a line
// ends with "\n" inside a run's text.
//
// Thread: a document belongs to the GUI thread, like the view it feeds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace talvoro::chat {

struct TextRun {
    std::string text;
    std::int32_t color = 0;  // 0x00BBGGRR
    bool bold = false;
    std::string face = "Verdana";
    std::int16_t size = 9;  // points

    bool operator==(const TextRun&) const = default;
};

class ChatDocument {
  public:
    // Appends one run; an empty text adds nothing.
    void Append(TextRun run);
    void Clear() { runs_.clear(); }
    // Replaces the whole content (an archive loaded into a view).
    void Replace(std::vector<TextRun> runs) { runs_ = std::move(runs); }

    const std::vector<TextRun>& Runs() const { return runs_; }
    std::size_t RunCount() const { return runs_.size(); }
    bool Empty() const { return runs_.empty(); }
    // All text of the document, formats dropped (search, clipboard, tests).
    std::string PlainText() const;

    bool operator==(const ChatDocument&) const = default;

  private:
    std::vector<TextRun> runs_;
};

}  // namespace talvoro::chat
