// The staircase designer's entry rules and solver, run on the block alone: what each typed value
// derives by the rows entered before it, the values each row refuses (leaving the block as it
// was), the marks, and the checks a design must pass before it is accepted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "print/stairs_params.h"
#include "print/stairs_solver.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180;

StairsParams fresh(int32_t kind_word) {
  StairsParams p;
  set_builtin_stairs_defaults(kind_word, &p);
  clear_stairs_marks(&p);
  return p;
}

std::vector<uint8_t> image_of(const StairsParams& p) {
  std::vector<uint8_t> out(STAIRS_IMAGE_SIZE);
  write_stairs_image(p, out.data());
  return out;
}

TEST(StairsSolver, TheFiguresOfATypicalSession) {
  StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TOTAL, 2800));
  // Nearest count at the default rise of 160, then the rise that fits it.
  EXPECT_EQ(p.tread_count, 17);
  EXPECT_NEAR(p.rise, 2800.0 / 18, 1e-3);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RISE, 175));
  EXPECT_EQ(p.tread_count, 15);
  EXPECT_NEAR(p.rise, 175, 1e-4);
  EXPECT_NEAR(p.total_rise, 2800, 1e-3);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_ANGLE, 40));
  EXPECT_NEAR(p.pitch_angle, 40 * DEG, 1e-6);
  EXPECT_NEAR(p.run, 208.56, 0.005);
  EXPECT_NEAR(p.run, 175 / std::tan(40 * DEG), 1e-3);
  // What the user gave is marked as given; the rest shows as derived.
  for (int row : {STAIR_ROW_TOTAL, STAIR_ROW_RISE, STAIR_ROW_ANGLE})
    EXPECT_FALSE(stairs_row_derived(p, row)) << row;
  for (int row : {STAIR_ROW_RUN, STAIR_ROW_COUNT}) EXPECT_TRUE(stairs_row_derived(p, row)) << row;
}

TEST(StairsSolver, WithOnlyTheGoingEnteredTheRiseKeepsIt) {
  StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RUN, 250));
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RISE, 170));
  EXPECT_FLOAT_EQ(p.run, 250);
  EXPECT_NEAR(p.pitch_angle, std::atan(170.0 / 250), 1e-6);
  EXPECT_NEAR(p.total_rise, (p.tread_count + 1) * 170.0, 1e-3);
  // A count entered earlier comes first: the total follows it and the going the pitch.
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_COUNT, 11));
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RUN, 240));
  const double ang = p.pitch_angle;
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RISE, 180));
  EXPECT_EQ(p.tread_count, 11);
  EXPECT_NEAR(p.total_rise, 12 * 180.0, 1e-3);
  EXPECT_NEAR(p.run, 180 / std::tan(ang), 1e-3);
}

// What an entry derives, by the marks of the rows entered before it. The starting block:
// TOTAL 2800, ANG 0.7, RISE 160, RUN 200, N 16.
enum Expect { COUNT_FROM_TOTAL, RISE_FROM_TOTAL, TOTAL_FROM_COUNT, PITCH_AND_TOTAL, PITCH_ONLY };

struct RowCase {
  const char* what;
  int row;
  double value;
  std::vector<int> last;    // rows whose latest-entry mark is set
  std::vector<int> before;  // rows whose earlier-entry mark is set
  Expect expect;
};

