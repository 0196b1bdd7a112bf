#include "nc/path_code.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <new>

#include "nc/cam_host.h"
#include "nc/code_section_expand.h"
#include "nc/nc_extents.h"
#include "nc/post_processor.h"
#include "nc/velkor_commands.h"
#include "nc/work_surface.h"
#include "records/job_settings.h"

PathCode g_path_code;
PathEncoderState g_path_encoder;
MoveEncoderInputs g_encoder_inputs;

namespace {

// Slack the opcode buffer keeps beyond every reservation, for code-section lines and Velkor
// commands written during one move.
constexpr int32_t OPS_SLACK = 400;
constexpr int32_t OPS_GROWTH = 4000;
constexpr int32_t VALUES_SLACK = 90;
constexpr int32_t VALUES_GROWTH = 5000;
// A move along the wrapped axis of a rotary surface longer than this many radians is cut in
// steps, so that the mapped path follows the cylinder instead of its chord.
constexpr double WRAP_LIMIT_RAD = 3.14159265358979323846 - 0.5;
// Arcs whose chords can not keep the tolerance are cut in steps of this angle while their
// radius is above the small-arc limit.
constexpr double COARSE_CHORD_STEP = 1.5;
constexpr double MAX_CHORD_STEP = 0.8;
// The finest chord step the chord splitter accepts; a tolerance tiny against the radius cuts
// the arc in the finest steps rather than turning it into a rapid.
constexpr double MIN_CHORD_STEP = 0.00001;
constexpr float SMALL_ARC_INCH = 0.0004f;
constexpr float SMALL_ARC_MM = 0.01016f;
constexpr float TINY_ARC_RADIUS = 0.0001f;

// Sets of pen-move codes, each ended by a NUL.
// Every code the encoder takes; the others are for other sinks and pass it by.
constexpr char ENCODED_CODES[] = {PEN_COMMENT, PEN_LINE_3D, PEN_FEED_3D, PEN_UP, PEN_LINE,
                                  PEN_ARC_CW, PEN_ARC_CCW, PEN_RAPID_ALWAYS, PEN_DRILL,
                                  PEN_PLUNGE, PEN_RETRACT, PEN_DESCEND, PEN_START, PEN_RESUME,
                                  PEN_SPEEDS, PEN_PAUSE, PEN_RESET, PEN_END, 0};
// Moves that carry the pen by their displacement.
constexpr char MOVING_CODES[] = {PEN_UP, PEN_LINE, PEN_ARC_CW, PEN_ARC_CCW, PEN_RAPID_ALWAYS,
                                 PEN_DRILL, PEN_FEED_3D, PEN_LINE_3D, 0};
// Feed moves that take up the small increments held back from the move before.
constexpr char CARRYING_CODES[] = {PEN_LINE, PEN_FEED_3D, PEN_LINE_3D, 0};
// Moves after which the pen is at the cut depth.
constexpr char AT_DEPTH_CODES[] = {PEN_LINE, PEN_ARC_CW, PEN_ARC_CCW, PEN_DRILL, PEN_FEED_3D,
                                   PEN_PLUNGE, 0};

bool is_one_of(char c, const char* set) { return c != 0 && std::strchr(set, c) != nullptr; }

// ---- growth ----

// The first failure of a run is told once; later appends are refused so that the stream
// never holds an opcode without its parameter, text or operands.
bool note_failure() {
  if (!g_path_code.failed) {
    g_path_code.failed = true;
    host_show_message(PATH_OUT_OF_MEMORY_MESSAGE);
  }
  return false;
}

template <typename T>
bool resize_buffer(std::vector<T>* buffer, int32_t* capacity, int64_t wanted) {
  if (g_path_code.fail_next_growth) {
    g_path_code.fail_next_growth = false;
    return note_failure();
  }
  if (wanted > INT32_MAX) return note_failure();
  try {
    buffer->resize(static_cast<size_t>(wanted));
  } catch (const std::bad_alloc&) {
    return note_failure();
  } catch (const std::length_error&) {
    return note_failure();
  }
  *capacity = static_cast<int32_t>(wanted);
  return true;
}

bool grow_ops(int64_t needed) {
  PathCode& p = g_path_code;
  if (p.op_count + needed + OPS_SLACK <= p.op_capacity) return true;
  return resize_buffer(&p.ops, &p.op_capacity, int64_t{p.op_capacity} + needed + OPS_GROWTH);
}

bool grow_values(int64_t needed) {
  PathCode& p = g_path_code;
  if (p.value_count + needed + VALUES_SLACK <= p.value_capacity) return true;
  return resize_buffer(&p.values, &p.value_capacity,
                       int64_t{p.value_capacity} + needed + VALUES_GROWTH);
}

// Room for one whole opcode: a failed append leaves the stream as it was.
bool ensure_room(int64_t bytes, int values) {
  PathCode& p = g_path_code;
  if (p.failed) return false;
  if (p.op_count + bytes > p.op_capacity && !grow_ops(bytes)) return false;
  if (p.value_count + values > p.value_capacity && !grow_values(values)) return false;
  return true;
}

void append_op(char opcode, const uint8_t* byte, const char* text, const float* operands,
               int count) {
  PathCode& p = g_path_code;
  const int64_t text_bytes = text == nullptr ? 0 : static_cast<int64_t>(std::strlen(text)) + 1;
  const int64_t bytes = 1 + (byte != nullptr ? 1 : 0) + text_bytes;
  if (!ensure_room(bytes, count)) return;
  p.prev_op_at = p.last_op_at;
  p.prev_values_at = p.last_values_at;
  p.last_op_at = p.op_count;
  p.last_values_at = p.value_count;
  p.ops[p.op_count++] = static_cast<uint8_t>(opcode);
  if (byte != nullptr) p.ops[p.op_count++] = *byte;
  if (text != nullptr) {
    std::memcpy(p.ops.data() + p.op_count, text, static_cast<size_t>(text_bytes));
    p.op_count += static_cast<int32_t>(text_bytes);
  }
  for (int k = 0; k < count; ++k) p.values[p.value_count++] = operands[k];
}

// Takes back a retract that is the very last opcode of the path code.
bool take_back_final_retract() {
  PathCode& p = g_path_code;
  if (p.last_op_at < 0 || p.ops[p.last_op_at] != static_cast<uint8_t>(PATH_OP_RETRACT))
    return false;
  p.op_count = p.last_op_at;
  p.value_count = p.last_values_at;
  p.last_op_at = p.prev_op_at;
  p.last_values_at = p.prev_values_at;
  p.prev_op_at = -1;
  p.prev_values_at = -1;
  return true;
}

char final_opcode() {
  const PathCode& p = g_path_code;
  return p.last_op_at < 0 ? 0 : static_cast<char>(p.ops[p.last_op_at]);
}

// ---- inputs ----

bool output_is_nc() { return g_encoder_inputs.output_kind <= PP_OUTPUT_VELKOR; }
bool output_is_velkor() { return g_encoder_inputs.output_kind == PP_OUTPUT_VELKOR; }
bool output_is_dxf() { return g_encoder_inputs.output_kind == PP_OUTPUT_DXF; }
bool encoder_option() { return (g_job_settings.output_options & 2) != 0; }
bool subdivision_wanted() { return output_is_nc() || encoder_option(); }

const TextLine* section_lines(int slot) {
  const TextLine* pp = g_encoder_inputs.post_processor;
  return pp == nullptr ? nullptr : post_processor_section(pp, slot);
}

int expand_section(int slot) { return expand_code_section(section_lines(slot)); }

uint8_t comment_style() {
  const PostProcessorDef* def = post_processor_def(g_encoder_inputs.post_processor);
  return def == nullptr ? PP_COMMENTS_NONE : def->comment_style;
}

// Travel along the axis that wraps round a rotary surface, in radians of the surface.
bool exceeds_wrap_limit(float dx, float dy) {
  const double radius = g_job_settings.surface_radius;
  if (!(radius > 0.0)) return false;
  const double travel = g_job_settings.surface_side == 0 ? dx : dy;
  return std::fabs(travel / radius) > WRAP_LIMIT_RAD;
}

bool surface_in_range(int first, int last) {
  for (int code = first; code <= last; ++code)
    if (job_surface_is(code)) return true;
  return false;
}

// ---- pieces of the encoder ----

void clear_increments(bool with_z) {
  g_pen_move.dx = 0.0f;
  g_pen_move.dy = 0.0f;
  if (with_z) g_pen_move.dz = 0.0f;
}

// Increments too small for the output are held back and added to the next feed move, so that
// a run of tiny steps still arrives where it should.
void hold_back_small_increments(PointF start) {
  PenMove& m = g_pen_move;
  bool held = false;
  if (std::fabs(m.dx) <= PATH_CARRY_LIMIT) {
    g_path_encoder.carry_dx = m.dx;
    m.dx = 0.0f;
    held = true;
  }
  if (std::fabs(m.dy) <= PATH_CARRY_LIMIT) {
    g_path_encoder.carry_dy = m.dy;
    m.dy = 0.0f;
    held = true;
  }
  if (held) {
    m.x = start.x + m.dx;
    m.y = start.y + m.dy;
  }
}

void put_point(char opcode, float x, float y, float z) {
  const float v[3] = {x, y, z};
  path_put_op(opcode, v, 3);
}

// n - 1 points on the way from start; Z runs from start_z by dz_step.
void put_intermediate_points(char opcode, PointF start, float start_z, int n, PointF step,
                             float dz_step) {
  if (n < 2) return;
  path_reserve(n, n);
  for (int k = 1; k < n; ++k)
    put_point(opcode, start.x + static_cast<float>(k) * step.x,
              start.y + static_cast<float>(k) * step.y, start_z + static_cast<float>(k) * dz_step);
}

void encode_comment() {
  const MoveEncoderInputs& in = g_encoder_inputs;
  if (!output_is_nc() || in.current_comment.empty()) return;
  if (static_cast<unsigned char>(in.current_comment[0]) < 32) return;
  if (comment_style() == PP_COMMENTS_NONE) return;
  path_put_text_op(PATH_OP_COMMENT, in.current_comment.c_str());
  g_path_encoder.last_op = PATH_OP_COMMENT;
}

void encode_3d_stroke(char code, PointF start, float start_z) {
  PenMove& m = g_pen_move;
  hold_back_small_increments(start);
  if (m.dx == 0.0f && m.dy == 0.0f && m.dz == 0.0f) {
    m.x = start.x;
    m.y = start.y;
    m.z = start_z;
    g_path_encoder.last_op = code;
    return;
  }
  if (subdivision_wanted()) {
    const bool wrap = exceeds_wrap_limit(m.dx, m.dy);
    const float unwrapped = g_job_settings.surface_side == 0 ? m.dy : m.dx;
    const bool split =
        ((job_surface_is(SURFACE_CYLINDER_4TH_AXIS) || job_surface_is(SURFACE_DIE_CUT_BLADES)) &&
         wrap) ||
        (job_surface_is(SURFACE_CONE_4TH_AXIS) && unwrapped != 0.0f) ||
        surface_in_range(SURFACE_SPHERE, SURFACE_TORUS_TOP) ||
        job_surface_is(SURFACE_SPHERE_4TH_AXIS) || job_surface_is(SURFACE_TORUS_4TH_AXIS) ||
        job_surface_is(SURFACE_LATHE_BALL_FRONT);
    if (split) {
      PointF step;
      const int n = surface_step_length(m.dx, m.dy, &step);
      put_intermediate_points(PATH_OP_FEED_3D, start, start_z, n, step,
                              m.dz / static_cast<float>(n));
    }
  }
  put_point(PATH_OP_FEED_3D, m.x, m.y, m.z);
  g_path_encoder.last_op = code;
}

// Straight moves '0', '1' and '4' (a rapid that is written even when it has no length).
void encode_straight(char code, PointF start, float start_z) {
  PenMove& m = g_pen_move;
  hold_back_small_increments(start);
  char opcode = code;
  if (code == PEN_RAPID_ALWAYS) {
    opcode = PATH_OP_RAPID;
  } else if (m.dx == 0.0f && m.dy == 0.0f && m.dz == 0.0f) {
    m.x = start.x;
    m.y = start.y;
    m.z = start_z;
    // A rapid that goes nowhere after a retract must not hide the retract from a plunge.
    if (!(code == PATH_OP_RAPID && g_path_encoder.last_op == PATH_OP_RETRACT))
      g_path_encoder.last_op = code;
    return;
  }
  if (subdivision_wanted() && !g_encoder_inputs.no_subdivision) {
    const bool wrap = exceeds_wrap_limit(m.dx, m.dy);
    const bool split =
        (job_surface_is(SURFACE_DIE_CUT_BLADES) && wrap) ||
        (opcode != PATH_OP_RAPID &&
         ((job_surface_is(SURFACE_CYLINDER_4TH_AXIS) && wrap) ||
          surface_in_range(SURFACE_SPHERE, SURFACE_TORUS_TOP) ||
          job_surface_is(SURFACE_LATHE_BALL_FRONT)));
    if (split) {
      PointF step;
      const int n = surface_step_length(m.dx, m.dy, &step);
      put_intermediate_points(opcode, start, start_z, n, step, 0.0f);
    }
  }
  put_point(opcode, m.x, m.y, m.z);
  g_path_encoder.last_op = opcode;
}

void put_arc(char code) {
  const PenMove& m = g_pen_move;
  const float v[4] = {m.x, m.y, m.i, m.j};
  if (g_encoder_inputs.circle_mode) {
    path_put_op_with_byte(PATH_OP_CIRCLE, static_cast<uint8_t>(code), v, 4);
    g_path_encoder.last_op = PATH_OP_CIRCLE;
  } else {
    path_put_op(code, v, 4);
    g_path_encoder.last_op = code;
  }
}

void put_circle_point() {
  put_point(PATH_OP_CIRCLE_POINT, g_pen_move.x, g_pen_move.y, g_pen_move.z);
  g_path_encoder.last_op = PATH_OP_CIRCLE_POINT;
}

// Returns false when the arc was dropped (DX, DY and DZ then stay as they are).
bool encode_arc(char code, PointF start, float start_z) {
  PenMove& m = g_pen_move;
  if (output_is_dxf() && !encoder_option()) {
    put_arc(code);
    return true;
  }
  if (m.dx == 0.0f && m.dy == 0.0f && !g_encoder_inputs.circle_mode) return false;
  const bool flat = job_surface_is(SURFACE_FLAT) || job_surface_is(SURFACE_LATHE_FACE) ||
                    job_surface_is(SURFACE_LATHE_BALL_SIDE);
  if (!m.arcs_as_lines && flat) {
    put_arc(code);
    return true;
  }
  float start_angle = 0.0f;
  float end_angle = 0.0f;
  const float r = arc_from_centre_offset(m.dx, m.dy, m.i, m.j, &start_angle, &end_angle);
  if (r < TINY_ARC_RADIUS) {
    encode_straight(PEN_RAPID_ALWAYS, start, start_z);
    return true;
  }
  const double tolerance = g_encoder_inputs.tolerance;
  const double c = (r - tolerance) / r;
  const float small_arc = g_job_settings.units == JOB_UNITS_INCH ? SMALL_ARC_INCH : SMALL_ARC_MM;
  double step;
  if (c > 0.0) {
    step = std::min(2.0 * std::acos(c), MAX_CHORD_STEP);
  } else if (r > small_arc) {
    step = COARSE_CHORD_STEP;
  } else {
    if (g_encoder_inputs.circle_mode) put_circle_point();
    else encode_straight(PEN_RAPID_ALWAYS, start, start_z);
    return true;
  }
  step = std::max(step, MIN_CHORD_STEP);
  PointF chords[ARC_CHORD_STEPS_MAX];
  const int k = arc_to_chord_steps(chords, start_angle, end_angle, r, code == PATH_OP_ARC_CW, step);
  if (k - 1 >= 1) {
    path_reserve(k, k);
    PointF at = start;
    for (int n = 0; n < k - 1; ++n) {
      at.x += chords[n].x;
      at.y += chords[n].y;
      put_point(PATH_OP_FEED, at.x, at.y, m.z);
    }
    put_point(PATH_OP_FEED, m.x, m.y, m.z);
    g_path_encoder.last_op = PATH_OP_FEED;
    return true;
  }
  if (g_encoder_inputs.circle_mode) put_circle_point();
  else encode_straight(PATH_OP_FEED, start, start_z);
  return true;
}

void encode_drill() {
  const PenMove& m = g_pen_move;
  const MoveEncoderInputs& in = g_encoder_inputs;
  const uint8_t op = in.current_cam_params.operation;
  const uint8_t cycle = (op == 2 || op == 5) ? '3' : op == 3 ? '4' : '1';
  const float v[7] = {m.x, m.y, m.z, m.rapid_z, in.current_cam_params.peck_distance,
                      in.current_tool_block.feed, in.item_surface_z};
  path_put_op_with_byte(PATH_OP_DRILL, cycle, v, 7);
  g_path_encoder.last_op = PATH_OP_DRILL;
  // The engraver's drilling sets its own pen-down depth: the next cut must write its own.
  if (output_is_velkor()) g_path_encoder.velkor_last_down_z = PATH_VELKOR_NO_HEIGHT;
}

void encode_plunge() {
  PathEncoderState& e = g_path_encoder;
  const PenMove& m = g_pen_move;
  // A plunge straight after a retract means the tool never needed to leave the cut.
  if (e.last_op == PATH_OP_RETRACT && take_back_final_retract()) {
    e.last_op = final_opcode();
    return;
  }
  if (output_is_velkor() && m.z != e.velkor_last_down_z) {
    put_velkor_units_line(VELKOR_PEN_DOWN_LINE, -m.z);
    e.velkor_last_down_z = m.z;
  }
  const float v[1] = {m.z};
  path_put_op(PATH_OP_PLUNGE, v, 1);
  e.last_op = PATH_OP_PLUNGE;
}

void encode_lift(char code) {
  PathEncoderState& e = g_path_encoder;
  const PenMove& m = g_pen_move;
  if (output_is_velkor() && m.z != e.velkor_last_up_z) {
    put_velkor_units_line(VELKOR_PEN_UP_LINE, m.z);
    e.velkor_last_up_z = m.z;
  }
  const float v[1] = {m.z};
  path_put_op(code, v, 1);
  e.last_op = code;
}

// 'A' above the pen's X, Y (no Z known yet) and the descent to the rapid height.
void put_start_position() {
  PenMove& m = g_pen_move;
  const float a[4] = {m.cut_z, m.x, m.y, PATH_NO_Z};
  path_put_op(PATH_OP_START, a, 4);
  const float d[1] = {m.z};
  path_put_op(PATH_OP_DESCEND, d, 1);
  clear_increments(false);
  g_path_encoder.last_op = PATH_OP_START;
}

void put_velkor_speeds() {
  PathEncoderState& e = g_path_encoder;
  const PenMove& m = g_pen_move;
  if (m.feed == e.last_feed) return;
  put_velkor_speed_line(VELKOR_CUT_SPEED_LINE, m.feed);
  put_velkor_speed_line(VELKOR_PLUNGE_SPEED_LINE, m.plunge_feed);
  e.last_feed = m.feed;
}

void put_velkor_program_start() {
  PathEncoderState& e = g_path_encoder;
  const MoveEncoderInputs& in = g_encoder_inputs;
  const std::string box = velkor_extents(g_nc_extents.min.x, g_nc_extents.min.y, 0.0,
                                         g_nc_extents.max.x, g_nc_extents.max.y, 0.0);
  path_put_text_op(PATH_OP_LINE, box.c_str());
  put_velkor_speeds();
  const float up = in.current_cam_params.rapid_height;
  if (up != e.velkor_last_up_z) {
    put_velkor_units_line(VELKOR_PEN_UP_LINE, up);
    e.velkor_last_up_z = up;
  }
  const float down = in.current_tool_block.cut_depth;
  if (down != e.velkor_last_down_z) {
    put_velkor_units_line(VELKOR_PEN_DOWN_LINE, down);
    e.velkor_last_down_z = down;
  }
}

void encode_program_start() {
  g_path_encoder.last_rpm = 0;
  g_path_encoder.last_feed = 0.0f;
  expand_section(PP_SECTION_START);
  if (output_is_velkor()) put_velkor_program_start();
  put_start_position();
}

void encode_resume() {
  PathEncoderState& e = g_path_encoder;
  MoveEncoderInputs& in = g_encoder_inputs;
  if (!in.tool_change_pending) {
    if (in.finished_line_option) {
      e.last_rpm = 0;
      e.last_feed = 0.0f;
    }
    const TextLine* first = section_lines(PP_SECTION_FINISHED_LINE);
    if (in.finished_line_option && first != nullptr) first = first->next;
    if (expand_code_section(first) > 0) e.last_op = PEN_RESUME;
    return;
  }
  in.tool_change_pending = 0;
  e.last_rpm = 0;
  e.last_feed = 0.0f;
  expand_section(PP_SECTION_TOOL_CHANGE);
  if (output_is_velkor()) {
    const float up = in.current_cam_params.rapid_height;
    put_velkor_units_line(VELKOR_PEN_UP_LINE, up);
    put_velkor_units_line(VELKOR_PEN_DOWN_LINE, -g_pen_move.cut_z);
    e.velkor_last_up_z = up;
    e.velkor_last_down_z = g_pen_move.cut_z;
  }
  put_start_position();
}

void encode_speeds() {
  const PenMove& m = g_pen_move;
  const float v[3] = {m.feed, m.plunge_feed, static_cast<float>(m.rpm)};
  path_put_op_with_byte(PATH_OP_SPEEDS, m.per_revolution != 0 ? 1 : 0, v, 3);
}

void encode_pause() {
  if (!output_is_nc()) return;
  g_path_encoder.last_rpm = 0;
  g_path_encoder.last_feed = 0.0f;
  expand_section(PP_SECTION_PAUSE);
  clear_increments(false);
}

void encode_program_end() {
  const float v[1] = {g_pen_move.z};
  path_put_op(PATH_OP_RETRACT, v, 1);
  g_path_encoder.last_op = PATH_OP_RETRACT;
  expand_section(PP_SECTION_END);
  g_path_encoder.velkor_last_up_z = PATH_VELKOR_NO_HEIGHT;
}

// The pen height after a move of the code: cutting moves go to the cut depth, a 3-D line
// changes it by DZ, and every other move happens at the rapid height. Comments and speeds do
// not move the tool.
float pen_z_after(char code) {
  const PenMove& m = g_pen_move;
  if (is_one_of(code, AT_DEPTH_CODES)) return m.cut_z;
  if (code == PEN_LINE_3D) return m.z + m.dz;
  if (code == PEN_COMMENT || code == PEN_SPEEDS) return m.z;
  return m.rapid_z;
}

// A DXF of the tool path keeps the moves (3-D strokes too: its writer draws them as lines),
// the program start and resume, drill points and Z moves.
bool dxf_keeps(char code) { return is_one_of(code, "01234ARuzZdLV"); }

}  // namespace

