// The SDL keyboard translated to the program's virtual keys, scan codes and modifiers,
// checked as pure functions without a display.
#include <gtest/gtest.h>

#include "platform/sdl/sdl_keymap.h"
#include "platform/window.h"

namespace {

struct KeyCase {
  SDL_Keycode key;
  SDL_Scancode scancode;
  uint16_t mods;
  int vk;
  const char* what;
};

TEST(SdlKeymap, KeysBecomeVirtualKeyCodes) {
  const uint16_t NUM = KMOD_NUM;
  const KeyCase cases[] = {
      {SDLK_a, SDL_SCANCODE_A, 0, 'A', "letter"},
      {SDLK_z, SDL_SCANCODE_Z, KMOD_LSHIFT | KMOD_LCTRL, 'Z', "letter with modifiers"},
      {SDLK_z, SDL_SCANCODE_Y, 0, 'Z', "letter where the layout moves it (Z on the Y key)"},
      {SDLK_m, SDL_SCANCODE_SEMICOLON, 0, 'M', "letter on a punctuation key"},
      {SDLK_COMMA, SDL_SCANCODE_M, 0, VK_OEM_COMMA, "punctuation on a letter key"},
      {0xF6, SDL_SCANCODE_SEMICOLON, 0, VK_OEM_1, "a national letter takes its key's position"},
      {SDLK_0, SDL_SCANCODE_0, 0, '0', "digit"},
      {SDLK_9, SDL_SCANCODE_9, KMOD_LALT, '9', "digit with Alt"},
      {SDLK_AMPERSAND, SDL_SCANCODE_1, 0, '1', "number row whatever the layout prints on it"},
      {SDLK_F1, SDL_SCANCODE_F1, 0, 112, "F1"},
      {SDLK_F10, SDL_SCANCODE_F10, KMOD_LALT, 121, "F10"},
      {SDLK_F12, SDL_SCANCODE_F12, 0, 123, "F12"},
      {SDLK_F13, SDL_SCANCODE_F13, 0, 0, "F13 has no code"},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, 0, VK_LEFT, "Left"},
      {SDLK_UP, SDL_SCANCODE_UP, KMOD_LCTRL, VK_UP, "Up"},
      {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0, VK_RIGHT, "Right"},
      {SDLK_DOWN, SDL_SCANCODE_DOWN, 0, VK_DOWN, "Down"},
      {SDLK_HOME, SDL_SCANCODE_HOME, 0, VK_HOME, "Home"},
      {SDLK_END, SDL_SCANCODE_END, 0, VK_END, "End"},
      {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0, VK_PRIOR, "PgUp"},
      {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0, VK_NEXT, "PgDn"},
      {SDLK_INSERT, SDL_SCANCODE_INSERT, 0, VK_INSERT, "Ins"},
      {SDLK_DELETE, SDL_SCANCODE_DELETE, 0, VK_DELETE, "Del"},
      {SDLK_RETURN, SDL_SCANCODE_RETURN, 0, VK_RETURN, "Enter"},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, NUM, VK_RETURN, "keypad Enter"},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0, VK_ESCAPE, "Esc"},
      {SDLK_TAB, SDL_SCANCODE_TAB, KMOD_LSHIFT, VK_TAB, "Tab"},
      {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0, VK_BACK, "Backspace"},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, 0, VK_SPACE, "Space"},
      {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT, VK_SHIFT, "left Shift"},
      {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0, VK_SHIFT, "right Shift"},
      {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 0, VK_CONTROL, "left Ctrl"},
      {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 0, VK_CONTROL, "right Ctrl"},
      {SDLK_LALT, SDL_SCANCODE_LALT, 0, VK_MENU, "left Alt"},
      {SDLK_RALT, SDL_SCANCODE_RALT, 0, VK_MENU, "right Alt"},
      {SDLK_MODE, SDL_SCANCODE_RALT, 0, 0, "AltGr is no key of its own"},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, NUM, VK_NUMPAD0, "keypad 0, NumLock on"},
      {SDLK_KP_7, SDL_SCANCODE_KP_7, NUM | KMOD_LALT, VK_NUMPAD0 + 7, "keypad 7 with Alt"},
      {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, NUM, VK_DECIMAL, "keypad '.', NumLock on"},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, 0, VK_INSERT, "keypad 0, NumLock off"},
      {SDLK_KP_1, SDL_SCANCODE_KP_1, 0, VK_END, "keypad 1, NumLock off"},
      {SDLK_KP_5, SDL_SCANCODE_KP_5, 0, VK_CLEAR, "keypad 5, NumLock off"},
      {SDLK_KP_9, SDL_SCANCODE_KP_9, 0, VK_PRIOR, "keypad 9, NumLock off"},
      {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 0, VK_DELETE, "keypad '.', NumLock off"},
      {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 0, VK_SUBTRACT, "keypad '-'"},
      {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 0, VK_DIVIDE, "keypad '/'"},
      {SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL, VK_OEM_MINUS, "'-'"},
      {SDLK_EQUALS, SDL_SCANCODE_EQUALS, KMOD_LSHIFT, VK_OEM_PLUS, "'=' (also '+')"},
      {SDLK_PERIOD, SDL_SCANCODE_PERIOD, 0, VK_OEM_PERIOD, "'.'"},
      {SDLK_SLASH, SDL_SCANCODE_SLASH, KMOD_LALT, VK_OEM_2, "'/'"},
      {SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, 0, VK_OEM_4, "'['"},
      {SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, 0, VK_OEM_6, "']'"},
      {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 0, VK_OEM_7, "apostrophe"},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(sdl_keymap_vk(c.key, c.scancode, c.mods), c.vk) << c.what;
  }
}

