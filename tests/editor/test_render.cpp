// Item rendering on the headless canvas, judged against the exact geometry in double precision:
// every drawn pixel lies within 1.5 pixels of the true curve plus the chord's sagitta, and no
// stretch of the true curve inside the paint box lacks a drawn pixel that near. Views are
// seeded at random, fitted and at deep zoom.
#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "editor_fixture.h"
#include "geometry/bezier.h"
#include "geometry/point_arrays.h"
#include "geometry/spline_run.h"

namespace {

constexpr double PIXEL_SLACK = 1.5;
constexpr double ARC_SAGITTA = 0.83;
constexpr double ELLIPSE_SAGITTA = 1.7;

// A curve in world units: p(t) for t in [t0, t1], and how far it moves per unit of t at most.
struct TrueCurve {
  std::function<void(double t, double* x, double* y)> at;
  double t0 = 0.0, t1 = 1.0;
  double speed = 1.0;  // world units per unit of t, at most
};

class RenderTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    clear_area();
  }

  // World to client pixel centre, in double.
  static void to_pixel(double wx, double wy, double* px, double* py) {
    const ViewState& v = g_view;
    *px = (wx - v.view_left) * v.scale_x;
    *py = (v.view_top - wy) * v.scale_y + v.area_top;
  }

  // Densely sampled points of the curve that lie inside the paint box (pixels), found without
  // walking the invisible part of a curve a million pixels long.
  static std::vector<std::pair<double, double>> visible_samples(const TrueCurve& c, double margin) {
    const ViewState& v = g_view;
    std::vector<std::pair<double, double>> out;
    const double speed_px = c.speed * v.scale_x;
    const int coarse = 4096;
    const double dt = (c.t1 - c.t0) / coarse;
    for (int i = 0; i < coarse; ++i) {
      const double ta = c.t0 + dt * i;
      double x = 0, y = 0;
      c.at(ta + dt / 2, &x, &y);
      double px = 0, py = 0;
      to_pixel(x, y, &px, &py);
      const double reach = speed_px * dt / 2 + 2;
      if (px + reach < 0 || px - reach > v.box_width || py + reach < v.area_top ||
          py - reach > v.area_top + v.box_height)
        continue;
      const int fine = static_cast<int>(std::min(speed_px * dt / 0.4 + 1, 2e6));
      for (int k = 0; k <= fine; ++k) {
        c.at(ta + dt * k / fine, &x, &y);
        to_pixel(x, y, &px, &py);
        if (px >= margin && px <= v.box_width - 1 - margin && py >= v.area_top + margin &&
            py <= v.area_top + v.box_height - 1 - margin)
          out.emplace_back(px, py);
      }
    }
    return out;
  }

  // Both judgements of one drawn curve; `what` names the case in failures.
  void judge(const TrueCurve& c, double sagitta, const std::string& what) {
    const double tolerance = PIXEL_SLACK + sagitta;
    const auto drawn = drawn_pixels();
    const auto samples = visible_samples(c, 3.0);
    // Every drawn pixel near the true curve: measured against the dense samples (0.4 px apart),
    // with their spacing allowed for.
    if (!samples.empty()) {
      int far = 0;
      for (const auto& [x, y] : drawn) {
        double best = 1e300;
        for (const auto& [sx, sy] : samples) best = std::min(best, std::hypot(sx - x, sy - y));
        const bool near_edge = x < 4 || x > g_view.box_width - 5 || y < g_view.area_top + 4 ||
                               y > g_view.area_top + g_view.box_height - 5;
        if (best > tolerance + 0.2 && !near_edge) ++far;
      }
      EXPECT_EQ(far, 0) << what << ": pixels off the curve";
    }
    // No gap: no stretch of the visible curve longer than 1.5 pixels lacks a drawn pixel
    // within the tolerance (so a line's end pixel, left out as the canvas does, is no gap).
    std::vector<uint8_t> mark(static_cast<size_t>(g_view.box_width) * (g_view.box_height + 1));
    for (const auto& [x, y] : drawn)
      mark[static_cast<size_t>(y - g_view.area_top) * g_view.box_width + x] = 1;
    const int r = static_cast<int>(std::ceil(tolerance));
    auto covered = [&](double sx, double sy) {
      const int cx = static_cast<int>(std::lround(sx));
      const int cy = static_cast<int>(std::lround(sy));
      for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x) {
          if (x < 0 || x >= g_view.box_width || y < g_view.area_top ||
              y >= g_view.area_top + g_view.box_height)
            continue;
          if (mark[static_cast<size_t>(y - g_view.area_top) * g_view.box_width + x] != 0 &&
              std::hypot(x - sx, y - sy) <= tolerance)
            return true;
        }
      return false;
    };
    int gaps = 0;
    size_t run_start = 0;
    bool in_run = false;
    for (size_t k = 0; k <= samples.size(); ++k) {
      const bool open = k < samples.size() && !covered(samples[k].first, samples[k].second);
      // A jump between samples starts a new stretch (another visible piece of the curve).
      const bool jump = k > 0 && k < samples.size() &&
                        std::hypot(samples[k].first - samples[k - 1].first,
                                   samples[k].second - samples[k - 1].second) > 1.0;
      if (in_run && (!open || jump)) {
        const auto& a = samples[run_start];
        const auto& b = samples[k - 1];
        if (std::hypot(a.first - b.first, a.second - b.second) > PIXEL_SLACK && ++gaps <= 3)
          ADD_FAILURE() << what << ": a gap from " << a.first << "," << a.second << " to "
                        << b.first << "," << b.second;
        in_run = false;
      }
      if (open && !in_run) {
        run_start = k;
        in_run = true;
      }
    }
    EXPECT_EQ(gaps, 0) << what << " (" << samples.size() << " samples)";
  }

  static void draw_all() {
    clear_area();
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      g_draw_style.draw_colour = item_layer(item);
      draw_item(item, 0);
    }
  }
};

