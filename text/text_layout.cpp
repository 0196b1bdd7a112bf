#include "text/text_layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "text/stroke_fonts.h"
#include "text/truetype_faces.h"
#include "store/record_bytes.h"

namespace {

constexpr double DEGREE = ANGLE_PI / 180.0;

}  // namespace

void read_text_layout(const uint8_t in[192], TextLayout* l) {
  l->length = get_f32_le(in + TL_LENGTH);
  l->height = get_f32_le(in + TL_HEIGHT);
  l->spacing = get_f32_le(in + TL_SPACING);
  l->anchor = PointF{get_f32_le(in + TL_ANCHOR_X), get_f32_le(in + TL_ANCHOR_Y)};
  l->h_justify = in[TL_H_JUSTIFY];
  l->v_justify = in[TL_V_JUSTIFY];
  l->flags = in[TL_FLAGS];
  l->angle = get_f32_le(in + TL_ANGLE);
  l->slant = get_f32_le(in + TL_SLANT);
  l->arc_first_dir = get_f32_le(in + TL_ARC_FIRST_DIR);
  l->arc_last_dir = get_f32_le(in + TL_ARC_LAST_DIR);
  l->arc_start = get_f32_le(in + TL_ARC_START);
  l->arc_end = get_f32_le(in + TL_ARC_END);
  l->link_number = get_i16_le(in + TL_LINK_NUMBER);
  l->link_dx = get_f32_le(in + TL_LINK_DX);
  l->link_dy = get_f32_le(in + TL_LINK_DY);
  l->arc_radius = get_f32_le(in + TL_ARC_RADIUS);
  l->baseline_radius = get_f32_le(in + TL_BASELINE_RADIUS);
  l->arc_direction = in[TL_ARC_DIRECTION];
  l->font_number = get_i16_le(in + TL_FONT_NUMBER);
  l->width_factor = get_f32_le(in + TL_WIDTH_FACTOR);
  std::memcpy(l->log_font, in + TL_LOG_FONT, TL_LOG_FONT_SIZE);
  l->pen_allowance = get_f32_le(in + TL_PEN_ALLOWANCE);
  l->entered_length = get_f32_le(in + TL_ENTERED_LENGTH);
  l->entered_height = get_f32_le(in + TL_ENTERED_HEIGHT);
  l->font_handle = get_u32_le(in + TL_FONT_HANDLE);
  l->start = PointF{get_f32_le(in + TL_START_X), get_f32_le(in + TL_START_Y)};
  for (int k = 0; k < 4; ++k)
    l->corners[k] = PointF{get_f32_le(in + TL_CORNERS + 8 * k),
                           get_f32_le(in + TL_CORNERS + 8 * k + 4)};
}

void write_text_layout(const TextLayout& l, uint8_t out[192]) {
  std::memset(out, 0, 192);
  put_f32_le(out + TL_LENGTH, l.length);
  put_f32_le(out + TL_HEIGHT, l.height);
  put_f32_le(out + TL_SPACING, l.spacing);
  put_f32_le(out + TL_ANCHOR_X, l.anchor.x);
  put_f32_le(out + TL_ANCHOR_Y, l.anchor.y);
  out[TL_H_JUSTIFY] = l.h_justify;
  out[TL_V_JUSTIFY] = l.v_justify;
  out[TL_FLAGS] = l.flags;
  put_f32_le(out + TL_ANGLE, l.angle);
  put_f32_le(out + TL_SLANT, l.slant);
  put_f32_le(out + TL_ARC_FIRST_DIR, l.arc_first_dir);
  put_f32_le(out + TL_ARC_LAST_DIR, l.arc_last_dir);
  put_f32_le(out + TL_ARC_START, l.arc_start);
  put_f32_le(out + TL_ARC_END, l.arc_end);
  put_i16_le(out + TL_LINK_NUMBER, l.link_number);
  put_f32_le(out + TL_LINK_DX, l.link_dx);
  put_f32_le(out + TL_LINK_DY, l.link_dy);
  put_f32_le(out + TL_ARC_RADIUS, l.arc_radius);
  put_f32_le(out + TL_BASELINE_RADIUS, l.baseline_radius);
  out[TL_ARC_DIRECTION] = l.arc_direction;
  put_i16_le(out + TL_FONT_NUMBER, l.font_number);
  put_f32_le(out + TL_WIDTH_FACTOR, l.width_factor);
  std::memcpy(out + TL_LOG_FONT, l.log_font, TL_LOG_FONT_SIZE);
  put_f32_le(out + TL_PEN_ALLOWANCE, l.pen_allowance);
  put_f32_le(out + TL_ENTERED_LENGTH, l.entered_length);
  put_f32_le(out + TL_ENTERED_HEIGHT, l.entered_height);
  put_u32_le(out + TL_FONT_HANDLE, l.font_handle);
  put_f32_le(out + TL_START_X, l.start.x);
  put_f32_le(out + TL_START_Y, l.start.y);
  for (int k = 0; k < 4; ++k) {
    put_f32_le(out + TL_CORNERS + 8 * k, l.corners[k].x);
    put_f32_le(out + TL_CORNERS + 8 * k + 4, l.corners[k].y);
  }
}

