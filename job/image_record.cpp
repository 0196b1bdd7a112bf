// The stored form of the background-image record.
#include "job/image_record.h"

#include <algorithm>
#include <cstring>

#include "store/record_bytes.h"

ImageRecord g_image_record;

bool image_record_named(const ImageRecord& record) { return record.path[0] != '\0'; }

void write_image_record(const ImageRecord& record, uint8_t out[IMAGE_RECORD_SIZE]) {
  std::memset(out, 0, IMAGE_RECORD_SIZE);
  std::memcpy(out, record.path, IMAGE_PATH_SIZE);
  put_f32_le(out + 260, record.pixels_per_inch);
  put_f32_le(out + 264, record.user_pixels_per_inch);
  put_f32_le(out + 268, record.origin_x);
  put_f32_le(out + 272, record.origin_y);
  std::memcpy(out + 276, record.reserved_276, sizeof record.reserved_276);
  out[280] = static_cast<uint8_t>(record.status);
  out[281] = record.draw_pending;
  out[282] = record.hidden;
  out[283] = record.placed;
}

void read_image_record(const uint8_t* in, size_t size, ImageRecord* record) {
  uint8_t stored[IMAGE_RECORD_SIZE] = {};
  std::memcpy(stored, in, std::min(size, IMAGE_RECORD_SIZE));
  get_text_field(stored, record->path, IMAGE_PATH_SIZE);
  record->pixels_per_inch = get_f32_le(stored + 260);
  record->user_pixels_per_inch = get_f32_le(stored + 264);
  record->origin_x = get_f32_le(stored + 268);
  record->origin_y = get_f32_le(stored + 272);
  std::memcpy(record->reserved_276, stored + 276, sizeof record->reserved_276);
  record->status = IMAGE_NOT_LOADED;
  record->draw_pending = 0;
  record->hidden = stored[282];
  record->placed = stored[283];
}
