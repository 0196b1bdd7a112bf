#include "cam/item_walkers.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "nc/cam_host.h"
#include "cam/outline_collect.h"
#include "geometry/bezier.h"
#include "geometry/ellipse_moves.h"
#include "geometry/point_arrays.h"
#include "geometry/spline.h"
#include "geometry/spline_run.h"
#include "nc/path_code.h"
#include "nc/post_processor.h"
#include "nc/work_surface.h"
#include "records/job_settings.h"

ItemWalkerState g_walker;

namespace {

// An arc this flat and this large is cut as the straight line it nearly is.
constexpr float FLAT_ARC_SWEEP = 0.001f;
constexpr float FLAT_ARC_RADIUS = 90000.0f;
// An arc sweeping more than this with coinciding ends is a whole circle.
constexpr float WHOLE_CIRCLE_SWEEP = 6.2830853071795865f;
// A pen above a 3-D line's start by more than this plunges there before the line.
constexpr float PLUNGE_SLACK = 0.000001f;
constexpr float NO_HEIGHT = -1.0e30f;

void send(PenMoveSink sink, PenMoveCode code) {
  g_pen_move.code = code;
  sink();
}

bool is_collector(PenMoveSink sink) { return sink == &collect_pocket_outline; }

// Moves are aimed at the node itself rather than stepped from node to node, so that rounding
// of the single-precision pen never piles up along a long run of links.
void aim_at(const PointF& target) {
  g_pen_move.dx = target.x - g_pen_move.x;
  g_pen_move.dy = target.y - g_pen_move.y;
}

bool link_has_length(const LinkRecord* l) {
  return l[1].point.x != l->point.x || l[1].point.y != l->point.y;
}

bool far_from_pen(float dx, float dy) {
  return std::fabs(dx) >= WALK_SAME_PLACE || std::fabs(dy) >= WALK_SAME_PLACE;
}

// The lift between items: up to the higher of this item's and the last item's rapid Z (plus
// the job's Z shift), resume, the positioning rapid by DX, DY, then the item's own heights
// and, when the lift went higher than they ask, the descent to them.
void lift_to_item(PenMoveSink sink, PenMoveCode rapid_code) {
  PenMove& m = g_pen_move;
  ItemWalkerState& w = g_walker;
  bool raised = false;
  if (w.prev_rapid_z > m.rapid_z) {
    m.rapid_z = w.prev_rapid_z;
    raised = true;
  }
  if (g_job_settings.z_shift != 0.0f) {
    m.rapid_z += g_job_settings.z_shift;
    w.prev_rapid_z += g_job_settings.z_shift;
    raised = true;
  }
  const float dx = m.dx;
  const float dy = m.dy;
  send(sink, PEN_RETRACT);
  if (w.walk_state != WALK_SECOND_PASS) send(sink, PEN_RESUME);
  m.dx = dx;
  m.dy = dy;
  send(sink, rapid_code);
  set_item_depths();
  if (raised) send(sink, PEN_DESCEND);
}

// Puts the pen on the item's start: PEN_START at the start of a run, PEN_RESUME after a tool
// change, else the lift when the start lies elsewhere. DX, DY hold start - pen.
void reach_item_start(PenMoveSink sink, const PointF& start, PenMoveCode rapid_code) {
  PenMove& m = g_pen_move;
  ItemWalkerState& w = g_walker;
  if (w.walk_state == WALK_NOTHING_YET) {
    m.x = start.x;
    m.y = start.y;
    send(sink, PEN_START);
  } else if (g_encoder_inputs.tool_change_pending) {
    // The old tool leaves the work before the change: after it the new tool rapids to the
    // item's start at the height it stands, and no move in X or Y may run below the rapid
    // height.
    if (m.z < std::max(w.prev_rapid_z, m.rapid_z)) {
      const float dx = m.dx, dy = m.dy;
      m.rapid_z = std::max(w.prev_rapid_z, m.rapid_z);
      send(sink, PEN_RETRACT);
      m.dx = dx;
      m.dy = dy;
    }
    m.x = start.x;
    m.y = start.y;
    if (w.walk_state != WALK_SECOND_PASS) send(sink, PEN_RESUME);
  } else if (far_from_pen(m.dx, m.dy)) {
    lift_to_item(sink, rapid_code);
  } else {
    m.x = start.x;
    m.y = start.y;
  }
  m.dx = 0.0f;
  m.dy = 0.0f;
}

void store_item_heights(PenMoveSink sink) {
  ItemWalkerState& w = g_walker;
  const PenMove& m = g_pen_move;
  if (!is_collector(sink)) w.walk_state = WALK_ITEM_DONE;
  w.prev_rapid_z = std::max(w.highest_node_z + g_encoder_inputs.item_surface_z, m.rapid_z);
  w.prev_cut_z = m.cut_z;
}

bool item_is_3d(const LinkRecord* r) { return r[0].z != 0.0f || r[1].z != 0.0f; }

PointF item_start_point(LinkRecord* r, bool drill) {
  PointF start = r->point;
  if (drill) return start;
  if (r->code == LINK_ELLIPSE || (code_is_arc(r->code) && r->sweep == SWEEP_RADIUS_CIRCLE))
    start = r[1].point;
  return start;
}

void walk_whole_circle(LinkRecord* r, const PointF& start, PenMoveSink sink) {
  PenMove& m = g_pen_move;
  m.dx = 0.0f;
  m.dy = 0.0f;
  m.i = r->centre.x - start.x;
  m.j = r->centre.y - start.y;
  g_encoder_inputs.circle_mode = 1;
  send(sink, (r->link_flags & LINK_CLOCKWISE) != 0 ? PEN_ARC_CW : PEN_ARC_CCW);
  g_encoder_inputs.circle_mode = 0;
}

// The machined ellipse is the drawn one: semi-axis b (centre to the second node) along the
// direction of the second node, a (centre to the first node) across it, so that the cut
// starts on the second node where the walk put the pen.
void walk_ellipse(LinkRecord* r, PenMoveSink sink) {
  const PointF c = r->centre;
  const double a = point_distance(&c, &r[0].point);
  const double b = point_distance(&c, &r[1].point);
  ellipse_to_pen_moves(c.x, c.y, a, b, point_angle(&c, &r[1].point), g_encoder_inputs.tolerance,
                       g_encoder_inputs.output_min_step, sink);
}

void walk_arc_link(LinkRecord* l, PenMoveSink sink) {
  PenMove& m = g_pen_move;
  if (l->sweep < FLAT_ARC_SWEEP && l->code > FLAT_ARC_RADIUS) {
    send(sink, PEN_LINE);
    return;
  }
  m.i = l->centre.x - m.x;
  m.j = l->centre.y - m.y;
  const bool whole = l->sweep > WHOLE_CIRCLE_SWEEP && !link_has_length(l);
  if (whole) g_encoder_inputs.circle_mode = 1;
  send(sink, (l->link_flags & LINK_CLOCKWISE) != 0 ? PEN_ARC_CW : PEN_ARC_CCW);
  if (whole) g_encoder_inputs.circle_mode = 0;
}

void walk_links(LinkRecord* r, LinkRecord* closing, PenMoveSink sink) {
  PenMove& m = g_pen_move;
  for (LinkRecord* l = r; l < closing; ++l) {
    aim_at(l[1].point);
    const bool has_length = link_has_length(l);
    if (l->code == LINK_GAP || (l->link_flags & LINK_JUMP) != 0) {
      if (!has_length) continue;
      if (is_collector(sink)) {
        send(sink, PEN_LINE);
      } else {
        send(sink, PEN_RETRACT);
        send(sink, PEN_UP);
        send(sink, PEN_PLUNGE);
      }
    } else if (code_is_arc(l->code)) {
      walk_arc_link(l, sink);
    } else if (l->code == TOOL_PATH_3D_LINE_CODE || (code_is_line(l->code) && item_is_3d(l))) {
      m.dz = l[1].z - l->z;
      g_walker.highest_node_z = std::max({g_walker.highest_node_z, l->z, l[1].z});
      send(sink, PEN_LINE_3D);
    } else if (l->code == LINK_SPLINE) {
      l = walk_spline(l, sink);
    } else if (l->code == LINK_BEZIER) {
      m.code = PEN_LINE;
      l = bezier_run_segments(l, g_encoder_inputs.tolerance, sink);
    } else if (has_length) {
      send(sink, PEN_LINE);
    }
  }
}

// Sends the run's nodes as straight moves: for runs too short to bend, and when the curve
// could not be evaluated, so that the cut still reaches the run's end.
void send_run_nodes(const LinkRecord* first, const LinkRecord* end_node, bool with_z,
                    PenMoveSink sink) {
  PenMove& m = g_pen_move;
  for (const LinkRecord* n = first; n < end_node; ++n) {
    aim_at(n[1].point);
    m.dz = n[1].z - n->z;
    send(sink, with_z && m.dz != 0.0f ? PEN_LINE_3D : PEN_LINE);
  }
}


// ---- the direct phase ----

void change_tool(char opcode, const CamToolBlock& tool, bool only_when_in_use) {
  ItemWalkerState& w = g_walker;
  if (tool.tool_number == w.current_tool) return;
  const bool can_change = g_encoder_inputs.output_kind < 2;
  if (!only_when_in_use || w.current_tool != 0) g_encoder_inputs.tool_change_pending = can_change;
  w.current_tool = tool.tool_number;
  path_put_number(opcode);
}

void encode_tool_speeds(const CamToolBlock& tool) {
  encode_speed_move(tool.rpm, tool.feed, tool.feed_unit, tool.plunge_percent);
  g_encoder_inputs.tool_change_pending = 0;
}

void encode_marker_move() {
  g_pen_move.code = PEN_RESET;
  path_encode_move();
}

// The extra pass of a centerline cut, one second-pass depth deeper, at its own speeds.
void encode_second_pass(DrawingItem* item, const CamParams& params) {
  const CamToolBlock& tool = g_encoder_inputs.current_tool_block;
  const int32_t rpm = tool.second_pass_rpm > 0 ? tool.second_pass_rpm : 3000;
  const float feed = tool.second_pass_feed > 0.0f ? tool.second_pass_feed : 5.0f;
  encode_speed_move(rpm, feed, tool.feed_unit, tool.plunge_percent);
  MoveEncoderInputs& in = g_encoder_inputs;
  const uint8_t finished_line = in.finished_line_option;
  g_walker.second_pass = 1;
  in.finished_line_option = 0;
  g_walker.walk_state = WALK_SECOND_PASS;
  in.current_cam_params = params;
  if (item_is_text(item)) text_to_strokes(item, path_encode_move);
  else curve_to_moves(item, path_encode_move);
  g_walker.second_pass = 0;
  in.finished_line_option = finished_line;
}

WalkResult walk_result() { return path_failed() ? WALK_OUT_OF_MEMORY : WALK_ENCODED; }

}  // namespace

