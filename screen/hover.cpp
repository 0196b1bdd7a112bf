#include "screen/hover.h"

#include <cstring>

#include "platform/canvas.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hint_box.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_entries.h"
#include "screen/palette.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"

ControlHover g_control_hover;
PickMarker g_pick_marker;

namespace {

constexpr uint32_t HOVER_XOR = 0xFFFF00;
constexpr int PALETTE_HOVER_FRAME = 164;
constexpr int DISPLAY_CHOICE_WINDOW = 1;
constexpr int DISPLAY_CHOICE_WHOLE_SCREEN = 109;
constexpr int FORM_WIDE = 900;
constexpr int PALETTE_PICK_MARKER = 167;
// The pointer is hidden while the marker blinks this close to it, so that neither spoils the
// other's pixels.
constexpr int PICK_MARKER_POINTER_REACH = 32;

void draw_control_highlight(const ScreenControl& c) {
  hide_pointer();
  const int right = c.x + c.hit_width;
  const int bottom = c.y + c.hit_height;
  if (c.flags & CF_HOVER_FRAME) {
    // A frame two pixels thick; the canvas's pen mode 14 is its XOR mix.
    frame_rect(c.x, c.y, right + 1, bottom + 1, PALETTE_HOVER_FRAME, CANVAS_MIX_XOR);
    frame_rect(c.x + 1, c.y + 1, right, bottom, PALETTE_HOVER_FRAME, CANVAS_MIX_XOR);
  } else {
    xor_fill_rect(c.x, c.y, right + 1, bottom + 1, HOVER_XOR);
  }
}

void forget_control() {
  if (g_control_hover.highlight_shown && g_control_hover.control != nullptr) {
    g_control_hover.highlight_shown = false;
    draw_control_highlight(*g_control_hover.control);
  }
  g_control_hover.highlight_shown = false;
  g_control_hover.control_id = -1;
  g_control_hover.control = nullptr;
  hide_hint();
}

void forget_tab() {
  if (g_control_hover.tab_highlight_shown) blink_tab_highlight();
  g_control_hover.tab_highlight_shown = false;
  g_control_hover.tab = -1;
}

void start_hover(int id) {
  clear_hover();
  ScreenControl* c = find_control(id);
  if (c == nullptr) return;
  g_control_hover.control = c;
  g_control_hover.hint_delay = HOVER_HINT_STEPS;
  g_control_hover.blink_countdown = HOVER_FIRST_BLINK_TICKS;
  g_control_hover.flash_once = (c->flags & (CF_ENTRY | CF_FRAMED_LABEL | CF_HOVER_ALT)) != 0;
  g_control_hover.control_id = static_cast<int16_t>(id);
  if (!(c->flags & CF_HOVER_STILL)) blink_hover_highlight();
}

// A click on a title-bar button acts at once; -1 then, else the id.
int act_on_title_button(int id) {
  switch (id) {
    case CONTROL_ID_POSITION:
      if (g_screen_entries.toggle_form_position != nullptr) g_screen_entries.toggle_form_position();
      redraw_position_button();
      g_pointer.button_bits = 0;
      return HIT_NOTHING;
    case CONTROL_ID_CLOSE:
      post_quit_request();
      g_pointer.button_bits = 0;
      return HIT_NOTHING;
    case CONTROL_ID_SIZE:
      if (g_screen_entries.set_display_mode != nullptr) {
        g_screen_entries.set_display_mode(g_form.client_width > FORM_WIDE
                                              ? DISPLAY_CHOICE_WINDOW
                                              : DISPLAY_CHOICE_WHOLE_SCREEN);
        hide_pointer();
        g_pointer.released = true;
      }
      g_pointer.button_bits = 0;
      return HIT_NOTHING;
    case CONTROL_ID_MINIMISE:
      g_form.minimise_pending = true;
      return HIT_NOTHING;
    default:
      return id;
  }
}

// The free title band past the last tab: the form is dragged from there, except near its ends
// where the title-bar buttons sit.
int hit_title_band(bool click) {
  const int w = g_display.screen_width;
  const int cw = g_display.presets[FACE_ROLE_NORMAL].cell_width;
  const int mch = g_display.presets[FACE_ROLE_MENU].cell_height;
  const int mcw = g_display.presets[FACE_ROLE_MENU].cell_width;
  const int px = g_pointer.drawn_x;
  const int py = g_pointer.drawn_y;
  if (px > w - 8 * cw && (px > w - mcw || py <= mch)) return HIT_NOTHING;
  if (px < 2 * cw && (px < 4 || py <= mch)) return HIT_NOTHING;
  if (py <= 0) return HIT_NOTHING;
  if (click && g_screen_entries.drag_form != nullptr) g_screen_entries.drag_form();
  set_pointer_shape(POINTER_TITLE_BAND);
  return HIT_TITLE_BAND;
}

}  // namespace

