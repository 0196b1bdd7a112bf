// Text layout and text items: frames, measuring and fitting, arcs, format codes.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/text/font_fixture.h"
#include "text/text_items.h"
#include "text/text_host.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "store/line_list.h"

using namespace text_test;

namespace {

class TextLayoutTest : public FontFolderTest {
 protected:
  void SetUp() override {
    FontFolderTest::SetUp();
    reset_list_store();
    // Font 0: A advances 0.6, B 0.5, the space 0.4; the pair A-B kerns by 2 steps.
    write_file(folder_ / "0.Q2F",
               source_of({"Test", "0.4", "kerning", "A02", "*A", "G1 X0.6", "*B", "G1 X0.5",
                          "*C", "G0 X0.6", "*D", "G1 Y1"}));
    ASSERT_EQ(register_folder_fonts(folder_.string()), 1);
  }
  void TearDown() override {
    free_current_list();
    FontFolderTest::TearDown();
  }

  DrawingItem* text_item(const char* text, const TextLayout& layout, float cut_width = 0.0f,
                         uint8_t operation = 1) {
    DrawingItem* item = new_text_item();
    set_line_text(text, item);
    item = g_lists.current.last;
    GeometryBlock* block = item_block(item);
    block_cam_params(block)[0] = operation;
    set_text_item_cut_width(block, cut_width);
    write_text_layout(layout, block_text_layout(block));
    return item;
  }

  static TextLayout layout_of(DrawingItem* item) {
    TextLayout l;
    read_text_layout(block_text_layout(item_block(item)), &l);
    return l;
  }
};

}  // namespace

TEST_F(TextLayoutTest, StraightFramesFollowJustificationSlantAndMirroring) {
  struct Case {
    const char* name;
    uint8_t h, v, flags;
    float slant;
    PointF a, b, c, d;
  };
  const Case cases[] = {
      {"start, bottom", 0, 2, 0, 0, {10, 9}, {30, 9}, {10, 5}, {30, 5}},
      {"centre, middle", 1, 1, 0, 0, {0, 7}, {20, 7}, {0, 3}, {20, 3}},
      {"slant 45", 0, 2, 0, 45, {14, 9}, {34, 9}, {10, 5}, {30, 5}},
      {"slant 45, mirrored", 0, 2, TEXT_FLAG_MIRRORED, 45, {10, 9}, {30, 9}, {14, 5}, {34, 5}},
  };
  for (const Case& c : cases) {
    TextLayout l;
    l.anchor = PointF{10, 5};
    l.length = 20;
    l.height = 4;
    l.h_justify = c.h;
    l.v_justify = c.v;
    l.flags = c.flags;
    l.slant = c.slant;
    compute_text_frame(&l, false);
    const PointF want[4] = {c.a, c.b, c.c, c.d};
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(l.corners[k].x, want[k].x, 1e-4) << c.name << " corner " << k;
      EXPECT_NEAR(l.corners[k].y, want[k].y, 1e-4) << c.name << " corner " << k;
    }
  }
}

TEST_F(TextLayoutTest, JustifiedCoordinatesAndAngles) {
  struct Convert {
    int from;
    float value;
    int to;
    float want;
  };
  for (const Convert& c : std::vector<Convert>{{1, 10, 0, 5}, {1, 10, 2, 15}, {2, 10, 0, 0},
                                                {3, 10, 4, 5}, {0, 10, 1, 15}, {5, 10, 3, 20},
                                                {4, 10, 4, 10}, {6, 10, 0, 0}})
    EXPECT_FLOAT_EQ(convert_justified_coordinate(c.from, c.value, c.to, 10), c.want)
        << c.from << " to " << c.to;
  struct Wrap {
    float angle, want;
  };
  for (const Wrap& w : std::vector<Wrap>{{-0.1f, ANGLE_TWO_PI_F - 0.1f},
                                         {7.0f, 7.0f - ANGLE_TWO_PI_F},
                                         {13.0f, 13.0f - ANGLE_TWO_PI_F}}) {
    float a = w.angle;
    wrap_angle_once(&a);
    EXPECT_FLOAT_EQ(a, w.want);
  }
}

TEST_F(TextLayoutTest, KerningPairsComeFromTheTable) {
  const StrokeFont* font = font_with_table(0);
  ASSERT_NE(font, nullptr);
  EXPECT_FLOAT_EQ(kern_pair_offset(font->table.kerning, true, 'A', 'B'), 2 * 0.026f);
  EXPECT_FLOAT_EQ(kern_pair_offset(font->table.kerning, true, 'A', '7'), 0.0f);
  EXPECT_FLOAT_EQ(kern_pair_offset(font->table.kerning, false, 'A', 'B'), 0.0f);
}

