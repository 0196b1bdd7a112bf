// The live pictures of the transform form: each working copy is reset from its original and
// transformed as the form now defines the transform, then drawn with the XOR pen.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "commands/align_items.h"
#include "commands/transform_form.h"
#include "commands/value_form.h"
#include "editor/draw_style.h"
#include "editor/edit_session.h"
#include "editor/render.h"
#include "editor/view.h"
#include "platform/canvas.h"
#include "screen/display_mode.h"
#include "geometry/item_motion.h"
#include "text/text_items.h"
#include "text/text_layout.h"

namespace {

// A mirrored text reads the right way round unless "Mirror text also" is ticked: the layout the
// mirrored frame gives is turned half a turn and flipped back (a straight text), or keeps the
// original's direction along its arc.
void mirror_text_layout(const DrawingItem* original, DrawingItem* copy, bool mirror_text) {
  GeometryBlock* block = item_block(copy);
  uint8_t* stored = block_text_layout(block);
  uint8_t* source = block_text_layout(item_block(const_cast<DrawingItem*>(original)));
  if (stored == nullptr || source == nullptr) return;
  text_layout_from_frame(copy);
  TextLayout l;
  read_text_layout(stored, &l);
  TextLayout was;
  read_text_layout(source, &was);
  if (l.arc_radius == 0.0f) {
    if (!mirror_text) {
      l.flags ^= TEXT_FLAG_MIRRORED;
      l.angle += 180.0f;
      if (l.angle > 360.0f) l.angle -= 360.0f;
    }
  } else {
    l.flags = was.flags;
    l.arc_direction = was.arc_direction;
    if (mirror_text) {
      l.flags ^= TEXT_FLAG_MIRRORED;
      l.arc_direction = l.arc_direction == 0 ? 1 : 0;
    }
  }
  write_text_layout(l, stored);
  layout_text_item(copy);
  LinkRecord* frame = item_nodes(copy);
  set_text_frame_from_corners(stored, frame);
  rebuild_text_frame(stored, frame);
}

// The rotation the form gives: the angle, less the angle to rotate and plus the reference.
double rotation_angle() {
  const TransformFormState& t = g_transform_form;
  double a = g_value_form.link.link.start_angle;
  if (t.mode != TRANSFORM_ROTATE) a += static_cast<double>(t.factor) - t.factor2;
  return a;
}

void transform_copy(const DrawingItem* original, DrawingItem* copy) {
  const TransformFormState& t = g_transform_form;
  const FormLink& line = g_value_form.link;
  const PointF start = line.link.point;
  if (t.mode == TRANSFORM_COPY || t.mode == TRANSFORM_MOVE) {
    const PointF v = {line.closing.point.x - start.x, line.closing.point.y - start.y};
    translate_item(copy, &v);
  } else if ((t.mode & TRANSFORM_ROTATE_MODES) != 0) {
    if (t.preview_on) rotate_item(copy, &start, rotation_angle());
  } else if ((t.mode & TRANSFORM_SCALE_MODES) != 0) {
    if (t.preview_on) scale_item(copy, t.factor, &start);
  } else if ((t.mode & TRANSFORM_MIRROR_MODES) != 0) {
    mirror_item(original, copy, &line.link);
    item_bounding_boxes(copy);
    if (item_type(copy) > ITEM_LAST_GEOMETRY_TYPE)
      mirror_text_layout(original, copy, t.mirror_text);
  }
  item_bounding_boxes(copy);
}

// The XOR marker of SCALE (the anchor) and ROTATE (the centre and the reference direction), as
// last drawn, so that drawing it again takes it off.
struct ReferenceMarker {
  bool shown = false;
  PointF centre = {0.0f, 0.0f};
  double angle = 0.0;  // radians; the dotted line's direction (ROTATE only)
  bool with_line = false;
};
ReferenceMarker g_reference_marker;

constexpr uint32_t MARKER_GREY = 0x808080;

// Two grey circles about the centre, one character cell and half of it in radius; for ROTATE a
// dotted line from the centre in the reference direction, a third of the screen high.
void draw_reference_marker(const ReferenceMarker& m) {
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = MARKER_GREY;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_XOR;
  int x = 0, y = 0;
  world_to_screen(m.centre, &x, &y);
  const int r = std::max<int>(2, g_display.presets[FACE_ROLE_NORMAL].cell_height);
  draw_circle_px(x, y, r);
  draw_circle_px(x, y, r / 2);
  if (!m.with_line) return;
  canvas->pen.style = CANVAS_PEN_DOT;
  const double length = g_display.screen_height / 3.0;
  area_line(x, y, x + static_cast<int>(std::lround(length * std::cos(m.angle))),
            y - static_cast<int>(std::lround(length * std::sin(m.angle))));
}

// Step 0 draws the marker of the mode where the form now puts it, 1 takes the last one off.
void show_reference_marker(int step) {
  ReferenceMarker& m = g_reference_marker;
  if (m.shown) {
    draw_reference_marker(m);
    m.shown = false;
  }
  const TransformFormState& t = g_transform_form;
  if (step != 0 || (t.mode & (TRANSFORM_ROTATE_MODES | TRANSFORM_SCALE_MODES)) == 0) return;
  m.centre = g_value_form.link.link.point;
  m.with_line = (t.mode & TRANSFORM_ROTATE_MODES) != 0;
  m.angle = t.factor;
  draw_reference_marker(m);
  m.shown = true;
}

}  // namespace

bool reset_working_copy(const DrawingItem* original, DrawingItem* copy) {
  if (original == nullptr || copy == nullptr) return false;
  if (item_link_count(original) != item_link_count(copy)) return false;
  const int32_t n = item_link_count(original);
  std::memcpy(static_cast<void*>(item_nodes(copy)),
              static_cast<const void*>(item_nodes(const_cast<DrawingItem*>(original))),
              static_cast<size_t>(n + 1) * sizeof(LinkRecord));
  GeometryBlock* from = item_block(const_cast<DrawingItem*>(original));
  GeometryBlock* to = item_block(copy);
  const uint8_t* layout_from = block_text_layout(from);
  uint8_t* layout_to = block_text_layout(to);
  if (layout_from != nullptr && layout_to != nullptr)
    std::memcpy(layout_to, layout_from, TEXT_LAYOUT_SIZE);
  return true;
}

void update_transform_preview(int step) {
  TransformFormState& t = g_transform_form;
  if (step >= 2) {
    t.preview_shown = false;
    g_reference_marker.shown = false;
    return;
  }
  if (t.preview_shown) {
    xor_draw_working_set();
    t.preview_shown = false;
  }
  show_reference_marker(1);
  if (step == 1) return;
  if (t.mode == TRANSFORM_ALIGN) {
    align_working_set();
  } else {
    DrawingItem* original = first_original();
    for (DrawingItem* copy = g_edit.working_set; copy != nullptr && original != nullptr;
         copy = copy->next, original = original->next) {
      if (!reset_working_copy(original, copy)) continue;
      transform_copy(original, copy);
    }
  }
  if ((t.mode & TRANSFORM_MIRROR_MODES) == 0) relayout_session_texts();
  xor_draw_working_set();
  t.preview_shown = true;
  show_reference_marker(0);
}
