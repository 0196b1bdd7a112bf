// TrueType faces through FreeType and fontconfig: a face found by family, weight and italic
// (fontconfig's aliases decide; a family nobody has gives Liberation Sans), shared under a
// 32-bit id, and its unhinted outlines at an em of 10,000 units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The face id of a description; the same description gives the same id for the life of the
// program. 0 when no face at all can be had.
uint32_t truetype_face_id(const std::string& family, int weight, bool italic);
// True when the id names a face that was opened.
bool truetype_face_known(uint32_t id);
// The file and family fontconfig chose for an id ("" for an unknown id).
std::string truetype_face_file(uint32_t id);

// The pieces of one outline, in units of an em of 10,000, y up.
struct TrueTypeOutlineSink {
  void* user = nullptr;
  void (*move_to)(void* user, double x, double y) = nullptr;
  void (*line_to)(void* user, double x, double y) = nullptr;
  void (*conic_to)(void* user, double cx, double cy, double x, double y) = nullptr;
  void (*cubic_to)(void* user, double c1x, double c1y, double c2x, double c2y, double x,
                   double y) = nullptr;
  void (*close)(void* user) = nullptr;
};
// Walks the outline of a Unicode character; its advance (em 10,000) in *advance. False when
// the face is unknown or the glyph cannot be loaded; a character without outline walks nothing.
bool truetype_walk_outline(uint32_t id, uint32_t code_point, TrueTypeOutlineSink* sink,
                           double* advance);
// The advance of a character (em 10,000); 0 when it cannot be had.
double truetype_char_advance(uint32_t id, uint32_t code_point);
// The black box of a character's outline (em 10,000): false without one.
bool truetype_char_box(uint32_t id, uint32_t code_point, double* x_min, double* y_min,
                       double* x_max, double* y_max);
// Closes every face (at exit).
void release_truetype_faces();

// One scalable face the system has, as fontconfig names it: its families and its styles, each
// list joined by ',' (the first of each is the name in the face's own default language).
struct TrueTypeFaceName {
  std::string family;
  std::string style;
};
// Every scalable (outline) face fontconfig lists, sorted by family and style, duplicates
// dropped. Empty when fontconfig cannot be asked.
std::vector<TrueTypeFaceName> list_truetype_faces();
