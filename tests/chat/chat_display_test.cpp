#include "chat/chat_display.h"

#include <gtest/gtest.h>

#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

class ChatDisplay : public test::ChatFixture {
  protected:
    void SetUp() override {
        state.settings.Font = "Tahoma";
        state.settings.FontSize = 11;
        StartClient();
        net::UserRecord bob = test::User(5, "bob");
        bob.color = 0x00FF00;
        Welcome({bob});
    }
};

TEST_F(ChatDisplay, message_shows_head_and_whole_body_in_the_senders_colour_and_own_font) {
    Receive(net::PublicMessage{5, "hello\x9Cz"}.Encode());  // the text holds the separator
    const auto& runs = view.Runs(kMainView);
    ASSERT_GE(runs.size(), 2U);
    EXPECT_EQ(runs[runs.size() - 2], (TextRun{"[12:34:56] bob: ", 0x00FF00, true, "Tahoma", 11}));
    EXPECT_EQ(runs.back(), (TextRun{"hello\x9Cz\n", 0x00FF00, false, "Tahoma", 11}));
    EXPECT_TRUE(result.newContent);
    EXPECT_EQ(result.sender, "bob");
    EXPECT_EQ(view.scrolls, std::vector<int>{kMainView});

    Receive(net::PublicMessage{42, "ghost"}.Encode());  // not in the list: shown by id
    EXPECT_EQ(view.LastLine(kMainView), "[12:34:56] #42: ghost");
    EXPECT_EQ(view.Runs(kMainView).back().color, kBlack);
}

TEST_F(ChatDisplay, topic_byte_picks_the_tab_and_anything_out_of_range_goes_to_main) {
    Receive(net::TopicOpen{5, "T1", false, {}}.Encode());
    Receive(net::TopicOpen{5, "T2", false, {}}.Encode());  // 3 tabs now
    for (const std::int8_t topic : {7, 3, -1}) {
        Receive(net::PublicMessage{5, "to " + std::to_string(topic)}.Encode(), topic);
        EXPECT_EQ(view.LastLine(kMainView), "[12:34:56] bob: to " + std::to_string(topic));
    }
    Receive(net::Whisper{5, "over here"}.Encode(), 1);
    EXPECT_EQ(view.LastLine(kFirstTopicView), "[12:34:56] bob (private): over here");
    EXPECT_EQ(view.LastLine(kMainView), "[12:34:56] bob: to -1");
    EXPECT_EQ(result.tab, 1);
}

TEST_F(ChatDisplay, suppressed_autoscroll_stops_others_messages_but_not_the_own_one) {
    view.scrollLock = true;
    Receive(net::PublicMessage{5, "other"}.Encode());
    EXPECT_TRUE(view.scrolls.empty());
    Receive(net::PublicMessage{9, "mine"}.Encode());
    EXPECT_EQ(view.scrolls, std::vector<int>{kMainView});
    EXPECT_FALSE(result.newContent);  // the own message is nothing new
}

// Sounds the user switched off stay off.
TEST_F(ChatDisplay, beeps_follow_their_settings) {
    state.ChatMessageSound = true;
    Receive(net::PublicMessage{5, "hi"}.Encode());
    EXPECT_EQ(view.beeps, std::vector<int>{kChatBeepHz});
    state.ChatMessageSound = false;
    state.settings.SMessSnd = 1;
    Receive(net::ServerNotice{"** note"}.Encode());
    EXPECT_EQ(view.beeps, (std::vector<int>{kChatBeepHz, kServerLineBeepHz}));
}

}  // namespace
}  // namespace talvoro::chat