namespace walker_internal {

void send_move(PenMoveSink sink, PenMoveCode code) { send(sink, code); }
bool sink_is_collector(PenMoveSink sink) { return is_collector(sink); }
void reach_start(PenMoveSink sink, const PointF& start, PenMoveCode rapid_code) {
  reach_item_start(sink, start, rapid_code);
}
void store_heights(PenMoveSink sink) { store_item_heights(sink); }

}  // namespace walker_internal

// ---- heights ---------------------------------------------------------------------------------

void set_item_depths() {
  if (g_walker.path_output_mode != PATH_OUTPUT_NC) return;
  MoveEncoderInputs& in = g_encoder_inputs;
  const JobSettings& job = g_job_settings;
  const CamParams& params = in.current_cam_params;
  float surface = params.surface_z;
  if (job_surface_is(SURFACE_SLOPING)) surface = g_surface_constants.plane_z0;
  else if ((job.surface_flag & 0x3FC) != 0) surface = job.surface_length_3 + params.surface_z;
  in.item_surface_z = surface;
  PenMove& m = g_pen_move;
  m.rapid_z = surface + params.rapid_height;
  m.cut_z = item_cut_z();
  m.rapid_height = params.rapid_height;
}

float item_cut_z() {
  const MoveEncoderInputs& in = g_encoder_inputs;
  float depth = in.current_tool_block.cut_depth;
  if (g_walker.second_pass) depth += in.current_tool_block.second_pass_depth;
  // A text's depth code scales the depth below the surface, never the Z itself, and never
  // lifts the pen above the surface.
  return in.item_surface_z - depth * static_cast<float>(std::max(g_walker.depth_factor, 0.0));
}

