// SDL events as window messages, packed the way Windows packs them.
//
//   mouse motion      WM_MOUSEMOVE     wParam MK_* held, lParam MAKELPARAM(x, y) client pixels
//   button down/up    WM_xBUTTONDOWN/UP (WM_xBUTTONDBLCLK on a double click when the
//                     class has CS_DBLCLKS), same packing, wParam after the change
//   wheel             WM_MOUSEWHEEL    HIWORD(wParam) delta in WHEEL_DELTA steps, lParam screen x, y
//   key down/up       WM_KEYDOWN/UP    wParam VK_*, lParam repeat 1 | scan code << 16 |
//                     extended << 24 | Alt << 29 | was down << 30 | released << 31;
//                     WM_SYSKEYDOWN/UP while Alt is held and for F10
//   text              WM_CHAR          one per character of Latin-1; Enter, Backspace, Tab,
//                     Escape and Ctrl+letter give their control characters after WM_KEYDOWN
//   resized etc.      WM_SIZE          SIZE_RESTORED/MINIMIZED/MAXIMIZED, lParam client size;
//                     only when the size differs from what the procedure was last told
//   moved             WM_MOVE          lParam client origin on the screen
//   exposed           WM_PAINT
//   close             WM_CLOSE
//   focus gained      WM_ACTIVATEAPP(TRUE), WM_ACTIVATE(WA_ACTIVE), WM_SETFOCUS
//   focus lost        WM_KILLFOCUS, WM_ACTIVATE(WA_INACTIVE), WM_ACTIVATEAPP(FALSE)
//
// Before mouse moves and button presses, WM_SETCURSOR (wParam the window,
// lParam MAKELPARAM(HTCLIENT, mouse message)) is sent to the procedure
// at once, as Windows does. Events of windows not made by CreateWindowExA
// give nothing.
#pragma once

#include <windows.h>

#include <SDL.h>

namespace zep::win32 {

// The most messages one event becomes (a text event of 32 bytes).
constexpr int kMaxMessagesPerEvent = 32;

// Messages posted with PostMessageA travel through SDL's queue as events of
// this type, in order with the input they were posted among:
// windowID = the HWND (0 for thread messages), code = the message,
// data1 = wParam, data2 = lParam.
constexpr Uint32 kPostedMessageEvent = SDL_LASTEVENT - 1;

// Appends the messages `event` stands for to `out` (room for
// kMaxMessagesPerEvent); returns how many.
int translateEvent(const SDL_Event& event, MSG* out);

}  // namespace zep::win32
