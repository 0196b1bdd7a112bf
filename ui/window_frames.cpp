#include "ui/window_frames.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/canvas.h"
#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

constexpr int TITLE_FILE_CUT = 54;
constexpr int TITLE_FILE_LEAST = 15;
constexpr int TITLE_FILE_INDENT = 30;
constexpr uint8_t SHADING_NONE = 0;
constexpr uint8_t SHADING_PATTERN = 1;
constexpr int PALETTE_BACKGROUND = 1;

Canvas* screen() { return g_text.screen.target != nullptr ? &g_text.screen : nullptr; }

uint32_t slot(int s) { return palette_pixel(g_attributes.scheme[s]); }

// Rings shrink by a pixel a side after each.
struct Rings {
  Canvas* canvas;
  int x1, y1, x2, y2;
  void ring(uint32_t rgb) {
    canvas->pen = CanvasPen{};
    canvas->pen.colour = rgb;
    canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
    canvas->mix = CANVAS_MIX_COPY;
    canvas_draw_rect(canvas, {x1, y1, x2 + 1, y2 + 1});
    ++x1;
    ++y1;
    --x2;
    --y2;
  }
};

void draw_rings(TextWindow* w, Rings* r) {
  const uint32_t background = slot(COLOUR_SLOT_BACKGROUND);
  const bool big = g_display.band >= 4;
  const int style = w->flags & WINDOW_FRAME_STYLE_MASK;
  if ((style & 0x03) == 2) {
    for (int i = 0; i < 5; ++i) r->ring(background);
    Canvas* c = r->canvas;
    c->pen.colour = colour_pixel(contrast_colour(64));
    canvas_draw_rect(c, {r->x1, r->y1, r->x2 + 1, r->y2});
    c->pen.colour = colour_pixel(contrast_colour(-80));
    canvas_draw_rect(c, {r->x1 + 1, r->y1 + 1, r->x2 + 2, r->y2 + 1});
    Rings inner{c, r->x1 + 1, r->y1 + 1, r->x2 - 1, r->y2 - 2};
    inner.ring(background);
    return;
  }
  const bool file_look = (w->flags & WINDOW_FILE_FRAME) != 0 && w->file != nullptr;
  const int look = file_look ? 3 : (g_clock.ticks & 7);
  r->ring(0);
  if ((style & 0x03) == 1 || style == 4) r->ring(background);
  const uint32_t s4 = slot(COLOUR_SLOT_TITLE);
  const uint32_t s5 = slot(COLOUR_SLOT_FRAME);
  const uint32_t s6 = slot(COLOUR_SLOT_FRAME_INNER);
  if (look == 3 || look == 4) {
    r->ring(look == 3 ? s4 : s5);
    r->ring(s6);
    if (big) r->ring(s6);
    r->ring(look == 3 ? s5 : background);
    r->ring(look == 3 ? s6 : s5);
  } else {
    const int inner_ring = (look == 0 || look == 5) ? 3 : 1;
    for (int k = 0; k < 4; ++k) {
      if (big && k == 1 && look <= 2) r->ring(s5);
      if (big && k == 2 && look == 5) r->ring(s4);
      if (big && k == 2 && look >= 6) r->ring(background);
      r->ring(k == inner_ring ? s6 : s5);
    }
  }
  r->ring(background);
}

void draw_margin(TextWindow* w, Rings* r) {
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const uint32_t background = slot(COLOUR_SLOT_BACKGROUND);
  int margin = cw / 2;
  if (w->font_mode != FONT_MODE_NORMAL) margin -= 2;
  for (int i = 0; i < margin; ++i) r->ring(background);
  fill_rect(r->x1, r->y1, r->x2 + 1, w->top_row * ch, background);
  fill_rect(r->x1, (w->bottom_row + 1) * ch, r->x2 + 1, r->y2 + 1, background);
}

bool shading_off() { return g_interface.shading_option != 0; }

