#include "platform/truetype.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr double EM = 10000.0;
constexpr char FALLBACK_FAMILY[] = "Liberation Sans";

struct Face {
  std::string family;  // as asked
  int weight = 400;
  bool italic = false;
  std::string file;
  int index = 0;
  FT_Face face = nullptr;
};

struct TrueTypeState {
  FT_Library library = nullptr;
  std::vector<std::unique_ptr<Face>> faces;  // id = position + 1
};
TrueTypeState g_truetype_faces;

// True when fontconfig's substitution names `matched` as the asked family or one of its
// aliases (the strongly bound families), not as one of the weak fallbacks every family gets.
bool family_or_alias(FcPattern* substituted, const FcChar8* matched) {
  FcValue value;
  FcValueBinding binding;
  for (int k = 0;
       FcPatternGetWithBinding(substituted, FC_FAMILY, k, &value, &binding) == FcResultMatch;
       ++k) {
    if (binding != FcValueBindingStrong) return false;
    if (value.type == FcTypeString && FcStrCmpIgnoreCase(value.u.s, matched) == 0) return true;
  }
  return false;
}

bool match_file(const std::string& family, int weight, bool italic, std::string* file,
                int* index) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight > 0 ? weight : 400));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  bool found = false;
  if (match != nullptr) {
    FcChar8* path = nullptr;
    FcChar8* matched_family = nullptr;
    FcBool scalable = FcFalse;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
        FcPatternGetString(match, FC_FAMILY, 0, &matched_family) == FcResultMatch &&
        family_or_alias(pattern, matched_family) &&
        FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable) {
      *file = reinterpret_cast<const char*>(path);
      if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
      found = true;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return found;
}

Face* face_of(uint32_t id) {
  if (id == 0 || id > g_truetype_faces.faces.size()) return nullptr;
  return g_truetype_faces.faces[id - 1].get();
}

bool load_glyph(Face* f, uint32_t code_point) {
  const FT_UInt glyph = FT_Get_Char_Index(f->face, code_point);
  return FT_Load_Glyph(f->face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
         f->face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
}

}  // namespace

uint32_t truetype_face_id(const std::string& family, int weight, bool italic) {
  TrueTypeState& s = g_truetype_faces;
  for (size_t k = 0; k < s.faces.size(); ++k) {
    const Face& f = *s.faces[k];
    if (f.family == family && f.weight == weight && f.italic == italic)
      return static_cast<uint32_t>(k + 1);
  }
  if (s.library == nullptr && FT_Init_FreeType(&s.library) != 0) return 0;
  auto face = std::make_unique<Face>();
  face->family = family;
  face->weight = weight;
  face->italic = italic;
  if (!match_file(family, weight, italic, &face->file, &face->index) &&
      !match_file(FALLBACK_FAMILY, weight, italic, &face->file, &face->index))
    return 0;
  if (FT_New_Face(s.library, face->file.c_str(), face->index, &face->face) != 0) return 0;
  if (!FT_IS_SCALABLE(face->face) || face->face->units_per_EM == 0) {
    FT_Done_Face(face->face);
    return 0;
  }
  FT_Select_Charmap(face->face, FT_ENCODING_UNICODE);
  s.faces.push_back(std::move(face));
  return static_cast<uint32_t>(s.faces.size());
}

bool truetype_face_known(uint32_t id) { return face_of(id) != nullptr; }

std::string truetype_face_file(uint32_t id) {
  const Face* f = face_of(id);
  return f == nullptr ? "" : f->file;
}

