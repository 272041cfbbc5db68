/* DirectInput 8 (keyboard) for the Linux build.
 *
 * The engine reads the keyboard as DirectInput 8 hands it out: a 256-byte
 * snapshot, one byte per DIK_* key code, 0x80 while the key is down. On
 * Linux the snapshot comes from SDL's keyboard state, mapped from SDL
 * scan codes to DIK codes (which are the keys' PC scan codes, 0x80 added
 * for the extended ones). Only the system keyboard exists; the interfaces
 * are declared whole, in DirectInput 8's method order, and the methods a
 * keyboard snapshot does not need return DIERR_UNSUPPORTED.
 * C++ only: the interfaces are C++ classes. */
#ifndef ZEP_PLATFORM_DINPUT_H
#define ZEP_PLATFORM_DINPUT_H

#include <unknwn.h>

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif

/* ---- Results ---------------------------------------------------------------
 * DirectInput reuses the Win32 error codes (facility 7) and COM's. */

#define DI_OK S_OK
#define DI_NOTATTACHED S_FALSE
#define DI_BUFFEROVERFLOW S_FALSE
#define DI_PROPNOEFFECT S_FALSE
#define DI_NOEFFECT S_FALSE
#define DI_POLLEDDEVICE ((HRESULT)0x00000002L)

#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047EL)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481L)
#define DIERR_BADDRIVERVER ((HRESULT)0x80070077L)
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154L)
#define DIERR_NOTFOUND ((HRESULT)0x80070002L)
#define DIERR_OBJECTNOTFOUND ((HRESULT)0x80070002L)
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_GENERIC E_FAIL
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015L)
#define DIERR_ALREADYINITIALIZED ((HRESULT)0x800704DFL)
#define DIERR_NOAGGREGATION CLASS_E_NOAGGREGATION
#define DIERR_OTHERAPPHASPRIO E_ACCESSDENIED
#define DIERR_INPUTLOST ((HRESULT)0x8007001EL)
#define DIERR_ACQUIRED ((HRESULT)0x800700AAL)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000CL)
#define DIERR_READONLY E_ACCESSDENIED
#define DIERR_HANDLEEXISTS E_ACCESSDENIED
#define DIERR_NOTBUFFERED ((HRESULT)0x80040207L)

/* ---- Cooperative levels and device types ------------------------------------ */

#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008
#define DISCL_NOWINKEY 0x00000010

#define DI8DEVCLASS_ALL 0
#define DI8DEVCLASS_DEVICE 1
#define DI8DEVCLASS_POINTER 2
#define DI8DEVCLASS_KEYBOARD 3
#define DI8DEVCLASS_GAMECTRL 4

#define DI8DEVTYPE_KEYBOARD 0x13

/* ---- Data formats -------------------------------------------------------------- */

#define DIDF_ABSAXIS 0x00000001
#define DIDF_RELAXIS 0x00000002

#define DIDFT_ALL 0x00000000
#define DIDFT_RELAXIS 0x00000001
#define DIDFT_ABSAXIS 0x00000002
#define DIDFT_AXIS 0x00000003
#define DIDFT_PSHBUTTON 0x00000004
#define DIDFT_TGLBUTTON 0x00000008
#define DIDFT_BUTTON 0x0000000C
#define DIDFT_ANYINSTANCE 0x00FFFF00
#define DIDFT_OPTIONAL 0x80000000

typedef struct _DIOBJECTDATAFORMAT {
    const GUID* pguid;  /* object kind, or NULL for any */
    DWORD dwOfs;        /* byte offset in the device state */
    DWORD dwType;       /* DIDFT_* */
    DWORD dwFlags;
} DIOBJECTDATAFORMAT, *LPDIOBJECTDATAFORMAT;
typedef const DIOBJECTDATAFORMAT* LPCDIOBJECTDATAFORMAT;

typedef struct _DIDATAFORMAT {
    DWORD dwSize;      /* sizeof(DIDATAFORMAT) */
    DWORD dwObjSize;   /* sizeof(DIOBJECTDATAFORMAT) */
    DWORD dwFlags;     /* DIDF_* */
    DWORD dwDataSize;  /* bytes GetDeviceState writes: 256 for the keyboard */
    DWORD dwNumObjs;
    LPDIOBJECTDATAFORMAT rgodf;
} DIDATAFORMAT, *LPDIDATAFORMAT;
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

