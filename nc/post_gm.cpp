#include "nc/post_gm.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "geometry/contour_kernel.h"
#include "geometry/double_arc_record.h"
#include "geometry/geometry2d.h"
#include "nc/nc_extents.h"
#include "nc/path_code.h"
#include "nc/post_proof.h"
#include "nc/post_surface.h"
#include "nc/velkor_commands.h"
#include "nc/proof_file.h"
#include "nc/work_surface.h"
#include "records/job_settings.h"
#include "records/pen_move.h"
#include "store/float_text.h"
#include "store/line_list.h"

PostWordFormats g_post_formats;
PostRunState g_post_run;

namespace {

constexpr double PI = 3.14159265358979323846;
// A Z at or above this is no height at all: no Z is known yet.
constexpr double NO_Z_LIMIT = 20000.0;
// Arcs whose chord is too short are still cut as arcs when their sweep lies in this range.
constexpr double WIDE_SWEEP_MIN = 0.7853982;
constexpr double WIDE_SWEEP_MAX = 6.276902;
// Lines that carry no line number.
constexpr char UNNUMBERED_STARTS[] = "%{}:.O&";

enum Marker { MARK_NONE, MARK_POSITIONED, MARK_FEED_DUE, MARK_AFTER_HOP };
enum FeedMode { FEED_PER_MINUTE, FEED_PER_REV_PENDING, FEED_PER_REV_WRITTEN };

// The state of one flat walk. Positions the control has are kept in whole output units (the
// last decimal of the coordinate format), so that increments add up exactly to what was
// written and a word is left out exactly when its printed value would not change.
struct Walk {
  const PostProcessorDef* def = nullptr;
  uint8_t mode = PP_COORDS_ABSOLUTE;
  bool absolute = true;
  double scale = 10000.0;      // output units per job unit
  int64_t x = 0, y = 0;        // X, Y the control stands on
  int64_t z = 0;               // Z the control stands on
  bool z_known = false;
  double px = 0.0, py = 0.0;   // the current point in job units (short-hop distances)
  bool canned = false;         // a canned cycle is in force: the next non-drill opcode cancels it
  FeedMode feed_mode = FEED_PER_MINUTE;
  bool plunge_differs = false;
  bool absolute_next = false;  // the next Z move or positioning is written absolute
  Marker marker = MARK_NONE;
  double feed = 0.0, plunge_feed = 0.0;
  bool failed = false;
  // The language and the work surface of the run.
  bool velkor = false;         // engraver commands: absolute pen moves, no G words
  bool curved = false;         // surfaces 2 to 10: mapped by the pre-pass, retracts raised
  bool rotary = false;         // surfaces 11-14 and 18: the wrapped axis becomes an angle word
  bool rotary_feeds = false;   // surfaces 11-19 with a 4th-axis controller: feeds in degrees
  bool z_corrected = false;    // surfaces 12, 13 and 17: Z words follow the surface
  bool lathe_side = false;     // surface 16: engraver moves go as "PZ" 0, X, -Y
  bool swap_xz = false;        // surface 19: X words carry Z and Z words X
  char rotary_letter = 'A';
  bool x_wrapped = true;       // the wrapped axis is X (surface_side 0), else Y
};

bool starts_unnumbered(const char* text) {
  return text[0] != '\0' && std::strchr(UNNUMBERED_STARTS, text[0]) != nullptr;
}

std::string coord_format(char letter) {
  char format[16];
  std::snprintf(format, sizeof format, "%c%%.%df", letter, g_post_formats.coord_decimals);
  return format;
}

void put_word(Walk* w, std::string* line, char letter, int64_t units) {
  if (w->swap_xz) letter = letter == 'X' ? 'Z' : letter == 'Z' ? 'X' : letter;
  format_word(line, coord_format(letter).c_str(), static_cast<double>(units) / w->scale);
}

int64_t to_units(const Walk& w, double v) { return std::llround(v * w.scale); }
double from_units(const Walk& w, int64_t u) { return static_cast<double>(u) / w.scale; }

void emit(Walk* w, const std::string& line) {
  if (!append_nc_line(line.c_str())) {
    w->failed = true;
    g_post_run.failure = "The NC program could not take another line (out of memory).";
  }
}

std::string motion_word(char digit) {
  char word[16];
  std::snprintf(word, sizeof word, g_post_formats.motion_format.c_str(), digit);
  return word;
}

// The Z word of a plunge, retract or Z move.
void put_z_move_word(Walk* w, std::string* line, int64_t target) {
  const bool absolute = w->mode != PP_COORDS_INCREMENTAL_XYZ || w->absolute_next || !w->z_known;
  put_word(w, line, g_post_formats.z_letter, absolute ? target : target - w->z);
  w->z = target;
  w->z_known = true;
}

void put_due_feed(Walk* w, std::string* line) {
  if (w->marker != MARK_FEED_DUE) return;
  append_feed_word(line, w->feed);
  w->marker = MARK_NONE;
}

void set_current_point(Walk* w, double x, double y) {
  w->px = x;
  w->py = y;
}

// A Z in output units at (x, y), with the correction of surfaces whose Z words follow the work.
int64_t z_units_at(const Walk& w, double z, double x, double y) {
  if (w.z_corrected && z < NO_Z_LIMIT) z += rotary_z_correction(x, y);
  return to_units(w, z);
}

void fail_walk(Walk* w, const std::string& why) {
  if (!w->failed) g_post_run.failure = why;
  w->failed = true;
}

// ---- the rotary axis ----

// The angle word of the point (tx, ty), reached by the increment d of the wrapped coordinate.
std::string rotary_word(Walk* w, int64_t tx, int64_t ty, int64_t d_units) {
  const JobSettings& job = g_job_settings;
  const double x = from_units(*w, tx), y = from_units(*w, ty), d = from_units(*w, d_units);
  bool ok = true;
  double angle = rotary_degrees(x, y, w->x_wrapped ? x : y, &ok);
  if (!w->absolute) {
    const double fx = from_units(*w, w->x), fy = from_units(*w, w->y);
    angle -= rotary_degrees(fx, fy, w->x_wrapped ? fx : fy, &ok);
  }
  if (!ok) fail_walk(w, g_surface_run.failure + " The NC program is incomplete.");
  const bool code_11_or_18 =
      job_surface_is(SURFACE_CYLINDER_4TH_AXIS) || job_surface_is(SURFACE_DIE_CUT_BLADES);
  if (job.controller == 2 && w->absolute && (w->x_wrapped || code_11_or_18)) {
    angle = std::fmod(angle, 360.0);
    if (angle < 0.0) angle += 360.0;
    if (d < 0.0) angle = -angle;
  }
  if (w->x_wrapped && std::fabs(angle) < 0.001) angle = 0.0;
  if (job.surface_choice != 0) angle = -angle;
  char format[16];
  std::snprintf(format, sizeof format, "%c%%.3f", w->rotary_letter);
  std::string word;
  format_word(&word, format, angle);
  if (job.controller == 3) {
    if (w->x_wrapped)
      word += job.surface_choice != 0 ? (d > 0.0 ? "M15" : "M16") : (d >= 0.0 ? "M16" : "M15");
    else if (job_surface_is(SURFACE_CYLINDER_4TH_AXIS))
      word += job.surface_choice != 0 ? (d >= 0.0 ? "M16" : "M15") : (d > 0.0 ? "M15" : "M16");
  }
  return word;
}

// X and Y words where the wrapped axis turns: the angle word stands for it. Returns the rotary
// travel in degrees (0 when the angle word was not written).
double put_rotary_xy_words(Walk* w, std::string* line, int64_t tx, int64_t ty, bool both) {
  const int64_t wrapped_to = w->x_wrapped ? tx : ty, wrapped_from = w->x_wrapped ? w->x : w->y;
  const int64_t along_to = w->x_wrapped ? ty : tx, along_from = w->x_wrapped ? w->y : w->x;
  const bool along_changes = along_to != along_from;
  const bool turns = both || wrapped_to != wrapped_from ||
                     (job_surface_is(SURFACE_CONE_4TH_AXIS) && along_changes);
  double travel = 0.0;
  std::string angle;
  if (turns) {
    bool ok = true;
    const double fx = from_units(*w, w->x), fy = from_units(*w, w->y);
    const double tx_d = from_units(*w, tx), ty_d = from_units(*w, ty);
    travel = std::fabs(rotary_degrees(tx_d, ty_d, w->x_wrapped ? tx_d : ty_d, &ok) -
                       rotary_degrees(fx, fy, w->x_wrapped ? fx : fy, &ok));
    angle = rotary_word(w, tx, ty, wrapped_to - wrapped_from);
  }
  std::string along;
  if (both || along_changes)
    put_word(w, &along, w->x_wrapped ? 'Y' : 'X', w->absolute ? along_to : along_to - along_from);
  *line += w->x_wrapped ? angle + along : along + angle;
  w->x = tx;
  w->y = ty;
  return turns ? travel : 0.0;
}

// ---- words ----

// X and Y of a straight move: the words whose value changes (or both when asked). Returns the
// rotary travel in degrees on a rotary surface, else 0.
double put_xy_words(Walk* w, std::string* line, int64_t tx, int64_t ty, bool both) {
  if (w->rotary) return put_rotary_xy_words(w, line, tx, ty, both);
  if (w->absolute) {
    if (both || tx != w->x) put_word(w, line, 'X', tx);
    if (both || ty != w->y) put_word(w, line, 'Y', ty);
  } else {
    if (both || tx != w->x) put_word(w, line, 'X', tx - w->x);
    if (both || ty != w->y) put_word(w, line, 'Y', ty - w->y);
  }
  w->x = tx;
  w->y = ty;
  return 0.0;
}

// ---- engraver commands ----

std::string velkor_position_line(const Walk& w, double x, double y) {
  if (w.lathe_side) return velkor_3d_move(0.0, x, y);
  return velkor_pen_move('U', x, y) + "\n";
}

// A Z move of the engraver: on a curved surface a 3-D move where the tool stands; elsewhere the
// pen heights the encoder wrote say it all.
void velkor_z_move(Walk* w, double z) {
  const int64_t tz = to_units(*w, z);
  const bool changes = !w->z_known || tz != w->z;
  w->z = tz;
  w->z_known = true;
  if (w->curved && changes) emit(w, velkor_3d_move(w->px, w->py, z));
}

// The engraver's drilling: the pen goes down to each depth and up again. Its depth setting is
// left at the hole's depth; the encoder made the next cut write its own.
void velkor_drill(Walk* w, const PathOp& op) {
  const float* v = op.values;  // X, Y, cut Z, retract Z, peck, feed, surface Z
  const double depth = v[2], retract = v[3], peck = v[4];
  if (w->x != to_units(*w, v[0]) || w->y != to_units(*w, v[1]))
    emit(w, velkor_position_line(*w, v[0], v[1]));
  w->x = to_units(*w, v[0]);
  w->y = to_units(*w, v[1]);
  set_current_point(w, v[0], v[1]);
  char line[64];
  // A peck step that is not positive drills plainly.
  if (op.param != '3' || !(peck > 0.0)) {
    std::snprintf(line, sizeof line, "ZD%d;\n", velkor_units(-depth));
    emit(w, line);
    emit(w, "PD;\n");
    emit(w, "PU;\n");
  } else {
    const double previous = w->z_known ? from_units(*w, w->z) : retract;
    double d = v[6] + (previous - retract);
    for (int pecks = 0; pecks < 100000 && !w->failed; ++pecks) {
      d -= peck;
      const bool last = d < depth || std::fabs(d - depth) <= 0.2 * peck;
      if (last) d = depth;
      std::snprintf(line, sizeof line, "ZD%d;\n", velkor_units(-d));
      emit(w, line);
      emit(w, "PD;\n");
      emit(w, "PU;\n");
      if (last) break;
    }
  }
  w->z = to_units(*w, retract);
  w->z_known = true;
}

// ---- opcodes ----

void write_text_line(Walk* w, const char* text) {
  std::string line = text;
  if (line.empty() || line.back() != '\n') line += '\n';
  emit(w, line);
}

void write_comment(Walk* w, const char* text) {
  const std::string& format = g_post_formats.comment_format;
  if (format.empty()) return;
  std::string upper;
  for (const char* c = text; *c != '\0'; ++c) {
    char u = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    // A comment must not end early or start another one: parentheses inside a parenthesised
    // comment become brackets, and line ends become spaces.
    if (w->def->comment_style == PP_COMMENTS_PARENTHESES && (u == '(' || u == ')'))
      u = u == '(' ? '[' : ']';
    if (u == '\n' || u == '\r') u = ' ';
    upper += u;
  }
  std::vector<char> buffer(format.size() + upper.size() + 1);
  std::snprintf(buffer.data(), buffer.size(), format.c_str(), upper.c_str());
  emit(w, buffer.data());
}

void take_speeds(Walk* w, const PathOp& op) {
  w->feed = op.values[0];
  w->plunge_feed = op.values[1];
  w->plunge_differs = w->plunge_feed != w->feed;
  if (w->velkor) return;  // the encoder wrote the engraver's speeds
  if (op.param != 0) {
    if (w->feed_mode == FEED_PER_MINUTE) w->feed_mode = FEED_PER_REV_PENDING;
    g_post_formats.feed_decimals = g_job_settings.units == JOB_UNITS_INCH ? 5 : 4;
    return;
  }
  if (w->feed_mode == FEED_PER_REV_WRITTEN) emit(w, "G94\n");
  w->feed_mode = FEED_PER_MINUTE;
  g_post_formats.feed_decimals = g_post_formats.definition_feed_decimals;
}

// On a rotary surface the tool goes over the unwrapped axis with the linear wrapped axis at 0,
// then the work turns to the point.
void write_rotary_positioning(Walk* w, int64_t tx, int64_t ty) {
  std::string line = g_post_formats.rapid_word;
  if (w->x_wrapped) {
    put_word(w, &line, 'X', 0);
    put_word(w, &line, 'Y', ty);
  } else {
    put_word(w, &line, 'X', tx);
    put_word(w, &line, 'Y', 0);
  }
  emit(w, line + "\n");
  line = g_post_formats.rapid_word + rotary_word(w, tx, ty, (w->x_wrapped ? tx - w->x : ty - w->y));
  emit(w, line + "\n");
  w->x = tx;
  w->y = ty;
  w->absolute_next = false;
}

void write_positioning(Walk* w, double x, double y) {
  w->marker = MARK_POSITIONED;
  const int64_t tx = to_units(*w, x), ty = to_units(*w, y);
  set_current_point(w, x, y);
  if (w->velkor) {
    w->x = tx;
    w->y = ty;
    emit(w, velkor_position_line(*w, x, y));
    return;
  }
  if (w->rotary) {
    write_rotary_positioning(w, tx, ty);
    return;
  }
  if (!w->absolute && !w->absolute_next && tx == w->x && ty == w->y) return;
  std::string line = g_post_formats.rapid_word;
  if (w->absolute || w->absolute_next || w->curved) {
    // The curved walk always says where it goes, in the words of its mode.
    const bool absolute = w->absolute || w->absolute_next;
    w->absolute_next = false;
    put_word(w, &line, 'X', absolute ? tx : tx - w->x);
    put_word(w, &line, 'Y', absolute ? ty : ty - w->y);
    w->x = tx;
    w->y = ty;
  } else {
    put_xy_words(w, &line, tx, ty, false);
  }
  emit(w, line + "\n");
}

void write_start(Walk* w, const PathOp& op) {
  write_positioning(w, op.values[1], op.values[2]);
  if (op.values[3] >= NO_Z_LIMIT) w->z_known = false;
}

void write_absolute_position(Walk* w, const PathOp& op) {
  if (w->absolute) return;
  w->absolute_next = true;
  w->x = to_units(*w, op.values[0]);
  w->y = to_units(*w, op.values[1]);
  write_positioning(w, op.values[0], op.values[1]);
}

void write_rapid_z(Walk* w, float z) {
  if (w->velkor) {
    velkor_z_move(w, z);
    return;
  }
  w->absolute_next = true;
  std::string line = g_post_formats.rapid_word;
  put_z_move_word(w, &line, z_units_at(*w, z, w->px, w->py));
  emit(w, line + "\n");
}

void write_descend(Walk* w, float z) {
  if (w->mode == PP_COORDS_INCREMENTAL_XYZ && !w->curved) {
    // Nothing is written, but later increments are measured from the height the tool was sent
    // to by the program start.
    if (!w->z_known) {
      w->z = z_units_at(*w, z, w->px, w->py);
      w->z_known = true;
    }
    return;
  }
  write_rapid_z(w, z);
}

void write_plunge(Walk* w, float z) {
  if (w->velkor) {
    velkor_z_move(w, z);
    return;
  }
  if (w->feed_mode == FEED_PER_REV_PENDING) {
    emit(w, "G95\n");
    w->feed_mode = FEED_PER_REV_WRITTEN;
  }
  std::string line = g_post_formats.feed_word;
  put_z_move_word(w, &line, z_units_at(*w, z, w->px, w->py));
  w->absolute_next = false;
  if (w->marker == MARK_POSITIONED || w->plunge_differs) {
    append_feed_word(&line, w->plunge_feed);
    w->marker = MARK_FEED_DUE;
  }
  emit(w, line + "\n");
}

// A retract to a move that lies within the job's hop distance is written as a feed move with
// the hop feed, and so is the rapid after it: the tool need not leave the work at rapid speed.
// On a curved surface the retract first rises so that the rapid after it clears the surface.
void write_retract(Walk* w, const PathReader& reader, float z) {
  double nx = 0.0, ny = 0.0, nz = 0.0;
  const bool ahead = next_move_point(reader, &nx, &ny, &nz);
  if (w->curved && ahead) {
    const double zc = w->z_known ? from_units(*w, w->z) : z;
    z = static_cast<float>(
        raised_retract_height(z, zc, w->px, w->py, nx, ny, nz, surface_clearance()));
  }
  if (w->velkor) {
    velkor_z_move(w, z);
    return;
  }
  const char next = path_peek_op(reader);
  const double limit = g_job_settings.short_move_limit;
  const bool hop = ahead && next >= '0' && next <= '7' && limit > 0.0 &&
                   std::hypot(nx - w->px, ny - w->py) < limit;
  std::string line = hop ? g_post_formats.feed_word : g_post_formats.rapid_word;
  put_z_move_word(w, &line, z_units_at(*w, z, w->px, w->py));
  w->absolute_next = false;
  if (hop) {
    append_feed_word(&line, g_job_settings.short_move_feed);
    w->marker = MARK_AFTER_HOP;
  }
  emit(w, line + "\n");
}

void write_rapid(Walk* w, const PathOp& op) {
  const int64_t tx = to_units(*w, op.values[0]), ty = to_units(*w, op.values[1]);
  set_current_point(w, op.values[0], op.values[1]);
  // On a curved surface a rapid whose point lies higher than the tool first rises to it.
  if (w->curved && w->z_known && op.values[2] < NO_Z_LIMIT && to_units(*w, op.values[2]) > w->z)
    write_rapid_z(w, op.values[2]);
  if (tx == w->x && ty == w->y) return;
  if (w->velkor) {
    w->x = tx;
    w->y = ty;
    emit(w, w->lathe_side || w->curved
                ? velkor_3d_move(op.values[0], op.values[1], from_units(*w, w->z))
                : velkor_pen_move('U', op.values[0], op.values[1]) + "\n");
    return;
  }
  std::string line;
  if (w->marker == MARK_AFTER_HOP) {
    line = g_post_formats.feed_word;
    w->marker = MARK_POSITIONED;
  } else {
    line = g_post_formats.rapid_word;
  }
  put_xy_words(w, &line, tx, ty, false);
  emit(w, line + "\n");
}

void write_velkor_feed(Walk* w, char opcode, double x, double y, double z) {
  const int64_t tx = to_units(*w, x), ty = to_units(*w, y), tz = to_units(*w, z);
  set_current_point(w, x, y);
  const bool three_d = w->curved || w->lathe_side || opcode == PATH_OP_FEED_3D;
  const bool z_changes = three_d && (!w->z_known || tz != w->z);
  if (tx == w->x && ty == w->y && !z_changes) return;
  w->x = tx;
  w->y = ty;
  if (three_d) {
    w->z = tz;
    w->z_known = true;
  }
  if (w->lathe_side) emit(w, velkor_3d_move(0.0, x, y));
  else if (three_d) emit(w, velkor_3d_move(x, y, z));
  else emit(w, velkor_pen_move('D', x, y) + "\n");
}

void write_feed_move(Walk* w, char opcode, double x, double y, double z) {
  if (w->velkor) {
    write_velkor_feed(w, opcode, x, y, z);
    return;
  }
  const int64_t tx = to_units(*w, x), ty = to_units(*w, y), tz = z_units_at(*w, z, x, y);
  const double length = std::hypot(x - w->px, y - w->py);
  set_current_point(w, x, y);
  const bool z_changes = !w->z_known || tz != w->z;
  if (tx == w->x && ty == w->y && !z_changes) return;
  std::string line = g_post_formats.feed_word;
  const double travel = put_xy_words(w, &line, tx, ty, false);
  if (z_changes) {
    const bool absolute = w->mode == PP_COORDS_ABSOLUTE || !w->z_known;
    put_word(w, &line, g_post_formats.z_letter, absolute ? tz : tz - w->z);
    w->z = tz;
    w->z_known = true;
  }
  const uint8_t controller = g_job_settings.controller;
  if (travel > 0.0 && w->rotary_feeds && controller >= 1 && controller <= 3) {
    // A 4th-axis control reads the feed of a turning move in degrees per minute.
    const double minutes = w->feed > 0.0 ? length / w->feed : 0.0;
    const double degrees = minutes > 0.0 ? travel / minutes : 0.0;
    append_feed_word(&line, degrees > 0.0 ? degrees : w->feed);
    w->marker = MARK_FEED_DUE;
  } else {
    put_due_feed(w, &line);
  }
  emit(w, line + "\n");
}

// The arc's end point, I and J: the centre is moved so that it lies as far from the written
// start as from the written end, so that a control finds both radii equal.
void write_arc(Walk* w, char digit, const PathOp& op) {
  const int64_t ex = to_units(*w, op.values[0]), ey = to_units(*w, op.values[1]);
  if (w->velkor) {
    // Engraver output has no arcs; one that arrives is cut straight to its end.
    write_feed_move(w, PATH_OP_FEED, op.values[0], op.values[1], from_units(*w, w->z));
    return;
  }
  DoubleArcRecord arc;
  arc.point = PointD{from_units(*w, w->x), from_units(*w, w->y)};
  arc.next_point = PointD{from_units(*w, ex), from_units(*w, ey)};
  arc.centre = PointD{arc.point.x + op.values[2], arc.point.y + op.values[3]};
  arc.radius = std::hypot(op.values[2], op.values[3]);
  const PointD old_centre = arc.centre;
  // The written ends are rounded to the output's digits: the centre is fitted to them. Near a
  // half circle a fit by the radius moves the centre by the root of the rounding times the
  // diameter (a tenth of a millimetre on a 33 mm circle), so there the centre only slides onto
  // the rounded chord's bisector.
  const double half_chord2 = (std::pow(arc.next_point.x - arc.point.x, 2) +
                              std::pow(arc.next_point.y - arc.point.y, 2)) / 4.0;
  const bool near_half_circle = arc.radius * arc.radius - half_chord2 < arc.radius * arc.radius / 4.0;
  if (arc.radius > 0.0 && near_half_circle) {
    fit_arc_centre_to_chord(arc.point.x, arc.point.y, arc.next_point.x, arc.next_point.y,
                            old_centre.x, old_centre.y, arc.radius, &arc.centre.x, &arc.centre.y);
  } else if (arc.radius > 0.0 && fit_arc_centre_d(&arc, &old_centre, FIT_CENTRE_NEAR_POINT) == 0) {
    arc.centre = old_centre;
  }
  const double i = arc.centre.x - arc.point.x, j = arc.centre.y - arc.point.y;
  const double radius = std::hypot(i, j);
  const double chord = std::hypot(arc.next_point.x - arc.point.x, arc.next_point.y - arc.point.y);
  float start = 0.0f, end = 0.0f;
  arc_from_centre_offset(static_cast<float>(arc.next_point.x - arc.point.x),
                         static_cast<float>(arc.next_point.y - arc.point.y), static_cast<float>(i),
                         static_cast<float>(j), &start, &end);
  double sweep = digit == '3' ? end - start : start - end;
  if (sweep <= 0.0) sweep += 2.0 * PI;
  const bool wide = sweep > WIDE_SWEEP_MIN && sweep < WIDE_SWEEP_MAX;
  if (radius < g_post_formats.small_arc_radius ||
      (chord < g_post_formats.min_arc_chord && !wide)) {
    write_feed_move(w, PATH_OP_FEED, arc.next_point.x, arc.next_point.y, from_units(*w, w->z));
    return;
  }
  std::string line = motion_word(digit);
  const int64_t ci = to_units(*w, arc.centre.x), cj = to_units(*w, arc.centre.y);
  put_xy_words(w, &line, ex, ey, true);
  if (w->def->arc_centre_mode == PP_ARC_CENTRES_ABSOLUTE) {
    put_word(w, &line, 'I', ci);
    put_word(w, &line, 'J', cj);
  } else {
    put_word(w, &line, 'I', to_units(*w, i));
    put_word(w, &line, 'J', to_units(*w, j));
  }
  set_current_point(w, arc.next_point.x, arc.next_point.y);
  put_due_feed(w, &line);
  emit(w, line + "\n");
}

void write_circle(Walk* w, const PathOp& op) {
  const double i = op.values[2], j = op.values[3];
  if (std::hypot(i, j) < g_post_formats.small_arc_radius) return;
  if (w->velkor) {
    write_feed_move(w, PATH_OP_FEED, op.values[0], op.values[1], from_units(*w, w->z));
    return;
  }
  const char digit = op.param == '2' ? '2' : '3';
  std::string line = motion_word(digit);
  const int64_t sx = w->x, sy = w->y;
  put_xy_words(w, &line, to_units(*w, op.values[0]), to_units(*w, op.values[1]), true);
  if (w->def->arc_centre_mode == PP_ARC_CENTRES_ABSOLUTE) {
    put_word(w, &line, 'I', sx + to_units(*w, i));
    put_word(w, &line, 'J', sy + to_units(*w, j));
  } else {
    put_word(w, &line, 'I', to_units(*w, i));
    put_word(w, &line, 'J', to_units(*w, j));
  }
  set_current_point(w, op.values[0], op.values[1]);
  put_due_feed(w, &line);
  emit(w, line + "\n");
}

// One canned drilling cycle: "G8" and the cycle digit, the hole, the peck step of a peck drill,
// the retract plane and the cycle's feed. The tool ends on the retract plane.
void write_drill_cycle(Walk* w, const PathOp& op) {
  if (w->velkor) {
    velkor_drill(w, op);
    return;
  }
  const float* v = op.values;  // X, Y, cut Z, retract Z, peck, feed, surface Z
  std::string line = "G8";
  line += static_cast<char>(op.param);
  const int64_t tx = to_units(*w, v[0]), ty = to_units(*w, v[1]);
  const int64_t tz = z_units_at(*w, v[2], v[0], v[1]);
  const int64_t base_z = w->z_known ? w->z : to_units(*w, v[3]);
  put_xy_words(w, &line, tx, ty, true);
  put_word(w, &line, g_post_formats.z_letter, w->absolute ? tz : tz - base_z);
  if (op.param == '3') put_word(w, &line, 'Q', to_units(*w, v[4]));
  const int64_t retract = z_units_at(*w, v[3], v[0], v[1]);
  put_word(w, &line, 'R', w->absolute ? retract : 0);
  append_feed_word(&line, v[5]);
  emit(w, line + "\n");
  w->canned = true;
  w->z = retract;
  w->z_known = true;
  set_current_point(w, v[0], v[1]);
  // The cycle's feed stays in force on the control: the next feed move says its own again.
  if (v[5] != w->feed) w->marker = MARK_FEED_DUE;
}

// One opcode; false when the walk does not handle it.
bool walk_op(Walk* w, const PathReader& reader, const PathOp& op) {
  const float* v = op.values;
  switch (op.code) {
    case PATH_OP_LINE: write_text_line(w, op.text); return true;
    case PATH_OP_COMMENT: write_comment(w, op.text); return true;
    case PATH_OP_SPEEDS: take_speeds(w, op); return true;
    case PATH_OP_START: write_start(w, op); return true;
    case PATH_OP_POSITION: write_absolute_position(w, op); return true;
    case PATH_OP_DESCEND: write_descend(w, v[0]); return true;
    case PATH_OP_RAPID_Z:
      if (w->curved) write_plunge(w, v[0]);
      else write_rapid_z(w, v[0]);
      return true;
    case PATH_OP_PLUNGE: write_plunge(w, v[0]); return true;
    case PATH_OP_CIRCLE_POINT: write_plunge(w, v[2]); return true;
    case PATH_OP_RETRACT: write_retract(w, reader, v[0]); return true;
    case PATH_OP_RAPID: write_rapid(w, op); return true;
    case PATH_OP_FEED:
    case PATH_OP_FEED_3D: write_feed_move(w, op.code, v[0], v[1], v[2]); return true;
    case PATH_OP_ARC_CW:
    case PATH_OP_ARC_CCW:
      if (w->curved) return false;
      write_arc(w, op.code, op);
      return true;
    case PATH_OP_CIRCLE:
      if (w->curved) return false;
      write_circle(w, op);
      return true;
    case PATH_OP_DRILL: write_drill_cycle(w, op); return true;
    case PATH_OP_CONTOUR_START:
    case PATH_OP_CONTOUR_END:
    case PATH_OP_TOOL:
    case PATH_OP_TOOL_FINISHING:
    case PATH_OP_TOOL_ROUGHING: return true;
    case PATH_OP_SECOND_HEAD: g_post_formats.z_letter = 'W'; return true;
    case PATH_OP_FIRST_HEAD: g_post_formats.z_letter = 'Z'; return true;
    default: return false;
  }
}

void start_walk(Walk* w) {
  const JobSettings& job = g_job_settings;
  w->def = g_post_formats.def;
  w->velkor = w->def->output_kind == PP_OUTPUT_VELKOR;
  w->mode = w->def->coordinate_mode == PP_COORDS_MARKED_ABSOLUTE ? PP_COORDS_ABSOLUTE
                                                                 : w->def->coordinate_mode;
  // Engraver commands carry absolute coordinates only, whatever the definition says.
  if (w->velkor) w->mode = PP_COORDS_ABSOLUTE;
  w->absolute = w->mode == PP_COORDS_ABSOLUTE;
  w->scale = std::pow(10.0, g_post_formats.coord_decimals);
  w->curved = job_surface_is_curved();
  w->rotary = job_surface_is_rotary() && !w->velkor;
  w->rotary_feeds = false;
  for (int code = SURFACE_CYLINDER_4TH_AXIS; code <= SURFACE_LATHE_BALL_SIDE; ++code)
    if (job_surface_is(code)) w->rotary_feeds = true;
  w->z_corrected = job_surface_is(SURFACE_CONE_4TH_AXIS) ||
                   job_surface_is(SURFACE_SPHERE_4TH_AXIS) ||
                   job_surface_is(SURFACE_LATHE_BALL_FRONT);
  w->lathe_side = job_surface_is(SURFACE_LATHE_SIDE) && w->velkor;
  w->swap_xz = job_surface_is(SURFACE_LATHE_BALL_SIDE) && !w->velkor;
  w->rotary_letter = static_cast<char>('A' + (job.rotary_axis_letter < 26 ? job.rotary_axis_letter : 0));
  w->x_wrapped = job.surface_side == 0;
  if (!w->absolute) {
    // Increments start from the upper-left corner of the drawing's extents.
    w->x = to_units(*w, g_nc_extents.min.x);
    w->y = to_units(*w, g_nc_extents.max.y);
    set_current_point(w, g_nc_extents.min.x, g_nc_extents.max.y);
  }
}

std::string describe_stop(PathReadResult result, const PathReader& reader, char code) {
  char text[240];
  if (result == PATH_READ_OP && (code == PATH_OP_ARC_CW || code == PATH_OP_ARC_CCW ||
                                 code == PATH_OP_CIRCLE))
    std::snprintf(text, sizeof text,
                  "An arc (path code '%c', byte %d) can not be cut on a curved work surface; the "
                  "NC program is incomplete.",
                  code, reader.op_at);
  else if (result == PATH_READ_OP)
    std::snprintf(text, sizeof text,
                  "The post processor does not handle path code '%c' (byte %d); the NC program "
                  "is incomplete.",
                  code, reader.op_at);
  else if (result == PATH_READ_UNKNOWN)
    std::snprintf(text, sizeof text,
                  "The post processor met byte %d (code %d) that is no path code; the NC program "
                  "is incomplete.",
                  reader.op_at, static_cast<int>(g_path_code.ops[reader.op_at]));
  else
    std::snprintf(text, sizeof text,
                  "The path code ends inside an opcode (byte %d); the NC program is incomplete.",
                  reader.op_at);
  return text;
}

int walk_path() {
  Walk w;
  start_walk(&w);
  PathReader reader;
  PathOp op;
  PathReadResult result;
  while ((result = path_read_op(&reader, &op)) == PATH_READ_OP) {
    if (op.code != PATH_OP_DRILL && w.canned) {
      emit(&w, "G80\n");
      w.canned = false;
    }
    if (!walk_op(&w, reader, op)) {
      reader.op_at = op.at;
      g_post_run.failure = describe_stop(PATH_READ_OP, reader, op.code);
      return POST_FAILED;
    }
    if (w.failed) return POST_FAILED;
  }
  if (result != PATH_READ_END) {
    g_post_run.failure = describe_stop(result, reader, 0);
    return POST_FAILED;
  }
  if (w.canned) emit(&w, "G80\n");
  return w.failed ? POST_FAILED : POST_DONE;
}

}  // namespace

