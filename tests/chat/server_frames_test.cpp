#include "chat/server_frames.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using test::User;

class ServerFrames : public test::ChatFixture {
  protected:
    void SetUp() override {
        state.settings.IsPrivateVisible = 1;  // "Main", the topics, then "Private Group"
        hooks.executableArguments = {"/service", "/home/ann/chat"};
    }
    const UserModel& users() { return ctx().users; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const UserRow& row : view.rows) {
            names.push_back(row.name);
        }
        return names;
    }
    // Which id sets hold bob (5) and cid (6): Away, No file receive, rejects Me, Rejected by me.
    std::string Marks() {
        std::string marks;
        for (const auto& [id, name] : {std::pair{5, "bob"}, std::pair{6, "cid"}}) {
            marks += std::string(marks.empty() ? "" : " ") + name + ":";
            marks += users().AwayList.Contains(id) ? "A" : "";
            marks += users().NoFileReceiveList.Contains(id) ? "N" : "";
            marks += users().RejectsMeList.Contains(id) ? "M" : "";
            marks += users().RejectedList.Contains(id) ? "R" : "";
        }
        return marks;
    }
};

// The server lists connections that have not logged on with an empty name (never announcing
// their end) and may send join records before the welcome: neither leaves a blank or a doubled
// row. The welcome (the own record last) greets, fills the list and starts the file server.
TEST_F(ServerFrames, rosters_before_and_after_the_welcome_leave_no_blank_or_ghost_rows) {
    int welcomed = 0;  // the file server starts here, never for a refused client
    hooks.welcomed = [&] { ++welcomed; };
    StartClient();
    ReceiveRoster({User(4, "")});     // a port scan while alone: no row, no line
    ReceiveRoster({User(5, "bob")});  // a join before the own welcome
    net::UserRecord cid = User(6, "cid", 1550);
    cid.away = cid.fileReceiveDisabled = true;
    ReceiveRoster(
        {User(3, " "), User(1, "srv"), User(5, "bob"), cid, User(9, "alice"), User(12, "")}, 1550);
    EXPECT_EQ(Names(), (std::vector<std::string>{"bob", "srv", "cid", "alice"}));
    EXPECT_EQ(ctx().own.id, 9);
    EXPECT_EQ(state.ServerVersion.load(), 1550);
    EXPECT_EQ(
        view.Lines(kMainView),
        (std::vector<std::string>{"** bob has joined, client version 1.6.0.0 (12:34:56)",
                                  "** Welcome alice, your client version is 1.6.0.0 / 1.5.5.0",
                                  "** You have joined server srv, version 1.6.0.0 (12:34:56)"}));
    EXPECT_EQ(view.status[2], "Clients: 4");
    EXPECT_EQ(Marks(), "bob: cid:AN");
    EXPECT_FALSE(result.newContent);
    ReceiveRoster({User(5, "bob", 1550)});  // listed again: replaced where it is
    EXPECT_EQ(Names(), (std::vector<std::string>{"bob", "srv", "cid", "alice"}));
    EXPECT_EQ(users().FindById(5)->version, 1550);
    Receive(net::UserQuit{5, "** bob has quit"}.Encode());
    EXPECT_EQ(Names(), (std::vector<std::string>{"srv", "cid", "alice"}));  // no ghost left
    EXPECT_EQ(welcomed, 1);
}