// Pattern 0 for the pattern style, else a plain fill in palette colour 1.
void shade_area(int left, int top, int right, int bottom) {
  if (g_interface.shading_style == SHADING_PATTERN) {
    pattern_rect(PATTERN_CHECKER, left, top, right, bottom);
  } else {
    fill_rect(left, top, right, bottom, palette_pixel(PALETTE_BACKGROUND));
  }
}

// The title picture's colour is sampled before the frame is drawn; its size, for the bottom-right
// placement, is returned through width and height (0 when it has none).
void sample_title_picture(const TextWindow* w, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (w->title_picture == 0 || w->picture_placement > PICTURE_TOP_LEFT) return;
  if (draw_picture(w->title_picture, PICTURE_SAMPLE_X, 0) != 0) return;
  if (w->picture_placement == PICTURE_BOTTOM_RIGHT) picture_size(w->title_picture, height, width);
}

// The text area is cleared and the picture drawn into it; the lines go over it transparent.
void place_title_picture(const TextWindow* w, int width, int height) {
  if (w->title_picture == 0) return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  if (w->picture_placement != PICTURE_UNPLACED) {
    fill_rect(w->left_column * cw, w->top_row * ch, (w->right_column + 1) * cw,
              (w->bottom_row + 1) * ch, slot(COLOUR_SLOT_BACKGROUND));
    if (w->picture_placement == PICTURE_BOTTOM_RIGHT) {
      draw_picture(w->title_picture, w->pixel_right - width, w->pixel_bottom - height);
    } else {
      draw_picture(w->title_picture, w->left_column * cw, w->top_row * ch);
    }
  }
  ++g_frames.frame_picture_drawn;
}

// Flags the current window's lines that lie in the closed area for redrawing; false when the
// lines end before the area does.
bool flag_lines_in_closed_area(const TextWindow* w) {
  const int ch = g_display.current.cell_height;
  const ClosedArea& area = g_closed_area.area;
  const int first_row = std::max(area.top / ch, static_cast<int>(w->top_row));
  const int last_row = std::min(area.bottom / ch, static_cast<int>(w->bottom_row));
  TextLine* line = g_lists.cursor_line;
  int row = w->top_row + w->cursor_row;
  while (row > first_row && line->prev != nullptr) {
    line = line->prev;
    --row;
  }
  while (row < first_row && line->next != nullptr) {
    line = line->next;
    ++row;
  }
  for (; row <= last_row; ++row) {
    if (line == nullptr) return false;
    if (row >= first_row) line->state |= LINE_STATE_REDRAW;
    line = line->next;
  }
  return true;
}

}  // namespace

bool window_touches_closed_area(int left, int top, int right, int bottom) {
  const ClosedArea& a = g_closed_area.area;
  const auto within = [](int v, int low, int high) { return v >= low && v <= high; };
  const bool side_in_area = within(left, a.left, a.right) || within(right, a.left, a.right);
  const bool area_edge_in_rows = within(a.top, top, bottom) || within(a.bottom, top, bottom);
  const bool edge_in_area = within(top, a.top, a.bottom) || within(bottom, a.top, a.bottom);
  const bool area_side_in_columns = within(a.left, left, right) || within(a.right, left, right);
  return (side_in_area && area_edge_in_rows) || (edge_in_area && area_side_in_columns);
}

void refresh_window_under_closed(int options) {
  TextWindow* w = g_windows.active;
  if (g_form.redraw_level == 0 || w == nullptr || g_lists.cursor_line == nullptr) return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  g_windows.redraw_pending = 1;
  if (!flag_lines_in_closed_area(w) && options >= 0) options &= ~FRAME_ONLY;
  const int left = (w->left_column > 0 ? w->left_column - 1 : w->left_column) * cw;
  if (window_touches_closed_area(left, w->top_row * ch, w->right_column * cw,
                                 (w->bottom_row + 1) * ch)) {
    if (options >= 0) {
      draw_window_frame(options);
      reset_dirty_rect();
    } else {
      g_frames.deferred_frame_window = g_windows.active_node;
    }
  }
  g_form.redraw_level = 0;
  g_frames.lines_dirty = true;
}

