#include "ui/framed_box.h"

#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr uint32_t BOX_FRAME_STYLE = 1;

}  // namespace

bool open_framed_box(FramedBox* box, int top_row, int left_column, int bottom_row,
                     int right_column, const char* title) {
  push_active_window();
  push_list();
  clear_current_list();
  box->node = create_window(nullptr, {
      .top_row = top_row, .left_column = left_column, .bottom_row = bottom_row,
      .right_column = right_column, .flags = BOX_FRAME_STYLE, .line_drawer = draw_window_line,
      .title = title,
  });
  pop_list();
  if (box->node == nullptr) {
    pop_active_window();
    return false;
  }
  // The frame's own save-under stops at a size; a dialog keeps the whole area, frame and shadow.
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  hide_pointer();
  if (g_text.screen.target != nullptr) {
    canvas_save_under(g_text.screen, {(left_column - 2) * cw, (top_row - 2) * ch,
                                      (right_column + 4) * cw, (bottom_row + 3) * ch},
                      &box->under);
    box->saved = true;
  }
  activate_window(box->node);
  redraw_framed_box(box);
  return true;
}

void redraw_framed_box(FramedBox* box) {
  if (box->node == nullptr) return;
  activate_window(box->node);
  draw_window_frame(FRAME_ONLY);
  draw_window_shadow();
}

void close_framed_box(FramedBox* box) {
  if (box->node == nullptr) return;
  destroy_window(box->node);
  box->node = nullptr;
  pop_active_window();
  hide_pointer();
  if (box->saved) canvas_restore_under(&g_text.screen, box->under);
  box->saved = false;
  g_form.redraw_level = 0;
}
