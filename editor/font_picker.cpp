#include "editor/font_picker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "editor/hover_state.h"
#include "editor/page_redraw.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "records/preferences.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "text/font_viewer_items.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/find_replace.h"
#include "ui/list_window.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

FontViewer g_font_viewer;

void reset_font_viewer() { g_font_viewer = FontViewer{}; }

namespace {

constexpr int LIST_MOST_ROWS = 19;
constexpr int LIST_WIDTH = 40;
constexpr uint32_t LIST_WINDOW_FLAGS = 0x80011;
constexpr uint16_t LIST_WINDOW_OPTIONS = 20;
constexpr uint32_t LIST_WINDOW_LIST_OPTIONS = 0x20000000;
// Half a grid cell: the glyph's own square, where a click picks it.
constexpr float HALF_CELL = GLYPH_GRID_STEP / 2.0f;
// Room under the lowest row of glyphs for their keys, world units; the keys' gap to the glyph.
constexpr float KEY_ROOM = 0.15f;
constexpr int KEY_GAP_PIXELS = 2;

// ---- the viewer's screen ----

// Where the viewer's parts lie, in cells of the current display mode.
struct ViewerRows {
  int title = 0;
  int buttons = 0;           // in cells of the menu face, as controls count
  int below_buttons = 0;     // the first row under the button bar
  int first_glyph_row = 0;   // the glyphs fill the rows from here ...
  int last_glyph_row = 0;    // ... to here
  int page_status = 0;
  int button_status = 0;
};

ViewerRows viewer_rows() {
  const CellMetrics& c = g_display.current;
  const ViewState& v = g_view;
  const int h = std::max<int>(1, c.cell_height);
  ViewerRows r;
  const int menu_h = std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_height);
  r.title = (v.area_top + h - 1) / h;
  r.buttons = ((r.title + 1) * h + menu_h - 1) / menu_h;
  r.below_buttons = ((r.buttons + 1) * menu_h + h - 1) / h;
  r.first_glyph_row = r.below_buttons + 1;
  r.button_status = std::max(r.first_glyph_row + 2, v.area_bottom / h - 1);
  r.page_status = r.button_status - 1;
  r.last_glyph_row = r.page_status - 1;
  return r;
}

void make_viewer_buttons(int row) {
  FontViewer& f = g_font_viewer;
  f.buttons = {
      make_control("Next page", VIEWER_NEXT_PAGE, row, 1, 1, 11, 0, 0),
      make_control("Prev page", VIEWER_PREV_PAGE, row, 13, 1, 11, 0, 0),
      make_control("Change font", VIEWER_CHANGE_FONT, row, 25, 1, 13, 0, 0),
      make_control("Cancel", VIEWER_CANCEL, row, 39, 1, 8, 0, 0),
      make_control("Show:", 0, row, 49, 1, 6, 0, CF_NO_BOX),
      make_control("Keyboard key", VIEWER_KEYS, row, 56, 1, 14, 0,
                   CF_CHECKBOX | (f.show_keys ? CF_CHECKED : 0)),
      make_control("Boxes", VIEWER_BOXES, row, 71, 1, 7, 0,
                   CF_CHECKBOX | (f.boxes ? CF_CHECKED : 0)),
      end_control(),
  };
}

// The grid of a font's page in world units, with half a cell round it.
struct GridBox {
  float left, right, bottom, top;
};

GridBox grid_box(const StrokeFont* font) {
  const bool symbols = font != nullptr && font->number >= FONT_NUMBER_SYMBOL_BASE;
  const float right = symbols ? SYMBOL_GRID_RIGHT : GLYPH_GRID_RIGHT;
  const float top = symbols ? SYMBOL_GRID_TOP : GLYPH_GRID_TOP;
  const int columns = static_cast<int>(std::floor(right / GLYPH_GRID_STEP)) + 1;
  const int rows = static_cast<int>(std::floor(top / GLYPH_GRID_STEP)) + 1;
  return {-HALF_CELL, (columns - 1) * GLYPH_GRID_STEP + HALF_CELL,
          top - (rows - 1) * GLYPH_GRID_STEP - HALF_CELL - KEY_ROOM, top + HALF_CELL};
}

