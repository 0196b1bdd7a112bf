#include "print/stairs_model.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

PartNode node_at(double x, double y) {
  PartNode n;
  n.p = PointD{x, y};
  return n;
}

// The link leaving node k becomes a clockwise arc of the corner radius about the centre.
void make_arc(StairsPart* part, size_t k, double cx, double cy) {
  part->nodes[k].arc = true;
  part->nodes[k].centre = PointD{cx, cy};
}

}  // namespace

// ---- points and lines ----

PointD add(PointD a, PointD b) { return PointD{a.x + b.x, a.y + b.y}; }
PointD sub(PointD a, PointD b) { return PointD{a.x - b.x, a.y - b.y}; }
PointD polar(PointD p, double d, double angle) {
  return PointD{p.x + d * std::cos(angle), p.y + d * std::sin(angle)};
}
double direction(PointD from, PointD to) {
  double a = std::atan2(to.y - from.y, to.x - from.x);
  if (a < 0) a += 2 * PI;
  return a;
}
double distance(PointD a, PointD b) { return std::hypot(b.x - a.x, b.y - a.y); }
LineD line_through(PointD a, PointD b) { return LineD{a, sub(b, a)}; }
LineD line_at(PointD p, double angle) { return LineD{p, PointD{std::cos(angle), std::sin(angle)}}; }
LineD horizontal(PointD p) { return LineD{p, PointD{1, 0}}; }
LineD vertical_at(double x) { return LineD{PointD{x, 0}, PointD{0, 1}}; }

PointD meet(StairsModel* model, const LineD& a, const LineD& b) {
  const double k = a.d.x * b.d.y - a.d.y * b.d.x;
  const double la = std::hypot(a.d.x, a.d.y);
  const double lb = std::hypot(b.d.x, b.d.y);
  // Lines this close to parallel meet far off the board or not at all: the design is not whole.
  if (!(std::fabs(k) > 1e-6 * la * lb)) {
    model->failed = true;
    return PointD{0, 0};
  }
  const PointD w = sub(b.p, a.p);
  const double t = (w.x * b.d.y - w.y * b.d.x) / k;
  const PointD p{a.p.x + t * a.d.x, a.p.y + t * a.d.y};
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) model->failed = true;
  return p;
}

double line_distance(PointD p, const LineD& line) {
  const double length = std::hypot(line.d.x, line.d.y);
  if (!(length > 0)) return std::hypot(p.x - line.p.x, p.y - line.p.y);
  return std::fabs((p.x - line.p.x) * line.d.y - (p.y - line.p.y) * line.d.x) / length;
}

PointD foot_on(PointD p, const LineD& line, double* along) {
  const double l2 = line.d.x * line.d.x + line.d.y * line.d.y;
  const double t = l2 > 0 ? ((p.x - line.p.x) * line.d.x + (p.y - line.p.y) * line.d.y) / l2 : 0;
  if (along != nullptr) *along = t;
  return PointD{line.p.x + t * line.d.x, line.p.y + t * line.d.y};
}

LineD parallel_at(const LineD& line, double d, double side_angle) {
  return LineD{polar(line.p, d, side_angle), line.d};
}

PointD rotate_about(PointD p, PointD c, double angle) {
  const double s = std::sin(angle);
  const double co = std::cos(angle);
  const double dx = p.x - c.x;
  const double dy = p.y - c.y;
  return PointD{c.x + dx * co - dy * s, c.y + dx * s + dy * co};
}

int32_t whole_number(double value) {
  if (!(value == value)) return 0;
  return static_cast<int32_t>(std::clamp(std::trunc(value), -2147483647.0, 2147483647.0));
}

// ---- the values ----

