#include "tools/stroke_font_source.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int FIRST_CODE = 32;
constexpr int LAST_CODE = 175;
constexpr int64_t MICRO = 1000000;

// A position in millionths of a font unit, rounded half away from zero.
int64_t micro_units(int hershey) {
  const int64_t scaled = static_cast<int64_t>(hershey) * MICRO;
  const int64_t q = scaled / HERSHEY_UNITS_PER_FONT_UNIT;
  const int64_t r = scaled % HERSHEY_UNITS_PER_FONT_UNIT;
  if (2 * std::llabs(r) >= HERSHEY_UNITS_PER_FONT_UNIT) return scaled < 0 ? q - 1 : q + 1;
  return q;
}

std::string decimal(int64_t micro) {
  char text[32];
  const int64_t a = std::llabs(micro);
  std::snprintf(text, sizeof text, "%s%" PRId64 ".%06" PRId64, micro < 0 ? "-" : "", a / MICRO,
                a % MICRO);
  return text;
}

std::string move_line(const char* g, int64_t dx, int64_t dy) {
  return std::string(g) + " X" + decimal(dx) + " Y" + decimal(dy);
}

}  // namespace

const std::vector<HersheyFont>& hershey_fonts() {
  static const std::vector<HersheyFont> fonts = {
      {"rowmans", 0, "Roman Simplex"},       {"futural", 1, "Sans Simplex"},
      {"rowmand", 1000, "Roman Duplex"},     {"rowmant", 1001, "Roman Triplex"},
      {"futuram", 1002, "Sans Duplex"},      {"scripts", 1003, "Script Simplex"},
      {"scriptc", 1004, "Script Complex"},   {"cursive", 1005, "Cursive"},
      {"timesr", 1006, "Serif Roman"},       {"timesi", 1007, "Serif Italic"},
      {"timesrb", 1008, "Serif Bold"},       {"timesib", 1009, "Serif Bold Italic"},
      {"timesg", 1010, "Serif Greek"},       {"greek", 1011, "Greek"},
      {"greekc", 1012, "Greek Complex"},     {"greeks", 1013, "Greek Simplex"},
      {"cyrillic", 1014, "Cyrillic"},        {"cyrilc_1", 1015, "Cyrillic Complex"},
      {"gothiceng", 1016, "Gothic English"}, {"gothicger", 1017, "Gothic German"},
      {"gothicita", 1018, "Gothic Italian"}, {"gothgbt", 1019, "Gothic English 3"},
      {"gothgrt", 1020, "Gothic German 3"},  {"gothitt", 1021, "Gothic Italian 3"},
      {"astrology", 3000, "Astrology"},      {"markers", 3001, "Markers"},
      {"mathlow", 3002, "Math Lower"},       {"mathupp", 3003, "Math Upper"},
      {"meteorology", 3004, "Meteorology"},  {"music", 3005, "Music"},
      {"symbolic", 3006, "Symbolic"},        {"japanese", 3007, "Japanese"},
  };
  return fonts;
}

bool parse_hershey(const std::string& text, std::vector<HersheyGlyph>* glyphs) {
  glyphs->clear();
  // The record's characters with the line ends taken out: records may run over lines.
  size_t at = 0;
  auto next_char = [&](char* c) {
    while (at < text.size() && (text[at] == '\n' || text[at] == '\r')) ++at;
    if (at >= text.size()) return false;
    *c = text[at++];
    return true;
  };
  for (;;) {
    while (at < text.size() && (text[at] == '\n' || text[at] == '\r')) ++at;
    if (at >= text.size()) return true;
    char field[9] = {};
    for (int k = 0; k < 8; ++k)
      if (!next_char(&field[k])) return false;
    const int count = std::atoi(field + 5);
    if (count < 1) return false;
    HersheyGlyph g;
    char a, b;
    if (!next_char(&a) || !next_char(&b)) return false;
    g.left = a - 'R';
    g.right = b - 'R';
    g.strokes.emplace_back();
    for (int k = 1; k < count; ++k) {
      if (!next_char(&a) || !next_char(&b)) return false;
      if (a == ' ' && b == 'R') {
        g.strokes.emplace_back();
        continue;
      }
      g.strokes.back().emplace_back(a - 'R', b - 'R');
    }
    glyphs->push_back(std::move(g));
  }
}

std::vector<std::string> hershey_glyph_lines(const HersheyGlyph& glyph) {
  std::vector<std::string> lines;
  int64_t px = 0, py = 0;  // the pen, micro units
  auto to = [&](const char* g, int x, int y) {
    const int64_t ax = micro_units(x - glyph.left);
    const int64_t ay = micro_units(HERSHEY_BASELINE_ROW - y);
    lines.push_back(move_line(g, ax - px, ay - py));
    px = ax;
    py = ay;
  };
  for (const auto& stroke : glyph.strokes) {
    if (stroke.empty()) continue;
    to("G0", stroke[0].first, stroke[0].second);
    // A stroke of one point is a dot: a line of no length marks it.
    if (stroke.size() == 1) lines.push_back(move_line("G1", 0, 0));
    for (size_t k = 1; k < stroke.size(); ++k) to("G1", stroke[k].first, stroke[k].second);
  }
  const int64_t advance = micro_units(glyph.right - glyph.left);
  lines.push_back(move_line("G0", advance - px, -py));
  return lines;
}

std::string hershey_font_source(const std::vector<HersheyGlyph>& glyphs, const char* title) {
  std::string source = std::string(title) + "\r\n";
  const int64_t space =
      glyphs.empty() ? 0 : micro_units(glyphs[0].right - glyphs[0].left);
  source += decimal(space) + "\r\n";
  for (size_t k = 1; k < glyphs.size(); ++k) {
    const int code = FIRST_CODE + static_cast<int>(k);
    if (code > LAST_CODE) break;
    bool drawn = false;
    for (const auto& stroke : glyphs[k].strokes) drawn = drawn || !stroke.empty();
    if (!drawn) continue;
    source += "*" + std::to_string(code) + "\r\n";
    for (const std::string& line : hershey_glyph_lines(glyphs[k])) source += line + "\r\n";
  }
  return source;
}
