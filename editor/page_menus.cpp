#include "editor/page_menus.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "cam/item_walkers.h"
#include "cam/machining_order.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/editor_page.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/image_commands.h"
#include "editor/marks.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/pick_prompts.h"
#include "editor/point_picking.h"
#include "editor/rubber_box.h"
#include "editor/text_prompt.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "job/job_statistics.h"
#include "import/import_drawing.h"
#include "records/job_settings.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/catalogue_menu.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/text_window.h"

PageMenus g_page_menus;

namespace {

constexpr int16_t MENU_SELECT = 992;
constexpr int16_t MENU_MOVE = 993;
constexpr int16_t MENU_CANCEL = 994;
constexpr int16_t MENU_NOTHING = 997;
// Drop-down menus stand with their top at row 5 (given to place_window as -6).
constexpr int DROP_DOWN_ROW = -6;
constexpr int FILE_MENU_COLUMN = 2;
constexpr int TITLE_ROW = 4;
constexpr int TITLE_COLUMN = -4;
constexpr char PRODUCT_TITLE[] = "Brenvik";
constexpr uint8_t SHADING_RESTORES_BACKGROUND = 3;
constexpr uint32_t COUNT_STYLE = TEXTBOX_TIMED | TEXTBOX_SCREEN_CENTRE | 0x10;  // 0x28010

constexpr char RESTORE_MARKS_QUESTION[] = "Nothing is marked; want to restore your previous marks?";
constexpr char ORIGIN_PROMPT[] =
    "Select the point to become X0,Y0, or type its coordinates.\n\vS\x13: \vs\x13nap menu";
constexpr char POINT_VALUES_PROMPT[] =
    "Select the point that you want to set the X,Y value for,\nor type its coordinates.\n"
    "\vS\x13: \vs\x13nap menu";
constexpr char NEW_TEXT_PROMPT[] = "Type the text you want to engrave.\nPress \vENTER\x13 when finished.";
constexpr char PLACE_TEXT_PROMPT[] = "Place text in drawing and set its size";
constexpr char NO_LINKS_OF_TYPE[] = "No links of that type in drawing";
constexpr char CONVERTED_FORMAT[] = "Converted %d links.";
constexpr char REORDERED_FORMAT[] = "Re-ordered %d items.";
constexpr char RESEQUENCED_FORMAT[] = "Re-sequenced %d groups";
constexpr char NOTHING_MACHINABLE[] = "Nothing is set for machining, so nothing needs re-ordering.";
constexpr char NO_HEIGHT_TEXT[] = "The items have no height, so they cannot be scaled to one.";
constexpr char NO_WIDTH_TEXT[] = "The items have no width, so they cannot be scaled to a length.";
constexpr char LENGTH_LABEL[] = "Length";

constexpr uint8_t POINTER_NEW_TEXT = 33;
constexpr uint8_t POINTER_VIEW_CENTRE = 108;
constexpr int32_t NEW_TEXT_BOX_MODE = 0x20002;
constexpr int FACTOR_FIELD_WIDTH = 12;
constexpr int TEXT_BUFFER_BYTES = 2000;
constexpr double DEGREES = 3.14159265358979323846 / 180.0;
constexpr int CENTRELINE_CUT = 1;
constexpr int EMAIL_THE_JOB = 68;
constexpr uint32_t SAVE_FROM_DRAWING_PAGE = 0x80000;

struct MenuPlan {
  int message;
  int placement;
  uint8_t control;  // the page strip's control it opens under, 0 none
};

MenuPlan plan_of(PageMenu menu) {
  switch (menu) {
    case PageMenu::MAIN: return {MSG_MENU_DRAWING_MAIN, MENU_PLACEMENT_PAGE, 0};
    case PageMenu::FILE: return {MSG_MENU_FILE, MENU_PLACEMENT_BAR, 0};
    case PageMenu::EDIT: return {MSG_MENU_EDIT, MENU_PLACEMENT_BAR, STRIP_EDIT};
    case PageMenu::DRAW: return {MSG_MENU_DRAW, MENU_PLACEMENT_BAR, STRIP_DRAW};
    case PageMenu::IMAGE: return {MSG_MENU_IMAGE, MENU_PLACEMENT_BAR, STRIP_IMAGE};
    case PageMenu::MARKS: return {MSG_MENU_MARKS, MENU_PLACEMENT_BAR, STRIP_MARKS};
  }
  return {MSG_MENU_DRAWING_MAIN, MENU_PLACEMENT_PAGE, 0};
}

TextLine*& slot_of(PageMenu menu) {
  switch (menu) {
    case PageMenu::MAIN: return g_page_menus.main;
    case PageMenu::FILE: return g_page_menus.file;
    case PageMenu::EDIT: return g_page_menus.edit;
    case PageMenu::DRAW: return g_page_menus.draw;
    case PageMenu::IMAGE: return g_page_menus.image;
    case PageMenu::MARKS: return g_page_menus.marks;
  }
  return g_page_menus.main;
}

// The menu stands below its control, one column right of the control's first cell.
int column_under(uint8_t control) {
  const ScreenControl* c = page_strip_control(control);
  const int cell = g_display.presets[FACE_ROLE_MENU].cell_width;
  if (c == nullptr || cell <= 0) return FILE_MENU_COLUMN;
  return c->x / cell + 1;
}

void raise_redraw_level() {
  if (g_form.redraw_level == 0) g_form.redraw_level = 1;
}

bool redraw_pending() {
  return g_form.redraw_level != 0 || g_drawing_page.full_redraw != 0 ||
         g_drawing_page.redraw_request != 0;
}

// After the main and Marks menus the drawing is drawn again unless the menu's background was
// put back.
void request_full_redraw_after_menu() {
  if (g_interface.shading_style != SHADING_RESTORES_BACKGROUND || redraw_pending())
    g_drawing_page.full_redraw = 1;
}

int file_menu(int option) {
  if (g_page_entries.file_menu_command == nullptr) {
    show_missing_command_notice();
    return 0;
  }
  return g_page_entries.file_menu_command(option);
}

template <typename... A>
int call(int (*command)(A...), A... arguments) {
  if (command == nullptr) {
    show_missing_command_notice();
    return 0;
  }
  return command(arguments...);
}

void show_count(const char* format, int n) {
  char text[96];
  std::snprintf(text, sizeof text, format, n);
  show_text_box(text, COUNT_STYLE);
}

void report_reorder(int count) {
  if (count >= 0) show_count(REORDERED_FORMAT, count);
  else if (count != -KEY_ESC) show_text_box(NOTHING_MACHINABLE, TEXTBOX_PRESS_A_KEY);
}

PointF extents_centre() {
  const ViewState& v = g_view;
  return {(v.extent_min_x + v.extent_max_x) * 0.5f, (v.extent_min_y + v.extent_max_y) * 0.5f};
}

// Asks for a number with a catalogue message: true with the value in *value, false when
// cancelled. The scaling commands refuse a value of 0 or below themselves, with a message.
bool ask_number(int message, float* value, const char* label = nullptr) {
  get_message(message);
  const std::string text = message_text();
  *value = 0.0f;
  const int result = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 40, text.c_str(), FIELD_FLOAT,
                                 value, FACTOR_FIELD_WIDTH, nullptr, 0, label);
  return result != KEY_ESC && result != EVENT_QUIT;
}

