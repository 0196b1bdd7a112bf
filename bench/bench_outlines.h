// The outlines of the pocket benches: a sign of two lines of letters (every letter outline a
// spiral pocket, counters islands) and a plate pocketed around four lines of letters, the
// letters taken from DejaVu Serif Bold with FreeType and flattened within 0.01 mm. Shared by
// the generator of the bench job files and by the pocket bench, so both cut the same shapes.
#pragma once

#include <string>
#include <vector>

// One corner of a closed loop and the edge that leaves it: a line, or an arc about (cx, cy).
struct BenchCorner {
  double x = 0.0, y = 0.0;
  bool arc = false;
  double cx = 0.0, cy = 0.0;
  bool clockwise = false;
};

enum class BenchRole {
  SIGN_LETTER,    // sign: spiral pocket (counters inside letters become islands)
  PLATE_POCKET,   // plate: the pocket, and the counters of its letters
  PLATE_LETTER,   // plate: a letter left standing (an island)
  PLATE_OUTSIDE,  // plate: its outside contour, another group
};

struct BenchLoop {
  std::vector<BenchCorner> corners;  // millimetres, y up
  BenchRole role = BenchRole::SIGN_LETTER;
};

struct BenchShapes {
  std::vector<BenchLoop> loops;
  std::string error;  // empty when the font was read
};

// "MAPLE RIDGE" over "WOODWORKS 1887" at 70 mm em.
BenchShapes sign_shapes(const std::string& font_path);
// The 300 x 200 mm plate with R10 corners, pocketed around four lines of 25 mm em letters.
BenchShapes plate_shapes(const std::string& font_path);

constexpr char BENCH_FONT_PATH[] = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
