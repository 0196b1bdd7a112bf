// Text in the interface bitmap faces. Each face is expanded once into one 32-bit mask per glyph
// pixel, so a glyph row is drawn with word operations and no bit fiddling; the screen is
// written row by row across the whole text, in the order its pixels lie in memory.
#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/canvas.h"
#include "platform/canvas_internal.h"

static constexpr int TEXT_CELL_LIMIT = 1024;  // pixels; larger cells are not a bitmap face of ours

static size_t face_bytes(const FontFace& face) {
  return 256 * static_cast<size_t>(face.cell_height) * static_cast<size_t>(face.bytes_per_row);
}

static bool face_sound(const FontFace& face) {
  return face.cell_width > 0 && face.cell_height > 0 && face.cell_width <= TEXT_CELL_LIMIT &&
         face.cell_height <= TEXT_CELL_LIMIT && face.bytes_per_row >= (face.cell_width + 7) / 8 &&
         face.bits.size() >= face_bytes(face);
}

static void expand_face(const FontFace& face, CanvasFaceMasks* entry) {
  entry->cell_width = face.cell_width;
  entry->cell_height = face.cell_height;
  entry->bytes_per_row = face.bytes_per_row;
  entry->bits.assign(face.bits.begin(), face.bits.begin() + static_cast<ptrdiff_t>(face_bytes(face)));
  entry->masks.resize(256 * static_cast<size_t>(face.cell_height) * face.cell_width);
  uint32_t* mask = entry->masks.data();
  for (int code = 0; code < 256; ++code) {
    for (int y = 0; y < face.cell_height; ++y) {
      for (int x = 0; x < face.cell_width; ++x) {
        *mask++ = font_glyph_pixel(face, static_cast<uint8_t>(code), x, y) ? 0xFFFFFFFFu : 0u;
      }
    }
  }
}

// The masks of face. Entries are matched by their glyph bits, not by address, so a face that
// was freed and another loaded in its place is never drawn with the old glyphs.
static const uint32_t* face_masks(const FontFace& face) {
  std::vector<CanvasFaceMasks>& faces = g_canvas_work.faces;
  const size_t bytes = face_bytes(face);
  for (size_t i = 0; i < faces.size(); ++i) {
    CanvasFaceMasks& entry = faces[i];
    if (entry.cell_width != face.cell_width || entry.cell_height != face.cell_height ||
        entry.bytes_per_row != face.bytes_per_row ||
        std::memcmp(entry.bits.data(), face.bits.data(), bytes) != 0) {
      continue;
    }
    if (i != 0) std::swap(faces[0], faces[i]);  // the face in use is found first next time
    return faces[0].masks.data();
  }
  if (faces.size() >= CANVAS_FACES_KEPT) faces.pop_back();
  faces.insert(faces.begin(), CanvasFaceMasks{});
  expand_face(face, &faces[0]);
  return faces[0].masks.data();
}

enum TextMode { TEXT_OPAQUE, TEXT_TRANSPARENT, TEXT_OPAQUE_MIXED, TEXT_TRANSPARENT_MIXED };

struct TextRun {
  const uint8_t* codes;   // the text's bytes
  const uint32_t* masks;  // of the face
  int64_t x;              // left of cell 0
  int cell_width;
  int cell_height;
  int64_t first_cell;     // cells [first_cell, end_cell) touch the clip
  int64_t end_cell;
};

template <TextMode kMode>
static void draw_text_rows(const Canvas& canvas, const CanvasClip& clip, const TextRun& run,
                           int64_t y, int64_t y0, int64_t y1) {
  const uint32_t fg = canvas.text_colour & 0xFFFFFFu;
  const uint32_t bg = canvas.text_background & 0xFFFFFFu;
  const uint32_t change = fg ^ bg;
  const int cw = run.cell_width;
  for (int64_t py = y0; py < y1; ++py) {
    uint32_t* row = canvas_row(canvas, static_cast<int>(py));
    const size_t glyph_row = static_cast<size_t>(py - y) * cw;
    for (int64_t c = run.first_cell; c < run.end_cell; ++c) {
      const int64_t cell_x = run.x + c * cw;
      const int64_t a = std::max<int64_t>(cell_x, clip.left);
      const int n = static_cast<int>(std::min<int64_t>(cell_x + cw, clip.right) - a);
      const uint32_t* m = run.masks + size_t{run.codes[c]} * run.cell_height * cw + glyph_row +
                          (a - cell_x);
      uint32_t* out = row + a;
      for (int i = 0; i < n; ++i) {
        if constexpr (kMode == TEXT_OPAQUE) {
          out[i] = bg ^ (change & m[i]);
        } else if constexpr (kMode == TEXT_TRANSPARENT) {
          out[i] = (out[i] & ~m[i]) | (fg & m[i]);
        } else if constexpr (kMode == TEXT_OPAQUE_MIXED) {
          out[i] = canvas_mix_pixel(canvas.mix, m[i] ? fg : bg, out[i]);
        } else {
          if (m[i]) out[i] = canvas_mix_pixel(canvas.mix, fg, out[i]);
        }
      }
    }
  }
}

int canvas_draw_text(Canvas* canvas, int x, int y, std::string_view text) {
  const FontFace* face = canvas->face;
  if (!face || !face_sound(*face)) return x;
  const int cw = face->cell_width;
  const int64_t cells = static_cast<int64_t>(text.size());
  const int after = static_cast<int>(std::clamp<int64_t>(x + cells * cw, INT_MIN, INT_MAX));
  CanvasClip clip;
  if (cells == 0 || !canvas_clip_of(*canvas, &clip)) return after;
  const int64_t y0 = std::max<int64_t>(y, clip.top);
  const int64_t y1 = std::min<int64_t>(int64_t{y} + face->cell_height, clip.bottom);
  TextRun run;
  run.x = x;
  run.cell_width = cw;
  run.cell_height = face->cell_height;
  run.first_cell = x >= clip.left ? 0 : (clip.left - int64_t{x}) / cw;
  run.end_cell = clip.right <= x ? 0 : std::min(cells, (clip.right - int64_t{x} + cw - 1) / cw);
  if (y0 >= y1 || run.first_cell >= run.end_cell) return after;
  run.codes = reinterpret_cast<const uint8_t*>(text.data());
  run.masks = face_masks(*face);
  const bool copy = canvas->mix == CANVAS_MIX_COPY;
  if (canvas->text_opaque) {
    if (copy) {
      draw_text_rows<TEXT_OPAQUE>(*canvas, clip, run, y, y0, y1);
    } else {
      draw_text_rows<TEXT_OPAQUE_MIXED>(*canvas, clip, run, y, y0, y1);
    }
  } else if (copy) {
    draw_text_rows<TEXT_TRANSPARENT>(*canvas, clip, run, y, y0, y1);
  } else {
    draw_text_rows<TEXT_TRANSPARENT_MIXED>(*canvas, clip, run, y, y0, y1);
  }
  return after;
}
