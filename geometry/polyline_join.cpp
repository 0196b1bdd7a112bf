// Joining polylines whose ends touch.
#include "geometry/polyline_join.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "geometry/geometry2d.h"
#include "geometry/geometry_host.h"
#include "geometry/item_split.h"
#include "geometry/polyline_ends.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"

namespace {

// Two arcs meeting at a joint count as one smooth curve when their directions there agree
// this closely (radians, compared round the circle).
constexpr double SMOOTH_JOINT_ANGLE = 0.01;
// Two arcs are the same circle when radii and centres agree this closely (job units).
constexpr float SAME_RADIUS = 0.00001f;
constexpr float SAME_CENTRE = 0.0001f;
// The fixed gaps of the silent loop join, by the job's unit.
constexpr float AUTO_JOIN_GAP_INCH = 0.0005f;
constexpr float AUTO_JOIN_GAP_MILLIMETRE = 0.0125f;
// A candidate end this close counts as lying exactly on the search point.
constexpr float EXACT_END = 1e-7f;

bool symmetric(const DrawingItem* item) {
  return (item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK) != 0;
}

bool is_polyline(const DrawingItem* item) {
  return item_block(item) != nullptr && item_type(item) == ITEM_POLYLINE;
}

bool selected_polyline(const DrawingItem* item) {
  return is_polyline(item) && (item_flags(item) & ITEM_FLAG_SELECTED) != 0;
}

bool joinable(const DrawingItem* item) { return selected_polyline(item) && !symmetric(item); }

bool accepted(int pairing, int flags) {
  if (pairing == TOUCH_NONE) return false;
  if ((flags & JOIN_NO_REVERSAL) != 0)
    return pairing == TOUCH_END_START || pairing == TOUCH_START_END;
  if ((flags & JOIN_EITHER_END) != 0) return true;
  return pairing == TOUCH_END_START || pairing == TOUCH_END_END;
}

const PointF& start_point(const DrawingItem* item) { return item_nodes(item)[0].point; }
const PointF& end_point(const DrawingItem* item) {
  return item_nodes(item)[item_link_count(item)].point;
}

// Unlinks the line from the current list.
void unlink_current(TextLine* line) {
  if (g_lists.current.first == line) g_lists.current.first = line->next;
  if (g_lists.current.last == line) g_lists.current.last = line->prev;
  if (line->prev != nullptr) line->prev->next = line->next;
  if (line->next != nullptr) line->next->prev = line->prev;
  line->prev = line->next = nullptr;
}

void append_to(LineList* chain, TextLine* line) {
  line->prev = chain->last;
  line->next = nullptr;
  if (chain->last != nullptr) chain->last->next = line;
  else chain->first = line;
  chain->last = line;
}

// Moves every line of the current list that fails the test into *aside, keeping the order.
template <typename Keep>
void move_aside(LineList* aside, Keep keep) {
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if (!keep(line)) {
      unlink_current(line);
      append_to(aside, line);
    }
    line = next;
  }
}

void take_back(LineList* chain) {
  append_chain(chain->first, chain->last);
  *chain = LineList{};
}

// The candidate's records in joining order (its end first when it joins by its end), read
// without leaving it changed. False when it could not be turned round.
bool candidate_records(DrawingItem* candidate, bool from_end, std::vector<LinkRecord>* out) {
  const int32_t m = item_link_count(candidate);
  if (from_end && reverse_polyline(candidate) != 0) return false;
  const LinkRecord* r = item_nodes(candidate);
  out->assign(r, r + m + 1);
  if (from_end) reverse_polyline(candidate);
  return true;
}

// The pairing of the two ends by the user's picks: W's start or end, C's start or end.
int pairing_of_selectors(int working_selector, int candidate_selector) {
  const bool working_start = working_selector == JOIN_SELECT_START;
  const bool candidate_end = candidate_selector == JOIN_SELECT_END;
  if (working_start) return candidate_end ? TOUCH_START_END : TOUCH_START_START;
  return candidate_end ? TOUCH_END_END : TOUCH_END_START;
}

// Two arcs that meet smoothly and lie on one circle become exactly one circle at the joint.
void smooth_arc_joint(const LinkRecord& before, LinkRecord* after, const PointF& joint) {
  if (!code_is_arc(before.code) || !code_is_arc(after->code)) return;
  const double a = arc_tangent_angle(&joint, &before);
  const double b = arc_tangent_angle(&joint, after);
  if (abs_angle_difference(a, b) >= SMOOTH_JOINT_ANGLE) return;
  if (std::fabs(before.code - after->code) >= SAME_RADIUS) return;
  if (point_distance(&before.centre, &after->centre) >= SAME_CENTRE) return;
  after->centre = before.centre;
  after->code = before.code;
  after->node_flags = NODE_TANGENT;
}

}  // namespace

