#include "ui/editor_undo.h"

#include <cstring>
#include <deque>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "store/line_fold.h"
#include "store/store_host.h"
#include "ui/editor_cursor.h"
#include "ui/message_box.h"
#include "ui/editor_text.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// Lines are named by their position in the window's whole text: folded runs count with all
// their lines, the unread middle of a file loaded in part as one line. Slices of the unread
// middle come back between the loaded head and the placeholder or between the placeholder and
// the tail, so a position after the placeholder is kept counted from the end (negative) and a
// position before it from the start: neither moves when text comes back.

// The caret and block of a moment, lines named by position.
struct CaretState {
  int32_t cursor_line = 0;
  int16_t text_column = 0;
  int16_t cursor_column = 0;
  int16_t cursor_row = 0;
  int16_t horizontal_scroll = 0;
  bool has_block = false;
  int32_t block_start_line = 0;
  int32_t block_end_line = 0;
  int16_t block_start_column = 0;
  int16_t block_end_column = 0;
};

struct UndoStep {
  int32_t first_line = 0;           // position of the first changed line
  int32_t lines_after = 0;          // lines after the changed ones, to the end of the text
  bool after_unread = false;        // the change lies after the unread middle: it is found
                                    // from the end
  std::vector<LineCopy> removed;    // the lines there before the step
  std::vector<LineCopy> inserted;   // the lines there after it
  CaretState before;
  CaretState after;
  bool clipboard_changed = false;
  std::vector<LineCopy> clipboard_before;
  std::vector<LineCopy> clipboard_after;
  std::string shown;                // what the undo list calls the step (ends with a newline)
};

}  // namespace

struct EditorUndoHistory {
  std::vector<LineCopy> shadow;     // the text as it stood after the last step
  std::deque<UndoStep> steps;       // oldest first
  size_t done = 0;                  // steps[0 .. done - 1] can be undone, the rest redone
  CaretState pending_before;
  EventCode pending_code = 0;       // the code the pending step is acted on for
  bool pending = false;
  bool clipboard_noted = false;
  std::vector<LineCopy> clipboard_before;
  // Cursor moves change no text, so they are not compared with the shadow one by one (that
  // would cost a walk of the whole text per key): the check waits for the next other code.
  bool moves_unchecked = false;
  EventCode first_move = 0;         // the first of those moves
  bool text_came_back = false;      // unread text came back meanwhile (its seams may have joined)
};

namespace {

bool is_editor(const TextWindow* w) { return w != nullptr && (w->flags & WINDOW_TEXT_LIST) != 0; }

// The window's whole text as lines: folded runs read in place.
std::vector<TextLine*> text_lines() {
  std::vector<TextLine*> lines;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    const FoldRecord* record = fold_record_of(l);
    if (record != nullptr && record->unread_text == 0 && record->first_line != nullptr) {
      for (TextLine* r = record->first_line; r != nullptr; r = r->next) lines.push_back(r);
    } else {
      lines.push_back(l);
    }
  }
  return lines;
}

// Position of the unread middle in a text, -1 when there is none.
int32_t unread_position(const std::vector<TextLine*>& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (is_unread_placeholder(lines[i])) return static_cast<int32_t>(i);
  return -1;
}

// A line's position as it is kept (see above), or 0 for a line not in the text.
int32_t kept_position(const std::vector<TextLine*>& lines, const TextLine* line) {
  const int32_t unread = unread_position(lines);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != line) continue;
    const int32_t at = static_cast<int32_t>(i);
    return unread >= 0 && at > unread ? at - static_cast<int32_t>(lines.size()) : at;
  }
  return 0;
}

int32_t position_from_kept(int32_t kept, size_t count) {
  return kept < 0 ? static_cast<int32_t>(count) + kept : kept;
}

// The layout bytes (margins, indent, the paragraph short) count; the line-number key does not:
// numbering is no edit.
constexpr size_t LAYOUT_ATTRIBUTE_BYTES = 8;

