// The 3-D proof view on the headless screen: the pixels it draws against the proof's geometry
// projected here in double, and the viewer driven through its event queue.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <sstream>
#include <fstream>
#include <filesystem>
#include <cmath>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "editor/render.h"
#include "nc/proof_file.h"
#include "pages/proof_view.h"
#include "screen/palette.h"
#include "tests/editor/editor_fixture.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/temp_folder_env.h"
#include "tests/support/test_folder.h"
#include "screen/main_form.h"
#include "ui/message_box.h"
#include "ui/text_window.h"
#include "platform/headless.h"

namespace {

namespace fs = std::filesystem;

constexpr double PI = 3.14159265358979323846;
constexpr uint32_t BLACK_PIXEL = 0x000000;
constexpr uint32_t WHITE_PIXEL = 0xFFFFFF;

struct Segment {
  double a[3], b[3];
  uint32_t pixel;  // the colour it must be drawn in
};

class ProofViewTest : public EditorFixture {
 protected:
  // The user's steps: each acts once the program waits with its condition holding.
  struct Step {
    std::function<bool()> ready;
    std::function<void()> act;
  };
  struct Steps : std::deque<Step> {
    void push_back(std::function<void()> act) { std::deque<Step>::push_back({[] { return true; }, std::move(act)}); }
    void when(std::function<bool()> ready, std::function<void()> act) {
      std::deque<Step>::push_back({std::move(ready), std::move(act)});
    }
  };
  static Steps& steps() {
    static Steps s;
    return s;
  }
  static bool run_step() {
    if (steps().empty() || !steps().front().ready()) return false;
    const Step step = steps().front();
    steps().pop_front();
    step.act();
    return true;
  }

  void SetUp() override {
    EditorFixture::SetUp();
    reset_proof_view();
    g_view.drawing_page_active = 0;
    layout_paint_boxes();
    steps().clear();
    pump_set_idle_handler(run_step);
    headless_set_idle_limit(20000);
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_proof_view();
    EditorFixture::TearDown();
  }

  // The records become the view's proof, fitted as the viewer fits it.
  static void load(const std::vector<ProofRecord>& records) {
    g_proof_view.records = records;
    g_proof_view.axes_index = records.size();
    proof_bounds();
    proof_fit_view();
    proof_reset_zoom();
  }

  // A seeded proof: cuts and chords at varied Z, every move a segment from the last point.
  static std::vector<ProofRecord> seeded(unsigned seed, std::vector<Segment>* segments) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> coord(-20, 20), depth(-3, 1);
    std::vector<ProofRecord> records = {proof_line_record(1, 10, 0)};
    float at[3] = {coord(random), coord(random), depth(random)};
    records.push_back(proof_move_record(PROOF_POSITION, at[0], at[1], at[2]));
    for (int k = 0; k < 40; ++k) {
      const char kind = k % 3 == 0 ? PROOF_CHORD : PROOF_FEED;
      const float to[3] = {coord(random), coord(random), depth(random)};
      records.push_back(proof_move_record(kind, to[0], to[1], to[2]));
      segments->push_back({{at[0], at[1], at[2]}, {to[0], to[1], to[2]}, BLACK_PIXEL});
      std::copy(to, to + 3, at);
    }
    return records;
  }

  // The view's camera, worked out here in double from its state: the turn about the middle of
  // the extents, the tilt, the perspective division, then the Drawing page's mapping and the pan.
  struct Projected {
    double x, y, d;
  };
  static Projected project(const double p[3]) {
    const ProofView& v = g_proof_view;
    const double ct = std::cos(v.tilt + PI), st = std::sin(v.tilt + PI);
    const double cr = std::cos(v.rotation), sr = std::sin(v.rotation);
    const double zmid = (static_cast<double>(v.z_min) + v.z_max) / 2;
    const double x = p[0] - v.centre_x, y = -(p[1] - v.centre_y);
    const double x1 = cr * x - sr * y, y1 = sr * x + cr * y;
    const double z1 = (p[2] - zmid) * ct - st * y1;
    const double d = (p[2] - zmid) * st + ct * y1 + v.camera;
    const double sx = v.focal * x1 / d, sy = v.focal * z1 / d;
    return {(sx - g_view.view_left) * g_view.scale_x + v.pan_x,
            (g_view.view_top + sy) * g_view.scale_x + v.pan_y, d};
  }

