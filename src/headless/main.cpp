// The headless server: the chat server and its operator on a console, without a display.
// talvoro-server [DATADIR]: the data directory is chosen as the desktop program chooses it.

#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "app/date_time.h"
#include "app/exit_codes.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "app/termination_signals.h"
#include "headless/console_operator.h"
#include "net/transport.h"

namespace {

using namespace talvoro;

constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "Usage: talvoro-server [DATADIR]\n"
    "Runs the Talvoro chat server without a display. Its operator is this console: server lines\n"
    "and chat appear here; type a line to send it to everybody, \"**kick NAME\" or \"**ban NAME\"\n"
    "to remove a user, \"@@NAME: text\" to whisper. SIGINT or SIGTERM end the server.\n"
    "\n"
    "DATADIR holds Talvoro.ini (settings; \"Port\" is the chat port, default 1805) and\n"
    "Talvoro.log. Without it (or when it is not a directory) the per-user data directory\n"
    "$XDG_DATA_HOME/Oskvale/Talvoro/ or ~/.local/share/Oskvale/Talvoro/ is used.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return app::kExitNormal;
        }
        if (arg == "--version") {
            std::printf("talvoro-server %s\n", app::FormatVersion(app::kClientVersion).c_str());
            return app::kExitNormal;
        }
        if (arg.starts_with("--")) {
            std::fprintf(stderr, "talvoro-server: unknown option %s\n\n%s", argv[i], kUsage);
            return kExitUsage;
        }
    }
    if (!net::NetInit()) {
        std::fputs("Talvoro: Startup Error: Could not initialize network/program\n", stderr);
        return app::kExitNetworkInitFailed;
    }
    app::TerminationSignals termination;
    app::ProcessState state;
    app::StartUp(state, app::InputsFromEnvironment(argc, argv));
    headless::ConsoleOperator console(state, &termination, STDIN_FILENO, stdout);
    return console.Run();
}
