// Windows over SDL: creation messages, sizes, styles, destruction.

#include "win32_test_window.h"

#include "win32/stock_objects.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using zep::test::RecordingWindow;

constexpr DWORD kEngineWindowStyle = WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW;
static_assert(kEngineWindowStyle == 0x90CF0000);

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

TEST(Win32Window, CreationSendsMinMaxInfoCreateAndSizeWithTheRequestedClientSize) {
    RecordingWindow w(320, 240);
    ASSERT_NE(w.handle(), nullptr);

    std::vector<UINT> order;
    for (const auto& m : w.received()) order.push_back(m.message);
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], UINT(WM_GETMINMAXINFO));
    EXPECT_EQ(order[1], UINT(WM_CREATE));
    EXPECT_EQ(order[2], UINT(WM_SIZE));

    const auto sizes = w.receivedOf(WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].window, w.handle());
    EXPECT_EQ(sizes[0].wParam, WPARAM(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(sizes[0].lParam), 320);
    EXPECT_EQ(HIWORD(sizes[0].lParam), 240);

    RECT client{};
    ASSERT_TRUE(GetClientRect(w.handle(), &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);

    EXPECT_EQ(DWORD(GetWindowLongA(w.handle(), GWL_STYLE)), RecordingWindow::kStyle);
}

TEST(Win32Window, CreateStructCarriesTheOuterSizeAndParameter) {
    static CREATESTRUCTA seen{};
    static int parameter = 0;
    struct Local {
        static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_CREATE) seen = *reinterpret_cast<CREATESTRUCTA*>(lParam);
            return DefWindowProcA(window, message, wParam, lParam);
        }
    };
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Local::procedure;
    windowClass.lpszClassName = "zep create struct";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND window = CreateWindowA("zep create struct", "title", WS_OVERLAPPEDWINDOW, 5, 6, 300, 200, nullptr, nullptr,
                                nullptr, &parameter);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(seen.lpCreateParams, &parameter);
    EXPECT_EQ(seen.cx, 300);
    EXPECT_EQ(seen.cy, 200);
    EXPECT_EQ(seen.x, 5);
    EXPECT_EQ(seen.style, LONG(WS_OVERLAPPEDWINDOW));
    EXPECT_STREQ(seen.lpszName, "title");

    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(width(outer), 300);
    EXPECT_EQ(height(outer), 200);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassA("zep create struct", nullptr));
}

// The engine computes its window's outer size from the wanted client size
// with AdjustWindowRect, and creates the window with it: the client area
// must come out exactly as wanted.
TEST(Win32Window, AdjustWindowRectRoundTripsTheEngineWindowStyle) {
    RECT outer{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(&outer, kEngineWindowStyle, FALSE));
    EXPECT_LT(outer.left, 0);
    EXPECT_LT(outer.top, outer.left);  // the caption is above the frame
    EXPECT_GT(outer.right, 640);
    EXPECT_GT(outer.bottom, 480);

    RecordingWindow w(640, 480, kEngineWindowStyle & ~DWORD(WS_VISIBLE));
    ASSERT_NE(w.handle(), nullptr);
    RECT client{}, window{};
    ASSERT_TRUE(GetClientRect(w.handle(), &client));
    ASSERT_TRUE(GetWindowRect(w.handle(), &window));
    EXPECT_EQ(width(client), 640);
    EXPECT_EQ(height(client), 480);
    EXPECT_EQ(width(window), width(outer));
    EXPECT_EQ(height(window), height(outer));
}

