// TIF files through libtiff. Grey, palette, RGB and their alpha, at up to 16 bits a sample, in
// strips or tiles, are read straight into the image; everything else (CMYK, YCbCr, separate
// planes, other orientations) goes through libtiff's RGBA reader in bands, to 24-bit colour or,
// for grey pixels, 8-bit grey. Alpha is laid over white. Writing: 1-bit, 8-bit grey or palette
// and 24-bit RGB, uncompressed, with the resolution given.
#include <sys/mman.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>
#include <vector>

#include "platform/image_internal.h"

namespace {

// How the file's pixels reach the image.
enum TifPath {
  TIF_1BIT,        // one sample of one bit: copied
  TIF_GREY,        // one grey sample of 2 to 16 bits: scaled to 8
  TIF_PALETTE,     // one palette index of 2, 4 or 8 bits
  TIF_GREY_ALPHA,  // grey and alpha, 8 or 16 bits
  TIF_RGB,         // red, green, blue, 8 or 16 bits
  TIF_RGBA,        // red, green, blue, alpha, 8 or 16 bits
  TIF_RGBA_IMAGE,  // anything else, through libtiff's RGBA reader
};

// Rows of libtiff's RGBA reader taken at once, at most.
constexpr int64_t TIF_BAND_BYTES = int64_t{16} << 20;

struct TifRead {
  ImageInput* input = nullptr;
  TIFF* tif = nullptr;
  std::string reason;         // libtiff's first error
  TifPath path = TIF_RGBA_IMAGE;
  uint16_t bits_per_sample = 1;
  uint16_t samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  bool associated_alpha = false;
  bool min_is_white = false;
  bool mapped = false;        // the whole input is handed to libtiff as one block
  void* map = nullptr;        // our mapping of a file, when mapped
  size_t map_size = 0;
};

int reject_tif_input(const TifRead& r, const std::string& reason) {
  return image_failure(r.input->name, reason.empty() ? "the file is damaged" : reason, IMAGE_ERROR_BAD_FILE);
}

// libtiff's first error of a file, kept in the std::string the handle's user data points at.
int on_tif_error(TIFF*, void* user, const char* module, const char* format, va_list arguments) {
  auto* reason = static_cast<std::string*>(user);
  if (reason->empty()) {
    char text[512] = {};
    std::vsnprintf(text, sizeof text, format, arguments);
    *reason = std::string(module != nullptr ? module : "libtiff") + ": " + text;
  }
  return 1;
}

int on_tif_warning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

tmsize_t on_tif_read(thandle_t handle, void* to, tmsize_t count) {
  if (count < 0) return -1;
  auto* r = static_cast<TifRead*>(handle);
  return static_cast<tmsize_t>(read_image_input(r->input, to, static_cast<size_t>(count)));
}

tmsize_t on_tif_no_write(thandle_t, void*, tmsize_t) { return -1; }

toff_t on_tif_seek(thandle_t handle, toff_t offset, int whence) {
  ImageInput* input = static_cast<TifRead*>(handle)->input;
  int64_t to = static_cast<int64_t>(offset);
  if (whence == SEEK_CUR) to += input->at;
  else if (whence == SEEK_END) to += input->size;
  if (to < 0) return static_cast<toff_t>(-1);
  // A seek past the end is allowed; the read there then finds nothing.
  if (to > input->size) {
    seek_image_input(input, input->size);
    input->at = to;
    return static_cast<toff_t>(to);
  }
  if (!seek_image_input(input, to)) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(to);
}

int on_tif_close(thandle_t) { return 0; }
toff_t on_tif_size(thandle_t handle) { return static_cast<toff_t>(static_cast<TifRead*>(handle)->input->size); }

// libtiff's RGBA reader misjudges uncompressed tiles it has to read piece by piece, so for it
// the input is handed over whole: bytes in memory as they are, a file mapped.
int on_tif_map(thandle_t handle, void** base, toff_t* size) {
  auto* r = static_cast<TifRead*>(handle);
  if (!r->mapped || r->input->size <= 0) return 0;
  if (r->input->file == nullptr) {
    *base = const_cast<uint8_t*>(r->input->bytes.data());
  } else {
    if (r->map == nullptr) {
      void* map = mmap(nullptr, static_cast<size_t>(r->input->size), PROT_READ, MAP_PRIVATE, fileno(r->input->file), 0);
      if (map == MAP_FAILED) return 0;
      r->map = map;
      r->map_size = static_cast<size_t>(r->input->size);
    }
    *base = r->map;
  }
  *size = static_cast<toff_t>(r->input->size);
  return 1;
}

void on_tif_unmap(thandle_t, void*, toff_t) {}
int on_tif_no_map(thandle_t, void**, toff_t*) { return 0; }

void close_tif(TifRead* r) {
  if (r->tif != nullptr) TIFFClose(r->tif);
  r->tif = nullptr;
  if (r->map != nullptr) munmap(r->map, r->map_size);
  r->map = nullptr;
}

int open_tif(TifRead* r) {
  close_tif(r);
  r->reason.clear();
  seek_image_input(r->input, 0);
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return image_failure(r->input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  TIFFOpenOptionsSetErrorHandlerExtR(options, on_tif_error, &r->reason);
  TIFFOpenOptionsSetWarningHandlerExtR(options, on_tif_warning, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(g_image_library.max_pixel_bytes));
  r->tif = TIFFClientOpenExt(r->input->name.c_str(), r->mapped ? "r" : "rm", r, on_tif_read, on_tif_no_write,
                             on_tif_seek, on_tif_close, on_tif_size, on_tif_map, on_tif_unmap, options);
  TIFFOpenOptionsFree(options);
  if (r->tif == nullptr) return reject_tif_input(*r, r->reason.empty() ? "not a TIF file" : r->reason);
  return IMAGE_OK;
}

int64_t tif_pixels_per_metre(float value, uint16_t unit) {
  if (unit == RESUNIT_INCH) return pixels_per_metre_from_inch(value);
  if (unit == RESUNIT_CENTIMETER) return pixels_per_metre_from_cm(value);
  return 0;
}

// Chooses how the pixels are read and what depth they take.
int plan_tif(TifRead* r, ImageInfo* info) {
  TIFF* tif = r->tif;
  uint32_t width = 0, height = 0;
  if (TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) != 1 || TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) != 1) {
    return reject_tif_input(*r, "the image's width or height is missing");
  }
  uint16_t planar = PLANARCONFIG_CONTIG, orientation = ORIENTATION_TOPLEFT, compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &r->bits_per_sample);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &r->samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &r->photometric) != 1) {
    r->photometric = r->samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  }
  if (!TIFFIsCODECConfigured(compression)) {
    return image_failure(r->input->name, "its compression (" + std::to_string(compression) + ") is not supported",
                         IMAGE_ERROR_UNSUPPORTED);
  }
  uint16_t extra_count = 0;
  uint16_t* extra_types = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra_types);
  const bool alpha = extra_count == 1 && extra_types != nullptr &&
                     (extra_types[0] == EXTRASAMPLE_ASSOCALPHA || extra_types[0] == EXTRASAMPLE_UNASSALPHA);
  r->associated_alpha = alpha && extra_types[0] == EXTRASAMPLE_ASSOCALPHA;
  const uint16_t bps = r->bits_per_sample;
  const uint16_t photometric = r->photometric;
  const bool grey = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
  r->min_is_white = photometric == PHOTOMETRIC_MINISWHITE;
  const bool plain = orientation == ORIENTATION_TOPLEFT && (planar == PLANARCONFIG_CONTIG || r->samples == 1);
  const bool index_bits = bps == 1 || bps == 2 || bps == 4 || bps == 8;
  const bool whole_bytes = bps == 8 || bps == 16;
  r->path = TIF_RGBA_IMAGE;
  if (plain && grey && r->samples == 1 && (index_bits || bps == 16)) r->path = bps == 1 ? TIF_1BIT : TIF_GREY;
  else if (plain && photometric == PHOTOMETRIC_PALETTE && r->samples == 1 && index_bits) {
    r->path = bps == 1 ? TIF_1BIT : TIF_PALETTE;
  } else if (plain && grey && r->samples == 2 && alpha && whole_bytes) r->path = TIF_GREY_ALPHA;
  else if (plain && photometric == PHOTOMETRIC_RGB && whole_bytes && r->samples == 3) r->path = TIF_RGB;
  else if (plain && photometric == PHOTOMETRIC_RGB && whole_bytes && r->samples == 4 && alpha) r->path = TIF_RGBA;
  char why[1024] = {};
  if (r->path == TIF_RGBA_IMAGE && !TIFFRGBAImageOK(tif, why)) {
    return image_failure(r->input->name, std::string("these pixels cannot be read: ") + why,
                         IMAGE_ERROR_UNSUPPORTED);
  }
  info->width = static_cast<int32_t>(std::min<uint32_t>(width, INT32_MAX));
  info->height = static_cast<int32_t>(std::min<uint32_t>(height, INT32_MAX));
  info->file_bits = static_cast<int16_t>(bps * r->samples);
  if (r->path == TIF_1BIT) info->bits = 1;
  else if (r->path == TIF_GREY || r->path == TIF_PALETTE || r->path == TIF_GREY_ALPHA) info->bits = 8;
  else info->bits = grey && r->samples - extra_count == 1 ? 8 : 24;
  float x_resolution = 0.0f, y_resolution = 0.0f;
  uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x_resolution) == 1) {
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y_resolution) != 1) y_resolution = x_resolution;
    info->x_pixels_per_metre = tif_pixels_per_metre(x_resolution, unit);
    info->y_pixels_per_metre = tif_pixels_per_metre(y_resolution, unit);
  }
  return check_image_size(r->input->name, width, height, info->bits);
}

