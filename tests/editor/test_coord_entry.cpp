// Typed coordinates: the grammar against the points a user means (also under a locale whose
// decimal point is a comma), the value line, and the entry line driven through the event queue
// while it shows its cross on the drawing.
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/coord_entry.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/object_snaps.h"
#include "editor/point_picking.h"
#include "screen/controls.h"
#include "store/float_text.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/picking_fixture.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr PointF R = {10.0f, 20.0f};  // the reference point of the grammar cases

// The point a kind-0 text gives from R, as the entry line computes it.
PointF typed_point(const char* typed, bool* given = nullptr) {
  CoordEntry& e = g_coord.entry;
  e = CoordEntry{};
  e.reference = R;
  e.current = R;
  char text[64];
  std::strncpy(text, typed, sizeof text - 1);
  text[sizeof text - 1] = '\0';
  const int got = apply_typed_field(text, ENTRY_ALL_POINTS, ENTRY_KIND_POINT);
  if (given != nullptr) *given = got != 0;
  return e.current;
}

struct GrammarCase {
  const char* typed;
  double x, y;  // expected, from the test's own arithmetic
};

std::vector<GrammarCase> grammar_cases() {
  const double d45 = PI / 4.0;
  return {
      {"1.2,-4.5", 1.2, -4.5},
      {"1.2 -4.5", 1.2, -4.5},
      {"*3.4,*5.3", R.x + 3.4, R.y + 5.3},
      {"r4.6", R.x + 4.6, R.y},
      {"3.4<45", R.x + 3.4 * std::cos(d45), R.y + 3.4 * std::sin(d45)},
      {"3.4>45", R.x + 3.4 * std::cos(d45), R.y + 3.4 * std::sin(d45)},
      {"5", 5.0, R.y},
      {",5", R.x, 5.0},
      {"x5y3", 5.0, 3.0},
      {"X5Y3", 5.0, 3.0},
      {"x*2", R.x + 2.0, R.y},
      {"y7x1", 1.0, 7.0},
      {"x1y*2", 1.0, R.y + 2.0},
      {"5*3", 5.0, R.y + 3.0},
      {"l2", R.x - 2.0, R.y},
      {"r2u3", R.x + 2.0, R.y},  // what follows the number is ignored
      {"u3", R.x, R.y + 3.0},
      {"d1.5", R.x, R.y - 1.5},
      {"  2,3", 2.0, 3.0},
  };
}

void expect_grammar_table() {
  for (const GrammarCase& c : grammar_cases()) {
    bool given = false;
    const PointF p = typed_point(c.typed, &given);
    EXPECT_TRUE(given) << c.typed;
    EXPECT_NEAR(p.x, c.x, 1e-4) << c.typed;
    EXPECT_NEAR(p.y, c.y, 1e-4) << c.typed;
  }
}

class CoordGrammarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_coord_entry();
    reset_point_picking();
    reset_edit_session();
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CoordGrammarTest, TypedTextsGiveThePointsTheyName) { expect_grammar_table(); }

TEST_F(CoordGrammarTest, TextsWithoutCoordinatesLeaveThePoint) {
  for (const char* typed : {"", "c", "c5,5"}) {
    bool given = true;
    const PointF p = typed_point(typed, &given);
    EXPECT_FALSE(given) << typed;
    EXPECT_EQ(p.x, R.x);
    EXPECT_EQ(p.y, R.y);
  }
}

TEST_F(CoordGrammarTest, OffsetKindTakesBothNumbersAsOffsetsAndRefusesLetters) {
  struct Case {
    const char* typed;
    bool given;
    float dx, dy;
  };
  for (const Case& c : {Case{"3,5", true, 3.0f, 5.0f}, Case{"*3*5", true, 3.0f, 5.0f},
                        Case{"3", true, 3.0f, 0.0f}, Case{"x3", false, 0.0f, 0.0f},
                        Case{"3y5", false, 0.0f, 0.0f}}) {
    CoordEntry& e = g_coord.entry;
    e = CoordEntry{};
    e.reference = R;
    char text[16];
    std::strcpy(text, c.typed);
    const int got = apply_typed_field(text, 0x0401, ENTRY_KIND_OFFSET);
    EXPECT_EQ(got != 0, c.given) << c.typed;
    if (!c.given) {
      EXPECT_STREQ(text, "") << "a letter clears the text of an offset";
      continue;
    }
    EXPECT_FLOAT_EQ(e.offset.x, c.dx) << c.typed;
    EXPECT_FLOAT_EQ(e.offset.y, c.dy) << c.typed;
    EXPECT_FLOAT_EQ(e.current.x, R.x + c.dx) << c.typed;
    EXPECT_FLOAT_EQ(e.current.y, R.y + c.dy) << c.typed;
  }
}

