// The grammar of typed coordinates and the arithmetic of the entry record: what a typed text
// says, how its values land in the record, and how the other fields follow.
#include <cmath>
#include <cstring>

#include "editor/coord_entry.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/point_picking.h"
#include "geometry/construct.h"
#include "store/float_text.h"

CoordEntryState g_coord;

namespace {

constexpr double DEGREES_TO_RADIANS = 0.017453292519943295;
constexpr double TWO_PI = 6.283185307179586;

struct KindRow {
  int flags;   // KIND_*
  int filter;  // FILTER_*
  char field;  // target field letter: its distance from 'A' is the field number
};
constexpr int FILTER_NO_STAR_COMMA = 0x01;
constexpr int FILTER_NO_POLAR = 0x02;
constexpr int FILTER_NO_MINUS = 0x04;
constexpr int FILTER_STAR_IS_COMMA = 0x08;

constexpr KindRow KINDS[] = {
    {0x02, 0x00, 'A'}, {0x02, 0x00, 'A'}, {0x14, 0x00, 'W'}, {0x1A, 0x0F, 'W'},
    {0x86, 0x0B, 'Y'}, {0x02, 0x00, 'A'}, {0x02, 0x00, 'A'}, {0x50, 0x0B, 'X'},
};
constexpr int KIND_COUNT = static_cast<int>(sizeof KINDS / sizeof KINDS[0]);

const KindRow& kind_row(int kind) { return KINDS[kind >= 0 && kind < KIND_COUNT ? kind : 0]; }

bool is_blank(char c) { return c == ' ' || c == '\t'; }

const char* skip_blanks(const char* p) {
  while (is_blank(*p)) ++p;
  return p;
}

// Where the number of an X value ends for the Y part: an optional "-", then digits and points.
const char* after_x_number(const char* p) {
  if (*p == '-') ++p;
  while ((*p >= '0' && *p <= '9') || *p == '.') ++p;
  return p;
}

float number_at(const char* p) { return static_cast<float>(read_c_number(p, nullptr)); }

float direction(PointF from, PointF to) {
  double a = std::atan2(static_cast<double>(to.y) - from.y, static_cast<double>(to.x) - from.x);
  if (a < 0.0) a += TWO_PI;
  return static_cast<float>(a);
}

PointF polar(PointF p, double d, double a) {
  return {static_cast<float>(p.x + d * std::cos(a)), static_cast<float>(p.y + d * std::sin(a))};
}

// The entry's f32 field by number; fields 4-19 are the point pairs.
float* entry_field(CoordEntry* e, int n) {
  switch (n) {
    case 0: return &e->current.x;
    case 1: return &e->current.y;
    case 2: return &e->reference.x;
    case 3: return &e->reference.y;
    case 20: return &e->offset.x;
    case 21: return &e->offset.y;
    case 22: return &e->distance;
    case 23: return &e->angle;
    case 24: return &e->angle_offset;
    case 25: return &e->base_angle;
    default:
      if (n >= 4 && n < 20) return (n & 1) == 0 ? &e->pairs[(n - 4) / 2].x : &e->pairs[(n - 4) / 2].y;
      return nullptr;
  }
}

const LinkRecord* current_link() { return g_edit.current_link; }

}  // namespace

bool starts_typed_value(EventCode code) {
  return code > 0 && code < 127 && std::strchr(TYPED_VALUE_CHARS, static_cast<int>(code)) != nullptr;
}

int kind_flags_of(int kind) { return kind_row(kind).flags; }

int kind_field_of(int kind) { return kind_row(kind).field - 'A'; }

char filter_typed_char(EventCode code, int kind) {
  char c = static_cast<char>(code);
  if (c == '=' || c == '+') c = ',';
  if (c == '>') c = '<';
  const int filter = kind_row(kind).filter;
  if ((filter & FILTER_STAR_IS_COMMA) != 0 && c == '*') c = ',';
  if ((filter & FILTER_NO_STAR_COMMA) != 0 && c < '-') return 0;
  if ((filter & FILTER_NO_POLAR) != 0 && c == '<') return 0;
  if ((filter & FILTER_NO_MINUS) != 0 && c == '-') return 0;
  return c;
}

