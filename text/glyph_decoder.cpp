#include "text/glyph_decoder.h"

#include <cmath>
#include <cstring>

#include "geometry/spline.h"
#include "text/stroke_font_file.h"
#include "text/truetype_outline.h"
#include "store/record_bytes.h"

GlyphDecoder g_glyph_decoder;

void reset_glyph_decoder() {
  g_glyph_decoder = GlyphDecoder{};
  g_glyph_decoder.queue.reserve(ARC_CHORD_STEPS_MAX);
}

namespace {

constexpr int SPLINE_RUN_MOST_POINTS = 250;
constexpr double SPLINE_TOLERANCE = 0.01;
constexpr double ARC_STEP_MOST = 0.8;
// Marks "more moves" for a TrueType character, which has no record to continue from.
const uint8_t TRUETYPE_CONTINUES = 0;

float read_value(const uint8_t** p, bool packed) {
  if (packed) {
    const float v = static_cast<float>(get_i16_le(*p)) * 0.0001f;
    *p += 2;
    return v;
  }
  const float v = get_f32_le(*p);
  *p += 4;
  return v;
}

size_t element_size(uint8_t flags) {
  if ((flags & GLYPH_SPLINE_RUN) != 0) return 1 + 8u * (flags & 0x7F);
  const size_t value = (flags & GLYPH_PACKED) ? 2 : 4;
  const bool arc = (flags & (GLYPH_ARC_CW | GLYPH_ARC_CCW)) != 0;
  return 1 + value * (((flags & GLYPH_HAS_X) ? 1 : 0) + ((flags & GLYPH_HAS_Y) ? 1 : 0) +
                      (arc ? 2 : 0));
}

// Hands out the next queued line move.
const uint8_t* take_queued(const uint8_t* continuation) {
  GlyphDecoder& d = g_glyph_decoder;
  const PointF step = d.queue[d.queue_next++];
  if (d.queue_next >= d.queue.size()) {
    d.queue.clear();
    d.queue_next = 0;
  }
  g_pen_move.dx = step.x;
  g_pen_move.dy = step.y;
  g_pen_move.code = '1';
  return continuation;
}

void queue_spline_run(const uint8_t* values, int n) {
  GlyphDecoder& d = g_glyph_decoder;
  d.queue.clear();
  d.queue_next = 0;
  const bool smooth = !d.inputs.drawing_page || d.inputs.show_splines;
  if (n < 2 || !smooth || n >= SPLINE_RUN_MOST_POINTS) {
    for (int k = 0; k < n; ++k)
      d.queue.push_back(PointF{get_f32_le(values + 8 * k), get_f32_le(values + 8 * k + 4)});
    return;
  }
  double x[SPLINE_RUN_MOST_POINTS], y[SPLINE_RUN_MOST_POINTS];
  x[0] = y[0] = 0.0;
  for (int k = 1; k <= n; ++k) {
    x[k] = x[k - 1] + get_f32_le(values + 8 * (k - 1));
    y[k] = y[k - 1] + get_f32_le(values + 8 * (k - 1) + 4);
  }
  static_assert(SPLINE_RUN_MOST_POINTS <= SPLINE_MAX_POINTS);
  std::vector<double> ox(SPLINE_MAX_POINTS), oy(SPLINE_MAX_POINTS);
  const int count = spline_through_points(x, y, n + 1, 0.0, 0.0, SPLINE_END_NATURAL, 0,
                                          SPLINE_TOLERANCE, ox.data(), oy.data());
  if (count < 2) {
    for (int k = 1; k <= n; ++k)
      d.queue.push_back(PointF{static_cast<float>(x[k] - x[k - 1]),
                               static_cast<float>(y[k] - y[k - 1])});
    return;
  }
  // The polyline ends exactly at the run's last point, so the glyph's sum stays its advance.
  ox[count - 1] = x[n];
  oy[count - 1] = y[n];
  for (int k = 1; k < count; ++k)
    d.queue.push_back(PointF{static_cast<float>(ox[k] - ox[k - 1]),
                             static_cast<float>(oy[k] - oy[k - 1])});
}

// The angle step of the chords of a flattened arc of radius r (glyph units).
double arc_step(double r) {
  const GlyphDecoderInputs& in = g_glyph_decoder.inputs;
  const double h = (r - in.tolerance / in.text_height) / r;
  double step = h > 0.0 ? 2.0 * std::acos(h) : ARC_STEP_MOST;
  if (step >= ARC_STEP_MOST) step = ARC_STEP_MOST;
  if ((in.proof_run || in.drawing_page) && step < 0.1) {
    const double t = r * in.text_height;
    const double u = t * in.view_scale > 70.0 ? 25.0 / in.view_scale : t / 3.0;
    const double v = u / (2.0 * t);
    step = v >= 1.0 ? 0.6 : 2.0 * std::asin(v);
  }
  return step;
}

// An arc of a stretched or slanted text as chords; the first chord is handed out at once.
void flatten_arc(bool clockwise, float i, float j) {
  GlyphDecoder& d = g_glyph_decoder;
  PenMove& m = g_pen_move;
  float start = 0, end = 0;
  const float r = arc_from_centre_offset(m.dx, m.dy, i, j, &start, &end);
  const double step = r > 0.0f ? arc_step(r) : 0.0;
  d.queue.clear();
  d.queue_next = 0;
  m.code = '1';
  if (step < 0.00001) return;
  d.queue.resize(ARC_CHORD_STEPS_MAX);
  const int n = arc_to_chord_steps(d.queue.data(), start, end, r, clockwise ? 1 : 0, step);
  if (n <= 0) {
    d.queue.clear();
    return;
  }
  d.queue.resize(static_cast<size_t>(n));
  // The chords end exactly where the arc does.
  float sx = 0, sy = 0;
  for (int k = 0; k + 1 < n; ++k) {
    sx += d.queue[k].x;
    sy += d.queue[k].y;
  }
  d.queue[n - 1] = PointF{m.dx - sx, m.dy - sy};
}

}  // namespace

