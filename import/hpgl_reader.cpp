// The plotter reader of the import: HP-GL and HP-GL/2 files (polyline-encoded numbers
// included) become polylines of rigid lines, one layer per pen. Positions are kept whole (no
// 16-bit wrap), coordinates may be decimal, every PE pair is a point, and the state is the
// reader's own, so each import starts afresh.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "import/import_nc.h"
#include "import/import_run.h"
#include "job/job_host.h"
#include "platform/files.h"

namespace {

constexpr int MAX_LIST_POINTS = 197;
constexpr int ESC = 27;
constexpr int MAX_PE_DIGITS = 10;
// Numbers beyond this read as 0 (they would not fit the items' floats).
constexpr double HPGL_VALUE_LIMIT = 1e10;

int peek(const HpglReader* r) { return r->pos < r->size ? r->data[r->pos] : -1; }
int take(HpglReader* r) { return r->pos < r->size ? r->data[r->pos++] : -1; }

bool is_letter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_number_start(int c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }

void skip_escape(HpglReader* r) {
  int c = take(r);
  // Intermediate and parameter bytes, then the final byte.
  while (c >= 0x20 && c <= 0x3F) c = take(r);
}

// The next number of the command; false at ';', a letter or the end (the letter is left).
bool read_number(HpglReader* r, double* out) {
  for (;;) {
    const int c = peek(r);
    if (c < 0 || c == ';' || is_letter(c) || c == ESC) return false;
    if (is_number_start(c)) break;
    ++r->pos;  // separators: commas, blanks, line ends
  }
  char text[64];
  size_t n = 0;
  while (n + 1 < sizeof text && is_number_start(peek(r))) text[n++] = static_cast<char>(take(r));
  while (is_number_start(peek(r))) ++r->pos;  // an absurdly long number is cut
  text[n] = '\0';
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  *out = end == text || !std::isfinite(v) || std::fabs(v) > HPGL_VALUE_LIMIT ? 0.0 : v;
  return true;
}

void skip_command(HpglReader* r) {
  for (int c = peek(r); c >= 0 && c != ';' && c != '\n' && !is_letter(c) && c != ESC; c = peek(r)) ++r->pos;
  if (peek(r) == ';') ++r->pos;
}

void queue_move(HpglReader* r, double x, double y, bool down) {
  r->queued.push_back({x, y, down});
  r->last_x = x;
  r->last_y = y;
}

// The pairs after PU, PD, PA, PR: each a move with the pen's state. A PU without pairs lifts
// the pen where it stands.
void read_pairs(HpglReader* r, bool lift_without_pairs) {
  double x, y;
  bool any = false;
  while (read_number(r, &x)) {
    if (!read_number(r, &y)) break;
    if (r->relative) {
      x += r->last_x;
      y += r->last_y;
    }
    queue_move(r, x, y, r->pen_down);
    any = true;
  }
  if (!any && lift_without_pairs) queue_move(r, r->last_x, r->last_y, false);
  if (peek(r) == ';') ++r->pos;
}

void read_polyline_encoded(HpglReader* r) {
  int base = 64;
  bool lift = false, absolute = false;
  for (;;) {
    const int c = take(r);
    if (c < 0 || c == ';') break;
    if (c == '7') base = 32;
    else if (c == '<') lift = true;
    else if (c == '=') absolute = true;
    else if (c == ':' || c == '>') {
      // Pen selection and fraction bits inside PE: the rest of the command is not read.
      while (peek(r) >= 0 && take(r) != ';') {}
      break;
    } else if (c >= 63) {
      const long dx = decode_pe_number(r, base, c);
      const long dy = dx == HPGL_PE_END ? HPGL_PE_END : decode_pe_number(r, base, 0);
      if (dx == HPGL_PE_END || dy == HPGL_PE_END) break;
      const double x = absolute ? static_cast<double>(dx) : r->last_x + static_cast<double>(dx);
      const double y = absolute ? static_cast<double>(dy) : r->last_y + static_cast<double>(dy);
      queue_move(r, x, y, !lift);
      r->pen_down = !lift;
      lift = false;
      absolute = false;
    }
  }
}

void read_scale(HpglReader* r) {
  double v[4];
  int n = 0;
  double extra;
  while (n < 4 && read_number(r, &v[n])) ++n;
  while (read_number(r, &extra)) {}
  if (n < 4 || !r->scaled || v[1] == v[0] || v[3] == v[2]) return;
  r->unit_x = (r->p2x - r->p1x) / (v[1] - v[0]) * r->plotter_unit;
  r->unit_y = (r->p2y - r->p1y) / (v[3] - v[2]) * r->plotter_unit;
}

void read_scaling_points(HpglReader* r) {
  double v[4];
  int n = 0;
  double extra;
  while (n < 4 && read_number(r, &v[n])) ++n;
  while (read_number(r, &extra)) {}
  if (n < 4) return;
  r->p1x = v[0];
  r->p1y = v[1];
  r->p2x = v[2];
  r->p2y = v[3];
  r->scaled = true;
}

}  // namespace

long decode_pe_number(HpglReader* r, int base, int first) {
  long long value = 0, weight = 1;
  int c = first != 0 ? first : take(r);
  for (int digits = 0;; c = take(r)) {
    if (c < 0) return HPGL_PE_END;
    if (c < 63) continue;  // blanks and line ends inside the encoding
    if (++digits > MAX_PE_DIGITS) return HPGL_PE_END;
    const bool last = base == 64 ? c > 190 : c >= 95;
    const int digit = last ? c - (base == 64 ? 191 : 95) : c - 63;
    value += digit * weight;
    if (last) break;
    weight *= base;
  }
  const long half = static_cast<long>(value / 2);
  return (value & 1) != 0 ? -half : half;
}