  // The part of a segment in front of the camera's near plane, in area pixels; false if none.
  static bool projected_segment(const Segment& s, double out[4]) {
    const double near = g_proof_view.camera * 1e-4;
    Projected a = project(s.a), b = project(s.b);
    if (a.d < near && b.d < near) return false;
    if (a.d < near || b.d < near) {
      const double* front = a.d >= near ? s.a : s.b;
      const double* behind = a.d >= near ? s.b : s.a;
      const double df = a.d >= near ? a.d : b.d, db = a.d >= near ? b.d : a.d;
      const double t = (df - near) / (df - db);
      double cut[3];
      for (int k = 0; k < 3; ++k) cut[k] = front[k] + t * (behind[k] - front[k]);
      (a.d >= near ? b : a) = project(cut);
    }
    out[0] = a.x;
    out[1] = a.y;
    out[2] = b.x;
    out[3] = b.y;
    return true;
  }

  static double distance_to(const double s[4], double px, double py) {
    const double dx = s[2] - s[0], dy = s[3] - s[1];
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - s[0]) * dx + (py - s[1]) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (s[0] + t * dx), py - (s[1] + t * dy));
  }

  static uint32_t area_pixel(int x, int y) {
    return canvas_get_pixel(*drawing_canvas(), x, y + g_view.origin_y) & 0xFFFFFF;
  }
  static int area_h() { return g_view.area_bottom - g_view.area_top; }

  // Every drawn pixel lies within a pixel of a projected segment of its colour, and every
  // segment's inside is drawn without a gap over a pixel.
  static void expect_pixels_follow(const std::vector<Segment>& segments, const std::string& label) {
    std::vector<std::array<double, 4>> projected;
    std::vector<uint32_t> colours;
    for (const Segment& s : segments) {
      double p[4];
      if (!projected_segment(s, p)) continue;
      projected.push_back({p[0], p[1], p[2], p[3]});
      colours.push_back(s.pixel);
    }
    int stray = 0, drawn = 0;
    for (int y = 0; y < area_h(); ++y) {
      for (int x = 0; x < g_view.area_width; ++x) {
        const uint32_t c = area_pixel(x, y);
        if (c == WHITE_PIXEL) continue;
        ++drawn;
        bool near_one = false;
        for (size_t k = 0; k < projected.size() && !near_one; ++k)
          near_one = colours[k] == c && distance_to(projected[k].data(), x, y) <= 1.25;
        if (!near_one && ++stray <= 3) ADD_FAILURE() << label << ": pixel " << x << "," << y << " colour " << std::hex << c;
      }
    }
    EXPECT_EQ(stray, 0) << label;
    // No gaps: along each segment's inside, something is drawn within a pixel.
    int gaps = 0;
    for (const auto& p : projected) {
      const double length = std::hypot(p[2] - p[0], p[3] - p[1]);
      const int n = static_cast<int>(std::min(length, 4000.0));
      for (int k = 1; k < n; ++k) {
        const double x = p[0] + (p[2] - p[0]) * k / n, y = p[1] + (p[3] - p[1]) * k / n;
        if (x < 2 || y < 2 || x > g_view.area_width - 3 || y > area_h() - 3) continue;
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
          for (int dx = -1; dx <= 1 && !found; ++dx)
            found = area_pixel(static_cast<int>(std::lround(x)) + dx, static_cast<int>(std::lround(y)) + dy) != WHITE_PIXEL;
        if (!found && ++gaps <= 3) ADD_FAILURE() << label << ": gap at " << x << "," << y;
      }
    }
    EXPECT_EQ(gaps, 0) << label;
    EXPECT_GT(drawn, 0) << label;
  }
};

