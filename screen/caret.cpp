#include "screen/caret.h"

#include "platform/window.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "screen/timer.h"

namespace {

constexpr uint32_t XOR_BOX_PERIOD_MS = 400;
constexpr uint32_t SHAPED_PERIOD_MS = 200;
constexpr uint32_t BLOCK_PERIOD_MS = 500;
constexpr uint32_t BLINK_STEP_MS = 56;
constexpr int EDITOR_BLINK_DIVIDER = 8;
constexpr int WIDE_SCREEN = 1000;
constexpr int PALETTE_CYCLE_FIRST = 164;
constexpr uint32_t EDITOR_COLOURS[] = {0x0000FF, 0xFF0000, 0x008000, 0xFF00FF};

Canvas* screen() { return g_text.screen.target != nullptr ? &g_text.screen : nullptr; }

struct Box {
  int left, top, right, bottom;
};

Box field_box() {
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int x = g_caret.column * cw;
  const int y = g_caret.row * ch;
  return {x, y, x + g_caret.width * cw, (g_caret.row + g_caret.extra_rows + 1) * ch};
}

bool period_passed() {
  if (g_caret.period_ms == CARET_ENDLESS) return false;
  return clock_now_ms() - g_caret.last_toggle_ms >= g_caret.period_ms;
}

// Saves what lies under a box once; the pointer is never part of it.
void save_under(const Box& box) {
  if (!g_caret.under.pixels.pixels.empty() || screen() == nullptr) return;
  canvas_save_under(*screen(), {box.left, box.top, box.right, box.bottom}, &g_caret.under);
}

void put_back_under() {
  if (!g_caret.under.pixels.pixels.empty() && screen() != nullptr)
    canvas_restore_under(screen(), g_caret.under);
}

void outline(Canvas* canvas, int l, int t, int r, int b) { canvas_draw_rect(canvas, {l, t, r, b}); }

void xor_frame(const Box& box) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  hide_pointer();
  CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = 0xFFFFFF;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_XOR;
  outline(canvas, box.left, box.top, box.right, box.bottom);
}

void invert_box(const Box& box) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  hide_pointer();
  CanvasKeep keep(canvas);
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = 0xFFFFFF;
  canvas->mix = CANVAS_MIX_XOR;
  canvas_fill_rect(canvas, {box.left, box.top, box.right, box.bottom + 1});
  show_pointer();
}

uint32_t slot(int s) { return palette_pixel(g_attributes.scheme[s]); }

// A dotted outline traced as one line round the box (right and bottom exclusive), starting
// `start` pixels below a top corner: from the top-right corner down the right side, or
// reversed, from the top-left corner down the left side. Moving the start walks the dots.
void trace_outline(Canvas* canvas, int l, int t, int r, int b, bool reversed, int start) {
  const int right = r - 1;
  const int bottom = b - 1;
  if (right <= l || bottom <= t) return;
  const int from = t + start % (bottom - t);
  CanvasPoint points[6];
  if (!reversed) {
    points[0] = {right, from};
    points[1] = {right, bottom};
    points[2] = {l, bottom};
    points[3] = {l, t};
    points[4] = {right, t};
    points[5] = {right, from};
  } else {
    points[0] = {l, from};
    points[1] = {l, bottom};
    points[2] = {right, bottom};
    points[3] = {right, t};
    points[4] = {l, t};
    points[5] = {l, from};
  }
  // Without a start below the corner the closing step has no length.
  const size_t count = from == t ? 5 : 6;
  canvas_draw_polyline(canvas, std::span<const CanvasPoint>(points, count));
  // The polyline leaves out its last point, which is the first one: the loop is whole.
}

