// The topics a client joining later is told, over loopback with the real server thread.

#include <gtest/gtest.h>

#include "app/date_time.h"
#include "net/messages.h"
#include "server_fixture.h"

namespace talvoro::server {
namespace {

class TopicAnnounce : public ServerLoopback {
  protected:
    static std::string Open(std::string title, bool sticky) {
        return net::TopicOpenToServer{std::move(title), sticky}.Encode();
    }
    static std::string Close(int position) { return net::TopicCloseToServer{position}.Encode(); }
    // The topic frames `client` reads up to the public message "sync": "o:owner|title|sticky"
    // (+ "|" + spawn time when there is one) or "c:user|position".
    static std::vector<std::string> TopicFramesUntilSync(test::RawClient& client) {
        std::vector<std::string> seen;
        while (const auto frame = client.Receive()) {
            if (const auto open = net::DecodeFrame<net::TopicOpen>(*frame)) {
                seen.push_back("o:" + std::to_string(open->owner) + "|" + open->title + "|" +
                               (open->sticky ? "1" : "0") +
                               (open->spawnTime ? "|" + std::to_string(*open->spawnTime) : ""));
            } else if (const auto close = net::DecodeFrame<net::TopicClose>(*frame)) {
                seen.push_back("c:" + std::to_string(close->user) + "|" +
                               std::to_string(close->position));
            } else if (const auto sync = net::DecodeFrame<net::PublicMessage>(*frame);
                       sync && sync->text == "sync") {
                return seen;
            }
        }
        seen.push_back("(no sync)");
        return seen;
    }
    static void Sync(test::RawClient& from) {
        ASSERT_TRUE(from.Send(net::PublicMessageToServer{"sync"}.Encode()));
    }
};

TEST_F(TopicAnnounce, a_late_joiner_is_told_the_open_topics_in_tab_order_with_owner_and_time) {
    const std::int32_t before = app::NowDateValue();
    Client op = JoinOperator();
    Client bob = Join("bob");
    const std::string o = std::to_string(ids["op"]);
    const std::string b = std::to_string(ids["bob"]);
    const std::string cut(19, '!');  // a title is cut to 24 characters
    struct Step {
        test::RawClient& from;
        std::string payload;
        std::vector<std::string> relayed;  // what the operator's client reads
    };
    const std::vector<Step> steps = {
        {*bob, Open("Alpha", true), {"o:" + b + "|Alpha|1"}},
        {*op, Open("Beta", false), {"o:" + o + "|Beta|0"}},
        {*bob, Open("Gamma" + std::string(30, '!'), false), {"o:" + b + "|Gamma" + cut + "|0"}},
        {*op, Open("", false), {}},
        {*op, Open("Four", false), {}},  // a fourth topic: no client would open it
        {*bob, Close(2), {}},            // Beta is the operator's: bob may not close it
        {*bob, Close(7), {}},            // no such topic
        {*op, Close(2), {"c:" + o + "|2"}},
        {*bob, Open("Delta", true), {"o:" + b + "|Delta|1"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.payload);
        ASSERT_TRUE(step.from.Send(step.payload));
        Sync(step.from);  // same connection: relayed after the request
        EXPECT_EQ(TopicFramesUntilSync(*op), step.relayed);
    }
    EXPECT_TRUE(Logged("Topic close from bob (127.0.0.1) ignored"));
    bob.reset();  // bob quits: his topics are announced without an owner
    ASSERT_TRUE(op->ReceiveKind(net::MessageKind::UserQuit));

    Client cid = Join("cid");
    Sync(*op);
    const std::vector<std::string> told = TopicFramesUntilSync(*cid);
    const std::int32_t after = app::NowDateValue();
    ASSERT_EQ(told.size(), 3U);
    const std::vector<std::string> heads = {"o:0|Alpha|1|", "o:0|Gamma" + cut + "|0|",
                                            "o:0|Delta|1|"};
    for (std::size_t i = 0; i < heads.size(); ++i) {
        ASSERT_TRUE(told[i].starts_with(heads[i])) << told[i];
        const std::int32_t spawned = std::stoi(told[i].substr(heads[i].size()));
        EXPECT_GE(spawned, before);
        EXPECT_LE(spawned, after);
    }
    // The operator's client hears nothing again when it would log on; nor does the late joiner
    // hear the announcements twice.
    Sync(*op);
    EXPECT_TRUE(TopicFramesUntilSync(*cid).empty());
}

}  // namespace
}  // namespace talvoro::server
