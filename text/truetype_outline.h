// TrueType characters as pen moves: the outline of a character, its curves flattened within
// the job tolerance, kept as displacements in glyph units (one unit the height of the capital
// X) and handed out one move per call through the same road as stroke glyphs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TrueTypeOutline {
  std::vector<float> xs, ys;          // the contours' points one after another, then the advance;
                                      // displacements once prepared
  std::vector<int32_t> counts;        // points of each contour
  double unit_scale = 0.0001;         // font units to glyph units
  double tolerance = 0.1;             // flattening tolerance, font units
  bool editing = false;               // an edit session is open: coarse curves
  // The iterator.
  size_t point = 0;
  size_t contour = 0;
  int32_t read_in_contour = 0;
  int pen_up = 0;
  float carry_dx = 0.0f;  // the displacement of left-out tiny moves, added to the next
  float carry_dy = 0.0f;
};
extern TrueTypeOutline g_truetype;
void reset_truetype_outline();

// Most points of one flattened quadratic (4 while an edit session is open).
constexpr int QUADRATIC_MOST_POINTS = 40;
constexpr int QUADRATIC_EDITING_POINTS = 4;
// Points of the quadratic p0, p1 (control), p2 appended to xs, ys (the first p0, the last p2);
// their number.
int flatten_quadratic(double x0, double y0, double x1, double y1, double x2, double y2,
                      double tolerance, bool editing, std::vector<float>* xs,
                      std::vector<float>* ys);
// The same for a cubic (faces with cubic outlines), within the same tolerance.
int flatten_cubic(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                  double y3, double tolerance, bool editing, std::vector<float>* xs,
                  std::vector<float>* ys);

// Turns the collected points (absolute, font units, advance last) into scaled displacements.
void prepare_truetype_outline();
// The iterator: resets for a new character; 1 while it sets a move into g_pen_move, 0 for the
// closing move (the advance).
void truetype_start_character();
int next_truetype_move();
