#include "print/stairs_solver.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEGREE = PI / 180;

// Floor-to-floor limits of the stair form, by unit.
constexpr double TOTAL_LEAST_MM = 10, TOTAL_MOST_MM = 9000;
constexpr double TOTAL_LEAST_IN = 3, TOTAL_MOST_IN = 360;
// More risers than this from one total rise is a typing error, not a staircase.
constexpr double MOST_RISERS = 800;
constexpr double LEAST_LENGTH = 0.001;
constexpr double MOST_DROP = 9000;
constexpr double MOST_SLANT_DEGREES = 15;
// The housing's corner radius stays below half the tread so the two arcs never meet.
constexpr double RADIUS_PER_TREAD = 0.49999;
constexpr double LEAST_RADIUS = 0.0002;
constexpr double BACK_BEYOND_RADIUS = 0.0001;
constexpr double LEAST_STRINGER_LENGTH = 0.1;
constexpr double LEAST_CUT_LENGTH = 0.01;

bool is_metric(const StairsParams& p) { return (p.kind_word & STAIRS_METRIC) != 0; }

// The solver's view of the marks as they were when the entry came in.
struct Marks {
  const uint8_t* last;
  const uint8_t* before;
  bool last_is(int row) const { return last[row] != 0; }
  bool before_is(int row) const { return before[row] != 0; }
};

void clear_row_marks(StairsParams* p, int row) {
  p->last_marks[row] = 0;
  p->earlier_marks[row] = 0;
}

// The entered row becomes the latest entry; the solver's rows entered so far become earlier ones.
void mark_entry(StairsParams* p, int row) {
  if (row == 8 || row > STAIR_ROW_LAST_SOLVED) {
    p->last_marks[row] = 1;
    return;
  }
  for (int r = 0; r <= STAIR_ROW_LAST_SOLVED; ++r) {
    p->earlier_marks[r] = static_cast<uint8_t>(p->earlier_marks[r] | p->last_marks[r]);
    p->last_marks[r] = 0;
  }
  p->last_marks[row] = 1;
}

void set_float(float* field, double value) { *field = static_cast<float>(value); }

// RUN or ANG after the rise changed: the one the user gave stays, the other follows.
void follow_rise(StairsParams* p, const Marks& m) {
  const double rise = p->rise, run = p->run, ang = p->pitch_angle;
  const bool keep_run = m.last_is(STAIR_ROW_RUN) ||
                        (!m.last_is(STAIR_ROW_ANGLE) && m.before_is(STAIR_ROW_RUN));
  if (keep_run) {
    if (run > 0) set_float(&p->pitch_angle, std::atan(rise / run));
  } else if (std::tan(ang) > 0) {
    set_float(&p->run, rise / std::tan(ang));
  }
}

void rise_from_total(StairsParams* p, const Marks& m) {
  set_float(&p->rise, static_cast<double>(p->total_rise) / (p->tread_count + 1));
  follow_rise(p, m);
}

// The count of treads nearest the total rise at this rise, then the rise that fits it exactly.
// Nothing to do while there is no total rise; false for a count that makes no staircase.
bool count_from_total(StairsParams* p, const Marks& m) {
  const double total = p->total_rise, rise = p->rise;
  if (!(total > 0)) return true;
  if (!(rise > 0)) return false;
  const double risers = total / rise;
  if (!(risers <= MOST_RISERS)) return false;
  const int32_t n = static_cast<int32_t>(risers + 0.5) - 1;
  if (n <= 0) return false;
  p->tread_count = n;
  rise_from_total(p, m);
  return true;
}

void total_from_count(StairsParams* p) {
  const double rise = p->rise;
  set_float(&p->total_rise, (p->tread_count + 1) * rise);
  set_float(&p->run, std::tan(PI / 2 - static_cast<double>(p->pitch_angle)) * rise);
}

// The pitch from the rise and going, and the total rise from the count.
void pitch_and_total(StairsParams* p) {
  set_float(&p->pitch_angle, std::atan(static_cast<double>(p->rise) / p->run));
  set_float(&p->total_rise, (p->tread_count + 1) * static_cast<double>(p->rise));
}

