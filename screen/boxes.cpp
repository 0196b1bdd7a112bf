#include "screen/boxes.h"

#include <algorithm>
#include <cstring>

#include "platform/canvas.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"

TabStrip g_tab_strip;

namespace {

constexpr const char* PAGE_TAB_TEXTS[] = {"Job setup", "Engraving list", "Drawing",
                                          "3-D view",  "NC program",     "Utilities"};
constexpr int PALETTE_TAB_LINE = 9;

std::vector<PageTab> make_page_tabs() {
  std::vector<PageTab> tabs;
  for (const char* text : PAGE_TAB_TEXTS) {
    PageTab tab;
    std::strncpy(tab.text, text, PAGE_TAB_TEXT_SIZE - 1);
    tabs.push_back(tab);
  }
  return tabs;
}

int tab_top(const CellMetrics& menu) { return g_tab_strip.base_line - menu.cell_height - 2; }

}  // namespace

const std::vector<PageTab>& page_tab_table() {
  static const std::vector<PageTab> tabs = make_page_tabs();
  return tabs;
}

const char* layout_tabs(const std::vector<PageTab>& tabs, int cells, int offset, int left,
                        int right, int base_line) {
  const int cw = g_display.presets[FACE_ROLE_MENU].cell_width;
  g_tab_strip.tabs = tabs;
  int x = offset + cells * cw;
  for (PageTab& tab : g_tab_strip.tabs) {
    tab.x = static_cast<int16_t>(x);
    tab.y = static_cast<int16_t>(base_line);
    tab.width = static_cast<int16_t>(static_cast<int>(std::strlen(tab.text)) * cw);
    x += tab.width + 2 * cw;
  }
  g_tab_strip.top = offset;
  g_tab_strip.left = left;
  g_tab_strip.right = right;
  g_tab_strip.base_line = base_line;
  // The strip is laid out to be seen: the caption and the tabs show from now on.
  g_form.caption_hidden_count = 0;
  return g_tab_strip.tabs.empty() ? "" : g_tab_strip.tabs.front().text;
}

void draw_page_tabs(int /*repaint*/) {
  if (g_tab_strip.tabs.empty() || g_text.screen.target == nullptr) return;
  hide_pointer();
  push_text_metrics();
  g_display.current = g_display.presets[FACE_ROLE_MENU];
  const CellMetrics& menu = g_display.current;
  Canvas* canvas = &g_text.screen;
  const CanvasPen pen = canvas->pen;
  const CanvasBrush brush = canvas->brush;
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(PALETTE_TAB_LINE);
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  for (size_t i = 0; i < g_tab_strip.tabs.size(); ++i) {
    const PageTab& tab = g_tab_strip.tabs[i];
    canvas_draw_rect(canvas, {tab.x - menu.cell_width, tab_top(menu),
                              tab.x + tab.width + menu.cell_width, tab.y + 1});
  }
  canvas_draw_line(canvas, g_tab_strip.left, g_tab_strip.base_line, g_tab_strip.right,
                   g_tab_strip.base_line);
  canvas->pen = pen;
  canvas->brush = brush;
  for (size_t i = 0; i < g_tab_strip.tabs.size(); ++i) {
    const PageTab& tab = g_tab_strip.tabs[i];
    const bool active = static_cast<int>(i) == g_tab_strip.active;
    const std::string text = active ? std::string("\v") + tab.text + "\x13" : tab.text;
    draw_text(-(tab.y - menu.cell_height), tab.x, text.c_str());
  }
  pop_text_metrics();
}

int hit_test_page_tab(int x, int y) {
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  if (y < tab_top(menu) || y > g_tab_strip.base_line) return -1;
  for (size_t i = 0; i < g_tab_strip.tabs.size(); ++i) {
    const PageTab& tab = g_tab_strip.tabs[i];
    if (x >= tab.x - menu.cell_width && x < tab.x + tab.width + menu.cell_width)
      return static_cast<int>(i);
  }
  return -1;
}

void draw_caption(const char* text, int /*active*/) {
  if (text != nullptr) g_tab_strip.caption = std::string(text).substr(0, CAPTION_TEXT_MAX);
}

void reset_tab_strip() { g_tab_strip = TabStrip(); }
