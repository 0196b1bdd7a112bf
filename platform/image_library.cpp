// The raster-image library's images: allocating, sharing and copying them, the input the readers
// take their bytes from, the calls by file name, and saving through a temporary file.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/image_internal.h"
#include "platform/image_library.h"

ImageLibrary g_image_library;

namespace {

std::string base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

bool valid_bits(int bits) { return bits == 1 || bits == 8 || bits == 24; }

}  // namespace

// ---- Input -------------------------------------------------------------------------------------

int open_image_file(const char* path, ImageInput* input) {
  *input = ImageInput{};
  input->name = base_name(path);
  input->file = std::fopen(path, "rb");
  if (input->file == nullptr) {
    return image_failure(input->name, std::string("cannot be opened (") + std::strerror(errno) + ")",
                         IMAGE_ERROR_NOT_FOUND);
  }
  if (std::fseek(input->file, 0, SEEK_END) != 0 || (input->size = ftello(input->file)) < 0 ||
      std::fseek(input->file, 0, SEEK_SET) != 0) {
    close_image_input(input);
    return image_failure(input->name, "cannot be read (not a regular file?)", IMAGE_ERROR_NOT_FOUND);
  }
  return IMAGE_OK;
}

void open_image_bytes(std::span<const uint8_t> bytes, ImageInput* input) {
  *input = ImageInput{};
  input->name = "bytes";
  input->bytes = bytes;
  input->size = static_cast<int64_t>(bytes.size());
}

void close_image_input(ImageInput* input) {
  if (input->file != nullptr) std::fclose(input->file);
  input->file = nullptr;
}

size_t read_image_input(ImageInput* input, void* to, size_t count) {
  const int64_t left = input->size - input->at;
  if (left <= 0 || count == 0) return 0;
  const size_t wanted = static_cast<uint64_t>(left) < count ? static_cast<size_t>(left) : count;
  size_t got = wanted;
  if (input->file != nullptr) got = std::fread(to, 1, wanted, input->file);
  else std::memcpy(to, input->bytes.data() + input->at, wanted);
  input->at += static_cast<int64_t>(got);
  return got;
}

bool seek_image_input(ImageInput* input, int64_t offset) {
  if (offset < 0 || offset > input->size) return false;
  if (input->file != nullptr && fseeko(input->file, offset, SEEK_SET) != 0) return false;
  input->at = offset;
  return true;
}

// ---- Failures and sizes ------------------------------------------------------------------------

int image_failure(const std::string& name, const std::string& reason, int result) {
  g_image_library.error = name + ": " + reason;
  return result;
}

