// Keys: SDL scan codes to DirectInput key codes and Windows virtual keys.
//
// Both tables follow key positions, not the characters a layout puts on
// them, as scan codes do: DIK codes are PC scan codes, and the virtual keys
// are those of a US layout. Letters and digits are 'A'..'Z' and '0'..'9'.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace zep::win32 {

// The DIK_* code of a key; 0 for keys DirectInput has no code for.
uint8_t dikFromScancode(SDL_Scancode scancode);

// The VK_* code of a key; 0 for keys Windows has no virtual key for.
// Left and right Shift, Ctrl and Alt give the shared VK_SHIFT, VK_CONTROL
// and VK_MENU, as key messages carry them.
uint8_t vkFromScancode(SDL_Scancode scancode);

}  // namespace zep::win32
