// The whole-drawing transforms: rotate, scale and mirror all items with their text rules, their
// dialogs and the display options answered through the event queue, and the Engraving list's
// view of the drawing.
#include <cmath>
#include <string>
#include <vector>

#include "../support/idle_typist.h"
#include "../text/font_fixture.h"
#include "drawing_edit_fixture.h"
#include "cam/machining_block.h"
#include "cam/tools.h"
#include "commands/scale_command.h"
#include "commands/text_list_view.h"
#include "commands/transform_all.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "records/parked_items.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/store_host.h"
#include "platform/files.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/message_box.h"

namespace {

constexpr double QUARTER = 3.14159265358979323846 / 2;

class TransformAll : public DrawingEditFixture {
 protected:
  void SetUp() override {
    DrawingEditFixture::SetUp();
    reset_transform_all();
    fonts_ = make_test_folder("brenvik_transform_all");
    reset_font_registry();
    reset_text_host();
    // Font 0: A advances 0.6, B 0.5.
    text_test::write_file(fonts_ / "0.Q2F",
                          text_test::source_of({"Test", "0.4", "*A", "G1 X0.6", "*B", "G1 X0.5"}));
    ASSERT_EQ(register_folder_fonts(fonts_.string()), 1);
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    g_message_box = MessageBoxState{};
    g_store_host.show_text_box = show_text_box;  // catalogue messages shown as the program does
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    g_store_host = StoreHost{};
    reset_catalogue();
    set_program_folder_for_tests("");
    if (g_parked_items.first != nullptr) free_list(g_parked_items.first);
    reset_parked_items();
    reset_font_registry();
    DrawingEditFixture::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(fonts_, ignored);
  }

  // A text laid out from the layout, active, with its number.
  static DrawingItem* add_text(const char* text, TextLayout l, int16_t number) {
    DrawingItem* item = new_text_item();
    set_line_text(text, item);
    item = g_lists.current.last;
    item->id = number;
    set_item_flags(item, ITEM_FLAG_SELECTED);
    if (l.width_factor == 0.0f) l.width_factor = 1.0f;
    write_text_layout(l, block_text_layout(item_block(item)));
    layout_text_item(item);
    if (l.arc_radius > 0.0f) {
      // A text on an arc has a bent frame: its top and bottom edges are arcs about the centre.
      LinkRecord* n = item_nodes(item);
      for (int k : {0, 2}) {
        n[k].code = l.arc_radius;
        n[k].centre = l.anchor;
      }
      n[0].link_flags = LINK_CLOCKWISE;
      set_text_frame_from_corners(block_text_layout(item_block(item)), n);
    }
    item_bounding_boxes(item);
    return item;
  }
  static TextLayout straight(PointF anchor, float height, float angle = 0.0f) {
    TextLayout l;
    l.anchor = anchor;
    l.height = height;
    l.angle = angle;
    l.v_justify = JUSTIFY_BOTTOM;
    return l;
  }
  static TextLayout on_arc(PointF centre, float radius, float height, float angle) {
    TextLayout l;
    l.anchor = centre;
    l.arc_radius = radius;
    l.height = height;
    l.angle = angle;
    return l;
  }
  static TextLayout layout_of(DrawingItem* item) {
    TextLayout l;
    read_text_layout(block_text_layout(item_block(item)), &l);
    return l;
  }
  static std::vector<PointF> nodes_of(DrawingItem* item) {
    std::vector<PointF> out;
    for (int32_t k = 0; k <= item_link_count(item); ++k) out.push_back(item_nodes(item)[k].point);
    return out;
  }
  static void expect_nodes_near(DrawingItem* item, const std::vector<PointF>& want, double tol,
                                const char* what) {
    const std::vector<PointF> got = nodes_of(item);
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t k = 0; k < got.size(); ++k) {
      EXPECT_NEAR(got[k].x, want[k].x, tol) << what << " node " << k;
      EXPECT_NEAR(got[k].y, want[k].y, tol) << what << " node " << k;
    }
  }
  static void set_tool(DrawingItem* item, uint8_t shape, float size, float tip, float width,
                       float depth) {
    GeometryBlock* block = item_block(item);
    CamParams cam;
    ASSERT_TRUE(get_block_cam(block, &cam));
    cam.finishing.shape = shape;
    cam.finishing.size = size;
    cam.finishing.tip_diameter = tip;
    cam.finishing.cut_width = width;
    cam.finishing.cut_depth = depth;
    // A flat tool as wide as a text cuts its outline (a centre-line text that wide could not be
    // laid out).
    if (shape == TOOL_SHAPE_FLAT) cam.operation = 4;
    put_block_cam(block, cam);
  }
  static CamToolBlock tool_of(DrawingItem* item) {
    CamParams cam;
    EXPECT_TRUE(get_block_cam(item_block(item), &cam));
    return cam.finishing;
  }