// A view of `scale` pixels per unit whose window shows the point (x, y) somewhere inside.
void view_near(std::mt19937& rng, double scale, double x, double y) {
  std::uniform_real_distribution<double> frac(0.1, 0.9);
  const ViewState& v = g_view;
  const double w = v.area_width / scale;
  const double h = (v.area_bottom - v.area_top) / scale;
  EditorFixture::set_view(static_cast<float>(scale), static_cast<float>(x - frac(rng) * w),
                          static_cast<float>(y + frac(rng) * h));
}

double random_scale(std::mt19937& rng) {
  std::uniform_real_distribution<double> e(0.0, 6.7);  // 1 to 5,000,000 pixels per unit
  return std::pow(10.0, e(rng));
}

TEST_F(RenderTest, LinesUnderRandomViews) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> coord(-50.0, 50.0);
  for (int i = 0; i < 40; ++i) {
    free_current_list();
    const PointF a = {static_cast<float>(coord(rng)), static_cast<float>(coord(rng))};
    const PointF b = {static_cast<float>(coord(rng)), static_cast<float>(coord(rng))};
    add_polyline({a, b});
    std::uniform_real_distribution<double> along(0.0, 1.0);
    const double t = along(rng);
    view_near(rng, random_scale(rng), a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
    draw_all();
    TrueCurve c;
    c.at = [&](double s, double* x, double* y) {
      *x = a.x + (static_cast<double>(b.x) - a.x) * s;
      *y = a.y + (static_cast<double>(b.y) - a.y) * s;
    };
    c.speed = std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
    judge(c, 0.0, "line " + std::to_string(i));
  }
}

