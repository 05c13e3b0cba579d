#pragma once
// Facts about the running system. Any thread.

#include <string>

namespace talvoro::app {

// The system's name and release for the start line, e.g. "Linux 6.1.0"; "Unknown" when the
// system cannot be queried.
std::string OsName();

// This computer's host name, or "" when it cannot be determined.
std::string LocalHostName();

}  // namespace talvoro::app
