// End to end: jobs with engraving texts built here are saved, made into NC programs by the
// brenvik-nc tool and read back by the outside G-code reader. Every cut must lie on the strokes
// this test works out itself, from the Hershey data (or FreeType's own outline) by the layout
// rules, and every stroke must be cut.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "job/job_file.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/gcode_reader.h"
#include "tests/support/test_folder.h"
#include "tests/text/hershey_strokes.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"

namespace {

namespace fs = std::filesystem;
using gcode_reader::ReadMove;
using namespace hershey_test;

constexpr double PI = 3.14159265358979323846;
constexpr float TOLERANCE = 0.002f;
// The job's tolerance, the program's last decimal and the reader's own rounding.
constexpr double ON_STROKE = TOLERANCE + 0.0002;
constexpr float HEIGHT = 1.0f;
constexpr float PEN = 0.03f;  // the centerline tool's cutting width
constexpr double H = HEIGHT - PEN;  // the glyphs' height


// ---- the FreeType outline, through FreeType's own decomposition ----

struct OutlineWalk {
  double scale = 1, ox = 0, oy = 0;
  double x = 0, y = 0;
  std::vector<Segment>* out = nullptr;
  void to(double nx, double ny) {
    out->push_back({ox + x * scale, oy + y * scale, ox + nx * scale, oy + ny * scale});
    x = nx;
    y = ny;
  }
};

int walk_move(const FT_Vector* p, void* user) {
  auto* w = static_cast<OutlineWalk*>(user);
  w->x = p->x;
  w->y = p->y;
  return 0;
}
int walk_line(const FT_Vector* p, void* user) {
  static_cast<OutlineWalk*>(user)->to(p->x, p->y);
  return 0;
}
int walk_conic(const FT_Vector* c, const FT_Vector* p, void* user) {
  auto* w = static_cast<OutlineWalk*>(user);
  const double x0 = w->x, y0 = w->y;
  for (int k = 1; k <= 64; ++k) {
    const double t = k / 64.0, u = 1 - t;
    w->to(u * u * x0 + 2 * t * u * c->x + t * t * p->x, u * u * y0 + 2 * t * u * c->y + t * t * p->y);
  }
  return 0;
}
int walk_cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* p, void* user) {
  auto* w = static_cast<OutlineWalk*>(user);
  const double x0 = w->x, y0 = w->y;
  for (int k = 1; k <= 64; ++k) {
    const double t = k / 64.0, u = 1 - t;
    w->to(u * u * u * x0 + 3 * u * u * t * c1->x + 3 * u * t * t * c2->x + t * t * t * p->x,
          u * u * u * y0 + 3 * u * u * t * c1->y + 3 * u * t * t * c2->y + t * t * t * p->y);
  }
  return 0;
}

class FreeTypeFace {
 public:
  explicit FreeTypeFace(const char* file) {
    EXPECT_EQ(FT_Init_FreeType(&library_), 0);
    EXPECT_EQ(FT_New_Face(library_, file, 0, &face_), 0);
    load('X');
    FT_BBox box;
    FT_Outline_Get_CBox(&face_->glyph->outline, &box);
    unit_ = 1.0 / box.yMax;  // font units per glyph unit: the top of the capital X
  }
  double unit() const { return unit_; }
  ~FreeTypeFace() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  // The outline of a character placed at (ox, oy) with glyph units of `height`; its advance.
  double add_outline(int c, double ox, double oy, double height, std::vector<Segment>* out) {
    load(c);
    OutlineWalk w;
    w.scale = unit_ * height;
    w.ox = ox;
    w.oy = oy;
    w.out = out;
    FT_Outline_Funcs funcs = {walk_move, walk_line, walk_conic, walk_cubic, 0, 0};
    FT_Outline_Decompose(&face_->glyph->outline, &funcs, &w);
    return face_->glyph->advance.x * unit_;
  }