// The dotted styles: outlines walking round the box, the thicker ones with reversed outlines
// inside.
void draw_dotted_shape(Canvas* canvas, int x, int y, int w, int h, int start) {
  const int16_t shape = g_caret.shape;
  trace_outline(canvas, x, y, x + w, y + h, false, start);
  if (shape == CARET_DOUBLE_DOTS) trace_outline(canvas, x + 1, y + 1, x + w + 1, y + h + 1, false, start);
  if (shape == CARET_THICK_DOTS) {
    trace_outline(canvas, x + 1, y + 1, x + w + 1, y + h, false, start);
    trace_outline(canvas, x + 3, y + 3, x + w - 3, y + h - 3, true, start);
    trace_outline(canvas, x + 4, y + 4, x + w - 2, y + h - 4, true, start);
    return;
  }
  if (shape == CARET_THIN_DOTS || shape == CARET_MEDIUM_DOTS)
    trace_outline(canvas, x + 2, y + 2, x + w - 2, y + h - 2, true, start);
  if (shape == CARET_MEDIUM_DOTS) trace_outline(canvas, x + 4, y + 4, x + w - 4, y + h - 4, false, start);
}

// One phase of a field caret shape in a box of w x h pixels from (x, y).
void draw_shape(Canvas* canvas, int x, int y, int w, int h) {
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_COPY;
  canvas->pen = CanvasPen{};
  const int dots = std::max<int>(g_interface.dot_count, 2);
  switch (g_caret.shape) {
    case CARET_SOLID:
      canvas->pen.colour = 0;
      outline(canvas, x, y, x + w, y + h);
      canvas->pen.colour = 0xFFFFFF;
      outline(canvas, x + 1, y + 1, x + w - 1, y + h - 1);
      return;
    case CARET_PULSING:
      canvas->pen.colour = slot(COLOUR_SLOT_CARET_OUTLINE);
      canvas->pen.style = (g_caret.phase & 1) ? CANVAS_PEN_DASH_DOT_DOT : CANVAS_PEN_DASH_DOT;
      outline(canvas, x, y, x + w, y + h);
      return;
    case CARET_COLOUR_CYCLE:
      canvas->pen.colour = palette_pixel(PALETTE_CYCLE_FIRST + g_caret.phase % 4);
      canvas->pen.style = (g_caret.phase & 1) ? CANVAS_PEN_DOT : CANVAS_PEN_SOLID;
      outline(canvas, x, y, x + w, y + h);
      return;
    case CARET_NESTED:
      canvas->pen.colour = colour_pixel(contrast_colour(-80));
      outline(canvas, x, y, x + w, y + h);
      canvas->pen.colour = colour_pixel(contrast_colour(64));
      outline(canvas, x + 1, y + 1, x + w - 1, y + h - 1);
      return;
    case CARET_RECTANGLE:
    case CARET_OVAL: {
      // A double frame that shrinks a pixel a side each blink and starts again at full size
      // when it would be smaller than 3 pixels.
      int in = g_caret.shrink;
      if (w - 2 * in < 3 || h - 2 * in < 3) in = 0;
      g_caret.shrink = in + 1;
      canvas->pen.colour = slot(COLOUR_SLOT_CARET_OUTLINE);
      canvas->pen.style = CANVAS_PEN_DOT;
      const bool oval = g_caret.shape == CARET_OVAL;
      for (int k = 0; k < 2; ++k) {
        const CanvasRect r = {x + in + k, y + in + k, x + w - in - k, y + h - in - k};
        if (!oval) {
          canvas_draw_rect(canvas, r);
        } else if (w > 3 * h) {
          canvas_draw_round_rect(canvas, r, h, h);
        } else {
          canvas_draw_ellipse(canvas, r);
        }
      }
      return;
    }
    default:
      canvas->pen.colour = slot(COLOUR_SLOT_CARET_OUTLINE);
      canvas->pen.style = CANVAS_PEN_DOT;
      draw_dotted_shape(canvas, x, y, w, h, g_caret.phase % dots);
      return;
  }
}

void draw_editor_bar() {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  const Box box = {g_caret.editor_x, g_caret.editor_y, g_caret.editor_x + g_caret.editor_width,
                   g_caret.editor_y + g_caret.editor_height};
  hide_pointer();
  save_under(box);
  put_back_under();
  // The colour cycles blue, red, green, magenta, shown and hidden in turn; while a redraw
  // countdown runs it stays shown in its colour.
  if (g_caret.redraw_countdown == 0) {
    g_caret.colour_shown = !g_caret.colour_shown;
    if (g_caret.colour_shown) g_caret.colour_phase = (g_caret.colour_phase + 1) % 4;
  }
  if (g_caret.colour_shown) {
    CanvasKeep keep(canvas);
    const uint32_t colour = EDITOR_COLOURS[g_caret.colour_phase];
    canvas->pen = CanvasPen{};
    canvas->pen.colour = colour;
    canvas->mix = CANVAS_MIX_COPY;
    canvas->brush.kind = g_caret.editor_width < 8 ? CANVAS_BRUSH_SOLID : CANVAS_BRUSH_HOLLOW;
    canvas->brush.colour = colour;
    const int w = std::max(1, g_caret.editor_width - 3);
    canvas_draw_rect(canvas, {box.left, box.top, box.left + w, box.bottom});
  }
  show_pointer();
}

}  // namespace

