#include "nc/proof_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "nc/nc_extents.h"
#include "nc/work_surface.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/record_bytes.h"

ProofFileState g_proof;

namespace {

constexpr double PI = 3.14159265358979323846;
// Wireframe rings have 40 points 9 degrees apart; arcs and half circles 20 steps.
constexpr int RING_POINTS = 40;
constexpr int ARC_STEPS = 20;
constexpr double RING_STEP = PI / 20.0;
constexpr int TORUS_RINGS = 26;

void put_field_f32(ProofRecord* r, int index, float value) { put_f32_le(r->field + 4 * index, value); }
void put_field_i32(ProofRecord* r, int index, int32_t value) {
  put_i32_le(r->field + 4 * index, value);
}

void write_record(const ProofRecord& record) {
  if (g_proof.file == nullptr) return;
  uint8_t bytes[PROOF_RECORD_SIZE];
  write_proof_record_bytes(record, bytes);
  if (std::fwrite(bytes, 1, PROOF_RECORD_SIZE, g_proof.file) != PROOF_RECORD_SIZE)
    g_proof.write_failed = true;
}

// ---- wireframes ----

// Writes a polyline of the wireframe: 'A' at the first point, the kind for the others.
struct Polyline {
  char kind;
  bool started = false;
  void point(double x, double y, double z) {
    proof_write_record(started ? kind : PROOF_POSITION, static_cast<float>(x),
                       static_cast<float>(y), static_cast<float>(z));
    started = true;
  }
};

// Heights above a surface's base become Z: a dome (the axis/side option set) has its top at
// the surface's Z, a hollow its bottom.
struct SurfaceFrame {
  double xc, yc, zc;  // centre of the surface and the height of its top
  double sign;        // +1 dome, -1 hollow
  double z_of(double height_above_base, double base_depth) const {
    return zc + sign * (height_above_base - base_depth);
  }
};

SurfaceFrame surface_frame() {
  const JobSettings& job = g_job_settings;
  return SurfaceFrame{job.surface_length_1, job.surface_length_2, job.surface_length_3,
                      job.surface_side != 0 ? 1.0 : -1.0};
}

double half_extent(bool along_y) {
  const float lo = along_y ? g_nc_extents.min.y : g_nc_extents.min.x;
  const float hi = along_y ? g_nc_extents.max.y : g_nc_extents.max.x;
  return hi > lo ? (hi - lo) / 2.0 : 0.0;
}

// A horizontal ring about the surface's centre, closed back to its first point.
void write_ring(char kind, const SurfaceFrame& f, double rx, double ry, double z) {
  Polyline line{kind};
  for (int k = 0; k <= RING_POINTS; ++k) {
    const double a = (k % RING_POINTS) * RING_STEP;
    line.point(f.xc + rx * std::cos(a), f.yc + ry * std::sin(a), z);
  }
}

void write_oval(double rs, double r2) {
  if (!(r2 > 0.0) || rs < r2) return;
  const SurfaceFrame f = surface_frame();
  const double k = rs / r2;
  auto radius_at = [r2](double y) { return std::sqrt(std::max(0.0, r2 * r2 - y * y)); };
  for (int i = 5; i <= 9; ++i) {
    const double h = (i - 5) * r2 / 5.0;
    const double r = radius_at(h);
    write_ring(PROOF_WIREFRAME_DOME, f, k * r, r, f.z_of(h, r2));
  }
  for (int i = 0; i <= 9; ++i) {  // arcs in X and Z across the oval
    const double y = (i - 5) * r2 / 5.0;
    const double r = radius_at(y);
    Polyline line{PROOF_WIREFRAME_DOME};
    for (int s = 0; s < ARC_STEPS; ++s) {
      const double a = s * RING_STEP;
      line.point(f.xc + k * r * std::cos(a), f.yc + y, f.z_of(r * std::sin(a), r2));
    }
  }
  for (int g = 0; g <= 9; ++g) {  // arcs in Y and Z along the oval
    const double x = (g - 5) * rs / 5.0;
    const double q = (g - 5) / 5.0;
    const double r = r2 * std::sqrt(std::max(0.0, 1.0 - q * q));
    Polyline line{PROOF_WIREFRAME_DOME};
    for (int s = 0; s < ARC_STEPS; ++s) {
      const double a = s * RING_STEP;
      line.point(f.xc + x, f.yc + r * std::cos(a), f.z_of(r * std::sin(a), r2));
    }
  }
}

void write_cylinder(double rs) {
  const JobSettings& job = g_job_settings;
  if (job.surface_side == 0 || std::sin(job.surface_angle) != 0.0 || !(rs > 0.0)) return;
  const SurfaceFrame f = surface_frame();
  const bool along_y = job.surface_choice != 0;
  const double spacing = half_extent(along_y) / 5.0;
  for (int j = -5; j <= 5; ++j) {
    Polyline line{PROOF_WIREFRAME};
    for (int s = 0; s <= ARC_STEPS + 1; ++s) {  // the half circle, closed by its diameter
      const double a = (s % (ARC_STEPS + 1)) * PI / ARC_STEPS;
      const double across = rs * std::cos(a);
      const double z = f.z_of(rs * std::sin(a), rs);
      if (along_y) line.point(f.xc + across, f.yc + j * spacing, z);
      else line.point(f.xc + j * spacing, f.yc + across, z);
    }
  }
}

void write_horizontal_cone(double rs) {
  const JobSettings& job = g_job_settings;
  const double t = std::tan(job.surface_angle);
  if (!(t > 0.0) || !(rs > 0.0)) return;
  const SurfaceFrame f = surface_frame();
  const double length = rs / t;
  const bool along_y = job.surface_choice != 0;
  auto point = [&](Polyline* line, double u, double across, double height) {
    const double z = f.z_of(height, rs);
    if (along_y) line->point(f.xc + across, f.yc + u, z);
    else line->point(f.xc + u, f.yc + across, z);
  };
  for (int j = 0; j < 10; ++j) {
    const double u = j * length / 10.0;
    const double r = rs - u * t;
    Polyline line{PROOF_WIREFRAME};
    for (int k = 0; k <= RING_POINTS; ++k) {
      const double a = (k % RING_POINTS) * RING_STEP;
      point(&line, u, r * std::cos(a), r * std::sin(a));
    }
  }
  for (int k = 0; k < RING_POINTS; ++k) {  // from the base ring to the apex
    const double a = k * RING_STEP;
    Polyline line{PROOF_WIREFRAME};
    point(&line, 0.0, rs * std::cos(a), rs * std::sin(a));
    point(&line, length, 0.0, 0.0);
  }
}

void write_vertical_cone() {
  const double t = std::tan(g_job_settings.surface_angle);
  if (!(t > 0.0)) return;
  const SurfaceFrame f = surface_frame();
  double largest = std::max(half_extent(false), half_extent(true));
  if (!(largest > 0.0)) largest = g_job_settings.surface_radius;
  if (!(largest > 0.0)) return;
  // A standing cone (outside) falls away below its apex; a funnel rises from it.
  auto depth_z = [&](double r) { return f.zc - f.sign * r / t; };
  for (int j = 1; j <= 10; ++j) {
    const double r = largest * j / 10.0;
    write_ring(PROOF_WIREFRAME, f, r, r, depth_z(r));
  }
  for (int k = 0; k < RING_POINTS; ++k) {
    const double a = k * RING_STEP;
    Polyline line{PROOF_WIREFRAME};
    line.point(f.xc, f.yc, f.zc);
    line.point(f.xc + largest * std::cos(a), f.yc + largest * std::sin(a), depth_z(largest));
  }
}

void write_torus(double rs, double r2, bool vertical) {
  const SurfaceFrame f = surface_frame();
  for (int o = 0; o < TORUS_RINGS; ++o) {
    const double a = 2.0 * PI * o / TORUS_RINGS;
    const double radius = rs + r2 * std::cos(a);
    const double height = r2 * std::sin(a);
    Polyline line{PROOF_WIREFRAME};
    for (int k = 0; k <= RING_POINTS; ++k) {
      const double b = (k % RING_POINTS) * RING_STEP;
      const double x = radius * std::cos(b);
      const double y = radius * std::sin(b);
      // The top of a vertical torus stands on edge: each ring turned a quarter turn about X
      // and lowered by the torus' whole radius so that its top is at the surface's Z.
      if (vertical) line.point(f.xc + x, f.yc + height, f.z_of(y, rs + r2));
      else line.point(f.xc + x, f.yc + y, f.z_of(height, r2));
    }
  }
}

}  // namespace

