#include "commands/transform_all.h"

#include <cmath>
#include <cstdio>

#include "cam/machining_block.h"
#include "cam/tools.h"
#include "commands/scale_command.h"
#include "geometry/item_motion.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "store/store_host.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/message_box.h"

namespace {

constexpr double DEGREES_PER_RADIAN = 57.29577951308232;

// An item the whole-drawing transforms take: a real item with geometry, active unless all.
bool taken(const DrawingItem* item, int all) {
  if (item_type(item) == 0 || item_block(item) == nullptr) return false;
  return all != 0 || (item_flags(item) & ITEM_FLAG_SELECTED) != 0;
}

bool is_text(const DrawingItem* item) { return item_type(item) > ITEM_LAST_GEOMETRY_TYPE; }

bool read_layout(DrawingItem* item, TextLayout* l) {
  const uint8_t* stored = block_text_layout(item_block(item));
  if (stored == nullptr) return false;
  read_text_layout(stored, l);
  return true;
}

void write_layout(DrawingItem* item, const TextLayout& l) {
  write_text_layout(l, block_text_layout(item_block(item)));
}

// The text a text item follows, or null (none, or itself).
DrawingItem* followed_text(DrawingItem* item, const TextLayout& l) {
  if (l.link_number <= 0) return nullptr;
  DrawingItem* followed = find_text_item_by_number(l.link_number);
  return followed == item ? nullptr : followed;
}

// A following text is placed from the text it follows, so it is transformed after every text
// that does not follow one: pass 0 takes the others, pass 1 the followers.
int pass_of(DrawingItem* item) {
  TextLayout l;
  if (!is_text(item) || !read_layout(item, &l)) return 0;
  return followed_text(item, l) != nullptr ? 1 : 0;
}

// A follower placed by its offset from a text on an arc (it or the followed text stands on one).
bool follows_on_arc(DrawingItem* item, const TextLayout& l) {
  DrawingItem* followed = followed_text(item, l);
  if (followed == nullptr) return false;
  TextLayout f;
  if (!read_layout(followed, &f)) return false;
  return l.arc_radius > 0.0f || f.arc_radius > 0.0f;
}

// Lays a text out again from its layout and rebuilds its frame from the result.
void relayout_text(DrawingItem* item) {
  layout_text_item(item);
  uint8_t* stored = block_text_layout(item_block(item));
  LinkRecord* frame = item_nodes(item);
  set_text_frame_from_corners(stored, frame);
  rebuild_text_frame(stored, frame);
  item_bounding_boxes(item);
}

float wrapped_degrees(double degrees) {
  double a = std::fmod(degrees, 360.0);
  if (a < 0.0) a += 360.0;
  if (a >= 359.9999) a = 0.0;
  return static_cast<float>(a);
}

void finish_whole_drawing_change() {
  mark_job_changed();
  g_job_settings.nc_state = 0;
}

// ---- rotate ----

void rotate_one(DrawingItem* item, float angle) {
  const PointF centre = g_transform_all.transform_centre;
  TextLayout l;
  if (is_text(item) && read_layout(item, &l) && follows_on_arc(item, l)) {
    // Placed by its offset from the followed text: the offset turns, and so does the direction
    // the text runs in, or a quarter turn of the drawing would leave it standing as it was.
    PointF offset{l.link_dx, l.link_dy};
    rotate_vector(&offset, angle, &offset);
    l.link_dx = offset.x;
    l.link_dy = offset.y;
    l.angle = wrapped_degrees(l.angle + angle * DEGREES_PER_RADIAN);
    write_layout(item, l);
    relayout_text(item);
    return;
  }
  rotate_item(item, &centre, angle);
  item_bounding_boxes(item);
  if (is_text(item)) text_layout_from_frame(item);
}

// ---- scale ----

struct ScaleReport {
  int depth_kept = 0;  // shaped-tool texts whose new width the tool cannot cut: depth kept
};

// A derived depth (the width decides it) for the shaped tool; false when the tool cannot cut
// that width (the old depth is kept rather than lost).
bool derive_depth(CamToolBlock* tool) {
  if (tool->shape == TOOL_SHAPE_TAPERED) {
    if (!(tool->size > 0.0f) || tool->cut_width < tool->tip_diameter) return false;
  } else if (tool->size * tool->size - tool->cut_width * tool->cut_width / 4 < 0.0f) {
    return false;
  }
  const float depth =
      depth_from_cut_width(tool->cut_width, tool->shape, tool->size, tool->tip_diameter);
  if (!(depth > 0.0f)) return false;
  tool->cut_depth = depth;
  return true;
}

// A text's layout and finishing tool before its frame is scaled.
void scale_text_settings(DrawingItem* item, float k, ScaleReport* report) {
  TextLayout l;
  if (!read_layout(item, &l)) return;
  const PointF c = g_transform_all.transform_centre;
  // A flat tool at least as tall as the text was (a tool that cuts the text's whole height)
  // grows with it: measured before scaling, or a tool exactly as wide as the text would stay.
  const float height_before = l.height;
  l.entered_height *= k;
  if (l.link_number > 0) {
    l.link_dx *= k;
    l.link_dy *= k;
  } else {
    l.anchor = PointF{c.x + k * (l.anchor.x - c.x), c.y + k * (l.anchor.y - c.y)};
  }
  if (l.arc_radius != 0.0f) l.arc_radius *= k;
  write_layout(item, l);

  GeometryBlock* block = item_block(item);
  CamParams cam;
  if (!get_block_cam(block, &cam)) return;
  CamToolBlock& tool = cam.finishing;
  if (tool.shape != TOOL_SHAPE_FLAT) {
    tool.cut_width *= k;
    if (depth_is_given(tool.cut_depth) && !derive_depth(&tool)) ++report->depth_kept;
  } else if (height_before > 0.0f && tool.cut_width >= height_before) {
    tool.size *= k;
    tool.cut_width = tool.size;
  }
  put_block_cam(block, cam);
}

// ---- mirror ----

// The reflection of a vector about a direction (radians).
PointF reflect_vector(PointF v, float angle) {
  const double c = std::cos(2.0 * angle), s = std::sin(2.0 * angle);
  return PointF{static_cast<float>(c * v.x + s * v.y), static_cast<float>(s * v.x - c * v.y)};
}

void mirror_text(DrawingItem* item, const LinkRecord* line, float angle, int mode) {
  TextLayout l;
  if (!read_layout(item, &l)) return;
  const bool on_arc = l.arc_radius != 0.0f;
  if (mode == MIRROR_ALL_TEXT_ONLY) {
    if (on_arc && !(l.arc_radius > 0.0f)) return;
    l.flags ^= TEXT_FLAG_MIRRORED;
    write_layout(item, l);
    relayout_text(item);
    return;
  }
  const bool arc_follower = follows_on_arc(item, l);
  if (arc_follower) {
    // Placed from the followed text by its offset, which is mirrored with everything else.
    const PointF offset = reflect_vector(PointF{l.link_dx, l.link_dy}, angle);
    l.link_dx = offset.x;
    l.link_dy = offset.y;
    write_layout(item, l);
  }
  mirror_item(item, item, line);
  item_bounding_boxes(item);
  text_layout_from_frame(item);
  read_layout(item, &l);
  bool changed = false;
  if (!on_arc && mode == MIRROR_ALL_LOCATION_ONLY) {
    l.flags ^= TEXT_FLAG_MIRRORED;
    changed = true;
  }
  if (on_arc) {
    if (mode == MIRROR_ALL_FULL) l.flags ^= TEXT_FLAG_MIRRORED;
    l.arc_direction = l.arc_direction == 0 ? 1 : 0;
    changed = true;
  }
  if (!changed) return;
  write_layout(item, l);
  relayout_text(item);
}

// Calls work(item) on every item taken, the followers after the texts they follow.
template <typename Work>
void for_each_taken(int all, Work work) {
  for (int pass = 0; pass < 2; ++pass)
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      if (taken(item, all) && pass_of(item) == pass) work(item);
}

}  // namespace

