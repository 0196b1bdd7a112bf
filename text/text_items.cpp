#include "text/text_items.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "geometry/item_shapes.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "text/text_host.h"
#include "text/truetype_faces.h"
#include "text/stroke_fonts.h"
#include "text/text_layout.h"
#include "store/record_bytes.h"

namespace {

constexpr double DEGREE = ANGLE_PI / 180.0;

void finish_frame(LinkRecord* nodes, int links) {
  nodes[links].point = nodes[0].point;
  for (int k = 0; k < links; ++k) link_bounding_box(nodes + k);
}

double direction(const PointF& a, const PointF& b) {
  return std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x);
}

double into_turn(double a) {
  while (a < 0.0) a += ANGLE_TWO_PI;
  while (a >= ANGLE_TWO_PI) a -= ANGLE_TWO_PI;
  return a;
}

}  // namespace

uint8_t text_item_operation(GeometryBlock* block) {
  const uint8_t* stored = block_cam_params(block);
  if (stored == nullptr) return CAM_OP_DRAWING_AID;
  CamParams params;
  read_cam_params(stored, &params);
  return params.operation;
}

float text_item_cut_width(GeometryBlock* block) {
  const uint8_t* stored = block_cam_params(block);
  if (stored == nullptr) return 0.0f;
  CamParams params;
  read_cam_params(stored, &params);
  return params.finishing.cut_width;
}

void set_text_item_cut_width(GeometryBlock* block, float width) {
  uint8_t* stored = block_cam_params(block);
  if (stored == nullptr) return;
  CamParams params;
  read_cam_params(stored, &params);
  params.finishing.cut_width = width;
  write_cam_params(params, stored);
}

namespace {

int text_defaults_kind(int cut_type) {
  if (cut_type <= CAM_OP_CENTERLINE) return TEXT_DEFAULTS_CENTERLINE;
  if (cut_type == CAM_OP_SPIRAL_POCKET) return TEXT_DEFAULTS_POCKET;
  return TEXT_DEFAULTS_CONTOUR;
}

// Defaults never stored are all zeros: such a layout would give the text no height and no
// width factor, so the fresh layout is kept instead.
bool layout_defaults_stored(const uint8_t* stored) {
  if (stored == nullptr) return false;
  for (size_t k = 0; k < TEXT_LAYOUT_SIZE; ++k)
    if (stored[k] != 0) return true;
  return false;
}

void scale(float* value, double factor) { *value = static_cast<float>(*value * factor); }

}  // namespace

void init_text_item(DrawingItem* item, GeometryBlock* block, int16_t font) {
  if (block == nullptr && item != nullptr) block = item_block(item);
  uint8_t* stored = block_text_layout(block);
  if (stored == nullptr) return;
  const int cut_type = g_job_settings.text_cut_type;
  if (g_text_host.apply_cam_defaults != nullptr) g_text_host.apply_cam_defaults(block, cut_type);
  else set_block_cam_op(block, static_cast<uint8_t>(cut_type));
  const uint8_t* defaults = g_text_host.default_text_layout != nullptr
                                ? g_text_host.default_text_layout(text_defaults_kind(cut_type))
                                : nullptr;
  if (layout_defaults_stored(defaults)) std::memcpy(stored, defaults, TEXT_LAYOUT_SIZE);
  TextLayout l;
  read_text_layout(stored, &l);
  if (!layout_defaults_stored(defaults)) l.width_factor = 1.0f;
  l.font_handle = 0;
  if (item != nullptr) {
    if (font != 0) {
      l.font_number = font;
      l.log_font[LOG_FONT_FACE] = 0;
    } else if (layout_is_truetype(l)) {
      l.font_handle = find_truetype_face(l.log_font);
    }
  }
  write_text_layout(l, stored);
  const bool inch_defaults =
      g_text_host.defaults_in_inches != nullptr && g_text_host.defaults_in_inches();
  if (g_job_settings.units == JOB_UNITS_MILLIMETRE && inch_defaults)
    convert_text_item_units(block);
}

