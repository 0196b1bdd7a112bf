// The background image's life: choosing the file, loading and reloading its pixels, its
// resolution and place, freeing it, saving it and the information box.
#include "job/background_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "job/job_file.h"
#include "job/job_host.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/catalogue.h"
#include "store/float_text.h"
#include "store/message_ids.h"

BackgroundImageState g_background_image;

namespace {

constexpr double MILLIMETRES_PER_INCH = 25.4;
// A resolution or size past this is not taken from anywhere: it would only overflow later.
constexpr double IMAGE_MOST_PIXELS_PER_INCH = 1e7;

__extension__ typedef __int128 Wide;  // products of two 64-bit screen sizes
// Screen positions are worked in doubles, then whole pixels in 64 bits; past FAR is beyond the
// screen. The canvas takes coordinates up to REACH.
constexpr double FAR = 4e18;
constexpr int64_t REACH = int64_t{1} << 30;

std::string name_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool fits_record(const std::string& path) { return !path.empty() && path.size() < IMAGE_PATH_SIZE; }

void set_record_path(const std::string& path) {
  std::memset(g_image_record.path, 0, IMAGE_PATH_SIZE);
  std::memcpy(g_image_record.path, path.data(), path.size());
}

// A catalogue message as text, without showing it.
std::string catalogue_text(int number) {
  clear_message_text();
  if (find_message(number) == 0) {
    char missing[64];
    std::snprintf(missing, sizeof missing, CATALOGUE_MISSING_FORMAT, number);
    return missing;
  }
  while (read_message_line(1) > 0) {
  }
  return message_text();
}

// "The image PATH" and the message of the failed status, then the library's reason.
void show_load_failure(const std::string& path, int status, const std::string& reason) {
  std::string text = "\vThe image\x13 \f" + path + "\x13 ";
  text += catalogue_text(status == IMAGE_FILE_NOT_FOUND ? MSG_IMAGE_NOT_FOUND : MSG_IMAGE_CANNOT_SHOW);
  if (!text.empty() && text.back() != '\n') text += "\n";
  text += reason;
  job_show_message(text.c_str());
}

// The file of the image: its own path, else the job's folder with its name.
std::string find_image_file(const std::string& path) {
  if (file_exists(path)) return path;
  const std::string job_folder = folder_of(g_job_file.full_path);
  if (job_folder.empty()) return "";
  const std::string there = path_join(job_folder, name_of(path));
  return fits_record(there) && file_exists(there) ? there : "";
}

// Runs the loader into the working image: the file's information, an image of that size and
// depth, the load, the grey test. IMAGE_OK or the library's error (its reason recorded).
int run_loader(int loader, const std::string& path, ImageInfo* info) {
  int (*read_info)(const char*, ImageInfo*) = nullptr;
  int (*load)(const char*, ImageDescriptor*) = nullptr;
  switch (loader) {
    case IMAGE_LOADER_TIF: read_info = image_tif_info; load = image_load_tif; break;
    case IMAGE_LOADER_PCX: read_info = image_pcx_info; load = image_load_pcx; break;
    case IMAGE_LOADER_TGA: read_info = image_tga_info; load = image_load_tga; break;
    case IMAGE_LOADER_BMP: read_info = image_bmp_info; load = image_load_bmp; break;
    case IMAGE_LOADER_JPG: read_info = image_jpg_info; load = image_load_jpg; break;
    case IMAGE_LOADER_PNG: read_info = image_png_info; load = image_load_png; break;
    case IMAGE_LOADER_BIF: return image_load_bif(path.c_str(), &g_background_image.work);
    default:
      g_image_library.error = name_of(path) + ": GIF images cannot be shown here; save it as PNG or BMP";
      return -1;
  }
  int result = read_info(path.c_str(), info);
  if (result != IMAGE_OK) return result;
  if (alloc_work_image(info->width, info->height, info->bits) != 0) return IMAGE_ERROR_NO_MEMORY;
  result = load(path.c_str(), &g_background_image.work);
  if (result != IMAGE_OK) return result;
  test_work_image_grey();
  // Only these loaders take a resolution from the file; TGA, JPG and PNG leave it to the user.
  if (loader != IMAGE_LOADER_TIF && loader != IMAGE_LOADER_PCX && loader != IMAGE_LOADER_BMP) {
    info->x_pixels_per_metre = 0;
  }
  if (loader == IMAGE_LOADER_BMP) info->y_pixels_per_metre = info->x_pixels_per_metre;
  ImagePixels& work = *g_background_image.work.image;
  work.x_pixels_per_metre = info->x_pixels_per_metre;
  work.y_pixels_per_metre = info->y_pixels_per_metre;
  return IMAGE_OK;
}

// The user's answer to the resolution question, asked until it is above 0; Esc gives 100.
double ask_pixels_per_inch() {
  const std::string prompt = catalogue_text(MSG_IMAGE_PIXELS_PER_INCH);
  while (true) {
    double answer = 0.0;
    if (!job_ask_number(prompt.c_str(), 0.0, &answer)) return -1.0;
    if (answer > 0.0 && answer <= IMAGE_MOST_PIXELS_PER_INCH) return answer;
  }
}

// The working image becomes the shown one.
void show_work_image() {
  image_copy_descriptor(g_background_image.work, &g_image_record.image);
  image_clear_descriptor(&g_background_image.work);
  g_image_record.status = IMAGE_SHOWN;
}

void free_pixels() {
  image_free(&g_background_image.work);
  image_free(&g_image_record.image);
}

int fail_load(const std::string& path, int result) {
  g_image_record.status = result == IMAGE_ERROR_NOT_FOUND ? IMAGE_FILE_NOT_FOUND : IMAGE_CANNOT_SHOW;
  show_load_failure(path, g_image_record.status, g_image_library.error);
  return -1;
}

// Dots per inch rounded to a whole number, as a resolution that reads back as that number.
int64_t whole_pixels_per_metre(double pixels_per_inch) {
  return pixels_per_metre_from_inch(std::floor(std::clamp(pixels_per_inch, 0.0, IMAGE_MOST_PIXELS_PER_INCH) + 0.5));
}

}  // namespace