// The colour map as 0x00RRGGBB; maps whose entries all lie below 256 were written with 8-bit
// values and are taken as they are.
void take_tif_palette(const TifRead& r, ImagePixels* image) {
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  const size_t count = size_t{1} << r.bits_per_sample;
  if (TIFFGetField(r.tif, TIFFTAG_COLORMAP, &red, &green, &blue) != 1) {
    image->palette.assign(count, 0);
    for (size_t i = 0; i < count; ++i) image->palette[i] = static_cast<uint32_t>(i * 255 / (count - 1)) * 0x010101u;
    return;
  }
  bool eight_bit = true;
  for (size_t i = 0; i < count; ++i) eight_bit = eight_bit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
  const auto level = [eight_bit](uint16_t v) { return eight_bit ? uint32_t{v} : (uint32_t{v} + 128) / 257; };
  image->palette.resize(count);
  for (size_t i = 0; i < count; ++i) image->palette[i] = (level(red[i]) << 16) | (level(green[i]) << 8) | level(blue[i]);
}

// Samples of 8 or 16 bits, as 16-bit values; alpha laid over white in 16 bits, then rounded to 8.
inline uint32_t sample16(const uint8_t* from, int index, int bps) {
  if (bps == 8) return from[index] * 257u;
  uint16_t value = 0;
  std::memcpy(&value, from + 2 * static_cast<size_t>(index), 2);  // libtiff gives the machine's order
  return value;
}