TEST_F(TextLayoutTest, LengthHeightAndWidthFactorAreFitted) {
  TextLayout l;
  l.height = 4;
  l.width_factor = 1;
  l.h_justify = 0;
  l.v_justify = 2;
  // "BA" (no kerning for the pair B-A): 0.6 + 0.5 = 1.1 glyph units, 4.4 long.
  DrawingItem* item = text_item("BA", l);
  layout_text_item(item);
  EXPECT_NEAR(layout_of(item).length, 4.4f, 1e-5);
  // Both given: the width factor is fitted; 0.9995 counts as exactly 1.
  l.length = 4.398f;
  item = text_item("BA", l);
  layout_text_item(item);
  EXPECT_FLOAT_EQ(layout_of(item).width_factor, 1.0f);
  EXPECT_NEAR(layout_of(item).length, 4.4f, 1e-5);
  l.length = 8.8f;
  item = text_item("BA", l);
  layout_text_item(item);
  EXPECT_NEAR(layout_of(item).width_factor, 2.0f, 1e-5);
  // Length given, height worked out; the kerned pair "AB" measures 1.1 - 0.052.
  l.height = 0;
  l.length = 1.048f * 2;
  l.width_factor = 1;
  item = text_item("AB", l);
  layout_text_item(item);
  EXPECT_NEAR(layout_of(item).height, 2.0f, 1e-4);
  // The frame links follow the corners: A, B, D, C and back to A.
  const LinkRecord* n = item_nodes(item);
  const TextLayout fitted = layout_of(item);
  EXPECT_FLOAT_EQ(n[0].point.x, fitted.corners[0].x);
  EXPECT_FLOAT_EQ(n[2].point.y, fitted.corners[3].y);
  EXPECT_FLOAT_EQ(n[4].point.x, n[0].point.x);
}

TEST_F(TextLayoutTest, AVerticalTextIsAsLongAsItsCharacters) {
  TextLayout l;
  l.height = 2;
  l.spacing = 0.25f;
  l.flags = TEXT_FLAG_VERTICAL;
  DrawingItem* item = text_item("AB AB", l, 0.1f, 1);
  layout_text_item(item);
  EXPECT_NEAR(layout_of(item).length, 2 * (0.25f * 4 + 5) - 0.1f, 1e-5);
}

TEST_F(TextLayoutTest, ATextThatNeverFitsEndsWithTheResetValuesAndTheMessage) {
  TextLayout l;
  l.length = 5;  // a length but no height, and a text of no width
  DrawingItem* item = text_item("DDD", l);
  layout_text_item(item);
  const TextLayout after = layout_of(item);
  EXPECT_TRUE(std::isfinite(after.length) && std::isfinite(after.height));
  EXPECT_FLOAT_EQ(after.width_factor, 1.0f);
  ASSERT_EQ(g_text_host_log.messages.size(), 1u);
  EXPECT_EQ(g_text_host_log.messages[0], TEXT_INVALID_VALUES);
}

TEST_F(TextLayoutTest, ArcTextIsPlacedAroundItsAngle) {
  TextLayout l;
  l.height = 1;
  l.width_factor = 1;
  l.arc_radius = 10;
  l.angle = 90;
  l.anchor = PointF{0, 0};
  DrawingItem* item = text_item("BA", l);
  layout_text_item(item);
  TextLayout after = layout_of(item);
  // The text's span is centred on 90 degrees and holds the two characters' chords.
  const double middle = (after.arc_start + after.arc_end) / 2;
  EXPECT_NEAR(middle, ANGLE_PI / 2, 1e-5);
  const double span = after.arc_end - after.arc_start;
  const double want = 2 * std::asin(0.6 / 20) + 2 * std::asin(0.5 / 20);
  EXPECT_NEAR(span, want, 1e-5);
  // A character wider than the arc's diameter makes the radius grow until it fits.
  l.arc_radius = 0.1f;
  item = text_item("BA", l);
  layout_text_item(item);
  after = layout_of(item);
  EXPECT_GE(2 * after.arc_radius, 0.6f);
  EXPECT_TRUE(std::isfinite(after.arc_start) && std::isfinite(after.arc_end));
  // A stretched character that is too wide gets the width factor that just fits.
  l.arc_radius = 0.2f;
  l.width_factor = 3;
  item = text_item("A", l);
  layout_text_item(item);
  after = layout_of(item);
  EXPECT_LE(0.6f * after.width_factor, 2 * 0.2f + 1e-4f);
  EXPECT_GT(after.width_factor, 0.5f);
}

