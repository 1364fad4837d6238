// platform_test.cpp: the nearest-monitor rule, the provider switches and the balloon's placement.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "gui_app.h"
#include "ui/platform/balloon_hint.h"
#include "ui/platform/key_state.h"
#include "ui/platform/key_state_internal.h"
#include "ui/platform/monitors.h"

namespace {

using ui::platform::Monitor;

TEST(NearestMonitor, LargestOverlapElseClosest) {
    const std::vector<Monitor> monitors = {
        {0, true, QRect(0, 0, 1000, 700), QRect(0, 0, 1000, 750)},
        {1, false, QRect(1000, 0, 800, 600), QRect(1000, 0, 800, 600)},
        {2, false, QRect(0, 750, 1000, 750), QRect(0, 750, 1000, 750)},
    };
    const struct {
        QRect window;
        int expected;
    } cases[] = {
        {QRect(10, 10, 100, 100), 0},  {QRect(900, 10, 300, 100), 1},
        {QRect(800, 10, 300, 100), 0}, {QRect(10, 700, 100, 200), 2},
        {QRect(1900, 100, 50, 50), 1}, {QRect(-500, 1000, 50, 50), 2},
        {QRect(500, -300, 50, 50), 0}, {QRect(1100, 610, 50, 50), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::platform::nearestMonitor(monitors, c.window).number, c.expected)
            << c.window.x() << "," << c.window.y();
    }
}

TEST(Providers, InstalledDoublesAnswerUntilRemoved) {
    guiApp();
    // Off X11 the real key state is unknown.
    EXPECT_EQ(ui::platform::keyStateProvider().capsLockState(), 0);
    ui::platform::FakeKeyState keys(-127);
    EXPECT_EQ(ui::platform::setKeyStateProvider(&keys), nullptr);
    EXPECT_EQ(ui::platform::keyStateProvider().capsLockState(), -127);
    EXPECT_EQ(ui::platform::setKeyStateProvider(nullptr), &keys);
    EXPECT_EQ(ui::platform::keyStateProvider().capsLockState(), 0);

    std::vector<Monitor> screens = ui::platform::monitorProvider().monitors();
    ASSERT_FALSE(screens.empty());
    EXPECT_EQ(screens[0].number, 0);
    EXPECT_TRUE(screens[0].primary);
    EXPECT_EQ(screens[0].bounds, QGuiApplication::primaryScreen()->geometry());
    ui::platform::FakeMonitors none;
    EXPECT_EQ(ui::platform::setMonitorProvider(&none), nullptr);
    QWidget window;
    EXPECT_EQ(ui::platform::monitorNearest(&window).workArea, QRect());
    EXPECT_EQ(ui::platform::setMonitorProvider(nullptr), &none);
}

// A press being handled reads as held, toggled the way the press goes, whatever the server says
// at that moment; without one, the server's word stands.
TEST(X11CapsLock, StateIsTheOneOfTheKeyEventBeingHandled) {
    const struct {
        bool pressHandled, lockedBeforePress, serverHeld, serverToggled;
        std::int16_t expected;
    } cases[] = {
        {true, false, true, true, -127},   // switching on
        {true, true, true, true, -128},    // switching off: X still shows it locked
        {true, false, false, true, -127},  // released already at the server
        {true, true, false, false, -128},
        {false, false, false, true, 1},  // caps lock on, key up
        {false, false, false, false, 0},
        {false, true, true, true, -127},  // held down since before the program saw it
    };
    for (const auto& c : cases) {
        ui::platform::internal::CapsLockFacts facts{c.pressHandled, c.lockedBeforePress};
        EXPECT_EQ(ui::platform::internal::capsLockState(
                      facts, [&] { return c.serverHeld; }, [&] { return c.serverToggled; }),
                  c.expected)
            << c.pressHandled << c.lockedBeforePress << c.serverHeld << c.serverToggled;
    }
}

TEST(BalloonHint, PointsAtItsRectangleAndStaysOnScreen) {
    guiApp();
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    ui::platform::BalloonHint balloon(&owner);
    balloon.setText(QStringLiteral("Touche de verrouillage des majuscules actif"));

    QRect middle(screen.left() + 100, screen.top() + 100, 120, 20);
    balloon.showAt(middle);
    EXPECT_TRUE(balloon.isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &owner);  // shown without taking the focus
    EXPECT_EQ(balloon.geometry().top(), middle.bottom() + 1);
    EXPECT_GT(balloon.geometry().right(), middle.center().x());
    EXPECT_LT(balloon.geometry().left(), middle.center().x());

    QRect nearBottom(screen.left() + 100, screen.bottom() - 25, 120, 20);
    balloon.showAt(nearBottom);
    EXPECT_EQ(balloon.geometry().bottom(), nearBottom.top() - 1);

    QRect nearRight(screen.right() - 30, screen.top() + 100, 30, 20);
    balloon.showAt(nearRight);
    EXPECT_LE(balloon.geometry().right(), screen.right());
    EXPECT_EQ(balloon.target(), nearRight);

    balloon.hide();
    EXPECT_FALSE(balloon.isVisible());
}

TEST(BalloonHint, KeepsClearOfWhatItMustNotCoverAndHidesWhenClicked) {
    guiApp();
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    ui::platform::BalloonHint balloon(&owner);
    balloon.setText(QStringLiteral("Touche de verrouillage des majuscules actif"));
    const QRect edit(screen.left() + 200, screen.top() + 200, 120, 20);
    const QRect buttonBelow(edit.left() + 30, edit.bottom() + 20, 45, 30);
    const QRect buttonAbove(edit.left() + 30, edit.top() - 40, 45, 30);
    const QRect farAway(screen.left(), screen.top(), 10, 10);
    const struct {
        QList<QRect> keepClear;
        bool below;
    } cases[] = {
        {{}, true},
        {{farAway}, true},
        {{buttonBelow}, false},
        {{farAway, buttonBelow}, false},
        {{buttonAbove}, true},
        {{buttonBelow, buttonAbove}, true},  // nowhere clear: below, as without buttons
    };
    for (const auto& c : cases) {
        balloon.showAt(edit, c.keepClear);
        const QRect g = balloon.geometry();
        EXPECT_EQ(g.top() == edit.bottom() + 1, c.below) << c.keepClear.size();
        EXPECT_EQ(g.bottom() == edit.top() - 1, !c.below) << c.keepClear.size();
    }

    // Keeps its choice when its text changes while shown.
    balloon.showAt(edit, {buttonBelow});
    balloon.setText(QStringLiteral("Autre texte"));
    EXPECT_FALSE(balloon.geometry().intersects(buttonBelow));

    ASSERT_TRUE(balloon.isVisible());
    QTest::mouseClick(&balloon, Qt::LeftButton, {}, balloon.rect().center());
    EXPECT_FALSE(balloon.isVisible());
}

}  // namespace