void format_word(std::string* line, const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  std::string word = text;
  size_t number_start = word.size();
  while (number_start > 0 &&
         (std::isdigit(static_cast<unsigned char>(word[number_start - 1])) ||
          word[number_start - 1] == '.' || word[number_start - 1] == '-'))
    --number_start;
  std::string number = word.substr(number_start);
  word.resize(number_start);
  *line += word;
  *line += trim_float_zeros(number);
}

void append_feed_word(std::string* line, double feed) {
  if (g_post_formats.feed_decimals == 0) {
    char text[32];
    std::snprintf(text, sizeof text, "F%lld", static_cast<long long>(feed * 10.0));
    *line += text;
    return;
  }
  char format[16];
  std::snprintf(format, sizeof format, " F%%.%df", g_post_formats.feed_decimals);
  format_word(line, format, feed);
}

bool append_nc_line(const char* text) {
  std::string numbered;
  const char* line_text = text;
  if (g_post_run.next_line_number >= 0 && !starts_unnumbered(text)) {
    numbered = "N";
    numbered += std::to_string(g_post_run.next_line_number);
    numbered += ' ';
    numbered += text;
    line_text = numbered.c_str();
  }
  const LineList saved = g_lists.current;
  g_lists.current = g_lists.slots[LIST_SLOT_NC_PROGRAM];
  TextLine* line = append_line(line_text);
  g_lists.slots[LIST_SLOT_NC_PROGRAM] = g_lists.current;
  g_lists.current = saved;
  if (line == nullptr) return false;
  line->kind = NC_LINE_KIND;
  if (line_text != text) ++g_post_run.next_line_number;
  ++g_post_run.lines_written;
  return true;
}

