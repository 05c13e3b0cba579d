#pragma once
// The emoticon table of the emoticon bar and the rule that inserts a code into the message field.
// Emoticons are plain text: the codes are sent as typed and received text is shown as it is.
//
// Thread: pure functions and constant data, any thread.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace talvoro::chat {

struct Emoticon {
    int button = 0;         // event number 171..194
    std::string_view name;  // first tooltip line
    std::string_view code;  // inserted text, second tooltip line (ASCII)
};

inline constexpr std::size_t kEmoticonCount = 24;

// The 24 entries in bar order (button 171 first).
const std::array<Emoticon, kEmoticonCount>& EmoticonTable();

// The entry of `button`; null for a number outside 171..194.
const Emoticon* EmoticonOfButton(int button);

// The message field after an insertion and the caret behind the inserted code.
struct EmoticonInsertion {
    std::u16string text;
    std::size_t caret = 0;
};

// Inserts `code` into `text` at `caret` (a caret beyond the text counts as its end). A blank goes
// in front of the code when the character before the caret is not a blank, and one behind it
// when the character after the caret is not a blank.
EmoticonInsertion InsertEmoticonCode(std::u16string_view text, std::size_t caret,
                                     std::string_view code);

}  // namespace talvoro::chat