/* One buffered input event (GetDeviceData). */
typedef struct DIDEVICEOBJECTDATA {
    DWORD dwOfs;
    DWORD dwData;
    DWORD dwTimeStamp;
    DWORD dwSequence;
    UINT_PTR uAppData;
} DIDEVICEOBJECTDATA, *LPDIDEVICEOBJECTDATA;
typedef const DIDEVICEOBJECTDATA* LPCDIDEVICEOBJECTDATA;

/* The standard keyboard format: 256 bytes, one per DIK_* code. */
#ifdef __cplusplus
extern "C" {
#endif
extern const DIDATAFORMAT c_dfDIKeyboard;
#ifdef __cplusplus
}
#endif

/* ---- Key codes -------------------------------------------------------------------
 * The PC scan code of each key; 0x80 marks the extended (E0-prefixed) keys. */

#define DIK_ESCAPE 0x01
#define DIK_1 0x02
#define DIK_2 0x03
#define DIK_3 0x04
#define DIK_4 0x05
#define DIK_5 0x06
#define DIK_6 0x07
#define DIK_7 0x08
#define DIK_8 0x09
#define DIK_9 0x0A
#define DIK_0 0x0B
#define DIK_MINUS 0x0C
#define DIK_EQUALS 0x0D
#define DIK_BACK 0x0E
#define DIK_TAB 0x0F
#define DIK_Q 0x10
#define DIK_W 0x11
#define DIK_E 0x12
#define DIK_R 0x13
#define DIK_T 0x14
#define DIK_Y 0x15
#define DIK_U 0x16
#define DIK_I 0x17
#define DIK_O 0x18
#define DIK_P 0x19
#define DIK_LBRACKET 0x1A
#define DIK_RBRACKET 0x1B
#define DIK_RETURN 0x1C
#define DIK_LCONTROL 0x1D
#define DIK_A 0x1E
#define DIK_S 0x1F
#define DIK_D 0x20
#define DIK_F 0x21
#define DIK_G 0x22
#define DIK_H 0x23
#define DIK_J 0x24
#define DIK_K 0x25
#define DIK_L 0x26
#define DIK_SEMICOLON 0x27
#define DIK_APOSTROPHE 0x28
#define DIK_GRAVE 0x29
#define DIK_LSHIFT 0x2A
#define DIK_BACKSLASH 0x2B
#define DIK_Z 0x2C
#define DIK_X 0x2D
#define DIK_C 0x2E
#define DIK_V 0x2F
#define DIK_B 0x30
#define DIK_N 0x31
#define DIK_M 0x32
#define DIK_COMMA 0x33
#define DIK_PERIOD 0x34
#define DIK_SLASH 0x35
#define DIK_RSHIFT 0x36
#define DIK_MULTIPLY 0x37
#define DIK_LMENU 0x38
#define DIK_SPACE 0x39
#define DIK_CAPITAL 0x3A
#define DIK_F1 0x3B
#define DIK_F2 0x3C
#define DIK_F3 0x3D
#define DIK_F4 0x3E
#define DIK_F5 0x3F
#define DIK_F6 0x40
#define DIK_F7 0x41
#define DIK_F8 0x42
#define DIK_F9 0x43
#define DIK_F10 0x44
#define DIK_NUMLOCK 0x45
#define DIK_SCROLL 0x46
#define DIK_NUMPAD7 0x47
#define DIK_NUMPAD8 0x48
#define DIK_NUMPAD9 0x49
#define DIK_SUBTRACT 0x4A
#define DIK_NUMPAD4 0x4B
#define DIK_NUMPAD5 0x4C
#define DIK_NUMPAD6 0x4D
#define DIK_ADD 0x4E
#define DIK_NUMPAD1 0x4F
#define DIK_NUMPAD2 0x50
#define DIK_NUMPAD3 0x51
#define DIK_NUMPAD0 0x52
#define DIK_DECIMAL 0x53
#define DIK_OEM_102 0x56
#define DIK_F11 0x57
#define DIK_F12 0x58
#define DIK_F13 0x64
#define DIK_F14 0x65
#define DIK_F15 0x66
#define DIK_KANA 0x70
#define DIK_ABNT_C1 0x73
#define DIK_CONVERT 0x79
#define DIK_NOCONVERT 0x7B
#define DIK_YEN 0x7D
#define DIK_ABNT_C2 0x7E
#define DIK_NUMPADEQUALS 0x8D
#define DIK_PREVTRACK 0x90
#define DIK_AT 0x91
#define DIK_COLON 0x92
#define DIK_UNDERLINE 0x93
#define DIK_KANJI 0x94
#define DIK_STOP 0x95
#define DIK_AX 0x96
#define DIK_UNLABELED 0x97
#define DIK_NEXTTRACK 0x99
#define DIK_NUMPADENTER 0x9C
#define DIK_RCONTROL 0x9D
#define DIK_MUTE 0xA0
#define DIK_CALCULATOR 0xA1
#define DIK_PLAYPAUSE 0xA2
#define DIK_MEDIASTOP 0xA4
#define DIK_VOLUMEDOWN 0xAE
#define DIK_VOLUMEUP 0xB0
#define DIK_WEBHOME 0xB2
#define DIK_NUMPADCOMMA 0xB3
#define DIK_DIVIDE 0xB5
#define DIK_SYSRQ 0xB7
#define DIK_RMENU 0xB8
#define DIK_PAUSE 0xC5
#define DIK_HOME 0xC7
#define DIK_UP 0xC8
#define DIK_PRIOR 0xC9
#define DIK_LEFT 0xCB
#define DIK_RIGHT 0xCD
#define DIK_END 0xCF
#define DIK_DOWN 0xD0
#define DIK_NEXT 0xD1
#define DIK_INSERT 0xD2
#define DIK_DELETE 0xD3
#define DIK_LWIN 0xDB
#define DIK_RWIN 0xDC
#define DIK_APPS 0xDD
#define DIK_POWER 0xDE
#define DIK_SLEEP 0xDF
#define DIK_WAKE 0xE3
#define DIK_WEBSEARCH 0xE5
#define DIK_WEBFAVORITES 0xE6
#define DIK_WEBREFRESH 0xE7
#define DIK_WEBSTOP 0xE8
#define DIK_WEBFORWARD 0xE9
#define DIK_WEBBACK 0xEA
#define DIK_MYCOMPUTER 0xEB
#define DIK_MAIL 0xEC
#define DIK_MEDIASELECT 0xED
#define DIK_BACKSPACE DIK_BACK
#define DIK_NUMPADSTAR DIK_MULTIPLY
#define DIK_LALT DIK_LMENU
#define DIK_CAPSLOCK DIK_CAPITAL
#define DIK_NUMPADMINUS DIK_SUBTRACT
#define DIK_NUMPADPLUS DIK_ADD
#define DIK_NUMPADPERIOD DIK_DECIMAL
#define DIK_NUMPADSLASH DIK_DIVIDE
#define DIK_RALT DIK_RMENU
#define DIK_UPARROW DIK_UP
#define DIK_PGUP DIK_PRIOR
#define DIK_LEFTARROW DIK_LEFT
#define DIK_RIGHTARROW DIK_RIGHT
#define DIK_DOWNARROW DIK_DOWN
#define DIK_PGDN DIK_NEXT

