// TrueType outlines, judged by FreeType's own decomposition: the same contours with the same
// orientations, every point of our moves within the flattening tolerance of the exact curves,
// every curve sample within it of our moves, the same advances.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/truetype.h"
#include "tests/text/font_fixture.h"
#include "text/truetype_faces.h"
#include "text/truetype_outline.h"

using namespace text_test;

namespace {

struct P {
  double x, y;
};
using Contour = std::vector<P>;

// ---- the reference: FreeType's decomposition, curves sampled finely, in glyph units ----

struct Reference {
  std::vector<Contour> contours;
  double scale = 1;
};

int ref_move(const FT_Vector* p, void* u) {
  auto* r = static_cast<Reference*>(u);
  r->contours.push_back({{p->x * r->scale, p->y * r->scale}});
  return 0;
}
int ref_line(const FT_Vector* p, void* u) {
  auto* r = static_cast<Reference*>(u);
  r->contours.back().push_back({p->x * r->scale, p->y * r->scale});
  return 0;
}
int ref_conic(const FT_Vector* c, const FT_Vector* p, void* u) {
  auto* r = static_cast<Reference*>(u);
  const P a = r->contours.back().back();
  for (int k = 1; k <= 200; ++k) {
    const double t = k / 200.0, s = 1 - t;
    r->contours.back().push_back({s * s * a.x + 2 * s * t * c->x * r->scale + t * t * p->x * r->scale,
                                  s * s * a.y + 2 * s * t * c->y * r->scale + t * t * p->y * r->scale});
  }
  return 0;
}
int ref_cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* p, void* u) {
  auto* r = static_cast<Reference*>(u);
  const P a = r->contours.back().back();
  for (int k = 1; k <= 200; ++k) {
    const double t = k / 200.0, s = 1 - t;
    const double k0 = s * s * s, k1 = 3 * s * s * t, k2 = 3 * s * t * t, k3 = t * t * t;
    r->contours.back().push_back(
        {k0 * a.x + (k1 * c1->x + k2 * c2->x + k3 * p->x) * r->scale,
         k0 * a.y + (k1 * c1->y + k2 * c2->y + k3 * p->y) * r->scale});
  }
  return 0;
}

