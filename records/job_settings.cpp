// The stored form of JobSettings, field by field, and the factory settings of a new job.
#include "records/job_settings.h"

#include <cstring>

#include "store/record_bytes.h"

namespace {

// Copies a fixed run of bytes (reserved bytes, texts) between the record and the block.
template <size_t N>
void put_raw(uint8_t* out, size_t offset, const uint8_t (&bytes)[N]) {
  std::memcpy(out + offset, bytes, N);
}

template <size_t N>
void get_raw(const uint8_t* in, size_t offset, uint8_t (&bytes)[N]) {
  std::memcpy(bytes, in + offset, N);
}

void write_surface(const JobSettings& s, uint8_t* out) {
  out[4] = s.surface_code;
  put_raw(out, 5, s.reserved_5);
  put_i32_le(out + 8, s.surface_flag);
  out[12] = s.surface_side;
  out[13] = s.surface_choice;
  out[14] = s.controller;
  out[15] = s.rotary_axis_letter;
  out[16] = s.surface_yes_no;
  put_raw(out, 17, s.reserved_17);
  put_f32_le(out + 20, s.surface_radius);
  put_f32_le(out + 24, s.surface_length_1);
  put_f32_le(out + 28, s.surface_length_2);
  put_f32_le(out + 32, s.surface_length_3);
  put_f32_le(out + 36, s.surface_length_4);
  put_f32_le(out + 40, s.surface_angle);
  put_f32_le(out + 44, s.slope_angle);
}

void read_surface(const uint8_t* in, JobSettings* s) {
  s->surface_code = in[4];
  get_raw(in, 5, s->reserved_5);
  s->surface_flag = get_i32_le(in + 8);
  s->surface_side = in[12];
  s->surface_choice = in[13];
  s->controller = in[14];
  s->rotary_axis_letter = in[15];
  s->surface_yes_no = in[16];
  get_raw(in, 17, s->reserved_17);
  s->surface_radius = get_f32_le(in + 20);
  s->surface_length_1 = get_f32_le(in + 24);
  s->surface_length_2 = get_f32_le(in + 28);
  s->surface_length_3 = get_f32_le(in + 32);
  s->surface_length_4 = get_f32_le(in + 36);
  s->surface_angle = get_f32_le(in + 40);
  s->slope_angle = get_f32_le(in + 44);
}

void write_output(const JobSettings& s, uint8_t* out) {
  out[48] = s.units;
  out[49] = s.output_yes_no;
  out[50] = s.comment_mode;
  out[51] = s.material_box_shown;
  for (int i = 0; i < 4; ++i) put_f32_le(out + 52 + 4 * i, s.material_box[i]);
  put_f32_le(out + 68, s.setup_length_18);
  put_f32_le(out + 72, s.tolerance);
  put_f32_le(out + 76, s.z_shift);
  put_i16_le(out + 80, s.short_move_feed);
  put_raw(out, 82, s.reserved_82);
  std::memcpy(out + 89, s.template_path, JOB_TEMPLATE_PATH_SIZE);
  put_raw(out, 349, s.reserved_349);
  put_f32_le(out + 352, s.template_offset[0]);
  put_f32_le(out + 356, s.template_offset[1]);
}

void read_output(const uint8_t* in, JobSettings* s) {
  s->units = in[48];
  s->output_yes_no = in[49];
  s->comment_mode = in[50];
  s->material_box_shown = in[51];
  for (int i = 0; i < 4; ++i) s->material_box[i] = get_f32_le(in + 52 + 4 * i);
  s->setup_length_18 = get_f32_le(in + 68);
  s->tolerance = get_f32_le(in + 72);
  s->z_shift = get_f32_le(in + 76);
  s->short_move_feed = get_i16_le(in + 80);
  get_raw(in, 82, s->reserved_82);
  get_text_field(in + 89, s->template_path, JOB_TEMPLATE_PATH_SIZE);
  get_raw(in, 349, s->reserved_349);
  s->template_offset[0] = get_f32_le(in + 352);
  s->template_offset[1] = get_f32_le(in + 356);
}

void write_items_and_view(const JobSettings& s, uint8_t* out) {
  put_i32_le(out + 360, s.item_id_counter);
  put_f32_le(out + 364, s.short_move_limit);
  out[368] = s.new_items_machined;
  out[369] = s.new_item_cut_type;
  out[370] = s.text_cut_type;
  out[371] = s.point_cut_type;
  out[372] = s.climb_milling;
  out[373] = s.grid_shown;
  put_i16_le(out + 374, s.item_flag_union);
  put_f32_le(out + 376, s.grid_step);
  put_f32_le(out + 380, s.view_scale);
  out[384] = s.view_fitted;
  out[385] = s.show_node_markers;
  out[386] = s.node_snap_off;
  out[387] = s.reserved_387;
  put_i16_le(out + 388, s.image_record_length);
  out[390] = s.nc_run_byte;
  out[391] = s.reserved_391;
}

void read_items_and_view(const uint8_t* in, JobSettings* s) {
  s->item_id_counter = get_i32_le(in + 360);
  s->short_move_limit = get_f32_le(in + 364);
  s->new_items_machined = in[368];
  s->new_item_cut_type = in[369];
  s->text_cut_type = in[370];
  s->point_cut_type = in[371];
  s->climb_milling = in[372];
  s->grid_shown = in[373];
  s->item_flag_union = get_i16_le(in + 374);
  s->grid_step = get_f32_le(in + 376);
  s->view_scale = get_f32_le(in + 380);
  s->view_fitted = in[384];
  s->show_node_markers = in[385];
  s->node_snap_off = in[386];
  s->reserved_387 = in[387];
  s->image_record_length = get_i16_le(in + 388);
  s->nc_run_byte = in[390];
  s->reserved_391 = in[391];
}

void write_blade(const BladeSettings& b, uint8_t* out) {
  put_i32_le(out + 392, b.row7_value);
  put_f32_le(out + 396, b.row15_value);
  out[400] = b.row18_yes_no;
  out[401] = b.row17_yes_no;
  out[402] = b.row19_yes_no;
  put_raw(out, 403, b.reserved_403);
  put_f32_le(out + 416, b.row4_value);
  put_f32_le(out + 420, b.row5_value);
  put_f32_le(out + 424, b.row20_value);
  put_f32_le(out + 428, b.row21_value);
  put_f32_le(out + 432, b.row6_value);
}

void read_blade(const uint8_t* in, BladeSettings* b) {
  b->row7_value = get_i32_le(in + 392);
  b->row15_value = get_f32_le(in + 396);
  b->row18_yes_no = in[400];
  b->row17_yes_no = in[401];
  b->row19_yes_no = in[402];
  get_raw(in, 403, b->reserved_403);
  b->row4_value = get_f32_le(in + 416);
  b->row5_value = get_f32_le(in + 420);
  b->row20_value = get_f32_le(in + 424);
  b->row21_value = get_f32_le(in + 428);
  b->row6_value = get_f32_le(in + 432);
}

void write_state(const JobSettings& s, uint8_t* out) {
  out[664] = s.output_options;
  out[665] = s.settings_fresh;
  out[666] = s.text_items_ready;
  out[667] = s.nc_state;
  out[668] = s.job_changed;
  out[669] = s.reserved_669;
  put_i16_le(out + 670, s.post_processor_number);
  put_raw(out, 672, s.reserved_672);
}

void read_state(const uint8_t* in, JobSettings* s) {
  s->output_options = in[664];
  s->settings_fresh = in[665];
  s->text_items_ready = in[666];
  s->nc_state = in[667];
  s->job_changed = in[668];
  s->reserved_669 = in[669];
  s->post_processor_number = get_i16_le(in + 670);
  get_raw(in, 672, s->reserved_672);
}

}  // namespace