int64_t image_row_bytes(int64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

int check_image_size(const std::string& name, int64_t width, int64_t height, int bits) {
  if (!valid_bits(bits)) return image_failure(name, "the depth is not 1, 8 or 24 bits", IMAGE_ERROR_BAD_SIZE);
  if (width < 2 || height < 2) {
    return image_failure(name, "the image is smaller than 2 x 2 pixels", IMAGE_ERROR_BAD_SIZE);
  }
  if (width > INT32_MAX || height > INT32_MAX ||
      image_row_bytes(width, bits) > g_image_library.max_pixel_bytes / height) {
    return image_failure(name,
                         "the image (" + std::to_string(width) + " x " + std::to_string(height) +
                             " pixels) is too large",
                         IMAGE_ERROR_NO_MEMORY);
  }
  return IMAGE_OK;
}

int check_load_target(const ImagePixels* pixels, const ImageInfo& info, const std::string& name) {
  if (pixels == nullptr || pixels->width != info.width || pixels->height != info.height ||
      pixels->bits != info.bits) {
    return image_failure(name, "the image to load into does not fit the file", IMAGE_ERROR_BAD_IMAGE);
  }
  return IMAGE_OK;
}

int64_t pixels_per_metre_from_inch(double dots_per_inch) {
  if (!(dots_per_inch > 0.0) || dots_per_inch > 1e9) return 0;
  return static_cast<int64_t>(std::floor((dots_per_inch * 3937.0 + 50.0) / 100.0));
}

int64_t pixels_per_metre_from_cm(double dots_per_cm) {
  if (!(dots_per_cm > 0.0) || dots_per_cm > 1e9) return 0;
  return std::llround(dots_per_cm * 100.0);
}

int64_t dots_per_inch_from_metre(int64_t pixels_per_metre) {
  if (pixels_per_metre <= 0) return 0;
  return (pixels_per_metre * 100 + 50) / 3937;
}

// ---- Images ------------------------------------------------------------------------------------

void set_grey_ramp(ImagePixels* image) {
  image->palette.resize(256);
  for (uint32_t i = 0; i < 256; ++i) image->palette[i] = i * 0x010101u;
  image->grey = true;
}

namespace {

bool is_grey_ramp(int bits, const std::vector<uint32_t>& palette) {
  bool grey = bits == 8 && palette.size() == 256;
  for (uint32_t i = 0; grey && i < 256; ++i) grey = palette[i] == i * 0x010101u;
  return grey;
}

}  // namespace

void update_grey_flag(ImagePixels* image) { image->grey = is_grey_ramp(image->bits, image->palette); }

int image_alloc(ImageDescriptor* image, int width, int height, int bits) {
  const int size_check = check_image_size("image", width, height, bits);
  if (size_check != IMAGE_OK) return size_check;
  try {
    auto pixels = std::make_shared<ImagePixels>();
    pixels->width = width;
    pixels->height = height;
    pixels->bits = static_cast<int16_t>(bits);
    pixels->row_bytes = image_row_bytes(width, bits);
    pixels->rows.assign(static_cast<size_t>(pixels->row_bytes * height), 0);
    if (bits == 1) pixels->palette = {0x000000u, 0xFFFFFFu};
    if (bits == 8) set_grey_ramp(pixels.get());
    image->image = std::move(pixels);
  } catch (const std::bad_alloc&) {
    return image_failure("image", "out of memory", IMAGE_ERROR_NO_MEMORY);
  }
  return IMAGE_OK;
}

int image_free(ImageDescriptor* image) {
  image->image.reset();
  return IMAGE_OK;
}

int image_copy_descriptor(const ImageDescriptor& source, ImageDescriptor* target) {
  target->image = source.image;
  return IMAGE_OK;
}

int image_clear_descriptor(ImageDescriptor* target) {
  target->image.reset();
  return IMAGE_OK;
}

int image_copy_pixels(const ImageDescriptor& source, ImageDescriptor* target) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || from->width != to->width || from->height != to->height ||
      from->bits != to->bits) {
    return image_failure("image", "the images differ in size or depth", IMAGE_ERROR_BAD_IMAGE);
  }
  if (from != to) to->rows = from->rows;
  return IMAGE_OK;
}

int image_copy_palette(const ImageDescriptor& source, ImageDescriptor* target) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || from->bits != to->bits) {
    return image_failure("image", "the images differ in depth", IMAGE_ERROR_BAD_IMAGE);
  }
  if (from != to) {
    to->palette = from->palette;
    to->grey = from->grey;
  }
  return IMAGE_OK;
}

bool image_is_grey(const ImageDescriptor& image) {
  return image.image != nullptr && is_grey_ramp(image.image->bits, image.image->palette);
}

namespace {

// The palette index nearest to grey level `value`.
int nearest_grey_index(const std::vector<uint32_t>& palette, int value) {
  int best = 0;
  int best_distance = INT32_MAX;
  for (size_t i = 0; i < palette.size(); ++i) {
    const int r = static_cast<int>((palette[i] >> 16) & 0xFF) - value;
    const int g = static_cast<int>((palette[i] >> 8) & 0xFF) - value;
    const int b = static_cast<int>(palette[i] & 0xFF) - value;
    const int distance = r * r + g * g + b * b;
    if (distance < best_distance) {
      best_distance = distance;
      best = static_cast<int>(i);
    }
  }
  return best;
}

}  // namespace

int image_fill(ImageDescriptor* image, int value) {
  ImagePixels* pixels = image->image.get();
  if (pixels == nullptr) return image_failure("image", "no image", IMAGE_ERROR_BAD_IMAGE);
  const uint8_t level = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
  uint8_t byte = level;
  if (pixels->bits == 1) byte = nearest_grey_index(pixels->palette, level) != 0 ? 0xFF : 0x00;
  else if (pixels->bits == 8 && !pixels->grey) {
    byte = static_cast<uint8_t>(nearest_grey_index(pixels->palette, level));
  }
  std::memset(pixels->rows.data(), byte, pixels->rows.size());
  return IMAGE_OK;
}