TEST_F(TextLayoutTest, NewTextItemsAreNumberedAboveTheHighest) {
  for (int16_t number : {1, 4, 2}) new_text_item()->id = number;
  EXPECT_EQ(new_text_item()->id, 5);
  free_current_list();
  EXPECT_EQ(new_text_item()->id, 1);
}

namespace {

// The defaults the host hands out: one layout per kind, told apart by its height; the
// machining defaults mark the block with the cut type they were asked for.
struct FakeTextDefaults {
  uint8_t layouts[3][TEXT_LAYOUT_SIZE] = {};
  bool inches = false;
};
FakeTextDefaults g_fake_defaults;

void connect_fake_defaults() {
  g_text_host.apply_cam_defaults = [](GeometryBlock* block, int cut_type) {
    CamParams p;
    p.operation = static_cast<uint8_t>(cut_type);
    p.rapid_height = 0.1f;
    p.finishing.cut_depth = 0.01f * (cut_type + 1);
    p.finishing.cut_width = 0.02f;
    write_cam_params(p, block_cam_params(block));
  };
  g_text_host.default_text_layout = [](int kind) -> const uint8_t* {
    return g_fake_defaults.layouts[kind];
  };
  g_text_host.defaults_in_inches = [] { return g_fake_defaults.inches; };
}

}  // namespace

TEST_F(TextLayoutTest, NewTextItemsTakeTheDefaultsOfTheJobsTextCutType) {
  g_fake_defaults = FakeTextDefaults{};
  for (int kind = 0; kind < 3; ++kind) {
    TextLayout l;
    l.height = l.entered_height = static_cast<float>(kind + 1);
    l.width_factor = 0.8f;
    l.font_number = 1;
    write_text_layout(l, g_fake_defaults.layouts[kind]);
  }
  connect_fake_defaults();
  g_job_settings.units = JOB_UNITS_INCH;
  // Centerline defaults for cut types 0 and 1, pocket defaults for 4, contour for the rest.
  const struct {
    uint8_t cut_type;
    float height;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 2}, {6, 2}};
  for (const auto& c : cases) {
    g_job_settings.text_cut_type = c.cut_type;
    DrawingItem* item = new_text_item();
    const TextLayout l = layout_of(item);
    EXPECT_EQ(l.height, c.height) << int(c.cut_type);
    EXPECT_EQ(l.width_factor, 0.8f) << int(c.cut_type);
    EXPECT_EQ(l.font_number, 1) << int(c.cut_type);
    CamParams p;
    read_cam_params(block_cam_params(item_block(item)), &p);
    EXPECT_EQ(p.operation, c.cut_type);
    EXPECT_FLOAT_EQ(p.finishing.cut_depth, 0.01f * (c.cut_type + 1));
  }
  free_current_list();

  // A metric job with defaults kept in inches converts the new item into millimetres.
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  g_job_settings.text_cut_type = 1;
  g_fake_defaults.inches = true;
  DrawingItem* item = new_text_item();
  TextLayout l = layout_of(item);
  EXPECT_FLOAT_EQ(l.height, 25.4f);
  EXPECT_FLOAT_EQ(l.entered_height, 25.4f);
  CamParams p;
  read_cam_params(block_cam_params(item_block(item)), &p);
  EXPECT_FLOAT_EQ(p.rapid_height, 2.54f);
  EXPECT_FLOAT_EQ(p.finishing.cut_depth, 0.508f);
  EXPECT_FLOAT_EQ(p.finishing.cut_width, 0.508f);
  // Converted back into inches it is what it was, within the factors' rounding.
  g_job_settings.units = JOB_UNITS_INCH;
  convert_text_item_units(item_block(item));
  EXPECT_NEAR(layout_of(item).height, 1.0f, 1e-4);
  g_fake_defaults.inches = false;
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  EXPECT_FLOAT_EQ(layout_of(new_text_item()).height, 1.0f);
  free_current_list();

  // Defaults naming a face make a TrueType text; a font number given makes a stroke-font text.
  set_truetype_description(g_fake_defaults.layouts[0] + TL_LOG_FONT, "Liberation Sans", 400,
                           false);
  item = new_text_item();
  l = layout_of(item);
  EXPECT_TRUE(layout_is_truetype(l));
  EXPECT_NE(l.font_handle, 0u);
  init_text_item(item, nullptr, 1000);
  l = layout_of(item);
  EXPECT_FALSE(layout_is_truetype(l));
  EXPECT_EQ(l.font_number, 1000);
  EXPECT_EQ(l.font_handle, 0u);
  free_current_list();

  // Defaults never stored leave a text of width factor 1, as without a host.
  g_fake_defaults = FakeTextDefaults{};
  EXPECT_EQ(layout_of(new_text_item()).width_factor, 1.0f);
  reset_text_host();
  EXPECT_EQ(layout_of(new_text_item()).width_factor, 1.0f);
  g_job_settings = JobSettings{};
}