// ---- records -------------------------------------------------------------------------------------

ProofRecord proof_move_record(char kind, float x, float y, float z) {
  ProofRecord r;
  r.kind = static_cast<uint8_t>(kind);
  put_field_f32(&r, 0, x);
  put_field_f32(&r, 1, y);
  put_field_f32(&r, 2, z);
  return r;
}

ProofRecord proof_line_record(int32_t row, float feed, int32_t rpm) {
  ProofRecord r;
  r.kind = static_cast<uint8_t>(PROOF_LINE);
  put_field_i32(&r, 0, row);
  put_field_f32(&r, 1, feed);
  put_field_i32(&r, 2, rpm);
  return r;
}

ProofRecord proof_tool_record(char kind, int32_t tool) {
  ProofRecord r;
  r.kind = static_cast<uint8_t>(kind);
  put_field_i32(&r, 0, tool);
  return r;
}

ProofRecord proof_text_record(const char* text) {
  ProofRecord r;
  if (text == nullptr || text[0] == 0) return r;
  r.kind = static_cast<uint8_t>(text[0]);
  const size_t rest = std::min(std::strlen(text + 1), sizeof r.field);
  std::memcpy(r.field, text + 1, rest);
  return r;
}

float proof_field_f32(const ProofRecord& record, int index) {
  return get_f32_le(record.field + 4 * index);
}

