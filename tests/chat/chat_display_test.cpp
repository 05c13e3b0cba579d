#include "chat/chat_display.h"

#include <gtest/gtest.h>

#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using net::MessageKind;
using test::Payload;
using test::Relayed;
using test::User;

TEST(Autoscroll, is_suppressed_by_scroll_lock_or_by_a_hidden_window_with_no_scroll_hidden) {
    EXPECT_FALSE(AutoscrollSuppressed(ScrollState{false, true, true}));
    EXPECT_TRUE(AutoscrollSuppressed(ScrollState{true, true, false}));
    EXPECT_TRUE(AutoscrollSuppressed(ScrollState{false, false, true}));
    EXPECT_FALSE(AutoscrollSuppressed(ScrollState{false, false, false}));
}

TEST(Autoscroll, chat_scrolls_only_the_current_view_and_own_lines_despite_suppression) {
    EXPECT_TRUE(ChatScrolls(true, false, false));
    EXPECT_FALSE(ChatScrolls(true, true, false));
    EXPECT_TRUE(ChatScrolls(true, true, true));
    EXPECT_FALSE(ChatScrolls(false, false, true));
}

class ChatDisplay : public test::ChatFixture {
  protected:
    void SetUp() override {
        state.settings.Font = "Tahoma";
        state.settings.FontSize = 11;
        StartClient();
        Welcome({User(5, "bob", 0x00FF00)});
    }
};

TEST_F(ChatDisplay, public_message_shows_head_and_body_in_the_senders_colour) {
    Receive(Relayed(MessageKind::PublicMessage, 5, "hello"));
    const auto& runs = view.Runs(kMainView);
    ASSERT_GE(runs.size(), 2U);
    EXPECT_EQ(runs[runs.size() - 2], (TextRun{"[12:34:56] bob: ", 0x00FF00, true, "Tahoma", 11}));
    EXPECT_EQ(runs.back(), (TextRun{"hello\n", 0x00FF00, false, "Tahoma", 11}));
    EXPECT_TRUE(state.NewContent);
    EXPECT_EQ(view.scrolls, std::vector<int>{kMainView});
}

TEST_F(ChatDisplay, text_containing_the_separator_is_shown_whole) {
    Receive(Relayed(MessageKind::PublicMessage, 5,
                    "a\x9C"
                    "b"));
    EXPECT_EQ(view.LastLine(kMainView),
              "[12:34:56] bob: a\x9C"
              "b");
}

TEST_F(ChatDisplay, whisper_is_marked_private_and_remembers_the_sender) {
    Receive(Relayed(MessageKind::Whisper, 5, "psst"));
    EXPECT_EQ(view.LastLine(kMainView), "[12:34:56] bob (private): psst");
    EXPECT_EQ(ctx().lastWhisperer, "bob");
}

TEST_F(ChatDisplay, rejected_sender_changes_no_view) {
    client->ToggleRejectRow(RowOf("bob"));
    const auto before = view.documents;
    Receive(Relayed(MessageKind::PublicMessage, 5, "hello"));
    Receive(Relayed(MessageKind::Whisper, 5, "hello"));
    EXPECT_EQ(view.documents, before);
    EXPECT_FALSE(state.NewContent);
}

TEST_F(ChatDisplay, topic_index_beyond_the_tabs_goes_to_main) {
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0T1\xA0"
                    "0"));
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0T2\xA0"
                    "0"));  // 3 tabs now
    Receive(Relayed(MessageKind::PublicMessage, 5, "seven"), 7);
    Receive(Relayed(MessageKind::PublicMessage, 5, "three"), 3);
    Receive(Relayed(MessageKind::PublicMessage, 5, "minus"), -1);
    EXPECT_EQ(view.Lines(kMainView).back(), "[12:34:56] bob: minus");
    EXPECT_NE(view.Text(kMainView).find("bob: seven"), std::string::npos);
    EXPECT_NE(view.Text(kMainView).find("bob: three"), std::string::npos);
    EXPECT_EQ(view.Text(kFirstTopicView).find("seven"), std::string::npos);
}

TEST_F(ChatDisplay, whisper_for_another_tab_lands_there_and_main_does_not_scroll) {
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0Games\xA0"
                    "0"));
    view.ClearScrollsAndBeeps();
    Receive(Relayed(MessageKind::Whisper, 5, "over here"), 1);
    EXPECT_EQ(view.LastLine(kFirstTopicView), "[12:34:56] bob (private): over here");
    EXPECT_TRUE(view.scrolls.empty());
    EXPECT_EQ(ctx().lastFrameTab, 1);
}

TEST_F(ChatDisplay, scroll_lock_stops_others_messages_but_not_the_own_one) {
    view.scrollLock = true;
    Receive(Relayed(MessageKind::PublicMessage, 5, "other"));
    EXPECT_TRUE(view.scrolls.empty());
    state.NewContent = false;
    Receive(Relayed(MessageKind::PublicMessage, 9, "mine"));
    EXPECT_EQ(view.scrolls, std::vector<int>{kMainView});
    EXPECT_FALSE(state.NewContent);  // the own message is nothing new
}

TEST_F(ChatDisplay, hidden_window_scrolls_only_without_no_scroll_hidden) {
    state.WindowShown = false;
    Receive(Relayed(MessageKind::PublicMessage, 5, "a"));
    EXPECT_TRUE(view.scrolls.empty());
    state.settings.NoScrollHidden = 0;
    Receive(Relayed(MessageKind::PublicMessage, 5, "b"));
    EXPECT_EQ(view.scrolls, std::vector<int>{kMainView});
}

TEST_F(ChatDisplay, time_prefix_off_leaves_heads_bare) {
    state.settings.AlwaysMessTime = 0;
    Receive(Relayed(MessageKind::PublicMessage, 5, "hi"));
    EXPECT_EQ(view.LastLine(kMainView), "bob: hi");
}

TEST_F(ChatDisplay, beeps_follow_their_settings) {
    state.ChatMessageSound = true;
    Receive(Relayed(MessageKind::PublicMessage, 5, "hi"));
    EXPECT_EQ(view.beeps, std::vector<int>{kChatBeepHz});
    view.ClearScrollsAndBeeps();
    state.ChatMessageSound = false;
    state.settings.SMessSnd = 1;
    Receive(Payload(MessageKind::ServerNotice, "** note"));
    EXPECT_EQ(view.beeps, std::vector<int>{kServerLineBeepHz});
}

TEST_F(ChatDisplay, sender_missing_from_the_list_is_shown_by_id) {
    Receive(Relayed(MessageKind::PublicMessage, 42, "ghost"));
    EXPECT_EQ(view.LastLine(kMainView), "[12:34:56] #42: ghost");
    EXPECT_EQ(view.Runs(kMainView).back().color, kBlack);
}

TEST_F(ChatDisplay, away_notice_reads_as_the_user_with_the_local_away_text) {
    state.settings.AwayText = "brb";
    Receive(Relayed(MessageKind::AwayStatus, 5, "1"));
    EXPECT_EQ(view.LastLine(kMainView), "[12:34:56] bob: brb");
    EXPECT_FALSE(state.NewContent);
    EXPECT_TRUE(ctx().users.AwayList.Contains(5));
}

}  // namespace
}  // namespace talvoro::chat
