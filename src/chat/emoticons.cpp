#include "chat/emoticons.h"

#include <algorithm>

namespace talvoro::chat {

const std::array<Emoticon, kEmoticonCount>& EmoticonTable() {
    static constexpr std::array<Emoticon, kEmoticonCount> kTable = {{
        {171, "Happy", ":-)"},    {172, "Laughing", ":-D"},  {173, "Funny", ";-P"},
        {174, "Ironic", ";-)"},   {175, "Excited", ":->"},   {176, "Yummy", ":-q"},
        {177, "LOL", ":-))"},     {178, "ROFL", "X'-D"},     {179, "Cool", "B-)"},
        {180, "Crazy", "X-)"},    {181, "Curious", ":-j"},   {182, "Thoughtful", ":-,"},
        {183, "Oops", ":-."},     {184, "Bored", ":-/"},     {185, "Spooked", ":-s"},
        {186, "Confused", ":-?"}, {187, "Surprised", ":-o"}, {188, "Sorry", ":-|"},
        {189, "In Love", ":-L"},  {190, "Devil", ">:)"},     {191, "Sad", ":-("},
        {192, "Mad", "X-("},      {193, "Yelling", ":-@"},   {194, "Blush", ":\")"},
    }};
    return kTable;
}

const Emoticon* EmoticonOfButton(int button) {
    const auto& table = EmoticonTable();
    const int index = button - table.front().button;
    if (index < 0 || index >= static_cast<int>(table.size())) {
        return nullptr;
    }
    return &table[static_cast<std::size_t>(index)];
}

EmoticonInsertion InsertEmoticonCode(std::u16string_view text, std::size_t caret,
                                     std::string_view code) {
    caret = std::min(caret, text.size());
    std::u16string inserted(code.begin(), code.end());
    if (caret >= 1 && text[caret - 1] != u' ') {
        inserted.insert(inserted.begin(), u' ');
    }
    if (caret < text.size() && text[caret] != u' ') {
        inserted.push_back(u' ');
    }
    EmoticonInsertion result;
    result.text.reserve(text.size() + inserted.size());
    result.text.append(text.substr(0, caret));
    result.text.append(inserted);
    result.text.append(text.substr(caret));
    result.caret = caret + inserted.size();
    return result;
}

}  // namespace talvoro::chat
