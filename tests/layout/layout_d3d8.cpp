// Direct3D 8 structure layouts, checked at compile time.
//
// The engine fills these structures and hands them to the device; on 32-bit
// targets they must be byte for byte what Direct3D 8 uses (4-byte packing,
// 32-bit enumerations). Structures without pointers have the same layout on
// every target and are checked everywhere; those holding pointers, handles
// or a LARGE_INTEGER only on 32-bit targets. Compiled with and without -m32.

#include <d3d8.h>

#include <cstddef>
#include <cstdint>

// Enumerations take part in structure layouts: they must be 32 bits.
static_assert(sizeof(D3DFORMAT) == 4);
static_assert(sizeof(D3DPOOL) == 4);
static_assert(sizeof(D3DRESOURCETYPE) == 4);
static_assert(sizeof(D3DMULTISAMPLE_TYPE) == 4);
static_assert(sizeof(D3DDEVTYPE) == 4);
static_assert(sizeof(D3DLIGHTTYPE) == 4);
static_assert(sizeof(D3DSWAPEFFECT) == 4);
static_assert(sizeof(D3DBASISTYPE) == 4);

// ---- Pointer-free structures: the same on every target ---------------------

static_assert(sizeof(D3DCOLORVALUE) == 16);
static_assert(sizeof(D3DVECTOR) == 12);
static_assert(sizeof(D3DMATRIX) == 64);
static_assert(offsetof(D3DMATRIX, _41) == 48);
static_assert(offsetof(D3DMATRIX, _44) == 60);
static_assert(sizeof(D3DRECT) == 16);
static_assert(sizeof(D3DVIEWPORT8) == 24);
static_assert(offsetof(D3DVIEWPORT8, MinZ) == 16);
static_assert(sizeof(D3DCLIPSTATUS8) == 8);

static_assert(sizeof(D3DMATERIAL8) == 68);
static_assert(offsetof(D3DMATERIAL8, Ambient) == 16);
static_assert(offsetof(D3DMATERIAL8, Emissive) == 48);
static_assert(offsetof(D3DMATERIAL8, Power) == 64);

static_assert(sizeof(D3DLIGHT8) == 104);
static_assert(offsetof(D3DLIGHT8, Diffuse) == 4);
static_assert(offsetof(D3DLIGHT8, Ambient) == 36);
static_assert(offsetof(D3DLIGHT8, Position) == 52);
static_assert(offsetof(D3DLIGHT8, Direction) == 64);
static_assert(offsetof(D3DLIGHT8, Range) == 76);
static_assert(offsetof(D3DLIGHT8, Attenuation0) == 84);
static_assert(offsetof(D3DLIGHT8, Phi) == 100);

static_assert(sizeof(D3DDISPLAYMODE) == 16);
static_assert(sizeof(D3DSURFACE_DESC) == 32);
static_assert(offsetof(D3DSURFACE_DESC, Size) == 16);
static_assert(offsetof(D3DSURFACE_DESC, Width) == 24);
static_assert(sizeof(D3DVOLUME_DESC) == 32);
static_assert(offsetof(D3DVOLUME_DESC, Depth) == 28);
static_assert(sizeof(D3DVERTEXBUFFER_DESC) == 24);
static_assert(offsetof(D3DVERTEXBUFFER_DESC, FVF) == 20);
static_assert(sizeof(D3DINDEXBUFFER_DESC) == 20);
static_assert(sizeof(D3DBOX) == 24);
static_assert(sizeof(D3DRANGE) == 8);
static_assert(sizeof(D3DRASTER_STATUS) == 8);
static_assert(sizeof(D3DGAMMARAMP) == 1536);
static_assert(sizeof(D3DLINEPATTERN) == 4);
static_assert(sizeof(D3DRECTPATCH_INFO) == 28);
static_assert(sizeof(D3DTRIPATCH_INFO) == 16);
static_assert(sizeof(GUID) == 16);
static_assert(sizeof(PALETTEENTRY) == 4);

static_assert(sizeof(D3DCAPS8) == 212);
static_assert(offsetof(D3DCAPS8, DevCaps) == 28);
static_assert(offsetof(D3DCAPS8, PrimitiveMiscCaps) == 32);
static_assert(offsetof(D3DCAPS8, LineCaps) == 84);
static_assert(offsetof(D3DCAPS8, MaxTextureWidth) == 88);
static_assert(offsetof(D3DCAPS8, MaxAnisotropy) == 108);
static_assert(offsetof(D3DCAPS8, StencilCaps) == 136);
static_assert(offsetof(D3DCAPS8, VertexProcessingCaps) == 156);
static_assert(offsetof(D3DCAPS8, MaxActiveLights) == 160);
static_assert(offsetof(D3DCAPS8, MaxPointSize) == 176);
static_assert(offsetof(D3DCAPS8, MaxPrimitiveCount) == 180);
static_assert(offsetof(D3DCAPS8, VertexShaderVersion) == 196);
static_assert(offsetof(D3DCAPS8, PixelShaderVersion) == 204);
static_assert(offsetof(D3DCAPS8, MaxPixelShaderValue) == 208);

// ---- Structures with pointers, handles or 64-bit members: 32-bit only ------

#if UINTPTR_MAX == 0xffffffffu

static_assert(sizeof(D3DPRESENT_PARAMETERS) == 52);
static_assert(offsetof(D3DPRESENT_PARAMETERS, MultiSampleType) == 16);
static_assert(offsetof(D3DPRESENT_PARAMETERS, hDeviceWindow) == 24);
static_assert(offsetof(D3DPRESENT_PARAMETERS, AutoDepthStencilFormat) == 36);
static_assert(offsetof(D3DPRESENT_PARAMETERS, FullScreen_PresentationInterval) == 48);

static_assert(sizeof(D3DDEVICE_CREATION_PARAMETERS) == 16);
static_assert(offsetof(D3DDEVICE_CREATION_PARAMETERS, BehaviorFlags) == 12);

static_assert(sizeof(D3DLOCKED_RECT) == 8);
static_assert(offsetof(D3DLOCKED_RECT, pBits) == 4);
static_assert(sizeof(D3DLOCKED_BOX) == 12);
static_assert(offsetof(D3DLOCKED_BOX, pBits) == 8);

// Four-byte packing puts the LARGE_INTEGER right after the strings and
// leaves no tail padding.
static_assert(sizeof(D3DADAPTER_IDENTIFIER8) == 1068);
static_assert(offsetof(D3DADAPTER_IDENTIFIER8, DriverVersion) == 1024);
static_assert(offsetof(D3DADAPTER_IDENTIFIER8, VendorId) == 1032);
static_assert(offsetof(D3DADAPTER_IDENTIFIER8, DeviceIdentifier) == 1048);
static_assert(offsetof(D3DADAPTER_IDENTIFIER8, WHQLLevel) == 1064);

// COM objects are a vtable pointer and nothing else at this level.
static_assert(sizeof(IDirect3DTexture8) == sizeof(void*));
static_assert(sizeof(IDirect3DDevice8) == 4);

#endif
