#include "commands/line_solver.h"

#include <cmath>

#include "commands/transform_form.h"
#include "commands/value_form.h"
#include "editor/view_state.h"
#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;
constexpr double HALF_PI = PI / 2.0;
constexpr float TINY_LENGTH = 1e-7f;
constexpr float SPLINE_RUN = -5.0f;
constexpr char NO_TANGENT_TEXT[] = "No tangent possible with the arc you selected.";
constexpr char TWO_LINES_TEXT[] = "You requested a line tangent to two other lines!";

ValueForm& form() { return g_value_form; }
TransformFormState& tf() { return g_transform_form; }
LinkRecord& line() { return g_value_form.link.link; }
PointF& start() { return g_value_form.link.link.point; }
PointF& end() { return g_value_form.link.closing.point; }
float& length() { return g_value_form.link.link.sweep; }
float& angle() { return g_value_form.link.link.start_angle; }

bool is_mode(int modes) { return (tf().mode & modes) != 0; }
bool rotating() { return is_mode(TRANSFORM_ROTATE_MODES); }
bool scaling() { return is_mode(TRANSFORM_SCALE_MODES); }
bool align_rows() { return tf().mode == TRANSFORM_ALIGN && tf().align_rows; }
bool align_columns() { return tf().mode == TRANSFORM_ALIGN && !tf().align_rows; }

bool entered(int field) { return form().entered[field] != FIELD_EMPTY; }
bool typed(int field) { return form().entered[field] == FIELD_ENTERED; }
bool start_given() { return entered(TF_START_X) && entered(TF_START_Y); }
bool start_typed() { return typed(TF_START_X) && typed(TF_START_Y); }
bool end_given() { return entered(TF_END_X) && entered(TF_END_Y); }
bool end_typed() { return typed(TF_END_X) && typed(TF_END_Y); }
bool start_preset() { return start_given() && !start_typed(); }

bool is_arc(const PickedLink& p) { return p.set && p.link[0].code > 0.0f; }

double into_turn(double a) {
  a = std::fmod(a, TWO_PI);
  if (a < 0.0) a += TWO_PI;
  return a;
}

void no_tangent() { show_text_box(NO_TANGENT_TEXT, TEXTBOX_PRESS_A_KEY); }

// The end from the start, the length and the angle (a missing length gets the default).
void place_end() {
  if (length() == 0.0f) length() = default_line_length();
  double a = angle();
  if (tf().mode == TRANSFORM_ROTATE_REFERENCE) a += tf().factor;
  polar_point(&start(), length(), a, &end());
}

// The start from the end, backwards along the angle.
void start_from_end() {
  if (length() == 0.0f) length() = 1.0f;
  polar_point(&end(), length(), static_cast<double>(angle()) + PI, &start());
}

void picks_to_ends() {
  tf().start_pick = start();
  tf().end_pick = end();
}

// The tangent point of the arc seen from p nearer to the pick (the second on a tie) into out;
// false after the refusal box.
bool tangent_point_from(const PointF& p, const PickedLink& arc, const PointF& pick, PointF* out) {
  PointF a{}, b{};
  if (tangent_points_from_point(&p, &arc.link[0], &a, &b) != TANGENT_FROM_POINT_OK) {
    no_tangent();
    return false;
  }
  *out = point_distance(&a, &pick) < point_distance(&b, &pick) ? a : b;
  return true;
}

bool start_tangent_from_end() {
  PointF p{};
  if (!tangent_point_from(end(), tf().start_tangent, tf().start_pick, &p)) return false;
  start() = p;
  picks_to_ends();
  return true;
}

bool end_tangent_from_start() {
  if (!is_arc(tf().end_tangent)) return false;
  PointF p{};
  if (!tangent_point_from(start(), tf().end_tangent, tf().end_pick, &p)) return false;
  end() = p;
  picks_to_ends();
  return true;
}

// The start on the start arc where the line at the angle touches it, the end along the angle.
bool tangent_at_angle() {
  if (!is_arc(tf().start_tangent)) return false;
  const LinkRecord& arc = tf().start_tangent.link[0];
  PointF p1{}, p2{};
  polar_point(&arc.centre, arc.code, into_turn(angle() + HALF_PI), &p1);
  polar_point(&arc.centre, arc.code, into_turn(angle() - HALF_PI), &p2);
  start() = point_distance(&p1, &tf().start_pick) < point_distance(&p2, &tf().start_pick) ? p1 : p2;
  polar_point(&start(), length(), angle(), &end());
  return true;
}

bool start_tangent_rule() {
  const bool has_length = entered(TF_LENGTH);
  if (start_typed()) {
    if (!is_arc(tf().start_tangent) || !has_length) return false;
    double direction = arc_tangent_angle(&start(), &tf().start_tangent.link[0]);
    if (entered(TF_ANGLE)) {
      const double off = into_turn(direction - angle());
      if (off > HALF_PI && off < 3.0 * HALF_PI) direction = into_turn(direction + PI);
    }
    polar_point(&start(), length(), direction, &end());
    picks_to_ends();
    return true;
  }
  if (end_given()) return is_arc(tf().start_tangent) && start_tangent_from_end();
  if (entered(TF_ANGLE) && has_length) return tangent_at_angle();
  return false;
}

