// PCX files, read and written by our own code (no codec library writes them, and the one that
// reads them misreads narrow 1-bit and 16-colour pictures). A monochrome PCX has a set bit for
// black, as ImageMagick reads them; 2 to 16 colours take the header's palette, 256 colours the
// palette at the end of the file, three planes of 8 bits are 24-bit colour (a fourth is alpha).
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/image_internal.h"

namespace {

constexpr int PCX_HEADER_SIZE = 128;
constexpr int PCX_MAKER = 10;
constexpr int PCX_VERSION_WITH_PALETTE = 5;
constexpr int PCX_PALETTE_MARK = 0x0C;
constexpr int PCX_END_PALETTE_SIZE = 1 + 768;  // the mark and 256 entries
constexpr int PCX_MAX_RUN = 63;
constexpr size_t PCX_CHUNK = 65536;

struct PcxHeader {
  int version = 0;
  int bits_per_plane = 0;
  int planes = 0;
  int64_t width = 0;
  int64_t height = 0;
  int bytes_per_line = 0;     // per plane
  int x_dpi = 0;
  int y_dpi = 0;
  uint8_t palette16[48] = {};
};

struct PcxRead {
  ImageInput* input = nullptr;
  PcxHeader header;
  std::vector<uint8_t> chunk;  // undecoded bytes read ahead
  size_t chunk_at = 0;
  size_t chunk_end = 0;
};

int reject_pcx_input(const PcxRead& r, const std::string& reason) {
  return image_failure(r.input->name, reason, IMAGE_ERROR_BAD_FILE);
}

int read_pcx_header(PcxRead* r, ImageInfo* info) {
  uint8_t bytes[PCX_HEADER_SIZE] = {};
  if (read_image_input(r->input, bytes, PCX_HEADER_SIZE) != PCX_HEADER_SIZE) {
    return reject_pcx_input(*r, "the file is cut short in its header");
  }
  PcxHeader& h = r->header;
  if (bytes[0] != PCX_MAKER) return reject_pcx_input(*r, "not a PCX file (its first byte is not 10)");
  if (bytes[2] != 1) return reject_pcx_input(*r, "its pixels are not run-length encoded");
  h.version = bytes[1];
  h.bits_per_plane = bytes[3];
  const int x_min = image_u16(bytes + 4), y_min = image_u16(bytes + 6);
  const int x_max = image_u16(bytes + 8), y_max = image_u16(bytes + 10);
  if (x_max < x_min || y_max < y_min) return reject_pcx_input(*r, "its window ends before it starts");
  h.width = int64_t{x_max} - x_min + 1;
  h.height = int64_t{y_max} - y_min + 1;
  // Only a version-5 header is known to hold the resolution; an older one says nothing of it.
  if (h.version == PCX_VERSION_WITH_PALETTE) {
    h.x_dpi = image_u16(bytes + 12);
    h.y_dpi = image_u16(bytes + 14);
  }
  std::memcpy(h.palette16, bytes + 16, sizeof h.palette16);
  h.planes = bytes[65];
  h.bytes_per_line = image_u16(bytes + 66);
  const int bpp = h.bits_per_plane, planes = h.planes;
  const bool known = (bpp == 1 && planes >= 1 && planes <= 4) || (bpp == 2 && planes == 1) ||
                     (bpp == 4 && planes == 1) || (bpp == 8 && (planes == 1 || planes == 3 || planes == 4));
  if (!known) {
    return image_failure(r->input->name,
                         std::to_string(bpp) + " bits in " + std::to_string(planes) + " planes is not a known PCX layout",
                         IMAGE_ERROR_UNSUPPORTED);
  }
  if (h.bytes_per_line < (h.width * bpp + 7) / 8) {
    return reject_pcx_input(*r, "its lines are shorter than its width");
  }
  info->width = static_cast<int32_t>(h.width);
  info->height = static_cast<int32_t>(h.height);
  info->file_bits = static_cast<int16_t>(bpp * planes);
  info->bits = bpp * planes == 1 ? 1 : (bpp == 8 && planes >= 3 ? 24 : 8);
  info->x_pixels_per_metre = pixels_per_metre_from_inch(h.x_dpi);
  info->y_pixels_per_metre = pixels_per_metre_from_inch(h.y_dpi);
  return check_image_size(r->input->name, h.width, h.height, info->bits);
}

// The palette of 256 entries after the pixels.
int read_pcx_end_palette(PcxRead* r, ImagePixels* image) {
  uint8_t bytes[PCX_END_PALETTE_SIZE] = {};
  if (r->input->size < PCX_HEADER_SIZE + PCX_END_PALETTE_SIZE ||
      !seek_image_input(r->input, r->input->size - PCX_END_PALETTE_SIZE) ||
      read_image_input(r->input, bytes, PCX_END_PALETTE_SIZE) != PCX_END_PALETTE_SIZE ||
      bytes[0] != PCX_PALETTE_MARK) {
    return reject_pcx_input(*r, "the 256-colour palette at its end is missing");
  }
  image->palette.resize(256);
  for (int i = 0; i < 256; ++i) {
    const uint8_t* p = bytes + 1 + 3 * i;
    image->palette[i] = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }
  update_grey_flag(image);
  seek_image_input(r->input, PCX_HEADER_SIZE);
  return IMAGE_OK;
}

// Next undecoded byte; false at the end of the file.
bool next_pcx_byte(PcxRead* r, uint8_t* byte) {
  if (r->chunk_at == r->chunk_end) {
    r->chunk_end = read_image_input(r->input, r->chunk.data(), r->chunk.size());
    r->chunk_at = 0;
    if (r->chunk_end == 0) return false;
  }
  *byte = r->chunk[r->chunk_at++];
  return true;
}

// Decodes one row of all planes; runs may cross planes but not the row's end.
int decode_pcx_row(PcxRead* r, uint8_t* row, size_t size) {
  size_t filled = 0;
  while (filled < size) {
    uint8_t byte = 0;
    if (!next_pcx_byte(r, &byte)) return reject_pcx_input(*r, "the file is cut short in its pixels");
    size_t count = 1;
    if ((byte & 0xC0) == 0xC0) {
      count = byte & 0x3F;
      if (!next_pcx_byte(r, &byte)) return reject_pcx_input(*r, "the file is cut short in its pixels");
    }
    if (count > size - filled) return reject_pcx_input(*r, "a run goes past the end of a row");
    std::memset(row + filled, byte, count);
    filled += count;
  }
  return IMAGE_OK;
}

void pcx_row_to_image(const PcxHeader& h, const uint8_t* from, uint8_t* to, int width) {
  const int bpl = h.bytes_per_line;
  if (h.bits_per_plane == 1 && h.planes == 1) {
    std::memcpy(to, from, (static_cast<size_t>(width) + 7) / 8);
  } else if (h.bits_per_plane == 1) {
    for (int x = 0; x < width; ++x) {
      int index = 0;
      for (int p = 0; p < h.planes; ++p) index |= ((from[p * bpl + (x >> 3)] >> (7 - (x & 7))) & 1) << p;
      to[x] = static_cast<uint8_t>(index);
    }
  } else if (h.bits_per_plane == 2) {
    for (int x = 0; x < width; ++x) to[x] = (from[x >> 2] >> (6 - 2 * (x & 3))) & 3;
  } else if (h.bits_per_plane == 4) {
    for (int x = 0; x < width; ++x) to[x] = (from[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
  } else if (h.planes == 1) {
    std::memcpy(to, from, static_cast<size_t>(width));
  } else {
    const uint8_t* red = from;
    const uint8_t* green = from + bpl;
    const uint8_t* blue = from + 2 * bpl;
    const uint8_t* alpha = h.planes == 4 ? from + 3 * bpl : nullptr;
    for (int x = 0; x < width; ++x) {
      const unsigned a = alpha != nullptr ? alpha[x] : 255;
      to[3 * x] = over_white(blue[x], a);
      to[3 * x + 1] = over_white(green[x], a);
      to[3 * x + 2] = over_white(red[x], a);
    }
  }
}

int read_pcx(ImageInput* input, ImageInfo* info, ImagePixels* image) {
  PcxRead r;
  r.input = input;
  int result = read_pcx_header(&r, info);
  if (result != IMAGE_OK || image == nullptr) return result;
  const int fits = check_load_target(image, *info, input->name);
  if (fits != IMAGE_OK) return fits;
  const PcxHeader& h = r.header;
  if (info->bits == 1) {
    image->palette = {0xFFFFFFu, 0x000000u};
  } else if (h.bits_per_plane == 8 && h.planes == 1) {
    result = read_pcx_end_palette(&r, image);
    if (result != IMAGE_OK) return result;
  } else if (info->bits == 8) {
    const int count = 1 << (h.bits_per_plane * h.planes);
    image->palette.resize(count);
    for (int i = 0; i < count; ++i) {
      const uint8_t* p = h.palette16 + 3 * i;
      image->palette[i] = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    }
  }
  r.chunk.resize(PCX_CHUNK);
  std::vector<uint8_t> row(static_cast<size_t>(h.bytes_per_line) * h.planes);
  for (int y = 0; y < image->height; ++y) {
    result = decode_pcx_row(&r, row.data(), row.size());
    if (result != IMAGE_OK) return result;
    pcx_row_to_image(h, row.data(), image_row(*image, y), image->width);
  }
  // The pixels end where the palette starts; pixels running into it mean a palette cut short.
  const int64_t pixels_end = input->at - static_cast<int64_t>(r.chunk_end - r.chunk_at);
  if (h.bits_per_plane == 8 && h.planes == 1 && pixels_end > input->size - PCX_END_PALETTE_SIZE) {
    return reject_pcx_input(r, "the 256-colour palette at its end is cut short");
  }
  return IMAGE_OK;
}

// ---- Writing -----------------------------------------------------------------------------------

// Appends one encoded line: runs of up to 63, and a lone byte that looks like a run count
// written as a run of one.
void encode_pcx_line(const uint8_t* line, size_t size, std::vector<uint8_t>* out) {
  size_t i = 0;
  while (i < size) {
    size_t run = 1;
    while (i + run < size && run < PCX_MAX_RUN && line[i + run] == line[i]) ++run;
    if (run > 1 || (line[i] & 0xC0) == 0xC0) out->push_back(static_cast<uint8_t>(0xC0 | run));
    out->push_back(line[i]);
    i += run;
  }
}

bool lighter(uint32_t a, uint32_t b) { return luma_of(a) > luma_of(b); }

}  // namespace

int read_pcx_info(ImageInput* input, ImageInfo* info) { return read_pcx(input, info, nullptr); }

int read_pcx_image(ImageInput* input, ImagePixels* image) {
  ImageInfo info;
  return read_pcx(input, &info, image);
}

bool write_pcx_file(SaveFile* file, const ImagePixels& image, const std::string& name) {
  if (image.bits != 1 && image.bits != 8) {
    image_failure(name, "a PCX file takes at most 256 colours", IMAGE_ERROR_BAD_IMAGE);
    return false;
  }
  if (image.width > 65536 || image.height > 65536) {
    image_failure(name, "a PCX file takes at most 65536 x 65536 pixels", IMAGE_ERROR_BAD_IMAGE);
    return false;
  }
  const int bytes_per_line = static_cast<int>((int64_t{image.width} * image.bits + 15) / 16 * 2);
  uint8_t header[PCX_HEADER_SIZE] = {};
  header[0] = PCX_MAKER;
  header[1] = PCX_VERSION_WITH_PALETTE;
  header[2] = 1;
  header[3] = static_cast<uint8_t>(image.bits);
  put_image_u16(header + 8, static_cast<uint16_t>(image.width - 1));
  put_image_u16(header + 10, static_cast<uint16_t>(image.height - 1));
  put_image_u16(header + 12, static_cast<uint16_t>(std::min<int64_t>(65535, dots_per_inch_from_metre(image.x_pixels_per_metre))));
  put_image_u16(header + 14, static_cast<uint16_t>(std::min<int64_t>(65535, dots_per_inch_from_metre(image.y_pixels_per_metre))));
  // A monochrome file holds black as a set bit; readers that take the header's colours see the same.
  bool invert = false;
  if (image.bits == 1) {
    invert = image.palette.size() >= 2 && lighter(image.palette[1], image.palette[0]);
    const uint8_t white_black[6] = {255, 255, 255, 0, 0, 0};
    std::memcpy(header + 16, white_black, sizeof white_black);
  } else {
    for (size_t i = 0; i < 16 && i < image.palette.size(); ++i) {
      header[16 + 3 * i] = static_cast<uint8_t>(image.palette[i] >> 16);
      header[17 + 3 * i] = static_cast<uint8_t>(image.palette[i] >> 8);
      header[18 + 3 * i] = static_cast<uint8_t>(image.palette[i]);
    }
  }
  header[65] = 1;
  put_image_u16(header + 66, static_cast<uint16_t>(bytes_per_line));
  put_image_u16(header + 68, image.grey ? 2 : 1);
  if (!save_write(file, header, sizeof header)) return false;
  std::vector<uint8_t> line(static_cast<size_t>(bytes_per_line), 0);
  std::vector<uint8_t> encoded;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image_row(image, y);
    const size_t used = static_cast<size_t>((int64_t{image.width} * image.bits + 7) / 8);
    std::memcpy(line.data(), row, used);
    if (invert) for (size_t i = 0; i < used; ++i) line[i] = static_cast<uint8_t>(~line[i]);
    if (image.bits == 1 && image.width % 8 != 0) line[used - 1] &= static_cast<uint8_t>(0xFF << (8 - image.width % 8));
    encode_pcx_line(line.data(), line.size(), &encoded);
    if (encoded.size() >= PCX_CHUNK || y == image.height - 1) {
      if (!save_write(file, encoded.data(), encoded.size())) return false;
      encoded.clear();
    }
  }
  if (image.bits == 8) {
    uint8_t palette[PCX_END_PALETTE_SIZE] = {PCX_PALETTE_MARK};
    for (size_t i = 0; i < 256 && i < image.palette.size(); ++i) {
      palette[1 + 3 * i] = static_cast<uint8_t>(image.palette[i] >> 16);
      palette[2 + 3 * i] = static_cast<uint8_t>(image.palette[i] >> 8);
      palette[3 + 3 * i] = static_cast<uint8_t>(image.palette[i]);
    }
    if (!save_write(file, palette, sizeof palette)) return false;
  }
  return true;
}
