#include "commands/view_buttons.h"

#include <cstring>

#include "editor/view.h"
#include "screen/event_queue.h"

namespace {

constexpr int16_t HINT_IN = 159;
constexpr int16_t HINT_OUT = 160;
constexpr int16_t HINT_TO_DRAWING = 157;

}  // namespace

ViewButtonLayout view_buttons_in_row(int row, int column) {
  ViewButtonLayout at;
  at.label = {row, column};
  at.in = {row, column + 7};
  at.out = {row, column + 11};
  at.to_drawing = {row, column + 16};
  at.pan = {row, column + 27};
  return at;
}

void append_view_buttons(std::vector<ScreenControl>* t, const ViewButtonLayout& at) {
  const int to_drawing_width = static_cast<int>(std::strlen(at.to_drawing_caption));
  t->push_back(make_control("Zoom:", 0, at.label.row, at.label.column, 1, 5, 0, CF_NO_BOX));
  t->push_back(make_control("IN", VIEW_BUTTON_IN, at.in.row, at.in.column, 1, 3, HINT_IN, 0));
  t->push_back(make_control("OUT", VIEW_BUTTON_OUT, at.out.row, at.out.column, 1, 4, HINT_OUT, 0));
  t->push_back(make_control(at.to_drawing_caption, VIEW_BUTTON_TO_DRAWING, at.to_drawing.row,
                            at.to_drawing.column, 1, to_drawing_width, HINT_TO_DRAWING, 0));
  t->push_back(make_control("Pan", VIEW_BUTTON_PAN, at.pan.row, at.pan.column, 1, 3, 0, 0));
}

void append_view_buttons(std::vector<ScreenControl>* table, int row, int column) {
  append_view_buttons(table, view_buttons_in_row(row, column));
}

bool run_view_button(int id) {
  switch (id) {
    case VIEW_BUTTON_TO_DRAWING: zoom_to_drawing(); return true;
    case VIEW_BUTTON_IN: repeat_zoom_while_held(KEY_PGUP, nullptr); return true;
    case VIEW_BUTTON_OUT: repeat_zoom_while_held(KEY_PGDN, nullptr); return true;
    case VIEW_BUTTON_PAN: pan_by_drag(); return true;
    default: return false;
  }
}
