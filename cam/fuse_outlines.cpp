// Fusing two closed items through the boolean engine.
#include "cam/fuse_outlines.h"

#include <cmath>
#include <vector>

#include "cam/item_walkers.h"
#include "cam/outline_collect.h"
#include "geometry/contour_boolean.h"
#include "geometry/item_edit_state.h"
#include "nc/path_code.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "store/line_list.h"

FuseState g_fuse;

void reset_fuse_state() { g_fuse = FuseState{}; }

namespace {

constexpr double TWO_PI = 6.28318530717958647692;

// Counter-clockwise angle of the point about the centre, 0..2pi.
double angle_about(const ContourNode& centre, const ContourNode& p) {
  const double a = std::atan2(p.y - centre.y, p.x - centre.x);
  return a < 0.0 ? a + TWO_PI : a;
}

// The sweep of a contour arc worked out in double precision: the float points of the item
// cannot tell a hair of an arc from a whole turn.
double contour_arc_sweep(const ContourLink& l, const ContourNode* nodes) {
  const ContourNode& c = nodes[l.centre_node];
  const double a = angle_about(c, nodes[l.start_node]);
  const double b = angle_about(c, nodes[l.end_node]);
  double sweep = l.direction == CONTOUR_CLOCKWISE ? a - b : b - a;
  if (sweep < 0.0) sweep += TWO_PI;
  if (l.start_node == l.end_node || sweep == 0.0) sweep = TWO_PI;  // a whole circle
  return sweep;
}

PointF to_point(const ContourNode& n) { return {static_cast<float>(n.x), static_cast<float>(n.y)}; }

// The record of one contour link leaving its start node. An arc keeps its sweep from the
// double-precision contour; one too short to be drawn as an arc becomes a rigid line, while an
// arc of nearly a whole turn stays an arc (a line there would cut the loop across).
LinkRecord link_record(const ContourLink& l, const ContourNode* nodes, const PointF& next) {
  LinkRecord r{};
  r.point = to_point(nodes[l.start_node]);
  if (l.kind == SEGMENT_LINE) {
    r.code = LINK_FLEXIBLE_LINE;
    return r;
  }
  const double sweep = contour_arc_sweep(l, nodes);
  if (sweep < FUSE_MIN_ARC_SWEEP) {
    r.code = LINK_RIGID_LINE;
    return r;
  }
  r.code = static_cast<float>(l.radius);
  r.centre = to_point(nodes[l.centre_node]);
  r.link_flags = l.direction == CONTOUR_CLOCKWISE ? LINK_CLOCKWISE : 0;
  LinkRecord pair[2] = {r, {}};
  pair[1].point = next;
  arc_angles_from_points(pair);
  r.start_angle = pair[0].start_angle;
  r.sweep = static_cast<float>(sweep);
  return r;
}

// The contours the collection holds for each owner.
struct LoopSets {
  std::vector<int32_t> firsts[2];
  std::vector<int32_t> lasts[2];
};

LoopSets collected_loop_sets() {
  const OutlineCollectState& c = g_outline_collect;
  LoopSets sets;
  for (int32_t k = 0; k < c.contour_count; ++k) {
    const int32_t owner = c.contour_owner[static_cast<size_t>(k)];
    if (owner != 0 && owner != 1) continue;
    sets.firsts[owner].push_back(c.contour_start[static_cast<size_t>(k)]);
    sets.lasts[owner].push_back(c.contour_end[static_cast<size_t>(k)]);
  }
  return sets;
}

// Deletes the items after `last` (the fuse's results so far).
void delete_items_after(DrawingItem* last) {
  while (g_lists.current.last != nullptr && g_lists.current.last != last)
    delete_line(g_lists.current.last);
}

}  // namespace

int32_t collect_item_outline(DrawingItem* item, int32_t owner) {
  OutlineCollectState& c = g_outline_collect;
  const int32_t before = c.contour_count;
  // An island's block asks for no tool, so every closed outline is kept whatever the item's
  // own machining says.
  CamParams params;
  params.operation = CAM_OP_ISLAND;
  c.params = params;
  g_encoder_inputs.current_cam_params = params;
  c.owner = owner;
  c.text_char_counter = 0;
  curve_to_moves(item, collect_pocket_outline);
  close_open_contour();
  c.owner = -1;
  return c.contour_count - before;
}