// ---- buffer ----------------------------------------------------------------------------------

int path_alloc() {
  PathCode& p = g_path_code;
  if (p.op_capacity > 0) return 0;
  p.op_count = 0;
  p.value_count = 0;
  p.failed = false;
  p.last_op_at = p.last_values_at = p.prev_op_at = p.prev_values_at = -1;
  if (!resize_buffer(&p.ops, &p.op_capacity, PATH_INITIAL_OPS)) return -1;
  if (!resize_buffer(&p.values, &p.value_capacity, PATH_INITIAL_VALUES)) {
    std::vector<uint8_t>().swap(p.ops);
    p.op_capacity = 0;
    return -1;
  }
  return 0;
}

void path_free() {
  PathCode& p = g_path_code;
  std::vector<uint8_t>().swap(p.ops);
  std::vector<float>().swap(p.values);
  p.op_count = p.op_capacity = 0;
  p.value_count = p.value_capacity = 0;
  p.last_op_at = p.last_values_at = p.prev_op_at = p.prev_values_at = -1;
}

bool path_reserve(int32_t op_bytes, int32_t moves) {
  if (g_path_code.failed) return false;
  return grow_ops(op_bytes) && grow_values(3 * int64_t{moves});
}

bool path_failed() { return g_path_code.failed; }