TEST_F(RenderTest, ArcsBothWaysAndCirclesUnderRandomViews) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> coord(-20.0, 20.0);
  std::uniform_real_distribution<double> angle(0.0, ANGLE_TWO_PI);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 60; ++i) {
    free_current_list();
    const PointF centre = {static_cast<float>(coord(rng)), static_cast<float>(coord(rng))};
    const bool circle = i % 3 == 0;
    // Radii from 0.1 to 6000 pixels at the fitted scales, and anything at the deep ones.
    const double scale = i % 2 == 0 ? std::pow(10.0, 1.0 + 2.0 * unit(rng)) : random_scale(rng);
    const double radius_px = std::pow(10.0, -1.0 + 4.78 * unit(rng));
    const float radius = static_cast<float>(i % 2 == 0 ? radius_px / scale : 0.01 + 30 * unit(rng));
    const float a0 = static_cast<float>(angle(rng));
    const float sweep = circle ? static_cast<float>(ANGLE_TWO_PI) : static_cast<float>(0.05 + 6.0 * unit(rng));
    const bool clockwise = i % 4 == 1;
    if (circle) add_circle(centre, radius);
    else add_arc(centre, radius, a0, sweep, clockwise);
    const double on = a0 + sweep * unit(rng);
    view_near(rng, scale, centre.x + radius * std::cos(on), centre.y + radius * std::sin(on));
    draw_all();
    if (radius * g_view.scale_x < 0.3 && circle) continue;  // one dot: its own case below
    TrueCurve c;
    c.at = [&](double t, double* x, double* y) {
      *x = centre.x + static_cast<double>(radius) * std::cos(a0 + t);
      *y = centre.y + static_cast<double>(radius) * std::sin(a0 + t);
    };
    c.t1 = sweep;
    c.speed = radius;
    judge(c, ARC_SAGITTA, "arc " + std::to_string(i));
  }
}

TEST_F(RenderTest, RotatedEllipsesUnderRandomViews) {
  std::mt19937 rng(37);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 30; ++i) {
    free_current_list();
    const PointF c0 = {static_cast<float>(20 * unit(rng) - 10), static_cast<float>(20 * unit(rng) - 10)};
    const double a = 0.05 + 10 * unit(rng);
    const double b = 0.05 + 10 * unit(rng);
    const double rot = ANGLE_TWO_PI * unit(rng);
    DrawingItem* item = add_item(ITEM_ELLIPSE, 1);
    LinkRecord* r = item_nodes(item);
    // The node lies across the rotation at distance a, the next node along it at distance b.
    r[0].centre = c0;
    r[0].point = {static_cast<float>(c0.x + a * std::cos(rot + M_PI / 2)),
                  static_cast<float>(c0.y + a * std::sin(rot + M_PI / 2))};
    r[1].point = {static_cast<float>(c0.x + b * std::cos(rot)), static_cast<float>(c0.y + b * std::sin(rot))};
    r[0].code = LINK_ELLIPSE;
    r[0].node_flags = NODE_FIRST;
    r[1].node_flags = NODE_CLOSING;
    item_bounding_boxes(item);
    // The stored nodes in single precision are the ellipse the program holds.
    const double ea = std::hypot(static_cast<double>(r[0].point.x) - c0.x, static_cast<double>(r[0].point.y) - c0.y);
    const double eb = std::hypot(static_cast<double>(r[1].point.x) - c0.x, static_cast<double>(r[1].point.y) - c0.y);
    const double er = std::atan2(static_cast<double>(r[1].point.y) - c0.y, static_cast<double>(r[1].point.x) - c0.x);
    const double t = ANGLE_TWO_PI * unit(rng);
    const double ux = eb * std::cos(t), uy = ea * std::sin(t);
    view_near(rng, i % 2 == 0 ? 5.0 + 60 * unit(rng) : random_scale(rng),
              c0.x + ux * std::cos(er) - uy * std::sin(er), c0.y + ux * std::sin(er) + uy * std::cos(er));
    draw_all();
    TrueCurve c;
    c.at = [&](double s, double* x, double* y) {
      const double px = eb * std::cos(s), py = ea * std::sin(s);
      *x = c0.x + px * std::cos(er) - py * std::sin(er);
      *y = c0.y + px * std::sin(er) + py * std::cos(er);
    };
    c.t1 = ANGLE_TWO_PI;
    c.speed = std::max(ea, eb);
    judge(c, ELLIPSE_SAGITTA, "ellipse " + std::to_string(i));
  }
}

