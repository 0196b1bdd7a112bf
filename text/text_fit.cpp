// Fitting a text item: length, height and width factor from each other and the measured
// characters, straight or along an arc. Every loop here is bounded: a text that never fits
// ends with the reset values and a message instead of spinning.
#include <algorithm>
#include <cmath>

#include "text/stroke_fonts.h"
#include "text/text_host.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"

namespace {

constexpr int FIT_MOST_ROUNDS = 12;
constexpr int ARC_MOST_WALKS = 40;
constexpr double DEGREE = ANGLE_PI / 180.0;

// The angles of one walk along the arc.
struct ArcWalk {
  double characters = 0;  // sum of the character angles
  double gaps = 0;        // sum of the gap angles
  double pens = 0;        // sum of the pen angles
  double widest = 0;      // widest character (advance x size), for a character that does not fit
  double widest_factor = 1;
  bool too_wide = false;
};

double safe_asin_angle(double s) { return 2.0 * std::asin(std::min(1.0, s)); }

// The places a vertical text takes: one per character, the format codes and their arguments
// left out, as the text walker places them.
int vertical_places(const std::string& text, bool stroke_font) {
  int count = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    if (c == '\n') break;
    if (c >= FORMAT_KERNING && c <= FORMAT_DEPTH) {
      ++at;
      continue;
    }
    if (c < 32 || c == FORMAT_SKIP || (stroke_font && c > FONT_LAST_CODE)) continue;
    ++count;
  }
  return count;
}

// One walk over the characters with the width factor w.
ArcWalk walk_arc(const TextLayout& l, const std::string& text, const StrokeFont* font,
                 uint32_t face, double h_glyph, double k, double w, double pen_angle,
                 bool vertical) {
  ArcWalk walk;
  walk.pens = pen_angle;
  const double gap = safe_asin_angle(l.spacing * l.height * k * w / 2);
  double size = 1.0, char_w = w, spacing = 0.0;
  bool keep = false;
  const size_t n = text.size();
  for (size_t at = 0; at < n; ++at) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    if (c == '\n') break;
    if (c >= FORMAT_KERNING && c <= FORMAT_DEPTH) {
      if (at + 1 < n) {
        const uint8_t arg = static_cast<uint8_t>(text[at + 1]);
        if (c == FORMAT_KERNING) spacing += (arg - FORMAT_PERCENT_BASE) * 0.01;
        if (c == FORMAT_SIZE) size = (arg - 32) * FORMAT_SIZE_STEP;
        // The width code is read on the size code's scale, so 60 % of it is 0.6.
        if (c == FORMAT_WIDTH) char_w = (arg - 32) * FORMAT_SIZE_STEP * w;
      }
      ++at;
      continue;
    }
    if (c == FORMAT_WIDTH_RESET) { char_w = 1.0; continue; }
    if (c == FORMAT_KEEP) { keep = true; continue; }
    if (c < 32 || c == FORMAT_SKIP) continue;
    if (font != nullptr && c > FONT_LAST_CODE) continue;
    const uint8_t next = at + 1 < n ? static_cast<uint8_t>(text[at + 1]) : 0;
    double a;
    if (vertical) {
      a = 0.0;  // the characters' angles were set by the caller
    } else {
      double advance = font != nullptr ? font_advance(font, c) : truetype_advance(face, c);
      advance *= size;
      if (font != nullptr)
        advance -= kern_pair_offset(font->table.kerning, font->table.has_kerning, c, next);
      advance += spacing;
      const double s = advance * h_glyph * k * char_w / 2;
      if (s > 1.0) {
        walk.too_wide = true;
        if (advance > walk.widest) {
          walk.widest = advance;
          walk.widest_factor = char_w;
        }
      }
      a = safe_asin_angle(s);
    }
    walk.characters += a;
    if (at + 1 < n && next != '\n') {
      walk.gaps += gap;
      walk.pens += pen_angle;
    }
    if (!keep) {
      size = 1.0;
      char_w = w;
    }
    keep = false;
    spacing = 0.0;
  }
  return walk;
}

}  // namespace