// ---- writers -----------------------------------------------------------------------------------

void path_put_op(char opcode, const float* operands, int count) {
  append_op(opcode, nullptr, nullptr, operands, count);
}

void path_put_op_with_byte(char opcode, uint8_t byte, const float* operands, int count) {
  append_op(opcode, &byte, nullptr, operands, count);
}

void path_put_text_op(char opcode, const char* text) {
  append_op(opcode, nullptr, text == nullptr ? "" : text, nullptr, 0);
}

void path_put_number(char opcode) {
  const std::string number = std::to_string(g_encoder_inputs.current_tool_block.tool_number);
  path_put_text_op(opcode, number.c_str());
}

void path_put_contour_start(float x, float y, float surface_z) {
  const float v[3] = {x, y, surface_z};
  path_put_op(PATH_OP_CONTOUR_START, v, 3);
  g_pen_move.x = x;
  g_pen_move.y = y;
}

void path_put_contour_end() { path_put_op(PATH_OP_CONTOUR_END, nullptr, 0); }

// ---- reading -------------------------------------------------------------------------------------

int path_operand_count(char opcode) {
  switch (opcode) {
    case PATH_OP_LINE:
    case PATH_OP_COMMENT:
    case PATH_OP_TOOL:
    case PATH_OP_TOOL_FINISHING:
    case PATH_OP_TOOL_ROUGHING:
    case PATH_OP_CONTOUR_END:
    case PATH_OP_SECOND_HEAD:
    case PATH_OP_FIRST_HEAD:
      return 0;
    case PATH_OP_DESCEND: case PATH_OP_PLUNGE: case PATH_OP_RETRACT: case PATH_OP_RAPID_Z:
      return 1;
    case PATH_OP_SPEEDS:
    case PATH_OP_RAPID:
    case PATH_OP_FEED:
    case PATH_OP_FEED_3D:
    case PATH_OP_CIRCLE_POINT:
    case PATH_OP_CONTOUR_START:
    case PATH_OP_POSITION:
      return 3;
    case PATH_OP_START: case PATH_OP_ARC_CW: case PATH_OP_ARC_CCW: case PATH_OP_CIRCLE:
      return 4;
    case PATH_OP_DRILL:
      return 7;
    default:
      return -1;
  }
}

