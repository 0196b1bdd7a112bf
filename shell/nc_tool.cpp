// brenvik-nc JOB.job OUT.nc: makes the NC program of a saved job with the job's own post
// processor, as the NC program page does, and writes it (G & M codes or engraver commands, on
// any work surface). brenvik-nc --dxf JOB.job OUT.dxf: exports the job's tool path as DXF, as
// the File menu's export does after its form, with the job's own output options and tolerance.
// brenvik-nc --proof JOB.job PROGRAM OUT.v3d: back-plots an NC program as the NC program page
// does with the job open (its units, its post processor's output kind and arc-centre mode, its
// work surface) and writes the proof records to OUT.v3d; nothing is written when nothing moved.
// Items that were not machined are printed; the exit status is non-zero when no complete
// program or file could be made.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cam/dxf_export.h"
#include "cam/make_nc.h"
#include "job/job_file.h"
#include "nc/cam_host.h"
#include "nc/code_section_expand.h"
#include "nc/back_plot.h"
#include "nc/dxf_path.h"
#include "nc/proof_file.h"
#include "nc/post_processor.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/text_helpers.h"
#include "text/stroke_fonts.h"
#include "text/text_host.h"

namespace {

// Messages carry the screen's colour codes; a terminal shows the plain text.
void print_message(const char* text) { std::fprintf(stderr, "%s\n", terminal_text(text).c_str()); }

std::string catalogue_text(int number) {
  std::string text;
  if (find_message(number) == 0) return "message " + std::to_string(number);
  clear_message_text();
  while (read_message_line(1) > 0) {
  }
  return message_text();
}

void print_catalogue_message(int number) { print_message(catalogue_text(number).c_str()); }

// Nobody is there to answer: every question is answered with Esc.
int refuse_choice(int number) {
  const std::string text = catalogue_text(number);
  const size_t first_line_end = text.find('\n');
  print_message(first_line_end == std::string::npos ? text.c_str()
                                                    : text.substr(first_line_end + 1).c_str());
  return -1;
}

void install_terminal_host() {
  reset_cam_host();
  g_cam_host.show_message = print_message;
  g_cam_host.show_catalogue_message = print_catalogue_message;
  g_cam_host.ask_catalogue_choice = refuse_choice;
  reset_text_host();
  g_text_host.show_message = print_message;
}

bool write_program(const std::string& path) {
  std::string error;
  const SaveResult saved = save_file_safely(
      path, "",
      [](SaveFile* file) {
        for (const TextLine* line = g_lists.slots[LIST_SLOT_NC_PROGRAM].first; line != nullptr;
             line = line->next)
          if (!save_write_text(file, line->text)) return false;
        return true;
      },
      &error);
  if (saved == SAVE_OK) return true;
  std::fprintf(stderr, "brenvik-nc: %s was not written: %s\n", path.c_str(), error.c_str());
  return false;
}

// The program's lines into the current list, numbered from 1 as the editor numbers them.
bool read_program_lines(const std::string& path, LineList* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "brenvik-nc: %s can not be read\n", path.c_str());
    return false;
  }
  push_list();
  g_lists.current = LineList{};
  std::string text;
  int32_t row = 0;
  bool ok = true;
  while (ok && std::getline(in, text)) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    TextLine* line = append_line(text.c_str());
    if (line == nullptr) {
      std::fprintf(stderr, "brenvik-nc: line %d of %s is too long\n", row + 1, path.c_str());
      ok = false;
      break;
    }
    set_line_key(line, ++row);
  }
  *out = g_lists.current;
  pop_list();
  return ok;
}

int run_proof(const std::string& program_path, const std::string& out_path) {
  LineList program;
  std::filesystem::remove(out_path);
  if (!read_program_lines(program_path, &program)) {
    free_list(program.first);
    return 1;
  }
  const PostProcessorDef* def = post_processor_def(g_job_settings.post_processor);
  const uint32_t options =
      def != nullptr && def->arc_centre_mode == PP_ARC_CENTRES_ABSOLUTE ? PROOF_ABSOLUTE_ARC_CENTRES : 0;
  const int result = nc_to_proof_file(program.first, options);
  free_list(program.first);
  if (result == 0) {
    std::fprintf(stderr, "brenvik-nc: nothing in %s moves the tool: no proof written\n",
                 program_path.c_str());
    return 1;
  }
  if (result < 0) return 1;
  std::error_code error;
  std::filesystem::copy_file(proof_file_path(), out_path,
                             std::filesystem::copy_options::overwrite_existing, error);
  proof_delete_file();
  if (error) {
    std::filesystem::remove(out_path);
    std::fprintf(stderr, "brenvik-nc: %s was not written: %s\n", out_path.c_str(),
                 error.message().c_str());
    return 1;
  }
  std::printf("proof of %s written into %s\n", program_path.c_str(), out_path.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool dxf = argc == 4 && std::string(argv[1]) == "--dxf";
  const bool proof = argc == 5 && std::string(argv[1]) == "--proof";
  if (argc != 3 && !dxf && !proof) {
    std::fprintf(stderr, "usage: brenvik-nc JOB.job OUT.nc\n       brenvik-nc --dxf JOB.job OUT.dxf\n"
                         "       brenvik-nc --proof JOB.job PROGRAM OUT.v3d\n");
    return 2;
  }
  const std::string job_path = argv[dxf || proof ? 2 : 1];
  const std::string out_path = argv[proof ? 4 : dxf ? 3 : 2];
  install_terminal_host();
  // The stroke fonts of the program folder, compiled when their sources are newer; a font that
  // cannot be used is named here, before any text is drawn in font 0 instead.
  register_folder_fonts(program_folder());
  report_font_problems();
  if (read_job_file(job_path, nullptr) != 0) {
    std::fprintf(stderr, "brenvik-nc: %s is not a job file that can be read (error %d at byte %zu)\n",
                 job_path.c_str(), g_job_file.last_read_error, g_job_file.last_read_offset);
    return 1;
  }
  const bool metric = g_job_settings.units == JOB_UNITS_MILLIMETRE;
  g_catalogue.file_name = metric ? CATALOGUE_METRIC_FILE_NAME : CATALOGUE_FILE_NAME;
  open_catalogue();
  read_post_processors(program_folder(), metric);
  g_job_settings.post_processor = find_post_processor(g_job_settings.post_processor_number);
  g_job_file.full_path = job_path;
  g_code_section.title = nc_program_title(job_path);
  if (proof) return run_proof(argv[3], out_path);
  if (dxf) {
    const bool written = run_dxf_export(out_path);
    for (const std::string& line : g_make_nc.left_out)
      std::printf("not machined: %s\n", line.c_str());
    if (!written) {
      std::fprintf(stderr, "brenvik-nc: no DXF file made: %s\n", g_dxf_export.failure.c_str());
      return 1;
    }
    std::printf("%d entities of %d items written into %s\n", g_dxf_export.entities,
                g_make_nc.items_encoded, out_path.c_str());
    return 0;
  }
  const int result = make_nc_program();
  for (const std::string& line : g_make_nc.left_out)
    std::printf("not machined: %s\n", line.c_str());
  if (result != 1) {
    std::fprintf(stderr, "brenvik-nc: no NC program made: %s\n",
                 g_make_nc.failure.empty() ? "the run failed" : g_make_nc.failure.c_str());
    return 1;
  }
  if (!write_program(out_path)) return 1;
  std::printf("%d items machined into %s\n", g_make_nc.items_encoded, out_path.c_str());
  return 0;
}