TEST_F(ServerFrames, each_kind_has_its_effect_and_every_frame_counts) {
    std::string helper;
    hooks.writeRestartHelper = [&](const std::string& path) { helper = path; };
    StartClient();
    state.settings.AwayText = "brb";
    Welcome({User(5, "bob"), User(6, "cid")});
    client->ToggleRejectRow(view.RowOf("bob"));
    link.sent.clear();
    view.answers.push_back(MessageAnswer::Ok);  // restart on the pushed version
    const TopicList& topics = ctx().topics;
    struct Case {
        std::string payload;
        std::string line;  // the new last line of "Main"; empty: "Main" unchanged
        bool newContent;
        std::string marks;  // see Marks()
        std::function<bool()> effect = nullptr;
    };
    const Case cases[] = {
        {net::UserRoster{{User(7, "dan", 1550)}, 1600}.Encode(),
         "** dan has joined, client version 1.5.5.0 (12:34:56)", true, "bob:R cid:"},
        {net::AwayStatus{6, true}.Encode(), "[12:34:56] cid: brb", false, "bob:R cid:A",
         [&] { return view.Row("cid").grey && view.Row("cid").icon == RowIcon::Away; }},
        {net::AwayStatus{6, false}.Encode(), "", false, "bob:R cid:"},
        {net::AwayStatus{5, true}.Encode(), "", false, "bob:AR cid:"},  // rejected: no notice
        {net::FileReceiveStatus{6, true}.Encode(), "", false, "bob:AR cid:N"},
        {net::FileReceiveStatus{6, false}.Encode(), "", false, "bob:AR cid:"},
        {net::RejectNotice{6}.Encode(), "", false, "bob:AR cid:M"},
        {net::RejectNotice{6}.Encode(), "", false, "bob:AR cid:"},
        {net::RejectNotice{5}.Encode(), "", false, "bob:AMR cid:"},
        {net::PublicMessage{5, "rejected"}.Encode(), "", false, "bob:AMR cid:"},
        {net::Whisper{6, "psst"}.Encode(), "[12:34:56] cid (private): psst", true,
         "bob:AMR cid:", [&] { return ctx().lastWhisperer == "cid"; }},
        {net::ServerNotice{"** note"}.Encode(), "** note (12:34:56)", true, "bob:AMR cid:"},
        {net::Heartbeat{}.Encode(), "", false, "bob:AMR cid:"},
        {"", "", false, "bob:AMR cid:"},  // a read cut by a bad length: counted, nothing else
        {net::Heartbeat{"** Server Keep-Alive"}.Encode(), "** Server Keep-Alive (12:34:56)", false,
         "bob:AMR cid:"},
        {net::TopicOpen{5, "Games", true, {}}.Encode(),
         "** Topic <Games> has been spawned by bob (12:34:56)", true, "bob:AMR cid:",
         [&] { return topics.AtTab(1)->sticky && topics.AtTab(1)->spawned == test::kTestNoon; }},
        {net::TopicOpen{5, "Old", false, 1700000000}.Encode(), "", true, "bob:AMR cid:",
         [&] { return topics.AtTab(2)->spawned == 1700000000 && view.tabs.size() == 4; }},
        {net::TopicClose{5, 2}.Encode(), "** Topic <Old> has been closed by bob (12:34:56)", true,
         "bob:AMR cid:", [&] { return view.tabs.size() == 3; }},
        {net::UserQuit{5, "** bob has quit"}.Encode(), "** bob has quit (12:34:56)", true,
         "bob: cid:",
         [&] {
             return view.RowOf("bob") == -1 && topics.AtTab(1)->owner == 0 &&
                    view.status[2] == "Clients: 4" && view.status[3] == "bob has quit (12:34:56)";
         }},
        {net::Logon{"x", 1, 1600, 1550, false}.Encode(), "", false, "bob: cid:",
         [&] {
             return link.sent == std::vector<std::string>{
                                     "\x93You're attempting to connect to a client only!\n"
                                     "** Try a real Talvoro server at <chathost:1805> "
                                     "instead."};
         }},
        {net::KickCommand{"alice"}.Encode(), "", false, "bob: cid:"},
        {"\x50zz", "", false, "bob: cid:", [&] { return !state.QuitRequested; }},
        {net::NewVersion{"1.6.1.0"}.Encode(), "", false, "bob: cid:",
         [&] {
             return helper == "/data/RestartExe.exe" &&
                    view.questions.back().text ==
                        "Received new client version 1.6.1.0 from server.\n\nPress <OK> to "
                        "restart or <CANCEL> to quit program." &&
                    view.programs ==
                        std::vector<test::StartedProgram>{
                            {helper,
                             {"/opt/talvoro/talvoro", "/data/", "/service", "/home/ann/chat"},
                             "/data/"}} &&
                    state.QuitRequested && result.sessionEnded;
         }},
        {net::Refusal{"** Sorry, user limit reached!"}.Encode(), "** Sorry, user limit reached!",
         false, "bob: cid:",
         [&] {
             return !view.windowEnabled &&
                    view.questions.back().text == "Sorry, user limit reached!" &&
                    result.sessionEnded;
         }},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const Case& c = cases[i];
        const std::string before = view.Text(kMainView);
        const auto count = state.MessageCount;
        if (c.payload.empty()) {
            client->OnFrame(net::Frame{0, 0, "", true});  // the stand-in
        } else {
            Receive(c.payload);
        }
        EXPECT_EQ(state.MessageCount, count + 1);
        EXPECT_EQ(c.line.empty() ? before : c.line,
                  c.line.empty() ? view.Text(kMainView) : view.LastLine(kMainView));
        EXPECT_EQ(result.newContent, c.newContent);
        EXPECT_EQ(Marks(), c.marks);
        EXPECT_EQ(view.rows, users().Rows(ctx().own, false));  // the list was rebuilt
        EXPECT_EQ(view.status[2], "Clients: " + std::to_string(users().RowCount()));
        EXPECT_TRUE(!c.effect || c.effect());
    }
}

