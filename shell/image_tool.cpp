// brenvik-image [--ppi N] [STEP...] IN [OUT]: loads IN as the Drawing page loads a background
// image (--ppi N answers the question a file without a resolution raises; without it the answer
// is Esc, 100 pixels per inch), runs the steps in order, saves OUT as the Image menu saves, and
// prints "WIDTH HEIGHT BITS PPI". A test tool: a failure exits non-zero with the message shown.
//   --grey  --one-bit  --24bit  --256  --quarter D  --rotate DEG  --op N  --faint F
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "job/background_image.h"
#include "job/job_host.h"
#include "platform/image_library.h"
#include "store/catalogue.h"

namespace {

struct ToolRun {
  double pixels_per_inch = 0.0;  // the answer to the resolution question; 0 = Esc
  std::string out;               // the file to save; "" = none
};
ToolRun g_run;

constexpr char USAGE[] =
    "usage: brenvik-image [--ppi N] [STEP...] IN [OUT]\n"
    "steps: --grey --one-bit --24bit --256 --quarter D --rotate DEG --op N --faint F\n";

// Messages carry the screen's colour codes; a terminal shows the plain text.
void print_message(const char* text) {
  std::string plain;
  for (const char* c = text; *c != '\0'; ++c)
    if (static_cast<unsigned char>(*c) >= 32 || *c == '\n') plain += *c;
  std::fprintf(stderr, "%s\n", plain.c_str());
}

bool answer_resolution(const char*, double, double* answer) {
  if (!(g_run.pixels_per_inch > 0.0)) return false;
  *answer = g_run.pixels_per_inch;
  return true;
}

std::string save_target(const std::string&, const char*) { return g_run.out; }

struct Step {
  std::string name;
  double value = 0.0;
};

bool takes_value(const std::string& name) {
  return name == "--quarter" || name == "--rotate" || name == "--op" || name == "--faint" || name == "--ppi";
}

bool known_step(const std::string& name) {
  return name == "--grey" || name == "--one-bit" || name == "--24bit" || name == "--256" || takes_value(name);
}

// Runs one step on the shown image; false when it failed.
bool run_step(const Step& step) {
  ImageDescriptor* image = &g_image_record.image;
  const int n = static_cast<int>(step.value);
  if (step.name == "--grey") return convert_image_depth(1, image) == 0;
  if (step.name == "--one-bit") return convert_image_depth(0, image) == 0;
  if (step.name == "--24bit") return expand_image_to_24bit(image) == 0;
  if (step.name == "--256") return reduce_image_colours(image) == 0;
  if (step.name == "--quarter") return rotate_image_quarter(n, image) == 0;
  if (step.name == "--rotate") return rotate_image_by_angle(step.value, image) == 0;
  if (step.name == "--op") return image_in_place(n, image) == IMAGE_OK;
  ImageDescriptor copy;
  if (prepare_image_faintness(image, &copy) != 0) return false;
  return fade_image_rows(copy, image, n, 0, image->image->height) == image->image->height;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Step> steps;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.rfind("--", 0) != 0) {
      files.push_back(word);
      continue;
    }
    if (!known_step(word) || (takes_value(word) && i + 1 >= argc)) {
      std::fprintf(stderr, "brenvik-image: unknown or incomplete step %s\n%s", word.c_str(), USAGE);
      return 2;
    }
    Step step{word, takes_value(word) ? std::atof(argv[++i]) : 0.0};
    if (word == "--ppi") g_run.pixels_per_inch = step.value;
    else steps.push_back(step);
  }
  if (files.empty() || files.size() > 2) {
    std::fprintf(stderr, "%s", USAGE);
    return 2;
  }
  if (files.size() == 2) g_run.out = files[1];
  open_catalogue();
  reset_job_host();
  g_job_host.show_message = print_message;
  g_job_host.ask_number = answer_resolution;
  g_job_host.choose_save_file = save_target;
  const std::string& in = files[0];
  if (in.size() >= IMAGE_PATH_SIZE) {
    std::fprintf(stderr, "brenvik-image: %s: the path is longer than %zu bytes\n", in.c_str(), IMAGE_PATH_SIZE - 1);
    return 1;
  }
  std::snprintf(g_image_record.path, IMAGE_PATH_SIZE, "%s", in.c_str());
  if (load_background_image() != 0) return 1;
  for (const Step& step : steps) {
    if (!run_step(step)) {
      std::fprintf(stderr, "brenvik-image: %s %g failed: %s\n", step.name.c_str(), step.value,
                   g_image_library.error.c_str());
      return 1;
    }
  }
  if (!g_run.out.empty() && save_image_file(1) != 0) return 1;
  const ImagePixels& pixels = *g_image_record.image.image;
  std::printf("%d %d %d %g\n", pixels.width, pixels.height, pixels.bits, g_image_record.pixels_per_inch);
  return 0;
}
