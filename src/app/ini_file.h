#pragma once
// The program's one INI format, used by "Talvoro.ini" and "Topics.ini".
//
// As written: a section header line "[Name]", then one "Key = value" line per key, every line
// ended by CR LF; numbers in signed decimal, text as it is (no quotes, no escapes).
//
// As read (a wider grammar): lines end at CR or LF. The section is the first line whose first
// character is "[" followed by the name (any case, exact length) and "]"; it runs until the next
// line whose first character is "[". In it, leading blanks are skipped, lines starting with ";"
// are comments, the key is the text before the first "=" less trailing blanks and matches without
// regard to case; the first matching line wins. A value starts after "=" and any blanks and runs
// to the end of the line, trailing blanks kept; an empty value is a present value.
//
// Plain values; no thread affinity. Any input, binary junk included, is read without failing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvoro::app {

class IniReader {
  public:
    // Reads the section `section` out of a whole file's text.
    IniReader(std::string_view fileText, std::string_view section);

    // Reads the section out of the file at `path`. A file that cannot be read reads as a file
    // without the section: every lookup misses. Only the first 16 MiB of a file are read.
    static IniReader FromFile(const std::string& path, std::string_view section);

    // True when the section header was found.
    bool found() const { return found_; }

    // The text value of `key`, or nullopt when the key is missing.
    std::optional<std::string> Text(std::string_view key) const;
    std::string Text(std::string_view key, std::string_view fallback) const;

    // The number at the start of the value of `key`: optional sign, then decimal digits; a value
    // without digits reads as 0, overlong digit runs wrap like a 32-bit counter. Narrowing to the
    // field's width is the caller's. nullopt (or `fallback`) when the key is missing.
    std::optional<std::int32_t> Number(std::string_view key) const;
    std::int32_t Number(std::string_view key, std::int32_t fallback) const;

  private:
    struct Entry {
        std::string key;
        std::string value;
    };

    const Entry* Find(std::string_view key) const;

    std::vector<Entry> entries_;
    bool found_ = false;
};

// Builds a file of one section in the written form, keys in the order they are added.
class IniWriter {
  public:
    explicit IniWriter(std::string_view section);

    // A value is written up to its first CR or LF: a line break cannot be represented in the
    // file, and cutting there writes exactly what the reader reads back.
    void AddText(std::string_view key, std::string_view value);
    void AddNumber(std::string_view key, std::int64_t value);

    const std::string& text() const { return text_; }

    // Replaces the file at `path` with the text (temporary file renamed into place). False when
    // the file cannot be written; an old file then stays as it was.
    bool WriteTo(const std::string& path) const;

  private:
    std::string text_;
};

}  // namespace talvoro::app