int32_t proof_field_i32(const ProofRecord& record, int index) {
  return get_i32_le(record.field + 4 * index);
}

std::string proof_record_text(const ProofRecord& record) {
  std::string text(1, static_cast<char>(record.kind));
  for (uint8_t c : record.field) {
    if (c == 0) break;
    text += static_cast<char>(c);
  }
  return text;
}

void write_proof_record_bytes(const ProofRecord& record, uint8_t out[PROOF_RECORD_SIZE]) {
  out[0] = record.kind;
  std::memcpy(out + 1, record.field, sizeof record.field);
}

void read_proof_record_bytes(const uint8_t in[PROOF_RECORD_SIZE], ProofRecord* record) {
  record->kind = in[0];
  std::memcpy(record->field, in + 1, sizeof record->field);
}

// ---- the file --------------------------------------------------------------------------------------

std::string proof_file_path() { return path_join(temp_folder(), PROOF_FILE_NAME); }

bool proof_open() {
  proof_close();
  g_proof.file = std::fopen(proof_file_path().c_str(), "wb");
  g_proof.axes_offset = -1;
  g_proof.write_failed = false;
  proof_reset_extents();
  return g_proof.file != nullptr;
}

void proof_write_record(char kind, float a, float b, float c) {
  write_record(proof_move_record(kind, a, b, c));
}

void proof_write_line(int32_t row, float feed, int32_t rpm) {
  write_record(proof_line_record(row, feed, rpm));
}

void proof_write_tool(char kind, int32_t tool) { write_record(proof_tool_record(kind, tool)); }

void proof_write_text(const char* text) { write_record(proof_text_record(text)); }

void proof_write_move(char kind, float x, float y, float z) {
  proof_write_record(kind, x, y, z);
  proof_grow_extents(x, y, z);
}

void proof_reset_extents() {
  g_nc_extents.min = PointF{PROOF_NO_MIN, PROOF_NO_MIN};
  g_nc_extents.max = PointF{PROOF_NO_MAX, PROOF_NO_MAX};
  g_proof.z_min = PROOF_NO_MIN;
  g_proof.z_max = PROOF_NO_MAX;
}

void proof_grow_extents(float x, float y, float z) {
  g_nc_extents.min.x = std::min(g_nc_extents.min.x, x);
  g_nc_extents.min.y = std::min(g_nc_extents.min.y, y);
  g_nc_extents.max.x = std::max(g_nc_extents.max.x, x);
  g_nc_extents.max.y = std::max(g_nc_extents.max.y, y);
  g_proof.z_min = std::min(g_proof.z_min, z);
  g_proof.z_max = std::max(g_proof.z_max, z);
}

