// Cursors, icons, stock objects and menus.
//
// Resources (icons, menus) live in Windows executables; Linux programs have
// none. Icons are accepted as placeholders that nothing shows, menu
// resources do not exist, and the system cursors are SDL's.

#include "win32/sdl_video.h"
#include "win32/stock_objects.h"
#include "win32/window_record.h"

#include <SDL.h>

#include <array>

using namespace zep::win32;

namespace {

// A non-null icon handle for any request: a window class only stores it.
struct IconPlaceholder {
    int unused;
};
IconPlaceholder placeholderIcon;

SDL_SystemCursor systemCursorFor(LPCSTR name) {
    switch (reinterpret_cast<uintptr_t>(name)) {
    case 32513: return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514: return SDL_SYSTEM_CURSOR_WAIT;
    case 32515: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32646: return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32649: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

// System cursors are shared and never destroyed, as on Windows.
std::array<SDL_Cursor*, SDL_NUM_SYSTEM_CURSORS> systemCursors{};
HCURSOR currentCursor = nullptr;

// ShowCursor's display counter: the cursor shows while it is 0 or more.
int cursorDisplayCount = 0;

// Stock objects are never deleted; their handles only have to be distinct
// and stable.
std::array<char, 32> stockObjects{};

}  // namespace

extern "C" HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return reinterpret_cast<HICON>(&placeholderIcon); }

extern "C" HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Cursor resources of a module do not exist.
    if (instance || !IS_INTRESOURCE(name) || !ensureVideo()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const SDL_SystemCursor id = systemCursorFor(name);
    if (!systemCursors[id]) systemCursors[id] = SDL_CreateSystemCursor(id);
    return reinterpret_cast<HCURSOR>(systemCursors[id]);
}

extern "C" HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    const HCURSOR previous = currentCursor;
    currentCursor = cursor;
    if (cursor && SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(cursor));
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursor && cursorDisplayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return previous;
}

extern "C" int WINAPI ShowCursor(BOOL show) {
    cursorDisplayCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursorDisplayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorDisplayCount;
}

extern "C" BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point || !ensureVideo()) return FALSE;
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    *point = POINT{x, y};
    return TRUE;
}

bool zep::win32::isStockObject(HGDIOBJ object) {
    const auto* p = static_cast<const char*>(object);
    return p >= stockObjects.data() && p < stockObjects.data() + stockObjects.size();
}

extern "C" HGDIOBJ WINAPI GetStockObject(int index) {
    if (index < 0 || index >= int(stockObjects.size())) return nullptr;
    return &stockObjects[size_t(index)];
}

extern "C" HMENU WINAPI LoadMenuA(HINSTANCE, LPCSTR) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

// No menu can be loaded, so only "no menu" can be set.
extern "C" BOOL WINAPI SetMenu(HWND window, HMENU menu) {
    WindowRecord* record = recordOf(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (menu) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    record->menu = nullptr;
    return TRUE;
}

extern "C" HMENU WINAPI GetMenu(HWND window) {
    WindowRecord* record = recordOf(window);
    return record ? record->menu : nullptr;
}

extern "C" HMENU WINAPI GetSubMenu(HMENU, int) { return nullptr; }

extern "C" BOOL WINAPI DestroyMenu(HMENU) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
}

extern "C" BOOL WINAPI TrackPopupMenu(HMENU, UINT, int, int, int, HWND, const RECT*) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
}

extern "C" BOOL WINAPI TrackPopupMenuEx(HMENU, UINT, int, int, HWND, void*) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
}
