// The Image menu's options on the Drawing page: showing, hiding and scaling the background
// image and the drawing against it, and the two image modes that stay active across events.
#pragma once

#include "screen/event_queue.h"

// Options of the Image menu (and the main menu's 471-489).
constexpr int IMAGE_OPTION_LOAD = 471;
constexpr int IMAGE_OPTION_SHOW_HIDE = 490;
constexpr int IMAGE_OPTION_INFO = 491;
constexpr int IMAGE_OPTION_SCALE_DRAWING = 497;

// What the page does after an option: a short pass with a raised redraw level, a full pass
// with new extents (an image change), or a mode that continues as a pending code.
enum class ImageResult { SHORT_PASS, IMAGE_CHANGE, MODE };

ImageResult run_image_option(int option);
// Runs the straightening (1000) or faintness (1001) mode.
ImageResult image_mode_step(EventCode mode);
