// RegisterClassA, RegisterClassExA, UnregisterClassA.

#include "win32/window_class.h"

#include <strings.h>

#include <map>
#include <memory>
#include <string>

namespace zep::win32 {
namespace {

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

struct Registry {
    std::map<std::string, std::unique_ptr<WindowClass>, CaseInsensitiveLess> byName;
    ATOM nextAtom = 0xC000;  // where Windows' string atoms start
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// Class names are strings or integer atoms in the pointer.
auto findEntry(LPCSTR name) {
    Registry& r = registry();
    if (!name) return r.byName.end();
    if (IS_INTRESOURCE(name)) {
        const ATOM atom = ATOM(reinterpret_cast<uintptr_t>(name));
        for (auto it = r.byName.begin(); it != r.byName.end(); ++it)
            if (it->second->atom == atom) return it;
        return r.byName.end();
    }
    return r.byName.find(name);
}

ATOM registerClass(UINT style, WNDPROC procedure, HINSTANCE instance, HCURSOR cursor, LPCSTR name) {
    if (!procedure || !name || IS_INTRESOURCE(name) || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Registry& r = registry();
    if (r.byName.count(name)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto entry = std::make_unique<WindowClass>();
    entry->atom = r.nextAtom++;
    entry->style = style;
    entry->procedure = procedure;
    entry->instance = instance;
    entry->cursor = cursor;
    const ATOM atom = entry->atom;
    r.byName.emplace(name, std::move(entry));
    return atom;
}

}  // namespace

WindowClass* findWindowClass(LPCSTR name) {
    auto it = findEntry(name);
    return it == registry().byName.end() ? nullptr : it->second.get();
}

const char* windowClassName(const WindowClass* windowClass) {
    for (const auto& [name, entry] : registry().byName)
        if (entry.get() == windowClass) return name.c_str();
    return "";
}

}  // namespace zep::win32

using namespace zep::win32;

// Icons, menus, extra bytes and backgrounds are accepted and not kept:
// nothing here paints a window's background or shows its menu.
extern "C" ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (!wndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(wndClass->style, wndClass->lpfnWndProc, wndClass->hInstance, wndClass->hCursor,
                         wndClass->lpszClassName);
}

extern "C" ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wndClass) {
    if (!wndClass || wndClass->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(wndClass->style, wndClass->lpfnWndProc, wndClass->hInstance, wndClass->hCursor,
                         wndClass->lpszClassName);
}

extern "C" BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto it = findEntry(className);
    if (it == registry().byName.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (it->second->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    registry().byName.erase(it);
    return TRUE;
}
