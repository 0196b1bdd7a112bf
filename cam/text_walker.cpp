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
  PointF anchor{0, 0};       // the arc's centre (arc text)
  double arc_angle = 0.0;    // polar angle where the next character's place starts (arc text)
  double arc_radius = 0.0;   // the circle the characters are stepped along (arc text)
  double sign = -1.0;        // the way round the arc: -1 clockwise, +1 counter-clockwise
  bool on_arc = false;
  bool vertical = false;
  int characters = 0;        // characters walked so far
  int cuts = 0;              // cutting moves sent
  std::string item_comment;  // the text's comment, sent once the first character is reached
  std::string char_comment;  // the name of the character being walked, when asked for
  std::string missing;       // characters the font lacks, not told before
};

// One character as the format codes leave it.
struct TextCharacter {
  const uint8_t* glyph = nullptr;  // null for a TrueType character
  double advance = 0.0;            // glyph units, as the font gives it
  double advance_world = 0.0;      // along the baseline, with size, kerning, spacing and width
  bool drawn = false;              // not a space
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

namespace {

// The angle a chord of the length spans on a circle of the radius.
double chord_angle(double length, double radius) {
  return 2.0 * std::asin(std::min(1.0, length / (2 * std::max(radius, 1e-6))));
}

PointF on_circle(const PointF& centre, double radius, double angle) {
  return PointF{static_cast<float>(centre.x + radius * std::cos(angle)),
                static_cast<float>(centre.y + radius * std::sin(angle))};
}

// Sets up the walk's geometry from the layout: the pen, the spacing, the start on a straight
// line or on the arc, and the glyph transform's mirroring.
void start_text_walk(const TextSetup& setup, TextWalk* tw) {
  const TextLayout& l = setup.layout;
  tw->h = setup.h;
  tw->pen = setup.centerline ? setup.cut : 0.0;
  tw->gap_pen = (!setup.truetype && l.font_number >= FONT_NUMBER_NO_PEN_SPACING) ? 0.0 : tw->pen;
  tw->spacing = l.spacing * l.height / setup.h;
  tw->width_factor = l.width_factor > 0.0f ? l.width_factor : 1.0;
  tw->angle = l.angle * ANGLE_PI / 180.0;
  tw->vertical = (l.flags & TEXT_FLAG_VERTICAL) != 0;
  tw->on_arc = l.arc_radius > 0.0f;
  tw->sign = l.arc_direction != 0 ? 1.0 : -1.0;
  tw->origin = l.start;
  tw->anchor = l.anchor;
  GlyphTransform& t = g_glyph_decoder.transform;
  t.slant = static_cast<float>(std::tan(l.slant * ANGLE_PI / 180.0));
  t.mirrored = (l.flags & TEXT_FLAG_MIRRORED) != 0;
  t.vertical = tw->vertical;
  if (!tw->on_arc) return;
  // The characters are stepped along the arc the layout measured them on: the arc itself for
  // vertical text, half a pen outside the band's inner edge for text along the arc. The band
  // holds one pen angle more than the characters and the pens between them: half of it before
  // the first character, half after the last.
  tw->arc_radius = tw->vertical ? l.arc_radius : l.arc_radius + tw->pen / 2;
  const double half_pen = chord_angle(tw->gap_pen, tw->arc_radius) / 2;
  tw->arc_angle = tw->sign > 0 ? l.arc_start + half_pen : l.arc_end - half_pen;
  if (tw->vertical || tw->sign < 0) return;
  // Counter-clockwise text runs the other way round: turned half round within its place (its
  // tops toward the centre), or, mirrored, reversed left to right with its tops outwards.
  t.arc_turn = !t.mirrored;
  t.arc_mirror = t.mirrored;
  t.mirrored = false;
}

// Walks the character in its place along the arc: the chord of its advance from the arc angle,
// its baseline on that chord (its tops there too when turned half round).
void place_on_arc(TextWalk* tw, const TextCharacter& ch, double gap) {
  const double r = std::max(tw->arc_radius, 1e-6);
  tw->arc_angle += tw->sign * chord_angle(gap, r);
  const double turn = chord_angle(ch.advance_world, r);
  const double middle = tw->arc_angle + tw->sign * turn / 2;
  GlyphTransform& t = g_glyph_decoder.transform;
  // Clockwise the glyph's X runs along the chord; the turned and mirrored glyphs negate X, so
  // the same frame runs them the other way.
  const double direction = middle - ANGLE_PI / 2;
  const PointF start = on_circle(tw->anchor, r, tw->arc_angle);
  t.mirror_shift = t.mirrored || t.arc_turn;
  if (ch.drawn) walk_character(tw, ch.glyph, start, direction, tw->h);
  tw->arc_angle += tw->sign * turn;
}

// Walks a character of a vertical text on an arc: its place is the chord of one glyph height
// along the arc, its glyph centred across the arc with its baseline at the place's far end.
void place_vertical_on_arc(TextWalk* tw, const TextCharacter& ch, double gap) {
  const double r = std::max(tw->arc_radius, 1e-6);
  if (tw->characters > 0) tw->arc_angle += tw->sign * chord_angle(gap, r);
  const double turn = chord_angle(tw->h, r);
  const double middle = tw->arc_angle + tw->sign * turn / 2;
  // The glyph's tops point back along the arc; its X runs across it (outwards when clockwise).
  const double up = middle - tw->sign * ANGLE_PI / 2;
  g_glyph_decoder.transform.half_advance = static_cast<float>(ch.advance / 2);
  const PointF base = on_circle(tw->anchor, r, tw->arc_angle + tw->sign * turn);
  if (ch.drawn) walk_character(tw, ch.glyph, base, up - ANGLE_PI / 2, tw->h);
  else ++tw->characters;
  tw->arc_angle += tw->sign * turn;
}

// Walks a character of a straight vertical text: the first one (1 - w / 2h) heights below
// the start, every later one (1 + spacing) heights and a pen further down, centred across.
void place_vertical(TextWalk* tw, const TextCharacter& ch) {
  const double h = tw->h;
  const double down = tw->characters == 0 ? (1.0 - tw->pen / (2 * h)) * h
                                          : (1.0 + tw->spacing) * h + tw->pen;
  PointF step{0.0f, static_cast<float>(-down)}, moved;
  rotate_vector(&step, tw->angle, &moved);
  tw->origin.x += moved.x;
  tw->origin.y += moved.y;
  g_glyph_decoder.transform.half_advance = static_cast<float>(ch.advance / 2);
  g_glyph_decoder.transform.mirror_shift = false;
  if (ch.drawn) walk_character(tw, ch.glyph, tw->origin, tw->angle, h);
  else ++tw->characters;
}

void place_straight(TextWalk* tw, const TextCharacter& ch, double gap) {
  PointF step{static_cast<float>(gap), 0.0f}, turned;
  rotate_vector(&step, tw->angle, &turned);
  tw->origin.x += turned.x;
  tw->origin.y += turned.y;
  g_glyph_decoder.transform.mirror_shift = g_glyph_decoder.transform.mirrored;
  if (ch.drawn) walk_character(tw, ch.glyph, tw->origin, tw->angle, tw->h);
  PointF along{static_cast<float>(ch.advance_world), 0.0f};
  rotate_vector(&along, tw->angle, &turned);
  tw->origin.x += turned.x;
  tw->origin.y += turned.y;
}

void place_character(TextWalk* tw, const TextCharacter& ch) {
  const double gap = tw->characters > 0 ? tw->gap_pen : 0.0;
  if (tw->on_arc && tw->vertical) place_vertical_on_arc(tw, ch, gap + tw->spacing * tw->h);
  else if (tw->on_arc) place_on_arc(tw, ch, gap);
  else if (tw->vertical) place_vertical(tw, ch);
  else place_straight(tw, ch, gap);
}

}  // namespace

int text_to_strokes(DrawingItem* item, PenMoveSink sink) {
  TextSetup setup;
  if (!setup_text_walk(item, &setup)) return 0;
  const std::string& text = item->text;
  const TextLayout& l = setup.layout;
  const bool truetype = setup.truetype;
  const uint32_t face = setup.face;
  StrokeFont* font = setup.font;
  const double h = setup.h;
  TextWalk tw;
  tw.sink = sink;
  tw.nc = g_walker.path_output_mode == PATH_OUTPUT_NC && !sink_is_collector(sink);
  reset_glyph_decoder();
  GlyphDecoder& d = g_glyph_decoder;
  d.inputs.tolerance = g_encoder_inputs.tolerance;
  d.inputs.text_height = h;
  d.inputs.proof_run = g_proof.run_level != 0;
  start_text_walk(setup, &tw);
  GlyphTransform& t = d.transform;
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
    TextCharacter ch;
    ch.drawn = c != ' ';
    if (truetype) {
      ch.advance = truetype_char_outline(c, face, d.inputs.tolerance, h);
    } else {
      ch.advance = font_advance(font, c);
      ch.glyph = font_glyph(font, c);
      if (ch.glyph == nullptr && ch.drawn) {
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
    ch.advance_world = ((ch.advance * scale - kern + tw.spacing + shift) * char_w) * h;
    t.width_factor = static_cast<float>(char_w);
    t.size = static_cast<float>(size);
    t.raise = static_cast<float>(raise);
    // Every working out of the heights from here on, the lift to the first character's start
    // included, takes this character's depth factor.
    g_walker.depth_factor = depth;
    if (tw.nc && tw.characters > 0) m.cut_z = item_cut_z();
    place_character(&tw, ch);
    reset_one_shot_values();
  }
  tell_missing_characters(tw, l.font_number);
  g_walker.depth_factor = 1.0;
  g_walker.highest_node_z = WALK_NO_HEIGHT;
  if (tw.characters > 0) store_heights(sink);
  return tw.cuts;
}
