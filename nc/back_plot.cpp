#include "nc/back_plot.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

#include "geometry/float2d.h"
#include "geometry/geometry2d.h"
#include "nc/cam_host.h"
#include "nc/nc_extents.h"
#include "nc/post_processor.h"
#include "nc/proof_file.h"
#include "nc/work_surface.h"
#include "records/job_settings.h"
#include "store/line_fold.h"
#include "store/line_list.h"

BackPlotState g_back_plot;

namespace {

// Ends of an arc by radius closer than this have no defined centre: the move is drawn straight.
constexpr double ARC_SAME_END = 0.0001;
// Ends this close to a diameter apart make a half circle about their midpoint.
constexpr double ARC_HALF_CIRCLE = 0.001;
constexpr double ARC_NO_RADIUS = 1e-7;
constexpr double CHORD_TOLERANCE_INCH = 0.001;
constexpr double CHORD_TOLERANCE_MM = 0.025;
// Engraver commands count in thousandths: past this span the chord tolerance grows with them.
constexpr double ENGRAVER_LARGE_SPAN = 1000.0;
constexpr double ENGRAVER_TOLERANCE_FACTOR = 10000.0;
constexpr double STEP_ANGLE_MAX = 0.5;
constexpr double STEP_ANGLE_MIN = 0.01;
constexpr double STEP_ANGLE_TINY_ARC = 0.8;
constexpr int32_t TOOL_NUMBER_MAX = 999999;
// Rotary angle words: 0 degrees lands on top of the cylinder.
constexpr double ROTARY_ANGLE_OFFSET_DEG = 270.0;

struct BackPlotRun {
  double chord_tolerance = CHORD_TOLERANCE_INCH;
  bool tolerance_scaled = false;  // the large-span growth happens once a run
};
BackPlotRun g_run_info;

bool fits_f32(double v) { return std::isfinite(v) && std::fabs(v) <= FLT_MAX; }

bool is_letter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// An unsigned integer at p (digits only); *end past them. Saturates rather than overflows.
long read_integer(const char* p, const char** end) {
  long n = 0;
  while (is_digit(*p)) {
    if (n < 100000000L) n = n * 10 + (*p - '0');
    ++p;
  }
  *end = p;
  return n;
}

// The words of one line as read, before the line's mode resolves them into positions.
struct LineWords {
  bool has_x = false, has_y = false, has_z = false, has_r = false;
  double x = 0, y = 0, z = 0, r = 0;
  long g_number = -1;   // the last G number read so far in the line
  int motion_words = 0;
  bool tool_change = false;
  bool pause = false;
};

double read_value(const char** p) {
  double v = 0;
  *p = nc_read_number(*p, &v);
  if (!fits_f32(v)) g_back_plot.bad_number = true;
  return v;
}

bool job_axis_along_x() { return g_job_settings.surface_side == 1; }

// A rotary-axis word: the angle turns into the lateral coordinate and Z on the surface's radius.
void read_rotary_word(const char** p, LineWords* w) {
  BackPlotState& s = g_back_plot;
  const JobSettings& job = g_job_settings;
  const double rs = job.surface_radius;
  double rho = rs;
  if (job_surface_is(SURFACE_SPHERE_4TH_AXIS) || job_surface_is(SURFACE_TORUS_4TH_AXIS)) {
    double v = job_axis_along_x() ? (w->has_x ? w->x : s.x) : (w->has_y ? w->y : s.y);
    if (std::fabs(v) > std::fabs(rs) && rs != 0) v = std::fmod(v, rs);
    // Past the end of the axis the surface closes: the radius shrinks to 0, never to NaN.
    rho = std::sqrt(std::max(0.0, rs * rs - v * v));
  }
  double a = read_value(p) + ROTARY_ANGLE_OFFSET_DEG;
  if (a > 360.0) a -= 360.0;
  const double rad = a * ANGLE_PI / 180.0;
  const double u = rho * std::cos(rad), wz = rho * std::sin(rad);
  if (job_axis_along_x()) {
    w->y = s.incremental ? u - s.y : u;
    w->has_y = true;
  } else {
    w->x = s.incremental ? u - s.x : u;
    w->has_x = true;
  }
  w->z = s.incremental ? -wz - s.z : -wz;
  w->has_z = true;
  s.rotary_seen = true;
}

// PU, PD, PZ with or without coordinates.
uint32_t read_pen_word(const char** p, LineWords* w) {
  BackPlotState& s = g_back_plot;
  const char which = upper((*p)[1]);
  *p += 2;
  const bool up = which == 'U';
  ++w->motion_words;
  s.modal = up ? '0' : '1';
  s.motion = s.modal;
  s.incremental = false;
  const char* q = *p;
  while (*q == ' ') ++q;
  const bool has_numbers = is_digit(*q) || *q == '-' || *q == '+' || *q == '.';
  if (!has_numbers) {
    if (!s.engraver) return 0;
    if (which == 'U') {
      w->z = s.up_z;
      w->has_z = true;
      return LINE_MOVED_Z;
    }
    w->z = s.down_z;
    w->has_z = true;
    return 0;
  }
  w->x = read_value(p);
  w->has_x = true;
  w->has_z = s.engraver;
  w->z = up ? s.up_z : s.down_z;
  if (**p == ',') {
    ++*p;
    w->y = read_value(p);
    w->has_y = true;
    if (**p == ',') {
      ++*p;
      const double third = read_value(p);
      w->z = s.engraver ? -third : third;
      w->has_z = true;
    }
  }
  return LINE_MOVED_XY;
}

// Skips from p to just past the closing character, or to the end of the line.
const char* skip_past(const char* p, char closing) {
  while (*p != 0 && *p != closing) ++p;
  return *p != 0 ? p + 1 : p;
}

}  // namespace

