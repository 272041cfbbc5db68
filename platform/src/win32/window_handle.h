// The HWND stand-in: an HWND is an SDL window ID cast to the handle type, so
// a handle stays valid exactly as long as its window and can be checked.
#pragma once

#include <windows.h>

#include <SDL.h>

namespace zep::win32 {

HWND handleFromWindow(SDL_Window* window);  // null for a null window
SDL_Window* windowFromHandle(HWND handle);  // null when no such window exists

// The client area's size in pixels; false when the handle names no window.
bool clientSize(HWND handle, int* width, int* height);

}  // namespace zep::win32
