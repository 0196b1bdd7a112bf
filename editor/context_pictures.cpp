#include "editor/context_pictures.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/drawing_page_state.h"
#include "editor/editor_page.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/page_strip.h"
#include "geometry/node_surgery.h"
#include "platform/pump.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/tick_clock.h"
#include "store/picture_numbers.h"
#include "text/text_layout.h"
#include "ui/message_box.h"
#include "ui/picture_menu.h"
#include "ui/text_window.h"

namespace {

// The node-editor commands of menu 117 (its 24 cells are the first 24) and the context
// pictures of all 28.
constexpr CommandCell NODE_CELLS[] = {
    {802, 68}, {803, 65}, {804, 61}, {849, 1},  {806, 53}, {807, 54}, {808, 63},
    {805, 81}, {810, 55}, {811, 70}, {812, 60}, {809, 77}, {814, 56}, {815, 57},
    {816, 62}, {813, 82}, {818, 58}, {819, 71}, {820, 59}, {817, 84}, {874, 78},
    {875, 97}, {821, 80}, {866, 98}, {822, 45}, {823, 106}, {824, 43}, {825, 47},
};
constexpr int NODE_MENU_CELLS = 24;
constexpr CommandCell TEXT_CELLS[] = {
    {802, 68}, {810, 55}, {803, 65}, {811, 70}, {804, 61}, {815, 57}, {822, 45},
    {807, 54}, {823, 106}, {816, 62}, {824, 43}, {820, 59}, {825, 47}, {812, 60},
};
constexpr int TEXT_MENU_ROWS = 7;
constexpr int TEXT_MENU_COLUMNS = 2;
constexpr int NODE_MENU_ROWS = 6;
constexpr int NODE_MENU_COLUMNS = 4;
constexpr int TOOL_MENU_ROWS = 4;
constexpr int TOOL_MENU_COLUMNS = 4;
constexpr int CHANGE_MENU_CELL = 3;
// Text cells whose commands are not ready: spacing, stretch and warp.
constexpr int TEXT_CELLS_NOT_READY[] = {8, 10, 12};

constexpr int16_t COMMAND_STRAIGHTEN = 821;
constexpr int16_t COMMAND_LOOSE_OR_TANGENT = 813;
constexpr int16_t COMMAND_BREAK = 809;
constexpr int16_t COMMAND_POLYGON_TOOL = 761;
constexpr uint8_t PICTURE_PAN = 32;
constexpr int32_t PAN_BOX_MODE = 0xC0008;
// A right press becomes a pan after this many timer ticks, or this much travel in cell widths.
constexpr int16_t HOLD_TICKS = 4;
constexpr int PAN_TRAVEL_CELLS = 6;

bool is_link_pick(int k) { return k >= 0 && (k & 0x30) != 0; }

uint8_t default_picture(int k, uint8_t type, int32_t link_index) {
  if (k == PICK_CENTRE) {
    if (type == ITEM_RECTANGLE || type == ITEM_TEXT || type == ITEM_ELLIPSE) return 61;
    if (type == ITEM_POLYGON) return 69;
    return 64;
  }
  if (is_link_pick(k)) return 65;
  if (type == ITEM_RECTANGLE || type == ITEM_TEXT) return 68;
  if (k == PICK_START_NODE) return link_index == 0 ? 67 : 68;
  return 66;
}

bool in(int16_t l, std::initializer_list<int16_t> list) {
  for (int16_t v : list)
    if (v == l) return true;
  return false;
}

// The octant (0-7, 45 degrees each, counter-clockwise from +x) of the step from a to b; exact
// on the boundaries, so a step of exactly 45 degrees lies in octant 1. No step: octant 0.
int step_octant(PointF a, PointF b) {
  const double dx = static_cast<double>(b.x) - a.x;
  const double dy = static_cast<double>(b.y) - a.y;
  const double ax = std::fabs(dx);
  const double ay = std::fabs(dy);
  if (dx > 0 && dy >= 0) return ay < ax ? 0 : 1;
  if (dx <= 0 && dy > 0) return ax < ay ? 2 : 3;
  if (dx < 0 && dy <= 0) return ay < ax ? 4 : 5;
  if (dx >= 0 && dy < 0) return ax < ay ? 6 : 7;
  return 0;
}

uint8_t straighten_picture(PointF from, PointF to) {
  switch (step_octant(from, to)) {
    case 0:
    case 3:
    case 4:
    case 7: return CONTEXT_STRAIGHTEN_ALONG_X;
    default: return CONTEXT_STRAIGHTEN_ALONG_Y;
  }
}

bool text_is_vertical(DrawingItem* item) {
  const uint8_t* bytes = block_text_layout(item_block(item));
  if (bytes == nullptr) return false;
  TextLayout layout;
  read_text_layout(bytes, &layout);
  return (layout.flags & 2) != 0;
}

// The rules in their order; `keep` when no rule gives a picture.
uint8_t context_picture(uint8_t keep) {
  const HoverState& h = g_hover;
  DrawingItem* item = h.hover_item;
  if (item == nullptr || item->extra.empty() || h.hover_link == nullptr) return keep;
  const int16_t l = g_button_bindings.current[BUTTON_LEFT_BIT];
  const int k = h.pick_kind;
  const uint8_t t = item_type(item);
  const LinkRecord* link = h.hover_link;
  const uint8_t fallback = default_picture(k, t, h.link_index);
  if (l == 802 || (l == 807 && (k == PICK_CENTRE || !is_link_pick(k)))) return fallback;
  if ((t == ITEM_ELLIPSE || t == ITEM_TEXT_LIKE) &&
      !in(l, {804, 807, 808, 810, 811, 812, 816, 818, 819, 820, 869, 870}))
    return fallback;
  if (l == 814 && (t == ITEM_RECTANGLE || (t == ITEM_TEXT && !text_is_vertical(item)))) return 57;
  if (t == ITEM_SLOT && (l == 814 || l == 815)) return CONTEXT_CANNOT;
  if (k <= 2 && (l == 803 || l == 811)) return CONTEXT_CANNOT;
  if (k >= 1 && k <= 2) {
    if (l == COMMAND_LOOSE_OR_TANGENT)
      return (link->node_flags & NODE_TANGENT) != 0 ? CONTEXT_NODE_TANGENT : CONTEXT_NODE_LOOSE;
    if (l == COMMAND_BREAK) return 77;
    if (l == COMMAND_STRAIGHTEN) {
      const LinkRecord* first = item_nodes(item);
      if (h.link_index == 0 && k == PICK_START_NODE && (first->node_flags & NODE_SYMMETRY_MASK) != 0 &&
          item_link_count(item) > 1)
        return straighten_picture(link->point, link[1].point);
      return CONTEXT_CANNOT;
    }
  }
  if (k <= 0 && in(l, {COMMAND_BREAK, 811, COMMAND_LOOSE_OR_TANGENT, COMMAND_STRAIGHTEN}))
    return CONTEXT_CANNOT;
  if (k > 2 && l == COMMAND_BREAK) return 96;
  if (l == COMMAND_STRAIGHTEN) return straighten_picture(link->point, link[1].point);
  const uint8_t picture = node_command_picture(l);
  return picture != 0 ? picture : keep;
}

void bind_in(int16_t* record, int button, int16_t command) {
  record[button] = command;
}

// A right press held or moved far enough pans: true when it did.
bool pan_instead() {
  g_clock.counter_a = -HOLD_TICKS;
  int travel = 0;
  const int limit = PAN_TRAVEL_CELLS * g_display.current.cell_width;
  while (g_pointer.button_bits != 0) {
    // Time passes while the button is held, so that holding it still turns into a pan.
    if (poll_input_code(0) == 0) pump_wait(static_cast<int>(TICK_MS));
    int dx = 0, dy = 0;
    mouse_delta(&dx, &dy);
    travel += std::abs(dx) + std::abs(dy);
    if (travel > limit || g_clock.counter_a > 0) {
      pan_by_dragged_line(PAN_BOX_MODE, PICTURE_PAN);
      return true;
    }
    update_ticks();
    if (g_events.quit_requested) return false;
  }
  return false;
}

PagePass tools_menu() {
  ButtonBindings& b = g_button_bindings;
  const int cell = picture_grid_menu(PICTURE_DRAWING_TOOLS_MENU, TOOL_MENU_ROWS, TOOL_MENU_COLUMNS,
                                     g_pointer.wanted_x, g_pointer.wanted_y, 1, 0, 0);
  show_status_line("");
  if (cell >= 0) {
    const bool middle = (cell & PICTURE_MENU_MIDDLE) != 0;
    const int16_t command = static_cast<int16_t>(750 + ((cell & ~PICTURE_MENU_MIDDLE) % 32));
    bind_in(b.current, middle ? BUTTON_MIDDLE_BIT : BUTTON_LEFT_BIT, command);
    draw_button_legend(1);
    if (!middle) {
      show_tool_start_prompt();
      set_strip_control_shown(STRIP_SIDES, command == COMMAND_POLYGON_TOOL);
    }
    set_pointer_shape(tool_pointer_picture(b.current[BUTTON_LEFT_BIT]));
  } else {
    draw_button_legend(1);
  }
  g_drawing_page.legend_changed = 1;
  return PagePass::HOVER;
}

PagePass node_menu(bool text) {
  ButtonBindings& b = g_button_bindings;
  const int cell = text ? picture_grid_menu(PICTURE_TEXT_NODE_MENU, TEXT_MENU_ROWS,
                                            TEXT_MENU_COLUMNS, g_pointer.wanted_x,
                                            g_pointer.wanted_y, 0, 0, 0)
                        : picture_grid_menu(PICTURE_NODE_MENU, NODE_MENU_ROWS, NODE_MENU_COLUMNS,
                                            g_pointer.wanted_x, g_pointer.wanted_y, 1, 0, 0);
  if (!text) show_status_line("");
  if (cell < 0) {
    draw_button_legend(1);
    g_drawing_page.legend_changed = 1;
    return PagePass::HOVER;
  }
  const bool middle = (cell & PICTURE_MENU_MIDDLE) != 0;
  const int n = cell & ~PICTURE_MENU_MIDDLE;
  if (text) {
    for (int not_ready : TEXT_CELLS_NOT_READY) {
      if (n != not_ready) continue;
      show_text_box(FUNCTION_NOT_READY_TEXT, TEXTBOX_PRESS_A_KEY);
      return PagePass::SHORT;
    }
  } else if (n == CHANGE_MENU_CELL) {
    return hand_to_edit_command(NODE_CELLS[CHANGE_MENU_CELL].command);
  }
  const int count = text ? static_cast<int>(std::size(TEXT_CELLS)) : NODE_MENU_CELLS;
  if (n >= count) return PagePass::SHORT;
  const CommandCell& chosen = text ? TEXT_CELLS[n] : NODE_CELLS[n];
  bind_in(b.node_editor, middle ? BUTTON_MIDDLE_BIT : BUTTON_LEFT_BIT, chosen.command);
  use_button_record(b.node_editor);
  draw_button_legend(1);
  g_hover.hover_shape = chosen.picture;
  g_drawing_page.editor_pointer_shape = chosen.picture;
  set_pointer_shape(chosen.picture);
  b.drawing[BUTTON_LEFT_BIT] = COMMAND_SELECT_TOOL;
  return PagePass::SHORT;
}

}  // namespace

uint8_t node_command_picture(int16_t command) {
  for (const CommandCell& c : NODE_CELLS)
    if (c.command == command) return c.picture;
  return 0;
}

uint8_t choose_context_picture() {
  HoverState& h = g_hover;
  h.hover_shape = context_picture(h.hover_shape);
  set_pointer_shape(h.hover_shape);
  return h.hover_shape;
}

PagePass right_button_menu(int /*code*/) {
  hide_crosshair();
  if (pan_instead()) return PagePass::FULL;
  HoverState& h = g_hover;
  if (h.pick_kind != 0 && hover_still_valid() != 1) {
    clear_hover_hilite();
    h.hover_item = nullptr;
    h.pick_kind = 0;
    ButtonBindings& b = g_button_bindings;
    use_button_record(b.drawing);
    b.drawing[BUTTON_RIGHT_BIT] = COMMAND_DRAWING_RIGHT;
    close_item_panel();
  }
  hide_pointer();
  clear_legend_band();
  show_status_line(RIGHT_MENU_STATUS_TEXT);
  if (h.hover_item == nullptr || h.pick_kind == 0) return tools_menu();
  return node_menu(item_type(h.hover_item) == ITEM_TEXT);
}