void rotate_all_items(float angle, int all) {
  for_each_taken(all, [&](DrawingItem* item) { rotate_one(item, angle); });
  finish_whole_drawing_change();
}

DrawingItem* scale_all_items(float factor) {
  // A factor of 0 or below would collapse the drawing or turn arcs into other kinds of link
  // (the sign of an arc's code is its kind).
  if (!(factor > 0.0f) || !std::isfinite(factor)) {
    show_text_box(SCALE_FACTOR_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
    return nullptr;
  }
  const PointF centre = g_transform_all.transform_centre;
  ScaleReport report;
  for_each_taken(0, [&](DrawingItem* item) {
    if (is_text(item)) scale_text_settings(item, factor, &report);
    scale_item(item, factor, &centre);
    item_bounding_boxes(item);
    if (is_text(item)) text_layout_from_frame(item);
  });
  finish_whole_drawing_change();
  if (report.depth_kept > 0) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "%d text item%s kept %s cutting depth:\nthe tool cannot cut the new width.",
                  report.depth_kept, report.depth_kept == 1 ? "" : "s",
                  report.depth_kept == 1 ? "its" : "their");
    show_text_box(text, TEXTBOX_PRESS_A_KEY);
  }
  return g_lists.current.last;
}

void mirror_all_items(PointF centre, float angle, int mode) {
  LinkRecord line[2] = {};
  line[0].point = centre;
  line[1].point = PointF{centre.x + static_cast<float>(std::cos(angle)),
                         centre.y + static_cast<float>(std::sin(angle))};
  for_each_taken(0, [&](DrawingItem* item) {
    if (is_text(item)) {
      mirror_text(item, line, angle, mode);
      return;
    }
    if (mode == MIRROR_ALL_TEXT_ONLY) return;
    mirror_item(item, item, line);
    item_bounding_boxes(item);
  });
  finish_whole_drawing_change();
}
