// The keyboard: DirectInput's system keyboard, read into ZEPengine.keys by
// RefreshKeyBuff and at every StartFrame once InitKeyBuff has acquired it.
#pragma once

namespace zep {

// Lets the keyboard objects go, as if InitKeyBuff had never run: reads
// leave the key state alone again until the next InitKeyBuff.
void releaseKeyboard();

}  // namespace zep
