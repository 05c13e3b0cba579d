#include "chat/rtf_writer.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace talvoro::chat {

namespace {

constexpr std::int32_t kRgbMask = 0x00FFFFFF;

int ClampedSize(std::int16_t size) {
    return std::clamp<int>(size, kMinRtfPointSize, kMaxRtfPointSize);
}

std::string_view CutFace(std::string_view face) {
    return face.substr(0, kMaxRtfFaceLength);
}

void AppendHexByte(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\'";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

// Text as RTF: the three characters with a meaning are escaped, everything outside printable
// ASCII becomes \'hh. `inTable` also escapes ";" (the entry end in a font table).
void AppendEscaped(std::string& out, std::string_view text, bool inTable) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (!inTable && c == '\n') {
            out += "\\par\n";
        } else if (!inTable && c == '\t') {
            out += "\\tab ";
        } else if (byte < 0x20 || byte >= 0x7F || (inTable && c == ';')) {
            AppendHexByte(out, byte);
        } else {
            out += c;
        }
    }
}

// Index of `value` in `table` (the size of the table when absent).
template <typename T>
std::size_t IndexOf(const std::vector<T>& table, const T& value) {
    return static_cast<std::size_t>(std::find(table.begin(), table.end(), value) - table.begin());
}

template <typename T>
void AddOnce(std::vector<T>& table, const T& value) {
    if (IndexOf(table, value) == table.size()) {
        table.push_back(value);
    }
}

struct Tables {
    std::vector<std::string_view> faces;
    std::vector<std::int32_t> colors;
};

Tables BuildTables(const ChatDocument& document) {
    Tables tables;
    for (const TextRun& run : document.Runs()) {
        AddOnce(tables.faces, CutFace(run.face));
        AddOnce(tables.colors, run.color & kRgbMask);
    }
    if (tables.faces.empty()) {
        static const TextRun kDefaultRun;
        tables.faces.push_back(kDefaultRun.face);
    }
    return tables;
}

void AppendHeader(std::string& out, const Tables& tables) {
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (std::size_t i = 0; i < tables.faces.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
        AppendEscaped(out, tables.faces[i], true);
        out += ";}";
    }
    // Entry 0 stays empty: the reader's "automatic" colour.
    out += "}\n{\\colortbl ;";
    for (const std::int32_t color : tables.colors) {
        out += "\\red" + std::to_string(color & 0xFF) + "\\green" +
               std::to_string((color >> 8) & 0xFF) + "\\blue" +
               std::to_string((color >> 16) & 0xFF) + ";";
    }
    out += "}\n\\viewkind4\\uc1\\pard";
}

// The control words that change the format from `previous` to `run` (all of them for the first
// run), ended by the blank that separates them from the text.
void AppendFormat(std::string& out, const Tables& tables, const TextRun* previous,
                  const TextRun& run) {
    const std::size_t before = out.size();
    const std::size_t face = IndexOf(tables.faces, CutFace(run.face));
    if (previous == nullptr || IndexOf(tables.faces, CutFace(previous->face)) != face) {
        out += "\\f" + std::to_string(face);
    }
    const std::size_t color = IndexOf(tables.colors, run.color & kRgbMask) + 1;
    if (previous == nullptr || (previous->color & kRgbMask) != (run.color & kRgbMask)) {
        out += "\\cf" + std::to_string(color);
    }
    if (previous == nullptr || previous->bold != run.bold) {
        out += run.bold ? "\\b" : "\\b0";
    }
    if (previous == nullptr || ClampedSize(previous->size) != ClampedSize(run.size)) {
        out += "\\fs" + std::to_string(ClampedSize(run.size) * 2);
    }
    if (out.size() != before) {
        out += ' ';
    }
}

}  // namespace

std::string WriteRtf(const ChatDocument& document) {
    const Tables tables = BuildTables(document);
    std::string out;
    AppendHeader(out, tables);
    const TextRun* previous = nullptr;
    for (const TextRun& run : document.Runs()) {
        AppendFormat(out, tables, previous, run);
        AppendEscaped(out, run.text, false);
        previous = &run;
    }
    out += "}\n";
    return out;
}

}  // namespace talvoro::chat
