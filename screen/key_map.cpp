// Key translation: Windows-style virtual keys and the modifier state become the PC BIOS codes
// the program's key tables are written in; also the Alt + keypad characters and the modifier
// codes 446-449.
#include "platform/window.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"

namespace {

// Set-1 scan codes of the letters A..Z: Alt + letter is 256 + this.
constexpr uint8_t LETTER_SCAN_CODES[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                           49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

bool is_letter(int vk) { return vk >= 'A' && vk <= 'Z'; }
bool is_digit(int vk) { return vk >= '0' && vk <= '9'; }

// Ctrl with a key; 0 when Ctrl gives this key no code of its own.
EventCode map_ctrl_key(int vk, uint8_t modifiers) {
  switch (vk) {
    case VK_BACK: return KEY_CTRL_BACKSPACE;
    case VK_TAB: return (modifiers & MODIFIER_SHIFT) ? KEY_F2 : KEY_F1;
    case VK_RETURN: return KEY_CTRL_ENTER;
    case VK_SPACE: return KEY_CTRL_BASE + ' ';
    case VK_PRIOR: return KEY_CTRL_PGUP;
    case VK_NEXT: return KEY_CTRL_PGDN;
    case VK_END: return KEY_CTRL_END;
    case VK_HOME: return KEY_CTRL_HOME;
    case VK_LEFT: return KEY_CTRL_LEFT;
    case VK_UP: return KEY_CTRL_UP;
    case VK_RIGHT: return KEY_CTRL_RIGHT;
    case VK_DOWN: return KEY_CTRL_DOWN;
    case VK_INSERT: return KEY_CTRL_INS;
    case VK_DELETE: return KEY_CTRL_DEL;
    case VK_OEM_COMMA: return KEY_CTRL_BASE + VK_OEM_COMMA;
    case VK_OEM_PERIOD: return KEY_CTRL_BASE + VK_OEM_PERIOD;
    case VK_OEM_MINUS: return KEY_CTRL_OR_ALT_MINUS;
    case VK_OEM_4: return 603;
    case VK_OEM_6: return 605;
    case VK_OEM_7: return 551;
    default: break;
  }
  if (is_letter(vk) || is_digit(vk)) return static_cast<EventCode>(KEY_CTRL_BASE + vk);
  return 0;
}

// The cursor and editing keys without Ctrl; 0 for any other key.
EventCode map_plain_key(int vk) {
  switch (vk) {
    case VK_BACK: return KEY_BACKSPACE;
    case VK_TAB: return KEY_TAB;
    case VK_RETURN: return KEY_ENTER;
    case VK_ESCAPE: return KEY_ESC;
    case VK_PRIOR: return KEY_PGUP;
    case VK_NEXT: return KEY_PGDN;
    case VK_END: return KEY_END;
    case VK_HOME: return KEY_HOME;
    case VK_LEFT: return KEY_LEFT;
    case VK_UP: return KEY_UP;
    case VK_RIGHT: return KEY_RIGHT;
    case VK_DOWN: return KEY_DOWN;
    case VK_INSERT: return KEY_INS;
    case VK_DELETE: return KEY_DEL;
    case VK_F1 + 10: return KEY_F11;
    case VK_F1 + 11: return KEY_F12;
    default: return 0;
  }
}

// F1-F10, plain, with Ctrl or with Alt.
EventCode map_function_key(int vk, uint8_t modifiers) {
  int n = vk - VK_F1;
  if (modifiers & MODIFIER_CTRL) return static_cast<EventCode>(KEY_CTRL_F1 + n);
  if (modifiers & MODIFIER_ALT) return static_cast<EventCode>(KEY_ALT_F1 + n);
  return static_cast<EventCode>(KEY_F1 + n);
}

// Alt with a letter, digit or punctuation key; 0 when Alt gives this key no code.
EventCode map_alt_key(int vk) {
  if (is_letter(vk)) return static_cast<EventCode>(256 + LETTER_SCAN_CODES[vk - 'A']);
  if (vk == '0') return 385;
  if (is_digit(vk)) return static_cast<EventCode>(376 + (vk - '1'));
  switch (vk) {
    case VK_SPACE: return 312;
    case VK_OEM_PLUS: return 387;
    case VK_OEM_MINUS: return KEY_CTRL_OR_ALT_MINUS;
    case VK_OEM_4: return 282;
    case VK_OEM_6: return 283;
    case VK_OEM_7: return 296;
    default: return 0;
  }
}

// Shows or closes the key menus for the new modifier state; false when the key was already held
// and nothing more is to happen. At most one key menu is shown at a time, so closing "the one
// that is shown" is close_key_menus. No window carries key-menu texts yet, so no menu is ever
// opened here.
bool update_key_menus(uint8_t before, uint8_t now) {
  bool ctrl = now & MODIFIER_CTRL;
  bool alt = now & MODIFIER_ALT;
  if (ctrl && alt) {
    close_key_menus(2);
    return true;
  }
  if (ctrl && (before & MODIFIER_CTRL)) return false;
  if (!ctrl && g_events.control_menu_shown) close_key_menus(2);
  if (alt && (before & MODIFIER_ALT)) return false;
  if (!alt && g_events.alt_menu_shown) close_key_menus(2);
  return true;
}

}  // namespace

EventCode map_key_down(int virtual_key, uint8_t modifiers) {
  int vk = virtual_key;
  bool ctrl = modifiers & MODIFIER_CTRL;
  bool alt = modifiers & MODIFIER_ALT;
  if (ctrl) {
    EventCode code = map_ctrl_key(vk, modifiers);
    if (code != 0) return code;
  } else {
    EventCode code = map_plain_key(vk);
    if (code != 0) return static_cast<EventCode>(alt ? code + KEY_ALT_OFFSET : code);
  }
  if (vk >= VK_F1 && vk <= VK_F1 + 9) return map_function_key(vk, modifiers);
  if (alt) return map_alt_key(vk);
  return 0;
}

char alt_key_letter(EventCode code) {
  for (int i = 0; i < 26; ++i)
    if (code == 256 + LETTER_SCAN_CODES[i]) return static_cast<char>('A' + i);
  return 0;
}

EventCode mouse_button_code(int button, bool down) {
  int offset;
  switch (button) {
    case WINDOW_BUTTON_LEFT: offset = 0; break;
    case WINDOW_BUTTON_MIDDLE: offset = 1; break;
    case WINDOW_BUTTON_RIGHT: offset = 2; break;
    default: return 0;
  }
  return static_cast<EventCode>((down ? EVENT_LEFT_DOWN : EVENT_LEFT_UP) + offset);
}

EventCode translate_key_down(int virtual_key) {
  uint8_t modifiers = g_events.modifiers;
  if (modifiers & (MODIFIER_CTRL | MODIFIER_ALT)) close_key_menus(2);
  // Ctrl gives '/' no code, so with Alt it always reaches the minimise, Ctrl held or not.
  if ((modifiers & MODIFIER_ALT) && virtual_key == VK_OEM_2) {
    release_and_minimise();
    return 0;
  }
  EventCode code = map_key_down(virtual_key, modifiers);
  push_input_code(code);
  return code;
}

void modifier_key_menus(int mode, int virtual_key, int shift, int alt, int ctrl) {
  if (g_form.idle_state != 0) return;  // start-up is not over: the program waits for no key
  uint8_t before = g_events.modifiers;
  if (mode == 0) {
    g_events.modifiers = static_cast<uint8_t>(before & ~MODIFIER_ALT);
  } else if (mode == 1) {
    g_events.modifiers = static_cast<uint8_t>(before | MODIFIER_ALT);
  } else {
    g_events.modifiers = static_cast<uint8_t>((shift ? MODIFIER_SHIFT : 0) |
                                              (ctrl ? MODIFIER_CTRL : 0) |
                                              (alt ? MODIFIER_ALT : 0));
  }
  if (!update_key_menus(before, g_events.modifiers)) return;
  bool press = mode == 1 || mode == 100;
  if (virtual_key == VK_CONTROL) {
    if (!press) push_input_code(EVENT_CTRL_UP);
    else if (!(before & MODIFIER_CTRL)) push_input_code(EVENT_CTRL_DOWN);
  } else if (virtual_key == VK_MENU) {
    if (!press) push_input_code(EVENT_ALT_UP);
    else if (!(before & MODIFIER_ALT)) push_input_code(EVENT_ALT_DOWN);
  }
}

void close_key_menus(int mode) {
  // Closing the menu itself (caret and pop-up) joins here once windows can carry key menus.
  g_events.control_menu_shown = false;
  g_events.alt_menu_shown = false;
  if (mode != 2)
    g_events.modifiers = static_cast<uint8_t>(g_events.modifiers & ~(MODIFIER_CTRL | MODIFIER_ALT));
}

bool is_keypad_digit(int virtual_key) {
  return virtual_key >= VK_NUMPAD0 && virtual_key <= VK_NUMPAD0 + 9;
}

void collect_alt_keypad_digit(int virtual_key) {
  if (!is_keypad_digit(virtual_key)) return;
  g_events.alt_keypad_value = (g_events.alt_keypad_value * 10 + (virtual_key - VK_NUMPAD0)) % 256;
}

void post_alt_keypad_char() {
  if (g_events.alt_keypad_value <= 0) return;
  push_input_code(static_cast<EventCode>(EVENT_ALT_KEYPAD_BASE + g_events.alt_keypad_value));
  g_events.alt_keypad_value = 0;
  g_events.skip_next_char = true;
}

void clear_alt_keypad() { g_events.alt_keypad_value = 0; }

void post_char_event(uint8_t c) {
  if (g_events.skip_next_char) {
    g_events.skip_next_char = false;
    return;
  }
  post_typed_char(c);
}
