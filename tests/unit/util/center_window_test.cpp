// Centring a dialog over another window while keeping it on the screen.
#include <gtest/gtest.h>

#include "support/test_window.h"
#include "util/center_window.h"

namespace {

WindowRect Rect(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

}  // namespace

TEST(CenterPosition, CentresOverTheReferenceWithTruncatingHalves) {
    WindowPoint p = CenterPosition(Rect(0, 0, 300, 200), Rect(0, 0, 1024, 768), 1024, 768);
    EXPECT_EQ(p.x, 362);
    EXPECT_EQ(p.y, 284);
    // (101 - 300) / 2 = -99.5 truncates toward zero: 10 - 99 = -89, then 0.
    p = CenterPosition(Rect(0, 0, 300, 200), Rect(10, 500, 101, 51), 1024, 768);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 500 + (51 - 200) / 2);
    // Odd difference: (401 - 300) / 2 = 50.
    p = CenterPosition(Rect(0, 0, 300, 200), Rect(100, 100, 401, 301), 1024, 768);
    EXPECT_EQ(p.x, 150);
    EXPECT_EQ(p.y, 150);
}

TEST(CenterPosition, KeepsTheWindowOnTheScreen) {
    // Reference partly off the left edge: pulled back to 0.
    WindowPoint p = CenterPosition(Rect(0, 0, 300, 200), Rect(-500, 100, 400, 300), 1024, 768);
    EXPECT_EQ(p.x, 0);
    // Reference near the right and bottom edges: right and bottom aligned.
    p = CenterPosition(Rect(0, 0, 300, 200), Rect(900, 700, 200, 200), 1024, 768);
    EXPECT_EQ(p.x, 1024 - 300);
    EXPECT_EQ(p.y, 768 - 200);
}

TEST(CenterPosition, WindowWiderThanTheScreenMayGoNegative) {
    WindowPoint p = CenterPosition(Rect(0, 0, 1200, 900), Rect(0, 0, 1024, 768), 1024, 768);
    // Centred x = -88 is pulled to 0 first, and a left edge of 0 is not
    // checked against the right edge.
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    p = CenterPosition(Rect(0, 0, 1200, 900), Rect(1000, 800, 2000, 1600), 1024, 768);
    EXPECT_EQ(p.x, 1024 - 1200);
    EXPECT_EQ(p.y, 768 - 900);
}

TEST(CenterWindow, NullHandlesAnswerZero) {
    WindowHandle window = CreateTestWindow(0, 0, 300, 200);
    EXPECT_EQ(CenterWindow(nullptr, window), 0);
    EXPECT_EQ(CenterWindow(window, nullptr), 0);
    DestroyTestWindow(window);
}

TEST(CenterWindow, MovesARealWindowOverTheDesktopWithoutResizingIt) {
    WindowHandle window = CreateTestWindow(5, 7, 300, 200);
    ASSERT_NE(window, nullptr);
    WindowRect desktop{};
    ASSERT_EQ(PlatformGetWindowRect(PlatformDesktopWindow(), &desktop), 1);
    int screenWidth = 0;
    int screenHeight = 0;
    ASSERT_EQ(PlatformGetScreenSize(window, &screenWidth, &screenHeight), 1);
    EXPECT_EQ(screenWidth, desktop.right - desktop.left);
    EXPECT_EQ(screenHeight, desktop.bottom - desktop.top);

    ASSERT_NE(CenterWindow(window, PlatformDesktopWindow()), 0);
    WindowRect placed{};
    ASSERT_EQ(PlatformGetWindowRect(window, &placed), 1);
    EXPECT_EQ(placed.right - placed.left, 300);
    EXPECT_EQ(placed.bottom - placed.top, 200);
    EXPECT_EQ(placed.left, desktop.left + (desktop.right - desktop.left - 300) / 2);
    EXPECT_EQ(placed.top, desktop.top + (desktop.bottom - desktop.top - 200) / 2);
    DestroyTestWindow(window);
}
