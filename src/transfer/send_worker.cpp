#include "transfer/send_worker.h"

#include <sys/stat.h>

#include <chrono>

#include "app/date_time.h"
#include "net/frame.h"
#include "net/messages.h"
#include "net/transport.h"

namespace talvoro::transfer {

namespace {

std::string TimeText(const SendJob& job) {
    return app::FormatDate(job.clock ? job.clock() : app::NowDateValue(), "%hh:%ii:%ss");
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The way to one recipient: the chat connection, or a direct connection of its own.
struct Route {
    net::Socket direct;
    bool overChat = false;
    bool Usable() const { return overChat || direct.valid(); }
};

Route Connect(const SendJob& job, const Recipient& recipient) {
    Route route;
    if (recipient.name == job.serverName) {
        route.overChat = true;
        return route;
    }
    route.direct =
        net::NetOpenConnection(recipient.address, job.port, job.connectTimeoutMs,
                               job.localAddress.empty() ? nullptr : job.localAddress.c_str());
    return route;
}

const std::string& Shown(const SendJob& job) {
    return job.shownPath.empty() ? job.path : job.shownPath;
}

bool SendOver(const SendJob& job, Route& route, net::ServerLink& link) {
    const std::string header = net::FileHeader{job.ownName, BaseName(Shown(job))}.Encode();
    const auto pause = [&job] {
        std::this_thread::sleep_for(std::chrono::milliseconds(job.headerPauseMs));
    };
    if (route.overChat) {
        if (!link.SendToServer(header)) {
            return false;
        }
        pause();
        return link.SendFileBlock(job.path);
    }
    const std::optional<std::string> frame = net::EncodeFrame(0, header);
    if (!frame || !net::NetSend(route.direct.fd(), *frame)) {
        return false;
    }
    pause();
    return net::NetSendFile(route.direct.fd(), job.path);
}

bool SendToOne(const SendJob& job, const Recipient& recipient, Route route, net::ServerLink& link,
               TransferEvents& events) {
    events.ServerLine("** Sending file <" + Shown(job) + "> to " + recipient.name +
                          "\n** Please be patient ... (" + TimeText(job) + ")",
                      true);
    if (!SendOver(job, route, link)) {
        events.ServerLine(
            "** Could not send file to " + recipient.name + " (" + TimeText(job) + ")", true);
        return false;
    }
    const std::string time = TimeText(job);
    events.ServerLine(
        "** Finished sending " + std::to_string(FileSize(job.path)) + " Bytes (" + time + ")",
        true);
    events.LastServerMessage("File " + BaseName(Shown(job)) + " sent to " + recipient.name + " (" +
                             time + ")");
    return true;
}

}  // namespace

std::vector<Recipient> ParseRecipients(std::string_view list) {
    std::vector<Recipient> recipients;
    while (!list.empty()) {
        const std::size_t nameEnd = list.find('\n');
        const std::string_view name = list.substr(0, nameEnd);
        if (name.empty()) {
            break;
        }
        list = nameEnd == std::string_view::npos ? std::string_view() : list.substr(nameEnd + 1);
        const std::size_t addressEnd = list.find('\n');
        recipients.push_back({std::string(name), std::string(list.substr(0, addressEnd))});
        list =
            addressEnd == std::string_view::npos ? std::string_view() : list.substr(addressEnd + 1);
    }
    return recipients;
}

std::string RequesterSubject(std::string_view list, int groupCount) {
    return groupCount > 0 ? "[Group]" : std::string(list.substr(0, list.find('\n')));
}

SendCheck CheckSend(const std::string& path, const std::vector<Recipient>& recipients) {
    struct stat info {};
    if (path.empty() || recipients.empty() || ::stat(path.c_str(), &info) != 0 ||
        !S_ISREG(info.st_mode)) {
        return SendCheck::NothingToSend;
    }
    return static_cast<std::uint64_t>(info.st_size) > kMaxFileSize ? SendCheck::TooLarge
                                                                   : SendCheck::Ok;
}

int RunSend(const SendJob& job, net::ServerLink& link, TransferEvents& events,
            std::stop_token stop) {
    if (CheckSend(job.path, job.recipients) != SendCheck::Ok) {
        return 0;
    }
    Route first = Connect(job, job.recipients.front());
    if (!first.Usable()) {
        return 0;
    }
    int delivered = SendToOne(job, job.recipients.front(), std::move(first), link, events) ? 1 : 0;
    for (std::size_t i = 1; i < job.recipients.size() && !stop.stop_requested(); ++i) {
        Route route = Connect(job, job.recipients[i]);
        if (route.Usable()) {
            delivered += SendToOne(job, job.recipients[i], std::move(route), link, events) ? 1 : 0;
        }
    }
    return delivered;
}

SendWorker::~SendWorker() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

bool SendWorker::Start(SendJob job) {
    if (running_.exchange(true)) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();  // the previous job has ended; only its thread is left
    }
    events_.SendWorkerRunning(true);
    thread_ = std::jthread([this, job = std::move(job)](std::stop_token stop) {
        RunSend(job, link_, events_, stop);
        std::this_thread::sleep_for(std::chrono::milliseconds(job.headerPauseMs));
        running_.store(false);
        events_.SendWorkerRunning(false);
    });
    return true;
}

}  // namespace talvoro::transfer