const uint8_t* decode_stroke_move(const uint8_t* record) {
  GlyphDecoder& d = g_glyph_decoder;
  PenMove& m = g_pen_move;
  m.dx = m.dy = 0.0f;
  m.full_circle = 0;
  const uint8_t* p = record;
  if (d.transform.first_move) {
    p += std::strlen(reinterpret_cast<const char*>(p)) + 1;
    d.pen_up_pending = true;
    d.queue.clear();
    d.queue_next = 0;
  }
  if (!d.queue.empty()) return take_queued(p);
  const uint8_t flags = *p;
  if (flags == 0) return nullptr;
  if ((flags & GLYPH_SPLINE_RUN) != 0) {
    if (d.transform.first_move) {
      m.code = '0';
      return p;
    }
    if (d.pen_up_pending) {
      d.pen_up_pending = false;
      m.code = 'Z';
      return p;
    }
    const int n = flags & 0x7F;
    queue_spline_run(p + 1, n);
    p += element_size(flags);
    return take_queued(p);
  }
  int motion = (flags & GLYPH_MOTION_MASK) >> 1;
  if (motion == 4) motion = 3;
  m.code = static_cast<char>('0' + motion);
  if (motion != 0 && d.transform.first_move) {
    m.code = '0';
    return p;
  }
  if (motion != 0 && d.pen_up_pending) {
    d.pen_up_pending = false;
    m.code = 'Z';
    return p;
  }
  const bool packed = (flags & GLYPH_PACKED) != 0;
  const uint8_t* v = p + 1;
  const bool last = p[element_size(flags)] == 0;
  if (motion == 0 && !d.pen_up_pending && !last) {
    d.pen_up_pending = true;
    m.code = 'z';
    return p;
  }
  if ((flags & GLYPH_HAS_X) != 0) m.dx = read_value(&v, packed);
  if ((flags & GLYPH_HAS_Y) != 0) m.dy = read_value(&v, packed);
  p += element_size(flags);
  if (motion == 0) {
    if (last) return nullptr;  // the displacement stays for the closing move
    return p;
  }
  if (motion >= 2) {
    const float i = read_value(&v, packed);
    const float j = read_value(&v, packed);
    if (d.transform.width_factor == 1.0f && d.transform.slant == 0.0f) {
      m.i = i;
      m.j = j;
      return p;
    }
    flatten_arc(motion == 2, i, j);
    if (!d.queue.empty()) return take_queued(p);
  }
  return p;
}

