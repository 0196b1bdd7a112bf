#include "editor/image_modes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "editor/drawing_commands.h"
#include "editor/image_commands.h"
#include "editor/render.h"
#include "editor/view_state.h"
#include "job/background_image.h"
#include "job/image_record.h"
#include "geometry/drawing_item.h"
#include "store/line_list.h"
#include "platform/canvas.h"
#include "records/job_settings.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/float_text.h"
#include "store/message_ids.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "store/store_host.h"
#include "ui/text_window.h"
#include "ui/value_bar.h"

ImageFaintness g_image_faintness;

namespace {

constexpr int PALETTE_RUBBER = 165;
// Rows of the image worked between two looks at the input: fewer for colour, three bytes a pixel.
constexpr int GREY_ROWS_PER_SLICE = 128;
constexpr int COLOUR_ROWS_PER_SLICE = 16;
// The bar's arrows step the faintness by 1, by 5 once held long; PgUp and PgDn by 10.
constexpr int SMALL_STEP = 1, HELD_STEP = 5, PAGE_STEP = 10;

// The line being dragged, in pixels of the drawing area.
struct StraightenLine {
  bool shown = false;  // the line is on the screen (drawn in XOR)
  bool made = false;   // the user has dragged or typed one
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

CanvasPoint area_pointer() { return CanvasPoint{g_pointer.wanted_x, g_pointer.wanted_y - g_view.area_top}; }

void toggle_line(StraightenLine* line) {
  Canvas* canvas = drawing_canvas();
  if (canvas == nullptr) return;
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(PALETTE_RUBBER);
  canvas->mix = CANVAS_MIX_XOR;
  area_line(line->x1, line->y1, line->x2, line->y2);
  line->shown = !line->shown;
}

void hide_line(StraightenLine* line) {
  if (line->shown) toggle_line(line);
}

// The line's angle in degrees, counter-clockwise from the right as the user sees it (0 .. 360).
double line_degrees(const StraightenLine& line) {
  const double degrees = std::atan2(-(line.y2 - line.y1), line.x2 - line.x1) * 180.0 / std::numbers::pi;
  return degrees < 0.0 ? degrees + 360.0 : degrees;
}

// The view's zoom against the image's own size: 1 when one image pixel spans one screen pixel.
float image_zoom() {
  const double per_unit = image_pixels_per_unit(g_image_record, g_job_settings.units);
  return per_unit > 0.0 ? static_cast<float>(g_view.scale_x / per_unit) : 0.0f;
}

void show_angle(double degrees) { g_value_bar.value[0] = static_cast<float>(degrees); }

// A typed angle turns the dragged line about its start, keeping its length.
void turn_line_to(StraightenLine* line, double degrees) {
  const double length = std::hypot(line->x2 - line->x1, line->y2 - line->y1);
  if (!(length > 0.0)) return;
  const double a = degrees * std::numbers::pi / 180.0;
  line->x2 = line->x1 + static_cast<int>(std::lround(length * std::cos(a)));
  line->y2 = line->y1 - static_cast<int>(std::lround(length * std::sin(a)));
}

// The Zoom field's arrows zoom the view, as '+' and '-' do: the page does it.
constexpr EventCode ZOOM_UP_ARROW = 6, ZOOM_DOWN_ARROW = 7;
EventCode zoom_arrow_as_key(EventCode code) {
  switch (code & ~VALUE_BAR_REPEATED) {
    case ZOOM_UP_ARROW: return '+';
    case ZOOM_DOWN_ARROW: return '-';
    default: return code;
  }
}

bool ends_straightening(EventCode code) {
  switch (code) {
    case '+': case '-': case '=':
    case KEY_UP: case KEY_DOWN: case KEY_LEFT: case KEY_RIGHT: case KEY_PGUP: case KEY_PGDN:
    case EVENT_QUIT: case EVENT_REDRAW: return true;
    default: return false;
  }
}

void show_rotating(double deviation) {
  std::string degrees = format_float_text(static_cast<float>(deviation), FLOAT_TWO_DECIMALS);
  trim_float_zeros(degrees);
  const std::string text = "\nHold on.... Rotating by " + degrees;
  show_status_line(text.c_str());
}

// The faintness field shows the whole percentage; the zoom the view's.
void show_faintness(const ImageFaintness& state) { g_value_bar.whole[0] = state.percent; }

void change_faintness(ImageFaintness* state, int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == state->percent) return;
  state->percent = percent;
  state->done_rows = 0;
  state->shown_rows = 0;
  show_faintness(*state);
}

int step_of(EventCode code) {
  const bool held = (code & VALUE_BAR_REPEATED) != 0;
  switch (code & ~VALUE_BAR_REPEATED) {
    case KEY_UP: return SMALL_STEP;
    case KEY_DOWN: return -SMALL_STEP;
    case KEY_PGUP: return PAGE_STEP;
    case KEY_PGDN: return -PAGE_STEP;
    case 2: return held ? HELD_STEP : SMALL_STEP;   // the faintness field's up arrow
    case 3: return held ? -HELD_STEP : -SMALL_STEP;  // and its down arrow
    default: return 0;
  }
}

}  // namespace