bool parse_typed_coordinates(float values[2], char* text, int* xmode, int* ymode, int kind) {
  uint8_t& xy = g_point_picking.xy_snap_state;
  xy &= 1;
  values[0] = values[1] = 0.0f;
  *xmode = *ymode = AXIS_NOT_GIVEN;
  // Leading blanks go.
  const char* start = skip_blanks(text);
  if (start != text) std::memmove(text, start, std::strlen(start) + 1);
  if (text[0] == '\0' || text[0] == 'c') return false;

  switch (text[0]) {
    case 'l':
    case 'r':
      values[0] = number_at(text + 1) * (text[0] == 'l' ? -1.0f : 1.0f);
      *xmode = AXIS_RELATIVE;
      return true;
    case 'u':
    case 'd':
      values[1] = number_at(text + 1) * (text[0] == 'd' ? -1.0f : 1.0f);
      *ymode = AXIS_RELATIVE;
      return true;
    default: break;
  }

  const bool offsets = kind == ENTRY_KIND_OFFSET;
  char* y_part = nullptr;
  char* letter = std::strchr(text, 'X');
  if (letter == nullptr) letter = std::strchr(text, 'x');
  if (letter != nullptr) {
    if (offsets) {
      text[0] = '\0';
      return false;
    }
    char* p = letter + 1;
    if (*p == '*') {
      *xmode = AXIS_RELATIVE;
      ++p;
    } else {
      *xmode = AXIS_ABSOLUTE;
    }
    values[0] = number_at(p);
    y_part = std::strchr(text, 'Y');
    if (y_part == nullptr) y_part = std::strchr(text, 'y');
    if (y_part == nullptr) y_part = const_cast<char*>(after_x_number(p));
  } else if (text[0] == '*') {
    *xmode = AXIS_RELATIVE;
    values[0] = number_at(text + 1);
    y_part = const_cast<char*>(after_x_number(text + 1));
  } else if (text[0] < '-' || text[0] > '9') {
    *xmode = AXIS_RELATIVE;  // X unchanged
    y_part = text;
  } else {
    *xmode = offsets ? AXIS_RELATIVE : AXIS_ABSOLUTE;
    values[0] = number_at(text);
    y_part = const_cast<char*>(after_x_number(text));
  }

  char* p = const_cast<char*>(skip_blanks(y_part));
  if (*p == 'y' || *p == 'Y') {
    if (offsets) {
      text[0] = '\0';
      return false;
    }
    ++p;
    if (*p == '*') {
      *ymode = AXIS_RELATIVE;
      ++p;
    } else {
      *ymode = AXIS_ABSOLUTE;
    }
    values[1] = number_at(p);
    return true;
  }
  if (*p == ',') p = const_cast<char*>(skip_blanks(p + 1));
  if (*p == '*') {
    *ymode = AXIS_RELATIVE;
    values[1] = number_at(p + 1);
  } else if (*p == '<' || *p == '>') {
    *p = '<';
    *ymode = AXIS_POLAR;
    values[1] = number_at(p + 1);
  } else if (*p >= '-' && *p <= '9') {
    *ymode = offsets ? AXIS_RELATIVE : AXIS_ABSOLUTE;
    values[1] = number_at(p);
  } else {
    *p = '\0';
    if ((xy & 1) != 0 && *xmode == AXIS_ABSOLUTE) {
      // The second point of an X & Y snap: a lone number is the Y.
      values[1] = values[0];
      values[0] = 0.0f;
      *xmode = AXIS_NOT_GIVEN;
      *ymode = AXIS_ABSOLUTE;
      xy = 3;
    } else {
      *ymode = AXIS_RELATIVE;
      values[1] = 0.0f;
    }
  }
  return true;
}

int apply_typed_values(int flags, int kind_flags, int field, int xmode, int ymode,
                       const float values[2]) {
  CoordEntry& e = g_coord.entry;
  const float vx = values[0];
  const float vy = values[1];
  if (xmode != AXIS_NOT_GIVEN) {
    if ((flags & ENTRY_DISTANCE_FIRST) != 0) {
      e.distance = vx;
      return FIELD_DISTANCE;
    }
    if ((flags & ENTRY_SWEEP_FIRST) != 0) {
      e.angle_offset = static_cast<float>(vx * DEGREES_TO_RADIANS);
      return FIELD_ANGLE_OFFSET;
    }
    if ((kind_flags & (KIND_ANGLE | KIND_ARC_SWEEP)) != 0) {
      double a = std::fmod(vx * DEGREES_TO_RADIANS, TWO_PI);
      if (a < 0.0) a += TWO_PI;
      e.angle = static_cast<float>(a);
      return FIELD_ANGLE;
    }
    if (ymode == AXIS_POLAR) {
      e.distance = vx;
      e.angle = static_cast<float>(vy * DEGREES_TO_RADIANS);
      return FIELD_DISTANCE;
    }
    int code = RECOMPUTE_OFFSET_X;
    e.offset.x = vx;
    if (xmode == AXIS_ABSOLUTE) {
      if (float* target = entry_field(&e, field)) *target = vx;
      e.offset.x = vx - e.reference.x;
      code = 0;
    }
    e.offset.y = ymode == AXIS_NOT_GIVEN ? 0.0f : vy;
    if (ymode == AXIS_RELATIVE) {
      code = RECOMPUTE_OFFSET_Y;
    } else if (ymode == AXIS_ABSOLUTE) {
      if (float* next = entry_field(&e, field + 1)) *next = vy;
      e.offset.y = vy - e.reference.y;
    }
    return code;
  }
  if (ymode == AXIS_RELATIVE) {
    e.offset = {0.0f, vy};
    return RECOMPUTE_OFFSET_Y;
  }
  if (ymode == AXIS_ABSOLUTE) {
    if (float* next = entry_field(&e, field + 1)) *next = vy;
    return field;
  }
  return 0;
}

