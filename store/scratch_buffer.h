// The scratch buffer: one block shared by all parts for short-lived texts (the message text,
// the window title, a second message, a list's hot-key line and hot letters) and, from its float
// work area on, number arrays. Nothing in it survives a call into another part. Writers stay
// inside their region; a region may overlap the ones after it only where a text is used at once.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

constexpr size_t SCRATCH_SIZE = 38812;

// Regions (byte offsets)
constexpr size_t SCRATCH_MESSAGE_TEXT = 0;      // the message text; runs over the title and the
                                                // second message when long
constexpr size_t SCRATCH_TITLE = 500;           // a window title being formatted
constexpr size_t SCRATCH_SECOND_MESSAGE = 1500; // a second message
constexpr size_t SCRATCH_HOT_KEY_LINE = 2000;   // choice words of a prompt, a list's key line
constexpr size_t SCRATCH_HOT_LETTERS = 2100;    // the hot letters of that line
constexpr size_t SCRATCH_FIELD_REDRAW = 2460;   // per-field redraw flags of a dialog (30 bytes)
constexpr size_t SCRATCH_FLOAT_AREA = 2500;     // 8-byte floats to the end of the block

// Room for a zero-ended text in each text region, its zero included.
constexpr size_t SCRATCH_MESSAGE_CAPACITY = SCRATCH_HOT_KEY_LINE - SCRATCH_MESSAGE_TEXT;
constexpr size_t SCRATCH_HOT_KEY_LINE_CAPACITY = SCRATCH_HOT_LETTERS - SCRATCH_HOT_KEY_LINE;
constexpr size_t SCRATCH_HOT_LETTERS_CAPACITY = SCRATCH_FIELD_REDRAW - SCRATCH_HOT_LETTERS;

// One heap block, allocated by start-up before anything else and freed at shutdown.
struct ScratchBuffer {
  std::unique_ptr<double[]> block;  // doubles: the float area is aligned for them
  size_t size = 0;                  // bytes; regions as above, texts cp1252 with in-band codes
};
inline ScratchBuffer g_scratch;

// Allocates a zeroed block of `size` bytes in place of the one held; false, keeping none, when
// the size is smaller than the regions need or memory runs out.
inline bool allocate_scratch_buffer(size_t size) {
  g_scratch.block.reset();
  g_scratch.size = 0;
  if (size < SCRATCH_SIZE) return false;
  const size_t doubles = (size + sizeof(double) - 1) / sizeof(double);
  g_scratch.block.reset(new (std::nothrow) double[doubles]());
  if (!g_scratch.block) return false;
  g_scratch.size = size;
  return true;
}
inline void free_scratch_buffer() {
  g_scratch.block.reset();
  g_scratch.size = 0;
}

// The byte at a region offset. Code run without start-up (tests, the command-line tools) gets
// a block of the usual size on first use.
inline char* scratch_at(size_t offset) {
  if (!g_scratch.block) allocate_scratch_buffer(SCRATCH_SIZE);
  return reinterpret_cast<char*>(g_scratch.block.get()) + offset;
}

// Test hooks
inline void reset_scratch_buffer() {
  if (g_scratch.block) std::memset(g_scratch.block.get(), 0, g_scratch.size);
}
