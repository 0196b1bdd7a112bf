#include "editor/image_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/background_image_view.h"
#include "editor/drawing_page_state.h"
#include "editor/help_box.h"
#include "editor/image_modes.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/rubber_box.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "job/background_image.h"
#include "job/image_record.h"
#include "records/job_settings.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/message_box.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"
#include "ui/value_bar.h"

namespace {

constexpr int ANSWER_SIZE = 40;
constexpr char SCALE_QUESTION[] =
    "Enter how many pixels \vtall\x13 the drawing should be, or\nenter \vW\x13 followed by how "
    "many pixels \vwide\x13 it should be, or\nenter \v*\x13 followed by an amount of pixels and "
    "you will then\ndraw a vertical or horizontal line.\n\n";

ImageResult raise_redraw() {
  g_drawing_page.redraw_request = 1;
  return ImageResult::SHORT_PASS;
}

// The length the typed pixels stand for: a dragged line, the extents' width or their height.
// False when the drag was cancelled.
bool measured_length(char first, float* length) {
  const ViewState& v = g_view;
  if (first == '*') {
    set_pointer_shape(POINTER_ARROW);
    g_furniture.read_out = 0;
    g_pointer.drawn_x = g_pointer.wanted_x;
    g_pointer.drawn_y = g_pointer.wanted_y;
    PointF p1, p2;
    if (rubber_box(&p1, &p2, RUBBER_LINE) == RUBBER_CANCELLED) return false;
    *length = std::max(std::fabs(p2.x - p1.x), std::fabs(p2.y - p1.y));
  } else if (first == 'W' || first == 'w') {
    *length = v.extent_max_x - v.extent_min_x;
  } else {
    *length = v.extent_max_y - v.extent_min_y;
  }
  return true;
}

// Scales the drawing so that its height (or width, or a dragged line) takes so many pixels.
ImageResult scale_drawing_to_pixels() {
  for (;;) {
    char answer[ANSWER_SIZE + 1] = "";
    const int ended = message_box(12, 40, 62, SCALE_QUESTION, 0, answer, -ANSWER_SIZE, nullptr, 0,
                                  nullptr);
    if (ended == KEY_ESC || ended == EVENT_QUIT || ended == EVENT_REDRAW) return raise_redraw();
    const char first = answer[0];
    const bool lettered = first == '*' || first == 'W' || first == 'w';
    const double pixels = std::strtod(lettered ? answer + 1 : answer, nullptr);
    if (!(pixels >= 1.0)) continue;
    float length = 0.0f;
    if (!measured_length(first, &length)) return raise_redraw();
    // Nothing to measure (an empty drawing, a line of no length): the question is asked again.
    if (!(length > 0.0f)) continue;
    const float old_scale = g_view.scale_x;
    const float scale = static_cast<float>(pixels / length);
    zoom_by(scale / old_scale);
    return raise_redraw();
  }
}

// An option that needs an image: 0 when one is loaded and the option may run.
bool image_ready(ImageResult* result) {
  ImageRecord& image = g_image_record;
  if (!image_record_named(image)) {
    get_message(MSG_NO_IMAGE_CHOSEN);
    *result = raise_redraw();
    return false;
  }
  if (image.status == IMAGE_NOT_LOADED) {
    *result = raise_redraw();
    return false;
  }
  if (image.status < 0) {
    const std::string text = std::string("\vThe image\x13 \f") + image.path + "\x13 ";
    set_message_text(text.c_str());
    get_message(IMAGE_LOAD_FAILED_BASE - image.status);
    *result = raise_redraw();
    return false;
  }
  image.hidden = 0;
  return true;
}

}  // namespace

// ---- Options that change the image -------------------------------------------------------------

