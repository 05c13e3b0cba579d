#include "chat/topic_list.h"

#include <gtest/gtest.h>

namespace talvoro::chat {
namespace {

TEST(TopicList, holds_three_topics_before_the_private_group_and_refuses_a_fourth) {
    TopicList topics(true, 100);
    EXPECT_EQ(topics.InsertTopic(5, "a", false, 1), 1);
    EXPECT_EQ(topics.InsertTopic(5, "b", false, 1), 2);
    EXPECT_EQ(topics.InsertTopic(5, "c", false, 1), 3);
    EXPECT_FALSE(topics.InsertTopic(5, "d", false, 1));
    EXPECT_EQ(topics.AtTab(3)->view, 503);
    EXPECT_EQ(topics.AtTab(4)->view, kPrivateView);
    EXPECT_EQ(topics.TabCount(), 5);
    for (const int notATopic : {-1, 0, 4, 5}) {
        EXPECT_FALSE(topics.RemoveTopic(notATopic)) << notATopic;
    }
    EXPECT_EQ(topics.TopicCount(), 3);
}

TEST(TopicList, a_closed_topics_view_is_reused_last_in_first_out) {
    TopicList topics(false, 100);
    topics.InsertTopic(5, "a", false, 1);  // 501
    topics.InsertTopic(5, "b", false, 1);  // 502
    EXPECT_EQ(topics.RemoveTopic(1)->title, "a");
    EXPECT_EQ(topics.AtTab(1)->view, 502);
    EXPECT_EQ(topics.InsertTopic(5, "c", false, 1), 2);
    EXPECT_EQ(topics.AtTab(2)->view, 501);
    EXPECT_EQ(topics.InsertTopic(5, "d", false, 1), 3);
    EXPECT_EQ(topics.AtTab(3)->view, 503);
}

}  // namespace
}  // namespace talvoro::chat
