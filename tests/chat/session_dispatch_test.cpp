#include "chat/session_dispatch.h"

#include <gtest/gtest.h>

#include <thread>

#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using net::MessageKind;
using test::Payload;
using test::Relayed;
using test::User;

class SessionDispatch : public test::ChatFixture {
  protected:
    void SetUp() override { StartClient(); }
};

TEST_F(SessionDispatch, welcome_roster_learns_own_id_and_server_name) {
    ReceiveRoster({User(1, "srv", 0, 1600), User(5, "bob", 0, 1550), User(9, "alice")}, 1600);
    EXPECT_EQ(ctx().own.id, 9);
    EXPECT_EQ(ctx().serverName, "srv");
    EXPECT_EQ(state.ServerVersion.load(), 1600);
    const auto lines = view.Lines(kMainView);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0], "** Welcome alice, your client version is 1.6.0.0 / 1.6.0.0");
    EXPECT_EQ(lines[1], "** You have joined server srv, version 1.6.0.0 (12:34:56)");
    EXPECT_EQ(view.status[2], "Clients: 3");
    EXPECT_EQ(view.status[3], "You have joined server srv, version 1.6.0.0 (12:34:56)");
    EXPECT_EQ(view.selectedRow, 0);
    ASSERT_EQ(view.rows.size(), 3U);
    EXPECT_EQ(view.rows[2].icon, RowIcon::Self);
    EXPECT_FALSE(state.NewContent);
}

TEST_F(SessionDispatch, alone_on_the_server_the_single_record_is_the_welcome) {
    ReceiveRoster({User(3, "alice")}, 1550);
    EXPECT_EQ(ctx().own.id, 3);
    EXPECT_EQ(ctx().serverName, "alice");
    EXPECT_EQ(view.Lines(kMainView)[0],
              "** Welcome alice, your client version is 1.6.0.0 / 1.5.5.0");
}

TEST_F(SessionDispatch, one_record_of_another_name_is_a_join_appended_at_the_end) {
    Welcome({User(5, "bob")});
    ReceiveRoster({User(6, "cid", 0, 1550)});
    EXPECT_EQ(view.LastLine(kMainView), "** cid has joined, client version 1.5.5.0 (12:34:56)");
    EXPECT_EQ(view.status[3], "cid has joined, client version 1.5.5.0 (12:34:56)");
    EXPECT_EQ(view.status[2], "Clients: 4");
    EXPECT_EQ(view.rows.back().name, "cid");
    EXPECT_EQ(ctx().own.id, 9);
    EXPECT_TRUE(state.NewContent);
}

TEST_F(SessionDispatch, roster_flags_fill_the_away_and_no_file_sets) {
    net::UserRecord bob = User(5, "bob");
    bob.away = true;
    bob.fileReceiveDisabled = true;
    Welcome({bob});
    EXPECT_TRUE(ctx().users.AwayList.Contains(5));
    EXPECT_TRUE(ctx().users.NoFileReceiveList.Contains(5));
    EXPECT_EQ(view.rows[static_cast<std::size_t>(RowOf("bob"))].icon, RowIcon::Away);
}

TEST_F(SessionDispatch, saved_topics_reopen_only_in_the_server_process) {
    int restores = 0;
    ctx().hooks.restoreTopics = [&] { ++restores; };
    Welcome();
    EXPECT_EQ(restores, 0);
    state.ServerRunning = true;
    Welcome();
    EXPECT_EQ(restores, 1);
}

TEST_F(SessionDispatch, user_quit_removes_the_user_everywhere) {
    Welcome({User(5, "bob"), User(6, "cid")});
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0Games\xA0"
                    "0"));
    Receive(Relayed(MessageKind::AwayStatus, 5, "1"));
    Receive(Payload(MessageKind::RejectNotice, "5"));
    client->ToggleRejectRow(RowOf("bob"));
    Receive(Relayed(MessageKind::FileReceiveStatus, 5, "1"));
    state.NewContent = false;

    Receive(Payload(MessageKind::UserQuit, "5\x97** bob has quit"));
    const UserModel& users = ctx().users;
    EXPECT_FALSE(users.AwayList.Contains(5));
    EXPECT_FALSE(users.RejectsMeList.Contains(5));
    EXPECT_FALSE(users.RejectedList.Contains(5));
    EXPECT_FALSE(users.NoFileReceiveList.Contains(5));
    EXPECT_EQ(users.FindById(5), nullptr);
    EXPECT_EQ(ctx().topics.AtTab(1)->owner, 0);
    EXPECT_EQ(RowOf("bob"), -1);
    EXPECT_EQ(view.LastLine(kMainView), "** bob has quit (12:34:56)");
    EXPECT_EQ(view.status[3], "bob has quit (12:34:56)");
    EXPECT_EQ(view.status[2], "Clients: 3");
    EXPECT_TRUE(state.NewContent);
}

