// Changing the background image's pixels: colour depths, turns, straightening and fading. Each
// change builds a new image beside the old one and puts it in place only when it succeeded, so a
// failed step leaves the image as it was.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "job/background_image.h"

namespace {

void keep_resolution(const ImageDescriptor& from, ImageDescriptor* to) {
  to->image->x_pixels_per_metre = from.image->x_pixels_per_metre;
  to->image->y_pixels_per_metre = from.image->y_pixels_per_metre;
}

// The new image takes the old one's place; the old pixels go when nothing else holds them.
void replace_image(ImageDescriptor* image, ImageDescriptor* made) {
  keep_resolution(*image, made);
  image_free(image);
  image_copy_descriptor(*made, image);
  image_clear_descriptor(made);
}

bool has_image(const ImageDescriptor* image) { return image != nullptr && image->image != nullptr; }

// One step into a new image of `bits` and the same size, or -1 with the image untouched.
template <class Step>
int change_into(ImageDescriptor* image, int width, int height, int bits, Step step) {
  ImageDescriptor made;
  if (image_alloc(&made, width, height, bits) != IMAGE_OK || step(*image, &made) != IMAGE_OK) {
    image_free(&made);
    return -1;
  }
  replace_image(image, &made);
  return 0;
}

int one_bit_to_eight(ImageDescriptor* image) {
  return change_into(image, image->image->width, image->image->height, 8,
                     [](const ImageDescriptor& from, ImageDescriptor* to) { return image_1bit_to_8bit(from, to); });
}

int eight_bits_to_one(ImageDescriptor* image) {
  return change_into(image, image->image->width, image->image->height, 1,
                     [](const ImageDescriptor& from, ImageDescriptor* to) { return image_8bit_to_1bit(from, to, 0); });
}

}  // namespace

int rotate_image_quarter(int direction, ImageDescriptor* image) {
  if (!has_image(image) || (direction != 0 && direction != 1)) return -1;
  const bool one_bit = image->image->bits == 1;
  if (one_bit && one_bit_to_eight(image) != 0) return -1;
  const int64_t x_resolution = image->image->x_pixels_per_metre, y_resolution = image->image->y_pixels_per_metre;
  const int result = change_into(image, image->image->height, image->image->width, image->image->bits,
                                 [direction](const ImageDescriptor& from, ImageDescriptor* to) {
                                   return image_rotate_quarter(direction, from, to);
                                 });
  if (result == 0) {
    // A quarter turn swaps the two directions' resolutions.
    image->image->x_pixels_per_metre = y_resolution;
    image->image->y_pixels_per_metre = x_resolution;
  }
  if (one_bit) convert_image_depth(0, image);
  return result;
}

int rotate_image_by_angle(double degrees, ImageDescriptor* image) {
  if (!has_image(image) || !std::isfinite(degrees)) return -1;
  const double a = degrees * std::numbers::pi / 180.0;
  const double w = image->image->width, h = image->image->height;
  const double width = std::round(std::abs(std::cos(a)) * w + std::abs(std::sin(a)) * h);
  const double height = std::round(std::abs(std::sin(a)) * w + std::abs(std::cos(a)) * h);
  if (width > INT32_MAX || height > INT32_MAX) return -1;
  return change_into(image, static_cast<int>(width), static_cast<int>(height), image->image->bits,
                     [degrees](const ImageDescriptor& from, ImageDescriptor* to) {
                       image_copy_palette(from, to);
                       image_fill(to, 255);
                       return image_rotate(degrees, from, to);
                     });
}

int convert_image_depth(int mode, ImageDescriptor* image) {
  if (!has_image(image)) return -1;
  if (image->image->bits == 1) {
    if (one_bit_to_eight(image) != 0) return -1;
  } else if (image->image->bits == 8) {
    if (image_to_grey(*image, image) != IMAGE_OK) return -1;
  } else if (change_into(image, image->image->width, image->image->height, 8,
                         [](const ImageDescriptor& from, ImageDescriptor* to) { return image_to_grey(from, to); }) != 0) {
    return -1;
  }
  if (mode <= 0 && image->image->bits == 8) return eight_bits_to_one(image);
  return 0;
}

int expand_image_to_24bit(ImageDescriptor* image) {
  if (!has_image(image)) return -1;
  if (image->image->bits == 24) return 0;
  if (image->image->bits == 1 && one_bit_to_eight(image) != 0) return -1;
  return change_into(image, image->image->width, image->image->height, 24,
                     [](const ImageDescriptor& from, ImageDescriptor* to) { return image_to_24bit(from, to); });
}

