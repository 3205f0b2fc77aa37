#include "fakes.h"

#include "app/sys_tray.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::cSysTray;

const std::string kGrin = "\xF0\x9F\x98\x80"; // outside the basic plane: two UTF-16 units
const std::string kEAcute = "\xC3\xA9"; // one unit

TEST(SysTray, NothingIsShownUntilInTray)
{
    FakeTrayIcon icon;
    cSysTray tray(icon);
    EXPECT_EQ(tray.TrayTip(), "Telnet Server");
    tray.setTrayTip("Tarnwick");
    tray.setInTray(false); // false when already false: nothing
    EXPECT_FALSE(tray.InTray());
    EXPECT_EQ(icon.shows, 0);
    EXPECT_EQ(icon.hides, 0);

    tray.setInTray(true);
    tray.setInTray(true); // shown once
    EXPECT_TRUE(icon.shown);
    EXPECT_EQ(icon.shows, 1);
    EXPECT_EQ(icon.tip, "Tarnwick");
    tray.setInTray(false);
    EXPECT_FALSE(icon.shown);
    EXPECT_FALSE(tray.InTray());
    EXPECT_EQ(icon.hides, 1);
}

TEST(SysTray, TheTipIsCutAndFollowsWhileShown)
{
    FakeTrayIcon icon;
    cSysTray tray(icon);
    tray.setTrayTip(std::string(200, 'x'));
    EXPECT_EQ(tray.TrayTip(), std::string(127, 'x'));
    // never half a character: a character across the limit goes whole
    tray.setTrayTip(std::string(126, 'x') + kGrin);
    EXPECT_EQ(tray.TrayTip(), std::string(126, 'x'));
    tray.setTrayTip(std::string(126, 'x') + kEAcute + "y");
    EXPECT_EQ(tray.TrayTip(), std::string(126, 'x') + kEAcute);

    tray.setInTray(true);
    EXPECT_EQ(icon.tip, std::string(126, 'x') + kEAcute);
    tray.setTrayTip("Tarnwick");
    EXPECT_EQ(icon.tip, "Tarnwick");
    tray.setInTray(false);
    tray.setTrayTip("later");
    EXPECT_EQ(icon.tip, "Tarnwick") << "only stored while hidden";
    tray.setInTray(true);
    EXPECT_EQ(icon.tip, "later");
}

TEST(SysTray, CutToUtf16Units)
{
    struct Case {
        std::string text;
        std::size_t units;
        std::string cut;
    };
    const Case cases[] = {
        {"abc", 5, "abc"},
        {"abc", 2, "ab"},
        {"a" + kGrin + "b", 2, "a"},
        {"a" + kGrin + "b", 3, "a" + kGrin},
        {kEAcute + kEAcute, 1, kEAcute},
        {"ab\xE2\x82", 5, "ab"}, // a character cut short at the end is left out
        {"", 3, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(app::CutToUtf16Units(c.text, c.units), c.cut) << c.text << " " << c.units;
}

TEST(SysTray, BalloonsAreCutAndOnceMeansOnce)
{
    FakeTrayIcon icon;
    cSysTray tray(icon);
    tray.setInTray(true);
    tray.ShowBalloon(std::string(300, 't'), std::string(100, 'T'), 5, true);
    tray.ShowBalloon("again", "Tarnwick", 5, true);
    ASSERT_EQ(icon.balloons.size(), 1u);
    EXPECT_EQ(icon.balloons[0].title, std::string(63, 'T'));
    EXPECT_EQ(icon.balloons[0].text, std::string(255, 't'));
    EXPECT_EQ(icon.balloons[0].timeoutMilliseconds, 5000);
    EXPECT_TRUE(tray.balloonOpen());

    tray.ShowBalloon("every time", "Tarnwick", 0, false);
    tray.ShowBalloon("every time", "Tarnwick", -3, false);
    ASSERT_EQ(icon.balloons.size(), 3u);
    EXPECT_EQ(icon.balloons[1].timeoutMilliseconds, 0) << "the platform's own";
    EXPECT_EQ(icon.balloons[2].timeoutMilliseconds, 0);
    tray.ShowBalloon("a very long time", "Tarnwick", INT_MAX, false);
    EXPECT_EQ(icon.balloons.back().timeoutMilliseconds, INT_MAX) << "no overflow";

    // a once-only balloon of another control is its own
    FakeTrayIcon otherIcon;
    cSysTray other(otherIcon);
    other.ShowBalloon("first", "Tarnwick", 5, true);
    EXPECT_EQ(otherIcon.balloons.size(), 1u);
}

TEST(SysTray, MouseMessagesRaiseTheirEvents)
{
    struct Case {
        int message;
        const char *events;
    };
    const Case cases[] = {
        {cSysTray::MouseMoved, "move 7"},
        {cSysTray::LeftButtonDown, "down 1 7"},
        {cSysTray::LeftButtonUp, "up 1 7"},
        {cSysTray::LeftDoubleClick, "double 1 7"},
        {cSysTray::RightButtonDown, "down 2 7"},
        {cSysTray::RightButtonUp, "up 2 7"},
        {cSysTray::RightDoubleClick, "double 2 7"},
        {519, ""}, // the middle button
        {1026, ""}, // a balloon shown
        {0, ""},
    };
    for (const Case &c : cases) {
        FakeTrayIcon icon;
        cSysTray tray(icon);
        std::string seen;
        tray.MouseMove = [&](int id) { seen += "move " + std::to_string(id); };
        tray.MouseDown = [&](int button, int id) {
            seen += "down " + std::to_string(button) + " " + std::to_string(id);
        };
        tray.MouseUp = [&](int button, int id) { seen += "up " + std::to_string(button) + " " + std::to_string(id); };
        tray.MouseDblClick = [&](int button, int id) {
            seen += "double " + std::to_string(button) + " " + std::to_string(id);
        };
        tray.TrayNotify(c.message, 7);
        EXPECT_EQ(seen, c.events) << c.message;
    }
    // no handler: nothing happens
    FakeTrayIcon icon;
    cSysTray tray(icon);
    tray.TrayNotify(cSysTray::LeftButtonUp);
}

TEST(SysTray, TheBalloonClosesWhenThePlatformSaysSo)
{
    for (const int message : {cSysTray::BalloonHidden, cSysTray::BalloonTimedOut, cSysTray::BalloonClicked}) {
        FakeTrayIcon icon;
        cSysTray tray(icon);
        tray.setInTray(true);
        tray.ShowBalloon("text", "title", 30, false);
        tray.TrayNotify(cSysTray::MouseMoved);
        EXPECT_TRUE(tray.balloonOpen());
        tray.TrayNotify(message);
        EXPECT_FALSE(tray.balloonOpen()) << message;
    }
}

TEST(SysTray, DestroyingTheControlRemovesTheIcon)
{
    FakeTrayIcon icon;
    auto tray = std::make_unique<cSysTray>(icon);
    tray->setInTray(true);
    tray.reset();
    EXPECT_FALSE(icon.shown);

    FakeTrayIcon never;
    std::make_unique<cSysTray>(never).reset();
    EXPECT_EQ(never.hides, 0) << "an icon never shown is not removed";
}

TEST(SysTray, AvailabilityComesFromTheIcon)
{
    FakeTrayIcon icon;
    cSysTray tray(icon);
    EXPECT_TRUE(tray.trayAvailable());
    icon.isAvailable = false;
    EXPECT_FALSE(tray.trayAvailable());
}

} // namespace
} // namespace tarnwick::testing