TEST_F(SessionDispatch, when_the_selected_last_user_leaves_the_new_last_row_is_selected) {
    Welcome({User(5, "bob")});
    ReceiveRoster({User(6, "cid")});
    client->SelectUserRow(3);
    Receive(Payload(MessageKind::UserQuit, "6\x97** cid has quit"));
    EXPECT_EQ(view.selectedRow, 2);
    EXPECT_EQ(view.rows[2].name, "alice");
    EXPECT_EQ(view.actions.reject, false);  // the own row
}

TEST_F(SessionDispatch, away_status_zero_removes_the_mark_and_shows_nothing) {
    Welcome({User(5, "bob")});
    Receive(Relayed(MessageKind::AwayStatus, 5, "1"));
    const std::string before = view.Text(kMainView);
    Receive(Relayed(MessageKind::AwayStatus, 5, "0"));
    EXPECT_FALSE(ctx().users.AwayList.Contains(5));
    EXPECT_EQ(view.Text(kMainView), before);
    EXPECT_EQ(view.rows[static_cast<std::size_t>(RowOf("bob"))].icon, RowIcon::Normal);
}

TEST_F(SessionDispatch, away_notice_is_skipped_with_an_empty_away_text) {
    state.settings.AwayText.clear();
    Welcome({User(5, "bob")});
    const std::string before = view.Text(kMainView);
    Receive(Relayed(MessageKind::AwayStatus, 5, "1"));
    EXPECT_TRUE(ctx().users.AwayList.Contains(5));
    EXPECT_EQ(view.Text(kMainView), before);
}

TEST_F(SessionDispatch, file_receive_status_sets_and_clears_the_mark) {
    Welcome({User(5, "bob")});
    Receive(Relayed(MessageKind::FileReceiveStatus, 5, "1"));
    EXPECT_TRUE(ctx().users.NoFileReceiveList.Contains(5));
    EXPECT_EQ(view.rows[static_cast<std::size_t>(RowOf("bob"))].icon, RowIcon::NormalUserFileOff);
    Receive(Relayed(MessageKind::FileReceiveStatus, 5, "0"));
    EXPECT_FALSE(ctx().users.NoFileReceiveList.Contains(5));
}

TEST_F(SessionDispatch, reject_notice_twice_leaves_the_set_as_it_was) {
    Welcome({User(5, "bob")});
    Receive(Payload(MessageKind::RejectNotice, "5"));
    EXPECT_TRUE(ctx().users.RejectsMeList.Contains(5));
    EXPECT_EQ(view.rows[static_cast<std::size_t>(RowOf("bob"))].icon, RowIcon::RejectsMe);
    Receive(Payload(MessageKind::RejectNotice, "5"));
    EXPECT_FALSE(ctx().users.RejectsMeList.Contains(5));
}

TEST_F(SessionDispatch, heartbeat_hash_is_dropped_and_keep_alive_notice_is_shown_with_time) {
    Welcome();
    const std::string before = view.Text(kMainView);
    Receive(Payload(MessageKind::Heartbeat, "#"));
    EXPECT_EQ(view.Text(kMainView), before);
    Receive(Payload(MessageKind::Heartbeat, "** Server Keep-Alive"));
    EXPECT_EQ(view.LastLine(kMainView), "** Server Keep-Alive (12:34:56)");
    EXPECT_FALSE(state.NewContent);
}