void shade_window() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || shading_off() || g_interface.shading_style == SHADING_NONE) return;
  hide_pointer_for_window();
  pattern_rect(PATTERN_CHECKER, w->saved_left, w->saved_top, w->shade_right, w->shade_bottom);
}

void shade_closed_area() {
  if (shading_off() || g_closed_area.clean || g_interface.shading_style == SHADING_NONE) return;
  const ClosedArea& a = g_closed_area.area;
  hide_pointer();
  shade_area(a.left, a.top, a.shade_right, a.shade_bottom);
}

void shade_screen() {
  if (shading_off()) return;
  clear_hover();
  hide_pointer();
  const int menu_height = g_display.presets[FACE_ROLE_MENU].cell_height;
  pattern_rect(PATTERN_LIGHT, 0, 0, g_display.screen_width,
               g_display.screen_height - 2 * menu_height);
}

std::string fit_window_title(const char* title, int room) {
  std::string text = title;
  if (static_cast<int>(text.size()) <= room) return text;
  const size_t slash = text.find('\\');
  if (slash != std::string::npos) text = text.substr(slash + 1);
  if (room > 1 && static_cast<int>(text.size()) > room - 1) text = text.substr(0, room - 1);
  return text + " ";
}

void draw_window_title() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || w->top_row < 1 || w->title[0] == '\0') return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const CellMetrics& tiny = g_display.presets[FACE_ROLE_TINY];
  if (tiny.cell_width <= 0) return;
  const int y = (w->top_row - 1) * ch + ch / 3;
  const int left = w->left_column > 0 ? w->left_column - 1 : w->left_column;
  const int right = w->right_column < g_display.current.last_column ? w->right_column + 1
                                                                     : w->right_column;
  int room = (right - left + 1) * cw / tiny.cell_width;
  const uint8_t text_slot = g_attributes.scheme[COLOUR_SLOT_TEXT];
  g_attributes.scheme[COLOUR_SLOT_TEXT] = g_attributes.scheme[COLOUR_SLOT_TITLE];
  const bool file_window = (w->flags & WINDOW_FILE_FRAME) != 0 && w->file != nullptr;
  if (file_window) room = std::max(room - TITLE_FILE_CUT, TITLE_FILE_LEAST);
  const std::string text = " " + fit_window_title(w->title, room - 2) + " ";
  int x = 0;
  if (file_window) {
    x = w->pixel_left + TITLE_FILE_INDENT * tiny.cell_width;
  } else {
    const int centre = (left + (right - left) / 2) * cw;
    x = centre - static_cast<int>(text.size()) * tiny.cell_width / 2;
  }
  push_text_metrics();
  use_smallest_font();
  const uint8_t opaque = g_text.opaque_text;
  g_text.opaque_text = 1;
  draw_text(-y, std::max(x, 0), text.c_str());
  g_text.opaque_text = opaque;
  pop_text_metrics();
  g_attributes.scheme[COLOUR_SLOT_TEXT] = text_slot;
}

void draw_window_shadow() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const CellMetrics& c = g_display.current;
  const int cw = c.cell_width;
  const int ch = c.cell_height;
  if (w->top_row <= 0 || w->bottom_row >= c.last_row - 1 || w->left_column <= 1 ||
      w->right_column >= c.last_column - 1)
    return;
  const int band_top = (w->bottom_row + 1) * ch + ch / 2;
  pattern_rect(PATTERN_SHADOW, (w->left_column + 1) * cw + 4, band_top,
               (w->right_column + 3) * cw - 1, band_top + ch / 2);
  const int side = (w->right_column + 2) * cw - 1;
  pattern_rect(PATTERN_SHADOW, side, w->top_row * ch + ch / 2, side + cw,
               (w->bottom_row + 2) * ch - 2);
  w->shade_bottom = static_cast<int16_t>(band_top + 1);
  w->shade_right = static_cast<int16_t>((w->right_column + 2) * cw);
}

