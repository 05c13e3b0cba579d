// Writes a sample chat archive to the path given as the first argument and its text, as UTF-8,
// to standard output. Used by scripts/check-archive-libreoffice.sh to compare our RTF with what
// a word processor reads from it.

#include <cstdio>
#include <iostream>

#include "chat/archive_file.h"
#include "net/codepage.h"

int main(int argc, char** argv) {
    using talvoro::chat::TextRun;
    if (argc != 2) {
        std::cerr << "usage: chat_sample_archive FILE.rtf\n";
        return 2;
    }
    talvoro::chat::ChatDocument document;
    document.Append({"[09:30:05] anna: ", 0x0000FF, true, "Verdana", 9});
    document.Append(
        {"Gr\xFC\xDF"
         "e \x96 \x84quoted\x93, 5 \x80, {braces} and back\\slash\n",
         0x0000FF, false, "Verdana", 9});
    document.Append({"bob (private): ", 0x008000, true, "Arial", 12});
    document.Append({"caf\xE9\tna\xEFve \xA9 \xBD \xFF\n", 0x008000, false, "Arial", 12});
    document.Append({"Server: anna has left (09:31:00)\n", 0, false, "Verdana", 9});
    if (!talvoro::chat::WriteArchive(argv[1], document)) {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << talvoro::net::Utf8FromCp1252(document.PlainText());
    return 0;
}
