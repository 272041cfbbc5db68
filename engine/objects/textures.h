// The texture list inside the engine: what the object reader, object
// drawing, sprites, shadows, terrain, water and video capture need beside
// the exported texture functions.
#pragma once

#include <ZEPenginedll.h>

#include <d3d8.h>

#include <cstdint>

namespace zep {

// Load modes in use; any other mode given to CreateTexture is a D3DFORMAT.
inline constexpr int32_t kModeDisplay = ZEP_TEXMODE_DISPLAY;
inline constexpr int32_t kModeObject = ZEP_TEXMODE_OBJECT;
inline constexpr int32_t kModeBump = ZEP_TEXMODE_BUMP;

// The textures drawn for meshes whose texture (stage 0) or texture2
// (stage 1) is negative; -1 draws diffuse colour only. SetDefaultTexture
// sets both to one handle.
struct DefaultTextures {
    int32_t first = -1;
    int32_t second = -1;
};
DefaultTextures& defaultTextures();

// The entry of `handle`, or null for handles outside the list (negative or
// past its capacity). Entries past the count are not refused: handles are
// not compared with the count.
TextureEntry* textureEntry(int32_t handle);

// The texture of `handle`, or null (no entry, or an entry without texture).
IDirect3DTexture8* textureOf(int32_t handle);

// textureOf for the exported functions that report failure: a handle with
// no texture is logged under the function's name.
IDirect3DTexture8* textureForCall(int32_t handle, const char* function);

// Appends a texture the engine made itself ("@ScreenCopytexture",
// "@hwshadow", ...) with its size and format; spare none. Like
// AddTextureToList, the list takes the reference over and guTexMemReset
// releases it, except for the render texture (ZEPengine.renderTargetTexture)
// and the shadow texture at its recorded index 3 or 4, which stay their
// makers'. The handle, or -1 when the list is full or the name does not fit
// an entry.
int32_t registerTexture(const char* name, IDirect3DTexture8* texture, int32_t width, int32_t height,
                        D3DFORMAT format);

// The texture loader: the object directory first (when the object folder
// is set and `directory` is not empty), then every element of the texture
// path list. A name without '.' gets ".TGA". The handle, or -1 with
// "Error: texture is not loaded [...]" in the log.
int32_t loadTexture(const char* directory, const char* name, int32_t mode);

// One file by path: the list entry with this path and mode when there is
// one, else the file is read and a new entry made. Handle or -1.
int32_t loadTextureByPath(const char* path, int32_t mode);

// The format CreateTexture makes for a load mode.
D3DFORMAT formatForMode(int32_t mode);

// The format textures of mode 10000 take, and render textures and screen
// copies are made in: the back buffer's.
D3DFORMAT displayFormat();

// How a texture file becomes a texture, chosen by its type, its name and
// the load mode.
struct TextureCreation {
    bool extended;           // with the size, format, filters and colour key below
    D3DFORMAT format;
    DWORD filter;            // D3DX_FILTER values: 1 none, 3 linear
    DWORD mipFilter;
    D3DCOLOR colorKey;       // 0: no key
    uint8_t hasAlpha;
    bool keepHandle;         // a failed creation keeps the entry (without texture)
    const char* failureLog;  // logged when creation fails
};

// `fileName` is the upper-case file name part ("A_LEAF.TGA").
TextureCreation textureCreationFor(const char* fileName, bool tga, int32_t mode);

// The Direct3D error text of `result` for the log.
const char* errorText(HRESULT result);

}  // namespace zep
