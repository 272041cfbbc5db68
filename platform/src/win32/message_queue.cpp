// The message queue: PeekMessageA, GetMessageA, DispatchMessageA,
// SendMessageA, PostMessageA, PostQuitMessage, DefWindowProcA.
//
// Posted messages are pushed into SDL's event queue and come back out in
// order with the input around them. SDL is shared by every copy of this
// layer in the process (the engine library carries one, a host may carry
// another), so a quit or a message the engine posts reaches the host's
// message loop.

#include "win32/event_translate.h"
#include "win32/sdl_video.h"
#include "win32/window_handle.h"
#include "win32/window_record.h"

#include <SDL.h>

#include <deque>

using namespace zep::win32;

namespace {

// Messages translated from SDL events but not yet taken. Per thread, as
// Windows' queues are; only the thread that pumps sees them.
thread_local std::deque<MSG> pending;

void pumpEvents() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    SDL_Event event;
    MSG messages[kMaxMessagesPerEvent];
    while (SDL_PollEvent(&event)) {
        const int count = translateEvent(event, messages);
        pending.insert(pending.end(), messages, messages + count);
    }
}

// Windows hands out WM_QUIT whatever the filter asks for.
bool matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg.message == WM_QUIT) return true;
    if (window == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd) return false;
    } else if (window && msg.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Messages of windows destroyed since they were queued are dropped.
bool addresseeGone(const MSG& msg) { return msg.hwnd && !IsWindow(msg.hwnd); }

bool takeMessage(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = pending.begin(); it != pending.end();) {
        if (addresseeGone(*it)) {
            it = pending.erase(it);
            continue;
        }
        if (matches(*it, window, filterMin, filterMax)) {
            *msg = *it;
            if (remove) pending.erase(it);
            return true;
        }
        ++it;
    }
    return false;
}

bool pushPosted(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!ensureVideo()) return false;
    SDL_Event event{};
    event.type = kPostedMessageEvent;
    event.user.windowID = Uint32(reinterpret_cast<uintptr_t>(window));
    event.user.code = Sint32(message);
    event.user.data1 = reinterpret_cast<void*>(wParam);
    event.user.data2 = reinterpret_cast<void*>(lParam);
    return SDL_PushEvent(&event) == 1;
}

}  // namespace

extern "C" BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return FALSE;
    pumpEvents();
    return takeMessage(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (!msg || !ensureVideo()) return -1;
    // Waiting for a window that is gone would never end.
    if (window && window != reinterpret_cast<HWND>(-1) && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    while (!PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE)) {
        // Sleeps until SDL has an event; the timeout only bounds the wait
        // for input that SDL learns of without waking the waiter.
        SDL_WaitEventTimeout(nullptr, 50);
    }
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

// Characters come from SDL's text input already, as WM_CHAR messages queued
// after their key's WM_KEYDOWN; there is nothing left to translate.
extern "C" BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg) return FALSE;
    return msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_SYSKEYDOWN ||
           msg->message == WM_SYSKEYUP;
}

extern "C" LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return callProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

extern "C" LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return callProcedure(window, message, wParam, lParam);
}

extern "C" BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A null window posts to the thread, as PostThreadMessage would.
    if (window && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return pushPosted(window, message, wParam, lParam) ? TRUE : FALSE;
}

extern "C" void WINAPI PostQuitMessage(int exitCode) {
    pushPosted(nullptr, WM_QUIT, WPARAM(exitCode), 0);
}

extern "C" LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

extern "C" LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_NCCREATE: return TRUE;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_ERASEBKGND: return 1;
    case WM_POWERBROADCAST: return TRUE;
    case WM_SETCURSOR: {
        WindowRecord* record = recordOf(window);
        if (LOWORD(lParam) == HTCLIENT && record && record->classCursor) {
            SetCursor(record->classCursor);
            return TRUE;
        }
        return FALSE;
    }
    case WM_RBUTTONUP: {
        // A right click asks for the window's context menu, at the cursor.
        POINT where{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(window, &where);
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(where.x, where.y));
        return 0;
    }
    case WM_SYSKEYDOWN:
        // Alt+F4 closes the window through the system menu's Close.
        if (wParam == VK_F4 && (HIWORD(lParam) & KF_ALTDOWN)) SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND: {
        SDL_Window* sdlWindow = windowFromHandle(window);
        if (!sdlWindow) return 0;
        switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessageA(window, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: SDL_MinimizeWindow(sdlWindow); break;
        case SC_MAXIMIZE: SDL_MaximizeWindow(sdlWindow); break;
        case SC_RESTORE: SDL_RestoreWindow(sdlWindow); break;
        default: break;
        }
        return 0;
    }
    default: return 0;
    }
}
