#include "print/drawing_print.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <filesystem>

#include "editor/draw_style.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/print_view.h"
#include "editor/view_state.h"
#include "geometry/layers.h"
#include "platform/cp1252.h"
#include "print/abort_dialog.h"
#include "print/page_geometry.h"
#include "print/text_print.h"
#include "print/window_image.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/record_bytes.h"

PrintOptions g_print_options;

namespace {

namespace fs = std::filesystem;

constexpr double MARGIN_INCH_JOB = 0.25;  // header and ruler room, job units
constexpr double MARGIN_MM_JOB = 6;
// The header's em, and the width of its average character in ems.
constexpr double HEADER_EM_INCHES = 10.0 / 72.0;
constexpr double HEADER_CHARACTER_EMS = 0.55;

// Where the lasting settings stand in the preferences' bytes.
constexpr size_t PREF_SCALE = 28;         // f32
constexpr size_t PREF_TOOL_PATHS = 36;    // "Y"/"N"
constexpr size_t PREF_RULERS = 37;
constexpr size_t PREF_TOOL_WIDTH = 38;
constexpr size_t PREF_FILE_HEADER = 39;
constexpr size_t PREF_TEXT_FRAMES = 48;
constexpr size_t PREF_CENTRE = 49;
constexpr size_t PREF_PEN_WIDTH = 50;     // one digit
constexpr size_t PREF_LAYER_COLOURS = 51;

void load_yes_no(size_t at, uint8_t* value) {
  const uint8_t b = g_preferences.stored[at];
  if (b == 'Y' || b == 'N') *value = b == 'Y' ? 1 : 0;
}
void store_yes_no(size_t at, uint8_t value) { g_preferences.stored[at] = value != 0 ? 'Y' : 'N'; }

bool is_metric() { return g_job_settings.units == JOB_UNITS_MILLIMETRE; }

// What a print changes of the Drawing page's state, kept to be put back.
struct SavedView {
  float scale_x, scale_y, view_left, view_bottom, view_right, view_top;
  int32_t box_width, box_height;
  int16_t area_width;
  Canvas* canvas;
  int origin_y;
  DrawStyle style;
  uint8_t ruler_style;
  std::array<uint32_t, LAYER_COUNT> colours;

  SavedView() {
    const ViewState& v = g_view;
    scale_x = v.scale_x;
    scale_y = v.scale_y;
    view_left = v.view_left;
    view_bottom = v.view_bottom;
    view_right = v.view_right;
    view_top = v.view_top;
    box_width = v.box_width;
    box_height = v.box_height;
    area_width = v.area_width;
    canvas = v.canvas;
    origin_y = v.origin_y;
    style = g_draw_style;
    ruler_style = g_furniture.ruler_style;
    colours = g_layers.colours;
  }
  ~SavedView() {
    ViewState& v = g_view;
    v.scale_x = scale_x;
    v.scale_y = scale_y;
    v.view_left = view_left;
    v.view_bottom = view_bottom;
    v.view_right = view_right;
    v.view_top = view_top;
    v.box_width = box_width;
    v.box_height = box_height;
    v.area_width = area_width;
    v.canvas = canvas;
    v.origin_y = origin_y;
    g_draw_style = style;
    g_furniture.ruler_style = ruler_style;
    g_layers.colours = colours;
    reset_printed_drawing();
  }
  SavedView(const SavedView&) = delete;
  SavedView& operator=(const SavedView&) = delete;
};

// The printed image's top-left corner in world units and its pixels per unit.
struct BandPainter {
  double left = 0;
  double top = 0;
  double per_unit_x = 1;
  double per_unit_y = 1;
};

// The renderer paints one band: the view becomes the band's part of the printed image, at the
// printer's resolution, on the band's canvas.
int paint_drawing_into_band(void* object, PrintBand* band) {
  const auto* p = static_cast<const BandPainter*>(object);
  ViewState& v = g_view;
  const Surface* target = band->canvas->target;
  v.scale_x = static_cast<float>(p->per_unit_x);
  v.scale_y = static_cast<float>(p->per_unit_y);
  v.view_left = static_cast<float>(p->left + band->origin_x / p->per_unit_x);
  v.view_top = static_cast<float>(p->top - band->origin_y / p->per_unit_y);
  v.view_right = static_cast<float>(v.view_left + target->width / p->per_unit_x);
  v.view_bottom = static_cast<float>(v.view_top - target->height / p->per_unit_y);
  v.box_width = target->width;
  v.box_height = target->height;
  v.area_width = static_cast<int16_t>(std::min(target->width, 32767));
  v.canvas = band->canvas;
  v.origin_y = 0;
  g_draw_style.printing = 1;
  draw_all_items();
  return 1;
}

struct PageProgress {
  TAbortDialog* dialog = nullptr;
  int64_t page = 0;
};

int print_page_progress(int index, int count, void* object) {
  const auto* p = static_cast<const PageProgress*>(object);
  if (p->dialog == nullptr) return 1;
  const int percent = count > 0 ? static_cast<int>(static_cast<double>(index) / count * 100) : 0;
  const std::string text = "Printing Page " + std::to_string(p->page) + ", " +
                           std::to_string(percent) + "%";
  return show_printing_progress(p->dialog, text) == 0 ? 1 : 0;
}

}  // namespace

