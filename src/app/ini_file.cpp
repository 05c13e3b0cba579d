#include "app/ini_file.h"

#include <fstream>

#include "app/atomic_file.h"
#include "app/number_text.h"

namespace talvoro::app {

namespace {

constexpr std::size_t kMaxFileSize = 16U * 1024U * 1024U;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Splits at every CR and every LF; a CR LF pair yields an empty line between, which is harmless.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsHeaderOf(std::string_view line, std::string_view section) {
    return line.size() >= section.size() + 2 && line[0] == '[' &&
           EqualIgnoringCase(line.substr(1, section.size()), section) &&
           line[section.size() + 1] == ']';
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string ReadFilePrefix(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    char chunk[65536];
    while (in && text.size() < kMaxFileSize) {
        in.read(chunk, static_cast<std::streamsize>(sizeof chunk));
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (text.size() > kMaxFileSize) {
        text.resize(kMaxFileSize);
    }
    return text;
}

}  // namespace

IniReader::IniReader(std::string_view fileText, std::string_view section) {
    const std::vector<std::string_view> lines = SplitLines(fileText);
    std::size_t i = 0;
    while (i < lines.size() && !IsHeaderOf(lines[i], section)) {
        ++i;
    }
    if (i == lines.size()) {
        return;
    }
    found_ = true;
    for (++i; i < lines.size() && (lines[i].empty() || lines[i][0] != '['); ++i) {
        const std::string_view line = SkipBlanks(lines[i]);
        const std::size_t equals = line.find('=');
        if (line.empty() || line[0] == ';' || equals == std::string_view::npos) {
            continue;
        }
        entries_.push_back(Entry{std::string(TrimTrailingBlanks(line.substr(0, equals))),
                                 std::string(SkipBlanks(line.substr(equals + 1)))});
    }
}

IniReader IniReader::FromFile(const std::string& path, std::string_view section) {
    return IniReader(ReadFilePrefix(path), section);
}

const IniReader::Entry* IniReader::Find(std::string_view key) const {
    for (const Entry& entry : entries_) {
        if (EqualIgnoringCase(entry.key, key)) {
            return &entry;
        }
    }
    return nullptr;
}

std::optional<std::string> IniReader::Text(std::string_view key) const {
    const Entry* entry = Find(key);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->value;
}

std::string IniReader::Text(std::string_view key, std::string_view fallback) const {
    const Entry* entry = Find(key);
    return entry == nullptr ? std::string(fallback) : entry->value;
}

std::optional<std::int32_t> IniReader::Number(std::string_view key) const {
    const Entry* entry = Find(key);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return ReadNumber(entry->value);
}

std::int32_t IniReader::Number(std::string_view key, std::int32_t fallback) const {
    return Number(key).value_or(fallback);
}

IniWriter::IniWriter(std::string_view section) {
    text_ += '[';
    text_ += section;
    text_ += "]\r\n";
}

void IniWriter::AddText(std::string_view key, std::string_view value) {
    text_ += key;
    text_ += " = ";
    text_ += value.substr(0, value.find_first_of("\r\n"));
    text_ += "\r\n";
}

void IniWriter::AddNumber(std::string_view key, std::int64_t value) {
    AddText(key, std::to_string(value));
}

bool IniWriter::WriteTo(const std::string& path) const {
    return WriteFileAtomically(path, text_);
}

}  // namespace talvoro::app