  std::filesystem::path fonts_;
};

TEST_F(TransformAll, FourQuarterTurnsPutEveryItemBackAndOneTurnsItAboutTheCentre) {
  DrawingItem* line = add_polyline({{0, 0}, {10, 0}, {10, 5}});
  DrawingItem* arc = add_arc({20, 0}, 3, 0.5f, 2.0f, true);
  DrawingItem* text = add_text("AB", straight({2, 8}, 2), 1);
  DrawingItem* arc_text = add_text("BA", on_arc({-10, 0}, 6, 1, 90), 2);
  TextLayout follower_layout = straight({0, 0}, 1);
  follower_layout.link_number = 2;
  follower_layout.link_dx = 0.0f;
  follower_layout.link_dy = -3.0f;
  DrawingItem* follower = add_text("AA", follower_layout, 3);
  const std::vector<PointF> before[] = {nodes_of(line), nodes_of(arc), nodes_of(text),
                                        nodes_of(arc_text), nodes_of(follower)};
  const float arc_start = item_nodes(arc)[0].start_angle;
  g_transform_all.transform_centre = {5, 0};

  rotate_all_items(static_cast<float>(QUARTER), 1);
  // A quarter turn about (5, 0): (10, 5) goes to (0, 5).
  EXPECT_NEAR(item_nodes(line)[2].point.x, 0.0, 1e-4);
  EXPECT_NEAR(item_nodes(line)[2].point.y, 5.0, 1e-4);
  // The follower keeps its place beside the arc text: its offset and direction turned.
  const TextLayout f = layout_of(follower), a = layout_of(arc_text);
  EXPECT_NEAR(f.link_dx, 3.0, 1e-4);
  EXPECT_NEAR(f.link_dy, 0.0, 1e-4);
  EXPECT_NEAR(f.anchor.x, a.anchor.x + 3.0, 1e-3);
  EXPECT_NEAR(f.anchor.y, a.anchor.y, 1e-3);
  EXPECT_NEAR(f.angle, 90.0, 1e-3);
  EXPECT_NEAR(layout_of(text).angle, 90.0, 1e-3);

  for (int k = 0; k < 3; ++k) rotate_all_items(static_cast<float>(QUARTER), 1);
  expect_nodes_near(line, before[0], 1e-4, "polyline");
  expect_nodes_near(arc, before[1], 1e-4, "arc");
  expect_nodes_near(text, before[2], 1e-3, "text");
  expect_nodes_near(arc_text, before[3], 1e-3, "arc text");
  expect_nodes_near(follower, before[4], 1e-3, "follower");
  EXPECT_NEAR(std::fmod(item_nodes(arc)[0].start_angle + 2 * ANGLE_TWO_PI, ANGLE_TWO_PI),
              arc_start, 1e-4);
  EXPECT_NE(g_job_settings.job_changed, 0);
  EXPECT_EQ(g_job_settings.nc_state, 0);
}

TEST_F(TransformAll, InactiveItemsTurnOnlyWhenAllAreTaken) {
  DrawingItem* active = add_polyline({{0, 0}, {10, 0}});
  DrawingItem* inactive = add_polyline({{0, 2}, {10, 2}});
  set_item_flags(inactive, 0);
  const std::vector<PointF> kept = nodes_of(inactive);
  rotate_all_items(static_cast<float>(QUARTER), 0);
  EXPECT_NEAR(item_nodes(active)[1].point.y, 10.0, 1e-4);
  expect_nodes_near(inactive, kept, 0.0, "inactive, not taken");
  rotate_all_items(static_cast<float>(QUARTER), 1);
  EXPECT_NEAR(item_nodes(inactive)[1].point.x, -2.0, 1e-4);
}

