// The line list store: every list of the program (editing buffers, NC program lines, menus,
// dialog fields, windows, drawing items, fonts, tools, undo records, file lists) is a doubly
// linked list of TextLine nodes. All primitives work on one current list; push_list/pop_list
// and the numbered slots keep other lists aside. Lists own their nodes and each node owns its
// extra block; the current list, the stack and the slots only hold list ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

// ---- The node -------------------------------------------------------------------------------

// The extra block a line owns: raw bytes whose layout is the list's business (a GeometryBlock
// in the drawing list, a TextWindow in a window list, a FoldRecord in a placeholder, a 32-byte
// tool record, a folder path, glyph data). Empty means "no extra block".
using LineExtra = std::vector<uint8_t>;

struct TextLine {
  TextLine* prev = nullptr;    // previous line, null at the head of its chain
  TextLine* next = nullptr;    // next line, null at the tail of its chain
  LineExtra extra;             // owned, freed with the line; empty = none
  int16_t id = 0;              // ordinal; renumber_lines sets 1..n (tool, font, field number...)
  uint8_t kind = 0;            // list-specific kind bits, LINE_KIND_*
  uint8_t state = 0;           // per-line state bits, LINE_STATE_*
  uint8_t attributes[16] = {}; // list-specific; i32 key little-endian in bytes 8..11
  int16_t text_length = 0;     // == text.size(), always below LINE_TEXT_MAX + 1
  std::string text;            // raw cp1252 bytes with in-band codes; text.c_str() is zero-ended.
                               // Change its length only through set_line_text.
};

// A list named by its ends; both null for an empty list.
struct LineList {
  TextLine* first = nullptr;
  TextLine* last = nullptr;
};

// A compare hook: negative, zero or positive like a string compare. Only the sign counts.
using LineCompare = int (*)(const TextLine* a, const TextLine* b);

// Kind bits used across lists; other values belong to the list (e.g. a drawing item's type).
constexpr uint8_t LINE_KIND_CENTRED = 0x04;      // paragraph indent kind: centred line
constexpr uint8_t LINE_KIND_INDENTED = 0x08;     // paragraph indent kind kept by word wrap
constexpr uint8_t LINE_KIND_PARAGRAPH = 0x10;    // starts a paragraph
constexpr uint8_t LINE_KIND_HIDDEN = 0x40;       // hidden line / window not shown
constexpr uint8_t LINE_KIND_PLACEHOLDER = 0x80;  // exactly this value: folded or unread run
constexpr uint8_t LINE_KIND_COPIED_MASK = 0x0F;  // the kind bits insert_line copies

// State bits.
constexpr uint8_t LINE_STATE_CHECKED = 0x01;
constexpr uint8_t LINE_STATE_SUBMENU = 0x08;     // menus: the item has a submenu
constexpr uint8_t LINE_STATE_MENU_EXIT = 0x10;   // menus: choosing it sets the menu-exit depth
constexpr uint8_t LINE_STATE_REDRAW = 0x20;      // to be redrawn by the window redraw
constexpr uint8_t LINE_STATE_ACTIVATED = 0x40;   // window list: the window has been activated

// Texts are counted in 16 bits: a longer text is refused, never cut.
constexpr int32_t LINE_TEXT_MAX = 32767;
// insert_line copies this many leading attribute bytes from the line it inserts after.
constexpr int LINE_ATTRIBUTES_COPIED = 14;
// Byte offset of the i32 key (item ID in the drawing list, line number in editing buffers).
constexpr int LINE_KEY_OFFSET = 8;

// ---- Numbered list slots ----------------------------------------------------------------------

constexpr int LIST_SLOT_COUNT = 16;
constexpr int LIST_SLOT_TEXT_CLIPBOARD = 1;   // the editor's cut and copy buffer
constexpr int LIST_SLOT_REPLACE_LINES = 4;    // replacement text of a replace, in lines
constexpr int LIST_SLOT_NC_PROGRAM = 6;       // lines of the generated NC program
constexpr int LIST_SLOT_FONTS = 7;            // stroke fonts (id = font number)
constexpr int LIST_SLOT_TOOLS = 8;            // tool list (id = tool number)
constexpr int LIST_SLOT_EDIT_ORIGINALS = 10;  // originals of the items of the open edit
constexpr int LIST_SLOT_TOOL_PATHS = 11;      // items made from generated pocket tool paths
constexpr int LIST_SLOT_UNDO = 13;            // the drawing undo store

