// The job setup's rules: converting a job between millimetres and inches, and the work-surface
// rows of the job settings dialog (what each row edits per surface, the picture it shows, the
// surface menu and the typed angles).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/drawing_item.h"
#include "job/job_surfaces.h"
#include "job/job_units.h"
#include "text/text_layout.h"
#include "tests/job/job_fixture.h"

namespace {

DrawingItem* nth_item(int n) {
  DrawingItem* item = g_lists.current.first;
  for (int i = 0; i < n && item != nullptr; ++i) item = item->next;
  return item;
}

// Every stored float of the items' links and machining blocks, in list order.
std::vector<float> item_numbers() {
  std::vector<float> v;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    const LinkRecord* r = item_nodes(item);
    for (int32_t i = 0; i <= item_link_count(item); ++i) {
      v.push_back(r[i].point.x);
      v.push_back(r[i].point.y);
      if (i < item_link_count(item)) {
        v.push_back(r[i].centre.x);
        v.push_back(r[i].centre.y);
      }
    }
    if (uint8_t* cam = block_cam_params(item_block(item))) {
      CamParams p;
      read_cam_params(cam, &p);
      for (float f : {p.rapid_height, p.surface_z, p.finishing.cut_width, p.finishing.cut_depth})
        v.push_back(f);
    }
  }
  return v;
}

class JobUnitsTest : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    g_job_settings.units = JOB_UNITS_MILLIMETRE;
    g_job_settings.tolerance = 0.05f;
    g_job_settings.short_move_limit = 2.54f;
    g_job_settings.short_move_feed = 254;
    g_job_settings.surface_radius = 50.8f;
    build_sample_job();
    g_job_settings.material_box[2] = 254.0f;
  }
  // Switches the units and converts, the user answering `answer`.
  UnitsConversion switch_units(uint8_t units, int answer) {
    g_job_settings.units = units;
    g_job_host_log.choice_answers = {answer};
    return convert_job_units(&g_lists.current, nullptr);
  }
};

TEST_F(JobUnitsTest, TheSecondChoiceConvertsTheItemsExactlyAndBackAgain) {
  const std::vector<float> original = item_numbers();
  EXPECT_EQ(switch_units(JOB_UNITS_INCH, CONVERT_CHOICE_ITEMS), UnitsConversion::WHOLE_JOB);
  EXPECT_EQ(g_job_host_log.choice_prompts, std::vector<int>{MSG_CONVERT_TO_INCH});
  const std::vector<float> inch = item_numbers();
  ASSERT_EQ(inch.size(), original.size());
  for (size_t k = 0; k < inch.size(); ++k)
    EXPECT_NEAR(inch[k] * 25.4, original[k], 1e-5 * (1 + std::fabs(original[k]))) << k;
  // Settings and surface: exact factors, the feed rounded.
  EXPECT_NEAR(g_job_settings.short_move_limit, 0.1f, 1e-7);
  EXPECT_EQ(g_job_settings.short_move_feed, 10);
  EXPECT_NEAR(g_job_settings.surface_radius, 2.0f, 1e-6);
  EXPECT_NEAR(g_job_settings.material_box[2], 10.0f, 1e-5);
  // The text's layout (height 5 mm) and its arc radius follow.
  TextLayout l;
  read_text_layout(block_text_layout(item_block(nth_item(3))), &l);
  EXPECT_NEAR(l.height, 5.0 / 25.4, 1e-6);

  EXPECT_EQ(switch_units(JOB_UNITS_MILLIMETRE, CONVERT_CHOICE_ITEMS), UnitsConversion::WHOLE_JOB);
  const std::vector<float> back = item_numbers();
  for (size_t k = 0; k < back.size(); ++k)
    EXPECT_NEAR(back[k], original[k], 2e-6 * (1 + std::fabs(original[k]))) << k;
  EXPECT_NEAR(g_job_settings.surface_radius, 50.8f, 1e-4);
}

