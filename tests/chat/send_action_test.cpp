#include "chat/send_action.h"

#include <gtest/gtest.h>

#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using net::MessageKind;
using test::Payload;
using test::User;

class SendAction : public test::ChatFixture {
  protected:
    void SetUp() override {
        StartClient();
        Welcome({User(5, "bob", 0x00FF00), User(6, "cid"), User(7, "dan")});
    }

    std::vector<std::string> Sent() const { return link.sent; }
};

TEST_F(SendAction, public_message_is_sent_unchanged_on_the_selected_tab_without_echo) {
    int awayResets = 0;
    ctx().hooks.awayReset = [&] { ++awayResets; };
    const std::string before = view.Text(kMainView);
    EXPECT_EQ(client->Send("hello all"), SendOutcome::Cleared);
    EXPECT_EQ(Sent(), std::vector<std::string>{Payload(MessageKind::PublicMessage, "hello all")});
    EXPECT_EQ(link.sentOnTab, std::vector<int>{0});
    EXPECT_EQ(view.Text(kMainView), before);
    EXPECT_EQ(awayResets, 1);
    EXPECT_EQ(view.scrolls, std::vector<int>{kMainView});
}

TEST_F(SendAction, whisper_sends_the_whole_line_and_echoes_head_and_body) {
    EXPECT_EQ(client->Send("@@bob: hi"), SendOutcome::Cleared);
    EXPECT_EQ(Sent(), std::vector<std::string>{Payload(MessageKind::Whisper, "@@bob: hi")});
    const auto& runs = view.Runs(kMainView);
    ASSERT_GE(runs.size(), 2U);
    const TextRun& head = runs[runs.size() - 2];
    const TextRun& body = runs.back();
    EXPECT_EQ(head.text, "[12:34:56] @bob:");
    EXPECT_TRUE(head.bold);
    EXPECT_EQ(head.color, 0x0000AA);
    EXPECT_EQ(body.text, " hi\n");
    EXPECT_FALSE(body.bold);
    EXPECT_EQ(body.color, 0x0000AA);
    EXPECT_EQ(body.face, "Verdana");
    EXPECT_EQ(body.size, 9);
}

TEST_F(SendAction, colon_without_blank_or_right_after_the_at_signs_is_public) {
    client->Send("@@bob:hi");
    client->Send("@@: hi");
    EXPECT_EQ(Sent(), (std::vector<std::string>{Payload(MessageKind::PublicMessage, "@@bob:hi"),
                                                Payload(MessageKind::PublicMessage, "@@: hi")}));
}

TEST_F(SendAction, whisper_with_a_blank_body_sends_nothing_and_keeps_the_text) {
    const std::string before = view.Text(kMainView);
    EXPECT_EQ(client->Send("@@bob:    "), SendOutcome::Kept);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(view.Text(kMainView), before);
}

TEST_F(SendAction, empty_line_only_scrolls) {
    EXPECT_EQ(client->Send(""), SendOutcome::Kept);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(view.scrolls, std::vector<int>{kMainView});
}

TEST_F(SendAction, empty_line_on_the_private_group_tab_sends_nothing) {
    client->SetPrivateVisible(true);
    client->SelectTab(1);
    EXPECT_EQ(client->Send(""), SendOutcome::Kept);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(SendAction, group_whisper_skips_rejecting_members_and_echoes_the_others) {
    client->SetRowTicked(RowOf("bob"), true);
    client->SetRowTicked(RowOf("cid"), true);
    client->SetRowTicked(RowOf("dan"), true);
    Receive(Payload(MessageKind::RejectNotice, "6"));  // cid rejects us
    link.sent.clear();

    EXPECT_EQ(client->Send("@@[]: psst"), SendOutcome::Cleared);
    EXPECT_EQ(Sent(), (std::vector<std::string>{Payload(MessageKind::Whisper, "@@bob: psst"),
                                                Payload(MessageKind::Whisper, "@@dan: psst")}));
    const auto lines = view.Lines(kMainView);
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[lines.size() - 2], "** cid rejects your messages!");
    EXPECT_EQ(lines.back(), "[12:34:56] @[bob][dan]: psst");
}

TEST_F(SendAction, group_whisper_replaces_every_group_prefix_in_the_line) {
    client->SetRowTicked(RowOf("bob"), true);
    client->Send("@@[]: a @@[]: b");
    EXPECT_EQ(Sent(), std::vector<std::string>{Payload(MessageKind::Whisper, "@@bob: a @@bob: b")});
}

