// The run loop's clicks: a press on the text starts a block, a quick second press on the same
// cell marks the word, a press on the block starts a drag that moves or copies the block where
// it is let go (or into another buffer through the clipboard), and further presses on the block
// grow it to its sentence and paragraph.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/window.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "screen/tick_clock.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/key_pushback.h"
#include "ui/run_window_commands.h"
#include "ui/text_moves.h"
#include "ui/text_window.h"

namespace {

// Presses of at most this many ticks on one cell make a double click.
constexpr int QUICK_PRESS_TICKS = 4;
constexpr int SHAPE_DRAG_COPY = 30;
constexpr int SHAPE_DRAG_MOVE = 73;
constexpr int SHAPE_ARROW = 1;

bool has_block() { return g_lists.block_start != nullptr && g_lists.block_end != nullptr; }
bool ctrl_held() { return (g_events.modifiers & MODIFIER_CTRL) != 0; }
bool other_button_held() {
  return (g_pointer.button_bits & (WINDOW_BUTTON_RIGHT | WINDOW_BUTTON_MIDDLE)) != 0;
}
bool block_is_empty(const TextWindow* w) {
  return g_lists.block_start == g_lists.block_end && w->block_start_column == w->block_end_column;
}

void flag_block_lines() {
  for (TextLine* l = g_lists.block_start; l != nullptr; l = l->next) {
    l->state |= LINE_STATE_REDRAW;
    if (l == g_lists.block_end) break;
  }
  g_windows.redraw_pending = 1;
}

RunStep start_block_drag() {
  ++g_run.drag_presses;
  set_pointer_shape(ctrl_held() ? SHAPE_DRAG_COPY : SHAPE_DRAG_MOVE);
  return RUN_TAIL;
}

// A second quick press on the same cell marks the word; a third does not start another.
void release_without_block(RunWindowCall* call) {
  const TextWindow* w = g_windows.active;
  const int length = g_clock.ticks - static_cast<int32_t>(call->press_tick);
  const bool same_cell = w->cursor_row == call->press_row && w->cursor_column == call->press_column;
  if (call->previous_press_length > QUICK_PRESS_TICKS || length > QUICK_PRESS_TICKS || !same_cell ||
      call->press_tick == 0) {
    call->previous_press_length = static_cast<int16_t>(std::min(length, 30000));
    g_run.drag_presses = 0;
    return;
  }
  call->press_tick = 0;
  select_word_right(&call->previous_cursor_line, &call->anchor_column);
  g_run.block_kept = 1;
}

// A release on the block itself grows it: its sentence after the first press, its paragraph
// after more. The caret stays where it was.
void grow_block_in_place(RunWindowCall* call) {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  const int16_t column = w->text_column;
  const int16_t cursor_column = w->cursor_column;
  const int16_t row = w->cursor_row;
  const int16_t caret_x = w->caret_x;
  const uint8_t presses = g_run.drag_presses;
  if (presses <= 1)
    select_sentence_left(&call->previous_cursor_line, &call->anchor_column);
  else
    select_paragraph_right(&call->previous_cursor_line, &call->anchor_column);
  g_lists.cursor_line = line;
  w->text_column = column;
  w->cursor_column = cursor_column;
  w->cursor_row = row;
  w->caret_x = caret_x;
  // Still the same block: the next press on it counts on.
  g_run.drag_presses = presses;
  g_run.block_kept = 1;
}

// Blanks up to a caret past its line's end; false when the line would grow too long.
bool fill_to_caret(TextWindow* w) {
  TextLine* line = g_lists.cursor_line;
  const int end = static_cast<int>(line->text.size()) - (ends_with_newline(line) ? 1 : 0);
  if (w->text_column <= end) return true;
  // A line that goes on in the next one: the caret goes to its end instead.
  if (!ends_with_newline(line) && line->next != nullptr) {
    w->text_column = static_cast<int16_t>(end);
    return true;
  }
  std::string text = line->text.substr(0, static_cast<size_t>(end));
  text.append(static_cast<size_t>(w->text_column - end), ' ');
  if (ends_with_newline(line)) text += '\n';
  if (text.size() > static_cast<size_t>(LINE_TEXT_MAX)) return false;
  return set_line_text(text.c_str(), line) != nullptr;
}

// The block's text moved (or copied) to the caret. The copy goes in first, so that a refused
// insertion leaves the text as it was; then, when moving, the old text goes.
void drop_block_at_caret(TextWindow* w, bool copy) {
  bring_back_runs(g_lists.block_start, g_lists.block_end);
  TextLine* block_start = g_lists.block_start;
  TextLine* block_end = g_lists.block_end;
  int start_column = w->block_start_column;
  int end_column = w->block_end_column;
  std::vector<LineCopy> pieces = copy_text_range(block_start, start_column, block_end, end_column);
  const bool whole_paragraphs = start_column == 0 &&
                                (block_start->kind & LINE_KIND_PARAGRAPH) != 0 &&
                                (block_end->next == nullptr ||
                                 (block_end->next->kind & LINE_KIND_PARAGRAPH) != 0);
  if (!whole_paragraphs)
    for (LineCopy& piece : pieces) piece.kind = 0;
  if (pieces.size() > 1 && pieces.back().text.empty()) pieces.pop_back();
  if (!fill_to_caret(w)) {
    report_line_too_long();
    return;
  }
  TextLine* dest = g_lists.cursor_line;
  const int dest_column = w->text_column;
  const SpliceResult put = splice_text(dest, dest_column, dest, dest_column, pieces);
  if (put.first == nullptr) {
    report_line_too_long();
    return;
  }
  TextLine* new_first = put.first;
  int new_start = dest_column;
  TextLine* new_last = put.last;
  int new_end = put.end_column;
  if (!copy) {
    // A drop before the block on its first line moved the block's start (and a one-line
    // block's end) onto the last inserted line.
    if (dest == block_start && dest_column <= start_column) {
      const int shift = put.end_column - dest_column;
      if (block_end == block_start) {
        block_end = put.last;
        end_column += shift;
      }
      block_start = put.last;
      start_column += shift;
    }
    // A drop after the block on its last line: the removal joins that line to the block's
    // first line.
    const bool after_on_end_line = put.first == block_end && dest_column >= end_column;
    const bool last_on_end_line = put.last == block_end && dest_column >= end_column;
    splice_text(block_start, start_column, block_end, end_column, {});
    if (after_on_end_line) {
      new_first = block_start;
      new_start = start_column + (dest_column - end_column);
    }
    if (last_on_end_line) {
      new_last = block_start;
      new_end = start_column + (put.end_column - end_column);
    }
  }
  g_lists.block_start = new_first;
  g_lists.block_end = new_last;
  w->block_start_column = static_cast<int16_t>(new_start);
  w->block_end_column = static_cast<int16_t>(new_end);
  g_lists.cursor_line = new_last;
  w->text_column = static_cast<int16_t>(new_end);
  reformat_lines(new_first->prev != nullptr ? new_first->prev : new_first,
                 new_last->next != nullptr ? new_last->next : new_last, w->wrap_width);
  screen_column_from_text();
  keep_caret_in_view();
  fit_cursor_row();
  if (g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  w->line_count = 0;
  request_full_redraw();
  g_lists.lines_changed++;
}

}  // namespace

RunStep click_on_text(RunWindowCall* call) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  if (g_run.block_kept != 0) {
    g_run.block_kept = 0;
    if (cursor_in_block() != 0) {
      g_run.marking = 0;
      flag_block_lines();
      return start_block_drag();
    }
  }
  if (other_button_held() && has_block()) return RUN_TAIL;
  if (has_block() && g_run.marking == 0 && cursor_in_block() != 0 && !block_is_empty(w))
    return start_block_drag();
  if (call->press_tick == 0 || w->cursor_row != call->press_row ||
      w->cursor_column != call->press_column) {
    call->press_row = w->cursor_row;
    call->press_column = w->cursor_column;
    call->previous_press_length = 9;
  }
  call->press_tick = static_cast<uint32_t>(std::max(g_clock.ticks, 1));
  start_block_at_cursor();
  call->anchor_column = w->block_start_column;
  call->previous_cursor_line = g_lists.cursor_line;
  g_run.marking = 1;
  return RUN_TAIL;
}

RunStep release_button(RunWindowCall* call, EventCode code) {
  TextWindow* w = g_windows.active;
  g_run.marking = 0;
  if (w == nullptr) return RUN_TAIL;
  normalize_marked_block();
  if (!has_block() || block_is_empty(w)) {
    if (code == WINDOW_RELEASE_OTHER) return switch_window(call, WINDOW_NEXT);
    release_without_block(call);
    return RUN_TAIL;
  }
  if (g_run.drag_presses == 0) return RUN_TAIL;
  set_pointer_shape(SHAPE_ARROW);
  if (code == WINDOW_RELEASE_OTHER) {
    // Into another buffer through the clipboard: the pushed-back Ins pastes it there.
    block_command(ctrl_held() ? WINDOW_COPY : WINDOW_CUT);
    push_back_key(KEY_INS);
    g_run.drag_presses = 0;
    return switch_window(call, WINDOW_NEXT);
  }
  if (cursor_in_block() != 0) {
    grow_block_in_place(call);
    return RUN_TAIL;
  }
  drop_block_at_caret(w, ctrl_held());
  g_run.drag_presses = 0;
  g_run.block_kept = 1;
  return RUN_NEXT_CODE;
}