TEST(StairsSolver, EachEditedRowDerivesByItsLastAndEarlierEntries) {
  const RowCase cases[] = {
      {"rise after total", STAIR_ROW_RISE, 175, {STAIR_ROW_TOTAL}, {}, COUNT_FROM_TOTAL},
      {"rise after count, total earlier", STAIR_ROW_RISE, 175, {STAIR_ROW_COUNT}, {STAIR_ROW_TOTAL},
       COUNT_FROM_TOTAL},
      {"rise after count", STAIR_ROW_RISE, 175, {STAIR_ROW_COUNT}, {}, TOTAL_FROM_COUNT},
      {"rise, total earlier", STAIR_ROW_RISE, 175, {STAIR_ROW_NOSING}, {STAIR_ROW_TOTAL},
       COUNT_FROM_TOTAL},
      {"rise, count earlier", STAIR_ROW_RISE, 175, {}, {STAIR_ROW_COUNT}, TOTAL_FROM_COUNT},
      {"rise after going", STAIR_ROW_RISE, 175, {STAIR_ROW_RUN}, {}, PITCH_AND_TOTAL},
      {"rise after angle", STAIR_ROW_RISE, 175, {STAIR_ROW_ANGLE}, {}, PITCH_ONLY},
      {"rise, going earlier", STAIR_ROW_RISE, 175, {}, {STAIR_ROW_RUN}, PITCH_AND_TOTAL},
      {"rise, angle earlier", STAIR_ROW_RISE, 175, {}, {STAIR_ROW_ANGLE}, PITCH_ONLY},
      {"rise, nothing entered", STAIR_ROW_RISE, 175, {}, {}, TOTAL_FROM_COUNT},
      {"total after rise", STAIR_ROW_TOTAL, 3000, {STAIR_ROW_RISE}, {}, COUNT_FROM_TOTAL},
      {"total after count", STAIR_ROW_TOTAL, 3000, {STAIR_ROW_COUNT}, {STAIR_ROW_RISE},
       RISE_FROM_TOTAL},
      {"total, rise earlier", STAIR_ROW_TOTAL, 3000, {}, {STAIR_ROW_RISE}, COUNT_FROM_TOTAL},
      {"total, count earlier", STAIR_ROW_TOTAL, 3000, {}, {STAIR_ROW_COUNT}, RISE_FROM_TOTAL},
      {"total, nothing entered", STAIR_ROW_TOTAL, 3000, {}, {}, COUNT_FROM_TOTAL},
      {"tread thickness", STAIR_ROW_TREAD, 30, {}, {}, COUNT_FROM_TOTAL},
      {"going", STAIR_ROW_RUN, 250, {}, {}, PITCH_AND_TOTAL},
      {"count after total", STAIR_ROW_COUNT, 14, {STAIR_ROW_TOTAL}, {}, RISE_FROM_TOTAL},
      {"count", STAIR_ROW_COUNT, 14, {STAIR_ROW_RISE}, {STAIR_ROW_TOTAL}, TOTAL_FROM_COUNT},
      {"top offset", STAIR_ROW_TOP, 20, {STAIR_ROW_TOTAL}, {}, TOTAL_FROM_COUNT},
      {"bottom drop", STAIR_ROW_DROP, 15, {STAIR_ROW_TOTAL}, {}, TOTAL_FROM_COUNT},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.what);
    StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);
    p.total_rise = 2800;
    p.pitch_angle = 0.7f;
    p.rise = 160;
    p.run = 200;
    p.tread_count = 16;
    for (int r : c.last) p.last_marks[r] = 1;
    for (int r : c.before) p.earlier_marks[r] = 1;
    StairsParams old = p;
    ASSERT_TRUE(enter_stair_value(&p, c.row, c.value));
    // The entered value as it is stored.
    const double total = c.row == STAIR_ROW_TOTAL ? c.value : old.total_rise;
    const double rise = c.row == STAIR_ROW_RISE ? c.value : old.rise;
    const int n = c.row == STAIR_ROW_COUNT ? static_cast<int>(c.value) : old.tread_count;
    const double run = c.row == STAIR_ROW_RUN ? c.value : old.run;
    const double ang = old.pitch_angle;
    // What the block must hold afterwards.
    double want_total = total, want_rise = rise, want_run = run, want_ang = ang;
    int want_n = n;
    const bool keeps_run = c.row == STAIR_ROW_RUN;
    switch (c.expect) {
      case COUNT_FROM_TOTAL:
        want_n = static_cast<int>(total / rise + 0.5) - 1;
        want_rise = total / (want_n + 1);
        want_run = want_rise / std::tan(ang);
        break;
      case RISE_FROM_TOTAL:
        want_rise = total / (n + 1);
        want_run = want_rise / std::tan(ang);
        break;
      case TOTAL_FROM_COUNT:
        want_total = (n + 1) * rise;
        want_run = std::tan(PI / 2 - ang) * rise;
        break;
      case PITCH_AND_TOTAL:
        want_ang = std::atan(rise / run);
        want_total = (n + 1) * rise;
        break;
      case PITCH_ONLY:
        want_ang = std::atan(rise / run);
        break;
    }
    if (keeps_run) want_run = run;
    EXPECT_EQ(p.tread_count, want_n);
    EXPECT_NEAR(p.total_rise, want_total, 2e-3);
    EXPECT_NEAR(p.rise, want_rise, 1e-3);
    EXPECT_NEAR(p.run, want_run, 1e-3);
    EXPECT_NEAR(p.pitch_angle, want_ang, 1e-6);
    // The edited row is the latest entry now; the solver's rows before it are earlier ones.
    EXPECT_EQ(p.last_marks[c.row], 1);
    if (c.row <= STAIR_ROW_LAST_SOLVED) {
      for (int r : c.last) {
        if (r != c.row) {
          EXPECT_EQ(p.last_marks[r], 0) << "row " << r;
        }
        EXPECT_EQ(p.earlier_marks[r], 1) << "row " << r;
      }
    } else {
      for (int r : c.last) EXPECT_EQ(p.last_marks[r], 1) << "row " << r;
    }
  }
}

