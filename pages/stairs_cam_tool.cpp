#include "pages/stairs_cam_tool.h"

#include "ui/field_flags.h"
#include "ui/settings_fields.h"

EventCode edit_cam_tool(CamParams* block, int which) {
  CamToolBlock& tool = which == 0 ? block->finishing : block->roughing;
  return edit_value_field({&tool.tool_number, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, 3);
}
