// brenvik-import [--cut-type N] [--join] [--inch] [--type T] DRAWING OUT.job: imports a
// drawing into a new job (millimetres unless --inch) with the factory machining defaults, as
// the File menu's import does, and saves the job. The exit status is non-zero, with the
// reason on standard error, when nothing was imported or the job could not be saved.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "geometry/layers.h"
#include "import/import_drawing.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "records/job_settings.h"
#include "platform/files.h"
#include "store/text_helpers.h"

namespace {

// Messages carry the screen's colour codes; a terminal shows the plain text.
void print_message(const char* text) { std::fprintf(stderr, "%s\n", terminal_text(text).c_str()); }

std::string lower_extension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// The import form's file type for the extension: plotter for ".prn", NC for the NC program
// extensions, else 0 (decided by the extension again: ".plt", ".dc2", ".txt" or DXF).
int type_of_extension(const std::string& path) {
  const std::string ext = lower_extension(path);
  if (ext == "prn") return IMPORT_TYPE_PLOTTER;
  if (ext.rfind("nc", 0) == 0 || ext == "ngc" || ext == "tap" || ext == "cnc" || ext == "cam" ||
      ext == "eia" || ext == "dnc")
    return IMPORT_TYPE_NC;
  return IMPORT_TYPE_DXF;
}

int usage() {
  std::fprintf(stderr,
               "usage: brenvik-import [--cut-type N] [--join] [--inch] [--type T] DRAWING OUT.job\n");
  return 2;
}

struct Arguments {
  ImportOptions options;
  bool inch = false;
  int type = -1;
  std::string drawing, job;
};

bool parse_number(const char* text, int low, int high, int* out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

bool parse_arguments(int argc, char** argv, Arguments* a) {
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string flag = argv[i];
    int value = 0;
    if (flag == "--join") {
      a->options.join = 1;
    } else if (flag == "--inch") {
      a->inch = true;
    } else if (flag == "--cut-type" && i + 1 < argc && parse_number(argv[i + 1], 0, 6, &value)) {
      a->options.cut_type = static_cast<uint8_t>(value);
      ++i;
    } else if (flag == "--type" && i + 1 < argc && parse_number(argv[i + 1], 0, 3, &value)) {
      a->type = value;
      ++i;
    } else {
      return false;
    }
  }
  if (argc - i != 2) return false;
  a->drawing = argv[i];
  a->job = argv[i + 1];
  return true;
}

void new_job(bool metric) {
  set_factory_job_settings(&g_job_settings, metric);
  reset_layers();
  for (int slot = 0; slot < CAM_SLOT_COUNT; ++slot) init_cam_defaults(slot, metric);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments a;
  if (!parse_arguments(argc, argv, &a)) return usage();
  reset_job_host();
  g_job_host.show_message = print_message;
  new_job(!a.inch);
  a.options.file_type = static_cast<uint8_t>(a.type >= 0 ? a.type : type_of_extension(a.drawing));
  a.options.join_tolerance = a.inch ? 0.0002f : 0.005f;
  char scratch[] = "/tmp/brenvik-import-XXXXXX";
  if (mkdtemp(scratch) == nullptr) {
    std::fprintf(stderr, "brenvik-import: no folder for the temporary files\n");
    return 1;
  }
  g_import.work_folder = scratch;
  const int imported = import_drawing(IMPORT_MODE_FORM, &a.options, a.drawing);
  std::remove((std::string(scratch) + "/" + TEMP_ITEM_FILE_NAME).c_str());
  std::remove(scratch);
  if (imported != 1) {
    std::fprintf(stderr, "brenvik-import: nothing was imported from %s\n", a.drawing.c_str());
    return 1;
  }
  g_job_file.full_path = a.job;
  if (write_job_to_path(a.job) != 0) {
    std::fprintf(stderr, "brenvik-import: %s was not written\n", a.job.c_str());
    return 1;
  }
  int items = 0;
  for (const TextLine* item = g_lists.current.first; item != nullptr; item = item->next) ++items;
  std::printf("%d items imported into %s\n", items, a.job.c_str());
  return 0;
}