void write_job_settings_bytes(const JobSettings& settings, uint8_t out[JOB_SETTINGS_SIZE]) {
  std::memset(out, 0, JOB_SETTINGS_SIZE);  // references and the run-time area stay zero
  write_surface(settings, out);
  write_output(settings, out);
  write_items_and_view(settings, out);
  write_blade(settings.blade_settings, out);
  put_raw(out, 436, settings.reserved_436);
  write_state(settings, out);
}

void read_job_settings_bytes(const uint8_t in[JOB_SETTINGS_SIZE], JobSettings* settings) {
  settings->post_processor = nullptr;
  read_surface(in, settings);
  read_output(in, settings);
  read_items_and_view(in, settings);
  read_blade(in, &settings->blade_settings);
  get_raw(in, 436, settings->reserved_436);
  std::memset(settings->run_time_area, 0, JOB_RUN_TIME_AREA_SIZE);
  read_state(in, settings);
}

void import_job_settings_bytes(const uint8_t in[JOB_SETTINGS_SIZE], JobSettings* settings) {
  uint8_t merged[JOB_SETTINGS_SIZE];
  write_job_settings_bytes(*settings, merged);
  std::memcpy(merged, in, JOB_SETTINGS_IMPORTED_BYTES);
  TextLine* const post_processor = settings->post_processor;
  uint8_t run_time_area[JOB_RUN_TIME_AREA_SIZE];
  std::memcpy(run_time_area, settings->run_time_area, JOB_RUN_TIME_AREA_SIZE);
  read_job_settings_bytes(merged, settings);
  settings->post_processor = post_processor;
  std::memcpy(settings->run_time_area, run_time_area, JOB_RUN_TIME_AREA_SIZE);
}

void set_factory_job_settings(JobSettings* settings, bool metric) {
  *settings = JobSettings{};
  if (metric) {
    settings->units = JOB_UNITS_MILLIMETRE;
    settings->tolerance = 0.05f;
    settings->short_move_feed = 600;
    settings->grid_step = 0.01f;
  }
}

void reset_job_settings() { set_factory_job_settings(&g_job_settings, false); }
