// The text walker: a text item's characters into pen moves, through its stroke font or its
// TrueType outlines, each character between 'b' and 'f', with the format codes, the pen width
// between characters, arcs, vertical text and the NC comments of its glyphs.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cam/item_walkers.h"
#include "cam/item_walkers_internal.h"
#include "nc/cam_host.h"
#include "nc/path_code.h"
#include "nc/proof_file.h"
#include "records/job_settings.h"
#include "text/glyph_decoder.h"
#include "text/stroke_fonts.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"

using walker_internal::reach_start;
using walker_internal::send_move;
using walker_internal::sink_is_collector;
using walker_internal::store_heights;
using walker_internal::WALK_NO_HEIGHT;

namespace {

// The walk of one text: its transform, pen width, per-character one-shot values and position.
struct TextWalk {
  PenMoveSink sink = nullptr;
  bool nc = false;
  double h = 0.0;            // height of the glyphs, world units (the height less the pen)
  double pen = 0.0;          // pen width w, world units
  double gap_pen = 0.0;      // the pen width between characters (0 for fonts 2000 and up)
  double spacing = 0.0;      // letter spacing in glyph units
  double width_factor = 1.0;
  double angle = 0.0;        // radians
  PointF origin{0, 0};       // the next character's origin (straight text)
  double arc_angle = 0.0;    // polar angle of the next character's origin (arc text)
  double arc_radius = 0.0;   // baseline radius (arc text)
  bool on_arc = false;
  bool counter_clockwise = false;
  bool vertical = false;
  int characters = 0;        // characters walked so far
  int cuts = 0;              // cutting moves sent
  std::string item_comment;  // the text's comment, sent once the first character is reached
  std::string char_comment;  // the name of the character being walked, when asked for
  std::string missing;       // characters the font lacks, not told before
};

// A comment line in the NC program, from where the pen stands.
void send_comment(TextWalk* tw, const std::string& text) {
  g_encoder_inputs.current_comment = text;
  send_move(tw->sink, PEN_COMMENT);
  g_encoder_inputs.current_comment.clear();
}

// The name of a character: its glyph's name in a stroke font, the character itself in a
// TrueType face; empty when the font lacks it.
std::string character_name(const StrokeFont* font, uint8_t c) {
  if (font == nullptr) return std::string(1, static_cast<char>(c));
  if (c == ' ') return " ";
  const uint8_t* glyph = font_glyph(font, c);
  return glyph == nullptr ? std::string() : font_glyph_name(glyph);
}

// The comment of a whole text: the names of its characters, format codes left out.
std::string text_comment(const std::string& text, const StrokeFont* font) {
  std::string out;
  for (size_t at = 0; at < text.size(); ++at) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    if (c == '\n') break;
    if (c >= FORMAT_KERNING && c <= FORMAT_DEPTH) {
      ++at;
      continue;
    }
    if (c < 32 || c == FORMAT_SKIP) continue;
    out += character_name(font, c);
  }
  return out;
}

// Characters a font lacks are told once per font and character in an NC run (and once
// between runs for the drawing), in one message per text, never once per pass or redraw.
void note_missing_character(TextWalk* tw, int16_t font_number, uint8_t c) {
  const int32_t key = font_number * 256 + c;
  std::vector<int32_t>& told = g_walker.missing_told;
  if (std::find(told.begin(), told.end(), key) != told.end()) return;
  told.push_back(key);
  tw->missing += static_cast<char>(c);
}

void tell_missing_characters(const TextWalk& tw, int16_t font_number) {
  if (tw.missing.empty()) return;
  const bool one = tw.missing.size() == 1;
  const std::string message = std::string(one ? "The character " : "The characters ") +
                              tw.missing + (one ? " is" : " are") + " not in font " +
                              std::to_string(font_number) + ".";
  host_show_message(message.c_str());
}

void set_rotation(double angle, double scale) {
  g_float2d.rotation_cos = std::cos(angle) * scale;
  g_float2d.rotation_sin = std::sin(angle) * scale;
}

void send_counted(TextWalk* tw) {
  const char c = g_pen_move.code;
  if (c == '1' || c == '2' || c == '3') ++tw->cuts;
  tw->sink();
}

