// The third designer's parts: steps whose first and last goings are wider (W1, W2), the
// first-step group, the four kinds of outline, and the cut (saw-tooth) stringer with its step
// line and its own table fit.
#include <algorithm>
#include <cmath>

#include "commands/transform_all.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/contour_offset.h"
#include "geometry/item_motion.h"
#include "geometry/polyline_ends.h"
#include "print/stairs_build.h"
#include "print/stairs_build_internal.h"
#include "store/line_list.h"

namespace {

constexpr double PI = 3.14159265358979323846;
// The first-step group and the short stringer are numbered apart from the steps.
constexpr int32_t FIRST_STEP_GROUP_NUMBER = 15000;
constexpr int32_t SHORT_STRINGER_NUMBER = 10000;
// A point at this distance only fixes a line's direction.
constexpr double DIRECTION_STEP = 5.0;

// The centre of a housing's upper back arc.
PointD upper_back_centre(const StairsPart& housing) { return housing.nodes[9].centre; }
PointD node(const StairsPart& part, size_t k) { return part.nodes[k].p; }

void set_point(StairsPart* part, size_t k, PointD p) { part->nodes[k].p = p; }

// ---- the steps ----

std::vector<StairsPart> build_wide_steps(StairsModel* model, double w1, double w2) {
  const StairsValues& v = model->v;
  const int32_t state = v.state;
  const StairsPart wide = tread_riser_housing(v, w1);
  const PointD down{v.run, -v.rise};
  const PointD wide_down{w1, -v.rise};
  int32_t wide_count = 1;
  if (state == 0) {
    add_part(model, bottom_end(model));
  } else {
    add_part(model, first_step_piece(v, w2));
    add_part(model, wide);
    move_all(model, wide_down);
    if (state == 2) wide_count = 2;
  }
  const StairsPart housing = tread_riser_housing(v, v.run);
  for (int32_t i = 0; i < v.n - 1 - wide_count; ++i) {
    add_part(model, housing);
    move_all(model, down);
  }
  if (state != 1) {
    add_part(model, wide);
    move_all(model, wide_down);
  }
  add_part(model, top_end(v, state != 1 ? v.thickness + w2 : v.run));
  settle_moves(model);
  const PointD first = model->parts.front().nodes[0].p;
  translate_parts(model, PointD{-(first.x + v.back + v.margin), -(first.y + v.tt)});
  std::vector<StairsPart> steps = std::move(model->parts);
  model->parts.clear();
  return steps;
}

void fit_wide_steps(const StairsValues& v, std::vector<StairsPart>* steps, StairsParams* params) {
  if (v.state == 2 || !(2 * v.rise < v.table)) return;
  const double usable =
      v.table + std::sin(v.ang) * (-STAIRS_TABLE_FIT_ALLOWANCE - v.tt - v.wedge - v.drop - v.rise);
  if ((v.n + 2) * v.step < usable) return;
  int32_t keep = std::max(0, whole_number(usable / v.step));
  if (v.n + 2 <= keep) return;
  if (v.n - keep < 2) keep = std::max(v.n - 2, 0);
  g_stairs.shift_count = std::max(v.n - keep, 2) + 2;
  params->setup_shift.y -= static_cast<float>(g_stairs.shift_count * v.step);
  if (v.state != 1) {
    split_steps_forward(steps, keep);
    return;
  }
  // State 1 keeps the last keep + 1 parts; the ones before them go to the second set-up.
  const int32_t count = static_cast<int32_t>(steps->size());
  const int32_t first_kept = count - (keep + 1);
  if (first_kept <= 0 || first_kept >= count) return;
  (*steps)[static_cast<size_t>(first_kept)].nodes[0].jump = false;
  StairsPart& before = (*steps)[static_cast<size_t>(first_kept - 1)];
  if (before.nodes.size() > 6) before.nodes[6].jump = false;
  for (int32_t i = 0; i < first_kept; ++i) (*steps)[static_cast<size_t>(i)].layer = 2;
}

// ---- the first-step group ----

struct GroupEdges {
  PointD o0, o1, o2, o3, o4;
};

// The lower edge through O3 parallel to the upper one, cut at the verticals through O2 and O0.
void group_lower_edge(StairsModel* m, GroupEdges* e, const StairsPart& top, double width,
                      bool entered, double upper_direction) {
  const double beta = direction(e->o1, e->o0);
  const PointD o3 = entered ? polar(e->o1, width, upper_direction + PI / 2)
                            : PointD{e->o2.x, node(top, 2).y};
  const LineD lower = line_at(o3, beta);
  e->o3 = meet(m, lower, vertical_at(e->o2.x));
  e->o4 = meet(m, lower, vertical_at(e->o0.x));
}

// Builds the first piece and the top end of argument W1 with the piece's node 2 at the
// origin, and the group's outline; writes fields 732 and 740, WIDTH and LENGTH.
std::vector<StairsPart> build_first_step_group(StairsModel* m, StairsParams* params, double w1,
                                               double w2) {
  const StairsValues& v = m->v;
  StairsPart piece = first_step_piece(v, w2);
  piece.number = FIRST_STEP_GROUP_NUMBER;
  StairsPart top = top_end(v, w1);
  top.number = FIRST_STEP_GROUP_NUMBER + 1;
  const PointD to_origin{-node(piece, 2).x, -node(piece, 2).y};
  translate_part(&piece, to_origin);
  translate_part(&top, to_origin);

  const double pitch = std::atan(v.rise / w1);
  const PointD c4 = top.nodes[4].centre;
  GroupEdges e;
  e.o0 = polar(c4, v.r + v.margin, PI / 2 - pitch);
  e.o1 = polar(e.o0, DIRECTION_STEP, PI - pitch);
  e.o2 = PointD{node(top, 3).x + v.wedge, node(top, 3).y + v.top + v.rise};
  LineD upper = line_through(e.o0, e.o1);
  e.o1 = meet(m, upper, horizontal(e.o2));
  e.o0 = meet(m, upper, vertical_at(-v.wedge));
  params->group_corner_height = static_cast<float>(e.o0.y);
  if (params->entered_corner_height > 0) {
    params->group_corner_height = params->entered_corner_height;
    const PointD moved{e.o0.x, params->entered_corner_height};
    const double turn = direction(c4, moved) - direction(c4, e.o0);
    e.o0 = moved;
    e.o1 = rotate_about(e.o1, c4, turn);
    upper = line_through(e.o0, e.o1);
    e.o1 = meet(m, upper, horizontal(e.o2));
  }
  const double upper_direction = direction(e.o0, e.o1);
  params->upper_edge_direction = static_cast<float>(upper_direction);
  double width = v.width;
  group_lower_edge(m, &e, top, width, v.width_entered, upper_direction);
  const double floor = node(piece, 3).y - v.tt;
  if (e.o4.y > floor) {
    // The lower edge would run into the first step's seat: take the width that puts it 1.1
    // tread thicknesses below the seat, first at x = 0, then on O0's own vertical.
    width = line_distance(PointD{0, node(piece, 3).y - 1.1 * v.tt}, upper);
    group_lower_edge(m, &e, top, width, true, upper_direction);
    if (e.o4.y > floor) {
      // Still above: the edge goes through that point on O0's own vertical, which ends it
      // there whichever way the upper edge leans.
      const PointD end{-v.wedge, node(piece, 3).y - 1.1 * v.tt};
      width = line_distance(end, upper);
      const LineD lower = line_at(end, direction(e.o1, e.o0));
      e.o3 = meet(m, lower, vertical_at(e.o2.x));
      e.o4 = meet(m, lower, vertical_at(e.o0.x));
    }
  }
  params->board_length = static_cast<float>(std::fabs(e.o2.x - e.o0.x));
  params->board_width = static_cast<float>(line_distance(e.o4, upper));
  // The piece opens onto the lower edge.
  const LineD lower = line_through(e.o3, e.o4);
  const PointD f4 = meet(m, line_through(node(piece, 3), node(piece, 4)), lower);
  PointD f5{node(piece, 6).x, f4.y};
  if (f5.x > f4.x) f5.x = f4.x - v.tt;
  set_point(&piece, 4, f4);
  set_point(&piece, 5, f5);
  std::vector<StairsPart> group;
  group.push_back(std::move(piece));
  group.push_back(std::move(top));
  group.push_back(outline_part({e.o0, e.o1, e.o2, e.o3, e.o4}, FIRST_STEP_GROUP_NUMBER + 2));
  return group;
}

// ---- type 0 ----

void add_type0_outline(StairsModel* m, StairsParams* params, double w2) {
  const StairsValues& v = m->v;
  std::vector<StairsPart>& parts = m->parts;
  if (parts.size() < 4) {
    m->failed = true;  // no ordinary housing to set the pitch by
    return;
  }
  const StairsPart& bottom = parts[0];
  const StairsPart& first = parts[1];
  const StairsPart& last_ordinary = parts[parts.size() - 3];
  StairsPart& wide = parts[parts.size() - 2];
  StairsPart& top = parts[parts.size() - 1];
  const double h = v.half_tool;
  const double phi = direction(node(wide, 0), node(top, 0));
  const PointD o0_first = polar(upper_back_centre(first), v.r + v.margin, PI / 2 - v.ang);
  const LineD up = line_through(o0_first, polar(upper_back_centre(wide), v.r + v.margin, PI / 2 - v.ang));
  const LineD uw = line_at(polar(upper_back_centre(wide), v.r + v.margin, phi - PI / 2), phi);
  const PointD o1 = meet(m, up, uw);
  const double corner = params->entered_corner_height > 0 ? params->entered_corner_height
                                                          : params->group_corner_height;
  const PointD o2 = meet(m, uw, horizontal(PointD{0, node(top, 0).y + v.tt + corner}));
  const PointD o3{node(top, 0).x - v.thickness - w2, o2.y};
  double width = v.width;
  if (!v.width_entered)
    width = line_distance(PointD{node(last_ordinary, 6).x, node(last_ordinary, 0).y}, up);
  const PointD o4{o3.x, o3.y - width + h};
  const PointD o5{o4.x + h, o4.y - h};
  const LineD lw = parallel_at(uw, width, phi + PI / 2);
  const LineD lp = parallel_at(up, width, 1.5 * PI - v.ang);
  const PointD o6 = meet(m, lw, horizontal(o5));
  const PointD o7 = meet(m, lw, lp);
  const PointD o8 = meet(m, lp, horizontal(PointD{0, node(bottom, 2).y + v.wedge}));
  const PointD o9{node(bottom, 0).x + v.riser_margin, o8.y};
  const PointD o0 = meet(m, up, vertical_at(o9.x));
  const double psi = direction(o0, o3);
  params->board_length = static_cast<float>(std::cos(PI - psi - v.ang) * distance(o9, o3));
  params->board_width = static_cast<float>(line_distance(o0, lp));
  set_point(&top, 2, PointD{node(top, 3).x, node(top, 2).y});
  // The wide housing opens onto the lower wide edge.
  const PointD s2 = meet(m, line_through(node(wide, 1), node(wide, 2)), lw);
  const PointD s4 = meet(m, line_through(node(wide, 4), node(wide, 5)), lw);
  const PointD s3 = meet(m, line_through(node(wide, 7), node(wide, 8)), lw);
  set_point(&wide, 2, s2);
  set_point(&wide, 4, s4);
  set_point(&wide, 3, PointD{s3.x - h, s3.y - h});
  parts.push_back(outline_part({o0, o1, o2, o3, o4, o5, o6, o7, o8, o9}, m->next_number++));
}

// ---- state 1 ----

void add_state1_outline(StairsModel* m, StairsParams* params, double w1) {
  const StairsValues& v = m->v;
  std::vector<StairsPart>& parts = m->parts;
  if (parts.size() < 4) {
    m->failed = true;  // no ordinary housing to set the pitch by
    return;
  }
  const StairsPart& piece = parts[0];
  const StairsPart& wide = parts[1];
  const StairsPart& first = parts[2];
  const StairsPart& top = parts.back();
  double pitch = std::atan(v.rise / w1);
  const PointD cs = upper_back_centre(wide);
  LineD uw = line_at(polar(cs, v.r + v.margin, PI / 2 - pitch), PI - pitch);
  const PointD up_point = polar(upper_back_centre(first), v.r + v.margin, PI / 2 - v.ang);
  const LineD up = line_through(up_point, polar(up_point, DIRECTION_STEP, PI - v.ang));
  const PointD f2 = node(piece, 2);
  if (params->entered_corner_height > 0) {
    params->wide_corner_height = params->entered_corner_height;
    const PointD p0 = meet(m, uw, vertical_at(f2.x));
    const PointD moved{p0.x, f2.y + params->entered_corner_height};
    const double turn = direction(cs, moved) - direction(cs, p0);
    uw = LineD{rotate_about(uw.p, cs, turn), rotate_about(uw.d, PointD{0, 0}, turn)};
    pitch -= turn;
  }
  const PointD o1 = meet(m, uw, up);
  const PointD t{node(top, 3).x + v.wedge, node(top, 3).y + v.rise + v.top};
  const PointD o2 = meet(m, up, horizontal(t));
  const PointD o3 = t;
  PointD o4{t.x, node(top, 0).y};
  if (v.width_entered)
    o4 = meet(m, vertical_at(o3.x), parallel_at(up, v.width, 1.5 * PI - v.ang));
  const LineD lp = line_at(o4, 2 * PI - v.ang);
  const double width = line_distance(o2, lp);
  const LineD lw = line_at(polar(o1, width, 1.5 * PI - pitch), PI - pitch);
  const PointD o5 = meet(m, lp, lw);
  PointD o7 = meet(m, lw, vertical_at(f2.x - v.wedge));
  const PointD o0 = meet(m, uw, vertical_at(o7.x));
  params->wide_corner_height = static_cast<float>(o0.y - f2.y);
  const double psi = direction(o0, o3);
  params->board_length = static_cast<float>(std::cos(PI - psi - v.ang) * distance(o7, o3));
  params->board_width = static_cast<float>(line_distance(o1, lw));
  // The corner at the end is cut half a tool width beyond the end line.
  const PointD o6 = polar(o7, v.half_tool, PI - pitch);
  o7.y += v.half_tool;
  parts.push_back(outline_part({o0, o1, o2, o3, o4, o5, o6, o7}, m->next_number++));
}

// ---- type 5 ----

void build_short_stringer(StairsModel* m, StairsParams* params, double w1, double w2) {
  const StairsValues& v = m->v;
  m->parts.clear();
  m->next_number = SHORT_STRINGER_NUMBER;
  add_part(m, bottom_end(m));
  add_part(m, tread_riser_housing(v, w1));
  move_all(m, PointD{w1, -v.rise});
  add_part(m, top_end(v, v.thickness + w2));
  settle_moves(m);
  const StairsPart& bottom = m->parts[0];
  StairsPart& wide = m->parts[1];
  const StairsPart& top = m->parts[2];
  const double pitch = std::atan(v.rise / w1);
  PointD o0 = polar(upper_back_centre(wide), v.r + v.margin, PI / 2 - pitch);
  PointD o1 = polar(o0, DIRECTION_STEP, PI - pitch);
  const LineD upper = line_through(o0, o1);
  const PointD o2{node(top, 3).x + v.wedge, node(top, 3).y + params->wide_corner_height};
  o1 = meet(m, upper, horizontal(o2));
  PointD o3 = o2;
  PointD o4;
  PointD o5;
  if (v.width_entered) {
    o3.y = o2.y - v.width;
    o4 = meet(m, horizontal(o3), parallel_at(upper, v.width, 1.5 * PI - pitch));
    o5 = meet(m, line_at(o4, 2 * PI - pitch), horizontal(PointD{0, node(bottom, 1).y + v.wedge}));
  } else {
    o3.y = node(wide, 5).y;
    o5 = PointD{node(bottom, 2).x, node(bottom, 2).y + v.wedge};
    o4 = meet(m, line_at(o5, PI - pitch), horizontal(o3));
  }
  const PointD o6{node(wide, 0).x + v.riser_margin, o5.y};
  o0 = meet(m, upper, vertical_at(o6.x));
  o1 = meet(m, upper, horizontal(o2));
  params->board_length = static_cast<float>(std::fabs(o2.x - o0.x));
  params->board_width = static_cast<float>(line_distance(o0, line_through(o4, o5)));
  params->upper_edge_direction = static_cast<float>(direction(o0, o1));
  const PointD s2 = meet(m, line_through(node(wide, 1), node(wide, 2)), line_through(o4, o5));
  set_point(&wide, 2, s2);
  set_point(&wide, 3,
            polar(s2, 2.0 * params->outline_cam.finishing.cut_width, params->upper_edge_direction));
  m->parts.push_back(outline_part({o0, o1, o2, o3, o4, o5, o6}, m->next_number++));
}

}  // namespace