bool two_tangent_rule() {
  const PickedLink& a = tf().start_tangent;
  const PickedLink& b = tf().end_tangent;
  if (is_arc(a) && is_arc(b)) {
    PointF pairs[4][2];
    const int n = tangent_lines_two_circles(&a.link[0], &b.link[0], pairs);
    if (n <= 0) {
      no_tangent();
      return false;
    }
    pick_nearest_pair(pairs, n, &line(), &tf().start_pick, &tf().end_pick);
    // pick_nearest_pair writes the record after the line: the form's closing record.
    picks_to_ends();
    return true;
  }
  if (a.set && b.set && b.link[0].code >= -1.0f && a.link[0].code <= -1.0f) {
    show_text_box(TWO_LINES_TEXT, TEXTBOX_PRESS_A_KEY);
  } else if ((a.set && a.link[0].code == SPLINE_RUN) || (b.set && b.link[0].code == SPLINE_RUN)) {
    get_message(MSG_TANGENT_TO_SPLINE);
  }
  return false;
}

// The angle brought onto the snap; false when that changes nothing (within 0.001).
bool rotate_snap() {
  if (!start_given()) return false;
  if (tf().snap) {
    const double step = tf().snap_increment > 0.0f ? tf().snap_increment : PI / 180.0;
    const double a = normalize_angle(angle());
    angle() = static_cast<float>(std::floor(a / step + 1e-6) * step);
    if (std::fabs(angle() - tf().remembered_angle) <= 0.001) return false;
  }
  place_end();
  return true;
}

// Everything the solved line gives the other fields.
void show_solved() {
  ValueForm& f = form();
  form_complete() = 1;
  length() = point_distance(&start(), &end());
  if (rotating() || scaling()) {
    if (start_given()) tf().preview_on = true;
  }
  if (scaling()) {
    compute_scale_factor();
  } else if (!rotating()) {
    angle() = point_angle(&start(), &end());
    if (tf().mode != TRANSFORM_ALIGN) {
      f.values[0] = end().x - start().x;
      f.values[1] = end().y - start().y;
    }
  }
  LinkRecord records[2] = {f.link.link, f.link.closing};
  records[0].code = LINK_RIGID_LINE;
  link_bounding_box(records);
  f.link.link.box_min = records[0].box_min;
  f.link.link.box_max = records[0].box_max;
}

// A cleared field: every field not entered is blank; the count.
int clear_field(int n) {
  ValueForm& f = form();
  if (n > 0 && n < VALUE_FORM_MAX_CONTROLS) f.entered[n] = FIELD_EMPTY;
  if (n == TF_START_TANGENT) tf().start_tangent = PickedLink{};
  if (n == TF_END_TANGENT) tf().end_tangent = PickedLink{};
  int count = 0;
  for (int i = TF_START_X; i <= TF_LAYER; ++i)
    if (!entered(i)) ++count;
  form_complete() = tf().mode == TRANSFORM_LINE ? 0 : 1;
  return count;
}

bool solve_start_field() {
  const ViewState& v = g_view;
  if (align_rows() || tf().mode == TRANSFORM_MIRROR_HORIZONTAL) {
    start().x = v.view_right;
    end() = {v.view_left, start().y};
    return true;
  }
  if (align_columns() || tf().mode == TRANSFORM_MIRROR_VERTICAL) {
    start().y = v.view_top;
    end() = {start().x, v.view_bottom};
    return true;
  }
  if (!start_given()) return false;
  if (entered(TF_START_TANGENT)) return start_tangent_rule();
  if (rotating()) {
    place_end();
    return true;
  }
  if (end_given()) return true;
  if (entered(TF_ANGLE) && entered(TF_LENGTH)) {
    place_end();
    return true;
  }
  if (entered(TF_END_TANGENT)) return end_tangent_from_start();
  return form_complete() == 1;
}

bool solve_end_field() {
  if (!end_given()) return false;
  if (entered(TF_START_TANGENT) && is_arc(tf().start_tangent)) return start_tangent_from_end();
  if (rotating() && start_given()) {
    tf().remembered_angle = angle();
    double a = point_angle(&start(), &end());
    if (tf().mode == TRANSFORM_ROTATE_REFERENCE) a -= tf().factor;
    angle() = static_cast<float>(a);
    length() = point_distance(&start(), &end());
    return rotate_snap();
  }
  if (start_typed()) return true;
  if (entered(TF_ANGLE) && entered(TF_LENGTH)) {
    start_from_end();
    return true;
  }
  return start_preset();
}

bool solve_end_tangent() {
  if (entered(TF_START_TANGENT)) return two_tangent_rule();
  if (start_given()) return end_tangent_from_start();
  if (end_given() && is_arc(tf().end_tangent) && entered(TF_LENGTH)) {
    const double direction = arc_tangent_angle(&end(), &tf().end_tangent.link[0]);
    polar_point(&end(), length(), direction, &start());
    return true;
  }
  return false;
}