std::string layout_face_name(const TextLayout& l) {
  char face[LOG_FONT_FACE_SIZE];
  std::memcpy(face, l.log_font + LOG_FONT_FACE, sizeof face);
  face[sizeof face - 1] = '\0';
  return face;
}

bool layout_is_truetype(const TextLayout& l) { return l.log_font[LOG_FONT_FACE] != 0; }

float kern_pair_offset(const uint8_t* kerning, bool has_kerning, int c, int next) {
  if (!has_kerning || kerning == nullptr) return 0.0f;
  auto index = [](int ch) {
    if (ch >= 'A' && ch <= 'Z') return ch - 'A';
    if (ch >= 'a' && ch <= 'z') return 26 + ch - 'a';
    return -1;
  };
  const int r = index(c), k = index(next);
  if (r < 0 || k < 0) return 0.0f;
  const uint8_t byte = kerning[r * FONT_KERNING_ROW_BYTES + k / 2];
  const int nibble = (k & 1) ? byte >> 4 : byte & 15;
  return static_cast<float>(nibble) * FONT_KERNING_STEP;
}

TextMeasure measure_text_run(const std::string& text, int16_t font_number, uint32_t face_id) {
  TextMeasure m;
  const StrokeFont* font = nullptr;
  if (face_id == 0) {
    font = font_with_table(font_number);
    if (font == nullptr) return m;
  } else if (!truetype_face_usable(face_id)) {
    return m;
  }
  float size = 1.0f, width = 1.0f, spacing = 0.0f;
  const size_t n = text.size();
  for (size_t at = 0; at < n; ++at) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    if (c == '\n') break;
    if (c >= FORMAT_KERNING && c <= FORMAT_DEPTH) {
      if (at + 1 < n) {
        const uint8_t arg = static_cast<uint8_t>(text[at + 1]);
        if (c == FORMAT_KERNING) spacing += (arg - FORMAT_PERCENT_BASE) * 0.01f;
        if (c == FORMAT_SIZE) size = (arg - 32) * FORMAT_SIZE_STEP;
        // The width code is read on the size code's scale, as in arc layout and the walker.
        if (c == FORMAT_WIDTH) width = (arg - 32) * FORMAT_SIZE_STEP;
      }
      ++at;
      continue;
    }
    if (c < 32 || c == FORMAT_SKIP) continue;
    if (font != nullptr && c > FONT_LAST_CODE) continue;
    const uint8_t next = at + 1 < n ? static_cast<uint8_t>(text[at + 1]) : 0;
    float advance = font != nullptr ? font_advance(font, c) : truetype_advance(face_id, c);
    advance *= size;
    if (font != nullptr) advance -= kern_pair_offset(font->table.kerning, font->table.has_kerning, c, next);
    m.width += (advance + spacing) * width;
    size = 1.0f;
    width = 1.0f;
    spacing = 0.0f;
    ++m.count;
    if (next != ' ') ++m.pen_count;
  }
  return m;
}

float text_length_for_height(const TextMeasure& m, float h, float w, float s, float p, int pens) {
  return ((h - p) * m.width + h * (m.count - 1) * s) * w + p * pens;
}

float text_height_for_length(const TextMeasure& m, float l, float w, float s, float p, int pens) {
  const double divisor = ((m.count - 1) * static_cast<double>(s) + m.width) * w;
  if (m.width <= 0.0f || divisor <= 0.00001) return 0.0f;
  return static_cast<float>((l - pens * p + p * m.width * w) / divisor);
}