 private:
  void load(int c) {
    ASSERT_EQ(FT_Load_Char(face_, c, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
  }
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  double unit_ = 1;
};

// ---- the job and the run ----

class TextNcTest : public MakeNcFixture {
 protected:
  void SetUp() override {
    MakeNcFixture::SetUp();
    folder_ = make_test_folder("brenvik_text_nc");
    g_job_settings.tolerance = TOLERANCE;
  }
  void TearDown() override {
    MakeNcFixture::TearDown();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  DrawingItem* add_text(const char* text, const TextLayout& layout, float pen = PEN) {
    DrawingItem* item = new_text_item();
    set_line_text(text, item);
    item = g_lists.current.last;
    item->state = ITEM_FLAG_SELECTED;
    set_item_id(item, ++last_id_);
    CamParams p = centerline_cut(0.01f, 0, 1, 10);
    p.finishing.cut_width = pen;
    put_block_cam(item_block(item), p);
    write_text_layout(layout, block_text_layout(item_block(item)));
    return item;
  }

  static TextLayout straight_layout() {
    TextLayout l;
    l.height = l.entered_height = HEIGHT;
    l.width_factor = 1;
    l.v_justify = JUSTIFY_BOTTOM;
    return l;
  }

  // Saves the job, runs the tool and reads the program back.
  std::vector<ReadMove> run(std::string* log) {
    use_definition();
    reset_layers();
    const fs::path job = folder_ / "text.job";
    EXPECT_EQ(write_job_to_path(job.string()), 0);
    const fs::path out = folder_ / "text.nc";
    const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job.string() + "' '" +
                                out.string() + "' > '" + (folder_ / "tool.log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream in(folder_ / "tool.log");
    *log = std::string(std::istreambuf_iterator<char>(in), {});
    std::vector<ReadMove> moves;
    if (status != 0) return moves;
    std::string error;
    EXPECT_TRUE(gcode_reader::read_moves(out, "0,0,0", &moves, &error)) << error;
    return moves;
  }

  // Every cut on a stroke, every stroke cut.
  static void check(const std::vector<ReadMove>& moves, const std::vector<Segment>& strokes,
                    const char* label, double on_stroke = ON_STROKE) {
    std::vector<Segment> cuts;
    for (const ReadMove& m : moves) {
      if (!gcode_reader::is_cut(m)) continue;
      const auto points = gcode_reader::samples(m, 8);
      for (size_t k = 1; k < points.size(); ++k)
        cuts.push_back({points[k - 1].first, points[k - 1].second, points[k].first, points[k].second});
      for (const auto& [x, y] : points)
        EXPECT_LT(nearest(x, y, strokes), on_stroke) << label << ": a cut at " << x << "," << y;
    }
    ASSERT_FALSE(cuts.empty()) << label;
    for (const Segment& s : strokes)
      for (int k = 0; k <= 4; ++k) {
        const double x = s.x1 + (s.x2 - s.x1) * k / 4, y = s.y1 + (s.y2 - s.y1) * k / 4;
        EXPECT_LT(nearest(x, y, cuts), on_stroke) << label << ": no cut at " << x << "," << y;
      }
  }

  // The program the last run wrote.
  std::string program_text() const {
    std::ifstream in(folder_ / "text.nc");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder_;
};

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

TEST_F(TextNcTest, AWordInFontZeroIsCutAlongItsStrokes) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  TextLayout l = straight_layout();
  l.anchor = PointF{1, 2};
  add_text("HELLO", l);
  std::string log;
  const std::vector<ReadMove> moves = run(&log);
  ASSERT_FALSE(moves.empty()) << log;
  // The first character starts half a pen in from the frame's corner; every later one a pen
  // further on than the advances alone.
  std::vector<Segment> strokes;
  double x = 1 + PEN / 2;
  const double y = 2 + PEN / 2;
  int k = 0;
  for (const char c : std::string("HELLO")) {
    const HersheyRecord r = hershey_record(c);
    if (k++ > 0) x += PEN;
    add_hershey_strokes(r, x, y, 0.0, &strokes, H);
    x += hershey_advance(r) * H;
  }
  check(moves, strokes, "HELLO");
}

TEST_F(TextNcTest, AWordOnAnArcIsCutAlongItsStrokes) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  TextLayout l = straight_layout();
  l.arc_radius = 5;
  l.angle = 90;
  l.anchor = PointF{0, 0};
  l.h_justify = l.v_justify = 1;
  add_text("ARC", l);
  std::string log;
  const std::vector<ReadMove> moves = run(&log);
  ASSERT_FALSE(moves.empty()) << log;
  // Clockwise over the top: the characters stand on the baseline radius, each on the chord
  // its advance spans, the pens between them as angles too; the whole centred on 90 degrees.
  const double r = 5 + PEN / 2;
  const double pen_angle = 2 * std::asin(PEN / 2 / r);
  std::vector<HersheyRecord> records;
  double total = pen_angle;
  for (const char c : std::string("ARC")) {
    records.push_back(hershey_record(c));
    total += 2 * std::asin(hershey_advance(records.back()) * H / (2 * r));
  }
  total += 2 * pen_angle;
  double phi = PI / 2 + total / 2 - pen_angle / 2;
  std::vector<Segment> strokes;
  for (size_t k = 0; k < records.size(); ++k) {
    if (k > 0) phi -= pen_angle;
    const double turn = 2 * std::asin(hershey_advance(records[k]) * H / (2 * r));
    add_hershey_strokes(records[k], r * std::cos(phi), r * std::sin(phi), phi - turn / 2 - PI / 2,
                        &strokes, H);
    phi -= turn;
  }
  check(moves, strokes, "ARC on an arc");
}

// Counter-clockwise text runs the other way round the arc, measured on the same circle as
// clockwise text: turned half round in its place (its tops on that circle, toward the centre,
// its baseline a glyph height outwards), or, mirrored, reversed left to right with its baseline
// on that circle and its tops outwards.
TEST_F(TextNcTest, CounterClockwiseArcTextRunsTheOtherWayRound) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  for (const bool mirrored : {false, true}) {
    SCOPED_TRACE(mirrored ? "mirrored" : "turned");
    TextLayout l = straight_layout();
    l.arc_radius = 5;
    l.arc_direction = 1;
    l.angle = 270;
    l.anchor = PointF{0, 0};
    l.h_justify = l.v_justify = 1;
    if (mirrored) l.flags |= TEXT_FLAG_MIRRORED;
    add_text("ARC", l);
    std::string log;
    const std::vector<ReadMove> moves = run(&log);
    ASSERT_FALSE(moves.empty()) << log;
    const double r = 5 + PEN / 2;
    const double pen_angle = 2 * std::asin(PEN / 2 / r);
    std::vector<HersheyRecord> records;
    double total = 3 * pen_angle;
    for (const char c : std::string("ARC")) {
      records.push_back(hershey_record(c));
      total += 2 * std::asin(hershey_advance(records.back()) * H / (2 * r));
    }
    // Centred on 270 degrees, from its start angle upwards.
    double phi = 3 * PI / 2 - total / 2 + pen_angle / 2;
    std::vector<Segment> strokes;
    for (size_t k = 0; k < records.size(); ++k) {
      if (k > 0) phi += pen_angle;
      const double turn = 2 * std::asin(hershey_advance(records[k]) * H / (2 * r));
      const double middle = phi + turn / 2;
      const double sx = r * std::cos(phi), sy = r * std::sin(phi);
      const double along = middle + PI / 2;  // the chord, counter-clockwise
      add_placed_strokes(
          records[k],
          [&](double gx, double gy) {
            const double out = (mirrored ? gy : 1 - gy) * H;
            return std::pair<double, double>{
                sx + gx * H * std::cos(along) + out * std::cos(middle),
                sy + gx * H * std::sin(along) + out * std::sin(middle)};
          },
          &strokes);
      phi += turn;
    }
    check(moves, strokes, mirrored ? "ARC mirrored counter-clockwise" : "ARC counter-clockwise");
    free_current_list();
  }
}

// A vertical text stacks its characters downwards from its top, each centred on the line; the
// mirrored one reverses each character left to right about that line.
TEST_F(TextNcTest, AVerticalTextStacksItsCharactersDownwards) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  for (const bool mirrored : {false, true}) {
    SCOPED_TRACE(mirrored ? "mirrored" : "plain");
    TextLayout l = straight_layout();
    l.anchor = PointF{3, 10};
    l.flags = TEXT_FLAG_VERTICAL | (mirrored ? TEXT_FLAG_MIRRORED : 0);
    l.v_justify = JUSTIFY_TOP;
    add_text("LF", l);
    std::string log;
    const std::vector<ReadMove> moves = run(&log);
    ASSERT_FALSE(moves.empty()) << log;
    std::vector<Segment> strokes;
    double y = 10 - (1 - PEN / (2 * H)) * H;
    for (const char c : std::string("LF")) {
      const HersheyRecord rec = hershey_record(c);
      const double half = hershey_advance(rec) / 2;
      add_placed_strokes(
          rec,
          [&](double gx, double gy) {
            const double x = (gx - half) * H;
            return std::pair<double, double>{3 + (mirrored ? -x : x), y + gy * H};
          },
          &strokes);
      y -= H + PEN;
    }
    check(moves, strokes, mirrored ? "LF vertical mirrored" : "LF vertical");
    free_current_list();
  }
}

// A vertical text on an arc: each character takes the chord of one glyph height along the arc,
// its baseline at the far end of it, its glyph centred across the arc and reading outwards.
TEST_F(TextNcTest, AVerticalTextOnAnArcStacksItsCharactersAlongIt) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  // A format code (a depth of 100 %) takes no place of its own.
  for (const std::string& text : {std::string("AH"), std::string("A\x05\xf3H")}) {
    SCOPED_TRACE(text.size());
    TextLayout l = straight_layout();
    l.arc_radius = 5;
    l.angle = 90;
    l.anchor = PointF{0, 0};
    l.flags = TEXT_FLAG_VERTICAL;
    l.h_justify = l.v_justify = 1;
    add_text(text.c_str(), l);
    std::string log;
    const std::vector<ReadMove> moves = run(&log);
    ASSERT_FALSE(moves.empty()) << log;
    const double r = 5;
    const double pen_angle = 2 * std::asin(PEN / 2 / r);
    const double place = 2 * std::asin(H / 2 / r);
    const double total = 2 * place + 2 * pen_angle;
    double phi = PI / 2 + total / 2 - pen_angle / 2;  // clockwise from the start
    std::vector<Segment> strokes;
    int k = 0;
    for (const char c : std::string("AH")) {
      if (k++ > 0) phi -= pen_angle;
      const HersheyRecord rec = hershey_record(c);
      const double middle = phi - place / 2;
      const double bx = r * std::cos(phi - place), by = r * std::sin(phi - place);
      const double up = middle + PI / 2;
      const double half = hershey_advance(rec) / 2;
      add_placed_strokes(
          rec,
          [&](double gx, double gy) {
            const double x = (gx - half) * H, y = gy * H;
            return std::pair<double, double>{bx + x * std::cos(middle) + y * std::cos(up),
                                             by + x * std::sin(middle) + y * std::sin(up)};
          },
          &strokes);
      phi -= place;
    }
    check(moves, strokes, "AH vertical on an arc");
    free_current_list();
  }
}