void load_print_options() {
  const float scale = get_f32_le(g_preferences.stored + PREF_SCALE);
  if (std::isfinite(scale)) g_print_options.scale = scale;
  DrawingOptions& o = g_preferences.drawing;
  load_yes_no(PREF_TOOL_PATHS, &o.print_tool_paths);
  load_yes_no(PREF_RULERS, &g_print_options.rulers);
  load_yes_no(PREF_TOOL_WIDTH, &o.print_tool_width);
  load_yes_no(PREF_FILE_HEADER, &o.print_file_header);
  load_yes_no(PREF_TEXT_FRAMES, &o.print_text_boxes);
  load_yes_no(PREF_CENTRE, &g_print_options.centre);
  load_yes_no(PREF_LAYER_COLOURS, &g_print_options.layer_colours);
  const uint8_t digit = g_preferences.stored[PREF_PEN_WIDTH];
  if (digit >= '0' && digit <= '9') o.print_pen_width = static_cast<uint8_t>(digit - '0');
}

void store_print_options() {
  put_f32_le(g_preferences.stored + PREF_SCALE, g_print_options.scale);
  const DrawingOptions& o = g_preferences.drawing;
  store_yes_no(PREF_TOOL_PATHS, o.print_tool_paths);
  store_yes_no(PREF_RULERS, g_print_options.rulers);
  store_yes_no(PREF_TOOL_WIDTH, o.print_tool_width);
  store_yes_no(PREF_FILE_HEADER, o.print_file_header);
  store_yes_no(PREF_TEXT_FRAMES, o.print_text_boxes);
  store_yes_no(PREF_CENTRE, g_print_options.centre);
  store_yes_no(PREF_LAYER_COLOURS, g_print_options.layer_colours);
  g_preferences.stored[PREF_PEN_WIDTH] = static_cast<uint8_t>('0' + std::min<int>(o.print_pen_width, 9));
}

DrawingPrintLayout current_drawing_print_layout() {
  const ViewState& v = g_view;
  PrinterPageGeometry geometry;
  get_page_geometry(g_printer.caps, &geometry);
  DrawingPrintInput in;
  in.width = static_cast<double>(v.extent_max_x) - v.extent_min_x;
  in.height = static_cast<double>(v.extent_max_y) - v.extent_min_y;
  in.metric = is_metric();
  in.scale = g_print_options.scale;
  in.dpi_x = geometry.pixels_per_inch_x;
  in.dpi_y = geometry.pixels_per_inch_y;
  in.usable_width = geometry.usable_width;
  in.usable_height = geometry.usable_height;
  in.header_line = g_preferences.drawing.print_file_header != 0;
  in.header_text = !g_print_options.header_text.empty();
  in.rulers = g_print_options.rulers != 0;
  in.centre = g_print_options.centre != 0;
  return layout_drawing_print(in);
}