// Positions the pen on a character's first point: the first character of the item like any
// item's start, every later one by a lift and a rapid.
void position_character(TextWalk* tw, const PointF& target) {
  PenMove& m = g_pen_move;
  m.dx = target.x - m.x;
  m.dy = target.y - m.y;
  if (tw->characters == 0) {
    if (tw->nc) set_item_depths();
    reach_start(tw->sink, target, PEN_UP);
    return;
  }
  send_move(tw->sink, PEN_RETRACT);
  m.dx = target.x - m.x;
  m.dy = target.y - m.y;
  g_encoder_inputs.no_subdivision = 1;
  send_move(tw->sink, PEN_UP);
  g_encoder_inputs.no_subdivision = 0;
}

// Walks one character from its origin along the baseline direction.
void walk_character(TextWalk* tw, const uint8_t* glyph, const PointF& origin, double direction,
                    double glyph_height) {
  GlyphTransform& t = g_glyph_decoder.transform;
  PenMove& m = g_pen_move;
  m.code = PEN_BEGIN_ITEM;
  tw->sink();
  set_rotation(direction, glyph_height);
  t.first_move = true;
  t.mirror_shift = t.mirrored;
  const uint8_t* next = next_text_move(glyph);
  t.first_move = false;
  position_character(tw, PointF{origin.x + m.dx, origin.y + m.dy});
  if (tw->nc) {
    if (!tw->item_comment.empty()) send_comment(tw, tw->item_comment);
    tw->item_comment.clear();
    if (!tw->char_comment.empty()) send_comment(tw, tw->char_comment);
  }
  while (next != nullptr) {
    next = next_text_move(next);
    if (next == nullptr) break;
    send_counted(tw);
  }
  m.dx = m.dy = 0.0f;
  send_move(tw->sink, PEN_FINISH_ITEM);
  ++tw->characters;
}

// What a text's walk starts from; false when the text can send nothing (no printable glyph,
// an effective height of 0, a font or face that cannot be had).
struct TextSetup {
  TextLayout layout;
  CamParams params;
  bool centerline = false;
  double cut = 0.0;
  double h = 0.0;
  bool truetype = false;
  uint32_t face = 0;
  StrokeFont* font = nullptr;
};

bool setup_text_walk(DrawingItem* item, TextSetup* s) {
  const std::string& text = item->text;
  if (text.empty() || text[0] == '\n') return false;
  GeometryBlock* block = item_block(item);
  const uint8_t* stored = block_text_layout(block);
  if (stored == nullptr || !get_block_cam(block, &s->params)) return false;
  read_text_layout(stored, &s->layout);
  const TextLayout& l = s->layout;
  s->centerline = s->params.operation <= CAM_OP_CENTERLINE;
  s->cut = s->centerline ? s->params.finishing.cut_width : 0.0;
  s->h = l.height - s->cut;
  if (!(s->h > 0.000001)) return false;
  s->truetype = layout_is_truetype(l);
  s->face = s->truetype ? find_truetype_face(l.log_font) : 0;
  if (s->truetype) {
    if (s->face == 0) return false;
  } else {
    s->font = font_with_table(l.font_number);
    if (s->font == nullptr || !load_font_stream(s->font)) return false;
    if (l.font_number < FONT_NUMBER_SYMBOL_BASE)
      for (int k = 0; k < 8 && s->h < s->cut; ++k) {
        s->cut = s->h;
        s->h = l.height - s->cut;
      }
  }
  for (const char ch : text) {
    const uint8_t c = static_cast<uint8_t>(ch);
    if (c == '\n') break;
    if (c > ' ' && c != FORMAT_SKIP && (s->truetype || font_glyph(s->font, c) != nullptr))
      return true;
  }
  return false;
}

}  // namespace

bool text_has_strokes(DrawingItem* item) {
  TextSetup setup;
  return setup_text_walk(item, &setup);
}