TEST_F(RenderTest, BezierAndSplineRunsAtFittedViews) {
  std::mt19937 rng(41);
  std::uniform_real_distribution<double> coord(0.0, 10.0);
  for (int i = 0; i < 12; ++i) {
    free_current_list();
    const bool bezier = i % 2 == 0;
    std::vector<PointF> nodes;
    for (int k = 0; k < 5; ++k)
      nodes.push_back({static_cast<float>(k * 2.5 + coord(rng) * 0.2), static_cast<float>(coord(rng))});
    DrawingItem* item = add_polyline(nodes);
    LinkRecord* r = item_nodes(item);
    for (int k = 0; k < 4; ++k) r[k].code = bezier ? LINK_BEZIER : LINK_SPLINE;
    for (int k = 1; k < 4; ++k) r[k].node_flags = NODE_TANGENT;
    item_bounding_boxes(item);
    set_view(40.0f + 20.0f * i, -1.0f, 12.0f);
    draw_all();
    TrueCurve c;
    std::vector<PointF> reference;
    if (bezier) {
      c.at = [&](double t, double* x, double* y) {
        const PointF p = bezier_point(nodes.data(), static_cast<int>(nodes.size()), t);
        *x = p.x;
        *y = p.y;
      };
      c.speed = 40.0;
    } else {
      // The spline the program means: sampled finely (a thousandth of a pixel) in world units.
      std::vector<double> xs, ys;
      for (const PointF& p : nodes) {
        xs.push_back(p.x);
        ys.push_back(p.y);
      }
      static double ox[SPLINE_MAX_POINTS], oy[SPLINE_MAX_POINTS];
      const int n = spline_through_points(xs.data(), ys.data(), static_cast<int>(xs.size()), 0, 0,
                                          SPLINE_END_NATURAL, SPLINE_END_NATURAL,
                                          0.0005 / g_view.scale_x, ox, oy);
      ASSERT_GT(n, 2);
      for (int k = 0; k < n; ++k) reference.push_back({static_cast<float>(ox[k]), static_cast<float>(oy[k])});
      c.at = [&](double t, double* x, double* y) {
        const double at = t * (reference.size() - 1);
        const size_t k = std::min(static_cast<size_t>(at), reference.size() - 2);
        const double f = at - k;
        *x = reference[k].x + (reference[k + 1].x - reference[k].x) * f;
        *y = reference[k].y + (reference[k + 1].y - reference[k].y) * f;
      };
      c.speed = 40.0;
    }
    judge(c, ARC_SAGITTA, (bezier ? "bezier " : "spline ") + std::to_string(i));
  }
}

TEST_F(RenderTest, ArrayCopiesAreMarkedWhereTheyStand) {
  DrawingItem* item = add_item(ITEM_POINT, 1);
  LinkRecord* r = item_nodes(item);
  r[0].point = {2.0f, 2.0f};
  r[0].centre = {1.5f, 1.0f};
  r[0].code = LINK_POINT;
  r[0].node_flags = NODE_FIRST;
  r[1].node_flags = NODE_CLOSING;
  r[1].point = r[0].point;
  set_point_array(&r[1], 4, 3, POINT_ARRAY_ROWS);
  item_bounding_boxes(item);
  set_view(40.0f, 0.0f, 10.0f);
  draw_all();
  int copies = 0;
  for_each_array_position(r, [&](const PointF& p) {
    int x = 0, y = 0;
    world_to_screen(p, &x, &y);
    EXPECT_NE(pixel(x, y + g_view.area_top), 0xFFFFFFu) << p.x << "," << p.y;
    ++copies;
  });
  EXPECT_EQ(copies, 12);
}

// ---- edge cases ----

TEST_F(RenderTest, ATinyCircleIsOneBlackPixelAtItsCentre) {
  add_circle({1.0f, 1.0f}, 0.001f);
  set_view(100.0f, 0.0f, 3.0f);
  draw_all();
  const auto drawn = drawn_pixels();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0], std::make_pair(100, 200 + static_cast<int>(g_view.area_top)));
  EXPECT_EQ(pixel(100, 200 + g_view.area_top), 0u);
}

TEST_F(RenderTest, ALineOfOnePixelIsDrawnTwoPixelsLong) {
  add_polyline({{1.0f, 1.0f}, {1.001f, 1.0f}});
  set_view(100.0f, 0.0f, 3.0f);
  draw_all();
  const auto drawn = drawn_pixels();
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].first, 100);
  EXPECT_EQ(drawn[1].first, 101);
}

