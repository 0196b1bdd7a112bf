#include "screen/boxes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/canvas.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "store/picture_numbers.h"

TabStrip g_tab_strip;

namespace {

constexpr const char* PAGE_TAB_TEXTS[] = {"Job setup", "Engraving list", "Drawing",
                                          "3-D view",  "NC program",     "Utilities"};
constexpr int PALETTE_TEXT = 0;
constexpr int PALETTE_BACKGROUND = 1;
constexpr int PALETTE_FRAME = 5;
constexpr int PALETTE_ACTIVE_TEXT = 7;
constexpr int PALETTE_TAB_LINE = 9;
constexpr int PALETTE_FILL_141 = 141;
constexpr int PALETTE_TAB = 169;
constexpr int PALETTE_STRIP = 171;
constexpr ColourValue STRIP_GREY = 0xA0A0A0;
constexpr int TAB_INACTIVE_SHADE = -16;
constexpr int TAB_ACTIVE_BRIGHTEN = 19;

constexpr uint8_t PATTERN_ROWS[3][2] = {{0x55, 0xAA}, {0xBB, 0xEE}, {0xBB, 0xEE}};

Canvas* screen() { return g_text.screen.target != nullptr ? &g_text.screen : nullptr; }

void line(Canvas* canvas, uint32_t rgb, int x1, int y1, int x2, int y2) {
  canvas->pen = CanvasPen{};
  canvas->pen.colour = rgb;
  canvas->mix = CANVAS_MIX_COPY;
  canvas_draw_line(canvas, x1, y1, x2, y2);
}

// Fills and outlines a rectangle in one colour.
void solid_rect(Canvas* canvas, uint32_t rgb, int x1, int y1, int x2, int y2) {
  canvas->pen = CanvasPen{};
  canvas->pen.colour = rgb;
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = rgb;
  canvas->mix = CANVAS_MIX_COPY;
  canvas_draw_rect(canvas, {x1, y1, x2, y2});
}

void ring(Canvas* canvas, uint32_t rgb, int x1, int y1, int x2, int y2) {
  canvas->pen = CanvasPen{};
  canvas->pen.colour = rgb;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_COPY;
  canvas_draw_rect(canvas, {x1, y1, x2, y2});
}

uint32_t contrast_pixel(int amount) { return colour_pixel(contrast_colour(amount)); }

uint32_t slot_pixel(int slot) { return palette_pixel(g_attributes.scheme[slot]); }

void inset_for_band(int style, int* y1, int* y2, int* x1, int* x2) {
  static constexpr int TOP[] = {1, 2, 4, 4, 3};
  static constexpr int BOTTOM[] = {2, 2, 3, 3, 4};
  const int band = std::min<int>(g_display.band, 4);
  *y1 += TOP[band];
  *y2 -= BOTTOM[band];
  *x2 -= 1;
  if (style & BOX_RAISED) {
    *x1 += g_display.current.cell_width / 3;
    *x2 -= g_display.current.cell_width / 3;
  }
}

void draw_sunken(Canvas* canvas, int x1, int y1, int x2, int y2) {
  const bool tall = g_display.current.cell_height > 16;
  if (tall) {
    ++y1;
    ++y2;
  }
  line(canvas, RGB_WHITE, x1, y2, x2, y2);
  line(canvas, RGB_WHITE, x2, y2, x2, y1);
  line(canvas, RGB_GREY, x1, y2 - 1, x1, y1 - 1);
  line(canvas, RGB_GREY, x1, y1 - 1, x2 + 1, y1 - 1);
  int in = 1;
  if (tall) {
    line(canvas, RGB_WHITE, x1 + 1, y2 - 1, x2 - 1, y2 - 1);
    line(canvas, RGB_WHITE, x2 - 1, y2 - 1, x2 - 1, y1 + 1);
    line(canvas, RGB_GREY, x1 + 1, y2 - 2, x1 + 1, y1);
    line(canvas, RGB_GREY, x1 + 1, y1, x2, y1);
    in = 2;
  }
  solid_rect(canvas, contrast_pixel(-24), x1 + in, y1 + in - 1, x2 - in + 1, y2 - in + 1);
}

void draw_etched(Canvas* canvas, int style, int x1, int y1, int x2, int y2) {
  const uint32_t dark = contrast_pixel(-100);
  const bool thin = (style & BOX_THIN) != 0;
  if (thin) ++y1;
  line(canvas, thin ? RGB_WHITE : dark, x1, y2, x1, y1);
  line(canvas, thin ? RGB_WHITE : dark, x1, y1, x2, y1);
  line(canvas, thin ? dark : RGB_WHITE, x1 + 1, y2, x2, y2);
  line(canvas, thin ? dark : RGB_WHITE, x2, y2, x2, y1 + 1);
  int in = 1;
  if (!thin) {
    line(canvas, RGB_WHITE, x1 + 1, y2 - 1, x1 + 1, y1 + 1);
    line(canvas, RGB_WHITE, x1 + 1, y1 + 1, x2 - 1, y1 + 1);
    line(canvas, dark, x1 + 2, y2 - 1, x2 - 1, y2 - 1);
    line(canvas, dark, x2 - 1, y2 - 1, x2 - 1, y1 + 2);
    in = 2;
  }
  solid_rect(canvas, contrast_pixel(-8), x1 + in, y1 + in, x2 - in + 1, y2 - in + 1);
}

void draw_raised(Canvas* canvas, int x1, int y1, int x2, int y2) {
  line(canvas, RGB_GREY, x1, y2, x2, y2);
  line(canvas, RGB_GREY, x2, y2, x2, y1);
  line(canvas, RGB_WHITE, x1 + 1, y2 - 1, x1 + 1, y1 + 1);
  line(canvas, RGB_WHITE, x1 + 1, y1 + 1, x2 - 1, y1 + 1);
  int in = 2;
  if (g_display.current.cell_height > 16) {
    line(canvas, RGB_GREY, x1 + 1, y2 - 1, x2 - 1, y2 - 1);
    line(canvas, RGB_GREY, x2 - 1, y2 - 1, x2 - 1, y1 + 1);
    line(canvas, RGB_WHITE, x1 + 2, y2 - 2, x1 + 2, y1 + 2);
    line(canvas, RGB_WHITE, x1 + 2, y1 + 2, x2 - 2, y1 + 2);
    in = 3;
  }
  canvas->pen = CanvasPen{};
  canvas->pen.colour = RGB_FACE_EDGE;
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = RGB_FACE;
  canvas_draw_rect(canvas, {x1 + in, y1 + in, x2 - in + 2, y2 - in + 2});
}

void draw_flat(Canvas* canvas, int style, int x1, int y1, int x2, int y2) {
  const uint32_t pen = (style & BOX_DARK) ? contrast_pixel(-64) : slot_pixel(COLOUR_SLOT_FRAME_INNER);
  if (style & BOX_HOLLOW) {
    ring(canvas, pen, x1 + 2, y1 + 2, x2 - 4, y2);
    return;
  }
  if (style & BOX_THIN) {
    ring(canvas, pen, x1, y1, x2, y2 + 1);
    return;
  }
  ring(canvas, pen, x1, y1, x2, y2);
  const bool inset = (style & BOX_INSET) != 0;
  const uint32_t second = inset ? RGB_GREY : slot_pixel(COLOUR_SLOT_FRAME);
  const bool thick = !(inset && g_display.band <= 3);
  if (thick) ring(canvas, second, x1 + 1, y1 + 1, x2 + 1, y2 + 1);
  if (!(style & BOX_SHADOW)) return;
  if (thick) ring(canvas, second, x1 + 2, y1 + 2, x2 + 2, y2 + 2);
  const int ch = g_display.presets[FACE_ROLE_NORMAL].cell_height;
  int s = std::min(std::min(x2 - x1, y2 - y1) / 3, ch - ch / 3) + 1;
  if (inset) s = std::max(s / 2, 2);
  pattern_rect(PATTERN_CHECKER, x1 + s, y2, x2 + s, y2 + s);
  pattern_rect(PATTERN_CHECKER, x2, y1 + s, x2 + s, y2 + s);
}

// The x of a slanted tab side at a height above the base line.
int tab_side(int base_x, int top_x, int rise, int height) {
  return height <= 0 ? base_x : base_x + (top_x - base_x) * rise / height;
}

}  // namespace

