/* D3DX 8 textures and surfaces for the Linux build: textures created with
 * the device's size and format rules, filled from image files (TGA, BMP,
 * JPEG, PNG, PPM) or from memory in any format of the runtime, with colour
 * keys, format conversion, filtering and mip chains; and error texts.
 *
 * Conventions, D3DX 8's:
 * - Loading from a file, D3DX_DEFAULT (or 0) as a width or height means the
 *   file's size and D3DFMT_UNKNOWN the file's own format; D3DXCreateTexture
 *   takes 256 for D3DX_DEFAULT sizes and A8R8G8B8 for D3DFMT_UNKNOWN. 0 or
 *   D3DX_DEFAULT mip levels mean the full chain. A format the device lacks
 *   becomes the closest one it offers.
 * - Sizes are rounded up to powers of two when the device requires it and
 *   clamped to its maximum texture size; an image whose size differs from
 *   the texture's is scaled with the filter.
 * - A colour key is a D3DCOLOR compared as ARGB with every source texel
 *   (alpha included) before filtering; matches become transparent black.
 *   0 disables keying.
 * - Undecodable data gives D3DXERR_INVALIDDATA, bad arguments
 *   D3DERR_INVALIDCALL.
 *
 * C++ only, because <d3d8.h> is. */
#ifndef ZEP_PLATFORM_D3DX8TEX_H
#define ZEP_PLATFORM_D3DX8TEX_H

#include <d3d8.h>

/* ---- Results ------------------------------------------------------------------ */

#define _FACDD 0x876
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, _FACDD, code)

enum _D3DXERR {
    D3DXERR_CANNOTMODIFYINDEXBUFFER = MAKE_DDHRESULT(2900),
    D3DXERR_INVALIDMESH = MAKE_DDHRESULT(2901),
    D3DXERR_CANNOTATTRSORT = MAKE_DDHRESULT(2902),
    D3DXERR_SKINNINGNOTSUPPORTED = MAKE_DDHRESULT(2903),
    D3DXERR_TOOMANYINFLUENCES = MAKE_DDHRESULT(2904),
    D3DXERR_INVALIDDATA = MAKE_DDHRESULT(2905),        /* 0x88760B59: data that does not decode */
    D3DXERR_LOADEDMESHASNODATA = MAKE_DDHRESULT(2906),
};

/* ---- Defaults and filters ------------------------------------------------------ */

#define D3DX_DEFAULT ((UINT)-1)

/* Filter: one of the five kinds in the low byte, plus flags. */
#define D3DX_FILTER_NONE (1 << 0)      /* no scaling: copied to the top left, the rest transparent black */
#define D3DX_FILTER_POINT (2 << 0)     /* nearest texel */
#define D3DX_FILTER_LINEAR (3 << 0)    /* the four nearest texels */
#define D3DX_FILTER_TRIANGLE (4 << 0)  /* every source texel contributes equally */
#define D3DX_FILTER_BOX (5 << 0)       /* 2 x 2 averages: halving, as for mip levels */

#define D3DX_FILTER_MIRROR_U (1 << 16)  /* texels off an edge mirror back in instead of repeating it */
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)    /* 4 x 4 ordered dither where precision is lost */

/* ---- Image files --------------------------------------------------------------- */

typedef enum _D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

/* What a file holds: its size, levels and own pixel format. */
typedef struct _D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

/* ---- Functions ----------------------------------------------------------------- */

