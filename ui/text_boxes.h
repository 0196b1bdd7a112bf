// Editing and showing text in windows of their own: a list of lines edited in place (the
// multi-line fields of the forms, texts the engines hand to the user), a short text edited in a
// box, the read-only report viewer with its button bar, and the Cancel/Save pop-up under the
// code-text windows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "store/line_list.h"
#include "ui/text_window.h"

// Window flags of the box edit_text_in_box opens; a caller may change them for one call, they
// come back after every call.
constexpr uint32_t TEXT_BOX_FLAGS = 0x44233;

struct TextBoxState {
  uint32_t box_flags = TEXT_BOX_FLAGS;  // flags of the next edit_text_in_box box
  TextLine* viewer_set_up = nullptr;    // the report viewer whose furniture is drawn
  int viewer_buttons_shown = -1;        // 1 the paging buttons show, | 2 the repeat button; -1
                                        // not drawn yet
  EventCode last_paging_code = 0;       // the paging code a held button repeats
  TextLine* cancel_save_window = nullptr;  // the code-text window whose pop-up is up
  bool cancel_save_shown = false;       // the Save button of that pop-up is shown
};
extern TextBoxState g_text_boxes;

// Copies the lines into a window (a negative row or column is used as it stands, otherwise the
// window is centred on it), re-wraps them to the window's wrap width, runs it, and on accept
// replaces the caller's lines by the edited ones (1); on cancel the caller's lines stay (0).
// A null key filter gives editor_key_filter, a null line drawer draw_window_line.
int edit_lines_in_window(LineList* lines, const char* title, int row, int column, int height,
                         int width, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                         uint32_t window_flags, void* data1, void* data2, uint16_t options);

// Edits a short text in a box `width` columns wide. Row 0 centres the box on row 12 with its
// height fitted to the text (5 to 22 rows, 20 for a longer text); column MSGBOX_CENTRE is the
// screen's middle. Accepted, the lines are joined (leading blanks of the first line and trailing
// blanks and control bytes dropped) and one newline added; the result is written into `out`,
// which has `out_size` bytes of room: a text that would not fit (with its newline and zero) is
// not cut, the user is told and goes on editing. Returns the result's first byte: 0 when
// cancelled (out is then empty), 10 for an accepted empty text.
int edit_text_in_box(const char* text, char* out, size_t out_size, const char* title, int row,
                     int column, int width, void* data1, void* data2);

// The key filter of the read-only report viewer (job statistics, time estimate): its button bar
// (Cancel, copy, print, save, find, replace, repeat, paging) above the text; a report never
// counts as changed.
EventCode report_viewer_key_filter();

// The Cancel/Save pop-up under a code-text window (flag: 1 shows the Save button at once).
void show_cancel_save_buttons(TextLine* window, int flag);
// The key filter of code-text windows: the pop-up's buttons over editor_key_filter; Save is
// shown once the text changes.
EventCode cancel_save_key_filter();

// Test hooks
void reset_text_boxes();
