// Registered window classes: the name a window is created by, and what its
// windows inherit (procedure, class styles, cursor).
#pragma once

#include <windows.h>

namespace zep::win32 {

struct WindowClass {
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
    int windows = 0;  // live windows of the class; unregistering waits for 0
};

// The class named `name` (compared without regard to case, as Windows
// does), or an integer atom in the name pointer; null when unknown. The
// pointer stays valid until the class is unregistered.
WindowClass* findWindowClass(LPCSTR name);

// The class's name, for the window record.
const char* windowClassName(const WindowClass* windowClass);

}  // namespace zep::win32
