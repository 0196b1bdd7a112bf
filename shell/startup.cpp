// The application's idle handler, start-up and the entry. The page loop and shutdown are in
// page_loop.cpp and shutdown.cpp.
#include "shell/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "cam/tool_diameter_check.h"
#include "cam/tools.h"
#include "commands/command_state.h"
#include "commands/connect_commands.h"
#include "commands/node_commands.h"
#include "commands/symmetric_polyline.h"
#include "editor/background_image_view.h"
#include "editor/button_bindings.h"
#include "editor/editor_page.h"
#include "editor/image_commands.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/view_state.h"
#include "geometry/bezier.h"
#include "geometry/contour_offset.h"
#include "geometry/drawing_item.h"
#include "geometry/geometry_host.h"
#include "geometry/geometry_settings.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "nc/cam_host.h"
#include "nc/post_processor.h"
#include "pages/item_panel.h"
#include "pages/nc_page.h"
#include "pages/serial_transfer.h"
#include "pages/text_list_page.h"
#include "pages/tool_list_page.h"
#include "pages/utilities_page.h"
#include "print/drawing_print.h"
#include "platform/cp1252.h"
#include "platform/files.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/picture_file.h"
#include "ui/picture_menu.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "screen/screen_entries.h"
#include "screen/tick_clock.h"
#include "shell/preferences_file.h"
#include "store/catalogue.h"
#include "store/file_reader.h"
#include "store/message_ids.h"
#include "store/record_bytes.h"
#include "store/scratch_buffer.h"
#include "store/store_host.h"
#include "store/text_helpers.h"
#include "text/stroke_fonts.h"
#include "text/text_host.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/cam_progress.h"
#include "ui/catalogue_menu.h"
#include "ui/dialog_form.h"
#include "ui/dir_tree.h"
#include "ui/edit_buffers.h"
#include "ui/entry_line.h"
#include "ui/file_list.h"
#include "ui/editor_status.h"
#include "ui/find_replace.h"
#include "ui/list_window.h"
#include "ui/load_lists.h"
#include "ui/message_box.h"
#include "ui/text_files.h"
#include "ui/page_entries.h"
#include "ui/popups.h"
#include "ui/pointer_motion.h"
#include "ui/text_moves.h"
#include "ui/text_window.h"
#include "ui/wait_events.h"

