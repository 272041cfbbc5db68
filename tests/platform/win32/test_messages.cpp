// The message queue: SDL events as WM_* messages with Windows' packing,
// posted and sent messages, WM_QUIT.

#include "win32_test_window.h"

#include <windows.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ostream>
#include <string>

namespace {

using zep::test::RecordingWindow;

// The engine's private resize message, sent with SendMessageA.
static_assert(RecordingWindow::kAnswerMessage == 0x8001);

Uint32 sdlIdOf(HWND window) { return Uint32(reinterpret_cast<uintptr_t>(window)); }

SDL_Event mouseMotion(Uint32 id, int x, int y, Uint32 buttons) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = id;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = buttons;
    return e;
}

SDL_Event mouseButton(Uint32 id, bool down, Uint8 button, int x, int y, Uint8 clicks = 1) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = id;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event key(Uint32 id, bool down, SDL_Scancode scancode, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = id;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event windowEvent(Uint32 id, SDL_WindowEventID what, int data1 = 0, int data2 = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = Uint8(what);
    e.window.data1 = data1;
    e.window.data2 = data2;
    return e;
}

SDL_Event wheel(Uint32 id, int steps) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = id;
    e.wheel.y = steps;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    return e;
}

SDL_Event text(Uint32 id, const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = id;
    std::strncpy(e.text.text, utf8, sizeof(e.text.text) - 1);
    return e;
}

struct EventCase {
    const char* name;
    SDL_Event (*make)(Uint32 id);
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool checkLParam;
};

// lParam of a key message: repeat count 1, scan code, extended, Alt, was
// down, released.
constexpr LPARAM keyLParam(DWORD scan, bool extended, bool alt, bool wasDown, bool released) {
    return LPARAM(1u | (scan << 16) | (extended ? 1u << 24 : 0u) | (alt ? 1u << 29 : 0u) | (wasDown ? 1u << 30 : 0u) |
                  (released ? 1u << 31 : 0u));
}

const EventCase kEventCases[] = {
    {"move, left and right held", [](Uint32 id) { return mouseMotion(id, 10, 20, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK); },
     WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(10, 20), true},
    {"move, middle held", [](Uint32 id) { return mouseMotion(id, 300, 7, SDL_BUTTON_MMASK); }, WM_MOUSEMOVE,
     MK_MBUTTON, MAKELPARAM(300, 7), true},
    {"move left of the window", [](Uint32 id) { return mouseMotion(id, -5, 3, 0); }, WM_MOUSEMOVE, 0,
     MAKELPARAM(-5, 3), true},
    {"left down", [](Uint32 id) { return mouseButton(id, true, SDL_BUTTON_LEFT, 1, 2); }, WM_LBUTTONDOWN, MK_LBUTTON,
     MAKELPARAM(1, 2), true},
    {"left up", [](Uint32 id) { return mouseButton(id, false, SDL_BUTTON_LEFT, 3, 4); }, WM_LBUTTONUP, 0,
     MAKELPARAM(3, 4), true},
    {"left double click", [](Uint32 id) { return mouseButton(id, true, SDL_BUTTON_LEFT, 3, 4, 2); },
     WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4), true},
    {"right down", [](Uint32 id) { return mouseButton(id, true, SDL_BUTTON_RIGHT, 5, 6); }, WM_RBUTTONDOWN,
     MK_RBUTTON, MAKELPARAM(5, 6), true},
    {"right up", [](Uint32 id) { return mouseButton(id, false, SDL_BUTTON_RIGHT, 5, 6); }, WM_RBUTTONUP, 0,
     MAKELPARAM(5, 6), true},
    {"middle down", [](Uint32 id) { return mouseButton(id, true, SDL_BUTTON_MIDDLE, 7, 8); }, WM_MBUTTONDOWN,
     MK_MBUTTON, MAKELPARAM(7, 8), true},
    {"middle up", [](Uint32 id) { return mouseButton(id, false, SDL_BUTTON_MIDDLE, 7, 8); }, WM_MBUTTONUP, 0,
     MAKELPARAM(7, 8), true},
    {"wheel away from the user", [](Uint32 id) { return wheel(id, 1); }, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0,
     false},
    {"key A down", [](Uint32 id) { return key(id, true, SDL_SCANCODE_A); }, WM_KEYDOWN, 'A',
     keyLParam(0x1E, false, false, false, false), true},
    {"key A repeated", [](Uint32 id) { return key(id, true, SDL_SCANCODE_A, KMOD_NONE, true); }, WM_KEYDOWN, 'A',
     keyLParam(0x1E, false, false, true, false), true},
    {"key A up", [](Uint32 id) { return key(id, false, SDL_SCANCODE_A); }, WM_KEYUP, 'A',
     keyLParam(0x1E, false, false, true, true), true},
    {"right control down (extended)", [](Uint32 id) { return key(id, true, SDL_SCANCODE_RCTRL); }, WM_KEYDOWN,
     VK_CONTROL, keyLParam(0x1D, true, false, false, false), true},
    {"arrow up down (extended)", [](Uint32 id) { return key(id, true, SDL_SCANCODE_UP); }, WM_KEYDOWN, VK_UP,
     keyLParam(0x48, true, false, false, false), true},
    {"F1 down", [](Uint32 id) { return key(id, true, SDL_SCANCODE_F1); }, WM_KEYDOWN, VK_F1,
     keyLParam(0x3B, false, false, false, false), true},
    {"Alt+F4 down", [](Uint32 id) { return key(id, true, SDL_SCANCODE_F4, KMOD_LALT); }, WM_SYSKEYDOWN, VK_F4,
     keyLParam(0x3E, false, true, false, false), true},
    {"text", [](Uint32 id) { return text(id, "\xC3\xA9"); }, WM_CHAR, 0xE9, 1, true},
    {"close", [](Uint32 id) { return windowEvent(id, SDL_WINDOWEVENT_CLOSE); }, WM_CLOSE, 0, 0, true},
    {"resized", [](Uint32 id) { return windowEvent(id, SDL_WINDOWEVENT_RESIZED, 300, 200); }, WM_SIZE, SIZE_RESTORED,
     MAKELPARAM(300, 200), true},
    {"minimized", [](Uint32 id) { return windowEvent(id, SDL_WINDOWEVENT_MINIMIZED); }, WM_SIZE, SIZE_MINIMIZED, 0,
     true},
    {"exposed", [](Uint32 id) { return windowEvent(id, SDL_WINDOWEVENT_EXPOSED); }, WM_PAINT, 0, 0, true},
    {"focus gained", [](Uint32 id) { return windowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED); }, WM_ACTIVATEAPP, TRUE, 0,
     true},
    {"focus lost", [](Uint32 id) { return windowEvent(id, SDL_WINDOWEVENT_FOCUS_LOST); }, WM_KILLFOCUS, 0, 0, true},
};

