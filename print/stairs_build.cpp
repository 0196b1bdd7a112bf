#include "print/stairs_build.h"

#include <cmath>

#include "editor/rubber_box.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/layers.h"
#include "geometry/link_operations.h"
#include "print/stairs_build_internal.h"
#include "print/stairs_model.h"
#include "print/stairs_params.h"
#include "store/line_list.h"
#include "ui/text_window.h"

namespace {

constexpr double PI = 3.14159265358979323846;

// ---- kinds 1 and 2: the steps ----

void build_housed_steps(StairsModel* model) {
  const StairsValues& v = model->v;
  const PointD down_step{v.run, -v.rise};
  add_part(model, bottom_end(model));
  const StairsPart housing = tread_riser_housing(v, v.run);
  for (int32_t i = 0; i < v.n - 1; ++i) {
    add_part(model, housing);
    move_all(model, down_step);
  }
  add_part(model, top_end(v, v.run));
  settle_moves(model);
  const PointD first = model->parts.front().nodes[0].p;
  translate_parts(model, PointD{-(first.x + v.back + v.margin), -(first.y + v.tt)});
}

void build_tread_steps(StairsModel* model) {
  const StairsValues& v = model->v;
  const StairsPart slot = tread_housing(v);
  for (int32_t i = 0; i < v.n; ++i) {
    add_part(model, slot);
    move_all(model, PointD{v.run, -v.rise});
  }
  settle_moves(model);
  const PointD first = model->parts.front().nodes[0].p;
  translate_parts(model, PointD{-(first.x + v.margin + v.r), -(first.y + v.tt)});
}

// ---- table fit ----

void fit_housed_steps(StairsModel* model, StairsParams* params) {
  const StairsValues& v = model->v;
  if (!(2 * v.rise < v.table)) return;
  const double usable =
      v.table + std::sin(v.ang) * (-STAIRS_TABLE_FIT_ALLOWANCE - v.tt - v.wedge - v.drop - v.rise);
  if (v.n * v.step < usable) return;
  const int32_t keep = std::max(0, whole_number(usable / v.step));
  if (v.n <= keep) return;
  g_stairs.shift_count = v.n - keep;
  params->setup_shift.y -= static_cast<float>(g_stairs.shift_count * v.step);
  split_steps_forward(&model->parts, keep);
}

void fit_tread_steps(StairsModel* model, StairsParams* params) {
  const StairsValues& v = model->v;
  if (!(2 * v.rise < v.table)) return;
  const double s = std::sin(v.ang);
  const double limit = s * (v.table - s * v.run - v.tt - v.rise - v.wedge - v.drop);
  for (StairsPart& slot : model->parts) {
    if (!(slot.nodes[4].p.y > limit)) continue;
    slot.layer = STAIRS_LAYER_SECOND_SETUP;
    ++g_stairs.shift_count;
    params->setup_shift.y -= static_cast<float>(v.step);
  }
}

// ---- the outline of kinds 1 and 2 ----

// The extent of the outline along the pitch.
double length_along_pitch(const std::vector<PointD>& points, double ang) {
  double lo = 1e300;
  double hi = -1e300;
  for (const PointD& p : points) {
    const double along = -p.x * std::cos(ang) + p.y * std::sin(ang);
    lo = std::min(lo, along);
    hi = std::max(hi, along);
  }
  return hi - lo;
}

// The lower edge at the entered board width: the link O3-O4 turned onto the upper edge's
// direction about O3 and set at that distance from it.
LineD lower_edge_at_width(PointD o0, PointD o1, PointD o3, PointD o4, double width) {
  LinkRecord master[2] = {};
  master[0].point = PointF{static_cast<float>(o0.x), static_cast<float>(o0.y)};
  master[1].point = PointF{static_cast<float>(o1.x), static_cast<float>(o1.y)};
  LinkRecord edge[2] = {};
  edge[0].point = PointF{static_cast<float>(o3.x), static_cast<float>(o3.y)};
  edge[1].point = PointF{static_cast<float>(o4.x), static_cast<float>(o4.y)};
  rotate_link_to_line(master, edge, LINK_MOVE_FAR_END, static_cast<float>(width));
  return line_through(PointD{edge[0].point.x, edge[0].point.y},
                      PointD{edge[1].point.x, edge[1].point.y});
}

void build_outline_kinds_1_2(StairsModel* model, StairsParams* params) {
  const StairsValues& v = model->v;
  const bool housed = v.kind == STAIRS_KIND_HOUSED;
  std::vector<StairsPart>& parts = model->parts;
  // The first housing (after the bottom end for kind 1) and the top end, or the last slot.
  const StairsPart& first = housed && parts.size() > 2 ? parts[1] : parts.front();
  const StairsPart& top = parts.back();
  const PointD c = housed && parts.size() > 2 ? first.nodes[9].centre
                   : housed                   ? top.nodes[4].centre
                                              : first.nodes[5].centre;
  PointD o0 = polar(c, v.r + v.margin, PI / 2 - v.ang);
  PointD o1 = polar(o0, v.total, PI - v.ang);
  const LineD upper = line_through(o0, o1);
  const PointD t3 = top.nodes[3].p;
  const PointD o2 = housed ? PointD{t3.x + v.wedge, t3.y + v.rise + v.top}
                           : PointD{t3.x - v.margin, t3.y + v.rise + v.top};
  o1 = meet(model, upper, horizontal(o2));
  PointD o3{o2.x, t3.y - v.tt};
  const PointD o5{0, -(v.rise + v.drop)};
  o0 = meet(model, upper, vertical_at(o5.x));
  LineD lower;
  if (!housed && !v.width_entered) {
    const PointD o4 = polar(first.nodes[1].centre, v.r + v.margin, 1.5 * PI - v.ang);
    lower = line_at(o4, PI - v.ang);
  } else {
    const PointD o4 = polar(o3, v.total, 2 * PI - v.ang);
    lower = v.width_entered ? lower_edge_at_width(o0, o1, o3, o4, v.width) : line_through(o3, o4);
  }
  const PointD o4 = meet(model, lower, horizontal(o5));
  o3 = meet(model, lower, vertical_at(o2.x));
  std::vector<PointD> points = {o0, o1, o2, o3, o4, o5};
  if (!housed && params->top_extra_height > 0) {
    // The top end steps down: a cut of the extra height below the top, then a seat back to the
    // lower edge.
    const PointD step{o2.x, o1.y - params->top_extra_height};
    points = {o0, o1, o2, step, meet(model, lower, horizontal(step)), o4, o5};
  }
  params->board_length = static_cast<float>(length_along_pitch(points, v.ang));
  params->board_width = static_cast<float>(line_distance(o0, lower));
  StairsPart outline = outline_part(points, model->next_number++);
  parts.push_back(std::move(outline));
}

// ---- the look of the layers ----

void set_layer_look(bool first_tab) {
  const uint32_t light = 0xC0C0C0;
  if (!first_tab) {
    g_layers.colours[0] = light;
    g_layers.styles[0] = LAYER_STYLE_DOTTED;
    g_layers.colours[1] = 0;
    g_layers.styles[1] = LAYER_STYLE_SOLID;
    g_layers.styles[2] = LAYER_STYLE_DOTTED;
    return;
  }
  g_layers.colours[0] = 0;
  g_layers.styles[0] = LAYER_STYLE_SOLID;
  g_layers.colours[1] = light;
  g_layers.styles[1] = LAYER_STYLE_DOTTED;
  g_layers.styles[2] = LAYER_STYLE_SOLID;
}

bool design_complete(const StairsParams& p) {
  const bool cut_stringer = (p.kind_word & STAIRS_KIND_MASK) == STAIRS_KIND_SPECIAL &&
                            p.kind4_type == STAIRS_TYPE_CUT_STRINGER;
  return (cut_stringer || p.tread_thickness != 0) && p.total_rise != 0 && p.rise != 0 &&
         p.run != 0 && p.tread_count > 0;
}

bool model_finite(const StairsModel& model) {
  for (const StairsPart& part : model.parts)
    for (const PartNode& n : part.nodes)
      if (!std::isfinite(n.p.x) || !std::isfinite(n.p.y) || !std::isfinite(n.centre.x) ||
          !std::isfinite(n.centre.y))
        return false;
  return true;
}

}  // namespace

