#include "job/job_statistics.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "records/job_settings.h"
#include "job/surface_names.h"
#include "store/float_text.h"

namespace {

constexpr float FAR_AWAY = 1e38f;
constexpr double DEGREES_PER_RADIAN = 57.29577951308232;
constexpr int REPORT_COLUMNS = 60;

struct JobCounts {
  PointF min{FAR_AWAY, FAR_AWAY}, max{-FAR_AWAY, -FAR_AWAY};
  int on_off_layers_extents = 0;   // machinable items on off layers, left out of the extents
  int inactive_text = 0;
  int total = 0, machined = 0, on_off_layers = 0;
  int pocketed = 0, inside = 0, outside = 0, engraved = 0, islands_contoured = 0, islands = 0;
  int holes = 0, text_items = 0;
  std::vector<std::string> tools;
};

bool layer_is_off(uint8_t layer) { return g_layers.visibility[layer] == 0; }

bool is_text_with_text(const TextLine* item) {
  return (item->kind == ITEM_TEXT || item->kind == ITEM_TEXT_LIKE) && !item->text.empty();
}

void grow_extents(const TextLine* item, JobCounts* c) {
  PointF lo, hi;
  item_extents(const_cast<TextLine*>(item), &lo, &hi);
  c->min.x = std::min(c->min.x, lo.x);
  c->min.y = std::min(c->min.y, lo.y);
  c->max.x = std::max(c->max.x, hi.x);
  c->max.y = std::max(c->max.y, hi.y);
}

void count_extents(const TextLine* drawing, const TextLine* side, JobCounts* c) {
  for (const TextLine* item = drawing; item != nullptr; item = item->next) {
    GeometryBlock* block = item_block(item);
    if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) continue;
    const bool selected = (item_flags(item) & ITEM_FLAG_SELECTED) != 0;
    if (layer_is_off(block->layer)) {
      ++c->on_off_layers_extents;
    } else if (is_text_with_text(item)) {
      ++c->text_items;
      if (selected) grow_extents(item, c);
      else ++c->inactive_text;
    } else if (selected) {
      grow_extents(item, c);
    }
  }
  for (const TextLine* item = side; item != nullptr; item = item->next)
    if (item->kind != 0 && item_block(item) != nullptr) grow_extents(item, c);
}

int hole_count(const TextLine* item) {
  const LinkRecord* closing = item_closing_record(item);
  const uint8_t kind = point_array_kind(closing);
  if (kind == 0) return 1;
  const int columns = point_array_columns(closing), rows = point_array_rows(closing);
  if (kind == 5) return columns | (rows << 8);
  return columns * rows;
}

void count_item(const TextLine* item, JobCounts* c) {
  if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0) return;
  ++c->total;
  GeometryBlock* block = item_block(item);
  CamParams cam;
  if (block == nullptr || !get_block_cam(block, &cam) || cam.operation == 0) return;
  ++c->machined;
  if (layer_is_off(block->layer)) {
    ++c->on_off_layers;
  } else if (cam.operation == CAM_OP_ISLAND) {
    ++c->islands;
  } else if (item->kind == ITEM_POINT) {
    add_tool_line(cam.finishing, true, &c->tools);
    c->holes += hole_count(item);
  } else {
    add_tool_line(cam.finishing, false, &c->tools);
    if (cam.operation == CAM_OP_CENTERLINE || cam.operation == CAM_OP_BLADE) {
      ++c->engraved;
      return;
    }
    add_tool_line(cam.roughing, false, &c->tools);
    if (cam.operation == CAM_OP_SPIRAL_POCKET) ++c->pocketed;
    else if (cam.operation == CAM_OP_CONTOUR_INSIDE) ++c->inside;
    else if (cam.operation == CAM_OP_CONTOUR_OUTSIDE) ++c->outside;
    else if (cam.operation == CAM_OP_CONTOUR_ISLANDS) ++c->islands_contoured;
  }
}