TEST_F(ProofViewTest, PixelsFollowTheProjectedGeometryUnderEveryView) {
  struct View {
    const char* name;
    float tilt, rotation, zoom;  // zoom multiplies focal scale and camera distance
    int pan_x, pan_y;
    float camera;                // 0: the zoom reset's distance
  };
  const View views[] = {
      {"top", static_cast<float>(PI / 2), 0, 1, 0, 0, 0},
      {"side", 0, 0, 1, 0, 0, 0},
      {"other side", 0, static_cast<float>(PI / 2), 1, 0, 0, 0},
      {"turned and tilted", 0.7f, 2.1f, 1, 0, 0, 0},
      {"turned the other way", 1.3f, 5.5f, 1, 0, 0, 0},
      {"zoomed in", 0.9f, 0.4f, 6, 0, 0, 0},
      {"zoomed out", 1.1f, 3.0f, 0.3f, 0, 0, 0},
      {"panned", 0.5f, 1.0f, 1, 137, -59, 0},
      {"camera inside the object", 0.6f, 0.8f, 1, 0, 0, 4},
      {"camera in the middle", static_cast<float>(PI / 2), 0, 1, 0, 0, 0.5f},
  };
  for (unsigned seed = 1; seed <= 2; ++seed) {
    std::vector<Segment> segments;
    load(seeded(seed, &segments));
    for (const View& view : views) {
      proof_reset_zoom();
      g_proof_view.tilt = view.tilt;
      g_proof_view.rotation = view.rotation;
      g_proof_view.focal *= view.zoom;
      if (view.camera > 0) {
        g_proof_view.camera = view.camera;  // the focal scale keeps its ratio to the distance
        g_proof_view.focal = view.camera * 10000.0f / 15000.0f;
      } else {
        g_proof_view.camera *= view.zoom;
      }
      g_proof_view.pan_x += view.pan_x;
      g_proof_view.pan_y += view.pan_y;
      proof_draw(g_proof_view.tilt, g_proof_view.rotation);
      expect_pixels_follow(segments, std::string(view.name) + " seed " + std::to_string(seed));
      proof_fit_view();
    }
  }
}

TEST_F(ProofViewTest, FromTheTopTheProofIsItsPointsUnderOneScaleAndOffsetYUp) {
  // A flat proof: from above every point lands at a * (X, -Y) + b.
  std::vector<ProofRecord> records = {proof_move_record(PROOF_POSITION, 0, 0, -0.1f)};
  const float points[][2] = {{0, 0}, {10, 0}, {10, 5}, {0, 5}, {3, 2}};
  for (const auto& p : points) records.push_back(proof_move_record(PROOF_FEED, p[0], p[1], -0.1f));
  load(records);
  ASSERT_FLOAT_EQ(g_proof_view.tilt, static_cast<float>(PI / 2));
  proof_draw(g_proof_view.tilt, g_proof_view.rotation);
  // The corners' pixels (found black at the projected place) share one scale.
  std::vector<std::pair<double, double>> at;
  for (const auto& p : points) {
    const double q[3] = {p[0], p[1], -0.1};
    const Projected pr = project(q);
    at.push_back({pr.x, pr.y});
    EXPECT_EQ(area_pixel(static_cast<int>(std::lround(pr.x)), static_cast<int>(std::lround(pr.y))), BLACK_PIXEL)
        << p[0] << "," << p[1];
  }
  const double scale = (at[1].first - at[0].first) / 10;
  EXPECT_GT(scale, 0);
  for (size_t k = 0; k < at.size(); ++k) {
    EXPECT_NEAR(at[k].first, at[0].first + scale * points[k][0], 1e-6);
    EXPECT_NEAR(at[k].second, at[0].second - scale * points[k][1], 1e-6) << "y up";
  }
}

// The page's "3D proof": the buffer (here typed, with no file) is back-plotted into the viewer,
// which shows the program's proof; Esc returns, and the proof file goes. A buffer that moves
// nothing opens no viewer.
TEST_F(ProofViewTest, TheProofOfABufferIsItsBackPlotAndEscReturns) {
  const TempFolderEnv temp("nc-proof");
  auto make_buffer = [](const std::vector<std::string>& lines) {
    push_list();
    clear_current_list();
    for (const std::string& text : lines) append_line(text.c_str())->kind = LINE_KIND_PARAGRAPH;
    TextLine* node = create_window(nullptr, {
        .top_row = 2, .left_column = 1, .bottom_row = 20, .right_column = 60,
        .flags = WINDOW_TEXT_LIST, .line_drawer = draw_window_line, .wrap_width = 250,
        .title = "(no name yet)",
    });
    pop_list();
    activate_window(node);
    return node;
  };
  TextLine* node = make_buffer({"G0 X0 Y0 Z1\n", "G1 Z-1 F100\n", "G1 X10 Y5\n", "G1 X20 Y0\n",
                                "M30\n"});
  bool cut_seen = false;
  bool file_there = false;
  bool from_editor = false;
  steps().when([] { return g_proof_view.redraws > 0; }, [&] {
    for (const ProofRecord& r : g_proof_view.records)
      cut_seen |= r.kind == PROOF_FEED && proof_field_f32(r, 0) == 10.0f &&
                  proof_field_f32(r, 1) == 5.0f && proof_field_f32(r, 2) == -1.0f;
    file_there = fs::exists(proof_file_path());
    from_editor = g_proof_view.from_editor;
    push_input_code(KEY_ESC);
  });
  EXPECT_EQ(nc_proof_view(), KEY_ESC);
  EXPECT_TRUE(steps().empty()) << "the viewer ran and Esc left it";
  EXPECT_TRUE(cut_seen) << "the buffer's cut to X10 Y5 at Z-1 is in the proof";
  EXPECT_TRUE(file_there);
  EXPECT_TRUE(from_editor);
  EXPECT_FALSE(fs::exists(proof_file_path())) << "the proof of an edited program is not kept";
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PAGE_LOOP);
  destroy_window(node);

  // Nothing moves: no viewer.
  g_proof_view.redraws = 0;
  node = make_buffer({"(ONLY A COMMENT)\n", "M30\n"});
  EXPECT_EQ(nc_proof_view(), KEY_ESC);
  EXPECT_EQ(g_proof_view.redraws, 0);
  EXPECT_FALSE(fs::exists(proof_file_path()));
  destroy_window(node);
}