bool solve_total(StairsParams* p, const Marks& m) {
  if (m.last_is(STAIR_ROW_RISE)) return count_from_total(p, m);
  if (m.last_is(STAIR_ROW_COUNT)) return rise_from_total(p, m), true;
  if (m.before_is(STAIR_ROW_RISE)) return count_from_total(p, m);
  if (m.before_is(STAIR_ROW_COUNT)) return rise_from_total(p, m), true;
  if (p->rise > 0) return count_from_total(p, m);
  return true;
}

bool solve_rise(StairsParams* p, const Marks& m) {
  const auto pitch_only = [p] {
    if (p->run != 0) set_float(&p->pitch_angle, std::atan(static_cast<double>(p->rise) / p->run));
  };
  if (m.last_is(STAIR_ROW_TOTAL)) return count_from_total(p, m);
  if (m.last_is(STAIR_ROW_COUNT)) {
    if (m.before_is(STAIR_ROW_TOTAL)) return count_from_total(p, m);
    total_from_count(p);
    return true;
  }
  if (m.before_is(STAIR_ROW_TOTAL)) return count_from_total(p, m);
  if (m.before_is(STAIR_ROW_COUNT)) return total_from_count(p), true;
  if (m.last_is(STAIR_ROW_RUN) && p->run != 0) return pitch_and_total(p), true;
  if (m.last_is(STAIR_ROW_ANGLE)) return pitch_only(), true;
  if (m.before_is(STAIR_ROW_RUN) && p->run != 0) return pitch_and_total(p), true;
  if (m.before_is(STAIR_ROW_ANGLE)) return pitch_only(), true;
  if (p->tread_count > 0) return total_from_count(p), true;
  return count_from_total(p, m);
}

// The rows 0-9 entry of a value that is not zero; false when it breaks a rule or the solver finds
// no staircase in it.
bool solve_stair_row(StairsParams* p, int row, double value, const Marks& m) {
  switch (row) {
    case STAIR_ROW_TOTAL: {
      const bool metric = is_metric(*p);
      if (value < (metric ? TOTAL_LEAST_MM : TOTAL_LEAST_IN) ||
          value > (metric ? TOTAL_MOST_MM : TOTAL_MOST_IN))
        return false;
      set_float(&p->total_rise, value);
      return solve_total(p, m);
    }
    case STAIR_ROW_ANGLE: {
      // A pitch of a right angle or more has no going.
      const double ang = value * DEGREE;
      if (ang < LEAST_LENGTH || ang >= PI / 2) return false;
      set_float(&p->pitch_angle, ang);
      if (p->rise != 0) set_float(&p->run, p->rise / std::tan(static_cast<double>(p->pitch_angle)));
      return true;
    }
    case STAIR_ROW_TREAD:
      if (value < LEAST_LENGTH) return false;
      set_float(&p->tread_thickness, value);
      if (p->corner_radius > RADIUS_PER_TREAD * value)
        set_float(&p->corner_radius, RADIUS_PER_TREAD * value);
      return count_from_total(p, m);
    case STAIR_ROW_NOSING:
      if (value < LEAST_LENGTH) return false;
      set_float(&p->nosing, value);
      return true;
    case STAIR_ROW_RISE:
      if (value < LEAST_LENGTH) return false;
      set_float(&p->rise, value);
      return solve_rise(p, m);
    case STAIR_ROW_RUN:
      if (value < LEAST_LENGTH) return false;
      set_float(&p->run, value);
      if (p->rise > 0) pitch_and_total(p);
      return true;
    case STAIR_ROW_COUNT: {
      if (value < 0 || value > STAIRS_MOST_TREADS) return false;
      p->tread_count = static_cast<int32_t>(value);
      if (m.last_is(STAIR_ROW_TOTAL))
        rise_from_total(p, m);
      else
        total_from_count(p);
      return true;
    }
    default:
      return false;
  }
}