uint32_t colour_pixel(uint32_t v) {
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

void draw_box(int style, int row, int column, int height, int width, int kind) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  int x1 = column;
  int y1 = -row;
  if (row >= 0) {
    x1 = column * g_display.current.cell_width;
    y1 = row * g_display.current.cell_height;
    height *= g_display.current.cell_height;
    width *= g_display.current.cell_width;
  }
  int x2 = x1 + width;
  int y2 = y1 + height;
  if (style & BOX_INSET) {
    inset_for_band(style, &y1, &y2, &x1, &x2);
  } else if (style & BOX_TALL) {
    y1 -= 3;
    y2 += 1;
  }
  if (style & BOX_LEFT) x1 -= 3;
  CanvasKeep keep(canvas);
  if (style & BOX_INVERT) {
    xor_fill_rect(x1, y1, x2, y2, RGB_WHITE);
    return;
  }
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->mix = CANVAS_MIX_COPY;
  if (style & BOX_FILL_GREY) {
    fill_rect(x1, y1, x2, y2, RGB_GREY);
  } else if (style & BOX_FILL_KIND) {
    fill_rect(x1, y1, x2, y2, palette_pixel(kind == 4 ? 111 : kind == 5 ? 61 : 71));
  } else if (style & BOX_FILL_141) {
    fill_rect(x1, y1, x2, y2, palette_pixel(PALETTE_FILL_141));
  }
  if (style & BOX_SUNKEN) {
    draw_sunken(canvas, x1, y1, x2, y2);
  } else if (style & BOX_ETCHED) {
    draw_etched(canvas, style, x1, y1, x2, y2);
  } else if (style & BOX_RAISED) {
    draw_raised(canvas, x1, y1, x2, y2);
  } else {
    draw_flat(canvas, style, x1, y1, x2, y2);
  }
}

