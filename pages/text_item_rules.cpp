// The rules of the text property page: each value written into the text's layout (or, for the
// arc it is wrapped on, into its frame), then the text laid out again.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/item_pages.h"
#include "geometry/drawing_item.h"
#include "geometry/item_motion.h"
#include "geometry/item_shapes.h"
#include "pages/text_item_page.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "text/stroke_fonts.h"
#include "text/text_items.h"
#include "text/truetype_faces.h"
#include "ui/message_box.h"

TextPageState g_text_page;

namespace {

constexpr double DEGREE = 3.14159265358979323846 / 180.0;
constexpr float LEAST_RATIO = 0.001f;
constexpr float MOST_SLANT = 70.0f;
constexpr uint32_t REFUSAL_STYLE = TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY;

int refuse(const char* text) {
  show_text_box(text, REFUSAL_STYLE);
  return PAGE_VALUE_REFUSED;
}

uint8_t* stored_layout(DrawingItem* item) {
  return item == nullptr || item->extra.empty() ? nullptr : block_text_layout(item_block(item));
}

bool read_layout(DrawingItem* item, TextLayout* l) {
  const uint8_t* stored = stored_layout(item);
  if (stored == nullptr) return false;
  read_text_layout(stored, l);
  return true;
}

void write_layout(DrawingItem* item, const TextLayout& l) {
  uint8_t* stored = stored_layout(item);
  if (stored != nullptr) write_text_layout(l, stored);
}

float into_degrees_turn(float a) {
  if (!std::isfinite(a)) return 0.0f;
  a = std::fmod(a, 360.0f);
  if (a < 0.0f) a += 360.0f;
  return a >= 360.0f ? 0.0f : a;
}

bool on_arc(const TextLayout& l) { return l.arc_radius > 0.0f; }

// Clears one of the size values in the layout.
void clear_size(TextLayout* l, uint8_t which) {
  if (which == TEXT_SIZE_LENGTH) l->length = 0.0f;
  else if (which == TEXT_SIZE_HEIGHT) l->height = 0.0f;
  else if (which == TEXT_SIZE_RATIO) l->width_factor = 0.0f;
}

// Which of the other two a newly set value clears: the one the user did not set last.
uint8_t size_to_clear(uint8_t which) {
  const TextPageState& s = g_text_page;
  switch (which) {
    case TEXT_SIZE_LENGTH:
      if (s.last_set == TEXT_SIZE_HEIGHT) return TEXT_SIZE_RATIO;
      if (s.last_set == TEXT_SIZE_RATIO) return TEXT_SIZE_HEIGHT;
      return s.previous_set == TEXT_SIZE_HEIGHT ? TEXT_SIZE_RATIO : TEXT_SIZE_HEIGHT;
    case TEXT_SIZE_HEIGHT:
      if (s.last_set == TEXT_SIZE_LENGTH) return TEXT_SIZE_RATIO;
      if (s.last_set == TEXT_SIZE_RATIO) return TEXT_SIZE_LENGTH;
      return s.previous_set == TEXT_SIZE_LENGTH ? TEXT_SIZE_RATIO : TEXT_SIZE_LENGTH;
    default:
      if (s.last_set == TEXT_SIZE_LENGTH) return TEXT_SIZE_HEIGHT;
      if (s.last_set == TEXT_SIZE_HEIGHT) return TEXT_SIZE_LENGTH;
      return s.previous_set == TEXT_SIZE_LENGTH ? TEXT_SIZE_HEIGHT : TEXT_SIZE_LENGTH;
  }
}

void note_size_set(uint8_t which) {
  TextPageState& s = g_text_page;
  if (s.last_set != TEXT_SIZE_NONE && s.last_set != which) s.previous_set = s.last_set;
  s.last_set = which;
}

// The frame as four straight links (node flags first, loose, loose, loose, closing) or as the one
// link of a vertical text.
void set_frame_links(DrawingItem* item, int links) {
  GeometryBlock* block = item_block(item);
  LinkRecord* n = block_nodes(block);
  const int16_t first = n[0].node_number;
  block->link_count = links;
  for (int k = 0; k <= links; ++k) {
    n[k].node_flags = k == 0 ? (links == 1 ? NODE_FIRST : NODE_FIRST | NODE_LOOSE)
                             : k == links ? NODE_CLOSING : NODE_LOOSE;
    n[k].node_number = static_cast<int16_t>(first + k);
    n[k].code = LINK_FLEXIBLE_LINE;
    n[k].sweep = 0.0f;
    n[k].start_angle = 0.0f;
    n[k].link_flags = 0;
  }
}

// A new height of a text on an arc: the frame's second edge stays where it is and the first
// moves, outwards when it is the outer edge (a normal text), inwards for a mirrored text, whose
// first edge is the inner one. The layout's band starts at the inner radius.
int keep_second_edge(DrawingItem* item, TextLayout* l, float height) {
  LinkRecord* n = item_nodes(item);
  if (!code_is_arc(n[0].code) || !code_is_arc(n[2].code)) return PAGE_VALUE_TAKEN;
  const float kept = n[2].code;
  if (n[0].code >= kept) {
    n[0].code = kept + height;
    l->arc_radius = kept;
    return PAGE_VALUE_TAKEN;
  }
  const float inner = kept - height;
  if (!(inner > 0.0f)) return refuse(TEXT_PAGE_RADIUS_TOO_SMALL);
  n[0].code = inner;
  l->arc_radius = inner;
  return PAGE_VALUE_TAKEN;
}

// A mirrored text's frame runs C, D, B, A: its first edge is the foot of the text. That edge
// takes the inner radius and the centre lies beyond it, away from the text, so the text stands
// on the arc as a normal text does; the top edge is the outer one.
int wrap_mirrored(DrawingItem* item, const TextLayout& l, float radius) {
  LinkRecord* n = item_nodes(item);
  const float chord = point_distance(&n[0].point, &n[1].point);
  const PointF beyond = {2 * n[0].point.x - n[3].point.x, 2 * n[0].point.y - n[3].point.y};
  n[0].code = radius;
  n[0].link_flags |= LINK_CLOCKWISE;
  if (!(chord > 0.0f) || fit_arc_radius(n, &beyond, chord) != 1) return PAGE_VALUE_REFUSED;
  n[2].code = radius + l.height;
  n[2].centre = n[0].centre;
  n[2].link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
  arc_angles_from_points(n + 2);
  item_bounding_boxes(item);
  return PAGE_VALUE_TAKEN;
}

}  // namespace