double layout_arc_text(TextLayout* l, const std::string& text, bool vertical, uint8_t operation) {
  const bool truetype = layout_is_truetype(*l);
  const StrokeFont* font = truetype ? nullptr : font_with_table(l->font_number);
  if (!truetype && font == nullptr) return -1.0;
  const uint32_t face = truetype ? l->font_handle : 0;
  double allowance = operation >= 2 ? 0.0 : l->pen_allowance;
  double pen_for_angle = (!truetype && l->font_number >= FONT_NUMBER_NO_PEN_SPACING) ? 0.0 : allowance;
  for (int round = 0; round < ARC_MOST_WALKS; ++round) {
    const double h_glyph = l->height - allowance;
    const double w = l->width_factor != 0.0f ? l->width_factor : 1.0;
    const double r_base = vertical ? l->arc_radius : l->arc_radius + allowance / 2;
    const double k = r_base < 0.0001 ? 10000.0 : 1.0 / r_base;
    const double pen_sine = pen_for_angle / 2 * k;
    if (pen_sine > 1.0) return -1.0;
    const double pen_angle = 2.0 * std::asin(pen_sine);
    double char_angle_vertical = 0.0;
    if (vertical) {
      const double s = h_glyph / 2 * k;
      if (s > 1.0) {
        l->arc_radius = static_cast<float>(h_glyph / 2 * 1.001);
        continue;
      }
      char_angle_vertical = 2.0 * std::asin(s);
    }
    ArcWalk walk = walk_arc(*l, text, font, face, h_glyph, k, w, pen_angle, vertical);
    if (vertical) walk.characters = char_angle_vertical * vertical_places(text, font != nullptr);
    if (walk.too_wide) {
      if (l->width_factor <= 1.0f) {
        // The radius grows until the widest character fits.
        l->arc_radius = static_cast<float>(((walk.widest * h_glyph * walk.widest_factor) / 2 -
                                            allowance / 2) * 1.001);
      } else {
        // A stretched character that is too wide gets the factor that just fits.
        const double fit = 2.0 * r_base / (walk.widest * h_glyph) * 0.999;
        l->width_factor = static_cast<float>(std::max(0.001, std::min<double>(l->width_factor, fit)));
      }
      continue;
    }
    const double total = walk.characters + walk.gaps + walk.pens;
    double half = 0.0;
    if (l->width_factor == 0.0f) {
      const double span = l->arc_end - l->arc_start;
      const double turns = walk.characters + walk.gaps;
      const double fitted = turns > 0.0 ? (span - walk.pens) / turns : 1.0;
      if (total <= ANGLE_TWO_PI) {
        l->width_factor = turns < 0.0001 ? 1.0f : static_cast<float>(fitted < 0 ? 0.001 : fitted);
        half = span / 2;
      } else if (fitted >= 0.0) {
        l->width_factor = static_cast<float>(fitted);
        continue;
      } else {
        l->height *= 0.9f;
        l->width_factor = 0.1f;
        continue;
      }
    } else {
      if (total > ANGLE_TWO_PI && !vertical && walk.characters + walk.gaps > 0.0001) {
        const double fitted = (ANGLE_TWO_PI - walk.pens) / (walk.characters + walk.gaps);
        if (fitted >= 0.0) l->width_factor = static_cast<float>(fitted * w);
        else if (l->width_factor > 0.0015f) l->width_factor = 0.001f;
        else {
          l->height *= 0.9f;
          l->width_factor = 0.1f;
        }
        continue;
      }
      half = total / 2;
    }
    const double theta = l->angle * DEGREE;
    l->arc_start = static_cast<float>(theta - half);
    l->arc_end = static_cast<float>(theta + half);
    double base = vertical ? theta : theta + 3 * ANGLE_PI / 2;
    if (vertical && l->arc_direction != 0) base += ANGLE_PI;
    if (l->arc_direction == 0) {
      l->arc_first_dir = static_cast<float>(base + half);
      l->arc_last_dir = static_cast<float>(base - half);
    } else {
      l->arc_first_dir = static_cast<float>(base - half);
      l->arc_last_dir = static_cast<float>(base + half);
    }
    wrap_angle_once(&l->arc_start);
    wrap_angle_once(&l->arc_end);
    wrap_angle_once(&l->arc_first_dir);
    wrap_angle_once(&l->arc_last_dir);
    if (l->arc_end < l->arc_start) l->arc_end += ANGLE_TWO_PI_F;
    l->baseline_radius = static_cast<float>(r_base);
    if (!vertical && l->length <= 0.0f) l->length = static_cast<float>(r_base * 2 * half);
    return walk.pens;
  }
  return -1.0;
}

namespace {

// Follows the text item the layout is linked to.
void follow_linked_text(DrawingItem* item, TextLayout* l) {
  if (l->link_number <= 0) return;
  DrawingItem* followed = find_text_item_by_number(l->link_number);
  if (followed == nullptr || followed == item) {
    l->link_number = 0;
    return;
  }
  TextLayout f;
  read_text_layout(block_text_layout(item_block(followed)), &f);
  if (l->arc_radius > 0.0f || f.arc_radius > 0.0f) {
    l->anchor = PointF{f.anchor.x + l->link_dx, f.anchor.y + l->link_dy};
    return;
  }
  l->h_justify = f.h_justify;
  l->v_justify = f.v_justify;
  l->angle = f.angle;
  l->flags = static_cast<uint8_t>((l->flags & ~TEXT_FLAG_VERTICAL) | (f.flags & TEXT_FLAG_VERTICAL));
  if ((f.flags & TEXT_FLAG_VERTICAL) != 0)
    l->anchor = PointF{f.anchor.x, justified_position(f.v_justify, f.anchor.y, f.length)};
  else
    l->anchor = f.anchor;
  PointF offset{l->link_dx, l->link_dy};
  if (l->angle != 0.0f) rotate_vector(&offset, l->angle * DEGREE, &offset);
  l->anchor.x += offset.x;
  l->anchor.y += offset.y;
}

void count_line(const std::string& text, int* n, int* blanks) {
  *n = *blanks = 0;
  for (const char ch : text) {
    const uint8_t c = static_cast<uint8_t>(ch);
    if (c == '\n') break;
    if (c < 32 || c == FORMAT_SKIP) continue;
    ++*n;
    if (c == ' ') ++*blanks;
  }
}

}  // namespace