// ---- writing parts as items ----

DrawingItem* write_stairs_part(const StairsPart& part, double radius) {
  const int32_t count = static_cast<int32_t>(part.nodes.size());
  const int32_t links = part.closed ? count : count - 1;
  if (links < 1) return nullptr;
  std::vector<PointF> points;
  points.reserve(static_cast<size_t>(links) + 1);
  for (const PartNode& n : part.nodes)
    points.push_back(PointF{static_cast<float>(n.p.x), static_cast<float>(n.p.y)});
  if (part.closed) points.push_back(points.front());
  if (new_geometry_block("", nullptr, links, part.layer, GEOMETRY_KIND_MACHINABLE) != 0)
    return nullptr;
  DrawingItem* item = g_lists.current.last;
  LinkRecord* records = item_nodes(item);
  nodes_from_points(links, points.data(), records, LINK_RIGID_LINE);
  // A closed part is a closed polyline: its first node says so.
  if (part.closed) records[0].node_flags = NODE_FIRST | NODE_LOOSE;
  bool marked = false;
  for (int32_t i = 0; i < count && i <= links; ++i) {
    const PartNode& n = part.nodes[static_cast<size_t>(i)];
    LinkRecord& r = records[i];
    if (n.jump && i < links) r.link_flags |= LINK_JUMP;
    if (n.marked) {
      r.link_flags |= LINK_NODE_MARKED | LINK_SAVED_MARK;
      marked = true;
    }
    if (n.arc && i < links) {
      r.code = static_cast<float>(radius);
      r.centre = PointF{static_cast<float>(n.centre.x), static_cast<float>(n.centre.y)};
      r.link_flags |= LINK_CLOCKWISE;
      arc_angles_from_points(&r);
      link_bounding_box(&r);
    }
  }
  set_item_id(item, part.number);
  set_item_flags(item, static_cast<uint8_t>((part.selected ? ITEM_FLAG_SELECTED : 0) |
                                            (marked ? ITEM_FLAG_HAS_MARKED_NODES : 0)));
  return item;
}

