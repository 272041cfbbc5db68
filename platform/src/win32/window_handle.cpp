// HWND <-> SDL window.

#include "win32/window_handle.h"

#include <cstdint>

namespace zep::win32 {

HWND handleFromWindow(SDL_Window* window) {
    if (!window) return nullptr;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(SDL_GetWindowID(window)));
}

SDL_Window* windowFromHandle(HWND handle) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(handle);
    // Without SDL's video subsystem there are no windows to name.
    if (id == 0 || id > UINT32_MAX || !SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    return SDL_GetWindowFromID(static_cast<Uint32>(id));
}

bool clientSize(HWND handle, int* width, int* height) {
    SDL_Window* window = windowFromHandle(handle);
    if (!window) return false;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    if (w <= 0 || h <= 0) SDL_GetWindowSize(window, &w, &h);
    if (width) *width = w;
    if (height) *height = h;
    return true;
}

}  // namespace zep::win32
