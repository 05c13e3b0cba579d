#include "server/admission.h"

#include <string>

#include "core_fixture.h"
#include "net/messages.h"

namespace talvoro::server {
namespace {

using net::MessageKind;

net::UserRoster RosterOf(const Sent& sent) {
    EXPECT_EQ(sent.payload[0], net::KindChar(MessageKind::UserRoster));
    return net::UserRoster::Decode(std::string_view(sent.payload).substr(1)).value();
}

class Admission : public CoreTest {
  protected:
    // Only `id` was sent "** <clientText> SERVER srvhost!", then closed.
    void ExpectRefused(ConnectionId id, const std::string& clientText) {
        EXPECT_EQ(Sends(),
                  (std::vector<Sent>{
                      {id, 0, K(MessageKind::Refusal) + "** " + clientText + " SERVER srvhost!"}}));
        EXPECT_EQ(Closed(), std::vector<ConnectionId>{id});
    }
};

TEST_F(Admission, refuses_the_17th_connection_without_a_record) {
    for (ConnectionId id = 10; id < 26; ++id) {
        Accept(id);
    }
    Forget();
    Accept(26, "10.0.0.26");
    ExpectRefused(26, "Too many users connected to");
    EXPECT_EQ(core.RecordCount(), 16U);
    EXPECT_EQ(Logs(),
              std::vector<std::string>{"Client could not connect (too many users) (10.0.0.26)"});
}

// A name is trimmed and cut to 24 characters, then compared with case folding. A duplicate is
// refused; its line breaks stay out of the event log, so it cannot forge a record there.
TEST_F(Admission, refuses_empty_names_and_names_equal_after_trimming_cutting_and_case_folding) {
    const std::string cut(24, 'n');
    const std::string forger = "eve\r\nINFO: forged";
    Join(7, "Bob\xC4\xDF");
    Join(8, cut + "a");
    EXPECT_EQ(core.state().table.NameOf(8), cut);
    Join(9, forger);
    const struct {
        std::string name;
        const char* shownAs;     // in the refusal (null: admitted)
        std::string loggedAs{};  // in the record and the operator's line, when not shownAs
    } cases[] = {{"bob\xE4\xFF", "bob\xE4\xFF"},
                 {"BOB\xC4\xDF", "BOB\xC4\xDF"},
                 {"  bOb\xE4\xDF ", "bOb\xE4\xDF"},  // trimmed first
                 {"", ""},
                 {"   ", ""},
                 {cut + "b", cut.c_str()},
                 {forger, forger.c_str(), "eve  INFO: forged"},
                 {"bob\xE4", nullptr},
                 {"bob\xC4\xDE", nullptr}};
    ConnectionId id = 20;
    for (const auto& [name, shownAs, loggedAs] : cases) {
        SCOPED_TRACE(name);
        Arrive(++id, name);
        if (shownAs == nullptr) {
            EXPECT_EQ(Sends().at(0).payload[0], net::KindChar(MessageKind::UserRoster));
            continue;
        }
        ExpectRefused(id, "User " + std::string(shownAs) + " is already connected to");
        const std::string logged = loggedAs.empty() ? shownAs : loggedAs;
        EXPECT_EQ(Lines(LineTarget::MainView),
                  std::vector<std::string>{"** New user " + logged +
                                           " tried to connect.\n** Has been rejected because of "
                                           "duplicate username (12:34:56)"});
        // The event record, its own line feed included.
        EXPECT_EQ(Logs(), std::vector<std::string>{"New user " + logged +
                                                   " tried to connect.\n** Has been rejected "
                                                   "because of duplicate username (10.0.0.1)"});
    }
    Arrive(30, std::string(23, 'n') + " x");  // cut at the blank, which is then trimmed
    EXPECT_EQ(core.state().table.NameOf(30), std::string(23, 'n'));
    EXPECT_EQ(core.RecordCount(), 6U);
    EXPECT_FALSE(NamesEqualFolded("[", "{"));  // only letters and 0xC0-0xDF fold
    EXPECT_FALSE(NamesEqualFolded("ab", "abc"));
}

TEST_F(Admission, applies_the_version_rules) {
    const char* const sorry = "Sorry, you can't connect to";
    const char* const push = "";  // handed to the version push
    const char* const tooNew =
        "Your client version 1.6.0.0 can't be handled by the server.\n** I'm sorry, you won't be "
        "able to connect to";
    const struct {
        std::int32_t version;
        std::int32_t oldest;  // server version it accepts
        const char* refusal;  // null: admitted
    } cases[] = {{1399, 1550, sorry},   {1600, 1399, sorry},  {1400, 1550, push},
                 {1599, 1550, push},    {1600, 1601, tooNew}, {100000, 1550, sorry},
                 {1600, 1600, nullptr}, {1700, 1400, nullptr}};  // 100000: -31072 as 16 bits
    ConnectionId id = 10;
    for (const auto& [version, oldest, refusal] : cases) {
        SCOPED_TRACE(std::to_string(version) + "/" + std::to_string(oldest));
        ++id;
        Arrive(id, "user" + std::to_string(id), "10.0.0.1", version, oldest);
        if (refusal == nullptr) {
            EXPECT_EQ(Sends().at(0).payload[0], net::KindChar(MessageKind::UserRoster));
        } else if (refusal == push) {
            EXPECT_TRUE(Sends().empty());
            EXPECT_EQ(All<action::StartVersionPush>().size(), 1U);
        } else {
            ExpectRefused(id, refusal);
        }
    }
    EXPECT_EQ(core.state().serverVersion, 1700);
    Arrive(30, "new", "10.0.0.1", 1800, 1701);
    EXPECT_EQ(
        Lines(LineTarget::MainView),
        std::vector<std::string>{"** Server (1.6.0.0) is too old for client (1.8.0.0) (12:34:56)"});
}

// Neither a second Logon, nor one without a record, nor one from a connection handed to the
// version push changes anything; the push's refusal closes that connection once.
TEST_F(Admission, a_logon_without_a_fresh_record_has_no_effect_and_a_late_refusal_neither) {
    Join(7, "bob");
    Arrive(8, "old", "10.0.0.8", 1550, 1500);
    Forget();
    Logon(7, "robert");
    Logon(9, "ghost");
    Logon(8, "old2");
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(core.state().table.NameOf(7), "bob");
    EXPECT_EQ(core.RecordCount(), 1U);
    core.Refuse(8, "gone", "bye");
    ExpectRefused(8, "bye");
    EXPECT_EQ(Logs(), std::vector<std::string>{"gone (10.0.0.8)"});
    core.Refuse(8, "twice", "bye");  // a task's late request for a connection that has gone
    EXPECT_TRUE(Take().empty());
}

// The newcomer gets the whole roster, where a connection that has not logged on is listed without a
// name; everyone else, that one too, gets the newcomer's record. Later rosters carry the last away
// and file status of each user. A connection that never logged on leaves without a quit message.
TEST_F(Admission, the_newcomer_gets_the_whole_roster_and_everyone_else_its_record) {
    JoinOperator("op");
    Join(7, "alice", "10.0.0.7");
    Accept(9, "10.0.0.9");
    Receive(7, K(MessageKind::AwayStatus) + "0");
    Receive(7, K(MessageKind::AwayStatus) + "1");
    Receive(7, K(MessageKind::FileReceiveStatus) + "1");
    Arrive(8, "bob", "10.0.0.8", 1600, 1550, true);

    const std::vector<Sent> sent = Sends();
    ASSERT_EQ(sent.size(), 4U);
    EXPECT_EQ(sent[0].to, 8);
    const net::UserRoster full = RosterOf(sent[0]);
    ASSERT_EQ(full.users.size(), 4U);
    EXPECT_EQ(full.users[0].name, "op");
    EXPECT_EQ(full.users[1].name, "alice");
    EXPECT_TRUE(full.users[1].away && full.users[1].fileReceiveDisabled);
    EXPECT_EQ(full.users[2].name, "");
    EXPECT_EQ(full.users[3],
              (net::UserRecord{8, test::kTestNoon, "bob", 255, "10.0.0.8", 1600, true, false}));
    EXPECT_EQ(full.serverVersion, 1600);
    const ConnectionId others[] = {kOperator, 7, 9};
    for (std::size_t i = 1; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].to, others[i - 1]);
        EXPECT_EQ(RosterOf(sent[i]).users, std::vector<net::UserRecord>{full.users[3]});
    }
    Forget();
    core.Closed(9);
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(Logs(), std::vector<std::string>{"Unknown user has quit! (10.0.0.9)"});
}

}  // namespace
}  // namespace talvoro::server
