#include "commands/node_creation.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "editor/button_bindings.h"
#include "editor/coord_entry.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/page_furniture.h"
#include "geometry/drawing_item.h"
#include "geometry/item_edit_state.h"
#include "geometry/link_operations.h"
#include "geometry/polyline_ends.h"
#include "records/job_settings.h"
#include "screen/event_queue.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

namespace {

constexpr int COMMAND_REFERENCE_POINT = 879;
constexpr int COMMAND_NONE = 895;
constexpr int COMMAND_SNAP_MENU = 890;
constexpr int ENTRY_FLAGS = 0x1C01;
constexpr int PROMPT_POLYLINE = 9;
constexpr int PROMPT_SPLINE = 17;
constexpr int RESULT_HELP_KEY = 315;
constexpr uint32_t SAME_POINT_STYLE = 0x8012;

constexpr char START_TEXT[] =
    "Press \vESC\x13 to abort, \vPGUP\x13/\vPGDN\x13 to zoom in/out,\n\vArrow keys\x13 to pan";
constexpr char GOING_TEXT[] =
    "Press \vESC\x13 to cancel previous link, \n\varrow keys\x13 to pan, \vPGUP\x13/\vDN\x13 to "
    "zoom,\nor \f\vC\x13 to close and finish polyline.";
constexpr char SAME_POINT_TEXT[] = "you are entering the same point twice!";

// The points so far, as x, y pairs: the entry line's preview draws them.
struct PointBuffer {
  std::vector<float> xy;
  int count() const { return static_cast<int>(xy.size() / 2); }
  PointF last() const { return {xy[xy.size() - 2], xy[xy.size() - 1]}; }
  PointF at(int i) const {
    return {xy[static_cast<size_t>(2 * i)], xy[static_cast<size_t>(2 * i + 1)]};
  }
};

PointBuffer* g_buffer = nullptr;

// The rubber graphics of the points so far, drawn or erased (XOR).
void xor_rubber() {
  EntryPreview& p = g_coord.preview;
  if (g_buffer == nullptr) return;
  p.points = g_buffer->xy.data();
  p.count = g_buffer->count();
  draw_entry_preview();
}

void show_count() {
  char text[64];
  const int n = g_buffer->count();
  if (n == 0) {
    std::snprintf(text, sizeof(text), "%-27s", "Specify the first node!");
  } else {
    char inner[64];
    std::snprintf(inner, sizeof(inner), "\f%d\x13 \vnodes\x13, \f%d\x13 \vlinks\x13", n, n - 1);
    std::snprintf(text, sizeof(text), "%-27s", inner);
  }
  draw_tiny_text(4, g_display.current.last_column - 20, text);
}

void set_point_count(int n) {
  xor_rubber();
  g_buffer->xy.resize(static_cast<size_t>(2 * n));
  xor_rubber();
}

void start_over(CoordEntry* e) {
  zero_coord_entry(e);
  show_message_area(START_TEXT);
  entry_back_is_cancel();
}

// Makes the item from the points: flexible lines or a spline, closed by "c" or by the join
// tolerance when its ends meet.
void make_item(const PointBuffer& b, bool spline, bool closed_by_letter) {
  const int links = b.count() - 1;
  std::vector<PointF> points(static_cast<size_t>(b.count()));
  for (int i = 0; i < b.count(); ++i) points[static_cast<size_t>(i)] = b.at(i);
  std::vector<LinkRecord> records(static_cast<size_t>(links) + 1);
  nodes_from_points(links, points.data(), records.data(), spline ? LINK_SPLINE : LINK_FLEXIBLE_LINE);
  if (closed_by_letter) records[0].node_flags = NODE_FIRST | NODE_LOOSE;
  const uint8_t kind = g_job_settings.new_items_machined != 0 ? GEOMETRY_KIND_MACHINABLE
                                                              : GEOMETRY_KIND_DRAWING_AID;
  // The layer shown in the entry strip, where the user may have typed or picked another.
  if (new_geometry_block("", records.data(), links, g_coord.preview.layer, kind) != 0) {
    get_message(MSG_ITEM_CANNOT_GROW);
    return;
  }
  DrawingItem* item = g_lists.current.last;
  set_item_flags(item, static_cast<uint8_t>(item_flags(item) | ITEM_FLAG_SELECTED));
  if (!closed_by_letter) close_if_touching(item);
  draw_item_in_colour(item, item_layer(item));
  ++g_drawing_page.redraw_request;
  mark_job_changed();
}

}  // namespace

void draw_polyline_by_nodes(int spline) {
  CoordEntry& e = g_coord.entry;
  zero_coord_entry(&e);
  e.text[0] = '\0';
  help_push(MSG_HELP_MOVE_LINK_ENTRY);
  show_message_area(START_TEXT);
  button_commands_set(COMMAND_REFERENCE_POINT, COMMAND_NONE, COMMAND_SNAP_MENU);
  PointBuffer buffer;
  buffer.xy.reserve(2 * POLYLINE_ENTRY_MOST_POINTS);
  g_buffer = &buffer;
  reset_entry_preview();
  EntryPreview& preview = g_coord.preview;
  preview.redraw_hook = xor_rubber;
  preview.spline = spline != 0 ? 1 : 0;
  use_entry_layer_strip(g_item_edit.new_item_layer);
  entry_back_is_cancel();
  bool closed = false;
  for (;;) {
    show_count();
    const int redraws = g_drawing_page.redraw_request;
    const int r = coordinate_entry_line(&e, ENTRY_FLAGS, ENTRY_KIND_POINT,
                                        spline != 0 ? PROMPT_SPLINE : PROMPT_POLYLINE);
    if (r == ENTRY_NOTHING) break;
    if (r < 0) {
      if (buffer.count() == 0) break;
      set_point_count(buffer.count() - 1);
      if (buffer.count() == 0) {
        start_over(&e);
      } else {
        e.reference = e.current = buffer.last();
      }
      continue;
    }
    if (r == RESULT_HELP_KEY) continue;
    if (r == ENTRY_CLOSE) {
      if (buffer.count() == 0) continue;
      const PointF first = buffer.at(0);
      xor_rubber();
      buffer.xy.push_back(first.x);
      buffer.xy.push_back(first.y);
      xor_rubber();
      closed = true;
      break;
    }
    if (r >= 1 && r <= 4) {
      const PointF p = e.current;
      if (buffer.count() > 0 && buffer.last().x == p.x && buffer.last().y == p.y) {
        show_text_box(SAME_POINT_TEXT, SAME_POINT_STYLE);
        continue;
      }
      xor_rubber();
      buffer.xy.push_back(p.x);
      buffer.xy.push_back(p.y);
      xor_rubber();
      e.reference = p;
      if (buffer.count() == 2) {
        entry_back_is_go_back();
        show_message_area(GOING_TEXT);
      }
      if (buffer.count() >= POLYLINE_ENTRY_MOST_POINTS) break;
      continue;
    }
    // The view changed under the entry line: the rubber graphics are drawn again.
    if (g_drawing_page.redraw_request != redraws || r == EVENT_VIEW_CHANGED) xor_rubber();
  }
  button_commands_pop();
  xor_rubber();
  if (buffer.count() >= 2) make_item(buffer, spline != 0, closed);
  g_buffer = nullptr;
  preview = EntryPreview{};
  reset_entry_preview();
  entry_back_is_go_back();
  help_pop();
}
