// The editor on the headless screen: Alt+W re-wrapping a 20,000-line text, and cutting, pasting
// back and undoing a 5,000-line block, through the run loop as the keys would. Goal: under
// 200 ms each.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_screen.h"
#include "platform/headless.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "ui/editor_text.h"
#include "ui/key_pushback.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

struct Script {
  std::vector<EventCode> codes;
  size_t next = 0;
};
Script g_bench_script;

EventCode bench_filter() {
  if (g_bench_script.next >= g_bench_script.codes.size()) return KEY_ESC;
  const EventCode code = g_bench_script.codes[g_bench_script.next++];
  if (code == UNDO_STEP || code == REDO_STEP) {
    push_back_key(code);
    return WINDOW_NOTHING;
  }
  return code;
}

TextLine* make_editor(int lines, uint32_t flags, int wrap) {
  push_list();
  clear_current_list();
  for (int i = 0; i < lines; ++i) {
    TextLine* line = append_line(("line " + std::to_string(i) +
                                  " of the text that the editor wraps again and again at a width "
                                  "narrower than the line\n").c_str());
    line->kind |= LINE_KIND_PARAGRAPH;
  }
  TextLine* node = create_window(nullptr, {
      .top_row = 2, .left_column = 1, .bottom_row = 30, .right_column = 70, .flags = flags,
      .key_filter = bench_filter, .line_drawer = draw_window_line, .wrap_width = wrap,
      .title = "BENCH.NC",
  });
  pop_list();
  return node;
}

double run_ms(TextLine* node, std::vector<EventCode> codes) {
  g_bench_script.codes = std::move(codes);
  g_bench_script.next = 0;
  const auto start = std::chrono::steady_clock::now();
  run_window(node);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  if (!open_bench_screen("bench_editor")) return 1;
  TextLine* wrap = make_editor(20000, WINDOW_TEXT_LIST, 250);
  run_ms(wrap, {WINDOW_NOTHING});  // the window has been worked in: its history exists
  const double rewrap = run_ms(wrap, {KEY_ALT_W});
  std::printf("Alt+W re-wrap of 20,000 lines: %.1f ms (goal 200 ms)\n", rewrap);
  destroy_window(wrap);

  TextLine* node = make_editor(6000, WINDOW_TEXT_LIST, 250);
  TextWindow* w = window_of(node);
  w->block_start = w->first_line;
  w->block_end = w->first_line;
  for (int i = 0; i < 5000; ++i) w->block_end = w->block_end->next;
  w->block_end_column = 0;
  run_ms(node, {WINDOW_NOTHING});
  const double cut = run_ms(node, {WINDOW_CUT});
  const double paste = run_ms(node, {KEY_INS});
  const double undo = run_ms(node, {UNDO_STEP, UNDO_STEP});
  std::printf("5,000-line cut: %.1f ms, paste: %.1f ms, undo of both: %.1f ms (goal 200 ms each)\n",
              cut, paste, undo);
  destroy_window(node);
  destroy_main_form();
  return rewrap < 200 && cut < 200 && paste < 200 && undo < 200 ? 0 : 2;
}