TEST_F(SendAction, own_row_is_skipped_in_a_group_even_when_ticked) {
    client->SetRowTicked(RowOf("alice"), true);
    EXPECT_EQ(client->Send("@@[]: hi"), SendOutcome::Kept);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(view.LastLine(kMainView), "** No valid group selected, please try again!");
}

TEST_F(SendAction, every_line_on_the_private_group_tab_is_a_group_whisper) {
    client->SetPrivateVisible(true);
    client->SetRowTicked(RowOf("bob"), true);
    client->SelectTab(1);
    EXPECT_EQ(client->Send("secret"), SendOutcome::Cleared);
    EXPECT_EQ(Sent(), std::vector<std::string>{Payload(MessageKind::Whisper, "@@bob: secret")});
    EXPECT_EQ(link.sentOnTab, std::vector<int>{1});
    EXPECT_EQ(view.LastLine(kPrivateView), "[12:34:56] @[bob]: secret");
}

TEST_F(SendAction, addressing_errors_are_notices_in_the_current_tab) {
    client->SetPrivateVisible(false);
    Receive(Payload(MessageKind::RejectNotice, "5"));
    link.sent.clear();
    EXPECT_EQ(client->Send("@@alice: me"), SendOutcome::Kept);
    EXPECT_EQ(view.LastLine(kMainView), "** Looking strange talking to yourself :-)");
    EXPECT_EQ(client->Send("@@Bob: hi"), SendOutcome::Kept);
    EXPECT_EQ(view.LastLine(kMainView), "** User Bob not found, sorry!");
    EXPECT_EQ(client->Send("@@bob: hi"), SendOutcome::Kept);
    EXPECT_EQ(view.LastLine(kMainView), "** bob rejects your messages!");
    EXPECT_TRUE(Sent().empty());
    const TextRun& notice = view.Runs(kMainView).back();
    EXPECT_EQ(notice.color, kBlack);
    EXPECT_FALSE(notice.bold);
}

TEST_F(SendAction, whisper_echo_goes_to_the_current_tab) {
    Receive(Payload(MessageKind::TopicOpen,
                    "5\xA0Games\xA0"
                    "0"));
    client->SelectTab(1);
    client->Send("@@bob: hi");
    EXPECT_EQ(link.sentOnTab, std::vector<int>{1});
    EXPECT_EQ(view.LastLine(kFirstTopicView), "[12:34:56] @bob: hi");
    EXPECT_EQ(ctx().text.EchoView(), kFirstTopicView);
}

TEST_F(SendAction, duplicate_names_address_the_first_row) {
    Receive(net::EncodeUserRoster(std::vector<net::UserRecord>{User(8, "bob")}, 1600));
    Receive(Payload(MessageKind::RejectNotice, "8"));  // the second bob rejects us
    link.sent.clear();
    EXPECT_EQ(client->Send("@@bob: hi"), SendOutcome::Cleared);
    EXPECT_EQ(Sent().size(), 1U);
}

TEST_F(SendAction, kick_and_ban_are_commands_only_where_the_server_runs) {
    client->Send("**KiCk bob");
    EXPECT_EQ(Sent(), std::vector<std::string>{Payload(MessageKind::PublicMessage, "**KiCk bob")});
    link.sent.clear();
    state.ServerRunning = true;
    EXPECT_EQ(client->Send("**KICK bob"), SendOutcome::Kept);
    EXPECT_EQ(client->Send("**bAn bob"), SendOutcome::Kept);
    EXPECT_EQ(Sent(), (std::vector<std::string>{Payload(MessageKind::KickCommand, "**KICK bob"),
                                                Payload(MessageKind::BanCommand, "**bAn bob")}));
}

TEST_F(SendAction, time_prefix_is_left_out_when_always_mess_time_is_off) {
    state.settings.AlwaysMessTime = 0;
    client->Send("@@bob: hi");
    EXPECT_EQ(view.LastLine(kMainView), "@bob: hi");
}

TEST(LowerCase1252, lowers_ascii_and_the_upper_latin_block) {
    EXPECT_EQ(LowerCase1252("**KICK \xC4\xDF"), "**kick \xE4\xFF");
    EXPECT_EQ(LowerCase1252("\xE0z"), "\xE0z");
}

TEST(ReplaceAll, replaces_each_occurrence_once) {
    EXPECT_EQ(ReplaceAll("@@[]: a @@[]: ", "@@[]: ", "@@x: "), "@@x: a @@x: ");
    EXPECT_EQ(ReplaceAll("none", "@@[]: ", "x"), "none");
}

}  // namespace
}  // namespace talvoro::chat
