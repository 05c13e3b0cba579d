#pragma once
// The windowless steps of the program's start and end. Main thread; start-up runs before any
// other thread exists.

#include <string>
#include <vector>

#include "app/process_state.h"

namespace talvoro::app {

// What start-up takes from the outside world, gathered once so that tests can supply their own.
struct StartUpInputs {
    std::vector<std::string> args;  // command-line arguments after the program name
    std::string xdgDataHome;        // $XDG_DATA_HOME, or ""
    std::string home;               // $HOME (or the password database's home), or ""
    std::string hostName;           // this computer's host name: the default "Host" setting
};

// Reads the arguments, the environment and the host name of this process.
StartUpInputs InputsFromEnvironment(int argc, const char* const* argv);

// Start-up: ServerVersion 1000, LastEmoticon 171, chooses DataDir and ServiceMode, loads
// "Talvoro.ini" from DataDir and seeds WindowShown and ChatMessageSound, rotates "Talvoro.log" to
// "Talvoro.old" (the older one is deleted; failures are ignored), opens the event log as
// `state.Log` and writes the start line "Talvoro v1.6.0.0 (<system>) started", clears
// ServerRunning and QuitRequested. Never fails.
void StartUp(ProcessState& state, const StartUpInputs& inputs);

// The last, windowless step of the orderly end: writes "Terminated" to the log.
void FinishShutdown(ProcessState& state);

}  // namespace talvoro::app
