#include "app/options_save.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace talvoro::app {
namespace {

using Effects = std::vector<OptionsEffect>;
using E = OptionsEffect;

Settings Defaults() {
    Settings settings;
    settings.KeepAlive = 1;
    return settings;
}

TEST(OptionsSave, unchanged_form_changes_nothing_and_has_no_effects) {
    Settings settings = Defaults();
    settings.ScrollLockStatus = 3;  // bit 1 is recomputed when the file is written
    const Effects effects = ApplyOptions(settings, OptionsFormOf(settings), true);
    EXPECT_TRUE(effects.empty());
    EXPECT_EQ(OptionsFormOf(settings), OptionsFormOf(Defaults()));
    EXPECT_EQ(settings.ScrollLockStatus, 1);
}

TEST(OptionsSave, numbers_are_corrected_and_only_changes_reach_the_timers) {
    struct Case {
        const char* name;
        std::function<void(OptionsForm&)> edit;
        bool serverRunning;
        std::int16_t cycle;
        std::int8_t minutes;
        Effects effects;
    };
    const Case cases[] = {
        {"cycle 5",
         [](OptionsForm& f) { f.keepAliveCycle = "5"; },
         true,
         10,
         15,
         {E::StopKeepAlive}},
        {"cycle empty",
         [](OptionsForm& f) { f.keepAliveCycle = ""; },
         true,
         10,
         15,
         {E::StopKeepAlive}},
        {"cycle 9999",
         [](OptionsForm& f) { f.keepAliveCycle = "9999"; },
         true,
         9999,
         15,
         {E::StopKeepAlive}},
        {"keep-alive off",
         [](OptionsForm& f) { f.keepAlive = false; },
         true,
         300,
         15,
         {E::StopKeepAlive}},
        {"minutes 0",
         [](OptionsForm& f) { f.awayMinutes = "0"; },
         true,
         300,
         1,
         {E::RestartAwayTimer}},
        {"minutes empty",
         [](OptionsForm& f) { f.awayMinutes = ""; },
         true,
         300,
         1,
         {E::RestartAwayTimer}},
        {"minutes 15 typed again", [](OptionsForm& f) { f.awayMinutes = "15"; }, true, 300, 15, {}},
        {"away off, minutes changed too",
         [](OptionsForm& f) {
             f.awayMessage = false;
             f.awayMinutes = "5";
         },
         true,
         300,
         5,
         {E::AwayReset}},
        {"colours off",
         [](OptionsForm& f) { f.listUserColors = false; },
         true,
         300,
         15,
         {E::RebuildUserList}},
        {"files refused",
         [](OptionsForm& f) { f.fileReceiveOff = true; },
         false,
         300,
         15,
         {E::SendFileReceiveRefused}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Settings settings = Defaults();
        OptionsForm form = OptionsFormOf(settings);
        c.edit(form);
        EXPECT_EQ(ApplyOptions(settings, form, c.serverRunning), c.effects);
        EXPECT_EQ(settings.KeepAliveCycleTime.load(), c.cycle);
        EXPECT_EQ(settings.AwayTime, c.minutes);
    }
}

TEST(OptionsSave, receiving_again_starts_a_clients_file_server_or_tells_the_server) {
    for (const bool server : {false, true}) {
        Settings settings = Defaults();
        settings.FileServerHalt = 1;
        OptionsForm form = OptionsFormOf(settings);
        form.fileReceiveOff = false;
        EXPECT_EQ(ApplyOptions(settings, form, server),
                  Effects{server ? E::SendFileReceiveAllowed : E::StartFileServer});
        EXPECT_EQ(settings.FileServerHalt.load(), 0);
    }
}

TEST(OptionsSave, every_change_at_once_runs_the_effects_in_save_order_and_stores_every_field) {
    Settings settings = Defaults();
    OptionsForm form = OptionsFormOf(settings);
    form.fileReceiveOff = true;
    form.listUserColors = false;
    form.keepAliveCycle = "60";
    form.awayMinutes = "7";
    form.awayText = "";
    form.hidden = form.autoPlay = form.closeMin = form.showOnMessage = form.serverMode = true;
    form.alwaysMessTime = form.minimizeToTray = form.restoreScrollLock = false;
    EXPECT_EQ(ApplyOptions(settings, form, true),
              (Effects{E::RebuildUserList, E::SendFileReceiveRefused, E::StopKeepAlive,
                       E::RestartAwayTimer}));
    EXPECT_EQ(OptionsFormOf(settings), form);
    EXPECT_EQ(settings.ScrollLockStatus, 0);
}

}  // namespace
}  // namespace talvoro::app