// Page 3 makes the job's proof run once: a second visit without a change of the job draws the
// kept proof; a change of the job runs it again. Esc does not leave the page; its tab does.
class JobProofPageTest : public ProofViewTest, protected MakeNcJob {
 protected:
  void SetUp() override {
    ProofViewTest::SetUp();
    set_up_make_nc();
    use_definition();
    make_circle(7, 1, 1, centerline_cut(0.1f, 0, 1, 10));
  }
  void TearDown() override {
    proof_delete_file();
    tear_down_make_nc();
    ProofViewTest::TearDown();
  }
  // One visit of the page; whether the view held the circle's cuts, all within its extent.
  bool visit() {
    bool circle = false;
    steps().when([] { return g_proof_view.redraws > 0; }, [&] {
      bool any = false, inside = true;
      for (const ProofRecord& r : g_proof_view.records) {
        if (r.kind != PROOF_FEED && r.kind != PROOF_CHORD) continue;
        any = true;
        const float x = proof_field_f32(r, 0), y = proof_field_f32(r, 1);
        inside = inside && x >= 5.99f && x <= 8.01f && y >= -0.01f && y <= 2.01f;
      }
      circle = any && inside;
      push_input_code(KEY_ESC);  // ignored on page 3
      push_input_code(699);      // the tab of another page
    });
    g_proof_view.redraws = 0;
    EXPECT_EQ(job_proof_page(), KEY_ESC);
    EXPECT_TRUE(steps().empty());
    return circle;
  }
};

TEST_F(JobProofPageTest, TwoVisitsWithoutAChangeRunOnce) {
  EXPECT_TRUE(visit());
  EXPECT_EQ(g_cam_host_log.view_preparations, 1);
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PROOF_READY);
  EXPECT_TRUE(fs::exists(proof_file_path())) << "page 3 keeps its proof";
  EXPECT_TRUE(visit());
  EXPECT_EQ(g_cam_host_log.view_preparations, 1) << "the kept proof is drawn again";
  g_job_settings.nc_state = 0;  // the job changed
  EXPECT_TRUE(visit());
  EXPECT_EQ(g_cam_host_log.view_preparations, 2);
}

TEST_F(ProofViewTest, ArcColourOverrideRecoloursOnlyTheSecondColourKinds) {
  // One horizontal line per kind, far apart.
  const char kinds[] = {PROOF_FEED, PROOF_FEED_SECOND, PROOF_CHORD, PROOF_ARC_STRAIGHT, PROOF_FEED_3D};
  std::vector<ProofRecord> records;
  for (size_t k = 0; k < sizeof kinds; ++k) {
    const float y = 10.0f * static_cast<float>(k);
    records.push_back(proof_move_record(PROOF_POSITION, 0, y, 0));
    records.push_back(proof_move_record(kinds[k], 40, y, 0));
  }
  load(records);
  const uint32_t override_pixel = colour_pixel(PROOF_ARC_OVERRIDE);
  for (bool overridden : {false, true}) {
    g_proof_view.arc_override = overridden ? PROOF_ARC_OVERRIDE : PROOF_NO_OVERRIDE;
    proof_draw(g_proof_view.tilt, g_proof_view.rotation);
    for (size_t k = 0; k < sizeof kinds; ++k) {
      const double q[3] = {20, 10.0 * k, 0};
      const Projected p = project(q);
      const bool second = kinds[k] == PROOF_FEED_SECOND || kinds[k] == PROOF_CHORD || kinds[k] == PROOF_ARC_STRAIGHT;
      EXPECT_EQ(area_pixel(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))),
                overridden && second ? override_pixel : BLACK_PIXEL)
          << kinds[k] << (overridden ? " with" : " without") << " the override";
    }
  }
}