bool write_stairs_model(const StairsModel& model) {
  for (const StairsPart& part : model.parts)
    if (write_stairs_part(part, model.v.r) == nullptr) return false;
  return true;
}

// ---- the profiles as items ----

namespace {
void append_profile(StairsPart part) {
  const StairsValues v = stairs_values(g_stairs.params);
  write_stairs_part(part, v.r);
}
}  // namespace

void append_tread_riser_housing(float a) {
  append_profile(tread_riser_housing(stairs_values(g_stairs.params), a));
}
void append_tread_housing() { append_profile(tread_housing(stairs_values(g_stairs.params))); }
void append_bottom_end() {
  StairsModel model;
  model.v = stairs_values(g_stairs.params);
  append_profile(bottom_end(&model));
}
void append_top_end(float a) { append_profile(top_end(stairs_values(g_stairs.params), a)); }
void append_first_step_piece(float a) {
  append_profile(first_step_piece(stairs_values(g_stairs.params), a));
}

// ---- the build ----

void stairs_build_drawing() {
  StairsParams& params = g_stairs.params;
  g_stairs.shift_count = 0;
  params.setup_shift = PointF{0, 0};
  g_stairs.complete = false;
  g_stairs.incomplete_reason = nullptr;
  if (!design_complete(params)) {
    g_stairs.incomplete_reason = STAIRS_VALUES_MISSING_TEXT;
    g_stairs.make_drawing_flags = STAIRS_BUTTON_HIDDEN;
    return;
  }
  g_stairs.make_drawing_flags = STAIRS_BUTTON_SHOWN;
  const ViewState remembered = g_view;
  const bool window_switched = g_stairs.drawing_window != nullptr;
  if (window_switched) {
    push_active_window();
    activate_window(g_stairs.drawing_window);
  }
  free_current_list();

  StairsModel model;
  model.v = stairs_values(params);
  bool written = false;
  if (model.v.kind == STAIRS_KIND_SPECIAL && model.v.type == STAIRS_TYPE_CUT_STRINGER) {
    written = build_cut_stringer(&model, &params);
  } else {
    if (model.v.kind == STAIRS_KIND_HOUSED) {
      build_housed_steps(&model);
      fit_housed_steps(&model, &params);
      build_outline_kinds_1_2(&model, &params);
    } else if (model.v.kind == STAIRS_KIND_TREADS) {
      build_tread_steps(&model);
      fit_tread_steps(&model, &params);
      build_outline_kinds_1_2(&model, &params);
    } else {
      build_kind4_parts(&model, &params);
    }
    written = !model.failed && model_finite(model) && write_stairs_model(model);
    if (written && model.v.kind == STAIRS_KIND_SPECIAL) mirror_for_right_side(model.v, params);
  }
  if (!written) {
    // Nothing half made stays: the design is not whole.
    free_current_list();
    g_stairs.shift_count = 0;
    params.setup_shift = PointF{0, 0};
    g_stairs.make_drawing_flags = STAIRS_BUTTON_HIDDEN;
    g_stairs.incomplete_reason = STAIRS_NOT_CONSTRUCTIBLE_TEXT;
  } else {
    g_stairs.complete = true;
    const bool cut_stringer =
        model.v.kind == STAIRS_KIND_SPECIAL && model.v.type == STAIRS_TYPE_CUT_STRINGER;
    set_layer_look(g_stairs.current_tab == 0 && !cut_stringer);
    if (!g_stairs.view_kept) {
      DrawingItem* last = g_lists.current.last;
      const int32_t n = item_link_count(last);
      const PointF origin = item_nodes(last)[item_is_closed(last) ? n - 1 : n].point;
      shift_items(origin.x, origin.y, 1, 0);
      zoom_to_drawing();
    } else {
      // The window and the scale the user chose come back; the rest of the view stays current.
      g_view.view_left = remembered.view_left;
      g_view.view_right = remembered.view_right;
      g_view.view_top = remembered.view_top;
      g_view.view_bottom = remembered.view_bottom;
      g_view.scale_x = remembered.scale_x;
      g_view.scale_y = remembered.scale_y;
      view_keys(VIEW_REDRAW_ONLY);
    }
  }
  if (window_switched) {
    store_window_state();
    pop_active_window();
  }
}
