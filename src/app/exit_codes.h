#pragma once
// The process's exit codes.

namespace talvoro::app {

constexpr int kExitNormal = 0;
constexpr int kExitLogonCancelled = 1;       // the user cancelled the logon dialog
constexpr int kExitListenFailed = 13;        // the server's listening socket could not be created
constexpr int kExitNetworkInitFailed = 100;  // the socket layer could not be started

}  // namespace talvoro::app
