// Building the output items from the chained pieces: one polyline per chain (and one per
// whole circle), short links and wrapped arcs taken out, closing, dropping tiny results,
// joining open results, and turning marked corner arcs into sharp corners.
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "geometry/contour_offset_internal.h"
#include "geometry/geometry2d.h"
#include "store/line_list.h"

namespace {

// A chain's arc whose recomputed sweep exceeds this has wrapped round its circle, unless it
// was that large when it was made.
constexpr float WRAPPED_ARC_SWEEP = 6.083185f;     // 2 pi - 0.2
constexpr float WHOLE_ARC_MADE_SWEEP = 5.783185f;  // 2 pi - 0.5

OffsetEntry& entry(int32_t i) {
  return g_offset_run.table[static_cast<size_t>(i)];
}
bool excluded(const OffsetEntry& e) {
  return e.prev < 0 || e.next < 0;
}
bool is_link(int32_t v) {
  return v > 0 && v <= g_offset_run.entry_count;
}

// Takes record i out of the item: the records after it move down, the first-node flag stays.
void remove_record(DrawingItem* item, int32_t i) {
  LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  const uint8_t first_flags = r[0].node_flags;
  std::memmove(static_cast<void*>(&r[i]), &r[i + 1],
               static_cast<size_t>(n - i) * sizeof(LinkRecord));
  item_block(item)->link_count = n - 1;
  if (i == 0) r[0].node_flags = first_flags;
  if (i > 0 && code_is_arc(r[i - 1].code)) arc_angles_from_points(&r[i - 1]);
}

// The closing point of a closed chain meets its first point.
void close_item(DrawingItem* item) {
  LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  if (code_is_arc(r[0].code)) {
    r[n].point = r[0].point;
    if (code_is_arc(r[n - 1].code)) arc_angles_from_points(&r[n - 1]);
  } else {
    r[0].point = r[n].point;
  }
  r[0].node_flags = NODE_FIRST | NODE_LOOSE;
}

void close_if_ends_meet(DrawingItem* item) {
  const OffsetRun& run = g_offset_run;
  LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  // A single link closes only as an arc.
  if (!run.closed || (n < 2 && !code_is_arc(r[0].code))) return;
  if (point_distance(&r[0].point, &r[n].point) < 8.0f * run.tol) close_item(item);
}

// Takes out links shorter than tol and arcs that wrapped; false when the item must go.
bool clean_chain_item(DrawingItem* item, std::vector<float>* made_sweeps) {
  const float tol = g_offset_run.tol;
  int32_t i = 0;
  while (i < item_link_count(item)) {
    LinkRecord* r = item_nodes(item) + i;
    bool remove = link_length(r) < tol;
    if (!remove && code_is_arc(r->code)) {
      arc_angles_from_points(r);
      const bool wrapped = r->sweep > WRAPPED_ARC_SWEEP &&
                           (*made_sweeps)[static_cast<size_t>(i)] < WHOLE_ARC_MADE_SWEEP;
      if (wrapped && item_link_count(item) <= 2) return false;
      remove = wrapped;
    }
    if (!remove) {
      ++i;
      continue;
    }
    if (item_link_count(item) <= 1) return false;
    remove_record(item, i);
    made_sweeps->erase(made_sweeps->begin() + i);
  }
  return true;
}

// One output item of the chain's pieces, in order; false when memory runs out.
bool make_chain_item(const std::vector<int32_t>& chain) {
  const OffsetRun& run = g_offset_run;
  const size_t m = chain.size();
  std::vector<LinkRecord> records(m + 1);
  std::vector<float> made_sweeps(m);
  for (size_t i = 0; i < m; ++i) {
    const OffsetPiece& piece = piece_at(entry(chain[i]).piece);
    records[i] = piece.link[0];
    records[i].node_flags = NODE_LOOSE;
    records[i].link_flags &= static_cast<uint8_t>(~LINK_CORNER_MARK);
    if (run.sharp && (piece.flags & OFFSET_PIECE_CORNER) != 0)
      records[i].link_flags |= LINK_CORNER_MARK;
    made_sweeps[i] = piece.made_sweep;
    if (i + 1 == m) records[m] = piece.link[1];
  }
  records[0].node_flags = NODE_FIRST;
  records[m].node_flags = NODE_CLOSING;
  if (new_geometry_block("", records.data(), static_cast<int32_t>(m), 0,
                         GEOMETRY_KIND_DRAWING_AID) != 0)
    return false;
  DrawingItem* item = g_lists.current.last;
  if (!clean_chain_item(item, &made_sweeps)) {
    delete_line(item);
    return true;
  }
  close_if_ends_meet(item);
  return true;
}

// A whole circle left by the offset becomes a closed item of its own.
bool make_circle_item(const OffsetPiece& piece) {
  LinkRecord records[2] = {piece.link[0], piece.link[1]};
  records[0].node_flags = NODE_FIRST | NODE_LOOSE;
  records[0].link_flags &= static_cast<uint8_t>(~LINK_CORNER_MARK);
  records[1].node_flags = NODE_CLOSING;
  if (records[0].sweep >= 0.0f) {
    records[1].point = records[0].point;
    arc_angles_from_points(records);
  }
  return new_geometry_block("", records, 1, 0, GEOMETRY_KIND_DRAWING_AID) == 0;
}

// The chain from entry i on: i, then each next piece that is not used yet and has a next
// piece itself.
std::vector<int32_t> gather_chain(int32_t i, std::vector<bool>* used) {
  std::vector<int32_t> chain = {i};
  (*used)[static_cast<size_t>(i)] = true;
  for (int32_t k = entry(i).next; is_link(k) && !(*used)[static_cast<size_t>(k)];
       k = entry(k).next) {
    const OffsetEntry& e = entry(k);
    if (excluded(e) || e.next == 0 || e.prev == 0) break;
    chain.push_back(k);
    (*used)[static_cast<size_t>(k)] = true;
  }
  return chain;
}

// ---- joining open results ----

bool join_items(DrawingItem* a, DrawingItem* b) {
  const int32_t na = item_link_count(a);
  const int32_t nb = item_link_count(b);
  std::vector<LinkRecord> records(static_cast<size_t>(na + nb) + 1);
  std::memcpy(static_cast<void*>(records.data()), item_nodes(a),
              static_cast<size_t>(na) * sizeof(LinkRecord));
  std::memcpy(static_cast<void*>(records.data() + na), item_nodes(b),
              static_cast<size_t>(nb + 1) * sizeof(LinkRecord));
  records[static_cast<size_t>(na)].node_flags = NODE_LOOSE;
  // The link arriving at the junction now ends at the second item's first point.
  if (code_is_arc(records[static_cast<size_t>(na - 1)].code))
    arc_angles_from_points(&records[static_cast<size_t>(na - 1)]);
  if (new_geometry_block("", records.data(), na + nb, 0, GEOMETRY_KIND_DRAWING_AID) != 0)
    return false;
  delete_line(a);
  delete_line(b);
  close_if_ends_meet(g_lists.current.last);
  return true;
}

// Joins one pair of open results whose ends meet; 1 joined, 0 none, -1 out of memory.
int join_one_pair() {
  const float tol = g_offset_run.tol;
  for (TextLine* a = g_lists.current.first; a != nullptr; a = a->next) {
    if (item_is_closed(a)) continue;
    for (TextLine* b = a->next; b != nullptr; b = b->next) {
      if (item_is_closed(b)) continue;
      const PointF& a_first = item_nodes(a)[0].point;
      const PointF& b_first = item_nodes(b)[0].point;
      if (point_distance(&item_closing_record(a)->point, &b_first) < 8.0f * tol)
        return join_items(a, b) ? 1 : -1;
      if (point_distance(&item_closing_record(b)->point, &a_first) < 4.0f * tol)
        return join_items(b, a) ? 1 : -1;
    }
  }
  return 0;
}

// ---- sharp corners ----

// Replaces the marked corner link at i by the meeting point of its neighbours.
void sharpen_corner(DrawingItem* item, int32_t i) {
  LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  const bool closed = item_is_closed(item);
  if (n < 3 || (!closed && (i == 0 || i == n - 1))) return;
  const int32_t prev = i > 0 ? i - 1 : n - 1;
  const int32_t next = i + 1 < n ? i + 1 : 0;
  if ((r[prev].link_flags & LINK_CORNER_MARK) != 0 || (r[next].link_flags & LINK_CORNER_MARK) != 0)
    return;
  const int found = intersect_links(&r[prev], &r[next]);
  if (found <= 0) return;
  PointF x = g_geometry2d.intersection.first;
  if (found == 2) {
    PointF middle;
    midpoint(&r[i].point, &r[i + 1].point, &middle);
    const PointF second = g_geometry2d.intersection.second;
    if (point_distance(&second, &middle) < point_distance(&x, &middle)) x = second;
  }
  r[i].point = x;
  r[i + 1].point = x;
  if (i == 0) r[n].point = x;
  if (i + 1 == n) r[0].point = x;
  for (int32_t k : {prev, next}) {
    if (code_is_arc(r[k].code)) arc_angles_from_points(&r[k]);
    link_bounding_box(&r[k]);
  }
  r[i].code = LINK_GAP;
  r[i].sweep = 0.0f;
  r[i].start_angle = 0.0f;
  r[i].link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
}

void make_sharp_corners(DrawingItem* item) {
  for (int32_t i = 0; i < item_link_count(item); ++i) {
    if ((item_nodes(item)[i].link_flags & LINK_CORNER_MARK) != 0) sharpen_corner(item, i);
  }
  for (int32_t i = 0; i <= item_link_count(item); ++i)
    item_nodes(item)[i].link_flags &= static_cast<uint8_t>(~LINK_CORNER_MARK);
  // Only the gaps the corners left go; an empty gap of the source keeps its length.
  int32_t i = 0;
  while (i < item_link_count(item) && item_link_count(item) > 1) {
    const LinkRecord* r = item_nodes(item) + i;
    if (r->code == LINK_GAP && r[0].point.x == r[1].point.x && r[0].point.y == r[1].point.y)
      remove_record(item, i);
    else
      ++i;
  }
}

}  // namespace

int assemble_chains() {
  const OffsetRun& run = g_offset_run;
  std::vector<bool> used(static_cast<size_t>(run.entry_count) + 1, false);
  for (int32_t p = run.first; p >= 0; p = piece_at(p).next) {
    const int32_t i = piece_at(p).entry;
    if (i <= 0 || used[static_cast<size_t>(i)]) continue;
    const OffsetEntry& e = entry(i);
    bool made = true;
    if (excluded(e) || e.prev == 0 || e.next == 0) {
      used[static_cast<size_t>(i)] = true;
    } else if (e.full_circle) {
      used[static_cast<size_t>(i)] = true;
      made = make_circle_item(piece_at(p));
    } else {
      made = make_chain_item(gather_chain(i, &used));
    }
    if (!made) return OFFSET_ITEM_FAILED;
  }
  for (TextLine* item = g_lists.current.first; item != nullptr;) {
    item = item_length(item) < 100.0f * run.tol ? delete_line(item) : item->next;
  }
  for (int joined = join_one_pair(); joined != 0; joined = join_one_pair()) {
    if (joined < 0) return OFFSET_ITEM_FAILED;
  }
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (run.sharp) make_sharp_corners(item);
    item_bounding_boxes(item);
  }
  return 0;
}