void build_coord_formats(const PostProcessorDef& def) {
  PostWordFormats& f = g_post_formats;
  const bool inch = g_job_settings.units == JOB_UNITS_INCH;
  f.def = &def;
  f.coord_decimals = inch ? 4 : 3;
  f.definition_feed_decimals = def.feed_decimals > 2 ? 2 : def.feed_decimals;
  f.feed_decimals = f.definition_feed_decimals;
  f.z_letter = 'Z';
  const bool one_digit = def.one_digit_g != 0;
  f.motion_format = one_digit ? "G%c" : "G0%c";
  f.rapid_word = one_digit ? "G0" : "G00";
  f.feed_word = one_digit ? "G1" : "G01";
  static const char* const COMMENT_FORMATS[] = {"* %s\n", "(%s)\n", "' %s\n", "; %s\n", ""};
  f.comment_format = def.comment_style < 5 ? COMMENT_FORMATS[def.comment_style] : "";
  f.min_arc_chord = inch ? 0.001 : 0.0254;
  f.small_arc_radius = inch ? 0.0004 : 0.01016;
  g_pen_move.arcs_as_lines = def.output_kind == PP_OUTPUT_VELKOR ? 1 : 0;
}

int post_process() {
  g_post_run.failure.clear();
  g_post_run.lines_written = 0;
  if (g_post_formats.def == nullptr) {
    g_post_run.failure = "No post processor was set up for this run.";
    return POST_FAILED;
  }
  g_surface_run.failure.clear();
  if (job_surface_is_curved() && !surface_pre_pass()) {
    if (g_proof.run_level != 0) proof_delete_file();
    return POST_FAILED;
  }
  if (g_proof.run_level != 0) return post_proof_walk();
  return walk_path();
}

void reset_post_gm() {
  g_post_formats = PostWordFormats{};
  g_post_run = PostRunState{};
}
