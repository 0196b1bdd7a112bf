#include "screen/picture_file.h"

#include <algorithm>
#include <cstring>

#include "platform/canvas.h"
#include "screen/display_mode.h"
#include "screen/palette.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/record_bytes.h"

PictureFile g_picture_file;

namespace {

constexpr uint8_t MAGIC[8] = {0x1A, 0x44, 0x49, 0x42, 0x00, 0x00, 0x00, 0x02};
constexpr size_t BITMAP_HEADER = 12;  // the bitmap information header within the entry

void close_picture_file() {
  PictureFile& file = g_picture_file;
  if (file.stream != nullptr) std::fclose(file.stream);
  file.stream = nullptr;
  file.path.clear();
  file.count = -1;
  file.offsets.clear();
}

void tell(const char* message) {
  ++g_picture_file.messages_shown;
  if (g_picture_file.show_message) {
    g_picture_file.show_message(message);
  } else {
    std::fprintf(stderr, "brenvik: %s\n", message);
  }
}

// The entry's bytes, read from the open file; false when they cannot all be read.
bool read_entry(int n, std::vector<uint8_t>& bytes) {
  const PictureFile& file = g_picture_file;
  const uint32_t start = file.offsets[static_cast<size_t>(n)];
  const uint32_t end = file.offsets[static_cast<size_t>(n) + 1];
  bytes.resize(end - start);
  return std::fseek(file.stream, static_cast<long>(start), SEEK_SET) == 0 &&
         std::fread(bytes.data(), 1, bytes.size(), file.stream) == bytes.size();
}

// Picture number n of an open file, checked; PICTURE_ENTRY_OK or the reason, or -1 with no
// file or n above the count.
int load_entry(int n, std::vector<uint8_t>& bytes, PictureEntry* entry) {
  const PictureFile& file = g_picture_file;
  if (file.stream == nullptr || n < 0 || n > file.count) return -1;
  if (!read_entry(n, bytes)) return PICTURE_ENTRY_SHORT_HEADER;
  return check_picture_entry(bytes.data(), bytes.size(), bytes.size(), entry);
}

uint32_t dib_colour(const uint8_t* quad) {  // blue, green, red, reserved -> 0x00RRGGBB
  return static_cast<uint32_t>(quad[2]) << 16 | static_cast<uint32_t>(quad[1]) << 8 | quad[0];
}

ColourValue colour_value(uint32_t pixel) {  // 0x00RRGGBB -> 0x00BBGGRR
  return (pixel & 0xFF) << 16 | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// The colour of the picture's top-left pixel.
uint32_t first_pixel(const PictureEntry& entry, const std::vector<uint8_t>& pixels,
                     const std::vector<uint32_t>& palette) {
  const size_t row = entry.header_height > 0 ? entry.height - 1 : 0;
  const uint8_t* at = pixels.data() + row * entry.row_bytes;
  if (entry.bits_per_pixel == 24) return dib_colour(at);
  const unsigned index = entry.bits_per_pixel == 8   ? at[0]
                         : entry.bits_per_pixel == 4 ? at[0] >> 4
                                                     : at[0] >> 7;
  return index < palette.size() ? palette[index] : 0;
}

void sample_colours(uint32_t pixel) {
  const ColourValue colour = colour_value(pixel);
  g_palette.palette[g_attributes.scheme[COLOUR_SLOT_BACKGROUND]] = colour;
  const ColourValue third = ((colour & 0xFF) / 3) | (((colour >> 8) & 0xFF) / 3) << 8 |
                            (((colour >> 16) & 0xFF) / 3) << 16;
  g_palette.palette[g_attributes.scheme[COLOUR_SLOT_HIGHLIGHT]] = third;
}

// Where the picture goes: negative coordinates centre it, and it ends inside the screen.
void place_picture(int* x, int* y, int width, int height) {
  const int right = g_display.screen_width;    // the right-most pixel
  const int bottom = g_display.screen_height;  // the bottom-most pixel
  if (*x < 0) *x = right / 2 - width / 2;
  if (*y < 0) *y = bottom / 2 - height / 2;
  *x = std::min(*x, right - width);
  *y = std::min(*y, bottom - height);
}

}  // namespace

PictureEntryCheck check_picture_entry(const uint8_t* bytes, size_t available, size_t size,
                                      PictureEntry* entry) {
  if (size == 0) return PICTURE_ENTRY_EMPTY;
  if (available < PICTURE_HEADER_SIZE || size < PICTURE_HEADER_SIZE) {
    return PICTURE_ENTRY_SHORT_HEADER;
  }
  PictureEntry e;
  e.unpacked_size = get_u32_le(bytes);
  e.width = get_u32_le(bytes + 4);
  e.height = get_u32_le(bytes + 8);
  const int32_t header_width = get_i32_le(bytes + BITMAP_HEADER + 4);
  e.header_height = get_i32_le(bytes + BITMAP_HEADER + 8);
  e.bits_per_pixel = get_u16_le(bytes + BITMAP_HEADER + 14);
  const int64_t rows = e.header_height < 0 ? -static_cast<int64_t>(e.header_height)
                                           : e.header_height;
  if (e.width == 0 || e.height == 0 || header_width != static_cast<int64_t>(e.width) ||
      rows != static_cast<int64_t>(e.height)) {
    return PICTURE_ENTRY_SIZE_MISMATCH;
  }
  if (e.bits_per_pixel != 1 && e.bits_per_pixel != 4 && e.bits_per_pixel != 8 &&
      e.bits_per_pixel != 24) {
    return PICTURE_ENTRY_BAD_DEPTH;
  }
  if (e.width > PICTURE_SIDE_LIMIT || e.height > PICTURE_SIDE_LIMIT ||
      e.unpacked_size > PICTURE_UNPACKED_LIMIT) {
    return PICTURE_ENTRY_TOO_LARGE;
  }
  e.row_bytes = ((static_cast<size_t>(e.width) * static_cast<size_t>(e.bits_per_pixel) + 31) / 32) * 4;
  if (e.unpacked_size < e.row_bytes * e.height) return PICTURE_ENTRY_TOO_SMALL;
  e.data_offset = PICTURE_HEADER_SIZE;
  if (e.bits_per_pixel == 8) {
    if (available < PICTURE_HEADER_SIZE + 2) return PICTURE_ENTRY_SHORT_HEADER;
    e.palette_field = get_i16_le(bytes + PICTURE_HEADER_SIZE);
    const size_t palette_bytes = e.palette_field < 0 ? static_cast<size_t>(-e.palette_field)
                                                     : static_cast<size_t>(e.palette_field);
    if (e.palette_field < 0 && palette_bytes > PICTURE_PALETTE_LIMIT) {
      return PICTURE_ENTRY_BAD_PALETTE;
    }
    e.data_offset = PICTURE_HEADER_SIZE + 2 + palette_bytes;
    if (e.data_offset > size || e.data_offset > available) return PICTURE_ENTRY_SHORT_HEADER;
  }
  *entry = e;
  return PICTURE_ENTRY_OK;
}

size_t unpack_palette(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t limit,
                      DclWorkArea& work) {
  if (dcl_expand_bytes(data, size, out, limit, work) != DCL_COMPLETE) return 0;
  return out.size();
}

bool decode_picture(const uint8_t* bytes, size_t size, const PictureEntry& entry,
                    std::vector<uint8_t>& pixels, std::vector<uint32_t>& palette,
                    DclWorkArea& work) {
  palette.clear();
  if (entry.bits_per_pixel < 8) {
    palette = {0x000000, 0xFFFFFF};
  } else if (entry.bits_per_pixel == 8) {
    const uint8_t* stored = bytes + PICTURE_HEADER_SIZE + 2;
    std::vector<uint8_t> quads;
    if (entry.palette_field == 0) {
      for (uint32_t i = 0; i < 256; ++i) palette.push_back(i * 0x010101u);
    } else if (entry.palette_field < 0) {
      quads.assign(stored, stored + static_cast<size_t>(-entry.palette_field));
    } else if (unpack_palette(stored, static_cast<size_t>(entry.palette_field), quads,
                              PICTURE_PALETTE_LIMIT, work) == 0) {
      return false;
    }
    for (size_t i = 0; i + 4 <= quads.size(); i += 4) palette.push_back(dib_colour(&quads[i]));
  }
  // The unpacked size is checked and bounded: the buffer is never larger than it.
  if (dcl_expand_bytes(bytes + entry.data_offset, size - entry.data_offset, pixels,
                       entry.unpacked_size, work) != DCL_COMPLETE) {
    return false;
  }
  return pixels.size() >= entry.row_bytes * entry.height;
}

bool open_picture_file(const char* path) {
  close_picture_file();
  if (path == nullptr) return false;
  FILE* stream = std::fopen(path, "rb");
  return stream != nullptr && open_picture_stream(stream, path);
}

bool open_picture_stream(FILE* stream, const std::string& name) {
  close_picture_file();
  PictureFile& file = g_picture_file;
  uint8_t head[10];
  long file_size = -1;
  if (std::fseek(stream, 0, SEEK_END) == 0) file_size = std::ftell(stream);
  const bool head_read = std::fseek(stream, 0, SEEK_SET) == 0 &&
                         std::fread(head, 1, sizeof head, stream) == sizeof head;
  const int count = head_read ? get_i16_le(head + 8) : -1;
  if (!head_read || std::memcmp(head, MAGIC, sizeof MAGIC) != 0 || count < 0 || file_size < 0) {
    std::fclose(stream);
    return false;
  }
  std::vector<uint8_t> table((static_cast<size_t>(count) + 2) * 4);
  bool sound = std::fread(table.data(), 1, table.size(), stream) == table.size();
  std::vector<uint32_t> offsets;
  for (size_t i = 0; sound && i < table.size() / 4; ++i) {
    const uint32_t offset = get_u32_le(table.data() + 4 * i);
    // Rising (equal for an empty entry), past the table, inside the file.
    sound = offset >= 10 + table.size() && offset <= static_cast<uint64_t>(file_size) &&
            (offsets.empty() || offset >= offsets.back());
    offsets.push_back(offset);
  }
  if (!sound) {
    std::fclose(stream);
    return false;
  }
  file.stream = stream;
  file.path = name;
  file.count = count;
  file.offsets = std::move(offsets);
  ++file.opened_count;
  if (!file.work) file.work = make_dcl_work_area();
  return true;
}

int picture_size(int n, int* height, int* width) {
  const int number = n < 0 ? -n : n;
  std::vector<uint8_t> bytes;
  PictureEntry entry;
  const int check = load_entry(number, bytes, &entry);
  if (check < 0) return PICTURE_NO_FILE;
  if (check != PICTURE_ENTRY_OK) return PICTURE_NOT_DRAWN;
  *height = static_cast<int>(entry.height);
  *width = static_cast<int>(entry.width);
  return 0;
}

int draw_picture(int n, int x, int y) {
  const int number = n < 0 ? -n : n;
  std::vector<uint8_t> bytes;
  PictureEntry entry;
  const int check = load_entry(number, bytes, &entry);
  if (check < 0) return PICTURE_NO_FILE;
  if (check != PICTURE_ENTRY_OK) return PICTURE_NOT_DRAWN;
  std::vector<uint8_t> pixels;
  std::vector<uint32_t> palette;
  if (!decode_picture(bytes.data(), bytes.size(), entry, pixels, palette, *g_picture_file.work)) {
    tell(PICTURE_ERROR_MESSAGE);
    return PICTURE_NOT_DRAWN;
  }
  if (x == PICTURE_SAMPLE_X) {
    sample_colours(first_pixel(entry, pixels, palette));
    return 0;
  }
  const int width = static_cast<int>(entry.width);
  const int height = static_cast<int>(entry.height);
  place_picture(&x, &y, width, height);
  PictureFile& file = g_picture_file;
  file.last_x = x;
  file.last_y = y;
  file.last_width = width;
  file.last_height = height;
  CanvasDib dib;
  dib.width = width;
  dib.height = entry.header_height;
  dib.bits_per_pixel = entry.bits_per_pixel;
  dib.bits = std::span<const uint8_t>(pixels.data(), entry.row_bytes * entry.height);
  dib.palette = palette;
  canvas_draw_dib(&g_text.screen, x, y, dib);
  // Stand-in: the frame of a positive number waits for the boxes' flat frame.
  return 0;
}

bool read_picture(int n, Surface* out) {
  const int number = n < 0 ? -n : n;
  std::vector<uint8_t> bytes;
  PictureEntry entry;
  if (load_entry(number, bytes, &entry) != PICTURE_ENTRY_OK) return false;
  std::vector<uint8_t> pixels;
  std::vector<uint32_t> palette;
  if (!decode_picture(bytes.data(), bytes.size(), entry, pixels, palette, *g_picture_file.work)) {
    return false;
  }
  Surface picture;
  surface_resize(&picture, static_cast<int>(entry.width), static_cast<int>(entry.height));
  Canvas canvas;
  canvas_init(&canvas, &picture);
  CanvasDib dib;
  dib.width = picture.width;
  dib.height = entry.header_height;
  dib.bits_per_pixel = entry.bits_per_pixel;
  dib.bits = std::span<const uint8_t>(pixels.data(), entry.row_bytes * entry.height);
  dib.palette = palette;
  if (canvas_draw_dib(&canvas, 0, 0, dib) < 0) return false;
  *out = std::move(picture);
  return true;
}

void frame_last_picture() {
  const PictureFile& file = g_picture_file;
  Canvas& canvas = g_text.screen;
  canvas.brush = CanvasBrush{};
  canvas.brush.colour = palette_pixel(1);
  canvas_fill_rect(&canvas, CanvasRect{file.last_x - 2, file.last_y - 2,
                                       file.last_x + file.last_width + 3,
                                       file.last_y + file.last_height + 3});
}

void reset_picture_file() {
  close_picture_file();
  g_picture_file.last_x = g_picture_file.last_y = 0;
  g_picture_file.last_width = g_picture_file.last_height = 0;
  g_picture_file.show_message = nullptr;
  g_picture_file.messages_shown = 0;
}
