#include "server/keep_alive.h"

#include "core_fixture.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
using net::MessageKind;

TEST(KeepAliveTimer, repeats_its_period_until_stopped) {
    KeepAliveTimer timer;
    const SteadyTime start{1h};
    timer.Arm(start, false, 10s);
    EXPECT_FALSE(timer.armed());
    timer.Arm(start, true, 10s);
    timer.Arm(start + 5s, true, 10s);  // armed already: unchanged
    EXPECT_EQ(timer.deadline(), start + 10s);
    EXPECT_FALSE(timer.Expire(start + 9s));
    EXPECT_TRUE(timer.Expire(start + 10s));
    EXPECT_EQ(timer.deadline(), start + 20s);
    EXPECT_TRUE(timer.Expire(start + 65s));  // missed periods are not made up
    EXPECT_EQ(timer.deadline(), start + 75s);
    timer.Stop();
    EXPECT_FALSE(timer.Expire(start + 100s));
}

class KeepAlive : public CoreTest {
  protected:
    void SetUp() override {
        settings.KeepAlive = 1;
        settings.KeepAliveCycleTime = 300;
        Join(7, "alice");
        Join(8, "bob");
        core.Idle();
    }

    // Keep-alive notices sent since the last Take().
    std::size_t Notices() {
        std::size_t count = 0;
        for (const Sent& sent : Sends()) {
            if (sent.payload == K(MessageKind::Heartbeat) + "** Server Keep-Alive") {
                ++count;
            }
        }
        return count;
    }

    void Pass(std::chrono::seconds by) {
        clock.Advance(by);
        core.Tick();
        core.Idle();
    }
};

TEST_F(KeepAlive, an_idle_server_sends_the_notice_to_everyone_every_cycle) {
    Pass(299s);
    EXPECT_EQ(Notices(), 0U);
    Pass(1s);
    EXPECT_EQ(Notices(), 2U);
    Pass(300s);
    EXPECT_EQ(Notices(), 2U);
}

TEST_F(KeepAlive, a_heartbeat_does_not_restart_the_countdown_but_a_message_does) {
    Pass(200s);
    Receive(7, K(MessageKind::Heartbeat) + "#");
    core.Idle();
    Pass(100s);
    EXPECT_EQ(Notices(), 2U);

    Pass(200s);
    Receive(7, K(MessageKind::PublicMessage) + "hi", 3);
    core.Idle();
    Pass(100s);
    EXPECT_EQ(Notices(), 0U);
    Pass(200s);
    const std::vector<Sent> sent = Sends();
    ASSERT_EQ(sent.size(), 2U);
    EXPECT_EQ(sent[0].topic, 3);  // the topic of the last frame handled
}

TEST_F(KeepAlive, is_not_armed_while_switched_off_and_rearms_with_new_values_after_a_stop) {
    EXPECT_TRUE(core.NextDeadline().has_value());
    settings.KeepAlive = 0;
    core.StopKeepAlive();
    core.Idle();
    EXPECT_EQ(core.NextDeadline(), std::nullopt);
    Pass(1000s);
    EXPECT_EQ(Notices(), 0U);

    settings.KeepAlive = 1;
    settings.KeepAliveCycleTime = 10;
    core.StopKeepAlive();
    core.Idle();
    EXPECT_EQ(core.NextDeadline(), clock.now + 10s);
}

TEST_F(KeepAlive, the_main_threads_heartbeat_goes_to_everyone_and_leaves_the_timer_alone) {
    const auto deadline = core.NextDeadline();
    core.BroadcastHeartbeat();
    EXPECT_EQ(Sends(), (std::vector<Sent>{{7, 0, K(MessageKind::Heartbeat) + "#"},
                                          {8, 0, K(MessageKind::Heartbeat) + "#"}}));
    EXPECT_EQ(core.NextDeadline(), deadline);
}

}  // namespace
}  // namespace talvoro::server