// Scales every item about the centre of the extents; a growth refits the view.
PagePass scale_all_by(float factor) {
  if (call(g_drawing_commands.scale_all_items, factor, extents_centre()) == 0)
    return PagePass::FULL;
  if (factor > 1.0f) g_job_settings.view_fitted = VIEW_FITTED;
  g_drawing_page.extents_request = 1;
  return PagePass::FULL;
}

PagePass scale_to_size(bool height) {
  const ViewState& v = g_view;
  const float size = height ? v.item_extent_max.y - v.item_extent_min.y
                            : v.item_extent_max.x - v.item_extent_min.x;
  float wanted = 0.0f;
  if (!ask_number(height ? MSG_PROMPT_SCALE_HEIGHT : MSG_PROMPT_SCALE_LENGTH, &wanted,
                           height ? nullptr : LENGTH_LABEL))
    return PagePass::FULL;
  // Items without a height (or width) cannot be scaled to one: a division by nothing.
  if (!(size > 0.0f)) {
    show_text_box(height ? NO_HEIGHT_TEXT : NO_WIDTH_TEXT, TEXTBOX_PRESS_A_KEY);
    return PagePass::FULL;
  }
  return scale_all_by(wanted / size);
}

PagePass option_zoom_to_link() {
  if (g_hover.highlighted_link == nullptr) {
    get_message(MSG_NO_HIGHLIGHTED_LINK);
    return PagePass::SHORT;
  }
  zoom_to_highlighted_link();
  return PagePass::FULL;
}