bool less_ignoring_case(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

bool equal_ignoring_case(const std::string& a, const std::string& b) {
  return !less_ignoring_case(a, b) && !less_ignoring_case(b, a);
}

std::string line_of(const char* format, const std::string& value) {
  char text[400];
  std::snprintf(text, sizeof text, format, value.c_str());
  return text;
}

std::string corner_line(const char* label, float x, float y) {
  char text[200];
  std::snprintf(text, sizeof text, "%s X \v%-9s\x13  Y \v%-9s", label, format_float_text(x).c_str(),
                format_float_text(y).c_str());
  return text;
}

std::string count_line(const char* label, int count) {
  char text[120];
  std::snprintf(text, sizeof text, "%s: \v%d", label, count);
  return text;
}

void split_folder(const std::string& path, std::string* folder, std::string* name) {
  const size_t slash = path.find_last_of('/');
  *folder = slash == std::string::npos ? "" : path.substr(0, slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Lines longer than the window are wrapped at its width.
std::vector<std::string> wrap_lines(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    if (line.size() <= static_cast<size_t>(REPORT_COLUMNS)) {
      out.push_back(line);
      continue;
    }
    for (size_t at = 0; at < line.size(); at += REPORT_COLUMNS) out.push_back(line.substr(at, REPORT_COLUMNS));
  }
  return out;
}

}  // namespace

void add_tool_line(const CamToolBlock& tool, bool drill, std::vector<std::string>* lines) {
  if (tool.tool_number == 0) return;
  char text[200];
  if (drill) {
    std::snprintf(text, sizeof text, "  Tool #\f%-5d\x13 %.8s diameter \vdrill", tool.tool_number,
                  format_float_text(tool.cut_width).c_str());
  } else {
    static constexpr const char* SHAPES[] = {"diameter end mill", "degree taper", "radius ball"};
    const bool tapered = tool.shape == TOOL_SHAPE_TAPERED;
    const double size = tapered ? tool.size * DEGREES_PER_RADIAN : tool.size;
    std::snprintf(text, sizeof text, "  Tool #\f%-5d\x13 %.8s %s", tool.tool_number,
                  format_float_text(size).c_str(), SHAPES[tool.shape <= 2 ? tool.shape : 0]);
  }
  lines->push_back(text);
}

std::vector<std::string> job_statistics_lines(const TextLine* drawing, const TextLine* side,
                                              bool has_template, std::time_t now,
                                              std::string* note) {
  JobCounts c;
  count_extents(drawing, side, &c);
  if (c.min.x == FAR_AWAY) {
    *note = c.on_off_layers_extents != 0 ? ONLY_INACTIVE_LAYERS : NO_MACHINABLE_ITEMS;
    return {};
  }
  for (const TextLine* item = drawing; item != nullptr; item = item->next) count_item(item, &c);
  for (const TextLine* item = side; item != nullptr; item = item->next) count_item(item, &c);
  std::sort(c.tools.begin(), c.tools.end(), less_ignoring_case);
  c.tools.erase(std::unique(c.tools.begin(), c.tools.end(), equal_ignoring_case), c.tools.end());

  char date[64];
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(date, sizeof date, "%a %d %b %Y  %H:%M:%S", &local);
  std::string folder, name;
  split_folder(g_job_file.full_path, &folder, &name);
  std::vector<std::string> lines;
  lines.push_back(line_of("Job Statistics as of %s", date));
  lines.emplace_back();
  lines.push_back(line_of("Job file:\v %s", name));
  lines.push_back(line_of("  Folder:\v %s", folder));
  lines.emplace_back();
  lines.push_back(line_of(" Surface:\v %s", surface_name(g_job_settings.surface_code)));
  lines.emplace_back();
  lines.push_back("-------- DIMENSIONS --------");
  lines.push_back(line_of("     Height: \v%s", format_float_text(c.max.y - c.min.y)));
  lines.push_back(line_of("     Length: \v%s", format_float_text(c.max.x - c.min.x)));
  lines.push_back(corner_line(" Upper left:", c.min.x, c.max.y));
  lines.push_back(corner_line("Lower right:", c.max.x, c.min.y));
  if (has_template) lines.push_back(" * Dimensions ignore the template.");
  char text[200];
  if (c.inactive_text != 0) {
    std::snprintf(text, sizeof text, " * Dimensions ignore the \v%d\x13 inactive text items.", c.inactive_text);
    lines.push_back(text);
  }
  if (c.on_off_layers_extents != 0) {
    std::snprintf(text, sizeof text, " * Dimensions ignore the \v%d\x13 items on layers that are \voff\x13.",
                  c.on_off_layers_extents);
    lines.push_back(text);
  }
  lines.emplace_back();
  lines.push_back("-------- TOOLS NEEDED --------");
  if (c.tools.empty()) lines.push_back("No tools used.");
  lines.insert(lines.end(), c.tools.begin(), c.tools.end());
  lines.emplace_back();
  lines.push_back("-------- MISC --------");
  lines.push_back(count_line("Total items in this job", c.total));
  lines.push_back(count_line("Total set for machining", c.machined));
  lines.push_back(count_line("Pocketed", c.pocketed));
  lines.push_back(count_line("Contoured inside", c.inside));
  lines.push_back(count_line("Contoured outside", c.outside));
  lines.push_back(count_line("Engraved", c.engraved));
  lines.push_back(count_line("Contoured with islands", c.islands_contoured));
  lines.push_back(count_line("Islands", c.islands));
  lines.push_back(count_line("Total holes drilled", c.holes));
  lines.push_back(count_line("Total text items", c.text_items));
  return wrap_lines(lines);
}

void show_job_statistics(const TextLine* side_items, bool has_template) {
  std::string note;
  const std::vector<std::string> lines =
      job_statistics_lines(g_lists.current.first, side_items, has_template, std::time(nullptr), &note);
  if (lines.empty()) {
    job_show_message(note.c_str());
    return;
  }
  job_show_lines(lines, JOB_STATISTICS_TITLE, 10, 22, REPORT_COLUMNS);
}
