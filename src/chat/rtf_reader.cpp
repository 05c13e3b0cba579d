#include "chat/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "chat/rtf_writer.h"
#include "net/codepage.h"

namespace talvoro::chat {

namespace {

enum class Destination { Text, Skip, FontTable, ColorTable };

// Character format and destination of one group; a group starts as a copy of its parent.
struct GroupState {
    Destination destination = Destination::Text;
    int font = -1;  // -1: the default font (\deff)
    int color = 0;
    bool bold = false;
    int halfPoints = 24;
    int fallbackLength = 1;  // \ucN
};

// Parameters saturate here, far beyond any meaningful value and far from overflow.
constexpr int kParameterLimit = 1'000'000'000;
constexpr std::size_t kMaxWordLength = 32;

// Destinations whose content is never text of the document.
constexpr auto kSkippedDestinations = std::to_array<std::string_view>({"stylesheet",
                                                                       "info",
                                                                       "pict",
                                                                       "object",
                                                                       "header",
                                                                       "headerl",
                                                                       "headerr",
                                                                       "headerf",
                                                                       "footer",
                                                                       "footerl",
                                                                       "footerr",
                                                                       "footerf",
                                                                       "footnote",
                                                                       "annotation",
                                                                       "fldinst",
                                                                       "xe",
                                                                       "tc",
                                                                       "txe",
                                                                       "rxe",
                                                                       "listtable",
                                                                       "listoverridetable",
                                                                       "revtbl",
                                                                       "rsidtbl",
                                                                       "themedata",
                                                                       "colorschememapping",
                                                                       "latentstyles",
                                                                       "datastore",
                                                                       "xmlnstbl",
                                                                       "nonshppict",
                                                                       "generator"});

// Control words that stand for one character.
struct CharacterWord {
    std::string_view word;
    char character;
};
constexpr auto kCharacterWords = std::to_array<CharacterWord>({{"par", '\n'},
                                                               {"line", '\n'},
                                                               {"sect", '\n'},
                                                               {"page", '\n'},
                                                               {"row", '\n'},
                                                               {"tab", '\t'},
                                                               {"cell", '\t'},
                                                               {"emdash", '\x97'},
                                                               {"endash", '\x96'},
                                                               {"bullet", '\x95'},
                                                               {"lquote", '\x91'},
                                                               {"rquote", '\x92'},
                                                               {"ldblquote", '\x93'},
                                                               {"rdblquote", '\x94'}});

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool SameFormat(const TextRun& a, const TextRun& b) {
    return a.face == b.face && a.color == b.color && a.bold == b.bold && a.size == b.size;
}

int Clamp(std::int64_t value, int low, int high) {
    return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

// A BMP code point as Windows-1252 text: "?" when it has no byte there.
std::string Cp1252FromCodePoint(std::uint32_t code) {
    std::string utf8;
    if (code < 0x80) {
        utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
        utf8 += static_cast<char>(0xC0 | (code >> 6));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        utf8 += static_cast<char>(0xE0 | (code >> 12));
        utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
    return net::Cp1252FromUtf8(utf8);
}

class RtfParser {
  public:
    explicit RtfParser(std::string_view input) : input_(input) {}

    RtfReadResult Run() {
        while (!stopped_ && pos_ < input_.size()) {
            Step();
        }
        if (!stack_.empty() && !stopped_) {
            partial_ = true;  // cut off before the document's last brace
        }
        return {std::move(runs_), partial_ ? RtfStatus::Partial : RtfStatus::Complete};
    }

  private:
    void Step() {
        const char c = input_[pos_++];
        if (tooDeep_ > 0) {
            SkipTooDeep(c);
            return;
        }
        switch (c) {
            case '{':
                OpenGroup();
                break;
            case '}':
                CloseGroup();
                break;
            case '\\':
                ControlSequence();
                break;
            default:
                // Raw line ends and other control bytes carry no text in RTF.
                if (static_cast<unsigned char>(c) >= 0x20) {
                    Character(c);
                }
        }
    }

    // Inside a group past the depth cap only braces count (and \bin, whose data may hold them).
    void SkipTooDeep(char c) {
        if (c == '{') {
            ++tooDeep_;
        } else if (c == '}') {
            --tooDeep_;
        } else if (c == '\\' && pos_ < input_.size()) {
            if (IsLetter(input_[pos_])) {
                ControlWord();
            } else {
                ++pos_;  // an escaped brace is no brace
            }
        }
    }

    void OpenGroup() {
        fallbackToSkip_ = 0;
        ignorable_ = false;
        if (stack_.size() >= kMaxRtfDepth) {
            tooDeep_ = 1;
            partial_ = true;
            return;
        }
        stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
        formatChanged_ = true;
    }

    void CloseGroup() {
        fallbackToSkip_ = 0;
        ignorable_ = false;
        if (stack_.empty()) {
            stopped_ = true;
            return;
        }
        const Destination closing = stack_.back().destination;
        stack_.pop_back();
        if (closing == Destination::FontTable && !fontName_.empty()) {
            CommitFont();
        }
        formatChanged_ = true;
        if (stack_.empty()) {
            stopped_ = true;  // the document's own group has ended; anything after is ignored
        }
    }

    void ControlSequence() {
        if (pos_ >= input_.size()) {
            return;
        }
        const char c = input_[pos_];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++pos_;
        if (c == '\'') {
            HexCharacter();
        } else if (c == '\\' || c == '{' || c == '}') {
            Character(c);
        } else if (c == '~') {
            Character('\xA0');
        } else if (c == '_') {
            Character('-');
        } else if (c == '\r' || c == '\n') {
            Character('\n');
        } else if (c == '*') {
            ignorable_ = true;
        } else {
            CountFallback();  // \- \| \: and unknown symbols show nothing
        }
    }

    // \'hh; half an escape is dropped.
    void HexCharacter() {
        if (pos_ >= input_.size() || HexValue(input_[pos_]) < 0) {
            return;
        }
        const int high = HexValue(input_[pos_++]);
        if (pos_ >= input_.size() || HexValue(input_[pos_]) < 0) {
            return;
        }
        const int low = HexValue(input_[pos_++]);
        Character(static_cast<char>(high * 16 + low), true);
    }

    void ControlWord() {
        const std::size_t start = pos_;
        while (pos_ < input_.size() && IsLetter(input_[pos_])) {
            ++pos_;
        }
        const std::string_view word = input_.substr(start, std::min(pos_ - start, kMaxWordLength));
        std::optional<std::int64_t> parameter;
        const bool negative =
            pos_ + 1 < input_.size() && input_[pos_] == '-' && IsDigit(input_[pos_ + 1]);
        if (negative) {
            ++pos_;
        }
        while (pos_ < input_.size() && IsDigit(input_[pos_])) {
            const std::int64_t value = parameter.value_or(0) * 10 + (input_[pos_++] - '0');
            parameter = std::min<std::int64_t>(value, kParameterLimit);
        }
        if (negative) {
            parameter = -*parameter;
        }
        if (pos_ < input_.size() && input_[pos_] == ' ') {
            ++pos_;
        }
        if (word == "bin") {
            SkipBinary(parameter.value_or(0));
        } else if (tooDeep_ == 0) {
            Apply(word, parameter);
        }
    }

    void SkipBinary(std::int64_t length) {
        if (length < 0 || static_cast<std::uint64_t>(length) > input_.size() - pos_) {
            partial_ = true;
            stopped_ = true;
            return;
        }
        pos_ += static_cast<std::size_t>(length);
    }

    void Apply(std::string_view word, std::optional<std::int64_t> parameter) {
        if (stack_.empty()) {
            return;
        }
        GroupState& state = stack_.back();
        if (ignorable_ || std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(),
                                    word) != kSkippedDestinations.end()) {
            ignorable_ = false;
            state.destination = Destination::Skip;
            return;
        }
        if (state.destination == Destination::Skip) {
            return;
        }
        if (word == "fonttbl") {
            state.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            state.destination = Destination::ColorTable;
        } else if (state.destination == Destination::FontTable) {
            if (word == "f") {
                fontIndex_ = Clamp(parameter.value_or(0), 0, kParameterLimit);
            }
        } else if (state.destination == Destination::ColorTable) {
            ColorComponent(word, Clamp(parameter.value_or(0), 0, 255));
        } else if (fallbackToSkip_ > 0) {
            --fallbackToSkip_;
        } else {
            TextWord(state, word, parameter);
        }
    }

    void TextWord(GroupState& state, std::string_view word, std::optional<std::int64_t> param) {
        const auto character = std::find_if(kCharacterWords.begin(), kCharacterWords.end(),
                                            [&](const CharacterWord& w) { return w.word == word; });
        if (character != kCharacterWords.end()) {
            Character(character->character);
            return;
        }
        const int value = Clamp(param.value_or(0), -kParameterLimit, kParameterLimit);
        if (word == "u" && param) {
            Unicode(value < 0 ? value + 65536 : value);
            fallbackToSkip_ = state.fallbackLength;
            return;
        }
        formatChanged_ = true;
        if (word == "b") {
            state.bold = !param || value != 0;
        } else if (word == "fs" && value > 0) {
            state.halfPoints = value;
        } else if (word == "f") {
            state.font = std::max(value, 0);
        } else if (word == "cf") {
            state.color = std::max(value, 0);
        } else if (word == "plain") {
            state.bold = false;
            state.halfPoints = 24;
            state.font = -1;
            state.color = 0;
        } else if (word == "uc") {
            state.fallbackLength = std::clamp(value, 0, 16);
        } else if (word == "deff") {
            defaultFont_ = std::max(value, 0);
        }
    }

    void Unicode(int code) {
        if (code >= 0xDC00 && code <= 0xDFFF) {
            return;  // second half of a pair: the first half already gave its "?"
        }
        if ((code >= 0xD800 && code <= 0xDBFF) || (code > 0xFFFF && code <= 0x10FFFF)) {
            Emit('?');
        } else if (code == '\t' || (code >= 0x20 && code <= 0xFFFF)) {
            for (const char c : Cp1252FromCodePoint(static_cast<std::uint32_t>(code))) {
                Emit(c);
            }
        }
    }

    void ColorComponent(std::string_view word, int value) {
        const int shift = word == "red" ? 0 : word == "green" ? 8 : word == "blue" ? 16 : -1;
        if (shift >= 0) {
            colorEntry_ = (colorEntry_.value_or(0) & ~(0xFF << shift)) | (value << shift);
        }
    }

    void CountFallback() {
        if (fallbackToSkip_ > 0) {
            --fallbackToSkip_;
        }
    }

    // One character of text (from the input, an escape or a character word). An escaped ";" is
    // part of a font name, not its end.
    void Character(char c, bool escaped = false) {
        if (stack_.empty()) {
            return;
        }
        switch (stack_.back().destination) {
            case Destination::Skip:
                return;
            case Destination::FontTable:
                if (c == ';' && !escaped) {
                    CommitFont();
                } else if (fontName_.size() < kMaxRtfFaceLength) {
                    fontName_ += c;
                }
                return;
            case Destination::ColorTable:
                if (c == ';') {
                    if (colors_.size() < kMaxRtfTableEntries) {
                        colors_.push_back(colorEntry_);
                    }
                    colorEntry_.reset();
                }
                return;
            case Destination::Text:
                break;
        }
        if (fallbackToSkip_ > 0) {
            --fallbackToSkip_;
            return;
        }
        Emit(c);
    }

    void CommitFont() {
        if (fonts_.size() < kMaxRtfTableEntries || fonts_.count(fontIndex_) != 0) {
            fonts_[fontIndex_] = fontName_;
        }
        fontName_.clear();
    }

    void Emit(char c) {
        if (formatChanged_ || runs_.empty()) {
            TextRun format = CurrentFormat();
            formatChanged_ = false;
            if (runs_.empty() || !SameFormat(format, runs_.back())) {
                if (runs_.size() >= kMaxRtfRuns) {
                    partial_ = true;
                    stopped_ = true;
                    return;
                }
                runs_.push_back(std::move(format));
            }
        }
        runs_.back().text += c;
    }

    TextRun CurrentFormat() const {
        const GroupState& state = stack_.back();
        TextRun run;
        const auto font = fonts_.find(state.font >= 0 ? state.font : defaultFont_);
        const auto fallback = fonts_.find(defaultFont_);
        if (font != fonts_.end()) {
            run.face = font->second;
        } else if (fallback != fonts_.end()) {
            run.face = fallback->second;
        }
        const auto index = static_cast<std::size_t>(state.color);
        run.color = index < colors_.size() ? colors_[index].value_or(0) : 0;
        run.bold = state.bold;
        run.size = static_cast<std::int16_t>(
            std::clamp((state.halfPoints + 1) / 2, kMinRtfPointSize, kMaxRtfPointSize));
        return run;
    }

    std::string_view input_;
    std::size_t pos_ = 0;
    std::vector<GroupState> stack_;
    std::size_t tooDeep_ = 0;  // groups open past the depth cap
    bool stopped_ = false;
    bool partial_ = false;
    bool ignorable_ = false;  // a \* waits for its destination word
    int fallbackToSkip_ = 0;  // characters of a \u fallback still to drop
    bool formatChanged_ = true;
    std::map<int, std::string> fonts_;
    int fontIndex_ = 0;
    std::string fontName_;
    int defaultFont_ = 0;
    std::vector<std::optional<std::int32_t>> colors_;  // empty: the automatic colour
    std::optional<std::int32_t> colorEntry_;
    std::vector<TextRun> runs_;
};

}  // namespace

RtfReadResult ReadRtf(std::string_view rtf) {
    const std::size_t start = rtf.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || rtf.substr(start, 5) != "{\\rtf") {
        return {};
    }
    return RtfParser(rtf.substr(start)).Run();
}

}  // namespace talvoro::chat
