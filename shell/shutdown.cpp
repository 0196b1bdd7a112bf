// Shutdown: the preferences are written, the catalogue closed, the temporary file deleted, a
// changed tool list offered for saving, and every list, window and buffer freed.
#include "cam/make_nc.h"
#include "cam/outline_collect.h"
#include "editor/editor_page.h"
#include "editor/undo_store.h"
#include "nc/post_processor.h"
#include "pages/nc_page.h"
#include "pages/serial_transfer.h"
#include "pages/tool_list_page.h"
#include "platform/files.h"
#include "platform/window.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/interface_settings.h"
#include "screen/picture_file.h"
#include "shell/preferences_file.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/scratch_buffer.h"
#include "text/stroke_fonts.h"
#include "text/truetype_faces.h"
#include "ui/catalogue_menu.h"
#include "ui/edit_buffers.h"
#include "ui/find_replace.h"
#include "ui/dir_tree.h"
#include "ui/layer_list.h"
#include "ui/load_lists.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/placeholder_page.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

namespace {

// Where the tool list question stands on the screen: row 12, centred near column 39, 40 wide.
constexpr int TOOL_QUESTION_ROW = 12;
constexpr int TOOL_QUESTION_COLUMN = 39;
constexpr int TOOL_QUESTION_WIDTH = 40;
constexpr uint32_t TOOL_QUESTION_SAVE_MODE = 0x80000;  // the save steps of the given window
constexpr int TOOL_QUESTION_RECORD_SIZE = 32;

// A list is freed by the window that owns its lines; a slot only names the ends.
void forget_slot(int slot) { g_lists.slots[slot] = LineList{}; }

void destroy(TextLine** node) {
  destroy_window(*node);
  *node = nullptr;
}

void ask_to_save_tool_list() {
  TextWindow* window = window_of(g_startup.tool_list_window);
  if (window == nullptr || (window->flags & WINDOW_CHANGED) == 0) return;
  g_interface.message_box_option = 0;
  get_message(MSG_TOOL_LIST_CHANGED);
  message_box(TOOL_QUESTION_ROW, TOOL_QUESTION_COLUMN, TOOL_QUESTION_WIDTH, message_text(),
              TOOL_QUESTION_SAVE_MODE, g_startup.tool_list_window, TOOL_QUESTION_RECORD_SIZE, "",
              0, "");
}

void free_catalogue_arrays() {
  g_startup.month_names.clear();
  g_startup.shading_style_names.clear();
  g_startup.word_list.clear();
  g_startup.startup_texts.clear();
}

void destroy_windows() {
  // A menu's submenus lie in its window list after it.
  for (TextLine*& menu : g_startup.menus) {
    destroy_window_chain(menu);
    menu = nullptr;
  }
  g_placeholder_page = PlaceholderPage();
  if (g_nc_page.menu != nullptr) destroy_window_chain(g_nc_page.menu);
  reset_nc_page();  // its menu is gone, and its document goes with the buffers below
  free_layer_list_window();
  free_dir_tree();
  destroy(&g_startup.font_list_window);
  destroy(&g_startup.symbol_menu_window);
  forget_slot(LIST_SLOT_FONTS);
  destroy(&g_startup.side_panel_window);
  destroy(&g_startup.tool_list_window);
  reset_tool_list_page();
  forget_slot(LIST_SLOT_TOOLS);
  destroy(&g_startup.drawing_window);
  g_shared_windows.drawing = nullptr;
  // Destroying a buffer makes the next one the buffer list; the last leaves it empty. The count
  // bounds the loop should a destroyed buffer ever be replaced by a new one.
  int32_t buffers = g_buffers.buffer_list != nullptr
                        ? count_lines_from(list_head_of(g_buffers.buffer_list))
                        : 0;
  while (g_buffers.buffer_list != nullptr && buffers-- > 0) {
    TextLine* buffer = g_buffers.buffer_list;
    destroy_window(buffer);
    if (g_buffers.buffer_list == buffer) g_buffers.buffer_list = nullptr;
  }
  g_buffers.placeholder_buffer = nullptr;
  destroy(&g_startup.root_window);
  reset_caret();
  destroy_load_list_windows();
}

void free_remaining_lists() {
  for (LineList& slot : g_lists.slots) {
    free_list(slot.first != nullptr ? slot.first : slot.last);
    slot = LineList{};
  }
  clear_current_list();
  g_lists.cursor_line = g_lists.block_start = g_lists.block_end = nullptr;
}

}  // namespace

void free_after_failed_startup() {
  free_post_processors();
  free_catalogue_arrays();
  destroy_windows();
  free_remaining_lists();
}

void ui_shutdown() {
  // What the folder picker kept goes back into the preferences file's settings.
  store_drive_folders(g_preferences_file.drive_folders, DRIVE_FOLDER_ENTRIES);
  if (g_dir_tree.last_drive >= DRIVE_HOME && g_dir_tree.last_drive < DRIVE_LETTERS)
    g_interface.current_drive = static_cast<uint8_t>(g_dir_tree.last_drive);
  read_write_preferences(0);
  close_catalogue();
  if (g_startup.font_count > 0) {
    g_display.font = BitmapFont{};
    g_startup.font_count = 0;
  }
}

void app_shutdown() {
  file_delete(g_startup.program_folder + g_startup.names.temp);
  release_all_font_handles();
  free_glyph_buffers();

  ask_to_save_tool_list();

  store_window_state();
  modifier_key_menus(EVENT_ALT_UP, VK_MENU, 0, 0, 0);
  modifier_key_menus(EVENT_CTRL_UP, VK_CONTROL, 0, 0, 0);
  activate_window(g_startup.root_window);
  free_list(g_lists.slots[LIST_SLOT_TEXT_CLIPBOARD].first);
  forget_slot(LIST_SLOT_TEXT_CLIPBOARD);
  free_find_history();

  open_picture_file(nullptr);
  clear_tool_path();
  free_post_processors();

  free_catalogue_arrays();
  close_serial_link();
  free_protocol_names();
  free_scratch_buffer();
  pocket_free();
  undo_clear();
  unload_fonts();
  destroy_windows();
  free_remaining_lists();
}