TEST(Win32Window, FrameDependsOnStyleAndMenu) {
    RECT popup{0, 0, 100, 100};
    AdjustWindowRect(&popup, WS_POPUP, FALSE);
    EXPECT_EQ(popup.left, 0);
    EXPECT_EQ(popup.top, 0);
    EXPECT_EQ(popup.right, 100);
    EXPECT_EQ(popup.bottom, 100);

    RECT noMenu{0, 0, 100, 100}, withMenu{0, 0, 100, 100};
    AdjustWindowRect(&noMenu, WS_OVERLAPPEDWINDOW, FALSE);
    AdjustWindowRect(&withMenu, WS_OVERLAPPEDWINDOW, TRUE);
    EXPECT_EQ(withMenu.top, noMenu.top - GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(withMenu.bottom, noMenu.bottom);
    EXPECT_EQ(noMenu.left, -GetSystemMetrics(SM_CXFRAME));
}

TEST(Win32Window, SetWindowPosSendsOneSizeMessageForTheNewClientSize) {
    RecordingWindow w(320, 240);
    w.received().clear();
    RECT outer{0, 0, 400, 300};
    AdjustWindowRect(&outer, RecordingWindow::kStyle, FALSE);
    ASSERT_TRUE(SetWindowPos(w.handle(), nullptr, 0, 0, width(outer), height(outer), SWP_NOMOVE | SWP_NOZORDER));

    auto sizes = w.receivedOf(WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(LOWORD(sizes[0].lParam), 400);
    EXPECT_EQ(HIWORD(sizes[0].lParam), 300);

    // SDL reports the change again as an event; the procedure was told.
    for (const MSG& m : RecordingWindow::takeQueued(w.handle())) EXPECT_NE(m.message, UINT(WM_SIZE));
    RECT client{};
    GetClientRect(w.handle(), &client);
    EXPECT_EQ(width(client), 400);
    EXPECT_EQ(height(client), 300);
}

// The engine's switch to full screen: a bare popup style, then the outer
// rectangle of the screen, which is then all client area.
TEST(Win32Window, StyleChangeThenSetWindowPosGivesAFramelessWindow) {
    RecordingWindow w(320, 240);
    SetWindowLongA(w.handle(), GWL_STYLE, LONG(WS_POPUP | WS_SYSMENU | WS_VISIBLE));
    ASSERT_TRUE(SetWindowPos(w.handle(), HWND_TOP, 0, 0, 800, 600, SWP_SHOWWINDOW));
    RECT client{}, outer{};
    GetClientRect(w.handle(), &client);
    GetWindowRect(w.handle(), &outer);
    EXPECT_EQ(width(client), 800);
    EXPECT_EQ(height(client), 600);
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.right, 800);
    EXPECT_EQ(outer.bottom, 600);
    EXPECT_EQ(LOWORD(w.receivedOf(WM_SIZE).back().lParam), 800);
}

TEST(Win32Window, ShowWindowReportsThePreviousVisibility) {
    RecordingWindow w;  // created without WS_VISIBLE
    EXPECT_FALSE(ShowWindow(w.handle(), SW_SHOW));
    EXPECT_TRUE(GetWindowLongA(w.handle(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(ShowWindow(w.handle(), SW_HIDE));
    EXPECT_FALSE(GetWindowLongA(w.handle(), GWL_STYLE) & WS_VISIBLE);
}

TEST(Win32Window, CreateFailsForUnknownClassAndWhenCreateAnswersMinusOne) {
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "no such class", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));

    static int destroys = 0;
    struct Local {
        static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_CREATE) return -1;
            if (message == WM_DESTROY) ++destroys;
            return DefWindowProcA(window, message, wParam, lParam);
        }
    };
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Local::procedure;
    windowClass.lpszClassName = "zep refusing";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_ALREADY_EXISTS));
    EXPECT_EQ(CreateWindowExA(0, "ZEP REFUSING", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(destroys, 1);
    EXPECT_TRUE(UnregisterClassA("zep refusing", nullptr));
}

TEST(Win32Window, DestroyWindowSendsDestroyAndInvalidatesTheHandle) {
    RecordingWindow w;
    const HWND handle = w.handle();
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_FALSE(UnregisterClassA(RecordingWindow::kClassName, nullptr));  // it has a window
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_HAS_WINDOWS));

    ASSERT_TRUE(DestroyWindow(handle));
    EXPECT_EQ(w.receivedOf(WM_DESTROY).size(), 1u);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(DestroyWindow(handle));
    RECT r{};
    EXPECT_FALSE(GetClientRect(handle, &r));
}

TEST(Win32Window, WindowLongsKeepUserDataAndProcedure) {
    RecordingWindow w;
    EXPECT_EQ(SetWindowLongPtrA(w.handle(), GWLP_USERDATA, 42), 0);
    EXPECT_EQ(GetWindowLongPtrA(w.handle(), GWLP_USERDATA), 42);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w.handle(), GWLP_WNDPROC)), &RecordingWindow::procedure);
}

TEST(Win32Window, StockObjectsAreDistinctAndKnownAsStock) {
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    ASSERT_NE(white, nullptr);
    EXPECT_NE(white, black);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
    EXPECT_TRUE(zep::win32::isStockObject(white));
    int notStock = 0;
    EXPECT_FALSE(zep::win32::isStockObject(&notStock));
    EXPECT_EQ(GetStockObject(-1), nullptr);
}

TEST(Win32Window, MenusDoNotExist) {
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(141)), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    RecordingWindow w;
    EXPECT_EQ(GetMenu(w.handle()), nullptr);
    EXPECT_TRUE(SetMenu(w.handle(), nullptr));
}

}  // namespace