TEST_F(ProofViewTest, PointsBehindTheCameraNeverReachThePixels) {
  std::vector<Segment> segments;
  load(seeded(7, &segments));
  for (float camera : {1e-3f, -5.0f, 0.0f}) {
    g_proof_view.camera = camera;
    g_proof_view.tilt = 0.3f;
    proof_draw(g_proof_view.tilt, g_proof_view.rotation);  // must neither crash nor hang
  }
  const float a[3] = {0, 0, 0}, b[3] = {1e30f, -1e30f, 1e30f};
  g_proof_view.camera = 15000;
  double out[4];
  if (proof_project_segment(a, b, out)) {
    for (double v : out) EXPECT_TRUE(std::isfinite(v));
  }
}

// ---- Through the event queue --------------------------------------------------------------------

class ProofViewLoopTest : public ProofViewTest {
 protected:
  void SetUp() override {
    ProofViewTest::SetUp();
    std::vector<Segment> segments;
    load(seeded(3, &segments));
    g_proof_view.from_editor = true;  // Esc leaves
  }
  static void key(EventCode code) { steps().push_back([code] { push_input_code(code); }); }
  static void codes(std::initializer_list<EventCode> list) {
    steps().push_back([list] {
      for (EventCode c : list) push_input_code(c);
    });
  }
  // The pointer over a control of the viewer's table (laid out as it is drawn).
  static void point_at(uint8_t id) {
    for (ScreenControl& c : g_proof_view.controls) {
      if (c.id != id || c.flags == CF_END) continue;
      layout_control(&c);
      g_pointer.wanted_x = c.x + 2;
      g_pointer.wanted_y = c.y + 2;
      return;
    }
    FAIL() << "no control " << int(id);
  }
};

TEST_F(ProofViewLoopTest, QuickRotationsRedrawOnceAndAClickAfterThemActs) {
  steps().push_back([] {
    point_at(PROOF_BUTTON_TOP);
    for (EventCode c : std::initializer_list<EventCode>{'4', '4', '6', '4', EVENT_LEFT_DOWN}) push_input_code(c);
  });
  steps().push_back([] {
    // The click landed on "Top": the view is from above again.
    EXPECT_NEAR(g_proof_view.tilt, PI / 2, 1e-6);
    push_input_code(KEY_ESC);
  });
  proof_viewer_loop();
  // The first picture, one for the four turns (before the click acts), one for the click.
  EXPECT_EQ(g_proof_view.redraws, 3);
  EXPECT_NEAR(g_proof_view.rotation, 0, 1e-6);
}

TEST_F(ProofViewLoopTest, ViewStatesByKeys) {
  struct Case {
    std::vector<EventCode> codes;
    float tilt, rotation;
    float focal_factor, camera_factor;
    int pan_x, pan_y;
  };
  const float half = static_cast<float>(PI / 2), step = 0.0785398f;
  const Case cases[] = {
      {{'2', '2'}, half - 2 * step, 0, 1, 1, 0, 0},
      {{'8'}, half, 0, 1, 1, 0, 0},  // held within 0..pi/2
      {{'4'}, half, static_cast<float>(2 * PI) - step, 1, 1, 0, 0},
      {{'s'}, 0, 0, 1, 1, 0, 0},
      {{'S', '6', 't'}, half, 0, 1, 1, 0, 0},
      {{'d'}, half, 0, 1.1111f, 1.1111f, 0, 0},
      {{'I'}, half, 0, 0.9f, 0.9f, 0, 0},
      {{KEY_PGDN}, half, 0, 1, 1.1111f, 0, 0},
      {{KEY_PGUP}, half, 0, 1, 0.9f, 0, 0},
      {{KEY_UP, KEY_LEFT}, half, 0, 1, 1, 50, 50},
      {{KEY_DOWN, KEY_RIGHT, KEY_CTRL_LEFT}, half, 0, 1, 1, -45, -50},
      {{EVENT_WHEEL_UP, EVENT_WHEEL_DOWN, EVENT_WHEEL_DOWN}, half, 0, 1, 1, 0, -5},
  };
  for (const Case& c : cases) {
    proof_fit_view();  // the viewer fits the view as it opens
    const ProofView start = g_proof_view;
    steps().push_back([c] {
      for (EventCode code : c.codes) push_input_code(code);
    });
    steps().push_back([] { push_input_code(KEY_ESC); });
    proof_viewer_loop();
    std::string label;
    for (EventCode code : c.codes) label += std::to_string(code) + " ";
    EXPECT_NEAR(g_proof_view.tilt, c.tilt, 1e-5) << label;
    EXPECT_NEAR(g_proof_view.rotation, c.rotation, 1e-5) << label;
    EXPECT_NEAR(g_proof_view.focal / start.focal, c.focal_factor, 1e-4) << label;
    EXPECT_NEAR(g_proof_view.camera / start.camera, c.camera_factor, 1e-4) << label;
    EXPECT_EQ(g_proof_view.pan_x - start.pan_x, c.pan_x) << label;
    EXPECT_EQ(g_proof_view.pan_y - start.pan_y, c.pan_y) << label;
    // Back to the start for the next case.
    g_proof_view.tilt = start.tilt;
    g_proof_view.rotation = start.rotation;
    g_proof_view.focal = start.focal;
    g_proof_view.camera = start.camera;
  }
}

