#include "text/truetype_faces.h"

#include <cmath>
#include <cstring>

#include "platform/cp1252.h"
#include "platform/truetype.h"
#include "text/truetype_outline.h"
#include "store/record_bytes.h"

namespace {

constexpr double SMALL_X = 4000.0;
constexpr double TALL_ORIGIN = 6000.0;
constexpr int32_t DESCRIPTION_HEIGHT = -10000;

struct OutlineCollect {
  double tolerance = 0.1;
  bool editing = false;
  double x = 0, y = 0;     // the current point
  size_t contour_start = 0;
};

void move_to(void* user, double x, double y) {
  auto* c = static_cast<OutlineCollect*>(user);
  TrueTypeOutline& o = g_truetype;
  c->contour_start = o.xs.size();
  o.xs.push_back(static_cast<float>(x));
  o.ys.push_back(static_cast<float>(y));
  c->x = x;
  c->y = y;
}

void line_to(void* user, double x, double y) {
  auto* c = static_cast<OutlineCollect*>(user);
  g_truetype.xs.push_back(static_cast<float>(x));
  g_truetype.ys.push_back(static_cast<float>(y));
  c->x = x;
  c->y = y;
}

// The flattened points after the first (which is the current point already).
void drop_first_of_last(size_t before) {
  TrueTypeOutline& o = g_truetype;
  o.xs.erase(o.xs.begin() + static_cast<long>(before));
  o.ys.erase(o.ys.begin() + static_cast<long>(before));
}

void conic_to(void* user, double cx, double cy, double x, double y) {
  auto* c = static_cast<OutlineCollect*>(user);
  const size_t before = g_truetype.xs.size();
  flatten_quadratic(c->x, c->y, cx, cy, x, y, c->tolerance, c->editing, &g_truetype.xs,
                    &g_truetype.ys);
  drop_first_of_last(before);
  c->x = x;
  c->y = y;
}

void cubic_to(void* user, double c1x, double c1y, double c2x, double c2y, double x, double y) {
  auto* c = static_cast<OutlineCollect*>(user);
  const size_t before = g_truetype.xs.size();
  flatten_cubic(c->x, c->y, c1x, c1y, c2x, c2y, x, y, c->tolerance, c->editing, &g_truetype.xs,
                &g_truetype.ys);
  drop_first_of_last(before);
  c->x = x;
  c->y = y;
}

void close_contour(void* user) {
  auto* c = static_cast<OutlineCollect*>(user);
  TrueTypeOutline& o = g_truetype;
  const size_t count = o.xs.size() - c->contour_start;
  // The walk ends every contour on its start point already; a contour of one point is dropped.
  if (count < 2) {
    o.xs.resize(c->contour_start);
    o.ys.resize(c->contour_start);
    return;
  }
  o.counts.push_back(static_cast<int32_t>(count));
}

uint32_t code_point_of(int c) { return cp1252_to_code_point(static_cast<uint8_t>(c)); }

}  // namespace

uint32_t find_truetype_face(const uint8_t log_font[TL_LOG_FONT_SIZE]) {
  char face[LOG_FONT_FACE_SIZE];
  std::memcpy(face, log_font + LOG_FONT_FACE, sizeof face);
  face[sizeof face - 1] = '\0';
  if (face[0] == '\0') return 0;
  const int weight = get_i32_le(log_font + LOG_FONT_WEIGHT);
  return truetype_face_id(face, weight, log_font[LOG_FONT_ITALIC] != 0);
}

bool truetype_face_usable(uint32_t face_id) { return truetype_face_known(face_id); }

double truetype_unit_scale(uint32_t face_id) {
  double x0, y0, x1, y1;
  if (!truetype_char_box(face_id, 'X', &x0, &y0, &x1, &y1)) return 0.0001;
  const double height = y1 - y0;
  if (height <= SMALL_X) return 0.0001;
  return y1 > TALL_ORIGIN ? 1.0 / y1 : 1.0 / height;
}

float truetype_advance(uint32_t face_id, int c) {
  return static_cast<float>(truetype_char_advance(face_id, code_point_of(c)) *
                            truetype_unit_scale(face_id));
}

float truetype_char_outline(int c, uint32_t face_id, double tolerance, double height) {
  TrueTypeOutline& o = g_truetype;
  o.xs.clear();
  o.ys.clear();
  o.counts.clear();
  o.unit_scale = truetype_unit_scale(face_id);
  OutlineCollect collect;
  // The tolerance in face units, so the chord error on the work is the job's tolerance.
  collect.tolerance = height > 0 ? tolerance / (height * o.unit_scale) : 1.0;
  collect.editing = o.editing;
  TrueTypeOutlineSink sink;
  sink.user = &collect;
  sink.move_to = move_to;
  sink.line_to = line_to;
  sink.conic_to = conic_to;
  sink.cubic_to = cubic_to;
  sink.close = close_contour;
  double advance = 0.0;
  if (!truetype_walk_outline(face_id, code_point_of(c), &sink, &advance)) {
    o.xs.clear();
    o.ys.clear();
    o.counts.clear();
    advance = 0.0;
  }
  // Points of an unfinished contour (the walk stopped) are not handed out.
  size_t kept = 0;
  for (int32_t n : o.counts) kept += static_cast<size_t>(n);
  o.xs.resize(kept);
  o.ys.resize(kept);
  o.xs.push_back(static_cast<float>(advance));
  o.ys.push_back(0.0f);
  prepare_truetype_outline();
  return static_cast<float>(advance * o.unit_scale);
}

void set_truetype_description(uint8_t log_font[TL_LOG_FONT_SIZE], const char* face, int weight,
                              bool italic) {
  std::memset(log_font, 0, TL_LOG_FONT_SIZE);
  put_i32_le(log_font + LOG_FONT_HEIGHT, DESCRIPTION_HEIGHT);
  put_i32_le(log_font + LOG_FONT_WEIGHT, weight);
  log_font[LOG_FONT_ITALIC] = italic ? 1 : 0;
  std::strncpy(reinterpret_cast<char*>(log_font + LOG_FONT_FACE), face, LOG_FONT_FACE_SIZE - 1);
}

void release_all_font_handles() { release_truetype_faces(); }

void free_glyph_buffers() { reset_truetype_outline(); }
