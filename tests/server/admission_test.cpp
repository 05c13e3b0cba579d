#include "server/admission.h"

#include <string>

#include "core_fixture.h"
#include "net/user_roster.h"

namespace talvoro::server {
namespace {

using net::MessageKind;

std::string RefusalText(std::string_view clientText) {
    return K(MessageKind::Refusal) + "** " + std::string(clientText) + " SERVER srvhost!";
}

net::UserRoster RosterOf(const Sent& sent) {
    EXPECT_EQ(sent.payload[0], net::KindChar(MessageKind::UserRoster));
    return net::DecodeUserRoster(std::string_view(sent.payload).substr(1)).value();
}

using Admission = CoreTest;

TEST_F(Admission, refuses_the_17th_connection_without_a_record) {
    for (ConnectionId id = 10; id < 26; ++id) {
        Accept(id);
    }
    ASSERT_EQ(core.RecordCount(), 16U);
    Forget();

    Accept(26, "10.0.0.26");

    EXPECT_EQ(Sends(), (std::vector<Sent>{{26, 0, RefusalText("Too many users connected to")}}));
    EXPECT_EQ(core.RecordCount(), 16U);
    EXPECT_EQ(Closed(), std::vector<ConnectionId>{26});
    EXPECT_EQ(Lines(LineTarget::MainView),
              std::vector<std::string>{"** Client could not connect (too many users) (12:34:56)"});
    EXPECT_EQ(Logs(),
              std::vector<std::string>{"Client could not connect (too many users) (10.0.0.26)"});
}

TEST_F(Admission, refuses_a_banned_address_at_connect_time_before_any_logon) {
    JoinOperator();
    Join(7, "bob", "10.0.0.7");
    Receive(kOperator, K(MessageKind::BanCommand) + "**ban bob");
    Forget();

    Accept(8, "10.0.0.7");

    EXPECT_EQ(Sends(), (std::vector<Sent>{{8, 0, RefusalText("You are already banned at")}}));
    EXPECT_EQ(Closed(), std::vector<ConnectionId>{8});
    EXPECT_EQ(core.RecordCount(), 1U);
    EXPECT_EQ(Logs(), std::vector<std::string>{"Banned client tried to connect (10.0.0.7)"});
}

TEST_F(Admission, refuses_names_that_differ_only_in_folded_case) {
    Join(7, "Bob\xC4\xDF");
    struct Case {
        std::string name;
        bool taken;
    };
    const Case cases[] = {{"bob\xE4\xFF", true},
                          {"BOB\xC4\xDF", true},
                          {"  bOb\xE4\xDF ", true},  // trimmed first
                          {"bob\xE4", false},
                          {"bob\xC4\xDE", false}};
    ConnectionId id = 20;
    for (const Case& c : cases) {
        Accept(++id);
        Forget();
        Logon(id, c.name);
        const std::vector<ConnectionId> closed = Closed();
        EXPECT_EQ(!closed.empty(), c.taken) << c.name;
    }
    // Lower-case bytes are not folded the other way: 0xE4 against 0xC4 is only equal folded.
    EXPECT_TRUE(NamesEqualFolded("\xE4", "\xC4"));
    EXPECT_FALSE(NamesEqualFolded("[", "{"));
    EXPECT_FALSE(NamesEqualFolded("ab", "abc"));
}

TEST_F(Admission, a_duplicate_gets_the_refusal_and_loses_its_record) {
    Join(7, "bob");
    Accept(8);
    Forget();

    Logon(8, "BOB");

    EXPECT_EQ(Sends(),
              (std::vector<Sent>{{8, 0, RefusalText("User BOB is already connected to")}}));
    EXPECT_EQ(Lines(LineTarget::MainView),
              std::vector<std::string>{"** New user BOB tried to connect.\n** Has been rejected "
                                       "because of duplicate username (12:34:56)"});
    EXPECT_EQ(core.RecordCount(), 1U);
}

TEST_F(Admission, refuses_an_empty_or_blank_name_as_a_duplicate) {
    for (const char* name : {"", "   "}) {
        Accept(8);
        Forget();
        Logon(8, name);
        EXPECT_EQ(Sends(),
                  (std::vector<Sent>{{8, 0, RefusalText("User  is already connected to")}}));
        EXPECT_EQ(core.RecordCount(), 0U);
    }
}

TEST_F(Admission, applies_the_version_rules) {
    struct Case {
        const char* version;
        const char* oldest;
        const char* refusal;  // client text, or null when admitted
    };
    const Case cases[] = {
        {"1399", "1550", "Sorry, you can't connect to"},
        {"1600", "1399", "Sorry, you can't connect to"},
        {"1400", "1550",
         "Your client version is way too old. Upgrade to at least version 1.6.0.0 and "
         "reconnect to"},
        {"1599", "1550",
         "Your client version is way too old. Upgrade to at least version 1.6.0.0 and "
         "reconnect to"},
        {"1600", "1601",
         "Your client version 1.6.0.0 can't be handled by the server.\n** I'm sorry, you won't "
         "be able to connect to"},
        {"100000", "1550", "Sorry, you can't connect to"},  // -31072 as 16 bits
        {"1600", "1600", nullptr},
        {"1700", "1400", nullptr},
    };
    ConnectionId id = 10;
    for (const Case& c : cases) {
        Accept(++id);
        Forget();
        Logon(id, "user" + std::to_string(id), c.version, c.oldest);
        const std::vector<Sent> sent = Sends();
        ASSERT_FALSE(sent.empty());
        if (c.refusal == nullptr) {
            EXPECT_EQ(sent[0].payload[0], net::KindChar(MessageKind::UserRoster)) << c.version;
        } else {
            EXPECT_EQ(sent, (std::vector<Sent>{{id, 0, RefusalText(c.refusal)}})) << c.version;
        }
    }
    EXPECT_EQ(core.state().serverVersion, 1700);
}

TEST_F(Admission, shows_which_client_the_server_is_too_old_for) {
    Accept(8);
    Logon(8, "new", "1700", "1601");
    EXPECT_EQ(
        Lines(LineTarget::MainView),
        std::vector<std::string>{"** Server (1.6.0.0) is too old for client (1.7.0.0) (12:34:56)"});
}

class AdmissionWithPush : public CoreTest {
  protected:
    AdmissionWithPush() : CoreTest(ServerConfig{"srvhost", true, std::chrono::seconds(60)}) {}
};

TEST_F(AdmissionWithPush, hands_an_outdated_client_to_the_version_push_and_keeps_it_open) {
    Join(7, "alice");
    Accept(8, "10.0.0.8");
    Forget();

    Logon(8, "old", "1550", "1500", "1");

    EXPECT_TRUE(Sends().empty());
    ASSERT_EQ(Collected<action::StartVersionPush>().size(), 1U);
    EXPECT_EQ(Collected<action::StartVersionPush>()[0].request,
              (VersionPushRequest{8, "old", "10.0.0.8", "1.5.5.0", true}));
    EXPECT_TRUE(Closed().empty());
    EXPECT_EQ(core.RecordCount(), 1U);

    // Out of the table: a second Logon does nothing, the push may refuse it by id.
    Logon(8, "old2");
    EXPECT_TRUE(Sends().empty());
    core.Refuse(8, "gone", "bye");
    EXPECT_EQ(Sends(), (std::vector<Sent>{{8, 0, RefusalText("bye")}}));
    EXPECT_EQ(Logs(), std::vector<std::string>{"gone (10.0.0.8)"});
}

TEST_F(Admission, a_second_logon_on_a_named_connection_has_no_effect) {
    Join(7, "bob");
    Logon(7, "robert");
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(core.state().table.NameOf(7), "bob");
}

TEST_F(Admission, a_logon_on_a_connection_without_a_record_has_no_effect) {
    Logon(9, "ghost");
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(core.RecordCount(), 0U);
}

TEST_F(Admission, the_third_user_gets_the_whole_roster_last_and_the_others_its_record) {
    JoinOperator("op");
    Join(7, "alice", "10.0.0.7");
    Receive(7, K(MessageKind::AwayStatus) + "1");
    Forget();
    Accept(8, "10.0.0.8");
    Forget();

    Logon(8, "bob", "1600", "1550", "1");

    const std::vector<Sent> sent = Sends();
    ASSERT_EQ(sent.size(), 3U);
    EXPECT_EQ(sent[0].to, 8);
    EXPECT_EQ(sent[0].payload.size() + 3, 177U);
    const net::UserRoster full = RosterOf(sent[0]);
    ASSERT_EQ(full.users.size(), 3U);
    EXPECT_EQ(full.users[0].name, "op");
    EXPECT_EQ(full.users[1].name, "alice");
    EXPECT_TRUE(full.users[1].away);
    EXPECT_EQ(full.users[2],
              (net::UserRecord{8, test::kTestNoon, "bob", 255, "10.0.0.8", 1600, true, false}));
    EXPECT_EQ(full.serverVersion, 1600);
    for (const Sent& one : {sent[1], sent[2]}) {
        EXPECT_EQ(one.payload.size() + 3, 63U);
        EXPECT_EQ(RosterOf(one).users, std::vector<net::UserRecord>{full.users[2]});
        EXPECT_EQ(one.topic, 0);
    }
    EXPECT_EQ(sent[1].to, kOperator);
    EXPECT_EQ(sent[2].to, 7);
    // Topics go to newcomers, not to the operator's own client.
    ASSERT_EQ(Collected<action::SendStickyTopics>().size(), 1U);
    EXPECT_EQ(Collected<action::SendStickyTopics>()[0].id, 8);
    EXPECT_TRUE(Collected<action::SendStickyTopics>()[0].fileServerOff);
}

TEST_F(Admission, unnamed_connections_are_listed_and_receive_the_newcomer) {
    Accept(6);
    Accept(7);
    Forget();
    Logon(7, "alice");
    const std::vector<Sent> sent = Sends();
    ASSERT_EQ(sent.size(), 2U);
    EXPECT_EQ(RosterOf(sent[0]).users.size(), 2U);
    EXPECT_EQ(RosterOf(sent[0]).users[0].name, "");
    EXPECT_EQ(sent[1].to, 6);
}

TEST_F(Admission, cuts_long_names_and_addresses_in_the_roster_only) {
    const std::string longName(30, 'n');
    Accept(7, "10.100.200.250");
    Logon(7, longName);
    const net::UserRoster roster = RosterOf(Sends().at(0));
    EXPECT_EQ(roster.users[0].name, longName.substr(0, 24));
    EXPECT_EQ(roster.users[0].address, "10.100.200.250");
    EXPECT_EQ(core.state().table.NameOf(7), longName);
}

TEST_F(Admission, an_unnamed_connection_that_quits_is_only_logged) {
    Join(7, "alice");
    Accept(8, "10.0.0.8");
    Forget();
    core.Closed(8);
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(Logs(), std::vector<std::string>{"Unknown user has quit! (10.0.0.8)"});
}

TEST_F(Admission, closes_a_connection_that_does_not_log_on_within_the_deadline) {
    Accept(7, "10.0.0.7");
    clock.Advance(std::chrono::seconds(30));
    Accept(8, "10.0.0.8");
    Logon(8, "bob");
    Forget();
    EXPECT_EQ(core.NextDeadline(), clock.now + std::chrono::seconds(30));

    clock.Advance(std::chrono::seconds(29));
    core.Tick();
    EXPECT_TRUE(Closed().empty());

    clock.Advance(std::chrono::seconds(1));
    core.Tick();
    EXPECT_EQ(Closed(), std::vector<ConnectionId>{7});
    EXPECT_EQ(core.RecordCount(), 1U);
    EXPECT_EQ(core.NextDeadline(), std::nullopt);
    EXPECT_TRUE(Sends().empty());
}

}  // namespace
}  // namespace talvoro::server