TEST_F(ProofViewLoopTest, AHeldZoomButtonRepeatsOnEveryTickUpToItsLimit) {
  steps().push_back([] {
    point_at(PROOF_BUTTON_ZOOM_IN_BIG);
    g_pointer.button_bits = WINDOW_BUTTON_LEFT;
    push_input_code(EVENT_LEFT_DOWN);
  });
  for (int k = 0; k < 48; ++k) steps().push_back([] { push_input_code(EVENT_TICK); });
  steps().push_back([] {
    g_pointer.button_bits = 0;
    push_input_code(EVENT_LEFT_UP);
  });
  steps().push_back([] { push_input_code(KEY_ESC); });
  const float start = g_proof_view.focal;
  proof_viewer_loop();
  EXPECT_GT(g_proof_view.focal, PROOF_FOCAL_MAX);
  EXPECT_LE(g_proof_view.focal, PROOF_FOCAL_MAX * 1.5f) << "no step once past the limit";
  EXPECT_GT(g_proof_view.focal / start, 1000.0f);
}

TEST_F(ProofViewLoopTest, EscLeavesOnlyTheEditorsViewer) {
  g_proof_view.from_editor = false;
  steps().push_back([] { push_input_code(KEY_ESC); });
  steps().push_back([] {
    // Still in the viewer: a tab click is the way out of page 3.
    EXPECT_EQ(g_proof_view.redraws, 1);
    push_input_code(699);
  });
  proof_viewer_loop();
  EXPECT_TRUE(steps().empty());
}

TEST_F(ProofViewLoopTest, AKeyThatStopsADrawStaysQueued) {
  // A long proof: the draw looks at the input every few records and stops for a key.
  std::vector<ProofRecord> records = {proof_move_record(PROOF_POSITION, 0, 0, 0)};
  for (int k = 0; k < 3000; ++k)
    records.push_back(proof_move_record(PROOF_FEED, static_cast<float>(k % 50), static_cast<float>(k / 50), 0));
  load(records);
  push_input_code('C');
  proof_draw(g_proof_view.tilt, g_proof_view.rotation);
  EXPECT_EQ(g_proof_view.redraw_interrupted, 1);
  EXPECT_EQ(poll_input_code(0), 'C') << "the key is there for the viewer to act on";
}

TEST_F(ProofViewLoopTest, ADragDuringALongDrawDrawsOnlyTheAxes) {
  std::vector<ProofRecord> records = {proof_move_record(PROOF_POSITION, 0, 0, 0)};
  for (int k = 0; k < 3000; ++k)
    records.push_back(proof_move_record(PROOF_FEED, static_cast<float>(k % 50), static_cast<float>(k / 50), 0));
  const size_t axes = records.size();
  records.push_back(proof_move_record(PROOF_POSITION, 0, 0, 0));
  records.push_back(proof_move_record(PROOF_AXIS, 0, 0, 30));
  load(records);
  g_proof_view.axes_index = axes;
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  push_input_code(EVENT_POINTER_MOVE);
  proof_draw(g_proof_view.tilt, g_proof_view.rotation);
  g_pointer.button_bits = 0;
  // The far rows of the cuts were never drawn; the axis was.
  const double far[3] = {25, 59, 0};
  const Projected p = project(far);
  EXPECT_EQ(area_pixel(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))), WHITE_PIXEL);
  EXPECT_EQ(poll_input_code(0), EVENT_POINTER_MOVE) << "the drag itself is the viewer's to act on";
}