TEST_F(ServerFrames, the_server_process_restores_topics_and_ignores_refusals_and_logons) {
    int restores = 0;
    hooks.restoreTopics = [&] { ++restores; };
    StartClient();
    Welcome();
    EXPECT_EQ(restores, 0);
    state.ServerRunning = true;
    Welcome();
    EXPECT_EQ(restores, 1);
    Receive(net::Refusal{"** Server has been terminated!"}.Encode());
    Receive(net::Logon{"x", 1, 1600, 1550, false}.Encode());
    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(link.sent.empty());
    EXPECT_FALSE(state.QuitRequested);
    EXPECT_TRUE(view.windowEnabled);
}

TEST_F(ServerFrames, when_a_user_leaves_selection_and_ticks_follow_the_rows_rule) {
    StartClient();
    Welcome({User(5, "bob"), User(6, "cid")});
    ReceiveRoster({User(7, "dan")});
    client->SetRowTicked(view.RowOf("cid"), true);
    client->SelectUserRow(view.RowOf("bob"));
    Receive(net::UserQuit{5, "** bob has quit"}.Encode());
    EXPECT_EQ(view.selectedRow, 1);  // the same row number, now cid's
    EXPECT_EQ(view.rows[1].name, "cid");
    EXPECT_TRUE(view.rows[1].ticked);  // the tick went up with cid
    client->SelectUserRow(view.RowOf("dan"));
    Receive(net::UserQuit{7, "** dan has quit"}.Encode());
    EXPECT_EQ(view.selectedRow, 2);  // the selected last row left: the new last row
    EXPECT_EQ(view.rows[2].name, "alice");
}

TEST_F(ServerFrames, failed_send_on_another_thread_asks_once_on_the_gui_thread_and_restarts) {
    StartClient();
    Welcome();
    view.answers.push_back(MessageAnswer::Yes);
    std::thread([&] { client->OnSendFailed(); }).join();
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(gui.RunPending(), 1);
    EXPECT_EQ(view.questions,
              (std::vector<Question>{
                  {"Talvoro: Network Troubles",
                   "Could not communicate with server srv!\n\nShall i try to reconnect?",
                   MessageButtons::YesNo, MessageIcon::Error}}));
    EXPECT_EQ(view.programs, (std::vector<test::StartedProgram>{
                                 {"/opt/talvoro/talvoro", {"/service", "/home/ann/chat"}, ""}}));
    EXPECT_TRUE(state.QuitRequested);
    client->OnSendFailed();  // the session is ending: no second question
    EXPECT_EQ(view.questions.size(), 1U);
}

}  // namespace
}  // namespace talvoro::chat