// ---- walking items -------------------------------------------------------------------------------

void curve_to_moves(DrawingItem* item, PenMoveSink sink) {
  LinkRecord* first = item_nodes(item);
  if (first == nullptr) return;
  LinkRecord* closing = first + item_link_count(item);
  LinkRecord* r = own_links_start(first);
  if (r >= closing) return;
  PenMove& m = g_pen_move;
  MoveEncoderInputs& in = g_encoder_inputs;
  const bool drill = item_type(item) == ITEM_POINT;
  PointF start = item_start_point(r, drill);
  // A circular array without a radius has no copies to drill.
  if (drill && !array_first_position(r, &start)) return;
  // On a point item the first node's Z holds the array radius, not a height.
  if (!drill && item_is_3d(first)) in.current_cam_params.surface_z += first->z;
  g_walker.highest_node_z = NO_HEIGHT;
  if (is_collector(sink)) {
    send(sink, PEN_BEGIN_ITEM);
    m.x = start.x;
    m.y = start.y;
    send(sink, PEN_START);
  } else {
    m.dx = start.x - m.x;
    m.dy = start.y - m.y;
    set_item_depths();
    reach_item_start(sink, start, PEN_RAPID_ALWAYS);
  }
  if (!drill && std::fabs(m.z - m.cut_z) > WALK_SAME_PLACE) {
    m.z = m.cut_z;
    send(sink, PEN_PLUNGE);
  }
  if (!is_collector(sink)) g_walker.walk_state = WALK_NOTHING_YET;
  if (drill) {
    for_each_array_position(r, [](const PointF& p) { emit_point_move(p); });
    store_item_heights(sink);
    return;
  }
  if (code_is_arc(r->code) && r->sweep < 0.0f) walk_whole_circle(r, start, sink);
  else if (r->code == LINK_ELLIPSE) walk_ellipse(r, sink);
  else walk_links(r, closing, sink);
  send(sink, PEN_FINISH_ITEM);
  store_item_heights(sink);
}

