// Jobs on the curved work surfaces (codes 2 to 10, projected and wrapped) and on a rotary
// surface, made into NC programs by the brenvik-nc tool and read back by the outside G-code
// reader (tools/gcode-check): every cut lies at its depth below the surface as this test
// computes it from the surface's geometry, no rapid passes through the surface, wrapping keeps
// the drawing's lengths, and every rotary angle unwraps back onto the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "nc/work_surface.h"
#include "tests/cam/gcode_reading.h"
#include "tests/cam/nc_tool_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr double PI = 3.14159265358979323846;
constexpr float DEPTH = 0.05f;
// Four decimals written, float operands and chords between subdivided points.
constexpr double ON_SURFACE = 0.003;

struct Surface {
  const char* what;
  int code;
  float radius, r2;
  uint8_t side, wrap, choice;
  float angle, slope;
  // The surface's height at an output point (X, Y), in the frame of the output.
  std::function<double(double, double)> height;
};

double sq(double v) { return v * v; }

std::vector<Surface> surfaces() {
  const double a = 0.2, cone = 1.0;
  std::vector<Surface> out;
  for (uint8_t wrap : {0, 1}) {
    // The job setup asks every curved surface for a radius; the plane takes its step length
    // from it.
    out.push_back({"sloping plane", 2, 10, 0, 0, wrap, 0, static_cast<float>(a),
                   static_cast<float>(PI / 2), [a](double x, double) { return x * std::tan(a); }});
    for (uint8_t side : {0, 1}) {
      const double s = side == 1 ? -1.0 : 1.0;
      out.push_back({"sphere", 3, 2, 0, side, wrap, 0, 0, 0, [s](double x, double y) {
                       return s * (2 - std::sqrt(4 - x * x - y * y));
                     }});
      out.push_back({"cylinder", 4, 2, 0, side, wrap, 0, 0, 0,
                     [s](double, double y) { return s * (2 - std::sqrt(4 - y * y)); }});
      out.push_back({"vertical cone", 6, 1, 0, side, wrap, 0, static_cast<float>(cone), 0,
                     [s, cone](double x, double y) { return s * std::hypot(x, y) / std::tan(cone); }});
    }
  }
  for (uint8_t side : {0, 1}) {
    const double s = side == 1 ? -1.0 : 1.0;
    out.push_back({"oval", 7, 2, 1, side, 0, 0, 0, 0, [s](double x, double y) {
                     return -s * (-1 + std::sqrt(1 - x * x / 4 - y * y));
                   }});
    out.push_back({"side of a torus", 8, 1, 1.2f, side, 0, 0, 0, 0, [s](double x, double y) {
                     const double e = std::hypot(x, y) - 1;
                     return s * (1.2 - std::sqrt(1.44 - e * e));
                   }});
  }
  // The horizontal cone's axis runs along X at the height Zt - R; its radius falls by tan(alpha)
  // along X.
  for (uint8_t side : {0, 1}) {
    const double o = std::tan(0.3);
    out.push_back({"horizontal cone", 5, 1.5f, 0, side, 0, 0, 0.3f, 0, [side, o](double x, double y) {
                     const double rho = 1.5 - o * x;
                     const double w = std::sqrt(rho * rho - y * y);
                     return side == 1 ? -1.5 + w : 1.5 - w;
                   }});
  }
  out.push_back({"top of a vertical torus", 10, 2, 1, 1, 0, 0, 0, 0, [](double x, double y) {
                   return -3 + std::sqrt(sq(2 + std::sqrt(1 - y * y)) - x * x);
                 }});
  out.push_back({"tube of a torus", 9, 3, 1, 1, 0, 0, 0, 0, nullptr});
  return out;
}

class SurfaceReadBack : public NcToolFixture {
 protected:
  void set_up_surface(const Surface& s) {
    JobSettings& job = g_job_settings;
    job.surface_code = static_cast<uint8_t>(s.code);
    job.surface_flag = 1 << (s.code - 1);
    job.surface_radius = s.radius;
    job.surface_length_4 = s.r2;
    job.surface_side = s.side;
    job.surface_yes_no = s.wrap;
    job.surface_choice = s.choice;
    job.surface_angle = s.angle;
    job.slope_angle = s.slope;
    job.tolerance = 0.002f;
    job.post_processor_number = 1;
  }
  bool make(Reading* reading, std::string* error) {
    const fs::path job = save_job();
    const fs::path out = folder_ / "job.nc";
    if (run_tool(quoted(job) + " " + quoted(out)) != 0) {
      *error = tool_log();
      return false;
    }
    // The machine starts well above the work: the program's first positioning comes before
    // its first Z word.
    return read_program(out, "0,0,5", 1.0, reading, error);
  }
};