bool truetype_walk_outline(uint32_t id, uint32_t code_point, TrueTypeOutlineSink* sink,
                           double* advance) {
  Face* f = face_of(id);
  if (f == nullptr || !load_glyph(f, code_point)) return false;
  const double scale = EM / f->face->units_per_EM;
  const FT_GlyphSlot slot = f->face->glyph;
  *advance = slot->advance.x * scale;
  const FT_Outline& o = slot->outline;
  int first = 0;
  for (int c = 0; c < o.n_contours; ++c) {
    const int last = o.contours[c];
    if (last < first || last >= o.n_points) return false;
    const int n = last - first + 1;
    auto px = [&](int k) { return o.points[first + k].x * scale; };
    auto py = [&](int k) { return o.points[first + k].y * scale; };
    auto tag = [&](int k) { return FT_CURVE_TAG(o.tags[first + k]); };
    // The contour starts at an on-curve point, or at the midpoint of its last and first
    // conic controls when it has none.
    int start = -1;
    for (int k = 0; k < n && start < 0; ++k)
      if (tag(k) == FT_CURVE_TAG_ON) start = k;
    const double sx = start >= 0 ? px(start) : (px(0) + px(n - 1)) / 2;
    const double sy = start >= 0 ? py(start) : (py(0) + py(n - 1)) / 2;
    sink->move_to(sink->user, sx, sy);
    double cx = 0, cy = 0, c1x = 0, c1y = 0;
    int controls = 0;  // conic: 1 pending; cubic: the count of its controls
    bool cubic = false;
    auto visit = [&](double x, double y, int t) {
      if (t == FT_CURVE_TAG_ON) {
        if (controls == 0) sink->line_to(sink->user, x, y);
        else if (!cubic) sink->conic_to(sink->user, cx, cy, x, y);
        else sink->cubic_to(sink->user, c1x, c1y, cx, cy, x, y);
        controls = 0;
        cubic = false;
      } else if (t == FT_CURVE_TAG_CONIC) {
        if (controls == 1 && !cubic) sink->conic_to(sink->user, cx, cy, (cx + x) / 2, (cy + y) / 2);
        cx = x;
        cy = y;
        controls = 1;
      } else {
        if (controls == 0) { c1x = x; c1y = y; }
        else { cx = x; cy = y; }
        ++controls;
        cubic = true;
      }
    };
    const int from = start >= 0 ? start + 1 : 0;
    for (int k = from; k < from + n - (start >= 0 ? 1 : 0); ++k) {
      const int i = k % n;
      visit(px(i), py(i), tag(i));
    }
    visit(sx, sy, FT_CURVE_TAG_ON);
    sink->close(sink->user);
    first = last + 1;
  }
  return true;
}

double truetype_char_advance(uint32_t id, uint32_t code_point) {
  Face* f = face_of(id);
  if (f == nullptr || FT_Load_Char(f->face, code_point, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0)
    return 0.0;
  return f->face->glyph->advance.x * (EM / f->face->units_per_EM);
}

bool truetype_char_box(uint32_t id, uint32_t code_point, double* x_min, double* y_min,
                       double* x_max, double* y_max) {
  Face* f = face_of(id);
  if (f == nullptr || !load_glyph(f, code_point) || f->face->glyph->outline.n_points == 0)
    return false;
  FT_BBox box;
  FT_Outline_Get_CBox(&f->face->glyph->outline, &box);
  const double scale = EM / f->face->units_per_EM;
  *x_min = box.xMin * scale;
  *y_min = box.yMin * scale;
  *x_max = box.xMax * scale;
  *y_max = box.yMax * scale;
  return true;
}

void release_truetype_faces() {
  TrueTypeState& s = g_truetype_faces;
  for (auto& f : s.faces)
    if (f->face != nullptr) FT_Done_Face(f->face);
  s.faces.clear();
  if (s.library != nullptr) FT_Done_FreeType(s.library);
  s.library = nullptr;
}

namespace {

// All the values of a string property, joined by ','.
std::string joined_values(FcPattern* pattern, const char* object) {
  std::string out;
  FcChar8* value = nullptr;
  for (int k = 0; FcPatternGetString(pattern, object, k, &value) == FcResultMatch; ++k) {
    if (k > 0) out += ',';
    out += reinterpret_cast<const char*>(value);
  }
  return out;
}

}  // namespace

std::vector<TrueTypeFaceName> list_truetype_faces() {
  std::vector<TrueTypeFaceName> faces;
  if (FcInit() == FcFalse) return faces;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, nullptr);
  if (pattern != nullptr && objects != nullptr) {
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
      for (int k = 0; k < set->nfont; ++k)
        faces.push_back({joined_values(set->fonts[k], FC_FAMILY), joined_values(set->fonts[k], FC_STYLE)});
      FcFontSetDestroy(set);
    }
  }
  if (objects != nullptr) FcObjectSetDestroy(objects);
  if (pattern != nullptr) FcPatternDestroy(pattern);
  std::sort(faces.begin(), faces.end(), [](const TrueTypeFaceName& a, const TrueTypeFaceName& b) {
    return a.family != b.family ? a.family < b.family : a.style < b.style;
  });
  faces.erase(std::unique(faces.begin(), faces.end(),
                          [](const TrueTypeFaceName& a, const TrueTypeFaceName& b) {
                            return a.family == b.family && a.style == b.style;
                          }),
              faces.end());
  return faces;
}