// ---- Reading by file name ----------------------------------------------------------------------

namespace {

using InfoReader = int (*)(ImageInput*, ImageInfo*);
using ImageReader = int (*)(ImageInput*, ImagePixels*);

int info_from_file(const char* path, ImageInfo* info, InfoReader reader) {
  ImageInput input;
  int result = open_image_file(path, &input);
  if (result == IMAGE_OK) result = reader(&input, info);
  close_image_input(&input);
  return result;
}

int load_from_file(const char* path, ImageDescriptor* image, ImageReader reader) {
  if (image->image == nullptr) {
    return image_failure(base_name(path), "no image to load into", IMAGE_ERROR_BAD_IMAGE);
  }
  ImageInput input;
  int result = open_image_file(path, &input);
  if (result == IMAGE_OK) {
    try {
      result = reader(&input, image->image.get());
      if (result == IMAGE_OK) update_grey_flag(image->image.get());
    } catch (const std::bad_alloc&) {
      result = image_failure(input.name, "out of memory", IMAGE_ERROR_NO_MEMORY);
    }
  }
  close_image_input(&input);
  return result;
}

}  // namespace

int image_bmp_info(const char* path, ImageInfo* info) { return info_from_file(path, info, read_bmp_info); }
int image_load_bmp(const char* path, ImageDescriptor* image) { return load_from_file(path, image, read_bmp_image); }
int image_tif_info(const char* path, ImageInfo* info) { return info_from_file(path, info, read_tif_info); }
int image_load_tif(const char* path, ImageDescriptor* image) { return load_from_file(path, image, read_tif_image); }
int image_tga_info(const char* path, ImageInfo* info) { return info_from_file(path, info, read_tga_info); }
int image_load_tga(const char* path, ImageDescriptor* image) { return load_from_file(path, image, read_tga_image); }
int image_jpg_info(const char* path, ImageInfo* info) { return info_from_file(path, info, read_jpg_info); }
int image_load_jpg(const char* path, ImageDescriptor* image) { return load_from_file(path, image, read_jpg_image); }
int image_png_info(const char* path, ImageInfo* info) { return info_from_file(path, info, read_png_info); }
int image_load_png(const char* path, ImageDescriptor* image) { return load_from_file(path, image, read_png_image); }
int image_pcx_info(const char* path, ImageInfo* info) { return info_from_file(path, info, read_pcx_info); }
int image_load_pcx(const char* path, ImageDescriptor* image) { return load_from_file(path, image, read_pcx_image); }

int image_tif_resolution(const char* path, double* x, double* y, int* unit) {
  ImageInput input;
  int result = open_image_file(path, &input);
  if (result == IMAGE_OK) result = read_tif_resolution(&input, x, y, unit);
  close_image_input(&input);
  return result;
}

int image_load_bif(const char* path, ImageDescriptor*) {
  return image_failure(base_name(path), "BIF images cannot be read here (the format is not described anywhere)",
                       IMAGE_ERROR_UNSUPPORTED);
}

// ---- Saving ------------------------------------------------------------------------------------

namespace {

using ImageWriter = bool (*)(SaveFile*, const ImagePixels&, const std::string&);

int save_through_temp(const char* path, const ImageDescriptor& image,
                      const std::function<bool(SaveFile*, const ImagePixels&)>& writer) {
  const std::string name = base_name(path);
  if (image.image == nullptr) return image_failure(name, "no image to save", IMAGE_ERROR_BAD_IMAGE);
  g_image_library.error.clear();
  std::string why;
  bool written = false;
  const SaveResult result = save_file_safely(
      path, "",
      [&](SaveFile* file) {
        try {
          written = writer(file, *image.image);
        } catch (const std::bad_alloc&) {
          image_failure(name, "out of memory", IMAGE_ERROR_NO_MEMORY);
          written = false;
        }
        return written;
      },
      &why);
  if (result == SAVE_OK) return IMAGE_OK;
  if (g_image_library.error.empty()) image_failure(name, "was not written: " + why, IMAGE_ERROR_WRITE);
  return IMAGE_ERROR_WRITE;
}

}  // namespace

