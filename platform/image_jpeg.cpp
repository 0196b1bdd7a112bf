// JPEG files through libjpeg-turbo with its default decoding: grey images become 8-bit grey,
// colour and CMYK images 24-bit colour. libjpeg's own error handler would end the program; ours
// leaves through the reject below, and a file that ends early is refused rather than padded.
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>

#include <csetjmp>
#include <new>
#include <vector>

#include "platform/image_internal.h"

namespace {

constexpr size_t JPEG_INPUT_CHUNK = 65536;

struct JpegRead {
  jpeg_decompress_struct decoder = {};
  jpeg_error_mgr errors = {};
  jpeg_source_mgr source = {};
  jmp_buf jump = {};
  ImageInput* input = nullptr;
  std::string reason;             // why the decoder stopped
  std::vector<uint8_t> chunk;     // bytes handed to the decoder
  std::vector<uint8_t> row;       // one decoded row
  bool cmyk = false;              // the rows come as CMYK
};

int reject_jpg_input(const JpegRead& r, const std::string& reason) {
  return image_failure(r.input->name, reason, IMAGE_ERROR_BAD_FILE);
}

JpegRead* read_of(j_common_ptr info) { return reinterpret_cast<JpegRead*>(info->client_data); }

void on_jpeg_error(j_common_ptr info) {
  JpegRead* r = read_of(info);
  char text[JMSG_LENGTH_MAX] = {};
  (*info->err->format_message)(info, text);
  if (r->reason.empty()) r->reason = text;
  std::longjmp(r->jump, 1);
}

void on_jpeg_message(j_common_ptr, int) {}

void on_source_init(j_decompress_ptr) {}

boolean on_source_fill(j_decompress_ptr decoder) {
  JpegRead* r = read_of(reinterpret_cast<j_common_ptr>(decoder));
  const size_t got = read_image_input(r->input, r->chunk.data(), r->chunk.size());
  if (got == 0) {
    // The decoder would pad the rest of the image with grey; a cut file is refused instead.
    r->reason = "the file is cut short";
    std::longjmp(r->jump, 1);
  }
  r->source.next_input_byte = r->chunk.data();
  r->source.bytes_in_buffer = got;
  return TRUE;
}

void on_source_skip(j_decompress_ptr decoder, long count) {
  JpegRead* r = read_of(reinterpret_cast<j_common_ptr>(decoder));
  while (count > 0) {
    if (r->source.bytes_in_buffer == 0) on_source_fill(decoder);
    const size_t step = static_cast<size_t>(count) < r->source.bytes_in_buffer
                            ? static_cast<size_t>(count)
                            : r->source.bytes_in_buffer;
    r->source.next_input_byte += step;
    r->source.bytes_in_buffer -= step;
    count -= static_cast<long>(step);
  }
}

void on_source_term(j_decompress_ptr) {}

// CMYK as the file stores it, to red, green and blue; Adobe's files store the inks inverted.
void cmyk_row_to_bgr(const uint8_t* from, uint8_t* to, int width, bool inverted) {
  for (int x = 0; x < width; ++x) {
    const uint8_t* p = from + 4 * static_cast<size_t>(x);
    unsigned c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    to[3 * x + 2] = static_cast<uint8_t>((c * k + 127) / 255);
    to[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
    to[3 * x] = static_cast<uint8_t>((y * k + 127) / 255);
  }
}

void rgb_row_to_bgr(const uint8_t* from, uint8_t* to, int width) {
  for (int x = 0; x < width; ++x) {
    to[3 * x] = from[3 * x + 2];
    to[3 * x + 1] = from[3 * x + 1];
    to[3 * x + 2] = from[3 * x];
  }
}

// Reads the header, and with an image the pixels too. Leaves by longjmp on any fault, so
// nothing here owns memory of its own: buffers live in *r.
int run_jpeg(JpegRead* r, ImageInfo* info, ImagePixels* image) {
  if (setjmp(r->jump)) return reject_jpg_input(*r, r->reason);
  jpeg_create_decompress(&r->decoder);  // keeps err and client_data
  r->decoder.src = &r->source;
  // The decoder's own working memory is held to what an image we accept can need.
  r->decoder.mem->max_memory_to_use = static_cast<long>(g_image_library.max_pixel_bytes * 2 + (64 << 20));
  jpeg_read_header(&r->decoder, TRUE);
  jpeg_decompress_struct& d = r->decoder;
  info->width = static_cast<int32_t>(d.image_width);
  info->height = static_cast<int32_t>(d.image_height);
  info->file_bits = static_cast<int16_t>(8 * d.num_components);
  if (d.saw_JFIF_marker && d.X_density > 0 && d.Y_density > 0) {
    if (d.density_unit == 1) {
      info->x_pixels_per_metre = pixels_per_metre_from_inch(d.X_density);
      info->y_pixels_per_metre = pixels_per_metre_from_inch(d.Y_density);
    } else if (d.density_unit == 2) {
      info->x_pixels_per_metre = pixels_per_metre_from_cm(d.X_density);
      info->y_pixels_per_metre = pixels_per_metre_from_cm(d.Y_density);
    }
  }
  if (d.jpeg_color_space == JCS_GRAYSCALE) {
    info->bits = 8;
    d.out_color_space = JCS_GRAYSCALE;
  } else if (d.jpeg_color_space == JCS_CMYK || d.jpeg_color_space == JCS_YCCK) {
    info->bits = 24;
    d.out_color_space = JCS_CMYK;
    r->cmyk = true;
  } else {
    info->bits = 24;
    d.out_color_space = JCS_RGB;
  }
  const int size_check = check_image_size(r->input->name, info->width, info->height, info->bits);
  if (size_check != IMAGE_OK) return size_check;
  if (image == nullptr) return IMAGE_OK;
  const int fits = check_load_target(image, *info, r->input->name);
  if (fits != IMAGE_OK) return fits;
  jpeg_start_decompress(&d);
  if (info->bits == 8) set_grey_ramp(image);
  r->row.resize(static_cast<size_t>(d.output_width) * d.output_components);
  while (d.output_scanline < d.output_height) {
    const int y = static_cast<int>(d.output_scanline);
    uint8_t* to = image_row(*image, y);
    JSAMPROW row = info->bits == 8 ? to : r->row.data();
    if (jpeg_read_scanlines(&d, &row, 1) != 1) return reject_jpg_input(*r, "the rows end early");
    if (r->cmyk) cmyk_row_to_bgr(r->row.data(), to, image->width, d.saw_Adobe_marker != 0);
    else if (info->bits == 24) rgb_row_to_bgr(r->row.data(), to, image->width);
  }
  jpeg_finish_decompress(&d);
  return IMAGE_OK;
}

int read_jpg(ImageInput* input, ImageInfo* info, ImagePixels* image) {
  JpegRead r;
  r.input = input;
  uint8_t start[2] = {};
  if (read_image_input(input, start, 2) != 2 || start[0] != 0xFF || start[1] != 0xD8) {
    return reject_jpg_input(r, "not a JPEG file (no start-of-image marker)");
  }
  seek_image_input(input, 0);
  r.chunk.resize(JPEG_INPUT_CHUNK);
  r.decoder.err = jpeg_std_error(&r.errors);
  r.decoder.client_data = &r;
  r.errors.error_exit = on_jpeg_error;
  r.errors.emit_message = on_jpeg_message;
  r.source.init_source = on_source_init;
  r.source.fill_input_buffer = on_source_fill;
  r.source.skip_input_data = on_source_skip;
  r.source.resync_to_restart = jpeg_resync_to_restart;
  r.source.term_source = on_source_term;
  int result = IMAGE_OK;
  try {
    result = run_jpeg(&r, info, image);
  } catch (const std::bad_alloc&) {
    result = image_failure(input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  }
  jpeg_destroy_decompress(&r.decoder);
  return result;
}

}  // namespace

int read_jpg_info(ImageInput* input, ImageInfo* info) { return read_jpg(input, info, nullptr); }

int read_jpg_image(ImageInput* input, ImagePixels* image) {
  ImageInfo info;
  return read_jpg(input, &info, image);
}
