#include "nc/dxf_path.h"

#include <cmath>
#include <cstdio>

#include "geometry/double_arc_record.h"
#include "geometry/float2d.h"
#include "geometry/geometry2d.h"
#include "nc/cam_host.h"
#include "nc/nc_extents.h"
#include "nc/path_code.h"
#include "platform/files.h"

namespace {

constexpr double DEGREES_PER_RADIAN = 57.29578;

void append_format(std::string* out, const char* format, double a, double b, double c, double d,
                   double e, double f) {
  char text[512];
  std::snprintf(text, sizeof text, format, a, b, c, d, e, f);
  *out += text;
}

struct DxfWalk {
  double x = 0.0, y = 0.0, z = 0.0;  // where the tool stands
  int entities = 0;
};

void move_to(DxfWalk* w, std::string* out, char code, double x, double y, double z) {
  if (code == PATH_OP_CIRCLE_POINT) {
    dxf_write_point(out, x, y, z);
    ++w->entities;
  } else if (code != PATH_OP_RAPID && (x != w->x || y != w->y)) {
    dxf_write_line(out, w->x, w->y, x, y, w->z, z);
    ++w->entities;
  }
  w->x = x;
  w->y = y;
  w->z = z;
}

void arc_to(DxfWalk* w, std::string* out, const PathOp& op, bool circle) {
  const float* v = op.values;
  DoubleArcRecord arc;
  arc.point = PointD{w->x, w->y};
  arc.next_point = PointD{v[0], v[1]};
  arc.centre = PointD{w->x + v[2], w->y + v[3]};
  arc.radius = std::hypot(v[2], v[3]);
  w->x = v[0];
  w->y = v[1];
  if (circle) {
    dxf_write_circle(out, arc.centre.x, arc.centre.y, w->z, arc.radius);
    ++w->entities;
    return;
  }
  const PointD centre = arc.centre;
  if (arc.radius > 0.0 && fit_arc_centre_d(&arc, &centre, FIT_CENTRE_NEAR_POINT) == 0)
    arc.centre = centre;
  float start = 0.0f, end = 0.0f;
  const float radius = arc_from_centre_offset(
      static_cast<float>(arc.next_point.x - arc.point.x),
      static_cast<float>(arc.next_point.y - arc.point.y),
      static_cast<float>(arc.centre.x - arc.point.x), static_cast<float>(arc.centre.y - arc.point.y),
      &start, &end);
  // DXF arcs run counter-clockwise from their start angle to their end angle.
  if (op.code == PATH_OP_ARC_CW) std::swap(start, end);
  dxf_write_arc(out, arc.centre.x, arc.centre.y, w->z, radius, start * DEGREES_PER_RADIAN,
                end * DEGREES_PER_RADIAN);
  ++w->entities;
}

bool walk(std::string* out, DxfWalk* w) {
  PathReader reader;
  PathOp op;
  PathReadResult result;
  while ((result = path_read_op(&reader, &op)) == PATH_READ_OP) {
    const float* v = op.values;
    switch (op.code) {
      case PATH_OP_RAPID:
      case PATH_OP_FEED:
      case PATH_OP_FEED_3D:
      case PATH_OP_CIRCLE_POINT:
        move_to(w, out, op.code, v[0], v[1], v[2]);
        break;
      case PATH_OP_ARC_CW:
      case PATH_OP_ARC_CCW: arc_to(w, out, op, false); break;
      case PATH_OP_CIRCLE: arc_to(w, out, op, true); break;
      case PATH_OP_START:
        w->x = v[1];
        w->y = v[2];
        break;
      case PATH_OP_POSITION:
        w->x = v[0];
        w->y = v[1];
        w->z = v[2];
        break;
      case PATH_OP_PLUNGE:
      case PATH_OP_DESCEND:
      case PATH_OP_RETRACT:
      case PATH_OP_RAPID_Z: w->z = v[0]; break;
      case PATH_OP_CONTOUR_START:
        w->x = v[0];
        w->y = v[1];
        w->z = v[2];
        break;
      case PATH_OP_DRILL:
        dxf_write_point(out, v[0], v[1], v[2]);
        ++w->entities;
        w->x = v[0];
        w->y = v[1];
        w->z = v[3];
        break;
      case PATH_OP_LINE:
      case PATH_OP_COMMENT:
      case PATH_OP_TOOL:
      case PATH_OP_TOOL_FINISHING:
      case PATH_OP_TOOL_ROUGHING:
      case PATH_OP_SPEEDS:
      case PATH_OP_CONTOUR_END:
      case PATH_OP_SECOND_HEAD:
      case PATH_OP_FIRST_HEAD: break;
      default: {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The tool path holds path code '%c' that the DXF export can not draw; no "
                      "DXF file was written.",
                      op.code);
        g_dxf_export.failure = text;
        return false;
      }
    }
  }
  if (result == PATH_READ_UNKNOWN) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "The tool path holds a byte ('%c') that is no path code; no DXF file was written.",
                  static_cast<char>(g_path_code.ops[reader.op_at]));
    g_dxf_export.failure = text;
    return false;
  }
  if (result != PATH_READ_END) {
    g_dxf_export.failure = "The tool path ends inside a move; no DXF file was written.";
    return false;
  }
  return true;
}

}  // namespace