void show_field_caret(int row_and_extra, int column, int width) {
  reset_caret();
  width = std::abs(width);
  if (g_caret.window_right_column >= 0 && column + width > g_caret.window_right_column + 1) {
    const int cut = g_caret.window_right_column + 1 - column;
    if (cut >= 0) width = cut;
  }
  g_caret.row = row_and_extra & 0xFF;
  g_caret.extra_rows = (row_and_extra >> 8) & 0xFF;
  g_caret.column = column;
  g_caret.width = width;
  if (g_caret.xor_box) {
    g_caret.state = CARET_XOR_DUE;
    g_caret.period_ms = XOR_BOX_PERIOD_MS;
  } else if (g_caret.mode != CARET_MODE_NORMAL) {
    // A shaped caret starts from idle, so that its mode and the blink setting decide at once
    // whether it blinks (a blink setting of 0 and the show-once mode draw it a single time).
    g_caret.state = CARET_IDLE;
    g_caret.period_ms = SHAPED_PERIOD_MS;
  } else {
    g_caret.state = CARET_BLOCK_HIDDEN;
    g_caret.period_ms = BLOCK_PERIOD_MS;
  }
  g_caret.last_toggle_ms = 0;
  blink_field_caret();
}

void blink_field_caret() {
  const Box box = field_box();
  bool drew = false;
  if (g_caret.xor_box && g_caret.state >= CARET_XOR_REMOVE && g_caret.state <= CARET_XOR_SHOWN) {
    xor_frame(box);
    if (g_caret.state == CARET_XOR_REMOVE) return;
    g_caret.state = g_caret.state == CARET_XOR_DUE ? CARET_XOR_SHOWN : CARET_IDLE;
    show_pointer();
    if (g_caret.state != CARET_IDLE) set_tick_hook(blink_field_caret);
    return;
  }
  if (g_caret.state == CARET_IDLE) {
    if (g_caret.mode == CARET_MODE_FROZEN) return;
    if (g_caret.mode == CARET_MODE_ONCE) {
      g_caret.state = CARET_SHAPED;
      g_caret.mode = CARET_MODE_FROZEN;
      g_caret.period_ms = CARET_ENDLESS;
    } else if (g_caret.mode != CARET_MODE_NORMAL) {
      g_caret.state = CARET_SHAPED;
      g_caret.period_ms = g_interface.blink_setting == 0 ? CARET_ENDLESS
                                                     : (g_interface.blink_setting - 1u) * BLINK_STEP_MS;
    } else {
      g_caret.state = g_caret.block ? CARET_BLOCK_HIDDEN : CARET_XOR_DUE;
    }
  }
  const uint32_t now = clock_now_ms();
  switch (g_caret.state) {
    case CARET_BLOCK_HIDDEN:
      if (period_passed()) {
        invert_box(box);
        g_caret.state = CARET_BLOCK_SHOWN;
        g_caret.last_toggle_ms = now - g_caret.period_ms / 2;
        drew = true;
      }
      break;
    case CARET_BLOCK_SHOWN:
      if (period_passed()) {
        invert_box(box);
        g_caret.state = CARET_BLOCK_HIDDEN;
        g_caret.last_toggle_ms = now;
        drew = true;
      }
      break;
    case CARET_SHAPED: {
      // The first phase is drawn at once, however long the period; later ones when it passed.
      const bool first = g_caret.under.pixels.pixels.empty();
      if (first || period_passed()) {
        draw_cursor_bar(box.left + g_caret.extend_left - 1, box.top + g_caret.extend_top,
                        box.right + g_caret.extend_right + 2, box.bottom + g_caret.extend_bottom);
        g_caret.last_toggle_ms = now;
        drew = true;
      }
      break;
    }
    default:
      break;
  }
  if (drew) set_tick_hook(blink_field_caret);
}

