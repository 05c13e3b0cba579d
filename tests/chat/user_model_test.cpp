#include "chat/user_model.h"

#include <gtest/gtest.h>

#include "chat/user_list.h"
#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using test::ChatFixture;
using test::Payload;
using test::User;

RowState Row(bool away, bool self, bool rejected, bool rejectsMe, bool noFile, bool halt) {
    return RowState{away, self, rejected, rejectsMe, noFile, halt};
}

TEST(RowIcon, follows_the_first_matching_rule) {
    // away, self, rejected, rejectsMe, noFile, ownHalt
    EXPECT_EQ(RowIconFor(Row(true, true, true, true, true, true)), RowIcon::Away);
    EXPECT_EQ(RowIconFor(Row(false, true, true, true, true, true)), RowIcon::Self);
    EXPECT_EQ(RowIconFor(Row(false, false, true, true, true, true)), RowIcon::RejectBoth);
    EXPECT_EQ(RowIconFor(Row(false, false, true, false, true, false)),
              RowIcon::RejectedNoFileReceive);
    EXPECT_EQ(RowIconFor(Row(false, false, true, false, false, true)), RowIcon::RejectedByMe);
    EXPECT_EQ(RowIconFor(Row(false, false, false, true, true, true)), RowIcon::RejectsMeOwnFileOff);
    EXPECT_EQ(RowIconFor(Row(false, false, false, true, true, false)), RowIcon::RejectsMe);
    EXPECT_EQ(RowIconFor(Row(false, false, false, false, true, false)), RowIcon::NormalUserFileOff);
    EXPECT_EQ(RowIconFor(Row(false, false, false, false, false, false)), RowIcon::Normal);
    EXPECT_EQ(RowIconFor(Row(false, false, false, false, true, true)), RowIcon::NormalBothFileOff);
    EXPECT_EQ(RowIconFor(Row(false, false, false, false, false, true)), RowIcon::NormalOwnFileOff);
}

TEST(UserActions, all_disabled_when_nothing_is_selected) {
    SelectionState s;
    s.ownId = 9;
    EXPECT_EQ(ComputeUserActions(s), UserActions{});
}

TEST(UserActions, own_row_allows_only_details) {
    SelectionState s{true, 9, 9};
    const UserActions a = ComputeUserActions(s);
    EXPECT_TRUE(a.details);
    EXPECT_FALSE(a.reject);
    EXPECT_FALSE(a.whisper);
    EXPECT_FALSE(a.transfer);
}

TEST(UserActions, each_condition_disables_its_actions) {
    const SelectionState other{true, 5, 9};
    EXPECT_EQ(ComputeUserActions(other), (UserActions{true, true, false, true, true}));

    SelectionState rejectsMe = other;
    rejectsMe.rejectsMe = true;
    EXPECT_EQ(ComputeUserActions(rejectsMe), (UserActions{true, true, false, false, false}));

    SelectionState privateTab = other;
    privateTab.privateTabCurrent = true;
    EXPECT_EQ(ComputeUserActions(privateTab), (UserActions{true, true, false, false, true}));

    SelectionState noFile = other;
    noFile.noFileReceive = true;
    EXPECT_EQ(ComputeUserActions(noFile), (UserActions{true, true, false, true, false}));

    SelectionState busy = other;
    busy.sendWorkerRunning = true;
    EXPECT_EQ(ComputeUserActions(busy), (UserActions{true, true, false, true, false}));

    SelectionState rejected = other;
    rejected.rejected = true;
    EXPECT_TRUE(ComputeUserActions(rejected).rejectChecked);
}

TEST(WhisperPrefix, replaces_an_existing_prefix) {
    EXPECT_EQ(WhisperPrefix("@@ann: hello", "bob"), "@@bob: hello");
    EXPECT_EQ(WhisperPrefix("@@[]: hello", "bob"), "@@bob: hello");
}

TEST(WhisperPrefix, prepends_to_plain_text) {
    EXPECT_EQ(WhisperPrefix("hello", "bob"), "@@bob: hello");
    EXPECT_EQ(WhisperPrefix("", "[]"), "@@[]: ");
}

TEST(WhisperPrefix, drops_only_the_first_character_of_an_unfinished_prefix) {
    EXPECT_EQ(WhisperPrefix("@@ann", "bob"), "@@bob: @ann");
    // ": " right after "@@" does not count: it is searched from the 4th character on.
    EXPECT_EQ(WhisperPrefix("@@: x", "bob"), "@@bob: @: x");
}

UserModel ThreeUsers() {
    UserModel model;
    model.Append(OnlineUser{1, 0, "ann", 0, "", 1600});
    model.Append(OnlineUser{2, 0, "bob", 0, "", 1600});
    model.Append(OnlineUser{3, 0, "cid", 0, "", 1600});
    return model;
}

TEST(UserModel, removing_the_selected_last_row_selects_the_new_last_row) {
    UserModel model = ThreeUsers();
    model.Select(2);
    EXPECT_TRUE(model.Remove(3));
    EXPECT_EQ(model.SelectedRow(), 1);
}

