// A whole chat session against the real server thread on 127.0.0.1: the operator's own client and
// plain clients, each a ClientSession feeding a ChatClient that renders into a recording view. The
// test thread plays every client's GUI thread and pumps their connections.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "app/process_state.h"
#include "chat/chat_client.h"
#include "net/client_session.h"
#include "server/chat_server.h"
#include "server/server_observer.h"
#include "support/fake_clock.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro::chat {
namespace {

constexpr const char* kHost = "127.0.0.1";

struct Participant {
    Participant(app::ProcessState& processState, app::EventLog* log, GuiQueue* gui)
        : state(processState),
          session(state, log),
          chat(state, view, session, log, clock.Function(), {}, gui) {
        session.SetEvents(&chat);
    }
    bool Shows(std::string_view line) const { return view.Shows(line); }

    app::ProcessState& state;
    test::RecordingView view;
    test::FakeClock clock{test::kTestNoon};
    net::ClientSession session;
    ChatClient chat;
    bool watching = true;  // until the server closes the connection
};

// Hands the server's operator notices to the operator's GUI thread, as the program does, and
// confirms a quit at once.
class OperatorObserver final : public server::ServerObserver {
  public:
    explicit OperatorObserver(test::ManualGuiQueue& gui) : gui_(gui) {}
    void ShowServerLine(server::LineTarget target, std::string line) override {
        gui_.Post([this, target, line] {
            op->chat.WriteServerLine(line, target == server::LineTarget::CurrentTab);
        });
    }
    void ClearOperatorInput() override { ++clears; }
    void AskQuitQuestion(server::QuitAnswer answer) override { answer.Answer(true); }
    void QuitConfirmed() override {}

    Participant* op = nullptr;
    std::atomic<int> clears{0};

  private:
    test::ManualGuiQueue& gui_;
};

class SessionServerLoopback : public ::testing::Test {
  protected:
    void SetUp() override {
        serverState.settings.Host = kHost;
        serverState.settings.UserName = "op";
        server = std::make_unique<server::ChatServer>(serverState, &log, observer);
        ASSERT_TRUE(server->Start(0, kHost));
        serverState.settings.Port = server->Port();
        op = observer.op = &Add(serverState, &log, &gui);
        server->SetOperatorConnection(op->session.Descriptor());
        ASSERT_TRUE(op->session.SendLogon());
        ASSERT_TRUE(Pump([&] { return op->chat.Context().own.id != 0; }));
    }

    Participant& Add(app::ProcessState& state, app::EventLog* eventLog, GuiQueue* guiQueue) {
        Participant& p =
            *people.emplace_back(std::make_unique<Participant>(state, eventLog, guiQueue));
        p.chat.Start();
        EXPECT_TRUE(p.session.OpenSession(5000));
        return p;
    }

    // A plain client of its own process that has sent its logon as `name`.
    Participant& Join(const std::string& name) {
        auto& state = *states.emplace_back(std::make_unique<app::ProcessState>());
        state.settings.UserName = name;
        state.settings.Host = kHost;
        state.settings.Port = server->Port();
        state.WindowShown = true;
        Participant& p = Add(state, nullptr, nullptr);
        EXPECT_TRUE(p.session.SendLogon());
        return p;
    }

    Participant& Welcomed(const std::string& name) {
        Participant& p = Join(name);
        EXPECT_TRUE(Pump([&] { return p.chat.Context().own.id != 0; })) << name;
        return p;
    }

    // Reads every connection and runs the operator's posted work until `done` holds (bounded).
    template <typename Predicate>
    bool Pump(Predicate&& done) {
        return test::WaitUntil([&] {
            gui.RunPending();
            for (auto& p : people) {
                p->watching = p->watching && p->session.OnReadable();
            }
            gui.RunPending();
            return done();
        });
    }