int print_drawing_job(const DrawingPrintLayout& layout, const std::string& job_path,
                      TAbortDialog* dialog, std::string* error) {
  if (!layout.ok) {
    *error = layout.error;
    return DRAWING_PRINT_FAILED;
  }
  if (layout.width >= INT32_MAX || layout.height >= INT32_MAX) {
    *error = "The drawing is too large to print at this scale.";
    return DRAWING_PRINT_FAILED;
  }
  PrinterPageGeometry geometry;
  get_page_geometry(g_printer.caps, &geometry);
  const int64_t pages = layout.columns * layout.rows;
  const PrintOptions& o = g_print_options;
  const int64_t last = last_drawing_page(pages, o.first_page, o.last_page);
  if (last == 0) {
    *error = "There is nothing to print: no page of the drawing is in the range chosen.";
    return DRAWING_PRINT_FAILED;
  }
  const SavedView saved;
  if (o.layer_colours == 0) g_layers.colours.fill(0);
  // The printed window: the extents grown by the header lines' and the rulers' room.
  const ViewState& v = g_view;
  const bool metric = is_metric();
  const double d = metric ? MARGIN_MM_JOB : MARGIN_INCH_JOB;
  PrintedDrawing& p = g_printed_drawing;
  p = PrintedDrawing();
  p.pixels_per_inch = geometry.pixels_per_inch_y;
  p.header_room = d;
  if (g_preferences.drawing.print_file_header != 0) {
    // The line stands on the printed drawing: a path too long for its width gives way to the
    // file's own name.
    const int columns = static_cast<int>(
        layout.width / (geometry.pixels_per_inch_x * HEADER_EM_INCHES * HEADER_CHARACTER_EMS));
    const std::string path = cp1252_from_utf8(job_path, '?');
    p.file_line = dated_name_line(path, INT_MAX / 2);
    if (static_cast<int>(p.file_line.size()) > columns && !path.empty() &&
        p.file_line.compare(0, path.size(), path) == 0) {
      p.file_line = cp1252_from_utf8(fs::path(job_path).filename().string(), '?') +
                    p.file_line.substr(path.size());
    }
  }
  p.header_text = o.header_text.substr(0, DRAWING_PRINT_HEADER_MAX);
  p.window_left = v.extent_min_x - (o.rulers != 0 ? 2 * d : 0);
  p.window_right = v.extent_max_x;
  p.window_bottom = v.extent_min_y;
  p.window_top = v.extent_min_y + layout.printed_height;
  g_furniture.ruler_style = o.rulers != 0 ? RULERS_PRINTING : RULERS_NONE;
  BandPainter painter;
  painter.left = p.window_left;
  painter.top = p.window_top;
  // The printed size in pixels over the printed window: the same scale on both axes as the
  // layout measured them.
  painter.per_unit_x = static_cast<double>(layout.width) / layout.printed_width;
  painter.per_unit_y = static_cast<double>(layout.height) / layout.printed_height;

  PrintJob* job = print_begin(g_printer.setup, g_printer.caps, DRAWING_PRINT_DOCUMENT_NAME, error);
  if (job == nullptr) return DRAWING_PRINT_FAILED;
  // One pixel more than the printed size each way: the lines along the drawing's right and
  // bottom extents lie on pixel W and H and would be cut off otherwise.
  const PrintableWindow window{static_cast<int32_t>(layout.width + 1),
                               static_cast<int32_t>(layout.height + 1), 0, 0, 0xFFFFFF};
  const PrintRect clip{0, 0, geometry.usable_width, geometry.usable_height};
  PageProgress progress;
  progress.dialog = dialog;
  int result = DRAWING_PRINT_DONE;
  bool failed = false;
  for (int64_t row = 0; row < layout.rows && result == DRAWING_PRINT_DONE && !failed; ++row) {
    for (int64_t column = 0; column < layout.columns; ++column) {
      const int64_t page = row * layout.columns + column + 1;
      if (page > last) break;
      if (!drawing_page_in_range(page, o.first_page, o.last_page)) continue;
      if (dialog != nullptr && show_printing_progress(dialog, "Printing") != 0) {
        result = DRAWING_PRINT_CANCELLED;
        break;
      }
      if (!print_begin_page(job)) {
        failed = true;
        break;
      }
      print_set_origin(job, geometry.origin_x, geometry.origin_y);
      print_set_clip(job, geometry.usable_width, geometry.usable_height);
      progress.page = page;
      const int64_t x = layout.offset_x - column * geometry.usable_width;
      const int64_t y = layout.offset_y - row * geometry.usable_height;
      const int done = print_window_image(
          &window, job, static_cast<int>(x), static_cast<int>(y), window.extent_width,
          window.extent_height, clip, WindowPrintOptions{}, paint_drawing_into_band, &painter,
          print_page_progress, &progress);
      if (done == 0) {
        if (dialog != nullptr && printing_cancelled(dialog) != 0) result = DRAWING_PRINT_CANCELLED;
        else failed = true;
        break;
      }
      if (!print_end_page(job)) {
        failed = true;
        break;
      }
    }
  }
  if (result == DRAWING_PRINT_CANCELLED || failed) {
    print_abort(job);
    if (failed) *error = "A page could not be drawn.";
    return failed ? DRAWING_PRINT_FAILED : DRAWING_PRINT_CANCELLED;
  }
  return print_end(job, error) ? DRAWING_PRINT_DONE : DRAWING_PRINT_FAILED;
}

void reset_print_options() { g_print_options = PrintOptions(); }