PagePass origin_to_picked_point(bool ask_values) {
  show_prompt(ask_values ? POINT_VALUES_PROMPT : ORIGIN_PROMPT);
  if (pick_point() != PICK_POINT_TAKEN) return PagePass::FULL;
  g_hover.cursor_point = g_point_picking.picked_point;
  if (!ask_values) {
    move_origin(0.0f, 0.0f);
    return PagePass::FULL;
  }
  PointF values = g_point_picking.picked_point;
  if (call(g_drawing_commands.run_origin_dialog, &values) != 0) move_origin(values.x, values.y);
  return PagePass::FULL;
}

PagePass option_new_text() {
  show_prompt(NEW_TEXT_PROMPT);
  std::string text;
  text.reserve(TEXT_BUFFER_BYTES);
  if (!prompt_engraving_text(&text) || text.empty()) return PagePass::FULL;
  show_prompt(PLACE_TEXT_PROMPT);
  set_pointer_shape(POINTER_NEW_TEXT);
  return new_text_by_box(NEW_TEXT_BOX_MODE, text.c_str(), 0);
}

PagePass option_centre_view() {
  get_message(MSG_PROMPT_VIEW_CENTRE);
  show_prompt(message_text());
  set_pointer_shape(POINTER_VIEW_CENTRE);
  if (pick_point() == PICK_POINT_TAKEN) centre_view_on(g_point_picking.picked_point);
  return PagePass::FULL;
}

PagePass option_new_point() {
  const ViewState& v = g_view;
  g_hover.pick_kind = 0;
  g_hover.cursor_point = {(v.view_left + v.view_right) * 0.5f, (v.view_bottom + v.view_top) * 0.5f};
  DrawingItem* before = g_lists.current.last;
  if (g_drawing_commands.new_point_with_cam_op == nullptr) {
    show_missing_command_notice();
    return PagePass::FULL;
  }
  g_drawing_commands.new_point_with_cam_op(CENTRELINE_CUT);
  DrawingItem* item = g_lists.current.last;
  if (item == nullptr || item == before || item->extra.empty()) return PagePass::FULL;
  HoverState& h = g_hover;
  h.hover_item = item;
  h.hover_link = item_nodes(item);
  h.link_index = 0;
  h.pick_kind = PICK_START_NODE;
  return edit_machining_panel(false);
}

PagePass option_recode(float code) {
  const int n = recode_all_lines(code);
  if (n == 0) show_text_box(NO_LINKS_OF_TYPE, TEXTBOX_PRESS_A_KEY);
  else show_count(CONVERTED_FORMAT, n);
  if (n > 0) mark_job_changed();
  g_drawing_page.extents_request = 1;
  return PagePass::FULL;
}

PagePass option_rotate_all_quarters(int quarters) {
  const float angle = static_cast<float>(quarters * 90 * DEGREES);
  call(g_drawing_commands.rotate_all_items, angle, 1, extents_centre());
  g_drawing_page.extents_request = 1;
  return PagePass::FULL;
}

