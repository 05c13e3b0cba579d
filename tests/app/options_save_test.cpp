#include "app/options_save.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace talvoro::app {
namespace {

using Effects = std::vector<OptionsEffect>;
using E = OptionsEffect;

TEST(OptionsSave, numbers_are_corrected_and_only_changes_have_effects) {
    using Edit = std::function<void(Settings&, OptionsForm&)>;
    struct Case {
        const char* name;
        std::int16_t cycle;
        std::int8_t minutes;
        Effects effects;
        Edit edit;
    };
    const Case cases[] = {
        {"nothing changed", 300, 15, {}, [](auto&, auto&) {}},
        {"cycle 5", 10, 15, {E::StopKeepAlive}, [](auto&, auto& f) { f.keepAliveCycle = "5"; }},
        {"keep-alive off",
         300,
         15,
         {E::StopKeepAlive},
         [](auto&, auto& f) { f.keepAlive = false; }},
        {"minutes 0", 300, 1, {E::RestartAwayTimer}, [](auto&, auto& f) { f.awayMinutes = "0"; }},
        // The reset alone: a restart first would stop the timer and leave the reset nothing to end.
        {"away off and minutes changed",
         300,
         5,
         {E::AwayReset},
         [](auto&, auto& f) {
             f.awayMessage = false;
             f.awayMinutes = "5";
         }},
        {"server receives again",
         300,
         15,
         {E::SendFileReceiveAllowed},
         [](auto& s, auto&) { s.FileServerHalt = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Settings settings;
        settings.KeepAlive = 1;
        OptionsForm form = OptionsFormOf(settings);
        c.edit(settings, form);
        EXPECT_EQ(ApplyOptions(settings, form, true), c.effects);
        EXPECT_EQ(settings.KeepAliveCycleTime.load(), c.cycle);
        EXPECT_EQ(settings.AwayTime, c.minutes);
    }
}

TEST(OptionsSave, every_change_at_once_runs_the_effects_in_save_order_and_stores_every_field) {
    Settings settings;
    settings.ScrollLockStatus = 3;  // bit 1 is recomputed when the file is written
    OptionsForm form = OptionsFormOf(settings);
    form.fileReceiveOff = true;
    form.listUserColors = false;
    form.keepAliveCycle = "60";
    form.awayMinutes = "7";
    form.awayText = "";
    form.hidden = form.autoPlay = form.closeMin = form.showOnMessage = form.serverMode = true;
    form.alwaysMessTime = form.minimizeToTray = false;
    EXPECT_EQ(ApplyOptions(settings, form, true),
              (Effects{E::RebuildUserList, E::SendFileReceiveRefused, E::StopKeepAlive,
                       E::RestartAwayTimer}));
    EXPECT_EQ(OptionsFormOf(settings), form);
    EXPECT_EQ(settings.ScrollLockStatus, 1);
}

}  // namespace
}  // namespace talvoro::app
