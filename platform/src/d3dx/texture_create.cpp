// D3DX textures: created to the device's requirements, filled from image
// files with the texture filter and colour key, and completed with a mip
// chain in which each level is filtered from the one above it.
//
// Only the device's public interface is used, so the same code runs on our
// runtime and on Direct3D 8 itself.

#include "d3dx/image_decode.h"
#include "d3dx/image_resample.h"
#include "d3dx/pixel_convert.h"
#include "d3dx/surface_load.h"
#include "d3dx/texture_requirements.h"

#include <d3dx8tex.h>

#include <functional>

namespace zep::d3dx {

namespace {

constexpr DWORD kDefaultMipFilter = D3DX_FILTER_BOX;

// Whether the device takes `format` for a resource of `type` with `usage`,
// asked of its Direct3D object for its adapter, device type and display mode.
class DeviceFormats {
public:
    explicit DeviceFormats(IDirect3DDevice8* device) {
        if (FAILED(device->GetDirect3D(&d3d_))) d3d_ = nullptr;
        if (FAILED(device->GetCreationParameters(&creation_))) creation_ = {};
        if (FAILED(device->GetDisplayMode(&mode_))) mode_ = {};
    }
    ~DeviceFormats() {
        if (d3d_) d3d_->Release();
    }
    DeviceFormats(const DeviceFormats&) = delete;
    DeviceFormats& operator=(const DeviceFormats&) = delete;