/* ---- Identifiers -------------------------------------------------------------------- */

inline constexpr IID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
inline constexpr IID IID_IDirectInputDevice8A = {0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};
inline constexpr GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

/* ---- Interfaces ---------------------------------------------------------------------------
 * Structures only the unsupported methods take are left incomplete. */

struct DIDEVCAPS;
struct DIPROPHEADER;
struct DIDEVICEOBJECTINSTANCEA;
struct DIDEVICEINSTANCEA;
struct DIEFFECT;
struct DIEFFECTINFOA;
struct DIEFFESCAPE;
struct DIFILEEFFECT;
struct DIACTIONFORMATA;
struct DIDEVICEIMAGEINFOHEADERA;
struct DICONFIGUREDEVICESPARAMSA;
struct IDirectInputEffect;
struct IDirectInputDevice8A;

typedef BOOL(CALLBACK* LPDIENUMDEVICESCALLBACKA)(const DIDEVICEINSTANCEA*, LPVOID);
typedef BOOL(CALLBACK* LPDIENUMDEVICEOBJECTSCALLBACKA)(const DIDEVICEOBJECTINSTANCEA*, LPVOID);
typedef BOOL(CALLBACK* LPDIENUMEFFECTSCALLBACKA)(const DIEFFECTINFOA*, LPVOID);
typedef BOOL(CALLBACK* LPDIENUMCREATEDEFFECTOBJECTSCALLBACK)(IDirectInputEffect*, LPVOID);
typedef BOOL(CALLBACK* LPDIENUMEFFECTSINFILECALLBACK)(const DIFILEEFFECT*, LPVOID);
typedef BOOL(CALLBACK* LPDIENUMDEVICESBYSEMANTICSCBA)(const DIDEVICEINSTANCEA*, IDirectInputDevice8A*, DWORD, DWORD, LPVOID);
typedef BOOL(CALLBACK* LPDICONFIGUREDEVICESCALLBACK)(IUnknown*, LPVOID);