void build_kind4_parts(StairsModel* model, StairsParams* params) {
  StairsValues& v = model->v;
  if (params->first_going < 1.05f * params->run) params->first_going = 1.05f * params->run;
  if (params->last_going < params->run) params->last_going = params->run;
  const double w1 = params->first_going;
  const double w2 = params->last_going;
  std::vector<StairsPart> steps = build_wide_steps(model, w1, w2);
  fit_wide_steps(v, &steps, params);
  const int32_t after_steps = model->next_number;
  if (v.state == 0 || v.state == 2) {
    std::vector<StairsPart> group = build_first_step_group(model, params, w1, w2);
    if (v.type == 3) {
      model->parts = std::move(group);
    } else {
      model->parts = std::move(steps);
      model->next_number = after_steps;
      if (v.type == 0) add_type0_outline(model, params, w2);
    }
  } else {
    model->parts = std::move(steps);
    add_state1_outline(model, params, w1);
    if (v.type == 5) build_short_stringer(model, params, w1, w2);
  }
  if (v.type == 3 || v.type == 5) {
    // Only the short pieces remain; no step is left to move into a second set-up.
    g_stairs.shift_count = 0;
    params->setup_shift = PointF{0, 0};
  }
}

void mirror_for_right_side(const StairsValues& v, const StairsParams& params) {
  if (v.type > 2 || params.side != 1) return;
  compute_extents();
  set_view_to_extents();
  const float middle = 0.5f * (g_view.view_left + g_view.view_right);
  LinkRecord line[2] = {};
  line[0].point = PointF{middle, 0.0f};
  line[1].point = PointF{middle, 1.0f};
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    mirror_item(item, item, line);
    item_bounding_boxes(item);
  }
}

