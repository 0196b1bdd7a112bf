#include "pages/text_import.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "editor/image_commands.h"
#include "geometry/drawing_item.h"
#include "job/job_open.h"
#include "platform/cp1252.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/page_entries.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

namespace {

constexpr size_t LINE_END_COUNTED = 2;  // a line is measured with its CR LF end

// The folder the text import started in last; the jobs folder until then.
std::string g_text_import_folder;

bool is_text_item(const DrawingItem* item) {
  return item != nullptr && item->kind == ITEM_TEXT && item_block(item) != nullptr;
}

// The look new lines copy: layer, machining block and layout of a text item.
struct TextTemplate {
  uint8_t layer = 0;
  std::vector<uint8_t> cam;
  std::vector<uint8_t> layout;
};

TextTemplate take_template(DrawingItem* item) {
  GeometryBlock* block = item_block(item);
  TextTemplate t;
  t.layer = block->layer;
  const uint8_t* cam = block_cam_params(block);
  const uint8_t* layout = block_text_layout(block);
  t.cam.assign(cam, cam + CAM_PARAMS_SIZE);
  t.layout.assign(layout, layout + TEXT_LAYOUT_SIZE);
  return t;
}

// Empty texts go; the others are numbered again. The highest item ID left.
int32_t drop_empty_texts() {
  int32_t highest = g_job_settings.item_id_counter;
  for (DrawingItem* item = g_lists.current.first; item != nullptr;) {
    if (is_text_item(item)) {
      std::string text = item->text;
      while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
      if (text.empty()) {
        item = delete_line(item);
        continue;
      }
    }
    highest = std::max(highest, item_id(item));
    item = item->next;
  }
  return highest;
}

}  // namespace

std::string text_import_line(const std::string& raw) {
  std::string line = raw;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  // Converted at the edge: a UTF-8 letter is one character of the item, never two blanks.
  std::string text = cp1252_from_utf8(line, ' ');
  if (text.size() + LINE_END_COUNTED > TEXT_IMPORT_LONGEST_LINE) return "";
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte > 175) c = ' ';
  }
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

int import_text_file(const std::string& path, double spacing) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 27;
  // The look of the lines: the first text shown, else the text defaults of a new item.
  if (g_lists.current.first == nullptr) {
    new_text_item();
    g_lists.cursor_line = g_lists.current.first;
  }
  DrawingItem* shown = g_lists.cursor_line != nullptr ? g_lists.cursor_line : g_lists.current.first;
  DrawingItem* model = is_text_item(shown) ? shown : new_text_item();
  if (model == nullptr) return 27;
  TextTemplate look = take_template(model);
  if (model != shown) delete_line(model);
  TextLayout l;
  read_text_layout(look.layout.data(), &l);
  const float step = static_cast<float>(l.height * spacing);

  int32_t next_id = drop_empty_texts();
  std::string raw;
  int added = 0;
  while (std::getline(in, raw)) {
    const std::string text = text_import_line(raw);
    if (text.empty()) continue;
    DrawingItem* item = new_text_item();
    if (item == nullptr) break;
    item = set_line_text((text + "\n").c_str(), item);
    GeometryBlock* block = item_block(item);
    block->layer = look.layer;
    std::copy(look.cam.begin(), look.cam.end(), block_cam_params(block));
    // Each line sits one spacing under the one before (the first under the model).
    l.anchor.y -= step;
    if (l.arc_radius == 0.0f) l.length = 0.0f;
    write_text_layout(l, look.layout.data());
    std::copy(look.layout.begin(), look.layout.end(), block_text_layout(block));
    layout_text_item(item);
    set_item_id(item, ++next_id);
    set_item_flags(item, static_cast<uint8_t>(item_flags(item) + 1));
    ++added;
  }
  g_job_settings.item_id_counter = std::max(g_job_settings.item_id_counter, next_id);
  if (added > 0) mark_job_changed();
  g_lists.cursor_line = g_lists.current.first;
  return 0;
}

int import_text_lines() {
  if (g_text_import_folder.empty()) g_text_import_folder = g_preferences.job_folder;
  std::string path;
  if (open_file_dialog(g_text_import_folder, TEXT_IMPORT_FILTER, &path) != DIALOG_CHOSEN)
    return 27;
  std::string name;
  split_path(path, &g_text_import_folder, &name);
  get_message(MSG_TEXT_LINE_SPACING);
  const std::string prompt = message_text();
  double spacing = 0.0;
  if (!ask_image_number(prompt.c_str(), 1.5, &spacing)) return 27;
  TextWindow* w = window_of(g_shared_windows.drawing);
  int result = 27;
  if (w == nullptr) {
    result = import_text_file(path, spacing);
  } else {
    push_active_window();
    activate_window(g_shared_windows.drawing);
    result = import_text_file(path, spacing);
    store_window_state();
    pop_active_window();
  }
  g_form.redraw_level = 1;
  return result;
}