TEST_F(CoordGrammarTest, PolarTextIsShownWithTheLessThanSign) {
  char text[16] = "3.4>45";
  float values[2];
  int xmode = 0, ymode = 0;
  ASSERT_TRUE(parse_typed_coordinates(values, text, &xmode, &ymode, ENTRY_KIND_POINT));
  EXPECT_STREQ(text, "3.4<45");
  EXPECT_EQ(ymode, AXIS_POLAR);
  EXPECT_FLOAT_EQ(values[0], 3.4f);
  EXPECT_FLOAT_EQ(values[1], 45.0f);
}

TEST_F(CoordGrammarTest, ALoneNumberIsTheYWhileTheSecondPointOfAnXAndYSnapIsAsked) {
  g_point_picking.xy_snap_state = XY_SNAP_SECOND_POINT;
  char text[8] = "5";
  float values[2];
  int xmode = 0, ymode = 0;
  ASSERT_TRUE(parse_typed_coordinates(values, text, &xmode, &ymode, ENTRY_KIND_POINT));
  EXPECT_EQ(xmode, AXIS_NOT_GIVEN);
  EXPECT_EQ(ymode, AXIS_ABSOLUTE);
  EXPECT_FLOAT_EQ(values[1], 5.0f);
  EXPECT_EQ(g_point_picking.xy_snap_state, 3);
  // Outside the snap the same text is an X.
  g_point_picking.xy_snap_state = 0;
  std::strcpy(text, "5");
  ASSERT_TRUE(parse_typed_coordinates(values, text, &xmode, &ymode, ENTRY_KIND_POINT));
  EXPECT_EQ(xmode, AXIS_ABSOLUTE);
  EXPECT_FLOAT_EQ(values[0], 5.0f);
}

TEST_F(CoordGrammarTest, GoToPointReplacesAbsoluteAndAddsRelativeToTheCursor) {
  g_hover.cursor_point = {1.0f, 2.0f};
  struct Case {
    const char* typed;
    int result;
    float x, y;
  };
  for (const Case& c : {Case{"5,6", 1, 5.0f, 6.0f}, Case{"*1*1", 1, 2.0f, 3.0f},
                        Case{"5", 1, 5.0f, 2.0f}, Case{",7", 1, 1.0f, 7.0f},
                        Case{"3<90", 1, 1.0f, 2.0f}, Case{"", 0, 1.0f, 2.0f}}) {
    EXPECT_EQ(typed_point_from_cursor(c.typed), c.result) << c.typed;
    EXPECT_FLOAT_EQ(g_point_picking.typed_point.x, c.x) << c.typed;
    EXPECT_FLOAT_EQ(g_point_picking.typed_point.y, c.y) << c.typed;
  }
}

TEST_F(CoordGrammarTest, ValueLineReadsAtMostThreeNumbers) {
  struct Case {
    const char* text;
    int count;
    float v[3];
  };
  for (const Case& c : {Case{"1,2,3", 3, {1, 2, 3}}, Case{"=7", 1, {7, 0, 0}},
                        Case{"1,2,3,4", 3, {1, 2, 3}}, Case{"", 0, {0, 0, 0}},
                        Case{"-1.5,.5", 2, {-1.5f, 0.5f, 0}}}) {
    float v[3] = {};
    EXPECT_EQ(parse_value_line(c.text, v), c.count) << c.text;
    for (int i = 0; i < c.count; ++i) EXPECT_FLOAT_EQ(v[i], c.v[i]) << c.text;
  }
}