bool same_line(const TextLine* line, const LineCopy& copy) {
  return line->kind == copy.kind && line->text == copy.text &&
         std::memcmp(line->attributes, copy.attributes, LAYOUT_ATTRIBUTE_BYTES) == 0;
}

CaretState capture_caret(const TextWindow* w) {
  CaretState s;
  const std::vector<TextLine*> lines = text_lines();
  s.cursor_line = kept_position(lines, g_lists.cursor_line);
  s.text_column = w->text_column;
  s.cursor_column = w->cursor_column;
  s.cursor_row = w->cursor_row;
  s.horizontal_scroll = w->horizontal_scroll;
  s.has_block = g_lists.block_start != nullptr && g_lists.block_end != nullptr;
  if (s.has_block) {
    s.block_start_line = kept_position(lines, g_lists.block_start);
    s.block_end_line = kept_position(lines, g_lists.block_end);
    s.block_start_column = w->block_start_column;
    s.block_end_column = w->block_end_column;
  }
  return s;
}

std::vector<LineCopy> copy_current_list() {
  std::vector<LineCopy> lines;
  for (TextLine* l : text_lines()) lines.push_back(copy_of_line(l));
  return lines;
}

bool shadow_matches(const EditorUndoHistory& h) {
  const std::vector<TextLine*> lines = text_lines();
  if (lines.size() != h.shadow.size()) return false;
  for (size_t i = 0; i < lines.size(); ++i)
    if (!same_line(lines[i], h.shadow[i])) return false;
  return true;
}

void start_history(TextWindow* w) {
  EditorUndoHistory* h = w->undo_history;
  if (h == nullptr) {
    h = new (std::nothrow) EditorUndoHistory;
    if (h == nullptr) return;
    w->undo_history = h;
  }
  h->steps.clear();
  h->done = 0;
  h->shadow = copy_current_list();
}

void apply_to_shadow(EditorUndoHistory& h, int32_t first, size_t remove_count,
                     const std::vector<LineCopy>& put);

// The step between the shadow and the current text, the shadow brought up to the text; false
// when nothing changed. The removed lines move out of the shadow rather than being copied.
bool take_diff_from_shadow(EditorUndoHistory& h, UndoStep* step) {
  const std::vector<TextLine*> lines = text_lines();
  size_t prefix = 0;
  while (prefix < lines.size() && prefix < h.shadow.size() && same_line(lines[prefix], h.shadow[prefix]))
    ++prefix;
  if (prefix == lines.size() && prefix == h.shadow.size()) return false;
  size_t suffix = 0;
  while (suffix < lines.size() - prefix && suffix < h.shadow.size() - prefix &&
         same_line(lines[lines.size() - 1 - suffix], h.shadow[h.shadow.size() - 1 - suffix]))
    ++suffix;
  step->first_line = static_cast<int32_t>(prefix);
  step->lines_after = static_cast<int32_t>(suffix);
  const int32_t unread = unread_position(lines);
  step->after_unread = unread >= 0 && static_cast<int32_t>(prefix) > unread;
  const auto removed_begin = h.shadow.begin() + static_cast<std::ptrdiff_t>(prefix);
  const auto removed_end = h.shadow.end() - static_cast<std::ptrdiff_t>(suffix);
  step->removed.assign(std::make_move_iterator(removed_begin), std::make_move_iterator(removed_end));
  for (size_t i = prefix; i < lines.size() - suffix; ++i) step->inserted.push_back(copy_of_line(lines[i]));
  apply_to_shadow(h, step->first_line, step->removed.size(), step->inserted);
  return true;
}

void apply_to_shadow(EditorUndoHistory& h, int32_t first, size_t remove_count,
                     const std::vector<LineCopy>& put) {
  auto at = h.shadow.begin() + first;
  at = h.shadow.erase(at, at + static_cast<std::ptrdiff_t>(remove_count));
  h.shadow.insert(at, put.begin(), put.end());
}