void reset_text_page() {
  g_text_page.last_set = TEXT_SIZE_NONE;
  g_text_page.previous_set = TEXT_SIZE_NONE;
  g_text_page.ratio_was_zero = false;
  g_text_page.height_was_zero = false;
}

uint8_t text_display_mode(const TextLayout& l) {
  return static_cast<uint8_t>(((l.flags & TEXT_FLAG_VERTICAL) != 0 ? 2 : 0) +
                              ((l.flags & TEXT_FLAG_MIRRORED) != 0 ? 1 : 0));
}

std::string text_font_name(const TextLayout& l) {
  if (layout_is_truetype(l)) return layout_face_name(l);
  for (const auto& f : g_fonts.fonts)
    if (f->number == l.font_number) return f->title;
  return TEXT_PAGE_NO_FONT;
}

void text_page_relayout(DrawingItem* item) {
  uint8_t* stored = stored_layout(item);
  if (stored == nullptr) return;
  TextLayout l;
  read_text_layout(stored, &l);
  // Two of the three decide: with all three given the length gives way.
  if (!on_arc(l) && l.length > 0.0f && l.height > 0.0f && l.width_factor > 0.0f) {
    l.length = 0.0f;
    write_text_layout(l, stored);
  }
  layout_text_item(item);
  set_text_frame_from_corners(stored, item_nodes(item));
  rebuild_text_frame(stored, item_nodes(item));
  item_bounding_boxes(item);
}

int text_page_set_size(DrawingItem* item, uint8_t which, float value) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  if (!std::isfinite(value)) value = 0.0f;
  if (which == TEXT_SIZE_RATIO) {
    if (value < LEAST_RATIO) {
      // The ratio is left to the layout, and the user told why.
      show_text_box(TEXT_PAGE_SENSIBLE, REFUSAL_STYLE);
      value = 0.0f;
    }
  } else if (!(value > 0.0f)) {
    return refuse(TEXT_PAGE_SENSIBLE);
  }
  if (which == TEXT_SIZE_HEIGHT && value < text_item_cut_width(item_block(item)))
    return refuse(TEXT_PAGE_TOOL_TOO_LARGE);
  if (which == TEXT_SIZE_HEIGHT && on_arc(l) && (l.flags & TEXT_FLAG_VERTICAL) == 0 &&
      keep_second_edge(item, &l, value) != PAGE_VALUE_TAKEN)
    return PAGE_VALUE_REFUSED;
  clear_size(&l, size_to_clear(which));
  note_size_set(which);
  switch (which) {
    case TEXT_SIZE_LENGTH: l.length = l.entered_length = value; break;
    case TEXT_SIZE_HEIGHT: l.height = l.entered_height = value; break;
    default: l.width_factor = value; break;
  }
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

