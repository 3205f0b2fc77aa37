#include "harness.h"

#include "app/autostart_entry.h"
#include "app/startup_options.h"
#include "app/sys_tray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::Control;
using app::SettingKey;
using Window = FakeView::Window;

const std::string kBalloon = "has been minimized to the system tray.\n"
                             "Click on the blue 'Q' icon (Q for Quelvane) to bring the software back.";

class StartupOptionsTest : public ::testing::Test
{
protected:
    app::Application &app() { return harness.app(); }
    // Where the key stands among the writes (a later write is further on).
    std::ptrdiff_t lastWrite(SettingKey key) const
    {
        const std::vector<std::string> &writes = harness.settings.writes;
        const auto it = std::find(writes.rbegin(), writes.rend(), std::string(app::Definition(key).name));
        return it == writes.rend() ? -1 : writes.rend() - it - 1;
    }

    Harness harness;
};

TEST_F(StartupOptionsTest, CheckingRegistersAndOffersTheSecondOption)
{
    harness.start();
    EXPECT_FALSE(harness.view.visible.at(Control::Check8));
    app().Check4_Click(true);
    EXPECT_TRUE(harness.view.visible.at(Control::Check8));
    EXPECT_FALSE(app().startupOptions().check8());
    EXPECT_EQ(harness.stored(SettingKey::WindowsStartup), "On");
    EXPECT_EQ(harness.stored(SettingKey::Minimized), std::nullopt);
    EXPECT_EQ(harness.autostart.calls, std::vector<std::string> {"add"});
    app().Check8_Click(true);
    EXPECT_EQ(harness.stored(SettingKey::Minimized), "On");
    app().Check8_Click(false);
    EXPECT_EQ(harness.stored(SettingKey::Minimized), "Off");
    EXPECT_TRUE(harness.prompts.messages.empty());
}

TEST_F(StartupOptionsTest, UncheckingClearsBothAndUnregisters)
{
    harness.store(SettingKey::WindowsStartup, "On");
    harness.store(SettingKey::Minimized, "On");
    harness.autostart.entry = true;
    harness.start();
    EXPECT_TRUE(harness.view.checked.at(Control::Check8));
    app().Check4_Click(false);
    EXPECT_FALSE(harness.view.checked.at(Control::Check8));
    EXPECT_FALSE(harness.view.visible.at(Control::Check8));
    EXPECT_EQ(harness.stored(SettingKey::Minimized), "Off");
    EXPECT_EQ(harness.stored(SettingKey::WindowsStartup), "Off");
    EXPECT_LT(lastWrite(SettingKey::Minimized), lastWrite(SettingKey::WindowsStartup));
    EXPECT_EQ(harness.autostart.calls, std::vector<std::string> {"remove"});

    // an entry that cannot be taken out is told; the option stays off
    app().Check4_Click(true);
    harness.autostart.failRemove = true;
    app().Check4_Click(false);
    ASSERT_EQ(harness.prompts.messages.size(), 1u);
    EXPECT_NE(harness.prompts.messages[0].find("the autostart entry is locked"), std::string::npos);
    EXPECT_EQ(harness.stored(SettingKey::WindowsStartup), "Off");
}

TEST_F(StartupOptionsTest, AFailedRegistrationIsToldAndUndone)
{
    harness.start();
    harness.autostart.failAdd = true;
    app().Check4_Click(true);
    ASSERT_EQ(harness.prompts.messages.size(), 1u);
    EXPECT_NE(harness.prompts.messages[0].find("the autostart folder is read-only"), std::string::npos)
        << harness.prompts.messages[0];
    EXPECT_FALSE(harness.view.checked.at(Control::Check4));
    EXPECT_FALSE(app().startupOptions().check4());
    EXPECT_FALSE(harness.view.visible.at(Control::Check8));
    EXPECT_EQ(harness.stored(SettingKey::WindowsStartup), "Off");
    EXPECT_TRUE(harness.prompts.errors.empty());
}

