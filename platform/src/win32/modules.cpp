// Module loading over dlopen.
//
// Windows programs name modules as "Name" or "Name.dll"; the Linux build of
// such a module is "libName.so". The search follows Windows' order where it
// has a Linux meaning: the folder of the executable, the folder given to
// SetDllDirectoryA (or, while none is set, the current directory), then the
// dynamic loader's own search path. Module
// names are found without regard to case in those folders, as Windows finds
// them.

#include <windows.h>
#include <zep_files.h>

#include <dlfcn.h>
#include <strings.h>
#include <unistd.h>

#include <mutex>
#include <string>

namespace {

std::mutex dllDirectoryLock;
std::string dllDirectory;  // empty: the current directory

bool endsWithNoCase(const std::string& text, const char* suffix) {
    const size_t n = std::char_traits<char>::length(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

std::string withForwardSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

bool isPath(const std::string& name) { return name.find('/') != std::string::npos; }

// "ZEPenginedll", "ZEPenginedll.dll" -> "libZEPenginedll.so"; names that are
// already shared objects stay as they are.
std::string sharedObjectName(std::string name) {
    if (endsWithNoCase(name, ".so") || name.find(".so.") != std::string::npos) return name;
    if (endsWithNoCase(name, ".dll")) name.resize(name.size() - 4);
    std::string file("lib");
    file.append(name).append(".so");
    return file;
}

std::string executableFolder() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    path.resize(size_t(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The file at `path`, found without regard to case; null when missing.
void* openExisting(const std::string& path, int flags) {
    std::string resolved(path.size() + 4096, '\0');
    if (!zep_resolve_path(path.c_str(), resolved.data(), resolved.size())) return nullptr;
    return dlopen(resolved.c_str(), flags);
}

void* openIn(const std::string& folder, const std::string& file, int flags) {
    if (folder.empty()) return nullptr;
    std::string path(folder);
    path.append("/").append(file);
    return openExisting(path, flags);
}

std::string dllFolderOrCurrent() {
    std::lock_guard<std::mutex> lock(dllDirectoryLock);
    std::string folder(dllDirectory);
    if (folder.empty()) folder.push_back('.');
    return folder;
}

void* openModule(LPCSTR name, int flags) {
    const std::string given = withForwardSlashes(name);
    if (isPath(given)) {
        if (void* handle = openExisting(given, flags)) return handle;
        // A Windows path to "Name.dll" means "libName.so" in the same folder.
        const size_t slash = given.rfind('/');
        return openIn(given.substr(0, slash), sharedObjectName(given.substr(slash + 1)), flags);
    }
    const std::string file = sharedObjectName(given);
    if (void* handle = openIn(executableFolder(), file, flags)) return handle;
    if (void* handle = openIn(dllFolderOrCurrent(), file, flags)) return handle;
    return dlopen(file.c_str(), flags);
}

}  // namespace

extern "C" HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = openModule(name, RTLD_NOW | RTLD_LOCAL);
    if (!handle) SetLastError(ERROR_MOD_NOT_FOUND);
    return static_cast<HMODULE>(handle);
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE module) {
    if (!module) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return dlclose(module) == 0 ? TRUE : FALSE;
}

extern "C" void* WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    // Exports by ordinal (a number in the name pointer) do not exist in
    // shared objects.
    if (!module || !name || IS_INTRESOURCE(name)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(module, name);
    if (!symbol) SetLastError(ERROR_PROC_NOT_FOUND);
    return symbol;
}

// Windows does not count these handles; dlopen does, so the reference taken
// here is given back at once and the handle stays valid while the module is
// loaded by someone else.
extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    void* handle = name ? openModule(name, RTLD_NOW | RTLD_NOLOAD) : dlopen(nullptr, RTLD_NOW);
    if (!handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    dlclose(handle);
    return static_cast<HMODULE>(handle);
}

extern "C" BOOL WINAPI SetDllDirectoryA(LPCSTR path) {
    std::lock_guard<std::mutex> lock(dllDirectoryLock);
    dllDirectory = path ? withForwardSlashes(path) : std::string();
    return TRUE;
}