// Reloading drops the glyph data and reads again the tables of the fonts the drawing's texts
// use; with relayout a text whose length was changed is laid out again to its own length.
TEST_F(TextLayoutTest, ReloadingTheFontsReadsTheTablesTheTextsUse) {
  write_file(folder_ / "1000.Q2F", source_of({"Thousand", "1", "*A", "G1 X0.6"}));
  write_file(folder_ / "1001.Q2F", source_of({"Unused", "1", "*A", "G1 X0.6"}));
  ASSERT_EQ(register_folder_fonts(folder_.string()), 2);
  TextLayout l;
  l.height = l.entered_height = 1.0f;
  l.width_factor = 1.0f;
  l.font_number = 1000;
  l.length = 7.0f;  // not what the text measures
  DrawingItem* item = text_item("AA", l);
  StrokeFont* used = find_font(1000);
  StrokeFont* unused = find_font(1001);
  ASSERT_TRUE(load_font_stream(used));
  reload_text_fonts(false);
  EXPECT_EQ(used->state, FONT_STREAM_NOT_LOADED);
  EXPECT_EQ(unused->state, FONT_STREAM_NOT_LOADED | FONT_TABLE_NOT_LOADED);
  EXPECT_EQ(layout_of(item).length, 7.0f);
  // Two A's of 0.6 at a height of 1.
  const float fitted = 1.2f;
  reload_text_fonts(true);
  EXPECT_NEAR(layout_of(item).length, fitted, 1e-4);
  EXPECT_NEAR(point_distance(&item_nodes(item)[0].point, &item_nodes(item)[1].point), fitted,
              1e-4);
}

TEST(FormatCodes, SizeCodesReadAndWriteOnOneScale) {
  // A stored 55 reads 63 %; 60 % is written as 54, reads back as 60 and draws at 0.6.
  std::string text = std::string("\x03") + static_cast<char>(55) + "A";
  FormatValues values;
  EXPECT_EQ(sync_format_codes(&text, 2, 0, &values), 2);
  EXPECT_EQ(values.size_percent, 63);
  values.size_percent = 60;
  EXPECT_EQ(sync_format_codes(&text, 2, 1, &values), 2);
  EXPECT_EQ(static_cast<uint8_t>(text[1]), 54);
  EXPECT_EQ(sync_format_codes(&text, 2, 0, &values), 2);
  EXPECT_EQ(values.size_percent, 60);
  EXPECT_NEAR((static_cast<uint8_t>(text[1]) - 32) * FORMAT_SIZE_STEP, 0.6, 1e-4);
  // A raise code before it: both are found and read.
  text = std::string("\x02") + static_cast<char>(133 + 35) + "\x03" + static_cast<char>(54) + "A";
  EXPECT_EQ(sync_format_codes(&text, 4, 0, &values), 3);
  EXPECT_EQ(values.raise_percent, 70);
  std::string plain = "AB";
  EXPECT_EQ(sync_format_codes(&plain, 1, 0, &values), 0);
}

TEST_F(TextLayoutTest, MeasuringReadsTheFormatCodes) {
  struct Case {
    const char* name;
    std::string text;
    float width;
  };
  const Case cases[] = {
      {"plain", "BA", 1.1f},
      {"size 55 draws at 0.627", std::string("\x03") + static_cast<char>(55) + "BA",
       0.5f * 23 * FORMAT_SIZE_STEP + 0.6f},
      // The width code on the size code's scale: 54 is 60 % of the layout's width.
      {"width 54 is 0.6", std::string("\x04") + static_cast<char>(54) + "BA", 0.5f * 0.6f + 0.6f},
      {"kerning +10 %", std::string("\x01") + static_cast<char>(153) + "BA", 1.2f},
      {"the pair A-B kerns", "AB", 1.1f - 0.052f},
  };
  for (const Case& c : cases) {
    const TextMeasure m = measure_text_run(c.text, 0, 0);
    EXPECT_NEAR(m.width, c.width, 1e-5) << c.name;
    EXPECT_EQ(m.count, 2) << c.name;
  }
}