inline uint8_t to_level(uint32_t value16) { return static_cast<uint8_t>((value16 + 128) / 257); }

inline uint32_t over_white16(uint32_t c, uint32_t a, bool associated) {
  if (associated) return std::min<uint32_t>(65535, c + 65535 - a);
  return static_cast<uint32_t>((uint64_t{c} * a + uint64_t{65535} * (65535 - a)) / 65535);
}

// `width` pixels from a row of the file to a row of the image.
void convert_tif_row(const TifRead& r, const uint8_t* from, uint8_t* to, int width) {
  const int bps = r.bits_per_sample;
  switch (r.path) {
    case TIF_1BIT: std::memcpy(to, from, (static_cast<size_t>(width) + 7) / 8); break;
    case TIF_GREY:
    case TIF_PALETTE: {
      if (bps == 16) {
        for (int x = 0; x < width; ++x) {
          const uint8_t level = to_level(sample16(from, x, 16));
          to[x] = r.min_is_white ? static_cast<uint8_t>(255 - level) : level;
        }
        break;
      }
      const int per_byte = 8 / bps;
      const unsigned mask = (1u << bps) - 1;
      for (int x = 0; x < width; ++x) {
        const unsigned value = (from[x / per_byte] >> (8 - bps * (x % per_byte + 1))) & mask;
        if (r.path == TIF_PALETTE) to[x] = static_cast<uint8_t>(value);
        else {
          const unsigned level = value * 255 / mask;
          to[x] = static_cast<uint8_t>(r.min_is_white ? 255 - level : level);
        }
      }
      break;
    }
    case TIF_GREY_ALPHA:
      for (int x = 0; x < width; ++x) {
        if (bps == 8) {
          const unsigned level = r.min_is_white ? 255 - from[2 * x] : from[2 * x];
          const unsigned a = from[2 * x + 1];
          to[x] = r.associated_alpha ? static_cast<uint8_t>(std::min(255u, level + 255 - a)) : over_white(level, a);
          continue;
        }
        uint32_t level = sample16(from, 2 * x, bps);
        if (r.min_is_white) level = 65535 - level;
        to[x] = to_level(over_white16(level, sample16(from, 2 * x + 1, bps), r.associated_alpha));
      }
      break;
    case TIF_RGB:
      for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c) to[3 * x + 2 - c] = bps == 8 ? from[3 * x + c] : to_level(sample16(from, 3 * x + c, 16));
      }
      break;
    case TIF_RGBA:
      for (int x = 0; x < width; ++x) {
        if (bps == 8) {
          const uint8_t* p = from + 4 * static_cast<size_t>(x);
          for (int c = 0; c < 3; ++c) {
            to[3 * x + 2 - c] = r.associated_alpha ? static_cast<uint8_t>(std::min(255u, p[c] + 255u - p[3]))
                                                   : over_white(p[c], p[3]);
          }
          continue;
        }
        const uint32_t a = sample16(from, 4 * x + 3, bps);
        for (int c = 0; c < 3; ++c) {
          to[3 * x + 2 - c] = to_level(over_white16(sample16(from, 4 * x + c, bps), a, r.associated_alpha));
        }
      }
      break;
    case TIF_RGBA_IMAGE: break;
  }
}