void dxf_write_header(std::string* out, double min_x, double min_y, double max_x, double max_y) {
  append_format(out,
                "  0\r\nSECTION\r\n  2\r\nHEADER\r\n9\r\n$EXTMIN\r\n10\r\n%f\r\n20\r\n%f\r\n30\r\n0.0"
                "\r\n9\r\n$EXTMAX\r\n10\r\n%f\r\n20\r\n%f\r\n30\r\n0.0\r\n  0\r\nENDSEC\r\n  0\r\n"
                "SECTION\r\n  2\r\nTABLES\r\n  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nBLOCKS\r\n"
                "  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\n",
                min_x, min_y, max_x, max_y, 0.0, 0.0);
}

void dxf_write_line(std::string* out, double x1, double y1, double x2, double y2, double z1,
                    double z2) {
  append_format(out,
                "LINE\r\n  8\r\n0\r\n 10\r\n%f\r\n 20\r\n%f\r\n 30\r\n%f\r\n 11\r\n%f\r\n 21\r\n%f"
                "\r\n 31\r\n%f\r\n  0\r\n",
                x1, y1, z1, x2, y2, z2);
}

void dxf_write_arc(std::string* out, double cx, double cy, double cz, double radius,
                   double start_degrees, double end_degrees) {
  append_format(out,
                "ARC\r\n  8\r\n0\r\n 10\r\n%f\r\n 20\r\n%f\r\n 30\r\n%f\r\n 40\r\n%f\r\n 50\r\n%f"
                "\r\n 51\r\n%f\r\n  0\r\n",
                cx, cy, cz, radius, start_degrees, end_degrees);
}

void dxf_write_circle(std::string* out, double cx, double cy, double cz, double radius) {
  append_format(out,
                "CIRCLE\r\n  8\r\n0\r\n 10\r\n%f\r\n 20\r\n%f\r\n 30\r\n%f\r\n 40\r\n%f\r\n  0\r\n",
                cx, cy, cz, radius, 0.0, 0.0);
}

void dxf_write_point(std::string* out, double x, double y, double z) {
  append_format(out,
                "POINT\r\n  8\r\n0\r\n 10\r\n%f\r\n 20\r\n%f\r\n 30\r\n%f\r\n 50\r\n0\r\n  0\r\n",
                x, y, z, 0.0, 0.0, 0.0);
}

void dxf_write_trailer(std::string* out) { *out += "ENDSEC\r\n  0\r\nEOF\r\n"; }

bool dxf_write_path() {
  DxfExportState& state = g_dxf_export;
  state.written = false;
  state.failure.clear();
  state.entities = 0;
  std::string text;
  text.reserve(static_cast<size_t>(g_path_code.value_count) * 40 + 1024);
  dxf_write_header(&text, g_nc_extents.min.x, g_nc_extents.min.y, g_nc_extents.max.x,
                   g_nc_extents.max.y);
  DxfWalk w;
  if (!walk(&text, &w)) {
    host_show_message(state.failure.c_str());
    return false;
  }
  dxf_write_trailer(&text);
  std::string error;
  const SaveResult saved = save_file_safely(
      state.path, "", [&text](SaveFile* file) { return save_write_text(file, text); }, &error);
  if (saved != SAVE_OK) {
    state.failure = std::string(DXF_CREATE_FAILED_MESSAGE) + " " + error;
    host_show_message(DXF_CREATE_FAILED_MESSAGE);
    return false;
  }
  state.entities = w.entities;
  state.written = true;
  return true;
}