// Cases are named by their description in test output.
void PrintTo(const EventCase& c, std::ostream* out) { *out << c.name; }

class Win32EventTranslation : public ::testing::TestWithParam<EventCase> {};

TEST_P(Win32EventTranslation, EventBecomesTheMessageWithWindowsPacking) {
    const EventCase& c = GetParam();
    RecordingWindow w;
    ASSERT_NE(w.handle(), nullptr);
    // No buttons held from an earlier case.
    SDL_Event reset = mouseMotion(sdlIdOf(w.handle()), 0, 0, 0);
    SDL_PushEvent(&reset);
    RecordingWindow::takeQueued(w.handle());

    SDL_Event event = c.make(sdlIdOf(w.handle()));
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << c.name;
    EXPECT_EQ(msg.hwnd, w.handle()) << c.name;
    EXPECT_EQ(msg.message, c.message) << c.name;
    EXPECT_EQ(msg.wParam, c.wParam) << c.name;
    if (c.checkLParam) {
        EXPECT_EQ(msg.lParam, c.lParam) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Win32EventTranslation, ::testing::ValuesIn(kEventCases),
                         [](const ::testing::TestParamInfo<EventCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

TEST(Win32Messages, KeysWithControlCharactersAlsoGiveWmChar) {
    RecordingWindow w;
    SDL_Event escape = key(sdlIdOf(w.handle()), true, SDL_SCANCODE_ESCAPE);
    SDL_PushEvent(&escape);
    const auto queued = RecordingWindow::takeQueued(w.handle());
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[0].message, UINT(WM_KEYDOWN));
    EXPECT_EQ(queued[1].message, UINT(WM_CHAR));
    EXPECT_EQ(queued[1].wParam, WPARAM(0x1B));
}

// The engine hides the cursor in full-screen mode from WM_SETCURSOR.
TEST(Win32Messages, MouseMovesAskTheProcedureForACursorBeforeTheyAreQueued) {
    RecordingWindow w;
    w.received().clear();
    SDL_Event move = mouseMotion(sdlIdOf(w.handle()), 4, 5, 0);
    SDL_PushEvent(&move);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, w.handle(), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_MOUSEMOVE));
    const auto asked = w.receivedOf(WM_SETCURSOR);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].wParam, reinterpret_cast<WPARAM>(w.handle()));
    EXPECT_EQ(LOWORD(asked[0].lParam), HTCLIENT);
    EXPECT_EQ(HIWORD(asked[0].lParam), WM_MOUSEMOVE);
}

TEST(Win32Messages, ASizeReportedTwiceIsToldOnce) {
    RecordingWindow w;
    SDL_Event resized = windowEvent(sdlIdOf(w.handle()), SDL_WINDOWEVENT_RESIZED, 500, 400);
    SDL_Event changed = windowEvent(sdlIdOf(w.handle()), SDL_WINDOWEVENT_SIZE_CHANGED, 500, 400);
    SDL_PushEvent(&resized);
    SDL_PushEvent(&changed);
    int sizes = 0;
    for (const MSG& m : RecordingWindow::takeQueued(w.handle())) sizes += m.message == WM_SIZE;
    EXPECT_EQ(sizes, 1);
}