TEST_F(StartupOptionsTest, StartUpRestoresTheBoxesWithoutRegistering)
{
    struct Case {
        const char *windowsStartup;
        const char *minimized;
        bool check4;
        bool check8;
        bool check8Shown;
        bool hidden;
    };
    const Case cases[] = {
        {"On", "On", true, true, true, true},           {"On", nullptr, true, false, true, false},
        {"Off", "On", false, true, false, false}, // minimised without starting with the session
        {"on", "On", false, true, false, false}, // only "On" is on
        {nullptr, nullptr, false, false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << (c.windowsStartup ? c.windowsStartup : "-") << " " << (c.minimized ? c.minimized : "-"));
        Harness one;
        one.autostart.entry = true;
        if (c.windowsStartup)
            one.store(SettingKey::WindowsStartup, c.windowsStartup);
        if (c.minimized)
            one.store(SettingKey::Minimized, c.minimized);
        one.start();
        EXPECT_EQ(one.app().startupOptions().check4(), c.check4);
        EXPECT_EQ(one.app().startupOptions().check8(), c.check8);
        EXPECT_EQ(one.view.checked.contains(Control::Check4) && one.view.checked.at(Control::Check4), c.check4);
        EXPECT_EQ(one.view.checked.contains(Control::Check8) && one.view.checked.at(Control::Check8), c.check8);
        EXPECT_EQ(one.view.visible.at(Control::Check8), c.check8Shown);
        EXPECT_EQ(one.app().startsHidden(), c.hidden);
        EXPECT_TRUE(one.autostart.calls.empty());
        EXPECT_FALSE(one.app().formLoading());
        EXPECT_TRUE(one.prompts.messages.empty());
    }
}