LinkRecord* walk_spline(LinkRecord* link, PenMoveSink sink) {
  int count = 0;
  char has_z = 0;
  LinkRecord* last = gather_spline_run(link, &count, 0, &has_z);
  const LinkRecord* end_node = last + 1;
  const SplineSamples& s = g_spline_samples;
  if (has_z)
    for (int k = 0; k < count; ++k)
      g_walker.highest_node_z = std::max(g_walker.highest_node_z, static_cast<float>(s.z[k]));
  if (count <= 2) {
    PenMove& m = g_pen_move;
    aim_at(end_node->point);
    m.dz = end_node->z - link->z;
    send(sink, has_z && m.dz != 0.0f ? PEN_LINE_3D : PEN_LINE);
    return last;
  }
  std::vector<double> ox(SPLINE_MAX_POINTS), oy(SPLINE_MAX_POINTS), oz(SPLINE_MAX_POINTS);
  const double tolerance = g_encoder_inputs.tolerance;
  const int n = has_z ? spline_through_points_3d(s.x, s.y, s.z, count, s.start_angle, s.end_angle,
                                                 s.end_mode, s.end_flag, tolerance, ox.data(),
                                                 oy.data(), oz.data())
                      : spline_through_points(s.x, s.y, count, s.start_angle, s.end_angle,
                                              s.end_mode, s.end_flag, tolerance, ox.data(),
                                              oy.data());
  if (n < 2) {
    send_run_nodes(link, end_node, has_z != 0, sink);
    return last;
  }
  PenMove& m = g_pen_move;
  for (int k = 1; k < n; ++k) {
    aim_at(PointF{static_cast<float>(ox[k]), static_cast<float>(oy[k])});
    m.dz = has_z ? static_cast<float>(oz[k] - oz[k - 1]) : 0.0f;
    send(sink, has_z ? PEN_LINE_3D : PEN_LINE);
  }
  return last;
}