TEST_F(TextNcTest, ATrueTypeWordIsCutAlongItsOutlines) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  TextLayout l = straight_layout();
  set_truetype_description(l.log_font, "Liberation Sans", 400, false);
  add_text("Ogre", l);
  std::string log;
  const std::vector<ReadMove> moves = run(&log);
  ASSERT_FALSE(moves.empty()) << log;
  FreeTypeFace face("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
  std::vector<Segment> strokes;
  double x = PEN / 2;
  int k = 0;
  for (const char c : std::string("Ogre")) {
    if (k++ > 0) x += PEN;
    x += face.add_outline(c, x, PEN / 2, H, &strokes) * H;
  }
  // FreeType's own midpoints between conic controls are whole font units: the reference may
  // be half a unit (in x and y) off the exact curve.
  check(moves, strokes, "Ogre in Liberation Sans", ON_STROKE + 0.75 * face.unit() * H);
}

// The depth code scales the depth below the item's surface, never the Z: 50 % of 0.1 below a
// surface at Z -1 cuts at -1.05, 0 % at the surface itself. It holds for the one character after
// it (two after the keep code), on every item of the run, on every depth pass and after every
// lift, and no rapid across the work runs below the rapid height.
TEST_F(TextNcTest, TheDepthCodeScalesTheDepthBelowTheSurface) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  auto depth = [](int percent) {
    return std::string("\x05") + static_cast<char>(FORMAT_PERCENT_BASE + percent);
  };
  struct Case {
    std::string text;  // two characters, "HI", with their codes
    float anchor_x;
    double h_factor, i_factor;  // of the depth, for the H and for the I
    int passes = 1;
  };
  const Case cases[] = {
      {depth(50) + "HI", 1, 0.5, 1.0},
      {depth(0) + "HI", 11, 0.0, 1.0},
      {"H" + depth(110) + "I", 21, 1.0, 1.1},
      {"\x18" + depth(50) + "HI", 31, 0.5, 0.5},
      {"H" + depth(0) + "I", 41, 1.0, 0.0},
      {depth(50) + "HI", 51, 0.5, 1.0, 2},
  };
  for (const Case& c : cases) {
    TextLayout l = straight_layout();
    l.anchor = PointF{c.anchor_x, 2};
    DrawingItem* item = add_text(c.text.c_str(), l);
    CamParams p;
    get_block_cam(item_block(item), &p);
    p.surface_z = -1.0f;
    p.finishing.cut_depth = 0.1f;
    p.finishing.step_down = 0.1f / c.passes;
    put_block_cam(item_block(item), p);
  }
  std::string log;
  const std::vector<ReadMove> moves = run(&log);
  ASSERT_FALSE(moves.empty()) << log;
  for (const Case& c : cases) {
    // Per character, the cuts of each pass: pass k of n at k/n of the scaled depth.
    std::vector<int> h_cuts(c.passes, 0), i_cuts(c.passes, 0);
    for (const ReadMove& m : moves) {
      const bool feed = m.motion != "G0" && std::fabs(m.z1 - m.z2) < 1e-6 &&
                        (m.x1 != m.x2 || m.y1 != m.y2);
      if (!feed || m.x2 < c.anchor_x - 1 || m.x2 > c.anchor_x + 5) continue;
      // The H's strokes end before its advance; the I's start after it.
      const bool h = m.x2 < c.anchor_x + 1.0;
      const double factor = h ? c.h_factor : c.i_factor;
      bool known = false;
      for (int k = 1; k <= c.passes; ++k)
        if (std::fabs(m.z2 - (-1.0 - 0.1 * factor * k / c.passes)) < 1e-4) {
          ++(h ? h_cuts : i_cuts)[k - 1];
          known = true;
        }
      EXPECT_TRUE(known) << c.text.size() << " bytes at " << c.anchor_x << ": a cut at "
                         << m.x2 << " at Z " << m.z2;
    }
    for (int k = 0; k < c.passes; ++k) {
      EXPECT_GT(h_cuts[k], 0) << c.anchor_x << " pass " << k + 1;
      EXPECT_GT(i_cuts[k], 0) << c.anchor_x << " pass " << k + 1;
    }
  }
  for (const ReadMove& m : moves) {
    if (m.motion != "G0" || (m.x1 == m.x2 && m.y1 == m.y2)) continue;
    EXPECT_GE(std::min(m.z1, m.z2), -1.0 + 0.1 - 1e-4) << "a rapid at " << m.x2;
  }
}

