// The away timer with a shortened minute.

#include "ui/away_timer.h"

#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

using chat::OwnStatus;
using namespace std::chrono_literals;

class AwayTimerTest : public ::testing::Test {
  protected:
    AwayTimerTest() {
        talvoro::test::QtApp();
        settings.AwayMessage = 1;
        settings.AwayTime = 1;
    }
    // Bounded wait for the own status.
    bool Becomes(OwnStatus wanted) {
        return QTest::qWaitFor([&] { return status == wanted; }, 5000);
    }

    app::Settings settings;
    OwnStatus status = OwnStatus::Present;
    std::vector<OwnStatus> sent;
    AwayTimer away{settings, [this] { return status; },
                   [this](OwnStatus s) {
                       sent.push_back(s);
                       status = s;
                   },
                   20ms};
};

TEST_F(AwayTimerTest, goes_away_after_the_period_and_a_send_makes_present_again) {
    away.Arm();
    ASSERT_TRUE(Becomes(OwnStatus::Away));
    QTest::qWait(100);  // later firings change nothing
    EXPECT_EQ(sent, std::vector<OwnStatus>{OwnStatus::Away});
    away.Reset();
    EXPECT_EQ(status, OwnStatus::Present);
    EXPECT_TRUE(away.Running());  // the period counts again
    ASSERT_TRUE(Becomes(OwnStatus::Away));
    away.Stop();
    away.Arm();
    EXPECT_FALSE(away.Running());
}

TEST_F(AwayTimerTest, without_the_setting_no_timer_runs_and_a_manual_away_stays) {
    settings.AwayMessage = 0;
    away.Arm();
    EXPECT_FALSE(away.Running());
    away.Toggle();
    EXPECT_EQ(status, OwnStatus::Away);
    away.Reset();  // a send
    EXPECT_EQ(status, OwnStatus::Away);
    away.Toggle();
    EXPECT_EQ(status, OwnStatus::Present);
    EXPECT_EQ(sent, (std::vector<OwnStatus>{OwnStatus::Away, OwnStatus::Present}));
}

}  // namespace
}  // namespace talvoro::ui
