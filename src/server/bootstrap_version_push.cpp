#include "server/bootstrap_version_push.h"

#include <sys/stat.h>

#include "app/date_time.h"
#include "app/event_log.h"
#include "app/process_state.h"
#include "net/connection.h"
#include "net/file_block.h"
#include "net/frame.h"
#include "net/messages.h"

namespace talvoro::server {

namespace {

std::string Stamp() {
    return " (" + app::FormatDate(app::NowDateValue(), "%hh:%ii:%ss") + ")";
}

void RefuseOutdated(const VersionPushRequest& request, BootstrapPort& port) {
    port.Refuse(request.id,
                app::LogSafe(request.name) + " (" + request.address +
                    ") tried to connect with old version " + request.versionText,
                "Your client version is way too old. Upgrade to at least version " +
                    app::FormatVersion(app::kClientVersion) + " and reconnect to");
}

// The file header and the program on `socket`; the program's size, or -1 when it could not be
// sent whole.
long long SendProgram(const net::Socket& socket, const VersionPushRequest& request,
                      const BootstrapConfig& config, const std::stop_token& stop) {
    const std::optional<std::string> header = net::EncodeFrame(
        0, net::FileHeader{request.senderName, std::string(kUpdateFileName)}.Encode());
    struct stat info {};
    if (!header || ::stat(config.executablePath.c_str(), &info) != 0 ||
        !net::NetSend(socket.fd(), *header) || !PauseFor(config.settlePause, stop) ||
        !net::NetSendFile(socket.fd(), config.executablePath)) {
        return -1;
    }
    return static_cast<long long>(info.st_size);
}

}  // namespace

void RunVersionPush(const VersionPushRequest& request, const BootstrapConfig& config,
                    BootstrapPort& port, const std::stop_token& stop) {
    net::Socket socket;
    // Without the program at hand (a server installed alone) the client is refused at once.
    struct stat program {};
    const bool havePush = ::stat(config.executablePath.c_str(), &program) == 0;
    if (!request.fileServerOff && havePush) {
        socket = ConnectToFileServer(request.address, config, port.FileServerPort(), stop);
    }
    if (stop.stop_requested()) {
        return;
    }
    if (!socket.valid()) {
        RefuseOutdated(request, port);
        return;
    }
    const std::string version = app::FormatVersion(app::kClientVersion);
    port.Report(action::ServerLine{
        LineTarget::MainView, "** Sending new client version " + version + " to " + request.name +
                                  "\n** Please be patient ..." + Stamp()});
    const long long size = SendProgram(socket, request, config, stop);
    if (stop.stop_requested()) {
        return;
    }
    if (size < 0) {
        // The client cannot be updated this way: it gets the refusal that asks for a manual
        // upgrade rather than a NewVersion for a program it never received.
        RefuseOutdated(request, port);
        return;
    }
    port.Report(action::ServerLine{
        LineTarget::MainView, "** Finished sending " + std::to_string(size) + " Bytes" + Stamp()});
    port.Report(action::ServerNotice{"New client has been sent to " + request.name + Stamp()});
    if (!PauseFor(config.settlePause, stop)) {
        return;
    }
    socket.reset();
    port.SendToClient(request.id, net::NewVersion{version}.Encode());
    port.Report(action::Log{false, "New client version sent to " + app::LogSafe(request.name) +
                                       " (" + request.address + ")"});
    port.CloseConnection(request.id);
}

}  // namespace talvoro::server
