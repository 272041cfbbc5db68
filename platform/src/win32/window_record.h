// What the window system keeps per window.
//
// The record hangs on the SDL window itself (SDL_SetWindowData), not in a
// table of this library: a host that links its own copy of the platform
// layer beside the engine library's copy dispatches messages to windows the
// engine created, and SDL is the one place both copies share.
#pragma once

#include <windows.h>

#include <SDL.h>

namespace zep::win32 {

struct WindowRecord {
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT classStyle = 0;            // CS_DBLCLKS decides on double clicks
    HINSTANCE instance = nullptr;
    HCURSOR classCursor = nullptr;  // set by DefWindowProcA on WM_SETCURSOR
    HMENU menu = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    char className[256] = {};
    // The size state and client size last told to the procedure by WM_SIZE,
    // so that a size SDL reports twice (or that SetWindowPos already told)
    // is told once.
    int sizeType = SIZE_RESTORED;
    int clientWidth = 0;
    int clientHeight = 0;
};

// The record of a window made by CreateWindowExA; null for any other handle.
WindowRecord* recordOf(HWND window);
WindowRecord* recordOf(SDL_Window* window);

void attachRecord(SDL_Window* window, WindowRecord* record);
WindowRecord* detachRecord(SDL_Window* window);  // the caller deletes it

// The frame around the client area of a window of this style, in pixels.
struct FrameInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
FrameInsets frameInsets(DWORD style, bool menu, DWORD exStyle);

// Calls the window's procedure; 0 when the handle names no window.
LRESULT callProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sends WM_SIZE when the window's size state or client size differs from
// what the procedure last heard.
void sendSizeIfChanged(HWND window);

}  // namespace zep::win32