void pattern_rect(int pattern, int left, int top, int right, int bottom) {
  Canvas* canvas = screen();
  if (canvas == nullptr || pattern < 0 || pattern > PATTERN_SHADOW) return;
  Surface* s = canvas->target;
  const int x1 = std::max(left, 0);
  const int y1 = std::max(top, 0);
  const int x2 = std::min(right, s->width);
  const int y2 = std::min(bottom, s->height);
  // Mask mix: a black pattern pixel darkens what lies beneath, a white one leaves it.
  for (int y = y1; y < y2; ++y) {
    const uint8_t bits = PATTERN_ROWS[pattern][y & 1];
    for (int x = x1; x < x2; ++x) {
      if ((bits >> (7 - (x & 7))) & 1) continue;
      s->pixels[static_cast<size_t>(y) * s->width + x] = 0;
    }
  }
}

void shade_rect(int left, int top, int right, int bottom) {
  if (g_interface.shading_option != 0) return;
  hide_pointer();
  pattern_rect(PATTERN_LIGHT, left, top, right, bottom);
}

void draw_colour_line(int x1, int y1, int x2, int y2, int palette_index) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(palette_index);
  canvas->mix = CANVAS_MIX_COPY;
  canvas_draw_line(canvas, x1, y1, x2, y2);
}

void draw_line(int x1, int y1, int x2, int y2) {
  Canvas* canvas = screen();
  if (canvas != nullptr) canvas_draw_line(canvas, x1, y1, x2, y2);
}

void xor_polyline(std::span<const CanvasPoint> points) {
  Canvas* canvas = screen();
  if (canvas == nullptr || points.size() < 2) return;
  CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(g_attributes.scheme[COLOUR_SLOT_THIRD]) ^
                       palette_pixel(g_attributes.scheme[COLOUR_SLOT_BACKGROUND]);
  canvas->mix = CANVAS_MIX_XOR;
  canvas_draw_polyline(canvas, points);
  // A polyline leaves out its last point; XORed in alike both times, it belongs to the line.
  const CanvasPoint& last = points.back();
  const CanvasPoint& first = points.front();
  if (last.x != first.x || last.y != first.y) canvas_draw_line(canvas, last.x, last.y, last.x + 1, last.y);
}

void xor_fill_rect(int left, int top, int right, int bottom, uint32_t rgb) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  CanvasKeep keep(canvas);
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = rgb;
  canvas->mix = CANVAS_MIX_XOR;
  canvas_fill_rect(canvas, {left, top, right, bottom});
}

void fill_rect(int left, int top, int right, int bottom, uint32_t rgb) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  CanvasKeep keep(canvas);
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = rgb;
  canvas->mix = CANVAS_MIX_COPY;
  canvas_fill_rect(canvas, {left, top, right, bottom});
}

void frame_rect(int left, int top, int right, int bottom, int palette_index, int mix) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(palette_index);
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = static_cast<CanvasMix>(mix);
  canvas_draw_rect(canvas, {left, top, right, bottom});
}

