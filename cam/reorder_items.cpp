// Re-ordering items for short travel.
#include "cam/reorder_items.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cam/machining_block.h"
#include "cam/outline_collect.h"
#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "geometry/polyline_ends.h"
#include "nc/cam_host.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

constexpr float NO_DISTANCE = 900000000.0f;
// An exact chain link: nothing nearer can be found.
constexpr float EXACT_GAP = 1e-6f;
constexpr uint32_t PROGRESS_EVERY_MS = 5 * 55;

bool takes_part(const TextLine* item) {
  if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0 || item_type(item) == 0) return false;
  const GeometryBlock* block = item_block(item);
  if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) return false;
  const uint8_t op = block_cam_op(block);
  return op != CAM_OP_DRAWING_AID && op != CAM_OP_ISLAND;
}

bool text_like(const TextLine* item) { return item_type(item) >= ITEM_TEXT_LIKE; }
bool polyline(const TextLine* item) { return item_type(item) == ITEM_POLYLINE; }

PointF first_node(TextLine* item) { return item_nodes(item)[0].point; }
PointF last_node(TextLine* item) { return item_nodes(item)[item_link_count(item)].point; }

// Keeps the nearer of the point's distance and the best so far. True on an exact hit.
bool consider(TextLine* item, const PointF& at, float x, float y, int16_t end, float floor,
              NearestEnd* best) {
  if (std::fabs(at.x - x) > best->distance) return false;
  float d = std::hypot(at.x - x, at.y - y);
  d = std::max(d, floor);
  if (d < best->distance) {
    best->item = item;
    best->distance = d;
    best->end = end;
  }
  return best->distance == 0.0f;
}

int found(const NearestEnd& best) { return best.item != nullptr ? 0 : 1; }

int compare_numbers(int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); }

int16_t group_of(const TextLine* item) { return block_machining_group(item_block(item)); }
uint8_t layer_of(const TextLine* item) { return item_block(item)->layer; }

double closing_gap() {
  const double tolerance = g_job_settings.tolerance > 0.0f
                               ? g_job_settings.tolerance
                               : (g_job_settings.units == JOB_UNITS_INCH ? 0.004 : 0.1);
  return COLLECT_CLOSE_TOLERANCES * tolerance;
}

// A polyline the tool-path collector cuts open: a tool-right or tool-left cut of it depends on
// its direction.
bool cut_open(TextLine* item) {
  const LinkRecord* r = item_nodes(item);
  if ((r[0].node_flags & NODE_KIND_MASK) != 0) return false;
  const PointF a = first_node(item), b = last_node(item);
  return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) > closing_gap();
}

// Turns the polyline round; an open one cut on one side changes side with its direction.
void reverse_item(TextLine* item) {
  const bool open = cut_open(item);
  if (reverse_polyline(item) != 0 || !open) return;
  GeometryBlock* block = item_block(item);
  const uint8_t op = block_cam_op(block);
  if (op == CAM_OP_CONTOUR_INSIDE) set_block_cam_op(block, CAM_OP_CONTOUR_OUTSIDE);
  if (op == CAM_OP_CONTOUR_OUTSIDE) set_block_cam_op(block, CAM_OP_CONTOUR_INSIDE);
}

// Where the tool stands after the item.
PointF leaving_point(TextLine* item) { return text_like(item) ? first_node(item) : last_node(item); }

void set_order(TextLine* item, int16_t order) {
  GeometryBlock* block = item_block(item);
  CamParams params;
  if (!get_block_cam(block, &params)) return;
  params.machining_order = order;
  put_block_cam(block, params);
}

// The run being ordered: its items, linked in their own chain so the searches walk it.
struct Run {
  TextLine* first = nullptr;
  void unlink(TextLine* item) {
    if (item->prev != nullptr) item->prev->next = item->next;
    if (item->next != nullptr) item->next->prev = item->prev;
    if (first == item) first = item->next;
    item->prev = item->next = nullptr;
  }
};

Run link_run(const std::vector<TextLine*>& items) {
  Run run;
  TextLine* previous = nullptr;
  for (TextLine* item : items) {
    item->prev = previous;
    item->next = nullptr;
    if (previous != nullptr) previous->next = item;
    previous = item;
  }
  run.first = items.empty() ? nullptr : items.front();
  return run;
}

// Walks back from the item along open polylines whose end touches its start: the chain is
// entered at its beginning.
TextLine* chain_beginning(Run* run, TextLine* item) {
  TextLine* current = item;
  // Each step takes another polyline; a ring of them stops once every one was taken.
  for (TextLine* t = run->first; t != nullptr; t = t->next) {
    if ((item_nodes(current)[0].node_flags & NODE_KIND_MASK) != 0) break;
    const PointF start = first_node(current);
    NearestEnd near;
    if (nearest_polyline_end(run->first, nullptr, current, start.x, start.y, &near) != 0 ||
        near.distance > REORDER_CHAIN_GAP || near.item == item) {
      break;
    }
    current = near.item;
    if (near.distance < EXACT_GAP) break;
  }
  return current;
}

struct Progress {
  int ordered = 0;
  uint32_t last_ms = 0;
  void tick() {
    const uint32_t now = clock_now_ms();
    if (now - last_ms < PROGRESS_EVERY_MS) return;
    last_ms = now;
    host_pump_messages();
    char line[24];
    std::snprintf(line, sizeof line, "%d", ordered);
    host_show_progress(line);
  }
};

