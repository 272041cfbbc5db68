// The keyboard: key events as SDL delivers them, read into ZEPengine.keys
// under DirectInput key codes by StartFrame and RefreshKeyBuff.

#include "../engine_test_host.h"

#include "core/keyboard.h"

#include <SDL.h>
#include <dinput.h>

#include <cstdint>

namespace {

using zep::test::EngineTestHost;
using zep::test::Lines;

class Keyboard : public EngineTestHost {
public:
    void TearDown() override {
        zep::releaseKeyboard();
        EngineTestHost::TearDown();
    }

    // A key event as the window system would queue it.
    static void pushKey(SDL_Scancode scancode, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }

    static int keysDown() {
        int count = 0;
        for (uint8_t key : ZEPengine.keys) count += (key & 0x80) ? 1 : 0;
        return count;
    }
};

TEST_F(Keyboard, PressedKeysReadAsDirectInputCodesWithTheHighBit) {
    ASSERT_TRUE(open());
    const size_t mark = logMark();
    ASSERT_EQ(InitKeyBuff(nullptr), 1);
    const int handle = int(reinterpret_cast<intptr_t>(window));
    EXPECT_EQ(logLinesSince(mark), (Lines{"Init direct input [HWND:" + std::to_string(handle) + "]"}));

    struct Case {
        SDL_Scancode scancode;
        int dik;
    };
    const Case cases[] = {{SDL_SCANCODE_ESCAPE, DIK_ESCAPE}, {SDL_SCANCODE_A, DIK_A},
                          {SDL_SCANCODE_LEFT, DIK_LEFT},     {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
                          {SDL_SCANCODE_RCTRL, DIK_RCONTROL}, {SDL_SCANCODE_F12, DIK_F12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
        pushKey(c.scancode, true);
        StartFrame();
        EXPECT_EQ(ZEPengine.keys[c.dik], 0x80);
        EXPECT_EQ(keysDown(), 1);

        pushKey(c.scancode, false);
        EXPECT_EQ(RefreshKeyBuff(), 0);  // 0: the read succeeded
        EXPECT_EQ(ZEPengine.keys[c.dik], 0);
    }

    // Two keys at once.
    pushKey(SDL_SCANCODE_A, true);
    pushKey(SDL_SCANCODE_LEFT, true);
    EXPECT_EQ(RefreshKeyBuff(), 0);
    EXPECT_EQ(ZEPengine.keys[DIK_A], 0x80);
    EXPECT_EQ(ZEPengine.keys[DIK_LEFT], 0x80);
    EXPECT_EQ(keysDown(), 2);
    pushKey(SDL_SCANCODE_A, false);
    pushKey(SDL_SCANCODE_LEFT, false);
    EXPECT_EQ(RefreshKeyBuff(), 0);
    EXPECT_EQ(keysDown(), 0);
}

TEST_F(Keyboard, WithoutInitKeyBuffReadsLeaveTheKeyStateAlone) {
    ASSERT_TRUE(open());
    ZEPengine.keys[DIK_SPACE] = 0x80;
    pushKey(SDL_SCANCODE_A, true);
    EXPECT_EQ(RefreshKeyBuff(), 0);
    StartFrame();
    EXPECT_EQ(ZEPengine.keys[DIK_SPACE], 0x80);
    EXPECT_EQ(ZEPengine.keys[DIK_A], 0);
    pushKey(SDL_SCANCODE_A, false);
}

TEST_F(Keyboard, ASecondInitKeyBuffReplacesTheFirst) {
    ASSERT_TRUE(open());
    ASSERT_EQ(InitKeyBuff(nullptr), 1);
    ASSERT_EQ(InitKeyBuff(nullptr), 1);
    pushKey(SDL_SCANCODE_W, true);
    EXPECT_EQ(RefreshKeyBuff(), 0);
    EXPECT_EQ(ZEPengine.keys[DIK_W], 0x80);
    pushKey(SDL_SCANCODE_W, false);
    EXPECT_EQ(RefreshKeyBuff(), 0);
    EXPECT_EQ(ZEPengine.keys[DIK_W], 0);
}

}  // namespace