bool path_op_has_text(char opcode) { return is_one_of(opcode, "#*tfr"); }
bool path_op_has_byte(char opcode) { return is_one_of(opcode, "Scu"); }

PathReadResult path_read_op(PathReader* reader, PathOp* op) {
  const PathCode& p = g_path_code;
  if (reader->op_at >= p.op_count) return PATH_READ_END;
  const char code = static_cast<char>(p.ops[reader->op_at]);
  const int count = path_operand_count(code);
  if (count < 0) return PATH_READ_UNKNOWN;
  int32_t at = reader->op_at + 1;
  PathOp read;
  read.code = code;
  read.at = reader->op_at;
  if (path_op_has_byte(code)) {
    if (at >= p.op_count) return PATH_READ_TRUNCATED;
    read.param = p.ops[at++];
  }
  if (path_op_has_text(code)) {
    const void* nul = std::memchr(p.ops.data() + at, 0, static_cast<size_t>(p.op_count - at));
    if (nul == nullptr) return PATH_READ_TRUNCATED;
    read.text = reinterpret_cast<const char*>(p.ops.data() + at);
    at = static_cast<int32_t>(static_cast<const uint8_t*>(nul) - p.ops.data()) + 1;
  }
  if (reader->value_at + count > p.value_count) return PATH_READ_TRUNCATED;
  read.values = count > 0 ? p.values.data() + reader->value_at : nullptr;
  read.value_count = count;
  reader->op_at = at;
  reader->value_at += count;
  *op = read;
  return PATH_READ_OP;
}

