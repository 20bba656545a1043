// The saver window and the mouse watch on real Windows (Wine).
#include <gtest/gtest.h>

#include "windows/mouse_watch.h"
#include "windows/saver_window.h"
#include "windows/windows_saver_host.h"

namespace {
HWND makeWindow(const char* className) {
    return createSaverWindow(GetModuleHandleA(nullptr), className, "Emberhall", 1024, 768,
                             saverWindowProc);
}

// Takes every pending message of the thread; true if the quit message came.
bool quitPending() {
    MSG message;
    bool quit = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quit = true;
        else
            DispatchMessageA(&message);
    }
    return quit;
}
} // namespace

TEST(SaverWindow, hasTheClassAndStylesOfABorderlessPopup) {
    HWND window = makeWindow("EmberhallStyleTest");
    ASSERT_NE(window, nullptr);
    char text[64] = {};
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ(text, "EmberhallStyleTest");
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "Emberhall");
    EXPECT_EQ(DWORD(GetWindowLongA(window, GWL_STYLE)) & (WS_POPUP | WS_VISIBLE | WS_CAPTION),
              DWORD(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(GetClassLongA(window, GCL_STYLE), 0x080Bu);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 1024);
    EXPECT_EQ(rect.bottom - rect.top, 768);
    DestroyWindow(window);
    quitPending();
}

TEST(SaverWindow, closeLeavesTheWindowAndLeadsToTheQuitMessage) {
    HWND window = makeWindow("EmberhallCloseTest");
    ASSERT_NE(window, nullptr);
    quitPending();
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, UINT(WM_DESTROY));
    EXPECT_TRUE(quitPending()); // dispatching the posted WM_DESTROY posts the quit message
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
    quitPending();
}

TEST(SaverWindow, systemCommandsDoNothing) {
    HWND window = makeWindow("EmberhallSysCommandTest");
    ASSERT_NE(window, nullptr);
    quitPending();
    for (WPARAM command : {WPARAM(SC_SCREENSAVE), WPARAM(SC_MONITORPOWER), WPARAM(SC_CLOSE)}) {
        EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, command, 2), 0);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(quitPending());
    }
    DestroyWindow(window);
    quitPending();
}

TEST(SaverWindow, theFrameLoopSeesTheQuitMessageAfterClose) {
    WindowsSaverHost platform(GetModuleHandleA(nullptr));
    platform.createSaverWindow();
    HWND window = static_cast<HWND>(platform.saverWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(platform.drainMessages());
    PostMessageA(window, WM_CLOSE, 0, 0);
    // The close posts WM_DESTROY, whose handling posts the quit message; the next drains take it.
    bool quit = false;
    for (int i = 0; i < 3 && !quit; ++i)
        quit = platform.drainMessages();
    EXPECT_TRUE(quit);
    DestroyWindow(window);
    quitPending();
}

TEST(MouseWatch, setsUpOnTheDesktopPollsAndReleases) {
    MouseWatch watch(GetModuleHandleA(nullptr), GetDesktopWindow());
    watch.poll();
    // Nothing touches the mouse here; the first reading may carry Wine's absolute position.
    MouseReading reading = watch.poll();
    EXPECT_EQ(reading.dz, 0);
    EXPECT_EQ(reading.buttons, 0);
    watch.release();
    reading = watch.poll(); // after release: the last state again, no crash
    EXPECT_EQ(reading.buttons, 0);
    watch.release(); // twice is harmless
}

TEST(Manifest, makesTheProcessDpiAware) {
    // A DPI-unaware process would get a scaled, blurry picture on a 150 % display.
    EXPECT_TRUE(IsProcessDPIAware());
}