TEST_F(RenderTest, AnItemOnAHiddenLayerDrawsNothingNotEvenItsMarkedNodes) {
  DrawingItem* item = add_polyline({{1, 1}, {3, 2}}, 5);
  item->state |= ITEM_FLAG_HAS_MARKED_NODES;
  item_nodes(item)[0].link_flags |= LINK_NODE_MARKED;
  g_layers.visibility[5] = 0;
  set_view(50.0f, 0.0f, 5.0f);
  draw_all();
  EXPECT_TRUE(drawn_pixels().empty());
}

TEST_F(RenderTest, TheEditingColourDrawnTwiceLeavesTheCanvasAsItWas) {
  add_polyline({{1, 1}, {3, 2}, {2, 4}});
  add_circle({2, 2}, 1.5f);
  // Far off as well: the XOR pen is not culled and must still undo itself.
  add_circle({400, 400}, 300.0f);
  set_view(60.0f, 0.0f, 5.0f);
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  g_draw_style.draw_colour = COLOUR_EDITING;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) draw_item(item, 0);
  EXPECT_NE(pixels(), before);
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) draw_item(item, 0);
  EXPECT_EQ(pixels(), before);
}

TEST_F(RenderTest, UndrawRedrawsOnlyTheLinksDrawnSinceTheLastUndraw) {
  DrawingItem* item = add_polyline({{1, 1}, {3, 1}, {3, 3}});
  set_view(50.0f, 0.0f, 5.0f);
  g_draw_style.draw_colour = 0;
  draw_item(item, 0);
  LinkRecord* r = item_nodes(item);
  EXPECT_NE(r[0].link_flags & LINK_DRAWN, 0);
  r[1].link_flags &= static_cast<uint8_t>(~LINK_DRAWN);  // as if drawn before the last undraw
  clear_area();
  draw_item(item, DRAW_ITEM_UNDRAW);
  EXPECT_EQ(r[0].link_flags & LINK_DRAWN, 0);
  int x = 0, y = 0;
  world_to_screen({2, 1}, &x, &y);
  EXPECT_NE(pixel(x, y + g_view.area_top), 0xFFFFFFu);  // the first link again
  world_to_screen({3, 2}, &x, &y);
  EXPECT_EQ(pixel(x, y + g_view.area_top), 0xFFFFFFu);  // not the second
}

TEST_F(RenderTest, WithShowSplinesOffARunIsItsControlPolygon) {
  DrawingItem* item = add_polyline({{1, 1}, {2, 3}, {3, 1}, {4, 3}});
  for (int k = 0; k < 3; ++k) item_nodes(item)[k].code = LINK_SPLINE;
  item_bounding_boxes(item);
  g_geometry_settings.spline_curve_view = 0;
  set_view(60.0f, 0.0f, 5.0f);
  draw_all();
  TrueCurve c;
  c.at = [](double t, double* x, double* y) {
    const double pts[4][2] = {{1, 1}, {2, 3}, {3, 1}, {4, 3}};
    const int k = std::min(static_cast<int>(t), 2);
    const double f = t - k;
    *x = pts[k][0] + (pts[k + 1][0] - pts[k][0]) * f;
    *y = pts[k][1] + (pts[k + 1][1] - pts[k][1]) * f;
  };
  c.t1 = 3.0;
  c.speed = 2.3;
  judge(c, 0.0, "control polygon");
}

TEST_F(RenderTest, ALongSplineRunIsCutAtItsHundredAndNinetyNinthNode) {
  std::vector<PointF> nodes;
  for (int k = 0; k < 250; ++k) nodes.push_back({k * 0.1f, static_cast<float>(std::sin(k * 0.3))});
  DrawingItem* item = add_polyline(nodes);
  LinkRecord* r = item_nodes(item);
  for (int k = 0; k < 249; ++k) r[k].code = LINK_SPLINE;
  item_bounding_boxes(item);
  set_view(20.0f, -1.0f, 3.0f);
  draw_all();
  EXPECT_NE(r[198].node_flags & NODE_LOOSE, 0);
  EXPECT_FALSE(drawn_pixels().empty());
  // Two nodes 1e-8 apart count as one sample.
  free_current_list();
  DrawingItem* close = add_polyline({{1, 1}, {1.00000001f, 1}, {2, 2}, {3, 1}});
  for (int k = 0; k < 3; ++k) item_nodes(close)[k].code = LINK_SPLINE;
  int count = 0;
  gather_spline_run(item_nodes(close), &count, 0, nullptr);
  EXPECT_EQ(count, 3);
}