/* One input device: set a data format, acquire, read snapshots. */
struct IDirectInputDevice8A : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCapabilities(DIDEVCAPS* caps) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(REFGUID property, DIPROPHEADER* header) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, const DIPROPHEADER* header) = 0;
    virtual HRESULT STDMETHODCALLTYPE Acquire() = 0;    /* DI_OK, or S_FALSE when already acquired */
    virtual HRESULT STDMETHODCALLTYPE Unacquire() = 0;  /* DI_OK, or DI_NOEFFECT when not acquired */
    virtual HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) = 0;  /* size must match the format */
    virtual HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA data, LPDWORD inOut, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) = 0;  /* before Acquire */
    virtual HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE event) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetObjectInfo(DIDEVICEOBJECTINSTANCEA* info, DWORD object, DWORD how) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceInfo(DIDEVICEINSTANCEA* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE RunControlPanel(HWND owner, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE instance, DWORD version, REFGUID device) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID effect, const DIEFFECT* parameters, IDirectInputEffect** out, LPUNKNOWN outer) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumEffects(LPDIENUMEFFECTSCALLBACKA callback, LPVOID context, DWORD type) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEffectInfo(DIEFFECTINFOA* info, REFGUID effect) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetForceFeedbackState(LPDWORD state) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendForceFeedbackCommand(DWORD command) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback, LPVOID context, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Escape(DIEFFESCAPE* escape) = 0;
    virtual HRESULT STDMETHODCALLTYPE Poll() = 0;
    virtual HRESULT STDMETHODCALLTYPE SendDeviceData(DWORD objectSize, LPCDIDEVICEOBJECTDATA data, LPDWORD inOut, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumEffectsInFile(LPCSTR fileName, LPDIENUMEFFECTSINFILECALLBACK callback, LPVOID context, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteEffectToFile(LPCSTR fileName, DWORD count, DIFILEEFFECT* effects, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildActionMap(DIACTIONFORMATA* format, LPCSTR userName, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActionMap(DIACTIONFORMATA* format, LPCSTR userName, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetImageInfo(DIDEVICEIMAGEINFOHEADERA* header) = 0;
};
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;
typedef IDirectInputDevice8A IDirectInputDevice8;
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8;

/* The DirectInput object: makes devices. */
struct IDirectInput8A : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID device, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) = 0;  /* GUID_SysKeyboard only */
    virtual HRESULT STDMETHODCALLTYPE EnumDevices(DWORD deviceType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID device) = 0;  /* DI_OK for the keyboard */
    virtual HRESULT STDMETHODCALLTYPE RunControlPanel(HWND owner, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE instance, DWORD version) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindDevice(REFGUID deviceClass, LPCSTR name, GUID* out) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDevicesBySemantics(LPCSTR userName, DIACTIONFORMATA* format, LPDIENUMDEVICESBYSEMANTICSCBA callback, LPVOID context, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK callback, DICONFIGUREDEVICESPARAMSA* parameters, DWORD flags, LPVOID data) = 0;
};
typedef IDirectInput8A* LPDIRECTINPUT8A;
typedef IDirectInput8A IDirectInput8;
typedef IDirectInput8A* LPDIRECTINPUT8;

/* Creates the DirectInput object. Version must be 0x0800 and the interface
 * IID_IDirectInput8A; aggregation is not supported. */
extern "C" HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer);

#endif