double area(const Contour& c) {
  double a = 0;
  for (size_t k = 0; k < c.size(); ++k) {
    const P& p = c[k];
    const P& q = c[(k + 1) % c.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a / 2;
}

double distance_to(const P& p, const Contour& c) {
  double d = 1e9;
  for (size_t k = 0; k < c.size(); ++k) {
    const P& a = c[k];
    const P& b = c[(k + 1) % c.size()];
    const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
    d = std::min(d, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
  }
  return d;
}

struct Face {
  const char* family;
  const char* file;
};
const Face FACES[] = {
    {"Liberation Sans", "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"},
    {"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
};

// Our moves of a character as contours in glyph units, through the pen-move iterator.
std::vector<Contour> our_contours(int c, uint32_t face, double tolerance, float* advance) {
  *advance = truetype_char_outline(c, face, tolerance, 1.0);
  truetype_start_character();
  std::vector<Contour> out;
  double x = 0, y = 0;
  for (int k = 0; k < 100000; ++k) {
    const int more = next_truetype_move();
    x += g_pen_move.dx;
    y += g_pen_move.dy;
    if (!more) break;
    if (g_pen_move.code == '0') out.push_back({{x, y}});
    else if (g_pen_move.code == '1') out.back().push_back({x, y});
  }
  EXPECT_NEAR(x, *advance, 1e-4) << "the closing move ends at the advance";
  EXPECT_NEAR(y, 0.0, 1e-4);
  return out;
}

}  // namespace

TEST(TrueTypeOutlines, FlattenedOutlinesFollowFreeTypesOwn) {
  FT_Library library;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  constexpr double TOLERANCE = 0.002;  // glyph units
  for (const Face& f : FACES) {
    FT_Face ft;
    ASSERT_EQ(FT_New_Face(library, f.file, 0, &ft), 0) << f.file;
    const uint8_t* none = nullptr;
    (void)none;
    uint8_t description[TL_LOG_FONT_SIZE];
    set_truetype_description(description, f.family, 400, false);
    const uint32_t face = find_truetype_face(description);
    ASSERT_NE(face, 0u) << f.family;
    EXPECT_EQ(truetype_face_file(face), f.file);
    ASSERT_EQ(FT_Load_Char(ft, 'X', FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
    FT_BBox box;
    FT_Outline_Get_CBox(&ft->glyph->outline, &box);
    for (const char c : std::string("Og&@8")) {
      Reference ref;
      ref.scale = 1.0 / box.yMax;
      ASSERT_EQ(FT_Load_Char(ft, c, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
      FT_Outline_Funcs funcs = {ref_move, ref_line, ref_conic, ref_cubic, 0, 0};
      FT_Outline_Decompose(&ft->glyph->outline, &funcs, &ref);
      float advance = 0;
      const std::vector<Contour> ours = our_contours(c, face, TOLERANCE, &advance);
      EXPECT_NEAR(advance, ft->glyph->advance.x * ref.scale, 1e-5) << f.family << " " << c;
      ASSERT_EQ(ours.size(), ref.contours.size()) << f.family << " " << c;
      for (size_t k = 0; k < ours.size(); ++k) {
        EXPECT_EQ(area(ours[k]) > 0, area(ref.contours[k]) > 0) << f.family << " " << c << " " << k;
        // Our points lie on the exact curves; FreeType's own midpoints between two conic
        // controls are whole font units, so the reference may be up to half a unit (in x and
        // in y) off them.
        const double reference_error = 0.75 * ref.scale;
        for (const P& p : ours[k])
          EXPECT_LT(distance_to(p, ref.contours[k]), reference_error)
              << f.family << " " << c << " " << k;
        for (const P& p : ref.contours[k])
          EXPECT_LT(distance_to(p, ours[k]), TOLERANCE + reference_error)
              << f.family << " " << c << " " << k << " at " << p.x << "," << p.y;
      }
    }
    FT_Done_Face(ft);
  }
  FT_Done_FreeType(library);
}

TEST(TrueTypeOutlines, AFaceNobodyHasGivesLiberationSansAndIdsAreShared) {
  uint8_t a[TL_LOG_FONT_SIZE], b[TL_LOG_FONT_SIZE];
  set_truetype_description(a, "No Such Face Anywhere", 400, false);
  set_truetype_description(b, "No Such Face Anywhere", 400, false);
  const uint32_t id = find_truetype_face(a);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(find_truetype_face(b), id);
  EXPECT_NE(truetype_face_file(id).find("LiberationSans-Regular"), std::string::npos)
      << truetype_face_file(id);
  set_truetype_description(b, "Liberation Sans", 700, false);
  EXPECT_NE(truetype_face_file(find_truetype_face(b)).find("LiberationSans-Bold"),
            std::string::npos);
  // Released faces are found again from the same description.
  release_all_font_handles();
  EXPECT_NE(find_truetype_face(a), 0u);
}

TEST(TrueTypeOutlines, QuadraticsFlattenAsTheirCurvatureAsks) {
  std::vector<float> xs, ys;
  // A control point on the line between the ends: two points.
  EXPECT_EQ(flatten_quadratic(0, 0, 1, 0, 2, 0, 0.001, false, &xs, &ys), 2);
  // w = 1, tolerance 0.001: trunc(1 / sqrt(0.004)) + 2 = 17 points, at most 4 while editing.
  xs.clear();
  ys.clear();
  EXPECT_EQ(flatten_quadratic(0, 0, 0.5, 0.5, 1, 0, 0.001, false, &xs, &ys), 17);
  EXPECT_FLOAT_EQ(xs.front(), 0.0f);
  EXPECT_FLOAT_EQ(xs.back(), 1.0f);
  xs.clear();
  ys.clear();
  EXPECT_EQ(flatten_quadratic(0, 0, 0.5, 0.5, 1, 0, 0.001, true, &xs, &ys), 4);
}

TEST(TrueTypeOutlines, TwoContoursGiveTheirPenCodes) {
  reset_truetype_outline();
  TrueTypeOutline& o = g_truetype;
  o.unit_scale = 1;
  o.xs = {0, 1, 1, 0, 5, 6, 6, 5, 8};
  o.ys = {0, 0, 1, 0, 0, 0, 1, 0, 0};
  o.counts = {4, 4};
  prepare_truetype_outline();
  truetype_start_character();
  std::string codes;
  while (next_truetype_move() != 0) codes += g_pen_move.code;
  EXPECT_EQ(codes, "0Z111z0Z111");
  EXPECT_FLOAT_EQ(g_pen_move.dx, 3.0f);  // the closing move to the advance
}

// The faces the font field offers are fontconfig's scalable faces, as its own tool lists them.
TEST(TrueTypeOutlines, TheFaceListEqualsFontconfigsOwnListing) {
  FILE* pipe = popen("fc-list :outline=true family style 2>/dev/null", "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> expected;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) expected.push_back(line);
  }
  ASSERT_EQ(pclose(pipe), 0) << "fc-list is part of fontconfig";
  std::sort(expected.begin(), expected.end());
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  std::vector<std::string> listed;
  for (const TrueTypeFaceName& f : list_truetype_faces())
    listed.push_back(f.style.empty() ? f.family : f.family + ":style=" + f.style);
  std::sort(listed.begin(), listed.end());
  EXPECT_FALSE(listed.empty());
  EXPECT_EQ(listed, expected);
}