// Rows 10 and beyond: rules of their own, no marks read.
bool apply_detail_row(StairsParams* p, int row, double value) {
  switch (row) {
    case STAIR_ROW_TOP:
      if (std::fabs(value) > p->rise) return false;
      set_float(&p->top_offset, -std::fabs(value));
      total_from_count(p);
      return true;
    case STAIR_ROW_DROP:
      if (value > MOST_DROP) return false;
      set_float(&p->bottom_drop, value);
      total_from_count(p);
      return true;
    case STAIR_ROW_RADIUS: {
      double r = std::fmin(value, RADIUS_PER_TREAD * p->tread_thickness);
      r = std::fmax(r, LEAST_RADIUS);
      set_float(&p->corner_radius, r);
      return true;
    }
    case STAIR_ROW_BACK:
      set_float(&p->housing_back,
                std::fmax(value, static_cast<double>(p->corner_radius) + BACK_BEYOND_RADIUS));
      return true;
    case STAIR_ROW_SLANT:
      if (value > MOST_SLANT_DEGREES) return false;
      set_float(&p->riser_slant, value * DEGREE);
      return true;
    case STAIR_ROW_RISER:
      if (value > p->rise) return false;
      set_float(&p->riser_thickness, value);
      return true;
    default:
      return false;
  }
}

// Zero (or Del) in a solver row: the value goes and with it the claim that the user gave it.
void clear_stair_value(StairsParams* p, int row) {
  switch (row) {
    case STAIR_ROW_TOTAL: p->total_rise = 0; break;
    case STAIR_ROW_ANGLE: p->pitch_angle = 0; break;
    case STAIR_ROW_TREAD: p->tread_thickness = 0; break;
    case STAIR_ROW_NOSING: p->nosing = 0; break;
    case STAIR_ROW_RISE: p->rise = 0; break;
    case STAIR_ROW_RUN: p->run = 0; break;
    case STAIR_ROW_COUNT: p->tread_count = 0; break;
    default: break;
  }
  clear_row_marks(p, row);
}

bool is_stair_row(int row) {
  switch (row) {
    case STAIR_ROW_TOTAL: case STAIR_ROW_ANGLE: case STAIR_ROW_TREAD: case STAIR_ROW_NOSING:
    case STAIR_ROW_RISE: case STAIR_ROW_RUN: case STAIR_ROW_COUNT: case STAIR_ROW_TOP:
    case STAIR_ROW_DROP: case STAIR_ROW_RADIUS: case STAIR_ROW_BACK: case STAIR_ROW_SLANT:
    case STAIR_ROW_RISER:
      return true;
    default:
      return false;
  }
}

// A yes/no or two-letter choice typed as 0 or 1.
bool choice(double value, uint8_t* field) {
  if (value != 0 && value != 1) return false;
  *field = static_cast<uint8_t>(value);
  return true;
}

bool at_least(double value, double least, float* field) {
  if (!(value >= least)) return false;
  set_float(field, value);
  return true;
}

void set_outline_depth(StairsParams* p, double thickness) {
  set_float(&p->board_thickness, thickness);
  set_float(&p->outline_cam.finishing.cut_depth, thickness);
}

bool apply_stringer_row(StairsParams* p, int row, double value) {
  switch (row) {
    case STRINGER_ROW_MARGIN:
      if (!at_least(value, LEAST_STRINGER_LENGTH, &p->housing_margin)) return false;
      update_riser_margin(p);
      return true;
    case STRINGER_ROW_RISER_MARGIN:
      // The margin below the housings is what is left of it once the housing is behind.
      if (value < LEAST_STRINGER_LENGTH || value - p->housing_back < LEAST_STRINGER_LENGTH)
        return false;
      set_float(&p->riser_margin, value);
      set_float(&p->housing_margin, value - p->housing_back);
      return true;
    case STRINGER_ROW_THICKNESS:
      if (value < LEAST_STRINGER_LENGTH) return false;
      set_outline_depth(p, value);
      return true;
    case STRINGER_ROW_WIDTH:
      if (value == 0) {
        p->board_width = 0;
        p->last_marks[STAIRS_WIDTH_MARK_ROW] = 0;
        return true;
      }
      if (!at_least(value, LEAST_STRINGER_LENGTH, &p->board_width)) return false;
      p->last_marks[STAIRS_WIDTH_MARK_ROW] = 1;
      return true;
    case STRINGER_ROW_SIDE:
      return choice(value, &p->side);
    case STRINGER_ROW_TOP_EXTRA:
      set_float(&p->top_extra_height, value);
      return true;
    case STRINGER_ROW_FIRST_GOING:
      return at_least(value, LEAST_STRINGER_LENGTH, &p->first_going);
    case STRINGER_ROW_LAST_GOING:
      return at_least(value, LEAST_STRINGER_LENGTH, &p->last_going);
    case STRINGER_ROW_CORNER:
      set_float(&p->entered_corner_height, value);
      return true;
    default:
      return false;
  }
}

