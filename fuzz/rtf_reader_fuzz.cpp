// Fuzzes the RTF reader. Any input must be read without fault; the runs read, written by our RTF
// writer and read again, must read completely and write the same bytes again (what the writer
// promises for documents read back from its own output).

#include <cstdint>
#include <string>

#include "chat/rtf_reader.h"
#include "chat/rtf_writer.h"
#include "fuzz_input.h"

namespace {

using talvoro::fuzz::Check;
namespace chat = talvoro::chat;

std::string Write(std::vector<chat::TextRun> runs) {
    chat::ChatDocument document;
    document.Replace(std::move(runs));
    return chat::WriteRtf(document);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    chat::RtfReadResult first = chat::ReadRtf(talvoro::fuzz::Text({data, size}));
    Check(first.runs.size() <= chat::kMaxRtfRuns, "run count capped");
    if (first.status == chat::RtfStatus::NotRtf) {
        Check(first.runs.empty(), "nothing read from what is not RTF");
        return 0;
    }
    const std::string written = Write(std::move(first.runs));
    chat::RtfReadResult second = chat::ReadRtf(written);
    Check(second.status == chat::RtfStatus::Complete, "our own output reads completely");
    Check(Write(std::move(second.runs)) == written, "our own output writes back byte for byte");
    return 0;
}
