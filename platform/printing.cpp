#include "platform/printing.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <cups/cups.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "platform/cp1252.h"
#include "platform/files.h"

namespace {

// Published sizes, truncated to whole millimetres as the text printer's table does.
constexpr PrintPaper PAPERS[] = {
    {"A4", "iso_a4_210x297mm", 210, 297},
    {"Letter", "na_letter_8.5x11in", 215, 279},
    {"Legal", "na_legal_8.5x14in", 215, 355},
    {"A3", "iso_a3_297x420mm", 297, 420},
    {"A5", "iso_a5_148x210mm", 148, 210},
    {"B4", "jis_b4_257x364mm", 257, 364},
    {"B5", "jis_b5_182x257mm", 182, 257},
    {"Executive", "na_executive_7.25x10.5in", 184, 266},
    {"Tabloid", "na_ledger_11x17in", 279, 431},
};

constexpr double MM_PER_INCH = 25.4;
constexpr double POINTS_PER_INCH = 72.0;
constexpr size_t SUBMIT_CHUNK = 65536;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

int mm_to_pixels(double mm, int dpi) { return static_cast<int>(std::lround(mm / MM_PER_INCH * dpi)); }

// A queue and what CUPS tells of it; frees both when it goes.
struct QueueInfo {
  cups_dest_t* dest = nullptr;
  cups_dinfo_t* info = nullptr;
  QueueInfo() = default;
  QueueInfo(const QueueInfo&) = delete;
  QueueInfo& operator=(const QueueInfo&) = delete;
  ~QueueInfo() {
    if (info) cupsFreeDestInfo(info);
    if (dest) cupsFreeDests(1, dest);
  }
};

bool open_queue(const std::string& name, QueueInfo* queue, std::string* error) {
  queue->dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
  if (!queue->dest) {
    *error = "no print queue \"" + name + "\": " + cupsLastErrorString();
    return false;
  }
  queue->info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, queue->dest);
  if (!queue->info) {
    *error = "print queue \"" + name + "\" does not answer: " + cupsLastErrorString();
    return false;
  }
  return true;
}

// The queue's default resolution in dots per inch, or 0 when it names none.
int queue_resolution(const QueueInfo& queue) {
  ipp_attribute_t* attribute =
      cupsFindDestDefault(CUPS_HTTP_DEFAULT, queue.dest, queue.info, "printer-resolution");
  if (!attribute) return 0;
  int y = 0;
  ipp_res_t units = IPP_RES_PER_INCH;
  int x = ippGetResolution(attribute, 0, &y, &units);
  if (units == IPP_RES_PER_CM) x = static_cast<int>(std::lround(x * 2.54));
  return x > 0 ? x : 0;
}

// The text face: the monospace face fontconfig finds for the name; one per name for the run.
struct TextFace {
  cairo_font_face_t* face = nullptr;
  double advance_per_em = 0.6;  // width of a cell's glyph
  double height_per_em = 1.2;   // ascent + descent
  double ascent_per_em = 0.9;
};

cairo_font_face_t* monospace_face_for(const std::string& name) {
  FcPattern* pattern = FcPatternCreate();
  if (!name.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  }
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
  FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return cairo_toy_font_face_create("monospace", CAIRO_FONT_SLANT_NORMAL,
                                                CAIRO_FONT_WEIGHT_NORMAL);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  return face;
}

TextFace* text_face(const std::string& name) {
  static std::map<std::string, TextFace> faces;
  auto found = faces.find(name);
  if (found != faces.end()) return &found->second;
  TextFace face;
  face.face = monospace_face_for(name);
  // Measure at a large em so rounding does not matter.
  constexpr double EM = 1000.0;
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  cairo_set_font_face(cr, face.face);
  cairo_set_font_size(cr, EM);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_text_extents_t te;
  cairo_text_extents(cr, "M", &te);
  if (te.x_advance > 0) face.advance_per_em = te.x_advance / EM;
  if (fe.ascent + fe.descent > 0) {
    face.height_per_em = (fe.ascent + fe.descent) / EM;
    face.ascent_per_em = fe.ascent / EM;
  }
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  return &faces.emplace(name, face).first->second;
}

}  // namespace

