// SDL event -> WM_* messages.

#include "win32/event_translate.h"

#include "win32/keys.h"
#include "win32/window_handle.h"
#include "win32/window_record.h"

namespace zep::win32 {
namespace {

// Buttons held, as the mouse messages report them. Motion events carry
// SDL's button state; button events change it one button at a time.
WPARAM heldButtons = 0;

WPARAM buttonFlag(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    case SDL_BUTTON_X1: return MK_XBUTTON1;
    case SDL_BUTTON_X2: return MK_XBUTTON2;
    default: return 0;
    }
}

WPARAM buttonsFromSdlState(Uint32 state) {
    WPARAM flags = 0;
    for (Uint8 button = SDL_BUTTON_LEFT; button <= SDL_BUTTON_X2; ++button)
        if (state & SDL_BUTTON(button)) flags |= buttonFlag(button);
    return flags;
}

WPARAM modifierFlags() {
    const SDL_Keymod mods = SDL_GetModState();
    WPARAM flags = 0;
    if (mods & KMOD_SHIFT) flags |= MK_SHIFT;
    if (mods & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

// Down, up and double-click messages of the left, right and middle buttons.
struct ButtonMessages {
    UINT down, up, doubleClick;
};

bool buttonMessages(Uint8 button, ButtonMessages* out) {
    switch (button) {
    case SDL_BUTTON_LEFT: *out = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}; return true;
    case SDL_BUTTON_RIGHT: *out = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK}; return true;
    case SDL_BUTTON_MIDDLE: *out = {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}; return true;
    default: return false;
    }
}

// Windows sends WM_SETCURSOR to the window under the mouse before each
// mouse message is queued, so the procedure can choose (or hide) the cursor.
// The mouse is always over the client area here: SDL windows report no
// frame.
void askForCursor(HWND window, UINT mouseMessage) {
    callProcedure(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, mouseMessage));
}

HWND handleOf(Uint32 windowId) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(windowId)); }

class Output {
public:
    Output(MSG* out, HWND window) : out_(out), window_(window) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        point_ = POINT{x, y};
        time_ = GetTickCount();
    }

    void add(UINT message, WPARAM wParam, LPARAM lParam) {
        if (count_ >= kMaxMessagesPerEvent) return;
        out_[count_++] = MSG{window_, message, wParam, lParam, time_, point_};
    }

    int count() const { return count_; }
    HWND window() const { return window_; }

private:
    MSG* out_;
    HWND window_;
    POINT point_{};
    DWORD time_ = 0;
    int count_ = 0;
};

void translateKey(const SDL_KeyboardEvent& key, Output& out) {
    const SDL_Scancode scancode = key.keysym.scancode;
    const uint8_t vk = vkFromScancode(scancode);
    if (!vk) return;
    const uint8_t dik = dikFromScancode(scancode);
    const bool down = key.type == SDL_KEYDOWN;
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0;

    DWORD lParam = 1u | (DWORD(dik & 0x7F) << 16);
    if (dik & 0x80) lParam |= DWORD(KF_EXTENDED) << 16;
    if (alt) lParam |= DWORD(KF_ALTDOWN) << 16;
    if (!down || key.repeat) lParam |= DWORD(KF_REPEAT) << 16;
    if (!down) lParam |= DWORD(KF_UP) << 16;

    // Windows routes Alt combinations and F10 to the system menu keys.
    const bool system = alt || vk == VK_F10;
    const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    out.add(message, vk, LPARAM(lParam));

    // Keys whose characters SDL's text input does not report.
    if (!down || system) return;
    WPARAM control = 0;
    if (vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB || vk == VK_ESCAPE) control = vk;
    else if ((key.keysym.mod & KMOD_CTRL) && vk >= 'A' && vk <= 'Z') control = WPARAM(vk - 'A' + 1);
    if (control) out.add(WM_CHAR, control, LPARAM(lParam));
}

// UTF-8 to code points; characters beyond Latin-1 have no single-byte
// WM_CHAR and are left out.
void translateText(const char* text, Output& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        unsigned codePoint = *p;
        int extra = 0;
        if (codePoint >= 0xF0) { codePoint &= 0x07; extra = 3; }
        else if (codePoint >= 0xE0) { codePoint &= 0x0F; extra = 2; }
        else if (codePoint >= 0xC0) { codePoint &= 0x1F; extra = 1; }
        ++p;
        for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p) codePoint = (codePoint << 6) | (*p & 0x3F);
        if (extra == 0 && codePoint < 0x100) out.add(WM_CHAR, codePoint, 1);
    }
}

