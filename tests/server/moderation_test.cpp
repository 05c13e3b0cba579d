#include "server/moderation.h"

#include "core_fixture.h"

namespace talvoro::server {
namespace {

using net::MessageKind;

class Moderation : public CoreTest {
  protected:
    void SetUp() override {
        JoinOperator("op");
        Join(7, "alice", "10.0.0.7");
        Join(8, "bob", "10.0.0.8");
    }

    std::string UserQuit(ConnectionId id, const std::string& line) {
        return K(MessageKind::UserQuit) + std::to_string(id) + K(MessageKind::UserQuit) + line;
    }
};

TEST_F(Moderation, a_kick_notifies_the_user_closes_it_and_tells_everyone_else) {
    Receive(kOperator, K(MessageKind::KickCommand) + "**kick bob", 1);
    const std::string quit = UserQuit(8, "** bob has been kicked from server");
    EXPECT_EQ(
        Sends(),
        (std::vector<Sent>{
            {8, 1, K(MessageKind::ServerNotice) + "** You have been kicked from SERVER srvhost"},
            {kOperator, 1, quit},
            {7, 1, quit}}));
    EXPECT_EQ(Closed(), std::vector<ConnectionId>{8});
    EXPECT_EQ(Collected<action::ClearOperatorInput>().size(), 1U);
    EXPECT_TRUE(core.state().banList.empty());

    // A kicked user may come back at once.
    Accept(9, "10.0.0.8");
    Logon(9, "bob");
    EXPECT_EQ(core.RecordCount(), 3U);
}

TEST_F(Moderation, a_ban_also_bars_the_users_address) {
    Receive(kOperator, K(MessageKind::BanCommand) + "**ban bob");
    const std::vector<Sent> sent = Sends();
    ASSERT_EQ(sent.size(), 3U);
    EXPECT_EQ(sent[0].payload,
              K(MessageKind::ServerNotice) + "** You have been banned from SERVER srvhost");
    EXPECT_EQ(sent[1].payload, UserQuit(8, "** bob has been banned from server"));
    EXPECT_EQ(core.state().banList, std::vector<std::string>{"10.0.0.8"});
    EXPECT_TRUE(IsBanned(core.state(), "10.0.0.8"));
    EXPECT_FALSE(IsBanned(core.state(), ""));
}

TEST_F(Moderation, kicking_oneself_only_shows_a_line) {
    Receive(kOperator, K(MessageKind::KickCommand) + "**kick op");
    Receive(kOperator, K(MessageKind::BanCommand) + "**ban op");
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(Lines(LineTarget::CurrentTab),
              (std::vector<std::string>{"** Kicking yourself looks a little bit strange :-)",
                                        "** Banning yourself looks a little bit strange :-)"}));
    EXPECT_EQ(core.RecordCount(), 3U);
}

TEST_F(Moderation, an_unknown_name_is_reported_to_the_operator) {
    Receive(kOperator, K(MessageKind::KickCommand) + "**kick Bob");  // names compare exactly
    Receive(kOperator, K(MessageKind::BanCommand) + "**ban");        // too short: empty name
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(
        Lines(LineTarget::CurrentTab),
        (std::vector<std::string>{"** User Bob not found, Sorry!", "** User  not found, Sorry!"}));
    EXPECT_TRUE(core.state().banList.empty());
}

TEST_F(Moderation, only_the_operators_connection_may_kick_ban_or_end_the_server) {
    Receive(7, K(MessageKind::KickCommand) + "**kick bob");
    Receive(7, K(MessageKind::BanCommand) + "**ban bob");
    Receive(7, K(MessageKind::Refusal) + "** Server has been terminated!");
    EXPECT_TRUE(Sends().empty());
    EXPECT_TRUE(Closed().empty());
    EXPECT_EQ(core.RecordCount(), 3U);
    const std::vector<std::string> logs = Logs();
    ASSERT_EQ(logs.size(), 3U);
    EXPECT_EQ(logs[0],
              "KickCommand from alice (10.0.0.7) ignored: only the server operator may send it");
}

TEST_F(Moderation, the_operators_refusal_is_rebroadcast_unchanged) {
    const std::string refusal = K(MessageKind::Refusal) + "** Server has been terminated!";
    Receive(kOperator, refusal);
    EXPECT_EQ(Sends(),
              (std::vector<Sent>{{kOperator, 0, refusal}, {7, 0, refusal}, {8, 0, refusal}}));
}

TEST_F(Moderation, the_operator_is_recognised_whether_registered_before_or_after_the_accept) {
    Forget();
    Accept(20, "127.0.0.1", 50100);
    Logon(20, "late");
    core.SetOperatorPeer(PeerEndpoint{"127.0.0.1", 50100});
    Forget();
    Receive(20, K(MessageKind::KickCommand) + "**kick bob");
    EXPECT_EQ(Closed(), std::vector<ConnectionId>{8});
    // The previous operator connection lost its powers.
    Receive(kOperator, K(MessageKind::KickCommand) + "**kick alice");
    EXPECT_EQ(Closed(), std::vector<ConnectionId>{8});
}

}  // namespace
}  // namespace talvoro::server
