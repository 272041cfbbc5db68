// D3DXGetErrorStringA: the name and meaning of a Direct3D 8, D3DX or COM
// result, as hosts write it into their logs.

#include <d3dx8tex.h>

#include <cstdio>
#include <cstring>

namespace {

struct ErrorText {
    HRESULT code;
    const char* text;
};

const ErrorText kErrorTexts[] = {
    {D3D_OK, "D3D_OK: no error"},
    {S_FALSE, "S_FALSE: succeeded, with nothing to do"},
    {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT: the pixel format of the texture is not supported for this operation"},
    {D3DERR_UNSUPPORTEDCOLOROPERATION, "D3DERR_UNSUPPORTEDCOLOROPERATION: the device does not support a colour blending operation"},
    {D3DERR_UNSUPPORTEDCOLORARG, "D3DERR_UNSUPPORTEDCOLORARG: the device does not support a colour argument"},
    {D3DERR_UNSUPPORTEDALPHAOPERATION, "D3DERR_UNSUPPORTEDALPHAOPERATION: the device does not support an alpha blending operation"},
    {D3DERR_UNSUPPORTEDALPHAARG, "D3DERR_UNSUPPORTEDALPHAARG: the device does not support an alpha argument"},
    {D3DERR_TOOMANYOPERATIONS, "D3DERR_TOOMANYOPERATIONS: more texture operations than the device supports"},
    {D3DERR_CONFLICTINGTEXTUREFILTER, "D3DERR_CONFLICTINGTEXTUREFILTER: the texture filters cannot be used together"},
    {D3DERR_UNSUPPORTEDFACTORVALUE, "D3DERR_UNSUPPORTEDFACTORVALUE: the device does not support the texture factor value"},
    {D3DERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE: the render states cannot be used together"},
    {D3DERR_UNSUPPORTEDTEXTUREFILTER, "D3DERR_UNSUPPORTEDTEXTUREFILTER: the device does not support the texture filter"},
    {D3DERR_CONFLICTINGTEXTUREPALETTE, "D3DERR_CONFLICTINGTEXTUREPALETTE: the textures use different palettes"},
    {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR: internal driver error"},
    {D3DERR_NOTFOUND, "D3DERR_NOTFOUND: the requested item was not found"},
    {D3DERR_MOREDATA, "D3DERR_MOREDATA: there is more data than the buffer holds"},
    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST: the device is lost and cannot be reset yet"},
    {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET: the device is lost and can be reset now"},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE: the device does not support the queried technique"},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY: not enough display memory"},
    {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE: the requested device type is not valid"},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL: invalid call, a parameter may be wrong"},
    {D3DERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL: the driver refused the call"},
    {D3DXERR_CANNOTMODIFYINDEXBUFFER, "D3DXERR_CANNOTMODIFYINDEXBUFFER: the index buffer cannot be modified"},
    {D3DXERR_INVALIDMESH, "D3DXERR_INVALIDMESH: the mesh is invalid"},
    {D3DXERR_CANNOTATTRSORT, "D3DXERR_CANNOTATTRSORT: attribute sort is not supported"},
    {D3DXERR_SKINNINGNOTSUPPORTED, "D3DXERR_SKINNINGNOTSUPPORTED: skinning is not supported"},
    {D3DXERR_TOOMANYINFLUENCES, "D3DXERR_TOOMANYINFLUENCES: too many influences"},
    {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA: the data is invalid"},
    {D3DXERR_LOADEDMESHASNODATA, "D3DXERR_LOADEDMESHASNODATA: the mesh has no data"},
    {E_FAIL, "E_FAIL: unspecified failure"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY: out of memory"},
    {E_INVALIDARG, "E_INVALIDARG: an argument is invalid"},
    {E_POINTER, "E_POINTER: invalid pointer"},
    {E_NOTIMPL, "E_NOTIMPL: not implemented"},
    {E_NOINTERFACE, "E_NOINTERFACE: no such interface supported"},
};

}  // namespace

extern "C" HRESULT WINAPI D3DXGetErrorStringA(HRESULT hr, LPSTR pBuffer, UINT BufferLen) {
    if (!pBuffer || BufferLen == 0) return D3DERR_INVALIDCALL;
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code != hr) continue;
        std::snprintf(pBuffer, BufferLen, "%s", entry.text);
        return D3D_OK;
    }
    std::snprintf(pBuffer, BufferLen, "Unknown error 0x%08X", unsigned(hr));
    return D3D_OK;
}
