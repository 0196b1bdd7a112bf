// MOVE and ROTATE of 5,000 marked items of five links each (25,000 links) on a 1920 x 1080
// screen: one pointer step (the working set erased, moved or turned, and drawn again in XOR)
// should stay under 16 ms; undo of the committed move under 50 ms.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "bench/bench_screen.h"
#include "commands/move_nodes.h"
#include "commands/node_edit_session.h"
#include "commands/rotate_command.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

constexpr int ITEMS = 5000;
constexpr int LINKS = 5;
constexpr int STEPS = 40;

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// A small closed outline of four lines and an arc, marked, in a 100 x 50 grid of them.
bool add_items() {
  for (int i = 0; i < ITEMS; ++i) {
    if (new_geometry_block("", nullptr, LINKS, 1, GEOMETRY_KIND_DRAWING_AID) != 0) return false;
    DrawingItem* item = g_lists.current.last;
    item->kind = ITEM_POLYLINE;
    item->state = ITEM_FLAG_SELECTED | ITEM_FLAG_MARKED;
    set_item_id(item, ++g_job_settings.item_id_counter);
    const float x = static_cast<float>(i % 100) * 12.0f;
    const float y = static_cast<float>(i / 100) * 12.0f;
    LinkRecord* r = item_nodes(item);
    const PointF corners[LINKS + 1] = {{x, y}, {x + 8, y}, {x + 10, y + 2}, {x + 10, y + 8},
                                       {x, y + 8}, {x, y}};
    for (int k = 0; k <= LINKS; ++k) {
      r[k].point = corners[k];
      r[k].node_flags = k == 0 ? (NODE_FIRST | NODE_LOOSE) : k == LINKS ? NODE_CLOSING : NODE_LOOSE;
    }
    r[1].code = 2.0f;
    r[1].centre = {x + 8, y + 2};
    arc_angles_from_points(&r[1]);
    item_bounding_boxes(item);
  }
  return true;
}

}  // namespace

int main() {
  if (!open_bench_screen("bench_transform", 1920, 1080)) return 1;
  ViewState& v = g_view;
  v.area_top = 40;
  v.area_width = 1920;
  v.area_bottom = 1040;
  v.scale_x = v.scale_y = 1.5f;
  v.view_left = -10.0f;
  v.view_top = 620.0f;
  v.view_right = v.view_left + 1920 / 1.5f;
  v.view_bottom = v.view_top - 1000 / 1.5f;
  if (!add_items()) {
    std::fprintf(stderr, "bench_transform: the items could not be made\n");
    return 1;
  }
  g_edit.selection_mask = ITEM_FLAG_MARKED;

  // MOVE: the placing loop's step.
  int taken = edit_begin(nullptr, 1);
  if (taken != ITEMS) {
    std::fprintf(stderr, "bench_transform: %d items taken for the move\n", taken);
    return 1;
  }
  double move_worst = 0.0, move_total = 0.0;
  for (int i = 0; i < STEPS; ++i) {
    const auto t = std::chrono::steady_clock::now();
    xor_draw_working_set();
    translate_working_set(PointF{0.5f, 0.25f});
    relayout_session_texts();
    xor_draw_working_set();
    const double ms = ms_since(t);
    move_worst = ms > move_worst ? ms : move_worst;
    move_total += ms;
  }
  commit_moved_working_set();
  edit_cancel();
  auto t = std::chrono::steady_clock::now();
  undo_command();
  const double undo_ms = ms_since(t);

  // ROTATE: the angle step about the middle of the grid, over the items undo gave back.
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    set_item_flags(item, ITEM_FLAG_SELECTED | ITEM_FLAG_MARKED);
  taken = edit_begin(nullptr, 1);
  if (taken != ITEMS) {
    std::fprintf(stderr, "bench_transform: %d items taken for the rotation\n", taken);
    return 1;
  }
  double turn_worst = 0.0, turn_total = 0.0;
  const PointF pivot{600.0f, 300.0f};
  for (int i = 0; i < STEPS; ++i) {
    const auto s = std::chrono::steady_clock::now();
    xor_draw_working_set();
    rotate_working_set(pivot, 0.01);
    relayout_session_texts();
    xor_draw_working_set();
    const double ms = ms_since(s);
    turn_worst = ms > turn_worst ? ms : turn_worst;
    turn_total += ms;
  }
  edit_cancel();
  std::printf("move of %d items (%d links): pointer step mean %.2f ms, worst %.2f ms (goal < 16 ms)\n",
              ITEMS, ITEMS * LINKS, move_total / STEPS, move_worst);
  std::printf("rotate of %d items: pointer step mean %.2f ms, worst %.2f ms (goal < 16 ms)\n", ITEMS,
              turn_total / STEPS, turn_worst);
  std::printf("undo of the committed move: %.2f ms (goal < 50 ms)\n", undo_ms);
  undo_clear();
  free_current_list();
  return 0;
}
