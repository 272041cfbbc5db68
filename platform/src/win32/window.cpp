// Windows over SDL: creation and destruction, size and position, styles,
// window longs, coordinates and system metrics.

#include "win32/sdl_video.h"
#include "win32/window_class.h"
#include "win32/window_handle.h"
#include "win32/window_record.h"

#include <SDL.h>

#include <cstring>

using namespace zep::win32;

namespace {

// Used when a window is created with CW_USEDEFAULT as its size.
constexpr int kDefaultClientWidth = 640;
constexpr int kDefaultClientHeight = 480;

// SDL window flags for a window style. A caption or a frame means a
// decorated window; a bare WS_POPUP is borderless.
Uint32 sdlFlagsForStyle(DWORD style) {
    Uint32 flags = SDL_WINDOW_OPENGL;
    flags |= (style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!(style & (WS_CAPTION | WS_THICKFRAME))) flags |= SDL_WINDOW_BORDERLESS;
    if (style & WS_MAXIMIZE) flags |= SDL_WINDOW_MAXIMIZED;
    if (style & WS_MINIMIZE) flags |= SDL_WINDOW_MINIMIZED;
    return flags;
}

FrameInsets insetsOf(const WindowRecord& record) {
    return frameInsets(record.style, record.menu != nullptr, record.exStyle);
}

int atLeastOne(int value) { return value < 1 ? 1 : value; }

// The procedure's say on the minimum size (outer pixels) becomes SDL's
// minimum client size.
void applyMinMaxInfo(HWND window, SDL_Window* sdlWindow, const WindowRecord& record) {
    MINMAXINFO info{};
    info.ptMaxSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    info.ptMaxTrackSize = info.ptMaxSize;
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    callProcedure(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const FrameInsets insets = insetsOf(record);
    SDL_SetWindowMinimumSize(sdlWindow, atLeastOne(info.ptMinTrackSize.x - insets.left - insets.right),
                             atLeastOne(info.ptMinTrackSize.y - insets.top - insets.bottom));
}

void applyStyle(SDL_Window* window, DWORD oldStyle, DWORD style) {
    const Uint32 flags = sdlFlagsForStyle(style);
    SDL_SetWindowBordered(window, (flags & SDL_WINDOW_BORDERLESS) ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowResizable(window, (flags & SDL_WINDOW_RESIZABLE) ? SDL_TRUE : SDL_FALSE);
    if ((oldStyle ^ style) & WS_VISIBLE) {
        if (style & WS_VISIBLE) SDL_ShowWindow(window);
        else SDL_HideWindow(window);
    }
}

LONG_PTR getLong(HWND window, int index) {
    WindowRecord* record = recordOf(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(record->procedure);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(record->instance);
    case GWL_ID: return record->id;
    case GWL_STYLE: return LONG(record->style);
    case GWL_EXSTYLE: return LONG(record->exStyle);
    case GWL_USERDATA: return record->userData;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
}

LONG_PTR setLong(HWND window, int index, LONG_PTR value) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    WindowRecord* record = recordOf(sdlWindow);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const LONG_PTR previous = getLong(window, index);
    switch (index) {
    case GWL_WNDPROC:
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        record->procedure = reinterpret_cast<WNDPROC>(value);
        break;
    case GWL_HINSTANCE: record->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWL_ID: record->id = value; break;
    case GWL_STYLE: {
        // Windows shows the new frame only after SetWindowPos with
        // SWP_FRAMECHANGED; SDL changes decorations at once, which the
        // engine's full-screen toggle (style, then SetWindowPos) cannot tell
        // apart.
        const DWORD old = record->style;
        record->style = DWORD(value);
        applyStyle(sdlWindow, old, record->style);
        break;
    }
    case GWL_EXSTYLE: record->exStyle = DWORD(value); break;
    case GWL_USERDATA: record->userData = value; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    return previous;
}

}  // namespace

extern "C" HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                       int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                       LPVOID param) {
    WindowClass* windowClass = findWindowClass(className);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    // Child windows would need a window inside an SDL window; nothing the
    // engine or its hosts do asks for one.
    if (style & WS_CHILD) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!ensureVideo()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    auto* record = new WindowRecord;
    record->procedure = windowClass->procedure;
    record->style = style;
    record->exStyle = exStyle;
    record->classStyle = windowClass->style;
    record->instance = instance;
    record->classCursor = windowClass->cursor;
    record->menu = menu;
    std::strncpy(record->className, windowClassName(windowClass), sizeof(record->className) - 1);

    // As on Windows, CW_USEDEFAULT as the width picks the size (the height
    // is then ignored) and as x picks the position (y is then ignored).
    const FrameInsets insets = insetsOf(*record);
    const int clientWidth = width == CW_USEDEFAULT ? kDefaultClientWidth : atLeastOne(width - insets.left - insets.right);
    const int clientHeight =
        width == CW_USEDEFAULT ? kDefaultClientHeight : atLeastOne(height - insets.top - insets.bottom);
    const int clientX = x == CW_USEDEFAULT ? int(SDL_WINDOWPOS_UNDEFINED) : x + insets.left;
    const int clientY = x == CW_USEDEFAULT ? int(SDL_WINDOWPOS_UNDEFINED) : y + insets.top;

    SDL_Window* sdlWindow = SDL_CreateWindow(windowName ? windowName : "", clientX, clientY, clientWidth,
                                             clientHeight, sdlFlagsForStyle(style));
    if (!sdlWindow) {
        delete record;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    attachRecord(sdlWindow, record);
    ++windowClass->windows;
    HWND window = handleFromWindow(sdlWindow);

    applyMinMaxInfo(window, sdlWindow, *record);

    CREATESTRUCTA create{};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cx = width;
    create.cy = height;
    create.x = x;
    create.y = y;
    create.style = LONG(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    if (callProcedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    // The procedure may have destroyed the window itself.
    if (!IsWindow(window)) return nullptr;
    record->clientWidth = -1;  // WM_SIZE is always sent once after creation
    sendSizeIfChanged(window);
    return IsWindow(window) ? window : nullptr;
}

extern "C" BOOL WINAPI DestroyWindow(HWND window) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    if (!recordOf(sdlWindow)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    callProcedure(window, WM_DESTROY, 0, 0);
    // WM_DESTROY may have destroyed the window already (a nested call).
    sdlWindow = windowFromHandle(window);
    if (!sdlWindow) return TRUE;
    WindowRecord* record = detachRecord(sdlWindow);
    if (!record) return TRUE;
    record->procedure(window, WM_NCDESTROY, 0, 0);
    if (WindowClass* windowClass = findWindowClass(record->className)) --windowClass->windows;
    delete record;
    SDL_DestroyWindow(sdlWindow);
    return TRUE;
}

extern "C" BOOL WINAPI IsWindow(HWND window) { return recordOf(window) != nullptr; }

extern "C" BOOL WINAPI ShowWindow(HWND window, int command) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    WindowRecord* record = recordOf(sdlWindow);
    if (!record) return FALSE;
    const BOOL wasVisible = (record->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(sdlWindow);
        record->style &= ~DWORD(WS_VISIBLE);
        return wasVisible;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: SDL_MinimizeWindow(sdlWindow); break;
    case SW_SHOWMAXIMIZED: SDL_MaximizeWindow(sdlWindow); break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT: SDL_RestoreWindow(sdlWindow); break;
    default: break;
    }
    SDL_ShowWindow(sdlWindow);
    record->style |= WS_VISIBLE;
    sendSizeIfChanged(window);
    return wasVisible;
}

extern "C" BOOL WINAPI UpdateWindow(HWND window) {
    if (!IsWindow(window)) return FALSE;
    callProcedure(window, WM_PAINT, 0, 0);
    return TRUE;
}

extern "C" BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    if (!recordOf(sdlWindow)) return FALSE;
    SDL_SetWindowTitle(sdlWindow, text ? text : "");
    return TRUE;
}

extern "C" BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    int width = 0, height = 0;
    if (!rect || !recordOf(window) || !clientSize(window, &width, &height)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, width, height};
    return TRUE;
}

extern "C" BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    WindowRecord* record = recordOf(sdlWindow);
    if (!rect || !record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(sdlWindow, &x, &y);
    SDL_GetWindowSize(sdlWindow, &width, &height);
    const FrameInsets insets = insetsOf(*record);
    *rect = RECT{x - insets.left, y - insets.top, x + width + insets.right, y + height + insets.bottom};
    return TRUE;
}

extern "C" BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    const FrameInsets insets = frameInsets(style, menu != FALSE, exStyle);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return TRUE;
}

extern "C" BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}

