// Whole staircases made into NC programs the way the designer's OK makes them: a staircase file
// built and placed by brenvik-stairs, made into a program by brenvik-nc, and read back by an
// outside G-code reader. The through-cut follows the construction's outline offset by half the
// tool, turned a quarter plus the pitch (mirrored for the left stringer); the housing cuts stay
// inside the housings and reach every one; the stringers lie mirrored on the rails; the program
// stops only between stringers and set-ups; a second set-up's cuts, moved back, complete the
// outline and its housings; no rapid crosses the work below the rapid height.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "print/stairs_build.h"
#include "tests/print/stairs_expect.h"
#include "tests/support/gcode_reader.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using gcode_reader::ReadMove;
using ref::P;

struct Pt {
  double x, y;
};

double segment_distance(Pt p, P a, P b) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double l2 = vx * vx + vy * vy;
  double t = l2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / l2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

double polygon_distance(Pt p, const std::vector<P>& poly) {
  double best = 1e300;
  for (size_t i = 0; i < poly.size(); ++i)
    best = std::min(best, segment_distance(p, poly[i], poly[(i + 1) % poly.size()]));
  return best;
}

bool inside(Pt p, const std::vector<P>& poly) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
    if ((poly[i].y > p.y) != (poly[j].y > p.y) &&
        p.x < (poly[j].x - poly[i].x) * (p.y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
      in = !in;
  return in;
}

double signed_area(const std::vector<P>& poly) {
  double a = 0;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
    a += poly[j].x * poly[i].y - poly[i].x * poly[j].y;
  return a / 2;
}

// The polygon's outward offset with sharp corners: each vertex where its two sides, moved out
// by d, meet.
std::vector<P> sharp_offset(const std::vector<P>& poly, double d) {
  const double side = signed_area(poly) > 0 ? -1 : 1;  // outward normal turns right of a CCW walk
  std::vector<ref::L> lines;
  for (size_t i = 0; i < poly.size(); ++i) {
    const P a = poly[i], b = poly[(i + 1) % poly.size()];
    const double angle = ref::dir(a, b) + side * ref::PI / 2;
    lines.push_back({ref::at(a, d, angle), ref::at(b, d, angle)});
  }
  std::vector<P> out;
  for (size_t i = 0; i < poly.size(); ++i)
    out.push_back(ref::cross(lines[(i + poly.size() - 1) % poly.size()], lines[i]));
  return out;
}

// A placement of the construction's frame on the table: turned, mirrored, moved.
struct Placement {
  double angle = 0;
  bool mirrored = false;
  P move;
  P apply(P p) const {
    P q = ref::turn(p, {0, 0}, angle);
    if (mirrored) q.x = -q.x;
    return q + move;
  }
  std::vector<P> apply(const std::vector<P>& pts) const {
    std::vector<P> out;
    for (const P& p : pts) out.push_back(apply(p));
    return out;
  }
};

struct Box {
  double lo_x = 1e300, lo_y = 1e300, hi_x = -1e300, hi_y = -1e300;
  void add(double x, double y) {
    lo_x = std::min(lo_x, x);
    lo_y = std::min(lo_y, y);
    hi_x = std::max(hi_x, x);
    hi_y = std::max(hi_y, y);
  }
};

// What a run read back: the moves between two stops, cut at the outline's and the housings'
// depths.
struct Block {
  std::vector<Pt> through;  // at the board's thickness
  std::vector<Pt> housing;  // at the housings' depth
  Box box;
};

struct Case {
  const char* name;
  int32_t kind_word;
  int type;
  double total;
  int n;
  int setups;           // 1 or 2
  int stringers;        // 1 or 2
  bool sharp_outline;   // the cut stringer's offset has sharp corners
  bool has_housings;
};

class StairsEndToEnd : public StairsTest {
 protected:
  void SetUp() override {
    StairsTest::SetUp();
    folder_ = make_test_folder("brenvik_stairs_e2e");
  }
  void TearDown() override {
    if (std::getenv("KEEP") == nullptr) fs::remove_all(folder_);
    StairsTest::TearDown();
  }

  static StairsParams params_of(const Case& c) {
    StairsParams p = design(c.kind_word, c.total, c.n);
    p.kind4_type = c.type;
    if (c.type == STAIRS_TYPE_CUT_STRINGER) {
      p.rise = 180;
      p.run = 250;
      p.total_rise = c.n * p.run;
      p.side = 1;
    }
    return p;
  }

  // The construction of the case (in the build's frame) and its board width and shift.
  static ref::Result construction(const StairsParams& p) {
    ref::Design d = reference_design(p);
    if ((p.kind_word & STAIRS_KIND_MASK) == STAIRS_KIND_HOUSED) return ref::kind1(d);
    if ((p.kind_word & STAIRS_KIND_MASK) == STAIRS_KIND_TREADS) return ref::kind2(d);
    if (p.kind4_type == STAIRS_TYPE_CUT_STRINGER) return ref::cut_stringer(d);
    return ref::kind4(d);
  }

  void run_case(const Case& c) {
    const StairsParams p = params_of(c);
    g_stairs.params = p;
    g_stairs.left_flags = g_stairs.right_flags = STAIRS_BOX_CHECKED;
    const std::string str = (folder_ / (std::string(c.name) + ".str")).string();
    const std::string job = (folder_ / (std::string(c.name) + ".job")).string();
    const std::string nc = (folder_ / (std::string(c.name) + ".nc")).string();
    ASSERT_TRUE(stairs_write_file(str));
    const std::string log = (folder_ / "log").string();
    ASSERT_EQ(std::system(("'" BRENVIK_PROGRAM_DIR "/brenvik-stairs' '" + str + "' '" + job +
                           "' > '" + log + "' 2>&1").c_str()),
              0)
        << read_file_bytes(log);
    ASSERT_EQ(std::system(("'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job + "' '" + nc + "' > '" +
                           log + "' 2>&1").c_str()),
              0)
        << read_file_bytes(log);
    std::vector<ReadMove> moves;
    std::vector<size_t> stops;
    std::string error;
    ASSERT_TRUE(gcode_reader::read_moves(nc, "0,0,50", &moves, &error, &stops)) << error;

    const double rapid = p.outline_cam.rapid_height;
    const double through_z = -p.board_thickness;
    const double housing_z = -p.housing_cam.finishing.cut_depth;
    const double h = 0.5 * p.outline_cam.finishing.cut_width;
    const double tool_radius = 0.5 * p.housing_cam.finishing.cut_width;

    // No rapid moves across the work below the rapid height.
    for (const ReadMove& m : moves) {
      if (m.motion == "G0" && (m.x1 != m.x2 || m.y1 != m.y2)) {
        EXPECT_GE(std::min(m.z1, m.z2), rapid - 1e-3) << m.x1 << "," << m.y1;
      }
    }

    // The blocks between the stops; every block cuts.
    std::vector<Block> blocks(stops.size() + 1);
    size_t block = 0;
    for (size_t i = 0; i < moves.size(); ++i) {
      while (block < stops.size() && i >= stops[block]) ++block;
      const ReadMove& m = moves[i];
      if (!gcode_reader::is_cut(m)) continue;
      for (const auto& [x, y] : gcode_reader::samples(m, 8)) {
        Block& b = blocks[block];
        if (std::fabs(m.z1 - through_z) < 1e-3) b.through.push_back({x, y});
        else if (std::fabs(m.z1 - housing_z) < 1e-3) b.housing.push_back({x, y});
        b.box.add(x, y);
      }
    }
    ASSERT_EQ(blocks.size(), static_cast<size_t>(c.setups * c.stringers));
    for (const Block& b : blocks) EXPECT_FALSE(b.through.empty());

    const ref::Result want = construction(p);
    const ref::Part& outline = want.parts.back();
    const double step = std::hypot(static_cast<double>(p.rise), static_cast<double>(p.run));
    const double shift = want.shift * step;
    ASSERT_EQ(want.shift > 0, c.setups == 2);
    const bool cut_stringer = c.type == STAIRS_TYPE_CUT_STRINGER;
    const bool left_first = c.stringers == 2;  // the mirrored left stringer is cut first
    const double pitch = cut_stringer ? std::atan(static_cast<double>(p.rise) / p.run) : p.pitch_angle;
    const double turn = cut_stringer ? ref::PI / 2 - pitch : 1.5 * ref::PI + pitch;
    const std::vector<P> offset_shape =
        c.sharp_outline ? sharp_offset(outline.pts, h) : outline.pts;
    const double offset_margin = c.sharp_outline ? 0 : h;

    Box all;
    for (int s = 0; s < c.stringers; ++s) {
      SCOPED_TRACE(s == 0 && left_first ? "left stringer" : "right stringer");
      // The stringer's cuts, the second set-up moved back by its shift.
      std::vector<Pt> through, housing;
      std::vector<std::vector<Pt>> housing_by_setup;
      for (int u = 0; u < c.setups; ++u) {
        const Block& b = blocks[s * c.setups + u];
        const double back = u == 1 ? shift : 0;
        std::vector<Pt> mine;
        for (Pt q : b.through) through.push_back({q.x, q.y + back});
        for (Pt q : b.housing) {
          housing.push_back({q.x, q.y + back});
          mine.push_back({q.x, q.y + back});
        }
        housing_by_setup.push_back(mine);
      }
      Box cut;
      for (Pt q : through) cut.add(q.x, q.y);
      // The construction turned (and mirrored), moved onto the cut by its box.
      Placement place{turn, s == 0 && left_first, {0, 0}};
      Box shape;
      for (const P& q : place.apply(offset_shape)) shape.add(q.x, q.y);
      place.move = {cut.lo_x - (shape.lo_x - offset_margin), cut.lo_y - (shape.lo_y - offset_margin)};
      const std::vector<P> placed_outline = place.apply(outline.pts);
      const std::vector<P> placed_offset = place.apply(offset_shape);
      // Where the set-ups part, the first set-up's piece runs across the board.
      double split_y = 1e300;
      if (c.setups == 2 && !cut_stringer) {
        for (const ref::Part& part : want.parts)
          if (part.layer == 2) {
            split_y = place.apply(part.pts[1]).y;
            break;
          }
      }
      const double cut_width = 2 * h;
      for (Pt q : through) {
        if (std::fabs(q.y - split_y) <= cut_width + 0.5) continue;
        const double off = c.sharp_outline ? polygon_distance(q, placed_offset)
                                           : std::fabs(polygon_distance(q, placed_outline) - h);
        EXPECT_LT(off, 0.05) << q.x << "," << q.y;
      }
      // The cut closes around the whole board: every corner of the offset is reached.
      for (const P& corner : placed_offset) {
        double best = 1e300;
        for (Pt q : through) best = std::min(best, std::hypot(q.x - corner.x, q.y - corner.y));
        EXPECT_LT(best, offset_margin + 0.5) << corner.x << "," << corner.y;
      }
      if (c.has_housings) check_housings(want, place, housing_by_setup, tool_radius);
      for (const Block& b : blocks) all.add(b.box.lo_x, b.box.lo_y);
    }
    // On the rails: the board's edge at 0 (the tool's centre h outside it), lowest y at -h (a
    // cut stringer: its lowest point at 0).
    Box through_box;
    for (const Block& b : blocks)
      for (Pt q : b.through) through_box.add(q.x, q.y);
    const double edge = cut_stringer ? 0 : -h;
    EXPECT_NEAR(through_box.lo_y, edge, 0.05);
    if (c.stringers == 2) {
      // Mirrored about the middle of the rails.
      EXPECT_NEAR(through_box.lo_x + through_box.hi_x, p.rail_distance, 0.1);
      if (!cut_stringer) {
        EXPECT_NEAR(through_box.lo_x, -h, 0.05);
      }
    }
  }

  // The housing cuts stay inside the housings (the tool's centre at least its radius from every
  // wall), and each housing is cut by exactly one set-up.
  void check_housings(const ref::Result& want, const Placement& place,
                      const std::vector<std::vector<Pt>>& by_setup, double radius) {
    struct Housing {
      std::vector<P> poly;
      int layer;
      std::vector<Pt> wall;  // its sides, arcs as arcs, without the ones it shares
    };
    std::vector<Housing> housings;
    for (const ref::Part& part : want.parts) {
      if (part.layer == 1) continue;
      Housing h{place.apply(part.pts), part.layer, {}};
      const size_t n = part.pts.size();
      for (size_t k = 0; k < n; ++k) {
        if (std::find(part.jumps.begin(), part.jumps.end(), static_cast<int>(k)) != part.jumps.end())
          continue;
        const P a = part.pts[k], b = part.pts[(k + 1) % n];
        const ref::Arc* arc = nullptr;
        for (const ref::Arc& r : part.arcs)
          if (r.link == static_cast<int>(k)) arc = &r;
        const int steps = std::max(1, static_cast<int>(ref::dist(a, b) / 0.25));
        for (int j = 0; j <= steps; ++j) {
          P q = a + (static_cast<double>(j) / steps) * (b - a);
          if (arc != nullptr) {  // clockwise from a to b about the centre
            const double a0 = ref::dir(arc->centre, a);
            double sweep = a0 - ref::dir(arc->centre, b);
            if (sweep < 0) sweep += 2 * ref::PI;
            q = ref::at(arc->centre, ref::dist(arc->centre, a), a0 - sweep * j / steps);
          }
          const P placed = place.apply(q);
          h.wall.push_back({placed.x, placed.y});
        }
      }
      housings.push_back(h);
    }
    // A side inside another housing is no wall either.
    for (size_t i = 0; i < housings.size(); ++i) {
      std::vector<Pt> kept;
      for (Pt q : housings[i].wall) {
        bool covered = false;
        for (size_t o = 0; o < housings.size() && !covered; ++o)
          covered = o != i && inside(q, housings[o].poly) && polygon_distance(q, housings[o].poly) > 0.05;
        if (!covered) kept.push_back(q);
      }
      housings[i].wall = kept;
    }
    std::vector<Pt> walls;
    for (const Housing& h : housings) walls.insert(walls.end(), h.wall.begin(), h.wall.end());
    for (const std::vector<Pt>& cuts : by_setup)
      for (size_t k = 0; k < cuts.size(); k += 3) {
        const Pt q = cuts[k];
        bool in = false;
        for (const Housing& h : housings)
          in = in || inside(q, h.poly) || polygon_distance(q, h.poly) < 0.05;
        ASSERT_TRUE(in) << "a housing cut outside the housings at " << q.x << "," << q.y;
        double nearest = 1e300;
        for (Pt w : walls) nearest = std::min(nearest, std::hypot(w.x - q.x, w.y - q.y));
        EXPECT_GT(nearest, radius - 0.1) << q.x << "," << q.y;
      }
    // Each housing is reached, by exactly one set-up: the one of its layer.
    for (size_t i = 0; i < housings.size(); ++i) {
      int reached = 0;
      for (size_t u = 0; u < by_setup.size(); ++u) {
        bool hit = false;
        for (Pt q : by_setup[u])
          hit = hit || (inside(q, housings[i].poly) && polygon_distance(q, housings[i].poly) > 0.5);
        if (hit) {
          ++reached;
          EXPECT_EQ(static_cast<int>(u), housings[i].layer == 2 ? 1 : 0) << "housing " << i;
        }
      }
      EXPECT_EQ(reached, 1) << "housing " << i;
    }
  }

  fs::path folder_;
};

TEST_F(StairsEndToEnd, DesignsBecomeTheProgramsThatCutThem) {
  std::string why;
  if (!gcode_reader::reader_available(&why)) GTEST_SKIP() << why;
  const Case cases[] = {
      {"housed8", STAIRS_KIND_HOUSED | STAIRS_METRIC, 0, 1400, 8, 1, 2, false, true},
      {"housed17", STAIRS_KIND_HOUSED | STAIRS_METRIC, 0, 2800, 17, 2, 2, false, true},
      {"treads8", STAIRS_KIND_TREADS | STAIRS_METRIC, 0, 1400, 8, 1, 2, false, true},
      {"cut7", STAIRS_KIND_SPECIAL | STAIRS_METRIC, STAIRS_TYPE_CUT_STRINGER, 0, 7, 1, 2, true,
       false},
      {"special0", STAIRS_KIND_SPECIAL | STAIRS_METRIC, 0, 1400, 8, 1, 1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    run_case(c);
  }
}

TEST_F(StairsEndToEnd, ARefusedFileOrADesignThatIsNotWholeExitsWithTheReason) {
  const std::string bad = (folder_ / "bad.str").string();
  write_file_bytes(bad, "not a staircase");
  const std::string log = (folder_ / "log").string();
  const std::string job = (folder_ / "out.job").string();
  EXPECT_NE(std::system(("'" BRENVIK_PROGRAM_DIR "/brenvik-stairs' '" + bad + "' '" + job +
                         "' > '" + log + "' 2>&1").c_str()),
            0);
  EXPECT_NE(read_file_bytes(log).find(STAIRS_READ_ERROR_TEXT), std::string::npos);
  g_stairs.params = design(STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8);
  g_stairs.params.total_rise = 0;
  const std::string empty = (folder_ / "empty.str").string();
  ASSERT_TRUE(stairs_write_file(empty));
  EXPECT_NE(std::system(("'" BRENVIK_PROGRAM_DIR "/brenvik-stairs' '" + empty + "' '" + job +
                         "' > '" + log + "' 2>&1").c_str()),
            0);
  EXPECT_NE(read_file_bytes(log).find(STAIRS_VALUES_MISSING_TEXT), std::string::npos);
  EXPECT_FALSE(fs::exists(job));
}

}  // namespace