// Orders one run of items of one group (and layer) into `out`, from the point p.
void order_run(std::vector<TextLine*> items, bool either_end, int* counter, PointF* p,
               Progress* progress, std::vector<TextLine*>* out) {
  Run run = link_run(items);
  while (run.first != nullptr) {
    // The first item of a stretch: the nearest end of any item.
    NearestEnd near;
    TextLine* head = run.first;
    if (run.first->next != nullptr && nearest_item_end(run.first, nullptr, p->x, p->y, &near) == 0) {
      head = near.item;
      if (!either_end && polyline(head)) {
        head = chain_beginning(&run, head);
        near.end = ITEM_END_START;
      }
      if (either_end && near.end == ITEM_END_LAST) reverse_item(head);
    }
    run.unlink(head);
    *p = leaving_point(head);
    for (;;) {
      set_order(head, static_cast<int16_t>(++*counter));
      out->push_back(head);
      ++progress->ordered;
      progress->tick();
      if (run.first == nullptr) return;
      const int r = either_end ? nearest_item_end(run.first, nullptr, p->x, p->y, &near)
                               : nearest_polyline_start(run.first, nullptr, p->x, p->y, &near);
      if (r != 0) break;  // nothing follows on: the next stretch starts afresh
      if (either_end && near.end == ITEM_END_LAST) reverse_item(near.item);
      head = near.item;
      run.unlink(head);
      *p = leaving_point(head);
    }
  }
}

void relink_current_list(const std::vector<TextLine*>& order) {
  TextLine* previous = nullptr;
  for (TextLine* item : order) {
    item->prev = previous;
    item->next = nullptr;
    if (previous != nullptr) previous->next = item;
    previous = item;
  }
  g_lists.current.first = order.empty() ? nullptr : order.front();
  g_lists.current.last = previous;
}

}  // namespace

int nearest_item_end(TextLine* first, TextLine* stop, float x, float y, NearestEnd* out) {
  NearestEnd best;
  best.distance = NO_DISTANCE;
  for (TextLine* item = first; item != nullptr && item != stop; item = item->next) {
    const bool text = text_like(item);
    if (consider(item, first_node(item), x, y, ITEM_END_START, text ? REORDER_TEXT_DISTANCE : 0.0f,
                 &best)) {
      break;
    }
    if (text || item_type(item) == ITEM_POINT) continue;
    if (consider(item, last_node(item), x, y, ITEM_END_LAST, 0.0f, &best)) break;
  }
  *out = best;
  return found(best);
}

int nearest_polyline_end(TextLine* first, TextLine* stop, TextLine* leave_out, float x, float y,
                         NearestEnd* out) {
  NearestEnd best;
  best.distance = NO_DISTANCE;
  for (TextLine* item = first; item != nullptr && item != stop; item = item->next) {
    if (item == leave_out || !polyline(item)) continue;
    if (consider(item, last_node(item), x, y, ITEM_END_LAST, 0.0f, &best)) break;
  }
  *out = best;
  return found(best);
}

int nearest_polyline_start(TextLine* first, TextLine* stop, float x, float y, NearestEnd* out) {
  NearestEnd best;
  best.distance = NO_DISTANCE;
  for (TextLine* item = first; item != nullptr && item != stop; item = item->next) {
    if (!polyline(item)) continue;
    if (consider(item, first_node(item), x, y, ITEM_END_LAST, 0.0f, &best)) break;
  }
  *out = best;
  return found(best);
}

int compare_group(const TextLine* a, const TextLine* b) {
  return compare_numbers(group_of(a), group_of(b));
}

int compare_group_layer(const TextLine* a, const TextLine* b) {
  const int by_group = compare_group(a, b);
  return by_group != 0 ? by_group : compare_numbers(layer_of(a), layer_of(b));
}

int reorder_items(int by_layer, int either_end) {
  std::vector<TextLine*> result, work;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    (takes_part(item) ? work : result).push_back(item);
  }
  if (work.empty()) return -1;
  host_open_progress("Re-ordering items...\n\n");
  // From the upper-left corner of what is ordered.
  PointF p{NO_DISTANCE, -NO_DISTANCE};
  for (TextLine* item : work) {
    PointF lo, hi;
    item_extents(item, &lo, &hi);
    p.x = std::min(p.x, lo.x);
    p.y = std::max(p.y, hi.y);
  }
  const LineCompare compare = by_layer != 0 ? compare_group_layer : compare_group;
  std::stable_sort(work.begin(), work.end(),
                   [compare](const TextLine* a, const TextLine* b) { return compare(a, b) < 0; });
  Progress progress;
  progress.last_ms = clock_now_ms();
  int counter = 0;
  for (size_t i = 0; i < work.size();) {
    size_t j = i + 1;
    while (j < work.size() && compare(work[i], work[j]) == 0) ++j;
    if (i == 0 || group_of(work[i - 1]) != group_of(work[i])) counter = 0;
    order_run(std::vector<TextLine*>(work.begin() + i, work.begin() + j), either_end != 0,
              &counter, &p, &progress, &result);
    i = j;
  }
  relink_current_list(result);
  mark_job_changed();
  host_close_progress();
  return progress.ordered;
}