// Replaces `remove_count` lines at position `first` of the current list with `put`.
void replace_lines(int32_t first, size_t remove_count, const std::vector<LineCopy>& put) {
  TextLine* at = nth_line(first);
  TextLine* before = first > 0 ? nth_line(first - 1) : nullptr;
  for (size_t i = 0; i < remove_count && at != nullptr; ++i) {
    TextLine* next = at->next;
    delete_line(at);
    at = next;
  }
  TextLine* after = before;
  for (const LineCopy& copy : put) {
    TextLine* line = insert_line("", {}, after);
    if (line == nullptr) break;
    line->text = copy.text;
    line->text_length = static_cast<int16_t>(copy.text.size());
    line->kind = copy.kind;
    std::memcpy(line->attributes, copy.attributes, sizeof(line->attributes));
    line->state |= LINE_STATE_REDRAW;
    after = line;
  }
  fix_list_first();
  fix_list_last();
  g_lists.lines_changed++;
}

void restore_caret(TextWindow* w, const CaretState& s) {
  const size_t count = static_cast<size_t>(count_current_lines());
  TextLine* cursor = nth_line(position_from_kept(s.cursor_line, count));
  if (cursor == nullptr) cursor = g_lists.current.last;
  g_lists.cursor_line = cursor;
  w->text_column = s.text_column;
  w->cursor_column = s.cursor_column;
  w->cursor_row = s.cursor_row;
  w->horizontal_scroll = s.horizontal_scroll;
  g_lists.block_start = nullptr;
  g_lists.block_end = nullptr;
  if (s.has_block) {
    g_lists.block_start = nth_line(position_from_kept(s.block_start_line, count));
    g_lists.block_end = nth_line(position_from_kept(s.block_end_line, count));
    if (g_lists.block_start == nullptr || g_lists.block_end == nullptr) {
      g_lists.block_start = nullptr;
      g_lists.block_end = nullptr;
    }
    w->block_start_column = s.block_start_column;
    w->block_end_column = s.block_end_column;
  }
  g_run.marking = 0;
  screen_column_from_text();
  keep_caret_in_view();
  fit_cursor_row();
}

constexpr const char* UNDO_MEMORY_TEXT =
    "Not enough memory to keep this change for undo: the undo history starts again here.";

void settle_moves(TextWindow* w);

EventCode replay(bool undo) {
  TextWindow* w = g_windows.active;
  if (!is_editor(w) || w->undo_history == nullptr) return 0;
  settle_moves(w);
  EditorUndoHistory& h = *w->undo_history;
  if (undo ? h.done == 0 : h.done >= h.steps.size()) return 0;
  if (!shadow_matches(h)) {  // the text was replaced behind the history's back
    start_history(w);
    return 0;
  }
  const UndoStep& step = h.steps[undo ? h.done - 1 : h.done];
  const std::vector<LineCopy>& put = undo ? step.removed : step.inserted;
  const size_t remove_count = undo ? step.inserted.size() : step.removed.size();
  // Folded runs come back, so that the list's lines are the text's lines.
  bring_back_folded_runs();
  const int32_t first =
      step.after_unread ? static_cast<int32_t>(h.shadow.size() - remove_count) - step.lines_after
                        : step.first_line;
  replace_lines(first, remove_count, put);
  apply_to_shadow(h, first, remove_count, put);
  if (step.clipboard_changed)
    set_text_clipboard(undo ? step.clipboard_before : step.clipboard_after, false);
  restore_caret(w, undo ? step.before : step.after);
  h.done = undo ? h.done - 1 : h.done + 1;
  g_run.replaying = 1;
  w->flags |= WINDOW_CHANGED;
  w->line_count = 0;
  request_full_redraw();
  return WINDOW_REDRAW;
}

void record_step(TextWindow* w);