bool apply_table_row(StairsParams* p, int row, double value) {
  switch (row) {
    case TABLE_ROW_RAILS: return at_least(value, p->run, &p->rail_distance);
    case TABLE_ROW_LENGTH: return at_least(value, 3.0 * p->run, &p->table_length);
    case TABLE_ROW_MARGIN_ALONG: return at_least(value, LEAST_LENGTH, &p->margin_along);
    case TABLE_ROW_MARGIN_ACROSS: return at_least(value, LEAST_LENGTH, &p->margin_across);
    case TABLE_ROW_MARKERS: return choice(value, &p->marker_choice);
    case TABLE_ROW_AXIS: return choice(value, &p->table_axis);
    default: return false;
  }
}

bool apply_cut_stringer_row(StairsParams* p, int row, double value) {
  switch (row) {
    case CUT_ROW_RISE: return at_least(value, LEAST_STRINGER_LENGTH, &p->rise);
    case CUT_ROW_RUN: return at_least(value, LEAST_STRINGER_LENGTH, &p->run);
    case CUT_ROW_TREAD: return at_least(value, LEAST_CUT_LENGTH, &p->tread_thickness);
    case CUT_ROW_COUNT:
      if (value < 0 || value > STAIRS_MOST_TREADS) return false;
      p->tread_count = static_cast<int32_t>(value);
      return true;
    case CUT_ROW_DROP:
      if (value > MOST_DROP) return false;
      set_float(&p->bottom_drop, value);
      return true;
    case CUT_ROW_TOP_DROP: set_float(&p->cut_top_drop, value); return true;
    case CUT_ROW_BOTTOM_X: set_float(&p->cut_bottom_x, value); return true;
    case CUT_ROW_BOARD_BELOW: return at_least(value, LEAST_CUT_LENGTH, &p->cut_board_below);
    case CUT_ROW_THICKNESS:
      if (value < LEAST_CUT_LENGTH) return false;
      set_outline_depth(p, value);
      return true;
    case CUT_ROW_STEP_LINE: return choice(value, &p->step_line_choice);
    case CUT_ROW_SAWTOOTH: set_float(&p->sawtooth_offset, value); return true;
    default: return false;
  }
}

// Every value a form stores must be one a float can hold; a refused solve leaves the block alone.
bool commit_if_finite(StairsParams* params, const StairsParams& work) {
  const float values[] = {work.total_rise, work.pitch_angle, work.rise, work.run};
  for (float v : values)
    if (!std::isfinite(v)) return false;
  *params = work;
  return true;
}

}  // namespace

bool enter_stair_value(StairsParams* params, int row, double value) {
  if (!std::isfinite(value) || !is_stair_row(row)) return false;
  StairsParams work = *params;
  if (value == 0 && row <= STAIR_ROW_LAST_SOLVED) {
    clear_stair_value(&work, row);
    *params = work;
    return true;
  }
  uint8_t last[STAIRS_MARK_ROWS], before[STAIRS_MARK_ROWS];
  std::memcpy(last, work.last_marks, sizeof last);
  std::memcpy(before, work.earlier_marks, sizeof before);
  const Marks marks{last, before};
  const bool ok = row <= STAIR_ROW_LAST_SOLVED ? solve_stair_row(&work, row, value, marks)
                                               : apply_detail_row(&work, row, value);
  if (!ok) return false;
  if (value == 0)
    clear_row_marks(&work, row);
  else
    mark_entry(&work, row);
  return commit_if_finite(params, work);
}