TEST_F(StartupOptionsTest, StartUpWritesTheEntryAgainWhereItWentMissing)
{
    struct Case {
        const char *name;
        const char *windowsStartup;
        bool entry;
        bool addFails;
        std::vector<std::string> calls;
        bool check4;
    };
    const Case cases[] = {
        {"removed behind the program's back", "On", false, false, {"add"}, true},
        {"there", "On", true, false, {}, true},
        {"the option is off", "Off", false, false, {}, false},
        {"cannot be written", "On", false, true, {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Harness one;
        one.store(SettingKey::WindowsStartup, c.windowsStartup);
        one.store(SettingKey::Minimized, "On");
        one.autostart.entry = c.entry;
        one.autostart.failAdd = c.addFails;
        one.start();
        EXPECT_EQ(one.autostart.calls, c.calls);
        EXPECT_EQ(one.app().startupOptions().check4(), c.check4);
        EXPECT_EQ(one.view.checked.contains(Control::Check4) && one.view.checked.at(Control::Check4), c.check4);
        EXPECT_TRUE(one.prompts.errors.empty());
        if (c.addFails) {
            // told, and the box and the setting go back to off: the program no longer claims to start with the session
            ASSERT_EQ(one.prompts.messages.size(), 1u);
            EXPECT_NE(one.prompts.messages[0].find("the autostart folder is read-only"), std::string::npos);
            EXPECT_EQ(one.stored(SettingKey::WindowsStartup), "Off");
            EXPECT_FALSE(one.app().startsHidden());
        } else {
            EXPECT_TRUE(one.prompts.messages.empty());
            EXPECT_EQ(one.stored(SettingKey::WindowsStartup), c.windowsStartup) << "nothing is written where it is off";
            EXPECT_EQ(one.app().startsHidden(), c.check4);
        }
    }
}

TEST_F(StartupOptionsTest, MinimisingHidesInTheTrayWithOneBalloon)
{
    harness.start();
    app().showWindow();
    app().Form_Resize();
    EXPECT_EQ(harness.view.window, Window::HiddenInTray);
    EXPECT_TRUE(app().hiddenInTray());
    ASSERT_EQ(harness.trayIcon.balloons.size(), 1u);
    EXPECT_EQ(harness.trayIcon.balloons[0].title, "Tarnwick");
    EXPECT_EQ(harness.trayIcon.balloons[0].text, kBalloon);
    EXPECT_EQ(harness.trayIcon.balloons[0].timeoutMilliseconds, 5000);
    app().Form_Resize(); // already hidden
    EXPECT_EQ(harness.view.windowCalls, (std::vector<std::string> {"centre", "showNormal", "hideWindow"}));

    // moving over the icon or pressing a button does not bring it back; releasing one does
    app().TrayNotify(app::cSysTray::MouseMoved);
    app().TrayNotify(app::cSysTray::LeftButtonDown);
    app().TrayNotify(app::cSysTray::LeftDoubleClick);
    EXPECT_EQ(harness.view.window, Window::HiddenInTray);
    app().TrayNotify(app::cSysTray::LeftButtonUp);
    EXPECT_EQ(harness.view.window, Window::Normal);
    EXPECT_FALSE(app().hiddenInTray());

    // the second time: hidden again, no balloon
    app().Form_Resize();
    EXPECT_EQ(harness.view.window, Window::HiddenInTray);
    EXPECT_EQ(harness.trayIcon.balloons.size(), 1u);
    app().TrayNotify(app::cSysTray::RightButtonUp);
    EXPECT_EQ(harness.view.window, Window::Normal);

    // shown by other means (another start of the program, the desktop): the next minimise hides it again
    app().Form_Resize();
    app().showRequested();
    EXPECT_EQ(harness.view.window, Window::Normal);
    app().Form_Resize();
    EXPECT_EQ(harness.view.window, Window::HiddenInTray);
    const std::size_t calls = harness.view.windowCalls.size();
    app().windowShown();
    app().Form_Resize();
    ASSERT_EQ(harness.view.windowCalls.size(), calls + 1);
    EXPECT_EQ(harness.view.windowCalls.back(), "hideWindow");
    EXPECT_TRUE(app().hiddenInTray());
}

TEST_F(StartupOptionsTest, WithoutATrayMinimisingKeepsAnOrdinaryWindow)
{
    harness.trayIcon.isAvailable = false;
    harness.start();
    app().showWindow();
    app().Form_Resize();
    EXPECT_EQ(harness.view.windowCalls, (std::vector<std::string> {"centre", "showNormal"}));
    EXPECT_FALSE(app().hiddenInTray());
    EXPECT_TRUE(harness.trayIcon.balloons.empty());
}

TEST_F(StartupOptionsTest, StartingHiddenHidesAsAMinimiseDoes)
{
    struct Case {
        bool tray;
        std::vector<std::string> calls;
        std::size_t balloons;
    };
    const Case cases[] = {
        {true, {}, 1}, // never shown: it simply stays hidden
        {false, {"centre", "showMinimized"}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tray);
        Harness one;
        one.trayIcon.isAvailable = c.tray;
        one.store(SettingKey::WindowsStartup, "On");
        one.store(SettingKey::Minimized, "On");
        one.start();
        EXPECT_TRUE(one.view.windowCalls.empty()) << "nothing is shown during the start-up";
        one.app().showWindow();
        // never shown normally first
        EXPECT_EQ(one.view.windowCalls, c.calls);
        EXPECT_EQ(one.trayIcon.balloons.size(), c.balloons);
        EXPECT_EQ(one.app().hiddenInTray(), c.tray);
        if (c.tray) {
            EXPECT_EQ(one.trayIcon.balloons[0].text, kBalloon);
            // it comes back as from any minimise, centred as at any first showing, and the next minimise shows no
            // second balloon
            one.app().TrayNotify(app::cSysTray::LeftButtonUp);
            EXPECT_EQ(one.view.windowCalls, (std::vector<std::string> {"centre", "bringToFront"}));
            EXPECT_EQ(one.view.window, Window::Normal);
            one.app().Form_Resize();
            EXPECT_EQ(one.trayIcon.balloons.size(), 1u);
        }
    }
}

TEST_F(StartupOptionsTest, TheTrayIconLivesAsLongAsTheWindow)
{
    harness.start();
    EXPECT_TRUE(harness.trayIcon.shown);
    EXPECT_EQ(harness.trayIcon.tip, "Tarnwick");
    EXPECT_TRUE(app().tray().InTray());
    harness.application.reset();
    EXPECT_FALSE(harness.trayIcon.shown);
    EXPECT_EQ(harness.trayIcon.shows, 1);
    EXPECT_EQ(harness.trayIcon.hides, 1);
}

TEST(AutostartEntry, StartsThisProgramQuoted)
{
    struct Case {
        const char *path;
        const char *argument;
    };
    const Case cases[] = {
        {"/usr/bin/tarnwick", "\"/usr/bin/tarnwick\""},
        {"/opt/My Apps/tarnwick", "\"/opt/My Apps/tarnwick\""},
        {"/a$b\"c`d/t", "\"/a\\\\$b\\\\\"c\\\\`d/t\""},
        {"/a\\b/t", "\"/a\\\\\\\\b/t\""},
        {"/100%/t", "\"/100%%/t\""},
        {"/a\nb/t", "\"/a\\nb/t\""}, // a line end cannot end the key
        {"/a\tb/t", "\"/a\\tb/t\""}, // nor may a tab stand raw in it
    };
    for (const Case &c : cases)
        EXPECT_EQ(app::DesktopExecArgument(c.path), c.argument) << c.path;

    const std::string entry = app::AutostartEntry("/opt/My Apps/tarnwick");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    EXPECT_NE(entry.find("\nExec=\"/opt/My Apps/tarnwick\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos) << entry;
    EXPECT_EQ(entry.back(), '\n');
}

} // namespace
} // namespace tarnwick::testing
