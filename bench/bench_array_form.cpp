// The array form's live copies: ten items in a 30 x 30 grid (9,000 copies) made, XOR-drawn on
// the headless canvas, erased and deleted again each time a field changes. Goal: a remake
// under 200 ms.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "bench/bench_screen.h"
#include "commands/array_form.h"
#include "commands/value_form.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "store/line_list.h"

namespace {

constexpr int ITEMS = 10;
constexpr int SIDE = 30;
constexpr int REMAKES = 10;
constexpr int FIELD_COLUMN_SPACING = 8;

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// A four-link zigzag polyline, selected and flagged for the array.
bool add_item(int i) {
  if (new_geometry_block("", nullptr, 4, 1, GEOMETRY_KIND_DRAWING_AID) != 0) return false;
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  LinkRecord* r = item_nodes(item);
  for (int k = 0; k <= 4; ++k) {
    r[k].point = {static_cast<float>(i * 0.5 + k * 0.1), static_cast<float>((k % 2) * 0.3)};
    r[k].code = LINK_FLEXIBLE_LINE;
  }
  r[0].node_flags = NODE_FIRST;
  r[4].node_flags = NODE_CLOSING;
  item_bounding_boxes(item);
  set_item_flags(item, ITEM_FLAG_SELECTED | ITEM_FLAG_WORKING);
  return true;
}

}  // namespace

int main() {
  if (!open_bench_screen("bench_array_form")) return 1;
  ViewState& v = g_view;
  v.area_top = 40;
  v.area_width = 1024;
  v.area_bottom = 740;
  v.scale_x = v.scale_y = 5.0f;
  v.view_left = -5.0f;
  v.view_top = 150.0f;
  v.view_right = v.view_left + 1024 / 5.0f;
  v.view_bottom = v.view_top - 700 / 5.0f;
  for (int i = 0; i < ITEMS; ++i)
    if (!add_item(i)) return 1;
  ArrayFormState& a = g_array_form;
  a.kind = 1;
  a.rows = a.columns = SIDE;
  a.row_spacing = 4.0f;
  a.column_spacing = 6.0f;
  a.handle = {0.0f, 0.0f};
  g_value_form.link.link.point = {0.0f, 0.0f};
  g_value_form.entered[3] = g_value_form.entered[4] = FIELD_ENTERED;
  g_value_form.recompute = solve_array;
  double worst = 0.0;
  double total = 0.0;
  int copies = 0;
  for (int i = 0; i < REMAKES; ++i) {
    const auto t = std::chrono::steady_clock::now();
    solve_array(FIELD_COLUMN_SPACING);
    const double ms = ms_since(t);
    worst = ms > worst ? ms : worst;
    total += ms;
  }
  for (DrawingItem* c = a.first_copy; c != nullptr; c = c->next) ++copies;
  std::printf("array of %d items in %d x %d: %d copies; a remake (erase, delete, copy, draw) "
              "mean %.1f ms, worst %.1f ms (goal < 200 ms)\n",
              ITEMS, SIDE, SIDE, copies, total / REMAKES, worst);
  clear_array_copies(114);
  return 0;
}
