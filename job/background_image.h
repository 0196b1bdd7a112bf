// The background raster image behind the drawing: choosing, loading, reloading and freeing it,
// its resolution and place, its conversions, turns and fading, saving it, the information box,
// and where its pixels fall on the screen. The pixels live in g_image_record.image; the Drawing
// page draws them and runs the interactive modes. The user is reached through the job host.
#pragma once

#include <cstdint>
#include <string>

#include "job/image_record.h"
#include "platform/canvas.h"
#include "platform/image_library.h"

// ---- Loaders -----------------------------------------------------------------------------------
// The three-letter extensions, one loader each by position: TIF 0, PCX 1, GIF 2 (not read),
// TGA 3, BMP 4, JPG 5, PNG 6, BIF 7 (not described anywhere, so not read).
constexpr char IMAGE_LOADER_EXTENSIONS[] = "TIFPCXGIFTGABMPJPGPNGBIF";
constexpr int IMAGE_LOADER_TIF = 0, IMAGE_LOADER_PCX = 1, IMAGE_LOADER_GIF = 2, IMAGE_LOADER_TGA = 3,
              IMAGE_LOADER_BMP = 4, IMAGE_LOADER_JPG = 5, IMAGE_LOADER_PNG = 6, IMAGE_LOADER_BIF = 7;
// The filter of the open dialog.
constexpr char IMAGE_FILE_FILTER[] =
    "Image files (bmp pcx jpg tif png bif tga)|*.bmp;*.pcx;*.jpg;*.tif;*.png;*.bif;*.tga";
// The text of a failed save.
constexpr char IMAGE_NOT_SAVED_TEXT[] = "Error; image was not saved.";
// Pixels per inch when the file gives none and the user does not say.
constexpr double IMAGE_DEFAULT_PIXELS_PER_INCH = 100.0;

// The loader of the path's extension (a whole table entry, any case), or -1.
int image_loader_of(const std::string& path);

// ---- State -------------------------------------------------------------------------------------
struct BackgroundImageState {
  ImageDescriptor work;        // every loader fills it; straightening works on it
  ImageDescriptor faint_copy;  // the image as it was when fading began
  std::string last_folder;     // folder of the image chosen last; "" = the program folder
};
extern BackgroundImageState g_background_image;

// ---- Choosing, loading, freeing ----------------------------------------------------------------
// The open dialog; a chosen file becomes the image's path (status 0, shown, its own resolution)
// and its folder the next start. 1 chosen, 0 cancelled, -1 refused (a path longer than the record holds).
int choose_image_file();
// Loads the named image unless it is shown: 0 loaded, 1 already loaded, -1 no image or it
// failed (the first failure is shown; a failed image is not tried again until it is chosen or
// its job opened anew). The file's resolution is used unless the user gave one; without either
// the user is asked (Esc: 100 pixels per inch). An image never placed is centred in the view;
// one its job hides stays hidden.
int load_background_image();
// Reads the pixels from the file again, keeping the place; the file's resolution replaces the
// user's when it has one. 0, or -1 when it failed (shown).
int reload_background_image();
// Frees the pixels and clears the whole record; 1 when nothing was loaded.
int free_background_image();
// Sets draw_pending when an image is shown and no full redraw is pending; 1 when set.
int mark_image_for_redraw(bool full_redraw_pending);

// ---- Size and place ----------------------------------------------------------------------------
// Image pixels per drawing unit: the pixels per inch, per 25.4 of them in a millimetre job.
double image_pixels_per_unit(const ImageRecord& record, uint8_t units);
// The image's width and height in drawing units (0 when nothing is loaded).
void image_size_in_units(const ImageRecord& record, uint8_t units, double* width, double* height);
// New pixels per inch from a length measured on the image and the length it should have; -1
// when either is 0 or less (the caller asks again).
int set_image_scale(double measured_length, double typed_length);
// The view scale (pixels per drawing unit) at which one image pixel spans `factor` screen
// pixels; -1 when the factor is 0 or less.
double image_zoom_scale(double factor, uint8_t units);

