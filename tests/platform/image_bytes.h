// Image files as bytes for the damaged-file tables and the fuzz corpora: small, sound files of
// every kind the library reads, built by hand after the formats' layouts (BMP, TGA, PCX) or
// through the codec libraries (PNG, JPEG, TIFF), and the places in them a test damages.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/image_writers.h"
#include "tests/support/test_bytes.h"

using ImageBytes = std::vector<uint8_t>;

inline ImageBytes file_as_bytes(const std::string& path) {
  const std::string text = read_file_bytes(path);
  return ImageBytes(text.begin(), text.end());
}

// Writes a file through a library into a scratch file and takes its bytes.
template <class Write>
ImageBytes bytes_written_by(const char* name, Write write) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            (std::string("brenvik_image_bytes_") + std::to_string(::getpid()) + "_" + name)).string();
  write(path);
  ImageBytes bytes = file_as_bytes(path);
  std::filesystem::remove(path);
  return bytes;
}

inline ImageBytes png_bytes(int colour_type = PNG_COLOR_TYPE_PALETTE, int depth = 8) {
  PngSpec spec;
  spec.width = 9;
  spec.height = 5;
  spec.colour_type = colour_type;
  spec.bit_depth = depth;
  return bytes_written_by("png", [&spec](const std::string& path) { write_png_file(path, spec); });
}

inline ImageBytes jpeg_bytes(bool progressive = false) {
  JpegSpec spec;
  spec.width = 19;
  spec.height = 11;
  spec.progressive = progressive;
  return bytes_written_by("jpg", [&spec](const std::string& path) { write_jpeg_file(path, spec); });
}

inline ImageBytes tiff_bytes(int bits = 8, int samples = 3, int photometric = PHOTOMETRIC_RGB,
                             int compression = COMPRESSION_NONE, bool tiled = false) {
  TiffSpec spec;
  spec.width = 17;
  spec.height = 9;
  spec.bits = bits;
  spec.samples = samples;
  spec.photometric = photometric;
  spec.compression = compression;
  spec.tiled = tiled;
  return bytes_written_by("tif", [&spec](const std::string& path) { write_tiff_file(path, spec); });
}

// A BMP with a palette of `colours` entries (0 for 24 bits); RLE8 when `runs`.
inline ImageBytes bmp_bytes(int width, int height, int bits, int colours, bool runs = false) {
  const int stride = (width * bits + 31) / 32 * 4;
  Bytes pixels;
  if (runs) {
    for (int y = 0; y < height; ++y) {
      pixels.u8(static_cast<uint8_t>(width)).u8(static_cast<uint8_t>(y % colours));  // one run a row
      pixels.u8(0).u8(0);
    }
    pixels.u8(0).u8(1);
  } else {
    for (int y = 0; y < height; ++y) {
      std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
      for (int x = 0; x < width; ++x) {
        if (bits == 24) {
          for (int c = 0; c < 3; ++c) row[3 * x + c] = picture_level(x, y, c);
        } else {
          const int index = (x + y) % colours;
          row[x * bits / 8] |= static_cast<uint8_t>(index << (8 - bits - x * bits % 8));
        }
      }
      pixels.data.insert(pixels.data.end(), row.begin(), row.end());
    }
  }
  const int offset = 14 + 40 + 4 * colours;
  Bytes b;
  b.text("BM").le32(static_cast<uint32_t>(offset + pixels.data.size())).le32(0).le32(static_cast<uint32_t>(offset));
  b.le32(40).le32(static_cast<uint32_t>(width)).le32(static_cast<uint32_t>(height)).le16(1).le16(static_cast<uint16_t>(bits));
  b.le32(runs ? 1 : 0).le32(static_cast<uint32_t>(pixels.data.size())).le32(3937).le32(3937);
  b.le32(static_cast<uint32_t>(colours)).le32(0);
  for (int i = 0; i < colours; ++i) b.u8(static_cast<uint8_t>(i * 40)).u8(static_cast<uint8_t>(200 - i * 20)).u8(static_cast<uint8_t>(i * 9)).u8(0);
  b.data.insert(b.data.end(), pixels.data.begin(), pixels.data.end());
  return b.data;
}
constexpr size_t BMP_WIDTH_AT = 18, BMP_HEIGHT_AT = 22, BMP_OFFSET_AT = 10, BMP_COLOURS_AT = 46;

