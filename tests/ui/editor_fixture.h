// An editor window on the headless screen driven through run_window by a script of codes, with
// helpers that read back the lines, the caret, the block and the clipboards. Undo and redo in a
// script are pushed back as the key filters push them (509, 508).
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/window.h"
#include "store/line_fold.h"
#include "store/text_wrap.h"
#include "tests/ui/window_fixture.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/editor_key_map.h"
#include "ui/editor_undo.h"
#include "ui/key_pushback.h"
#include "ui/message_box.h"
#include "ui/run_window.h"

struct EditorScript {
  std::vector<EventCode> codes;
  size_t next = 0;
};
inline EditorScript g_editor_script;

// A script code that makes the block an unkept one (drawn red, typing cuts it), as a mouse
// selection leaves it.
constexpr EventCode SCRIPT_UNKEEP_BLOCK = 30000;

// Undo and redo go through the push-back stack, as Ctrl+Z and Ctrl+Shift+Z do.
inline EventCode editor_script_filter() {
  if (g_editor_script.next >= g_editor_script.codes.size()) return KEY_ESC;
  const EventCode code = g_editor_script.codes[g_editor_script.next++];
  if (code == SCRIPT_UNKEEP_BLOCK) {
    g_run.block_kept = 0;
    return WINDOW_NOTHING;
  }
  if (code == UNDO_STEP || code == REDO_STEP) {
    push_back_key(code);
    return WINDOW_NOTHING;
  }
  return code;
}

constexpr uint32_t EDITOR_FLAGS = WINDOW_TEXT_LIST;

class EditorTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    g_editor_script = EditorScript();
    reset_message_box();
    reset_text_wrap();
    g_text_wrap.tab_width = 6;
    clipboard_set_text("");
  }

  void TearDown() override {
    push_list();
    load_list_slot(LIST_SLOT_TEXT_CLIPBOARD);
    free_current_list();
    save_list_slot(LIST_SLOT_TEXT_CLIPBOARD);
    pop_list();
    WindowTest::TearDown();
  }

  // An editor window over the lines (each given with its own newline or none).
  TextLine* make_editor(const std::vector<std::string>& lines, uint32_t flags = EDITOR_FLAGS,
                        const char* title = "X.NC", int wrap = 250, int rows = 10) {
    push_list();
    clear_current_list();
    for (const std::string& text : lines) {
      TextLine* line = append_line(text.c_str());
      if (line->prev == nullptr || ends_with_newline(line->prev)) line->kind |= LINE_KIND_PARAGRAPH;
    }
    TextLine* node = create_window(nullptr, {
        .top_row = 2, .left_column = 1, .bottom_row = 2 + rows - 1, .right_column = 60,
        .flags = flags, .key_filter = editor_script_filter, .line_drawer = draw_window_line,
        .wrap_width = wrap, .title = title,
    });
    pop_list();
    windows_.push_back(node);
    return node;
  }

  // Runs the codes (then Esc) in the window; the caret starts at (line, column) when given.
  void run(TextLine* node, std::vector<EventCode> codes, int line = -1, int column = 0) {
    if (line >= 0) {
      TextWindow* w = window_of(node);
      w->current_line = line_at(node, line);
      w->text_column = static_cast<int16_t>(column);
      w->cursor_column = static_cast<int16_t>(column);  // the tests' lines start plain
      w->horizontal_scroll = 0;
      w->cursor_row = static_cast<int16_t>(std::min(line, w->rows - 1));
    }
    g_editor_script.codes = std::move(codes);
    g_editor_script.next = 0;
    run_window(node);
  }

  // The window's lines, folded runs read in place.
  static std::vector<std::string> lines_of(TextLine* node) {
    std::vector<std::string> lines;
    for (TextLine* l = window_of(node)->first_line; l != nullptr; l = l->next) {
      const FoldRecord* record = fold_record_of(l);
      if (record == nullptr || record->first_line == nullptr) {
        lines.push_back(l->text);
        continue;
      }
      for (TextLine* r = record->first_line; r != nullptr; r = r->next) lines.push_back(r->text);
    }
    return lines;
  }
  static std::string joined(TextLine* node) {
    std::string text;
    for (const std::string& l : lines_of(node)) text += l;
    return text;
  }
  static std::vector<std::string> clipboard() {
    std::vector<std::string> lines;
    for (const LineCopy& c : text_clipboard_lines()) lines.push_back(c.text);
    return lines;
  }
  static std::string system_clipboard() {
    std::string text;
    clipboard_get_text(&text);
    return text;
  }
  // The caret as (line index, text column).
  static std::pair<int, int> caret(TextLine* node) {
    const TextWindow* w = window_of(node);
    int n = 0;
    for (TextLine* l = w->first_line; l != nullptr && l != w->current_line; l = l->next) ++n;
    return {n, w->text_column};
  }
  static void set_block(TextLine* node, int first, int start_column, int last, int end_column) {
    TextWindow* w = window_of(node);
    w->block_start = line_at(node, first);
    w->block_end = line_at(node, last);
    w->block_start_column = static_cast<int16_t>(start_column);
    w->block_end_column = static_cast<int16_t>(end_column);
  }
};

// Codes that type a text.
inline std::vector<EventCode> typed(const std::string& text) {
  std::vector<EventCode> codes;
  for (unsigned char c : text) codes.push_back(c == '\n' ? KEY_ENTER : c);
  return codes;
}
inline std::vector<EventCode> operator+(std::vector<EventCode> a, const std::vector<EventCode>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