void draw_progress_bar(int bottom_row, int column, int rows, int value, int maximum, int options) {
  if (screen() == nullptr) return;
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  int top_row = bottom_row - rows;
  if (top_row < 1) {
    top_row = 1;
    bottom_row = rows + 1;
  }
  if (options > 0 && (options & 0x02)) {
    char text[16];
    std::snprintf(text, sizeof text, " %.1d ", value);
    draw_tiny_text(top_row - 1, column, text);
  }
  draw_box(BOX_LEVEL_BAR, top_row, column, rows, 1, 0);
  if (maximum <= 0) return;
  const int full = rows * ch;
  const int filled = std::min(full, (value * full + maximum - 1) / maximum);
  if (filled <= 0) return;
  const int bottom = bottom_row * ch;
  const uint32_t colour = slot_pixel(COLOUR_SLOT_HIGHLIGHT);
  if (options > 0) {
    fill_rect(column * cw, bottom - filled, (column + 1) * cw, bottom, colour);
    return;
  }
  // Animated: a row a tick; a character ends it at once and stays queued for the caller.
  for (int drawn = 1; drawn <= filled; ++drawn) {
    const EventCode code = poll_input_code(EVENT_PEEK_LIMIT);
    if (code >= 1 && code <= 255) {
      fill_rect(column * cw, bottom - filled, (column + 1) * cw, bottom, colour);
      return;
    }
    fill_rect(column * cw, bottom - drawn, (column + 1) * cw, bottom - drawn + 1, colour);
    pause_ms(TICK_MS);
  }
}

void draw_check_box(bool checked, int x, int y) {
  // Three sizes of the pictures: the small band, the large bands, and the rest.
  const int size = g_display.band == 1 ? 0 : g_display.band >= 4 ? 2 : 1;
  draw_picture(-(PICTURE_CHECK_BOX + 2 * size + (checked ? 1 : 0)), x, y);
}

// ---- Page tabs ----------------------------------------------------------------------------------

const std::vector<PageTab>& page_tab_table() {
  static const std::vector<PageTab> tabs = [] {
    std::vector<PageTab> made;
    for (const char* text : PAGE_TAB_TEXTS) {
      PageTab tab;
      std::strncpy(tab.text, text, PAGE_TAB_TEXT_SIZE - 1);
      made.push_back(tab);
    }
    return made;
  }();
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

void draw_tab(const PageTab& tab, bool active) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  push_text_metrics();
  g_display.current = g_display.presets[FACE_ROLE_MENU];
  const int cw = g_display.current.cell_width;
  const int base = tab.y;
  const int top = base - g_display.current.cell_height - 2;
  const int height = base - top;
  const CanvasPoint corners[] = {{tab.x - 2 * cw, base},
                                 {tab.x + 2, top},
                                 {tab.x + tab.width - 2, top},
                                 {tab.x + tab.width + 2 * cw, base}};
  {
    CanvasKeep keep(canvas);
    canvas->mix = CANVAS_MIX_COPY;
    canvas->pen = CanvasPen{};
    if (!active) {
      canvas->pen.colour = palette_pixel(PALETTE_FRAME);
      canvas->brush.kind = CANVAS_BRUSH_SOLID;
      canvas->brush.colour = tab.colour == 0 ? palette_pixel(PALETTE_TAB)
                                             : colour_pixel(contrast_of(tab.colour, TAB_INACTIVE_SHADE));
      canvas_draw_polygon(canvas, corners);
    } else {
      const ColourValue start = tab.colour == 0 ? g_palette.palette[PALETTE_BACKGROUND] : tab.colour;
      double channel[3] = {static_cast<double>(start & 0xFF),
                           static_cast<double>((start >> 8) & 0xFF),
                           static_cast<double>((start >> 16) & 0xFF)};
      const double step = height > 0 ? static_cast<double>(TAB_ACTIVE_BRIGHTEN) / height : 0;
      for (int rise = 0; rise <= height; ++rise) {
        const ColourValue shade =
            static_cast<ColourValue>(std::min(255L, std::lround(channel[0]))) |
            (static_cast<ColourValue>(std::min(255L, std::lround(channel[1]))) << 8) |
            (static_cast<ColourValue>(std::min(255L, std::lround(channel[2]))) << 16);
        line(canvas, colour_pixel(shade), tab_side(corners[0].x, corners[1].x, rise, height),
             base - rise, tab_side(corners[3].x, corners[2].x, rise, height), base - rise);
        for (double& c : channel) c += step;
      }
      canvas->pen = CanvasPen{};
      canvas->pen.colour = palette_pixel(PALETTE_TAB_LINE);
      canvas->mix = CANVAS_MIX_COPY;
      canvas_draw_polyline(canvas, corners);
    }
  }
  const uint8_t text = g_attributes.scheme[COLOUR_SLOT_TEXT];
  g_attributes.scheme[COLOUR_SLOT_TEXT] = static_cast<uint8_t>(active ? PALETTE_ACTIVE_TEXT : PALETTE_TEXT);
  draw_text_transparent(-(base - g_display.current.cell_height), tab.x, tab.text);
  g_attributes.scheme[COLOUR_SLOT_TEXT] = text;
  pop_text_metrics();
}