TEST_F(SessionDispatch, server_notice_fills_the_last_message_field) {
    Welcome();
    Receive(Payload(MessageKind::ServerNotice, "** You have been kicked from SERVER srv"));
    EXPECT_EQ(view.LastLine(kMainView), "** You have been kicked from SERVER srv (12:34:56)");
    EXPECT_EQ(view.status[3], "You have been kicked from SERVER srv (12:34:56)");
    EXPECT_TRUE(state.NewContent);
}

TEST_F(SessionDispatch, refusal_shows_the_reason_and_ends_the_program) {
    Receive(Payload(MessageKind::Refusal, "** Sorry, user limit reached!"));
    EXPECT_EQ(view.LastLine(kMainView), "** Sorry, user limit reached!");
    EXPECT_FALSE(view.windowEnabled);
    ASSERT_EQ(view.questions.size(), 1U);
    EXPECT_EQ(view.questions[0],
              (Question{"Talvoro: Error connecting to server", "Sorry, user limit reached!",
                        MessageButtons::Ok, MessageIcon::Error}));
    EXPECT_TRUE(state.QuitRequested);
}

TEST_F(SessionDispatch, refusal_is_ignored_by_the_server_process) {
    state.ServerRunning = true;
    Receive(Payload(MessageKind::Refusal, "** Server has been terminated!"));
    EXPECT_TRUE(view.questions.empty());
    EXPECT_FALSE(state.QuitRequested);
    EXPECT_TRUE(view.windowEnabled);
}

TEST_F(SessionDispatch, new_version_ok_starts_the_restart_helper) {
    std::string written;
    ctx().hooks.writeRestartHelper = [&](const std::string& path) { written = path; };
    view.answers.push_back(MessageAnswer::Ok);
    Receive(Payload(MessageKind::NewVersion, "1.6.1.0"));
    EXPECT_EQ(written, "/data/RestartExe.exe");
    ASSERT_EQ(view.questions.size(), 1U);
    EXPECT_EQ(view.questions[0],
              (Question{"Restart Talvoro",
                        "Received new client version 1.6.1.0 from server.\n\nPress <OK> to "
                        "restart or <CANCEL> to quit program.",
                        MessageButtons::OkCancel, MessageIcon::Question}));
    EXPECT_EQ(view.programs,
              (std::vector<test::StartedProgram>{
                  {"/data/RestartExe.exe", {"/opt/talvoro/talvoro", "/data/"}, "/data/"}}));
    EXPECT_TRUE(state.QuitRequested);
}

TEST_F(SessionDispatch, new_version_cancel_only_quits) {
    view.answers.push_back(MessageAnswer::Cancel);
    Receive(Payload(MessageKind::NewVersion, "1.6.1.0"));
    EXPECT_TRUE(view.programs.empty());
    EXPECT_TRUE(state.QuitRequested);
}

TEST_F(SessionDispatch, logon_is_answered_with_the_client_only_refusal) {
    Receive(Payload(MessageKind::Logon,
                    "x\x9F"
                    "1\x9F"
                    "1600"));
    ASSERT_EQ(link.sent.size(), 1U);
    EXPECT_EQ(link.sent[0],
              Payload(MessageKind::Refusal,
                      "You're attempting to connect to a client only!\n** Try a real Talvoro "
                      "server at <chathost:1805> instead."));
    state.ServerRunning = true;
    Receive(Payload(MessageKind::Logon,
                    "x\x9F"
                    "1\x9F"
                    "1600"));
    EXPECT_EQ(link.sent.size(), 1U);
}

TEST_F(SessionDispatch, every_frame_counts_and_unknown_kinds_change_nothing) {
    Welcome();
    const auto count = state.MessageCount;
    const auto documents = view.documents;
    Receive(Payload(MessageKind::KickCommand, "**kick alice"));
    Receive(Payload(MessageKind::FileHeader,
                    "bob\x9E"
                    "f.txt"));
    Receive(std::string("\x50zz"));
    EXPECT_EQ(state.MessageCount, count + 3);
    EXPECT_EQ(view.documents, documents);
    EXPECT_FALSE(state.QuitRequested);
}

