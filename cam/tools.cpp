#include "cam/tools.h"

#include <cstring>

#include "records/job_settings.h"
#include "store/record_bytes.h"

// ---- Stored layout --------------------------------------------------------------------------

void read_tool_record(const uint8_t in[TOOL_RECORD_SIZE], ToolRecord* tool) {
  tool->size = get_f32_le(in + 0);
  tool->tip_diameter = get_f32_le(in + 4);
  tool->feed = get_f32_le(in + 8);
  tool->step_down = get_f32_le(in + 12);
  tool->rpm = get_i32_le(in + 16);
  tool->plunge_percent = get_i16_le(in + 20);
  tool->tool_number = get_i16_le(in + 22);
  tool->shape = in[24];
  tool->feed_unit = in[25];
  tool->stepover_percent = in[26];
  tool->ramp_angle = in[27];
  tool->units = in[28];
}

void write_tool_record(const ToolRecord& tool, uint8_t out[TOOL_RECORD_SIZE]) {
  std::memset(out, 0, TOOL_RECORD_SIZE);
  put_f32_le(out + 0, tool.size);
  put_f32_le(out + 4, tool.tip_diameter);
  put_f32_le(out + 8, tool.feed);
  put_f32_le(out + 12, tool.step_down);
  put_i32_le(out + 16, tool.rpm);
  put_i16_le(out + 20, tool.plunge_percent);
  put_i16_le(out + 22, tool.tool_number);
  out[24] = tool.shape;
  out[25] = tool.feed_unit;
  out[26] = tool.stepover_percent;
  out[27] = tool.ramp_angle;
  out[28] = tool.units;
}

LineExtra tool_record_extra(const ToolRecord& tool) {
  LineExtra extra(TOOL_RECORD_SIZE, 0);
  write_tool_record(tool, extra.data());
  return extra;
}

bool line_tool_record(const TextLine* line, ToolRecord* tool) {
  if (line == nullptr || line->extra.size() < TOOL_RECORD_SIZE) return false;
  read_tool_record(line->extra.data(), tool);
  return true;
}

void tool_to_cam_block(const ToolRecord& tool, CamToolBlock* block) {
  block->size = tool.size;
  block->tip_diameter = tool.tip_diameter;
  block->feed = tool.feed;
  block->step_down = tool.step_down;
  block->rpm = tool.rpm;
  block->plunge_percent = tool.plunge_percent;
  block->tool_number = tool.tool_number;
  block->shape = tool.shape;
  block->feed_unit = tool.feed_unit;
}

void take_picked_tool(const ToolRecord& tool, uint8_t job_units, bool width_gives_depth,
                      CamToolBlock* block) {
  const int16_t old_number = block->tool_number;
  tool_to_cam_block(tool, block);
  if (block->tool_number == 0 && old_number > 0) block->tool_number = old_number;
  if (block->tool_number < 1) block->tool_number = 1;
  const uint8_t job_tool_units = job_units == JOB_UNITS_INCH ? TOOL_UNITS_INCH : TOOL_UNITS_MM;
  if (tool.units != job_tool_units) {
    const double factor = tool.units == TOOL_UNITS_INCH ? TOOL_INCH_TO_MM : TOOL_MM_TO_INCH;
    if (block->shape == TOOL_SHAPE_TAPERED)
      block->tip_diameter = static_cast<float>(block->tip_diameter * factor);
    else
      block->size = static_cast<float>(block->size * factor);
    block->step_down = static_cast<float>(block->step_down * factor);
  }
  if (block->shape == TOOL_SHAPE_FLAT) {
    block->cut_width = block->size;
    return;
  }
  if (block->shape == TOOL_SHAPE_BALL && block->cut_width >= block->size)
    block->cut_width = 0.9f * block->size;
  if (block->shape == TOOL_SHAPE_TAPERED && block->cut_width <= block->tip_diameter)
    block->cut_width = 1.001f * block->tip_diameter;
  if (!depth_is_given(block->cut_depth)) return;
  if (width_gives_depth)
    block->cut_depth =
        depth_from_cut_width(block->cut_width, block->shape, block->size, block->tip_diameter);
  else
    block->cut_width =
        cut_width_from_depth(block->cut_depth, block->shape, block->size, block->tip_diameter);
}

ToolRecord new_tool_record() {
  ToolRecord tool;
  tool.shape = TOOL_SHAPE_TAPERED;
  tool.size = 1.0471976f;  // 60 degrees
  tool.rpm = 5000;
  tool.plunge_percent = 40;
  tool.stepover_percent = 45;
  tool.ramp_angle = 90;
  tool.units = g_job_settings.units;
  tool.feed = tool.units == TOOL_UNITS_INCH ? 15.0f : 300.0f;
  return tool;
}

// ---- The tool list ----------------------------------------------------------------------------

const char* tool_file_name(bool metric_set) {
  return metric_set ? TOOL_FILE_METRIC_NAME : TOOL_FILE_NAME;
}

ToolRecord default_tool_record() {
  ToolRecord tool = new_tool_record();
  tool.tool_number = 1;
  return tool;
}

ToolRecord first_tool_record() {
  ToolRecord tool;
  if (line_tool_record(g_lists.slots[LIST_SLOT_TOOLS].first, &tool)) return tool;
  return default_tool_record();
}