// Ids handed out by first_unused_line_id.
constexpr int16_t LINE_ID_FIRST_FREE = 1;
constexpr int16_t LINE_ID_LAST_FREE = 29999;

// ---- State ----------------------------------------------------------------------------------

struct ListStore {
  LineList current;              // the list every primitive works on
  std::vector<LineList> stack;   // saved lists, last pushed at the back; grows, never drops a push
  LineList slots[LIST_SLOT_COUNT];  // numbered lists kept aside; entries may be set directly

  // The active window's cursor line and marked-block lines. The window layer loads them on
  // activation and stores them back; delete_line and set_line_text keep them valid.
  TextLine* cursor_line = nullptr;
  TextLine* block_start = nullptr;
  TextLine* block_end = nullptr;
  int32_t lines_changed = 0;     // raised by any change of the active window's lines; the
                                 // window redraw clears it; a sort refolds runs when it is set

  LineCompare compare = nullptr; // hook of the running or last sort
  uint8_t keep_ids = 0;          // 1: sort_range leaves the ids alone (callers raise and clear it)
  uint8_t sorting = 0;           // 1 while a sort runs; folding does nothing meanwhile
};
extern ListStore g_lists;

// Forgets every list end (current, stack, slots, window references) and the sort state.
// Frees nothing: lists belong to their owners.
void reset_list_store();

// ---- Creating and re-texting lines ------------------------------------------------------------

// New line at the tail of the current list; null text gives an empty text. kind, state, id and
// attributes are zero. Null (list unchanged) when memory runs out or the text is too long.
TextLine* append_line(const char* text, LineExtra extra = {});
// New line after `after` (null: before the first line). Given an `after`, the new line takes
// after's first 14 attribute bytes and its kind & 0x0F. Null (list unchanged) on failure.
TextLine* insert_line(const char* text, LineExtra extra, TextLine* after);
// Gives the line a new text (which may be the line's own text or a part of it). The node does
// not move, so list ends, cursor and block lines stay valid. Returns the line; a text over
// LINE_TEXT_MAX or exhausted memory leaves the line as it was. Null line gives null.
TextLine* set_line_text(const char* text, TextLine* line);

// ---- Deleting lines ---------------------------------------------------------------------------

// Unlinks and frees the line and its extra (a placeholder also releases its fold record and run);
// fixes the current list's ends; a deleted cursor line moves to the successor or the new last
// line; a deleted block start or end line is forgotten (null). Returns the successor.
TextLine* delete_line(TextLine* line);
// As delete_line, but returns the new last line when the deleted line was the tail.
TextLine* delete_line_or_last(TextLine* line);
// Walks back to the head of the line's chain and deletes every line. Null does nothing.
void free_list(TextLine* line);
// free_list of the current list, then clear_current_list.
void free_current_list();
// Forgets the current list (first = last = null) without freeing it.
void clear_current_list();
// Deletes every line with LINE_STATE_CHECKED; returns how many.
int32_t delete_checked_lines();

// ---- List stack and slots ---------------------------------------------------------------------

// Saves the current list's ends; the current list stays current. Returns the new depth, or -1
// (nothing saved) when memory runs out.
int push_list();
// Makes the last saved list current. Returns 1, or 0 (nothing changed) on an empty stack.
int pop_list();
// Stores the current list's ends in slot n / makes slot n the current list. Return 1, or 0
// (nothing changed) for n outside 0..15.
int save_list_slot(int n);
int load_list_slot(int n);

// ---- Ends, counts and look-ups ---------------------------------------------------------------