// The comment modes: the whole text as its glyph names once per item (1), each character's
// name at its start (2), both (3), in the post processor's comment style.
TEST_F(TextNcTest, CommentsNameTheTextAndItsCharacters) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  const struct {
    uint8_t mode;
    int whole, letters;  // comment lines of the whole text, of each of its letters
  } cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}, {3, 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "comment mode " << int(c.mode));
    g_job_settings.comment_mode = c.mode;
    TextLayout l = straight_layout();
    add_text("(H\x05\x8fI)", l);  // a depth code inside
    std::string log;
    const std::vector<ReadMove> moves = run(&log);
    ASSERT_FALSE(moves.empty()) << log;
    const std::string program = program_text();
    EXPECT_EQ(count_of(program, "\n* (HI)\n"), c.whole) << program;
    for (const char* letter : {"\n* (\n", "\n* H\n", "\n* I\n", "\n* )\n"})
      EXPECT_EQ(count_of(program, letter), c.letters) << letter << program;
    // The comment comes once the tool reached the first character: after the program's start.
    if (c.whole > 0) {
      EXPECT_LT(program.find("G0"), program.find("* (HI)"));
    }
    free_current_list();
  }
}

// A character the font lacks (a cp1252 letter above its table) is told once, though the text
// holds it twice, is cut in two depth passes and another text holds it too; the rest is cut.
TEST_F(TextNcTest, AMissingCharacterIsToldOnce) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) FAIL() << why;
  TextLayout l = straight_layout();
  DrawingItem* first = add_text("H\xc4I\xc4", l);
  l.anchor = PointF{10, 0};
  add_text("\xc4", l);
  CamParams p;
  get_block_cam(item_block(first), &p);
  p.finishing.step_down = p.finishing.cut_depth / 2;
  put_block_cam(item_block(first), p);
  std::string log;
  const std::vector<ReadMove> moves = run(&log);
  ASSERT_FALSE(moves.empty()) << log;
  EXPECT_EQ(count_of(log, "not in font 0"), 1) << log;
  EXPECT_EQ(count_of(log, "The character \xc4 is not in font 0."), 1) << log;
}

TEST_F(TextNcTest, ATextThatSendsNothingIsReported) {
  TextLayout l = straight_layout();
  add_text("WIDE", l, HEIGHT);  // the tool is as wide as the text is high
  std::string log;
  run(&log);
  EXPECT_NE(log.find("sends no cut"), std::string::npos) << log;
}