int find_nearest_ends(const PointF& q, float max_distance, JoinCandidate* table) {
  int count = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item_block(item) == nullptr) continue;
    LinkRecord* r = item_nodes(item);
    const int32_t n = item_link_count(item);
    const float to_start = point_distance(&q, &r[0].point);
    const float to_end = point_distance(&q, &r[n].point);
    JoinCandidate found;
    found.item = item;
    if (to_end <= to_start) {
      found.distance = to_end;
      found.point = &r[n];
      found.end = JOIN_SELECT_END;
    } else {
      found.distance = to_start;
      found.point = &r[0];
      found.end = JOIN_SELECT_START;
    }
    if (!(found.distance < max_distance)) continue;
    int at = 0;
    while (at < count && table[at].distance < found.distance) ++at;
    if (at >= JOIN_CANDIDATES_MAX) continue;
    const int keep = std::min(count, JOIN_CANDIDATES_MAX - 1);
    for (int k = keep; k > at; --k) table[k] = table[k - 1];
    table[at] = found;
    count = std::min(count + 1, JOIN_CANDIDATES_MAX);
  }
  return count;
}

int join_polylines(DrawingItem* candidate, int flags, int action, int working_selector,
                   int candidate_selector) {
  DrawingItem* working = g_lists.current.last;
  if (working == nullptr || candidate == nullptr || candidate == working) return 0;
  if (item_block(working) == nullptr || item_block(candidate) == nullptr) return 0;
  if (symmetric(candidate)) return 0;
  int pairing = (flags & JOIN_PAIRING_GIVEN) != 0 ? (flags & 0x0F) : touching_ends(working, candidate);
  if (pairing < TOUCH_NONE || pairing > TOUCH_START_END) pairing = TOUCH_NONE;
  if (pairing == TOUCH_NONE) {
    if (action == JOIN_IF_TOUCHING) return 0;
    pairing = pairing_of_selectors(working_selector, candidate_selector);
  }
  const bool working_start = pairing == TOUCH_START_START || pairing == TOUCH_START_END;
  const bool candidate_end = pairing == TOUCH_END_END || pairing == TOUCH_START_END;
  std::vector<LinkRecord> c;
  if (!candidate_records(candidate, candidate_end, &c)) return 0;
  if (working_start && reverse_polyline(working) != 0) return 0;
  const int32_t n = item_link_count(working);
  const int32_t m = item_link_count(candidate);
  const PointF joint = item_nodes(working)[n].point;
  const bool bridge = action != JOIN_IF_TOUCHING && point_distance(&joint, &c[0].point) >
                                                        g_preferences.gap_tolerance;
  // The copy is the only step that may fail: nothing of either item has changed before it.
  if (copy_item_with_extra_links(working, m + (bridge ? 1 : 0)) != 0) {
    if (working_start) reverse_polyline(working);
    return 0;
  }
  DrawingItem* joined = g_lists.current.last;
  LinkRecord* to = item_nodes(joined);
  c[0].node_flags = NODE_LOOSE;
  int32_t at = n;
  if (bridge) {
    LinkRecord& b = to[n];
    b.code = action == JOIN_AS_IS ? LINK_GAP : LINK_FLEXIBLE_LINE;
    b.sweep = 0.0f;
    b.start_angle = 0.0f;
    b.link_flags = 0;
    b.node_flags = NODE_LOOSE;
    at = n + 1;
  } else {
    smooth_arc_joint(to[n - 1], &c[0], joint);
    c[0].point = joint;
    action = JOIN_IF_TOUCHING;
  }
  for (int32_t i = 0; i < m; ++i) to[at + i] = c[static_cast<size_t>(i)];
  LinkRecord& closing = to[at + m];
  closing.point = c[static_cast<size_t>(m)].point;
  closing.z = c[static_cast<size_t>(m)].z;
  closing.node_number = c[static_cast<size_t>(m)].node_number;
  closing.link_flags = c[static_cast<size_t>(m)].link_flags;
  closing.node_flags = NODE_CLOSING;
  if (action == JOIN_IF_TOUCHING) {
    // An arc made one with the arc before it keeps that circle exactly.
    const int32_t from = to[at].node_flags == NODE_TANGENT ? 1 : 0;
    for (int32_t i = from; i < m; ++i)
      if (code_is_arc(to[at + i].code)) rederive_arc(&to[at + i]);
  }
  item_bounding_boxes(joined);
  if (working_start) {
    reverse_polyline(joined);
    reverse_polyline(working);
  }
  geometry_host_release_joined_piece(working);
  if ((flags & JOIN_DELETE_CANDIDATE) != 0) delete_line(candidate);
  else geometry_host_release_joined_piece(candidate);
  if (action == JOIN_AS_IS && bridge) return 1;
  return close_if_touching(joined) != 0 ? 1 | JOIN_CLOSED_BIT : 1;
}

