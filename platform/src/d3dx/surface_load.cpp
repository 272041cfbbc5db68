// D3DXLoadSurfaceFrom...: memory, another surface or an image file into a
// rectangle of a surface, converted and scaled with the filter.
//
// The destination is locked directly when it can be; surfaces that refuse a
// lock (render targets on some devices, default-pool textures on Direct3D 8
// itself) are filled through a lockable image surface of their format and
// CopyRects, which every device offers.

#include "d3dx/surface_load.h"

#include "d3dx/pixel_convert.h"

#include <d3dx8tex.h>

#include <cstdint>
#include <new>

namespace zep::d3dx {

bool validRect(const RECT& r, UINT width, UINT height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && UINT(r.right) <= width &&
           UINT(r.bottom) <= height;
}

namespace {

UINT rectWidth(const RECT& r) { return UINT(r.right - r.left); }
UINT rectHeight(const RECT& r) { return UINT(r.bottom - r.top); }

// Resamples `source` into the locked texels of `rect`.
HRESULT resampleInto(const D3DLOCKED_RECT& locked, D3DFORMAT format, const RECT& rect, const SourceImage& source,
                     DWORD filter, D3DCOLOR colorKey) {
    try {
        resample(source,
                 {format, static_cast<BYTE*>(locked.pBits), UINT(locked.Pitch), rectWidth(rect), rectHeight(rect),
                  UINT(rect.left), UINT(rect.top)},
                 filter, colorKey);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;  // rows of a source rectangle too wide to hold
    }
    return D3D_OK;
}

HRESULT loadThroughImageSurface(IDirect3DSurface8* destination, const D3DSURFACE_DESC& desc, const RECT& rect,
                                const SourceImage& source, DWORD filter, D3DCOLOR colorKey) {
    IDirect3DDevice8* device = nullptr;
    if (FAILED(destination->GetDevice(&device))) return D3DERR_INVALIDCALL;
    IDirect3DSurface8* image = nullptr;
    HRESULT hr = device->CreateImageSurface(rectWidth(rect), rectHeight(rect), desc.Format, &image);
    if (SUCCEEDED(hr)) {
        D3DLOCKED_RECT locked{};
        hr = image->LockRect(&locked, nullptr, 0);
        if (SUCCEEDED(hr)) {
            hr = resampleInto(locked, desc.Format, rect, source, filter, colorKey);
            image->UnlockRect();
            const POINT at{rect.left, rect.top};
            if (SUCCEEDED(hr)) hr = device->CopyRects(image, nullptr, 0, destination, &at);
        }
        image->Release();
    }
    device->Release();
    return hr;
}

}  // namespace

HRESULT loadSurface(IDirect3DSurface8* destination, const RECT* destRect, const SourceImage& source, DWORD filter,
                    D3DCOLOR colorKey) {
    D3DSURFACE_DESC desc{};
    if (FAILED(destination->GetDesc(&desc))) return D3DERR_INVALIDCALL;
    if (!canWriteFormat(desc.Format)) return D3DERR_INVALIDCALL;
    const RECT rect = destRect ? *destRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    if (!validRect(rect, desc.Width, desc.Height)) return D3DERR_INVALIDCALL;

    D3DLOCKED_RECT locked{};
    if (FAILED(destination->LockRect(&locked, &rect, 0)))
        return loadThroughImageSurface(destination, desc, rect, source, filter, colorKey);
    const HRESULT hr = resampleInto(locked, desc.Format, rect, source, filter, colorKey);
    destination->UnlockRect();
    return hr;
}

ReadableSurface::ReadableSurface(IDirect3DSurface8* surface, D3DFORMAT format, const RECT& rect) {
    if (SUCCEEDED(surface->LockRect(&locked_, &rect, D3DLOCK_READONLY))) {
        lockedSurface_ = surface;
        return;
    }
    copyThenLock(surface, format, rect);
}

ReadableSurface::~ReadableSurface() {
    if (lockedSurface_) lockedSurface_->UnlockRect();
    if (copy_) copy_->Release();
}

void ReadableSurface::copyThenLock(IDirect3DSurface8* surface, D3DFORMAT format, const RECT& rect) {
    IDirect3DDevice8* device = nullptr;
    if (FAILED(surface->GetDevice(&device))) return;
    if (SUCCEEDED(device->CreateImageSurface(rectWidth(rect), rectHeight(rect), format, &copy_))) {
        const POINT origin{0, 0};
        if (SUCCEEDED(device->CopyRects(surface, &rect, 1, copy_, &origin)) &&
            SUCCEEDED(copy_->LockRect(&locked_, nullptr, D3DLOCK_READONLY)))
            lockedSurface_ = copy_;
    }
    device->Release();
}

HRESULT loadSurfaceFromImage(IDirect3DSurface8* destination, const RECT* destRect, const DecodedImage& image,
                             const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey) {
    const RECT rect = sourceRect ? *sourceRect : RECT{0, 0, LONG(image.width), LONG(image.height)};
    if (!validRect(rect, image.width, image.height)) return D3DERR_INVALIDCALL;
    const UINT pitch = image.width * 4;
    const BYTE* first = reinterpret_cast<const BYTE*>(image.texels.data()) + size_t(rect.top) * pitch + rect.left * 4;
    const SourceImage source{D3DFMT_A8R8G8B8, first, pitch, rectWidth(rect), rectHeight(rect), nullptr, image.format};
    return loadSurface(destination, destRect, source, filter, colorKey);
}

void fillImageInfo(const DecodedImage& image, D3DXIMAGE_INFO* info) {
    if (!info) return;
    info->Width = image.width;
    info->Height = image.height;
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format = image.format;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = image.fileFormat;
}

}  // namespace zep::d3dx