int image_loader_of(const std::string& path) {
  const std::string name = name_of(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot != 4) return -1;
  for (int loader = 0; loader * 3 < static_cast<int>(sizeof IMAGE_LOADER_EXTENSIONS) - 1; ++loader) {
    const char* entry = IMAGE_LOADER_EXTENSIONS + 3 * loader;
    if (upper(name[dot + 1]) == entry[0] && upper(name[dot + 2]) == entry[1] && upper(name[dot + 3]) == entry[2]) {
      return loader;
    }
  }
  return -1;
}

// ---- Choosing, loading, freeing ----------------------------------------------------------------

int choose_image_file() {
  const std::string folder = g_background_image.last_folder.empty() ? program_folder() : g_background_image.last_folder;
  const std::string chosen = job_choose_file(folder, IMAGE_FILE_FILTER);
  if (chosen.empty()) return 0;
  if (!fits_record(chosen)) {
    const std::string text = "\vThe image \f" + chosen + "\x13\ncannot be used: its path is longer than " +
                             std::to_string(IMAGE_PATH_SIZE - 1) + " bytes.";
    job_show_message(text.c_str());
    return -1;
  }
  set_record_path(chosen);
  g_background_image.last_folder = folder_of(chosen);
  g_image_record.status = IMAGE_NOT_LOADED;
  // A new file brings its own resolution; what the user set was for the old one. It shows.
  g_image_record.user_pixels_per_inch = 0.0f;
  g_image_record.hidden = 0;
  return 1;
}

