// The background-image record of a job: which image file lies behind the drawing, at which
// resolution and where. It travels in the job file as a 328-byte record, written and read
// field by field here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/image_library.h"

constexpr size_t IMAGE_RECORD_SIZE = 328;
constexpr size_t IMAGE_PATH_SIZE = 260;

// status values
constexpr int8_t IMAGE_SHOWN = 1;
constexpr int8_t IMAGE_NOT_LOADED = 0;
constexpr int8_t IMAGE_FILE_NOT_FOUND = -1;
constexpr int8_t IMAGE_CANNOT_SHOW = -2;

struct ImageRecord {
  char path[IMAGE_PATH_SIZE] = {};    // +0 full path of the image file, zero-ended; empty = none
  float pixels_per_inch = 0.0f;       // +260 resolution in use
  float user_pixels_per_inch = 0.0f;  // +264 set by the user; 0 = take the file's
  float origin_x = 0.0f;              // +268 drawing X of the image's lower-left corner
  float origin_y = 0.0f;              // +272 drawing Y of the image's lower-left corner
  uint8_t reserved_276[4] = {};
  int8_t status = IMAGE_NOT_LOADED;   // +280 IMAGE_*
  uint8_t draw_pending = 0;           // +281 to be drawn at the next repaint
  uint8_t hidden = 0;                 // +282 the image is hidden
  uint8_t placed = 0;                 // +283 the origin is set (else centred in the view)
  // +284..+327: the descriptor of the loaded image, run-time references only: stored as zeros
  // and never taken from a file.
  ImageDescriptor image;              // the loaded pixels; empty while nothing is loaded
};

// The current job's background image.
extern ImageRecord g_image_record;

// True when the record names an image file.
bool image_record_named(const ImageRecord& record);
// Writes the stored form; the descriptor bytes are zeros.
void write_image_record(const ImageRecord& record, uint8_t out[IMAGE_RECORD_SIZE]);
// Reads the first `size` bytes of a stored form (at most IMAGE_RECORD_SIZE; the rest count as
// zeros). The path is kept zero-ended; status and draw_pending are cleared, since nothing is
// loaded yet.
void read_image_record(const uint8_t* in, size_t size, ImageRecord* record);
