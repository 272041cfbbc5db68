/* DirectDraw 7 (memory figures) for the Linux build.
 *
 * The engine opens DirectDraw 7 only to ask how much video memory there is
 * (GetCaps: dwVidMemTotal, dwVidMemFree) when it places its pools. The
 * figures come from the OpenGL driver when a context is current and the
 * driver reports them (GL_NVX_gpu_memory_info, GL_ATI_meminfo), otherwise
 * they are fixed: 256 MiB total, 192 MiB free. The interface is declared
 * whole, in DirectDraw 7's method order; surfaces, palettes, clippers and
 * display modes are not provided and their methods return DDERR_UNSUPPORTED.
 * C++ only: the interfaces are C++ classes. */
#ifndef ZEP_PLATFORM_DDRAW_H
#define ZEP_PLATFORM_DDRAW_H

#include <unknwn.h>

/* ---- Results --------------------------------------------------------------- */

#define _FACDD 0x876
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, _FACDD, code)

#define DD_OK S_OK
#define DD_FALSE S_FALSE
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_ALREADYINITIALIZED MAKE_DDHRESULT(5)
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_NOCOOPERATIVELEVELSET MAKE_DDHRESULT(212)
#define DDERR_INVALIDDIRECTDRAWGUID MAKE_DDHRESULT(561)
#define DDERR_NODIRECTDRAWHW MAKE_DDHRESULT(563)

/* DirectDrawCreateEx's device argument besides NULL (the primary display). */
#define DDCREATE_HARDWAREONLY 0x00000001L
#define DDCREATE_EMULATIONONLY 0x00000002L

/* ---- Capabilities -------------------------------------------------------------- */

#define DDCAPS_3D 0x00000001
#define DDCAPS_BLT 0x00000040
#define DDCAPS_BLTSTRETCH 0x00000200
#define DDCAPS_ZBLTS 0x00100000

#define DDSCAPS_TEXTURE 0x00001000
#define DDSCAPS_3DDEVICE 0x00002000
#define DDSCAPS_VIDEOMEMORY 0x00004000
#define DDSCAPS_ZBUFFER 0x00020000
#define DDSCAPS_LOCALVIDMEM 0x10000000

#define DDSCL_FULLSCREEN 0x00000001
#define DDSCL_NORMAL 0x00000008
#define DDSCL_EXCLUSIVE 0x00000010

#define DD_ROP_SPACE 8  /* 256 raster operations, one bit each */

typedef struct _DDSCAPS {
    DWORD dwCaps;
} DDSCAPS, *LPDDSCAPS;

typedef struct _DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
} DDSCAPS2, *LPDDSCAPS2;

/* DirectDraw 7's capability record: 380 bytes of DWORDs, the same on every
 * target. dwVidMemTotal sits at byte 60, dwVidMemFree at 64. */
