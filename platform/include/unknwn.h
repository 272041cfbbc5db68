/* COM's base interface for the Linux build.
 *
 * DirectInput and DirectDraw objects are reference-counted COM objects like
 * the Direct3D ones; <d3d8.h>, <dinput.h> and <ddraw.h> all take IUnknown
 * from here. C++ only: COM interfaces are C++ classes here. */
#ifndef ZEP_PLATFORM_UNKNWN_H
#define ZEP_PLATFORM_UNKNWN_H

#ifndef __cplusplus
#error "<unknwn.h> declares COM interfaces as C++ classes: include it from C++"
#endif

#include <windows.h>

/* COM methods use the standard calling convention on 32-bit Windows; there
 * is no such distinction elsewhere. */
#ifndef STDMETHODCALLTYPE
#if defined(_WIN32) && !defined(_WIN64)
#define STDMETHODCALLTYPE __stdcall
#else
#define STDMETHODCALLTYPE
#endif
#endif

#ifndef MAKE_HRESULT
#define MAKE_HRESULT(sev, fac, code)                                          \
    ((HRESULT)(((DWORD)(sev) << 31) | ((DWORD)(fac) << 16) | (DWORD)(code)))
#endif

#ifndef ZEP_ISEQUALGUID_DEFINED
#define ZEP_ISEQUALGUID_DEFINED
inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
#endif

#ifndef __IUnknown_INTERFACE_DEFINED__
#define __IUnknown_INTERFACE_DEFINED__
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;  /* destroys the object at 0 */
};
typedef IUnknown* LPUNKNOWN;
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
#endif

#endif