TEST(StairsSolver, ADerivedGoingFollowsTheAngleAndTheRiseWasKept) {
  StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  p.rise = 180;
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_ANGLE, 35));
  EXPECT_NEAR(p.run, 180 / std::tan(35 * DEG), 1e-3);
  EXPECT_FLOAT_EQ(p.rise, 180);
  // The count with a total entered just before: the rise follows, the going keeps its angle.
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TOTAL, 2000));
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_COUNT, 9));
  EXPECT_NEAR(p.rise, 200, 1e-3);
  EXPECT_NEAR(p.run, 200 / std::tan(35 * DEG), 1e-3);
}

struct Refusal {
  const char* what;
  int32_t kind_word;
  int form;  // 0 stair, 1 stringer, 2 table, 3 cut stringer
  int row;
  double value;
  void (*setup)(StairsParams* p);
};

bool enter(StairsParams* p, int form, int row, double value) {
  switch (form) {
    case 0: return enter_stair_value(p, row, value);
    case 1: return enter_stringer_value(p, row, value);
    case 2: return enter_table_value(p, row, value);
    default: return enter_cut_stringer_value(p, row, value);
  }
}

TEST(StairsSolver, ValuesOutsideARowsRuleAreRefusedAndTheBlockKept) {
  constexpr int32_t MM = STAIRS_KIND_HOUSED | STAIRS_METRIC;
  constexpr int32_t INCH = STAIRS_KIND_HOUSED;
  const auto entered_rise = [](StairsParams* p) {
    ASSERT_TRUE(enter_stair_value(p, STAIR_ROW_RISE, 0.001));
  };
  const auto rise_last = [](StairsParams* p) { p->last_marks[STAIR_ROW_RISE] = 1; };
  const auto going_250 = [](StairsParams* p) { p->run = 250; };
  const Refusal cases[] = {
      {"total above 9000 mm", MM, 0, STAIR_ROW_TOTAL, 9001, nullptr},
      {"total below 10 mm", MM, 0, STAIR_ROW_TOTAL, 9.5, nullptr},
      {"total above 360 in", INCH, 0, STAIR_ROW_TOTAL, 361, nullptr},
      {"total below 3 in", INCH, 0, STAIR_ROW_TOTAL, 2.9, nullptr},
      {"more than 800 risers", MM, 0, STAIR_ROW_TOTAL, 900, entered_rise},
      {"no tread in the total", MM, 0, STAIR_ROW_TOTAL, 10, rise_last},
      {"angle of a right angle", MM, 0, STAIR_ROW_ANGLE, 90, nullptr},
      {"angle too flat", MM, 0, STAIR_ROW_ANGLE, 0.01, nullptr},
      {"negative tread", MM, 0, STAIR_ROW_TREAD, -5, nullptr},
      {"nosing too small", MM, 0, STAIR_ROW_NOSING, 0.0001, nullptr},
      {"negative rise", MM, 0, STAIR_ROW_RISE, -160, nullptr},
      {"negative going", MM, 0, STAIR_ROW_RUN, -1, nullptr},
      {"count -1", MM, 0, STAIR_ROW_COUNT, -1, nullptr},
      {"count 800", MM, 0, STAIR_ROW_COUNT, 800, nullptr},
      {"top offset above the rise", MM, 0, STAIR_ROW_TOP, 161, nullptr},
      {"negative top offset above the rise", MM, 0, STAIR_ROW_TOP, -161, nullptr},
      {"drop above 9000", MM, 0, STAIR_ROW_DROP, 9001, nullptr},
      {"slant 16 degrees", MM, 0, STAIR_ROW_SLANT, 16, nullptr},
      {"riser above the rise", MM, 0, STAIR_ROW_RISER, 161, nullptr},
      {"not a number", MM, 0, STAIR_ROW_RISE, std::nan(""), nullptr},
      {"infinite total", MM, 0, STAIR_ROW_TOTAL, INFINITY, nullptr},
      {"the tool row takes no value", MM, 0, STAIR_ROW_HOUSING_TOOL, 3, nullptr},
      {"margin too small", MM, 1, STRINGER_ROW_MARGIN, 0.05, nullptr},
      {"riser margin within the housing", MM, 1, STRINGER_ROW_RISER_MARGIN, 37.55, nullptr},
      {"board too thin", MM, 1, STRINGER_ROW_THICKNESS, 0.05, nullptr},
      {"board too narrow", MM, 1, STRINGER_ROW_WIDTH, 0.05, nullptr},
      {"the length is computed", MM, 1, STRINGER_ROW_LENGTH, 3000, nullptr},
      {"no third side", MM, 1, STRINGER_ROW_SIDE, 2, nullptr},
      {"first going too short", MM, 1, STRINGER_ROW_FIRST_GOING, 0, nullptr},
      {"rails closer than a going", MM, 2, TABLE_ROW_RAILS, 249, going_250},
      {"table shorter than three goings", MM, 2, TABLE_ROW_LENGTH, 749, going_250},
      {"no overlap", MM, 2, TABLE_ROW_MARGIN_ALONG, 0, nullptr},
      {"markers neither N nor Y", MM, 2, TABLE_ROW_MARKERS, 2, nullptr},
      {"axis neither X nor Y", MM, 2, TABLE_ROW_AXIS, -1, nullptr},
      {"cut rise too small", MM, 3, CUT_ROW_RISE, 0.05, nullptr},
      {"cut count 800", MM, 3, CUT_ROW_COUNT, 800, nullptr},
      {"cut board below too small", MM, 3, CUT_ROW_BOARD_BELOW, 0.001, nullptr},
      {"cut drop above 9000", MM, 3, CUT_ROW_DROP, 9000.5, nullptr},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    StairsParams p = fresh(c.kind_word);
    if (c.setup != nullptr) c.setup(&p);
    const std::vector<uint8_t> before = image_of(p);
    EXPECT_FALSE(enter(&p, c.form, c.row, c.value));
    EXPECT_EQ(image_of(p), before);
  }
}