void transform_move() {
  GlyphTransform& t = g_glyph_decoder.transform;
  PenMove& m = g_pen_move;
  if (m.code > 'A') return;
  const bool arc = m.code == '2' || m.code == '3';
  if (t.first_move) {
    m.dy += t.size != 0.0f ? t.raise / t.size : t.raise;
    if (m.code != '0' && m.code != 'A') {
      m.dx = t.vertical ? t.half_advance : 0.0f;
      m.dy = 0.0f;
      m.code = '0';
      rotate_by_current_angle(&m.dx, &m.dy, m.dx, m.dy);
      return;
    }
    if (t.vertical) m.dx -= t.half_advance;
  }
  if (arc) {
    if (m.dx == 0.0f && m.dy == 0.0f) m.full_circle = 1;
    auto swap = [&] { m.code = m.code == '2' ? '3' : '2'; };
    if (t.mirrored || t.arc_turn) {
      if (t.vertical) {
        m.dx = -m.dx;
        m.i = -m.i;
      } else {
        if (t.arc_turn) {
          m.dx = -m.dx;
          m.i = -m.i;
          swap();
        }
        m.dy = -m.dy;
        m.j = -m.j;
      }
      swap();
    } else if (t.arc_mirror) {
      m.dx = -m.dx;
      m.i = -m.i;
      swap();
    }
    if (m.full_circle != 0) m.full_circle = static_cast<uint8_t>(m.code);
    if (t.size != 0.0f) {
      m.dx *= t.size;
      m.dy *= t.size;
      m.i *= t.size;
      m.j *= t.size;
    }
    rotate_by_current_angle(&m.dx, &m.dy, m.dx, m.dy);
    rotate_by_current_angle(&m.i, &m.j, m.i, m.j);
    return;
  }
  m.dx *= t.width_factor;
  if (t.size != 0.0f) {
    m.dx *= t.size;
    m.dy *= t.size;
  }
  m.dx += m.dy * t.slant;
  if (t.pending) {
    m.dx += t.pending_dx;
    m.dy += t.pending_dy;
    t.pending = false;
    t.pending_dx = t.pending_dy = 0.0f;
  }
  if (t.mirrored || t.arc_turn) {
    if (t.vertical) {
      m.dx = -m.dx;
    } else {
      if (t.mirror_shift) {
        t.mirror_shift = false;
        m.dy -= 1.0f;
      }
      if (t.arc_turn) m.dx = -m.dx;
      m.dy = -m.dy;
    }
  } else if (t.arc_mirror) {
    m.dx = -m.dx;
  }
  rotate_by_current_angle(&m.dx, &m.dy, m.dx, m.dy);
}

void finish_glyph_move() {
  const GlyphTransform& t = g_glyph_decoder.transform;
  PenMove& m = g_pen_move;
  if (t.vertical) m.dx -= t.half_advance;
  m.dx *= t.width_factor;
  if (t.size != 0.0f) {
    m.dx *= t.size;
    m.dy = (m.dy - t.raise / t.size) * t.size;
  } else {
    m.dy -= t.raise;
  }
  m.dx += m.dy * t.slant;
  if (t.mirrored || t.arc_turn) {
    if (t.vertical) {
      m.dx = -m.dx;
    } else {
      if (t.arc_turn) m.dx = -m.dx;
      if (t.mirror_close) m.dy += 1.0f;
      m.dy = -m.dy;
    }
  } else if (t.arc_mirror) {
    m.dx = -m.dx;
  }
  m.code = '0';
  rotate_by_current_angle(&m.dx, &m.dy, m.dx, m.dy);
}

const uint8_t* next_text_move(const uint8_t* record) {
  if (record != nullptr && record != &TRUETYPE_CONTINUES) {
    const uint8_t* next = decode_stroke_move(record);
    if (next != nullptr) {
      transform_move();
      return next;
    }
    finish_glyph_move();
    return nullptr;
  }
  if (g_glyph_decoder.transform.first_move) truetype_start_character();
  if (next_truetype_move() != 0) {
    transform_move();
    return &TRUETYPE_CONTINUES;
  }
  finish_glyph_move();
  return nullptr;
}
