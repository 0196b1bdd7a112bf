// The scratch buffer: one block shared by all parts for short-lived texts (the message text,
// the window title, a second message, a list's hot-key line and hot letters) and, from its float
// work area on, number arrays. Nothing in it survives a call into another part. Writers stay
// inside their region; a region may overlap the ones after it only where a text is used at once.
#pragma once

#include <cstddef>
#include <cstring>

// Stand-in: a static block with the region offsets; ui_startup's allocation comes with screen start-up.

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

struct ScratchBuffer {
  alignas(8) char bytes[SCRATCH_SIZE];  // regions as above; texts are cp1252 with in-band codes
};
inline ScratchBuffer g_scratch{};

// The byte at a region offset.
inline char* scratch_at(size_t offset) { return g_scratch.bytes + offset; }

// Test hooks
inline void reset_scratch_buffer() { std::memset(g_scratch.bytes, 0, SCRATCH_SIZE); }
