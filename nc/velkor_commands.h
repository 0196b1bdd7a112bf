// Velkor engraver commands: two-letter commands with integer arguments in thousandths of the
// job's unit, each ended by a semicolon. There is no separate Velkor writer: the move encoder,
// the code-section expansion and the post processor use these small writers.
#pragma once

#include <cstdint>
#include <string>

// A feed in inches per minute becomes a speed in cm/s by this factor (2.54 / 60); a feed in
// millimetres per minute by VELKOR_SPEED_FACTOR_MM (0.1 / 60).
constexpr double VELKOR_SPEED_FACTOR = 0.042333335;
constexpr double VELKOR_SPEED_FACTOR_MM = 0.1 / 60.0;
// Path-code line formats of the pen heights and speeds.
constexpr char VELKOR_PEN_UP_LINE[] = "#ZU%d;\n";
constexpr char VELKOR_PEN_DOWN_LINE[] = "#ZD%d;\n";
constexpr char VELKOR_CUT_SPEED_LINE[] = "#VS%.4f;\n";
constexpr char VELKOR_PLUNGE_SPEED_LINE[] = "#VZ%.4f;\n";

// value x 1000 to the nearest whole number, halves away from zero.
int32_t velkor_units(double value);
// "PU" / "PD" (letter 'U' or 'D') with X and Y; no line end.
std::string velkor_pen_move(char letter, double x, double y);
// "PZ" with X, Y and -Z, and the line end.
std::string velkor_3d_move(double x, double y, double z);
// "EX" with the box X1, Y1, -Z1, X2, Y2, -Z2, and the line end.
std::string velkor_extents(double x1, double y1, double z1, double x2, double y2, double z2);
// Appends to the path code a '#' line made from a format that begins with '#' and one
// velkor_units value.
void put_velkor_units_line(const char* format, double value);
// The engraver's speed in cm/s of a feed in the job's units per minute.
double velkor_speed(double feed);
// Appends a '#' line made from a speed format and velkor_speed(feed).
void put_velkor_speed_line(const char* format, double feed);