int load_background_image() {
  ImageRecord& record = g_image_record;
  if (!image_record_named(record)) return -1;
  if (record.status > 0) return 1;
  // A failed image stays failed until it is chosen again or its job is opened again, so that
  // a redraw neither reads a bad file again nor repeats its message.
  if (record.status < 0) return -1;
  const std::string named = record.path;
  const int loader = image_loader_of(named);
  if (loader < 0) {
    g_image_library.error = name_of(named) + ": its extension is none of BMP, PCX, JPG, TIF, PNG, TGA";
    return fail_load(named, IMAGE_ERROR_UNSUPPORTED);
  }
  const std::string path = find_image_file(named);
  if (path.empty()) {
    g_image_library.error = name_of(named) + ": no such file here or in the job's folder";
    return fail_load(named, IMAGE_ERROR_NOT_FOUND);
  }
  if (path != named) set_record_path(path);
  free_pixels();
  record.status = IMAGE_NOT_LOADED;
  ImageInfo info;
  const int result = run_loader(loader, path, &info);
  if (result != IMAGE_OK) {
    free_pixels();
    return fail_load(path, result);
  }
  double pixels_per_inch = record.user_pixels_per_inch;
  if (!(pixels_per_inch > 0.0)) pixels_per_inch = static_cast<double>(dots_per_inch_from_metre(info.x_pixels_per_metre));
  if (!(pixels_per_inch > 0.0) || pixels_per_inch > IMAGE_MOST_PIXELS_PER_INCH) {
    const double typed = ask_pixels_per_inch();
    pixels_per_inch = typed > 0.0 ? typed : IMAGE_DEFAULT_PIXELS_PER_INCH;
    if (typed > 0.0) record.user_pixels_per_inch = static_cast<float>(typed);
  }
  record.pixels_per_inch = static_cast<float>(pixels_per_inch);
  show_work_image();
  if (!record.placed) {
    double centre_x = 0.0, centre_y = 0.0, width = 0.0, height = 0.0;
    job_view_centre(&centre_x, &centre_y);
    image_size_in_units(record, g_job_settings.units, &width, &height);
    record.origin_x = static_cast<float>(centre_x - width / 2.0);
    record.origin_y = static_cast<float>(centre_y - height / 2.0);
    record.placed = 1;
  }
  return 0;
}

int reload_background_image() {
  ImageRecord& record = g_image_record;
  const int loader = image_loader_of(record.path);
  if (!image_record_named(record) || loader < 0) return -1;
  const std::string path = record.path;
  free_pixels();
  ImageInfo info;
  const int result = run_loader(loader, path, &info);
  if (result != IMAGE_OK) {
    free_pixels();
    return fail_load(path, result);
  }
  const int64_t file_pixels_per_inch = dots_per_inch_from_metre(info.x_pixels_per_metre);
  if (file_pixels_per_inch > 0 && file_pixels_per_inch <= IMAGE_MOST_PIXELS_PER_INCH) {
    record.pixels_per_inch = static_cast<float>(file_pixels_per_inch);
    record.user_pixels_per_inch = 0.0f;
  }
  if (!(record.pixels_per_inch > 0.0f)) record.pixels_per_inch = static_cast<float>(IMAGE_DEFAULT_PIXELS_PER_INCH);
  show_work_image();
  record.hidden = 0;
  return 0;
}

int free_background_image() {
  const int nothing = g_image_record.image.image == nullptr ? 1 : 0;
  free_pixels();
  image_free(&g_background_image.faint_copy);
  g_image_record = ImageRecord{};
  return nothing;
}

int mark_image_for_redraw(bool full_redraw_pending) {
  if (g_image_record.status != IMAGE_SHOWN || full_redraw_pending) return 0;
  g_image_record.draw_pending = 1;
  return 1;
}

// ---- Size and place ----------------------------------------------------------------------------

