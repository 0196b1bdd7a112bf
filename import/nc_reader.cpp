// The NC reader of the import: a G-code program (Fanuc style, arc centres relative to the start
// point, or absolute with the absolute-centre option) becomes one item record per cutting move.
// Every import starts at (0, 0); blank lines are read past; R-word arcs (a negative R: more
// than half a circle) and whole circles (the end on the start) are arcs.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "import/import_nc.h"
#include "job/job_host.h"
#include "import/import_run.h"

namespace {

constexpr double ARC_END_TOLERANCE = 0.01;
constexpr size_t NC_MAX_LINE = 65536;
// Coordinates beyond this are no coordinates (they would not fit the items' floats).
constexpr double NC_VALUE_LIMIT = 1e10;

// The value of the address letter (the first occurrence not followed by '#'); false without.
bool word_value(const std::string& line, char letter, double* value) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != letter) continue;
    if (i + 1 < line.size() && line[i + 1] == '#') continue;
    const char* start = line.c_str() + i + 1;
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    if (end == start || !std::isfinite(v) || std::fabs(v) > NC_VALUE_LIMIT) continue;
    *value = v;
    return true;
  }
  return false;
}

// G words: each is blanked (with its number); the motion and positioning they set.
void take_g_words(std::string* line, NcReaderState* s) {
  for (size_t i = 0; i < line->size(); ++i) {
    if ((*line)[i] != 'G') continue;
    (*line)[i] = ' ';
    if (i + 1 >= line->size() || !std::isdigit(static_cast<unsigned char>((*line)[i + 1]))) continue;
    const long number = std::strtol(line->c_str() + i + 1, nullptr, 10);
    for (size_t k = i + 1; k < line->size() && (*line)[k] >= 0x21 && (*line)[k] <= 0x40; ++k)
      (*line)[k] = ' ';
    if (number >= 0 && number <= 3) s->motion = static_cast<char>('0' + number);
    else if (number == 90) s->incremental = false;
    else if (number == 91) s->incremental = true;
  }
}

}  // namespace

void clean_nc_line(std::string* line) {
  const size_t cut = line->find_first_of("*'");
  if (cut != std::string::npos) line->resize(cut);
  bool in_comment = false;
  for (char& c : *line) {
    if (c == '(') in_comment = true;
    const bool closing = c == ')';
    if (in_comment) c = ' ';
    if (closing) in_comment = false;
    if (c == ',') c = '.';
  }
}

int write_nc_segment(ImportRun* run, const NcReaderState& s) {
  LinkRecord links[2] = {};
  links[0].point = {static_cast<float>(s.x), static_cast<float>(s.y)};
  links[1].point = {static_cast<float>(s.new_x), static_cast<float>(s.new_y)};
  bool arc = s.line_motion >= '2';
  const double r = std::hypot(s.x - s.centre_x, s.y - s.centre_y);
  if (arc && (r < 1e-7 || std::fabs(std::hypot(s.new_x - s.centre_x, s.new_y - s.centre_y) - r) >
                              ARC_END_TOLERANCE))
    arc = false;
  if (!arc) {
    if (s.new_x == s.x && s.new_y == s.y) return 0;
    links[0].code = LINK_RIGID_LINE;
  } else {
    links[0].code = static_cast<float>(r);
    links[0].centre = {static_cast<float>(s.centre_x), static_cast<float>(s.centre_y)};
    if (s.line_motion == '2') links[0].link_flags |= LINK_CLOCKWISE;
    arc_angles_from_points(&links[0]);
  }
  run->writer.layer = 0;
  return write_temp_item(&run->writer, links, ITEM_POLYLINE);
}

namespace {

// The centre of an R-word arc from the current to the new point: on the right of the chord for
// a clockwise arc of positive R (up to half a circle), on the left for a negative R.
bool centre_from_radius(const NcReaderState& s, double radius, double* cx, double* cy) {
  const double dx = s.new_x - s.x, dy = s.new_y - s.y;
  const double chord = std::hypot(dx, dy);
  const double r = std::fabs(radius);
  if (chord < 1e-12 || chord > 2 * r * (1 + 1e-9)) return false;
  const double h = std::sqrt(std::max(0.0, r * r - chord * chord / 4));
  double side = s.line_motion == '2' ? -1.0 : 1.0;  // left of the travel for G3
  if (radius < 0) side = -side;
  *cx = (s.x + s.new_x) / 2 - side * h * dy / chord;
  *cy = (s.y + s.new_y) / 2 + side * h * dx / chord;
  return true;
}

}  // namespace

int read_nc_line(ImportRun* run, NcReaderState* s, std::string line) {
  for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  clean_nc_line(&line);
  take_g_words(&line, s);
  s->line_motion = s->motion;
  double x = 0, y = 0, i = 0, j = 0, radius = 0;
  const bool has_x = word_value(line, 'X', &x);
  const bool has_y = word_value(line, 'Y', &y);
  const bool has_i = word_value(line, 'I', &i);
  const bool has_j = word_value(line, 'J', &j);
  const bool has_r = word_value(line, 'R', &radius);
  const bool arc = s->line_motion == '2' || s->line_motion == '3';
  // An arc given only by its centre is a whole circle.
  if (!has_x && !has_y && !(arc && (has_i || has_j))) return 0;
  s->new_x = has_x ? x : (s->incremental ? 0 : s->x);
  s->new_y = has_y ? y : (s->incremental ? 0 : s->y);
  if (s->incremental) {
    s->new_x += s->x;
    s->new_y += s->y;
  }
  s->centre_x = i;
  s->centre_y = j;
  if (!((run->flags & IMPORT_ABSOLUTE_CENTRES) != 0 && !s->incremental)) {
    s->centre_x += s->x;
    s->centre_y += s->y;
  }
  if (arc && has_r && !has_i && !has_j &&
      !centre_from_radius(*s, radius, &s->centre_x, &s->centre_y))
    s->line_motion = '1';  // a radius too short for the chord: the straight move
  int result = 0;
  if (s->line_motion != '0') result = write_nc_segment(run, *s);
  s->x = s->new_x;
  s->y = s->new_y;
  return result;
}

int read_nc_file(ImportRun* run, const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return reject_import_file(run, path, nullptr, "the file cannot be opened");
  NcReaderState state;
  std::string line;
  int64_t line_number = 0, total = 0;
  int c = 0;
  int result = 0;
  while (result == 0) {
    line.clear();
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
      if (c == '\0') break;
      if (c != '\r') line.push_back(static_cast<char>(c));
      if (line.size() > NC_MAX_LINE) break;
    }
    ++line_number;
    total += static_cast<int64_t>(line.size()) + 1;
    const std::string where = "line " + std::to_string(line_number);
    if (c == '\0') result = reject_import_file(run, path, where.c_str(), "the file is binary, not an NC program");
    else if (line.size() > NC_MAX_LINE) result = reject_import_file(run, path, where.c_str(), "the line is too long");
    else if (total > IMPORT_MAX_TEXT_BYTES) result = reject_import_file(run, path, nullptr, "the file is too large to import");
    else if (read_nc_line(run, &state, line) != 0) result = reject_import_file(run, path, nullptr, write_failure_reason(run));
    if (c == EOF) break;
    if (line_number % 256 == 1 && job_escape_pressed()) result = 1;
  }
  std::fclose(file);
  return result;
}