bool is_cursor_move(EventCode code) {
  switch (code) {
    case KEY_HOME:
    case KEY_END:
    case KEY_UP:
    case KEY_DOWN:
    case KEY_PGUP:
    case KEY_PGDN:
    case KEY_LEFT:
    case KEY_RIGHT:
    case KEY_CTRL_LEFT:
    case KEY_CTRL_RIGHT:
    case KEY_CTRL_PGUP:
    case KEY_CTRL_PGDN:
    case KEY_CTRL_UP:
    case KEY_CTRL_DOWN: return true;
    default: return false;
  }
}

// The moves since the last check are settled: only where unread text came back during them can
// the text differ from the shadow (a line read in part joins its other part); that change is
// kept as the moves' step, as it would have been had each move been checked.
void settle_moves(TextWindow* w) {
  EditorUndoHistory& h = *w->undo_history;
  if (!h.moves_unchecked) return;
  h.moves_unchecked = false;
  if (!h.text_came_back) return;
  h.text_came_back = false;
  h.pending_before = capture_caret(w);
  h.pending_code = h.first_move;
  h.pending = true;
  h.clipboard_noted = false;
  record_step(w);
}

}  // namespace

void note_unread_text_read(TextLine* placeholder, TextLine* first, TextLine* last) {
  TextWindow* w = g_windows.active;
  if (!is_editor(w) || w->undo_history == nullptr || g_fold.walking_another_list != 0) return;
  EditorUndoHistory& h = *w->undo_history;
  size_t token = 0;
  while (token < h.shadow.size() && h.shadow[token].kind != LINE_KIND_PLACEHOLDER) ++token;
  if (token == h.shadow.size()) return;
  std::vector<LineCopy> read;
  for (TextLine* l = first; l != nullptr; l = l->next) {
    read.push_back(copy_of_line(l));
    if (l == last) break;
  }
  const bool gone = placeholder->prev != first && placeholder->next != first &&
                    placeholder->prev != last && placeholder->next != last;
  const bool before = last->next == placeholder;
  h.text_came_back = true;
  if (gone) h.shadow.erase(h.shadow.begin() + static_cast<std::ptrdiff_t>(token));
  const size_t at = gone || before ? token : token + 1;
  h.shadow.insert(h.shadow.begin() + static_cast<std::ptrdiff_t>(at), read.begin(), read.end());
}

void begin_editor_step(EventCode code) {
  TextWindow* w = g_windows.active;
  if (!is_editor(w)) return;
  EditorUndoHistory* history = w->undo_history;
  if (history != nullptr && is_cursor_move(code)) {
    if (!history->moves_unchecked) history->first_move = code;
    history->moves_unchecked = true;
    history->pending = false;
    return;
  }
  if (history != nullptr) settle_moves(w);
  if (w->undo_history == nullptr || !shadow_matches(*w->undo_history)) start_history(w);
  if (w->undo_history == nullptr) return;
  w->undo_history->pending_before = capture_caret(w);
  w->undo_history->pending_code = code;
  w->undo_history->pending = true;
  w->undo_history->clipboard_noted = false;
}

void note_clipboard_change() {
  TextWindow* w = g_windows.active;
  if (!is_editor(w) || w->undo_history == nullptr || !w->undo_history->pending) return;
  w->undo_history->clipboard_before = text_clipboard_lines();
  w->undo_history->clipboard_noted = true;
}

void end_editor_step() {
  TextWindow* w = g_windows.active;
  if (!is_editor(w) || w->undo_history == nullptr || !w->undo_history->pending) return;
  try {
    record_step(w);
  } catch (const std::bad_alloc&) {
    // No step with a hole: the history starts again from the text as it stands.
    forget_editor_undo(w);
    show_text_box(UNDO_MEMORY_TEXT, TEXTBOX_TIMED | 40);
  }
}

