#include "commands/machining_pickers.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <functional>

#include "cam/machining_block.h"
#include "cam/make_nc.h"
#include "editor/drawing_commands.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/pick_strip.h"
#include "geometry/layers.h"
#include "geometry/polyline_join.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

namespace {

constexpr float CLOSE_ENDS_DISTANCE = 0.01f;

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

const char* operation_name(int index) {
  return index >= 0 && index < CAM_NAME_COUNT ? CAM_OPERATION_NAMES[index] : "";
}

constexpr char REFERENCE_HEADING[] =
    "\x0e\x97\x97\x97\x97Reference\x97Item\x97\x97\x97\x97\x97\x97\n";
constexpr char TARGET_HEADING[] = "\x0e\x97\x97Item\x97to\x97set\x97identical\x97\n";
constexpr char THIS_IS_REFERENCE_TEXT[] = "\nThis is the \nreference item";

constexpr char MARKED_SOURCE_PROMPT[] =
    "Select the item that has the machining (ie, CAM) settings\nyou want to copy to the marked "
    "items.";
constexpr char PICKED_SOURCE_PROMPT[] =
    "Select the item that has the machining (ie, CAM) settings\nyou want to copy to other items.";
constexpr char PICKED_TARGET_PROMPT[] =
    "\fNow click each item that you want to give those same\n\fCAM settings to. Or draw a "
    "selection box around the items.";
constexpr char DRAWING_AIDS_PROMPT[] =
    "Click each item you want set as a \vdrawing aid\x13.\nYou can also draw a selection box "
    "around the items.";
constexpr char TEXT_DEFAULTS_PROMPT[] =
    "Click the \vtext\x13 that has the font, size, alignment, and other settings\nthat you want "
    "to use as the defaults for new text.";
constexpr char DEFAULTS_PROMPT[] =
    "Click the \v%s\x13 that has the \v%s\x13 CAM settings that you want to use\nas defaults for "
    "new %s that you set for %s";
constexpr char SELECT_TEXT_TEXT[] =
    "\nSelect a text item!\nYou are setting\nthe default font,\nfont size, etc.";
constexpr char WRONG_KIND_TEXT[] = "\nThis item aint\nthe correct type...";

constexpr int COMMAND_TEXT_CENTERLINE = 453;
constexpr int COMMAND_DRAWING_CENTERLINE = 456;
constexpr int COMMAND_TEXT_LAYOUT = 459;

bool machined(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  return block != nullptr && block->cam_kind != GEOMETRY_KIND_DRAWING_AID;
}

bool on_visible_layer(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  return block != nullptr && g_layers.visibility[block->layer] != 0;
}

bool selected(const DrawingItem* item) { return (item_flags(item) & ITEM_FLAG_SELECTED) != 0; }

// Whether every link of the item lies inside the box.
bool inside_box(DrawingItem* item, PointF low, PointF high) {
  PointF min{1e30f, 1e30f};
  PointF max{-1e30f, -1e30f};
  grow_box_by_item(item, &min, &max);
  return min.x >= low.x && min.y >= low.y && max.x <= high.x && max.y <= high.y;
}

// The machining block of a picked reference, or false after telling the user it has none.
bool take_reference(const DrawingItem* item) {
  const uint8_t* cam = block_cam_params(item_block(item));
  if (cam == nullptr || cam[0] == CAM_OP_DRAWING_AID) {
    show_text_box(CAM_NO_PARAMETERS_TEXT, TEXTBOX_PRESS_A_KEY);
    return false;
  }
  read_cam_params(cam, &g_cam_settings.params);
  return true;
}

// The reference item, picked with its settings taken into the settings buffer; null when the
// user cancelled.
DrawingItem* pick_reference(const char* prompt) {
  DrawingItem* reference = nullptr;
  ItemPicker p;
  p.prompt = prompt;
  p.hover = [](const DrawingItem* item) {
    if (item != nullptr) item_info_text(item, true);
  };
  p.pick = [&reference](DrawingItem* item) {
    if (!take_reference(item)) return PickStep::GO_ON;
    reference = item;
    return PickStep::END;
  };
  return run_item_picker(p) == 0 ? reference : nullptr;
}

}  // namespace

// ---- The side-panel texts --------------------------------------------------------------------