char path_peek_op(const PathReader& reader) {
  const PathCode& p = g_path_code;
  return reader.op_at < p.op_count ? static_cast<char>(p.ops[reader.op_at]) : 0;
}

// ---- the move encoder ----------------------------------------------------------------------------

int subdivide_move(float dx, float dy, PointF* step, float step_length) {
  const double length = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
  const double steps = step_length > 0.0f ? length / step_length + 0.5 : 0.0;
  // Bounded so that a degenerate step length can not ask for more points than memory holds.
  const int n = steps >= 1000000.0 ? 1000000 : static_cast<int>(steps);
  if (n > 1) {
    step->x = dx / static_cast<float>(n);
    step->y = dy / static_cast<float>(n);
    return n;
  }
  step->x = dx;
  step->y = dy;
  return 1;
}

int surface_step_length(float dx, float dy, PointF* step) {
  const JobSettings& job = g_job_settings;
  const double radius = job.surface_radius;
  double length;
  if (job_surface_is(SURFACE_VERTICAL_CONE)) {
    length = job.units == JOB_UNITS_INCH ? 0.02 : 0.5;
  } else if (job_surface_is(SURFACE_CYLINDER_4TH_AXIS) || job_surface_is(SURFACE_DIE_CUT_BLADES)) {
    length = radius * 3.14159265358979323846 / 2.0;
  } else {
    const double t = g_encoder_inputs.tolerance;
    const double gap = radius * radius - (radius - t) * (radius - t);
    length = gap > 0.0 ? 2.0 * std::sqrt(gap) : 1.0;
  }
  return subdivide_move(dx, dy, step, static_cast<float>(length));
}