void draw_window_frame(int options) {
  TextWindow* w = g_windows.active;
  hide_pointer_for_window();
  g_form.redraw_level = 0;
  if (w == nullptr) return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int screen_right = g_display.screen_width;
  const int screen_bottom = g_display.screen_height;
  w->saved_left = static_cast<int16_t>(std::max(0, (w->left_column - 1) * cw));
  w->saved_top = static_cast<int16_t>(std::max(0, ch / 3 + (w->top_row - 1) * ch));
  w->saved_right = static_cast<int16_t>(std::min(screen_right - 1, (w->right_column + 3) * cw));
  w->saved_bottom = static_cast<int16_t>(std::min(screen_bottom - 1, (w->bottom_row + 2) * ch));
  Canvas* canvas = screen();
  int picture_width = 0;
  int picture_height = 0;
  if ((w->flags & WINDOW_FRAME_STYLE_MASK) != 0 && canvas != nullptr) {
    w->shade_right = w->saved_right;
    w->shade_bottom = w->saved_bottom;
    const int cells = (w->right_column - w->left_column + 1) * (w->bottom_row - w->top_row + 1);
    if ((w->flags & WINDOW_KEEP_UNDER) && w->saved_background == nullptr &&
        cells < FRAME_SAVE_UNDER_CELLS) {
      w->saved_background = new CanvasSaveUnder();
      canvas_save_under(*canvas, {w->saved_left, w->saved_top, w->saved_right + 1,
                                  w->saved_bottom + 1},
                        w->saved_background);
    }
    sample_title_picture(w, &picture_width, &picture_height);
    const CanvasPen pen = canvas->pen;
    const CanvasBrush brush = canvas->brush;
    const CanvasMix mix = canvas->mix;
    Rings rings{canvas, (w->left_column - 1) * cw, ch / 3 + (w->top_row - 1) * ch,
                w->pixel_right + 2 * cw - 1, w->pixel_bottom + ch / 2};
    if ((w->flags & WINDOW_FRAME_STYLE_MASK) == 4) rings.y2 -= 4;
    draw_rings(w, &rings);
    draw_margin(w, &rings);
    canvas->pen = pen;
    canvas->brush = brush;
    canvas->mix = mix;
    draw_window_title();
    if ((options & FRAME_ONLY) == 0) {
      if ((w->flags & WINDOW_NO_SHADOW) == 0) draw_window_shadow();
      place_title_picture(w, picture_width, picture_height);
    }
  }
  if ((options & FRAME_ONLY) == 0) {
    const uint8_t opaque = g_text.opaque_text;
    if (g_frames.frame_picture_drawn != 0) g_text.opaque_text = 0;
    request_full_redraw();
    redraw_window_lines();
    g_text.opaque_text = opaque;
    g_frames.frame_picture_drawn = 0;
  }
  if (g_frames.deferred_frame_window == g_windows.active_node) g_frames.deferred_frame_window = nullptr;
  g_run.last_framed_window = g_windows.active_node;
  w->flags &= ~WINDOW_FULL_REDRAW;
}

int close_window_background() {
  TextWindow* w = g_windows.active;
  hide_pointer_for_window();
  g_run.last_framed_window = nullptr;
  const bool clean_before = g_form.redraw_level == 0;
  if (w == nullptr) return clean_before ? 1 : 0;
  g_closed_area.area = {w->saved_left, w->saved_top, w->saved_right,
                     w->saved_bottom, w->shade_right, w->shade_bottom};
  g_closed_area.clean = false;
  Canvas* canvas = screen();
  if ((w->flags & WINDOW_KEEP_UNDER) && w->saved_background != nullptr) {
    if (canvas != nullptr) canvas_restore_under(canvas, *w->saved_background);
    delete w->saved_background;
    w->saved_background = nullptr;
    g_form.redraw_level = clean_before ? 0 : 1;
    reset_dirty_rect();
  } else if (w->flags & WINDOW_SHADE_ON_CLOSE) {
    if (g_frames.shading_skip == 0) shade_closed_area();
    ++g_form.redraw_level;
  } else if (!clean_before) {
    ++g_form.redraw_level;
  }
  delete w->saved_background;
  w->saved_background = nullptr;
  if (g_frames.shading_skip > 0) --g_frames.shading_skip;
  return g_form.redraw_level == 0 ? 1 : 0;
}