struct PrintJob {
  PrintSetup setup;
  PrintDeviceCaps caps;
  std::string title;
  std::string pdf_path;  // what cairo writes: NAME.tmp, or a file in the temp folder
  SaveFile file;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  bool page_open = false;
  int origin_x = 0;
  int origin_y = 0;
  int clip_width = 0;
  int clip_height = 0;
};

namespace {

cairo_status_t write_pdf_bytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* job = static_cast<PrintJob*>(closure);
  return save_write(&job->file, data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void apply_place(PrintJob* job) {
  cairo_t* cr = job->cr;
  cairo_identity_matrix(cr);
  cairo_reset_clip(cr);
  cairo_scale(cr, POINTS_PER_INCH / job->caps.dpi_x, POINTS_PER_INCH / job->caps.dpi_y);
  cairo_translate(cr, job->origin_x, job->origin_y);
  if (job->clip_width > 0 && job->clip_height > 0) {
    cairo_rectangle(cr, 0, 0, job->clip_width, job->clip_height);
    cairo_clip(cr);
  }
}

// Closes cairo's side of the document; false when cairo or the file failed.
bool finish_pdf(PrintJob* job, std::string* error) {
  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  if (job->cr) {
    status = cairo_status(job->cr);
    cairo_destroy(job->cr);
    job->cr = nullptr;
  }
  if (job->surface) {
    cairo_surface_finish(job->surface);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(job->surface);
    cairo_surface_destroy(job->surface);
    job->surface = nullptr;
  }
  bool ok = status == CAIRO_STATUS_SUCCESS && !job->file.failed;
  if (job->file.stream) {
    if (ok && (fflush(job->file.stream) != 0 || fsync(fileno(job->file.stream)) != 0)) {
      job->file.error_number = errno;
      ok = false;
    }
    if (fclose(job->file.stream) != 0 && ok) {
      job->file.error_number = errno;
      ok = false;
    }
    job->file.stream = nullptr;
  }
  if (!ok && error) {
    if (job->file.failed || job->file.error_number != 0) {
      *error = "cannot write " + job->pdf_path + ": " +
               std::strerror(job->file.error_number ? job->file.error_number : EIO);
    } else {
      *error = std::string("cannot make the PDF: ") + cairo_status_to_string(status);
    }
  }
  return ok;
}

bool submit_to_queue(PrintJob* job, std::string* error) {
  QueueInfo queue;
  if (!open_queue(job->setup.destination, &queue, error)) return false;
  FILE* pdf = fopen(job->pdf_path.c_str(), "rb");
  if (!pdf) {
    *error = "cannot read " + job->pdf_path + ": " + std::strerror(errno);
    return false;
  }
  int job_id = 0;
  if (cupsCreateDestJob(CUPS_HTTP_DEFAULT, queue.dest, queue.info, &job_id, job->title.c_str(), 0,
                        nullptr) > IPP_STATUS_OK_CONFLICTING ||
      job_id <= 0) {
    *error = std::string("the queue refused the job: ") + cupsLastErrorString();
    fclose(pdf);
    return false;
  }
  bool ok = cupsStartDestDocument(CUPS_HTTP_DEFAULT, queue.dest, queue.info, job_id,
                                  job->title.c_str(), CUPS_FORMAT_PDF, 0, nullptr,
                                  1) == HTTP_STATUS_CONTINUE;
  std::vector<char> chunk(SUBMIT_CHUNK);
  while (ok) {
    const size_t got = fread(chunk.data(), 1, chunk.size(), pdf);
    if (got == 0) break;
    ok = cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.data(), got) == HTTP_STATUS_CONTINUE;
  }
  if (ferror(pdf)) ok = false;
  fclose(pdf);
  const ipp_status_t finished = cupsFinishDestDocument(CUPS_HTTP_DEFAULT, queue.dest, queue.info);
  if (!ok || finished > IPP_STATUS_OK_CONFLICTING) {
    *error = std::string("the queue did not take the document: ") + cupsLastErrorString();
    cupsCancelDestJob(CUPS_HTTP_DEFAULT, queue.dest, job_id);
    return false;
  }
  return true;
}

}  // namespace

