// Tool for scripts/check-archive-libreoffice.sh (not a test):
//   chat_sample_archive FILE.rtf          writes a sample chat archive to FILE.rtf and prints its
//                                         text as UTF-8;
//   chat_sample_archive --read FILE.rtf   prints the text our reader takes from FILE.rtf.

#include <iostream>
#include <string_view>

#include "chat/archive_file.h"
#include "net/codepage.h"

namespace {

using talvoro::chat::ChatDocument;

ChatDocument Sample() {
    ChatDocument document;
    document.Append({"[09:30:05] anna: ", 0x0000FF, true, "Verdana", 9});
    document.Append(
        {"Gr\xFC\xDF"
         "e \x96 \x84quoted\x93, 5 \x80, {braces} and back\\slash\n",
         0x0000FF, false, "Verdana", 9});
    document.Append({"bob (private): ", 0x008000, true, "Arial", 12});
    document.Append({"caf\xE9\tna\xEFve \xA9 \xBD \xFF\n", 0x008000, false, "Arial", 12});
    document.Append({"Server: anna has left (09:31:00)\n", 0, false, "Verdana", 9});
    return document;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--read") {
        const talvoro::chat::RtfReadResult read = talvoro::chat::ReadArchive(argv[2]);
        ChatDocument document;
        document.Replace(read.runs);
        std::cout << talvoro::net::Utf8FromCp1252(document.PlainText());
        return read.status == talvoro::chat::RtfStatus::Complete ? 0 : 1;
    }
    if (argc != 2) {
        std::cerr << "usage: chat_sample_archive FILE.rtf | --read FILE.rtf\n";
        return 2;
    }
    const ChatDocument document = Sample();
    if (!talvoro::chat::WriteArchive(argv[1], document)) {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << talvoro::net::Utf8FromCp1252(document.PlainText());
    return 0;
}