PagePass option_rotate_all() {
  wait_buttons_released();
  PointF centre = extents_centre();
  float angle = 0.0f;
  int include = 0;
  if (call(g_drawing_commands.run_rotate_all_dialog, &centre, &angle, &include) != 0)
    call(g_drawing_commands.rotate_all_items, static_cast<float>(angle * DEGREES), include,
         centre);
  g_drawing_page.extents_request = 1;
  return PagePass::FULL;
}

PagePass option_mirror_all() {
  PointF centre = extents_centre();
  float angle = 0.0f;
  int mode = 0;
  if (call(g_drawing_commands.run_mirror_all_dialog, &centre, &angle, &mode) != 0)
    call(g_drawing_commands.mirror_all_items, centre, static_cast<float>(angle * DEGREES), mode);
  g_drawing_page.extents_request = 1;
  return PagePass::FULL;
}

PagePass option_centre_drawing(int option) {
  if (g_job_settings.material_box_shown == 0) {
    get_message(MSG_NO_MATERIAL_BOX);
    return PagePass::FULL;
  }
  centre_drawing(option - 493);
  g_drawing_page.extents_request = 1;
  mark_job_changed();
  return PagePass::FULL;
}

PagePass option_origin_at_extents(int option) {
  const ViewState& v = g_view;
  if (option == 131) {
    g_hover.cursor_point = extents_centre();
    move_origin(0.0f, 0.0f);
  } else {
    g_hover.cursor_point = {0.0f, 0.0f};
    move_origin(-v.extent_min_x, option == 132 ? -v.extent_max_y : -v.extent_min_y);
  }
  return PagePass::FULL;
}

PagePass option_fuse() {
  close_item_panel();
  if (call(g_drawing_commands.fuse_loops) >= 1) report_geometry_fault();
  return PagePass::FULL;
}

PagePass option_print() {
  call(g_drawing_commands.print_drawing);
  g_job_settings.view_fitted = VIEW_FITTED;
  g_walker.path_output_mode = 0;
  g_view.drawing_page_active = 1;
  raise_redraw_level();
  return PagePass::FULL;
}

PagePass option_image(int option) {
  switch (run_image_option(option)) {
    case ImageResult::SHORT_PASS: return PagePass::SHORT;
    case ImageResult::IMAGE_CHANGE:
      g_drawing_page.extents_request = 1;
      return PagePass::FULL;
    case ImageResult::MODE: return PagePass::SHORT;
  }
  return PagePass::SHORT;
}

// Copies every marked item into the emptied item clipboard; the copies lose their marks.
void marked_items_to_clipboard() {
  empty_item_clipboard();
  DrawingItem* stop = g_lists.current.last;
  for (DrawingItem* item = g_lists.current.first; item != nullptr;) {
    DrawingItem* next = item == stop ? nullptr : item->next;
    if ((item_flags(item) & ITEM_FLAG_MARKED) != 0 && !item->extra.empty() &&
        copy_item_with_extra_links(item, 0) == 0) {
      DrawingItem* copy = g_lists.current.last;
      clear_item_marks(copy);
      move_to_item_clipboard(copy);
    }
    item = next;
  }
}

PagePass marks_command(uint8_t mask, int code) {
  if (mask != 0) g_edit.selection_mask = mask;
  edit_command(code);
  return PagePass::FULL;
}

}  // namespace

TextLine* page_menu_window(PageMenu menu) {
  TextLine*& slot = slot_of(menu);
  if (slot == nullptr) {
    const MenuPlan plan = plan_of(menu);
    slot = menu_from_catalogue(nullptr, plan.placement, plan.message);
  }
  return slot;
}

TextLine* change_menu_window() {
  if (g_page_menus.change == nullptr)
    g_page_menus.change = menu_from_catalogue(nullptr, MENU_PLACEMENT_BAR, MSG_MENU_CHANGE);
  return g_page_menus.change;
}

