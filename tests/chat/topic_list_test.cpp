#include "chat/topic_list.h"

#include <gtest/gtest.h>

#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using net::MessageKind;
using test::Payload;

TEST(TopicList, third_topic_goes_to_position_three_and_private_group_moves_to_four) {
    TopicList topics(true, 100);
    EXPECT_EQ(topics.InsertTopic(5, "a", false, 1), 1);
    EXPECT_EQ(topics.InsertTopic(5, "b", false, 1), 2);
    EXPECT_EQ(topics.InsertTopic(5, "c", false, 1), 3);
    EXPECT_EQ(topics.AtTab(3)->view, 503);
    EXPECT_EQ(topics.AtTab(4)->view, kPrivateView);
    EXPECT_EQ(topics.TabCount(), 5);
}

TEST(TopicList, a_fourth_topic_is_refused) {
    TopicList topics(false, 100);
    for (const char* title : {"a", "b", "c"}) {
        ASSERT_TRUE(topics.InsertTopic(5, title, false, 1));
    }
    EXPECT_FALSE(topics.InsertTopic(5, "d", false, 1));
    EXPECT_EQ(topics.TopicCount(), 3);
}

TEST(TopicList, a_closed_topics_view_is_reused_last_in_first_out) {
    TopicList topics(false, 100);
    topics.InsertTopic(5, "a", false, 1);  // 501
    topics.InsertTopic(5, "b", false, 1);  // 502
    topics.RemoveTopic(1);                 // 501 to the pool, b now at 1
    EXPECT_EQ(topics.AtTab(1)->view, 502);
    EXPECT_EQ(topics.InsertTopic(5, "c", false, 1), 2);
    EXPECT_EQ(topics.AtTab(2)->view, 501);
    EXPECT_EQ(topics.InsertTopic(5, "d", false, 1), 3);
    EXPECT_EQ(topics.AtTab(3)->view, 503);
}

TEST(TopicList, only_topic_positions_can_be_removed) {
    TopicList topics(true, 100);
    topics.InsertTopic(5, "a", false, 1);
    EXPECT_FALSE(topics.RemoveTopic(0));
    EXPECT_FALSE(topics.RemoveTopic(2));  // the private tab
    EXPECT_FALSE(topics.RemoveTopic(-1));
    EXPECT_TRUE(topics.RemoveTopic(1));
    EXPECT_EQ(topics.TabCount(), 2);
}

class TopicTabs : public test::ChatFixture {};

TEST_F(TopicTabs, unread_marks_move_with_their_tabs) {
    state.settings.IsPrivateVisible = 1;
    StartClient();
    Welcome();
    client->MarkTabUnread(1);  // Private Group at 1
    Receive(Payload(MessageKind::TopicOpen,
                    "9\xA0T\xA0"
                    "0"));
    EXPECT_EQ(state.UnreadTabs[1], 0);
    EXPECT_EQ(state.UnreadTabs[2], 1);
    Receive(Payload(MessageKind::TopicClose,
                    "9\xA1"
                    "1"));
    EXPECT_EQ(state.UnreadTabs[1], 1);
    EXPECT_EQ(state.UnreadTabs[2], 0);
}

TEST_F(TopicTabs, spawn_left_of_the_selected_private_tab_keeps_it_selected) {
    state.settings.IsPrivateVisible = 1;
    StartClient();
    Welcome();
    client->SelectTab(1);
    Receive(Payload(MessageKind::TopicOpen,
                    "9\xA0T\xA0"
                    "0"));
    EXPECT_EQ(ctx().currentTab, 2);
    EXPECT_EQ(link.selectedTab, 2);
    EXPECT_EQ(ctx().text.CurrentView(), kPrivateView);
}

TEST_F(TopicTabs, reused_view_starts_empty) {
    StartClient();
    Welcome();
    Receive(Payload(MessageKind::TopicOpen,
                    "9\xA0T\xA0"
                    "0"));
    Receive(test::Relayed(MessageKind::PublicMessage, 9, "in topic"), 1);
    ASSERT_FALSE(view.Text(kFirstTopicView).empty());
    Receive(Payload(MessageKind::TopicClose,
                    "9\xA1"
                    "1"));
    Receive(Payload(MessageKind::TopicOpen,
                    "9\xA0U\xA0"
                    "0"));
    EXPECT_EQ(ctx().topics.AtTab(1)->view, kFirstTopicView);
    EXPECT_TRUE(view.Text(kFirstTopicView).empty());
}

TEST_F(TopicTabs, hiding_the_selected_private_tab_selects_its_left_neighbour) {
    state.settings.IsPrivateVisible = 1;
    StartClient();
    client->SelectTab(1);
    client->SetPrivateVisible(false);
    EXPECT_EQ(view.tabs.size(), 1U);
    EXPECT_EQ(view.selectedTab, 0);
    EXPECT_EQ(state.settings.IsPrivateVisible, 0);
    client->SetPrivateVisible(true);
    ASSERT_EQ(view.tabs.size(), 2U);
    EXPECT_EQ(view.tabs[1].caption, "Private Group");
}

}  // namespace
}  // namespace talvoro::chat