// Walk the current list's first (last) pointer to the true end, store and return it.
TextLine* fix_list_first();
TextLine* fix_list_last();
// First line of the chain that holds the line; null for null.
TextLine* list_head_of(TextLine* line);
// The n-th line of the current list counting from 0, or null.
TextLine* nth_line(int32_t n);
int32_t count_current_lines();
int32_t count_lines_from(TextLine* line);
// Lines reached from the first line by next_visible_line, counting the first line.
int32_t count_visible_lines();
int32_t count_checked_lines();
int any_line_checked();
void clear_line_states();
// Sets the ids to 1, 2, ... in list order (ids stop at 32767 on longer lists); returns the count.
int32_t renumber_lines();

// The i32 key of attribute bytes 8..11 (little-endian).
int32_t line_key(const TextLine* line);
void set_line_key(TextLine* line, int32_t key);

TextLine* find_line_by_key(int32_t key);
TextLine* find_line_by_id(int16_t id);
TextLine* find_line_by_id_from(TextLine* line, int16_t id);
// Smallest id 1..29999 no line of the current list has; 0 when all are used.
int16_t first_unused_line_id();
// First line from `line` on whose extra, read as a text (up to its first zero byte or the end of
// the block), equals the text. Null when none or when text is null.
TextLine* find_line_by_extra_text(const char* text, TextLine* line);

// ---- Moving lines and splicing chains -----------------------------------------------------------

// Moves a line of the current list behind `after` (null: to the front). Returns the line.
TextLine* move_line_after(TextLine* line, TextLine* after);
// Unlinks a line from the current list and links it behind `after` in another chain (with after
// null the line is left alone). Returns the line; `after` when line is null.
TextLine* move_line_to_list(TextLine* line, TextLine* after);
// Unlinks a line from its chain and inserts it into the current list behind `after` (null: as
// the first line). *chain_first receives the chain's head after the removal. Returns the line's
// old successor.
TextLine* take_line_into_list(TextLine* line, TextLine* after, TextLine** chain_first);
// Links the chain first..last after the current list's tail. Either null, or the current list
// itself, does nothing.
void append_chain(TextLine* first, TextLine* last);
// Appends the whole chain that holds the line to the current list.
void append_list_of(TextLine* line);
// Appends the whole chain of `line` to the list that holds `target`; returns that list's new
// last line.
TextLine* append_chain_to_list_of(TextLine* line, TextLine* target);
// Appends the whole current list to the list that holds `target`, then forgets the current list;
// returns the joined list's last line.
TextLine* append_current_list_to(TextLine* target);

// ---- Sorting --------------------------------------------------------------------------------

// Sorts the current list with the hook when it has two or more lines.
void sort_list(LineCompare compare);
// Sorts first..last (first standing before last in the current list) with g_lists.compare.
// Folded runs inside are brought back first. Unless keep_ids is raised, renumbers the list
// afterwards and folds distant runs again when lines changed.
void sort_range(TextLine* first, TextLine* last);

// Compare hooks.
int compare_line_ids(const TextLine* a, const TextLine* b);
int compare_line_keys(const TextLine* a, const TextLine* b);
// Text order that skips in-band codes (bytes below 0x20; a byte 1..8 with the byte after it).
int compare_line_texts(const TextLine* a, const TextLine* b);
// Whole texts, ignoring case.
int compare_texts_from_column(const TextLine* a, const TextLine* b);

// ---- Typed access to the extra block ---------------------------------------------------------

// The extra block read as a record T (null when the line is null or its block is smaller).
// Records kept in extra blocks are trivially copyable and need no stricter alignment than the
// allocator's.
template <class T>
T* line_extra_as(TextLine* line) {
  static_assert(std::is_trivially_copyable_v<T>);
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  if (line == nullptr || line->extra.size() < sizeof(T)) return nullptr;
  return std::launder(reinterpret_cast<T*>(line->extra.data()));
}

template <class T>
const T* line_extra_as(const TextLine* line) {
  return line_extra_as<T>(const_cast<TextLine*>(line));
}

// An extra block holding a copy of the record followed by `tail_bytes` zero bytes.
template <class T>
LineExtra make_line_extra(const T& record, size_t tail_bytes = 0) {
  static_assert(std::is_trivially_copyable_v<T>);
  LineExtra extra(sizeof(T) + tail_bytes, 0);
  std::memcpy(extra.data(), &record, sizeof(T));
  return extra;
}