bool solve_length() {
  if (entered(TF_START_TANGENT)) {
    if (entered(TF_ANGLE) && entered(TF_LENGTH)) return tangent_at_angle();
    return start_tangent_rule();
  }
  if (start_typed()) {
    place_end();
    return true;
  }
  if (end_typed()) {
    start_from_end();
    return true;
  }
  if (start_preset()) {
    place_end();
    return true;
  }
  return false;
}

bool solve_angle() {
  if (rotating()) {
    tf().snap = false;
    place_end();
    return true;
  }
  return solve_length();
}

// The X and Y distances make the angle and the length.
bool solve_distances() {
  ValueForm& f = form();
  f.entered[TF_ANGLE] = f.entered[TF_LENGTH] = FIELD_ENTERED;
  const double x = f.values[0];
  const double y = f.values[1];
  angle() = (x == 0.0 && y == 0.0) ? 0.0f : static_cast<float>(into_turn(std::atan2(y, x)));
  length() = static_cast<float>(std::hypot(x, y));
  return solve_angle();
}

bool solve_x_value() {
  ValueForm& f = form();
  if (rotating()) {
    tf().snap_increment = f.values[0];
    tf().snap = true;
    tf().remembered_angle = angle();
    return rotate_snap();
  }
  if (tf().mode == TRANSFORM_ALIGN) return true;
  if (scaling()) {
    if (tf().mode == TRANSFORM_SCALE_SIZE && f.values[0] != 0.0f) {
      f.values[1] = 0.0f;
      f.entered[TF_Y_VALUE] = FIELD_EMPTY;
    }
    return true;
  }
  return solve_distances();
}

bool solve_y_value() {
  ValueForm& f = form();
  if (rotating()) {
    if (tf().mode == TRANSFORM_ROTATE) return false;
    tf().factor2 = f.values[1];
    tf().remembered_angle = angle();
    return rotate_snap();
  }
  if (scaling()) {
    if (tf().mode == TRANSFORM_SCALE_SIZE && f.values[1] != 0.0f) {
      f.values[0] = 0.0f;
      f.entered[TF_X_VALUE] = FIELD_EMPTY;
    }
    return true;
  }
  return solve_distances();
}

}  // namespace

float default_line_length() {
  const double pixels = g_view.area_bottom - g_view.area_top;
  const double scale = g_view.scale_y > 0.0f ? g_view.scale_y : 1.0f;
  const double fifth = pixels > 0.0 ? pixels / scale / 5.0 : 1.0;
  return static_cast<float>(fifth);
}

void compute_scale_factor() {
  const TransformFormState& t = tf();
  if (t.mode == TRANSFORM_SCALE) return;
  double a = form().values[0];
  double b = form().values[1];
  if (t.mode == TRANSFORM_SCALE_SIZE) {
    if (a != 0.0) {
      b = a;
      a = t.box_max.x - t.box_min.x;
    } else if (b != 0.0) {
      a = t.box_max.y - t.box_min.y;
    }
  }
  tf().factor = (a >= TINY_LENGTH && b >= TINY_LENGTH) ? static_cast<float>(b / a) : 1.0f;
}

int line_solver(int field) {
  ValueForm& f = form();
  if (field > 0 && ((entered(TF_START_TANGENT) && !tf().start_tangent.set) ||
                    (entered(TF_END_TANGENT) && !tf().end_tangent.set)))
    return 0;
  if (field < 0) return clear_field(-field);
  if (field == TF_FLIP) {
    if (form_complete() != 1) return 0;
    angle() = static_cast<float>(normalize_angle(static_cast<double>(angle()) + PI));
    place_end();
    show_solved();
    return 1;
  }
  if (field >= VALUE_FORM_MAX_CONTROLS) return 0;
  if (f.entered[field] == FIELD_EMPTY || field == TF_START_X || field == TF_START_Y ||
      field == TF_END_X || field == TF_END_Y)
    f.entered[field] = FIELD_ENTERED;
  bool solved = false;
  switch (field) {
    case TF_START_X:
    case TF_START_Y: solved = solve_start_field(); break;
    case TF_START_TANGENT:
      solved = entered(TF_END_TANGENT) ? two_tangent_rule() : start_tangent_rule();
      break;
    case TF_END_X:
    case TF_END_Y: solved = solve_end_field(); break;
    case TF_END_TANGENT: solved = solve_end_tangent(); break;
    case TF_LENGTH: solved = solve_length(); break;
    case TF_ANGLE: solved = solve_angle(); break;
    case TF_X_VALUE: solved = solve_x_value(); break;
    case TF_Y_VALUE: solved = solve_y_value(); break;
    case TF_FACTOR: solved = tf().mode == TRANSFORM_SCALE; break;
    default: break;
  }
  if (!solved) return 0;
  show_solved();
  return 1;
}