void convert_text_item_units(GeometryBlock* block) {
  uint8_t* stored = block_text_layout(block);
  uint8_t* cam = block_cam_params(block);
  if (stored == nullptr || cam == nullptr) return;
  const double f = job_units_factor(g_job_settings.units);
  TextLayout l;
  read_text_layout(stored, &l);
  for (float* v : {&l.height, &l.entered_height, &l.length, &l.entered_length, &l.anchor.x,
                   &l.anchor.y, &l.link_dx, &l.link_dy, &l.arc_radius, &l.baseline_radius,
                   &l.start.x, &l.start.y})
    scale(v, f);
  for (PointF& corner : l.corners) {
    scale(&corner.x, f);
    scale(&corner.y, f);
  }
  CamParams p;
  read_cam_params(cam, &p);
  scale_cam_lengths(&p, f);
  // The pen width of the layout is the finishing tool's cutting width.
  scale(&l.pen_allowance, f);
  write_cam_params(p, cam);
  write_text_layout(l, stored);
}

DrawingItem* new_text_item() {
  int16_t highest = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line->kind > ITEM_LAST_GEOMETRY_TYPE) highest = std::max(highest, line->id);
  if (new_geometry_block("", nullptr, 4, 0, GEOMETRY_KIND_TEXT) != 0) return nullptr;
  DrawingItem* item = g_lists.current.last;
  item->id = static_cast<int16_t>(highest < INT16_MAX ? highest + 1 : highest);
  init_text_item(item, nullptr, 0);
  return item;
}

void reload_text_fonts(bool relayout) {
  unload_fonts();
  TextLine* first = g_text_host.drawing_items != nullptr ? g_text_host.drawing_items()
                                                          : g_lists.current.first;
  for (DrawingItem* item = first; item != nullptr; item = item->next) {
    if (item->kind != ITEM_TEXT && item->kind != ITEM_TEXT_LIKE) continue;
    uint8_t* stored = block_text_layout(item_block(item));
    if (stored == nullptr) continue;
    TextLayout l;
    read_text_layout(stored, &l);
    if (!layout_is_truetype(l)) font_with_table(l.font_number);
    if (!relayout) continue;
    l.length = 0.0f;
    write_text_layout(l, stored);
    layout_text_item(item);
    if (item->kind == ITEM_TEXT) {
      GeometryBlock* block = item_block(item);
      set_text_frame_from_corners(block_text_layout(block), block_nodes(block));
    }
  }
}

DrawingItem* find_text_item_by_number(int16_t number) {
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line->kind > ITEM_LAST_GEOMETRY_TYPE && line->id == number) return line;
  return nullptr;
}

void set_text_frame_from_corners(uint8_t* stored, LinkRecord* nodes) {
  if (stored == nullptr || nodes == nullptr) return;
  TextLayout l;
  read_text_layout(stored, &l);
  const LinkRecord* zero = record_zero_of(nodes);
  const GeometryBlock* block = reinterpret_cast<const GeometryBlock*>(
      reinterpret_cast<const uint8_t*>(zero) - records_offset(GEOMETRY_KIND_TEXT));
  const int links = block->link_count;
  const PointF* c = l.corners;
  if ((l.flags & TEXT_FLAG_VERTICAL) != 0 || links < 4) {
    midpoint(&c[0], &c[1], &nodes[0].point);
    midpoint(&c[2], &c[3], &nodes[1].point);
    if (code_is_arc(nodes[0].code)) nodes[0].code = point_distance(&nodes[0].centre, &nodes[0].point);
    link_bounding_box(nodes);
    return;
  }
  const bool mirrored = (l.flags & TEXT_FLAG_MIRRORED) != 0;
  const int order[4] = {mirrored ? 2 : 0, mirrored ? 3 : 1, mirrored ? 1 : 3, mirrored ? 0 : 2};
  for (int k = 0; k < 4; ++k) nodes[k].point = c[order[k]];
  for (int k : {0, 2})
    if (code_is_arc(nodes[k].code)) {
      nodes[k].code = point_distance(&nodes[k].centre, &nodes[k].point);
      arc_angles_from_points(nodes + k);
    }
  finish_frame(nodes, 4);
}