StairsValues stairs_values(const StairsParams& p) {
  StairsValues v;
  v.kind = p.kind_word & STAIRS_KIND_MASK;
  v.metric = (p.kind_word & STAIRS_METRIC) != 0;
  v.type = p.kind4_type;
  // The type menu sets the state with the type.
  static constexpr int32_t STATE_OF_TYPE[] = {0, 2, 1, 0, 0, 1};
  v.state = v.type >= 0 && v.type <= STAIRS_TYPE_LAST ? STATE_OF_TYPE[v.type] : 0;
  v.ang = p.pitch_angle;
  v.rise = p.rise;
  v.run = p.run;
  v.n = p.tread_count;
  v.tt = p.tread_thickness;
  v.nos = p.nosing;
  v.top = p.top_offset;
  v.drop = p.bottom_drop;
  v.r = p.corner_radius;
  v.back = p.housing_back;
  v.margin = p.housing_margin;
  v.rt = p.riser_thickness;
  v.slant = p.riser_slant;
  v.width = p.board_width;
  v.table = p.table_length;
  v.total = p.total_rise;
  v.wedge = v.metric ? 4.0 : 0.25;
  v.step = std::hypot(v.rise, v.run);
  v.half_tool = 0.5 * static_cast<double>(p.outline_cam.finishing.cut_width);
  v.thickness = p.board_thickness;
  v.riser_margin = p.riser_margin;
  v.width_entered = p.last_marks[STAIRS_WIDTH_MARK_ROW] != 0;
  return v;
}

// ---- profiles ----

StairsPart tread_riser_housing(const StairsValues& v, double a) {
  const double t = std::tan(v.slant);
  StairsPart part;
  const double y2 = -v.rt - t * (a - v.nos);
  part.nodes = {node_at(0, 0),
                node_at(-v.nos, -v.rt),
                node_at(-a, y2),
                node_at(-a - 1.25 * v.wedge, y2 + 0.5 * v.tt),
                node_at(-a - 2 * v.nos, v.tt - 0.25 * v.nos),
                node_at(-(a + v.nos) - t * (v.rise - v.tt), v.tt),
                node_at(-(a + v.nos), v.rise - v.rt),
                node_at(-a, v.rise),
                node_at(-a, v.tt),
                node_at(v.back - v.r, v.tt),
                node_at(v.back, v.tt - v.r),
                node_at(v.back, v.r),
                node_at(v.back - v.r, 0)};
  make_arc(&part, 9, v.back - v.r, v.tt - v.r);
  make_arc(&part, 11, v.back - v.r, v.r);
  // The links the housing shares with its neighbours are cut by them.
  part.nodes[0].jump = true;
  part.nodes[6].jump = true;
  return part;
}

StairsPart tread_housing(const StairsValues& v) {
  const double r = v.r;
  StairsPart part;
  part.nodes = {node_at(v.back - r, 0),      node_at(r - v.run, 0),
                node_at(-v.run, r),          node_at(-v.run, v.tt - r),
                node_at(r - v.run, v.tt),    node_at(v.back - r, v.tt),
                node_at(v.back, v.tt - r),   node_at(v.back, r)};
  make_arc(&part, 1, r - v.run, r);
  make_arc(&part, 3, r - v.run, v.tt - r);
  make_arc(&part, 5, v.back - r, v.tt - r);
  make_arc(&part, 7, v.back - r, r);
  return part;
}

StairsPart bottom_end(StairsModel* model) {
  const StairsValues& v = model->v;
  StairsPart part;
  const PointD p3{-v.nos, -v.rt};
  const double y1 = -(v.rise - v.tt + v.wedge + v.drop);
  // The riser's front face runs down from the nosing at the slant, to the height of node 1.
  const PointD along = polar(p3, v.rise - v.tt, 1.5 * PI - v.slant);
  const PointD p2 = meet(model, line_through(along, p3), horizontal(PointD{0, y1}));
  part.nodes = {node_at(0, 0), node_at(0, y1), node_at(p2.x, p2.y), node_at(p3.x, p3.y)};
  part.nodes[3].jump = true;
  return part;
}

