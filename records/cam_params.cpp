#include "records/cam_params.h"

#include "store/record_bytes.h"

void read_cam_tool_block(const uint8_t in[CAM_TOOL_BLOCK_SIZE], CamToolBlock* block) {
  block->size = get_f32_le(in + 0);
  block->tip_diameter = get_f32_le(in + 4);
  block->feed = get_f32_le(in + 8);
  block->step_down = get_f32_le(in + 12);
  block->rpm = get_i32_le(in + 16);
  block->plunge_percent = get_i16_le(in + 20);
  block->tool_number = get_i16_le(in + 22);
  block->shape = in[24];
  block->feed_unit = in[25];
  block->stepover_percent = in[26];
  block->ramp_angle = in[27];
  block->second_pass_rpm = get_i32_le(in + 28);
  block->second_pass_feed = get_f32_le(in + 32);
  block->second_pass_depth = get_f32_le(in + 36);
  block->cut_width = get_f32_le(in + 40);
  block->cut_depth = get_f32_le(in + 44);
  block->first_stepover = get_f32_le(in + 48);
}

void write_cam_tool_block(const CamToolBlock& block, uint8_t out[CAM_TOOL_BLOCK_SIZE]) {
  put_f32_le(out + 0, block.size);
  put_f32_le(out + 4, block.tip_diameter);
  put_f32_le(out + 8, block.feed);
  put_f32_le(out + 12, block.step_down);
  put_i32_le(out + 16, block.rpm);
  put_i16_le(out + 20, block.plunge_percent);
  put_i16_le(out + 22, block.tool_number);
  out[24] = block.shape;
  out[25] = block.feed_unit;
  out[26] = block.stepover_percent;
  out[27] = block.ramp_angle;
  put_i32_le(out + 28, block.second_pass_rpm);
  put_f32_le(out + 32, block.second_pass_feed);
  put_f32_le(out + 36, block.second_pass_depth);
  put_f32_le(out + 40, block.cut_width);
  put_f32_le(out + 44, block.cut_depth);
  put_f32_le(out + 48, block.first_stepover);
}

void read_cam_params(const uint8_t in[CAM_PARAMS_SIZE], CamParams* params) {
  params->operation = in[0];
  params->cut_direction = in[1];
  params->contour_passes = in[5];
  params->machining_group = get_i16_le(in + 6);
  params->machining_order = get_i16_le(in + 8);
  params->rapid_height = get_f32_le(in + 12);
  params->surface_z = get_f32_le(in + 16);
  params->finish_allowance = get_f32_le(in + 20);
  params->finish_option = in[24];
  params->item_marker = in[25];
  params->peck_distance = get_f32_le(in + 56);
  read_cam_tool_block(in + CAM_FINISHING_OFFSET, &params->finishing);
  read_cam_tool_block(in + CAM_ROUGHING_OFFSET, &params->roughing);
}

void write_cam_params(const CamParams& params, uint8_t out[CAM_PARAMS_SIZE]) {
  std::memset(out, 0, CAM_PARAMS_SIZE);
  out[0] = params.operation;
  out[1] = params.cut_direction;
  out[5] = params.contour_passes;
  put_i16_le(out + 6, params.machining_group);
  put_i16_le(out + 8, params.machining_order);
  put_f32_le(out + 12, params.rapid_height);
  put_f32_le(out + 16, params.surface_z);
  put_f32_le(out + 20, params.finish_allowance);
  out[24] = params.finish_option;
  out[25] = params.item_marker;
  put_f32_le(out + 56, params.peck_distance);
  write_cam_tool_block(params.finishing, out + CAM_FINISHING_OFFSET);
  write_cam_tool_block(params.roughing, out + CAM_ROUGHING_OFFSET);
}

namespace {

void scale_length(float* value, double factor) {
  if (*value != CAM_NOT_GIVEN) *value = static_cast<float>(*value * factor);
}

void scale_tool_lengths(CamToolBlock* tool, double factor, bool finishing) {
  scale_length(&tool->step_down, factor);
  if (finishing) scale_length(&tool->second_pass_depth, factor);
  scale_length(&tool->cut_width, factor);
  scale_length(&tool->cut_depth, factor);
  scale_length(&tool->first_stepover, factor);
}

}  // namespace

void scale_cam_lengths(CamParams* params, double factor) {
  scale_length(&params->rapid_height, factor);
  scale_length(&params->surface_z, factor);
  scale_length(&params->finish_allowance, factor);
  scale_length(&params->peck_distance, factor);
  scale_tool_lengths(&params->finishing, factor, true);
  scale_tool_lengths(&params->roughing, factor, false);
}
