#pragma once
// The rules of the logon step that need no window: how the typed alias, host and port become
// settings, how a chosen text colour is kept readable on the window background, which characters
// the logon fields refuse, and the MyIP button's walk through this computer's addresses.
// Everything here is plain logic called on the GUI thread; nothing touches the network itself (the
// address and host-name sources are handed in).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"

namespace talvoro::app {

constexpr int kMaxAliasLength = 24;
constexpr int kMaxHostLength = 24;
constexpr int kMaxPortDigits = 5;
constexpr std::int32_t kHighestPort = 65535;
constexpr int kHighestAnonymousNumber = 1024;

// The texts of the three logon fields as the user left them.
struct LogonFields {
    std::string userName;
    std::string host;
    std::string port;
};

// Returns a number from 0 to kHighestAnonymousNumber inclusive; tests pass a fixed one.
using AnonymousNumberSource = std::function<int()>;

// A source drawing uniformly from 0..1024 with a freshly seeded engine.
AnonymousNumberSource RandomAnonymousNumbers();

// Removes leading and trailing blanks (spaces and tabs).
std::string TrimBlanks(std::string_view text);

// The alias that goes to the server: the typed one without surrounding blanks and cut to 24
// characters (as the server admits names), or "Anonymous"
// followed by a number from the source when nothing is left. Never empty. A number outside
// 0..1024 from the source is folded into that range.
std::string AliasOrAnonymous(std::string_view typed, const AnonymousNumberSource& number);

// The port of the port field: its leading digits in decimal (no digits: 0), above 65535 cut to
// 65535. Zero stays zero: connecting to it fails and leads to the failure dialog.
std::int32_t PortFromField(std::string_view field);

// Takes the three fields into the settings "Username", "Host" and "Port" by the rules above.
void ApplyLogonFields(const LogonFields& fields, Settings& settings,
                      const AnonymousNumberSource& number);

// Colours are 0x00BBGGRR (red in the low byte) as in "Color".
// The colour that is kept after the user chose `chosen` on the background `background`: when every
// channel of the two is within about ten per cent of each other the text would not be readable and
// the complement of `chosen` is returned; otherwise `chosen` unchanged.
std::int32_t ApplyContrastRule(std::int32_t chosen, std::int32_t background);

// Characters the alias and host fields refuse: ":" "[" "]" would break the whisper and address
// syntax of the chat.
bool IsRefusedLogonCharacter(char c);

// The MyIP button: each Next() gives the next of this computer's IPv4 addresses in dotted form;
// after the last one it gives the host name and starts over with a freshly read address list, so
// repeated clicks cycle through all own addresses and then the host name. With no addresses every
// click gives the host name.
class OwnAddressCycle {
  public:
    using AddressSource = std::function<std::vector<std::string>()>;
    using HostNameSource = std::function<std::string()>;

    OwnAddressCycle(AddressSource addresses, HostNameSource hostName);

    // Starts the walk again at the first address (done whenever the logon dialog is shown).
    void Reset();
    std::string Next();

  private:
    AddressSource addressSource_;
    HostNameSource hostNameSource_;
    std::vector<std::string> addresses_;
    std::size_t position_ = 0;
};

}  // namespace talvoro::app
