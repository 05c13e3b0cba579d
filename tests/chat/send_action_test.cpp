#include "chat/send_action.h"

#include <gtest/gtest.h>

#include <optional>

#include "chat_fixture.h"

namespace talvoro::chat {
namespace {

using K = net::MessageKind;
using test::User;
using Sent = std::vector<std::string>;

// What goes on the wire for a typed line: the kind code, then the line exactly as typed.
std::string KindThen(K kind, std::string_view line) {
    return net::KindChar(kind) + std::string(line);
}

class SendAction : public test::ChatFixture {
  protected:
    void SetUp() override {
        StartClient();
        Welcome({User(5, "bob"), User(6, "cid"), User(7, "dan")});
        Receive(net::RejectNotice{6}.Encode());  // cid rejects us
    }
};

TEST_F(SendAction, sends_or_refuses_each_kind_of_line) {
    // A line that is sent goes out whole, as one frame: the kind code, then the line as typed.
    const std::optional<K> none, pub = K::PublicMessage, wh = K::Whisper;
    const std::string body973(973, 'y');
    struct Case {
        std::string line;
        bool serverRunning;
        std::optional<K> sent;
        std::string echo;  // the new last line of "Main"; empty: "Main" unchanged
    };
    const Case cases[] = {
        {"hello all", false, pub, ""},
        {"@@bob: hi", false, wh, "[12:34:56] @bob: hi"},
        {"@@bob:hi", false, pub, ""},
        {"@@bob:    ", false, none, ""},
        {"", false, none, ""},
        {"@@alice: me", false, none, "** Looking strange talking to yourself :-)"},
        {"@@Bob: hi", false, none, "** User Bob not found, sorry!"},
        {"@@cid: hi", false, none, "** cid rejects your messages!"},
        {"@@[]: hi", false, none, "** No valid group selected, please try again!"},
        {"@@dan: " + body973, false, wh, "[12:34:56] @dan: " + body973},
        {"@@bob: a\x99z\x9Cy", false, wh, "[12:34:56] @bob: a\x99z\x9Cy"},
        {"**KiCk bob", false, pub, ""},
        {"**KICK bob", true, K::KickCommand, ""},
        {"**bAn bob", true, K::BanCommand, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 20));
        state.ServerRunning = c.serverRunning;
        link.sent.clear();
        const std::string before = view.Text(kMainView);
        const bool cleared = c.sent == pub || c.sent == wh;
        EXPECT_EQ(client->Send(c.line), cleared ? SendOutcome::Cleared : SendOutcome::Kept);
        EXPECT_EQ(link.sent, c.sent ? Sent{KindThen(*c.sent, c.line)} : Sent{});
        if (c.echo.empty()) {
            EXPECT_EQ(view.Text(kMainView), before);
        } else {
            EXPECT_EQ(view.LastLine(kMainView), c.echo);
            EXPECT_EQ(view.Runs(kMainView).back().color, c.echo[0] == '*' ? kBlack : 0x0000AA);
        }
    }
}

TEST_F(SendAction, group_whisper_goes_to_each_ticked_other_user_who_does_not_reject_us) {
    for (const char* name : {"alice", "bob", "cid", "dan"}) {
        client->SetRowTicked(view.RowOf(name), true);
    }
    EXPECT_EQ(client->Send("@@[]: a @@[]: b"), SendOutcome::Cleared);
    EXPECT_EQ(link.sent, (Sent{KindThen(K::Whisper, "@@bob: a @@bob: b"),
                               KindThen(K::Whisper, "@@dan: a @@dan: b")}));
    const auto lines = view.Lines(kMainView);
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[lines.size() - 2], "** cid rejects your messages!");
    EXPECT_EQ(lines.back(), "[12:34:56] @[bob][dan]: a @@[]: b");
}

// The echo goes to the current tab, which scrolls also for an empty line, and the frame carries
// that tab's number.
TEST_F(SendAction, on_a_topic_tab_a_whisper_and_on_the_private_tab_every_line_echoes_there) {
    Receive(net::TopicOpen{5, "Games", false, {}}.Encode());
    client->SelectTab(1);
    view.scrolls.clear();
    client->Send("@@bob: hi");
    EXPECT_EQ(view.LastLine(kFirstTopicView), "[12:34:56] @bob: hi");
    client->SetPrivateVisible(true);
    client->SetRowTicked(view.RowOf("bob"), true);
    client->SelectTab(2);
    EXPECT_EQ(client->Send(""), SendOutcome::Kept);
    EXPECT_EQ(client->Send("secret"), SendOutcome::Cleared);
    EXPECT_EQ(link.sent,
              (Sent{KindThen(K::Whisper, "@@bob: hi"), KindThen(K::Whisper, "@@bob: secret")}));
    EXPECT_EQ(link.sentOnTab, (std::vector<int>{1, 2}));
    EXPECT_EQ(view.LastLine(kPrivateView), "[12:34:56] @[bob]: secret");
    EXPECT_EQ(view.scrolls, (std::vector<int>{kFirstTopicView, kPrivateView, kPrivateView}));
}

TEST_F(SendAction, duplicate_names_address_the_first_row) {
    ReceiveRoster({User(8, "bob")});
    Receive(net::RejectNotice{8}.Encode());  // the second bob rejects us
    EXPECT_EQ(client->Send("@@bob: hi"), SendOutcome::Cleared);
    EXPECT_EQ(link.sent.size(), 1U);
}

}  // namespace
}  // namespace talvoro::chat