void text_page_clear_computed(DrawingItem* item) {
  TextLayout l;
  if (!read_layout(item, &l)) return;
  const TextPageState& s = g_text_page;
  if (s.ratio_was_zero) l.width_factor = 0.0f;
  else if (s.height_was_zero) l.height = 0.0f;
  else l.length = 0.0f;
  write_layout(item, l);
}

int text_page_set_text(DrawingItem* item, const std::string& text) {
  if (item == nullptr || text == item->text) return PAGE_VALUE_UNCHANGED;
  set_line_text(text.c_str(), item);
  set_item_flags(item, item_flags(item) | ITEM_FLAG_MARKED);
  text_page_clear_computed(item);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_position(DrawingItem* item, PointF p) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  if (l.link_number >= 1) {
    l.link_dx = p.x;
    l.link_dy = p.y;
  } else {
    if (on_arc(l)) {
      const PointF delta = {p.x - l.anchor.x, p.y - l.anchor.y};
      translate_item(item, &delta);
      read_layout(item, &l);
    }
    l.anchor = p;
  }
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_justify(DrawingItem* item, int axis, uint8_t value) {
  TextLayout l;
  if (!read_layout(item, &l) || value > 2) return PAGE_VALUE_UNCHANGED;
  if (axis == 0) l.h_justify = value;
  else l.v_justify = value;
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_spacing(DrawingItem* item, float percent) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  if (!std::isfinite(percent)) return refuse(TEXT_PAGE_SENSIBLE);
  l.spacing = percent / 100.0f;
  // A ratio left to the layout stays so; otherwise the length follows.
  if (l.width_factor != 0.0f) l.length = 0.0f;
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_slant(DrawingItem* item, float degrees) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  l.slant = std::isfinite(degrees) && std::fabs(degrees) <= MOST_SLANT ? degrees : 0.0f;
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_angle(DrawingItem* item, float degrees) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  const float angle = into_degrees_turn(degrees);
  if (on_arc(l)) {
    // The whole text turns about the arc's centre.
    rotate_item(item, &l.anchor, (angle - l.angle) * DEGREE);
    read_layout(item, &l);
  }
  l.angle = angle;
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_display(DrawingItem* item, uint8_t mode) {
  TextLayout l;
  if (!read_layout(item, &l) || mode > TEXT_DISPLAY_VERTICAL_MIRRORED) return PAGE_VALUE_UNCHANGED;
  const bool was_vertical = (l.flags & TEXT_FLAG_VERTICAL) != 0;
  const bool vertical = (mode & 2) != 0;
  l.flags = static_cast<uint8_t>((l.flags & ~(TEXT_FLAG_VERTICAL | TEXT_FLAG_MIRRORED)) |
                                 (vertical ? TEXT_FLAG_VERTICAL : 0) |
                                 ((mode & 1) != 0 ? TEXT_FLAG_MIRRORED : 0));
  LinkRecord* n = item_nodes(item);
  if (vertical && !was_vertical) {
    const PointF centre = n[0].centre;
    set_frame_links(item, 1);
    if (on_arc(l)) {
      n[0].code = l.arc_radius;
      n[0].centre = centre;
    }
  } else if (!vertical && was_vertical) {
    const PointF centre = n[0].centre;
    set_frame_links(item, 4);
    if (on_arc(l)) {
      for (int k : {0, 2}) {
        n[k].code = l.arc_radius;
        n[k].centre = centre;
      }
      const float outer = l.arc_radius + l.height / 2, inner = l.arc_radius - l.height / 2;
      n[0].code = inner > 0.0f ? outer : 0.0f;
      n[2].code = inner > 0.0f ? inner : 0.0f;
      n[0].link_flags = LINK_CLOCKWISE;
    }
  }
  write_layout(item, l);
  text_page_clear_computed(item);
  return PAGE_VALUE_TAKEN;
}

int text_page_wrap(DrawingItem* item, float radius) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  if (!std::isfinite(radius) || radius <= 0.0f || on_arc(l)) return PAGE_VALUE_UNCHANGED;
  if ((l.flags & TEXT_FLAG_VERTICAL) != 0) {
    l.arc_radius = radius;
    write_layout(item, l);
    item_nodes(item)->code = radius;
    return PAGE_VALUE_TAKEN;
  }
  // The inner edge on the radius, the outer a height further out: the frame bent as a band.
  const LinkRecord saved[5] = {item_nodes(item)[0], item_nodes(item)[1], item_nodes(item)[2],
                               item_nodes(item)[3], item_nodes(item)[4]};
  // The bend refuses a radius its band cannot take, with the message.
  const bool mirrored = (l.flags & TEXT_FLAG_MIRRORED) != 0;
  const int bent = mirrored ? wrap_mirrored(item, l, radius)
                            : rectangle_page_set_bend(item, radius + l.height);
  if (bent != PAGE_VALUE_TAKEN) {
    std::copy(saved, saved + 5, item_nodes(item));
    return mirrored ? refuse(TEXT_PAGE_RADIUS_TOO_SMALL) : PAGE_VALUE_REFUSED;
  }
  text_layout_from_frame(item);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_edge_radius(DrawingItem* item, float radius) {
  TextLayout l;
  if (!read_layout(item, &l) || !on_arc(l)) return PAGE_VALUE_UNCHANGED;
  if (!std::isfinite(radius) || radius < 0.0f) return refuse(TEXT_PAGE_SENSIBLE);
  const bool vertical = (l.flags & TEXT_FLAG_VERTICAL) != 0;
  LinkRecord* n = item_nodes(item);
  if (radius == 0.0f) {
    // No arc: the text runs straight again, its length fitted to its height.
    for (int k = 0; k < item_block(item)->link_count; ++k) {
      n[k].code = LINK_FLEXIBLE_LINE;
      n[k].sweep = n[k].start_angle = 0.0f;
    }
    l.arc_radius = 0.0f;
    l.angle = 0.0f;
    l.length = 0.0f;
    if (l.width_factor <= 0.0f) l.width_factor = 1.0f;
    write_layout(item, l);
    return PAGE_VALUE_TAKEN;
  }
  if (vertical) {
    l.arc_radius = radius;
    n[0].code = radius;
  } else {
    // The band keeps its height: the other edge moves by as much.
    const float r0 = n[0].code, r2 = code_is_arc(n[2].code) ? n[2].code : r0 - l.height;
    float other = r2 + (radius - r0);
    if (other < 0.0001f) {
      other = 0.0001f;
      l.height = l.entered_height = radius - 0.0001f;
    }
    const bool mirrored = (l.flags & TEXT_FLAG_MIRRORED) != 0;
    l.arc_radius = mirrored ? std::min(radius, other) : std::min(other, radius);
    n[0].code = radius;
    n[2].code = other;
  }
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_inner_radius(DrawingItem* item, float radius) {
  TextLayout l;
  if (!read_layout(item, &l) || !on_arc(l) || (l.flags & TEXT_FLAG_VERTICAL) != 0)
    return PAGE_VALUE_UNCHANGED;
  if (!std::isfinite(radius) || radius < 0.0f) return refuse(TEXT_PAGE_SENSIBLE);
  if (radius == 0.0f) radius = 0.00001f;
  LinkRecord* n = item_nodes(item);
  const float r0 = n[0].code;
  const float height = std::fabs(r0 - radius);
  if (!(height > 0.0f)) return refuse(TEXT_PAGE_SENSIBLE);
  if (height < text_item_cut_width(item_block(item))) return refuse(TEXT_PAGE_TOOL_TOO_LARGE);
  n[2].code = radius;
  l.arc_radius = std::min(r0, radius);
  l.height = l.entered_height = height;
  note_size_set(TEXT_SIZE_HEIGHT);
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_direction(DrawingItem* item, uint8_t direction) {
  TextLayout l;
  if (!read_layout(item, &l) || direction > 1 || l.arc_direction == direction)
    return PAGE_VALUE_UNCHANGED;
  l.arc_direction = direction;
  write_layout(item, l);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_truetype_font(DrawingItem* item, const uint8_t log_font[TL_LOG_FONT_SIZE]) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  std::memcpy(l.log_font, log_font, TL_LOG_FONT_SIZE);
  l.font_number = 0;
  l.spacing = 0.0f;
  // The face is shared by description: the layout finds it again when laid out.
  l.font_handle = find_truetype_face(l.log_font);
  write_layout(item, l);
  text_page_clear_computed(item);
  return PAGE_VALUE_TAKEN;
}

int text_page_set_stroke_font(DrawingItem* item, int16_t font_number) {
  TextLayout l;
  if (!read_layout(item, &l)) return PAGE_VALUE_UNCHANGED;
  // find_font answers font 0 for a number nobody registered: that is no choice of this font.
  const StrokeFont* font = font_with_table(font_number);
  if (font == nullptr || font->number != font_number) return refuse(TEXT_PAGE_NO_FONT);
  std::memset(l.log_font + LOG_FONT_FACE, 0, LOG_FONT_FACE_SIZE);
  l.font_handle = 0;
  l.font_number = font_number;
  write_layout(item, l);
  text_page_clear_computed(item);
  return PAGE_VALUE_TAKEN;
}
