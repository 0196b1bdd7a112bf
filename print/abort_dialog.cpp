#include "print/abort_dialog.h"

#include <algorithm>

#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "ui/pointer_motion.h"

namespace {

constexpr int BOX_COLUMNS = 34;  // inside the frame
constexpr int BOX_ROWS = 5;
constexpr EventCode STOP_KEY = 600;  // Ctrl+X: the text printer's stop between pages
constexpr int MOST_CODES_PER_PUMP = 256;

void draw_progress(TAbortDialog* dialog) {
  if (dialog->box.node == nullptr) return;
  std::string line = dialog->text.substr(0, BOX_COLUMNS);
  line.resize(BOX_COLUMNS, ' ');
  draw_text(dialog->top_row + 1, dialog->left_column, line.c_str());
}

// The button in the menu face's cells, below the progress line.
void place_button(TAbortDialog* dialog) {
  const CellMetrics& normal = g_display.current;
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  if (menu.cell_height <= 0 || menu.cell_width <= 0) return;
  const int width = static_cast<int>(sizeof ABORT_DIALOG_BUTTON) + 2;
  const int y = (dialog->top_row + 3) * normal.cell_height;
  const int x = (dialog->left_column + BOX_COLUMNS / 2) * normal.cell_width - width * menu.cell_width / 2;
  dialog->controls.clear();
  dialog->controls.push_back(make_control(ABORT_DIALOG_BUTTON, ABORT_DIALOG_BUTTON_ID,
                                          y / menu.cell_height, x / menu.cell_width, 1, width, 0,
                                          0));
  dialog->controls.push_back(end_control());
  draw_controls(dialog->controls.data(), 0);
}

}  // namespace

TAbortDialog* open_abort_dialog() {
  auto* dialog = new TAbortDialog;
  dialog->printing_before = g_form.printing;
  g_form.printing = PRINTING_ON;
  push_control_table();
  push_hit_state();
  use_normal_font();
  const CellMetrics& cells = g_display.current;
  const int top = std::max(1, cells.last_row / 2 - BOX_ROWS / 2);
  const int left = std::max(1, cells.last_column / 2 - BOX_COLUMNS / 2);
  dialog->top_row = top;
  dialog->left_column = left;
  if (open_framed_box(&dialog->box, top, left, top + BOX_ROWS - 1, left + BOX_COLUMNS - 1,
                      ABORT_DIALOG_TITLE)) {
    place_button(dialog);
    draw_progress(dialog);
  }
  abort_dialog_pump(dialog);
  return dialog;
}

int abort_dialog_pump(TAbortDialog* dialog) {
  if (dialog == nullptr) return 0;
  // Bounded: a redraw kept as a flag may keep answering while the screen waits for it.
  // An empty queue is pumped once by the poll; what that pump posted is read before leaving.
  bool pumped = false;
  for (int taken = 0; taken < MOST_CODES_PER_PUMP; ++taken) {
    const EventCode code = poll_input_code(0);
    if (code == 0 && !pumped) {
      pumped = true;
      continue;
    }
    if (code == 0 || code == EVENT_QUIT) break;
    switch (code) {
      case KEY_ENTER:
      case ' ':
      case STOP_KEY:
        dialog->cancelled = true;
        break;
      case EVENT_LEFT_DOWN:
        if (hit_test_pointer(true) == ABORT_DIALOG_BUTTON_ID) dialog->cancelled = true;
        break;
      case EVENT_POINTER_MOVE:
        follow_mouse();
        move_pointer();
        break;
      default: break;
    }
  }
  return dialog->cancelled ? 1 : 0;
}

int show_printing_progress(TAbortDialog* dialog, const std::string& text) {
  if (dialog == nullptr) return 0;
  dialog->text = text;
  draw_progress(dialog);
  return abort_dialog_pump(dialog);
}

int printing_cancelled(TAbortDialog* dialog) { return abort_dialog_pump(dialog); }

void close_abort_dialog(TAbortDialog* dialog) {
  if (dialog == nullptr) return;
  close_framed_box(&dialog->box);
  pop_hit_state();
  pop_control_table();
  g_form.printing = dialog->printing_before;
  delete dialog;
}