namespace {

// The set-cursor counter after the program ended: far from the counts the timer acts on.
constexpr int SET_CURSOR_COUNT_ENDED = -50000;
// The drive number of the program folder (C:), which POSIX paths do not name.
constexpr uint8_t PROGRAM_DRIVE = 2;
// Drives below this are floppies, never the current drive after start-up.
constexpr uint8_t FIRST_FIXED_DRIVE = 2;

// ---- Small helpers ----------------------------------------------------------------------------

std::string folder_with_slash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

// The system's own message box, for the messages that come before the program's screen (or
// instead of it): also on standard error, where a user without a display still sees it.
void show_system_message(const std::string& text) {
  std::fprintf(stderr, "brenvik: %s\n", cp1252_to_utf8(text).c_str());
  suspend_input();
  window_message_box(text);
  resume_input();
}

// A format with its "%s" filled in by a and then b; as long as the texts need (a path can be
// long).
std::string format_text(const char* format, const std::string& a, const std::string& b) {
  std::string text = format;
  const std::string* fills[2] = {&a, &b};
  size_t at = 0;
  for (const std::string* fill : fills) {
    at = text.find("%s", at);
    if (at == std::string::npos) break;
    text.replace(at, 2, *fill);
    at += fill->size();
  }
  return text;
}

// ---- app_idle -------------------------------------------------------------------------------

// The metric file set differs in one letter of three names.
void switch_to_metric_set() {
  DataFileNames& names = g_startup.names;
  names.catalogue[METRIC_LETTER_INDEX] = METRIC_LETTER;
  names.tools[METRIC_LETTER_INDEX] = METRIC_LETTER;
  names.post_processors[METRIC_LETTER_INDEX] = METRIC_LETTER;
  ++g_startup.metric_set_switches;
}

// The catalogue's presence marks a correct program folder: the inch set's, else the metric set's.
bool find_catalogue() {
  const std::string folder = program_folder();
  bool found = file_exists(path_join(folder, g_startup.names.catalogue));
  if (!found) {
    switch_to_metric_set();
    found = file_exists(path_join(folder, g_startup.names.catalogue));
  }
  g_catalogue.file_name = g_startup.names.catalogue;
  return found;
}

// The program's pointer gives way to the system cursor for good.
void give_back_system_cursor() {
  cursor_warp(g_pointer.drawn_x, g_pointer.drawn_y);
  cursor_set_visible(true);
  g_pointer.set_cursor_count = SET_CURSOR_COUNT_ENDED;
}

void end_application() {
  g_form.idle_state = 0;
  g_events.quit_requested = true;
  g_startup.terminated = true;
}

void run_program() {
  g_form.idle_state = -1;
  set_screen_canvas(window_surface());
  if (!find_catalogue()) {
    show_system_message(STARTUP_FILES_MISSING_TEXT);
    end_application();
    return;
  }
  if (ui_startup(SCRATCH_SIZE) != 0) {
    free_after_failed_startup();
    end_application();
    return;
  }
  if (init_editor_windows() != 0 || app_startup() != 0) {
    ui_shutdown();
    free_after_failed_startup();
  } else {
    install_main_window_proc();
    g_startup.in_page_loop = true;
    flush_input();
    page_loop();
    g_startup.in_page_loop = false;
    restore_window_proc();
    ui_shutdown();
    app_shutdown();
  }
  give_back_system_cursor();
  end_application();
}

// The program's first wait for input: from now on the form's handlers take their events and the
// timer runs.
void start_timer() {
  g_form.idle_state = 0;
  calibrate_delay();
  pump_set_timer_interval(PUMP_TIMER_INTERVAL_MS);
  pump_start_timer();
  g_pointer.set_cursor_count = 0;
}

// ---- ui_startup -------------------------------------------------------------------------------

void set_folders() {
  g_startup.program_folder = folder_with_slash(program_folder());
  g_startup.dir_cache_folder = g_startup.program_folder;
  g_startup.data_folder = g_startup.program_folder;
  g_startup.temp_folder = folder_with_slash(temp_folder());
  g_startup.font_folder = g_startup.program_folder;
}

// The interface font: the one file the screen cannot do without. A file that is there but
// cannot be read is reported with the reason, not as missing.
bool install_interface_font() {
  const std::string path = g_startup.font_folder + INTERFACE_FONT_FILE_NAME;
  std::string error;
  const bool present = file_exists(path);
  if (present && load_interface_font(path, &error)) {
    g_startup.font_count = static_cast<int>(g_display.font.faces.size());
    return true;
  }
  g_startup.font_count = 0;
  show_system_message(present ? error : format_text(STARTUP_FILE_MISSING_FORMAT, path, ""));
  return false;
}

// The root window: the bottom of the window stack, never run.
void create_root_window() {
  g_startup.root_window = create_window(nullptr, {
      .top_row = 1, .left_column = 1, .bottom_row = 20, .right_column = 120, .flags = 17,
      .key_filter = nc_page_key, .line_drawer = draw_window_line, .options = 406, .legend = "",
      .wrap_width = 250, .title = "",
  });
  activate_window(g_startup.root_window);
}

// The system cursor and the program's pointer start at the centre of the form.
void centre_pointer() {
  const int x = g_display.screen_width / 2;
  const int y = g_display.screen_height / 2;
  g_pointer.cursor_x = g_pointer.drawn_x = g_pointer.wanted_x = g_pointer.reference_x = x;
  g_pointer.cursor_y = g_pointer.drawn_y = g_pointer.wanted_y = g_pointer.reference_y = y;
  // Where the cursor cannot be moved, the pointer starts at the centre and follows its motion.
  if (!warp_cursor(x, y)) {
    cursor_get_position(&g_pointer.cursor_x, &g_pointer.cursor_y);
    g_pointer.reference_x = g_pointer.cursor_x;
    g_pointer.reference_y = g_pointer.cursor_y;
  }
}

void load_catalogue_arrays() {
  message_lines_to_array(MSG_MONTH_NAMES, &g_startup.month_names, MONTH_NAME_COUNT);
  message_lines_to_array(MSG_SHADING_STYLE_NAMES, &g_startup.shading_style_names,
                         SHADING_STYLE_NAME_COUNT);
  message_lines_to_array(MSG_WORD_LIST, &g_startup.word_list, WORD_LIST_COUNT);
  messages_to_array(STARTUP_TEXT_COUNT, MSG_STARTUP_TEXTS_FIRST, &g_startup.startup_texts);
}

// ---- app_startup ------------------------------------------------------------------------------

struct StartupMenuPlan {
  StartupMenu menu;
  int message;
  int placement;
  int place_row;     // place_window arguments; 0 0: not placed
  int place_column;
  uint32_t window_flags;   // non-zero: the menu window's flags word becomes this
  uint32_t option_bits;    // added to the menu option word after this menu
};

// The menus in the order they are built.
constexpr StartupMenuPlan STARTUP_MENUS[] = {
    {STARTUP_MENU_ENGRAVING_LIST, MSG_MENU_ENGRAVING_LIST, MENU_PLACEMENT_PAGE, -9, 5, 0, 0},
    {STARTUP_MENU_SCREEN_SIZE, MSG_MENU_SCREEN_SIZE, MENU_PLACEMENT_PAGE, 9, 16, 130, 0},
    {STARTUP_MENU_JOB_SETUP, MSG_MENU_JOB_SETUP, MENU_PLACEMENT_PAGE, -9, 5, 0, 0},
    {STARTUP_MENU_JOB_SETUP_FILE, MSG_MENU_JOB_SETUP_FILE, MENU_PLACEMENT_PAGE, -9, 5, 0, 0x20},
    {STARTUP_MENU_DRAWING_MAIN, MSG_MENU_DRAWING_MAIN, MENU_PLACEMENT_PAGE, -9, 5, 0, 0},
    {STARTUP_MENU_MARKS, MSG_MENU_MARKS, MENU_PLACEMENT_BAR, 0, 0, 0, 0},
    {STARTUP_MENU_FILE, MSG_MENU_FILE, MENU_PLACEMENT_BAR, 0, 0, 0, 0},
    {STARTUP_MENU_EDIT, MSG_MENU_EDIT, MENU_PLACEMENT_BAR, 0, 0, 0, 0},
    {STARTUP_MENU_DRAW, MSG_MENU_DRAW, MENU_PLACEMENT_BAR, 0, 0, 0, 0},
    {STARTUP_MENU_IMAGE, MSG_MENU_IMAGE, MENU_PLACEMENT_BAR, 0, 0, 0, 0},
};

constexpr uint32_t MENU_OPTIONS_BUILDING = 0x2410012;
constexpr uint32_t MENU_OPTIONS_SHADED = 0x20;  // with shading style 3
constexpr uint32_t MENU_OPTIONS_AFTER_START = 0x410013;
constexpr uint8_t SHADING_STYLE_REMOVE = 3;

int build_menus() {
  g_menus.option_word = MENU_OPTIONS_BUILDING;
  if (g_interface.shading_style == SHADING_STYLE_REMOVE) g_menus.option_word |= MENU_OPTIONS_SHADED;
  for (const StartupMenuPlan& plan : STARTUP_MENUS) {
    TextLine* node = menu_from_catalogue(nullptr, plan.placement, plan.message);
    if (node == nullptr) {
      char text[64];
      std::snprintf(text, sizeof text, STARTUP_MENU_FAILED_FORMAT, plan.message);
      show_system_message(text);
      return -1;
    }
    g_startup.menus[plan.menu] = node;
    TextWindow* window = window_of(node);
    if (plan.place_row != 0 || plan.place_column != 0) {
      place_window(window, plan.place_row, plan.place_column);
    }
    if (plan.window_flags != 0) window->flags = plan.window_flags;
    g_menus.option_word |= plan.option_bits;
  }
  // The page stand-ins open these with Esc and Alt+F.
  PlaceholderPage& pages = g_placeholder_page;
  pages.main_menus[PAGE_JOB_SETUP] = g_startup.menus[STARTUP_MENU_JOB_SETUP];
  pages.file_menus[PAGE_JOB_SETUP] = g_startup.menus[STARTUP_MENU_JOB_SETUP_FILE];
  pages.main_menus[PAGE_ENGRAVING_LIST] = g_startup.menus[STARTUP_MENU_ENGRAVING_LIST];
  pages.file_menus[PAGE_ENGRAVING_LIST] = g_startup.menus[STARTUP_MENU_FILE];
  pages.main_menus[PAGE_DRAWING] = g_startup.menus[STARTUP_MENU_DRAWING_MAIN];
  pages.file_menus[PAGE_DRAWING] = g_startup.menus[STARTUP_MENU_FILE];
  return 0;
}

constexpr int SIDE_PANEL_LINES = 24;

void create_side_panel() {
  clear_current_list();
  for (int i = 0; i < SIDE_PANEL_LINES; ++i) append_line("\n");
  const int last = g_display.presets[FACE_ROLE_MENU].last_column;
  g_startup.side_panel_window =
      create_window(nullptr, {
          .top_row = 5, .left_column = last - 26, .bottom_row = 32, .right_column = last,
          .flags = 0x8000010, .key_filter = text_list_key, .line_drawer = draw_window_line,
          .options = 256, .legend = "?", .wrap_width = 125, .title = "", .list_options = 0x2002000,
      });
}

// The option word of editing buffers by the editor's face.
constexpr uint16_t BUFFER_OPTIONS_BY_FACE[] = {662, 918, 2710};
constexpr uint32_t FIRST_BUFFER_NC_DOCUMENT = 0x400000;

void create_editing_buffer() {
  g_buffers.window_options = BUFFER_OPTIONS_BY_FACE[editing_window_size()];
  create_first_edit_buffer();
  TextWindow* first = window_of(g_buffers.buffer_list);
  if (first != nullptr) first->flags |= FIRST_BUFFER_NC_DOCUMENT;
}

constexpr char TOOL_LIST_LEGEND[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ.0123456789";
constexpr char TOOL_LIST_TITLE[] = "You can customize this tool list";
constexpr char MOVE_LINES_HELP[] =
    "\nMove the arrow up or down to re-arrange the items in this list.";

void create_tool_list() {
  clear_current_list();
  g_startup.tool_list_window =
      create_window(nullptr, {
          .top_row = 11, .left_column = 32, .bottom_row = 24, .right_column = 56, .flags = 0x4013,
          .key_filter = tool_list_key, .line_drawer = draw_check_list_line, .with_file = true,
          .options = 316, .legend = TOOL_LIST_LEGEND, .wrap_width = 125, .title = TOOL_LIST_TITLE,
          .list_options = 0x22004024,
      });
  g_tool_list_page.window = g_startup.tool_list_window;
  TextWindow* window = window_of(g_startup.tool_list_window);
  if (window == nullptr) return;
  window->help_texts[0] = MOVE_LINES_HELP;
  window->help_texts[1] = TOOL_LIST_HELP;
  // The loader keeps the list in slot 8 and makes the one default tool when the file is missing
  // or bad (the file's damage is reported); a default list counts as changed.
  const int loaded = load_tool_list(g_startup.program_folder, metric_file_set());
  // The list is saved where it is read from (a default list under the file set's own name).
  if (window->file != nullptr) {
    const std::string found =
        find_file_ignoring_case(g_startup.program_folder, tool_file_name(metric_file_set()));
    window->file->full_path =
        !found.empty() ? found : path_join(g_startup.program_folder, tool_file_name(metric_file_set()));
  }
  const LineList& tools = g_lists.slots[LIST_SLOT_TOOLS];
  window->first_line = window->current_line = tools.first;
  window->last_line = tools.last;
  if (loaded == 1) window->flags |= WINDOW_CHANGED;
}

// The text-item defaults' layout: width factor, justification, spacing and heights.
constexpr size_t LAYOUT_HEIGHT = 4;
constexpr size_t LAYOUT_SPACING = 8;
constexpr size_t LAYOUT_H_JUSTIFY = 20;
constexpr size_t LAYOUT_V_JUSTIFY = 21;
constexpr size_t LAYOUT_WIDTH_FACTOR = 72;
constexpr size_t LAYOUT_ENTERED_HEIGHT = 144;

void fill_first_run_cam_defaults() {
  const bool metric = metric_file_set();
  constexpr int ORDER[] = {CAM_SLOT_TEXT_CENTERLINE,    CAM_SLOT_DRAWING_CENTERLINE,
                           CAM_SLOT_TEXT_CONTOUR,       CAM_SLOT_DRAWING_CONTOUR,
                           CAM_SLOT_TEXT_POCKET,        CAM_SLOT_DRAWING_POCKET};
  for (int slot : ORDER) init_cam_defaults(slot, metric);
  uint8_t* layout = cam_default_slot(CAM_SLOT_TEXT_CENTERLINE) + TEXT_LAYOUT_OFFSET;
  const bool inch = g_preferences.default_job.units == JOB_UNITS_INCH;
  const float height = inch ? 0.3f : 5.0f;
  put_f32_le(layout + LAYOUT_WIDTH_FACTOR, 1.0f);
  layout[LAYOUT_H_JUSTIFY] = 1;
  layout[LAYOUT_V_JUSTIFY] = 1;
  put_f32_le(layout + LAYOUT_SPACING, 0.15f);
  put_f32_le(layout + LAYOUT_ENTERED_HEIGHT, height);
  put_f32_le(layout + LAYOUT_HEIGHT, height);
  for (int slot : {CAM_SLOT_TEXT_CONTOUR, CAM_SLOT_TEXT_POCKET})
    std::memcpy(cam_default_slot(slot) + TEXT_LAYOUT_OFFSET, layout, TEXT_LAYOUT_SIZE);
}

constexpr const char* DRAWING_WINDOW_HELP[3] = {
    "To create some text to engrave,\njust start typing!",
    "Use the \vUP\x13 or \vDOWN\x13 arrow keys or the LEFT mouse button to rearrange the items.\n"
    "Hold down a \vSHIFT\x13 key to move \vall\x13 the checked items at once.",
    "The items that are \vchecked\x13 (ie, \b<\b=) are \x93" "active\x94 and will produce NC "
    "code.\nThe items with empty check boxes (ie, \b?\b@) will be ignored."};

void create_drawing_window() {
  clear_current_list();
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  g_startup.drawing_window = create_window(nullptr, {
      .top_row = 5, .left_column = 5, .bottom_row = normal.last_row - 3,
      .right_column = cols_from_medium_font(g_view.side_panel_column - 6), .flags = 0x184010,
      .key_filter = text_list_key, .line_drawer = text_list_line, .with_file = true, .options = 512,
      .legend = "", .wrap_width = 125, .title = "", .list_options = 0x8004092,
  });
  g_shared_windows.drawing = g_startup.drawing_window;
  TextWindow* window = window_of(g_startup.drawing_window);
  if (window == nullptr) return;
  for (int i = 0; i < 3; ++i) window->help_texts[i] = DRAWING_WINDOW_HELP[i];
  if (window->file != nullptr) {
    window->file->name.clear();
    window->file->folder = !g_preferences.job_folder.empty() ? g_preferences.job_folder
                                                             : g_preferences.job_dialog_folder;
  }
}

// The stroke fonts of the program folder into list slot 7: a source newer than its compiled
// font (or without one) is compiled first. Fonts that cannot be used are named once. Returns
// the number of lines of the list.
int load_stroke_fonts() {
  g_lists.slots[LIST_SLOT_FONTS] = LineList{};
  g_fonts.folder = g_startup.program_folder;
  int count = register_folder_fonts(g_startup.program_folder);
  load_list_slot(LIST_SLOT_FONTS);
  append_font_list_lines();
  report_font_problems();
  if (g_lists.current.first == nullptr) {
    append_line(NO_STROKE_FONTS_TEXT);
    count = 1;
  } else {
    g_lists.sorting = 1;
    sort_list(compare_font_names);
    g_lists.sorting = 0;
  }
  save_list_slot(LIST_SLOT_FONTS);
  return count;
}

constexpr int FONT_WINDOW_MOST_ROWS = 19;
constexpr int SYMBOL_MENU_COLUMNS = 34;  // the title and a symbol font's longest title fit

// The symbol-font menu: the fonts numbered 3000 and up by title, between 2 and the screen's
// rows less 6 rows high, centred; without a symbol font one line says so.
void create_symbol_menu() {
  // The menu's lines are a list of their own: the drawing window's list stays where it is.
  push_list();
  clear_current_list();
  if (append_symbol_font_lines() == 0) {
    TextLine* line = append_line(NO_SYMBOL_FONTS_TEXT);
    if (line != nullptr) line->id = NO_SYMBOL_FONTS_ID;
  }
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  g_startup.symbol_menu_window = create_window(nullptr, {
      .top_row = 2, .left_column = 0, .bottom_row = 3, .right_column = SYMBOL_MENU_COLUMNS - 1,
      .flags = 0x80011, .key_filter = list_search_key_filter, .line_drawer = draw_window_line,
      .options = 20, .legend = LIST_WINDOW_LEGEND, .wrap_width = 125,
      .title = "Symbols - RIGHT button: cancel", .list_options = 0x20000000,
  });
  fit_window_rows(window_of(g_startup.symbol_menu_window), (normal.last_row + 1) / 2,
                  std::max(2, normal.last_row + 1 - 6), 2);
  centre_window_columns(g_startup.symbol_menu_window);
  pop_list();
}

void create_font_list(int font_count) {
  load_list_slot(LIST_SLOT_FONTS);
  const int last = g_display.presets[FACE_ROLE_NORMAL].last_column;
  g_startup.font_list_window = create_window(nullptr, {
      .top_row = 6, .left_column = last - 26,
      .bottom_row = std::min(font_count, FONT_WINDOW_MOST_ROWS) + 5, .right_column = last - 5,
      .flags = 0x80011, .key_filter = list_search_key_filter, .line_drawer = draw_window_line,
      .options = 20, .legend = LIST_WINDOW_LEGEND, .wrap_width = 125, .title = "Choose a Font",
      .list_options = 0x20000000,
  });
  clear_current_list();
}

// The job defaults, and the one blank text item a new job starts with.
void start_job() {
  read_job_settings(nullptr, 0);
  activate_window(g_startup.drawing_window);
  new_text_item();
  g_lists.cursor_line = g_lists.current.first;
  store_window_state();
}

constexpr float TRANSFORM_STEP_START = 5.0f;
constexpr uint8_t EDITOR_SETTING_START = 11;

// The engines reach the user, the menus and the machining data only through their hosts.
// The menu opens at the pointer.
int choose_item_picture_cell(int picture, int rows, int columns, int header_pixels) {
  return picture_grid_menu(picture, rows, columns, g_pointer.wanted_x, g_pointer.wanted_y, 0,
                           header_pixels, 0);
}

// New text items take their machining and layout defaults from the machining defaults, which
// lie above the text engine.
void connect_text_host() {
  TextHost& text = g_text_host;
  text.show_message = [](const char* message) { show_text_box(message, TEXTBOX_PRESS_A_KEY); };
  text.apply_cam_defaults = [](GeometryBlock* block, int cut_type) {
    set_block_cam_op(block, static_cast<uint8_t>(cut_type));
    apply_cam_defaults(block, cut_type);
  };
  text.default_text_layout = [](int kind) -> const uint8_t* {
    const uint8_t* slot = cam_default_slot(CAM_SLOT_TEXT_CENTERLINE + kind);
    return slot == nullptr || kind > TEXT_DEFAULTS_POCKET ? nullptr : slot + TEXT_LAYOUT_OFFSET;
  };
  text.defaults_in_inches = [] { return g_preferences.default_job.units == JOB_UNITS_INCH; };
  text.drawing_items = []() -> TextLine* {
    if (g_windows.active_node == g_startup.drawing_window) return g_lists.current.first;
    const TextWindow* drawing = window_of(g_startup.drawing_window);
    return drawing != nullptr ? drawing->first_line : g_lists.current.first;
  };
}

void connect_engine_hosts() {
  g_store_host.show_text_box = show_text_box;
  // Broken picture data: a box that closes by itself, so a drawing is never held up.
  g_picture_file.show_message = [](const char* text) {
    show_text_box(text, TEXTBOX_TIMED | TEXTBOX_SCREEN_CENTRE | 36);
  };
  GeometryHost& geometry = g_geometry_host;
  geometry.choose_picture_cell = choose_item_picture_cell;
  geometry.copy_item_cam = copy_item_cam;
  geometry.offset_text = offset_text_by_tool_path;
  geometry.apply_new_item_defaults = apply_new_item_defaults;
  geometry.layout_text = text_layout_from_frame;
  geometry.set_pointer_shape = [](uint8_t shape) { g_drawing_page.editor_pointer_shape = shape; };
  geometry.request_redraw = [] { ++g_drawing_page.redraw_request; };
  geometry.shown_items_extents = [](PointF* out_min, PointF* out_max) {
    *out_min = g_view.item_extent_min;
    *out_max = g_view.item_extent_max;
  };
  geometry.move_view_extents = [](const PointF& move) {
    ViewState& v = g_view;
    vec_add_assign(&v.item_extent_min, &move);
    vec_add_assign(&v.item_extent_max, &move);
    v.extent_min_x += move.x;
    v.extent_max_x += move.x;
    v.extent_min_y += move.y;
    v.extent_max_y += move.y;
  };
  geometry.clear_hover = [] {
    g_hover.hover_item = nullptr;
    g_hover.pick_kind = 0;
  };
  geometry.node_command_check = node_command_check_for_geometry;
  geometry.propagate_node_move = propagate_node_move_for_geometry;
  geometry.make_symmetric_polyline = make_symmetric_polyline;
  geometry.make_perpendicular_symmetric = make_perpendicular_symmetric;
  geometry_settings_from_job(g_job_settings);
  g_job_host.show_text_box = show_text_box;
  g_job_host.view_centre = view_centre;
  g_job_host.ask_number = ask_image_number;
  g_job_host.choose_file = choose_file_to_open;
  g_job_host.choose_save_file = choose_file_to_save;
  connect_cam_host_to_screen();
  connect_text_host();
  g_cam_host.request_redraw = [] { ++g_drawing_page.redraw_request; };
  g_cam_host.prepare_view = [] {
    if (g_view.scale_x == 0.0f) {
      g_view.scale_x = 1.0f;
      g_view.scale_y = 1.0f;
    }
  };
}

void set_editor_start_values() {
  for (uint8_t& flag : g_drawing_page.option_flags) flag = 1;
  g_drawing_page.transform_step = TRANSFORM_STEP_START;
  g_drawing_page.editor_setting = EDITOR_SETTING_START;
  JobSettings& job = g_job_settings;
  g_furniture.grid_switch = job.grid_shown;
  const bool inch = job.units == JOB_UNITS_INCH;
  if (job.grid_step <= 0.0f) job.grid_step = inch ? 0.001f : 0.1f;
  for (int i = 0; i < 3; ++i) g_preferences.option_bytes[i] = 1;
  // A step this small was never meant: it would make the output's moves vanish.
  if (inch && g_preferences.surface_clearance < 0.001f) g_preferences.surface_clearance = 0.05f;
  if (!inch && g_preferences.surface_clearance < 0.02f) g_preferences.surface_clearance = 1.0f;
}

void set_button_bindings() {
  // The left and middle tools stay as the preferences file kept them.
  ButtonBindings& bindings = g_button_bindings;
  bindings.node_editor[WINDOW_BUTTON_RIGHT] = COMMAND_NODE_EDITOR_RIGHT;
  bindings.drawing[WINDOW_BUTTON_RIGHT] = COMMAND_DRAWING_RIGHT;
  use_button_record(bindings.drawing);
}

constexpr char LOAD_LIST_HELP_ONE_JOB[] =
    "This version doesn't open more than one job at a time,\nso don't bother to check the files.";
constexpr char LOAD_LIST_HELP_EDIT[] =
    "Press any editing key (ie, \fBACKSPACE\x13 or \fF6\x13 thru \fF10\x13) to edit the file "
    "name.\n\vENTER\x13: open this job       \vDELETE\x13: remove job from this list";

void finish_start() {
  create_symbol_menu();
  utilities_layout();
  if (TextWindow* load_list = window_of(g_load_lists.load_list_window)) {
    load_list->help_texts[0] = LOAD_LIST_HELP_ONE_JOB;
    load_list->help_texts[1] = LOAD_LIST_HELP_EDIT;
  }
  init_join_gap();
  flush_input();
}

}  // namespace

// ---- The entry --------------------------------------------------------------------------------

int run_application(int width, int height, bool (*idle_handler)()) {
  std::string error;
  if (!window_open(width, height, APPLICATION_TITLE, &error)) {
    std::fprintf(stderr, "brenvik: %s\n", error.c_str());
    return 1;
  }
  create_main_form();
  pump_set_idle_handler(idle_handler);
  while (!g_startup.terminated) pump_wait(-1);
  pump_set_idle_handler(nullptr);
  destroy_main_form();
  window_close();
  return 0;
}

// ---- The idle handler -------------------------------------------------------------------------

bool app_idle() {
  if (g_form.idle_state > 0) {
    run_program();
    return true;
  }
  if (g_form.idle_state < 0) {
    start_timer();
    return false;
  }
  if (g_form.resize_pending != RESIZE_NONE) {
    push_input_code(EVENT_REDRAW);
    g_form.redraw_level = 1;
  }
  return false;
}

// ---- Start-up -----------------------------------------------------------------------------------

int ui_startup(int scratch_size) {
  if (scratch_size < 0 || !allocate_scratch_buffer(static_cast<size_t>(scratch_size))) return -1;
  set_folders();
  if (!install_interface_font()) return -1;
  if (open_catalogue() <= 0) {
    show_system_message(
        format_text(STARTUP_FILE_MISSING_FORMAT, g_startup.program_folder, g_catalogue.file_name));
    return -1;
  }
  seed_random();
  g_startup.delete_line_prompt = "\x1d!!Are you sure you want to delete this?\n\x1d!!\v%s";
  g_startup.delete_what_prompt =
      "\x1d!!Delete what?\n\nThe \vM\x13" "arked lines or the line the \vC\x13ursor bar is on?";
  g_startup.delete_marked_prompt = "Are you sure you want to delete all the marked lines?";
  g_startup.colour_depth = 32;  // the framebuffer's pixels
  read_write_preferences(1);
  // The selections take set 0 of the preferences, the word moves set 1.
  set_word_delimiters(g_preferences_file.delimiters[0].characters,
                      g_preferences_file.delimiters[1].characters);
  clear_current_list();
  // The form's own size, as the user left it, comes back with the preferences.
  if (g_interface.display_choice == DISPLAY_CHOICE_OWN_SIZE && g_interface.client_width > 0 &&
      g_interface.client_height > 0) {
    window_set_size(g_interface.client_width, g_interface.client_height);
  }
  apply_display_mode(g_interface.display_choice);
  create_root_window();
  centre_pointer();
  load_catalogue_arrays();
  g_dir_tree.cache_folder = g_startup.dir_cache_folder;
  g_palette.file_path = path_join(g_startup.data_folder, PALETTE_FILE_NAME);
  g_palette.slot = static_cast<uint8_t>(g_preferences_file.palette_index % PALETTE_SLOTS);
  read_write_palette_file(0);
  if (g_interface.current_drive < FIRST_FIXED_DRIVE) g_interface.current_drive = PROGRAM_DRIVE;
  make_load_list_windows(g_preferences_file.file_filters, g_preferences_file.multi_load,
                         g_preferences_file.job_load_list);
  centre_window_columns(g_load_lists.file_filter_window);
  return 0;
}

// The interface reaches the pages only through the entry points they give it here.
void connect_page_entry_points() {
  g_buffer_entries.first_buffer_key = nc_page_key;
  g_buffer_entries.nc_editor_key_map = nc_editor_key_map;
  g_buffer_entries.nc_menu_command = nc_menu_command;
  g_wait_entries.draw_editor_status = draw_editor_status;
  g_screen_entries.set_display_mode = set_display_mode;
  g_screen_entries.toggle_form_position = toggle_form_position;
  window_set_hit_test(form_hit_test);
  g_screen_entries.redraw_popups = redraw_popups;
  g_message_box.save_hook = save_text_file;
  // The help key of forms, fields, lists and entries.
  g_form_hooks.help = show_form_help;
  g_entry.help_hook = show_form_help;
  connect_job_commands();
  g_page_entries.write_preferences = [] { return read_write_preferences(0); };
  connect_drawing_commands();
  connect_print_commands();
  connect_item_panel();
  g_drawing_commands.redraw_text_list_page = redraw_text_list_page;
  connect_serial_link();
  g_serial_ui.repaint = nc_send_repaint;
}

int app_startup() {
  update_ticks();
  reset_tick_counter();
  g_view.side_panel_column =
      static_cast<int16_t>(g_display.presets[FACE_ROLE_MENU].last_column - 26);
  g_command_start.command_flag = 1;
  g_command_start.typed_coordinate_characters = TYPED_COORDINATE_CHARACTERS;
  connect_page_entry_points();

  layout_page_tab_strip();
  init_factorials();
  connect_engine_hosts();
  glide_pointer(POINTER_GLIDE_SET_DELAY, g_interface.glide_delay);

  if (build_menus() != 0) return -1;

  g_menus.option_word = MENU_OPTIONS_AFTER_START;
  push_list();
  create_side_panel();
  create_editing_buffer();
  open_picture_file((g_startup.program_folder + g_startup.names.picture).c_str());
  read_post_processors(g_startup.program_folder, metric_file_set());
  layout_paint_boxes();
  poll_input_code(0);
  create_tool_list();
  if (g_preferences.first_run) fill_first_run_cam_defaults();
  create_drawing_window();
  create_font_list(load_stroke_fonts());
  pop_list();
  start_job();

  set_editor_start_values();
  set_button_bindings();
  finish_start();
  return 0;
}


int frame_picture_hook(int /*style*/, int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) { return 0; }

void reset_startup() { g_startup = Startup(); }
