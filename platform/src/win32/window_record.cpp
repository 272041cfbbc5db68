// Per-window records on SDL windows, and the frame metrics.

#include "win32/window_record.h"

#include "win32/window_handle.h"

namespace zep::win32 {
namespace {

// Fixed frame metrics, those of the classic Windows look. A window's client
// area is what the engine sizes its back buffer by, so all that matters is
// that CreateWindowExA, AdjustWindowRectEx and GetWindowRect agree.
constexpr int kBorder = 1;
constexpr int kDialogFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kClientEdge = 2;
constexpr int kCaption = 19;
constexpr int kMenuBar = 19;

constexpr const char* kRecordKey = "zep.win32.window";

}  // namespace

WindowRecord* recordOf(SDL_Window* window) {
    if (!window) return nullptr;
    return static_cast<WindowRecord*>(SDL_GetWindowData(window, kRecordKey));
}

WindowRecord* recordOf(HWND window) { return recordOf(windowFromHandle(window)); }

void attachRecord(SDL_Window* window, WindowRecord* record) {
    SDL_SetWindowData(window, kRecordKey, record);
}

WindowRecord* detachRecord(SDL_Window* window) {
    return static_cast<WindowRecord*>(SDL_SetWindowData(window, kRecordKey, nullptr));
}

FrameInsets frameInsets(DWORD style, bool menu, DWORD exStyle) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizingFrame;
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        frame = kDialogFrame;
    else if (style & WS_BORDER)
        frame = kBorder;
    if (exStyle & WS_EX_CLIENTEDGE) frame += kClientEdge;

    FrameInsets insets{frame, frame, frame, frame};
    if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaption;
    if (menu) insets.top += kMenuBar;
    return insets;
}

LRESULT callProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = recordOf(window);
    if (!record || !record->procedure) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return record->procedure(window, message, wParam, lParam);
}

void sendSizeIfChanged(HWND window) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    WindowRecord* record = recordOf(sdlWindow);
    if (!record) return;
    const Uint32 flags = SDL_GetWindowFlags(sdlWindow);
    int type = SIZE_RESTORED;
    if (flags & SDL_WINDOW_MINIMIZED) type = SIZE_MINIMIZED;
    else if (flags & SDL_WINDOW_MAXIMIZED) type = SIZE_MAXIMIZED;
    int width = 0, height = 0;
    if (type != SIZE_MINIMIZED) clientSize(window, &width, &height);
    if (type == record->sizeType && width == record->clientWidth && height == record->clientHeight) return;
    record->sizeType = type;
    record->clientWidth = width;
    record->clientHeight = height;
    callProcedure(window, WM_SIZE, WPARAM(type), MAKELPARAM(width, height));
}

}  // namespace zep::win32