TEST_F(ProofViewLoopTest, SlowDrawWaitsByProgramLengthOnTheClock) {
  struct Case {
    int rows;
    uint32_t per_row_ms;
  };
  const Case cases[] = {{199, 100}, {200, 75}, {599, 75}, {600, 40}};
  for (const Case& c : cases) {
    std::vector<ProofRecord> records = {proof_move_record(PROOF_POSITION, 0, 0, 0)};
    for (int k = 1; k <= 4; ++k) {
      records.push_back(proof_line_record(k == 4 ? c.rows : k, 10, 0));
      records.push_back(proof_move_record(PROOF_FEED, static_cast<float>(k), 0, 0));
    }
    load(records);
    steps().push_back([] {
      point_at(PROOF_BUTTON_SLOW);
      push_input_code(EVENT_LEFT_DOWN);
    });
    steps().when([] { return g_proof_view.slow_delay == 0 && g_proof_view.redraws > 1; },
                 [] { push_input_code(KEY_ESC); });
    const uint32_t before = clock_now_ms();
    proof_viewer_loop();
    const uint32_t spent = clock_now_ms() - before;
    EXPECT_GE(spent, 4 * c.per_row_ms) << c.rows << " rows";
    EXPECT_LT(spent, 4 * c.per_row_ms + 400) << c.rows << " rows";
  }
}

TEST_F(ProofViewLoopTest, SlowDrawStepsForwardAndBackWithTheKeys) {
  // Three rows, each a line further right at its own height.
  std::vector<ProofRecord> records = {proof_move_record(PROOF_POSITION, 0, 0, 0)};
  for (int k = 1; k <= 3; ++k) {
    records.push_back(proof_line_record(k, 10, 0));
    records.push_back(proof_move_record(PROOF_POSITION, 0, 10.0f * k, 0));
    records.push_back(proof_move_record(PROOF_FEED, 40, 10.0f * k, 0));
  }
  load(records);
  const auto drawn = [](int row) {
    const double q[3] = {20, 10.0 * row, 0};
    const Projected p = project(q);
    return area_pixel(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))) != WHITE_PIXEL;
  };
  g_proof_view.slow_delay = 1000;
  const auto waits_on = [](int row, bool stepping) {
    return [row, stepping] { return g_proof_view.slow_row == row && g_proof_view.stepping == stepping; };
  };
  steps().when(waits_on(1, false), [] { push_input_code(' '); });  // pause on the next row
  steps().when(waits_on(2, true), [&] {
    EXPECT_TRUE(drawn(1));
    EXPECT_FALSE(drawn(2));
    push_input_code(' ');  // one row on
  });
  steps().when(waits_on(3, true), [&] {
    EXPECT_TRUE(drawn(2));
    push_input_code(KEY_BACKSPACE);  // row 2 goes again, in white
  });
  steps().when(waits_on(2, true), [&] {
    EXPECT_TRUE(drawn(1));
    EXPECT_FALSE(drawn(2));
    push_input_code(KEY_ENTER);  // slow again to the end
  });
  proof_draw(g_proof_view.tilt, g_proof_view.rotation);
  EXPECT_TRUE(steps().empty());
  EXPECT_TRUE(drawn(1) && drawn(2) && drawn(3));
  EXPECT_EQ(g_proof_view.slow_delay, 0);
}

// ---- Make DXF ------------------------------------------------------------------------------------

class ProofDxfTest : public ProofViewTest {
 protected:
  void SetUp() override {
    ProofViewTest::SetUp();
    install_main_window_proc();  // the save dialog takes Tab under the page loop's window procedure
    folder_ = make_test_folder("brenvik-proof-dxf");
    // The save dialog starts in the working folder.
    was_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(was_);
    restore_window_proc();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    ProofViewTest::TearDown();
  }
  // The save dialog answered with a name: its name entry, the name, Enter.
  static void answer_save_dialog(const std::string& name) {
    steps().push_back([name] {
      headless_inject_keystroke(VK_TAB, 0);
      headless_inject_text(name);
      headless_inject_keystroke(VK_RETURN, 0);
    });
  }
  fs::path folder_;
  fs::path was_;
};