int run_page_menu(PageMenu menu, bool opened_by_click) {
  TextLine* window = page_menu_window(menu);
  if (window == nullptr) return 0;
  const MenuPlan plan = plan_of(menu);
  hide_pointer();
  hide_crosshair();
  button_commands_set(MENU_SELECT, menu == PageMenu::IMAGE ? MENU_MOVE : MENU_NOTHING, MENU_CANCEL);
  int row = 0;
  int column = 0;
  if (menu == PageMenu::FILE) {
    row = DROP_DOWN_ROW;
    column = FILE_MENU_COLUMN;
  } else if (plan.control != 0) {
    row = DROP_DOWN_ROW;
    column = column_under(plan.control);
  }
  const PointF cursor = g_hover.cursor_point;
  if (menu == PageMenu::MAIN) draw_tiny_text(TITLE_ROW, TITLE_COLUMN, PRODUCT_TITLE);
  const int option = run_catalogue_menu(window, row, column);
  button_commands_pop();
  draw_button_legend(1);
  if (menu == PageMenu::MAIN || menu == PageMenu::MARKS) {
    g_hover.cursor_point = cursor;
    if (opened_by_click || menu == PageMenu::MARKS) update_cursor_point();
    request_full_redraw_after_menu();
  }
  return option;
}

PagePass open_page_menu(PageMenu menu, bool opened_by_click) {
  if (menu == PageMenu::MARKS) return open_marks_menu();
  close_item_panel();
  const int option = run_page_menu(menu, opened_by_click);
  if (option == 0) {
    if (menu != PageMenu::MAIN) return PagePass::SHORT;
    g_drawing_page.legend_changed = 1;
    return PagePass::HOVER;
  }
  if (menu == PageMenu::IMAGE) return option_image(option);
  return run_main_option(option);
}

PagePass open_marks_menu() {
  if ((marks_summary_bits() & (MARKS_ITEMS | MARKS_NODES)) == 0) {
    if (ask_yes_no(RESTORE_MARKS_QUESTION, 0) == 1) {
      restore_saved_marks();
      show_marks_control();
    }
    return PagePass::SHORT;
  }
  close_item_panel();
  const int option = run_page_menu(PageMenu::MARKS, true);
  if (option == 0) return PagePass::SHORT;
  return run_marks_option(option);
}

