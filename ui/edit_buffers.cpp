#include "ui/edit_buffers.h"

#include <filesystem>
#include <system_error>

#include "store/file_reader.h"
#include "ui/buffer_windows.h"

namespace {

// The first buffer's look: colour base 150 with the help and font bits of an editor.
constexpr uint16_t BUFFER_OPTIONS = 0x296;
constexpr uint32_t BUFFER_FLAGS = 0x40213;

// A path as the file system names it: resolved where the file exists, as given otherwise.
std::string canonical_path(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

bool buffer_holds_text(const TextWindow* w) {
  for (const TextLine* l = w->first_line; l != nullptr; l = l->next)
    for (char c : l->text)
      if (static_cast<unsigned char>(c) > ' ') return true;
  return false;
}

}  // namespace

int open_in_buffer(const char* /*path*/, WindowKeyFilter key_filter,
                   WindowLineDrawer line_drawer, uint32_t window_flags, uint8_t /*open_flags*/) {
  if (push_list() < 0) return -1;
  clear_current_list();
  const EditingArea area = editing_area();
  TextLine* node = create_window(g_buffers.buffer_list, {
      .top_row = area.top, .left_column = area.left, .bottom_row = area.bottom,
      .right_column = area.right, .flags = window_flags != 0 ? window_flags : BUFFER_FLAGS,
      .key_filter = key_filter, .line_drawer = line_drawer, .with_file = true,
      .options = BUFFER_OPTIONS, .legend = "",
      .wrap_width = area.right - area.left - 2, .title = "",
  });
  pop_list();
  if (node == nullptr) return -1;
  if (g_buffers.buffer_list == nullptr) g_buffers.buffer_list = node;
  activate_window(node);
  g_buffers.buffer_to_activate = node;
  return 0;
}

int ask_save_buffer(int /*prompt*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  store_window_state();
  if ((w->flags & (WINDOW_CHANGED | WINDOW_READ_ONLY)) != WINDOW_CHANGED) return 0;
  return buffer_holds_text(w) ? 27 : 0;
}

TextLine* find_buffer_by_file(const char* path) {
  if (path == nullptr || *path == 0 || g_buffers.buffer_list == nullptr) return nullptr;
  const std::string wanted = canonical_path(path);
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next) {
    const TextWindow* w = window_of(node);
    if (w == nullptr || w->file == nullptr || w->file->full_path.empty()) continue;
    if (canonical_path(w->file->full_path) == wanted) return node;
  }
  return nullptr;
}
