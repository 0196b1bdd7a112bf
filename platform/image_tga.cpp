// TGA files: our reader checks the header, the colour map and every pixel packet before
// SDL2_image decodes the pixels. Mapped and grey files become 8-bit images, true colour 24-bit
// (alpha laid over white); rows stored right to left are turned round.
#include <algorithm>
#include <vector>

#include "platform/image_internal.h"

namespace {

constexpr int TGA_HEADER_SIZE = 18;
constexpr int TGA_MAPPED = 1, TGA_TRUE_COLOUR = 2, TGA_RUN_LENGTH = 8;  // type 3 is grey
constexpr uint8_t TGA_RIGHT_TO_LEFT = 0x10;
constexpr uint8_t TGA_ALPHA_BITS = 0x0F;

struct TgaHeader {
  int type = 0;             // without the run-length bit
  bool runs = false;
  int map_first = 0;
  int map_length = 0;
  int map_bits = 0;
  int64_t width = 0;
  int64_t height = 0;
  int depth = 0;            // bits per stored pixel
  uint8_t descriptor = 0;
  int64_t data_at = 0;      // offset of the pixel data
};

struct TgaRead {
  ImageInput* input = nullptr;
  TgaHeader header;
};

int reject_tga_input(const TgaRead& r, const std::string& reason) {
  return image_failure(r.input->name, reason, IMAGE_ERROR_BAD_FILE);
}

int read_tga_header(TgaRead* r, ImageInfo* info) {
  TgaHeader& h = r->header;
  uint8_t bytes[TGA_HEADER_SIZE] = {};
  if (read_image_input(r->input, bytes, TGA_HEADER_SIZE) != TGA_HEADER_SIZE) {
    return reject_tga_input(*r, "the file is cut short in its header");
  }
  const int map_type = bytes[1];
  h.type = bytes[2] & ~TGA_RUN_LENGTH;
  h.runs = (bytes[2] & TGA_RUN_LENGTH) != 0;
  h.map_first = image_u16(bytes + 3);
  h.map_length = image_u16(bytes + 5);
  h.map_bits = bytes[7];
  h.width = image_u16(bytes + 12);
  h.height = image_u16(bytes + 14);
  h.depth = bytes[16];
  h.descriptor = bytes[17];
  if (bytes[2] == 0) return reject_tga_input(*r, "it holds no image");
  if ((bytes[2] & ~(TGA_RUN_LENGTH | 3)) != 0 || h.type == 0) {
    return image_failure(r->input->name, "its image type " + std::to_string(bytes[2]) + " is not supported",
                         IMAGE_ERROR_UNSUPPORTED);
  }
  if (map_type > 1) return reject_tga_input(*r, "its colour map type is not 0 or 1");
  const bool map_bits_known = h.map_bits == 15 || h.map_bits == 16 || h.map_bits == 24 || h.map_bits == 32;
  if (h.type == TGA_MAPPED) {
    if (map_type != 1 || h.map_length == 0 || !map_bits_known) return reject_tga_input(*r, "its colour map is missing or malformed");
    if (h.depth != 8) {
      return image_failure(r->input->name, "mapped pixels of " + std::to_string(h.depth) + " bits are not supported",
                           IMAGE_ERROR_UNSUPPORTED);
    }
  } else if (h.type == TGA_TRUE_COLOUR) {
    if (h.depth != 15 && h.depth != 16 && h.depth != 24 && h.depth != 32) {
      return reject_tga_input(*r, std::to_string(h.depth) + " bits is not a true-colour depth");
    }
  } else if (h.depth != 8) {
    return image_failure(r->input->name, "grey pixels of " + std::to_string(h.depth) + " bits are not supported",
                         IMAGE_ERROR_UNSUPPORTED);
  }
  if (map_type == 1 && !map_bits_known) return reject_tga_input(*r, "its colour map entries have no known size");
  const int64_t map_bytes = map_type == 1 ? int64_t{h.map_length} * ((h.map_bits + 7) / 8) : 0;
  h.data_at = TGA_HEADER_SIZE + bytes[0] + map_bytes;
  if (h.data_at > r->input->size) return reject_tga_input(*r, "the file is cut short in its colour map");
  info->width = static_cast<int32_t>(h.width);
  info->height = static_cast<int32_t>(h.height);
  info->file_bits = static_cast<int16_t>(h.depth);
  info->bits = h.type == TGA_TRUE_COLOUR ? 24 : 8;
  return check_image_size(r->input->name, h.width, h.height, info->bits);
}

// Every pixel is given (runs stay inside the image) and every index names a colour-map entry.
int check_tga_pixels(TgaRead* r) {
  const TgaHeader& h = r->header;
  const int64_t bytes_per_pixel = (h.depth + 7) / 8;
  const int64_t total = h.width * h.height;
  const bool mapped = h.type == TGA_MAPPED;
  const auto index_fits = [&h](uint8_t index) { return index >= h.map_first && index - h.map_first < h.map_length; };
  seek_image_input(r->input, h.data_at);
  if (!h.runs) {
    if (total > (r->input->size - h.data_at) / bytes_per_pixel) return reject_tga_input(*r, "the file is cut short in its pixels");
    if (!mapped) return IMAGE_OK;
    std::vector<uint8_t> row(static_cast<size_t>(h.width));
    for (int64_t y = 0; y < h.height; ++y) {
      read_image_input(r->input, row.data(), row.size());
      for (uint8_t index : row) {
        if (!index_fits(index)) return reject_tga_input(*r, "a pixel's colour index is past the colour map");
      }
    }
    return IMAGE_OK;
  }
  std::vector<uint8_t> packet(128 * 4);
  int64_t done = 0;
  while (done < total) {
    uint8_t head = 0;
    if (read_image_input(r->input, &head, 1) != 1) return reject_tga_input(*r, "the file is cut short in its pixels");
    const int64_t count = (head & 0x7F) + 1;
    if (count > total - done) return reject_tga_input(*r, "a run goes past the end of the image");
    const int64_t values = (head & 0x80) ? 1 : count;
    const size_t bytes = static_cast<size_t>(values * bytes_per_pixel);
    if (read_image_input(r->input, packet.data(), bytes) != bytes) {
      return reject_tga_input(*r, "the file is cut short in its pixels");
    }
    if (mapped) {
      for (size_t i = 0; i < bytes; ++i) {
        if (!index_fits(packet[i])) return reject_tga_input(*r, "a pixel's colour index is past the colour map");
      }
    }
    done += count;
  }
  return IMAGE_OK;
}

int read_tga(ImageInput* input, ImageInfo* info, ImagePixels* image) {
  TgaRead r;
  r.input = input;
  int result = read_tga_header(&r, info);
  if (result != IMAGE_OK || image == nullptr) return result;
  const int fits = check_load_target(image, *info, input->name);
  if (fits != IMAGE_OK) return fits;
  result = check_tga_pixels(&r);
  if (result != IMAGE_OK) return result;
  SdlDecodeOptions options;
  options.alpha = r.header.depth == 32 && (r.header.descriptor & TGA_ALPHA_BITS) != 0;
  options.mirror = (r.header.descriptor & TGA_RIGHT_TO_LEFT) != 0;
  return decode_with_sdl(input, SDL_IMAGE_TGA, options, image);
}

}  // namespace

int read_tga_info(ImageInput* input, ImageInfo* info) { return read_tga(input, info, nullptr); }

int read_tga_image(ImageInput* input, ImagePixels* image) {
  ImageInfo info;
  return read_tga(input, &info, image);
}