PagePass run_main_option(int option, bool skip_first_step) {
  if (option == 115) return option_zoom_to_link();
  close_item_panel();
  if (redraw_pending()) {
    clear_drawing_area();
    draw_all_items();
  }
  DrawingCommandEntries& c = g_drawing_commands;
  if ((option >= 423 && option <= 430) || option == 7 || option == 41 || option == 43 ||
      option == 44 || option == 49 || option == 60 || option == 61 || option == 120) {
    file_menu(option);
    update_cursor_point();
    raise_redraw_level();
    return PagePass::SHORT;
  }
  if (option == 14 || option == 16 || option == 17) {
    file_menu(option);
    raise_redraw_level();
    return PagePass::SHORT;
  }
  if ((option >= 20 && option <= 22) || option == 104) {
    g_job_settings.view_fitted = VIEW_FITTED;
    file_menu(option);
    raise_redraw_level();
    g_drawing_page.extents_request = 1;
    return PagePass::FULL;
  }
  if (option == 8 || option == 10 || option == 11 || option == 18 || option == 32 ||
      option == 65 || option == 68 || (option >= 111 && option <= 114) || option == 162 ||
      (option >= 165 && option <= 169) || option == 431 || option == 449 || option == 450) {
    file_menu(option);
    g_drawing_page.extents_request = 1;
    return PagePass::FULL;
  }
  if (option >= 140 && option <= 150) {
    edit_command(option);
    return PagePass::FULL;
  }
  if (option >= 190 && option <= 192) return option_rotate_all_quarters(option - 189);
  if (option >= 453 && option <= 459) {
    call(c.take_defaults_from_item, option);
    raise_redraw_level();
    return PagePass::FULL;
  }
  if (option >= 471 && option <= 489) return option_image(option);
  if (option >= 494 && option <= 496) return option_centre_drawing(option);
  switch (option) {
    case 5: return option_print();
    case 102: return origin_to_picked_point(false);
    case 103: return origin_to_picked_point(true);
    case 105:
    case 117:
      file_menu(option);
      mark_job_changed();
      g_drawing_page.extents_request = 1;
      return PagePass::FULL;
    case 106: g_job_settings.view_fitted = VIEW_FITTED; return PagePass::FULL;
    case 107: return zoom_to_dragged_window(skip_first_step);
    case 108: return pan_by_dragged_line(RUBBER_DIRECTED, 32);
    case 109: zoom_by(0.75f); return PagePass::FULL;
    case 110: zoom_by(1.25f); return PagePass::FULL;
    case 116: return PagePass::FULL;
    case 118: get_message(MSG_OPTION_NOT_IN_MENUS); return PagePass::FULL;
    case 119:
      if (g_drawing_page.clipboard.first == nullptr) {
        get_message(MSG_CLIPBOARD_EMPTY);
        return PagePass::FULL;
      }
      return paste_from_clipboard();
    case 121: return option_centre_view();
    case 126: {
      float factor = 0.0f;
      if (!ask_number(MSG_PROMPT_SCALE_FACTOR, &factor)) return PagePass::FULL;
      return scale_all_by(factor);
    }
    case 127: return option_rotate_all();
    case 128: return option_mirror_all();
    case 129: return scale_to_size(true);
    case 130: return scale_to_size(false);
    case 131:
    case 132:
    case 133: return option_origin_at_extents(option);
    case 151: return option_new_text();
    case 160: call(c.batch_join_command); return PagePass::FULL;
    case 161: call(c.separate_command); return PagePass::FULL;
    case 164:
      if (call(c.copy_cam_to_picked) >= 1) mark_job_changed();
      return PagePass::FULL;
    case 170: call(c.offset_command); return PagePass::FULL;
    case 171: call(c.fillet_command); return PagePass::FULL;
    case 172:
      if (pick_separable_item() != nullptr) edit_command(115);
      return PagePass::FULL;
    case 174:
      if (call(c.drill_points_command) >= 1) mark_job_changed();
      return PagePass::FULL;
    case 175: call(c.trim_extend_command); return PagePass::FULL;
    case 176:
      g_hover.hover_item = nullptr;
      g_hover.pick_kind = 0;
      if (pick_item(VERB_MIRROR) == 0) call(c.mirror_by_values_command, 0);
      return PagePass::FULL;
    case 177: return option_fuse();
    case 178: call(c.move_command); return PagePass::FULL;
    case 179:
      if (pick_link(VERB_BREAK) == 0) edit_command(929);
      return PagePass::FULL;
    case 180:
      if (call(c.mark_drawing_aids) != 0) mark_job_changed();
      return PagePass::FULL;
    case 181: call(c.check_tool_diameters); return PagePass::FULL;
    case 186:
      if (pick_link(VERB_INSERT_NODE) == 0) edit_command(903);
      return PagePass::FULL;
    case 187:
      if (pick_link(VERB_DIVIDE) == 0) edit_command('<');
      return PagePass::FULL;
    case 188:
      if (pick_node(VERB_MOVE_TO_POINT) == 0) {
        help_box_text(nullptr);
        get_message(MSG_PROMPT_MOVE_NODE_TO_POINT);
        show_prompt(message_text());
        edit_command('m');
      }
      return PagePass::FULL;
    case 193: return option_recode(LINK_FLEXIBLE_LINE);
    case 194: return option_recode(LINK_RIGID_LINE);
    case 195: show_job_statistics(nullptr, g_import.template_items.first != nullptr); return PagePass::FULL;
    case 200: return option_new_point();
    case 441: report_reorder(call(c.reorder_items_command)); return PagePass::FULL;
    case 442: show_count(RESEQUENCED_FORMAT, space_machining_groups(10)); return PagePass::FULL;
    case 447: report_reorder(renumber_machining_order()); return PagePass::FULL;
    case 448:
      if (g_page_entries.save_job != nullptr) g_page_entries.save_job(SAVE_FROM_DRAWING_PAGE);
      else show_missing_command_notice();
      return PagePass::FULL;
    case 452:
      if (call(c.move_machining_group) >= 1) mark_job_changed();
      return PagePass::FULL;
    case 463:
    case 464:
      call(c.machining_order_command, option - 463);
      mark_job_changed();
      return PagePass::FULL;
    case 493: call(c.email_file, EMAIL_THE_JOB); return PagePass::FULL;
    default: return PagePass::FULL;
  }
}