void take_tif_colours(const TifRead& r, ImagePixels* image) {
  if (r.path == TIF_1BIT) {
    if (r.photometric == PHOTOMETRIC_PALETTE) take_tif_palette(r, image);
    else image->palette = r.min_is_white ? std::vector<uint32_t>{0xFFFFFFu, 0} : std::vector<uint32_t>{0, 0xFFFFFFu};
  } else if (r.path == TIF_PALETTE) {
    take_tif_palette(r, image);
  } else if (image->bits == 8) {
    set_grey_ramp(image);
  }
  update_grey_flag(image);
}

int read_tif_strips(const TifRead& r, ImagePixels* image) {
  std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(r.tif)));
  for (int y = 0; y < image->height; ++y) {
    if (TIFFReadScanline(r.tif, row.data(), static_cast<uint32_t>(y), 0) != 1) {
      return reject_tif_input(r, r.reason.empty() ? "the rows end early" : r.reason);
    }
    convert_tif_row(r, row.data(), image_row(*image, y), image->width);
  }
  return IMAGE_OK;
}

int read_tif_tiles(const TifRead& r, ImagePixels* image) {
  uint32_t tile_width = 0, tile_height = 0;
  TIFFGetField(r.tif, TIFFTAG_TILEWIDTH, &tile_width);
  TIFFGetField(r.tif, TIFFTAG_TILELENGTH, &tile_height);
  const tmsize_t tile_size = TIFFTileSize(r.tif);
  const tmsize_t tile_row = TIFFTileRowSize(r.tif);
  // Tiles are 16 pixels wide or a multiple of that, so each starts on a whole byte of the row.
  if (tile_width == 0 || tile_height == 0 || tile_width % 16 != 0 || tile_size <= 0 || tile_row <= 0) {
    return reject_tif_input(r, "its tiles are malformed");
  }
  std::vector<uint8_t> tile(static_cast<size_t>(tile_size));
  for (uint32_t ty = 0; ty < static_cast<uint32_t>(image->height); ty += tile_height) {
    for (uint32_t tx = 0; tx < static_cast<uint32_t>(image->width); tx += tile_width) {
      if (TIFFReadTile(r.tif, tile.data(), tx, ty, 0, 0) < 0) {
        return reject_tif_input(r, r.reason.empty() ? "a tile cannot be read" : r.reason);
      }
      const int columns = static_cast<int>(std::min<uint32_t>(tile_width, static_cast<uint32_t>(image->width) - tx));
      const int64_t offset = image->bits == 1 ? tx / 8 : int64_t{tx} * (image->bits / 8);
      for (uint32_t y = ty; y < ty + tile_height && y < static_cast<uint32_t>(image->height); ++y) {
        convert_tif_row(r, tile.data() + static_cast<size_t>(y - ty) * tile_row, image_row(*image, y) + offset, columns);
      }
    }
  }
  return IMAGE_OK;
}

