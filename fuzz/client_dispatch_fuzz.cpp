// Fuzzes what a client does with frames from a hostile server: the input is a script of frames of
// every kind (any topic byte, any text, binary rosters) fed to the chat client, mixed with user
// actions (typed lines, row and tab clicks). The view and the server link are inert, every
// question is answered "no" and nothing is started, so only the client's own handling runs.

#include <cstdint>
#include <string>

#include "app/process_state.h"
#include "chat/chat_client.h"
#include "chat/view_port.h"
#include "fuzz_input.h"
#include "net/client_session.h"
#include "net/frame.h"

namespace {

using talvoro::fuzz::FuzzInput;
namespace chat = talvoro::chat;
namespace net = talvoro::net;

class InertView final : public chat::ViewPort {
  public:
    void RunsAppended(int, const chat::ChatDocument&, std::size_t) override {}
    void DocumentReplaced(int, const chat::ChatDocument&) override {}
    void ScrollToEnd(int) override {}
    bool ScrollLockOn() const override { return false; }
    void SetStatusField(chat::StatusField, std::string_view) override {}
    void UserListChanged(std::span<const chat::UserRow> rows, int) override {
        rowCount = rows.size();
    }
    void SetUserActions(const chat::UserActions&) override {}
    void TabInserted(int, std::string_view, int) override {}
    void TabRemoved(int) override {}
    void TabRenamed(int, std::string_view) override {}
    void TabSelected(int, int) override {}
    void SetTabUnread(int, bool) override {}
    chat::MessageAnswer Ask(const chat::Question&) override { return chat::MessageAnswer::No; }
    void ShowInformation(std::string_view, std::string_view) override {}
    void SetMainWindowEnabled(bool) override {}
    void OpenWithDesktop(const std::string&) override {}
    bool StartProgram(const std::string&, const std::vector<std::string>&,
                      const std::string&) override {
        return false;
    }
    void Beep(int) override {}

    std::size_t rowCount = 0;
};

class InertLink final : public net::ServerLink {
  public:
    bool SendToServer(std::string_view payload) override {
        talvoro::fuzz::Check(!payload.empty() && payload.size() <= net::kMaxPayloadSize,
                             "the client sends only payloads that fit a frame");
        return true;
    }
    void SetSelectedTab(int) override {}
};

net::Frame ServerFrame(FuzzInput& in) {
    net::Frame frame;
    frame.topic = static_cast<std::int8_t>(in.Byte());
    const std::uint8_t kind = in.Byte();
    frame.kind = static_cast<std::uint8_t>(net::kFirstKindCode + kind % 17);
    frame.lengthError = kind == 0xFF;  // the stand-in for a read with a bad length
    frame.raw = std::string(talvoro::fuzz::Text(in.Take(in.Word() % net::kMaxPayloadSize)));
    return frame;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    talvoro::app::ProcessState state;
    state.settings.UserName = "me";
    state.settings.Host = "server";
    state.WindowShown = in.Byte() % 2 == 1;
    InertView view;
    InertLink link;
    chat::ChatClient client(state, view, link, nullptr, [] { return 1'100'000'000; });
    client.Start();
    for (int step = 0; step < 200 && !in.Empty(); ++step) {
        const std::uint8_t op = in.Byte();
        const int row = view.rowCount == 0 ? 0 : static_cast<int>(in.Byte() % view.rowCount);
        switch (op % 8) {
            case 0:
                client.Send(talvoro::fuzz::Text(in.Take(in.Byte())));
                break;
            case 1:
                client.ToggleRejectRow(row);
                break;
            case 2:
                client.SetRowTicked(row, in.Byte() % 2 == 1);
                break;
            case 3:
                client.SelectTab(static_cast<std::int8_t>(in.Byte()) % 8);
                break;
            default:
                client.OnFrame(ServerFrame(in));
                break;
        }
    }
    return 0;
}
