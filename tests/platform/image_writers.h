// Files the image tests write themselves, through the codec libraries (libpng, libjpeg-turbo,
// libtiff) and by hand (PCX), from the test picture, so that the reader is judged on files it
// did not write.
#pragma once

#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <jpeglib.h>
#include <string>
#include <vector>

#include "tests/platform/image_fixture.h"
#include "tests/support/test_bytes.h"

// ---- PNG ---------------------------------------------------------------------------------------
struct PngSpec {
  int width = 29;
  int height = 17;
  int colour_type = PNG_COLOR_TYPE_RGB;
  int bit_depth = 8;
  bool interlaced = false;
  int palette_size = 0;     // palette images: entries written (default 2^depth)
  bool transparency = false;  // a tRNS chunk: palette alphas or one transparent colour
};

inline int png_channels(int colour_type) {
  switch (colour_type) {
    case PNG_COLOR_TYPE_GRAY: case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    default: return 4;
  }
}

inline bool write_png_file(const std::string& path, const PngSpec& spec) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bit_depth, spec.colour_type,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int levels = 1 << (spec.bit_depth == 16 ? 8 : spec.bit_depth);
  std::vector<png_color> palette;
  std::vector<png_byte> alphas;
  if (spec.colour_type == PNG_COLOR_TYPE_PALETTE) {
    const int count = spec.palette_size > 0 ? spec.palette_size : levels;
    for (int i = 0; i < count; ++i) {
      palette.push_back({static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i * 11), static_cast<png_byte>(i * 5 + 40)});
      alphas.push_back(static_cast<png_byte>(255 - i * 29));
    }
    png_set_PLTE(png, info, palette.data(), count);
    if (spec.transparency) png_set_tRNS(png, info, alphas.data(), count, nullptr);
  } else if (spec.transparency) {
    png_color_16 colour = {};
    const int top = spec.bit_depth == 16 ? 65535 : levels - 1;
    colour.gray = static_cast<png_uint_16>(top / 3);
    colour.red = colour.gray;
    colour.green = static_cast<png_uint_16>(top / 2);
    colour.blue = colour.gray;
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  const int channels = png_channels(spec.colour_type);
  const size_t row_bytes = png_get_rowbytes(png, info);
  std::vector<std::vector<png_byte>> rows(static_cast<size_t>(spec.height), std::vector<png_byte>(row_bytes, 0));
  for (int y = 0; y < spec.height; ++y) {
    for (int x = 0; x < spec.width; ++x) {
      for (int c = 0; c < channels; ++c) {
        if (spec.bit_depth == 16) {
          const uint16_t v = picture_level16(x, y, c);
          rows[y][(x * channels + c) * 2] = static_cast<png_byte>(v >> 8);
          rows[y][(x * channels + c) * 2 + 1] = static_cast<png_byte>(v);
        } else if (spec.bit_depth == 8) {
          int v = picture_level(x, y, c);
          if (spec.colour_type == PNG_COLOR_TYPE_PALETTE) v %= static_cast<int>(palette.size());
          if (spec.transparency && spec.colour_type == PNG_COLOR_TYPE_GRAY && (x + y) % 4 == 0) v = (levels - 1) / 3;
          rows[y][x * channels + c] = static_cast<png_byte>(v);
        } else {
          int v = picture_level(x, y, c) >> (8 - spec.bit_depth);
          if (spec.colour_type == PNG_COLOR_TYPE_PALETTE) v %= static_cast<int>(palette.size());
          if (spec.transparency && (x + y) % 4 == 0) v = (levels - 1) / 3;
          const int bit = x * spec.bit_depth;
          rows[y][bit / 8] |= static_cast<png_byte>(v << (8 - spec.bit_depth - bit % 8));
        }
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return true;
}

// ---- JPEG --------------------------------------------------------------------------------------
struct JpegSpec {
  int width = 61;
  int height = 37;
  int components = 3;      // 1 grey, 3 colour, 4 CMYK
  bool progressive = false;
  bool full_chroma = false;  // 4:4:4 instead of the default 4:2:0
  int quality = 85;
  int density_unit = 0;    // JFIF: 1 dots per inch, 2 per centimetre
  int density = 0;
};

inline bool write_jpeg_file(const std::string& path, const JpegSpec& spec) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct encoder = {};
  jpeg_error_mgr errors = {};
  encoder.err = jpeg_std_error(&errors);
  jpeg_create_compress(&encoder);
  jpeg_stdio_dest(&encoder, file);
  encoder.image_width = static_cast<JDIMENSION>(spec.width);
  encoder.image_height = static_cast<JDIMENSION>(spec.height);
  encoder.input_components = spec.components;
  encoder.in_color_space = spec.components == 1 ? JCS_GRAYSCALE : spec.components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, spec.quality, TRUE);
  if (spec.progressive) jpeg_simple_progression(&encoder);
  if (spec.full_chroma && spec.components == 3) {
    encoder.comp_info[0].h_samp_factor = 1;
    encoder.comp_info[0].v_samp_factor = 1;
  }
  if (spec.density_unit != 0) {
    encoder.density_unit = static_cast<UINT8>(spec.density_unit);
    encoder.X_density = static_cast<UINT16>(spec.density);
    encoder.Y_density = static_cast<UINT16>(spec.density);
  }
  jpeg_start_compress(&encoder, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(spec.width) * spec.components);
  for (int y = 0; y < spec.height; ++y) {
    for (int x = 0; x < spec.width; ++x) {
      for (int c = 0; c < spec.components; ++c) row[x * spec.components + c] = picture_level(x, y, c);
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&encoder, &pointer, 1);
  }
  jpeg_finish_compress(&encoder);
  jpeg_destroy_compress(&encoder);
  std::fclose(file);
  return true;
}

// ---- TIFF --------------------------------------------------------------------------------------
struct TiffSpec {
  int width = 45;
  int height = 23;
  int bits = 8;
  int samples = 3;
  int photometric = PHOTOMETRIC_RGB;
  int compression = COMPRESSION_NONE;
  int extra = -1;            // EXTRASAMPLE_* of one extra (alpha) sample, or -1 for none
  bool tiled = false;        // 16 x 16 tiles
  bool separate = false;     // one plane per sample
  float x_resolution = 0.0f;
  float y_resolution = 0.0f;
  int resolution_unit = RESUNIT_INCH;
};

inline void silence_tiff_warnings() {
  TIFFSetWarningHandler(nullptr);
}

inline bool write_tiff_file(const std::string& path, const TiffSpec& spec) {
  silence_tiff_warnings();
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, spec.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, spec.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, spec.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spec.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, spec.photometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, spec.compression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, spec.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  if (spec.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (spec.extra >= 0) {
    uint16_t extra = static_cast<uint16_t>(spec.extra);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (spec.x_resolution > 0.0f) {
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, spec.x_resolution);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, spec.y_resolution > 0.0f ? spec.y_resolution : spec.x_resolution);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, spec.resolution_unit);
  }
  std::vector<uint16_t> red, green, blue;
  if (spec.photometric == PHOTOMETRIC_PALETTE) {
    const int count = 1 << spec.bits;
    for (int i = 0; i < count; ++i) {
      red.push_back(static_cast<uint16_t>((i * 37 % 256) * 257));
      green.push_back(static_cast<uint16_t>((255 - i * 11 % 256) * 257));
      blue.push_back(static_cast<uint16_t>(((i * 5 + 40) % 256) * 257));
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  const int planes = spec.separate ? spec.samples : 1;
  const int per_pixel = spec.separate ? 1 : spec.samples;
  // One plane's row of the whole width, samples packed by bits.
  const auto fill_row = [&](int y, int plane, std::vector<uint8_t>* row) {
    std::fill(row->begin(), row->end(), 0);
    for (int x = 0; x < spec.width; ++x) {
      for (int s = 0; s < per_pixel; ++s) {
        const int channel = spec.separate ? plane : s;
        const int bit = (x * per_pixel + s) * spec.bits;
        if (spec.bits == 16) {
          const uint16_t v = picture_level16(x, y, channel);
          (*row)[bit / 8] = static_cast<uint8_t>(v);  // native (little-endian) order
          (*row)[bit / 8 + 1] = static_cast<uint8_t>(v >> 8);
        } else if (spec.bits == 8) {
          (*row)[bit / 8] = picture_level(x, y, channel);
        } else {
          const int v = picture_level(x, y, channel) >> (8 - spec.bits);
          (*row)[bit / 8] |= static_cast<uint8_t>(v << (8 - spec.bits - bit % 8));
        }
      }
    }
  };
  const size_t row_bytes = (static_cast<size_t>(spec.width) * per_pixel * spec.bits + 7) / 8;
  std::vector<uint8_t> row(row_bytes);
  bool ok = true;
  if (spec.tiled) {
    constexpr int TILE = 16;
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, TILE);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, TILE);
    const size_t tile_row = (static_cast<size_t>(TILE) * per_pixel * spec.bits + 7) / 8;
    std::vector<uint8_t> tile(tile_row * TILE);
    for (int plane = 0; plane < planes; ++plane) {
      for (int ty = 0; ty < spec.height; ty += TILE) {
        for (int tx = 0; tx < spec.width; tx += TILE) {
          std::fill(tile.begin(), tile.end(), 0);
          for (int y = ty; y < ty + TILE && y < spec.height; ++y) {
            fill_row(y, plane, &row);
            const size_t from = static_cast<size_t>(tx) * per_pixel * spec.bits / 8;
            const size_t count = std::min(tile_row, row_bytes > from ? row_bytes - from : 0);
            std::copy(row.begin() + static_cast<std::ptrdiff_t>(from), row.begin() + static_cast<std::ptrdiff_t>(from + count),
                      tile.begin() + static_cast<std::ptrdiff_t>((y - ty) * tile_row));
          }
          ok = ok && TIFFWriteTile(tif, tile.data(), static_cast<uint32_t>(tx), static_cast<uint32_t>(ty), 0,
                                   static_cast<uint16_t>(plane)) >= 0;
        }
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 7);
    for (int plane = 0; plane < planes; ++plane) {
      for (int y = 0; y < spec.height; ++y) {
        fill_row(y, plane, &row);
        ok = ok && TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), static_cast<uint16_t>(plane)) == 1;
      }
    }
  }
  TIFFClose(tif);
  return ok;
}

