#include "ui/transfer_hub.h"

#include <sys/stat.h>

#include <QFileDialog>
#include <mutex>

#include "app/date_time.h"
#include "app/identifiers.h"
#include "chat/topic_archive.h"
#include "chat/user_list.h"
#include "net/host_info.h"
#include "ui/main_window.h"
#include "ui/text_edge.h"

namespace talvoro::ui {

namespace {

// Hands an IncomingFile to whoever pushes a block's bytes (file server, server thread). It keeps
// the receive path alive: the server thread may finish a file after the window is gone.
class IncomingSink final : public server::FileBlockSink {
  public:
    IncomingSink(std::shared_ptr<transfer::IncomingFiles> owner,
                 std::unique_ptr<transfer::IncomingFile> file)
        : owner_(std::move(owner)), file_(std::move(file)) {}
    void Write(std::span<const std::uint8_t> bytes) override { file_->Write(bytes); }
    void Finish(bool complete) override { file_->Finish(complete); }

  private:
    std::shared_ptr<transfer::IncomingFiles> owner_;  // outlives file_ (declared first)
    std::unique_ptr<transfer::IncomingFile> file_;
};

std::unique_ptr<server::FileBlockSink> Receive(
    const std::shared_ptr<transfer::IncomingFiles>& incoming, const net::FileHeader& header,
    std::uint32_t length, bool fromLoggedOnServer) {
    std::unique_ptr<transfer::IncomingFile> file =
        incoming->Begin(header, length, fromLoggedOnServer);
    return file ? std::make_unique<IncomingSink>(incoming, std::move(file)) : nullptr;
}

std::string TimeNow() {
    return app::FormatDate(app::NowDateValue(), "%hh:%ii:%ss");
}

}  // namespace

// Posts every report to the GUI thread; reports that arrive after the hub is gone are dropped.
class TransferHub::Events final : public transfer::TransferEvents,
                                  public std::enable_shared_from_this<Events> {
  public:
    Events(chat::GuiQueue& gui, TransferHubSetup& setup) : gui_(gui), setup_(&setup) {}

    void Close() {
        std::lock_guard lock(mutex_);
        setup_ = nullptr;
    }

    void ServerLine(std::string line, bool toCurrentTab) override {
        Post([line = std::move(line), toCurrentTab](TransferHubSetup& s) {
            s.chat->WriteServerLine(line, toCurrentTab);
        });
    }
    void LastServerMessage(std::string text) override {
        Post([text = std::move(text)](TransferHubSetup& s) {
            s.port->SetStatusField(chat::StatusField::ServerMessage, text);
        });
    }
    void NewContent() override {
        Post([](TransferHubSetup& s) {
            s.state->NewContent = true;
            s.newContent();
        });
    }
    void FileArrived(std::string path) override {
        Post([path = std::move(path)](TransferHubSetup& s) {
            const app::Settings& settings = s.state->settings;
            if (const auto target = transfer::AutoActionTarget(path, settings.AutoPlay != 0,
                                                               settings.AutoOpen != 0)) {
                s.port->OpenWithDesktop(*target);
            }
        });
    }
    void SendWorkerRunning(bool running) override {
        Post([running](TransferHubSetup& s) {
            s.chat->SetSendWorkerRunning(running);
            if (!running && s.awayReset) {
                s.awayReset();
            }
        });
    }

    void TopicContents(std::vector<transfer::TopicContent> contents) override {
        Post([contents = std::move(contents)](TransferHubSetup& s) {
            for (const transfer::TopicContent& content : contents) {
                chat::LoadTopicContent(s.chat->Context(), content.view, content.rtf);
            }
        });
    }

  private:
    void Post(std::function<void(TransferHubSetup&)> work) {
        std::weak_ptr<Events> self = weak_from_this();
        gui_.Post([self, work = std::move(work)] {
            if (const std::shared_ptr<Events> events = self.lock()) {
                std::lock_guard lock(events->mutex_);
                if (events->setup_ != nullptr) {
                    work(*events->setup_);
                }
            }
        });
    }

    chat::GuiQueue& gui_;
    std::mutex mutex_;  // guards setup_ against Close
    TransferHubSetup* setup_;
};

TransferHub::TransferHub(TransferHubSetup setup)
    : setup_(std::move(setup)),
      events_(std::make_shared<Events>(*setup_.gui, setup_)),
      incoming_(std::make_shared<transfer::IncomingFiles>(
          transfer::ReceiveSetup{setup_.state->DataDir,
                                 &setup_.state->settings.FileServerHalt,
                                 setup_.state->Log ? &*setup_.state->Log : nullptr,
                                 setup_.session,
                                 events_.get(),
                                 {}})),
      worker_(*setup_.session, *events_) {}

TransferHub::~TransferHub() {
    fileServer_.reset();
    incoming_->Detach();  // a file still arriving for the operator reports nothing more
    events_->Close();
}

void TransferHub::StartFileServer() {
    app::ProcessState& state = *setup_.state;
    if (state.ServerRunning.load() || FileServerRunning()) {
        return;
    }
    server::FileServerSetup fs;
    fs.port = static_cast<std::uint16_t>(state.settings.Port);
    fs.host = state.settings.Host;
    fs.hostPort = static_cast<std::uint16_t>(state.settings.Port);
    fs.serverAddress = net::NetPeerAddress(setup_.session->Descriptor());
    fs.log = state.Log ? &*state.Log : nullptr;
    fs.link = setup_.session;
    fs.fileServerHalt = &state.settings.FileServerHalt;
    fs.quitRequested = &state.QuitRequested;
    fs.timeText = TimeNow;
    fs.showLine = [events = events_](std::string line) {
        events->ServerLine(std::move(line), false);
    };
    fs.beginFile = [incoming = incoming_](const net::FileHeader& header, std::uint32_t length,
                                          bool fromServer) {
        return Receive(incoming, header, length, fromServer);
    };
    fileServer_.reset();  // joins one that ended by itself
    fileServer_ = std::make_unique<server::FileServer>(std::move(fs));
    fileServer_->Start();
}

void TransferHub::StopFileServer() {
    if (fileServer_) {
        fileServer_->Stop();
    }
}

void TransferHub::OpenTransferDir() {
    const std::string dir = incoming_->TransferDir();
    ::mkdir(dir.c_str(), 0755);  // fails harmlessly when it exists
    setup_.port->OpenWithDesktop(dir);
}

void TransferHub::SendToRow(int row) {
    const chat::Recipients recipients = chat::RowRecipients(setup_.chat->Context(), row);
    Send(recipients.list, recipients.count);
}

void TransferHub::SendToGroup() {
    const chat::Recipients recipients = chat::GroupRecipients(setup_.chat->Context());
    Send(recipients.list, recipients.count);
}

void TransferHub::Send(const std::string& list, int groupCount) {
    if (worker_.Running() || list.empty()) {
        return;
    }
    const QString title =
        QStringLiteral("Send file to: ") + ToQt(transfer::RequesterSubject(list, groupCount));
    // Every file may be sent; "*.*" would hide the many names without a dot here.
    const QString chosen = QFileDialog::getOpenFileName(setup_.window, title, QString(),
                                                        QStringLiteral("All files (*)"));
    transfer::SendJob job;
    job.recipients = transfer::ParseRecipients(list);
    job.path = chosen.toStdString();
    job.shownPath = FromQt(chosen);
    switch (transfer::CheckSend(job.path, job.recipients)) {
        case transfer::SendCheck::NothingToSend:
            return;
        case transfer::SendCheck::TooLarge:
            setup_.port->ShowInformation("Talvoro: File Size Problem",
                                         "Can't send files huger than 32 MB.");
            return;
        case transfer::SendCheck::Ok:
            break;
    }
    const chat::ChatContext& ctx = setup_.chat->Context();
    job.ownName = ctx.own.name;
    job.serverName = ctx.serverName;
    job.port = static_cast<std::uint16_t>(setup_.state->settings.Port);
    worker_.Start(std::move(job));
}

std::unique_ptr<server::FileBlockSink> TransferHub::OpenOperatorReceive(
    const server::PendingFileHeader& header, std::uint64_t length) {
    if (length > UINT32_MAX) {
        return nullptr;
    }
    // Files on chat connections come from other users, never the server's update.
    return Receive(incoming_, net::FileHeader{header.sender, header.fileName},
                   static_cast<std::uint32_t>(length), false);
}

void WireTransferCommands(MainWindow& window, TransferHub& hub) {
    CommandRouter& router = window.Commands();
    router.SetRangeHandler(
        app::cmd::kTransferToRowBase, app::cmd::kTransferToRowBase + app::cmd::kRowRangeSize - 1,
        [&hub](int event) { hub.SendToRow(event - app::cmd::kTransferToRowBase); });
    router.SetHandler(app::cmd::kGroupTransfer, [&hub](int) { hub.SendToGroup(); });
}

}  // namespace talvoro::ui