TEST_F(JobUnitsTest, WithoutTheItemsOnlyTheSettingsTakeTheFactor) {
  const std::vector<float> original = item_numbers();
  struct Case {
    const char* why;
    int answer;
    bool machined_selected;
  };
  const Case cases[] = {
      {"first choice", 0, true},
      {"Esc", -1, true},
      {"nothing selected is machined: no question", CONVERT_CHOICE_ITEMS, false},
  };
  for (const Case& c : cases) {
    reset_job_host();
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      item->state = c.machined_selected ? ITEM_FLAG_SELECTED : 0;
    g_job_settings.units = JOB_UNITS_MILLIMETRE;
    g_job_settings.tolerance = 0.0254f;
    g_job_settings.surface_radius = 50.8f;
    EXPECT_EQ(switch_units(JOB_UNITS_INCH, c.answer), UnitsConversion::SETTINGS_ONLY) << c.why;
    EXPECT_NEAR(g_job_settings.tolerance, 0.001f, 1e-8) << c.why;
    EXPECT_EQ(g_job_settings.surface_radius, 50.8f) << c.why;
    EXPECT_EQ(item_numbers(), original) << c.why;
    EXPECT_EQ(g_job_host_log.choice_prompts.size(), c.machined_selected ? 1u : 0u) << c.why;
  }
}

TEST_F(JobUnitsTest, UnsetMachiningValuesStayUnset) {
  CamParams p;
  read_cam_params(block_cam_params(item_block(nth_item(0))), &p);
  p.surface_z = CAM_NOT_GIVEN;
  write_cam_params(p, block_cam_params(item_block(nth_item(0))));
  switch_units(JOB_UNITS_INCH, CONVERT_CHOICE_ITEMS);
  read_cam_params(block_cam_params(item_block(nth_item(0))), &p);
  EXPECT_EQ(p.surface_z, CAM_NOT_GIVEN);
}

TEST_F(JobUnitsTest, TheTemplateMovesWithItsScaledOffset) {
  // The template draws (5, 5) in its own file; shown at the offset (25.4, 35.4).
  LineList job_items = g_lists.current;
  g_lists.current = LineList{};
  const RecordSpec drawn[] = {
      {NODE_FIRST, 0, 1, 0, 30.4f, 40.4f, 0, 0, LINK_RIGID_LINE, 0, 0},
      {NODE_CLOSING, 0, 2, 0, 40.4f, 40.4f, 0, 0, 0, 0, 0},
  };
  add_item("", drawn, 1, ITEM_POLYLINE, GEOMETRY_KIND_DRAWING_AID, 0, 1);
  LineList template_items = g_lists.current;
  g_lists.current = job_items;
  g_job_settings.template_offset[0] = 25.4f;
  g_job_settings.template_offset[1] = 35.4f;
  g_job_settings.units = JOB_UNITS_INCH;
  g_job_host_log.choice_answers = {CONVERT_CHOICE_ITEMS};
  EXPECT_EQ(convert_job_units(&g_lists.current, &template_items), UnitsConversion::WHOLE_JOB);
  EXPECT_NEAR(g_job_settings.template_offset[0], 1.0f, 1e-6);
  EXPECT_NEAR(g_job_settings.template_offset[1], 35.4f / 25.4f, 1e-6);
  // The template's own drawing keeps its size; only the offset took the factor.
  const LinkRecord* r = item_nodes(template_items.first);
  EXPECT_NEAR(r[0].point.x, 5.0f + 1.0f, 1e-4);
  EXPECT_NEAR(r[0].point.y, 5.0f + 35.4f / 25.4f, 1e-4);
  EXPECT_NEAR(r[1].point.x, 15.0f + 1.0f, 1e-4);
  free_list(template_items.first);
}

// ---- The work-surface rows ---------------------------------------------------------------------

JobSettings surface(int code, uint8_t side = 0, uint8_t choice = 0, uint8_t yes_no = 0) {
  JobSettings job;
  set_surface_code(&job, code);
  job.surface_side = side;
  job.surface_choice = choice;
  job.surface_yes_no = yes_no;
  return job;
}