namespace {

ImageResult image_change() {
  g_drawing_page.redraw_request = 1;
  return ImageResult::IMAGE_CHANGE;
}

// "Remove specks": the edges kept, then the negative; a 1-bit image does it in grey and comes
// back to 1 bit.
ImageResult outline_edges() {
  ImageDescriptor& image = g_image_record.image;
  const bool one_bit = image.image->bits == 1;
  if (one_bit) {
    convert_image_depth(1, &image);
    if (image.image->bits == 1) {
      show_text_box("Out of memory?", OUT_OF_MEMORY_BOX);
      return raise_redraw();
    }
  }
  image_in_place(IMAGE_OP_KEEP_EDGES, &image);
  if (one_bit) convert_image_depth(-1, &image);
  image_in_place(IMAGE_OP_NEGATIVE, &image);
  return raise_redraw();
}

// The view zoomed so that one image pixel spans `factor` screen pixels.
ImageResult zoom_to_image_factor() {
  const double per_unit = image_pixels_per_unit(g_image_record, g_job_settings.units);
  char question[200];
  std::snprintf(question, sizeof question,
                "Enter the zoom factor\nCurrent zoom is %f\n1.0 is the \"natural\" size of the image\n\n",
                per_unit > 0.0 ? g_view.scale_x / per_unit : 0.0);
  double factor = 0.0;
  while (ask_image_number(question, 0.0, &factor)) {
    const double scale = image_zoom_scale(factor, g_job_settings.units);
    if (scale <= 0.0) continue;  // a factor of 0 or less asks again
    zoom_by(static_cast<float>(scale / g_view.scale_x));
    break;
  }
  return raise_redraw();
}

// The image's size from a length dragged on it and the length it should have.
ImageResult scale_image_by_two_points() {
  PointF p1, p2;
  if (rubber_box(&p1, &p2, RUBBER_LINE) == RUBBER_CANCELLED) return raise_redraw();
  const double measured = std::hypot(p2.x - p1.x, p2.y - p1.y);
  if (!(measured > 0.0)) return raise_redraw();
  double typed = 0.0;
  while (ask_image_number("Enter what that length should be.\n\n", measured, &typed)) {
    if (set_image_scale(measured, typed) == 0) return image_change();
  }
  return raise_redraw();
}

// The straightening mode begins: the value bar with the line's angle, and the prompt.
ImageResult begin_straightening() {
  help_box_text(nullptr);
  set_angle_zoom_bar(0.0f);
  set_value_bar_flags(CF_ENTRY, 2, -1, -1, -1);
  show_prompt("Straighten the image.");
  g_drawing_page.pending_code = PAGE_PENDING_STRAIGHTEN;
  return ImageResult::MODE;
}

// The fading mode begins on a work copy of the image; when it cannot, the image stays as it was.
ImageResult begin_fading() {
  ImageDescriptor& work = g_background_image.work;
  image_copy_descriptor(g_image_record.image, &work);
  help_box_text(nullptr);
  if ((begin_image_faintness(&g_image_faintness) & 0x8000) != 0) {
    image_clear_descriptor(&work);
    show_text_box("Out of memory?", OUT_OF_MEMORY_BOX);
    return raise_redraw();
  }
  show_prompt("Make image faint.\n\n\vESC\x13: cancel");
  g_drawing_page.pending_code = PAGE_PENDING_FAINTNESS;
  return ImageResult::MODE;
}

ImageResult run_loaded_image_option(int option) {
  ImageDescriptor& image = g_image_record.image;
  switch (option) {
    case IMAGE_OPTION_REMOVE: return free_background_image() == 0 ? image_change() : ImageResult::SHORT_PASS;
    case IMAGE_OPTION_MIRROR: image_in_place(IMAGE_OP_MIRROR_LEFT_RIGHT, &image); break;
    case IMAGE_OPTION_FLIP: image_in_place(IMAGE_OP_FLIP_TOP_BOTTOM, &image); break;
    case IMAGE_OPTION_TURN_RIGHT: rotate_image_quarter(0, &image); break;
    case IMAGE_OPTION_TURN_LEFT: rotate_image_quarter(1, &image); break;
    case IMAGE_OPTION_SAVE: save_image_file(0); break;
    case IMAGE_OPTION_SAVE_AS: save_image_file(1); break;
    case IMAGE_OPTION_NEGATIVE: image_in_place(IMAGE_OP_NEGATIVE, &image); break;
    case IMAGE_OPTION_OUTLINES: return outline_edges();
    case IMAGE_OPTION_GREY: convert_image_depth(1, &image); break;
    case IMAGE_OPTION_RELOAD: reload_background_image(); return image_change();
    case IMAGE_OPTION_SCALE_BY_TWO_POINTS: return scale_image_by_two_points();
    case IMAGE_OPTION_ZOOM_FACTOR: return zoom_to_image_factor();
    case IMAGE_OPTION_MOVE: return move_image_with_frame() == 0 ? image_change() : raise_redraw();
    case IMAGE_OPTION_STRAIGHTEN: return begin_straightening();
    case IMAGE_OPTION_FAINTER: return begin_fading();
    default:  // half a turn
      image_in_place(IMAGE_OP_MIRROR_LEFT_RIGHT, &image);
      image_in_place(IMAGE_OP_FLIP_TOP_BOTTOM, &image);
      break;
  }
  return raise_redraw();
}

}  // namespace

bool ask_image_number(const char* prompt, double proposal, double* answer) {
  char text[ANSWER_SIZE + 1] = "";
  if (proposal > 0.0) std::snprintf(text, sizeof text, "%g", proposal);
  const int ended = message_box(12, 40, 62, prompt, 0, text, -ANSWER_SIZE, nullptr, 0, nullptr);
  if (ended == KEY_ESC || ended == EVENT_QUIT || ended == EVENT_REDRAW) return false;
  char* end = nullptr;
  *answer = std::strtod(text, &end);
  return end != text;
}

