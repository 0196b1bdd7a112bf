#include "platform/sdl/sdl_keymap.h"

#include "platform/window.h"

namespace {

struct KeyPosition {
  SDL_Scancode scancode;
  int scan;  // set-1, | WINDOW_SCAN_EXTENDED
  int vk;    // the key's code on a US layout
};

constexpr int E = WINDOW_SCAN_EXTENDED;

constexpr KeyPosition KEY_POSITIONS[] = {
    {SDL_SCANCODE_A, 0x1E, 'A'}, {SDL_SCANCODE_B, 0x30, 'B'}, {SDL_SCANCODE_C, 0x2E, 'C'},
    {SDL_SCANCODE_D, 0x20, 'D'}, {SDL_SCANCODE_E, 0x12, 'E'}, {SDL_SCANCODE_F, 0x21, 'F'},
    {SDL_SCANCODE_G, 0x22, 'G'}, {SDL_SCANCODE_H, 0x23, 'H'}, {SDL_SCANCODE_I, 0x17, 'I'},
    {SDL_SCANCODE_J, 0x24, 'J'}, {SDL_SCANCODE_K, 0x25, 'K'}, {SDL_SCANCODE_L, 0x26, 'L'},
    {SDL_SCANCODE_M, 0x32, 'M'}, {SDL_SCANCODE_N, 0x31, 'N'}, {SDL_SCANCODE_O, 0x18, 'O'},
    {SDL_SCANCODE_P, 0x19, 'P'}, {SDL_SCANCODE_Q, 0x10, 'Q'}, {SDL_SCANCODE_R, 0x13, 'R'},
    {SDL_SCANCODE_S, 0x1F, 'S'}, {SDL_SCANCODE_T, 0x14, 'T'}, {SDL_SCANCODE_U, 0x16, 'U'},
    {SDL_SCANCODE_V, 0x2F, 'V'}, {SDL_SCANCODE_W, 0x11, 'W'}, {SDL_SCANCODE_X, 0x2D, 'X'},
    {SDL_SCANCODE_Y, 0x15, 'Y'}, {SDL_SCANCODE_Z, 0x2C, 'Z'},
    {SDL_SCANCODE_1, 0x02, '1'}, {SDL_SCANCODE_2, 0x03, '2'}, {SDL_SCANCODE_3, 0x04, '3'},
    {SDL_SCANCODE_4, 0x05, '4'}, {SDL_SCANCODE_5, 0x06, '5'}, {SDL_SCANCODE_6, 0x07, '6'},
    {SDL_SCANCODE_7, 0x08, '7'}, {SDL_SCANCODE_8, 0x09, '8'}, {SDL_SCANCODE_9, 0x0A, '9'},
    {SDL_SCANCODE_0, 0x0B, '0'},
    {SDL_SCANCODE_RETURN, 0x1C, VK_RETURN}, {SDL_SCANCODE_ESCAPE, 0x01, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, 0x0E, VK_BACK}, {SDL_SCANCODE_TAB, 0x0F, VK_TAB},
    {SDL_SCANCODE_SPACE, 0x39, VK_SPACE},
    {SDL_SCANCODE_MINUS, 0x0C, VK_OEM_MINUS}, {SDL_SCANCODE_EQUALS, 0x0D, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, VK_OEM_4}, {SDL_SCANCODE_RIGHTBRACKET, 0x1B, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, 0x2B, VK_OEM_5}, {SDL_SCANCODE_NONUSHASH, 0x2B, VK_OEM_5},
    {SDL_SCANCODE_SEMICOLON, 0x27, VK_OEM_1}, {SDL_SCANCODE_APOSTROPHE, 0x28, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, 0x29, VK_OEM_3}, {SDL_SCANCODE_COMMA, 0x33, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, 0x34, VK_OEM_PERIOD}, {SDL_SCANCODE_SLASH, 0x35, VK_OEM_2},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, VK_OEM_102},
    {SDL_SCANCODE_CAPSLOCK, 0x3A, VK_CAPITAL},
    {SDL_SCANCODE_F1, 0x3B, VK_F1 + 0}, {SDL_SCANCODE_F2, 0x3C, VK_F1 + 1},
    {SDL_SCANCODE_F3, 0x3D, VK_F1 + 2}, {SDL_SCANCODE_F4, 0x3E, VK_F1 + 3},
    {SDL_SCANCODE_F5, 0x3F, VK_F1 + 4}, {SDL_SCANCODE_F6, 0x40, VK_F1 + 5},
    {SDL_SCANCODE_F7, 0x41, VK_F1 + 6}, {SDL_SCANCODE_F8, 0x42, VK_F1 + 7},
    {SDL_SCANCODE_F9, 0x43, VK_F1 + 8}, {SDL_SCANCODE_F10, 0x44, VK_F1 + 9},
    {SDL_SCANCODE_F11, 0x57, VK_F1 + 10}, {SDL_SCANCODE_F12, 0x58, VK_F1 + 11},
    {SDL_SCANCODE_PRINTSCREEN, E | 0x37, VK_SNAPSHOT}, {SDL_SCANCODE_SCROLLLOCK, 0x46, VK_SCROLL},
    {SDL_SCANCODE_PAUSE, 0x45, VK_PAUSE},
    {SDL_SCANCODE_INSERT, E | 0x52, VK_INSERT}, {SDL_SCANCODE_HOME, E | 0x47, VK_HOME},
    {SDL_SCANCODE_PAGEUP, E | 0x49, VK_PRIOR}, {SDL_SCANCODE_DELETE, E | 0x53, VK_DELETE},
    {SDL_SCANCODE_END, E | 0x4F, VK_END}, {SDL_SCANCODE_PAGEDOWN, E | 0x51, VK_NEXT},
    {SDL_SCANCODE_RIGHT, E | 0x4D, VK_RIGHT}, {SDL_SCANCODE_LEFT, E | 0x4B, VK_LEFT},
    {SDL_SCANCODE_DOWN, E | 0x50, VK_DOWN}, {SDL_SCANCODE_UP, E | 0x48, VK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, E | 0x45, VK_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, E | 0x35, VK_DIVIDE}, {SDL_SCANCODE_KP_MULTIPLY, 0x37, VK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, 0x4A, VK_SUBTRACT}, {SDL_SCANCODE_KP_PLUS, 0x4E, VK_ADD},
    {SDL_SCANCODE_KP_ENTER, E | 0x1C, VK_RETURN},
    {SDL_SCANCODE_KP_1, 0x4F, VK_NUMPAD0 + 1}, {SDL_SCANCODE_KP_2, 0x50, VK_NUMPAD0 + 2},
    {SDL_SCANCODE_KP_3, 0x51, VK_NUMPAD0 + 3}, {SDL_SCANCODE_KP_4, 0x4B, VK_NUMPAD0 + 4},
    {SDL_SCANCODE_KP_5, 0x4C, VK_NUMPAD0 + 5}, {SDL_SCANCODE_KP_6, 0x4D, VK_NUMPAD0 + 6},
    {SDL_SCANCODE_KP_7, 0x47, VK_NUMPAD0 + 7}, {SDL_SCANCODE_KP_8, 0x48, VK_NUMPAD0 + 8},
    {SDL_SCANCODE_KP_9, 0x49, VK_NUMPAD0 + 9}, {SDL_SCANCODE_KP_0, 0x52, VK_NUMPAD0 + 0},
    {SDL_SCANCODE_KP_PERIOD, 0x53, VK_DECIMAL},
    {SDL_SCANCODE_APPLICATION, E | 0x5D, VK_APPS},
    {SDL_SCANCODE_LCTRL, 0x1D, VK_CONTROL}, {SDL_SCANCODE_LSHIFT, 0x2A, VK_SHIFT},
    {SDL_SCANCODE_LALT, 0x38, VK_MENU}, {SDL_SCANCODE_LGUI, E | 0x5B, VK_LWIN},
    {SDL_SCANCODE_RCTRL, E | 0x1D, VK_CONTROL}, {SDL_SCANCODE_RSHIFT, 0x36, VK_SHIFT},
    {SDL_SCANCODE_RALT, E | 0x38, VK_MENU}, {SDL_SCANCODE_RGUI, E | 0x5C, VK_RWIN},
};