TEST(StairsSolver, TheCornerRadiusAndHousingBackAreHeldToTheTread) {
  StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);  // TT 40, R 6, BACK 37.5
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RADIUS, 25));
  EXPECT_NEAR(p.corner_radius, 0.49999 * 40, 1e-4);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RADIUS, 0.0001));
  EXPECT_NEAR(p.corner_radius, 0.0002, 1e-7);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RADIUS, 8));
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_BACK, 3));
  EXPECT_NEAR(p.housing_back, 8.0001, 1e-5);
  // A thinner tread lowers a radius that no longer fits.
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TREAD, 12));
  EXPECT_NEAR(p.corner_radius, 0.49999 * 12, 1e-4);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TREAD, 30));
  EXPECT_NEAR(p.corner_radius, 0.49999 * 12, 1e-4);
  // The top offset is stored below the top, whichever sign was typed; the slant in radians.
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TOP, 20));
  EXPECT_FLOAT_EQ(p.top_offset, -20);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TOP, -30));
  EXPECT_FLOAT_EQ(p.top_offset, -30);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_SLANT, 15));
  EXPECT_NEAR(p.riser_slant, 15 * DEG, 1e-6);
}

TEST(StairsSolver, DelOrZeroClearsTheMarksAndDerivesNothing) {
  StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TOTAL, 2800));
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RISE, 175));
  ASSERT_EQ(p.earlier_marks[STAIR_ROW_TOTAL], 1);
  const StairsParams kept = p;
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_TOTAL, 0));
  EXPECT_EQ(p.total_rise, 0);
  EXPECT_TRUE(stairs_row_derived(p, STAIR_ROW_TOTAL));
  EXPECT_EQ(p.tread_count, kept.tread_count);
  EXPECT_EQ(p.rise, kept.rise);
  EXPECT_EQ(p.last_marks[STAIR_ROW_RISE], 1);
  // A zero count clears, as a count below zero is refused.
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_COUNT, 0));
  EXPECT_EQ(p.tread_count, 0);
  EXPECT_TRUE(stairs_row_derived(p, STAIR_ROW_COUNT));
  // Rows past the solver mark only themselves and leave the solver's marks alone.
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_NOSING, 20));
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_RISER, 12));
  EXPECT_EQ(p.last_marks[STAIR_ROW_RISER], 1);
  EXPECT_EQ(p.last_marks[STAIR_ROW_NOSING], 1);
  ASSERT_TRUE(enter_stair_value(&p, STAIR_ROW_DROP, 0));
  EXPECT_TRUE(stairs_row_derived(p, STAIR_ROW_DROP));
  // "Reset" keeps the values and forgets that the user gave them.
  const std::vector<uint8_t> values = [&] {
    StairsParams q = p;
    clear_stairs_marks(&q);
    return image_of(q);
  }();
  clear_stairs_marks(&p);
  EXPECT_EQ(image_of(p), values);
  for (int row = 0; row < static_cast<int>(STAIRS_MARK_ROWS); ++row)
    EXPECT_TRUE(stairs_row_derived(p, row)) << row;
}