const char* nc_read_number(const char* text, double* value) {
  const char* p = text;
  while (*p == ' ') ++p;
  std::string digits;
  const char* q = p;
  if (*q == '+' || *q == '-') digits.push_back(*q++);
  bool any = false;
  while (is_digit(*q)) {
    digits.push_back(*q++);
    any = true;
  }
  if (*q == '.') {
    digits.push_back(*q++);
    while (is_digit(*q)) {
      digits.push_back(*q++);
      any = true;
    }
  }
  *value = any ? std::strtod(digits.c_str(), nullptr) : 0.0;
  while (*p >= '+' && *p <= '9' && *p != ',') ++p;
  return p;
}

uint32_t nc_parse_line(const char* text, uint32_t options) {
  BackPlotState& s = g_back_plot;
  LineWords w;
  uint32_t result = 0;
  s.i = s.j = 0;
  s.radius = 0;
  s.bad_number = false;
  const char rotary_letter = static_cast<char>('A' + std::min<int>(g_job_settings.rotary_axis_letter, 25));
  const bool rotary_job = job_surface_is_rotary();
  const char* p = text;
  while (*p != 0) {
    const char c = upper(*p);
    if (c == ';' || c == '*' || c == '\'' || c == '\b') break;
    if (c == '(') { p = skip_past(p + 1, ')'); continue; }
    if (c == '[') { p = skip_past(p + 1, ']'); continue; }
    if (c == '#') {
      ++p;
      while (*p != 0 && !is_letter(*p)) ++p;
      continue;
    }
    if (c == '=' || c == '@') {
      ++p;
      while (*p != 0 && !is_letter(*p) && static_cast<unsigned char>(*p) >= 32) ++p;
      continue;
    }
    if (!is_letter(c)) { ++p; continue; }
    const char next = upper(p[1]);
    if (rotary_job && c == rotary_letter && next != '#' && next != '@' && !is_letter(next)) {
      ++p;
      read_rotary_word(&p, &w);
      result |= LINE_MOVED_XY | LINE_MOVED_Z;
      continue;
    }
    switch (c) {
      case 'F':
        ++p;
        s.feed = read_value(&p);
        continue;
      case 'S': {
        ++p;
        while (*p == ' ') ++p;
        const bool negative = *p == '-';
        if (negative || *p == '+') ++p;
        const long n = read_integer(p, &p);
        s.spindle = static_cast<int32_t>(negative ? -n : n);
        continue;
      }
      case 'T': {
        ++p;
        while (*p == ' ') ++p;
        const long n = read_integer(p, &p);
        s.tool = static_cast<int32_t>(std::min<long>(n, TOOL_NUMBER_MAX));
        w.tool_change = true;
        continue;
      }
      case 'G': {
        ++p;
        if (!is_digit(*p)) continue;
        const long n = read_integer(p, &p);
        if (*p == '.' && is_digit(p[1])) read_integer(p + 1, &p);  // G91.1 and the like
        w.g_number = n;
        if (n <= 3) {
          ++w.motion_words;
          s.modal = static_cast<char>('0' + n);
          if (n >= 2 || s.motion != 'A') s.motion = s.modal;
        } else if (n == 90) {
          s.incremental = false;
        } else if (n == 91) {
          s.incremental = true;
        } else if (n == 80) {
          // The cycle ends: the next move is the motion in force, not another hole.
          if (s.motion == 'u') s.motion = s.modal;
        } else if (n >= 81 && n <= 89) {
          s.motion = 'u';
          result |= LINE_MOVED_XY;
        }
        continue;
      }
      case 'X':
        if (next == '#') { p += 2; continue; }
        if (next > 'A' && is_letter(next)) { p = ""; continue; }
        ++p;
        w.x = read_value(&p);
        w.has_x = true;
        result |= LINE_MOVED_XY;
        continue;
      case 'Y':
        if (next == '@' || next == '#') { p += 2; continue; }
        ++p;
        w.y = read_value(&p);
        w.has_y = true;
        result |= LINE_MOVED_XY;
        continue;
      case 'Z':
        if (s.engraver && (next == 'D' || next == 'U')) {
          p += 2;
          const double v = read_value(&p);
          // ZD gives the depth below the surface, ZU the height above it.
          if (next == 'D') s.down_z = -v;
          else s.up_z = v;
          w.z = next == 'D' ? s.down_z : s.up_z;
          w.has_z = true;
          result |= LINE_MOVED_Z;
          continue;
        }
        if (next == '@' || next == '#') { p += 2; continue; }
        [[fallthrough]];
      case 'W':
        ++p;
        if (s.rotary_seen) {
          double ignored = 0;
          p = nc_read_number(p, &ignored);
          continue;
        }
        w.z = read_value(&p);
        w.has_z = true;
        result |= LINE_MOVED_Z;
        continue;
      case 'I':
        ++p;
        s.i = read_value(&p);
        result &= ~LINE_ARC_BY_RADIUS;
        continue;
      case 'J':
        ++p;
        s.j = read_value(&p);
        result &= ~LINE_ARC_BY_RADIUS;
        continue;
      case 'R': {
        ++p;
        // Without a G word in the line, R follows the motion in force.
        long g = w.g_number;
        if (g < 0 || (g > 3 && (g < 81 || g > 89)))
          g = s.motion == 'u' ? 81 : (s.modal == '2' || s.modal == '3') ? s.modal - '0' : -1;
        if (g >= 81 && g <= 89) {
          w.r = read_value(&p);
          w.has_r = true;
          result |= LINE_HAS_R;
        } else if (g == 2 || g == 3) {
          s.radius = read_value(&p);
          if (s.radius > 0 && s.i == 0 && s.j == 0) result |= LINE_ARC_BY_RADIUS;
        } else {
          double ignored = 0;
          p = nc_read_number(p, &ignored);
        }
        continue;
      }
      case 'M': {
        ++p;
        while (*p == ' ') ++p;
        const char* digits = p;
        const long n = read_integer(p, &p);
        if (n == 0 && p > digits) w.pause = true;
        continue;
      }
      case 'P':
        if (next == 'U' || next == 'D' || next == 'Z') {
          result |= read_pen_word(&p, &w);
          if (w.has_x) result |= LINE_MOVED_XY;
          else result &= ~LINE_MOVED_XY;
          continue;
        }
        ++p;
        continue;
      default:
        // A keyword (a run of letters) is passed whole; a lone letter with its number too.
        if (is_letter(next)) {
          while (is_letter(*p)) ++p;
        } else {
          ++p;
        }
        continue;
    }
  }

  // The words become positions: absent words keep the axis where it stands.
  s.start_x = s.x;
  s.start_y = s.y;
  s.start_z = s.z;
  const bool cycle = s.motion == 'u';
  if (s.incremental) {
    if (w.has_x) s.x += w.x;
    if (w.has_y) s.y += w.y;
    if (w.has_r) s.r_level += w.r;
    if (cycle && w.has_z) s.cycle_z = s.r_level + w.z;
    else if (w.has_z) s.z += w.z;
  } else {
    if (w.has_x) s.x = w.x;
    if (w.has_y) s.y = w.y;
    if (w.has_r) s.r_level = w.r;
    if (cycle && w.has_z) s.cycle_z = w.z;
    else if (w.has_z) s.z = w.z;
  }
  if (!fits_f32(s.x) || !fits_f32(s.y) || !fits_f32(s.z) || !fits_f32(s.r_level) ||
      !fits_f32(s.cycle_z))
    s.bad_number = true;
  if (w.motion_words == 0 && s.motion != 'A' && s.motion != 'u') s.motion = s.modal;
  if ((options & PROOF_ABSOLUTE_ARC_CENTRES) != 0 && (s.motion == '2' || s.motion == '3') &&
      (result & LINE_ARC_BY_RADIUS) == 0) {
    s.i -= s.start_x;
    s.j -= s.start_y;
  }
  if (job_surface_is(SURFACE_DIE_CUT_BLADES)) {
    s.z = 0;
    if (result == LINE_MOVED_Z) result = 0;
  }
  if (result == LINE_MOVED_Z && !cycle) {
    if (s.motion == '0') s.motion = 'z';
    else if (s.motion != 'A') s.motion = 'Z';
  }
  if (w.pause) return LINE_PAUSE;
  if (w.tool_change) result |= LINE_TOOL_CHANGE;
  return result;
}

