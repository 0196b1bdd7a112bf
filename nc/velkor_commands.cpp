#include "nc/velkor_commands.h"

#include <cstdio>

#include "nc/path_code.h"
#include "records/job_settings.h"

int32_t velkor_units(double value) {
  const double scaled = value * 1000.0;
  return static_cast<int32_t>(scaled >= 0.0 ? scaled + 0.5 : scaled - 0.5);
}

std::string velkor_pen_move(char letter, double x, double y) {
  char line[64];
  std::snprintf(line, sizeof line, "P%c%d,%d;", letter, velkor_units(x), velkor_units(y));
  return line;
}

std::string velkor_3d_move(double x, double y, double z) {
  char line[64];
  std::snprintf(line, sizeof line, "PZ%d,%d,%d;\n", velkor_units(x), velkor_units(y),
                velkor_units(-z));
  return line;
}

std::string velkor_extents(double x1, double y1, double z1, double x2, double y2, double z2) {
  char line[128];
  std::snprintf(line, sizeof line, "EX%d,%d,%d,%d,%d,%d;\n", velkor_units(x1), velkor_units(y1),
                velkor_units(-z1), velkor_units(x2), velkor_units(y2), velkor_units(-z2));
  return line;
}

// The formats begin with the '#' opcode itself; the path code gets the rest as its text.
void put_velkor_units_line(const char* format, double value) {
  char line[64];
  std::snprintf(line, sizeof line, format, velkor_units(value));
  path_put_text_op(line[0], line + 1);
}

double velkor_speed(double feed) {
  const bool inch = g_job_settings.units == JOB_UNITS_INCH;
  return feed * (inch ? VELKOR_SPEED_FACTOR : VELKOR_SPEED_FACTOR_MM);
}

void put_velkor_speed_line(const char* format, double feed) {
  char line[64];
  std::snprintf(line, sizeof line, format, velkor_speed(feed));
  path_put_text_op(line[0], line + 1);
}