namespace {

// The end points of the batch join's candidates in square cells at least as wide as the touch
// gap, so that each join looks only at the items whose ends lie beside the working item's, not
// at the whole list: a drawing of n pieces then joins in about n steps instead of n squared.
// Items leave it when they are joined; the list order decides among candidates as before.
class JoinEndIndex {
 public:
  // False when the cells cannot be numbered (coordinates too far out for the gap): the caller
  // then scans the list.
  bool build(float gap) {
    cell_ = std::max(static_cast<double>(gap), 1e-6) * 1.0001;
    int64_t order = 0;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (!add(item, order++)) return false;
    }
    return true;
  }
  void remove(const DrawingItem* item) { order_.erase(item); }
  // The indexed items with an end beside either end of the item, in list order.
  std::vector<DrawingItem*> near(const DrawingItem* item) const {
    std::vector<std::pair<int64_t, DrawingItem*>> found;
    for (const PointF* p : {&start_point(item), &end_point(item)}) {
      int64_t cx = 0, cy = 0;
      if (!cell_of(*p, &cx, &cy)) continue;
      for (int64_t dx = -1; dx <= 1; ++dx) {
        for (int64_t dy = -1; dy <= 1; ++dy) {
          const auto cell = cells_.find(key(cx + dx, cy + dy));
          if (cell == cells_.end()) continue;
          for (DrawingItem* c : cell->second) {
            const auto o = order_.find(c);
            if (o != order_.end() && c != item) found.emplace_back(o->second, c);
          }
        }
      }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::vector<DrawingItem*> out;
    out.reserve(found.size());
    for (const auto& f : found) out.push_back(f.second);
    return out;
  }

 private:
  static constexpr double LARGEST_CELL = 1e15;  // cell numbers stay exact in doubles
  static uint64_t key(int64_t x, int64_t y) {
    return (static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull) ^ static_cast<uint64_t>(y);
  }
  bool cell_of(const PointF& p, int64_t* x, int64_t* y) const {
    const double fx = std::floor(p.x / cell_), fy = std::floor(p.y / cell_);
    if (!(std::fabs(fx) < LARGEST_CELL && std::fabs(fy) < LARGEST_CELL)) return false;
    *x = static_cast<int64_t>(fx);
    *y = static_cast<int64_t>(fy);
    return true;
  }
  bool add(DrawingItem* item, int64_t order) {
    order_[item] = order;
    if (item_block(item) == nullptr) return true;
    for (const PointF* p : {&start_point(item), &end_point(item)}) {
      int64_t cx = 0, cy = 0;
      if (!cell_of(*p, &cx, &cy)) return false;
      std::vector<DrawingItem*>& cell = cells_[key(cx, cy)];
      if (cell.empty() || cell.back() != item) cell.push_back(item);
    }
    return true;
  }
  double cell_ = 1.0;
  std::unordered_map<uint64_t, std::vector<DrawingItem*>> cells_;  // may name removed items
  std::unordered_map<const DrawingItem*, int64_t> order_;          // the items still indexed
};

// join_touching_items over the index's candidates, or over the whole list without one.
int join_touching(int flags, JoinEndIndex* index) {
  int joins = 0;
  int closed = 0;
  bool joined_one = true;
  bool refused = false;
  while (joined_one && !refused) {
    joined_one = false;
    DrawingItem* working = g_lists.current.last;
    if (working == nullptr) return 0;
    std::vector<DrawingItem*> candidates;
    if (index != nullptr) {
      candidates = index->near(working);
    } else {
      for (DrawingItem* c = g_lists.current.first; c != nullptr && c != working; c = c->next)
        candidates.push_back(c);
    }
    for (DrawingItem* c : candidates) {
      if (!joinable(c)) continue;
      if ((flags & JOIN_SAME_LAYER) != 0 && item_layer(c) != item_layer(working)) continue;
      const int pairing = touching_ends(working, c);
      if (!accepted(pairing, flags)) continue;
      // A refused join ends the whole run.
      const int result = join_polylines(c, pairing | JOIN_PAIRING_GIVEN, JOIN_IF_TOUCHING, 0, 0);
      refused = result == 0;
      if (refused) break;
      if (index != nullptr) index->remove(c);
      closed |= result & JOIN_CLOSED_BIT;
      ++joins;
      joined_one = true;
      break;
    }
  }
  DrawingItem* working = g_lists.current.last;
  if (close_if_touching(working) != 0) closed = JOIN_CLOSED_BIT;
  refit_item_arcs(working);
  return joins | closed;
}

}  // namespace

int join_touching_items(int flags) { return join_touching(flags, nullptr); }

