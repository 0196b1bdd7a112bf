#include "editor/image_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/drawing_page_state.h"
#include "editor/page_furniture.h"
#include "editor/rubber_box.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "job/background_image.h"
#include "job/image_record.h"
#include "records/job_settings.h"
#include "screen/pointer.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

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
    char text[IMAGE_PATH_SIZE + 40];
    std::snprintf(text, sizeof text, "\vThe image\x13 \f%s\x13 ", image.path);
    set_message_text(text);
    get_message(IMAGE_LOAD_FAILED_BASE - image.status);
    *result = raise_redraw();
    return false;
  }
  image.hidden = 0;
  return true;
}

}  // namespace

ImageResult run_image_option(int option) {
  switch (option) {
    case IMAGE_OPTION_SHOW_HIDE:
      g_image_record.hidden = g_image_record.hidden != 0 ? 0 : 1;
      return raise_redraw();
    case IMAGE_OPTION_SCALE_DRAWING: return scale_drawing_to_pixels();
    case IMAGE_OPTION_LOAD: return raise_redraw();  // choosing and loading come with the loader
    default: break;
  }
  ImageResult result = ImageResult::SHORT_PASS;
  if (!image_ready(&result)) return result;
  // The image operations themselves come with the image loader; a loaded image keeps them.
  return raise_redraw();
}

ImageResult image_mode_step(EventCode /*mode*/) { return raise_redraw(); }