typedef struct _DDCAPS_DX7 {
    DWORD dwSize;  /* sizeof(DDCAPS): set by the caller */
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCKeyCaps;
    DWORD dwFXCaps;
    DWORD dwFXAlphaCaps;
    DWORD dwPalCaps;
    DWORD dwSVCaps;
    DWORD dwAlphaBltConstBitDepths;
    DWORD dwAlphaBltPixelBitDepths;
    DWORD dwAlphaBltSurfaceBitDepths;
    DWORD dwAlphaOverlayConstBitDepths;
    DWORD dwAlphaOverlayPixelBitDepths;
    DWORD dwAlphaOverlaySurfaceBitDepths;
    DWORD dwZBufferBitDepths;
    DWORD dwVidMemTotal;  /* bytes of display memory */
    DWORD dwVidMemFree;   /* bytes of display memory free */
    DWORD dwMaxVisibleOverlays;
    DWORD dwCurrVisibleOverlays;
    DWORD dwNumFourCCCodes;
    DWORD dwAlignBoundarySrc;
    DWORD dwAlignSizeSrc;
    DWORD dwAlignBoundaryDest;
    DWORD dwAlignSizeDest;
    DWORD dwAlignStrideAlign;
    DWORD dwRops[DD_ROP_SPACE];
    DDSCAPS ddsOldCaps;
    DWORD dwMinOverlayStretch;
    DWORD dwMaxOverlayStretch;
    DWORD dwMinLiveVideoStretch;
    DWORD dwMaxLiveVideoStretch;
    DWORD dwMinHwCodecStretch;
    DWORD dwMaxHwCodecStretch;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwReserved3;
    DWORD dwSVBCaps;
    DWORD dwSVBCKeyCaps;
    DWORD dwSVBFXCaps;
    DWORD dwSVBRops[DD_ROP_SPACE];
    DWORD dwVSBCaps;
    DWORD dwVSBCKeyCaps;
    DWORD dwVSBFXCaps;
    DWORD dwVSBRops[DD_ROP_SPACE];
    DWORD dwSSBCaps;
    DWORD dwSSBCKeyCaps;
    DWORD dwSSBFXCaps;
    DWORD dwSSBRops[DD_ROP_SPACE];
    DWORD dwMaxVideoPorts;
    DWORD dwCurrVideoPorts;
    DWORD dwSVBCaps2;
    DWORD dwNLVBCaps;
    DWORD dwNLVBCaps2;
    DWORD dwNLVBCKeyCaps;
    DWORD dwNLVBFXCaps;
    DWORD dwNLVBRops[DD_ROP_SPACE];
    DDSCAPS2 ddsCaps;
} DDCAPS_DX7, *LPDDCAPS_DX7;

typedef DDCAPS_DX7 DDCAPS;
typedef DDCAPS* LPDDCAPS;

/* ---- Identifiers ------------------------------------------------------------------ */

inline constexpr IID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

/* ---- Interface ----------------------------------------------------------------------
 * Structures only the unsupported methods take are left incomplete. */

struct IDirectDrawClipper;
struct IDirectDrawPalette;
struct IDirectDrawSurface7;
struct DDSURFACEDESC2;
struct DDDEVICEIDENTIFIER2;

typedef HRESULT(CALLBACK* LPDDENUMMODESCALLBACK2)(DDSURFACEDESC2*, LPVOID);
typedef HRESULT(CALLBACK* LPDDENUMSURFACESCALLBACK7)(IDirectDrawSurface7*, DDSURFACEDESC2*, LPVOID);

struct IDirectDraw7 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Compact() = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePalette(DWORD flags, LPPALETTEENTRY entries, IDirectDrawPalette** out, IUnknown* outer) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown* outer) = 0;
    virtual HRESULT STDMETHODCALLTYPE DuplicateSurface(IDirectDrawSurface7* surface, IDirectDrawSurface7** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD flags, DDSURFACEDESC2* desc, LPVOID context, LPDDENUMMODESCALLBACK2 callback) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD flags, DDSURFACEDESC2* desc, LPVOID context, LPDDENUMSURFACESCALLBACK7 callback) = 0;
    virtual HRESULT STDMETHODCALLTYPE FlipToGDISurface() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) = 0;  /* either may be NULL */
    virtual HRESULT STDMETHODCALLTYPE GetDisplayMode(DDSURFACEDESC2* desc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD count, LPDWORD codes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGDISurface(IDirectDrawSurface7** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD frequency) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD line) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(LPBOOL inBlank) = 0;
    virtual HRESULT STDMETHODCALLTYPE Initialize(GUID* device) = 0;
    virtual HRESULT STDMETHODCALLTYPE RestoreDisplayMode() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSurfaceFromDC(HDC dc, IDirectDrawSurface7** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE RestoreAllSurfaces() = 0;
    virtual HRESULT STDMETHODCALLTYPE TestCooperativeLevel() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE StartModeTest(SIZE* modes, DWORD count, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE EvaluateMode(DWORD flags, DWORD* secondsUntilTimeout) = 0;
};
typedef IDirectDraw7* LPDIRECTDRAW7;

/* Creates the DirectDraw object for the display (device NULL,
 * DDCREATE_HARDWAREONLY or DDCREATE_EMULATIONONLY); the interface must be
 * IID_IDirectDraw7 and aggregation is not supported. */
extern "C" HRESULT WINAPI DirectDrawCreateEx(GUID* device, LPVOID* out, REFIID riid, IUnknown* outer);

#endif