TEST(UserModel, removal_keeps_the_selected_row_number) {
    UserModel model = ThreeUsers();
    model.Select(1);
    model.Remove(1);
    EXPECT_EQ(model.SelectedRow(), 1);
    EXPECT_EQ(model.AtRow(1)->name, "cid");
}

TEST(UserModel, a_tick_stays_with_its_user_when_a_user_above_leaves) {
    UserModel model = ThreeUsers();
    model.SetTicked(1, true);  // bob
    model.Remove(1);           // ann leaves
    EXPECT_TRUE(model.Ticked(0));
    EXPECT_EQ(model.AtRow(0)->name, "bob");
    EXPECT_FALSE(model.Ticked(1));
}

class UserList : public ChatFixture {};

TEST_F(UserList, toggling_reject_twice_sends_two_notices_and_restores_the_set) {
    StartClient();
    Welcome({User(5, "bob")});
    const int bob = RowOf("bob");
    client->ToggleRejectRow(bob);
    EXPECT_TRUE(ctx().users.RejectedList.Contains(5));
    EXPECT_EQ(view.rows[static_cast<std::size_t>(bob)].icon, RowIcon::RejectedByMe);
    client->ToggleRejectRow(bob);
    EXPECT_FALSE(ctx().users.RejectedList.Contains(5));
    EXPECT_EQ(link.sent, (std::vector<std::string>{Payload(net::MessageKind::RejectNotice, "5"),
                                                   Payload(net::MessageKind::RejectNotice, "5")}));
    EXPECT_EQ(view.rows[static_cast<std::size_t>(bob)].icon, RowIcon::Normal);
}

TEST_F(UserList, reject_ticked_skips_the_own_row_and_resets_away) {
    int awayResets = 0;
    hooks.awayReset = [&] { ++awayResets; };
    StartClient();
    Welcome({User(5, "bob"), User(6, "cid")});
    client->SetAllTicked(true);
    client->RejectTicked();
    EXPECT_EQ(link.sent, (std::vector<std::string>{Payload(net::MessageKind::RejectNotice, "1"),
                                                   Payload(net::MessageKind::RejectNotice, "5"),
                                                   Payload(net::MessageKind::RejectNotice, "6")}));
    EXPECT_FALSE(ctx().users.RejectedList.Contains(9));
    EXPECT_EQ(awayResets, 1);
}

TEST_F(UserList, ticks_are_rendered_and_kept_across_rebuilds) {
    StartClient();
    Welcome({User(5, "bob")});
    client->SetRowTicked(RowOf("bob"), true);
    Receive(test::Relayed(net::MessageKind::AwayStatus, 5, "1"));  // rebuilds the list
    EXPECT_TRUE(view.rows[static_cast<std::size_t>(RowOf("bob"))].ticked);
    EXPECT_TRUE(view.rows[static_cast<std::size_t>(RowOf("bob"))].grey);
    client->SetAllTicked(false);
    EXPECT_FALSE(view.rows[static_cast<std::size_t>(RowOf("bob"))].ticked);
}

TEST_F(UserList, nothing_selected_disables_every_user_action) {
    StartClient();
    Welcome({User(5, "bob")});
    client->SelectUserRow(-1);
    EXPECT_EQ(view.actions, UserActions{});
    client->SelectUserRow(RowOf("bob"));
    EXPECT_TRUE(view.actions.whisper);
}

TEST_F(UserList, whisper_is_disabled_on_the_private_group_tab) {
    state.settings.IsPrivateVisible = 1;
    StartClient();
    Welcome({User(5, "bob")});
    client->SelectUserRow(RowOf("bob"));
    client->SelectTab(1);
    EXPECT_FALSE(view.actions.whisper);
    EXPECT_TRUE(view.actions.transfer);
    client->SetSendWorkerRunning(true);
    EXPECT_FALSE(view.actions.transfer);
}

TEST_F(UserList, group_transfer_without_other_ticked_users_has_no_recipient) {
    StartClient();
    Welcome({User(5, "bob")});
    client->SetRowTicked(RowOf("alice"), true);
    EXPECT_EQ(GroupRecipients(ctx()).count, 0);
    client->SetRowTicked(RowOf("bob"), true);
    const Recipients group = GroupRecipients(ctx());
    EXPECT_EQ(group.count, 1);
    EXPECT_EQ(group.list, "bob\n10.0.0.5\n");
    EXPECT_EQ(RowRecipients(ctx(), RowOf("bob")).list, "bob\n10.0.0.5\n");
}

TEST_F(UserList, whisper_prefix_for_a_row_uses_its_name) {
    StartClient();
    Welcome({User(5, "bob")});
    EXPECT_EQ(client->WhisperPrefixForRow("@@ann: hello", RowOf("bob")), "@@bob: hello");
    EXPECT_EQ(client->WhisperPrefixForRow("hello", 42), "hello");
    EXPECT_EQ(chat::ChatClient::GroupWhisperPrefix("hi"), "@@[]: hi");
}

}  // namespace
}  // namespace talvoro::chat