// A locale whose decimal point is a comma, made with localedef into a temporary folder.
class CommaLocaleTest : public CoordGrammarTest {
 protected:
  void SetUp() override {
    CoordGrammarTest::SetUp();
    if (std::system("command -v localedef >/dev/null 2>&1") != 0) GTEST_SKIP() << "no localedef";
    folder_ = make_test_folder("comma_locale");
    const std::string command = "localedef -i de_DE -f UTF-8 '" + folder_ +
                                "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !exists(folder_ + "/de_DE.UTF-8"))
      GTEST_SKIP() << "localedef could not make a comma-decimal locale";
    const char* old = std::getenv("LOCPATH");
    old_locpath_ = old != nullptr ? old : "";
    had_locpath_ = old != nullptr;
    setenv("LOCPATH", folder_.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    if (had_locpath_) setenv("LOCPATH", old_locpath_.c_str(), 1);
    else unsetenv("LOCPATH");
    CoordGrammarTest::TearDown();
  }
  static bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

  std::string folder_;
  std::string old_locpath_;
  bool had_locpath_ = false;
};

TEST_F(CommaLocaleTest, TypedTextsMeanTheSameUnderACommaDecimalLocale) {
  expect_grammar_table();
  float v[3] = {};
  EXPECT_EQ(parse_value_line("1.5,2,3", v), 3);
  EXPECT_FLOAT_EQ(v[0], 1.5f);
  EXPECT_EQ(fixed_c_text(1.5, 3), "1.500");
}

// ---- the entry line through the event queue ----

class EntryLineTest : public PickingFixture {
 protected:

