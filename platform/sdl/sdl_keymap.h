// The SDL keyboard in the program's terms: virtual-key codes, PC/AT scan codes and modifier
// bits (window.h). Pure functions, so the tables can be checked without a display.
#pragma once

#include <SDL_keyboard.h>

#include <cstdint>

// The virtual-key code of a key, or 0 for a key the program has no code for.
// Letters and punctuation follow the layout (the key's character, as the key caps read);
// the number row, the keypad and the other keys follow their position. Keypad digits and
// '.' give VK_NUMPAD0.. and VK_DECIMAL with NumLock on, the cursor keys with it off.
int sdl_keymap_vk(SDL_Keycode key, SDL_Scancode scancode, uint16_t sdl_mods);
// The set-1 scan code of a key position, | WINDOW_SCAN_EXTENDED for extended keys; 0 unknown.
int sdl_keymap_scan(SDL_Scancode scancode);
// WINDOW_MOD_* bits of SDL's modifier state. AltGr (the mode key) is not Alt: characters
// typed with it must reach the program as characters.
int sdl_keymap_mods(uint16_t sdl_mods);
