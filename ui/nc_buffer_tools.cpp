#include "ui/nc_buffer_tools.h"

#include "nc/nc_tidy.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "ui/dialog_form.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/message_box.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

NcCompareMemory g_nc_compare;

namespace {

constexpr char COMPARE_QUESTION[] =
    "What sort of comparison do you want?\n\n(Press CTRL-P next time you want to compare text "
    "so that you do not have to specify the comparison method)\n\n\n";
constexpr char COMPARE_CHOICES[] = "By NC code Value     Exact";
constexpr char COMPARE_LETTERS[] = "VE";
constexpr char NO_DIFFERENCES[] = "\x1d!!No differences found.";
constexpr int COMPARE_HELP_TOPIC = 0;

// The buffer changed: marked, and its lines drawn again.
void mark_changed(int changed) {
  if (changed <= 0 || g_windows.active == nullptr) return;
  g_windows.active->flags |= WINDOW_CHANGED;
  request_full_redraw();
}

// The active window's cursor on `line` (its last line when null), column 0, no block.
void show_line_as_current(TextLine* line) {
  TextWindow* w = g_windows.active;
  if (line == nullptr) line = g_lists.current.last;
  if (line == nullptr) return;
  g_lists.block_start = g_lists.block_end = nullptr;
  g_lists.cursor_line = line;
  w->text_column = 0;
  screen_column_from_text();
  keep_caret_in_view();
  place_cursor_row(1);
  store_window_state();
}

}  // namespace

// The walks below run with folding held: unread text is read first (reading needs free slots),
// then nothing folds under the walk.

int tidy_nc_buffer(NcTidyKind kind, int arg) {
  if (g_windows.active == nullptr) return 0;
  // The tools work on the whole text: folded and unread runs come in first.
  if (!read_whole_buffer(g_windows.active_node) || g_lists.current.first == nullptr) return 0;
  g_lists.block_start = g_lists.block_end = nullptr;
  TextLine* first = g_lists.current.first;
  int changed = 0;
  ++g_fold.holding;
  switch (kind) {
    case NC_TIDY_COMPACT: changed = strip_nc_zeros(first, arg); break;
    case NC_TIDY_REMOVE_SPACES: changed = remove_nc_spaces(first, arg); break;
    case NC_TIDY_SPACE_WORDS: changed = space_nc_words(first, arg); break;
  }
  --g_fold.holding;
  mark_changed(changed);
  store_window_state();
  return changed;
}

int renumber_nc_buffer(const SequenceSettings& settings) {
  if (g_windows.active == nullptr || !read_whole_buffer(g_windows.active_node)) return 0;
  TextLine* first = g_lists.current.first;
  if (first == nullptr || first->next == nullptr) return 0;
  TextLine* end = nullptr;
  if (g_lists.block_start != nullptr && g_lists.block_end != nullptr) {
    first = g_lists.block_start;
    end = g_lists.block_end->next;
  }
  ++g_fold.holding;
  const int changed = renumber_nc_lines(first, end, settings);
  --g_fold.holding;
  g_lists.cursor_line = first;
  g_windows.active->text_column = 0;
  screen_column_from_text();
  keep_caret_in_view();
  mark_changed(changed);
  store_window_state();
  return changed;
}

int compare_nc_programs(bool ask) {
  if (g_windows.active == nullptr) return -1;
  store_window_state();
  TextLine* here = g_windows.active_node;
  TextLine* other_node = next_window(0, true);
  TextWindow* other = window_of(other_node);
  if (other == nullptr || other_node == here) {
    if (g_form_hooks.help != nullptr) g_form_hooks.help(COMPARE_HELP_TOPIC);
    return -1;
  }
  if (ask) {
    const int16_t choice =
        message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 50, COMPARE_QUESTION, MSGBOX_CHOICE,
                    const_cast<char*>(COMPARE_CHOICES), g_nc_compare.mode, COMPARE_LETTERS, 0,
                    nullptr);
    if (choice != NC_COMPARE_BY_VALUE && choice != NC_COMPARE_EXACT) return -1;
    g_nc_compare.mode = choice;
  }
  if (!read_whole_buffer(other_node) || !read_whole_buffer(here)) return -1;
  TextLine* mine = g_lists.cursor_line;
  TextLine* theirs = other->current_line;
  if (!ask) {
    mine = mine != nullptr ? next_nc_line(mine) : nullptr;
    theirs = theirs != nullptr ? next_nc_line(theirs) : nullptr;
  }
  // Nothing folds while the walk goes on (a run folded under it would cut the walk short) and
  // while the two windows take turns showing the lines found.
  ++g_fold.holding;
  const NcCompareResult result = compare_nc_lines(mine, theirs, g_nc_compare.mode);
  if (!result.differ) {
    --g_fold.holding;
    show_text_box(NO_DIFFERENCES, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  push_active_window();
  activate_window(other_node);
  show_line_as_current(result.other);
  draw_window_frame(0);
  redraw_window_lines();
  pop_active_window();
  show_line_as_current(result.current);
  --g_fold.holding;
  request_full_redraw();
  return 1;
}

void reset_nc_buffer_tools() { g_nc_compare = NcCompareMemory(); }