void draw_page_tabs(int repaint) {
  if (g_form.caption_hidden_count != 0 || g_tab_strip.tabs.empty() || screen() == nullptr) return;
  hide_pointer();
  g_palette.palette[PALETTE_STRIP] = STRIP_GREY;
  if (repaint) {
    fill_rect(g_tab_strip.left, g_tab_strip.top, g_tab_strip.right, g_tab_strip.base_line,
              palette_pixel(PALETTE_STRIP));
    if (g_tab_strip.left == 0) draw_caption(nullptr, g_form.active ? 1 : 0);
  }
  const int last = static_cast<int>(g_tab_strip.tabs.size()) - 1;
  const int active = g_tab_strip.active;
  // Inactive tabs from both ends inwards, so that each overlaps its neighbour nearer the active
  // tab; the active one last, over the base line.
  for (int low = 0, high = last; low < active || high > active;) {
    if (low < active) draw_tab(g_tab_strip.tabs[low++], false);
    if (high > active) draw_tab(g_tab_strip.tabs[high--], false);
  }
  {
    Canvas* canvas = screen();
    CanvasKeep keep(canvas);
    line(canvas, palette_pixel(PALETTE_TAB_LINE), g_tab_strip.top, g_tab_strip.base_line,
         g_display.screen_width, g_tab_strip.base_line);
  }
  if (active >= 0 && active <= last) draw_tab(g_tab_strip.tabs[active], true);
}

int hit_page_tab(int x, int y) {
  if (g_tab_strip.button_bar_running || g_tab_strip.tabs.empty() || g_form.caption_hidden_count != 0)
    return -2;
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  if (y > g_tab_strip.base_line) return -2;
  if (y < g_tab_strip.base_line - menu.cell_height * 3 / 2) return -1;
  const PageTab& last = g_tab_strip.tabs.back();
  if (x >= last.x + last.width + 2 * menu.cell_width) return -1;
  int found = -1;
  for (size_t i = 0; i < g_tab_strip.tabs.size(); ++i) {
    if (g_tab_strip.tabs[i].x - 2 * menu.cell_width > x) break;
    found = static_cast<int>(i);
  }
  if (found >= 0) set_pointer_shape(POINTER_HAND);
  return found;
}

// ---- Caption ------------------------------------------------------------------------------------

void draw_caption(const char* text, int active) {
  if (text != nullptr) g_tab_strip.caption = std::string(text).substr(0, CAPTION_TEXT_MAX);
  if (g_tab_strip.caption.empty()) return;
  if (g_tab_strip.caption_suppressed || g_form.caption_hidden_count != 0 || screen() == nullptr)
    return;
  const CellMetrics& tiny = g_display.presets[FACE_ROLE_TINY];
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  const uint32_t strip = active ? CAPTION_ACTIVE : CAPTION_INACTIVE;
  {
    Canvas* canvas = screen();
    CanvasKeep keep(canvas);
    solid_rect(canvas, strip, 4 * tiny.cell_width, 0, g_display.screen_width - 9 * normal.cell_width,
               tiny.cell_height + 1);
  }
  Canvas* canvas = screen();
  const FontFace* face = canvas->face;
  const bool opaque = canvas->text_opaque;
  canvas->face = interface_face(tiny.face_index);
  canvas->text_colour = active ? CAPTION_ACTIVE_TEXT : CAPTION_INACTIVE_TEXT;
  canvas->text_opaque = false;
  canvas_draw_text(canvas, 5 * tiny.cell_width, 0, g_tab_strip.caption);
  canvas->face = face;
  canvas->text_opaque = opaque;
}

void reset_tab_strip() { g_tab_strip = TabStrip(); }