// ---- the cut stringer ----

namespace {

// LENGTH of a cut stringer: the lower edge's span between the feet of the bottom and the top,
// each taken at the edge's end when its foot falls within the edge.
double cut_stringer_length(PointD top_end, PointD bottom_end, PointD q0, PointD q_top) {
  const LineD edge = line_through(top_end, bottom_end);
  double along = 0;
  const PointD bottom_foot = foot_on(q0, edge, &along);
  const PointD bottom = along >= 0 && along <= 1 ? bottom_end : bottom_foot;
  const PointD top_foot = foot_on(q_top, edge, &along);
  const PointD top = along >= 0 && along <= 1 ? top_end : top_foot;
  return distance(bottom, top);
}

void mirror_about_y_axis(DrawingItem* item) {
  LinkRecord axis[2] = {};
  axis[1].point = PointF{0.0f, 1.0f};
  mirror_item(item, item, axis);
  item_bounding_boxes(item);
}

}  // namespace

bool build_cut_stringer(StairsModel* model, StairsParams* params) {
  StairsValues& v = model->v;
  params->pitch_angle = static_cast<float>(std::atan(v.rise / v.run));
  v.ang = params->pitch_angle;
  if (params->cut_board_below < 0.01f) params->cut_board_below = params->rise;
  const int32_t n = v.n;
  const double s = params->sawtooth_offset;
  const double foot_y = v.tt - v.drop;
  std::vector<PointD> q(static_cast<size_t>(2 * n + 5));
  for (int32_t i = 0; i < n; ++i) {
    q[static_cast<size_t>(2 * i)] = PointD{i * v.run - s, i * v.rise};
    q[static_cast<size_t>(2 * i + 1)] = PointD{i * v.run - s, (i + 1) * v.rise};
  }
  q[0].y = foot_y;
  const size_t top = static_cast<size_t>(2 * n);
  q[top] = PointD{n * v.run - 2 * s, n * v.rise};
  q[top + 1] = PointD{q[top].x, n * v.rise - params->cut_top_drop};
  const LineD edge = line_at(polar(PointD{0, 0}, params->cut_board_below, v.ang - PI / 2), v.ang);
  const double bottom_x = params->cut_bottom_x > 0 ? params->cut_bottom_x : 0.0005;
  q[top + 4] = PointD{bottom_x, foot_y};
  q[top + 2] = meet(model, edge, horizontal(q[top + 1]));
  q[top + 3] = meet(model, edge, line_through(PointD{params->cut_bottom_x, -100}, q[top + 4]));
  if (model->failed) return false;
  params->board_length = static_cast<float>(cut_stringer_length(q[top + 2], q[top + 3], q[0], q[top]));
  params->board_width = static_cast<float>(line_distance(q[1], edge));
  StairsPart outline = outline_part(q, 1);
  for (const PartNode& p : outline.nodes)
    if (!std::isfinite(p.p.x) || !std::isfinite(p.p.y)) return false;
  DrawingItem* item = write_stairs_part(outline, v.r);
  if (item == nullptr) return false;
  // The tool runs outside the board: the outline is offset by half its cutting width.
  if (offset_item(item, static_cast<float>(-v.half_tool), 0) == OFFSET_ITEM_DONE &&
      g_lists.current.last != item) {
    DrawingItem* offset = g_lists.current.last;
    set_item_id(offset, item_id(item));
    delete_line(item);
    item = offset;
    item_block(item)->layer = STAIRS_LAYER_OUTLINE;
    set_item_flags(item, ITEM_FLAG_SELECTED);
  }
  make_nodes_loose(item);
  if (params->side == 0) mirror_about_y_axis(item);
  DrawingItem* step_line = nullptr;
  if (params->step_line_choice != 0 && params->third_cam.finishing.tool_number > 0 && n > 0) {
    const double h3 = 0.5 * static_cast<double>(params->third_cam.finishing.cut_width);
    StairsPart line;
    line.closed = false;
    line.number = 2;
    line.layer = STAIRS_LAYER_HOUSINGS;
    for (int32_t i = 0; i < n; ++i) {
      PartNode riser_foot;
      riser_foot.p = PointD{i * v.run, i * v.rise};
      PartNode riser_top;
      riser_top.p = PointD{i * v.run, (i + 1) * v.rise + h3};
      riser_top.jump = i + 1 < n;  // the treads between the risers are not cut
      line.nodes.push_back(riser_foot);
      line.nodes.push_back(riser_top);
    }
    line.nodes[0].p.y = foot_y;
    step_line = write_stairs_part(line, v.r);
    if (step_line == nullptr) return false;
    make_nodes_loose(step_line);
    if (params->side == 0) mirror_about_y_axis(step_line);
    if (params->reverse_step_line != 0) reverse_polyline(step_line);
  }
  // The table fit: the riser tops beyond the table's reach are marked for the second set-up.
  if (2 * v.rise < v.table) {
    const double limit = std::sin(v.ang) * (v.table + std::min(0.0, n * v.step - params->board_length));
    LinkRecord* nodes = item_nodes(item);
    const int32_t links = item_link_count(item);
    bool first = true;
    for (int32_t k = 1; k < links; k += 2) {
      if (!(nodes[k].point.y > limit)) continue;
      nodes[k].link_flags |= LINK_NODE_MARKED | LINK_SAVED_MARK;
      set_item_flags(item, item_flags(item) | ITEM_FLAG_HAS_MARKED_NODES);
      if (first && step_line != nullptr && k <= item_link_count(step_line)) {
        item_nodes(step_line)[k].link_flags |= LINK_NODE_MARKED | LINK_SAVED_MARK;
        set_item_flags(step_line, item_flags(step_line) | ITEM_FLAG_HAS_MARKED_NODES);
      }
      first = false;
      ++g_stairs.shift_count;
      params->setup_shift.y -= static_cast<float>(v.step);
    }
  }
  return true;
}