bool enter_stringer_value(StairsParams* params, int row, double value) {
  if (!std::isfinite(value)) return false;
  StairsParams work = *params;
  if (!apply_stringer_row(&work, row, value)) return false;
  return commit_if_finite(params, work);
}

bool enter_table_value(StairsParams* params, int row, double value) {
  if (!std::isfinite(value)) return false;
  StairsParams work = *params;
  if (!apply_table_row(&work, row, value)) return false;
  return commit_if_finite(params, work);
}

bool enter_cut_stringer_value(StairsParams* params, int row, double value) {
  if (!std::isfinite(value)) return false;
  StairsParams work = *params;
  if (!apply_cut_stringer_row(&work, row, value)) return false;
  set_float(&work.total_rise, work.tread_count * static_cast<double>(work.run));
  return commit_if_finite(params, work);
}

bool stairs_row_derived(const StairsParams& params, int row) {
  if (row < 0 || row >= static_cast<int>(STAIRS_MARK_ROWS)) return true;
  return params.last_marks[row] == 0 && params.earlier_marks[row] == 0;
}

void clear_stairs_marks(StairsParams* params) {
  std::memset(params->last_marks, 0, sizeof params->last_marks);
  std::memset(params->earlier_marks, 0, sizeof params->earlier_marks);
}

void update_riser_margin(StairsParams* params) {
  params->riser_margin = params->housing_margin + params->housing_back;
}

const char* stairs_acceptance_problem(const StairsParams& p, uint32_t left_flags,
                                      uint32_t right_flags) {
  const bool cut_stringer = (p.kind_word & STAIRS_KIND_MASK) == STAIRS_KIND_SPECIAL &&
                            p.kind4_type == STAIRS_TYPE_CUT_STRINGER;
  if ((!cut_stringer && (p.tread_thickness == 0 || p.nosing == 0)) || p.total_rise == 0 ||
      p.rise == 0 || p.run == 0 || p.pitch_angle == 0 || p.tread_count == 0)
    return STAIRS_ZERO_VALUES_TEXT;
  if (p.board_thickness == 0 || p.board_length == 0 || p.board_width == 0)
    return STAIRS_NO_STRINGER_TEXT;
  const bool hidden = (left_flags & STAIRS_BOX_HIDDEN) == STAIRS_BOX_HIDDEN &&
                      (right_flags & STAIRS_BOX_HIDDEN) == STAIRS_BOX_HIDDEN;
  if (hidden) return nullptr;
  if ((left_flags & STAIRS_BOX_CHECKED) == 0 && (right_flags & STAIRS_BOX_CHECKED) == 0)
    return STAIRS_NO_SIDE_TEXT;
  if (2.0 * p.board_width > p.rail_distance) return STAIRS_RAILS_TOO_SHORT_TEXT;
  return nullptr;
}

std::string stringer_shift_note(const StairsParams& p, int32_t shift_count) {
  const bool special = (p.kind_word & STAIRS_KIND_MASK) == STAIRS_KIND_SPECIAL;
  if (special && (p.kind4_type == 3 || p.kind4_type == 5)) return "";
  if (shift_count == 0) return "";
  char text[96];
  if (special && p.kind4_type == STAIRS_TYPE_CUT_STRINGER) {
    const double step = std::hypot(static_cast<double>(p.rise), static_cast<double>(p.run));
    std::snprintf(text, sizeof text, "Stringer needs to shift\nby \f%.2f\x13 %s", step * shift_count,
                  is_metric(p) ? "mm" : "inches");
  } else {
    std::snprintf(text, sizeof text, "Stringer needs to shift\nby \f%2d\x13 treads", shift_count);
  }
  return text;
}