PagePass run_marks_option(int option) {
  close_item_panel();
  DrawingCommandEntries& c = g_drawing_commands;
  switch (option) {
    case 1: return marks_command(ITEM_FLAG_MARKED, 913);
    case 2: return marks_command(0, 917);
    case 3: return marks_command(ITEM_FLAG_MARKED, 918);
    case 4: return marks_command(ITEM_FLAG_MARKED, 915);
    case 5: return marks_command(ITEM_FLAG_MARKED, 912);
    case 6: return marks_command(ITEM_FLAG_MARKED, 916);
    case 9:
      marked_items_to_clipboard();
      return PagePass::SHORT;
    case 10: return marks_command(0, 914);
    case 11: return marks_command(ITEM_FLAG_HAS_MARKED_NODES, 913);
    case 12: return marks_command(ITEM_FLAG_HAS_MARKED_NODES, 916);
    case 20: return marks_command(ITEM_FLAG_MARKED, 920);
    case 21: return marks_command(ITEM_FLAG_MARKED, 919);
    case 22:
    case 26:
    case 36:
    case 37:
    case 38: call(c.change_items_command, option); return PagePass::SHORT;
    case 23: return marks_command(ITEM_FLAG_MARKED, 922);
    case 24: return marks_command(ITEM_FLAG_MARKED, 923);
    case 25: return marks_command(ITEM_FLAG_MARKED, 921);
    case 27: call(c.copy_cam_to_marked); return PagePass::SHORT;
    case 30:
      if (marks_summary_bits() != 0) {
        clear_marks(MARKS_SAVED_ITEMS);
        show_marks_control();
        redraw_incremental(REDRAW_START);
      }
      return PagePass::SHORT;
    case 31:
      if ((marks_summary_bits() & MARKS_NODES) != 0) {
        marks_summary_bits() &= static_cast<int16_t>(~MARKS_NODES);
        for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
          clear_item_node_marks(item, KEEP_NODE_MARKS);
          marks_summary_bits() |= static_cast<int16_t>(item_flags(item) & MARKS_SAVED_NODES);
        }
        show_marks_control();
        redraw_incremental(REDRAW_START);
      }
      return PagePass::SHORT;
    case 32:
      if ((marks_summary_bits() & MARKS_ITEMS) != 0) {
        marks_summary_bits() &= static_cast<int16_t>(~MARKS_ITEMS);
        for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
          if ((item_flags(item) & ITEM_FLAG_MARKED) == 0) continue;
          set_item_flags(item, (item_flags(item) & ~ITEM_FLAG_MARKED) | ITEM_FLAG_SAVED_MARK);
          marks_summary_bits() |= MARKS_SAVED_ITEMS;
          draw_item_in_colour(item, item_layer(item));
        }
        show_marks_control();
      }
      return PagePass::SHORT;
    case 33:
      clear_marks(0);
      show_marks_control();
      redraw_incremental(REDRAW_START);
      return PagePass::SHORT;
    case 34:
      restore_saved_marks();
      show_marks_control();
      return PagePass::SHORT;
    case 445: call(c.set_machining_group, static_cast<int>(ITEM_FLAG_MARKED)); return PagePass::SHORT;
    default: return PagePass::SHORT;
  }
}

void reset_page_menus() { g_page_menus = PageMenus{}; }