// Fits the view so that the page's grid fills the glyph rows, centred.
void fit_view_to_grid(const ViewerRows& rows) {
  ViewState& v = g_view;
  const int h = std::max<int>(1, g_display.current.cell_height);
  const GridBox g = grid_box(g_font_viewer.font);
  const double region_top = rows.first_glyph_row * h - v.area_top;
  const double region_height = std::max(1, (rows.last_glyph_row - rows.first_glyph_row + 1) * h);
  const double region_width = std::max<int>(1, v.area_width);
  const double scale = std::min(region_width / (g.right - g.left), region_height / (g.top - g.bottom));
  const double spare_x = (region_width / scale - (g.right - g.left)) / 2.0;
  const double spare_y = (region_height / scale - (g.top - g.bottom)) / 2.0;
  v.scale_x = v.scale_y = static_cast<float>(scale);
  v.view_left = static_cast<float>(g.left - spare_x);
  v.view_top = static_cast<float>(g.top + spare_y + region_top / scale);
  v.view_right = static_cast<float>(v.view_left + v.area_width / scale);
  v.view_bottom = static_cast<float>(v.view_top - (v.area_bottom - v.area_top) / scale);
  v.pick_tolerance = static_cast<float>(pick_pixels() / scale);
}

TextLayout layout_of(DrawingItem* item) {
  TextLayout l;
  if (const uint8_t* stored = block_text_layout(item_block(item))) read_text_layout(stored, &l);
  return l;
}

// A glyph's key as the viewer writes it: the character, or its code above 126.
std::string key_label(int code) {
  if (code <= 126) return std::string(1, static_cast<char>(code));
  return std::to_string(code);
}

// Written in pixels just under the glyph's bottom edge, centred under it, in the gap before the
// next row of glyphs.
void write_key_under(DrawingItem* item) {
  if (item->text.empty()) return;
  const CellMetrics& c = g_display.current;
  const TextLayout l = layout_of(item);
  int x = 0;
  int y = 0;
  world_to_screen({l.anchor.x, l.anchor.y - l.height / 2.0f}, &x, &y);
  const std::string key = key_label(static_cast<uint8_t>(item->text[0]));
  const int left = std::max(0, x - static_cast<int>(key.size()) * c.cell_width / 2);
  draw_text(-(y + g_view.area_top + KEY_GAP_PIXELS), left, key.c_str());
}

void draw_viewer() {
  FontViewer& f = g_font_viewer;
  const ViewerRows rows = viewer_rows();
  hide_pointer();
  clear_drawing_area();
  fill_cells(rows.title, 0, rows.below_buttons - 1, g_display.current.last_column, 0);
  fill_cells(rows.page_status, 0, rows.button_status, g_display.current.last_column, 0);
  draw_text(rows.title, 1, f.title.c_str());
  fit_view_to_grid(rows);
  // The glyphs: drawn as the Drawing page draws texts, with or without their frames.
  DrawingOptions& o = g_preferences.drawing;
  o.show_text_boxes = f.boxes ? 1 : 0;
  o.show_tool_width = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item->state & ITEM_FLAG_SELECTED) == 0) continue;
    draw_item(item, 0);
  }
  // The keys after every glyph, so that no frame of the next row crosses them.
  if (f.show_keys)
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      if ((item->state & ITEM_FLAG_SELECTED) != 0) write_key_under(item);
  char status[96];
  if (f.pages <= 1)
    std::snprintf(status, sizeof status, "%s", VIEWER_WHOLE_FONT);
  else
    std::snprintf(status, sizeof status,
                  "Showing page %2d of %2d.  PAGE UP and PAGE DOWN will change pages.", f.page,
                  f.pages);
  draw_text(rows.page_status, 1, status);
  draw_text(rows.button_status, 1, VIEWER_RIGHT_BUTTON);
  make_viewer_buttons(rows.buttons);
  draw_controls(f.buttons.data(), 0);
  show_pointer();
}

void turn_to(int page) {
  FontViewer& f = g_font_viewer;
  if (page < 1 || page > f.pages || page == f.page) return;
  if (show_glyph_page(g_lists.current.first, page) == nullptr) return;
  f.page = page;
  draw_viewer();
}

// The glyph in the grid cell under the pointer, or 0.
int glyph_under_pointer() {
  const PointF at = screen_to_world(g_pointer.wanted_x, g_pointer.wanted_y);
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item->state & ITEM_FLAG_SELECTED) == 0 || item->text.empty()) continue;
    const TextLayout l = layout_of(item);
    if (std::fabs(at.x - l.anchor.x) <= HALF_CELL && std::fabs(at.y - l.anchor.y) <= HALF_CELL)
      return static_cast<uint8_t>(item->text[0]);
  }
  return 0;
}