int16_t use_bottom_status_line() {
  const int16_t routing = g_windows.help_box_row;
  g_windows.help_box_row = 0;
  return routing;
}

// ---- Straightening -----------------------------------------------------------------------------

EventCode pick_straighten_line(double* degrees) {
  StraightenLine line;
  enum class Drag { NONE, LINE, WHOLE } drag = Drag::NONE;
  CanvasPoint grabbed{};
  g_value_bar.value[1] = image_zoom();
  get_message(MSG_IMAGE_STRAIGHTEN_HELP);
  show_help_text_line(message_text());
  for (;;) {
    const EventCode code = zoom_arrow_as_key(run_value_bar());
    switch (code) {
      case EVENT_LEFT_DOWN: {
        hide_line(&line);
        const CanvasPoint at = area_pointer();
        line.x1 = line.x2 = at.x;
        line.y1 = line.y2 = at.y;
        line.made = false;
        drag = Drag::LINE;
        toggle_line(&line);
        break;
      }
      case EVENT_RIGHT_DOWN:
        if (line.made) {
          grabbed = area_pointer();
          drag = Drag::WHOLE;
        }
        break;
      case EVENT_POINTER_MOVE: {
        const CanvasPoint at = area_pointer();
        if (drag == Drag::LINE && (g_pointer.button_bits & WINDOW_BUTTON_LEFT) != 0) {
          hide_line(&line);
          line.x2 = at.x;
          line.y2 = at.y;
          line.made = line.x2 != line.x1 || line.y2 != line.y1;
          if (line.made) show_angle(line_degrees(line));
          toggle_line(&line);
        } else if (drag == Drag::WHOLE && (g_pointer.button_bits & WINDOW_BUTTON_RIGHT) != 0) {
          hide_line(&line);
          line.x1 += at.x - grabbed.x;
          line.x2 += at.x - grabbed.x;
          line.y1 += at.y - grabbed.y;
          line.y2 += at.y - grabbed.y;
          grabbed = at;
          toggle_line(&line);
        }
        break;
      }
      case EVENT_LEFT_UP:
      case EVENT_RIGHT_UP: drag = Drag::NONE; break;
      case FIELD_CHANGED:
        // A typed angle: the dragged line, if any, follows it.
        if (line.shown) {
          hide_line(&line);
          turn_line_to(&line, g_value_bar.value[0]);
          toggle_line(&line);
        }
        line.made = true;
        break;
      case KEY_ENTER:
        // Nothing dragged or typed yet: there is no angle to take.
        if (!line.made) break;
        hide_line(&line);
        *degrees = g_value_bar.value[0];
        return KEY_ENTER;
      case KEY_ESC:
        hide_line(&line);
        return KEY_ESC;
      default:
        if (ends_straightening(code)) {
          hide_line(&line);
          return code;
        }
        break;
    }
  }
}

EventCode straighten_image() {
  if (prepare_straighten_image() != 0) {
    image_clear_descriptor(&g_background_image.work);
    show_text_box("Out of memory?", OUT_OF_MEMORY_BOX);
    return KEY_ESC;
  }
  for (;;) {
    double degrees = 0.0;
    const EventCode code = pick_straighten_line(&degrees);
    if (code != KEY_ENTER) {
      // The image stays as it was: the work copy only goes back when it was turned.
      image_clear_descriptor(&g_background_image.work);
      return code;
    }
    const double deviation = straighten_deviation(degrees);
    if (deviation == 0.0) continue;  // a line on an axis needs no turn: asked again
    show_rotating(deviation);
    if (straighten_by(deviation) != 0) {
      image_clear_descriptor(&g_background_image.work);
      show_text_box("Out of memory?", OUT_OF_MEMORY_BOX);
      return KEY_ESC;
    }
    return IMAGE_STRAIGHTENED;
  }
}

// ---- Fading ------------------------------------------------------------------------------------

int begin_image_faintness(ImageFaintness* state) {
  *state = ImageFaintness{};
  ImageDescriptor& work = g_background_image.work;
  image_copy_descriptor(work, &state->original);
  if (prepare_image_faintness(&work, &g_background_image.faint_copy) != 0) {
    image_clear_descriptor(&state->original);
    return 0x8000;
  }
  state->done_rows = state->shown_rows = work.image->height;
  std::vector<ScreenControl> table = std::move(g_value_bar.table);
  g_value_bar = ValueBar();
  g_value_bar.table = std::move(table);
  g_value_bar.precision[0] = BAR_WHOLE_NUMBER;
  g_value_bar.precision[1] = FLOAT_TWO_DECIMALS;
  g_value_bar.value[1] = image_zoom();
  setup_value_bar("Faintness", "Zoom", nullptr, nullptr, nullptr, 0);
  // The faintness is typed; the zoom only shown.
  set_value_bar_flags(CF_ENTRY, 2, -1, -1, -1);
  show_faintness(*state);
  return 0;
}

