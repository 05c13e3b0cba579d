#include "server/bootstrap_sticky_topics.h"

#include <filesystem>
#include <system_error>

#include "app/date_time.h"
#include "net/connection.h"
#include "net/file_block.h"
#include "net/frame.h"
#include "net/messages.h"

namespace talvoro::server {

namespace {

// Removes the newcomer's folder with whatever is left in it when the task ends.
class WorkFolder {
  public:
    explicit WorkFolder(std::string path) : path_(std::move(path)) {
        std::error_code error;
        std::filesystem::remove_all(path_, error);  // a leftover of an earlier run
        ready_ = std::filesystem::create_directories(path_, error);
    }
    ~WorkFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::string& path() const { return path_; }
    bool ready() const { return ready_; }

  private:
    std::string path_;
    bool ready_ = false;
};

bool SendPack(const net::Socket& socket, const TopicPack& pack, const BootstrapConfig& config,
              const std::stop_token& stop) {
    const std::optional<std::string> header =
        net::EncodeFrame(0, net::FileHeader{std::string(kTopicPackSender), pack.names}.Encode());
    return header && net::NetSend(socket.fd(), *header) && PauseFor(config.settlePause, stop) &&
           net::NetSendFile(socket.fd(), pack.path) && PauseFor(config.settlePause, stop);
}

}  // namespace

void RunStickyTopics(const StickyTopicsRequest& request, const BootstrapConfig& config,
                     BootstrapPort& port, const std::stop_token& stop) {
    const WorkFolder folder(config.topicsDir + std::to_string(request.id) + "/");
    if (!folder.ready()) {
        return;
    }
    const TopicPack pack = port.PackStickyTopics(request, folder.path());
    if (!pack.fault.empty()) {
        port.Report(action::Log{true, "Sticky topics not sent to new client: " + pack.fault});
    }
    if (pack.path.empty() || stop.stop_requested()) {
        return;
    }
    const net::Socket socket =
        ConnectToFileServer(request.address, config, port.FileServerPort(), stop);
    if (!socket.valid() || !PauseFor(config.retryPause, stop)) {
        return;
    }
    if (SendPack(socket, pack, config, stop)) {
        port.Report(action::ServerLine{
            LineTarget::MainView, "** Finished sending sticky topics to new client (" +
                                      app::FormatDate(app::NowDateValue(), "%hh:%ii:%ss") + ")"});
    }
}

}  // namespace talvoro::server
