#include "editor/panel_layer_field.h"

#include <algorithm>
#include <cstdio>

#include "geometry/layers.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"

namespace {

constexpr int LAYER_BOX_WIDTH = 3;
constexpr uint16_t LAYER_BOX_EXITS = EXIT_UP | EXIT_DOWN;
constexpr char LAYER_REFUSED_TEXT[] = "Give a layer from 0 to 243: that layer number is not one items can be put on.";
constexpr int SAME_AS_ORIGINAL_STEP = 2;  // the check box stands two controls after the field

ScreenControl* control_at(int index) {
  ScreenControl* table = g_controls.active;
  if (table == nullptr || index < 0) return nullptr;
  for (int i = 0; i < index; ++i)
    if (table[i].flags == CF_END) return nullptr;
  return table[index].flags == CF_END ? nullptr : &table[index];
}

int cell_column(const ScreenControl& c) {
  return c.x / std::max<int>(1, g_display.current.cell_width);
}

int cell_row(const ScreenControl& c) {
  return c.y / std::max<int>(1, g_display.current.cell_height);
}

// A new layer clears "Same as original": the item no longer takes its original's layer.
void uncheck_same_as_original(int index) {
  ScreenControl* box = nullptr;
  for (int i = index + 1; i <= index + SAME_AS_ORIGINAL_STEP; ++i) {
    box = control_at(i);
    if (box == nullptr) return;
  }
  if ((box->flags & CF_CHECKBOX) == 0 || (box->flags & CF_CHECKED) == 0) return;
  box->flags &= ~CF_CHECKED;
  if ((box->flags & CF_HIDDEN) == 0) draw_controls(box, 1);
}

}  // namespace

void show_panel_layer(int index, uint8_t layer) {
  ScreenControl* c = control_at(index);
  if (c == nullptr) return;
  std::snprintf(c->caption, CONTROL_CAPTION_SIZE, "%3d", layer);
  if ((c->flags & CF_HIDDEN) == 0) draw_controls(c, 1);
}

EventCode edit_panel_layer_field(int index, bool* hit, uint8_t* layer) {
  if (hit != nullptr) *hit = false;
  ScreenControl* c = control_at(index);
  if (c == nullptr || layer == nullptr) return KEY_ESC;
  const uint8_t own_id = c->id;
  // Typed as a short so that a number past a byte is seen and refused rather than cut.
  int16_t typed = *layer;
  const int16_t result = edit_number_box(cell_row(*c), cell_column(*c), LAYER_BOX_WIDTH, &typed,
                                         FIELD_SHORT | FIELD_SELECT_ALL, LAYER_BOX_EXITS);
  if (result < 0 && -result != KEY_DEL) {
    if (typed >= 0 && typed < LAYER_USER_COUNT) {
      *layer = static_cast<uint8_t>(typed);
      uncheck_same_as_original(index);
    } else {
      show_text_box(LAYER_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
    }
  }
  show_panel_layer(index, *layer);
  move_pointer();
  const EventCode ending = result < 0 ? static_cast<EventCode>(-result) : result;
  if (ending == EVENT_LEFT_DOWN) {
    const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
    if (id >= 0 && id != own_id) {
      if (hit != nullptr) *hit = true;
      return static_cast<EventCode>(id);
    }
  }
  return result;
}

int pick_panel_layer(int index, uint8_t* layer) {
  const ScreenControl* c = control_at(index);
  if (c == nullptr || layer == nullptr) return 0;
  place_layer_list(cell_row(*c) + 1, cell_column(*c));
  const TextLine* chosen = pick_layer();
  if (chosen == nullptr || chosen->id < 0 || chosen->id >= LAYER_USER_COUNT) {
    show_panel_layer(index, *layer);
    return 0;
  }
  *layer = static_cast<uint8_t>(chosen->id);
  show_panel_layer(index, *layer);
  uncheck_same_as_original(index);
  return 1;
}