int image_save_bmp(const char* path, const ImageDescriptor& image) {
  const std::string name = base_name(path);
  return save_through_temp(path, image, [&name](SaveFile* file, const ImagePixels& pixels) {
    return write_bmp_file(file, pixels, name);
  });
}

int image_save_pcx(const char* path, const ImageDescriptor& image) {
  const std::string name = base_name(path);
  if (image.image != nullptr && image.image->bits > 8) {
    return image_failure(name, "a PCX file takes at most 256 colours", IMAGE_ERROR_BAD_IMAGE);
  }
  return save_through_temp(path, image, [&name](SaveFile* file, const ImagePixels& pixels) {
    return write_pcx_file(file, pixels, name);
  });
}

int image_set_tif_resolution(double x, double y, int unit) {
  if (unit != 2 && unit != 3) return image_failure("image", "the resolution unit is not inch or centimetre", IMAGE_ERROR_BAD_IMAGE);
  g_image_library.tif_x_resolution = x;
  g_image_library.tif_y_resolution = y;
  g_image_library.tif_resolution_unit = unit;
  return IMAGE_OK;
}

int image_save_tif(const char* path, const ImageDescriptor& image) {
  const std::string name = base_name(path);
  double x = g_image_library.tif_x_resolution;
  double y = g_image_library.tif_y_resolution;
  int unit = g_image_library.tif_resolution_unit;
  // Without a resolution set for it, the file keeps the image's own.
  if (!(x > 0.0) && image.image != nullptr) {
    x = static_cast<double>(dots_per_inch_from_metre(image.image->x_pixels_per_metre));
    y = static_cast<double>(dots_per_inch_from_metre(image.image->y_pixels_per_metre));
    unit = 2;
  }
  const int result = save_through_temp(path, image, [&](SaveFile* file, const ImagePixels& pixels) {
    return write_tif_file(file, pixels, name, x, y, unit);
  });
  g_image_library.tif_x_resolution = 0.0;
  g_image_library.tif_y_resolution = 0.0;
  g_image_library.tif_resolution_unit = 2;
  return result;
}

// ---- Drawing and test hooks --------------------------------------------------------------------

CanvasDib image_dib(const ImageDescriptor& image) {
  CanvasDib dib;
  const ImagePixels* pixels = image.image.get();
  if (pixels == nullptr) return dib;
  dib.width = pixels->width;
  dib.height = pixels->height;
  dib.bits_per_pixel = pixels->bits;
  dib.bits = pixels->rows;
  dib.palette = pixels->palette;
  return dib;
}

int image_read_bytes(ImageFileKind kind, std::span<const uint8_t> bytes, ImageDescriptor* image) {
  static const InfoReader info_readers[] = {read_tif_info, read_pcx_info, read_tga_info,
                                            read_bmp_info, read_jpg_info, read_png_info};
  static const ImageReader image_readers[] = {read_tif_image, read_pcx_image, read_tga_image,
                                              read_bmp_image, read_jpg_image, read_png_image};
  ImageInput input;
  open_image_bytes(bytes, &input);
  ImageInfo info;
  int result = info_readers[kind](&input, &info);
  if (result != IMAGE_OK) return result;
  result = image_alloc(image, info.width, info.height, info.bits);
  if (result != IMAGE_OK) return result;
  open_image_bytes(bytes, &input);
  try {
    result = image_readers[kind](&input, image->image.get());
    if (result == IMAGE_OK) update_grey_flag(image->image.get());
    return result;
  } catch (const std::bad_alloc&) {
    return image_failure(input.name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  }
}

uint32_t image_pixel_rgb(const ImageDescriptor& image, int x, int y) {
  const ImagePixels* pixels = image.image.get();
  if (pixels == nullptr || x < 0 || y < 0 || x >= pixels->width || y >= pixels->height) return 0;
  const uint8_t* row = image_row(*pixels, y);
  size_t index = 0;
  switch (pixels->bits) {
    case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
    case 8: index = row[x]; break;
    default: {
      const uint8_t* p = row + 3 * static_cast<int64_t>(x);
      return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
  }
  return index < pixels->palette.size() ? pixels->palette[index] : 0;
}

void reset_image_library() { g_image_library = ImageLibrary{}; }
