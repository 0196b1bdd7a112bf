#include "pages/text_fonts.h"

#include <algorithm>
#include <cstring>

#include "editor/font_picker.h"
#include "platform/truetype.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "text/stroke_fonts.h"
#include "text/truetype_faces.h"
#include "ui/message_box.h"
#include "screen/main_form.h"

namespace {

constexpr int WEIGHT_NORMAL = 400;
constexpr int WEIGHT_BOLD = 700;

std::string first_name(const std::string& names) { return names.substr(0, names.find(',')); }

bool has_word(const std::string& style, const char* word) {
  return style.find(word) != std::string::npos;
}

}  // namespace

std::vector<TrueTypeChoice> truetype_choices() {
  std::vector<TrueTypeChoice> out;
  for (const TrueTypeFaceName& face : list_truetype_faces()) {
    TrueTypeChoice c;
    c.family = first_name(face.family);
    const std::string style = first_name(face.style);
    if (c.family.empty() || c.family.size() >= LOG_FONT_FACE_SIZE) continue;
    c.weight = has_word(style, "Bold") ? WEIGHT_BOLD : WEIGHT_NORMAL;
    c.italic = has_word(style, "Italic") || has_word(style, "Oblique");
    c.line = c.family + (c.weight == WEIGHT_BOLD ? " Bold" : "") + (c.italic ? " Italic" : "");
    const bool known = std::any_of(out.begin(), out.end(), [&](const TrueTypeChoice& o) {
      return o.family == c.family && o.weight == c.weight && o.italic == c.italic;
    });
    if (!known) out.push_back(c);
  }
  return out;
}

int choose_truetype_font(uint8_t log_font[TL_LOG_FONT_SIZE]) {
  const std::vector<TrueTypeChoice> faces = truetype_choices();
  if (faces.empty()) {
    show_text_box(NO_TRUETYPE_FACES, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  push_list();
  clear_current_list();
  for (size_t k = 0; k < faces.size(); ++k) {
    TextLine* line = append_line(faces[k].line.c_str());
    if (line != nullptr) line->id = static_cast<int16_t>(std::min<size_t>(k, INT16_MAX));
  }
  const int id = run_font_list(TRUETYPE_LIST_TITLE);
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  if (id < 0 || static_cast<size_t>(id) >= faces.size()) return 0;
  const TrueTypeChoice& c = faces[static_cast<size_t>(id)];
  set_truetype_description(log_font, c.family.c_str(), c.weight, c.italic);
  return 1;
}
