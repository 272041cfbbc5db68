// DirectInput 8 over SDL: the system keyboard as a 256-byte snapshot.
//
// Two sources make the snapshot, so that it is right however a key reached
// SDL: SDL's keyboard state (keys the window system reported) and the key
// events seen by an event watch (which also sees events pushed into SDL's
// queue by a program, as tests and automation do).

#include <dinput.h>

#include "win32/com_object.h"
#include "win32/keys.h"
#include "win32/sdl_video.h"
#include "win32/window_handle.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <cstring>

using namespace zep::win32;

namespace {

constexpr DWORD kKeyboardStateSize = 256;

constexpr DWORD makeInstance(DWORD n) { return (n & 0xFFFF) << 8; }

constexpr std::array<DIOBJECTDATAFORMAT, kKeyboardStateSize> keyboardObjects() {
    std::array<DIOBJECTDATAFORMAT, kKeyboardStateSize> objects{};
    for (DWORD i = 0; i < kKeyboardStateSize; ++i)
        objects[i] = DIOBJECTDATAFORMAT{&GUID_Key, i, DIDFT_BUTTON | DIDFT_OPTIONAL | makeInstance(i), 0};
    return objects;
}

std::array<DIOBJECTDATAFORMAT, kKeyboardStateSize> keyboardObjectTable = keyboardObjects();

class Keyboard final : public zep::win32::ComObject<IDirectInputDevice8A, IID_IDirectInputDevice8A> {
public:
    Keyboard() { SDL_AddEventWatch(&Keyboard::watchEvent, this); }
    ~Keyboard() { SDL_DelEventWatch(&Keyboard::watchEvent, this); }


    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        if (acquired_) return DIERR_ACQUIRED;
        // Only the keyboard's own layout: one byte per key code. Formats
        // that pick keys into other offsets are not supported.
        if (!format || format->dwSize != sizeof(DIDATAFORMAT) || format->dwDataSize != kKeyboardStateSize)
            return DIERR_INVALIDPARAM;
        formatSet_ = true;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        const DWORD sharing = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
        const DWORD focus = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
        if (sharing == 0 || sharing == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE)) return DIERR_INVALIDPARAM;
        if (focus == 0 || focus == (DISCL_FOREGROUND | DISCL_BACKGROUND)) return DIERR_INVALIDPARAM;
        // DirectInput refuses exclusive background access to the keyboard.
        if (sharing == DISCL_EXCLUSIVE && focus == DISCL_BACKGROUND) return DIERR_UNSUPPORTED;
        if (focus == DISCL_FOREGROUND && !windowFromHandle(window)) return DIERR_INVALIDPARAM;
        window_ = window;
        foreground_ = focus == DISCL_FOREGROUND;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE Acquire() override {
        if (!formatSet_) return DIERR_INVALIDPARAM;
        if (foreground_ && !ownsFocus()) return DIERR_OTHERAPPHASPRIO;
        if (acquired_) return S_FALSE;
        acquired_ = true;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override {
        if (!acquired_) return DI_NOEFFECT;
        acquired_ = false;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override {
        if (!data || size != kKeyboardStateSize) return DIERR_INVALIDPARAM;
        if (!acquired_) return DIERR_NOTACQUIRED;
        if (foreground_ && !ownsFocus()) {
            acquired_ = false;
            return DIERR_INPUTLOST;
        }
        // The keyboard is read as it is now, whether or not the program
        // has taken its messages yet.
        SDL_PumpEvents();
        auto* keys = static_cast<BYTE*>(data);
        std::memset(keys, 0, kKeyboardStateSize);
        int count = 0;
        const Uint8* sdlState = SDL_GetKeyboardState(&count);
        for (int scancode = 0; scancode < count; ++scancode)
            if (sdlState[scancode])
                if (const uint8_t dik = dikFromScancode(SDL_Scancode(scancode))) keys[dik] = 0x80;
        for (DWORD dik = 0; dik < kKeyboardStateSize; ++dik)
            if (watched_[dik].load(std::memory_order_relaxed)) keys[dik] = 0x80;
        return DI_OK;
    }

    // Buffered data needs DIPROP_BUFFERSIZE, which is not supported.
    HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override {
        return acquired_ ? DIERR_NOTBUFFERED : DIERR_NOTACQUIRED;
    }

    // The keyboard is not a polled device.
    HRESULT STDMETHODCALLTYPE Poll() override { return acquired_ ? DI_NOEFFECT : DIERR_NOTACQUIRED; }

    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD version, REFGUID device) override {
        if (version < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
        if (version > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
        return IsEqualGUID(device, GUID_SysKeyboard) ? S_FALSE : DIERR_DEVICENOTREG;
    }

    // Not provided: what a keyboard snapshot does not need.
    HRESULT STDMETHODCALLTYPE GetCapabilities(DIDEVCAPS*) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetProperty(REFGUID, DIPROPHEADER*) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID, const DIPROPHEADER*) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetObjectInfo(DIDEVICEOBJECTINSTANCEA*, DWORD, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetDeviceInfo(DIDEVICEINSTANCEA*) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID, const DIEFFECT*, IDirectInputEffect**, LPUNKNOWN) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetEffectInfo(DIEFFECTINFOA*, REFGUID) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetForceFeedbackState(LPDWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SendForceFeedbackCommand(DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Escape(DIEFFESCAPE*) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE WriteEffectToFile(LPCSTR, DWORD, DIFILEEFFECT*, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE BuildActionMap(DIACTIONFORMATA*, LPCSTR, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetActionMap(DIACTIONFORMATA*, LPCSTR, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetImageInfo(DIDEVICEIMAGEINFOHEADERA*) override { return DIERR_UNSUPPORTED; }

private:
    // Runs on the thread that adds the event, which need not be ours.
    static int SDLCALL watchEvent(void* self, SDL_Event* event) {
        if (event->type != SDL_KEYDOWN && event->type != SDL_KEYUP) return 1;
        const uint8_t dik = dikFromScancode(event->key.keysym.scancode);
        if (dik)
            static_cast<Keyboard*>(self)->watched_[dik].store(event->type == SDL_KEYDOWN ? 0x80 : 0,
                                                               std::memory_order_relaxed);
        return 1;
    }

    bool ownsFocus() const {
        SDL_Window* focus = SDL_GetKeyboardFocus();
        return focus && focus == windowFromHandle(window_);
    }

    bool formatSet_ = false;
    bool acquired_ = false;
    bool foreground_ = false;
    HWND window_ = nullptr;
    std::array<std::atomic<uint8_t>, kKeyboardStateSize> watched_{};
};

class DirectInput final : public zep::win32::ComObject<IDirectInput8A, IID_IDirectInput8A> {
public:

    // The system keyboard is the only device; the mouse comes as window
    // messages instead.
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID device, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) override {
        if (!out) return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (outer) return DIERR_NOAGGREGATION;
        if (!IsEqualGUID(device, GUID_SysKeyboard)) return DIERR_DEVICENOTREG;
        *out = new Keyboard;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID device) override {
        return IsEqualGUID(device, GUID_SysKeyboard) ? DI_OK : DIERR_DEVICENOTREG;
    }

    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD version) override {
        if (version < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
        if (version > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
        return DI_OK;
    }

    // Not provided: device enumeration, control panels, action maps.
    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD, LPDIENUMDEVICESCALLBACKA, LPVOID, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE FindDevice(REFGUID, LPCSTR, GUID*) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDevicesBySemantics(LPCSTR, DIACTIONFORMATA*, LPDIENUMDEVICESBYSEMANTICSCBA, LPVOID, DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK, DICONFIGUREDEVICESPARAMSA*, DWORD, LPVOID) override { return DIERR_UNSUPPORTED; }

private:
};

}  // namespace

extern "C" const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, kKeyboardStateSize, kKeyboardStateSize,
    keyboardObjectTable.data()};

extern "C" HRESULT WINAPI DirectInput8Create(HINSTANCE, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    if (version < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
    if (!IsEqualIID(riid, IID_IDirectInput8A) && !IsEqualIID(riid, IID_IUnknown)) return DIERR_NOINTERFACE;
    // The keyboard state lives in SDL's video subsystem.
    if (!ensureVideo()) return DIERR_NOTINITIALIZED;
    *out = static_cast<IDirectInput8A*>(new DirectInput);
    return DI_OK;
}
