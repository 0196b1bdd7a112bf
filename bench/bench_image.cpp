// The background image at photograph size: a 6000 x 4000 picture with smooth shading, edges and
// grain is written through libjpeg, libpng and libtiff; then brenvik-image and ImageMagick's
// `convert -limit thread 1` do the same three jobs in turn (JPEG to grey saved as TIF, PNG to 256
// colours saved as BMP, TIFF turned 3 degrees saved as TIF), each timed in CPU seconds with its
// peak resident memory. Goals: at most half of convert's time; memory under a fixed bound (the
// image's own 72 MB twice over and some), since convert's policy caps its memory and spills to
// disk. Last, the loaded image drawn into a 1920 x 1080 screen, fitted and at one to one:
// under 15 ms each.
// Usage: bench_image [FOLDER]   (the files are written there, by default the build's bench folder)
#include <png.h>
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "job/background_image.h"
#include "platform/canvas.h"
#include "platform/image_library.h"

namespace {

constexpr int WIDTH = 6000;
constexpr int HEIGHT = 4000;
constexpr double MEMORY_BOUND_MB = 200.0;
constexpr double DRAW_GOAL_MS = 15.0;

using Clock = std::chrono::steady_clock;

// Rows of red, green, blue: broad shading, a few hard-edged shapes and grain.
std::vector<uint8_t> photograph() {
  std::vector<uint8_t> rgb(static_cast<size_t>(WIDTH) * HEIGHT * 3);
  std::vector<double> across(WIDTH), down(HEIGHT);
  for (int x = 0; x < WIDTH; ++x) across[x] = 60.0 * std::sin(x / 410.0) + 30.0 * std::sin(x / 37.0);
  for (int y = 0; y < HEIGHT; ++y) down[y] = 50.0 * std::cos(y / 530.0) + 20.0 * std::sin(y / 23.0);
  uint32_t seed = 12345;
  for (int y = 0; y < HEIGHT; ++y) {
    for (int x = 0; x < WIDTH; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int grain = static_cast<int>(seed >> 28) - 8;
      const bool shape = ((x - 2000) * (x - 2000) + (y - 1500) * (y - 1500) < 700 * 700) || (x > 4200 && x < 5100 && y > 2500);
      const double base = 128.0 + across[x] + down[y];
      uint8_t* p = rgb.data() + (static_cast<size_t>(y) * WIDTH + x) * 3;
      const auto clamp = [](double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      p[0] = clamp(base + (shape ? 60 : 0) + grain);
      p[1] = clamp(base * 0.8 + (shape ? -40 : 20) + grain);
      p[2] = clamp(255 - base + grain);
    }
  }
  return rgb;
}

void write_jpeg(const std::string& path, const std::vector<uint8_t>& rgb) {
  FILE* file = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct encoder = {};
  jpeg_error_mgr errors = {};
  encoder.err = jpeg_std_error(&errors);
  jpeg_create_compress(&encoder);
  jpeg_stdio_dest(&encoder, file);
  encoder.image_width = WIDTH;
  encoder.image_height = HEIGHT;
  encoder.input_components = 3;
  encoder.in_color_space = JCS_RGB;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, 90, TRUE);
  jpeg_start_compress(&encoder, TRUE);
  while (encoder.next_scanline < encoder.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(rgb.data()) + static_cast<size_t>(encoder.next_scanline) * WIDTH * 3;
    jpeg_write_scanlines(&encoder, &row, 1);
  }
  jpeg_finish_compress(&encoder);
  jpeg_destroy_compress(&encoder);
  std::fclose(file);
}

void write_png(const std::string& path, const std::vector<uint8_t>& rgb) {
  FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_compression_level(png, 3);
  png_set_IHDR(png, info, WIDTH, HEIGHT, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < HEIGHT; ++y) png_write_row(png, rgb.data() + static_cast<size_t>(y) * WIDTH * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

void write_tiff(const std::string& path, const std::vector<uint8_t>& rgb) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, WIDTH);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, HEIGHT);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0f);
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0f);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  for (int y = 0; y < HEIGHT; ++y) {
    TIFFWriteScanline(tif, const_cast<uint8_t*>(rgb.data()) + static_cast<size_t>(y) * WIDTH * 3, static_cast<uint32_t>(y), 0);
  }
  TIFFClose(tif);
}

struct Measure {
  bool ran = false;
  double cpu_seconds = 0.0;
  double peak_mb = 0.0;
};