bool proof_anything_moved() { return g_nc_extents.max.x != PROOF_NO_MAX; }

void proof_write_workpiece() {
  const JobSettings& job = g_job_settings;
  const double rs = job.surface_radius;
  const double r2 = job.surface_length_4;
  if (job_surface_is(SURFACE_SPHERE)) write_oval(rs, rs);
  else if (job_surface_is(SURFACE_OVAL)) write_oval(rs, r2);
  else if (job_surface_is(SURFACE_CYLINDER)) write_cylinder(rs);
  else if (job_surface_is(SURFACE_HORIZONTAL_CONE)) write_horizontal_cone(rs);
  else if (job_surface_is(SURFACE_VERTICAL_CONE)) write_vertical_cone();
  else if (job_surface_is(SURFACE_TORUS_SIDE) || job_surface_is(SURFACE_TORUS_TUBE))
    write_torus(rs, r2, false);
  else if (job_surface_is(SURFACE_TORUS_TOP)) write_torus(rs, r2, true);
}

void proof_write_axes() {
  if (g_proof.file != nullptr) g_proof.axes_offset = std::ftell(g_proof.file);
  const float half_w = (g_nc_extents.max.x - g_nc_extents.min.x) / 2.0f;
  const float half_h = (g_nc_extents.max.y - g_nc_extents.min.y) / 2.0f;
  const float l = std::max(half_w, half_h);
  const float h = l / 8.0f;
  const char A = PROOF_POSITION;
  const char o = PROOF_AXIS;
  proof_write_record(A, 0, 0, 0);
  proof_write_record(o, 0, 0, l);
  proof_write_record(A, -l, 0, 0);
  proof_write_record(o, l, 0, 0);
  proof_write_record(A, 0, -l, 0);
  proof_write_record(o, 0, l, 0);
  proof_write_record(A, l, h, 0);  // the letter X beyond the X axis
  proof_write_record(o, l + h, -h, 0);
  proof_write_record(A, l, -h, 0);
  proof_write_record(o, l + h, h, 0);
  proof_write_record(A, 0, l + h, 0);  // the letter Y above the Y axis
  proof_write_record(o, 0, l + 2 * h, 0);
  proof_write_record(o, -h / 2, l + 3 * h, 0);
  proof_write_record(A, 0, l + 2 * h, 0);
  proof_write_record(o, h / 2, l + 3 * h, 0);
  const JobSettings& job = g_job_settings;
  if (g_proof.run_level == 0 || job.material_box_shown == 0) return;
  const float x = job.material_box[0];
  const float y = job.material_box[1];
  const float w = job.material_box[2];
  const float bh = job.material_box[3];
  proof_write_record(A, x, y, 0);
  proof_write_record(PROOF_STOCK, x, y + bh, 0);
  proof_write_record(PROOF_STOCK, x + w, y + bh, 0);
  proof_write_record(PROOF_STOCK, x + w, y, 0);
  proof_write_record(PROOF_STOCK, x, y, 0);
}

int proof_finish() {
  if (!proof_anything_moved()) {
    proof_delete_file();
    return 0;
  }
  proof_write_workpiece();
  proof_write_axes();
  if (g_proof.file != nullptr && std::fflush(g_proof.file) != 0) g_proof.write_failed = true;
  proof_close();
  return g_proof.write_failed ? -1 : 1;
}

void proof_close() {
  if (g_proof.file == nullptr) return;
  if (std::fclose(g_proof.file) != 0) g_proof.write_failed = true;
  g_proof.file = nullptr;
}

void proof_delete_file() {
  proof_close();
  file_delete(proof_file_path());
}

// ---- reading ------------------------------------------------------------------------------------------

bool read_proof_file(const std::string& path, std::vector<ProofRecord>* records) {
  records->clear();
  FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return false;
  uint8_t bytes[PROOF_RECORD_SIZE];
  while (std::fread(bytes, 1, PROOF_RECORD_SIZE, in) == PROOF_RECORD_SIZE) {
    ProofRecord record;
    read_proof_record_bytes(bytes, &record);
    records->push_back(record);
  }
  std::fclose(in);
  return true;
}

void reset_proof_file() {
  proof_close();
  g_proof = ProofFileState{};
}
