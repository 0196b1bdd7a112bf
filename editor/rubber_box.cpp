#include "editor/rubber_box.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/canvas_cursor.h"
#include "editor/drawing_page_state.h"
#include "editor/hover.h"
#include "editor/help_box.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/render.h"
#include "editor/text_prompt.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "import/import_drawing.h"
#include "job/image_record.h"
#include "records/job_settings.h"
#include "screen/boxes.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/scratch_buffer.h"
#include "store/text_helpers.h"
#include "store/text_wrap.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/entry_line.h"
#include "ui/message_box.h"
#include "ui/text_window.h"
#include "ui/wait_events.h"

namespace {

constexpr int ENTRY_ROW = 2;
constexpr int ENTRY_COLUMN = 56;
constexpr int ENTRY_WIDTH = 22;
constexpr int READ_OUT_ROW = 2;
constexpr int READ_OUT_COLUMN = 1;
constexpr int PALETTE_RUBBER = 165;
constexpr int STATE_MESSAGE_MAX = 200;
constexpr int CLICK_TICKS = 4;
constexpr int16_t POINTER_MOVING_BOX = 4;
// Readouts appear once the box is this many pixels wide or tall.
constexpr int READ_OUT_MIN_PIXELS = 10;
// Pixel corners are kept inside this range, whatever size is typed.
constexpr int64_t CORNER_LIMIT = 1000000000;

enum class Phase { NOT_STARTED, ANCHORED, SIZED };

// The answers of move_origin's two questions, kept for the whole run as each question's default.
struct OriginAnswers {
  int texts = 0;
  int template_items = 0;
};
OriginAnswers g_origin_answers;

struct Tracking {
  int32_t mode = 0;
  bool line = false;
  std::string messages[5];
  Phase phase = Phase::NOT_STARTED;
  bool move_mode = false;
  bool any_button_end = false;
  int32_t left_tick = 0;
  int32_t right_tick = 0;
  bool scrolled = false;
  bool clicked = false;  // the starting press was a click
  int result = RUBBER_DONE;
  CanvasPoint anchor;
  CanvasPoint current;
  int16_t entry_picture = 0;
  int16_t command_picture = 0;
  float typed_height = 0.0f;
  float typed_length = 0.0f;
};

int clamp_corner(int64_t v) { return static_cast<int>(std::clamp(v, -CORNER_LIMIT, CORNER_LIMIT)); }

CanvasPoint pointer_point() {
  return CanvasPoint{g_pointer.wanted_x, g_pointer.wanted_y - g_view.area_top};
}

void show_state(const Tracking& t, int k) { show_help_text_line(t.messages[k].c_str()); }

// The rubber in XOR: drawing it twice erases it.
void draw_rubber(const Tracking& t) {
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(PALETTE_RUBBER);
  canvas->mix = CANVAS_MIX_XOR;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  if (t.line) {
    area_line(t.anchor.x, t.anchor.y, t.current.x, t.current.y);
    return;
  }
  int x1 = t.anchor.x, y1 = t.anchor.y, x2 = t.current.x, y2 = t.current.y;
  if ((t.mode & RUBBER_DIRECTED) == 0) {
    // A box of no width still shows: it is widened towards the anchor's side.
    const int wx = std::abs(x2 - x1) == 0 ? 2 : std::abs(x2 - x1) == 1 ? 1 : 0;
    const int wy = std::abs(y2 - y1) == 0 ? 2 : std::abs(y2 - y1) == 1 ? 1 : 0;
    if (x2 < x1) x2 -= wx;
    else x2 += wx;
    if (y2 < y1) y2 -= wy;
    else y2 += wy;
  }
  area_rect_outline(x1, y1, x2, y2);
}

void set_picture(const Tracking& t) {
  if (t.command_picture != 0) set_pointer_shape(t.command_picture);
}

void show_read_outs(const Tracking& t) {
  if (t.phase == Phase::NOT_STARTED) return;
  const double scale = g_view.scale_x;
  const double length = t.phase == Phase::SIZED ? t.typed_length
                                                 : std::abs(t.current.x - t.anchor.x) / scale;
  const double height = t.phase == Phase::SIZED ? t.typed_height
                                                 : std::abs(t.current.y - t.anchor.y) / scale;
  char text[160];
  text[0] = '\0';
  if ((t.mode & RUBBER_SIZE_READ_OUT) != 0) {
    const bool tall = std::abs(t.current.y - t.anchor.y) >= READ_OUT_MIN_PIXELS;
    const bool long_enough = std::abs(t.current.x - t.anchor.x) >= READ_OUT_MIN_PIXELS;
    char inner[120];
    inner[0] = '\0';
    if ((t.mode & RUBBER_ENTRY_BOX) == 0 || (tall && long_enough))
      std::snprintf(inner, sizeof inner, "\vHeight & length\x13: \f%.3f, %.3f", height, length);
    else if (long_enough)
      std::snprintf(inner, sizeof inner, "\vLength only\x13: \f%.3f", length);
    else if (tall)
      std::snprintf(inner, sizeof inner, "\vHeight only\x13: \f%.3f", height);
    if (inner[0] != '\0') std::snprintf(text, sizeof text, "%35.35s", inner);
  } else if ((t.mode & RUBBER_LENGTH_READ_OUT) != 0) {
    std::snprintf(text, sizeof text, "\vThe length is\x13: \f%.3f",
                  std::abs(t.current.x - t.anchor.x) / scale);
  }
  if (text[0] != '\0') draw_text(READ_OUT_ROW, READ_OUT_COLUMN, text);
}

// Scrolls the view when the pointer reached an edge; the rubber keeps its drawing points.
void scroll_at_edges(Tracking& t, double factor) {
  ViewState& v = g_view;
  const int y = g_pointer.wanted_y;
  const int x = g_pointer.wanted_x;
  double sx = 0.0, sy = 0.0;
  if (y <= v.area_top) sy = factor * (v.view_top - v.view_bottom);
  else if (y >= v.area_bottom) sy = -factor * (v.view_top - v.view_bottom);
  else if (x <= 0) sx = -factor * (v.view_right - v.view_left);
  else if (x >= v.area_width) sx = factor * (v.view_right - v.view_left);
  else return;
  v.view_left = static_cast<float>(v.view_left + sx);
  v.view_right = static_cast<float>(v.view_right + sx);
  v.view_bottom = static_cast<float>(v.view_bottom + sy);
  v.view_top = static_cast<float>(v.view_top + sy);
  const int px = static_cast<int>(sx * v.scale_x);
  const int py = static_cast<int>(sy * v.scale_x);
  t.anchor.x -= px;
  t.current.x -= px;
  t.anchor.y += py;
  t.current.y += py;
  g_pointer.wanted_x = t.current.x;
  g_pointer.wanted_y = t.current.y + v.area_top;
  hide_pointer();
  redraw_drawing();
  if (t.phase != Phase::NOT_STARTED) draw_rubber(t);
  t.scrolled = true;
  warp_cursor_to_target();
}

void step_by(Tracking& t, int dx, int dy, double factor) {
  if (t.phase == Phase::NOT_STARTED) {
    t.current.x = clamp_corner(static_cast<int64_t>(t.current.x) + dx);
    t.current.y = clamp_corner(static_cast<int64_t>(t.current.y) + dy);
  } else {
    hide_pointer();
    draw_rubber(t);
    if (t.move_mode) {
      t.anchor.x = clamp_corner(static_cast<int64_t>(t.anchor.x) + dx);
      t.anchor.y = clamp_corner(static_cast<int64_t>(t.anchor.y) + dy);
    }
    t.current.x = clamp_corner(static_cast<int64_t>(t.current.x) + dx);
    t.current.y = clamp_corner(static_cast<int64_t>(t.current.y) + dy);
    t.current = constrain_pixel_point(t.current.x, t.current.y, t.anchor.x, t.anchor.y);
    draw_rubber(t);
  }
  show_read_outs(t);
  g_pointer.wanted_x = t.current.x;
  g_pointer.wanted_y = t.current.y + g_view.area_top;
  scroll_at_edges(t, factor);
}

void start_tracking(Tracking& t) {
  show_state(t, 0);
  t.result = RUBBER_DONE;
  set_picture(t);
  clear_window_drawing_bits();
  t.move_mode = false;
  t.phase = Phase::NOT_STARTED;
  t.left_tick = 0;
  t.right_tick = 0;
  t.clicked = false;
  t.current = pointer_point();
  if ((t.mode & RUBBER_ANCHORED) != 0) {
    t.phase = Phase::ANCHORED;
    t.anchor = t.current;
  }
  if ((t.mode & RUBBER_ENTRY_BOX) != 0) {
    draw_box(0x8C0, ENTRY_ROW, ENTRY_COLUMN, 1, ENTRY_WIDTH, 0);
    show_help_text_line(t.messages[0].c_str());
    help_show_message(MSG_RUBBER_ENTRY_HELP);
  }
}

// Reads "height,length" from a typed size; false when it is not a size.
bool read_typed_size(const char* text, float* height, float* length) {
  float h = 0.0f, l = 0.0f;
  const char* rest = parse_float_advance(text, &h);
  parse_float_advance(rest, &l);
  h = std::max(h, 0.0f);
  l = std::max(l, 0.0f);
  if (h == 0.0f && l == 0.0f) return false;
  *height = h;
  *length = l;
  return true;
}

// A digit or point typed into the entry box: true when a size was taken.
bool typed_size(Tracking& t, EventCode key) {
  help_show_message(MSG_RUBBER_TYPING_HELP);
  push_input_code_front(key);
  char text[64] = "";
  const int16_t ended = edit_text_line(text, ENTRY_ROW, ENTRY_COLUMN, nullptr, 0, ENTRY_WIDTH - 1, 0);
  if (ended >= 0) {
    help_show_message(MSG_RUBBER_TYPING_HELP);
    return false;
  }
  float height = 0.0f, length = 0.0f;
  if (!read_typed_size(text, &height, &length)) {
    help_show_message(MSG_RUBBER_TYPING_HELP);
    return false;
  }
  const double scale = g_view.scale_x;
  t.result = RUBBER_SIZE_TYPED;
  if (t.phase != Phase::NOT_STARTED) {
    draw_rubber(t);
  } else {
    t.anchor = pointer_point();
    t.current = t.anchor;
  }
  t.anchor.y = clamp_corner(static_cast<int64_t>(t.current.y - static_cast<double>(height) * scale));
  t.current.x = clamp_corner(static_cast<int64_t>(t.anchor.x + static_cast<double>(length) * scale));
  t.typed_height = height;
  t.typed_length = length;
  help_show_message(MSG_RUBBER_SIZE_TAKEN);
  t.phase = Phase::SIZED;
  t.move_mode = true;
  t.any_button_end = true;
  draw_rubber(t);
  t.right_tick = g_clock.ticks;
  show_state(t, 3);
  set_pointer_shape(POINTER_MOVING_BOX);
  return true;
}

}  // namespace