const KeyPosition* find_position(SDL_Scancode scancode) {
  for (const KeyPosition& position : KEY_POSITIONS) {
    if (position.scancode == scancode) return &position;
  }
  return nullptr;
}

// The keypad's digits and '.' without NumLock are the cursor block.
int keypad_without_num_lock(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_KP_0: return VK_INSERT;
    case SDL_SCANCODE_KP_1: return VK_END;
    case SDL_SCANCODE_KP_2: return VK_DOWN;
    case SDL_SCANCODE_KP_3: return VK_NEXT;
    case SDL_SCANCODE_KP_4: return VK_LEFT;
    case SDL_SCANCODE_KP_5: return VK_CLEAR;
    case SDL_SCANCODE_KP_6: return VK_RIGHT;
    case SDL_SCANCODE_KP_7: return VK_HOME;
    case SDL_SCANCODE_KP_8: return VK_UP;
    case SDL_SCANCODE_KP_9: return VK_PRIOR;
    case SDL_SCANCODE_KP_PERIOD: return VK_DELETE;
    default: return 0;
  }
}

// Punctuation by the character on the key cap, whichever position the layout puts it at.
int punctuation_vk(SDL_Keycode key) {
  switch (key) {
    case ';': return VK_OEM_1;
    case '=': return VK_OEM_PLUS;
    case ',': return VK_OEM_COMMA;
    case '-': return VK_OEM_MINUS;
    case '.': return VK_OEM_PERIOD;
    case '/': return VK_OEM_2;
    case '`': return VK_OEM_3;
    case '[': return VK_OEM_4;
    case '\\': return VK_OEM_5;
    case ']': return VK_OEM_6;
    case '\'': return VK_OEM_7;
    default: return 0;
  }
}

