#include "pages/text_fonts.h"

#include <algorithm>
#include <cstring>

#include "platform/truetype.h"
#include "screen/display_mode.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "text/stroke_fonts.h"
#include "text/truetype_faces.h"
#include "ui/find_replace.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "screen/main_form.h"
#include "ui/text_window.h"

namespace {

constexpr int WEIGHT_NORMAL = 400;
constexpr int WEIGHT_BOLD = 700;
constexpr int LIST_MOST_ROWS = 19;
constexpr int LIST_WIDTH = 40;
constexpr uint32_t LIST_WINDOW_FLAGS = 0x80011;
constexpr uint16_t LIST_WINDOW_OPTIONS = 20;
constexpr uint32_t LIST_WINDOW_LIST_OPTIONS = 0x20000000;

std::string first_name(const std::string& names) { return names.substr(0, names.find(',')); }

bool has_word(const std::string& style, const char* word) {
  return style.find(word) != std::string::npos;
}

// Runs a list window over the current list's lines (made by the caller after push_list): the
// chosen line's id, or -1.
int run_choice_list(const char* title) {
  const CellMetrics& cells = g_display.presets[FACE_ROLE_NORMAL];
  const int lines = count_current_lines();
  const int right = std::max(LIST_WIDTH, cells.last_column - 5);
  TextLine* node = create_window(nullptr, {
      .top_row = 6, .left_column = std::max(0, right - LIST_WIDTH),
      .bottom_row = std::min(lines, LIST_MOST_ROWS) + 5, .right_column = right,
      .flags = LIST_WINDOW_FLAGS, .key_filter = list_search_key_filter,
      .line_drawer = draw_window_line, .options = LIST_WINDOW_OPTIONS,
      .legend = LIST_WINDOW_LEGEND, .wrap_width = 125, .title = title,
      .list_options = LIST_WINDOW_LIST_OPTIONS,
  });
  pop_list();
  if (node == nullptr) return -1;
  push_active_window();
  const TextLine* chosen = run_window(node);
  const int id = chosen != nullptr ? chosen->id : -1;
  destroy_window(node);
  pop_active_window();
  return id;
}

}  // namespace

std::vector<TrueTypeChoice> truetype_choices() {
  std::vector<TrueTypeChoice> out;
  for (const TrueTypeFaceName& face : list_truetype_faces()) {
    TrueTypeChoice c;
    c.family = first_name(face.family);
    const std::string style = first_name(face.style);
    if (c.family.empty() || c.family.size() >= LOG_FONT_FACE_SIZE) continue;
    c.weight = has_word(style, "Bold") ? WEIGHT_BOLD : WEIGHT_NORMAL;
    c.italic = has_word(style, "Italic") || has_word(style, "Oblique");
    c.line = c.family + (c.weight == WEIGHT_BOLD ? " Bold" : "") + (c.italic ? " Italic" : "");
    const bool known = std::any_of(out.begin(), out.end(), [&](const TrueTypeChoice& o) {
      return o.family == c.family && o.weight == c.weight && o.italic == c.italic;
    });
    if (!known) out.push_back(c);
  }
  return out;
}

int choose_truetype_font(uint8_t log_font[TL_LOG_FONT_SIZE]) {
  const std::vector<TrueTypeChoice> faces = truetype_choices();
  if (faces.empty()) {
    show_text_box(NO_TRUETYPE_FACES, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  push_list();
  clear_current_list();
  for (size_t k = 0; k < faces.size(); ++k) {
    TextLine* line = append_line(faces[k].line.c_str());
    if (line != nullptr) line->id = static_cast<int16_t>(std::min<size_t>(k, INT16_MAX));
  }
  const int id = run_choice_list(TRUETYPE_LIST_TITLE);
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  if (id < 0 || static_cast<size_t>(id) >= faces.size()) return 0;
  const TrueTypeChoice& c = faces[static_cast<size_t>(id)];
  set_truetype_description(log_font, c.family.c_str(), c.weight, c.italic);
  return 1;
}

int choose_stroke_font() {
  push_list();
  clear_current_list();
  append_font_list_lines();
  if (g_lists.current.first == nullptr) {
    TextLine* line = append_line(NO_STROKE_FONTS_LINE);
    if (line != nullptr) line->id = -1;
  } else {
    g_lists.sorting = 1;
    sort_list(compare_font_names);
    g_lists.sorting = 0;
  }
  const int id = run_choice_list(FONT_LIST_TITLE);
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  return id;
}