CanvasPoint constrain_pixel_point(int x, int y, int ax, int ay) {
  const uint8_t mods = g_events.modifiers;
  if ((mods & MODIFIER_CTRL) == 0) return CanvasPoint{x, y};
  if ((mods & MODIFIER_SHIFT) != 0) {
    const double dx = static_cast<double>(x) - ax;
    const double dy = static_cast<double>(y) - ay;
    const double d = std::hypot(dx, dy);
    double a = std::atan2(dy, dx);
    if (a < 0.0) a += 2.0 * M_PI;
    const double k = std::trunc(a * 2.0 / M_PI);
    const double diagonal = k * M_PI / 2.0 + M_PI / 4.0;
    return CanvasPoint{static_cast<int>(ax + d * std::cos(diagonal)),
                       static_cast<int>(ay + d * std::sin(diagonal))};
  }
  if (std::abs(x - ax) > std::abs(y - ay)) return CanvasPoint{x, ay};
  return CanvasPoint{ax, y};
}

int track_rubber_box(int16_t prompt, int32_t mode, CanvasPoint* c1, CanvasPoint* c2) {
  Tracking t;
  t.line = (mode & (RUBBER_DIRECTED | RUBBER_LENGTH_READ_OUT | RUBBER_LINE)) != 0;
  if (t.line && (mode & RUBBER_START_AT_ONCE) != 0) t.any_button_end = true;
  if (t.line && (mode & RUBBER_ANCHORED) != 0) {
    prompt = MSG_RUBBER_ANCHORED_LINE;
    mode &= ~RUBBER_START_AT_ONCE;
  }
  t.mode = mode;
  if ((mode & RUBBER_START_AT_ONCE) != 0) push_input_code(EVENT_LEFT_DOWN);
  get_message(prompt);
  t.messages[0] = std::string(message_text()).substr(0, STATE_MESSAGE_MAX);
  const int base = t.line ? MSG_RUBBER_LINE_STATES_FIRST : MSG_RUBBER_BOX_STATES_FIRST;
  std::string states[5];
  for (int k = 0; k < 5; ++k) {
    get_message(base + k);
    states[k] = std::string(message_text()).substr(0, STATE_MESSAGE_MAX);
  }
  const std::string prompt_text = t.messages[0];
  for (int k = 0; k < 5; ++k) t.messages[k] = states[k];
  const int16_t entry_picture = g_pointer.shape;
  t.command_picture = g_drawing_page.editor_pointer_shape;
  // The prompt opens the tracking; the state messages follow what the user does.
  t.messages[0] = prompt_text;
  start_tracking(t);
  t.messages[0] = states[0];
  for (;;) {
    move_pointer();
    const EventCode code = (mode & RUBBER_ENTRY_BOX) != 0 ? wait_event_with_caret(ENTRY_ROW, ENTRY_COLUMN)
                                                         : wait_input_code();
    int dx = 0, dy = 0;
    double factor = 0.5;
    bool stepped = false;
    bool end = false;
    switch (code) {
      case KEY_LEFT: dx = -(g_view.area_width / 2); stepped = true; break;
      case KEY_RIGHT: dx = g_view.area_width / 2; stepped = true; break;
      case KEY_UP: dy = -(g_view.area_bottom / 2); stepped = true; break;
      case KEY_DOWN: dy = g_view.area_bottom / 2; stepped = true; break;
      case EVENT_POINTER_MOVE:
        if (mouse_delta(&dx, &dy) == 0) continue;
        factor = 0.2;
        stepped = true;
        break;
      case EVENT_LEFT_DOWN:
        if (t.any_button_end && t.phase == Phase::SIZED) {
          end = true;
        } else if (t.phase == Phase::NOT_STARTED) {
          if ((mode & RUBBER_DIRECTED) != 0 && t.scrolled) {
            end = true;
          } else {
            t.phase = Phase::ANCHORED;
            t.anchor = pointer_point();
            t.current = t.anchor;
            t.left_tick = g_clock.ticks;
            show_state(t, 1);
          }
        } else if (t.move_mode) {
          t.move_mode = false;
          set_picture(t);
          show_state(t, 2);
        }
        break;
      case EVENT_LEFT_UP:
        if (t.any_button_end) {
          end = true;
        } else if (t.phase != Phase::NOT_STARTED) {
          if (t.clicked || (t.left_tick != 0 && g_clock.ticks - t.left_tick > CLICK_TICKS)) {
            end = true;
          } else {
            // A click: the box stays anchored and the next release ends it.
            show_state(t, 0);
            t.clicked = true;
          }
        }
        break;
      case EVENT_RIGHT_DOWN:
        if (t.any_button_end) {
          end = true;
        } else if (t.phase == Phase::NOT_STARTED) {
          t.result = RUBBER_RIGHT_FIRST;
          t.anchor = t.current = pointer_point();
          *c1 = t.anchor;
          *c2 = t.current;
          goto finish;
        } else {
          t.move_mode = !t.move_mode;
          t.right_tick = g_clock.ticks;
          if (t.move_mode) {
            show_state(t, 3);
            set_pointer_shape(POINTER_MOVING_BOX);
          } else {
            set_picture(t);
            show_state(t, 2);
          }
        }
        break;
      case EVENT_RIGHT_UP:
        if (t.any_button_end) {
          end = true;
        } else if (t.phase != Phase::NOT_STARTED) {
          if (t.right_tick != 0 && g_clock.ticks - t.right_tick > CLICK_TICKS) {
            t.move_mode = false;
            show_state(t, (g_pointer.button_bits & 1) != 0 ? 1 : 0);
            set_picture(t);
          } else if (!t.move_mode) {
            show_state(t, 2);
            set_picture(t);
          } else {
            show_state(t, 4);
          }
        }
        break;
      case KEY_ESC:
      case EVENT_QUIT:
        if (t.phase == Phase::NOT_STARTED || code == EVENT_QUIT ||
            (!t.move_mode && (mode & RUBBER_START_AT_ONCE) != 0)) {
          t.result = RUBBER_CANCELLED;
          goto finish;
        }
        draw_rubber(t);
        show_help_text_line("");
        start_tracking(t);
        break;
      default:
        if ((mode & RUBBER_ENTRY_BOX) != 0 && code < 256 &&
            ((code >= '0' && code <= '9') || code == '.')) {
          typed_size(t, code);
        }
        break;
    }
    if (stepped) step_by(t, dx, dy, factor);
    if (!end) continue;
    if ((mode & RUBBER_DIRECTED) != 0) {
      if (t.scrolled) {
        t.result = RUBBER_CANCELLED;
      } else {
        *c1 = t.anchor;
        *c2 = t.current;
      }
    } else {
      *c1 = CanvasPoint{std::min(t.anchor.x, t.current.x), std::min(t.anchor.y, t.current.y)};
      *c2 = CanvasPoint{std::max(t.anchor.x, t.current.x), std::max(t.anchor.y, t.current.y)};
    }
    break;
  }
finish:
  if (g_pointer.window_flags != nullptr) *g_pointer.window_flags |= POINTER_WINDOW_DRAWING_BITS;
  hide_pointer();
  set_pointer_shape(entry_picture);
  if (t.phase != Phase::NOT_STARTED && t.result != RUBBER_RIGHT_FIRST) draw_rubber(t);
  if (t.result == RUBBER_SIZE_TYPED) {
    char text[96];
    std::snprintf(text, sizeof text, "%f,%f", static_cast<double>(t.typed_height),
                  static_cast<double>(t.typed_length));
    set_message_text(text);
  }
  return t.result;
}