extern "C" BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    WindowRecord* record = recordOf(sdlWindow);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const FrameInsets insets = insetsOf(*record);
    if (!(flags & SWP_NOSIZE))
        SDL_SetWindowSize(sdlWindow, atLeastOne(width - insets.left - insets.right),
                          atLeastOne(height - insets.top - insets.bottom));
    if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(sdlWindow, x + insets.left, y + insets.top);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) SDL_SetWindowAlwaysOnTop(sdlWindow, SDL_TRUE);
        else if (insertAfter == HWND_NOTOPMOST) SDL_SetWindowAlwaysOnTop(sdlWindow, SDL_FALSE);
        else if (insertAfter == HWND_TOP && !(flags & SWP_NOACTIVATE)) SDL_RaiseWindow(sdlWindow);
    }
    if (flags & SWP_SHOWWINDOW) {
        SDL_ShowWindow(sdlWindow);
        record->style |= WS_VISIBLE;
    } else if (flags & SWP_HIDEWINDOW) {
        SDL_HideWindow(sdlWindow);
        record->style &= ~DWORD(WS_VISIBLE);
    }
    sendSizeIfChanged(window);
    return TRUE;
}

extern "C" BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

extern "C" LONG WINAPI GetWindowLongA(HWND window, int index) { return LONG(getLong(window, index)); }

