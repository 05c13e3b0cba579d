#pragma once
// Writing a chat document as a Rich Text Format file that word processors open: one font table
// and one colour table built in order of first use, then the runs with only the format changes
// between them. Text is Windows-1252; bytes from 0x80 and control bytes are written as \'hh, a
// line feed as \par and a tab as \tab, so the output is plain 7-bit ASCII.
//
// Thread: pure function, any thread.

#include <string>

#include "chat/chat_document.h"

namespace talvoro::chat {

// Sizes outside 1..1600 points are written clamped to that range.
constexpr int kMinRtfPointSize = 1;
constexpr int kMaxRtfPointSize = 1600;
// Face names longer than this are cut (longer names exist in no font).
constexpr std::size_t kMaxRtfFaceLength = 63;

// The whole document as RTF. The output depends only on the text and format of the runs, so a
// document read back from it is written again byte for byte.
std::string WriteRtf(const ChatDocument& document);

}  // namespace talvoro::chat
