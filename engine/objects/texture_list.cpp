// The texture list: every texture the engine draws with is an entry of the
// exported table Textures and is named by its index. Every reset starts the
// list at 3, so entries 0 to 2 never take a loaded or host-made texture
// (only the render texture, listed when the device first comes up, lands
// there).
//
// Also here: choosing the texture of stage 0, the default texture, texture
// filtering, and copying the render target into a listed texture.

#include "objects/textures.h"

#include "core/graphics.h"

#include <d3dx8.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zep {

namespace {

constexpr int32_t kAddNameLimit = 30;        // AddTextureToList refuses names this long
constexpr int32_t kFirstReleasedEntry = 5;   // the shadow texture is made right after start-up, at 3 or 4
constexpr int32_t kFilterStages = 3;
constexpr float kMipLodBias = -2.0f;

int32_t listedCount() { return std::clamp<int32_t>(ZEPengine.textureCount, 0, ZEP_MAX_TEXTURES); }

// The next free entry, cleared, with the count moved past it; null when the
// list is full.
TextureEntry* takeEntry(int32_t* handle) {
    const int32_t index = std::max<int32_t>(ZEPengine.textureCount, 0);
    if (index >= ZEP_MAX_TEXTURES) {
        ZEP_log("Error: texture list is full.\n");
        return nullptr;
    }
    TextureEntry& entry = Textures[index];
    std::memset(&entry, 0, sizeof entry);
    entry.spareFormat = -1;
    ZEPengine.textureCount = index + 1;
    *handle = index;
    return &entry;
}

void copyName(TextureEntry& entry, const char* name) {
    std::strncpy(entry.name, name, sizeof entry.name - 1);
    entry.name[sizeof entry.name - 1] = '\0';
}

// Size and format of a texture's top level, for entries made from a texture
// the caller already has.
void describeFromTexture(TextureEntry& entry, IDirect3DTexture8* texture) {
    D3DSURFACE_DESC desc{};
    if (!texture || FAILED(texture->GetLevelDesc(0, &desc))) return;
    entry.width = int32_t(desc.Width);
    entry.height = int32_t(desc.Height);
    entry.format = int32_t(desc.Format);
}

// Textures the list shows but does not own: the render texture belongs to
// the render target, and the shadow texture made at start-up to the shadow
// code, which keeps its index.
bool ownedElsewhere(int32_t index) {
    const TextureEntry& entry = Textures[index];
    if (entry.texture && entry.texture == ZEPengine.renderTargetTexture) return true;
    return index < kFirstReleasedEntry && index == ZEPengine.shadowTexture;
}

void releaseEntry(TextureEntry& entry) {
    release(entry.texture);
    release(entry.spare);
    entry.spareFormat = -1;
}

// Stage 1 off with every argument on diffuse, as both SetCurrentTexture
// paths leave it.
void disableSecondStage() {
    setStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    setStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    setStageState(1, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    setStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    setStageState(1, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    setStageState(1, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

void filterStage(DWORD stage, int32_t anisotropy, uint8_t fullDetail, int32_t filter) {
    const DWORD mipFilter = filter == D3DTEXF_POINT ? DWORD(D3DTEXF_NONE) : DWORD(filter);
    setStageState(stage, D3DTSS_MIPMAPLODBIAS, floatBits(kMipLodBias));
    setStageState(stage, D3DTSS_MAXMIPLEVEL, fullDetail ? 0 : 1);
    if (anisotropy == 0) {
        setStageState(stage, D3DTSS_MINFILTER, mipFilter);
        setStageState(stage, D3DTSS_MAXANISOTROPY, 0);
    } else {
        setStageState(stage, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
        setStageState(stage, D3DTSS_MAXANISOTROPY, DWORD(anisotropy));
    }
    setStageState(stage, D3DTSS_MAGFILTER, DWORD(filter));
    setStageState(stage, D3DTSS_MIPFILTER, mipFilter);
}

// The render target's top level into the entry's texture: the square of the
// render-target size, one row short, as screen copies have always been.
uint8_t copyRenderTarget(TextureEntry& entry) {
    const int32_t side = ZEPengine.renderTargetSize;
    IDirect3DSurface8* source = nullptr;
    IDirect3DSurface8* destination = nullptr;
    HRESULT result = ZEPengine.renderTargetTexture->GetSurfaceLevel(0, &source);
    if (SUCCEEDED(result)) result = entry.texture->GetSurfaceLevel(0, &destination);
    if (SUCCEEDED(result)) {
        const RECT rect{0, 0, side, side - 1};
        const POINT origin{0, 0};
        result = device()->CopyRects(source, &rect, 1, destination, &origin);
    }
    release(source);
    release(destination);
    if (FAILED(result)) {
        ZEP_log("Error: [CopyScreencopyTexture] %s\n", errorText(result));
        return 0;
    }
    return 1;
}

// A display-format texture of the entry's size takes the texture's place;
// the texture it replaces is kept as the spare.
void installDisplayTexture(TextureEntry& entry) {
    const D3DFORMAT format = displayFormat();
    IDirect3DTexture8* texture = nullptr;
    const HRESULT result = device()->CreateTexture(UINT(std::max(entry.width, 0)), UINT(std::max(entry.height, 0)),
                                                   1, 0, format, D3DPOOL_MANAGED, &texture);
    if (FAILED(result)) {
        ZEP_log("Error: [CopyScreencopyTexture] %s\n", errorText(result));
        return;
    }
    entry.spare = entry.texture;
    entry.spareFormat = entry.format;
    entry.texture = texture;
    entry.format = int32_t(format);
}

}  // namespace

DefaultTextures& defaultTextures() {
    static DefaultTextures textures;
    return textures;
}

TextureEntry* textureEntry(int32_t handle) {
    if (handle < 0 || handle >= ZEP_MAX_TEXTURES) return nullptr;
    return &Textures[handle];
}

IDirect3DTexture8* textureOf(int32_t handle) {
    const TextureEntry* entry = textureEntry(handle);
    return entry ? entry->texture : nullptr;
}

IDirect3DTexture8* textureForCall(int32_t handle, const char* function) {
    IDirect3DTexture8* texture = textureOf(handle);
    if (!texture) ZEP_log("Error: [%s] no texture %i\n", function, handle);
    return texture;
}

int32_t registerTexture(const char* name, IDirect3DTexture8* texture, int32_t width, int32_t height,
                        D3DFORMAT format) {
    if (!name || std::strlen(name) >= sizeof(TextureEntry::name)) return -1;
    int32_t handle = -1;
    TextureEntry* entry = takeEntry(&handle);
    if (!entry) return -1;
    copyName(*entry, name);
    entry->texture = texture;
    entry->width = width;
    entry->height = height;
    entry->format = int32_t(format);
    return handle;
}

D3DFORMAT displayFormat() { return graphics().backBufferFormat; }

D3DFORMAT formatForMode(int32_t mode) {
    switch (mode) {
    case ZEP_TEXMODE_DISPLAY: return displayFormat();
    case ZEP_TEXMODE_R5G6B5: return D3DFMT_R5G6B5;
    case ZEP_TEXMODE_A4R4G4B4:
    case ZEP_TEXMODE_OBJECT: return D3DFMT_A4R4G4B4;
    case ZEP_TEXMODE_BUMP: return D3DFMT_Q8W8V8U8;
    default: return D3DFORMAT(mode);
    }
}

const char* errorText(HRESULT result) {
    static char text[256];
    D3DXGetErrorStringA(result, text, sizeof text);
    return text;
}

}  // namespace zep

using namespace zep;

extern "C" {

ZEP_EXPORT int32_t ZEPAPI AddTextureToList(const char* name, IDirect3DTexture8* texture) {
    if (!name || std::strlen(name) >= size_t(kAddNameLimit)) {
        ZEP_log("Error: texture name is too long [%.*s]\n", kAddNameLimit, name ? name : "");
        return -1;
    }
    int32_t handle = -1;
    TextureEntry* entry = takeEntry(&handle);
    if (!entry) return -1;
    copyName(*entry, name);
    entry->texture = texture;
    describeFromTexture(*entry, texture);
    return handle;
}

ZEP_EXPORT void ZEPAPI guTexMemReset(void) {
    if (IDirect3DDevice8* d = device()) d->ResourceManagerDiscardBytes(0);
    for (int32_t index = listedCount() - 1; index >= ZEP_FIRST_TEXTURE; --index) {
        // A host's texture that took handle 3 or 4 after an earlier reset is
        // the list's like any other.
        if (!ownedElsewhere(index)) releaseEntry(Textures[index]);
    }
    Textures[ZEP_FIRST_TEXTURE].name[0] = '\0';
    Textures[ZEP_FIRST_TEXTURE].texture = nullptr;
    // The render texture's entry is given up with the rest: the next
    // render-target restore lists it anew instead of overwriting whatever
    // texture takes its old handle.
    if (ZEPengine.renderTargetTextureIndex >= ZEP_FIRST_TEXTURE) ZEPengine.renderTargetTextureIndex = -1;
    ZEPengine.textureCount = ZEP_FIRST_TEXTURE;
}

ZEP_EXPORT void ZEPAPI SetCurrentTexture(int32_t handle) {
    if (handle >= ZEP_MAX_TEXTURES) {
        ZEP_log("Error: [SetCurrentTexture] no texture %i\n", handle);
        return;
    }
    if (handle < 0) {
        // Diffuse colour only; the texture stays bound for whoever selects it.
        setStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        setStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        setStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        setStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        disableSecondStage();
        return;
    }
    setStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    setStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    setStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    setStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    setStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    setStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    disableSecondStage();
    if (IDirect3DDevice8* d = device()) d->SetTexture(0, Textures[handle].texture);
}

ZEP_EXPORT void ZEPAPI SetDefaultTexture(int32_t handle) {
    defaultTextures().first = handle;
    defaultTextures().second = handle;
}

ZEP_EXPORT void ZEPAPI SetTextureFiltering(int32_t maxAnisotropy, uint8_t fullDetail, int32_t filter) {
    const int32_t anisotropy = std::clamp(maxAnisotropy, 0, std::max(ZEPengine.maxAnisotropy, 0));
    ZEPengine.textureFilterMode = anisotropy;
    ZEPengine.textureFilterFlag = fullDetail;
    for (DWORD stage = 0; stage < kFilterStages; ++stage) filterStage(stage, anisotropy, fullDetail, filter);
}

ZEP_EXPORT void ZEPAPI GetMaxTextureSize(int32_t* width, int32_t* height) {
    const D3DCAPS8& caps = graphics().caps;
    if (width) *width = int32_t(caps.MaxTextureWidth);
    if (height) *height = int32_t(caps.MaxTextureHeight);
}

ZEP_EXPORT uint8_t ZEPAPI CopyScreencopyTexture(int32_t handle) {
    if (!ZEPengine.renderTargetTexture || !device()) return 0;
    TextureEntry* entry = textureEntry(handle);
    if (!entry) {
        ZEP_log("Error: [CopyScreencopyTexture] no texture %i\n", handle);
        return 0;
    }
    const int32_t display = int32_t(displayFormat());
    if (entry->format == display && entry->texture) return copyRenderTarget(*entry);
    if (entry->spare && entry->spareFormat == display) {
        std::swap(entry->texture, entry->spare);
        std::swap(entry->format, entry->spareFormat);
        return 0;
    }
    if (entry->spareFormat == -1) installDisplayTexture(*entry);
    return 0;
}

}  // extern "C"