bool is_number_row(SDL_Scancode scancode) {
  return scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0;
}

bool is_keypad_digit_or_point(SDL_Scancode scancode) {
  return (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) ||
         scancode == SDL_SCANCODE_KP_PERIOD;
}

}  // namespace

int sdl_keymap_vk(SDL_Keycode key, SDL_Scancode scancode, uint16_t sdl_mods) {
  if (key == SDLK_MODE) return 0;
  if (is_keypad_digit_or_point(scancode) && !(sdl_mods & KMOD_NUM)) {
    return keypad_without_num_lock(scancode);
  }
  const KeyPosition* position = find_position(scancode);
  const bool layout_free = is_number_row(scancode) || is_keypad_digit_or_point(scancode);
  if (!layout_free) {
    if (key >= 'a' && key <= 'z') return static_cast<int>(key - 'a' + 'A');
    if (const int vk = punctuation_vk(key)) return vk;
  }
  return position ? position->vk : 0;
}

int sdl_keymap_scan(SDL_Scancode scancode) {
  const KeyPosition* position = find_position(scancode);
  return position ? position->scan : 0;
}

int sdl_keymap_mods(uint16_t sdl_mods) {
  int mods = 0;
  if (sdl_mods & KMOD_SHIFT) mods |= WINDOW_MOD_SHIFT;
  if (sdl_mods & KMOD_CTRL) mods |= WINDOW_MOD_CTRL;
  if (sdl_mods & KMOD_ALT) mods |= WINDOW_MOD_ALT;
  return mods;
}