int rubber_box(PointF* p1, PointF* p2, int32_t mode) {
  bring_pointer_into_drawing();
  hide_pointer();
  hide_crosshair();
  CanvasPoint c1, c2;
  const int result =
      track_rubber_box(static_cast<int16_t>(RUBBER_PROMPT_BASE + (mode & 0xFFFF)), mode, &c1, &c2);
  if (result != RUBBER_CANCELLED) {
    const ViewState& v = g_view;
    *p1 = {static_cast<float>(c1.x / static_cast<double>(v.scale_x) + v.view_left),
           static_cast<float>(v.view_top - c2.y / static_cast<double>(v.scale_x))};
    *p2 = {static_cast<float>(c2.x / static_cast<double>(v.scale_x) + v.view_left),
           static_cast<float>(v.view_top - c1.y / static_cast<double>(v.scale_x))};
  }
  update_cursor_point();
  hide_pointer();
  return result;
}

int has_inactive_texts() {
  for (DrawingItem* item = drawing_list_first(); item != nullptr; item = item->next)
    if (item_type(item) == ITEM_TEXT && item_flags(item) == 0 && !item->text.empty()) return 2;
  return 0;
}

void shift_items(float dx, float dy, uint8_t all, uint8_t flags) {
  const PointF t = {-dx, -dy};
  for (DrawingItem* item = drawing_list_first(); item != nullptr; item = item->next) {
    if (item_type(item) == 0 || item->extra.empty()) continue;
    if (all == 0 && (item_flags(item) & ITEM_FLAG_SELECTED) == 0) continue;
    translate_item(item, &t);
    item_bounding_boxes(item);
    if (item_type(item) == ITEM_TEXT) text_layout_from_frame(item);
  }
  JobSettings& job = g_job_settings;
  if ((flags & 1) != 0 && g_import.template_items.first != nullptr) {
    translate_item_chain(g_import.template_items.first, &t);
    job.template_offset[0] -= dx;
    job.template_offset[1] -= dy;
  }
  if ((flags & 2) != 0 && job.material_box_shown != 0) {
    job.material_box[0] -= dx;
    job.material_box[1] -= dy;
  }
  g_image_record.origin_x -= dx;
  g_image_record.origin_y -= dy;
  ViewState& v = g_view;
  v.view_left -= dx;
  v.view_right -= dx;
  v.view_bottom -= dy;
  v.view_top -= dy;
}