TEST_F(RenderTest, ArrayWalks) {
  struct Case {
    uint8_t kind, columns, rows;
    float sweep;
    std::vector<PointF> positions;
  };
  const float q = static_cast<float>(ANGLE_TWO_PI / 4);
  const Case cases[] = {
      {POINT_ARRAY_FRAME, 3, 2, 0, {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}}},
      // A circle with no step spreads its copies over the whole turn.
      {POINT_ARRAY_CIRCLE, 4, 0, 0,
       {{1, 0}, {std::cos(q), 1}, {-1, std::sin(2 * q)}, {std::cos(3 * q), -1}}},
  };
  for (const Case& c : cases) {
    LinkRecord r[2] = {};
    r[0].point = {0, 0};
    r[0].centre = {1, 1};
    r[0].z = 1.0f;
    r[0].sweep = c.sweep;
    r[0].node_flags = NODE_FIRST;
    r[1].node_flags = NODE_CLOSING;
    set_point_array(&r[1], c.columns, c.rows, c.kind);
    std::vector<PointF> seen;
    for_each_array_position(r, [&](const PointF& p) { seen.push_back(p); });
    ASSERT_EQ(seen.size(), c.positions.size()) << int(c.kind);
    for (size_t k = 0; k < seen.size(); ++k) {
      EXPECT_NEAR(seen[k].x, c.positions[k].x, 1e-5) << int(c.kind) << " #" << k;
      EXPECT_NEAR(seen[k].y, c.positions[k].y, 1e-5) << int(c.kind) << " #" << k;
    }
  }
}

TEST_F(RenderTest, ClippingToThePaintBox) {
  g_view.box_width = 100;
  g_view.box_height = 100;
  const struct {
    int x1, y1, x2, y2;
    bool inside;
    int cx1, cy1, cx2, cy2;
  } cases[] = {
      {-10, 5, 10, 5, true, 0, 5, 10, 5},
      {5, 5, 50, 50, true, 5, 5, 50, 50},
      {-10, -10, -1, 200, false, 0, 0, 0, 0},
      {-1000000000, 50, 1000000000, 50, true, 0, 50, 99, 50},
      {50, -2000000000, 50, 2000000000, true, 50, 0, 50, 99},
  };
  for (const auto& c : cases) {
    int x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    EXPECT_EQ(clip_segment_to_view(&x1, &y1, &x2, &y2), c.inside) << c.x1 << "," << c.y1;
    if (!c.inside) continue;
    EXPECT_EQ(x1, c.cx1);
    EXPECT_EQ(y1, c.cy1);
    EXPECT_EQ(x2, c.cx2);
    EXPECT_EQ(y2, c.cy2);
  }
}

TEST_F(RenderTest, APointCircleWiderThanTwelveBitsKeepsItsRadius) {
  // A point whose circle is 4096 pixels: a twelve-bit radius would have wrapped it to nothing.
  DrawingItem* item = add_item(ITEM_POINT, 1);
  LinkRecord* r = item_nodes(item);
  r[0].point = {0.0f, 0.0f};
  r[0].code = LINK_POINT - 40.96f;
  r[0].node_flags = NODE_FIRST;
  r[1].node_flags = NODE_CLOSING;
  item_bounding_boxes(item);
  // The point 4096 pixels left of the area's middle: its circle's right side crosses the area.
  set_view(100.0f, 36.0f, 3.0f);
  draw_all();
  int x = 0, y = 0;
  world_to_screen({40.96f, 0.0f}, &x, &y);
  ASSERT_GE(x, 0);
  ASSERT_LT(x, g_view.box_width);
  bool ring = false;
  for (int dx = -2; dx <= 2; ++dx) ring = ring || pixel(x + dx, y + g_view.area_top) != 0xFFFFFF;
  EXPECT_TRUE(ring);
}

}  // namespace
