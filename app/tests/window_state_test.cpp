#include "fakes.h"

#include "app/sys_tray.h"
#include "app/window_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

using Calls = std::vector<std::string>;

struct WindowStateTest : public ::testing::Test {
    FakeView view;
    FakeTrayIcon icon;
    app::cSysTray tray {icon};
    app::WindowState window {view, tray};
};

TEST_F(WindowStateTest, TheWindowIsCentredBeforeItsFirstShowingOnly)
{
    struct Case {
        const char *name;
        std::function<void(app::WindowState &)> first;
        Calls calls;
    };
    const Case cases[] = {
        {"shown normally", [](app::WindowState &w) { w.showNormal(); }, {"centre", "showNormal"}},
        {"shown minimised", [](app::WindowState &w) { w.showMinimized(); }, {"centre", "showMinimized"}},
        {"brought back from the tray", [](app::WindowState &w) { w.restoreFromTray(); }, {"centre", "bringToFront"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeView fresh;
        app::WindowState state(fresh, tray);
        c.first(state);
        state.Form_Resize();
        state.restoreFromTray();
        state.showNormal();
        Calls expected = c.calls;
        expected.insert(expected.end(), {"hideWindow", "bringToFront", "showNormal"});
        EXPECT_EQ(fresh.windowCalls, expected) << "once shown, never centred again";
    }

    // shown by the desktop itself: the user may have placed it since
    window.windowShown();
    window.restoreFromTray();
    EXPECT_EQ(view.windowCalls, Calls {"bringToFront"});
}

TEST_F(WindowStateTest, HiddenBeforeItWasEverShownItStaysHiddenUntilBroughtBack)
{
    window.Form_Resize();
    EXPECT_TRUE(window.hiddenInTray());
    EXPECT_TRUE(view.windowCalls.empty()) << "nothing to hide";
    EXPECT_EQ(icon.balloons.size(), 1u) << "the balloon tells where it went";
    window.Form_Resize();
    EXPECT_EQ(icon.balloons.size(), 1u);

    window.restoreFromTray();
    EXPECT_FALSE(window.hiddenInTray());
    window.Form_Resize();
    EXPECT_EQ(view.windowCalls, (Calls {"centre", "bringToFront", "hideWindow"}));
    EXPECT_EQ(icon.balloons.size(), 1u) << "one balloon a run";
}

} // namespace
} // namespace tarnwick::testing
