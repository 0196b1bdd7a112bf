// The property page of an engraving text: the item panel of a text item, on the Drawing page and
// beside the Engraving list. It edits the text, its position, justification, wrapping on an arc,
// length, height, width ratio, spacing, font, display mode, slant and angle; every accepted
// value lays the text out again and rebuilds its frame. Of length, height and width ratio the
// user gives two and the third is computed.
#pragma once

#include <cstdint>
#include <string>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"
#include "text/text_layout.h"

// The three size values of the two-of-three rule.
constexpr uint8_t TEXT_SIZE_NONE = 0;
constexpr uint8_t TEXT_SIZE_LENGTH = 1;
constexpr uint8_t TEXT_SIZE_HEIGHT = 2;
constexpr uint8_t TEXT_SIZE_RATIO = 3;

// Display modes (field "Display").
constexpr uint8_t TEXT_DISPLAY_NORMAL = 0;
constexpr uint8_t TEXT_DISPLAY_MIRRORED = 1;
constexpr uint8_t TEXT_DISPLAY_VERTICAL = 2;
constexpr uint8_t TEXT_DISPLAY_VERTICAL_MIRRORED = 3;

// Font kinds of the font question and of the preference's text_font_kind.
constexpr uint8_t TEXT_FONT_ASK = 0;
constexpr uint8_t TEXT_FONT_STROKE = 1;
constexpr uint8_t TEXT_FONT_TRUETYPE = 2;

constexpr char TEXT_PAGE_SENSIBLE[] = "Enter a sensible value!";
constexpr char TEXT_PAGE_TOOL_TOO_LARGE[] = "Tool is too large\nfor that height!";
constexpr char TEXT_PAGE_RADIUS_TOO_SMALL[] = "Radius too small!";
constexpr char TEXT_PAGE_NO_FONT[] = "! pick a font !";

// The page's state while it is open.
struct TextPageState {
  uint8_t last_set = TEXT_SIZE_NONE;      // the size value the user set last
  uint8_t previous_set = TEXT_SIZE_NONE;  // the one set before it (of the other two)
  // What was 0 when the current field was entered: decides which value a new text, spacing,
  // font or display mode leaves to be computed.
  bool ratio_was_zero = false;
  bool height_was_zero = false;
  int list_column = 0;  // beside the Engraving list: the first column right of the list
  uint8_t font_kind_answer = 0;  // the last answer to the font question (0 stroke); the
                                 // preference's text_font_kind decides whether it is asked
};
extern TextPageState g_text_page;
// Forgets the size values set (a page opens); the font answer is kept for the next page.
void reset_text_page();

// ---- The rules (PAGE_VALUE_* results of editor/item_pages.h) ----
// Sets length, height or width ratio by the two-of-three rule.
int text_page_set_size(DrawingItem* item, uint8_t which, float value);
// After a new text, spacing, font or display mode: clears the value the layout is to compute.
void text_page_clear_computed(DrawingItem* item);
int text_page_set_text(DrawingItem* item, const std::string& text);
// The anchor (straight), the arc's centre (the item moves with it), or the offsets of a text
// that follows another.
int text_page_set_position(DrawingItem* item, PointF p);
// axis 0: X (start, centre, end); 1: Y (top, middle, bottom).
int text_page_set_justify(DrawingItem* item, int axis, uint8_t value);
int text_page_set_spacing(DrawingItem* item, float percent);
// Outside -70..70 the slant becomes 0.
int text_page_set_slant(DrawingItem* item, float degrees);
// A straight text's angle, or the angle an arc text is centred around; into 0..360.
int text_page_set_angle(DrawingItem* item, float degrees);
int text_page_set_display(DrawingItem* item, uint8_t mode);
// A straight text wrapped on an arc of this inner radius (0: nothing changes).
int text_page_wrap(DrawingItem* item, float radius);
// Frame link 0's radius of a text on an arc; the band keeps its height. 0 makes it straight.
int text_page_set_edge_radius(DrawingItem* item, float radius);
// Frame link 2's radius: the height follows (counts as setting the height).
int text_page_set_inner_radius(DrawingItem* item, float radius);
// 0 clockwise, 1 counter-clockwise.
int text_page_set_direction(DrawingItem* item, uint8_t direction);
// A TrueType face by its 60-byte description: font number 0, spacing 0.
int text_page_set_truetype_font(DrawingItem* item, const uint8_t log_font[TL_LOG_FONT_SIZE]);
int text_page_set_stroke_font(DrawingItem* item, int16_t font_number);
// Lays the text out after an accepted change and rebuilds its frame.
void text_page_relayout(DrawingItem* item);

// The display mode of a layout.
uint8_t text_display_mode(const TextLayout& l);
// The name shown for the font of a layout.
std::string text_font_name(const TextLayout& l);

// ---- The page ----
// The form of a text item by its layout: straight, on an arc, vertical on an arc.
int text_page_form(DrawingItem* item);
EventCode text_item_page_field();
// Shows help line n of the page on the status line.
void show_text_field_help(int n);
// Runs the page of a text item in the side panel (again when the text became straight, was
// wrapped or turned vertical, which changes its fields).
void run_text_item_page(DrawingItem* item);
