#pragma once
// The file transfer of the window: the "&Transfer to" commands (file requester, size check, send
// worker), the file server of a plain client, the receive path for files that arrive on it or,
// in the operator's process, on the server's chat connections, and the self-update's file check.
// What the transfer threads show is posted to the GUI thread and carried out there.
//
// Thread: construct, destroy and call on the GUI thread, except OpenOperatorReceive (server
// thread). The hub must be destroyed before the chat client, the session and the port it uses;
// its destructor stops the file server and waits for a running send worker.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/process_state.h"
#include "chat/chat_client.h"
#include "chat/gui_queue.h"
#include "chat/view_port.h"
#include "net/client_session.h"
#include "server/file_server.h"
#include "server/server_observer.h"
#include "transfer/incoming_file.h"
#include "transfer/send_worker.h"

namespace talvoro::ui {

struct TransferHubSetup {
    app::ProcessState* state = nullptr;
    chat::GuiQueue* gui = nullptr;
    chat::ChatClient* chat = nullptr;
    net::ClientSession* session = nullptr;
    chat::ViewPort* port = nullptr;
    QWidget* window = nullptr;         // parent of the file requester
    std::function<void()> newContent;  // the run loop's new-content handling
    std::function<void()> awayReset;
};

class TransferHub {
  public:
    explicit TransferHub(TransferHubSetup setup);
    ~TransferHub();
    TransferHub(const TransferHub&) = delete;
    TransferHub& operator=(const TransferHub&) = delete;

    // The file server of a plain client (never in the process that runs the server). Start is
    // called after the logon unless "FileServerHalt" is set; the Options dialog calls Stop after
    // setting "FileServerHalt" (and tells the server itself) and Start after clearing it.
    void StartFileServer();
    void StopFileServer();
    bool FileServerRunning() const { return fileServer_ && fileServer_->Running(); }

    // "&Open Transfer Dir": the transfer directory (made first if no file came yet) on the desktop.
    void OpenTransferDir();

    // "&Transfer to" for the user in `row`, and for the ticked group.
    void SendToRow(int row);
    void SendToGroup();

    // Server thread: a file for the operator arrives on a chat connection.
    std::unique_ptr<server::FileBlockSink> OpenOperatorReceive(
        const server::PendingFileHeader& header, std::uint64_t length);

  private:
    class Events;
    void Send(const std::string& list, int groupCount);

    TransferHubSetup setup_;
    std::shared_ptr<Events> events_;
    std::shared_ptr<transfer::IncomingFiles> incoming_;
    transfer::SendWorker worker_;
    std::unique_ptr<server::FileServer> fileServer_;
};

class MainWindow;
// Routes "&Transfer to" (per row and for the group) to `hub`.
void WireTransferCommands(MainWindow& window, TransferHub& hub);

}  // namespace talvoro::ui