std::string cam_summary_text(const CamParams& block) {
  const CamToolBlock& fin = block.finishing;
  const CamToolBlock& rough = block.roughing;
  if (block.operation == CAM_OP_CENTERLINE)
    return formatted(
        "CAM op: \fCut Centerline\nMachining group: \v%d\n\n   Tool number: \v%d\n Cutting width: "
        "\v%.4f\n\n  Z at surface: \v%.4f\n  Cutting depth: \v%.4f\n   Rapid height: \v%.4f\n",
        block.machining_group, fin.tool_number, fin.cut_width, block.surface_z, fin.cut_depth,
        block.rapid_height);
  const char* name = operation_name(block.operation);
  if (fin.tool_number > 0 && rough.tool_number > 0)
    return formatted(
        "CAM op: \f%s\nMachining group: \v%d\n\n Finishing Tool: \v%d\n  Cutting width: \v%.4f\n\n"
        "  Roughing Tool: \v%d\n  Cutting width: \v%.4f\n\n   Z at surface: \v%.4f\n  Cutting "
        "depth: \v%.4f\n   Rapid height: \v%.4f\n",
        name, block.machining_group, fin.tool_number, fin.cut_width, rough.tool_number,
        rough.cut_width, block.surface_z, fin.cut_depth, block.rapid_height);
  if (rough.tool_number > 0)
    return formatted(
        "CAM op: \f%s\nMachining group: \v%d\n\n\n\n\n  Roughing Tool: \v%d\n  Cutting width: "
        "\v%.4f\n\n   Z at surface: \v%.4f\n  Cutting depth: \v%.4f\n   Rapid height: \v%.4f\n",
        name, block.machining_group, rough.tool_number, rough.cut_width, block.surface_z,
        fin.cut_depth, block.rapid_height);
  return formatted(
      "CAM op: \f%s\nMachining group: \v%d\n\n Finishing Tool: \v%d\n  Cutting width: \v%.4f\n\n"
      "\n\n   Z at surface: \v%.4f\n  Cutting depth: \v%.4f\n   Rapid height: \v%.4f\n",
      name, block.machining_group, fin.tool_number, fin.cut_width, block.surface_z, fin.cut_depth,
      block.rapid_height);
}

std::string item_info_string(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  CamParams p;
  if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID ||
      !get_block_cam(const_cast<GeometryBlock*>(block), &p) || p.operation == CAM_OP_DRAWING_AID)
    return "This item is\na drawing aid.";
  if (item_type(item) == ITEM_POINT)
    return formatted(
        "CAM op: \f%s\nMachining group: \v%d\n       Sequence: \v%d\n\n   Tool number: \v%d\n  "
        "       Depth: \v%.4f\n Peck distance: \v%.4f\n",
        operation_name(p.operation + CAM_NAME_DRILL_BASE), p.machining_group, p.machining_order,
        p.finishing.tool_number, p.finishing.cut_depth, p.peck_distance);
  if (p.operation == CAM_OP_ISLAND) {
    if (p.machining_group == 0)
      return "\fThis is an Island\n\nIt doesn't belong to\nany machining group.\n";
    return formatted("\fThis is an Island\n\nMachining group: \v%d\n", p.machining_group);
  }
  return cam_summary_text(p);
}

void item_info_text(const DrawingItem* item, bool as_reference) {
  const std::string text = item_info_string(item);
  if (as_reference) help_box_text((REFERENCE_HEADING + text).c_str());
  else lower_help_text((TARGET_HEADING + text).c_str());
}

// ---- Closing an open polyline -----------------------------------------------------------------

bool close_for_area_operation(DrawingItem** item) {
  DrawingItem* it = *item;
  if (item_type(it) != ITEM_POLYLINE || item_is_closed(it)) return true;
  LinkRecord* nodes = item_nodes(it);
  const int32_t links = item_link_count(it);
  if (nodes == nullptr || links < 1) return false;
  LinkRecord& first = nodes[0];
  LinkRecord& last = nodes[links];
  const double gap = std::hypot(last.point.x - first.point.x, last.point.y - first.point.y);
  if (gap <= CLOSE_ENDS_DISTANCE) {
    // Ends this close are one node already: made equal, the item is closed as it stands.
    last.point = first.point;
    first.node_flags = static_cast<uint8_t>(first.node_flags | NODE_LOOSE);
    item_bounding_boxes(it);
    return true;
  }
  show_prompt(CAM_CLOSE_CHECK_TEXT);
  const int joined = auto_join_item(it);
  if (joined < 1) {
    get_message(joined == 0 ? MSG_NO_CLOSED_LOOP : MSG_CLOSED_LOOP_AMBIGUOUS);
    return false;
  }
  *item = g_lists.current.last;  // the joined item ends the list
  return item_is_closed(*item);
}

// ---- The pickers ----------------------------------------------------------------------------------

int copy_cam_to_marked() {
  if (pick_reference(MARKED_SOURCE_PROMPT) == nullptr) return 0;
  int count = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!selected(item) || item_block(item) == nullptr || !on_visible_layer(item)) continue;
    if ((item_flags(item) & (ITEM_FLAG_MARKED | ITEM_FLAG_HAS_MARKED_NODES)) == 0) continue;
    if (item_store_cam(item) == 0) ++count;
  }
  if (count > 0) mark_machining_changed();
  show_text_box(formatted("Set %d items.", count).c_str(), TEXTBOX_PRESS_A_KEY);
  return count;
}

