// Fuzzes the user roster decoder. The input is a roster payload after its kind byte. Decoding
// must hold the record count the length gives and fields within their widths; encoding what was
// decoded and decoding again must give the same roster; and the payload read through a frame
// must decode the same as read directly.

#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/user_roster.h"

namespace {

using talvoro::fuzz::Check;
namespace net = talvoro::net;

void CheckThroughFrame(std::string_view raw, const std::optional<net::UserRoster>& direct) {
    const auto wire = net::EncodeFrame(0, std::string(1, '\x96') + std::string(raw));
    if (!wire) {
        return;  // too long for one frame
    }
    const auto frames =
        net::FrameReader(net::FrameRole::Client, nullptr)
            .Feed({reinterpret_cast<const std::uint8_t*>(wire->data()), wire->size()});
    Check(frames.size() == 1 && frames[0].raw == raw, "a roster frame reads back whole");
    Check(net::UserRoster::Decode(frames[0].raw) == direct, "a framed roster decodes the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw = talvoro::fuzz::Text({data, size});
    const auto roster = net::UserRoster::Decode(raw);
    Check(roster.has_value() == (raw.size() >= 2), "only a payload under 2 bytes is refused");
    if (!roster) {
        return 0;
    }
    Check(roster->users.size() == (raw.size() - 2) / net::kUserRecordSize, "record count");
    for (const net::UserRecord& user : roster->users) {
        Check(user.name.size() <= net::kRosterNameMax + 1 &&
                  user.address.size() <= net::kRosterAddressMax + 1,
              "text fields within their widths");
        Check(user.name.find('\0') == std::string::npos &&
                  (user.name.empty() || (user.name.front() != ' ' && user.name.back() != ' ')),
              "names end at 0 and are trimmed");
    }
    // Encoding cuts overlong fields; what then decodes must decode again unchanged.
    const std::string once = roster->Encode();
    const auto again = net::UserRoster::Decode(std::string_view(once).substr(1));
    Check(again.has_value() && again->users.size() == roster->users.size() &&
              again->serverVersion == roster->serverVersion,
          "re-encoded roster keeps count and version");
    const std::string twice = again->Encode();
    Check(net::UserRoster::Decode(std::string_view(twice).substr(1)) == again,
          "decode and encode are stable");
    CheckThroughFrame(raw, roster);
    return 0;
}
