#include "nc/plotter_code.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "nc/velkor_commands.h"

namespace {

// The tool number a tool change is written with before any change was seen.
constexpr int32_t NO_TOOL = 0;

bool is_program_move(char kind) {
  switch (kind) {
    case PROOF_POSITION:
    case PROOF_RAPID:
    case PROOF_RAPID_Z:
    case PROOF_Z_STEP:
    case PROOF_PLUNGE:
    case PROOF_FEED:
    case PROOF_FEED_3D:
    case PROOF_FEED_SECOND:
    case PROOF_CHORD:
    case PROOF_ARC_STRAIGHT: return true;
    default: return false;
  }
}

struct Extents {
  double min_x = 0, min_y = 0, min_z = 0;
  double max_x = 0, max_y = 0, max_z = 0;
  bool any = false;
};

Extents extents_of(const std::vector<ProofRecord>& records) {
  Extents e;
  for (const ProofRecord& r : records) {
    if (!is_program_move(static_cast<char>(r.kind))) continue;
    const double x = proof_field_f32(r, 0), y = proof_field_f32(r, 1), z = proof_field_f32(r, 2);
    if (!e.any) {
      e.min_x = e.max_x = x;
      e.min_y = e.max_y = y;
      e.min_z = e.max_z = z;
      e.any = true;
      continue;
    }
    e.min_x = std::min(e.min_x, x);
    e.min_y = std::min(e.min_y, y);
    e.min_z = std::min(e.min_z, z);
    e.max_x = std::max(e.max_x, x);
    e.max_y = std::max(e.max_y, y);
    e.max_z = std::max(e.max_z, z);
  }
  return e;
}

// What the engraver has been told so far and where its pen stands, in plotter units.
struct PlotterWriter {
  std::vector<std::string>* out = nullptr;
  Extents extents;
  double feed = 0;                     // feed in force (job units per minute)
  int32_t spindle = 0;                 // spindle speed in force
  std::optional<double> cut_speed;     // feed of the last VS line; none after a tool change
  std::optional<double> plunge_speed;  // feed of the last VZ line; none after a tool change
  std::optional<int32_t> spindle_set;  // the last SS value; none after a tool change
  std::optional<int32_t> up_z;         // the last ZU value
  std::optional<int32_t> down_z;       // the last ZD value (into the material is positive)
  int32_t tool = NO_TOOL;
  bool tool_changed = false;           // FR is owed before the next move
  bool extents_written = false;
  bool placed = false;                 // the pen's position below is known
  bool pen_down = false;
  int32_t pen_x = 0, pen_y = 0, pen_z = 0;  // pen_z as the program's Z (up is positive)

  void line(const char* format, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    out->push_back(text);
  }
  void text(const std::string& t) { out->push_back(t); }

  void speeds(bool plunge) {
    if (feed > 0) {
      if ((plunge || !plunge_speed) && plunge_speed != feed) {
        line("VZ%.4f;\n", velkor_speed(feed));
        plunge_speed = feed;
      }
      if (!plunge && cut_speed != feed) {
        line("VS%.4f;\n", velkor_speed(feed));
        cut_speed = feed;
      }
    }
    // A spindle never set is not announced as stopped.
    if (spindle_set != spindle && (spindle_set || spindle != 0)) {
      line("SS%d;\n", spindle);
      spindle_set = spindle;
    }
  }
  void owed_tool_change() {
    if (!tool_changed) return;
    text("FR;\n");
    tool_changed = false;
  }
  void set_up_height(int32_t z) {
    if (up_z == z) return;
    line("ZU %d;\n", z);
    up_z = z;
  }
  void set_down_depth(int32_t z) {
    if (down_z == -z) return;
    line("ZD %d;\n", -z);
    down_z = -z;
  }
  // Travels with the pen up to (x, y); the pen stands at the pen-up height.
  void travel(int32_t x, int32_t y) {
    line("PU %d,%d;\n", x, y);
    pen_x = x;
    pen_y = y;
    pen_z = up_z.value_or(pen_z);
    pen_down = false;
    placed = true;
  }
  void lift() {
    text("PU;\n");
    pen_z = up_z.value_or(pen_z);
    pen_down = false;
  }

  void tool_change(int32_t number) {
    if (number == tool) return;
    tool = number;
    line("\b<cT%d TOOL CHANGE~;\n", number);
    tool_changed = true;
    cut_speed.reset();
    plunge_speed.reset();
    spindle_set.reset();
    up_z.reset();
    down_z.reset();
  }

  void position(int32_t x, int32_t y) {
    speeds(false);
    set_up_height(velkor_units(extents.max_z));
    if (!extents_written) {
      text(velkor_extents(extents.min_x, extents.min_y, extents.min_z, extents.max_x,
                          extents.max_y, extents.max_z));
      extents_written = true;
    }
    owed_tool_change();
    travel(x, y);
  }

  void rapid(char kind, int32_t x, int32_t y, int32_t z) {
    set_up_height(z);
    speeds(false);
    owed_tool_change();
    if (kind == PROOF_RAPID || !placed || x != pen_x || y != pen_y) travel(x, y);
    else lift();
  }

  void plunge(int32_t x, int32_t y, int32_t z) {
    speeds(true);
    owed_tool_change();
    if (!placed || x != pen_x || y != pen_y) travel(x, y);
    set_down_depth(z);
    text("PD;\n");
    pen_z = z;
    pen_down = true;
  }

  void cut(int32_t x, int32_t y, int32_t z, double real_x, double real_y, double real_z) {
    speeds(false);
    owed_tool_change();
    // Without a feed (or a place to start from) the engraver can not cut: the pen travels.
    if (!placed || feed <= 0) {
      travel(x, y);
      return;
    }
    if (pen_down && pen_z == z && down_z == -z) {
      text(velkor_pen_move('D', real_x, real_y) + "\n");
    } else {
      text(velkor_3d_move(real_x, real_y, real_z));
      pen_down = true;
    }
    pen_x = x;
    pen_y = y;
    pen_z = z;
  }

  void record(const ProofRecord& r) {
    const char kind = static_cast<char>(r.kind);
    if (kind == PROOF_LINE) {
      feed = proof_field_f32(r, 1);
      spindle = proof_field_i32(r, 2);
      return;
    }
    if (kind == PROOF_TOOL) {
      tool_change(proof_field_i32(r, 0));
      return;
    }
    if (!is_program_move(kind)) return;
    const double rx = proof_field_f32(r, 0), ry = proof_field_f32(r, 1), rz = proof_field_f32(r, 2);
    const int32_t x = velkor_units(rx), y = velkor_units(ry), z = velkor_units(rz);
    switch (kind) {
      case PROOF_POSITION: position(x, y); break;
      case PROOF_RAPID:
      case PROOF_RAPID_Z:
      case PROOF_Z_STEP: rapid(kind, x, y, z); break;
      case PROOF_PLUNGE: plunge(x, y, z); break;
      default: cut(x, y, z, rx, ry, rz); break;
    }
  }
};

}  // namespace

std::vector<std::string> plotter_code_lines(const std::vector<ProofRecord>& records,
                                            const std::string& name) {
  std::vector<std::string> out;
  PlotterWriter w;
  w.out = &out;
  w.extents = extents_of(records);
  if (!w.extents.any) return out;
  w.text("\b<t" + name + "~;\n");
  w.text("IN;\n");
  for (const ProofRecord& r : records) w.record(r);
  w.text("XP;\n");
  w.text("\b<e\n");
  return out;
}