void recompute_entry(int code, int flags) {
  CoordEntry& e = g_coord.entry;
  const LinkRecord* link = current_link();
  switch (code) {
    case 0:
      e.offset = {e.current.x - e.reference.x, e.current.y - e.reference.y};
      e.distance = static_cast<float>(std::hypot(static_cast<double>(e.offset.x), e.offset.y));
      e.angle = direction(e.reference, e.current);
      return;
    case RECOMPUTE_REFERENCE_MOVED:
      if ((flags & (ENTRY_DISTANCE_FIRST | ENTRY_SWEEP_FIRST)) != 0 && link != nullptr) {
        PointF foot = e.reference;
        link_foot(link, &e.reference, &foot);
        e.reference = foot;
        if ((flags & ENTRY_SWEEP_FIRST) != 0) {
          e.base_angle = direction(link->centre, e.reference);
          recompute_entry(FIELD_ANGLE_OFFSET, flags);
          return;
        }
      }
      if ((g_point_picking.xy_snap_state & 2) == 0)
        e.current = {e.reference.x + e.offset.x, e.reference.y + e.offset.y};
      show_reference_point(&e);
      return;
    case RECOMPUTE_OFFSET_X:
    case RECOMPUTE_OFFSET_Y:
      e.distance = static_cast<float>(std::hypot(static_cast<double>(e.offset.x), e.offset.y));
      e.current = {e.reference.x + e.offset.x, e.reference.y + e.offset.y};
      e.angle = direction(e.reference, e.current);
      return;
    case FIELD_DISTANCE:
      e.offset = polar({0.0f, 0.0f}, e.distance, e.angle);
      e.current = polar(e.reference, e.distance, e.angle);
      return;
    case FIELD_ANGLE:
      e.current = polar(e.reference, e.distance, static_cast<double>(e.base_angle) + e.angle);
      e.offset = {e.current.x - e.reference.x, e.current.y - e.reference.y};
      return;
    case FIELD_ANGLE_OFFSET:
      if (link == nullptr) return;
      e.current = polar(link->centre, std::fabs(link->code),
                        static_cast<double>(e.base_angle) + e.angle_offset);
      e.offset = {e.current.x - e.reference.x, e.current.y - e.reference.y};
      return;
    default: return;
  }
}

int apply_typed_field(char* text, int flags, int kind) {
  float values[2];
  int xmode = 0, ymode = 0;
  if (!parse_typed_coordinates(values, text, &xmode, &ymode, kind)) return 0;
  const KindRow& row = kind_row(kind);
  recompute_entry(apply_typed_values(flags, row.flags, row.field - 'A', xmode, ymode, values), flags);
  return ymode * 16 + xmode;
}

int typed_point_from_cursor(const char* text) {
  char copy[COORD_TEXT_MOST * 4 + 1] = {};
  std::strncpy(copy, text, sizeof copy - 1);
  PointF& out = g_point_picking.typed_point;
  out = g_hover.cursor_point;
  float values[2];
  int xmode = 0, ymode = 0;
  if (!parse_typed_coordinates(values, copy, &xmode, &ymode, ENTRY_KIND_POINT)) return 0;
  if (ymode == AXIS_POLAR) return 1;
  if (xmode == AXIS_ABSOLUTE) out.x = values[0];
  else if (xmode == AXIS_RELATIVE) out.x += values[0];
  if (ymode == AXIS_ABSOLUTE) out.y = values[1];
  else if (ymode == AXIS_RELATIVE) out.y += values[1];
  return 1;
}

int parse_value_line(const char* text, float out[3]) {
  const char* p = text;
  if (*p == '=') ++p;
  int count = 0;
  while (count < 3) {
    const char* end = p;
    const double v = read_c_number(p, &end);
    if (end == p) break;
    out[count++] = static_cast<float>(v);
    p = skip_blanks(end);
    if (*p != ',') break;
    ++p;
  }
  return count;
}

void reset_coord_entry() {
  g_coord = CoordEntryState{};
  entry_back_is_go_back();
}