// Through libtiff's RGBA reader, a band of rows at a time.
int read_tif_rgba(TifRead& r, ImagePixels* image) {
  char why[1024] = {};
  TIFFRGBAImage reader = {};
  if (!TIFFRGBAImageBegin(&reader, r.tif, 1, why)) {
    return reject_tif_input(r, std::string("these pixels cannot be read: ") + why);
  }
  reader.req_orientation = ORIENTATION_TOPLEFT;
  uint32_t band = 1;
  if (TIFFIsTiled(r.tif)) TIFFGetField(r.tif, TIFFTAG_TILELENGTH, &band);
  else TIFFGetFieldDefaulted(r.tif, TIFFTAG_ROWSPERSTRIP, &band);
  const int64_t most = std::max<int64_t>(1, TIF_BAND_BYTES / (4 * int64_t{image->width}));
  band = static_cast<uint32_t>(std::clamp<int64_t>(band, 1, std::min<int64_t>(most, image->height)));
  std::vector<uint32_t> raster;
  int result = IMAGE_OK;
  try {
    raster.resize(static_cast<size_t>(band) * image->width);
  } catch (const std::bad_alloc&) {
    result = image_failure(r.input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  }
  if (image->bits == 8) set_grey_ramp(image);
  for (int y = 0; result == IMAGE_OK && y < image->height; y += static_cast<int>(band)) {
    const uint32_t rows = std::min<uint32_t>(band, static_cast<uint32_t>(image->height - y));
    reader.row_offset = y;
    reader.col_offset = 0;
    if (!TIFFRGBAImageGet(&reader, raster.data(), static_cast<uint32_t>(image->width), rows)) {
      result = reject_tif_input(r, r.reason.empty() ? "the rows end early" : r.reason);
      break;
    }
    for (uint32_t i = 0; i < rows; ++i) {
      const uint32_t* from = raster.data() + static_cast<size_t>(i) * image->width;
      uint8_t* to = image_row(*image, y + static_cast<int>(i));
      for (int x = 0; x < image->width; ++x) {
        // Premultiplied by alpha, so white shows through by what the alpha leaves.
        const uint32_t pixel = from[x];
        const uint32_t cover = 255 - TIFFGetA(pixel);
        const auto channel = [cover](uint32_t c) { return static_cast<uint8_t>(std::min<uint32_t>(255, c + cover)); };
        if (image->bits == 8) to[x] = channel(TIFFGetR(pixel));
        else {
          to[3 * x] = channel(TIFFGetB(pixel));
          to[3 * x + 1] = channel(TIFFGetG(pixel));
          to[3 * x + 2] = channel(TIFFGetR(pixel));
        }
      }
    }
  }
  TIFFRGBAImageEnd(&reader);
  return result;
}

int read_tif(ImageInput* input, ImageInfo* info, ImagePixels* image) {
  TifRead r;
  r.input = input;
  int result = open_tif(&r);
  if (result != IMAGE_OK) return result;
  try {
    result = plan_tif(&r, info);
    if (result == IMAGE_OK && image != nullptr) result = check_load_target(image, *info, input->name);
    if (result == IMAGE_OK && image != nullptr) {
      if (r.path == TIF_RGBA_IMAGE) {
        r.mapped = true;
        result = open_tif(&r);
        if (result == IMAGE_OK) result = read_tif_rgba(r, image);
      } else {
        take_tif_colours(r, image);
        result = TIFFIsTiled(r.tif) ? read_tif_tiles(r, image) : read_tif_strips(r, image);
      }
    }
  } catch (const std::bad_alloc&) {
    result = image_failure(input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  }
  close_tif(&r);
  return result;
}

// ---- Writing -----------------------------------------------------------------------------------

struct TifWrite {
  SaveFile* file = nullptr;
  std::string reason;
};

tmsize_t on_tif_write(thandle_t handle, void* from, tmsize_t count) {
  auto* w = static_cast<TifWrite*>(handle);
  if (count < 0 || !save_write(w->file, from, static_cast<size_t>(count))) return -1;
  return count;
}

tmsize_t on_tif_write_read(thandle_t handle, void* to, tmsize_t count) {
  auto* w = static_cast<TifWrite*>(handle);
  if (count < 0) return -1;
  return static_cast<tmsize_t>(std::fread(to, 1, static_cast<size_t>(count), w->file->stream));
}

toff_t on_tif_write_seek(thandle_t handle, toff_t offset, int whence) {
  auto* w = static_cast<TifWrite*>(handle);
  if (fseeko(w->file->stream, static_cast<off_t>(offset), whence) != 0) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(ftello(w->file->stream));
}

toff_t on_tif_write_size(thandle_t handle) {
  auto* w = static_cast<TifWrite*>(handle);
  struct stat status = {};
  std::fflush(w->file->stream);
  if (fstat(fileno(w->file->stream), &status) != 0) return 0;
  return static_cast<toff_t>(status.st_size);
}


bool is_black_white(const std::vector<uint32_t>& palette, uint32_t first, uint32_t second) {
  return palette.size() >= 2 && (palette[0] & 0xFFFFFFu) == first && (palette[1] & 0xFFFFFFu) == second;
}

bool set_tif_fields(TIFF* tif, const ImagePixels& image, double x, double y, int unit) {
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width)) == 1 &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height)) == 1 &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) == 1 &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == 1;
  const uint16_t bps = image.bits == 1 ? 1 : 8;
  ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bps) == 1 &&
       TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, image.bits == 24 ? 3 : 1) == 1;
  uint16_t photometric = PHOTOMETRIC_RGB;
  if (image.bits == 8 && image.grey) photometric = PHOTOMETRIC_MINISBLACK;
  else if (image.bits == 1 && is_black_white(image.palette, 0, 0xFFFFFFu)) photometric = PHOTOMETRIC_MINISBLACK;
  else if (image.bits == 1 && is_black_white(image.palette, 0xFFFFFFu, 0)) photometric = PHOTOMETRIC_MINISWHITE;
  else if (image.bits != 24) photometric = PHOTOMETRIC_PALETTE;
  ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) == 1;
  if (ok && photometric == PHOTOMETRIC_PALETTE) {
    const size_t count = size_t{1} << bps;
    std::vector<uint16_t> red(count, 0), green(count, 0), blue(count, 0);
    for (size_t i = 0; i < count && i < image.palette.size(); ++i) {
      red[i] = static_cast<uint16_t>(((image.palette[i] >> 16) & 0xFF) * 257);
      green[i] = static_cast<uint16_t>(((image.palette[i] >> 8) & 0xFF) * 257);
      blue[i] = static_cast<uint16_t>((image.palette[i] & 0xFF) * 257);
    }
    ok = TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()) == 1;
  }
  if (ok && x > 0.0 && y > 0.0) {
    ok = TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(x)) == 1 &&
         TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(y)) == 1 &&
         TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(unit == 3 ? RESUNIT_CENTIMETER : RESUNIT_INCH)) == 1;
  }
  return ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0)) == 1;
}

}  // namespace

