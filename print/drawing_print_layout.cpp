#include "print/drawing_print_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double INCHES_PER_MM = 0.03937;
constexpr double MM_PER_INCH = 25.4;
constexpr double HEADER_INCHES = 0.13888889;  // ten points: one header line
constexpr double MARGIN_INCH_JOB = 0.25;      // header and ruler space, job units
constexpr double MARGIN_MM_JOB = 6;
// Far beyond any page count allowed: a size past it is refused before it is turned to pixels.
constexpr double MOST_PIXELS = 1e15;

DrawingPrintLayout refused(const std::string& why) {
  DrawingPrintLayout layout;
  layout.error = why;
  return layout;
}

}  // namespace

DrawingPrintLayout layout_drawing_print(const DrawingPrintInput& in) {
  if (!(in.width > 0) || !(in.height > 0) || !std::isfinite(in.width) ||
      !std::isfinite(in.height))
    return refused("There is nothing to print: the drawing has no size.");
  if (in.dpi_x <= 0 || in.dpi_y <= 0 || in.usable_width <= 0 || in.usable_height <= 0)
    return refused("The printer reports no page to print on.");
  DrawingPrintLayout out;
  const double units_to_inches = in.metric ? INCHES_PER_MM : 1.0;
  // The header lines and the rulers take room above and beside the drawing.
  const double d = in.metric ? MARGIN_MM_JOB : MARGIN_INCH_JOB;
  out.printed_width = in.width + (in.rulers ? 2 * d : 0);
  out.printed_height = in.height + (in.header_line ? d : 0) + (in.header_text ? d : 0) +
                       (in.rulers ? d : 0);
  out.scale = in.scale;
  if (!(in.scale > 0) || !std::isfinite(in.scale)) {
    // Fitted with the header and ruler room counted: a small drawing whose rulers grew past the
    // spare share would otherwise spill onto a second page.
    const double usable_w = in.usable_width * MM_PER_INCH / in.dpi_x;
    const double usable_h = in.usable_height * MM_PER_INCH / in.dpi_y;
    out.scale = std::min(usable_w / out.printed_width, usable_h / out.printed_height) *
                DRAWING_PRINT_FIT_SHARE;
    if (!in.metric) out.scale *= INCHES_PER_MM;
    out.fitted = true;
  }
  const double w = std::trunc(out.scale * in.dpi_x * out.printed_width * units_to_inches + 0.5);
  const double h = std::trunc(out.scale * in.dpi_y * out.printed_height * units_to_inches + 0.5);
  if (!(w < MOST_PIXELS) || !(h < MOST_PIXELS))
    return refused("The drawing is too large to print at this scale.");
  out.width = std::max<int64_t>(static_cast<int64_t>(w), 1);
  out.height = std::max<int64_t>(static_cast<int64_t>(h), 1);
  out.columns = (out.width - 1) / in.usable_width + 1;
  out.rows = (out.height - 1) / in.usable_height + 1;
  if (out.columns > DRAWING_PRINT_MOST_PAGES_ACROSS || out.rows > DRAWING_PRINT_MOST_PAGES_ACROSS)
    return refused("The drawing is too large to print at this scale: it would take more than "
                   "32767 pages across or down.");
  if (in.centre) {
    out.offset_x = (out.columns * in.usable_width - out.width) / 2;
    out.offset_y = (out.rows * in.usable_height - out.height) / 2;
  }
  const int64_t f = static_cast<int64_t>(in.dpi_y * HEADER_INCHES);
  int64_t header = 0;
  if (in.header_line) header += f + f / 3;
  if (in.header_text) header += f + f / 3;
  out.offset_y = std::max(out.offset_y, header);
  out.ok = true;
  return out;
}

std::string drawing_pages_text(const DrawingPrintLayout& layout) {
  char text[96];
  const long long pages = static_cast<long long>(layout.columns * layout.rows);
  if (pages <= 1) {
    std::snprintf(text, sizeof text, "Drawing fits on one page");
  } else if (layout.columns == 1 || layout.rows == 1) {
    std::snprintf(text, sizeof text, "Drawing spans \f%lld pages\x13", pages);
  } else {
    std::snprintf(text, sizeof text, "Drawing spans \f%lld pages\x13 (%lld wide, %lld tall)", pages,
                  static_cast<long long>(layout.columns), static_cast<long long>(layout.rows));
  }
  return text;
}

bool drawing_page_in_range(int64_t page, int first, int last) {
  return page >= first && (last <= 0 || page <= last);
}

int64_t last_drawing_page(int64_t pages, int first, int last) {
  const int64_t end = last > 0 ? std::min<int64_t>(pages, last) : pages;
  return end >= std::max(first, 1) ? end : 0;
}
