#pragma once
// Internal to the platform layer: SDL key codes to virtual-key codes.
#include <SDL.h>

namespace orvo {
int VirtualKeyFromSdl(SDL_Keycode key);
}
