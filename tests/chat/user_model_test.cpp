#include "chat/user_model.h"

#include <gtest/gtest.h>

#include "chat/user_details.h"
#include "chat/user_list.h"
#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using test::User;

TEST(UserActions, each_condition_disables_its_actions) {
    // details, reject, rejectChecked, whisper, transfer
    const std::pair<SelectionState, UserActions> cases[] = {
        {{.ownId = 9}, {}},
        {{.selected = true, .id = 9, .ownId = 9}, {true, false, false, false, false}},
        {{.selected = true, .id = 5, .ownId = 9}, {true, true, false, true, true}},
        {{.selected = true, .id = 5, .ownId = 9, .rejected = true}, {true, true, true, true, true}},
        {{.selected = true, .id = 5, .ownId = 9, .rejectsMe = true},
         {true, true, false, false, false}},
        {{.selected = true, .id = 5, .ownId = 9, .noFileReceive = true},
         {true, true, false, true, false}},
        {{.selected = true, .id = 5, .ownId = 9, .privateTabCurrent = true},
         {true, true, false, false, true}},
        {{.selected = true, .id = 5, .ownId = 9, .sendWorkerRunning = true},
         {true, true, false, true, false}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ComputeUserActions(cases[i].first), cases[i].second) << "case " << i;
    }
}

class UserList : public test::ChatFixture {
  protected:
    void SetUp() override {
        state.settings.IsPrivateVisible = 1;
        StartClient();
        Welcome({User(5, "bob"), User(6, "cid")});
    }
};

TEST_F(UserList, reject_toggle_tells_the_server_each_time_and_redraws_the_row) {
    client->ToggleRejectRow(view.RowOf("bob"));
    EXPECT_TRUE(ctx().users.RejectedList.Contains(5));
    client->ToggleRejectRow(view.RowOf("bob"));
    EXPECT_FALSE(ctx().users.RejectedList.Contains(5));
    EXPECT_EQ(view.Row("bob").icon, RowIcon::Normal);
    EXPECT_EQ(link.sent, std::vector<std::string>(2, net::RejectNotice{5}.Encode()));

    link.sent.clear();
    client->SetAllTicked(true);
    client->RejectTicked();  // every ticked row but the own one
    EXPECT_EQ(link.sent, (std::vector<std::string>{net::RejectNotice{1}.Encode(),
                                                   net::RejectNotice{5}.Encode(),
                                                   net::RejectNotice{6}.Encode()}));
}

// How ticks follow a rebuild is in the server frames' tests.
TEST_F(UserList, ticked_users_but_the_own_one_are_the_group_recipients) {
    client->SetRowTicked(view.RowOf("alice"), true);
    EXPECT_EQ(GroupRecipients(ctx()).count, 0);
    client->SetRowTicked(view.RowOf("bob"), true);
    const Recipients group = GroupRecipients(ctx());
    EXPECT_EQ(group.count, 1);
    EXPECT_EQ(group.list, "bob\n10.0.0.5\n");
    EXPECT_EQ(RowRecipients(ctx(), view.RowOf("bob")).list, "bob\n10.0.0.5\n");
    client->SetAllTicked(false);
    EXPECT_FALSE(view.Row("bob").ticked);
}

TEST_F(UserList, selection_enables_the_actions_of_the_selected_user) {
    client->SelectUserRow(view.RowOf("bob"));
    EXPECT_TRUE(view.actions.whisper);
    client->SelectTab(1);  // Private Group
    EXPECT_FALSE(view.actions.whisper);
    EXPECT_EQ(client->WhisperPrefixForRow("@@ann: hello", view.RowOf("bob")), "@@bob: hello");
    EXPECT_EQ(client->WhisperPrefixForRow("hello", view.RowOf("bob")), "@@bob: hello");
    EXPECT_EQ(client->WhisperPrefixForRow("hello", 42), "hello");
}

TEST(UserDetails, six_lines_with_padded_colour_and_file_receive_state) {
    OnlineUser user;
    user.id = 1500;
    user.name = "ann";
    user.address = "192.168.1.20";
    user.logonTime = 1110899106;  // 2005-03-15 15:05:06
    user.color = 0x0080FF;        // red 255, green 128, blue 0
    user.version = 1550;
    EXPECT_EQ(UserDetailsTitle(user), "User Detail: ann");
    EXPECT_EQ(UserDetailsText(user, true),
              "Network ID: #1500\nIP Address: 192.168.1.20\nLogon: 15-03-05 15:05:06\n"
              "RGB Color: 255 128 000 \nFile Receive: Disabled\nClient Version: 1.5.5.0");
    user.color = 0xAA0000;
    const std::string allowed = UserDetailsText(user, false);
    EXPECT_NE(allowed.find("\nRGB Color: 000 000 170 \n"), std::string::npos);
    EXPECT_NE(allowed.find("\nFile Receive: Allowed\n"), std::string::npos);
}

}  // namespace
}  // namespace talvoro::chat
