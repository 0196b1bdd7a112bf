// Tests of the raster-image library: images as plain RGB for comparing, ImageMagick's `convert`
// as the independent reader and judge, a deterministic picture to write, and loading a file
// through the library's info, allocate and load calls as the program does.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/image_library.h"
#include "tests/support/test_folder.h"

// An image as rows of red, green, blue bytes, top row first.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* at(int x, int y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

inline RgbPicture rgb_of(const ImageDescriptor& image) {
  RgbPicture picture;
  if (image.image == nullptr) return picture;
  picture.width = image.image->width;
  picture.height = image.image->height;
  picture.rgb.reserve(static_cast<size_t>(picture.width) * picture.height * 3);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t c = image_pixel_rgb(image, x, y);
      picture.rgb.push_back(static_cast<uint8_t>(c >> 16));
      picture.rgb.push_back(static_cast<uint8_t>(c >> 8));
      picture.rgb.push_back(static_cast<uint8_t>(c));
    }
  }
  return picture;
}

// What a command prints on its standard output.
inline std::string command_output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  pclose(pipe);
  return out;
}

inline std::string quoted(const std::string& path) { return "'" + path + "'"; }

// The file as ImageMagick reads it, transparent parts over white, 8 bits a channel; `before`
// goes between the file and the output options (e.g. "-auto-orient", "-rotate 90").
inline RgbPicture convert_read(const std::string& path, const std::string& before = "") {
  const std::string bytes = command_output("convert " + quoted(path) + " " + before +
                                           " -background white -alpha remove -alpha off -colorspace sRGB "
                                           "-depth 8 ppm:- 2>/dev/null");
  RgbPicture picture;
  int fields = 0;
  size_t at = 0;
  int values[3] = {};
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return picture;
  at = 2;
  while (fields < 3 && at < bytes.size()) {
    while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
    if (at < bytes.size() && bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
      continue;
    }
    values[fields++] = std::atoi(bytes.c_str() + at);
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) ++at;
  }
  ++at;
  picture.width = values[0];
  picture.height = values[1];
  const size_t size = static_cast<size_t>(picture.width) * picture.height * 3;
  if (values[2] != 255 || bytes.size() < at + size) return RgbPicture{};
  picture.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
  return picture;
}

// "" when the two pictures agree within `tolerance` levels a channel, else the first difference.
inline std::string picture_difference(const RgbPicture& ours, const RgbPicture& theirs, int tolerance) {
  if (ours.width != theirs.width || ours.height != theirs.height) {
    return "size " + std::to_string(ours.width) + "x" + std::to_string(ours.height) + " against " +
           std::to_string(theirs.width) + "x" + std::to_string(theirs.height);
  }
  for (int y = 0; y < ours.height; ++y) {
    for (int x = 0; x < ours.width; ++x) {
      const uint8_t* a = ours.at(x, y);
      const uint8_t* b = theirs.at(x, y);
      for (int c = 0; c < 3; ++c) {
        if (std::abs(a[c] - b[c]) > tolerance) {
          return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(a[0]) + "," +
                 std::to_string(a[1]) + "," + std::to_string(a[2]) + " against " + std::to_string(b[0]) + "," +
                 std::to_string(b[1]) + "," + std::to_string(b[2]);
        }
      }
    }
  }
  return "";
}

// Mean absolute difference a channel.
inline double mean_error(const RgbPicture& a, const RgbPicture& b) {
  if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 1e9;
  double sum = 0.0;
  for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(a.rgb[i] - b.rgb[i]);
  return sum / static_cast<double>(a.rgb.size());
}

// Loads a file as the program's loaders do: its info, an image of that size and depth, the load.
inline int load_image_file(ImageFileKind kind, const std::string& path, ImageDescriptor* image, ImageInfo* info_out = nullptr) {
  ImageInfo info;
  int result = IMAGE_OK;
  const char* p = path.c_str();
  switch (kind) {
    case IMAGE_KIND_TIF: result = image_tif_info(p, &info); break;
    case IMAGE_KIND_PCX: result = image_pcx_info(p, &info); break;
    case IMAGE_KIND_TGA: result = image_tga_info(p, &info); break;
    case IMAGE_KIND_BMP: result = image_bmp_info(p, &info); break;
    case IMAGE_KIND_JPG: result = image_jpg_info(p, &info); break;
    case IMAGE_KIND_PNG: result = image_png_info(p, &info); break;
  }
  if (info_out != nullptr) *info_out = info;
  if (result != IMAGE_OK) return result;
  result = image_alloc(image, info.width, info.height, info.bits);
  if (result != IMAGE_OK) return result;
  switch (kind) {
    case IMAGE_KIND_TIF: return image_load_tif(p, image);
    case IMAGE_KIND_PCX: return image_load_pcx(p, image);
    case IMAGE_KIND_TGA: return image_load_tga(p, image);
    case IMAGE_KIND_BMP: return image_load_bmp(p, image);
    case IMAGE_KIND_JPG: return image_load_jpg(p, image);
    case IMAGE_KIND_PNG: return image_load_png(p, image);
  }
  return IMAGE_ERROR_BAD_IMAGE;
}

// A deterministic picture with smooth shading, sharp edges and fine noise, so that every level
// and every colour of a depth turns up: channel 0, 1 or 2 at (x, y).
inline uint8_t picture_level(int x, int y, int channel) {
  const uint32_t noise = (static_cast<uint32_t>(x) * 73856093u) ^ (static_cast<uint32_t>(y) * 19349663u) ^
                         (static_cast<uint32_t>(channel) * 83492791u);
  const int smooth = (x * (3 + channel) + y * (5 - channel)) % 256;
  const int edge = ((x / 7 + y / 5 + channel) % 3 == 0) ? 96 : 0;
  return static_cast<uint8_t>((smooth + edge + static_cast<int>(noise % 23)) & 0xFF);
}

// A 16-bit sample: the 8-bit level with its own low byte.
inline uint16_t picture_level16(int x, int y, int channel) {
  return static_cast<uint16_t>(picture_level(x, y, channel) * 256 + picture_level(y, x, channel + 1));
}

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_image_library();
    folder_ = make_test_folder("brenvik_image");
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    reset_image_library();
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  std::filesystem::path folder_;
};