TEST(StairsSolver, StringerTableAndCutStringerRowsStoreWhatFollows) {
  StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);  // BACK 37.5
  ASSERT_TRUE(enter_stringer_value(&p, STRINGER_ROW_MARGIN, 40));
  EXPECT_FLOAT_EQ(p.riser_margin, 77.5);
  ASSERT_TRUE(enter_stringer_value(&p, STRINGER_ROW_RISER_MARGIN, 100));
  EXPECT_FLOAT_EQ(p.housing_margin, 62.5);
  EXPECT_FLOAT_EQ(p.riser_margin, 100);
  p.housing_back = 30;
  update_riser_margin(&p);
  EXPECT_FLOAT_EQ(p.riser_margin, 92.5);
  ASSERT_TRUE(enter_stringer_value(&p, STRINGER_ROW_THICKNESS, 32));
  EXPECT_FLOAT_EQ(p.board_thickness, 32);
  EXPECT_FLOAT_EQ(p.outline_cam.finishing.cut_depth, 32);
  ASSERT_TRUE(enter_stringer_value(&p, STRINGER_ROW_WIDTH, 260));
  EXPECT_EQ(p.last_marks[STAIRS_WIDTH_MARK_ROW], 1);
  ASSERT_TRUE(enter_stringer_value(&p, STRINGER_ROW_WIDTH, 0));
  EXPECT_EQ(p.board_width, 0);
  EXPECT_EQ(p.last_marks[STAIRS_WIDTH_MARK_ROW], 0);
  ASSERT_TRUE(enter_stringer_value(&p, STRINGER_ROW_SIDE, 1));
  EXPECT_EQ(p.side, 1);
  ASSERT_TRUE(enter_stringer_value(&p, STRINGER_ROW_CORNER, -5));
  EXPECT_FLOAT_EQ(p.entered_corner_height, -5);

  p.run = 250;
  ASSERT_TRUE(enter_table_value(&p, TABLE_ROW_RAILS, 250));
  ASSERT_TRUE(enter_table_value(&p, TABLE_ROW_LENGTH, 750));
  ASSERT_TRUE(enter_table_value(&p, TABLE_ROW_MARKERS, 0));
  ASSERT_TRUE(enter_table_value(&p, TABLE_ROW_AXIS, 0));
  EXPECT_FLOAT_EQ(p.rail_distance, 250);
  EXPECT_FLOAT_EQ(p.table_length, 750);
  EXPECT_EQ(p.marker_choice, 0);
  EXPECT_EQ(p.table_axis, 0);

  // The cut stringer's total rise is the count of goings, whichever row changed.
  StairsParams c = fresh(STAIRS_KIND_SPECIAL | STAIRS_METRIC);
  c.kind4_type = STAIRS_TYPE_CUT_STRINGER;
  ASSERT_TRUE(enter_cut_stringer_value(&c, CUT_ROW_COUNT, 7));
  ASSERT_TRUE(enter_cut_stringer_value(&c, CUT_ROW_RUN, 250));
  EXPECT_FLOAT_EQ(c.total_rise, 7 * 250);
  ASSERT_TRUE(enter_cut_stringer_value(&c, CUT_ROW_THICKNESS, 30));
  EXPECT_FLOAT_EQ(c.outline_cam.finishing.cut_depth, 30);
  ASSERT_TRUE(enter_cut_stringer_value(&c, CUT_ROW_SAWTOOTH, -12));
  EXPECT_FLOAT_EQ(c.sawtooth_offset, -12);
  EXPECT_FLOAT_EQ(c.total_rise, 7 * 250);
}