namespace {

// "\vc" for a character, a word for the blank and the line end.
std::string shown_character(char c, const char* blank) {
  if (c == ' ') return blank;
  if (c == '\n') return "\vCR";
  return std::string("\v") + c;
}

// The character one line's step added or removed, when the step did just that: the other
// text is the one text with one byte more. 0 otherwise.
char one_character_difference(const std::string& shorter, const std::string& longer) {
  if (longer.size() != shorter.size() + 1) return 0;
  size_t at = 0;
  while (at < shorter.size() && shorter[at] == longer[at]) ++at;
  if (longer.compare(at + 1, std::string::npos, shorter, at, std::string::npos) != 0) return 0;
  return longer[at];
}

// What the undo list calls a step, by the code it was acted on for and what it changed.
std::string describe_step(const UndoStep& step, EventCode code) {
  const bool one_line = step.removed.size() == 1 && step.inserted.size() == 1;
  const bool joined = step.removed.size() == 2 && step.inserted.size() == 1;
  switch (code) {
    case KEY_BACKSPACE:
    case KEY_DEL: {
      const char* verb = code == KEY_DEL ? "Delete " : "Backspace over ";
      if (joined) return std::string(verb) + "\vCR\n";
      const char gone =
          one_line ? one_character_difference(step.inserted[0].text, step.removed[0].text) : 0;
      if (gone != 0)
        return verb + shown_character(gone, code == KEY_DEL ? "a space" : "\vspace") + "\n";
      break;
    }
    case KEY_ENTER: return "Add a CR\n";
    case KEY_CTRL_BACKSPACE:
    case WINDOW_COPY_SYSTEM:
    case WINDOW_COPY:
    case WINDOW_APPEND_COPY:
    case WINDOW_CUT: return "Delete/copy block\n";
    case KEY_INS:
    case WINDOW_PASTE_SYSTEM:
    case WINDOW_COLUMN_PASTE: return "Insert block\n";
    default:
      if (code >= 32 && code <= 255 && one_line) {
        const char typed = one_character_difference(step.removed[0].text, step.inserted[0].text);
        if (typed != 0) return "Type " + shown_character(typed, "a space") + "\n";
      }
      break;
  }
  return std::to_string(code) + " - ?\n";
}

void record_step(TextWindow* w) {
  EditorUndoHistory& h = *w->undo_history;
  h.pending = false;
  UndoStep step;
  const bool text_changed = take_diff_from_shadow(h, &step);
  if (!text_changed && !h.clipboard_noted) return;
  step.before = h.pending_before;
  step.after = capture_caret(w);
  if (h.clipboard_noted) {
    step.clipboard_changed = true;
    step.clipboard_before = std::move(h.clipboard_before);
    step.clipboard_after = text_clipboard_lines();
    h.clipboard_noted = false;
  }
  step.shown = describe_step(step, h.pending_code);
  h.steps.resize(h.done);  // a new step ends the redo history
  h.steps.push_back(std::move(step));
  while (h.steps.size() > static_cast<size_t>(UNDO_STEPS_KEPT)) h.steps.pop_front();
  h.done = h.steps.size();
}

}  // namespace

EventCode editor_undo() { return replay(true); }
EventCode editor_redo() { return replay(false); }

int undo_steps_available() {
  const TextWindow* w = g_windows.active;
  return w != nullptr && w->undo_history != nullptr ? static_cast<int>(w->undo_history->done) : 0;
}

std::string undo_step_text(bool next_redo) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || w->undo_history == nullptr) return "";
  const EditorUndoHistory& h = *w->undo_history;
  if (next_redo) return h.done < h.steps.size() ? h.steps[h.done].shown : "";
  return h.done > 0 ? h.steps[h.done - 1].shown : "";
}

int redo_steps_available() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || w->undo_history == nullptr) return 0;
  return static_cast<int>(w->undo_history->steps.size() - w->undo_history->done);
}

void forget_editor_undo(TextWindow* window) {
  if (window == nullptr || window->undo_history == nullptr) return;
  delete window->undo_history;
  window->undo_history = nullptr;
}

void free_undo_ring(TextWindow* window) { forget_editor_undo(window); }
