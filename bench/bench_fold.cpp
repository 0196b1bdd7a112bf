// Folding: a 200,000-line list folded and walked line by line with the cursor, down to its end
// and back up; every move brings back the run it meets and folds one behind it.
// Goal: under 20 microseconds a move on average.
#include <chrono>
#include <cstdio>
#include <string>

#include "store/line_fold.h"
#include "store/line_list.h"

namespace {

double walk(bool down, long* moves) {
  const auto start = std::chrono::steady_clock::now();
  long n = 0;
  while ((down ? cursor_to_next_line() : cursor_to_prev_line()) != nullptr) ++n;
  const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
  *moves = n;
  return n > 0 ? took.count() / static_cast<double>(n) : 0.0;
}

}  // namespace

int main() {
  constexpr int LINES = 200000;
  reset_list_store();
  reset_fold_state();
  g_fold.screen_rows = 40;
  g_fold.window.folds = true;
  for (int k = 0; k < LINES; ++k) {
    const std::string text = "N" + std::to_string(k * 10) + " G01 X" + std::to_string(k % 1000) +
                             ".125 Y" + std::to_string(k % 777) + ".5 F1200\n";
    append_line(text.c_str());
  }
  g_lists.cursor_line = g_lists.current.first;
  const auto start = std::chrono::steady_clock::now();
  const int runs = page_out_all_lines(g_lists.cursor_line);
  const std::chrono::duration<double, std::milli> folding = std::chrono::steady_clock::now() - start;
  std::printf("fold %d lines: %d runs in %.1f ms\n", LINES, runs, folding.count());

  long down_moves = 0;
  long up_moves = 0;
  const double down = walk(true, &down_moves);
  const double up = walk(false, &up_moves);
  std::printf("walk down: %ld moves, %.2f us a move (goal < 20)\n", down_moves, down);
  std::printf("walk up:   %ld moves, %.2f us a move (goal < 20)\n", up_moves, up);
  const bool whole = down_moves == LINES - 1 && up_moves == LINES - 1;
  if (!whole) std::printf("FAILED: the walks did not meet every line\n");
  free_current_list();
  return whole && down < 20.0 && up < 20.0 ? 0 : 1;
}
