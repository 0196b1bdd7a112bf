// Editing-buffer windows: the split screen's state that the window layer and the run loop read.
#pragma once

#include <cstdint>

struct TextLine;

// Stand-in: only the alternate buffer and the two-shown flag; no halves, split screen or buffers dialog yet.
struct BufferWindows {
  TextLine* alternate_buffer = nullptr;  // the buffer shown before the current one, or null
  uint8_t two_shown = 0;                 // non-zero while two buffers share the screen
};
inline BufferWindows g_buffer_windows;