    bool offers(D3DFORMAT format, DWORD usage, D3DRESOURCETYPE type) const {
        return d3d_ && SUCCEEDED(d3d_->CheckDeviceFormat(creation_.AdapterOrdinal, creation_.DeviceType,
                                                         mode_.Format, usage, type, format));
    }

private:
    IDirect3D8* d3d_ = nullptr;
    D3DDEVICE_CREATION_PARAMETERS creation_{};
    D3DDISPLAYMODE mode_{};
};

// The format a resource is created in, or the failure to report.
HRESULT chooseFormat(IDirect3DDevice8* device, D3DFORMAT requested, DWORD usage, D3DRESOURCETYPE type,
                     bool mustBeWritable, D3DFORMAT* chosen) {
    const DeviceFormats formats(device);
    auto offered = [&](D3DFORMAT f) { return formats.offers(f, usage, type) && (!mustBeWritable || canWriteFormat(f)); };
    bool known = true;
    *chosen = closestFormat(requested, offered, &known);
    if (!known) return D3DERR_INVALIDCALL;
    return *chosen == D3DFMT_UNKNOWN ? D3DERR_NOTAVAILABLE : D3D_OK;
}

bool takesSizeFromFile(UINT size) { return size == 0 || size == D3DX_DEFAULT; }

HRESULT fillTexture(IDirect3DTexture8* texture, const DecodedImage& image, DWORD filter, DWORD mipFilter,
                    D3DCOLOR colorKey) {
    IDirect3DSurface8* top = nullptr;
    HRESULT hr = texture->GetSurfaceLevel(0, &top);
    if (FAILED(hr)) return hr;
    hr = loadSurfaceFromImage(top, nullptr, image, nullptr, filter, colorKey);
    top->Release();
    if (FAILED(hr)) return hr;
    return D3DXFilterTexture(texture, nullptr, 0, mipFilter);
}

HRESULT createTextureFromImage(IDirect3DDevice8* device, const DecodedImage& image, UINT width, UINT height,
                               UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                               DWORD mipFilter, D3DCOLOR colorKey, IDirect3DTexture8** texture) {
    if (takesSizeFromFile(width)) width = image.width;
    if (takesSizeFromFile(height)) height = image.height;
    D3DCAPS8 caps{};
    if (FAILED(device->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;
    fitTextureSize(caps, &width, &height, &mipLevels);
    D3DFORMAT chosen;
    HRESULT hr = chooseFormat(device, format == D3DFMT_UNKNOWN ? image.format : format, usage, D3DRTYPE_TEXTURE,
                              true, &chosen);
    if (FAILED(hr)) return hr;
    hr = device->CreateTexture(width, height, mipLevels, usage, chosen, pool, texture);
    if (FAILED(hr)) return hr;
    hr = fillTexture(*texture, image, filter, mipFilter, colorKey);
    if (FAILED(hr)) {
        (*texture)->Release();
        *texture = nullptr;
    }
    return hr;
}

void copyPalette(const DecodedImage& image, PALETTEENTRY* palette) {
    if (!palette || image.palette.empty()) return;
    for (size_t i = 0; i < image.palette.size() && i < 256; ++i) palette[i] = image.palette[i];
}

}  // namespace

}  // namespace zep::d3dx

using namespace zep::d3dx;

extern "C" {

HRESULT WINAPI D3DXCheckTextureRequirements(LPDIRECT3DDEVICE8 pDevice, UINT* pWidth, UINT* pHeight,
                                            UINT* pNumMipLevels, DWORD Usage, D3DFORMAT* pFormat, D3DPOOL) {
    if (!pDevice) return D3DERR_INVALIDCALL;
    D3DCAPS8 caps{};
    if (FAILED(pDevice->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;
    UINT width = pWidth ? *pWidth : D3DX_DEFAULT, height = pHeight ? *pHeight : D3DX_DEFAULT;
    UINT levels = pNumMipLevels ? *pNumMipLevels : D3DX_DEFAULT;
    fitTextureSize(caps, &width, &height, &levels);
    if (pWidth) *pWidth = width;
    if (pHeight) *pHeight = height;
    if (pNumMipLevels) *pNumMipLevels = levels;
    if (!pFormat) return D3D_OK;
    D3DFORMAT chosen;
    const HRESULT hr = chooseFormat(pDevice, *pFormat, Usage, D3DRTYPE_TEXTURE, false, &chosen);
    if (SUCCEEDED(hr)) *pFormat = chosen;
    return hr;
}

HRESULT WINAPI D3DXCheckVolumeTextureRequirements(LPDIRECT3DDEVICE8 pDevice, UINT* pWidth, UINT* pHeight,
                                                  UINT* pDepth, UINT* pNumMipLevels, DWORD Usage,
                                                  D3DFORMAT* pFormat, D3DPOOL) {
    if (!pDevice) return D3DERR_INVALIDCALL;
    D3DCAPS8 caps{};
    if (FAILED(pDevice->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP)) return D3DERR_NOTAVAILABLE;
    UINT width = pWidth ? *pWidth : D3DX_DEFAULT, height = pHeight ? *pHeight : D3DX_DEFAULT;
    UINT depth = pDepth ? *pDepth : D3DX_DEFAULT, levels = pNumMipLevels ? *pNumMipLevels : D3DX_DEFAULT;
    fitVolumeSize(caps, &width, &height, &depth, &levels);
    if (pWidth) *pWidth = width;
    if (pHeight) *pHeight = height;
    if (pDepth) *pDepth = depth;
    if (pNumMipLevels) *pNumMipLevels = levels;
    if (!pFormat) return D3D_OK;
    D3DFORMAT chosen;
    const HRESULT hr = chooseFormat(pDevice, *pFormat, Usage, D3DRTYPE_VOLUMETEXTURE, false, &chosen);
    if (SUCCEEDED(hr)) *pFormat = chosen;
    return hr;
}

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE8 pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                 D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DTEXTURE8* ppTexture) {
    if (!pDevice || !ppTexture) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    HRESULT hr = D3DXCheckTextureRequirements(pDevice, &Width, &Height, &MipLevels, Usage, &Format, Pool);
    if (FAILED(hr)) return hr;
    return pDevice->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, ppTexture);
}

HRESULT WINAPI D3DXCreateVolumeTexture(LPDIRECT3DDEVICE8 pDevice, UINT Width, UINT Height, UINT Depth,
                                       UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                       LPDIRECT3DVOLUMETEXTURE8* ppVolumeTexture) {
    if (!pDevice || !ppVolumeTexture) return D3DERR_INVALIDCALL;
    *ppVolumeTexture = nullptr;
    HRESULT hr =
        D3DXCheckVolumeTextureRequirements(pDevice, &Width, &Height, &Depth, &MipLevels, Usage, &Format, Pool);
    if (FAILED(hr)) return hr;
    return pDevice->CreateVolumeTexture(Width, Height, Depth, MipLevels, Usage, Format, Pool, ppVolumeTexture);
}

HRESULT WINAPI D3DXGetImageInfoFromFileInMemory(LPCVOID pSrcData, UINT SrcDataSize, D3DXIMAGE_INFO* pSrcInfo) {
    if (!pSrcData || SrcDataSize == 0 || !pSrcInfo) return D3DERR_INVALIDCALL;
    DecodedImage image;
    const HRESULT hr = decodeImage(pSrcData, SrcDataSize, &image, true);
    if (SUCCEEDED(hr)) fillImageInfo(image, pSrcInfo);
    return hr;
}

HRESULT WINAPI D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo) {
    if (!pSrcFile || !pSrcInfo) return D3DERR_INVALIDCALL;
    std::vector<BYTE> bytes;
    const HRESULT hr = readImageFile(pSrcFile, &bytes);
    if (FAILED(hr)) return hr;
    return D3DXGetImageInfoFromFileInMemory(bytes.data(), UINT(bytes.size()), pSrcInfo);
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                   PALETTEENTRY* pPalette, LPDIRECT3DTEXTURE8* ppTexture) {
    if (!pDevice || !pSrcData || SrcDataSize == 0 || !ppTexture) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    DWORD filter, mipFilter;
    if (!resolveFilter(Filter, kDefaultImageFilter, &filter) || !resolveFilter(MipFilter, kDefaultMipFilter, &mipFilter))
        return D3DERR_INVALIDCALL;
    DecodedImage image;
    const HRESULT hr = decodeImage(pSrcData, SrcDataSize, &image);
    if (FAILED(hr)) return hr;
    fillImageInfo(image, pSrcInfo);
    copyPalette(image, pPalette);
    return createTextureFromImage(pDevice, image, Width, Height, MipLevels, Usage, Format, Pool, filter, mipFilter,
                                  ColorKey, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                 LPDIRECT3DTEXTURE8* ppTexture) {
    return D3DXCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT,
                                               D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                               D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                            DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            LPDIRECT3DTEXTURE8* ppTexture) {
    if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    std::vector<BYTE> bytes;
    const HRESULT hr = readImageFile(pSrcFile, &bytes);
    if (FAILED(hr)) return hr;
    return D3DXCreateTextureFromFileInMemoryEx(pDevice, bytes.data(), UINT(bytes.size()), Width, Height, MipLevels,
                                               Usage, Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo, pPalette,
                                               ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile, LPDIRECT3DTEXTURE8* ppTexture) {
    return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                        nullptr, ppTexture);
}

HRESULT WINAPI D3DXFilterTexture(LPDIRECT3DBASETEXTURE8 pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                                 DWORD Filter) {
    if (!pBaseTexture) return D3DERR_INVALIDCALL;
    DWORD filter;
    if (!resolveFilter(Filter, kDefaultMipFilter, &filter)) return D3DERR_INVALIDCALL;
    if (pBaseTexture->GetType() != D3DRTYPE_TEXTURE) return E_NOTIMPL;  // volume and cube chains are not built
    IDirect3DTexture8* texture = static_cast<IDirect3DTexture8*>(pBaseTexture);
    if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
    const UINT levels = texture->GetLevelCount();
    if (SrcLevel >= levels) return D3DERR_INVALIDCALL;
    HRESULT hr = D3D_OK;
    for (UINT level = SrcLevel + 1; level < levels && SUCCEEDED(hr); ++level) {
        IDirect3DSurface8* above = nullptr;
        IDirect3DSurface8* below = nullptr;
        hr = texture->GetSurfaceLevel(level - 1, &above);
        if (SUCCEEDED(hr)) hr = texture->GetSurfaceLevel(level, &below);
        if (SUCCEEDED(hr)) hr = D3DXLoadSurfaceFromSurface(below, pPalette, nullptr, above, pPalette, nullptr, filter, 0);
        if (below) below->Release();
        if (above) above->Release();
    }
    return hr;
}

}  // extern "C"