// Runs the command line (no shell) and measures the child alone.
Measure run(const std::vector<std::string>& words) {
  Measure m;
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    const int null = ::open("/dev/null", 1);
    if (null >= 0) dup2(null, 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage = {};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return m;
  m.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  m.cpu_seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  m.peak_mb = usage.ru_maxrss / 1024.0;
  return m;
}

void compare(const char* title, const std::vector<std::string>& ours, const std::vector<std::string>& theirs) {
  const Measure a = run(ours);
  const Measure b = run(theirs);
  std::printf("%s\n", title);
  std::printf("  brenvik-image %6.2f s CPU  %7.1f MB peak%s\n", a.cpu_seconds, a.peak_mb, a.ran ? "" : "  (FAILED)");
  std::printf("  convert       %6.2f s CPU  %7.1f MB peak%s\n", b.cpu_seconds, b.peak_mb, b.ran ? "" : "  (FAILED)");
  const double time_ratio = b.cpu_seconds > 0 ? a.cpu_seconds / b.cpu_seconds : 0.0;
  const double memory_ratio = b.peak_mb > 0 ? a.peak_mb / b.peak_mb : 0.0;
  std::printf("  time ratio %.2f (goal 0.5: %s)  memory ratio %.2f, bound %.0f MB: %s\n", time_ratio,
              time_ratio <= 0.5 ? "met" : "MISSED", memory_ratio, MEMORY_BOUND_MB,
              a.peak_mb <= MEMORY_BOUND_MB ? "met" : "MISSED");
}

double draw_ms(const ImageViewport& view, int runs) {
  Surface surface;
  surface_resize(&surface, view.width, view.height);
  Canvas canvas;
  canvas_init(&canvas, &surface);
  CanvasRect dest{}, source{};
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) {
    if (image_screen_rectangles(g_image_record, 1, view, &dest, &source)) {
      canvas_stretch_dib(&canvas, dest, image_dib(g_image_record.image), source);
    }
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : BENCH_IMAGE_DIR;
  std::filesystem::create_directories(folder);
  const std::string jpg = (folder / "photo.jpg").string(), png = (folder / "photo.png").string();
  const std::string tif = (folder / "photo.tif").string();
  if (!std::filesystem::exists(tif)) {
    std::printf("Writing the %d x %d photograph as JPEG, PNG and TIFF in %s\n", WIDTH, HEIGHT, folder.c_str());
    const std::vector<uint8_t> rgb = photograph();
    write_jpeg(jpg, rgb);
    write_png(png, rgb);
    write_tiff(tif, rgb);
  }
  const std::string tool = BRENVIK_PROGRAM_DIR "/brenvik-image";
  const std::string out = (folder / "out").string();
  compare("JPEG to grey, saved as TIF", {tool, "--grey", jpg, out + "-ours.tif"},
          {"convert", "-limit", "thread", "1", jpg, "-grayscale", "Rec601Luma", out + "-theirs.tif"});
  compare("PNG to 256 colours, saved as BMP", {tool, "--256", png, out + "-ours.bmp"},
          {"convert", "-limit", "thread", "1", png, "+dither", "-colors", "256", "BMP3:" + out + "-theirs.bmp"});
  compare("TIFF turned 3 degrees, saved as TIF", {tool, "--rotate", "3", tif, out + "-ours-turned.tif"},
          {"convert", "-limit", "thread", "1", tif, "-background", "white", "-rotate", "-3", "+repage", out + "-theirs-turned.tif"});

  g_image_record = ImageRecord{};
  std::snprintf(g_image_record.path, IMAGE_PATH_SIZE, "%s", tif.c_str());
  if (load_background_image() != 0) {
    std::printf("the photograph could not be loaded: %s\n", g_image_library.error.c_str());
    return 1;
  }
  g_image_record.origin_x = 0.0f;
  g_image_record.origin_y = 0.0f;
  // 300 pixels an inch: 20 x 13.3 inches. Fitted: the whole width in 1920 pixels.
  ImageViewport fitted{0.0, 4000.0 / 300.0, 1920.0 / 20.0, 1920, 1080};
  ImageViewport one_to_one{5.0, 10.0, 300.0, 1920, 1080};
  const double fitted_ms = draw_ms(fitted, 20), one_ms = draw_ms(one_to_one, 20);
  std::printf("Drawn into 1920 x 1080: fitted %.2f ms, one to one %.2f ms (goal %.0f ms: %s)\n", fitted_ms, one_ms,
              DRAW_GOAL_MS, fitted_ms < DRAW_GOAL_MS && one_ms < DRAW_GOAL_MS ? "met" : "MISSED");
  return 0;
}
