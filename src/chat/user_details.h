#pragma once
// The text of the user-details message box for one record of the user list.
//
// Thread: pure functions, any thread (the details worker builds the text off the GUI thread).

#include <string>

#include "chat/user_model.h"

namespace talvoro::chat {

// The box title: "User Detail: " + name.
std::string UserDetailsTitle(const OnlineUser& user);

// Six lines separated by "\n": network id, IP address, logon time ("dd-mm-yy hh:ii:ss"), the
// colour as three zero-padded numbers each followed by a blank (red first), whether the user
// receives files, and the client version ("1.6.0.0").
std::string UserDetailsText(const OnlineUser& user, bool noFileReceive);

}  // namespace talvoro::chat