int move_origin(float x, float y) {
  hide_crosshair();
  if (has_inactive_texts() == 2) {
    const int answer = ask_yes_no(
        "You previously set some text items as \vinactive\x13...want their X Y locations changed "
        "also?\n\n",
        g_origin_answers.texts & 1);
    if (answer == 0 || answer == 1) g_origin_answers.texts = answer;
  }
  int result = 0;
  if (g_import.template_items.first != nullptr) {
    const int answer =
        ask_yes_no("\x1d!!Want the template moved also?\n\n", g_origin_answers.template_items & 1);
    if (answer == 0 || answer == 1) g_origin_answers.template_items = answer;
    if (g_origin_answers.template_items != 1) result = 594;
  }
  show_crosshair();
  mark_job_changed();
  g_job_settings.nc_state = 0;
  HoverState& h = g_hover;
  const PointF offset = {h.cursor_point.x - x, h.cursor_point.y - y};
  h.cursor_point = offset;
  shift_items(offset.x, offset.y, static_cast<uint8_t>(g_origin_answers.texts),
              static_cast<uint8_t>(g_origin_answers.template_items | 2));
  return result;
}

DrawingItem* new_text_from_box(int16_t font, const char* text, int32_t mode) {
  g_furniture.read_out = 0;
  ViewState& v = g_view;
  const int result = rubber_box(&v.zoom_corner_1, &v.zoom_corner_2, mode);
  if (result == RUBBER_CANCELLED) return nullptr;
  float typed_h = 0.0f, typed_l = 0.0f;
  if (result == RUBBER_SIZE_TYPED) {
    const char* rest = parse_float_advance(message_text(), &typed_h);
    parse_float_advance(rest, &typed_l);
  }
  std::string body;
  if (text != nullptr) {
    body = text;
  } else {
    show_prompt("Type the text you want to engrave.\nPress \vENTER\x13 when finished.");
    if (!prompt_engraving_text(&body)) return nullptr;
  }
  DrawingItem* item = new_text_item();
  if (item == nullptr) return nullptr;
  set_line_text(body.c_str(), item);
  init_text_item(item, nullptr, font);
  set_item_flags(item, ITEM_FLAG_SELECTED);
  GeometryBlock* block = item_block(item);
  uint8_t* bytes = block_text_layout(block);
  if (bytes == nullptr) return item;
  TextLayout layout;
  read_text_layout(bytes, &layout);
  const PointF p1 = v.zoom_corner_1;
  const PointF p2 = v.zoom_corner_2;
  layout.width_factor = 1.0f;
  const float least = 10.0f / v.scale_x;
  layout.height = result == RUBBER_SIZE_TYPED ? typed_h : p2.y - p1.y;
  if (layout.height < least) layout.height = 0.0f;
  layout.length = result == RUBBER_SIZE_TYPED ? typed_l : p2.x - p1.x;
  if (layout.length < least) layout.length = 0.0f;
  layout.anchor = p1;
  if (layout.height != 0.0f && layout.length != 0.0f) {
    layout.anchor.x += layout.length / 2.0f;
    if (display_length(body.c_str()) < 3 || 3.0f * layout.length >= layout.height) {
      layout.anchor.y += layout.height / 2.0f;
      layout.width_factor = 0.0f;
    } else {
      layout.flags = 2;
      layout.length = p2.y - p1.y;
      layout.height = 0.0f;
      layout.v_justify = 0;
      layout.anchor.y = p2.y;
    }
  } else {
    if (layout.height == 0.0f && layout.length == 0.0f)
      layout.height = (v.view_top - v.view_bottom) / 6.0f;
    layout.anchor.x += layout.length / 2.0f;
    layout.anchor.y += layout.height / 2.0f;
  }
  if (text_item_cut_width(block) * 10.0f > layout.height || layout.height == 0.0f) {
    set_text_item_cut_width(block, layout.height * 0.1f);
    layout.pen_allowance = layout.height * 0.1f;
  }
  layout.entered_height = layout.height;
  layout.entered_length = layout.length;
  write_text_layout(layout, bytes);
  layout_text_item(item);
  item_bounding_boxes(item);
  return item;
}

void reset_rubber_box() { g_origin_answers = OriginAnswers{}; }
