#include "ui/edit_buffers.h"

namespace {

// The first buffer's look: colour base 150 with the help and font bits of an editor.
constexpr uint16_t BUFFER_OPTIONS = 0x296;
constexpr uint32_t BUFFER_FLAGS = 0x40213;
constexpr int BUFFER_TOP_ROW = 5;
constexpr int BUFFER_LEFT_COLUMN = 2;
constexpr int BUFFER_BOTTOM_ROW = 20;
constexpr int BUFFER_RIGHT_COLUMN = 80;

}  // namespace

int open_in_buffer(const char* /*path*/, WindowKeyFilter key_filter,
                   WindowLineDrawer line_drawer, uint32_t window_flags, uint8_t /*open_flags*/) {
  if (push_list() < 0) return -1;
  clear_current_list();
  TextLine* node = create_window(g_buffers.buffer_list, {
      .top_row = BUFFER_TOP_ROW, .left_column = BUFFER_LEFT_COLUMN, .bottom_row = BUFFER_BOTTOM_ROW,
      .right_column = BUFFER_RIGHT_COLUMN, .flags = window_flags != 0 ? window_flags : BUFFER_FLAGS,
      .key_filter = key_filter, .line_drawer = line_drawer, .with_file = true,
      .options = BUFFER_OPTIONS, .legend = "",
      .wrap_width = BUFFER_RIGHT_COLUMN - BUFFER_LEFT_COLUMN - 2, .title = "",
  });
  pop_list();
  if (node == nullptr) return -1;
  if (g_buffers.buffer_list == nullptr) g_buffers.buffer_list = node;
  activate_window(node);
  g_buffers.buffer_to_activate = node;
  return 0;
}