// The lines ezdxf reads from a file: x1 y1 z1 x2 y2 z2 each, after a clean audit.
std::vector<std::array<double, 6>> dxf_lines(const fs::path& file, std::string* error) {
  const fs::path text = file.string() + ".read";
  const std::string command = "/usr/bin/python3 '" BRENVIK_SOURCE_DIR "/tests/nc/read_dxf.py' '" +
                              file.string() + "' > '" + text.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(text);
  std::vector<std::array<double, 6>> lines;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "audit") {
      int errors = -1, fixes = -1;
      words >> errors >> fixes;
      if (errors != 0) *error += "audit errors: " + line + "\n";
    } else if (kind == "LINE") {
      std::array<double, 6> v{};
      for (double& d : v) words >> d;
      lines.push_back(v);
    } else {
      *error += "unexpected: " + line + "\n";
    }
  }
  if (status != 0) *error += "ezdxf could not read the file\n";
  return lines;
}

bool ezdxf_missing() { return std::system("/usr/bin/python3 -c 'import ezdxf' > /dev/null 2>&1") != 0; }

TEST_F(ProofDxfTest, MakeDxfWritesTheCutsWhileThePenIsDownAndEzdxfReadsThemBack) {
  if (ezdxf_missing()) GTEST_SKIP() << "python3-ezdxf is not installed (tools/install-deps.sh)";
  load({
      proof_line_record(1, 10, 0),
      proof_move_record(PROOF_POSITION, 0, 0, 1),     // pen up
      proof_move_record(PROOF_RAPID, 0, 0, 0.5f),     // pen down
      proof_move_record(PROOF_PLUNGE, 0, 0, -1),      // down at the same point: still down
      proof_move_record(PROOF_FEED, 10, 0, -1),       // line 1
      proof_move_record(PROOF_CHORD, 10, 5, -1.5f),   // line 2, both Z kept
      proof_move_record(PROOF_PLUNGE, 10, 5, 1),      // rises where it stands: pen up
      proof_move_record(PROOF_FEED, 20, 5, 1),        // not written
      proof_move_record(PROOF_PLUNGE, 20, 6, -2),     // moves elsewhere: pen down
      proof_move_record(PROOF_FEED_3D, 25, 6, -2),    // line 3
      proof_move_record(PROOF_RAPID_Z, 25, 6, 3),     // pen up
      proof_move_record(PROOF_ARC_STRAIGHT, 30, 6, 3),  // not written
      proof_tool_record(PROOF_TOOL, 4),               // passed over
      proof_move_record(PROOF_RAPID, 30, 0, 0),       // pen down
      proof_move_record(PROOF_FEED_SECOND, 35, 0, 0), // line 4
      proof_move_record(PROOF_AXIS, 99, 99, 99),      // passed over: not the previous point
      proof_move_record(PROOF_FEED_SECOND, 40, 0, 0), // line 5 from (35, 0, 0)
  });
  const fs::path out = folder_ / "cuts.dxf";
  answer_save_dialog("cuts");
  proof_export_dxf();
  ASSERT_TRUE(fs::exists(out)) << "the extension is forced";
  std::string error;
  const std::vector<std::array<double, 6>> lines = dxf_lines(out, &error);
  EXPECT_TRUE(error.empty()) << error;
  const std::vector<std::array<double, 6>> expected = {
      {0, 0, -1, 10, 0, -1},  {10, 0, -1, 10, 5, -1.5}, {20, 6, -2, 25, 6, -2},
      {30, 0, 0, 35, 0, 0},   {35, 0, 0, 40, 0, 0},
  };
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < lines.size(); ++i)
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(lines[i][k], expected[i][k], 1e-4) << "line " << i;
}

TEST_F(ProofDxfTest, AFileThatCannotBeMadeIsToldAndNothingIsLeft) {
  std::vector<Segment> segments;
  load(seeded(5, &segments));
  // A folder stands where the file is to go.
  fs::create_directories(folder_ / "taken.dxf" / "inside");
  answer_save_dialog("taken");
  steps().when([] { return g_message_box.shown_count > 0; },
               [] { headless_inject_keystroke(VK_RETURN, 0); });
  reset_message_box();
  proof_export_dxf();
  EXPECT_EQ(g_message_box.last_text, "Couldn't create DXF file!");
  EXPECT_TRUE(fs::is_directory(folder_ / "taken.dxf" / "inside"));
}

}  // namespace