int nc_arc_center(double x1, double y1, double x2, double y2, double radius, bool clockwise,
                  double* cx, double* cy) {
  const double d = std::hypot(x2 - x1, y2 - y1);
  if (d < ARC_SAME_END) return 0;
  if (std::fabs(d - 2 * radius) < ARC_HALF_CIRCLE) {
    *cx = (x1 + x2) / 2;
    *cy = (y1 + y2) / 2;
    return 1;
  }
  if (d > 2 * radius) return 0;
  // The centre lies on the perpendicular bisector; of the two, the one whose arc in the given
  // direction sweeps at most half a circle (a positive R).
  const double h = std::sqrt(std::max(0.0, radius * radius - d * d / 4));
  const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
  const double ux = -(y2 - y1) / d, uy = (x2 - x1) / d;  // left of the chord
  const double side = clockwise ? -1.0 : 1.0;
  *cx = mx + side * h * ux;
  *cy = my + side * h * uy;
  return 1;
}

void nc_arc_extents(double cx, double cy, double radius, bool clockwise, double start_angle,
                    double end_angle) {
  const auto grow = [](double x, double y) {
    g_nc_extents.min.x = std::min(g_nc_extents.min.x, static_cast<float>(x));
    g_nc_extents.min.y = std::min(g_nc_extents.min.y, static_cast<float>(y));
    g_nc_extents.max.x = std::max(g_nc_extents.max.x, static_cast<float>(x));
    g_nc_extents.max.y = std::max(g_nc_extents.max.y, static_cast<float>(y));
  };
  if (start_angle == end_angle) {
    grow(cx - radius, cy - radius);
    grow(cx + radius, cy + radius);
    return;
  }
  double s = start_angle, e = end_angle;
  if (clockwise) std::swap(s, e);
  while (s < 0) s += ANGLE_TWO_PI;
  while (s >= ANGLE_TWO_PI) s -= ANGLE_TWO_PI;
  while (e <= s) e += ANGLE_TWO_PI;
  const double quarter = ANGLE_PI / 2;
  for (double a = (std::floor(s / quarter) + 1) * quarter; a <= e + 1e-12; a += quarter)
    grow(cx + radius * std::cos(a), cy + radius * std::sin(a));
}