int text_to_strokes(DrawingItem* item, PenMoveSink sink) {
  TextSetup setup;
  if (!setup_text_walk(item, &setup)) return 0;
  const std::string& text = item->text;
  const TextLayout& l = setup.layout;
  const bool truetype = setup.truetype;
  const uint32_t face = setup.face;
  StrokeFont* font = setup.font;
  const double h = setup.h;
  const double cut = setup.cut;
  const bool centerline = setup.centerline;
  TextWalk tw;
  tw.sink = sink;
  tw.nc = g_walker.path_output_mode == PATH_OUTPUT_NC && !sink_is_collector(sink);
  tw.h = h;
  tw.pen = centerline ? cut : 0.0;
  tw.gap_pen = (!truetype && l.font_number >= FONT_NUMBER_NO_PEN_SPACING) ? 0.0 : tw.pen;
  tw.spacing = l.spacing * l.height / h;
  tw.width_factor = l.width_factor > 0.0f ? l.width_factor : 1.0;
  tw.angle = l.angle * ANGLE_PI / 180.0;
  tw.vertical = (l.flags & TEXT_FLAG_VERTICAL) != 0;
  tw.on_arc = l.arc_radius > 0.0f && !tw.vertical;
  tw.counter_clockwise = l.arc_direction != 0;
  tw.origin = l.start;
  if (tw.on_arc) {
    // Clockwise text stands on the inner edge of the band, counter-clockwise text hangs from
    // the outer edge; both read along the arc.
    tw.arc_radius = tw.counter_clockwise ? l.arc_radius + l.height - tw.pen / 2
                                         : l.arc_radius + tw.pen / 2;
    // The band holds one pen angle more than the characters and the pens between them: half of
    // it before the first character, half after the last.
    const double half_pen = std::asin(std::min(1.0, tw.pen / 2 / std::max(tw.arc_radius, 1e-6)));
    tw.arc_angle = tw.counter_clockwise ? l.arc_start + half_pen : l.arc_end - half_pen;
  }
  reset_glyph_decoder();
  GlyphDecoder& d = g_glyph_decoder;
  d.inputs.tolerance = g_encoder_inputs.tolerance;
  d.inputs.text_height = h;
  d.inputs.proof_run = g_proof.run_level != 0;
  GlyphTransform& t = d.transform;
  t.slant = static_cast<float>(std::tan(l.slant * ANGLE_PI / 180.0));
  t.mirrored = (l.flags & TEXT_FLAG_MIRRORED) != 0;
  PenMove& m = g_pen_move;
  m.dx = m.dy = 0.0f;
  const uint8_t comment_mode = tw.nc ? g_job_settings.comment_mode : 0;
  if ((comment_mode & 1) != 0 && (truetype || l.font_number < FONT_NUMBER_SYMBOL_BASE))
    tw.item_comment = text_comment(text, font);
  // One-shot values of the format codes.
  double shift = 0.0, size = 0.0, raise = 0.0, depth = 1.0, char_w = tw.width_factor;
  bool keep = false;
  // After each character (a skipped one too) unless the keep code preceded it.
  auto reset_one_shot_values = [&] {
    shift = 0.0;
    if (!keep) {
      size = 0.0;
      raise = 0.0;
      depth = 1.0;
      char_w = tw.width_factor;
    }
    keep = false;
  };
  for (size_t at = 0; at < text.size(); ++at) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    if (c == '\n') break;
    if (c >= FORMAT_KERNING && c <= FORMAT_DEPTH) {
      if (at + 1 >= text.size()) break;
      const int arg = static_cast<uint8_t>(text[++at]);
      if (c == FORMAT_KERNING) shift += (arg - FORMAT_PERCENT_BASE) * 0.01;
      else if (c == FORMAT_RAISE) raise = (arg - FORMAT_RAISE_BASE) * 0.02;
      else if (c == FORMAT_SIZE) size = (arg - 32) * FORMAT_SIZE_STEP;
      // The width code is read on the size code's scale, as in measuring and arc layout.
      else if (c == FORMAT_WIDTH) char_w = (arg - 32) * FORMAT_SIZE_STEP * tw.width_factor;
      else depth = (arg - FORMAT_PERCENT_BASE) * 0.01;
      continue;
    }
    if (c == FORMAT_WIDTH_RESET) { char_w = 1.0; continue; }
    if (c == FORMAT_KEEP) { keep = true; continue; }
    if (c < 32 || c == FORMAT_SKIP) continue;
    const uint8_t next = at + 1 < text.size() ? static_cast<uint8_t>(text[at + 1]) : 0;
    double advance;
    const uint8_t* glyph = nullptr;
    if (truetype) {
      advance = truetype_char_outline(c, face, d.inputs.tolerance, h);
    } else {
      advance = font_advance(font, c);
      glyph = font_glyph(font, c);
      if (glyph == nullptr && c != ' ') {
        // Codes above the font's table too: a character is never dropped in silence.
        note_missing_character(&tw, l.font_number, c);
        reset_one_shot_values();
        continue;
      }
    }
    tw.char_comment = (comment_mode & 2) != 0 ? character_name(font, c) : std::string();
    const double scale = size != 0.0 ? size : 1.0;
    const double kern = (!truetype && size == 0.0)
                            ? kern_pair_offset(font->table.kerning, font->table.has_kerning, c, next)
                            : 0.0;
    const double advance_world = ((advance * scale - kern + tw.spacing + shift) * char_w) * h;
    t.width_factor = static_cast<float>(char_w);
    t.size = static_cast<float>(size);
    t.raise = static_cast<float>(raise);
    // Every working out of the heights from here on, the lift to the first character's start
    // included, takes this character's depth factor.
    g_walker.depth_factor = depth;
    if (tw.nc && tw.characters > 0) m.cut_z = item_cut_z();
    const double gap = tw.characters > 0 ? tw.gap_pen : 0.0;
    if (tw.on_arc) {
      const double sign = tw.counter_clockwise ? 1.0 : -1.0;
      const double r = std::max(tw.arc_radius, 1e-6);
      tw.arc_angle += sign * 2.0 * std::asin(std::min(1.0, gap / (2 * r)));
      const double turn = 2.0 * std::asin(std::min(1.0, advance_world / (2 * r)));
      const PointF o{static_cast<float>(l.anchor.x + r * std::cos(tw.arc_angle)),
                     static_cast<float>(l.anchor.y + r * std::sin(tw.arc_angle))};
      const double middle = tw.arc_angle + sign * turn / 2;
      const double direction = middle + sign * ANGLE_PI / 2;
      if (c != ' ' && (glyph != nullptr || truetype))
        walk_character(&tw, glyph, o, direction, h);
      tw.arc_angle += sign * turn;
    } else if (tw.vertical) {
      const double down = tw.characters == 0 ? (1.0 - tw.pen / (2 * h)) * h
                                             : (1.0 + tw.spacing) * h + tw.pen;
      PointF step{static_cast<float>(-advance * h * char_w / 2), static_cast<float>(-down)};
      PointF turned;
      rotate_vector(&step, tw.angle, &turned);
      const PointF o{tw.origin.x + turned.x, tw.origin.y + turned.y};
      if (c != ' ' && (glyph != nullptr || truetype)) walk_character(&tw, glyph, o, tw.angle, h);
      else ++tw.characters;
      PointF down_only{0.0f, static_cast<float>(-down)}, moved;
      rotate_vector(&down_only, tw.angle, &moved);
      tw.origin.x += moved.x;
      tw.origin.y += moved.y;
    } else {
      PointF step{static_cast<float>(gap), 0.0f}, turned;
      rotate_vector(&step, tw.angle, &turned);
      tw.origin.x += turned.x;
      tw.origin.y += turned.y;
      if (c != ' ' && (glyph != nullptr || truetype))
        walk_character(&tw, glyph, tw.origin, tw.angle, h);
      PointF along{static_cast<float>(advance_world), 0.0f};
      rotate_vector(&along, tw.angle, &turned);
      tw.origin.x += turned.x;
      tw.origin.y += turned.y;
    }
    reset_one_shot_values();
  }
  tell_missing_characters(tw, l.font_number);
  g_walker.depth_factor = 1.0;
  g_walker.highest_node_z = WALK_NO_HEIGHT;
  if (tw.characters > 0) store_heights(sink);
  return tw.cuts;
}

