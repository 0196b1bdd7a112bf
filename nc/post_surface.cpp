#include "nc/post_surface.h"

#include <cstdio>
#include <string>

#include "nc/post_gm.h"
#include "nc/work_surface.h"
#include "records/job_settings.h"
#include "records/preferences.h"

namespace {

constexpr double DEGREES_PER_RADIAN = 57.29578;

bool stop(const char* why) {
  g_post_run.failure = why;
  return false;
}

bool stop_at_point() {
  g_post_run.failure = g_surface_run.failure + " The NC program was not made.";
  return false;
}

// Maps the point at values[0], values[1] and adds its offset to values[z_at].
bool map_values(float* values, int z_at, double reference_z, double* drawing_x, double* drawing_y) {
  double x = values[0], y = values[1], offset = 0.0;
  *drawing_x = x;
  *drawing_y = y;
  if (!map_surface_point(&x, &y, reference_z, &offset)) return false;
  values[0] = static_cast<float>(x);
  values[1] = static_cast<float>(y);
  if (z_at >= 0) values[z_at] = static_cast<float>(values[z_at] + offset);
  return true;
}

// The offset at a drawing point without moving anything.
bool offset_at(double x, double y, double reference_z, double* offset) {
  return map_surface_point(&x, &y, reference_z, offset);
}

}  // namespace

bool surface_pre_pass() {
  PathReader reader;
  PathOp op;
  PathReadResult result;
  // The drawing point of the last mapped move: Z moves take their offset there.
  double last_x = 0.0, last_y = 0.0, last_reference = 0.0;
  while ((result = path_read_op(&reader, &op)) == PATH_READ_OP) {
    float* v = op.value_count > 0 ? g_path_code.values.data() + (reader.value_at - op.value_count)
                                  : nullptr;
    double offset = 0.0;
    switch (op.code) {
      case PATH_OP_RAPID:
      case PATH_OP_FEED_3D: {
        double reference = v[2];
        if (path_peek_op(reader) == PATH_OP_PLUNGE) {
          PathReader ahead = reader;
          PathOp plunge;
          if (path_read_op(&ahead, &plunge) == PATH_READ_OP) reference = plunge.values[0];
        }
        if (!map_values(v, 2, reference, &last_x, &last_y)) return stop_at_point();
        last_reference = v[2];
        break;
      }
      case PATH_OP_FEED:
      case PATH_OP_CIRCLE_POINT:
        if (!map_values(v, 2, v[2], &last_x, &last_y)) return stop_at_point();
        last_reference = v[2];
        break;
      case PATH_OP_POSITION:
        if (!map_values(v, 2, last_reference, &last_x, &last_y)) return stop_at_point();
        break;
      case PATH_OP_START: {
        double x = v[1], y = v[2];
        last_x = x;
        last_y = y;
        if (!map_surface_point(&x, &y, v[0], &offset)) return stop_at_point();
        v[1] = static_cast<float>(x);
        v[2] = static_cast<float>(y);
        v[3] = static_cast<float>(v[3] + offset);
        last_reference = v[0];
        break;
      }
      case PATH_OP_PLUNGE:
      case PATH_OP_DESCEND:
      case PATH_OP_RETRACT:
        if (!offset_at(last_x, last_y, v[0], &offset)) return stop_at_point();
        v[0] = static_cast<float>(v[0] + offset);
        break;
      case PATH_OP_DRILL: {
        // The hole, its retract plane and the surface it starts from all follow the surface.
        double retract_offset = 0.0, surface_offset = 0.0;
        if (!offset_at(v[0], v[1], v[3], &retract_offset) ||
            !offset_at(v[0], v[1], v[6], &surface_offset) ||
            !map_values(v, 2, v[2], &last_x, &last_y))
          return stop_at_point();
        v[3] = static_cast<float>(v[3] + retract_offset);
        v[6] = static_cast<float>(v[6] + surface_offset);
        break;
      }
      case PATH_OP_CONTOUR_START: {
        double x = v[0], y = v[1];
        if (!map_surface_point(&x, &y, v[2], &offset)) return stop_at_point();
        v[0] = static_cast<float>(x);
        v[1] = static_cast<float>(y);
        break;
      }
      case PATH_OP_LINE:
      case PATH_OP_COMMENT:
      case PATH_OP_TOOL:
      case PATH_OP_TOOL_FINISHING:
      case PATH_OP_TOOL_ROUGHING:
      case PATH_OP_SPEEDS:
      case PATH_OP_RAPID_Z:
      case PATH_OP_CONTOUR_END:
        break;
      case PATH_OP_SECOND_HEAD:
      case PATH_OP_FIRST_HEAD:
        return stop("A second cutting head can not be used on a curved work surface; the NC "
                    "program was not made.");
      default: {
        char text[200];
        std::snprintf(text, sizeof text,
                      "The tool path holds an arc or circle (path code '%c') that can not be laid "
                      "onto the curved work surface; the NC program was not made.",
                      op.code);
        g_post_run.failure = text;
        return false;
      }
    }
  }
  if (result != PATH_READ_END)
    return stop("The path code ends inside an opcode; the NC program was not made.");
  return true;
}

bool next_move_point(const PathReader& reader, double* x, double* y, double* z) {
  PathReader ahead = reader;
  PathOp op;
  if (path_read_op(&ahead, &op) != PATH_READ_OP) return false;
  switch (op.code) {
    case PATH_OP_RAPID:
    case PATH_OP_FEED:
    case PATH_OP_FEED_3D:
    case PATH_OP_CIRCLE_POINT:
    case PATH_OP_POSITION:
      *x = op.values[0];
      *y = op.values[1];
      *z = op.values[2];
      return true;
    case PATH_OP_DRILL:
      *x = op.values[0];
      *y = op.values[1];
      *z = op.values[3];
      return true;
    case PATH_OP_START: {
      *x = op.values[1];
      *y = op.values[2];
      // The descent after it says the height the tool goes to there.
      PathOp descend;
      if (path_read_op(&ahead, &descend) == PATH_READ_OP && descend.code == PATH_OP_DESCEND) {
        *z = descend.values[0];
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

double surface_clearance() { return g_preferences.surface_clearance; }

double rotary_degrees(double x, double y, double wrapped, bool* ok) {
  const JobSettings& job = g_job_settings;
  *ok = true;
  double radians;
  if (job_surface_is(SURFACE_CONE_4TH_AXIS)) {
    double offset = 0.0;
    radians = cone_angle_at(x, y, &offset, ok);
  } else if (job_surface_is(SURFACE_TORUS_4TH_AXIS)) {
    radians = wrapped / (job.surface_radius + job.surface_length_4);
  } else {
    radians = wrapped / job.surface_radius;
  }
  return radians * DEGREES_PER_RADIAN;
}