    test::TempDir dir;
    app::EventLog log{dir.file("Talvoro.log")};
    app::ProcessState serverState;
    test::ManualGuiQueue gui;
    OperatorObserver observer{gui};
    std::unique_ptr<server::ChatServer> server;
    std::vector<std::unique_ptr<app::ProcessState>> states;
    std::vector<std::unique_ptr<Participant>> people;  // the operator first
    Participant* op = nullptr;
};

TEST_F(SessionServerLoopback, log_on_chat_whisper_reject_go_away_and_get_kicked_and_banned) {
    // The operator is alone: its own record is its welcome; its server announces itself.
    EXPECT_EQ(op->chat.Context().serverName, "op");
    EXPECT_TRUE(op->Shows("** Welcome op, your client version is 1.6.0.0 / 1.6.0.0"));
    EXPECT_TRUE(op->Shows("** You have joined server op, version 1.6.0.0 (12:34:56)"));
    ASSERT_TRUE(Pump([&] {
        return op->view.Text(kMainView).find("** Talvoro server created on port " +
                                             std::to_string(server->Port())) != std::string::npos;
    }));

    Participant& ann = Welcomed("ann");
    Participant& bob = Welcomed("bob");
    Participant& cid = Welcomed("cid");
    EXPECT_TRUE(ann.Shows("** Welcome ann, your client version is 1.6.0.0 / 1.6.0.0"));
    EXPECT_TRUE(ann.Shows("** You have joined server op, version 1.6.0.0 (12:34:56)"));
    ASSERT_TRUE(Pump([&] { return ann.view.rows.size() == 4 && op->view.rows.size() == 4; }));
    EXPECT_TRUE(ann.Shows("** cid has joined, client version 1.6.0.0 (12:34:56)"));
    EXPECT_TRUE(op->Shows("** ann has joined, client version 1.6.0.0 (12:34:56)"));
    EXPECT_EQ(ann.view.status[2], "Clients: 4");

    // A second "ann" is refused; the first one goes on chatting.
    Participant& again = Join("ann");
    ASSERT_TRUE(Pump([&] { return again.state.QuitRequested.load(); }));
    ASSERT_EQ(again.view.questions.size(), 1U);
    EXPECT_EQ(again.view.questions[0].text, "User ann is already connected to SERVER 127.0.0.1!");

    // Public chat reaches everybody, the sender included.
    EXPECT_EQ(ann.chat.Send("hello all"), SendOutcome::Cleared);
    const std::string hello = "[12:34:56] ann: hello all";
    ASSERT_TRUE(Pump([&] {
        return op->Shows(hello) && ann.Shows(hello) && bob.Shows(hello) && cid.Shows(hello);
    }));

    // A whisper reaches only its recipient; the sender sees the echo.
    EXPECT_EQ(bob.chat.Send("@@cid: psst"), SendOutcome::Cleared);
    ASSERT_TRUE(Pump([&] { return cid.Shows("[12:34:56] bob (private): psst"); }));
    EXPECT_TRUE(bob.Shows("[12:34:56] @cid: psst"));
    EXPECT_EQ(cid.chat.Context().lastWhisperer, "bob");

    // A group whisper goes to each ticked user.
    ann.chat.SetRowTicked(ann.view.RowOf("bob"), true);
    ann.chat.SetRowTicked(ann.view.RowOf("cid"), true);
    EXPECT_EQ(ann.chat.Send("@@[]: group"), SendOutcome::Cleared);
    ASSERT_TRUE(Pump([&] {
        return bob.Shows("[12:34:56] ann (private): group") &&
               cid.Shows("[12:34:56] ann (private): group");
    }));
    EXPECT_TRUE(ann.Shows("[12:34:56] @[bob][cid]: group"));
    EXPECT_FALSE(op->Shows("[12:34:56] ann (private): group"));

    // cid rejects ann: ann learns it and cannot whisper to cid; cid no longer sees ann.
    cid.chat.ToggleRejectRow(cid.view.RowOf("ann"));
    ASSERT_TRUE(Pump([&] { return ann.view.Row("cid").icon == RowIcon::RejectsMe; }));
    EXPECT_EQ(ann.chat.Send("@@cid: still there?"), SendOutcome::Kept);
    EXPECT_EQ(ann.view.LastLine(kMainView), "** cid rejects your messages!");
    ann.chat.Send("anyone?");
    ASSERT_TRUE(Pump([&] { return bob.Shows("[12:34:56] ann: anyone?"); }));
    bob.chat.Send("marker");  // relayed after ann's line, so cid has had ann's frame by then
    ASSERT_TRUE(Pump([&] { return cid.Shows("[12:34:56] bob: marker"); }));
    EXPECT_FALSE(cid.Shows("[12:34:56] ann: anyone?"));

    // bob goes away: the others mark him and show the away notice.
    bob.chat.SetAwayStatus(OwnStatus::Away);
    const std::string awayLine = "[12:34:56] bob: I'm away for now, cu later!";
    ASSERT_TRUE(Pump([&] { return ann.Shows(awayLine) && op->Shows(awayLine); }));
    EXPECT_EQ(ann.view.Row("bob").icon, RowIcon::Away);

    // The operator kicks cid: cid is told, the others see cid leave.
    EXPECT_EQ(op->chat.Send("**kick cid"), SendOutcome::Kept);
    ASSERT_TRUE(Pump([&] {
        return cid.Shows("** You have been kicked from SERVER 127.0.0.1 (12:34:56)") &&
               ann.Shows("** cid has been kicked from server (12:34:56)") &&
               op->Shows("** cid has been kicked from server (12:34:56)");
    }));
    EXPECT_EQ(ann.view.RowOf("cid"), -1);
    EXPECT_EQ(ann.view.status[2], "Clients: 3");
    EXPECT_EQ(cid.view.status[3], "You have been kicked from SERVER 127.0.0.1 (12:34:56)");
    // The server closed cid's connection: cid stops reading, and its next sends end the program
    // after one reconnect question.
    ASSERT_TRUE(Pump([&] { return !cid.watching; }));
    cid.chat.Send("hello?");
    cid.chat.Send("hello again?");
    ASSERT_EQ(cid.view.questions.size(), 1U);
    EXPECT_EQ(cid.view.questions[0].title, "Talvoro: Network Troubles");
    EXPECT_EQ(cid.view.questions[0].text,
              "Could not communicate with server op!\n\nShall i try to reconnect?");
    EXPECT_TRUE(cid.state.QuitRequested);

    // The operator bans bob; a newcomer from the banned address is refused.
    EXPECT_EQ(op->chat.Send("**BAN bob"), SendOutcome::Kept);
    ASSERT_TRUE(Pump([&] {
        return bob.Shows("** You have been banned from SERVER 127.0.0.1 (12:34:56)") &&
               ann.Shows("** bob has been banned from server (12:34:56)");
    }));
    EXPECT_GE(observer.clears.load(), 2);
    Participant& dan = Join("dan");
    ASSERT_TRUE(Pump([&] { return dan.state.QuitRequested.load(); }));
    EXPECT_TRUE(dan.Shows("** You are already banned at SERVER 127.0.0.1!"));
    ASSERT_EQ(dan.view.questions.size(), 1U);
    EXPECT_EQ(dan.view.questions[0], (Question{"Talvoro: Error connecting to server",
                                               "You are already banned at SERVER 127.0.0.1!",
                                               MessageButtons::Ok, MessageIcon::Error}));
    EXPECT_FALSE(dan.view.windowEnabled);

    // The operator ends the server: ann is told; the operator's own client ignores the refusal.
    server->RequestQuit();
    ASSERT_TRUE(Pump([&] { return ann.state.QuitRequested.load(); }));
    EXPECT_TRUE(ann.Shows("** Server has been terminated!"));
    EXPECT_TRUE(op->view.questions.empty());
    EXPECT_TRUE(op->view.windowEnabled);
}

}  // namespace
}  // namespace talvoro::chat