std::vector<PrintDestination> print_destinations() {
  std::vector<PrintDestination> list;
  list.push_back({PRINT_DESTINATION_FILE, true, false});
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < count; ++i) {
    if (dests[i].instance) continue;
    list.push_back({dests[i].name, false, dests[i].is_default != 0});
  }
  cupsFreeDests(count, dests);
  return list;
}

std::string print_default_destination() {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
  if (!dest) return PRINT_DESTINATION_FILE;
  std::string name = dest->name;
  cupsFreeDests(1, dest);
  return name;
}

std::span<const PrintPaper> print_papers() { return PAPERS; }

const PrintPaper* find_print_paper(std::string_view name) {
  for (const PrintPaper& paper : PAPERS) {
    if (same_ignoring_case(paper.name, name)) return &paper;
  }
  return nullptr;
}

bool print_measure(const PrintSetup& setup, PrintDeviceCaps* caps, std::string* error) {
  const PrintPaper* paper = find_print_paper(setup.paper);
  if (!paper) {
    *error = "unknown paper \"" + setup.paper + "\"";
    return false;
  }
  *caps = PrintDeviceCaps{};
  double width_mm = paper->width_mm;
  double height_mm = paper->height_mm;
  double left_mm = 0, top_mm = 0, right_mm = 0, bottom_mm = 0;
  if (setup.destination != PRINT_DESTINATION_FILE) {
    QueueInfo queue;
    if (!open_queue(setup.destination, &queue, error)) return false;
    cups_size_t size;
    if (cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, queue.dest, queue.info, paper->media_name,
                               CUPS_MEDIA_FLAGS_DEFAULT, &size) ||
        cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, queue.dest, queue.info,
                                CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
      // Hundredths of a millimetre; a raw queue may know no media and keeps the set-up's paper.
      if (size.width > 0 && size.length > 0) {
        width_mm = size.width / 100.0;
        height_mm = size.length / 100.0;
        left_mm = size.left / 100.0;
        right_mm = size.right / 100.0;
        top_mm = size.top / 100.0;
        bottom_mm = size.bottom / 100.0;
      }
    }
    const int dpi = queue_resolution(queue);
    if (dpi > 0) caps->dpi_x = caps->dpi_y = dpi;
    caps->device_name = setup.destination;
  } else {
    caps->device_name = PRINT_DESTINATION_FILE;
  }
  if (setup.landscape) {
    std::swap(width_mm, height_mm);
    // Turned a quarter anticlockwise: the left margin goes to the bottom.
    const double left = left_mm;
    left_mm = top_mm;
    top_mm = right_mm;
    right_mm = bottom_mm;
    bottom_mm = left;
  }
  caps->paper_width = mm_to_pixels(width_mm, caps->dpi_x);
  caps->paper_height = mm_to_pixels(height_mm, caps->dpi_y);
  caps->offset_x = mm_to_pixels(left_mm, caps->dpi_x);
  caps->offset_y = mm_to_pixels(top_mm, caps->dpi_y);
  caps->printable_width =
      std::max(1, caps->paper_width - caps->offset_x - mm_to_pixels(right_mm, caps->dpi_x));
  caps->printable_height =
      std::max(1, caps->paper_height - caps->offset_y - mm_to_pixels(bottom_mm, caps->dpi_y));
  return true;
}