extern "C" LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
    return LONG(setLong(window, index, value));
}

extern "C" LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) { return getLong(window, index); }

extern "C" LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    return setLong(window, index, value);
}

extern "C" BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    if (!point || !recordOf(sdlWindow)) return FALSE;
    int x = 0, y = 0;
    SDL_GetWindowPosition(sdlWindow, &x, &y);
    point->x += x;
    point->y += y;
    return TRUE;
}

extern "C" BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    if (!point || !recordOf(sdlWindow)) return FALSE;
    int x = 0, y = 0;
    SDL_GetWindowPosition(sdlWindow, &x, &y);
    point->x -= x;
    point->y -= y;
    return TRUE;
}

extern "C" int WINAPI GetSystemMetrics(int index) {
    const FrameInsets sizing = frameInsets(WS_THICKFRAME, false, 0);
    const FrameInsets dialog = frameInsets(WS_DLGFRAME, false, 0);
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CYFULLSCREEN: {
        // The desktop when there is one; a common desktop size off screen.
        SDL_DisplayMode mode{};
        const bool known = ensureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0;
        const bool wide = index == SM_CXSCREEN || index == SM_CXFULLSCREEN;
        if (!known) return wide ? 1024 : 768;
        return wide ? mode.w : mode.h;
    }
    case SM_CYCAPTION: return frameInsets(WS_CAPTION, false, 0).top - frameInsets(WS_DLGFRAME, false, 0).top;
    case SM_CXBORDER:
    case SM_CYBORDER: return frameInsets(WS_BORDER, false, 0).left;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return dialog.left;
    case SM_CXFRAME:
    case SM_CYFRAME: return sizing.left;
    case SM_CYMENU: return frameInsets(0, true, 0).top;
    case SM_CXEDGE:
    case SM_CYEDGE: return frameInsets(0, false, WS_EX_CLIENTEDGE).left;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 16;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_MOUSEPRESENT: return 1;
    case SM_CMOUSEBUTTONS: return 3;
    default: return 0;
    }
}