int batch_join(int flags, int first_layer, int last_layer) {
  if (g_lists.current.first == nullptr) return -1;
  if (g_lists.current.first == g_lists.current.last)
    return close_if_touching(g_lists.current.first) != 0 ? JOIN_CLOSED_BIT : 0;
  LineList aside;
  move_aside(&aside, [&](const TextLine* item) {
    return joinable(item) && item_layer(item) >= first_layer && item_layer(item) <= last_layer;
  });
  geometry_host_join_progress(JOIN_PROGRESS_OPEN, 0, 0);
  JoinEndIndex index;
  JoinEndIndex* const indexed = index.build(g_preferences.gap_tolerance) ? &index : nullptr;
  LineList finished;
  int joins = 0;
  int closures = 0;
  bool stopped = false;
  while (!stopped && g_lists.current.first != nullptr &&
         g_lists.current.first != g_lists.current.last) {
    if (indexed != nullptr) indexed->remove(g_lists.current.last);
    const int result = join_touching(flags, indexed);
    DrawingItem* done = g_lists.current.last;
    unlink_current(done);
    append_to(&finished, done);
    if ((result & JOIN_CLOSED_BIT) != 0) ++closures;
    const int made = result & ~JOIN_CLOSED_BIT;
    joins += made;
    if (made > 0 && geometry_host_join_progress(JOIN_PROGRESS_STEP, closures, joins) != 0)
      stopped = true;
  }
  if (!stopped && g_lists.current.first != nullptr &&
      close_if_touching(g_lists.current.first) != 0)
    ++closures;
  geometry_host_join_progress(JOIN_PROGRESS_CLOSE, closures, joins);
  take_back(&finished);
  take_back(&aside);
  return joins;
}

int auto_join_item(DrawingItem* item) {
  if (item == nullptr || !is_polyline(item)) return 0;
  const float tolerance = g_job_settings.units == JOB_UNITS_INCH ? AUTO_JOIN_GAP_INCH
                                                                  : AUTO_JOIN_GAP_MILLIMETRE;
  unlink_current(item);
  LineList side;
  move_aside(&side, [](const TextLine* line) { return selected_polyline(line); });
  LineList chain;
  const PointF start = start_point(item);
  PointF q = end_point(item);
  const uint8_t marks = item_flags(item) & (ITEM_FLAG_MARKED | ITEM_FLAG_WORKING);
  int result = 0;
  bool closed = false;
  JoinCandidate table[JOIN_CANDIDATES_MAX];
  while (g_lists.current.first != nullptr) {
    const int count = find_nearest_ends(q, tolerance, table);
    if (count == 0) break;
    const JoinCandidate* taken = nullptr;
    if (count == 1 || table[0].distance > EXACT_END) {
      taken = &table[0];
    } else {
      std::vector<const JoinCandidate*> own;
      for (int k = 0; k < count; ++k)
        if (item_layer(table[k].item) == item_layer(item)) own.push_back(&table[k]);
      if (own.size() == 1) {
        taken = own[0];
      } else if (own.size() >= 2 && marks != 0) {
        std::vector<const JoinCandidate*> sharing;
        for (const JoinCandidate* c : own)
          if ((item_flags(c->item) & marks) != 0) sharing.push_back(c);
        if (sharing.size() == 1) taken = sharing[0];
        else if (sharing.empty()) taken = own[0];
      }
      if (taken == nullptr) {
        result = -count;
        break;
      }
    }
    DrawingItem* next = taken->item;
    q = taken->end == JOIN_SELECT_END ? start_point(next) : end_point(next);
    unlink_current(next);
    append_to(&chain, next);
    if (point_distance(&q, &start) < tolerance) {
      closed = true;
      break;
    }
  }
  append_to(&chain, item);
  if (closed) {
    // The chain is joined on its own, with the loop's gap as the touching gap for the call.
    const LineList outer = g_lists.current;
    g_lists.current = chain;
    const float gap = g_preferences.gap_tolerance;
    g_preferences.gap_tolerance = std::max(gap, tolerance);
    result = join_touching_items(JOIN_EITHER_END);
    g_preferences.gap_tolerance = gap;
    chain = g_lists.current;
    g_lists.current = outer;
  }
  take_back(&side);
  take_back(&chain);
  return result;
}

void explode_and_rejoin_active() {
  DrawingItem* item = g_lists.current.last;
  while (item != nullptr) {
    DrawingItem* previous = item->prev;
    if ((item_flags(item) & ITEM_FLAG_SELECTED) != 0 && item_block(item) != nullptr &&
        separate_links(item) > 0)
      delete_line(item);
    item = previous;
  }
  for (DrawingItem* r = g_lists.current.first; r != nullptr; r = r->next)
    if ((item_flags(r) & ITEM_FLAG_SELECTED) != 0 && item_block(r) != nullptr)
      item_bounding_boxes(r);
  batch_join(JOIN_EITHER_END | JOIN_SAME_LAYER, 0, 255);
}
