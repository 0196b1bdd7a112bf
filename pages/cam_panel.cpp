#include "pages/cam_panel.h"

#include <algorithm>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "cam/machining_groups.h"
#include "cam/machining_order.h"
#include "cam/make_nc.h"
#include "cam/tools.h"
#include "commands/machining_pickers.h"
#include "editor/drawing_commands.h"
#include "editor/item_inspector.h"
#include "editor/view.h"
#include "records/job_settings.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/settings_fields.h"
#include "pages/cam_tool_form.h"

namespace {

constexpr int VALUE_WIDTH = 13;
constexpr int PRECISION = 4;
constexpr int OPERATION_WIDTH = 20;
constexpr int TOOL_WIDTH = 5;
constexpr uint32_t SIGNED_FLOAT = FIELD_FLOAT | FIELD_MINUS;
// A flat end mill three times as wide as a text is high cuts it at a third of its height.
constexpr float TEXT_WIDTH_OF_HEIGHT = 0.3f;
constexpr float TEXT_TOOLS_PER_HEIGHT = 3.0f;
constexpr float POINT_CODE_BASE = -64.0f;

EventCode pass_over() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

bool is_machined(const CamParams& p, bool has_block) {
  return has_block && p.operation != CAM_OP_DRAWING_AID;
}

bool shaped(const CamToolBlock& t) {
  return t.shape == TOOL_SHAPE_TAPERED || t.shape == TOOL_SHAPE_BALL;
}

bool is_open_polyline(const DrawingItem* item) {
  return item_type(item) == ITEM_POLYLINE && !item_is_closed(item);
}

// The operation list the item is offered.
const char* const* operation_list(const DrawingItem* item, int* count) {
  static const char* closed[8], *open[8], *drill[4];
  if (closed[0] == nullptr) {
    std::copy(CAM_OPERATION_LIST, CAM_OPERATION_LIST + 7, closed);
    std::copy(CAM_OPERATION_LIST_OPEN, CAM_OPERATION_LIST_OPEN + 7, open);
    std::copy(CAM_OPERATION_LIST_DRILL, CAM_OPERATION_LIST_DRILL + 3, drill);
  }
  if (item_type(item) == ITEM_POINT) {
    *count = 3;
    return drill;
  }
  *count = 7;
  return is_open_polyline(item) ? open : closed;
}

// Which rows the item's rows offer; the others are passed over.
bool row_open(const DrawingItem* item, const CamParams& p, bool machined, int row) {
  if (row == CAM_ROW_LAYER || row == CAM_ROW_OPERATION) return true;
  if (!machined) return false;
  if (p.operation == CAM_OP_ISLAND) return row == CAM_ROW_GROUP;
  const bool drill = item_type(item) == ITEM_POINT;
  switch (row) {
    case CAM_ROW_GROUP: case CAM_ROW_ORDER: case CAM_ROW_SURFACE: case CAM_ROW_DEPTH:
    case CAM_ROW_RAPID: case CAM_ROW_FINISHING_TOOL:
      return true;
    case CAM_ROW_WIDTH_OR_PECK:
      if (drill) return true;
      // A flat end mill's width is its diameter: shown, not typed.
      return (p.operation == CAM_OP_CENTERLINE || p.operation == CAM_OP_BLADE) && shaped(p.finishing);
    case CAM_ROW_ROUGHING_TOOL:
      return !drill && p.operation >= CAM_OP_CONTOUR_INSIDE && p.operation <= CAM_OP_ISLAND;
    default: return false;
  }
}

// A change through the rows: the item holds what the rows showed, and the job and tool path
// are made again from it.
void store_shown(DrawingItem* item, const CamParams& shown) {
  put_block_cam(item_block(item), shown);
  mark_machining_changed();
}

// The drawn radius of a drill point is half its drill's width.
void match_drill_radius(DrawingItem* item, const CamParams& p) {
  if (item_type(item) != ITEM_POINT) return;
  GeometryBlock* block = item_block(item);
  set_drill_kind(block);
  item_nodes(item)->code = POINT_CODE_BASE - p.finishing.cut_width / 2;
  item_bounding_boxes(item);
}

// A text's first centerline width: a shaped tool's from its depth; a flat end mill cuts a text
// it is small against at a third of its height, else its own diameter.
void set_text_centerline_width(DrawingItem* item, CamParams* p) {
  CamToolBlock& t = p->finishing;
  if (shaped(t)) {
    t.cut_width = cut_width_from_depth(t.cut_depth, t.shape, t.size, t.tip_diameter);
    return;
  }
  TextLayout l;
  const uint8_t* bytes = block_text_layout(item_block(item));
  if (bytes == nullptr) return;
  read_text_layout(bytes, &l);
  t.cut_width = t.size * TEXT_TOOLS_PER_HEIGHT >= l.height ? TEXT_WIDTH_OF_HEIGHT * l.height : t.size;
}

// While the panel's form runs its lines are the current list: the others of the group are
// found in the drawing's list.
void insert_in_drawing_order(DrawingItem* item, int n) {
  DrawingItem* first = drawing_list_first();
  DrawingItem* last = first;
  while (last != nullptr && last->next != nullptr) last = last->next;
  push_list();
  g_lists.current = LineList{first, last};
  insert_in_order(item, n);
  g_lists.current = LineList{};
  pop_list();
}

EventCode edit_float(float* value, uint32_t flags) {
  return edit_value_field({value, 0}, flags, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
}

EventCode edit_operation(DrawingItem* item, const CamParams& p, bool machined) {
  int count = 0;
  const char* const* names = operation_list(item, &count);
  uint8_t index = machined ? static_cast<uint8_t>(std::min<int>(p.operation, count - 1)) : 0;
  const uint8_t before = index;
  const EventCode result = pick_string_field(names, "Select", g_field.display_row,
                                             g_field.value_column, &index, OPERATION_WIDTH, nullptr);
  if (result >= 0 || index == before) return result;
  const int layout = cam_panel_layout(item);
  DrawingItem* ended = set_cam_operation(item, index);
  if (ended == nullptr) return 0;
  g_panel.panel_item = ended;
  if (ended != item || cam_panel_layout(ended) != layout) g_panel.relayout = 1;
  return result;
}

// The cutting depth: shaped tools follow with their widths, and the roughing tool cuts to it.
void take_depth(CamParams* p) {
  CamToolBlock& fin = p->finishing;
  CamToolBlock& rough = p->roughing;
  rough.cut_depth = fin.cut_depth;
  if (!depth_is_given(fin.cut_depth)) return;
  if (shaped(fin)) fin.cut_width = cut_width_from_depth(fin.cut_depth, fin.shape, fin.size, fin.tip_diameter);
  if (shaped(rough))
    rough.cut_width = cut_width_from_depth(rough.cut_depth, rough.shape, rough.size, rough.tip_diameter);
}

EventCode edit_row(DrawingItem* item, CamParams* p, int row) {
  switch (row) {
    case CAM_ROW_GROUP: {
      const EventCode r = edit_value_field({&p->machining_group, 0}, FIELD_SHORT | FIELD_MINUS,
                                           FIELD_OPTIONS_USUAL, 6);
      if (r < 0 && p->operation != CAM_OP_ISLAND) {
        if (p->machining_group <= 0) p->machining_group = MACHINING_GROUP_DEFAULT;
        p->machining_group = std::min(p->machining_group, CAM_PANEL_GROUP_MOST);
      }
      if (r < 0) store_shown(item, *p);
      return r;
    }
    case CAM_ROW_ORDER: {
      int16_t order = p->machining_order;
      const EventCode r = edit_value_field({&order, 0}, FIELD_SHORT | FIELD_MINUS, FIELD_OPTIONS_USUAL, 6);
      if (r < 0) {
        store_shown(item, *p);
        // The others of the group move up to make room.
        insert_in_drawing_order(item, std::max<int>(order, 1));
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return r;
    }
    case CAM_ROW_SURFACE: {
      const EventCode r = edit_float(&p->surface_z, SIGNED_FLOAT);
      if (r < 0) store_shown(item, *p);
      return r;
    }
    case CAM_ROW_DEPTH: {
      const EventCode r = edit_float(&p->finishing.cut_depth, SIGNED_FLOAT);
      if (r < 0) {
        take_depth(p);
        store_shown(item, *p);
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return r;
    }
    case CAM_ROW_RAPID: {
      const EventCode r = edit_float(&p->rapid_height, SIGNED_FLOAT);
      if (r < 0) store_shown(item, *p);
      return r;
    }
    case CAM_ROW_WIDTH_OR_PECK: {
      if (item_type(item) == ITEM_POINT) {
        const EventCode r = edit_float(&p->peck_distance, FIELD_FLOAT);
        if (r < 0) {
          store_shown(item, *p);
          set_drill_kind(item_block(item));
          std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
        }
        return r;
      }
      CamToolBlock& t = p->finishing;
      const EventCode r = edit_float(&t.cut_width, FIELD_FLOAT);
      if (r < 0) {
        if (depth_is_given(t.cut_depth))
          t.cut_depth = depth_from_cut_width(t.cut_width, t.shape, t.size, t.tip_diameter);
        p->roughing.cut_depth = t.cut_depth;
        store_shown(item, *p);
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return r;
    }
    case CAM_ROW_FINISHING_TOOL:
    case CAM_ROW_ROUGHING_TOOL: {
      const EventCode r = edit_cam_tool(p, row == CAM_ROW_FINISHING_TOOL ? 0 : 1, item);
      if (r < 0) {
        store_shown(item, *p);
        if (row == CAM_ROW_FINISHING_TOOL) match_drill_radius(item, *p);
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return r;
    }
    default: return pass_over();
  }
}

}  // namespace

// ---- Layout and the shown block -------------------------------------------------------------------

int cam_panel_layout(const DrawingItem* item) {
  CamParams p;
  if (item == nullptr || !cam_panel_shown_block(item, &p) || p.operation == CAM_OP_DRAWING_AID)
    return MSG_FORM_CAM_ROWS_DRAWING_AID;
  if (item_type(item) == ITEM_POINT) return MSG_FORM_CAM_ROWS_DRILL;
  if (p.operation == CAM_OP_ISLAND) return MSG_FORM_CAM_ROWS_ISLAND;
  if (p.operation == CAM_OP_CENTERLINE) return MSG_FORM_CAM_ROWS_CENTERLINE;
  return MSG_FORM_CAM_ROWS;
}

bool cam_panel_shown_block(const DrawingItem* item, CamParams* shown) {
  *shown = CamParams{};
  GeometryBlock* block = item_block(item);
  if (block == nullptr || !get_block_cam(block, shown)) return false;
  if (shown->operation == CAM_OP_DRAWING_AID || shown->operation == CAM_OP_ISLAND) return true;
  CamParams& p = *shown;
  if (p.machining_group <= 0) p.machining_group = MACHINING_GROUP_DEFAULT;
  p.machining_group = std::min(p.machining_group, CAM_PANEL_GROUP_MOST);
  if (p.machining_order <= 0) p.machining_order = 1;
  p.roughing.cut_depth = p.finishing.cut_depth;
  return true;
}

// ---- The rows ---------------------------------------------------------------------------------------

EventCode cam_panel_rows(int row) {
  DrawingItem* item = g_panel.panel_item;
  if (item == nullptr || item->extra.empty()) return KEY_ESC;
  CamParams p;
  const bool has_block = cam_panel_shown_block(item, &p);
  const bool machined = is_machined(p, has_block);
  if (!row_open(item, p, machined, row)) return pass_over();
  if (row == CAM_ROW_LAYER) {
    GeometryBlock* block = item_block(item);
    uint8_t record[LAYER_FIELD_OFFSET + 1] = {};
    record[LAYER_FIELD_OFFSET] = block->layer;
    const EventCode r = edit_layer_field(record);
    if (r < 0 && record[LAYER_FIELD_OFFSET] != block->layer) {
      block->layer = record[LAYER_FIELD_OFFSET];
      if (has_block) put_block_cam(block, p);
      mark_machining_changed();
    }
    return r;
  }
  if (row == CAM_ROW_OPERATION) return edit_operation(item, p, machined);
  return edit_row(item, &p, row);
}

void cam_panel_fields() {
  const DrawingItem* item = g_panel.panel_item;
  CamParams p;
  const bool has_block = item != nullptr && cam_panel_shown_block(item, &p);
  const bool machined = is_machined(p, has_block);
  const GeometryBlock* block = item != nullptr ? item_block(item) : nullptr;
  if (block != nullptr) show_layer_name_field(block->layer);
  else show_text_value("", 1);
  int count = 0;
  const char* const* names = item != nullptr ? operation_list(item, &count) : nullptr;
  show_choice_value(names, machined ? std::min<int>(p.operation, count - 1) : 0, OPERATION_WIDTH);
  show_text_value("", 1);
  const bool island = machined && p.operation == CAM_OP_ISLAND;
  if (machined) show_int_or_blank(p.machining_group, 6);
  else show_text_value("", 1);
  if (!machined || island) {
    for (int row = CAM_ROW_ORDER; row <= CAM_ROW_ROUGHING_TOOL; ++row) show_text_value("", 1);
    return;
  }
  show_int_value(p.machining_order, 6);
  show_float_value(p.surface_z, VALUE_WIDTH, PRECISION);
  show_float_value(p.finishing.cut_depth, VALUE_WIDTH, PRECISION);
  show_float_value(p.rapid_height, VALUE_WIDTH, PRECISION);
  const bool drill = item_type(item) == ITEM_POINT;
  if (drill) show_float_value(p.peck_distance, VALUE_WIDTH, PRECISION);
  else if (p.operation == CAM_OP_CENTERLINE || p.operation == CAM_OP_BLADE)
    show_float_value(p.finishing.cut_width, VALUE_WIDTH, PRECISION);
  else show_text_value("", 1);
  show_int_value(p.finishing.tool_number, TOOL_WIDTH);
  if (!drill && p.operation >= CAM_OP_CONTOUR_INSIDE && p.operation <= CAM_OP_ISLAND)
    show_int_value(p.roughing.tool_number, TOOL_WIDTH);
  else show_text_value("", 1);
}

// ---- Operations and defaults ------------------------------------------------------------------------

DrawingItem* set_cam_operation(DrawingItem* item, uint8_t operation) {
  if (is_open_polyline(item) && operation > CAM_OP_CONTOUR_OUTSIDE) {
    // An area needs a closed outline: an open polyline is closed first, or the choice dropped.
    if (!close_for_area_operation(&item)) return nullptr;
  }
  const bool text = item_type(item) == ITEM_TEXT;
  if (text && operation != CAM_OP_DRAWING_AID && operation != CAM_OP_CENTERLINE &&
      operation != CAM_OP_BLADE && text_is_single_stroke(item))
    get_message(MSG_SINGLE_STROKE_AREA);
  GeometryBlock* block = item_block(item);
  CamParams p;
  if (!get_block_cam(block, &p)) {
    if (operation == CAM_OP_DRAWING_AID) return item;
    block = add_item_cam(item);
    if (block == nullptr) return nullptr;
    apply_cam_defaults(block, operation);
    get_block_cam(block, &p);
  }
  if (operation == CAM_OP_DRAWING_AID && !text) {
    remove_item_cam(item);
    mark_machining_changed();
    return item;
  }
  if (text && operation == CAM_OP_DRAWING_AID) p.finishing.cut_width = 0;
  if (text && p.operation == CAM_OP_DRAWING_AID && operation == CAM_OP_CENTERLINE)
    set_text_centerline_width(item, &p);
  p.operation = operation;
  p.contour_passes = 0;
  store_shown(item, p);
  if (item_type(item) == ITEM_POINT) set_drill_kind(item_block(item));
  return item;
}

bool reset_cam_panel_item(DrawingItem* item) {
  GeometryBlock* block = item != nullptr ? item_block(item) : nullptr;
  CamParams before;
  if (block == nullptr || !get_block_cam(block, &before) || before.operation == CAM_OP_DRAWING_AID)
    return false;
  if (cam_slot_for_cut_type(before.operation, block->cam_kind == GEOMETRY_KIND_TEXT) < 0) return false;
  apply_cam_defaults(block, before.operation);
  CamParams p;
  get_block_cam(block, &p);
  p.operation = before.operation;
  p.machining_group = before.machining_group;
  p.machining_order = before.machining_order;
  put_block_cam(block, p);
  mark_machining_changed();
  return true;
}

void connect_cam_panel() {
  DrawingCommandEntries& c = g_drawing_commands;
  c.cam_panel_layout = cam_panel_layout;
  c.cam_panel_rows = cam_panel_rows;
  c.cam_panel_fields = cam_panel_fields;
  c.cam_panel_reset = [](DrawingItem* item) { return reset_cam_panel_item(item); };
}