TEST_F(SurfaceReadBack, CutsFollowEverySurfaceAtTheirDepthAndRapidsClearIt) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  for (const Surface& s : surfaces()) {
    SetUp();
    const std::string label = std::string(s.what) + (s.wrap ? " wrapped" : "") +
                              (s.side ? " side 1" : " side 0");
    set_up_surface(s);
    make_item(ITEM_POLYLINE, {{-0.6f, -0.4f}, {0.7f, -0.4f}, {0.7f, 0.5f}},
              centerline_cut(DEPTH, 0, 1, 10));
    make_item(ITEM_POLYLINE, {{0.5f, 0.6f}, {-0.5f, 0.55f}}, centerline_cut(DEPTH, 0, 1, 20));
    Reading reading;
    std::string error;
    ASSERT_TRUE(make(&reading, &error)) << label << ": " << error;
    int cuts = 0;
    for (const ReadMove& m : reading.moves) {
      for (double v : {m.x2, m.y2, m.z2}) ASSERT_TRUE(std::isfinite(v)) << label;
      if (!s.height) continue;
      const bool moves_xy = std::hypot(m.x2 - m.x1, m.y2 - m.y1) > 1e-6;
      if (m.motion == "G1" && moves_xy) {
        ++cuts;
        EXPECT_NEAR(m.z2, s.height(m.x2, m.y2) - DEPTH, ON_SURFACE)
            << label << ": cut to " << m.x2 << "," << m.y2;
      } else if (m.motion == "G0" && moves_xy) {
        for (int k = 0; k <= 16; ++k) {
          const double f = k / 16.0;
          const double x = m.x1 + (m.x2 - m.x1) * f, y = m.y1 + (m.y2 - m.y1) * f;
          EXPECT_GE(m.z1 + (m.z2 - m.z1) * f, s.height(x, y) - 1e-4)
              << label << ": rapid through the surface at " << x << "," << y;
        }
      }
    }
    if (s.height) {
      EXPECT_GE(cuts, 3) << label;
    }
    TearDown();
  }
}

// Wrapped onto a surface, a line keeps its length round a cylinder, along a sphere's radius and
// up a slope (at the cut depth a curved surface's length shrinks by (R - depth) / R).
TEST_F(SurfaceReadBack, WrappingKeepsTheDrawingsLengths) {
  std::string why;
  if (!reader_available(&why)) FAIL() << why;
  struct Case {
    const char* what;
    int code;
    float radius, angle, slope;
    PointF from, to;
    double scale;
  };
  const Case cases[] = {
      {"round a cylinder", 4, 2, 0, 0, {0, -1}, {0, 1.5f}, (2 - 0.01) / 2},
      {"along a sphere's radius", 3, 2, 0, 0, {0, 0}, {1.2f, 0.9f}, (2 - 0.01) / 2},
      {"up a slope", 2, 10, 0.3f, static_cast<float>(PI / 2), {-1, 0}, {1.5f, 0}, 1.0},
  };
  for (const Case& c : cases) {
    SetUp();
    set_up_surface({c.what, c.code, c.radius, 0, 0, 1, 0, c.angle, c.slope, nullptr});
    make_item(ITEM_POLYLINE, {{c.from.x, c.from.y}, {c.to.x, c.to.y}},
              centerline_cut(0.01f, 0, 1, 10));
    Reading reading;
    std::string error;
    ASSERT_TRUE(make(&reading, &error)) << c.what << ": " << error;
    double length = 0;
    for (const ReadMove& m : reading.moves)
      if (m.motion == "G1") length += std::sqrt(sq(m.x2 - m.x1) + sq(m.y2 - m.y1) + sq(m.z2 - m.z1));
    const double plunge = 0.1 + 0.01;  // from the rapid height down to the cut
    const double drawn = std::hypot(c.to.x - c.from.x, c.to.y - c.from.y);
    EXPECT_NEAR(length - plunge, drawn * c.scale, drawn * 0.01) << c.what;
    TearDown();
  }
}

// On a cylinder on the 4th axis (X wrapped) every angle word, unwrapped by the radius, gives
// back the X of a point of the drawing, and the linear X axis stays at 0.
TEST_F(SurfaceReadBack, RotaryAnglesUnwrapOntoTheDrawing) {
  const float radius = 0.8f;
  set_up_surface({"cylinder on the 4th axis", SURFACE_CYLINDER_4TH_AXIS, radius, 0, 0, 0, 0, 0, 0,
                  nullptr});
  const std::vector<PointF> nodes = {{0, 0}, {2, 0.5f}, {3.5f, 0.5f}};
  std::vector<CamNode> cam_nodes;
  for (const PointF& p : nodes) cam_nodes.push_back({p.x, p.y});
  make_item(ITEM_POLYLINE, cam_nodes, centerline_cut(DEPTH, 0, 1, 10));
  const fs::path job = save_job();
  const fs::path out = folder_ / "job.nc";
  ASSERT_EQ(run_tool(quoted(job) + " " + quoted(out)), 0) << tool_log();
  std::istringstream program(file_text(out));
  std::string line;
  double a = 0, y = 0;
  int angles = 0;
  while (std::getline(program, line)) {
    if (line.empty() || line[0] == '(' || line[0] == '%') continue;
    const size_t at_a = line.find('A'), at_y = line.find('Y'), at_x = line.find('X');
    if (at_x != std::string::npos) {
      EXPECT_EQ(std::stod(line.substr(at_x + 1)), 0.0) << line;
    }
    if (at_y != std::string::npos) y = std::stod(line.substr(at_y + 1));
    if (at_a == std::string::npos) continue;
    a = std::stod(line.substr(at_a + 1));
    ++angles;
    const double x = a * PI / 180.0 * radius;
    // The point (x, y) lies on the polyline.
    double nearest = 1e9;
    for (size_t k = 1; k < nodes.size(); ++k) {
      const double dx = nodes[k].x - nodes[k - 1].x, dy = nodes[k].y - nodes[k - 1].y;
      const double t = std::clamp(((x - nodes[k - 1].x) * dx + (y - nodes[k - 1].y) * dy) /
                                      (dx * dx + dy * dy), 0.0, 1.0);
      nearest = std::min(nearest, std::hypot(x - nodes[k - 1].x - t * dx, y - nodes[k - 1].y - t * dy));
    }
    EXPECT_LT(nearest, 0.002) << line;
  }
  EXPECT_GE(angles, 3);
}

}  // namespace
