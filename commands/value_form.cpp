#include "commands/value_form.h"

#include <cstring>

#include "editor/hover.h"
#include "ui/message_box.h"

ValueForm g_value_form;

namespace {

constexpr char INCOMPLETE_TEXT[] =
    "You haven't completely defined this geometry yet . . . \n"
    "you don't fill in every field, just enough to define the geometry.";

}  // namespace

void zero_value_form_fields() {
  ValueForm& f = g_value_form;
  std::memset(f.values, 0, sizeof f.values);
  std::memset(f.entered, 0, sizeof f.entered);
  f.kind = FORM_WORKING_ITEM;
  f.diameter = 0.0f;
  f.link = FormLink{};
  f.link.link.node_flags = NODE_FIRST;
  f.link.closing.node_flags = NODE_CLOSING;
  f.recompute = nullptr;
  f.layer_field = 0;
  std::memset(f.title, 0, sizeof f.title);
  f.layer_edit_once = 0;
}

int check_form_complete() {
  const ValueForm& f = g_value_form;
  if (f.entered[0] == 1) return 1;
  for (int i = 1; i < VALUE_FORM_MAX_CONTROLS; ++i) {
    if (f.entered[i] == FIELD_ENTERED) {
      show_text_box(INCOMPLETE_TEXT, TEXTBOX_PRESS_A_KEY);
      return -1;
    }
  }
  return 0;
}

EventCode step_value_form_cursor(EventCode key, int count, int* current) {
  if (key == EVENT_QUIT) return KEY_ESC;
  if (key == KEY_DOWN || key == KEY_ENTER || key == KEY_TAB) {
    if (*current + 1 >= count) return KEY_DOWN;
    ++*current;
  } else if (key == KEY_UP) {
    if (*current == 0) return KEY_UP;
    --*current;
  } else if (key == KEY_ESC || key == 0 || key == EVENT_LEFT_DOWN ||
             key == EVENT_CONTROL_CLICKED) {
    return key;
  }
  return VALUE_FORM_GO_ON;
}

void reset_value_form() { g_value_form = ValueForm{}; }