void draw_cursor_bar(int left, int top, int right, int bottom) {
  Canvas* canvas = screen();
  if (canvas == nullptr) return;
  const int w = right - left + 2;
  const int h = bottom - top + 2;
  hide_pointer();
  save_under({left, top, left + w, top + h});
  put_back_under();
  const bool solid_hidden = g_caret.shape == CARET_SOLID && g_caret.hidden_phase;
  if (!solid_hidden) {
    CanvasKeep keep(canvas);
    draw_shape(canvas, left, top, w - 2, h - 4);
  }
  if (g_caret.shape == CARET_SOLID) g_caret.hidden_phase = !g_caret.hidden_phase;
  ++g_caret.phase;
  show_pointer();
}

void set_editor_caret(int row, int column) {
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  if (row >= 0 && column >= 0 && row > g_display.current.last_row) return;
  hide_caret();
  g_caret.editor = true;
  g_caret.editor_x = (row < 0 || column < 0) ? -column : column * cw;
  g_caret.editor_y = (row < 0 || column < 0) ? -row : row * ch;
  g_caret.editor_height = ch;
  g_caret.editor_cell_width = cw;
  int width = g_caret.first_column ? 7 : 6;
  if (g_display.screen_width < WIDE_SCREEN) --width;
  g_caret.editor_width = g_caret.overwrite ? g_caret.editor_cell_width + 1 : width;
  g_caret.blink_divider = EDITOR_BLINK_DIVIDER;
  draw_editor_bar();
}

void blink_editor_caret() {
  if (!g_caret.editor) return;
  if (g_caret.redraw_countdown > 0) {
    --g_caret.redraw_countdown;
    draw_editor_bar();
    return;
  }
  if (--g_caret.blink_divider > 0) return;
  g_caret.blink_divider = EDITOR_BLINK_DIVIDER;
  draw_editor_bar();
}

void hide_caret() {
  const bool shown = !g_caret.under.pixels.pixels.empty();
  if (g_caret.xor_box && g_caret.state == CARET_XOR_SHOWN) {
    xor_frame(field_box());
    show_pointer();
  }
  if (shown) {
    hide_pointer();
    put_back_under();
    show_pointer();
  }
  g_caret.under = CanvasSaveUnder{};
  g_caret.editor = false;
  g_caret.state = CARET_IDLE;
  g_caret.phase = 0;
  g_caret.shrink = 0;
  g_caret.hidden_phase = false;
  if (g_timer.tick_hook == blink_field_caret || g_timer.tick_hook == blink_editor_caret)
    set_tick_hook(nullptr);
}

void reset_caret() {
  hide_caret();
  g_caret.colour_shown = false;
  g_caret.redraw_countdown = 0;
  g_caret.blink_divider = EDITOR_BLINK_DIVIDER;
}

bool pointer_near_caret(int left, int top, int /*right*/, int /*bottom*/) {
  if (g_caret.under.pixels.pixels.empty()) return false;
  const CanvasRect& at = g_caret.under.rect;
  return std::abs(left - at.left) <= CARET_NEAR && std::abs(top - at.top) <= CARET_NEAR;
}

EventCode wait_event_no_blink(bool toggle) {
  if (toggle) blink_field_caret();
  if (g_timer.tick_hook == blink_field_caret) set_tick_hook(nullptr);
  return wait_input_code();
}

void save_field_strip(int row, int column, int width) {
  const Canvas& canvas = g_text.screen;
  if (canvas.target == nullptr || !g_caret.strip.pixels.pixels.empty()) return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int right = std::min((column + width + 2) * cw, static_cast<int>(canvas.target->width));
  canvas_save_under(canvas, {column * cw, row * ch, right, (row + 1) * ch}, &g_caret.strip);
}

void restore_field_strip() {
  if (g_caret.strip.pixels.pixels.empty()) return;
  hide_pointer();
  if (g_text.screen.target != nullptr) canvas_restore_under(&g_text.screen, g_caret.strip);
  g_caret.strip = CanvasSaveUnder{};
  show_pointer();
}
