// Keyboard state through DirectInput 8: a 256-byte snapshot in the engine
// record, one byte per DIK_* key code, high bit set while the key is down.

#include "core/keyboard.h"

#include "core/graphics.h"

#include <ZEPenginedll.h>
#include <dinput.h>

#include <cstdint>

namespace zep {

namespace {

constexpr DWORD kVersion = 0x0800;

// The keyboard lives until the process ends or a new InitKeyBuff replaces it.
struct Keyboard {
    IDirectInput8A* input = nullptr;
    IDirectInputDevice8A* device = nullptr;
};

Keyboard& keyboard() {
    static Keyboard k;
    return k;
}

}  // namespace

void releaseKeyboard() {
    Keyboard& k = keyboard();
    if (k.device) {
        k.device->Unacquire();
        k.device->Release();
    }
    if (k.input) k.input->Release();
    k = Keyboard{};
}

}  // namespace zep

using namespace zep;

extern "C" {

ZEP_EXPORT uint8_t ZEPAPI InitKeyBuff(HINSTANCE instance) {
    ZEP_log("Init direct input [HWND:%i]\n", int(reinterpret_cast<intptr_t>(graphics().window)));
    // A second start-up replaces the first instead of leaking it.
    releaseKeyboard();
    Keyboard& k = keyboard();
    if (FAILED(DirectInput8Create(instance, kVersion, IID_IDirectInput8A, reinterpret_cast<void**>(&k.input),
                                  nullptr)))
        return 0;
    if (FAILED(k.input->CreateDevice(GUID_SysKeyboard, &k.device, nullptr))) return 0;
    // Background access: the keys are read whether or not the device window
    // has the focus, and other programs keep the keyboard too.
    k.device->SetDataFormat(&c_dfDIKeyboard);
    k.device->SetCooperativeLevel(graphics().window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    return SUCCEEDED(k.device->Acquire()) ? 1 : 0;
}

ZEP_EXPORT uint8_t ZEPAPI RefreshKeyBuff(void) {
    IDirectInputDevice8A* device = keyboard().device;
    if (!device) return 0;
    return device->GetDeviceState(sizeof ZEPengine.keys, ZEPengine.keys) != DI_OK ? 1 : 0;
}

}  // extern "C"
