// Textures a host makes and fills itself: empty textures in a format chosen
// by load mode, levels filled from memory, levels copied out, and the
// properties of a level.

#include "objects/textures.h"

#include "core/graphics.h"

#include <d3dx8.h>

#include <algorithm>
#include <cstring>

namespace zep {

namespace {

bool levelDesc(IDirect3DTexture8* texture, int32_t level, D3DSURFACE_DESC* desc, const char* function) {
    if (level >= 0 && SUCCEEDED(texture->GetLevelDesc(UINT(level), desc))) return true;
    ZEP_log("Error: [%s] no level %i\n", function, level);
    return false;
}

// Fills one level from host memory; `source` null means the whole level.
uint8_t reloadLevel(int32_t handle, int32_t level, const void* src, int32_t srcFormat, int32_t srcPitch,
                    const RECT* source, int32_t filter, const char* function) {
    IDirect3DTexture8* texture = textureForCall(handle, function);
    D3DSURFACE_DESC desc{};
    if (!texture || !levelDesc(texture, level, &desc, function)) return 0;
    if (!src) {
        ZEP_log("Error: [%s] no source data\n", function);
        return 0;
    }
    const RECT whole{0, 0, LONG(desc.Width), LONG(desc.Height)};
    IDirect3DSurface8* surface = nullptr;
    HRESULT result = texture->GetSurfaceLevel(UINT(level), &surface);
    if (SUCCEEDED(result)) {
        result = D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, src, D3DFORMAT(srcFormat), UINT(srcPitch),
                                           nullptr, source ? source : &whole, DWORD(filter), 0);
        surface->Release();
    }
    if (FAILED(result)) {
        ZEP_log("Error: [%s] %s\n", function, errorText(result));
        return 0;
    }
    return 1;
}

}  // namespace

}  // namespace zep

using namespace zep;

extern "C" {

ZEP_EXPORT int32_t ZEPAPI CreateTexture(const char* name, int32_t width, int32_t height, int32_t mode) {
    IDirect3DDevice8* d = device();
    if (!d || width <= 0 || height <= 0) {
        ZEP_log("Error: [CreateTexture] cannot create %i x %i\n", width, height);
        return -1;
    }
    IDirect3DTexture8* texture = nullptr;
    const HRESULT result =
        D3DXCreateTexture(d, UINT(width), UINT(height), 1, 0, formatForMode(mode), D3DPOOL_MANAGED, &texture);
    if (FAILED(result)) {
        ZEP_log("Error: [CreateTexture] %s\n", errorText(result));
        return -1;
    }
    const int32_t handle = AddTextureToList(name, texture);
    if (handle < 0) {
        texture->Release();
        return -1;
    }
    // The size asked for, whatever the device made of it; the format is the
    // texture's own, which tells CopyScreencopyTexture whether screen copies
    // fit it.
    TextureEntry& entry = Textures[handle];
    entry.width = width;
    entry.height = height;
    entry.spareFormat = -1;
    return handle;
}

ZEP_EXPORT uint8_t ZEPAPI ReloadTexture(int32_t handle, int32_t level, const void* src, int32_t srcFormat,
                                       int32_t srcPitch, int32_t filter) {
    return reloadLevel(handle, level, src, srcFormat, srcPitch, nullptr, filter, "ReloadTexture");
}

ZEP_EXPORT uint8_t ZEPAPI ReloadTextureEx(int32_t handle, int32_t level, const void* src, int32_t srcFormat,
                                         int32_t srcWidth, int32_t srcHeight, int32_t srcPitch, int32_t filter) {
    const RECT source{0, 0, srcWidth, srcHeight};
    return reloadLevel(handle, level, src, srcFormat, srcPitch, &source, filter, "ReloadTextureEx");
}

ZEP_EXPORT int32_t ZEPAPI downloadtexture(int32_t handle, int32_t level, void* dst, int32_t maxBytes) {
    IDirect3DTexture8* texture = textureForCall(handle, "downloadtexture");
    D3DSURFACE_DESC desc{};
    if (!texture || !levelDesc(texture, level, &desc, "downloadtexture")) return -1;
    if (!dst || maxBytes < 0) {
        ZEP_log("Error: [downloadtexture] no room for the level\n");
        return -1;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(UINT(level), &locked, nullptr, 0))) {
        ZEP_log("Error: [downloadtexture] level %i cannot be locked\n", level);
        return -1;
    }
    const int64_t levelBytes = int64_t(locked.Pitch) * int64_t(desc.Height);
    const int32_t bytes = int32_t(std::clamp<int64_t>(levelBytes, 0, maxBytes));
    std::memcpy(dst, locked.pBits, size_t(bytes));
    texture->UnlockRect(UINT(level));
    return bytes;
}

ZEP_EXPORT uint8_t ZEPAPI gettextureprops(int32_t handle, int32_t level, TextureProps* props) {
    IDirect3DTexture8* texture = textureForCall(handle, "gettextureprops");
    D3DSURFACE_DESC desc{};
    if (!texture || !levelDesc(texture, level, &desc, "gettextureprops")) return 0;
    if (!props) {
        ZEP_log("Error: [gettextureprops] no room for the properties\n");
        return 0;
    }
    std::memset(props->path, 0, sizeof props->path);
    std::memcpy(props->path, Textures[handle].path, sizeof Textures[handle].path);
    props->path[sizeof Textures[handle].path - 1] = '\0';
    props->format = int32_t(desc.Format);
    props->size = desc.Size;
    props->width = desc.Width;
    props->height = desc.Height;
    props->levelCount = texture->GetLevelCount();
    return 1;
}

}  // extern "C"
