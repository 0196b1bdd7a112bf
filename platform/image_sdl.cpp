// BMP and TGA pixels decoded by SDL2_image, after our own readers have checked the file; the
// decoded surface is then brought to the image's depth.
#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <utility>

#include "platform/image_internal.h"

namespace {

ImageInput* input_of(SDL_RWops* context) { return static_cast<ImageInput*>(context->hidden.unknown.data1); }

Sint64 SDLCALL on_rw_size(SDL_RWops* context) { return input_of(context)->size; }

Sint64 SDLCALL on_rw_seek(SDL_RWops* context, Sint64 offset, int whence) {
  ImageInput* input = input_of(context);
  int64_t to = offset;
  if (whence == RW_SEEK_CUR) to += input->at;
  else if (whence == RW_SEEK_END) to += input->size;
  if (!seek_image_input(input, to)) return SDL_SetError("seek outside the file");
  return to;
}

size_t SDLCALL on_rw_read(SDL_RWops* context, void* to, size_t size, size_t count) {
  if (size == 0 || count == 0) return 0;
  if (count > SIZE_MAX / size) return 0;
  return read_image_input(input_of(context), to, size * count) / size;
}

size_t SDLCALL on_rw_write(SDL_RWops*, const void*, size_t, size_t) { return 0; }
int SDLCALL on_rw_close(SDL_RWops*) { return 0; }

// The surface as 0xAARRGGBB words, whatever SDL decoded it to.
SDL_Surface* as_argb(SDL_Surface* surface) {
  if (surface->format->format == SDL_PIXELFORMAT_ARGB8888) return surface;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(surface);
  return converted;
}

// A channel of `bits` bits widened to 8 by repeating its bits, as ImageMagick widens them.
uint32_t widen_channel(uint32_t value, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return value >> (bits - 8);
  uint32_t out = 0;
  for (int at = 8 - bits; at > -bits; at -= bits) out |= at >= 0 ? value << at : value >> -at;
  return out & 0xFF;
}

int mask_shift(uint32_t mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

int mask_bits(uint32_t mask) { return __builtin_popcount(mask); }

// 15- and 16-bit pixels, widened channel by channel (SDL's own conversion rounds some levels down).
void short_surface_to_image(const SDL_Surface* surface, bool alpha, ImagePixels* image) {
  const SDL_PixelFormat& f = *surface->format;
  const uint32_t masks[4] = {f.Bmask, f.Gmask, f.Rmask, f.Amask};
  for (int y = 0; y < image->height; ++y) {
    const auto* from = reinterpret_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    uint8_t* to = image_row(*image, y);
    for (int x = 0; x < image->width; ++x) {
      uint16_t pixel = 0;
      std::memcpy(&pixel, from + 2 * static_cast<size_t>(x), 2);
      uint32_t channel[4];
      for (int c = 0; c < 4; ++c) channel[c] = widen_channel((pixel & masks[c]) >> mask_shift(masks[c]), mask_bits(masks[c]));
      const unsigned a = alpha && masks[3] != 0 ? channel[3] : 255;
      for (int c = 0; c < 3; ++c) to[3 * x + c] = over_white(channel[c], a);
    }
  }
}

void indexed_surface_to_image(const SDL_Surface* surface, ImagePixels* image) {
  const SDL_Palette* palette = surface->format->palette;
  image->palette.assign(image->bits == 1 ? 2 : static_cast<size_t>(palette->ncolors), 0);
  for (int i = 0; i < palette->ncolors && static_cast<size_t>(i) < image->palette.size(); ++i) {
    const SDL_Color& c = palette->colors[i];
    image->palette[i] = (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
  }
  for (int y = 0; y < image->height; ++y) {
    const uint8_t* from = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    uint8_t* to = image_row(*image, y);
    if (image->bits == 8) {
      std::memcpy(to, from, static_cast<size_t>(image->width));
      continue;
    }
    std::memset(to, 0, static_cast<size_t>(image->row_bytes));
    for (int x = 0; x < image->width; ++x) {
      if (from[x] & 1) to[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
  }
  update_grey_flag(image);
}

void colour_surface_to_image(const SDL_Surface* surface, bool alpha, ImagePixels* image) {
  for (int y = 0; y < image->height; ++y) {
    const auto* from = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(surface->pixels) +
                                                         static_cast<size_t>(y) * surface->pitch);
    uint8_t* to = image_row(*image, y);
    for (int x = 0; x < image->width; ++x) {
      const uint32_t pixel = from[x];
      const unsigned a = alpha ? pixel >> 24 : 255;
      const unsigned grey_or_blue = pixel & 0xFF;
      if (image->bits == 8) {
        to[x] = over_white(grey_or_blue, a);
      } else {
        to[3 * x] = over_white(grey_or_blue, a);
        to[3 * x + 1] = over_white((pixel >> 8) & 0xFF, a);
        to[3 * x + 2] = over_white((pixel >> 16) & 0xFF, a);
      }
    }
  }
  if (image->bits == 8) set_grey_ramp(image);
}

}  // namespace

int decode_with_sdl(ImageInput* input, SdlImageKind kind, const SdlDecodeOptions& options, ImagePixels* image) {
  SDL_RWops* rw = SDL_AllocRW();
  if (rw == nullptr) return image_failure(input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  rw->size = on_rw_size;
  rw->seek = on_rw_seek;
  rw->read = on_rw_read;
  rw->write = on_rw_write;
  rw->close = on_rw_close;
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->hidden.unknown.data1 = input;
  seek_image_input(input, 0);
  SDL_ClearError();
  SDL_Surface* surface = kind == SDL_IMAGE_BMP ? IMG_LoadBMP_RW(rw) : IMG_LoadTGA_RW(rw);
  SDL_FreeRW(rw);
  if (surface == nullptr) {
    const char* why = SDL_GetError();
    return image_failure(input->name, std::string("the pixels cannot be decoded: ") + (why[0] != '\0' ? why : "damaged"),
                         IMAGE_ERROR_BAD_FILE);
  }
  int result = IMAGE_OK;
  if (surface->w != image->width || surface->h != image->height) {
    result = image_failure(input->name, "the decoded size differs from the header's", IMAGE_ERROR_BAD_FILE);
  } else if (surface->format->palette != nullptr && surface->format->BitsPerPixel == 8) {
    if (image->bits == 24) {
      surface = as_argb(surface);
      if (surface == nullptr) result = image_failure(input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
      else colour_surface_to_image(surface, false, image);
    } else {
      indexed_surface_to_image(surface, image);
    }
  } else if (image->bits != 24) {
    result = image_failure(input->name, "the decoded pixels differ from the header's depth", IMAGE_ERROR_BAD_FILE);
  } else if (surface->format->BytesPerPixel == 2) {
    short_surface_to_image(surface, options.alpha, image);
  } else {
    surface = as_argb(surface);
    if (surface == nullptr) result = image_failure(input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
    else colour_surface_to_image(surface, options.alpha, image);
  }
  if (surface != nullptr) SDL_FreeSurface(surface);
  if (result == IMAGE_OK && options.mirror && image->bits >= 8) {
    // Right-to-left rows, which the decoder leaves as stored.
    for (int y = 0; y < image->height; ++y) {
      uint8_t* row = image_row(*image, y);
      const int bytes = image->bits / 8;
      for (int a = 0, b = image->width - 1; a < b; ++a, --b) {
        for (int k = 0; k < bytes; ++k) std::swap(row[a * bytes + k], row[b * bytes + k]);
      }
    }
  }
  return result;
}
