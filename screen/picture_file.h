// The interface picture file: the program's own pictures (tool icons, legends, picture grids),
// device-independent bitmaps whose pixel data (and larger palettes) are imploded. It is opened
// at start-up and closed at shutdown; every drawing seeks within it and decodes afresh. Every
// picture is checked by one function before anything is allocated or drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "store/dcl_explode.h"

constexpr int PICTURE_NOT_DRAWN = -1;  // empty entry, bad header or failed unpacking
constexpr int PICTURE_NO_FILE = -2;    // no file open or the number above the count
constexpr int PICTURE_SAMPLE_X = 32000;  // x that samples the colour instead of drawing
constexpr size_t PICTURE_HEADER_SIZE = 12 + 40;  // three u32 and the bitmap information header
constexpr size_t PICTURE_PALETTE_LIMIT = 1024;
constexpr uint32_t PICTURE_SIDE_LIMIT = 16384;               // pixels, width and height
constexpr uint32_t PICTURE_UNPACKED_LIMIT = 64u * 1024 * 1024;  // bytes of pixel data
constexpr const char* PICTURE_ERROR_MESSAGE = "image error #4";

// Why a picture entry cannot be drawn (PICTURE_ENTRY_OK when it can).
enum PictureEntryCheck {
  PICTURE_ENTRY_OK = 0,
  PICTURE_ENTRY_EMPTY,          // its two offsets are equal
  PICTURE_ENTRY_SHORT_HEADER,   // the entry is shorter than its header (and palette)
  PICTURE_ENTRY_SIZE_MISMATCH,  // width or height differ from the bitmap header's, or are 0
  PICTURE_ENTRY_BAD_DEPTH,      // not 1, 4, 8 or 24 bits per pixel
  PICTURE_ENTRY_BAD_PALETTE,    // a palette of more than 1024 bytes
  PICTURE_ENTRY_TOO_SMALL,      // the unpacked size is less than the rows need
  PICTURE_ENTRY_TOO_LARGE,      // sides or unpacked size above their limits
};

// A checked picture entry.
struct PictureEntry {
  uint32_t unpacked_size = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  int32_t header_height = 0;  // > 0 bottom row first, < 0 top row first
  int bits_per_pixel = 0;
  int16_t palette_field = 0;  // 8 bits: 0 grey ramp, < 0 stored bytes, > 0 imploded bytes
  size_t data_offset = 0;     // from the entry's start: the imploded pixel data
  size_t row_bytes = 0;       // rows padded to 4 bytes
};

struct PictureFile {
  std::string path;          // the open file; empty while none is open
  FILE* stream = nullptr;
  int count = -1;            // pictures 0..count; -1 while closed
  std::vector<uint32_t> offsets;  // count + 2 file offsets
  int last_x = 0, last_y = 0, last_width = 0, last_height = 0;  // the last drawn picture
  std::unique_ptr<DclWorkArea> work;  // the decompressor's own memory
  // Tells the user a message ("image error #4"); start-up connects the message box. Unset, the
  // message goes to standard error.
  std::function<void(const char*)> show_message;
  int messages_shown = 0;
  int opened_count = 0;  // files opened so far: what was built from pictures is stale when it grows
};
extern PictureFile g_picture_file;

// Closes the open file; with a path, opens that one: the magic, the count (0 or more) and the
// offsets (rising, inside the file) must hold, or the file stays closed. True when open.
bool open_picture_file(const char* path);
// The same for a stream opened for reading (the fuzz target's way in); the picture file owns
// it from then on and closes it, also when it is refused.
bool open_picture_stream(FILE* stream, const std::string& name);
// The width and height of picture n: 0, PICTURE_NOT_DRAWN for an empty or refused entry,
// PICTURE_NO_FILE with no file or n above the count. A negative n measures picture -n.
int picture_size(int n, int* height, int* width);
// Draws picture |n| with its top-left corner at (x, y); negative coordinates centre it, and it
// is moved left and up to end inside the screen. x = PICTURE_SAMPLE_X takes its first pixel as
// the background colour (and a third of it as the highlight colour) and draws nothing.
// 0 drawn, PICTURE_NOT_DRAWN, PICTURE_NO_FILE.
int draw_picture(int n, int x, int y);
// Picture |n| decoded onto `out`, resized to it (0x00RRGGBB, top row first); false, with `out`
// untouched, when it cannot be drawn.
bool read_picture(int n, Surface* out);
// Fills the last drawn picture's area, widened by 2 pixels on the top and left and 3 on the
// bottom and right, with palette colour 1.
void frame_last_picture();

// The one check of a picture entry: `bytes` are its first bytes (at most its size), `size` its
// whole size in the file.
PictureEntryCheck check_picture_entry(const uint8_t* bytes, size_t available, size_t size,
                                      PictureEntry* entry);
// Unpacks `size` imploded bytes into `out`; the bytes written, 0 when they would exceed
// `limit` or the data are broken.
size_t unpack_palette(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t limit,
                      DclWorkArea& work);
// Decodes a checked entry's pixels and palette (0x00RRGGBB); false when the data do not
// unpack to exactly the pixel bytes the rows need (more or fewer).
bool decode_picture(const uint8_t* bytes, size_t size, const PictureEntry& entry,
                    std::vector<uint8_t>& pixels, std::vector<uint32_t>& palette,
                    DclWorkArea& work);

// Test hooks
void reset_picture_file();