void path_encode_move() {
  PenMove& m = g_pen_move;
  const char code = m.code;
  if (!is_one_of(code, ENCODED_CODES)) return;
  PathEncoderState& e = g_path_encoder;
  PointF start{m.x, m.y};
  if (is_one_of(code, MOVING_CODES)) {
    if (is_one_of(code, CARRYING_CODES)) {
      m.dx += e.carry_dx;
      m.dy += e.carry_dy;
    }
    start = PointF{m.x, m.y};
    m.x += m.dx;
    m.y += m.dy;
  }
  // Increments held back stay held across arcs and comments, which do not move the pen.
  if (code != PEN_ARC_CW && code != PEN_ARC_CCW && code != PEN_COMMENT) {
    e.carry_dx = 0.0f;
    e.carry_dy = 0.0f;
  }
  path_reserve(22, 10);
  const float start_z = m.z;
  m.z = pen_z_after(code);
  if (output_is_dxf() && !dxf_keeps(code)) return;
  switch (code) {
    case PEN_COMMENT:
      encode_comment();
      clear_increments(true);
      break;
    case PEN_LINE_3D:
    case PEN_FEED_3D:
      encode_3d_stroke(code, start, start_z);
      if (code == PEN_LINE_3D) clear_increments(true);
      break;
    case PEN_UP:
    case PEN_LINE:
    case PEN_RAPID_ALWAYS:
      encode_straight(code, start, start_z);
      clear_increments(true);
      break;
    case PEN_ARC_CW:
    case PEN_ARC_CCW:
      if (encode_arc(code, start, start_z)) clear_increments(true);
      break;
    case PEN_DRILL:
      encode_drill();
      clear_increments(false);
      break;
    case PEN_PLUNGE:
      encode_plunge();
      break;
    case PEN_RETRACT:
    case PEN_DESCEND:
      encode_lift(code);
      break;
    case PEN_START:
      encode_program_start();
      break;
    case PEN_RESUME:
      encode_resume();
      break;
    case PEN_SPEEDS:
      encode_speeds();
      clear_increments(true);
      break;
    case PEN_PAUSE:
      encode_pause();
      break;
    case PEN_RESET:
      // The operator's stop halts the spindle: the tool leaves the work first, so that it
      // never stands in the cut, nor moves across the work after the stop, below the rapid
      // height.
      if (start_z < m.z) encode_lift(PEN_RETRACT);
      expand_section(PP_SECTION_RESET);
      break;
    case PEN_END:
      encode_program_end();
      break;
    default:
      break;
  }
}

// ---- test hooks --------------------------------------------------------------------------------

void reset_path_code() {
  path_free();
  g_path_code = PathCode{};
  g_path_encoder = PathEncoderState{};
  g_encoder_inputs = MoveEncoderInputs{};
}

void path_fail_next_growth(bool fail) { g_path_code.fail_next_growth = fail; }