void clear_hover() {
  forget_control();
  forget_tab();
}

void forget_hovered_control() { forget_control(); }

void blink_hover_highlight() {
  const ScreenControl* c = g_control_hover.control;
  if (c == nullptr || (c->flags & CF_NO_HOVER)) return;
  if (!g_control_hover.highlight_shown && pointer_near_caret(c->x, c->y, c->x + c->hit_width,
                                                     c->y + c->hit_height))
    return;
  g_control_hover.highlight_shown = !g_control_hover.highlight_shown;
  draw_control_highlight(*c);
}

void blink_tab_highlight() {
  if (g_control_hover.tab < 0 || g_control_hover.tab >= static_cast<int>(g_tab_strip.tabs.size())) return;
  if (g_text.screen.target == nullptr) return;
  g_control_hover.tab_highlight_shown = !g_control_hover.tab_highlight_shown;
  hide_pointer();
  const PageTab& tab = g_tab_strip.tabs[g_control_hover.tab];
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  const int corner = g_display.presets[FACE_ROLE_SMALL].cell_width;
  Canvas* canvas = &g_text.screen;
  const CanvasPen pen = canvas->pen;
  const CanvasBrush brush = canvas->brush;
  canvas->pen = CanvasPen{};
  canvas->pen.style = CANVAS_PEN_NONE;
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = HOVER_XOR;
  canvas->mix = CANVAS_MIX_XOR;
  const int length = static_cast<int>(std::strlen(tab.text));
  canvas_draw_round_rect(canvas, {tab.x - 2, tab.y - menu.cell_height,
                                  tab.x + length * menu.cell_width + 5, tab.y},
                         corner, corner);
  canvas->mix = CANVAS_MIX_COPY;
  canvas->pen = pen;
  canvas->brush = brush;
}

int hit_test_pointer(bool click) {
  if (click) clear_hover();
  if (g_controls.hit_test_off) return HIT_NOTHING;
  const int x = g_pointer.wanted_x;
  const int y = g_pointer.wanted_y;
  const int id = hit_test_controls(x, y);
  if (id >= 0) {
    if (click) {
      const int acted = act_on_title_button(id);
      if (acted < 0) return acted;
    } else if (id != g_control_hover.control_id) {
      start_hover(id);
    }
    set_pointer_shape(g_pointer.button_bits != 0 ? POINTER_HAND_PRESSED : POINTER_HAND);
    return id;
  }
  forget_control();
  if (g_pointer.shape == POINTER_LAST_SHAPE) set_pointer_shape(POINTER_ARROW);
  const int tab = hit_page_tab(x, y);
  if (tab >= 0) {
    if (click) return tab == g_tab_strip.active ? HIT_NOTHING : tab | HIT_PAGE_TAB;
    if (tab != g_control_hover.tab) {
      clear_hover();
      g_control_hover.tab = static_cast<int16_t>(tab);
      blink_tab_highlight();
      g_control_hover.tab_blink_countdown = 0;
      show_pointer();
    }
    return tab | HIT_PAGE_TAB;
  }
  forget_tab();
  if (tab == -2) return HIT_NOTHING;
  return hit_title_band(click);
}

void blink_pick_marker() {
  PickMarker& m = g_pick_marker;
  if (!m.picking || g_clock.counter_b < 0) return;
  const int px = g_pointer.drawn_x;
  const int py = g_pointer.drawn_y;
  const bool near = px >= m.x - PICK_MARKER_POINTER_REACH &&
                    px <= m.x + m.width + PICK_MARKER_POINTER_REACH &&
                    py >= m.y - PICK_MARKER_POINTER_REACH &&
                    py <= m.y + m.height + PICK_MARKER_POINTER_REACH;
  if (near) hide_pointer();
  xor_fill_rect(m.x, m.y, m.x + m.width, m.y + m.height, palette_pixel(PALETTE_PICK_MARKER));
  show_pointer();
  m.shown = !m.shown;
  g_clock.counter_b = -PICK_MARKER_PERIOD_TICKS;
}

void reset_control_hover() { g_control_hover = ControlHover(); }

void reset_pick_marker() { g_pick_marker = PickMarker(); }
