// TrueType texts: the face of a layout's stored description, its glyph-unit scale (one unit the
// height of the capital X, as for stroke fonts) and a character's outline prepared for the
// glyph decoder.
#pragma once

#include <cstdint>

#include "text/text_layout.h"

// The face of a stored 60-byte description (face name, weight, italic); the description, not a
// stored id, decides, so a copy of an item (undo, clipboard, a job read again) finds its face.
// 0 when the description names no face or no face can be had.
uint32_t find_truetype_face(const uint8_t log_font[TL_LOG_FONT_SIZE]);
bool truetype_face_usable(uint32_t face_id);
// Face units (em 10,000) to glyph units: 1 / the height of 'X', or 0.0001 for a face whose 'X'
// is at most 4000 units tall.
double truetype_unit_scale(uint32_t face_id);
// The advance of a cp1252 character in glyph units.
float truetype_advance(uint32_t face_id, int c);
// Reads and flattens the outline of a cp1252 character into the outline buffers (tolerance in
// world units, the text height in world units per glyph unit) and prepares it for the
// iterator. Returns the advance in glyph units.
float truetype_char_outline(int c, uint32_t face_id, double tolerance, double height);
// Fills a description with a face name, weight and italic (height -10000).
void set_truetype_description(uint8_t log_font[TL_LOG_FONT_SIZE], const char* face, int weight,
                              bool italic);
// Closes every shared face (a job is opened or started, and at exit); the layouts find their
// faces again from their descriptions.
void release_all_font_handles();
// Frees the outline buffers (at exit).
void free_glyph_buffers();