TEST_F(TransformAll, ScalingKeepsTheTextsToolsFitting) {
  struct Case {
    const char* name;
    uint8_t shape;
    float size, tip, width, depth;
    float want_width, want_size;
    bool depth_derived;  // else the depth stays
  };
  const Case cases[] = {
      // A V-bit text: the width doubles and a derived depth follows it.
      {"V, derived depth", TOOL_SHAPE_TAPERED, 1.0471976f, 0.01f, 0.2f, 0.1f, 0.4f, 1.0471976f,
       true},
      // A depth above 100 is not derived from the width: it stays.
      {"V, depth not derived", TOOL_SHAPE_TAPERED, 1.0471976f, 0.01f, 0.2f, 150.0f, 0.4f,
       1.0471976f, false},
      // A flat tool as wide as the text: the tool doubles with it.
      {"flat, as wide as the text", TOOL_SHAPE_FLAT, 3.0f, 0.0f, 3.0f, 0.1f, 6.0f, 6.0f, false},
      // A flat tool narrower than the text stays.
      {"flat, narrower", TOOL_SHAPE_FLAT, 0.5f, 0.0f, 0.5f, 0.1f, 0.5f, 0.5f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_current_list();
    DrawingItem* text = add_text("AB", straight({2, 2}, 2), 1);
    set_tool(text, c.shape, c.size, c.tip, c.width, c.depth);
    g_transform_all.transform_centre = {0, 0};
    ASSERT_NE(scale_all_items(2.0f), nullptr);
    const CamToolBlock t = tool_of(text);
    EXPECT_NEAR(t.cut_width, c.want_width, 1e-5);
    EXPECT_NEAR(t.size, c.want_size, 1e-5);
    const float want_depth = c.depth_derived
                                 ? depth_from_cut_width(c.want_width, c.shape, c.size, c.tip)
                                 : c.depth;
    EXPECT_NEAR(t.cut_depth, want_depth, 1e-5);
    EXPECT_NEAR(layout_of(text).height, 4.0, 1e-3);
    EXPECT_NEAR(layout_of(text).anchor.x, 4.0, 1e-3);
  }
}

TEST_F(TransformAll, AScaleFactorOfZeroOrBelowIsRefusedAndChangesNothing) {
  DrawingItem* arc = add_arc({0, 0}, 3, 0.0f, 1.0f, false);
  const std::vector<PointF> kept = nodes_of(arc);
  for (float factor : {0.0f, -2.0f, std::nanf("")}) {
    g_message_box.last_text.clear();
    start_typist();
    typist_key(VK_ESCAPE);  // closes the refusal
    EXPECT_EQ(scale_all_items(factor), nullptr);
    pump_set_idle_handler(nullptr);
    EXPECT_EQ(g_message_box.last_text, SCALE_FACTOR_REFUSED_TEXT);
    expect_nodes_near(arc, kept, 0.0, "refused");
    EXPECT_FLOAT_EQ(item_nodes(arc)[0].code, 3.0f);
  }
}

TEST_F(TransformAll, MirrorModesMoveItemsAndTextsAsTheirNamesSay) {
  struct Case {
    int mode;
    bool line_moves;
    bool text_moves;
    bool text_mirrored;      // the straight text's mirrored flag afterwards
    bool arc_text_mirrored;  // the arc text's
    bool arc_direction_flipped;
  };
  const Case cases[] = {
      {MIRROR_ALL_FULL, true, true, true, true, true},
      {MIRROR_ALL_LOCATION_ONLY, true, true, false, false, true},
      {MIRROR_ALL_TEXT_ONLY, false, false, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    free_current_list();
    DrawingItem* line = add_polyline({{0, 2}, {10, 4}});
    DrawingItem* text = add_text("AB", straight({2, 6}, 2), 1);
    DrawingItem* arc_text = add_text("BA", on_arc({-10, 5}, 6, 1, 90), 2);
    const TextLayout was = layout_of(arc_text);
    // About the level line y = 0.
    mirror_all_items({0, 0}, 0.0f, c.mode);
    EXPECT_NEAR(item_nodes(line)[1].point.y, c.line_moves ? -4.0 : 4.0, 1e-4);
    const TextLayout t = layout_of(text), a = layout_of(arc_text);
    // The straight text's frame lies below the line after a move, above it when it stays.
    PointF low, high;
    item_extents(text, &low, &high);
    if (c.text_moves) EXPECT_LT(high.y, 0.0f);
    else EXPECT_GT(low.y, 0.0f);
    EXPECT_EQ((t.flags & TEXT_FLAG_MIRRORED) != 0, c.text_mirrored);
    EXPECT_EQ((a.flags & TEXT_FLAG_MIRRORED) != 0, c.arc_text_mirrored);
    EXPECT_EQ(a.arc_direction != was.arc_direction, c.arc_direction_flipped);
    EXPECT_NEAR(a.anchor.y, c.text_moves ? -5.0 : 5.0, 1e-3);
  }
}

// ---- the dialogs through the event queue ----

TEST_F(TransformAll, TheRotateDialogGivesItsAngleAndCentreAndKeepsThemForTheNextRun) {
  start_typist();
  typist_key(VK_DOWN);  // the angle
  typist_text("45");
  typist_key(VK_RETURN);
  typist_key(VK_DOWN);  // the centre's X
  typist_text("7");
  typist_key(VK_RETURN);
  typist_key(VK_UP);
  typist_key(VK_UP);    // the OK/CANCEL bar
  typist_key(VK_RETURN);
  PointF centre{1, 2};
  float angle = 0.0f;
  int include = 5;
  ASSERT_EQ(run_rotate_all_dialog(&centre, &angle, &include), 1);
  pump_set_idle_handler(nullptr);
  EXPECT_FLOAT_EQ(angle, 45.0f);
  EXPECT_FLOAT_EQ(centre.x, 7.0f);
  EXPECT_FLOAT_EQ(centre.y, 2.0f);
  EXPECT_EQ(include, 0);
  // Cancelled: nothing written back; the next run starts from 45 degrees.
  start_typist();
  typist_key(VK_ESCAPE);
  float again = 0.0f;
  EXPECT_EQ(run_rotate_all_dialog(&centre, &again, &include), 0);
  pump_set_idle_handler(nullptr);
  EXPECT_FLOAT_EQ(again, 0.0f);
  EXPECT_FLOAT_EQ(g_transform_all.rotate_angle, 45.0f);
}

TEST_F(TransformAll, TheMirrorDialogsAxisLetterSetsTheAngle) {
  start_typist();
  typist_key(VK_DOWN);
  typist_text("X");
  typist_key(VK_UP);
  typist_key(VK_RETURN);
  PointF centre{3, 4};
  float angle = 12.0f;
  int mode = 9;
  ASSERT_EQ(run_mirror_all_dialog(&centre, &angle, &mode), 1);
  pump_set_idle_handler(nullptr);
  EXPECT_FLOAT_EQ(angle, 90.0f);
  EXPECT_EQ(mode, MIRROR_ALL_FULL);
  EXPECT_FLOAT_EQ(centre.x, 3.0f);
}

TEST_F(TransformAll, DisplayOptionsAreTakenUnlessNothingWouldBeShown) {
  // Space on the first line unticks "Text items"; End goes to the last line, Enter takes it.
  start_typist();
  typist_text(" ");
  typist_key(VK_END);
  typist_key(VK_RETURN);
  ASSERT_EQ(display_options_dialog(), 1);
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(g_preferences.drawing.show_text_items, 0);
  EXPECT_EQ(g_preferences.drawing.show_drawing_items, 1);
  EXPECT_EQ(g_preferences.drawing.no_flicker, 0);  // as the fixture set it
  // Other items and the template off too: refused with the message, nothing changed.
  start_typist();
  typist_key(VK_DOWN);
  typist_text("  ");
  typist_key(VK_END);
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);  // closes the message
  EXPECT_EQ(display_options_dialog(), 0);
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(g_preferences.drawing.show_drawing_items, 1);
  EXPECT_EQ(g_preferences.drawing.show_template, 1);
  EXPECT_NE(g_message_box.last_text.find("Something must be shown"), std::string::npos)
      << g_message_box.last_text;
}

// ---- the Engraving list's view of the drawing ----

TEST_F(TransformAll, TheTextListViewParksTheOtherItemsAndPutsThemBackInOrder) {
  DrawingItem* first = add_polyline({{0, 0}, {1, 0}});
  add_text("B", straight({0, 0}, 1), 5);
  DrawingItem* second = add_circle({3, 3}, 1);
  add_text("A", straight({0, 2}, 1), 2);
  enter_text_list_view();
  // Only the texts, by number, numbered 1 and 2.
  std::vector<std::string> texts;
  for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next) {
    EXPECT_EQ(item_type(i), ITEM_TEXT);
    texts.push_back(i->text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(g_lists.current.first->id, 1);
  // A save now writes the parked items too.
  const auto path = fonts_ / "parked.job";
  ASSERT_EQ(write_job_to_path(path.string()), 0);
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file(path.string(), nullptr), 0);
  EXPECT_EQ(count_current_lines(), 4);
  free_current_list();
  pop_list();
  leave_text_list_view();
  EXPECT_EQ(g_parked_items.first, nullptr);
  std::vector<DrawingItem*> order;
  for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next) order.push_back(i);
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[2], first);
  EXPECT_EQ(order[3], second);
  EXPECT_EQ(g_lists.current.last, second);
}

TEST_F(TransformAll, AnEmptyDrawingGetsOneBlankTextInTheTextListView) {
  enter_text_list_view();
  ASSERT_NE(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.first, g_lists.current.last);
  EXPECT_EQ(item_type(g_lists.current.first), ITEM_TEXT);
  leave_text_list_view();
  EXPECT_EQ(g_lists.current.first, g_lists.current.last);
}

}  // namespace