// WM_SIZE, when the size state or the client size changed. The size comes
// from the event when it carries one.
void translateSize(WindowRecord& record, int type, int width, int height, Output& out) {
    if (type == SIZE_MINIMIZED) width = height = 0;
    if (type == record.sizeType && width == record.clientWidth && height == record.clientHeight) return;
    record.sizeType = type;
    record.clientWidth = width;
    record.clientHeight = height;
    out.add(WM_SIZE, WPARAM(type), MAKELPARAM(width, height));
}

void translateWindowEvent(const SDL_WindowEvent& event, HWND window, WindowRecord& record, Output& out) {
    SDL_Window* sdlWindow = windowFromHandle(window);
    int width = record.clientWidth, height = record.clientHeight;
    clientSize(window, &width, &height);
    const Uint32 flags = sdlWindow ? SDL_GetWindowFlags(sdlWindow) : 0;
    switch (event.event) {
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        translateSize(record, (flags & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED, event.data1,
                      event.data2, out);
        break;
    case SDL_WINDOWEVENT_MINIMIZED: translateSize(record, SIZE_MINIMIZED, 0, 0, out); break;
    case SDL_WINDOWEVENT_MAXIMIZED: translateSize(record, SIZE_MAXIMIZED, width, height, out); break;
    case SDL_WINDOWEVENT_RESTORED: translateSize(record, SIZE_RESTORED, width, height, out); break;
    case SDL_WINDOWEVENT_MOVED: out.add(WM_MOVE, 0, MAKELPARAM(event.data1, event.data2)); break;
    case SDL_WINDOWEVENT_EXPOSED: out.add(WM_PAINT, 0, 0); break;
    case SDL_WINDOWEVENT_CLOSE: out.add(WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.add(WM_ACTIVATEAPP, TRUE, 0);
        out.add(WM_ACTIVATE, WA_ACTIVE, 0);
        out.add(WM_SETFOCUS, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.add(WM_KILLFOCUS, 0, 0);
        out.add(WM_ACTIVATE, WA_INACTIVE, 0);
        out.add(WM_ACTIVATEAPP, FALSE, 0);
        break;
    default: break;
    }
}

void translateButton(const SDL_MouseButtonEvent& button, const WindowRecord& record, Output& out) {
    const WPARAM flag = buttonFlag(button.button);
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    if (down) heldButtons |= flag;
    else heldButtons &= ~flag;
    ButtonMessages messages{};
    if (!buttonMessages(button.button, &messages)) return;
    if (down) askForCursor(out.window(), messages.down);
    UINT message = messages.up;
    if (down) {
        // Every second click of a series is a double click, for classes
        // that asked for them; the third click starts over.
        const bool doubleClick = button.clicks >= 2 && button.clicks % 2 == 0 && (record.classStyle & CS_DBLCLKS);
        message = doubleClick ? messages.doubleClick : messages.down;
    }
    out.add(message, heldButtons | modifierFlags(), MAKELPARAM(button.x, button.y));
}

void translateWheel(const SDL_MouseWheelEvent& wheel, HWND window, Output& out) {
    int steps = wheel.y;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
    if (steps == 0) return;
    POINT where{};
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    where = POINT{x, y};
    ClientToScreen(window, &where);
    const WPARAM wParam = MAKEWPARAM(heldButtons | modifierFlags(), steps * WHEEL_DELTA);
    out.add(WM_MOUSEWHEEL, wParam, MAKELPARAM(where.x, where.y));
}

// The window an event is for; keyboard events without one go to the window
// with keyboard focus.
Uint32 windowIdOf(const SDL_Event& event) {
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (event.key.windowID) return event.key.windowID;
        if (SDL_Window* focus = SDL_GetKeyboardFocus()) return SDL_GetWindowID(focus);
        return 0;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
    }
}

}  // namespace

int translateEvent(const SDL_Event& event, MSG* out) {
    if (event.type == kPostedMessageEvent) {
        Output output(out, handleOf(event.user.windowID));
        output.add(UINT(event.user.code), reinterpret_cast<WPARAM>(event.user.data1),
                   reinterpret_cast<LPARAM>(event.user.data2));
        return output.count();
    }

    const HWND window = handleOf(windowIdOf(event));
    WindowRecord* record = recordOf(window);
    if (!record) return 0;
    Output output(out, window);
    switch (event.type) {
    case SDL_WINDOWEVENT: translateWindowEvent(event.window, window, *record, output); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: translateKey(event.key, output); break;
    case SDL_TEXTINPUT: translateText(event.text.text, output); break;
    case SDL_MOUSEMOTION:
        askForCursor(window, WM_MOUSEMOVE);
        heldButtons = buttonsFromSdlState(event.motion.state);
        output.add(WM_MOUSEMOVE, heldButtons | modifierFlags(), MAKELPARAM(event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: translateButton(event.button, *record, output); break;
    case SDL_MOUSEWHEEL: translateWheel(event.wheel, window, output); break;
    default: break;
    }
    return output.count();
}

}  // namespace zep::win32
