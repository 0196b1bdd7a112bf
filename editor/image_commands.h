// The Image menu's options on the Drawing page: showing, hiding and scaling the background
// image and the drawing against it, and the two image modes that stay active across events.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"

// Options of the Image menu (and the main menu's 471-489).
constexpr int IMAGE_OPTION_LOAD = 471;
constexpr int IMAGE_OPTION_REMOVE = 472;
constexpr int IMAGE_OPTION_MOVE = 475;
constexpr int IMAGE_OPTION_STRAIGHTEN = 476;
constexpr int IMAGE_OPTION_MIRROR = 477;
constexpr int IMAGE_OPTION_FLIP = 478;
constexpr int IMAGE_OPTION_TURN_RIGHT = 479;
constexpr int IMAGE_OPTION_TURN_LEFT = 480;
constexpr int IMAGE_OPTION_FAINTER = 482;
constexpr int IMAGE_OPTION_SAVE = 483;
constexpr int IMAGE_OPTION_SAVE_AS = 484;
constexpr int IMAGE_OPTION_NEGATIVE = 485;
constexpr int IMAGE_OPTION_OUTLINES = 486;
constexpr int IMAGE_OPTION_GREY = 487;
constexpr int IMAGE_OPTION_RELOAD = 488;
constexpr int IMAGE_OPTION_SCALE_BY_TWO_POINTS = 489;
constexpr int IMAGE_OPTION_SHOW_HIDE = 490;
constexpr int IMAGE_OPTION_INFO = 491;
constexpr int IMAGE_OPTION_ZOOM_FACTOR = 492;
constexpr int IMAGE_OPTION_SCALE_DRAWING = 497;
// The box style of "Out of memory?".
constexpr uint32_t OUT_OF_MEMORY_BOX = 0x60400;

// What the page does after an option: a short pass with a raised redraw level, a full pass
// with new extents (an image change), or a mode that continues as a pending code.
enum class ImageResult { SHORT_PASS, IMAGE_CHANGE, MODE };

// Carries out an option. The straightening (476) and fading (482) options set the page's
// pending code to their mode and give MODE: the page makes a short pass and, taking the pending
// code as its next event, calls image_mode_step.
ImageResult run_image_option(int option);
// Runs the straightening (PAGE_PENDING_STRAIGHTEN) or faintness (PAGE_PENDING_FAINTNESS) mode
// until the user ends it (a short pass; new extents are requested when the image was turned) or
// presses a key the page must handle: then MODE, with the key in *key ('-' as PgDn, '+' and
// '=' as PgUp) for the page to handle now and the pending code set again, so that the mode
// comes back after it. *key is 0 otherwise.
ImageResult image_mode_step(EventCode mode, EventCode* key);

// The image's questions and file choosers, which start-up gives the job host: a number typed
// in a box, starting from the proposal when it is above 0 (false on Esc), the open dialog, the save dialog ("" when cancelled).
bool ask_image_number(const char* prompt, double proposal, double* answer);
std::string choose_file_to_open(const std::string& folder, const char* filter);
std::string choose_file_to_save(const std::string& path, const char* default_extension);