struct AcceptCase {
  const char* what;
  void (*edit)(StairsParams* p);
  uint32_t left, right;
  const char* problem;
};

TEST(StairsSolver, ADesignIsAcceptedOnlyWhenWholeAndPlaceable) {
  const AcceptCase cases[] = {
      {"whole", nullptr, 0xC0, 0xC0, nullptr},
      {"no tread thickness", [](StairsParams* p) { p->tread_thickness = 0; }, 0xC0, 0xC0,
       STAIRS_ZERO_VALUES_TEXT},
      {"no nosing", [](StairsParams* p) { p->nosing = 0; }, 0xC0, 0xC0, STAIRS_ZERO_VALUES_TEXT},
      {"no total", [](StairsParams* p) { p->total_rise = 0; }, 0xC0, 0xC0,
       STAIRS_ZERO_VALUES_TEXT},
      {"no count", [](StairsParams* p) { p->tread_count = 0; }, 0xC0, 0xC0,
       STAIRS_ZERO_VALUES_TEXT},
      {"no angle", [](StairsParams* p) { p->pitch_angle = 0; }, 0xC0, 0xC0,
       STAIRS_ZERO_VALUES_TEXT},
      {"no board length", [](StairsParams* p) { p->board_length = 0; }, 0xC0, 0xC0,
       STAIRS_NO_STRINGER_TEXT},
      {"no board width", [](StairsParams* p) { p->board_width = 0; }, 0xC0, 0xC0,
       STAIRS_NO_STRINGER_TEXT},
      {"no board thickness", [](StairsParams* p) { p->board_thickness = 0; }, 0xC0, 0xC0,
       STAIRS_NO_STRINGER_TEXT},
      {"no side", nullptr, 0x40, 0x40, STAIRS_NO_SIDE_TEXT},
      {"right only, rails too close", [](StairsParams* p) { p->rail_distance = 399; }, 0x40, 0xC0,
       STAIRS_RAILS_TOO_SHORT_TEXT},
      {"rails just wide enough", [](StairsParams* p) { p->rail_distance = 400; }, 0xC0, 0xC0,
       nullptr},
      {"hidden boxes are not asked", [](StairsParams* p) { p->rail_distance = 10; },
       STAIRS_BOX_HIDDEN, STAIRS_BOX_HIDDEN, nullptr},
      {"a cut stringer needs no tread or nosing",
       [](StairsParams* p) {
         p->kind_word = STAIRS_KIND_SPECIAL | STAIRS_METRIC;
         p->kind4_type = STAIRS_TYPE_CUT_STRINGER;
         p->tread_thickness = 0;
         p->nosing = 0;
       },
       0xC0, 0xC0, nullptr},
  };
  for (const AcceptCase& c : cases) {
    SCOPED_TRACE(c.what);
    StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);
    p.total_rise = 1400;
    p.tread_count = 8;
    p.rise = 1400.0f / 9;
    p.run = p.rise;
    p.board_length = 1905;
    p.board_width = 200;
    if (c.edit != nullptr) c.edit(&p);
    const char* problem = stairs_acceptance_problem(p, c.left, c.right);
    EXPECT_STREQ(problem, c.problem);
  }
}

TEST(StairsSolver, TheShiftNoteNamesTreadsOrTheLengthInTheBlocksUnit) {
  StairsParams p = fresh(STAIRS_KIND_HOUSED | STAIRS_METRIC);
  EXPECT_EQ(stringer_shift_note(p, 6), "Stringer needs to shift\nby \f 6\x13 treads");
  EXPECT_EQ(stringer_shift_note(p, 0), "");
  p = fresh(STAIRS_KIND_SPECIAL | STAIRS_METRIC);
  p.kind4_type = 3;
  EXPECT_EQ(stringer_shift_note(p, 2), "");
  p.kind4_type = STAIRS_TYPE_CUT_STRINGER;
  p.rise = 30;
  p.run = 40;
  EXPECT_EQ(stringer_shift_note(p, 2), "Stringer needs to shift\nby \f100.00\x13 mm");
  p.kind_word = STAIRS_KIND_SPECIAL;
  EXPECT_EQ(stringer_shift_note(p, 2), "Stringer needs to shift\nby \f100.00\x13 inches");
}

}  // namespace