StairsPart top_end(const StairsValues& v, double a) {
  StairsPart part;
  const PointD p1{-v.nos, -v.rt};
  const PointD p2 = polar(p1, a, PI + v.slant);
  part.nodes = {node_at(0, 0),
                node_at(p1.x, p1.y),
                node_at(p2.x, p2.y),
                node_at(-(a + v.wedge), v.tt),
                node_at(v.back - v.r, v.tt),
                node_at(v.back, v.tt - v.r),
                node_at(v.back, v.r),
                node_at(v.back - v.r, 0)};
  make_arc(&part, 4, v.back - v.r, v.tt - v.r);
  make_arc(&part, 6, v.back - v.r, v.r);
  part.nodes[0].jump = true;
  return part;
}

StairsPart first_step_piece(const StairsValues& v, double a) {
  const double t = std::tan(v.slant);
  const double y1 = -(v.rise - v.tt);
  const PointD p4{0, -v.rise - v.rt - t * a};
  PointD p3{a + v.wedge, -v.rise - v.rt};
  if (v.slant != 0) {
    // A slanted riser: the seat runs up the slant from P4, one wedge allowance longer.
    const PointD first{a, -v.rise - v.rt};
    p3 = polar(p4, distance(first, p4) + v.wedge, v.slant);
  }
  StairsPart part;
  part.nodes = {node_at(0, 0),
                node_at(0, y1),
                node_at(a + v.wedge, y1),
                node_at(p3.x, p3.y),
                node_at(p4.x, p4.y),
                node_at(0, p4.y - v.wedge),
                node_at(-3 * v.nos, y1),
                node_at(-v.nos - t * (v.rise - v.tt), y1),
                node_at(-v.nos, -v.rt)};
  part.nodes[8].jump = true;
  return part;
}

// ---- building ----

StairsPart& add_part(StairsModel* model, StairsPart part) {
  part.number = model->next_number++;
  part.moves_before = model->moves;
  model->parts.push_back(std::move(part));
  return model->parts.back();
}

void move_all(StairsModel* model, PointD v) {
  if (model->move_sum.empty()) model->move_sum.push_back(PointD{0, 0});
  model->move_sum.push_back(add(model->move_sum.back(), v));
  ++model->moves;
}

void settle_moves(StairsModel* model) {
  if (model->move_sum.empty()) return;
  const PointD total = model->move_sum.back();
  for (StairsPart& part : model->parts) {
    const size_t before = static_cast<size_t>(part.moves_before);
    const PointD made_before = before < model->move_sum.size() ? model->move_sum[before] : total;
    translate_part(&part, sub(total, made_before));
    part.moves_before = 0;
  }
  model->move_sum.clear();
  model->moves = 0;
}

void translate_part(StairsPart* part, PointD v) {
  for (PartNode& n : part->nodes) {
    n.p = add(n.p, v);
    if (n.arc) n.centre = add(n.centre, v);
  }
}

void translate_parts(StairsModel* model, PointD v) {
  for (StairsPart& part : model->parts) translate_part(&part, v);
}

StairsPart outline_part(const std::vector<PointD>& points, int32_t number) {
  StairsPart part;
  for (const PointD& p : points) part.nodes.push_back(node_at(p.x, p.y));
  part.number = number;
  part.layer = 1;
  return part;
}

void split_steps_forward(std::vector<StairsPart>* steps, int32_t keep) {
  const int32_t count = static_cast<int32_t>(steps->size());
  if (keep < 0) keep = 0;
  // Item keep + 1 (1-based) is steps[keep]; the link it shares with the next one is cut again.
  if (keep < count && (*steps)[static_cast<size_t>(keep)].nodes.size() > 6)
    (*steps)[static_cast<size_t>(keep)].nodes[6].jump = false;
  if (keep + 1 < count) (*steps)[static_cast<size_t>(keep + 1)].nodes[0].jump = false;
  for (int32_t i = keep + 1; i < count; ++i) (*steps)[static_cast<size_t>(i)].layer = 2;
}