int reduce_image_colours(ImageDescriptor* image) {
  if (!has_image(image)) return -1;
  const ImagePixels& pixels = *image->image;
  const size_t colours = pixels.palette.size();
  const bool wanted = pixels.bits == 24 || (pixels.bits > 7 && (colours < 1 || colours > 16));
  if (!wanted) return 0;
  return change_into(image, pixels.width, pixels.height, 8, [](const ImageDescriptor& from, ImageDescriptor* to) {
    return image_reduce_colours(256, from, to, 2);
  });
}

int copy_image_buffer(const ImageDescriptor& image, ImageDescriptor* copy) {
  if (image.image == nullptr) return -1;
  ImageDescriptor made;
  if (image_alloc(&made, image.image->width, image.image->height, image.image->bits) != IMAGE_OK ||
      image_copy_pixels(image, &made) != IMAGE_OK || image_copy_palette(image, &made) != IMAGE_OK) {
    return -1;
  }
  keep_resolution(image, &made);
  image_free(copy);
  image_copy_descriptor(made, copy);
  return 0;
}

int alloc_work_image(int width, int height, int bits) {
  if (width <= 1 || height <= 1) return -1;
  return image_alloc(&g_background_image.work, width, height, bits) == IMAGE_OK ? 0 : -1;
}

bool test_work_image_grey() {
  ImageDescriptor& work = g_background_image.work;
  if (work.image == nullptr) return false;
  work.image->grey = work.image->palette.size() > 2 && image_is_grey(work);
  return work.image->grey;
}

// ---- Straightening -----------------------------------------------------------------------------

double straighten_deviation(double line_degrees) {
  double angle = std::fmod(line_degrees, 360.0);
  if (angle < 0.0) angle += 360.0;
  if (angle > 315.0) return angle - 360.0;
  if (angle > 225.0) return angle - 270.0;
  if (angle > 135.0) return angle - 180.0;
  if (angle > 45.0) return angle - 90.0;
  return angle;
}

int prepare_straighten_image() {
  ImageDescriptor& work = g_background_image.work;
  if (g_image_record.image.image == nullptr) return -1;
  image_copy_descriptor(g_image_record.image, &work);
  if (work.image->bits < 8) return convert_image_depth(1, &work);
  if (work.image->bits == 8 && !work.image->grey) return expand_image_to_24bit(&work);
  return 0;
}

int straighten_by(double deviation) {
  ImageDescriptor& work = g_background_image.work;
  if (work.image == nullptr || rotate_image_by_angle(-deviation, &work) != 0) return -1;
  image_free(&g_image_record.image);
  image_copy_descriptor(work, &g_image_record.image);
  image_clear_descriptor(&work);
  return 0;
}

// ---- Fading ------------------------------------------------------------------------------------

int prepare_image_faintness(ImageDescriptor* image, ImageDescriptor* copy) {
  if (!has_image(image)) return -1;
  if (image->image->bits == 1 && convert_image_depth(1, image) != 0) return -1;
  if (image->image->bits == 8 && !image->image->grey && expand_image_to_24bit(image) != 0) return -1;
  return copy_image_buffer(*image, copy);
}

int fade_image_rows(const ImageDescriptor& copy, ImageDescriptor* image, int faintness, int first_row, int rows) {
  const ImagePixels* from = copy.image.get();
  ImagePixels* to = has_image(image) ? image->image.get() : nullptr;
  if (from == nullptr || to == nullptr || from->width != to->width || from->height != to->height ||
      from->bits != to->bits || from->bits == 1 || (from->bits == 8 && !from->grey)) {
    return -1;
  }
  const int f = std::clamp(faintness, 0, 100);
  // In whole numbers: the same levels on every machine.
  uint8_t level[256];
  const int lift = (255 * f + 50) / 100;
  for (int c = 0; c < 256; ++c) level[c] = static_cast<uint8_t>(std::min(255, (c * (100 - f) + 50) / 100 + lift));
  const int64_t bytes = from->bits == 24 ? int64_t{from->width} * 3 : from->width;
  const int last = std::min(from->height, first_row + std::max(rows, 0));
  for (int y = std::max(first_row, 0); y < last; ++y) {
    const uint8_t* in = from->rows.data() + static_cast<int64_t>(from->height - 1 - y) * from->row_bytes;
    uint8_t* out = to->rows.data() + static_cast<int64_t>(to->height - 1 - y) * to->row_bytes;
    for (int64_t i = 0; i < bytes; ++i) out[i] = level[in[i]];
  }
  return last;
}