int copy_cam_to_picked() {
  const DrawingItem* reference = pick_reference(PICKED_SOURCE_PROMPT);
  if (reference == nullptr) return 0;
  const CamParams settings = g_cam_settings.params;
  int count = 0;
  ItemPicker p;
  p.prompt = PICKED_TARGET_PROMPT;
  p.hover = [&reference](const DrawingItem* item) {
    if (item == nullptr) return;
    if (item == reference) lower_help_text((TARGET_HEADING + std::string(THIS_IS_REFERENCE_TEXT)).c_str());
    else item_info_text(item, false);
  };
  p.pick = [&](DrawingItem* item) {
    g_cam_settings.params = settings;
    if (settings.operation > CAM_OP_CONTOUR_OUTSIDE) {
      // An area operation needs a closed outline: the item is closed first where it can be.
      DrawingItem* target = item;
      if (!close_for_area_operation(&target)) return PickStep::GO_ON;
      item = target;
    }
    if (item_store_cam(item) == 0) {
      ++count;
      mark_machining_changed();
      show_corner_status("Did it.");
    }
    return PickStep::GO_ON;
  };
  p.box = [&](PointF low, PointF high) {
    g_cam_settings.params = settings;
    int boxed = 0;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (item == reference || !selected(item) || !machined(item) || !on_visible_layer(item)) continue;
      if (!inside_box(item, low, high)) continue;
      if (item_store_cam(item) == 0) ++boxed;
    }
    if (boxed > 0) mark_machining_changed();
    count += boxed;
    show_text_box(formatted("Set %d items.", boxed).c_str(), TEXTBOX_PRESS_A_KEY);
  };
  run_item_picker(p);
  return count;
}

int mark_drawing_aids() {
  int count = 0;
  ItemPicker p;
  p.prompt = DRAWING_AIDS_PROMPT;
  p.hover = [](const DrawingItem* item) {
    if (item != nullptr) item_info_text(item, true);
  };
  p.pick = [&count](DrawingItem* item) {
    if (remove_item_cam(item) == 1) {
      ++count;
      mark_machining_changed();
    }
    return PickStep::GO_ON;
  };
  p.box = [&count](PointF low, PointF high) {
    int boxed = 0;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (!selected(item) || !machined(item) || !on_visible_layer(item)) continue;
      if (!inside_box(item, low, high)) continue;
      if (remove_item_cam(item) == 1) ++boxed;
    }
    if (boxed > 0) mark_machining_changed();
    count += boxed;
    show_text_box(formatted("Set %d items.", boxed).c_str(), TEXTBOX_PRESS_A_KEY);
  };
  run_item_picker(p);
  return count;
}

int take_defaults_from_item(int command) {
  if (command < COMMAND_TEXT_CENTERLINE || command > COMMAND_TEXT_LAYOUT) return 0;
  const bool layout = command == COMMAND_TEXT_LAYOUT;
  const int for_drawing = command >= COMMAND_DRAWING_CENTERLINE && !layout ? 1 : 0;
  const int kind = layout ? 0 : (command - COMMAND_TEXT_CENTERLINE) % 3;
  const auto matches = [&](const DrawingItem* item) {
    if (layout) return item_is_text(item);
    return cam_kind_matches(item, for_drawing, kind) == 0;
  };
  bool taken = false;
  ItemPicker p;
  if (layout) {
    p.prompt = TEXT_DEFAULTS_PROMPT;
  } else {
    const char* family = for_drawing != 0 ? "geometry" : "text";
    const char* kind_name = operation_name(CAM_NAME_KIND_BASE + kind);
    p.prompt = formatted(DEFAULTS_PROMPT, family, kind_name, family, kind_name);
  }
  p.hover = [&](const DrawingItem* item) {
    if (item == nullptr) return;
    if (matches(item)) item_info_text(item, true);
    else help_box_text(layout ? SELECT_TEXT_TEXT : WRONG_KIND_TEXT);
  };
  p.pick = [&](DrawingItem* item) {
    if (!matches(item)) return PickStep::GO_ON;
    taken = layout ? store_text_defaults(item) : store_cam_defaults(item, for_drawing, kind);
    return taken ? PickStep::END : PickStep::GO_ON;
  };
  run_item_picker(p);
  return taken ? 1 : 0;
}

void connect_machining_pickers() {
  DrawingCommandEntries& c = g_drawing_commands;
  c.copy_cam_to_marked = copy_cam_to_marked;
  c.copy_cam_to_picked = copy_cam_to_picked;
  c.mark_drawing_aids = mark_drawing_aids;
  c.take_defaults_from_item = take_defaults_from_item;
}
