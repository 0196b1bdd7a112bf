// Stroke fonts: the font list, loading compiled fonts on demand, compiling font sources.
#pragma once

#include <cstdint>

#include "store/line_list.h"

// Stand-in: no stroke font is ever loaded, so no font is found.
inline TextLine* find_font(int16_t /*font_number*/) { return nullptr; }

// Compiles a stroke-font source (".Q2F") of the file list into its compiled form (".Q2_") next
// to it.
// Stand-in: compiles nothing.
inline void compile_stroke_font(TextLine* /*file_line*/) {}
// Loads the compiled stroke font of a file-list line into the font list (list slot 7); returns
// the number of fonts added.
// Stand-in: loads nothing and adds no font.
inline int load_stroke_font(int /*mode*/, TextLine* /*file_line*/, void* /*unused*/) { return 0; }
// The font list's order.
// Stand-in: compares the lines' texts.
inline int compare_font_names(const TextLine* a, const TextLine* b) {
  return compare_line_texts(a, b);
}
// Sets up the symbol-font menu.
// Stand-in: no symbol menu yet.
inline void symbol_menu() {}
// Stand-in: no font handles, glyph buffers or glyph data are kept yet, so there is nothing to free.
inline void release_all_font_handles() {}
inline void free_glyph_buffers() {}
inline void unload_fonts() {}