ImageWorkCheck check_input_during_image_work() {
  for (;;) {
    const EventCode code = poll_input_code(0);
    switch (code) {
      case 0: return ImageWorkCheck::GO_ON;
      case EVENT_TICK: return ImageWorkCheck::SHOW;
      case EVENT_POINTER_MOVE: follow_mouse(); continue;
      case EVENT_LEFT_UP: case EVENT_MIDDLE_UP: case EVENT_RIGHT_UP:
      case EVENT_CTRL_DOWN: case EVENT_CTRL_UP: case EVENT_ALT_DOWN: case EVENT_ALT_UP: continue;
      default:
        push_input_code_front(code);
        return ImageWorkCheck::STOP;
    }
  }
}

EventCode adjust_image_faintness(ImageFaintness* state) {
  ImageDescriptor& work = g_background_image.work;
  const ImageDescriptor& copy = g_background_image.faint_copy;
  if (work.image == nullptr || copy.image == nullptr) return KEY_ESC;
  const int height = work.image->height;
  const int slice = work.image->bits == 24 ? COLOUR_ROWS_PER_SLICE : GREY_ROWS_PER_SLICE;
  for (;;) {
    if (state->done_rows < height) {
      state->done_rows = fade_image_rows(copy, &work, state->percent, state->done_rows, slice);
      if (state->done_rows < 0) return KEY_ESC;
      const ImageWorkCheck check = check_input_during_image_work();
      if (check == ImageWorkCheck::GO_ON && state->done_rows < height) continue;
      if (check != ImageWorkCheck::STOP && state->done_rows > state->shown_rows) {
        state->shown_rows = state->done_rows;
        return 0;
      }
    } else if (state->shown_rows < height) {
      state->shown_rows = height;
      return 0;
    }
    g_value_bar.value[1] = image_zoom();
    const EventCode code = zoom_arrow_as_key(run_value_bar());
    if (const int step = step_of(code); step != 0) {
      change_faintness(state, state->percent + step);
      continue;
    }
    switch (code) {
      case FIELD_CHANGED: change_faintness(state, g_value_bar.whole[0]); show_faintness(*state); break;
      case KEY_ENTER:
        image_free(&g_background_image.faint_copy);
        image_clear_descriptor(&state->original);
        return KEY_ENTER;
      case KEY_ESC: {
        // The image as it was: untouched when it was faded in another depth, else the copy.
        const bool converted = state->original.image != nullptr && state->original.image != work.image;
        image_free(&work);
        image_copy_descriptor(converted ? state->original : g_background_image.faint_copy, &work);
        image_free(&g_background_image.faint_copy);
        image_clear_descriptor(&state->original);
        return KEY_ESC;
      }
      case '+': case '-': case '=': case EVENT_QUIT: case EVENT_REDRAW: return code;
      default: break;
    }
  }
}

// ---- Moving ------------------------------------------------------------------------------------

int move_image_with_frame() {
  if (g_drawing_commands.move_image_frame == nullptr) {
    show_missing_command_notice();
    return -1;
  }
  ImageRecord& record = g_image_record;
  double width = 0.0, height = 0.0;
  image_size_in_units(record, g_job_settings.units, &width, &height);
  if (!(width > 0.0) || !(height > 0.0)) return -1;
  // A box link over the image, moved as an item by the move command; the image follows it.
  if (new_geometry_block("", nullptr, 1, 0, GEOMETRY_KIND_DRAWING_AID) != 0) return -1;
  DrawingItem* frame = g_lists.current.last;
  set_item_type(frame, ITEM_POLYLINE);
  set_item_flags(frame, ITEM_FLAG_SELECTED);
  LinkRecord* r = item_nodes(frame);
  r[0].node_flags = NODE_FIRST;
  r[0].code = LINK_BOX;
  r[0].point = {record.origin_x, record.origin_y};
  r[1].node_flags = NODE_CLOSING;
  r[1].point = {static_cast<float>(record.origin_x + width), static_cast<float>(record.origin_y + height)};
  item_bounding_boxes(frame);
  const int moved = g_drawing_commands.move_image_frame(frame);
  delete_line(frame);
  if (moved != 0) return -1;
  record.placed = 1;
  return 0;
}

void reset_image_modes() { g_image_faintness = ImageFaintness{}; }