// ---- PCX, by hand ------------------------------------------------------------------------------
// Run-length encodes one line as a PCX writer would.
inline void pcx_encode(const std::vector<uint8_t>& line, std::vector<uint8_t>* out) {
  size_t i = 0;
  while (i < line.size()) {
    size_t run = 1;
    while (i + run < line.size() && run < 63 && line[i + run] == line[i]) ++run;
    if (run > 1 || line[i] >= 0xC0) out->push_back(static_cast<uint8_t>(0xC0 | run));
    out->push_back(line[i]);
    i += run;
  }
}

// A PCX of `planes` planes of 1 bit (palette from the header) with pixel indices from the test
// picture, at `dpi` dots per inch.
inline std::vector<uint8_t> planar_pcx(int width, int height, int planes, int dpi = 0) {
  const int bytes_per_line = (width + 15) / 16 * 2;
  Bytes b;
  b.u8(10).u8(5).u8(1).u8(1).le16(0).le16(0).le16(static_cast<uint16_t>(width - 1)).le16(static_cast<uint16_t>(height - 1));
  b.le16(static_cast<uint16_t>(dpi)).le16(static_cast<uint16_t>(dpi));
  for (int i = 0; i < 16; ++i) b.u8(static_cast<uint8_t>(i * 16)).u8(static_cast<uint8_t>(255 - i * 16)).u8(static_cast<uint8_t>(i * 37 % 256));
  b.u8(0).u8(static_cast<uint8_t>(planes)).le16(static_cast<uint16_t>(bytes_per_line)).le16(1).zeros(58);
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> line(static_cast<size_t>(bytes_per_line) * planes, 0);
    for (int x = 0; x < width; ++x) {
      const int index = picture_level(x, y, 0) % (1 << planes);
      for (int p = 0; p < planes; ++p) {
        if ((index >> p) & 1) line[p * bytes_per_line + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    pcx_encode(line, &b.data);
  }
  return b.data;
}