TEST_F(SessionDispatch, live_topic_spawn_writes_a_notice_and_inserts_the_tab_unselected) {
    Welcome({User(5, "bob")});
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0Games\xA0"
                    "1"));
    EXPECT_EQ(view.LastLine(kMainView), "** Topic <Games> has been spawned by bob (12:34:56)");
    ASSERT_EQ(view.tabs.size(), 2U);
    EXPECT_EQ(view.tabs[1].caption, "Games");
    EXPECT_EQ(view.tabs[1].view, kFirstTopicView);
    EXPECT_EQ(view.selectedTab, 0);
    const TopicRecord& topic = *ctx().topics.AtTab(1);
    EXPECT_TRUE(topic.sticky);
    EXPECT_EQ(topic.spawned, test::kTestNoon);
    EXPECT_TRUE(state.NewContent);
}

TEST_F(SessionDispatch, topic_known_before_joining_opens_without_a_notice) {
    Welcome({User(5, "bob")});
    const std::string before = view.Text(kMainView);
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0Old\xA0"
                    "0\xA0"
                    "1700000000"));
    EXPECT_EQ(view.Text(kMainView), before);
    EXPECT_EQ(ctx().topics.AtTab(1)->spawned, 1700000000);
}

TEST_F(SessionDispatch, closing_the_selected_topic_selects_the_tab_to_its_left) {
    Welcome({User(5, "bob")});
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0One\xA0"
                    "0"));
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0Two\xA0"
                    "0"));
    client->SelectTab(2);
    Receive(Payload(MessageKind::TopicClose,
                    "5\xA1"
                    "2"));
    EXPECT_EQ(view.LastLine(kMainView), "** Topic <Two> has been closed by bob (12:34:56)");
    EXPECT_EQ(view.selectedTab, 1);
    EXPECT_EQ(link.selectedTab, 1);
    ASSERT_EQ(view.tabs.size(), 2U);
    EXPECT_EQ(view.tabs[1].caption, "One");
}

TEST_F(SessionDispatch, topic_close_naming_no_topic_changes_nothing) {
    Welcome({User(5, "bob")});
    Receive(Payload(MessageKind::TopicClose,
                    "5\xA1"
                    "0"));
    Receive(Payload(MessageKind::TopicClose,
                    "5\xA1"
                    "3"));
    EXPECT_EQ(ctx().topics.TopicCount(), 0);
    EXPECT_EQ(view.tabs.size(), 1U);
}

TEST_F(SessionDispatch, closing_with_auto_save_archives_the_view_first) {
    std::vector<int> archived;
    ctx().hooks.archiveView = [&](int v) { archived.push_back(v); };
    Welcome({User(5, "bob")});
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0One\xA0"
                    "0"));
    Receive(Payload(MessageKind::TopicClose,
                    "5\xA1"
                    "1"));
    EXPECT_EQ(archived, std::vector<int>{kFirstTopicView});
}

TEST_F(SessionDispatch, connection_lost_asks_to_reconnect_and_quits) {
    Welcome();
    view.answers.push_back(MessageAnswer::Yes);
    client->OnSendFailed();
    ASSERT_EQ(view.questions.size(), 1U);
    EXPECT_EQ(view.questions[0],
              (Question{"Talvoro: Network Troubles",
                        "Could not communicate with server srv!\n\nShall i try to reconnect?",
                        MessageButtons::YesNo, MessageIcon::Error}));
    EXPECT_EQ(view.programs, (std::vector<test::StartedProgram>{{"/opt/talvoro/talvoro", {}, ""}}));
    EXPECT_TRUE(state.QuitRequested);
}

TEST(ChatClientThreads, send_failure_on_another_thread_asks_on_the_gui_thread) {
    app::ProcessState state;
    test::RecordingView view;
    test::RecordingLink link;
    test::ManualGuiQueue gui;
    ChatClient client(state, view, link, nullptr, {}, {}, &gui);
    std::thread worker([&] { client.OnSendFailed(); });
    worker.join();
    EXPECT_TRUE(view.questions.empty());
    EXPECT_FALSE(state.QuitRequested);
    EXPECT_EQ(gui.RunPending(), 1);
    EXPECT_EQ(view.questions.size(), 1U);
    EXPECT_TRUE(state.QuitRequested);
}

}  // namespace
}  // namespace talvoro::chat
