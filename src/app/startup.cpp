#include "app/startup.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/data_dir.h"
#include "app/date_time.h"
#include "app/os_name.h"
#include "app/preferences.h"

namespace talvoro::app {

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string HomeDirectory() {
    std::string home = EnvironmentValue("HOME");
    if (!home.empty()) {
        return home;
    }
    const passwd* entry = ::getpwuid(::getuid());
    return entry == nullptr || entry->pw_dir == nullptr ? std::string() : entry->pw_dir;
}

void RotateLog(const std::string& dataDir) {
    const std::string current = dataDir + "Talvoro.log";
    const std::string previous = dataDir + "Talvoro.old";
    std::remove(previous.c_str());
    std::rename(current.c_str(), previous.c_str());
}

}  // namespace

StartUpInputs InputsFromEnvironment(int argc, const char* const* argv) {
    StartUpInputs inputs;
    for (int i = 1; i < argc; ++i) {
        inputs.args.emplace_back(argv[i]);
    }
    inputs.xdgDataHome = EnvironmentValue("XDG_DATA_HOME");
    inputs.home = HomeDirectory();
    inputs.hostName = LocalHostName();
    return inputs;
}

void StartUp(ProcessState& state, const StartUpInputs& inputs) {
    state.ServerVersion = kInitialServerVersion;
    state.LastEmoticon = kFirstEmoticonButton;
    const DataDirChoice choice = ChooseDataDir(inputs.args, inputs.xdgDataHome, inputs.home);
    state.DataDir = choice.DataDir;
    state.ServiceMode = choice.ServiceMode;
    LoadSettings(state.DataDir + "Talvoro.ini", state.settings, inputs.hostName);
    ApplyLoadedSettings(state);
    RotateLog(state.DataDir);
    state.Log.emplace(state.DataDir + "Talvoro.log");
    state.Log->LogEvent(
        false, "Talvoro v" + FormatVersion(kClientVersion) + " (" + OsName() + ") started");
    state.ServerRunning = false;
    state.QuitRequested = false;
}

void FinishShutdown(ProcessState& state) {
    if (state.Log) {
        state.Log->LogEvent(false, "Terminated");
    }
}

}  // namespace talvoro::app