void emit_point_move(const PointF& point) {
  PenMove& m = g_pen_move;
  m.dx = point.x - m.x;
  m.dy = point.y - m.y;
  m.code = PEN_DRILL;
  path_encode_move();
}

void item_to_moves(DrawingItem* item) {
  LinkRecord* first = item_nodes(item);
  if (first == nullptr) return;
  const int32_t count = item_link_count(item);
  LinkRecord* closing = first + count;
  PenMove& m = g_pen_move;
  MoveEncoderInputs& in = g_encoder_inputs;
  const PenMoveSink sink = &path_encode_move;
  g_walker.highest_node_z = NO_HEIGHT;
  m.dx = first->point.x - m.x;
  m.dy = first->point.y - m.y;
  set_item_depths();
  float surface = in.item_surface_z;
  const float first_cut_z = surface + first[count >= 1 ? 1 : 0].z;
  // After a tool change or a lift the tool comes down to the first cut's depth at once,
  // unless the first link is a 3-D line that finds its own way down.
  const bool resumed = g_walker.walk_state != WALK_NOTHING_YET &&
                       (in.tool_change_pending || far_from_pen(m.dx, m.dy));
  reach_item_start(sink, first->point, PEN_UP);
  surface = in.item_surface_z;
  if (resumed && first->code != TOOL_PATH_3D_LINE_CODE) {
    m.cut_z = first_cut_z;
    send(sink, PEN_PLUNGE);
  }
  m.cut_z = first_cut_z;
  for (LinkRecord* l = first; l < closing; ++l) {
    aim_at(l[1].point);
    const bool has_length = link_has_length(l);
    const bool arc = code_is_arc(l->code);
    const bool rapid = has_length && ((l->link_flags & TOOL_PATH_RAPID_LINK) != 0 ||
                                      (!arc && (l->link_flags & LINK_JUMP) != 0));
    g_walker.highest_node_z = std::max({g_walker.highest_node_z, l->z, l[1].z});
    if (rapid) {
      if (m.z != m.rapid_z) {
        m.rapid_z = surface + in.current_cam_params.rapid_height;
        send(sink, PEN_RETRACT);
      }
      // The next cut starts at the depth of the rapid's end, however the pen got up here.
      m.cut_z = surface + l[1].z;
      send(sink, PEN_UP);
    } else if (arc) {
      if (m.z != m.cut_z) send(sink, PEN_PLUNGE);
      m.i = l->centre.x - m.x;
      m.j = l->centre.y - m.y;
      send(sink, (l->link_flags & LINK_CLOCKWISE) != 0 ? PEN_ARC_CW : PEN_ARC_CCW);
    } else if (l->code == TOOL_PATH_3D_LINE_CODE) {
      m.cut_z = surface + l[1].z;
      m.dz = m.cut_z - m.z;
      if (m.dz == 0.0f) {
        if (has_length) send(sink, PEN_LINE);
      } else if (!has_length) {
        send(sink, PEN_PLUNGE);
      } else {
        const float own = surface + l->z;
        if (m.z > own + PLUNGE_SLACK) {
          const float target = m.cut_z;
          m.cut_z = own;
          send(sink, PEN_PLUNGE);
          m.cut_z = target;
          m.dz = m.cut_z - m.z;
        }
        send(sink, PEN_FEED_3D);
      }
    } else if (has_length) {
      if (m.z != m.cut_z) send(sink, PEN_PLUNGE);
      send(sink, PEN_LINE);
    }
  }
  store_item_heights(sink);
}

// ---- the direct phase ------------------------------------------------------------------------------

int centerline_pass_count(float depth, float step_down) {
  if (step_down < 0.0001f) return 1;
  const double ratio = static_cast<double>(depth) / step_down;
  if (!(ratio > 1.0)) return 1;
  // A ratio a hair above a whole number is that number of passes, not one more.
  const double extra = std::floor(ratio - 0.001);
  return extra >= 100000.0 ? 100001 : static_cast<int>(extra) + 1;
}