float width_factor_for_length(const TextMeasure& m, float l, float h, float s, float p,
                              int pens) {
  const double divisor = (m.count - 1) * static_cast<double>(s) * h + m.width * (h - p);
  if (m.width <= 0.0f || divisor <= 0.000001) return 1.0f;
  return static_cast<float>((l - p * pens) / divisor);
}

float convert_justified_coordinate(int from, float value, int to, float extent) {
  if (from > 5 || to > 5) return 0.0f;
  if (from == to) return value;
  const bool from_centre = from == 1 || from == 4;
  const bool from_high = from == 2 || from == 3;
  const bool to_centre = to == 1 || to == 4;
  const bool to_low = to == 0 || to == 5;
  if (from_centre) return to_low ? value - extent / 2 : value + extent / 2;
  if (from_high) return to_low ? value - extent : value - extent / 2;
  return to_centre ? value + extent / 2 : value + extent;
}

float justified_position(int mode, float centre, float extent) {
  if (mode == 0) return centre - extent / 2;
  if (mode == 2) return centre + extent / 2;
  return centre;
}

void wrap_angle_once(float* angle) {
  if (*angle < 0.0f) *angle += ANGLE_TWO_PI_F;
  else if (*angle > ANGLE_TWO_PI_F) *angle -= ANGLE_TWO_PI_F;
}

void compute_text_frame(TextLayout* l, bool vertical) {
  PointF* c = l->corners;
  const float p = l->pen_allowance;
  if (!vertical) {
    const float left = convert_justified_coordinate(l->h_justify, l->anchor.x, 0, l->length);
    const float bottom = convert_justified_coordinate(l->v_justify + 3, l->anchor.y, 5, l->height);
    c[0] = PointF{left, bottom + l->height};
    c[1] = PointF{left + l->length, bottom + l->height};
    c[2] = PointF{left, bottom};
    c[3] = PointF{left + l->length, bottom};
    l->start = PointF{left + p / 2, bottom + p / 2};
    const float shift = static_cast<float>(std::tan(l->slant * DEGREE) * l->height);
    if ((l->flags & TEXT_FLAG_MIRRORED) != 0) {
      c[2].x += shift;
      c[3].x += shift;
    } else {
      c[0].x += shift;
      c[1].x += shift;
    }
  } else {
    float top = l->anchor.y, bottom = l->anchor.y;
    if (l->v_justify == 0) bottom -= l->length;
    else if (l->v_justify == 1) { top += l->length / 2; bottom -= l->length / 2; }
    else top += l->length;
    c[1] = PointF{l->anchor.x, top};
    c[3] = PointF{l->anchor.x, bottom};
    c[0] = PointF{l->anchor.x, top};
    c[2] = PointF{l->anchor.x, bottom};
    l->start = PointF{l->anchor.x, top};
  }
  if (l->angle != 0.0f) {
    const double a = l->angle * DEGREE;
    for (PointF& corner : l->corners) rotate_point_about(&corner, &corner, &l->anchor, a);
    rotate_point_about(&l->start, &l->start, &l->anchor, a);
  }
}

void compute_arc_text_frame(TextLayout* l) {
  const double r = l->arc_radius, h = l->height;
  auto at = [l](double radius, double dir) {
    return PointF{static_cast<float>(l->anchor.x + radius * std::cos(dir)),
                  static_cast<float>(l->anchor.y + radius * std::sin(dir))};
  };
  if ((l->flags & TEXT_FLAG_VERTICAL) == 0) {
    const double first = l->arc_first_dir + ANGLE_PI / 2, last = l->arc_last_dir + ANGLE_PI / 2;
    l->corners[0] = at(r + h, first);
    l->corners[2] = at(r, first);
    l->corners[1] = at(r + h, last);
    l->corners[3] = at(r, last);
    const double base = l->baseline_radius > 0 ? l->baseline_radius : r;
    const double step = base > 0 ? (l->pen_allowance / 2) / base : 0.0;
    l->start = at(base, first + (l->arc_direction == 0 ? -step : step));
  } else {
    const double rr = l->arc_direction == 0 ? r : -r;
    l->corners[0] = at(rr - h / 2, l->arc_first_dir);
    l->corners[1] = at(rr + h / 2, l->arc_first_dir);
    l->corners[2] = at(rr - h / 2, l->arc_last_dir);
    l->corners[3] = at(rr + h / 2, l->arc_last_dir);
    l->start = at(rr, l->arc_first_dir);
  }
}