  // Starts a kind's entry with the reference point R and an empty text.
  static CoordEntry* fresh_entry() {
    CoordEntry& e = g_coord.entry;
    e = CoordEntry{};
    e.reference = R;
    e.current = R;
    return &e;
  }
  static int run(CoordEntry* e, int kind = ENTRY_KIND_POINT, int flags = ENTRY_ALL_POINTS) {
    return coordinate_entry_line(e, flags, kind, ENTRY_PROMPT_FINAL_POINT);
  }
  void look(std::vector<std::pair<int, int>>* seen) {
    g_typist.steps.push_back([seen] { *seen = drawn_pixels(); });
  }
};

TEST_F(EntryLineTest, EnterWithNothingTypedGivesNothing) {
  CoordEntry* e = fresh_entry();
  typist_key(VK_RETURN);
  EXPECT_EQ(run(e), ENTRY_NOTHING);
  EXPECT_FLOAT_EQ(e->current.x, R.x);
}

TEST_F(EntryLineTest, TypedPointIsAcceptedWithItsYMode) {
  struct Case {
    const char* typed;
    int result;
    float x, y;
  };
  for (const Case& c : {Case{"1.2,-4.5", 2, 1.2f, -4.5f}, Case{"=5", 2, R.x, 5.0f},
                        Case{"+5", 2, R.x, 5.0f}, Case{"*1*2", 3, R.x + 1, R.y + 2}}) {
    CoordEntry* e = fresh_entry();
    typist_text(c.typed);
    typist_key(VK_RETURN);
    EXPECT_EQ(run(e), c.result) << c.typed;
    EXPECT_NEAR(e->current.x, c.x, 1e-5) << c.typed;
    EXPECT_NEAR(e->current.y, c.y, 1e-5) << c.typed;
    EXPECT_STREQ(e->text, "") << "the entry clears its text when it returns";
  }
}

TEST_F(EntryLineTest, ClickMovesTheReferenceAndEnterThenTakesTheLastOffset) {
  CoordEntry* e = fresh_entry();
  e->offset = {1.0f, 2.0f};
  g_hover.cursor_point = {3.0f, 4.0f};
  // A press inside the drawing area, nothing hovered.
  g_typist.steps.push_back([] { push_input_code(EVENT_LEFT_DOWN); });
  typist_key(VK_RETURN);
  EXPECT_EQ(run(e), 1);
  EXPECT_FLOAT_EQ(e->reference.x, 3.0f);
  EXPECT_FLOAT_EQ(e->reference.y, 4.0f);
  EXPECT_FLOAT_EQ(e->current.x, 4.0f);
  EXPECT_FLOAT_EQ(e->current.y, 6.0f);
}

TEST_F(EntryLineTest, KindFiltersRefuseTheirCharacters) {
  struct Case {
    int kind;
    int flags;
    const char* typed;
    const char* kept;
  };
  for (const Case& c : {Case{ENTRY_KIND_DISTANCE, ENTRY_DISTANCE_FIRST, "-*1,<2.5", "12.5"},
                        Case{ENTRY_KIND_SWEEP, ENTRY_SWEEP_FIRST, "-*1,<2", "-12"},
                        Case{ENTRY_KIND_ROTATE, 0, "-1*,<5", "-15"}}) {
    CoordEntry* e = fresh_entry();
    std::string shown;
    typist_text(c.typed);
    g_typist.steps.push_back([&shown, e] { shown = e->text; });
    typist_key(VK_ESCAPE);
    EXPECT_EQ(run(e, c.kind, c.flags), ENTRY_CANCELLED);
    EXPECT_EQ(shown, c.kept) << "kind " << c.kind;
  }
}

TEST_F(EntryLineTest, ZoomKeyWhileTypingAsksForARedrawAndKeepsTheText) {
  CoordEntry* e = fresh_entry();
  typist_text("12");
  typist_key(VK_PRIOR);
  const float scale = g_view.scale_x;
  EXPECT_EQ(run(e), EVENT_VIEW_CHANGED);
  EXPECT_NE(g_view.scale_x, scale);
  EXPECT_STREQ(e->text, "12");
  // Called again, the entry goes on with the text typed so far.
  typist_text(",3");
  typist_key(VK_RETURN);
  EXPECT_EQ(run(e), 2);
  EXPECT_FLOAT_EQ(e->current.x, 12.0f);
  EXPECT_FLOAT_EQ(e->current.y, 3.0f);
}

TEST_F(EntryLineTest, BackspaceToAnEmptyTextKeepsTheCross) {
  CoordEntry* e = fresh_entry();
  std::vector<std::pair<int, int>> with_text, emptied, typed_more;
  typist_text("5,4");
  look(&with_text);
  typist_key(VK_BACK);
  typist_key(VK_BACK);
  typist_key(VK_BACK);
  look(&emptied);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run(e), ENTRY_CANCELLED);
  ASSERT_FALSE(with_text.empty());
  // "5," and "5" put the point at (5, R.y); the empty text leaves it there.
  EXPECT_FLOAT_EQ(e->current.x, 5.0f);
  EXPECT_FLOAT_EQ(e->current.y, R.y);
  // The cross is drawn around the point's pixel.
  int cx = 0, cy = 0;
  world_to_screen(e->current, &cx, &cy);
  cy += g_view.area_top;
  int near_cross = 0;
  for (const auto& [x, y] : emptied)
    if (std::abs(x - cx) <= 20 && std::abs(y - cy) <= 20 && y != cy) ++near_cross;
  EXPECT_GT(near_cross, 4);
  EXPECT_NE(emptied, with_text) << "the cross moved from (5, 4) to (5, R.y)";
}

TEST_F(EntryLineTest, SnapKeysAreRefusedByAKindWithoutSnaps) {
  // The offset kind takes no snaps: "m" is neither typed nor a snap; "r" is a direction.
  CoordEntry* e = fresh_entry();
  std::string shown;
  typist_text("2m");
  g_typist.steps.push_back([&shown, e] { shown = e->text; });
  typist_key(VK_RETURN);
  EXPECT_EQ(run(e, ENTRY_KIND_OFFSET, 0x0401), 3);
  EXPECT_EQ(shown, "2");
  EXPECT_FLOAT_EQ(e->offset.x, 2.0f);
  EXPECT_FLOAT_EQ(e->offset.y, 0.0f);
  e = fresh_entry();
  typist_text("r3");
  typist_key(VK_RETURN);
  EXPECT_EQ(run(e, ENTRY_KIND_OFFSET, 0x0401), 1);
  EXPECT_FLOAT_EQ(e->current.x, R.x + 3.0f);
}

