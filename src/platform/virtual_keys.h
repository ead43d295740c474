#pragma once
// Keys reach the game as Windows virtual-key codes.
namespace orvo {

// The virtual-key code of a key named as the window system names it
// ("Return", "A", "Left", "F1", "Keypad 5" ...); 0 when the key has no code.
int VirtualKeyFromKeyName(const char* name);

}  // namespace orvo
