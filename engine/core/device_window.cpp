// The device host's window procedure, and the framework's error messages.

#include "core/device_host.h"

#include "core/device_opening.h"
#include "core/graphics.h"
#include "core/mouse.h"

#include <ZEPenginedll.h>

#include <string>

namespace zep {

namespace {

constexpr WORD kPopupMenuResource = 142;
constexpr int kMinTrackSize = 100;

const char* errorText(HRESULT code) {
    switch (code) {
    case E_OUTOFMEMORY: return "Not enough memory.";
    case kErrNoDirect3D:
        return "Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is "
               "correctly installed on your\nsystem.  Also make sure that this program\nwas compiled with header "
               "files that match\nthe installed DirectX DLLs.";
    case kErrNoCompatibleDevices: return "Could not find any compatible Direct3D\ndevices.";
    case kErrNoWindowableDevices:
        return "This application cannot run in a desktop\nwindow with the current display settings.\nPlease change "
               "your desktop settings to a\n16- or 32-bit display mode and re-run this\ngame.";
    case kErrNoHardwareDevice: return "No hardware-accelerated Direct3D devices\nwere found.";
    case kErrHalNotCompatible:
        return "This application requires functionality that is\nnot available on your Direct3D hardware\n"
               "accelerator.";
    case kErrNoWindowedHal:
        return "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while the app is running "
               "to see a\nlist of available devices and modes.";
    case kErrNoDesktopHal:
        return "Your Direct3D hardware accelerator cannot\nrender into a window with the current\ndesktop display "
               "settings.\nPress F2 while the app is running to see a\nlist of available devices and modes.";
    case kErrNoHalThisMode:
        return "This application requires functionality that is\nnot available on your Direct3D hardware\n"
               "accelerator with the current desktop display\nsettings.\nPress F2 while the app is running to see "
               "a\nlist of available devices and modes.";
    case kErrNonZeroRefCount:
        return "A D3D object has a non-zero reference\ncount (meaning things were not properly\ncleaned up).";
    case kErrMediaNotFound: return "Could not load required media.";
    case kErrResetFailed: return "Could not reset the Direct3D device.";
    case D3DERR_OUTOFVIDEOMEMORY: return "Not enough video memory.";
    default: return "Generic application error. Enable\ndebug output for detailed information.";
    }
}

LRESULT CALLBACK deviceWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DeviceHost::forwardMessage(window, message, wParam, lParam);
}

}  // namespace

DeviceHost* DeviceHost::procedureTarget_ = nullptr;

WNDPROC DeviceHost::windowProcedure() { return &deviceWindowProcedure; }

LRESULT DeviceHost::forwardMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Before any device host ran, a host forwarding its messages gets
    // nothing done to its window.
    return procedureTarget_ ? procedureTarget_->msgProc(window, message, wParam, lParam) : 0;
}

std::string errorMessage(HRESULT code, ErrorKind kind) {
    std::string message = errorText(code);
    if (kind == ErrorKind::Fatal) message += "\n\nThis application will now exit.";
    if (kind == ErrorKind::SwitchedToReference)
        message +=
            "\n\nSwitching to the reference rasterizer,\na software device that implements the entire\nDirect3D "
            "feature set, but runs very slowly.";
    return message;
}

void DeviceHost::displayError(HRESULT code, ErrorKind kind) {
    const std::string message = errorMessage(code, kind);
    const UINT icon = kind == ErrorKind::Fatal ? MB_ICONERROR : MB_ICONWARNING;
    MessageBoxA(window_, message.c_str(), windowTitle, icon | MB_OK);
    // Only a running host closes its window; a failing start-up is undone
    // by whoever started it.
    if (kind == ErrorKind::Fatal && ready_ && IsWindow(window_)) SendMessageA(window_, WM_CLOSE, 0, 0);
}

// ---- Window procedure ----------------------------------------------------------------

void DeviceHost::closeRequested(HWND) { cleanup(); }

LRESULT DeviceHost::defaultResult(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    // A host's own window keeps its own default handling.
    return ownsWindow_ && window == window_ ? DefWindowProcA(window, message, wParam, lParam) : 0;
}

LRESULT DeviceHost::msgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The mouse view controller sees every message first.
    handleMouseMessage(message, wParam, lParam);
    switch (message) {
    case WM_SIZE:
        ZEP_log("WM_SIZE\n");
        active_ = (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXHIDE) ? false : ZEPengine.followWindow != 0;
        break;

    case WM_CLOSE:
        if (!ownsWindow_ || window != window_) break;
        ZEP_log("WM_CLOSE\n");
        closeRequested(window);
        if (IsWindow(window)) {
            if (HMENU menu = GetMenu(window)) DestroyMenu(menu);
            DestroyWindow(window);
        }
        PostQuitMessage(0);
        return 0;

    case WM_SETCURSOR:
        if (active_ && ready_ && !windowed_) {
            SetCursor(nullptr);
            if (showCursorWhenFullScreen && graphics().device) graphics().device->ShowCursor(TRUE);
            return TRUE;
        }
        break;

    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info) info->ptMinTrackSize = POINT{kMinTrackSize, kMinTrackSize};
        break;
    }

    case WM_CONTEXTMENU:
        if (windowed_) {
            HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kPopupMenuResource));
            if (menu) {
                TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                                 window, nullptr);
                DestroyMenu(menu);
            }
        }
        break;

    case WM_NCHITTEST:
        if (!windowed_) return HTCLIENT;
        break;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kCommandChangeDevice:
            // There is no device dialog to show: the device stays.
            pause(true);
            pause(false);
            return 0;
        case kCommandToggleFullScreen: toggleFullScreen(); return 0;
        case kCommandPause: pause(pauseCount_ == 0); return 0;
        case kCommandSingleStep: return 0;  // steps a run loop the engine's hosts do not use
        case kCommandClose: SendMessageA(window, WM_CLOSE, 0, 0); return 0;
        default: break;
        }
        break;

    case WM_SYSCOMMAND:
        if (!windowed_) {
            switch (wParam & 0xFFF0) {
            case SC_MOVE:
            case SC_SIZE:
            case SC_MAXIMIZE:
            case SC_KEYMENU:
            case SC_MONITORPOWER: return 1;
            default: break;
            }
        }
        break;

    case WM_ENTERMENULOOP: pause(true); break;
    case WM_EXITMENULOOP: pause(false); break;

    case WM_POWERBROADCAST:
        if (wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMRESUMESUSPEND) return TRUE;
        break;

    case WM_ENTERSIZEMOVE:
        ZEP_log("WM_ENTERSIZEMOVE\n");
        pause(true);
        break;

    case WM_EXITSIZEMOVE:
        pause(false);
        [[fallthrough]];
    case WM_PAINT:
        if (active_ && windowed_) resizeTo(0, 0);
        break;

    case kResizeMessage: resizeTo(frameState().resizeWidth, frameState().resizeHeight); return 0;

    default: break;
    }
    return defaultResult(window, message, wParam, lParam);
}
}  // namespace zep