// In pick mode the pointer says whether a click would take a glyph.
void show_pick_pointer() {
  set_pointer_shape(glyph_under_pointer() != 0 ? HOVER_SHAPE_ITEM : POINTER_ARROW);
}

// One event of the viewer: the page's result, or a value above 255 to go on.
constexpr int VIEWER_GO_ON = 1000;

int viewer_event(EventCode code, int mode) {
  FontViewer& f = g_font_viewer;
  switch (code) {
    case KEY_ESC: return FONT_VIEWER_CANCELLED;
    case KEY_PGUP: turn_to(f.page - 1); return VIEWER_GO_ON;
    case KEY_PGDN: turn_to(f.page + 1); return VIEWER_GO_ON;
    case EVENT_MIDDLE_DOWN: turn_to(f.page < f.pages ? f.page + 1 : 1); return VIEWER_GO_ON;
    case EVENT_RIGHT_DOWN: return FONT_VIEWER_OTHER_FONT;
    case EVENT_REDRAW: draw_viewer(); return VIEWER_GO_ON;
    case EVENT_POINTER_MOVE:
      follow_mouse();
      if (mode == FONT_VIEWER_PICK) show_pick_pointer();
      return VIEWER_GO_ON;
    case EVENT_QUIT: g_events.quit_requested = true; return FONT_VIEWER_CANCELLED;
    case EVENT_LEFT_DOWN: break;
    default:
      if (code >= FONT_FIRST_GLYPH_CODE && code <= FONT_LAST_CODE &&
          font_has_glyph(f.font, static_cast<int>(code)))
        return static_cast<int>(code);
      return VIEWER_GO_ON;
  }
  switch (hit_test_pointer(true)) {
    case VIEWER_NEXT_PAGE: turn_to(f.page + 1); return VIEWER_GO_ON;
    case VIEWER_PREV_PAGE: turn_to(f.page - 1); return VIEWER_GO_ON;
    case VIEWER_CHANGE_FONT: return FONT_VIEWER_OTHER_FONT;
    case VIEWER_CANCEL: return FONT_VIEWER_CANCELLED;
    case VIEWER_KEYS: f.show_keys = !f.show_keys; draw_viewer(); return VIEWER_GO_ON;
    case VIEWER_BOXES: f.boxes = !f.boxes; draw_viewer(); return VIEWER_GO_ON;
    default: break;
  }
  if (mode == FONT_VIEWER_PICK) {
    const int picked = glyph_under_pointer();
    if (picked != 0) return picked;
  }
  return VIEWER_GO_ON;
}

// The view's window and scale, given back when the viewer ends.
struct SavedView {
  float scale_x, scale_y, left, bottom, right, top, pick_tolerance;
};

SavedView save_view() {
  const ViewState& v = g_view;
  return {v.scale_x, v.scale_y, v.view_left, v.view_bottom, v.view_right, v.view_top,
          v.pick_tolerance};
}

void restore_view(const SavedView& s) {
  ViewState& v = g_view;
  v.scale_x = s.scale_x;
  v.scale_y = s.scale_y;
  v.view_left = s.left;
  v.view_bottom = s.bottom;
  v.view_right = s.right;
  v.view_top = s.top;
  v.pick_tolerance = s.pick_tolerance;
}

// The text of a font's list line before its line break (its title) and after it (its file).
const std::string& font_file_name(const StrokeFont* font) {
  return font->file_name.empty() ? font->table.name : font->file_name;
}

}  // namespace