TEST(SdlKeymap, ScanCodesAreSet1WithTheExtendedBit) {
  struct Case {
    SDL_Scancode scancode;
    int scan;
  };
  const int E = WINDOW_SCAN_EXTENDED;
  const Case cases[] = {
      {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_A, 0x1E},       {SDL_SCANCODE_Z, 0x2C},
      {SDL_SCANCODE_1, 0x02},      {SDL_SCANCODE_0, 0x0B},       {SDL_SCANCODE_F1, 0x3B},
      {SDL_SCANCODE_F10, 0x44},    {SDL_SCANCODE_F11, 0x57},     {SDL_SCANCODE_KP_7, 0x47},
      {SDL_SCANCODE_HOME, E | 0x47}, {SDL_SCANCODE_UP, E | 0x48}, {SDL_SCANCODE_DELETE, E | 0x53},
      {SDL_SCANCODE_KP_ENTER, E | 0x1C}, {SDL_SCANCODE_RCTRL, E | 0x1D},
      {SDL_SCANCODE_LCTRL, 0x1D},  {SDL_SCANCODE_RALT, E | 0x38}, {SDL_SCANCODE_F13, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sdl_keymap_scan(c.scancode), c.scan) << SDL_GetScancodeName(c.scancode);
  }
}

TEST(SdlKeymap, ModifierStateBecomesTheProgramsBits) {
  struct Case {
    uint16_t sdl;
    int mods;
  };
  const Case cases[] = {
      {0, 0},
      {KMOD_LSHIFT, WINDOW_MOD_SHIFT},
      {KMOD_RSHIFT, WINDOW_MOD_SHIFT},
      {KMOD_RCTRL, WINDOW_MOD_CTRL},
      {KMOD_LALT | KMOD_LCTRL, WINDOW_MOD_ALT | WINDOW_MOD_CTRL},
      {KMOD_RALT, WINDOW_MOD_ALT},
      {KMOD_MODE, 0},  // AltGr
      {KMOD_NUM | KMOD_CAPS, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(sdl_keymap_mods(c.sdl), c.mods) << "SDL mods " << c.sdl;
}

}  // namespace