double image_pixels_per_unit(const ImageRecord& record, uint8_t units) {
  const double per_inch = record.pixels_per_inch;
  return units == JOB_UNITS_MILLIMETRE ? per_inch / MILLIMETRES_PER_INCH : per_inch;
}

void image_size_in_units(const ImageRecord& record, uint8_t units, double* width, double* height) {
  *width = 0.0;
  *height = 0.0;
  const double per_unit = image_pixels_per_unit(record, units);
  if (record.image.image == nullptr || !(per_unit > 0.0)) return;
  *width = record.image.image->width / per_unit;
  *height = record.image.image->height / per_unit;
}

int set_image_scale(double measured_length, double typed_length) {
  if (!(measured_length > 0.0) || !(typed_length > 0.0)) return -1;
  const double pixels_per_inch = measured_length * g_image_record.pixels_per_inch / typed_length;
  if (!(pixels_per_inch > 0.0) || pixels_per_inch > IMAGE_MOST_PIXELS_PER_INCH) return -1;
  g_image_record.pixels_per_inch = static_cast<float>(pixels_per_inch);
  g_image_record.user_pixels_per_inch = g_image_record.pixels_per_inch;
  return 0;
}

double image_zoom_scale(double factor, uint8_t units) {
  if (!(factor > 0.0)) return -1.0;
  return image_pixels_per_unit(g_image_record, units) * factor;
}

bool image_screen_rectangles(const ImageRecord& record, uint8_t units, const ImageViewport& view, CanvasRect* dest,
                             CanvasRect* source) {
  const ImagePixels* pixels = record.image.image.get();
  const double per_unit = image_pixels_per_unit(record, units);
  if (pixels == nullptr || record.hidden || !(per_unit > 0.0) || !(view.scale > 0.0)) return false;
  const auto whole = [](double v) { return static_cast<int64_t>(std::round(std::clamp(v, -FAR, FAR))); };
  const double pixel_size = view.scale / per_unit;  // screen pixels per image pixel
  const int64_t left = whole((record.origin_x - view.view_left) * view.scale);
  const int64_t width = whole(pixels->width * pixel_size);
  const int64_t height = whole(pixels->height * pixel_size);
  const int64_t top = whole((view.view_top - record.origin_y) * view.scale) - height;
  if (width <= 0 || height <= 0 || left >= view.width || top >= view.height) return false;
  if (left > FAR / 2 - width || top > FAR / 2 - height || left + width <= 0 || top + height <= 0) return false;
  // Stretched whole when that fits the canvas's coordinates; else only the image pixels seen,
  // each drawn from its own first screen pixel to its last.
  if (left >= -REACH && top >= -REACH && left + width <= REACH && top + height <= REACH) {
    *dest = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width), static_cast<int>(top + height)};
    *source = {0, 0, pixels->width, pixels->height};
    return true;
  }
  const auto span = [](int64_t start, int64_t size, int64_t count, int64_t limit, int* first, int* last, int* from, int* to) {
    const int64_t shown_from = std::max<int64_t>(start, 0), shown_to = std::min<int64_t>(start + size, limit);
    // Pixel p of the screen shows image pixel (p - start) * count / size.
    const int64_t a = static_cast<int64_t>((static_cast<Wide>(shown_from - start) * count) / size);
    const int64_t b = static_cast<int64_t>((static_cast<Wide>(shown_to - start) * count + size - 1) / size);
    *first = static_cast<int>(a);
    *last = static_cast<int>(b);
    const auto edge = [&](int64_t pixel) {
      const int64_t at = start + static_cast<int64_t>((static_cast<Wide>(pixel) * size + count - 1) / count);
      return static_cast<int>(std::clamp<int64_t>(at, -REACH, REACH));
    };
    *from = edge(a);
    *to = edge(b);
  };
  span(left, width, pixels->width, view.width, &source->left, &source->right, &dest->left, &dest->right);
  span(top, height, pixels->height, view.height, &source->top, &source->bottom, &dest->top, &dest->bottom);
  return source->right > source->left && source->bottom > source->top;
}