TEST(Win32Messages, FilterAndNoRemoveLeaveOtherMessagesQueued) {
    RecordingWindow w;
    ASSERT_TRUE(PostMessageA(w.handle(), WM_APP + 1, 1, 0));
    ASSERT_TRUE(PostMessageA(w.handle(), WM_APP + 2, 2, 0));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, w.handle(), WM_APP + 2, WM_APP + 2, PM_NOREMOVE));
    EXPECT_EQ(msg.message, UINT(WM_APP + 2));
    ASSERT_TRUE(PeekMessageA(&msg, w.handle(), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_APP + 1));
    ASSERT_TRUE(PeekMessageA(&msg, w.handle(), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_APP + 2));
    EXPECT_FALSE(PeekMessageA(&msg, w.handle(), 0, 0, PM_REMOVE));
}

TEST(Win32Messages, SendMessageCallsTheProcedureAtOnceAndReturnsItsResult) {
    RecordingWindow w;
    w.received().clear();
    EXPECT_EQ(SendMessageA(w.handle(), RecordingWindow::kAnswerMessage, 3, 4), RecordingWindow::kAnswer);
    ASSERT_EQ(w.received().size(), 1u);
    EXPECT_EQ(w.received()[0].wParam, WPARAM(3));
    EXPECT_EQ(w.received()[0].lParam, LPARAM(4));
}

TEST(Win32Messages, PostedMessagesWaitForDispatch) {
    RecordingWindow w;
    w.received().clear();
    ASSERT_TRUE(PostMessageA(w.handle(), RecordingWindow::kAnswerMessage, 5, -6));
    EXPECT_TRUE(w.received().empty());
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.lParam, LPARAM(-6));
    EXPECT_EQ(DispatchMessageA(&msg), RecordingWindow::kAnswer);
    ASSERT_EQ(w.received().size(), 1u);
    EXPECT_EQ(w.received()[0].wParam, WPARAM(5));
}

TEST(Win32Messages, MessagesForADestroyedWindowAreDropped) {
    MSG msg{};
    {
        RecordingWindow w;
        ASSERT_TRUE(PostMessageA(w.handle(), WM_APP + 3, 0, 0));
        ASSERT_TRUE(DestroyWindow(w.handle()));
        EXPECT_FALSE(PostMessageA(w.handle(), WM_APP + 3, 0, 0));
        EXPECT_EQ(SendMessageA(w.handle(), RecordingWindow::kAnswerMessage, 0, 0), 0);
    }
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Win32Messages, GetMessageForAWindowThatIsGoneFailsInsteadOfWaiting) {
    HWND gone = nullptr;
    {
        RecordingWindow w;
        gone = w.handle();
    }
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, gone, 0, 0), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(Win32Messages, PostQuitMessageEndsGetMessageAfterEarlierMessages) {
    RecordingWindow w;
    ASSERT_TRUE(PostMessageA(w.handle(), WM_APP + 4, 0, 0));
    PostQuitMessage(7);
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, UINT(WM_APP + 4));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, WPARAM(7));
}

TEST(Win32Messages, DefaultProcedureDestroysTheWindowOnClose) {
    RecordingWindow w;
    SDL_Event close = windowEvent(sdlIdOf(w.handle()), SDL_WINDOWEVENT_CLOSE);
    SDL_PushEvent(&close);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, w.handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_FALSE(IsWindow(w.handle()));
    EXPECT_EQ(w.receivedOf(WM_DESTROY).size(), 1u);
}

TEST(Win32Messages, DefaultProcedureTurnsRightClicksIntoContextMenusAndAltF4IntoClose) {
    RecordingWindow w;
    w.received().clear();
    SDL_Event up = mouseButton(sdlIdOf(w.handle()), false, SDL_BUTTON_RIGHT, 3, 4);
    SDL_Event altF4 = key(sdlIdOf(w.handle()), true, SDL_SCANCODE_F4, KMOD_LALT);
    POINT expected{3, 4};
    ClientToScreen(w.handle(), &expected);  // before Alt+F4 destroys the window
    SDL_PushEvent(&up);
    SDL_PushEvent(&altF4);
    MSG msg{};
    while (PeekMessageA(&msg, w.handle(), 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

    const auto menus = w.receivedOf(WM_CONTEXTMENU);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].wParam, reinterpret_cast<WPARAM>(w.handle()));
    EXPECT_EQ(GET_X_LPARAM(menus[0].lParam), expected.x);
    EXPECT_EQ(GET_Y_LPARAM(menus[0].lParam), expected.y);

    const auto commands = w.receivedOf(WM_SYSCOMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, WPARAM(SC_CLOSE));
    EXPECT_EQ(w.receivedOf(WM_CLOSE).size(), 1u);
    EXPECT_FALSE(IsWindow(w.handle()));
}

TEST(Win32Messages, HeadlessMessageBoxWritesToStandardErrorAndAnswersOk) {
    // Needs video up to know whether a display exists.
    RecordingWindow w;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0))
        GTEST_SKIP() << "a display is present; a real dialog would wait for a person";
    ::testing::internal::CaptureStderr();
    const int answer = MessageBoxA(nullptr, "Wrong DDL!", "Error!", MB_OK | MB_ICONERROR);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error!: Wrong DDL!\n");
    EXPECT_EQ(answer, IDOK);
}

}  // namespace