// The drawing area: its world position and scale, and its size in screen pixels.
struct ImageViewport {
  double view_left = 0.0;  // world x of the left edge
  double view_top = 0.0;   // world y of the top edge
  double scale = 1.0;      // screen pixels per drawing unit
  int width = 0;           // pixels
  int height = 0;          // pixels
};
// Where the shown image falls: *source, the image pixels that can be seen (rows counted from the
// top), stretched onto *dest (screen pixels, reaching at most one image pixel past the area).
// False when nothing of it can be seen. Worked in 64 bits, so no far-off image wraps round.
bool image_screen_rectangles(const ImageRecord& record, uint8_t units, const ImageViewport& view, CanvasRect* dest,
                             CanvasRect* source);

// ---- Conversions and turns (each 0, or -1 with the image as it was) -----------------------------
// A quarter turn: direction 0 clockwise, 1 counter-clockwise.
int rotate_image_quarter(int direction, ImageDescriptor* image);
// Any angle in degrees, counter-clockwise as seen; the corners the turn opens are white.
int rotate_image_by_angle(double degrees, ImageDescriptor* image);
// To 8-bit grey (mode > 0), and on to 1 bit (mode <= 0); a 1-bit image is first made 8-bit.
int convert_image_depth(int mode, ImageDescriptor* image);
// A palette image (1 bit through 8) to 24-bit colour.
int expand_image_to_24bit(ImageDescriptor* image);
// A 24-bit image, or an 8-bit one of more than 16 colours, to at most 256 colours.
int reduce_image_colours(ImageDescriptor* image);
// A new image in *copy of the same size and depth, with the same pixels, palette and resolution.
int copy_image_buffer(const ImageDescriptor& image, ImageDescriptor* copy);
// The working image; -1 unless width and height are above 1.
int alloc_work_image(int width, int height, int bits);
// Sets and returns the working image's grey flag: more than 2 colours, all on the grey ramp.
bool test_work_image_grey();

// ---- Straightening -----------------------------------------------------------------------------
// The angle (degrees) a line at `line_degrees` is off the nearest axis, -45 up to 45.
double straighten_deviation(double line_degrees);
// Copies the image into the working image, made 8-bit grey (below 8 bits) or 24-bit (an 8-bit
// colour image) so that it can be turned smoothly. 0 or -1.
int prepare_straighten_image();
// Turns the working image by minus the deviation and makes it the image. 0 or -1.
int straighten_by(double deviation);

// ---- Fading ------------------------------------------------------------------------------------
// Brings the image to 8-bit grey (from 1 bit) or 24 bits (from 8-bit colour) and keeps a copy
// of it in *copy, which the fading starts from each time. 0 or -1.
int prepare_image_faintness(ImageDescriptor* image, ImageDescriptor* copy);
// Rows first_row .. first_row + rows - 1 (from the top) of the image made `faintness` percent
// faint from the copy: each channel c becomes min(255, (c (100 - f) + 50) / 100 + (255 f + 50)
// / 100), so 50 % gives 128 on every machine. Returns the row after the last one done.
int fade_image_rows(const ImageDescriptor& copy, ImageDescriptor* image, int faintness, int first_row, int rows);

// ---- Saving and information --------------------------------------------------------------------
// Saves as TIF, PCX or BMP by the target's extension, with the resolution in use: the image's
// own path (ask 0) or the one the save dialog gives (ask 1). A PCX gets a copy reduced to 256
// colours; the shown image keeps its own. 0, or -1 (cancelled, or IMAGE_NOT_SAVED_TEXT shown).
int save_image_file(int ask);
// The information box's text, and the box.
std::string image_info_text();
void show_image_info();

// ---- Test hooks --------------------------------------------------------------------------------
void reset_background_image();