double back_plot_chord_tolerance() { return g_run_info.chord_tolerance; }

namespace {

void write_move(char kind, double x, double y, double z) {
  proof_write_move(kind, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

double step_angle_for(double r) {
  const double tol = g_run_info.chord_tolerance;
  if (r <= tol) return STEP_ANGLE_TINY_ARC;
  return std::clamp(2 * std::acos((r - tol) / r), STEP_ANGLE_MIN, STEP_ANGLE_MAX);
}

// An arc from the previous point to the current point by the line's centre offset.
void write_arc(double px, double py, double pz) {
  BackPlotState& s = g_back_plot;
  const bool clockwise = s.motion == '2';
  float start = 0, end = 0;
  const double r = arc_from_centre_offset(static_cast<float>(s.x - px), static_cast<float>(s.y - py),
                                          static_cast<float>(s.i), static_cast<float>(s.j), &start, &end);
  if (!(r > ARC_NO_RADIUS)) {
    write_move(PROOF_ARC_STRAIGHT, s.x, s.y, s.z);
    return;
  }
  const double cx = px + s.i, cy = py + s.j;
  nc_arc_extents(cx, cy, r, clockwise, start, end);
  if (s.engraver && !g_run_info.tolerance_scaled &&
      std::max(g_nc_extents.max.x - g_nc_extents.min.x, g_nc_extents.max.y - g_nc_extents.min.y) >
          ENGRAVER_LARGE_SPAN) {
    g_run_info.chord_tolerance *= ENGRAVER_TOLERANCE_FACTOR;
    g_run_info.tolerance_scaled = true;
  }
  static PointF steps[ARC_CHORD_STEPS_MAX];
  // The sweep is split into whole steps no longer than the step angle, so that no chord leaves
  // the arc by more than the tolerance (a rounded count would let the last steps grow).
  double sweep = clockwise ? static_cast<double>(start) - end : static_cast<double>(end) - start;
  if (sweep <= 0) sweep += ANGLE_TWO_PI;
  const double step = step_angle_for(r);
  const double count = std::ceil(sweep / step - 1e-9);
  const int n = count >= 2 ? arc_to_chord_steps(steps, start, end, r, clockwise ? 1 : 0, sweep / count)
                           : 0;
  if (n == 0) {
    write_move(PROOF_ARC_STRAIGHT, s.x, s.y, s.z);
    return;
  }
  if (n < 0) return;
  double x = px, y = py;
  for (int k = 0; k < n; ++k) {
    x += steps[k].x;
    y += steps[k].y;
    // A helix goes down along its chords; the last chord ends on the programmed end.
    const double t = static_cast<double>(k + 1) / n;
    if (k == n - 1) {
      x = s.x;
      y = s.y;
    }
    write_move(PROOF_CHORD, x, y, pz + (s.z - pz) * t);
  }
}

void write_moves_of_line(uint32_t flags, char* pending) {
  BackPlotState& s = g_back_plot;
  const double px = s.start_x, py = s.start_y;
  if ((flags & LINE_ARC_BY_RADIUS) != 0 && (s.motion == '2' || s.motion == '3')) {
    double cx = 0, cy = 0;
    if (std::hypot(s.x - px, s.y - py) < ARC_SAME_END) {
      s.motion = '9';  // no centre is defined: the move is drawn straight
    } else if (nc_arc_center(px, py, s.x, s.y, s.radius, s.motion == '2', &cx, &cy) == 0) {
      // The circles do not meet: the move is left out and the drawing goes on from here.
      s.x = px;
      s.y = py;
      s.z = s.start_z;
      return;
    } else {
      s.i = cx - px;
      s.j = cy - py;
    }
  }
  if (s.motion == 'u') {
    write_move(PROOF_RAPID, s.x, s.y, s.r_level);
    write_move(PROOF_PLUNGE, s.x, s.y, s.cycle_z);
    write_move(PROOF_RAPID_Z, s.x, s.y, s.r_level);
    s.z = s.r_level;
  } else if (s.motion == '2' || s.motion == '3') {
    write_arc(px, py, s.start_z);
  } else {
    char kind = s.motion;
    if (!s.engraver && *pending != 0) kind = *pending;
    *pending = 0;
    write_move(kind, s.x, s.y, s.z);
  }
  if (s.motion == 'A') s.motion = '1';
}

// The number a line is shown with: its key when the buffer is numbered, else its count.
int32_t row_of(const TextLine* line, int32_t count) {
  const int32_t key = line_key(line);
  return key > 0 ? key : count;
}

void report_stop(const char* why, int32_t row) {
  std::string text = "The proof stops at row " + std::to_string(row) + " of the NC program: ";
  text += why;
  host_show_message(text.c_str());
}

bool engraver_output() {
  const PostProcessorDef* def = post_processor_def(g_job_settings.post_processor);
  return def != nullptr && def->output_kind == PP_OUTPUT_VELKOR;
}

void reset_run_state() {
  BackPlotState& s = g_back_plot;
  s.x = s.y = s.z = 0;
  s.r_level = s.cycle_z = 0;
  s.start_x = s.start_y = s.start_z = 0;
  s.feed = 0;
  s.spindle = 0;
  s.motion = 'A';
  s.modal = '0';
  s.incremental = false;
  s.rotary_seen = false;
  s.bad_number = false;
  s.engraver = engraver_output();
  g_run_info = BackPlotRun{};
  g_run_info.chord_tolerance =
      g_job_settings.units == JOB_UNITS_INCH ? CHORD_TOLERANCE_INCH : CHORD_TOLERANCE_MM;
}

}  // namespace

int nc_to_proof_file(TextLine* first_line, uint32_t options) {
  reset_run_state();
  if (!proof_open()) return 0;
  BackPlotState& s = g_back_plot;
  char pending = 0;
  bool moved = false;
  int32_t count = 0;
  TextLine* line = first_line;
  if (line != nullptr && (line->kind & LINE_KIND_HIDDEN) != 0) line = next_visible_line(line);
  TextLine* last = nullptr;
  for (; line != nullptr; last = line, line = next_visible_line(line)) {
    ++count;
    const uint32_t flags = nc_parse_line(line->text.c_str(), options);
    const int32_t row = row_of(line, count);
    if (s.bad_number) {
      proof_delete_file();
      report_stop("it holds a number too large to draw.", row);
      return -1;
    }
    if (flags == 0) continue;
    proof_write_line(row, static_cast<float>(s.feed), s.spindle);
    if ((flags & LINE_PAUSE) != 0) {
      proof_write_text(PROOF_PAUSE_TEXT);
      continue;
    }
    // Every tool change counts, the first one too: the machine stops for it, and the proof of
    // the job's own run shows and times it the same way.
    if ((flags & LINE_TOOL_CHANGE) != 0) {
      proof_write_tool(PROOF_TOOL, s.tool);
      pending = 'A';
    }
    if ((flags & (LINE_MOVED_XY | LINE_MOVED_Z)) == 0) continue;
    write_moves_of_line(flags, &pending);
    moved = true;
  }
  // A part of the file that could not be read in would leave a silent gap.
  if (last != nullptr && last->next != nullptr && is_placeholder(last->next)) {
    proof_delete_file();
    report_stop("the rest of the program could not be read.", count + 1);
    return -1;
  }
  if (!moved || !proof_anything_moved()) {
    proof_delete_file();
    return 0;
  }
  int result = 1;
  if ((options & PROOF_NO_DECORATION) != 0) {
    proof_close();
    result = g_proof.write_failed ? -1 : 1;
  } else {
    result = proof_finish();
  }
  if (result < 0) {
    proof_delete_file();
    host_show_message("The proof file could not be written: is the disk full?");
  }
  return result;
}

void reset_back_plot() {
  g_back_plot = BackPlotState{};
  g_run_info = BackPlotRun{};
}