TEST_F(EntryLineTest, ValueLineCountsWhatWasTyped) {
  struct Case {
    const char* typed;
    int count;
    char first;
  };
  for (const Case& c : {Case{"1,2,3", 3, '1'}, Case{"=7", 1, '='}, Case{"1,2,3,4", 3, '1'}}) {
    g_coord.value_line_first = 0;
    typist_text(c.typed);
    typist_key(VK_RETURN);
    EXPECT_EQ(read_value_line("Scale by"), c.count) << c.typed;
    EXPECT_EQ(g_coord.value_line_first, c.first) << c.typed;
  }
  EXPECT_FLOAT_EQ(g_coord.entry.current.x, 1.0f);
  EXPECT_FLOAT_EQ(g_coord.entry.current.y, 2.0f);
  EXPECT_FLOAT_EQ(g_coord.entry.reference.x, 3.0f);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(read_value_line("Scale by"), ENTRY_CANCELLED);
}

}  // namespace

// ---- the layer of the item being drawn, in front of the strip ----

class EntryLayerStripTest : public EntryLineTest {
 protected:
  void SetUp() override {
    EntryLineTest::SetUp();
    reset_message_box();
    use_entry_layer_strip(3);
  }
  void TearDown() override {
    free_layer_list_window();
    reset_entry_preview();
    EntryLineTest::TearDown();
  }
  // A strip control laid out where the entry line draws it.
  static ScreenControl* strip_control(int id) {
    for (ScreenControl* c = g_coord.preview.controls; c->flags != CF_END; ++c) {
      if (c->id != id) continue;
      layout_control(c);
      return c;
    }
    ADD_FAILURE() << "no control " << id;
    return nullptr;
  }
  // The entry line follows the pointer by its motion: the pointer is put on the control and
  // the button pressed there.
  static void click_on(int id) {
    const ScreenControl* c = strip_control(id);
    // The right end: the field's box reaches over the button's left edge.
    const int x = c->x + std::max(c->hit_width, c->drawn_width) - 2, y = c->y + 2;
    g_typist.steps.push_back([x, y] {
      g_pointer.wanted_x = x;
      g_pointer.wanted_y = y;
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, y);
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, y);
    });
  }
};

// A layer typed in the field becomes the preview's layer and the field shows it; layers past
// the user layers are refused with a message and the one shown is kept.
TEST_F(EntryLayerStripTest, TheLayerTypedInTheFieldIsKeptOrRefused) {
  struct Case {
    const char* typed;
    int layer;
    bool refused;
  };
  const Case cases[] = {{"12", 12, false}, {"0", 0, false}, {"243", 243, false},
                        {"244", 3, true},  {"300", 3, true}, {"999", 3, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    use_entry_layer_strip(3);
    reset_message_box();
    CoordEntry* e = fresh_entry();
    click_on(10);
    typist_text(c.typed);
    typist_key(VK_RETURN);
    if (c.refused) typist_key(VK_ESCAPE);  // the refusal's box
    typist_key(VK_ESCAPE);
    EXPECT_EQ(run(e), ENTRY_CANCELLED);
    EXPECT_EQ(g_coord.preview.layer, c.layer);
    char shown[8];
    std::snprintf(shown, sizeof shown, "%3d", c.layer);
    EXPECT_STREQ(strip_control(10)->caption, shown);
    EXPECT_EQ(g_message_box.shown_count, c.refused ? 1 : 0);
  }
}

// The field left by a click on "Done" keeps the typed layer and "Done" then acts: the entry ends
// as Enter would.
TEST_F(EntryLayerStripTest, AClickOnAnotherControlLeavesTheFieldAndActs) {
  CoordEntry* e = fresh_entry();
  click_on(10);
  typist_text("7");
  click_on(13);
  EXPECT_EQ(run(e), ENTRY_NOTHING);
  EXPECT_EQ(g_coord.preview.layer, 7);
}

// The list button picks the layer from the layer list under it.
TEST_F(EntryLayerStripTest, TheListButtonPicksTheLayer) {
  CoordEntry* e = fresh_entry();
  click_on(11);
  typist_key(VK_DOWN);
  typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  // The list closed over the drawing asks the caller to draw the view again, then it goes on.
  int result = EVENT_VIEW_CHANGED;
  for (int k = 0; k < 3 && result == EVENT_VIEW_CHANGED; ++k) result = run(e);
  EXPECT_EQ(result, ENTRY_CANCELLED);
  EXPECT_EQ(g_coord.preview.layer, 2);
  EXPECT_STREQ(strip_control(10)->caption, "  2");
}