// A TGA of mapped 8-bit pixels (a map of `colours` entries), run-length encoded when `runs`.
inline ImageBytes tga_bytes(int width, int height, int colours, bool runs = false) {
  Bytes b;
  b.u8(0).u8(1).u8(runs ? 9 : 1).le16(0).le16(static_cast<uint16_t>(colours)).u8(24);
  b.le16(0).le16(0).le16(static_cast<uint16_t>(width)).le16(static_cast<uint16_t>(height)).u8(8).u8(0x20);
  for (int i = 0; i < colours; ++i) b.u8(static_cast<uint8_t>(i * 11)).u8(static_cast<uint8_t>(i * 23)).u8(static_cast<uint8_t>(255 - i));
  for (int y = 0; y < height; ++y) {
    if (runs) {
      b.u8(static_cast<uint8_t>(0x80 | (width - 1))).u8(static_cast<uint8_t>(y % colours));
    } else {
      for (int x = 0; x < width; ++x) b.u8(static_cast<uint8_t>((x + y) % colours));
    }
  }
  return b.data;
}
constexpr size_t TGA_MAP_LENGTH_AT = 5, TGA_WIDTH_AT = 12, TGA_HEIGHT_AT = 14, TGA_ID_LENGTH_AT = 0;

// A 256-colour PCX with its palette at the end.
inline ImageBytes pcx256_bytes(int width, int height) {
  const int bytes_per_line = (width + 1) / 2 * 2;
  Bytes b;
  b.u8(10).u8(5).u8(1).u8(8).le16(0).le16(0).le16(static_cast<uint16_t>(width - 1)).le16(static_cast<uint16_t>(height - 1));
  b.le16(300).le16(300).zeros(48).u8(0).u8(1).le16(static_cast<uint16_t>(bytes_per_line)).le16(1).zeros(58);
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> line(static_cast<size_t>(bytes_per_line));
    for (int x = 0; x < width; ++x) line[x] = static_cast<uint8_t>(x / 3 * 17 + y);
    pcx_encode(line, &b.data);
  }
  b.u8(12);
  for (int i = 0; i < 256; ++i) b.u8(static_cast<uint8_t>(i)).u8(static_cast<uint8_t>(255 - i)).u8(static_cast<uint8_t>(i / 2));
  return b.data;
}
constexpr size_t PCX_X_MAX_AT = 8, PCX_Y_MAX_AT = 10;

// ---- Editing bytes -----------------------------------------------------------------------------

inline ImageBytes with_u16(ImageBytes bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
  return bytes;
}

inline ImageBytes with_u32(ImageBytes bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

inline ImageBytes with_byte(ImageBytes bytes, size_t at, uint8_t value) {
  bytes[at] = value;
  return bytes;
}

inline ImageBytes cut_to(ImageBytes bytes, size_t size) {
  bytes.resize(std::min(size, bytes.size()));
  return bytes;
}

// The PNG's IHDR width and height, with the chunk's CRC made right again.
inline ImageBytes png_with_size(ImageBytes bytes, uint32_t width, uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    bytes[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    bytes[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  const uint32_t crc = static_cast<uint32_t>(crc32(0, bytes.data() + 12, 17));
  for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return bytes;
}

// The PNG's palette cut to `entries` (its chunk length and CRC made right).
inline ImageBytes png_with_short_palette(ImageBytes bytes, uint32_t entries) {
  const auto be32 = [&bytes](size_t at) {
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
  };
  size_t at = 8;
  while (at + 8 <= bytes.size() && std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                                bytes.begin() + static_cast<std::ptrdiff_t>(at + 8)) != "PLTE") {
    at += 12 + be32(at);
  }
  const uint32_t old_length = be32(at);
  const uint32_t length = entries * 3;
  bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + length),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + old_length));
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
  const uint32_t crc = static_cast<uint32_t>(crc32(0, bytes.data() + at + 4, 4 + length));
  for (int i = 0; i < 4; ++i) bytes[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return bytes;
}

// The JPEG's frame height and width (after its start-of-frame marker).
inline ImageBytes jpeg_with_size(ImageBytes bytes, uint16_t width, uint16_t height) {
  for (size_t at = 2; at + 9 < bytes.size(); ++at) {
    if (bytes[at] == 0xFF && (bytes[at + 1] == 0xC0 || bytes[at + 1] == 0xC2)) {
      bytes[at + 5] = static_cast<uint8_t>(height >> 8);
      bytes[at + 6] = static_cast<uint8_t>(height);
      bytes[at + 7] = static_cast<uint8_t>(width >> 8);
      bytes[at + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return bytes;
}

// A TIFF's first directory entry for `tag` given `value` (SHORT or LONG, stored in place).
inline ImageBytes tiff_with_tag(ImageBytes bytes, uint16_t tag, uint32_t value) {
  const uint32_t ifd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<uint32_t>(bytes[7]) << 24;
  const int count = bytes[ifd] | bytes[ifd + 1] << 8;
  for (int i = 0; i < count; ++i) {
    const size_t entry = ifd + 2 + 12 * static_cast<size_t>(i);
    if ((bytes[entry] | bytes[entry + 1] << 8) != tag) continue;
    const int type = bytes[entry + 2] | bytes[entry + 3] << 8;
    if (type == 3) return with_u16(bytes, entry + 8, static_cast<uint16_t>(value));
    return with_u32(bytes, entry + 8, value);
  }
  return bytes;
}