std::string print_temp_path(const std::string& file_path) { return file_path + ".tmp"; }

PrintJob* print_begin(const PrintSetup& setup, const PrintDeviceCaps& caps,
                      const std::string& title, std::string* error) {
  auto job = std::make_unique<PrintJob>();
  job->setup = setup;
  job->caps = caps;
  job->title = title;
  if (setup.destination == PRINT_DESTINATION_FILE) {
    if (setup.file_path.empty()) {
      *error = "no file name for the PDF";
      return nullptr;
    }
    job->pdf_path = print_temp_path(setup.file_path);
    job->file.stream = fopen(job->pdf_path.c_str(), "wb");
  } else {
    std::string pattern = path_join(temp_folder(), "brenvik-print-XXXXXX");
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
      job->pdf_path = pattern;
      job->file.stream = fdopen(fd, "wb");
      if (!job->file.stream) close(fd);
    } else {
      job->pdf_path = pattern;
    }
  }
  if (!job->file.stream) {
    *error = "cannot create " + job->pdf_path + ": " + std::strerror(errno);
    if (!job->pdf_path.empty()) file_delete(job->pdf_path);
    return nullptr;
  }
  const double width_pt = caps.paper_width * POINTS_PER_INCH / caps.dpi_x;
  const double height_pt = caps.paper_height * POINTS_PER_INCH / caps.dpi_y;
  job->surface = cairo_pdf_surface_create_for_stream(write_pdf_bytes, job.get(), width_pt, height_pt);
  cairo_pdf_surface_set_metadata(job->surface, CAIRO_PDF_METADATA_TITLE,
                                 cp1252_to_utf8(title).c_str());
  cairo_pdf_surface_set_metadata(job->surface, CAIRO_PDF_METADATA_CREATOR, "Brenvik");
  job->cr = cairo_create(job->surface);
  if (cairo_status(job->cr) != CAIRO_STATUS_SUCCESS) {
    finish_pdf(job.get(), error);
    file_delete(job->pdf_path);
    return nullptr;
  }
  return job.release();
}

bool print_begin_page(PrintJob* job) {
  if (!job || job->page_open) return false;
  job->page_open = true;
  job->origin_x = job->origin_y = 0;
  job->clip_width = job->clip_height = 0;
  apply_place(job);
  return cairo_status(job->cr) == CAIRO_STATUS_SUCCESS && !job->file.failed;
}

bool print_end_page(PrintJob* job) {
  if (!job || !job->page_open) return false;
  job->page_open = false;
  cairo_show_page(job->cr);
  return cairo_status(job->cr) == CAIRO_STATUS_SUCCESS && !job->file.failed;
}

void print_set_origin(PrintJob* job, int x, int y) {
  if (!job) return;
  job->origin_x = x;
  job->origin_y = y;
  apply_place(job);
}

void print_set_clip(PrintJob* job, int width, int height) {
  if (!job) return;
  job->clip_width = width;
  job->clip_height = height;
  apply_place(job);
}

