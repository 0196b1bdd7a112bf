// Editing buffers: the ring of buffer windows and opening files into them.
#pragma once

#include <cstdint>
#include <string>

#include "screen/text_output.h"
#include "ui/text_window.h"

// open_in_buffer open flags
constexpr uint8_t OPEN_NAMED_FILE = 0x01;

// Stand-in: window references, arrangement, start folder and extension only; no requested rectangle or editor settings yet.
struct BufferRing {
  TextLine* buffer_list = nullptr;         // window node of the first editing buffer, or null
  TextLine* placeholder_buffer = nullptr;  // the empty buffer made at start-up
  TextLine* buffer_to_activate = nullptr;  // the window the run loop switches to next
  uint8_t arrangement = 0;                 // 0 one buffer, 1 above each other, 2 side by side
  uint16_t window_options = 0x296;         // option word of new buffers: colour base 150 and the
                                           // editor face's font bit (0x100 menu, 0x800 small)
  std::string current_folder;              // folder new file records start in, ends with '/'
  std::string current_extension;           // extension they start with, with its dot
};
inline BufferRing g_buffers;

// Opens a file into a new editing buffer (or makes an empty one), activates it and makes it the
// buffer to activate: 1 already in a buffer, 0 opened, -1 failure, -2 refused type.
// Stand-in: never opens a file; always makes an empty buffer over the whole editing area in the buffer list.
int open_in_buffer(const char* path, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                   uint32_t window_flags, uint8_t open_flags);

// The save question of the active buffer (catalogue prompt number): 0 nothing to save or saved,
// 27 cancelled, otherwise the save box's result.
// Stand-in: asks nothing; a changed buffer that holds text answers 27 (nothing changed is closed or marked saved before saving exists).
int ask_save_buffer(int prompt);

// The editing buffer showing the file (its full path compared exactly, after resolving both
// paths where the file exists), or null.
TextLine* find_buffer_by_file(const char* path);

// The pages' entry points the editing buffers need; start-up fills them.
struct BufferEntryPoints {
  // The key filter of the first buffer: the NC program page's. Null: the run loop ends at once.
  WindowKeyFilter first_buffer_key = nullptr;
};
inline BufferEntryPoints g_buffer_entries;

// Window flags of the first buffer.
constexpr uint32_t FIRST_BUFFER_FLAGS = 0x40213;

// Makes the first, empty buffer when none exists (start-up, and after the last was closed).
// Stand-in: the buffer open_in_buffer makes, keyed to the NC page; no two-buffer state is cleared.
inline void create_first_edit_buffer() {
  if (g_buffers.buffer_list != nullptr) return;
  if (open_in_buffer(nullptr, g_buffer_entries.first_buffer_key, draw_window_line,
                     FIRST_BUFFER_FLAGS, 0) != 0) return;
  g_buffers.placeholder_buffer = g_buffers.buffer_list;
  g_buffers.arrangement = 0;
}