using namespace zep::d3dx;

extern "C" {

HRESULT WINAPI D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY*, const RECT* pDestRect,
                                         LPCVOID pSrcMemory, D3DFORMAT SrcFormat, UINT SrcPitch,
                                         const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                         D3DCOLOR ColorKey) {
    if (!pDestSurface || !pSrcMemory || !pSrcRect) return D3DERR_INVALIDCALL;
    const UINT bytes = texelBytes(SrcFormat);
    if (bytes == 0 || (isPaletteFormat(SrcFormat) && !pSrcPalette)) return D3DERR_INVALIDCALL;
    const RECT& r = *pSrcRect;
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom) return D3DERR_INVALIDCALL;
    // Rows must not overlap: a pitch shorter than the rows it holds is a
    // caller's mistake, not an image.
    if (r.bottom - r.top > 1 && uint64_t(SrcPitch) < uint64_t(r.right) * bytes) return D3DERR_INVALIDCALL;
    DWORD filter;
    if (!resolveFilter(Filter, kDefaultImageFilter, &filter)) return D3DERR_INVALIDCALL;
    const BYTE* first = static_cast<const BYTE*>(pSrcMemory) + size_t(r.top) * SrcPitch + size_t(r.left) * bytes;
    const SourceImage source{SrcFormat, first, SrcPitch, rectWidth(r), rectHeight(r), pSrcPalette, SrcFormat};
    return loadSurface(pDestSurface, pDestRect, source, filter, ColorKey);
}

HRESULT WINAPI D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY*, const RECT* pDestRect,
                                          LPDIRECT3DSURFACE8 pSrcSurface, const PALETTEENTRY* pSrcPalette,
                                          const RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey) {
    if (!pDestSurface || !pSrcSurface || pDestSurface == pSrcSurface) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{};
    if (FAILED(pSrcSurface->GetDesc(&desc))) return D3DERR_INVALIDCALL;
    const UINT bytes = texelBytes(desc.Format);
    if (bytes == 0 || (isPaletteFormat(desc.Format) && !pSrcPalette)) return D3DERR_INVALIDCALL;
    const RECT rect = pSrcRect ? *pSrcRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    if (!validRect(rect, desc.Width, desc.Height)) return D3DERR_INVALIDCALL;
    DWORD filter;
    if (!resolveFilter(Filter, kDefaultImageFilter, &filter)) return D3DERR_INVALIDCALL;
    const ReadableSurface readable(pSrcSurface, desc.Format, rect);
    if (!readable.ok()) return D3DERR_INVALIDCALL;
    const SourceImage source{desc.Format, readable.bits(), readable.pitch(), rectWidth(rect), rectHeight(rect),
                             pSrcPalette, desc.Format};
    return loadSurface(pDestSurface, pDestRect, source, filter, ColorKey);
}

HRESULT WINAPI D3DXLoadSurfaceFromFileInMemory(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY*,
                                               const RECT* pDestRect, LPCVOID pSrcData, UINT SrcDataSize,
                                               const RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey,
                                               D3DXIMAGE_INFO* pSrcInfo) {
    if (!pDestSurface || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;
    DWORD filter;
    if (!resolveFilter(Filter, kDefaultImageFilter, &filter)) return D3DERR_INVALIDCALL;
    DecodedImage image;
    const HRESULT hr = decodeImage(pSrcData, SrcDataSize, &image);
    if (FAILED(hr)) return hr;
    fillImageInfo(image, pSrcInfo);
    return loadSurfaceFromImage(pDestSurface, pDestRect, image, pSrcRect, filter, ColorKey);
}

HRESULT WINAPI D3DXLoadSurfaceFromFileA(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                        const RECT* pDestRect, LPCSTR pSrcFile, const RECT* pSrcRect, DWORD Filter,
                                        D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo) {
    if (!pDestSurface || !pSrcFile) return D3DERR_INVALIDCALL;
    std::vector<BYTE> bytes;
    const HRESULT hr = readImageFile(pSrcFile, &bytes);
    if (FAILED(hr)) return hr;
    return D3DXLoadSurfaceFromFileInMemory(pDestSurface, pDestPalette, pDestRect, bytes.data(), UINT(bytes.size()),
                                           pSrcRect, Filter, ColorKey, pSrcInfo);
}

}  // extern "C"