void rebuild_text_frame(uint8_t* stored, LinkRecord* nodes) {
  if (stored == nullptr || nodes == nullptr) return;
  TextLayout l;
  read_text_layout(stored, &l);
  const LinkRecord* zero = record_zero_of(nodes);
  const GeometryBlock* block = reinterpret_cast<const GeometryBlock*>(
      reinterpret_cast<const uint8_t*>(zero) - records_offset(GEOMETRY_KIND_TEXT));
  const int links = block->link_count;
  const double angle = l.angle * DEGREE;
  if ((l.flags & TEXT_FLAG_VERTICAL) != 0 || links < 4) {
    if (!code_is_arc(nodes[0].code))
      polar_point(&nodes[0].point, l.length, into_turn(angle - ANGLE_PI / 2), &nodes[1].point);
    link_bounding_box(nodes);
    return;
  }
  if (code_is_arc(nodes[0].code) || l.arc_radius > 0.0f) {
    set_text_frame_from_corners(stored, nodes);
    return;
  }
  build_straight_frame(nodes, l.length, l.height, angle, l.slant * DEGREE);
}

void text_layout_from_frame(DrawingItem* item) {
  GeometryBlock* block = item_block(item);
  uint8_t* stored = block_text_layout(block);
  if (stored == nullptr) return;
  LinkRecord* n = block_nodes(block);
  TextLayout l;
  read_text_layout(stored, &l);
  if ((l.flags & TEXT_FLAG_VERTICAL) != 0 || block->link_count < 4) {
    // Vertical text along its one straight link.
    l.arc_radius = 0.0f;
    const float length = point_distance(&n[0].point, &n[1].point);
    double a = direction(n[0].point, n[1].point) - 3 * ANGLE_PI / 2;
    if (std::fabs(a) < 0.01) a = 0.0;
    a = a / DEGREE;
    if (a < 0.0) a += 360.0;
    l.angle = static_cast<float>(a);
    if (l.v_justify == JUSTIFY_TOP) l.anchor = n[0].point;
    else if (l.v_justify == JUSTIFY_MIDDLE) midpoint(&n[0].point, &n[1].point, &l.anchor);
    else l.anchor = n[1].point;
    l.height = 0.0f;
    l.length = l.entered_length = length;
    l.entered_height = 0.0f;
  } else if (code_is_arc(n[0].code)) {
    // A straight text on an arc: the band between the two arcs.
    const float r0 = n[0].code, r2 = code_is_arc(n[2].code) ? n[2].code : 0.0f;
    l.h_justify = l.v_justify = 1;
    l.height = std::fabs(r0 - r2);
    l.arc_radius = std::min(r0, r2 > 0 ? r2 : r0);
    const double middle = n[0].start_angle + n[0].sweep / 2;
    l.arc_start = static_cast<float>(middle - n[0].sweep / 2);
    l.arc_end = static_cast<float>(middle + n[0].sweep / 2);
    double deg = middle / DEGREE;
    if (deg > 359.99) deg -= 360.0;
    if (std::fabs(deg) < 0.01) deg = 0.0;
    l.angle = static_cast<float>(deg);
    l.anchor = n[0].centre;
    l.width_factor = 0.0f;
    l.entered_height = l.height;
    l.length = l.entered_length = 0.0f;
  } else {
    l.arc_radius = 0.0f;
    l.width_factor = 0.0f;
    const float length = point_distance(&n[0].point, &n[1].point);
    // The height is the distance of node 0 from the line of the opposite edge.
    PointF edge{n[3].point.x - n[2].point.x, n[3].point.y - n[2].point.y};
    PointF to0{n[0].point.x - n[2].point.x, n[0].point.y - n[2].point.y};
    const float edge_length = std::sqrt(squared_length(&edge));
    const float height = edge_length > 0 ? std::fabs(cross_product(&edge, &to0)) / edge_length
                                         : point_distance(&n[0].point, &n[3].point);
    if (length != 0.0f) {
      double angle = into_turn(direction(n[0].point, n[1].point));
      if (angle >= 6.282185) angle -= ANGLE_TWO_PI;
      if (std::fabs(angle) < 0.001) angle = 0.0;
      double o = into_turn(direction(n[1].point, n[2].point));
      if (std::fabs(o - ANGLE_TWO_PI) < 0.00017) o = ANGLE_TWO_PI;
      const bool mirrored = into_turn(o - angle) <= ANGLE_PI;
      double slant = mirrored ? o - (angle + ANGLE_PI / 2) : (angle + 3 * ANGLE_PI / 2) - o;
      while (slant > ANGLE_PI) slant -= ANGLE_TWO_PI;
      while (slant < -ANGLE_PI) slant += ANGLE_TWO_PI;
      if (std::fabs(slant) < 0.001 || std::fabs(slant) > 70 * DEGREE) slant = 0.0;
      l.flags = static_cast<uint8_t>((l.flags & ~TEXT_FLAG_MIRRORED) |
                                     (mirrored ? TEXT_FLAG_MIRRORED : 0));
      // The anchor from node 0 by the justification, unslanted, turned by the angle.
      PointF anchor{0, 0};
      anchor.x = l.h_justify == 1 ? length / 2 : l.h_justify == 2 ? length : 0.0f;
      anchor.y = l.v_justify == 1 ? -height / 2 : l.v_justify == 2 ? -height : 0.0f;
      if (mirrored) anchor.y += height;
      anchor.x -= static_cast<float>(std::tan(slant) * height);
      PointF turned;
      rotate_vector(&anchor, angle, &turned);
      l.anchor = PointF{n[0].point.x + turned.x, n[0].point.y + turned.y};
      l.angle = static_cast<float>(angle / DEGREE);
      l.slant = static_cast<float>(slant / DEGREE);
    } else {
      l.width_factor = 1.0f;
    }
    l.length = l.entered_length = length;
    l.height = l.entered_height = height;
  }
  write_text_layout(l, stored);
  layout_text_item(item);
}