// ---- Saving and information --------------------------------------------------------------------

int save_image_file(int ask) {
  ImageRecord& record = g_image_record;
  if (record.image.image == nullptr) return -1;
  std::string target = record.path;
  if (ask == 1) {
    const std::string name = name_of(target);
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? ".TIF" : name.substr(dot);
    target = job_choose_save_file(target, extension.c_str());
    if (target.empty()) return -1;
  }
  const int loader = target.empty() ? -1 : image_loader_of(target);
  ImageDescriptor& image = record.image;
  // The file states the resolution in use, whole, so that it opens again at the same one.
  const double pixels_per_inch = std::floor(record.pixels_per_inch + 0.5);
  image.image->x_pixels_per_metre = image.image->y_pixels_per_metre = whole_pixels_per_metre(pixels_per_inch);
  int result = IMAGE_ERROR_UNSUPPORTED;
  g_image_library.error.clear();
  if (loader == IMAGE_LOADER_TIF) {
    image_set_tif_resolution(pixels_per_inch, pixels_per_inch, 2);
    result = image_save_tif(target.c_str(), image);
  } else if (loader == IMAGE_LOADER_PCX) {
    ImageDescriptor reduced;
    image_copy_descriptor(image, &reduced);
    if (image.image->bits > 8) {
      reduced = ImageDescriptor{};
      result = image_alloc(&reduced, image.image->width, image.image->height, 8);
      if (result == IMAGE_OK) result = image_reduce_colours(256, image, &reduced, 2);
      if (result == IMAGE_OK) {
        reduced.image->x_pixels_per_metre = image.image->x_pixels_per_metre;
        reduced.image->y_pixels_per_metre = image.image->y_pixels_per_metre;
      }
    } else {
      result = IMAGE_OK;
    }
    if (result == IMAGE_OK) result = image_save_pcx(target.c_str(), reduced);
  } else if (loader == IMAGE_LOADER_BMP) {
    result = image_save_bmp(target.c_str(), image);
  } else {
    g_image_library.error = name_of(target) + ": images are saved as TIF, PCX or BMP only";
  }
  if (result == IMAGE_OK) return 0;
  const std::string text = std::string(IMAGE_NOT_SAVED_TEXT) + "\n" + g_image_library.error;
  job_show_message(text.c_str());
  return -1;
}

std::string image_info_text() {
  const ImageRecord& record = g_image_record;
  const std::string path = record.path;
  std::string folder = folder_of(path);
  if (folder.size() > 60) folder.resize(60);
  std::string text = "File name: \v" + name_of(path).substr(0, 60) + "\x13\nDirectory: \v" + folder + "\x13\n";
  if (record.status == IMAGE_FILE_NOT_FOUND) return text + "Image file not found";
  if (record.status < 1 || record.image.image == nullptr) return text + "Cannot show that image.";
  const ImagePixels& pixels = *record.image.image;
  std::string per_inch = format_float_text(record.pixels_per_inch, FLOAT_FOUR_DECIMALS);
  trim_float_zeros(per_inch);
  text += "Pixels per inch: \v" + per_inch + "\x13";
  if (record.user_pixels_per_inch > 0.0f) text += "  \x0e(You specified this)\x13";
  char line[160];
  std::snprintf(line, sizeof line, "\nWidth by Height: \v%d by %d pixels\x13\n               : \v%.2f by %.2f inches\x13",
                pixels.width, pixels.height, pixels.width / static_cast<double>(record.pixels_per_inch),
                pixels.height / static_cast<double>(record.pixels_per_inch));
  text += line;
  if (record.hidden) text += "\n\nYou set image to be hidden";
  return text;
}

void show_image_info() { job_show_message(image_info_text().c_str()); }

void reset_background_image() {
  g_background_image = BackgroundImageState{};
  g_image_record = ImageRecord{};
}