int run_font_list(const char* title) {
  const CellMetrics& cells = g_display.presets[FACE_ROLE_NORMAL];
  const int lines = count_current_lines();
  // The window numbers its lines for itself: the ids are kept here, in the lines' order, and the
  // chosen line is known by its place.
  std::vector<int> ids;
  for (const TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    ids.push_back(line->id);
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
  size_t place = 0;
  for (const TextLine* line = chosen; line != nullptr && line->prev != nullptr; line = line->prev)
    ++place;
  const int id = chosen != nullptr && place < ids.size() ? ids[place] : -1;
  destroy_window(node);
  pop_active_window();
  return id;
}

int choose_stroke_font() {
  push_list();
  clear_current_list();
  append_font_list_lines();
  if (g_lists.current.first == nullptr) {
    TextLine* line = append_line(NO_STROKE_FONTS_LINE);
    if (line != nullptr) line->id = -1;
  } else {
    // Sorted by title here: the list's own sort numbers its lines anew, and the ids are the fonts.
    struct Line {
      std::string text;
      int16_t id;
      uint8_t state;
    };
    std::vector<Line> lines;
    for (const TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
      lines.push_back({line->text, line->id, line->state});
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
      return compare_font_titles(a.text, b.text) < 0;
    });
    free_current_list();
    for (const Line& l : lines) {
      TextLine* line = append_line(l.text.c_str());
      if (line == nullptr) break;
      line->id = l.id;
      line->state = l.state;
    }
  }
  const int id = run_font_list(FONT_LIST_TITLE);
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  return id;
}

int choose_symbol_font() {
  push_list();
  clear_current_list();
  if (append_symbol_font_lines() == 0) {
    TextLine* line = append_line(NO_SYMBOL_FONTS_LINE);
    if (line != nullptr) line->id = NO_SYMBOL_FONTS_ID;
  }
  const int id = run_font_list(SYMBOL_LIST_TITLE);
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  return id == NO_SYMBOL_FONTS_ID ? -1 : id;
}

std::string font_viewer_title(const StrokeFont* font, int mode) {
  if (font == nullptr) return "";
  if (mode == FONT_VIEWER_PICK) return "Select a symbol from the " + font->title + " font";
  return "Viewing " + font->title + " font (filename: " + font_file_name(font) + ".q2f)";
}

int font_viewer_page(int mode) {
  FontViewer& f = g_font_viewer;
  DrawingOptions& o = g_preferences.drawing;
  const uint8_t kept_boxes = o.show_text_boxes;
  const uint8_t kept_tool_width = o.show_tool_width;
  const SavedView kept_view = save_view();
  f.boxes = kept_boxes != 0;
  f.page = 1;
  f.pages = std::max(1, f.pages);
  show_glyph_page(g_lists.current.first, 1);
  push_control_table();
  draw_viewer();
  int result = FONT_VIEWER_CANCELLED;
  for (;;) {
    if (g_form.redraw_level != 0) {
      g_form.redraw_level = 0;
      draw_viewer();
    }
    move_pointer();
    const EventCode code = wait_input_code();
    if (code == EVENT_TICK || code == 0) continue;
    const int r = viewer_event(code, mode);
    if (r != VIEWER_GO_ON) {
      result = r;
      break;
    }
  }
  pop_control_table();
  set_pointer_shape(POINTER_ARROW);
  o.show_text_boxes = kept_boxes;
  o.show_tool_width = kept_tool_width;
  restore_view(kept_view);
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  return result;
}

int pick_font(int mode, uint8_t* picked) {
  if (picked != nullptr) *picked = 0;
  const int viewer_mode = mode == PICK_FONT_VIEW ? FONT_VIEWER_VIEW : FONT_VIEWER_PICK;
  int previous = -1;
  int chosen = 0;
  for (;;) {
    unload_fonts();
    show_status_line(PICK_FONT_STATUS);
    int id = mode == PICK_FONT_VIEW ? choose_stroke_font() : choose_symbol_font();
    // Leaving the list after "Change font" goes back to the font shown before.
    if (id < 0) id = previous;
    if (id < 0) break;
    StrokeFont* font = font_with_table(static_cast<int16_t>(id));
    // A font whose glyph table cannot be read (or that is gone) sends the user back to the list.
    if (font == nullptr || font->number != id) {
      previous = -1;
      continue;
    }
    push_list();
    clear_current_list();
    g_font_viewer.font = font;
    g_font_viewer.title = font_viewer_title(font, viewer_mode);
    g_font_viewer.pages = append_font_viewer_items(font);
    const int result = font_viewer_page(viewer_mode);
    free_current_list();
    pop_list();
    g_font_viewer.font = nullptr;
    chosen = font->number;
    if (result > 0) {
      if (picked != nullptr) *picked = static_cast<uint8_t>(result);
      break;
    }
    if (result == FONT_VIEWER_CANCELLED) break;
    previous = id;
  }
  reload_text_fonts(false);
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  return chosen;
}