int build_item_from_segments(const ContourLink* links, const ContourNode* nodes, int32_t first,
                             int32_t last) {
  const int32_t n = last - first + 1;
  if (n <= 0) return 0;
  // A loop of one arc is a whole circle: two half circles keep it a polyline of arcs.
  const bool one_circle = n == 1 && links[first].kind != SEGMENT_LINE;
  std::vector<LinkRecord> records;
  records.reserve(static_cast<size_t>(n) + 2);
  if (one_circle) {
    const ContourLink& l = links[first];
    const ContourNode& c = nodes[l.centre_node];
    const ContourNode& s = nodes[l.start_node];
    const ContourNode opposite{2.0 * c.x - s.x, 2.0 * c.y - s.y};
    const ContourNode half_nodes[3] = {s, c, opposite};
    ContourLink half = l;
    half.start_node = 0;
    half.centre_node = 1;
    half.end_node = 2;
    records.push_back(link_record(half, half_nodes, to_point(opposite)));
    half.start_node = 2;
    half.end_node = 0;
    records.push_back(link_record(half, half_nodes, to_point(s)));
    records[0].sweep = records[1].sweep = static_cast<float>(CONTOUR_PI);
  } else {
    for (int32_t k = first; k <= last; ++k) {
      const int32_t next_link = k == last ? first : k + 1;
      records.push_back(
          link_record(links[k], nodes, to_point(nodes[links[next_link].start_node])));
    }
  }
  LinkRecord closing{};
  closing.point = records[0].point;
  records.push_back(closing);
  ItemEditState& session = g_item_edit;
  for (LinkRecord& r : records) {
    r.node_flags = 4;
    r.node_number = ++session.node_counter;
  }
  records.front().node_flags = 5;  // the first node of a closed item
  records.back().node_flags = NODE_CLOSING;
  for (size_t k = 0; k + 1 < records.size(); ++k) link_bounding_box(&records[k]);
  const int32_t count = static_cast<int32_t>(records.size()) - 1;
  if (new_geometry_block("", records.data(), count, g_fuse.layer, g_fuse.cam_kind) != 0) {
    session.node_counter = static_cast<int16_t>(session.node_counter - count - 1);
    return -1;
  }
  set_item_type(g_lists.current.last, ITEM_POLYLINE);
  return 1;
}

int32_t fuse_loop_sets() {
  const OutlineCollectState& c = g_outline_collect;
  const LoopSets sets = collected_loop_sets();
  if (sets.firsts[0].size() != 1 || sets.firsts[1].size() != 1) return FUSE_NOT_ONE_LOOP;
  DrawingItem* const before = g_lists.current.last;
  ContourNetwork out;
  int32_t made = 0;
  for (int32_t mode = BOOLEAN_INTERSECTION; mode >= BOOLEAN_UNION; --mode) {
    const int32_t loops =
        combine_contours(c.links.data(), c.nodes.data(), sets.firsts[0][0], sets.lasts[0][0],
                         sets.firsts[1][0], sets.lasts[1][0], &out, mode, 1);
    const bool failed = (g_contour_kernel.EngineStatus & ENGINE_STATUS_BOOLEAN_FAILED) != 0;
    if (loops < 0 || failed) {
      // A later mode's failure takes back what the earlier modes made: never a part of the
      // results shown as if it were all of them.
      delete_items_after(before);
      return failed ? 0 : loops;
    }
    for (int32_t loop = 0; loop < loops; ++loop) {
      const int built = build_item_from_segments(out.links.data(), out.nodes.data(),
                                                 out.firsts[static_cast<size_t>(loop)],
                                                 out.lasts[static_cast<size_t>(loop)]);
      if (built == 0) continue;
      if (built < 0) {
        // A loop that could not be made would leave the others looking like the whole result.
        delete_items_after(before);
        return FUSE_NO_MEMORY;
      }
      set_item_group_tag(g_lists.current.last, static_cast<int16_t>(FUSE_TAG_BASE + mode));
      ++made;
    }
  }
  return made;
}

int32_t fuse_items(DrawingItem* first, DrawingItem* second) {
  OutlineCollectState& c = g_outline_collect;
  const uint8_t saved_mode = c.mode;
  const uint8_t saved_phase = c.phase;
  const float saved_tolerance = g_encoder_inputs.tolerance;
  const CamParams saved_params = g_encoder_inputs.current_cam_params;
  // Curves are walked in chords within the job's tolerance; none set would never end a curve.
  if (!(g_encoder_inputs.tolerance > 0.0f))
    g_encoder_inputs.tolerance = g_job_settings.tolerance > 0.0f ? g_job_settings.tolerance : 0.002f;
  pocket_alloc();
  c.mode = COLLECT_ONLY;  // the engine of the tool paths never runs on a fuse's outlines
  c.phase = COLLECT_POCKET_PHASE;
  collect_item_outline(first, 0);
  collect_item_outline(second, 1);
  const int32_t result = fuse_loop_sets();
  pocket_free();
  c.mode = saved_mode;
  c.phase = saved_phase;
  c.params = CamParams{};
  g_encoder_inputs.tolerance = saved_tolerance;
  g_encoder_inputs.current_cam_params = saved_params;
  return result;
}