int read_tif_info(ImageInput* input, ImageInfo* info) { return read_tif(input, info, nullptr); }

int read_tif_image(ImageInput* input, ImagePixels* image) {
  ImageInfo info;
  return read_tif(input, &info, image);
}

int read_tif_resolution(ImageInput* input, double* x, double* y, int* unit) {
  TifRead r;
  r.input = input;
  *x = 0.0;
  *y = 0.0;
  *unit = RESUNIT_NONE;
  const int result = open_tif(&r);
  if (result != IMAGE_OK) return result;
  float x_resolution = 0.0f, y_resolution = 0.0f;
  uint16_t resolution_unit = RESUNIT_INCH;
  if (TIFFGetField(r.tif, TIFFTAG_XRESOLUTION, &x_resolution) == 1) {
    if (TIFFGetField(r.tif, TIFFTAG_YRESOLUTION, &y_resolution) != 1) y_resolution = x_resolution;
    TIFFGetFieldDefaulted(r.tif, TIFFTAG_RESOLUTIONUNIT, &resolution_unit);
    *x = x_resolution;
    *y = y_resolution;
    *unit = resolution_unit;
  }
  close_tif(&r);
  return IMAGE_OK;
}

bool write_tif_file(SaveFile* file, const ImagePixels& image, const std::string& name, double x_resolution,
                    double y_resolution, int unit) {
  TifWrite w;
  w.file = file;
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) {
    image_failure(name, "out of memory", IMAGE_ERROR_NO_MEMORY);
    return false;
  }
  TIFFOpenOptionsSetErrorHandlerExtR(options, on_tif_error, &w.reason);
  TIFFOpenOptionsSetWarningHandlerExtR(options, on_tif_warning, nullptr);
  TIFF* tif = TIFFClientOpenExt(name.c_str(), "w", &w, on_tif_write_read, on_tif_write, on_tif_write_seek,
                                on_tif_close, on_tif_write_size, on_tif_no_map, on_tif_unmap, options);
  TIFFOpenOptionsFree(options);
  if (tif == nullptr) {
    image_failure(name, w.reason.empty() ? "cannot be written" : w.reason, IMAGE_ERROR_WRITE);
    return false;
  }
  bool ok = set_tif_fields(tif, image, x_resolution, y_resolution, unit);
  std::vector<uint8_t> row(static_cast<size_t>(image.row_bytes));
  for (int y = 0; ok && y < image.height; ++y) {
    const uint8_t* from = image_row(image, y);
    if (image.bits == 24) {
      for (int x = 0; x < image.width; ++x) {
        row[3 * x] = from[3 * x + 2];
        row[3 * x + 1] = from[3 * x + 1];
        row[3 * x + 2] = from[3 * x];
      }
    } else {
      std::memcpy(row.data(), from, static_cast<size_t>(image.row_bytes));
    }
    ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  ok = ok && TIFFWriteDirectory(tif) == 1;
  TIFFClose(tif);
  ok = ok && !file->failed;
  if (!ok && !file->failed) image_failure(name, w.reason.empty() ? "cannot be written" : w.reason, IMAGE_ERROR_WRITE);
  return ok;
}