std::string choose_file_to_open(const std::string& folder, const char* filter) {
  std::string path;
  return open_file_dialog(folder, filter, &path) == DIALOG_CHOSEN ? path : std::string();
}

std::string choose_file_to_save(const std::string& path, const char* default_extension) {
  FileRecord record;
  const size_t slash = path.rfind('/');
  record.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  record.name = slash == std::string::npos ? path : path.substr(slash + 1);
  record.extension = default_extension;
  record.full_path = path;
  return save_as_dialog(&record) == DIALOG_CHOSEN ? record.full_path : std::string();
}

ImageResult run_image_option(int option) {
  switch (option) {
    case IMAGE_OPTION_SHOW_HIDE:
      g_image_record.hidden = g_image_record.hidden != 0 ? 0 : 1;
      return raise_redraw();
    case IMAGE_OPTION_SCALE_DRAWING: return scale_drawing_to_pixels();
    case IMAGE_OPTION_LOAD:
      if (choose_image_file() == 1 && load_background_image() >= 0) {
        g_job_settings.view_fitted = VIEW_FITTED;  // the page fits the view to the new extents
        return image_change();
      }
      return raise_redraw();
    default: break;
  }
  ImageResult result = ImageResult::SHORT_PASS;
  if (option == IMAGE_OPTION_INFO && image_record_named(g_image_record)) show_image_info();
  if (!image_ready(&result) || option == IMAGE_OPTION_INFO) return result;
  return run_loaded_image_option(option);
}

// ---- The two image modes -----------------------------------------------------------------------

namespace {

// The modes' status texts go to the bottom of the screen, over the four rows cleared for them.
int16_t begin_mode_lines() {
  const int16_t routing = use_bottom_status_line();
  const int rows = 4 * std::max<int>(1, g_display.current.cell_height);
  fill_cells(g_display.screen_height - rows + 1, 0, g_display.screen_height, g_display.screen_width,
             1 | FILL_PIXELS);
  return routing;
}

// A key the page must handle: it is handled now and the mode comes back after it, unless it is
// a quit, which ends the mode.
ImageResult hand_on(EventCode mode, EventCode code, EventCode* key) {
  *key = code == '-' ? KEY_PGDN : code == '+' || code == '=' ? KEY_PGUP : code;
  g_drawing_page.pending_code = code == EVENT_QUIT ? 0 : mode;
  g_drawing_page.page_redraw_flag = 0;
  g_drawing_page.redraw_request = 0;
  return ImageResult::MODE;
}

ImageResult straightening_step(EventCode* key) {
  const int16_t routing = begin_mode_lines();
  const EventCode code = straighten_image();
  g_windows.help_box_row = routing;
  image_clear_descriptor(&g_background_image.work);
  if (code == KEY_ESC) return raise_redraw();
  g_drawing_page.extents_request = 1;
  if (code == IMAGE_STRAIGHTENED) return raise_redraw();
  return hand_on(PAGE_PENDING_STRAIGHTEN, code, key);
}

ImageResult fading_step(EventCode* key) {
  ImageDescriptor& work = g_background_image.work;
  const int16_t routing = begin_mode_lines();
  get_message(MSG_IMAGE_FAINTNESS_HELP);
  show_help_text_line(message_text());
  EventCode code = 0;
  for (;;) {
    code = adjust_image_faintness(&g_image_faintness);
    if (work.image != nullptr) image_copy_descriptor(work, &g_image_record.image);
    if (code != 0) break;
    if (g_drawing_page.redraw_request != 0) {
      g_drawing_page.redraw_request = 0;
      redraw_drawing();
    } else {
      draw_background_image();
    }
  }
  g_windows.help_box_row = routing;
  if (code == KEY_ESC || code == KEY_ENTER || code == EVENT_QUIT) {
    // Ended for good: a quit keeps the image as the user left it.
    image_clear_descriptor(&work);
    image_free(&g_background_image.faint_copy);
    image_clear_descriptor(&g_image_faintness.original);
    if (code == EVENT_QUIT) return hand_on(PAGE_PENDING_FAINTNESS, code, key);
    return raise_redraw();
  }
  return hand_on(PAGE_PENDING_FAINTNESS, code, key);
}

}  // namespace

ImageResult image_mode_step(EventCode mode, EventCode* key) {
  *key = 0;
  if (g_image_record.status != IMAGE_SHOWN || g_image_record.image.image == nullptr) {
    // The image went while a key was handled: nothing is left to work on.
    image_clear_descriptor(&g_background_image.work);
    image_free(&g_background_image.faint_copy);
    image_clear_descriptor(&g_image_faintness.original);
    return raise_redraw();
  }
  if (mode == PAGE_PENDING_STRAIGHTEN) return straightening_step(key);
  if (mode == PAGE_PENDING_FAINTNESS) return fading_step(key);
  return raise_redraw();
}