TEST(SurfacePictures, NumbersPerSurfaceRowAndSide) {
  struct Case {
    int code, a;
    uint8_t side, choice, yes_no;
    int picture;
  };
  const Case cases[] = {
      {1, 0, 0, 0, 0, 0},     {1, 3, 1, 0, 0, 0},     {2, 0, 0, 0, 0, 56},
      {2, 1, 1, 0, 0, 55},    {2, 6, 0, 0, 1, 100},   {2, 6, 0, 0, 0, 99},
      {3, 0, 1, 0, 0, 47},    {3, 4, 0, 0, 0, 54},    {3, 6, 0, 0, 1, 102},
      {4, 2, 0, 1, 0, 44},    {4, 2, 0, 0, 0, 43},    {4, 3, 1, 1, 0, 50},
      {4, 6, 0, 0, 0, 101},   {5, 0, 1, 0, 0, 103},   {5, 1, 0, 1, 0, 95},
      {5, 5, 0, 0, 0, 104},   {6, 1, 1, 0, 0, 60},    {6, 6, 0, 0, 1, 100},
      {7, 0, 0, 0, 0, 97},    {8, 2, 1, 0, 0, 80},    {8, 5, 1, 0, 0, 86},
      {9, 6, 0, 0, 0, 0},     {9, 1, 0, 0, 0, 66},    {10, 0, 1, 1, 0, 70},
      {10, 0, 1, 0, 0, 68},   {10, 0, 0, 1, 0, 72},   {10, 0, 0, 0, 0, 71},
      {10, 6, 0, 1, 0, 70},   {11, 0, 1, 0, 0, 79},   {12, 1, 0, 0, 0, 95},
      {13, 0, 0, 0, 0, 78},   {14, 0, 1, 0, 0, 79},   {15, 2, 0, 0, 0, 0},
      {16, 0, 0, 0, 0, 0},    {16, 1, 0, 0, 0, 32},   {17, 2, 0, 0, 0, 0},
      {18, 3, 0, 0, 0, 0},    {19, 1, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const JobSettings job = surface(c.code, c.side, c.choice, c.yes_no);
    EXPECT_EQ(surface_picture_number(job, c.a), c.picture)
        << "code " << c.code << " a " << c.a << " side " << int(c.side);
  }
  const JobSettings flat = surface(1);
  EXPECT_EQ(job_setup_row_picture(flat, 0), 145);
  EXPECT_EQ(job_setup_row_picture(flat, 1), 146);
  EXPECT_EQ(job_setup_row_picture(flat, 9), 154);
  EXPECT_EQ(job_setup_row_picture(flat, 19), 164);
  EXPECT_EQ(job_setup_row_picture(flat, 22), 147);
}

TEST(SurfaceRows, WhatEachRowEditsPerSurface) {
  using K = SurfaceRowKind;
  struct Case {
    int code, row;
    K kind;
  };
  const Case cases[] = {
      {1, 2, K::LOCKED},         {2, 2, K::DEGREES},         {3, 2, K::SIDE},
      {16, 2, K::LOCKED},        {19, 2, K::SIDE},           {2, 3, K::DEGREES},
      {6, 3, K::DEGREES},        {3, 3, K::LENGTH},          {15, 3, K::LOCKED},
      {11, 4, K::YES_NO},        {17, 4, K::YES_NO},         {4, 4, K::AXIS_CHOICE},
      {8, 4, K::LENGTH},         {16, 5, K::LATHE_CONTROLLER}, {12, 5, K::AXIS_CONTROLLER},
      {9, 5, K::LENGTH},         {13, 6, K::AXIS_LETTER},    {16, 6, K::LOCKED},
      {7, 7, K::LENGTH},         {14, 7, K::LENGTH},         {5, 7, K::TILT},
      {12, 7, K::TILT},          {3, 7, K::LOCKED},          {4, 8, K::YES_NO},
      {9, 8, K::TOP_BOTTOM},     {8, 8, K::LOCKED},          {1, 0, K::POST_PROCESSOR},
      {1, 1, K::SURFACE_MENU},   {18, 1, K::YES_NO},         {18, 3, K::DIAMETER},
      {18, 7, K::WHOLE_NUMBER},  {18, 14, K::LOCKED},        {18, 15, K::LENGTH},
      {18, 22, K::LOCKED},       {1, 13, K::TOLERANCE},      {1, 17, K::COMMENT_MODE},
  };
  for (const Case& c : cases) {
    JobSettings job = surface(c.code);
    EXPECT_EQ(surface_row_rule(&job, c.row).kind, c.kind) << "code " << c.code << " row " << c.row;
  }
  // The tilt of a cylinder is its surface angle; surface 18's row 4 its own value.
  JobSettings cyl = surface(4);
  EXPECT_EQ(surface_row_rule(&cyl, 7).length, &cyl.surface_angle);
  JobSettings blades = surface(18);
  EXPECT_EQ(surface_row_rule(&blades, 4).length, &blades.blade_settings.row4_value);
  // Labels: 700 + 2 x code, none for the flat surfaces.
  EXPECT_EQ(surface_label_message(1), 0);
  EXPECT_EQ(surface_label_message(15), 0);
  EXPECT_EQ(surface_label_message(4), 708);
  EXPECT_EQ(surface_label_message(19), 738);
}

TEST(SurfaceRows, LockedRowsFollowTheirSwitches) {
  JobSettings job = surface(1);
  EXPECT_EQ(surface_row_rule(&job, 10).kind, SurfaceRowKind::LOCKED) << "no template named";
  EXPECT_EQ(surface_row_rule(&job, 11).kind, SurfaceRowKind::LOCKED);
  std::snprintf(job.template_path, sizeof job.template_path, "%s", "/tmp/x.dxf");
  EXPECT_EQ(surface_row_rule(&job, 10).length, &job.template_offset[0]);
  EXPECT_EQ(surface_row_rule(&job, 11).length, &job.template_offset[1]);
  job.short_move_limit = 0.0f;
  EXPECT_EQ(surface_row_rule(&job, 15).kind, SurfaceRowKind::LOCKED);
  job.short_move_limit = 0.5f;
  EXPECT_EQ(surface_row_rule(&job, 15).kind, SurfaceRowKind::SHORT_MOVE_FEED);
  job.material_box_shown = 0;
  EXPECT_EQ(surface_row_rule(&job, 21).kind, SurfaceRowKind::LOCKED);
  job.material_box_shown = 1;
  EXPECT_EQ(surface_row_rule(&job, 21).length, &job.material_box[1]);
}

TEST(SurfaceMenu, ChoicesGiveTheirCodesAndTheLatheCellsNothing) {
  const int codes[SURFACE_MENU_CHOICES] = {1, 2, 6, 8, 3, 4, 5, 9, 13, 11, 12, 10, 17, 16, 15, 7};
  for (int choice = 0; choice < SURFACE_MENU_CHOICES; ++choice) {
    JobSettings job = surface(3);
    job.surface_side = 0;
    int note = -1;
    const bool changed = choose_surface(&job, choice, &note);
    EXPECT_EQ(surface_menu_code(choice), codes[choice]);
    if (choice >= 12 && choice <= 14) {
      EXPECT_FALSE(changed) << choice;
      EXPECT_EQ(job.surface_code, 3) << choice;
      continue;
    }
    const int code = codes[choice];
    EXPECT_TRUE(changed);
    EXPECT_EQ(job.surface_code, code);
    EXPECT_EQ(job.surface_flag, 1 << (code - 1));
    const bool side_one = code == 11 || code == 12 || code == 13 || code == 14 || code == 16;
    EXPECT_EQ(job.surface_side, side_one ? 1 : 0) << code;
    EXPECT_EQ(note, code == 7 || code == 10 ? MSG_SURFACE_NOTE : 0) << code;
  }
}

TEST(SurfaceAngles, TypedAnglesAndTilts) {
  EXPECT_DOUBLE_EQ(normalise_degrees(-30), 330);
  EXPECT_DOUBLE_EQ(normalise_degrees(360), 0);
  EXPECT_DOUBLE_EQ(normalise_degrees(725), 5);
  EXPECT_DOUBLE_EQ(normalise_degrees(-360), 0);
  EXPECT_DOUBLE_EQ(normalise_tilt(80), 0);
  EXPECT_DOUBLE_EQ(normalise_tilt(-80), 0);
  EXPECT_DOUBLE_EQ(normalise_tilt(-95), 0);
  EXPECT_DOUBLE_EQ(normalise_tilt(79.5), 79.5);
  EXPECT_DOUBLE_EQ(normalise_tilt(-12), -12);
}

}  // namespace