extern "C" {

/* Error text of a Direct3D or D3DX result, NUL-terminated within BufferLen. */
HRESULT WINAPI D3DXGetErrorStringA(HRESULT hr, LPSTR pBuffer, UINT BufferLen);

/* The size, level count and format a texture of the request would get on the
 * device; each pointer may be null. */
HRESULT WINAPI D3DXCheckTextureRequirements(LPDIRECT3DDEVICE8 pDevice, UINT* pWidth, UINT* pHeight,
                                            UINT* pNumMipLevels, DWORD Usage, D3DFORMAT* pFormat, D3DPOOL Pool);
HRESULT WINAPI D3DXCheckVolumeTextureRequirements(LPDIRECT3DDEVICE8 pDevice, UINT* pWidth, UINT* pHeight,
                                                  UINT* pDepth, UINT* pNumMipLevels, DWORD Usage,
                                                  D3DFORMAT* pFormat, D3DPOOL Pool);

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE8 pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                 D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DTEXTURE8* ppTexture);
HRESULT WINAPI D3DXCreateVolumeTexture(LPDIRECT3DDEVICE8 pDevice, UINT Width, UINT Height, UINT Depth,
                                       UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                       LPDIRECT3DVOLUMETEXTURE8* ppVolumeTexture);

HRESULT WINAPI D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo);
HRESULT WINAPI D3DXGetImageInfoFromFileInMemory(LPCVOID pSrcData, UINT SrcDataSize, D3DXIMAGE_INFO* pSrcInfo);

/* Textures from files: the plain forms take every size, level count and
 * format from the file, filter with D3DX_DEFAULT and key nothing. */
HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile, LPDIRECT3DTEXTURE8* ppTexture);
HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                            DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            LPDIRECT3DTEXTURE8* ppTexture);
HRESULT WINAPI D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                 LPDIRECT3DTEXTURE8* ppTexture);
HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                   PALETTEENTRY* pPalette, LPDIRECT3DTEXTURE8* ppTexture);

/* Surfaces: a null rectangle means the whole surface or image; the source
 * rectangle is scaled into the destination rectangle with the filter. */
HRESULT WINAPI D3DXLoadSurfaceFromFileA(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                        const RECT* pDestRect, LPCSTR pSrcFile, const RECT* pSrcRect, DWORD Filter,
                                        D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo);
HRESULT WINAPI D3DXLoadSurfaceFromFileInMemory(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                               const RECT* pDestRect, LPCVOID pSrcData, UINT SrcDataSize,
                                               const RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey,
                                               D3DXIMAGE_INFO* pSrcInfo);
HRESULT WINAPI D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                          const RECT* pDestRect, LPDIRECT3DSURFACE8 pSrcSurface,
                                          const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                          D3DCOLOR ColorKey);
HRESULT WINAPI D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE8 pDestSurface, const PALETTEENTRY* pDestPalette,
                                         const RECT* pDestRect, LPCVOID pSrcMemory, D3DFORMAT SrcFormat,
                                         UINT SrcPitch, const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                         DWORD Filter, D3DCOLOR ColorKey);

/* Writes a surface, or the rectangle of it (null: the whole surface), as an
 * image file: BMP (or DIB), TGA, PNG, JPEG or PPM; alpha is kept by TGA, PNG
 * and BMP when the format has it. DDS and unknown file formats give
 * D3DERR_INVALIDCALL, a file that cannot be written E_FAIL. Palette formats
 * need pSrcPalette. */
HRESULT WINAPI D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat,
                                      LPDIRECT3DSURFACE8 pSrcSurface, const PALETTEENTRY* pSrcPalette,
                                      const RECT* pSrcRect);

/* Fills every level below SrcLevel from the one above it with the filter
 * (D3DX_DEFAULT: box). */
HRESULT WINAPI D3DXFilterTexture(LPDIRECT3DBASETEXTURE8 pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                                 DWORD Filter);

}  /* extern "C" */

/* The ANSI names, as D3DX 8 maps them without UNICODE. */
#define D3DXGetErrorString D3DXGetErrorStringA
#define D3DXGetImageInfoFromFile D3DXGetImageInfoFromFileA
#define D3DXCreateTextureFromFile D3DXCreateTextureFromFileA
#define D3DXCreateTextureFromFileEx D3DXCreateTextureFromFileExA
#define D3DXLoadSurfaceFromFile D3DXLoadSurfaceFromFileA
#define D3DXSaveSurfaceToFile D3DXSaveSurfaceToFileA

#endif /* ZEP_PLATFORM_D3DX8TEX_H */