bool print_draw_image(PrintJob* job, int x, int y, const PrintImage& image) {
  if (!job || image.width < 1 || image.height < 1) return false;
  const int bpp = image.bits_per_pixel;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return false;
  const size_t row_bytes = ((static_cast<size_t>(image.width) * bpp + 31) / 32) * 4;
  if (image.bits.size() < row_bytes * static_cast<size_t>(image.height)) return false;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return false;
  }
  cairo_surface_flush(surface);
  uint8_t* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  auto colour_of = [&](unsigned index) -> uint32_t {
    return index < image.palette.size() ? image.palette[index] & 0xFFFFFFu : 0u;
  };
  for (int r = 0; r < image.height; ++r) {
    const uint8_t* row = image.bits.data() + row_bytes * r;
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(stride) * r);
    for (int c = 0; c < image.width; ++c) {
      uint32_t colour = 0;
      switch (bpp) {
        case 1: colour = colour_of((row[c >> 3] >> (7 - (c & 7))) & 1u); break;
        case 4: colour = colour_of((c & 1) ? row[c >> 1] & 0xFu : row[c >> 1] >> 4); break;
        case 8: colour = colour_of(row[c]); break;
        default: {
          const uint8_t* p = row + 3 * c;
          colour = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
        }
      }
      out[c] = colour;
    }
  }
  cairo_surface_mark_dirty(surface);
  cairo_save(job->cr);
  cairo_set_source_surface(job->cr, surface, x, y);
  cairo_pattern_set_filter(cairo_get_source(job->cr), CAIRO_FILTER_NEAREST);
  // Painted, not filled through a rectangle: the rectangle's corners are rounded to cairo's
  // fixed point, and a clip that falls a hair inside the picture's edge loses its first row in
  // readers that clip strictly.
  cairo_paint(job->cr);
  cairo_restore(job->cr);
  cairo_surface_destroy(surface);
  return true;
}

void print_draw_text_cells(PrintJob* job, int x, int y, std::string_view text, int cell_width,
                           int cell_height, const std::string& face_name) {
  if (!job || text.empty() || cell_width < 1 || cell_height < 1) return;
  const TextFace* face = text_face(face_name);
  const double size = std::min(cell_width / face->advance_per_em, cell_height / face->height_per_em);
  cairo_t* cr = job->cr;
  cairo_save(cr);
  cairo_set_font_face(cr, face->face);
  cairo_set_font_size(cr, size);
  cairo_set_source_rgb(cr, 0, 0, 0);
  const double baseline =
      y + (cell_height - face->height_per_em * size) / 2 + face->ascent_per_em * size;
  // Each character in its own cell, whatever the face's own advance.
  std::string utf8;
  std::vector<cairo_text_cluster_t> clusters;
  std::vector<cairo_glyph_t> glyphs;
  cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr);
  for (size_t i = 0; i < text.size(); ++i) {
    const std::string one = cp1252_to_utf8(std::string(1, text[i]));
    cairo_glyph_t* got = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(scaled, 0, 0, one.data(), static_cast<int>(one.size()),
                                         &got, &count, nullptr, nullptr, nullptr) !=
        CAIRO_STATUS_SUCCESS) {
      continue;
    }
    const double cell_x = x + static_cast<double>(i) * cell_width;
    for (int g = 0; g < count; ++g) glyphs.push_back({got[g].index, cell_x + got[g].x, baseline});
    cairo_glyph_free(got);
    utf8 += one;
    clusters.push_back({static_cast<int>(one.size()), count});
  }
  if (!glyphs.empty()) {
    cairo_show_text_glyphs(cr, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(),
                           static_cast<int>(glyphs.size()), clusters.data(),
                           static_cast<int>(clusters.size()), cairo_text_cluster_flags_t{});
  }
  cairo_restore(cr);
}

bool print_end(PrintJob* job, std::string* error) {
  if (!job) return false;
  std::unique_ptr<PrintJob> owned(job);
  if (job->page_open) print_end_page(job);
  std::string reason;
  bool ok = finish_pdf(job, &reason);
  if (ok && job->setup.destination == PRINT_DESTINATION_FILE) {
    if (!file_rename(job->pdf_path, job->setup.file_path)) {
      reason = "cannot rename " + job->pdf_path + " to " + job->setup.file_path + ": " +
               std::strerror(errno);
      ok = false;
    }
  } else if (ok) {
    ok = submit_to_queue(job, &reason);
  }
  if (!ok || job->setup.destination != PRINT_DESTINATION_FILE) file_delete(job->pdf_path);
  if (!ok && error) *error = reason;
  return ok;
}

void print_abort(PrintJob* job) {
  if (!job) return;
  std::unique_ptr<PrintJob> owned(job);
  finish_pdf(job, nullptr);
  file_delete(job->pdf_path);
}