int sync_format_codes(std::string* text, size_t cursor, int mode, FormatValues* values) {
  if (cursor > text->size()) return 0;
  size_t at = cursor;
  // Back over the codes before the cursor (a code's argument may be any byte).
  while (at > 0) {
    const uint8_t before = static_cast<uint8_t>((*text)[at - 1]);
    const uint8_t two_before = at >= 2 ? static_cast<uint8_t>((*text)[at - 2]) : 0xFF;
    if (two_before == FORMAT_RAISE || two_before == FORMAT_SIZE) at -= 2;
    else if (before < 32 && before != '\n') at -= 1;
    else break;
  }
  int found = 0;
  while (at + 1 < text->size()) {
    const uint8_t code = static_cast<uint8_t>((*text)[at]);
    uint8_t& arg = reinterpret_cast<uint8_t&>((*text)[at + 1]);
    if (code == FORMAT_RAISE) {
      found |= 1;
      if (mode == 0) values->raise_percent = (static_cast<int>(arg) - FORMAT_RAISE_BASE) * 2;
      else arg = static_cast<uint8_t>((FORMAT_RAISE_BASE + values->raise_percent / 2) & 0xFF);
    } else if (code == FORMAT_SIZE) {
      found |= 2;
      // One scale both ways: 60 % is stored as 54, reads back as 60 and draws at 0.6.
      if (mode == 0)
        values->size_percent = static_cast<int>(std::lround((arg - 32) * FORMAT_WIDTH_STEP));
      else
        arg = static_cast<uint8_t>(32 + std::lround(values->size_percent / FORMAT_WIDTH_STEP));
    } else {
      break;
    }
    at += 2;
  }
  return found;
}

bool text_is_single_stroke(DrawingItem* item) {
  const uint8_t* stored = block_text_layout(item_block(item));
  if (stored == nullptr) return false;
  TextLayout l;
  read_text_layout(stored, &l);
  return font_is_single_stroke(l.font_number, layout_is_truetype(l));
}
