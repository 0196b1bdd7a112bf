// The editor on the headless screen: Alt+W re-wrapping a 20,000-line text, and cutting, pasting
// back and undoing a 5,000-line block, through the run loop as the keys would (goal: under
// 200 ms each); and a 100,000-line NC program opened, Ctrl+PgDn, paged through, searched for
// a word only its last line holds, changed on that line and saved (goals: open 20 ms,
// Ctrl+PgDn 5 ms, 2 ms a page, find and save 250 ms each, peak 100 MB).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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
#include "ui/edit_buffers.h"
#include "ui/editor_text.h"
#include "ui/find_replace.h"
#include "ui/text_files.h"
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

double ms_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

std::string file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The NC program case; false when a goal was missed or the saved bytes are wrong.
bool bench_nc_program() {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "bench_editor_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return false;
  const fs::path folder = pattern;
  const std::string path = (folder / "BENCH.NC").string();
  std::string program;
  for (int k = 0; k < 99999; ++k)
    program += "N" + std::to_string(k + 1) + " G01 X" + std::to_string(k % 97) + ".25 Y" +
               std::to_string(k % 53) + ".5 F100\r\n";
  const std::string last = "N100000 M30 (LASTWORD)\r\n";
  {
    std::ofstream out(path, std::ios::binary);
    out << program << last;
  }
  auto start = std::chrono::steady_clock::now();
  if (open_in_buffer(path.c_str(), bench_filter, draw_window_line, WINDOW_TEXT_LIST,
                     OPEN_NAMED_FILE) != 0)
    return false;
  const double open = ms_since(start);
  TextLine* node = g_windows.active_node;
  const double to_end = run_ms(node, {KEY_CTRL_PGDN});
  run_ms(node, {KEY_CTRL_PGUP});
  const TextWindow* w = window_of(node);
  const int pages = 100000 / (w->rows > 2 ? w->rows - 2 : 1) + 1;
  const double paging = run_ms(node, std::vector<EventCode>(static_cast<size_t>(pages), KEY_PGDN));
  activate_window(node);
  g_search.pattern = "LASTWORD";
  g_search.flags = 0;
  start = std::chrono::steady_clock::now();
  const int found = find_replace(g_lists.current.first, 0);
  const double find = ms_since(start);
  bool right = found == 1 && g_search.match_line == g_lists.current.last;
  set_line_text("N100000 M30 (CHANGED)\n", g_lists.current.last);
  store_window_state();
  window_of(node)->flags |= WINDOW_CHANGED;
  start = std::chrono::steady_clock::now();
  right = right && save_text_file(0, node, 0) == 0;
  const double save = ms_since(start);
  right = right && file_bytes(path) == program + "N100000 M30 (CHANGED)\r\n";
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::printf("100,000-line NC program: open %.1f ms (goal 20), Ctrl+PgDn %.1f ms (goal 5), "
              "%.2f ms a page over %d pages (goal 2), find %.1f ms, save %.1f ms (goal 250 "
              "each), peak %.0f MB (goal 100)%s\n",
              open, to_end, paging / pages, pages, find, save, peak_mb,
              right ? "" : "; the find or the saved bytes were WRONG");
  g_buffers.buffer_list = nullptr;
  destroy_window(node);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return right && open < 20 && to_end < 5 && paging / pages < 2 && find < 250 && save < 250 &&
         peak_mb < 100;
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
  const bool nc = bench_nc_program();
  destroy_main_form();
  return nc && rewrap < 200 && cut < 200 && paste < 200 && undo < 200 ? 0 : 2;
}