void encode_speed_move(int32_t rpm, float feed, uint8_t feed_unit, int16_t plunge_percent) {
  PenMove& m = g_pen_move;
  m.rpm = rpm;
  m.feed = feed;
  m.per_revolution = feed_unit;
  m.plunge_feed = static_cast<float>(plunge_percent) * feed * 0.01f;
  m.code = PEN_SPEEDS;
  path_encode_move();
}

WalkResult encode_direct_item(DrawingItem* item) {
  if (item_is_text(item) && !text_has_strokes(item)) {
    // A text that can send no cut (a tool as wide as its height, a font that cannot be read)
    // is reported, never passed over in silence.
    ++g_walker.skipped_text_items;
    return WALK_SKIPPED_TEXT;
  }
  CamParams params;
  if (!get_block_cam(item_block(item), &params)) return WALK_NOT_MACHINABLE;
  MoveEncoderInputs& in = g_encoder_inputs;
  in.current_cam_params = params;
  in.current_tool_block = params.finishing;
  if (params.item_marker == CAM_ITEM_MARKER_MOVE) {
    encode_marker_move();
    return walk_result();
  }
  const bool drill = item_type(item) == ITEM_POINT;
  const bool text = item_is_text(item);
  const bool outline_copy = !drill && params.operation > CAM_OP_CENTERLINE;
  const bool centerline = !drill && params.operation == CAM_OP_CENTERLINE;
  const float depth = params.finishing.cut_depth;
  const int passes = centerline ? centerline_pass_count(depth, params.finishing.step_down) : 1;
  encode_tool_speeds(params.finishing);
  if (drill) {
    change_tool(PATH_OP_TOOL, params.finishing, false);
    curve_to_moves(item, path_encode_move);
    g_walker.walk_state = WALK_ITEM_DONE;
    return walk_result();
  }
  if (outline_copy) {
    const LinkRecord* first = own_links_start(item_nodes(item));
    path_put_contour_start(first->point.x, first->point.y, params.surface_z);
    g_walker.contour_started = 1;
  } else {
    change_tool(PATH_OP_TOOL, params.finishing, true);
  }
  for (int pass = 1; pass <= passes; ++pass) {
    // Each pass goes a fraction of the depth deeper; the last one reaches it exactly.
    in.current_tool_block.cut_depth =
        passes == 1 ? depth
                    : static_cast<float>(static_cast<double>(depth) * pass / passes);
    in.current_cam_params = params;  // the walk adjusts its own copy for 3-D items
    if (text) text_to_strokes(item, path_encode_move);
    else curve_to_moves(item, path_encode_move);
    if (outline_copy) path_put_contour_end();
  }
  if (centerline && params.finishing.second_pass_depth > 0.0f) encode_second_pass(item, params);
  g_walker.walk_state = WALK_ITEM_DONE;
  return walk_result();
}

WalkResult encode_tool_path_item(DrawingItem* item, char tool_letter) {
  CamParams params;
  if (!get_block_cam(item_block(item), &params)) return WALK_NOT_MACHINABLE;
  MoveEncoderInputs& in = g_encoder_inputs;
  const bool finishing = tool_letter == PATH_OP_TOOL_FINISHING;
  in.current_cam_params = params;
  in.current_tool_block = finishing ? params.finishing : params.roughing;
  if (params.item_marker == CAM_ITEM_MARKER_MOVE) {
    encode_marker_move();
    return walk_result();
  }
  encode_tool_speeds(in.current_tool_block);
  change_tool(finishing ? PATH_OP_TOOL_FINISHING : PATH_OP_TOOL_ROUGHING, in.current_tool_block,
              true);
  item_to_moves(item);
  g_walker.walk_state = WALK_ITEM_DONE;
  return walk_result();
}

void start_walk_run() {
  g_walker = ItemWalkerState{};
  g_walker.path_output_mode = PATH_OUTPUT_NC;
}

void reset_item_walkers() { g_walker = ItemWalkerState{}; }
