#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/support/test_bytes.h"

namespace {

// Every field set to a value of its own.
JobSettings every_field_set() {
  JobSettings s;
  static TextLine post_processor_line;
  s.post_processor = &post_processor_line;
  s.surface_code = 18;
  s.reserved_5[1] = 0x55;
  s.surface_flag = 1 << 17;
  s.surface_side = 1;
  s.surface_choice = 2;
  s.controller = 3;
  s.rotary_axis_letter = 25;
  s.surface_yes_no = 1;
  s.reserved_17[2] = 0x17;
  s.surface_radius = 20.5f;
  s.surface_length_1 = 1.25f;
  s.surface_length_2 = -2.5f;
  s.surface_length_3 = 3.75f;
  s.surface_length_4 = 4.0f;
  s.surface_angle = 0.5f;
  s.slope_angle = 6.0f;
  s.units = 0;
  s.output_yes_no = 1;
  s.comment_mode = 2;
  s.material_box_shown = 1;
  s.material_box[0] = -5.0f;
  s.material_box[1] = -6.0f;
  s.material_box[2] = 150.0f;
  s.material_box[3] = 75.0f;
  s.setup_length_18 = 18.0f;
  s.tolerance = 0.05f;
  s.z_shift = -0.125f;
  s.short_move_feed = 600;
  s.reserved_82[6] = 0x82;
  std::strcpy(s.template_path, "/home/anna/templates/plate.dxf");
  s.reserved_349[0] = 0x49;
  s.template_offset[0] = 10.0f;
  s.template_offset[1] = -10.0f;
  s.item_id_counter = 123456;
  s.short_move_limit = 2.0f;
  s.new_items_machined = 0;
  s.new_item_cut_type = 4;
  s.text_cut_type = 5;
  s.point_cut_type = 2;
  s.climb_milling = 0;
  s.grid_shown = 0;
  s.item_flag_union = 0x36;
  s.grid_step = 0.5f;
  s.view_scale = 42.0f;
  s.view_fitted = 0x70;
  s.show_node_markers = 0;
  s.node_snap_off = 1;
  s.reserved_387 = 0x87;
  s.image_record_length = 328;
  s.nc_run_byte = 9;
  s.reserved_391 = 0x91;
  s.blade_settings.row7_value = -7;
  s.blade_settings.row15_value = 15.0f;
  s.blade_settings.row18_yes_no = 1;
  s.blade_settings.row17_yes_no = 1;
  s.blade_settings.row19_yes_no = 1;
  s.blade_settings.reserved_403[12] = 0x3F;
  s.blade_settings.row4_value = 4.5f;
  s.blade_settings.row5_value = 5.5f;
  s.blade_settings.row20_value = 20.5f;
  s.blade_settings.row21_value = 21.5f;
  s.blade_settings.row6_value = 6.5f;
  s.reserved_436[4] = 0x40;
  std::memset(s.run_time_area, 0xCC, sizeof s.run_time_area);
  s.output_options = 13;
  s.settings_fresh = 1;
  s.text_items_ready = 1;
  s.nc_state = 0x40;
  s.job_changed = 1;
  s.reserved_669 = 0x69;
  s.post_processor_number = 31;
  s.reserved_672[3] = 0x75;
  return s;
}

// The stored block of every_field_set, from the layout: references and the run-time area zero.
std::vector<uint8_t> every_field_bytes() {
  std::vector<uint8_t> b(680, 0);
  b[4] = 18;
  b[6] = 0x55;
  set_le32(&b, 8, 1u << 17);
  b[12] = 1;
  b[13] = 2;
  b[14] = 3;
  b[15] = 25;
  b[16] = 1;
  b[19] = 0x17;
  set_f32(&b, 20, 20.5f);
  set_f32(&b, 24, 1.25f);
  set_f32(&b, 28, -2.5f);
  set_f32(&b, 32, 3.75f);
  set_f32(&b, 36, 4.0f);
  set_f32(&b, 40, 0.5f);
  set_f32(&b, 44, 6.0f);
  b[48] = 0;
  b[49] = 1;
  b[50] = 2;
  b[51] = 1;
  set_f32(&b, 52, -5.0f);
  set_f32(&b, 56, -6.0f);
  set_f32(&b, 60, 150.0f);
  set_f32(&b, 64, 75.0f);
  set_f32(&b, 68, 18.0f);
  set_f32(&b, 72, 0.05f);
  set_f32(&b, 76, -0.125f);
  set_le16(&b, 80, 600);
  b[88] = 0x82;
  const char path[] = "/home/anna/templates/plate.dxf";
  std::memcpy(&b[89], path, sizeof path);
  b[349] = 0x49;
  set_f32(&b, 352, 10.0f);
  set_f32(&b, 356, -10.0f);
  set_le32(&b, 360, 123456);
  set_f32(&b, 364, 2.0f);
  b[368] = 0;
  b[369] = 4;
  b[370] = 5;
  b[371] = 2;
  b[372] = 0;
  b[373] = 0;
  set_le16(&b, 374, 0x36);
  set_f32(&b, 376, 0.5f);
  set_f32(&b, 380, 42.0f);
  b[384] = 0x70;
  b[385] = 0;
  b[386] = 1;
  b[387] = 0x87;
  set_le16(&b, 388, 328);
  b[390] = 9;
  b[391] = 0x91;
  set_le32(&b, 392, static_cast<uint32_t>(-7));
  set_f32(&b, 396, 15.0f);
  b[400] = 1;
  b[401] = 1;
  b[402] = 1;
  b[415] = 0x3F;
  set_f32(&b, 416, 4.5f);
  set_f32(&b, 420, 5.5f);
  set_f32(&b, 424, 20.5f);
  set_f32(&b, 428, 21.5f);
  set_f32(&b, 432, 6.5f);
  b[440] = 0x40;
  b[664] = 13;
  b[665] = 1;
  b[666] = 1;
  b[667] = 0x40;
  b[668] = 1;
  b[669] = 0x69;
  set_le16(&b, 670, 31);
  b[675] = 0x75;
  return b;
}

std::vector<uint8_t> bytes_of(const JobSettings& s) {
  std::vector<uint8_t> out(JOB_SETTINGS_SIZE, 0xEE);
  write_job_settings_bytes(s, out.data());
  return out;
}

TEST(JobSettingsTest, EveryFieldAtItsOffset) {
  const std::vector<uint8_t> expected = every_field_bytes();
  const std::vector<uint8_t> written = bytes_of(every_field_set());
  for (size_t i = 0; i < JOB_SETTINGS_SIZE; ++i)
    ASSERT_EQ(written[i], expected[i]) << "offset " << i;
}

TEST(JobSettingsTest, ReadBackAndWrittenAgainIsTheSameBlock) {
  const std::vector<uint8_t> stored = every_field_bytes();
  JobSettings s;
  s.post_processor = reinterpret_cast<TextLine*>(&s);
  s.run_time_area[7] = 1;
  read_job_settings_bytes(stored.data(), &s);
  EXPECT_EQ(s.post_processor, nullptr) << "found again by number, never taken from a file";
  EXPECT_EQ(s.run_time_area[7], 0);
  EXPECT_EQ(s.surface_flag, 1 << 17);
  EXPECT_EQ(s.material_box[2], 150.0f);
  EXPECT_STREQ(s.template_path, "/home/anna/templates/plate.dxf");
  EXPECT_EQ(s.item_id_counter, 123456);
  EXPECT_EQ(s.blade_settings.row7_value, -7);
  EXPECT_EQ(s.blade_settings.row6_value, 6.5f);
  EXPECT_EQ(s.post_processor_number, 31);
  EXPECT_EQ(s.reserved_672[3], 0x75) << "reserved bytes are kept";
  EXPECT_EQ(bytes_of(s), stored);
}

TEST(JobSettingsTest, RunTimeAreaIsNeverTakenFromAFile) {
  std::vector<uint8_t> stored = every_field_bytes();
  for (size_t i = JOB_RUN_TIME_AREA_OFFSET; i < JOB_RUN_TIME_AREA_OFFSET + JOB_RUN_TIME_AREA_SIZE;
       ++i)
    stored[i] = 0xAB;
  set_le32(&stored, 0, 0x12345678);    // a stored reference
  set_le32(&stored, 676, 0x9ABCDEF0);  // the note reference
  JobSettings s;
  read_job_settings_bytes(stored.data(), &s);
  for (uint8_t v : s.run_time_area) ASSERT_EQ(v, 0);
  EXPECT_EQ(bytes_of(s), every_field_bytes()) << "references are written as zeros";
}

TEST(JobSettingsTest, TemplatePathWithoutItsEndIsCut) {
  std::vector<uint8_t> stored = every_field_bytes();
  std::memset(&stored[89], 'a', JOB_TEMPLATE_PATH_SIZE);
  JobSettings s;
  read_job_settings_bytes(stored.data(), &s);
  EXPECT_EQ(std::strlen(s.template_path), JOB_TEMPLATE_PATH_SIZE - 1);
}

TEST(JobSettingsTest, ImportTakesOnlyTheFirst441Bytes) {
  JobSettings s;
  static TextLine line;
  s.post_processor = &line;
  s.run_time_area[0] = 5;
  s.post_processor_number = 2;
  s.output_options = 4;
  s.job_changed = 1;
  import_job_settings_bytes(every_field_bytes().data(), &s);
  EXPECT_EQ(s.surface_code, 18);
  EXPECT_EQ(s.tolerance, 0.05f);
  EXPECT_EQ(s.blade_settings.row6_value, 6.5f);
  EXPECT_EQ(s.reserved_436[4], 0x40) << "byte 440 is the last one taken";
  EXPECT_EQ(s.post_processor, &line);
  EXPECT_EQ(s.run_time_area[0], 5);
  EXPECT_EQ(s.post_processor_number, 2);
  EXPECT_EQ(s.output_options, 4);
  EXPECT_EQ(s.job_changed, 1);
}

TEST(JobSettingsTest, FactorySettingsByUnits) {
  struct Case {
    bool metric;
    uint8_t units;
    float tolerance;
    int16_t short_move_feed;
    float grid_step;
  };
  const Case cases[] = {{false, JOB_UNITS_INCH, 0.002f, 60, 0.001f},
                        {true, JOB_UNITS_MILLIMETRE, 0.05f, 600, 0.01f}};
  for (const Case& c : cases) {
    JobSettings s = every_field_set();
    set_factory_job_settings(&s, c.metric);
    EXPECT_EQ(s.units, c.units) << c.metric;
    EXPECT_EQ(s.tolerance, c.tolerance) << c.metric;
    EXPECT_EQ(s.short_move_feed, c.short_move_feed) << c.metric;
    EXPECT_EQ(s.grid_step, c.grid_step) << c.metric;
    EXPECT_EQ(s.surface_code, JOB_SURFACE_FLAT);
    EXPECT_EQ(s.surface_flag, 1);
    EXPECT_EQ(s.new_item_cut_type, 1);
    EXPECT_EQ(s.climb_milling, 1);
    EXPECT_EQ(s.grid_shown, 1);
    EXPECT_EQ(s.show_node_markers, 1);
    EXPECT_EQ(s.output_options, 12);
    EXPECT_EQ(s.item_id_counter, 0);
    EXPECT_EQ(s.template_path[0], '\0');
  }
}

TEST(JobSettingsTest, ChangesMarkTheJob) {
  reset_job_settings();
  g_job_settings.text_items_ready = 1;
  g_job_settings.nc_state = NC_STATE_PROOF_READY;
  mark_job_changed();
  EXPECT_EQ(g_job_settings.job_changed & JOB_CHANGED, JOB_CHANGED);
  EXPECT_EQ(g_job_settings.text_items_ready, 0);
  EXPECT_EQ(g_job_settings.nc_state, 0);
}

}  // namespace