int read_hpgl_command(HpglReader* r, double* x, double* y) {
  for (;;) {
    if (r->next_queued < r->queued.size()) {
      const HpglReader::Move& m = r->queued[r->next_queued++];
      *x = m.x;
      *y = m.y;
      return m.down ? HPGL_PEN_DOWN : HPGL_PEN_UP;
    }
    r->queued.clear();
    r->next_queued = 0;
    const int c = take(r);
    if (c < 0) return HPGL_END;
    if (c == ESC) {
      skip_escape(r);
      continue;
    }
    if (!is_letter(c)) continue;
    const int c2 = std::toupper(peek(r));
    if (!is_letter(c2)) continue;
    ++r->pos;
    const int a = std::toupper(c);
    if (a == 'P' && c2 == 'U') {
      r->pen_down = false;
      read_pairs(r, true);
    } else if (a == 'P' && c2 == 'D') {
      r->pen_down = true;
      read_pairs(r, false);
    } else if (a == 'P' && (c2 == 'A' || c2 == 'R')) {
      r->relative = c2 == 'R';
      read_pairs(r, false);
    } else if (a == 'P' && c2 == 'E') {
      read_polyline_encoded(r);
    } else if (a == 'R' && c2 == 'R') {
      double dx, dy;
      if (read_number(r, &dx) && read_number(r, &dy))
        queue_move(r, r->last_x + dx, r->last_y + dy, true);
      skip_command(r);
    } else if (a == 'I' && c2 == 'P') {
      read_scaling_points(r);
    } else if (a == 'S' && c2 == 'C') {
      read_scale(r);
    } else if (a == 'S' && c2 == 'P') {
      double pen = 0;
      read_number(r, &pen);
      skip_command(r);
      r->pen = pen >= 0 && pen < 1000 ? static_cast<int>(pen) : 0;
      return HPGL_PEN_SELECT;
    } else if (a == 'L' && c2 == 'B') {
      while (peek(r) >= 0 && take(r) != 3) {}
    } else {
      skip_command(r);
    }
  }
}

namespace {

struct PointList {
  std::vector<float> xs, ys;
  void restart(float x, float y) {
    xs.assign(1, x);
    ys.assign(1, y);
  }
};

int flush_list(ImportRun* run, PointList* list) {
  const int n = static_cast<int>(list->xs.size());
  const int result = n >= 2 ? write_temp_polyline(&run->writer, list->xs.data(), list->ys.data(), n) : 0;
  if (n >= 1) list->restart(list->xs.back(), list->ys.back());
  return result;
}

}  // namespace

int read_hpgl_file(ImportRun* run, const std::string& path) {
  const int64_t size = file_size(path);
  if (size < 0) return reject_import_file(run, path, nullptr, "the file cannot be opened");
  if (size > IMPORT_MAX_TEXT_BYTES) return reject_import_file(run, path, nullptr, "the file is too large to import");
  std::vector<unsigned char> bytes(static_cast<size_t>(size));
  FILE* file = std::fopen(path.c_str(), "rb");
  const size_t got = file == nullptr ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
  if (file != nullptr) std::fclose(file);
  if (file == nullptr || got != bytes.size()) return reject_import_file(run, path, nullptr, "the file cannot be read");
  const void* nul = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
  if (nul != nullptr) {
    const std::string where = "byte " + std::to_string(static_cast<const unsigned char*>(nul) - bytes.data());
    return reject_import_file(run, path, where.c_str(), "the file is binary, not a plotter file");
  }
  HpglReader reader;
  reader.data = bytes.data();
  reader.size = bytes.size();
  reader.plotter_unit = run->plotter_unit;
  reader.unit_x = reader.unit_y = run->plotter_unit;
  run->writer.layer = 0;
  PointList list;
  bool drawing = false;
  double x = 0, y = 0;
  float at_x = 0, at_y = 0;  // where the pen stands, job units
  for (int64_t step = 0;; ++step) {
    if (step % 1024 == 0 && job_escape_pressed()) return 1;
    const int action = read_hpgl_command(&reader, &x, &y);
    const float fx = static_cast<float>(x * reader.unit_x), fy = static_cast<float>(y * reader.unit_y);
    if (action == HPGL_PEN_DOWN) {
      if (!drawing) {
        if (list.xs.empty()) list.restart(at_x, at_y);  // drawn from where the pen stands
        drawing = true;
      }
      if (list.xs.back() != fx || list.ys.back() != fy) {
        list.xs.push_back(fx);
        list.ys.push_back(fy);
      }
      at_x = fx;
      at_y = fy;
      if (static_cast<int>(list.xs.size()) >= MAX_LIST_POINTS && flush_list(run, &list) != 0)
        return reject_import_file(run, path, nullptr, write_failure_reason(run));
      continue;
    }
    if (drawing && flush_list(run, &list) != 0)
      return reject_import_file(run, path, nullptr, write_failure_reason(run));
    drawing = false;
    if (action == HPGL_END) return 0;
    if (action == HPGL_PEN_UP) {
      list.restart(fx, fy);
      at_x = fx;
      at_y = fy;
    }
    if (action == HPGL_PEN_SELECT)
      run->writer.layer = reader.pen > LAYER_LAST_USER ? 0 : static_cast<uint8_t>(reader.pen);
  }
}
