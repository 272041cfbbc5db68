// DirectInput 8 keyboard: set-up as the engine does it, errors, snapshots.

#include "win32_test_window.h"

#include <dinput.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

using zep::test::RecordingWindow;

class Win32DirectInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&input_), nullptr),
                  DI_OK);
        ASSERT_EQ(input_->CreateDevice(GUID_SysKeyboard, &keyboard_, nullptr), DI_OK);
    }

    void TearDown() override {
        if (keyboard_) keyboard_->Release();
        if (input_) input_->Release();
        RecordingWindow::drainQueue();
    }

    // The engine's keyboard start-up.
    void acquireLikeTheEngine(HWND window) {
        ASSERT_EQ(keyboard_->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        ASSERT_EQ(keyboard_->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
        ASSERT_EQ(keyboard_->Acquire(), DI_OK);
    }

    static void pushKey(HWND window, SDL_Scancode scancode, bool down) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = Uint32(reinterpret_cast<uintptr_t>(window));
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    std::array<BYTE, 256> snapshot() {
        std::array<BYTE, 256> keys{};
        EXPECT_EQ(keyboard_->GetDeviceState(DWORD(keys.size()), keys.data()), DI_OK);
        return keys;
    }

    IDirectInput8A* input_ = nullptr;
    IDirectInputDevice8A* keyboard_ = nullptr;
};

TEST_F(Win32DirectInput, KeyPressedThroughSdlShowsAtItsDikCodeUntilReleased) {
    RecordingWindow w;
    acquireLikeTheEngine(w.handle());
    const auto idle = snapshot();
    EXPECT_EQ(std::count(idle.begin(), idle.end(), 0x80), 0);

    pushKey(w.handle(), SDL_SCANCODE_A, true);
    pushKey(w.handle(), SDL_SCANCODE_RCTRL, true);
    auto keys = snapshot();
    EXPECT_EQ(keys[DIK_A], 0x80);
    EXPECT_EQ(keys[DIK_RCONTROL], 0x80);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), 0x80), 2);

    pushKey(w.handle(), SDL_SCANCODE_A, false);
    keys = snapshot();
    EXPECT_EQ(keys[DIK_A], 0);
    EXPECT_EQ(keys[DIK_RCONTROL], 0x80);
    pushKey(w.handle(), SDL_SCANCODE_RCTRL, false);
}

TEST_F(Win32DirectInput, StateNeedsFormatAcquisitionAndTheRightSize) {
    BYTE keys[256];
    EXPECT_EQ(keyboard_->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
    EXPECT_EQ(keyboard_->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard_->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard_->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    EXPECT_EQ(keyboard_->Acquire(), DI_OK);
    EXPECT_EQ(keyboard_->Acquire(), S_FALSE);
    EXPECT_EQ(keyboard_->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard_->GetDeviceState(128, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard_->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard_->Unacquire(), DI_NOEFFECT);
}

TEST_F(Win32DirectInput, CreationAndCooperationErrors) {
    IDirectInputDevice8A* mouse = nullptr;
    EXPECT_EQ(input_->CreateDevice(GUID_SysMouse, &mouse, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(mouse, nullptr);
    EXPECT_EQ(keyboard_->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_UNSUPPORTED);
    EXPECT_EQ(keyboard_->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);

    void* out = nullptr;
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8A, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInputDevice8A, &out, nullptr), DIERR_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST(Win32DirectInputFormat, KeyboardFormatIsOneByteForEachOf256Keys) {
    EXPECT_EQ(c_dfDIKeyboard.dwSize, sizeof(DIDATAFORMAT));
    EXPECT_EQ(c_dfDIKeyboard.dwDataSize, 256u);
    ASSERT_EQ(c_dfDIKeyboard.dwNumObjs, 256u);
    EXPECT_EQ(c_dfDIKeyboard.rgodf[DIK_ESCAPE].dwOfs, DWORD(DIK_ESCAPE));
    EXPECT_TRUE(IsEqualGUID(*c_dfDIKeyboard.rgodf[255].pguid, GUID_Key));
}

}  // namespace