void layout_text_item(DrawingItem* item) {
  if (item == nullptr || item->text.empty() || item->text[0] == '\n') return;
  GeometryBlock* block = item_block(item);
  uint8_t* stored = block_text_layout(block);
  if (stored == nullptr) return;
  TextLayout l;
  read_text_layout(stored, &l);
  const uint8_t operation = text_item_operation(block);
  float pen = (operation == 0 || operation == 1) ? text_item_cut_width(block) : 0.0f;
  l.pen_allowance = pen;
  const bool truetype = layout_is_truetype(l);
  l.font_handle = truetype ? find_truetype_face(l.log_font) : 0;
  // Without its font or face the text cannot be measured: it stays as it is.
  if (truetype ? l.font_handle == 0 : font_with_table(l.font_number) == nullptr) return;
  if (truetype && l.font_number < 0) {
    if (l.entered_height > 0.0f) l.height = l.entered_height + 2 * pen;
    if (l.entered_length > 0.0f) l.length = l.entered_length + 1.5f * pen;
  } else {
    if (l.height > 0.0f && l.entered_height > 0.0f) l.height = l.entered_height;
    if (l.length > 0.0f && l.entered_length > 0.0f) l.length = l.entered_length;
  }
  follow_linked_text(item, &l);
  const bool vertical = (l.flags & TEXT_FLAG_VERTICAL) != 0;
  const std::string& text = item->text;
  const int16_t font_number = l.font_number;
  const uint32_t face = l.font_handle;
  bool done = false;
  for (int round = 0; round < FIT_MOST_ROUNDS && !done; ++round) {
    if (l.arc_radius > 0.0f && !(vertical && l.height == 0.0f)) {
      if (layout_arc_text(&l, text, vertical, operation) >= 0.0) {
        compute_arc_text_frame(&l);
        done = true;
        break;
      }
      l.arc_radius = 0.0f;  // the arc cannot hold the text: it runs straight
      continue;
    }
    const TextMeasure m = measure_text_run(text, font_number, face);
    const int pens = (!truetype && font_number >= FONT_NUMBER_NO_PEN_SPACING) ? 1 : m.pen_count;
    int n = 0, blanks = 0;
    if (vertical) count_line(text, &n, &blanks);
    if (l.width_factor <= 0.0f && l.length <= 0.0f) l.width_factor = 1.0f;
    if (l.length <= 0.0f) {
      if (vertical) {
        if (n > 0) l.length = l.height * (l.spacing * (n - 1) + n) - blanks * pen;
      } else {
        l.length = text_length_for_height(m, l.height, l.width_factor, l.spacing, pen, pens);
      }
    } else if (l.height <= 0.0f) {
      if (l.width_factor <= 0.0f) l.width_factor = 1.0f;
      if (vertical) {
        if (n > 0) l.height = (l.length - blanks * pen) / (n + (n - 1) * l.spacing);
      } else {
        l.height = text_height_for_length(m, l.length, l.width_factor, l.spacing, pen, pens);
      }
    } else if (vertical) {
      if (l.width_factor < 0.05f) {
        l.width_factor = 1.0f;
        l.height = 0.0f;
        continue;
      }
    } else {
      l.width_factor = width_factor_for_length(m, l.length, l.height, l.spacing, pen, pens);
      if (std::fabs(l.width_factor - 1.0f) < 0.001f) {
        l.width_factor = 1.0f;
        l.length = 0.0f;
        continue;
      }
    }
    if (l.height > 0.0f && l.width_factor > 0.0f && l.length > 0.0f && std::isfinite(l.length) &&
        std::isfinite(l.height)) {
      compute_text_frame(&l, vertical);
      done = true;
      break;
    }
    // Invalid values: first without the pen allowance, then the reset values and the message.
    if (l.length <= 0.0f) {
      l.length = 0.0f;
      l.height = 0.0001f;
    } else {
      l.length = 0.01f;
      l.height = 0.0f;
    }
    l.width_factor = 1.0f;
    if (pen != 0.0f) {
      pen = 0.0f;
      l.pen_allowance = 0.0f;
      set_text_item_cut_width(block, 0.0f);
    } else {
      break;
    }
  }
  if (!done) {
    // A text that never fits keeps the reset values, framed, and the user is told.
    l.length = std::max(l.length, 0.01f);
    l.height = std::max(l.height, 0.0001f);
    l.width_factor = 1.0f;
    compute_text_frame(&l, vertical);
    if (!text_editing_command_running()) text_show_message(TEXT_INVALID_VALUES);
  }
  if (truetype && l.font_number < 0) {
    l.entered_height = l.height - 2 * pen;
    l.entered_length = l.length - 1.5f * pen;
  } else {
    l.entered_height = l.height;
    l.entered_length = l.length;
  }
  write_text_layout(l, stored);
  set_text_frame_from_corners(stored, block_nodes(block));
}
