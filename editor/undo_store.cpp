#include "editor/undo_store.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/marks.h"
#include "editor/page_furniture.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "store/store_host.h"
#include "text/text_layout.h"
#include "ui/message_box.h"

UndoStore g_undo;

namespace {

// The stored messages: their word "undo" ("undos") is turned into Undo or Redo by writing over
// its first two letters.
constexpr char NOTHING_TO_UNDO[] = "Nothing to undo.";
constexpr char OTHER_PAGE_UNDO[] =
    "The next undos are for editing you did at the \vDrawing page\x13!\nThis version requires "
    "you to switch to Drawing page to undo or redo items you did there.";
constexpr uint32_t NOTHING_STYLE = TEXTBOX_TIMED | 12;
constexpr uint32_t PAGE_RULE_STYLE = TEXTBOX_PRESS_A_KEY;
constexpr int UNDO_PUSH_LIMIT = UNDO_MOST_RECORDS - 1;

bool is_move_kind(uint8_t kind) {
  return kind == UNDO_ADDED || kind == UNDO_DELETED || kind == UNDO_REPLACED_ONE ||
         kind == UNDO_REPLACED || kind == UNDO_REPLACED_ORIGINALS;
}

// The kinds whose record means something without copies behind it.
bool stands_alone(uint8_t kind) {
  return kind == UNDO_ADDED || kind == UNDO_DELETED || kind == UNDO_REPLACED_ONE ||
         kind == UNDO_REPLACED;
}

// The two halves of one replacement, undone and redone together: the record of the new items
// and, right after it, the record of the originals they replaced.
bool is_replacement_pair(const TextLine* first, const TextLine* second) {
  if (first == nullptr || second == nullptr) return false;
  const uint8_t a = undo_record_kind(first);
  const uint8_t b = undo_record_kind(second);
  return (a == UNDO_REPLACED_ONE && b == UNDO_ORIGINALS) ||
         (a == UNDO_REPLACED && b == UNDO_REPLACED_ORIGINALS);
}

// The message with "Un" or "Re" over the first two letters of the word at `word`.
std::string with_word(const char* text, const char* word, const char* two_letters) {
  std::string s = text;
  const size_t at = s.find(word);
  if (at != std::string::npos) s.replace(at, 2, two_letters);
  return s;
}

// ---- raw list surgery (the store is not the current list while the drawing is) ----

void unlink_node(LineList& list, TextLine* node) {
  if (node->prev != nullptr) node->prev->next = node->next;
  else list.first = node->next;
  if (node->next != nullptr) node->next->prev = node->prev;
  else list.last = node->prev;
  node->prev = node->next = nullptr;
}

void insert_after(LineList& list, TextLine* after, TextLine* node) {
  node->prev = after;
  node->next = after != nullptr ? after->next : list.first;
  if (node->next != nullptr) node->next->prev = node;
  else list.last = node;
  if (after != nullptr) after->next = node;
  else list.first = node;
}

void append_node(LineList& list, TextLine* node) { insert_after(list, list.last, node); }

// Frees one node of the store.
void free_store_node(TextLine* node) {
  unlink_node(undo_list(), node);
  free_list(node);
}

// Exchanges the places of a node of one list and a node of another.
void swap_between(LineList& a_list, TextLine* a, LineList& b_list, TextLine* b) {
  TextLine* a_prev = a->prev;
  TextLine* b_prev = b->prev;
  unlink_node(a_list, a);
  unlink_node(b_list, b);
  insert_after(a_list, a_prev, b);
  insert_after(b_list, b_prev, a);
}

UndoRecord* record_of(TextLine* node) { return line_extra_as<UndoRecord>(node); }

TextLine* record_before(TextLine* node) {
  TextLine* r = node != nullptr ? node->prev : nullptr;
  while (r != nullptr && !is_undo_record(r)) r = r->prev;
  return r;
}

TextLine* record_after(TextLine* node) {
  TextLine* r = node != nullptr ? node->next : nullptr;
  while (r != nullptr && !is_undo_record(r)) r = r->next;
  return r;
}

void add_record_id(TextLine* node, int32_t id) {
  UndoRecord* r = record_of(node);
  if (r == nullptr) return;
  const size_t at = sizeof(UndoRecord) + sizeof(int32_t) * static_cast<size_t>(r->id_count);
  node->extra.resize(at + sizeof(int32_t));
  std::memcpy(node->extra.data() + at, &id, sizeof id);
  ++record_of(node)->id_count;
}

// The drawing window's current line (the Engraving list's cursor).
TextLine*& list_cursor() { return g_lists.cursor_line; }

// Moves the originals (slot 10) behind the current record, which is the store's last node.
void move_originals_behind_record() {
  LineList& originals = g_lists.slots[LIST_SLOT_EDIT_ORIGINALS];
  while (TextLine* o = originals.first) {
    unlink_node(originals, o);
    clear_item_marks(o);
    append_node(undo_list(), o);
  }
}

void restore_view(const UndoRecord& r) {
  ViewState& v = g_view;
  v.view_left = r.view_left;
  v.view_bottom = r.view_bottom;
  v.view_right = r.view_right;
  v.view_top = r.view_top;
  v.scale_x = v.scale_y = r.scale;
  g_job_settings.grid_step = r.grid_step;
  g_job_settings.view_fitted = r.view_kept;
  g_furniture.grid_switch = r.grid_on;
  g_furniture.axis_lock = r.axis_lock;
}

// The live items by ID, the first of each ID in list order.
std::unordered_map<int32_t, DrawingItem*> live_items_by_id() {
  std::unordered_map<int32_t, DrawingItem*> map;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    map.emplace(item_id(item), item);
  return map;
}

void clear_record_ids(TextLine* record) {
  UndoRecord* r = record_of(record);
  if (r == nullptr) return;
  r->id_count = 0;
  record->extra.resize(sizeof(UndoRecord));
}

// The live items the record's IDs name go out of the drawing into the store, right after
// `behind`, in the record's order.
void take_out_listed_items(TextLine* record, TextLine* behind) {
  std::unordered_map<int32_t, DrawingItem*> live = live_items_by_id();
  const int count = undo_record_id_count(record);
  for (int i = 0; i < count; ++i) {
    auto found = live.find(undo_record_id(record, i));
    if (found == live.end() || found->second == nullptr) continue;
    DrawingItem* item = found->second;
    found->second = nullptr;
    if (list_cursor() == item) list_cursor() = nullptr;
    if (g_lists.block_start == item) g_lists.block_start = nullptr;
    if (g_lists.block_end == item) g_lists.block_end = nullptr;
    unlink_node(g_lists.current, item);
    insert_after(undo_list(), behind, item);
    behind = item;
  }
}

// A saved copy comes back into the drawing, at its end.
void bring_back(TextLine* copy) {
  unlink_node(undo_list(), copy);
  clear_item_marks(copy);
  append_node(g_lists.current, copy);
}

// Exchanges every saved copy behind the record with the live item of its ID. The originals of a
// replacement (bring_in_alone) usually have no live twin: the item that replaced them has an ID
// of its own. Skipping them would lose them for good, so such a copy comes into the drawing
// alone and the record keeps its ID; the next application takes that item out again.
void exchange_copies(TextLine* record, bool bring_in_alone) {
  std::vector<TextLine*> copies;
  for (TextLine* copy = record->next; copy != nullptr && !is_undo_record(copy); copy = copy->next)
    copies.push_back(copy);
  if (bring_in_alone) {
    take_out_listed_items(record, copies.empty() ? record : copies.back());
    clear_record_ids(record);
  }
  std::unordered_map<int32_t, DrawingItem*> live = live_items_by_id();
  for (TextLine* copy : copies) {
    auto found = live.find(item_id(copy));
    if (found != live.end() && found->second != nullptr) {
      DrawingItem* twin = found->second;
      swap_between(g_lists.current, twin, undo_list(), copy);
      if (list_cursor() == twin) list_cursor() = copy;
      found->second = copy;
    } else if (bring_in_alone) {
      bring_back(copy);
      add_record_id(record, item_id(copy));
    }
  }
  if (list_cursor() == nullptr) list_cursor() = g_lists.current.first;
}

void move_copies_or_items(TextLine* record) {
  if (record->next != nullptr && !is_undo_record(record->next)) {
    // The saved copies come back at the end of the drawing.
    for (TextLine* copy = record->next; copy != nullptr && !is_undo_record(copy);) {
      TextLine* next = copy->next;
      bring_back(copy);
      copy = next;
    }
    return;
  }
  take_out_listed_items(record, record);
  if (list_cursor() == nullptr) list_cursor() = g_lists.current.first;
}

// Pointers into items that an exchange or a move takes out of the drawing are forgotten.
void forget_item_references() {
  HoverState& h = g_hover;
  h.highlighted_link = nullptr;
  h.node_item = nullptr;
  h.marker_item = nullptr;
  h.symmetry_line = nullptr;
  h.hover_item = nullptr;
  h.hover_link = nullptr;
  h.pick_kind = 0;
  g_drawing_page.panel_item = nullptr;
  g_furniture.next_item = nullptr;
  g_edit.working_set = nullptr;
}

void apply_record(TextLine* record) {
  if (const UndoRecord* r = record_of(record)) restore_view(*r);
  const uint8_t kind = undo_record_kind(record);
  if (kind == UNDO_CHANGED || kind == UNDO_ORIGINALS) exchange_copies(record, kind == UNDO_ORIGINALS);
  else if (is_move_kind(kind)) move_copies_or_items(record);
  forget_item_references();
}

// On the Engraving list page only records made there may be undone or redone.
bool refused_by_page(TextLine* record, const char* two_letters) {
  if (g_preferences.current_page != PAGE_ENGRAVING_LIST) return false;
  const UndoRecord* r = record_of(record);
  if (r == nullptr || r->page == PAGE_ENGRAVING_LIST) return false;
  show_text_box(with_word(OTHER_PAGE_UNDO, "undos", two_letters).c_str(), PAGE_RULE_STYLE);
  return true;
}

}  // namespace

LineList& undo_list() { return g_lists.slots[LIST_SLOT_UNDO]; }

bool is_undo_record(const TextLine* node) { return node != nullptr && node->kind == 0; }

uint8_t undo_record_kind(const TextLine* node) { return node != nullptr ? node->state : 0; }

int undo_record_id_count(const TextLine* node) {
  const UndoRecord* r = line_extra_as<UndoRecord>(node);
  return r != nullptr ? r->id_count : 0;
}

int32_t undo_record_id(const TextLine* node, int index) {
  int32_t id = 0;
  std::memcpy(&id, node->extra.data() + sizeof(UndoRecord) + sizeof(int32_t) * index, sizeof id);
  return id;
}

// ---- recording ----

void undo_push(uint8_t kind) {
  UndoStore& u = g_undo;
  LineList& store = undo_list();
  // The undone steps go: a new step starts a new future.
  if (u.redo != nullptr) {
    TextLine* node = u.redo;
    while (node != nullptr) {
      TextLine* next = node->next;
      if (is_undo_record(node)) --u.step_count;
      free_store_node(node);
      node = next;
    }
    u.redo = nullptr;
  }
  // An exchange record that never received its copies means nothing.
  if (u.current != nullptr && u.current == store.last && !stands_alone(undo_record_kind(u.current))) {
    TextLine* empty = u.current;
    u.current = record_before(empty);
    free_store_node(empty);
    --u.step_count;
  }
  const ViewState& v = g_view;
  UndoRecord r;
  r.view_left = v.view_left;
  r.view_bottom = v.view_bottom;
  r.view_right = v.view_right;
  r.view_top = v.view_top;
  r.grid_step = g_job_settings.grid_step;
  r.scale = v.scale_x;
  r.view_kept = g_job_settings.view_fitted;
  r.grid_on = g_furniture.grid_switch;
  r.axis_lock = g_furniture.axis_lock;
  r.page = g_preferences.current_page;
  TextLine* node = new TextLine;
  node->extra = make_line_extra(r);
  node->state = kind;
  append_node(store, node);
  u.current = node;
  if (u.step_count >= UNDO_PUSH_LIMIT + 1) {
    // The oldest step goes with the copies it kept.
    TextLine* oldest = store.first;
    while (oldest != nullptr && !is_undo_record(oldest)) oldest = oldest->next;
    if (oldest != nullptr && oldest != node) {
      TextLine* next = oldest->next;
      free_store_node(oldest);
      while (next != nullptr && !is_undo_record(next)) {
        TextLine* after = next->next;
        free_store_node(next);
        next = after;
      }
    }
  } else {
    ++u.step_count;
  }
}

void undo_save_item(DrawingItem* item) {
  undo_push(UNDO_CHANGED);
  if (copy_item_with_extra_links(item, 0) != 0) return;
  DrawingItem* copy = g_lists.current.last;
  unlink_node(g_lists.current, copy);
  append_node(undo_list(), copy);
}

void undo_record_added(int n) {
  undo_push(UNDO_ADDED);
  DrawingItem* item = g_lists.current.last;
  for (int i = 0; i < n && item != nullptr; ++i, item = item->prev)
    add_record_id(g_undo.current, item_id(item));
}

void undo_record_deleted(DrawingItem* item) {
  if (item != nullptr) {
    discard_originals();
    move_to_originals(item);
  }
  undo_push(UNDO_DELETED);
  for (DrawingItem* o = first_original(); o != nullptr; o = o->next)
    add_record_id(g_undo.current, item_id(o));
  move_originals_behind_record();
}

void undo_record_replaced(int n, int with_originals) {
  undo_record_added(n);
  g_undo.current->state = UNDO_REPLACED;
  if (with_originals == 0) return;
  undo_push(UNDO_REPLACED_ORIGINALS);
  for (DrawingItem* o = first_original(); o != nullptr; o = o->next)
    add_record_id(g_undo.current, item_id(o));
  move_originals_behind_record();
}

void undo_record_replaced_one() {
  undo_push(UNDO_REPLACED_ONE);
  if (g_lists.current.last != nullptr) add_record_id(g_undo.current, item_id(g_lists.current.last));
  if (first_original() == nullptr) return;
  undo_push(UNDO_ORIGINALS);
  store_originals_for_undo();
}

namespace {

// The item's stored form: what a job file keeps of it, handles cleared.
std::vector<uint8_t> stored_form(const DrawingItem* item) {
  std::vector<uint8_t> out(ITEM_HEADER_SIZE);
  write_item_header(item, out.data());
  out.insert(out.end(), item->text.begin(), item->text.end());
  out.push_back(0);
  const GeometryBlock* block = item_block(item);
  if (block == nullptr) return out;
  const size_t at = out.size();
  out.resize(at + geometry_block_stored_size(block->cam_kind, block->link_count));
  write_geometry_block(block, out.data() + at);
  if (block->cam_kind == GEOMETRY_KIND_TEXT)
    std::memset(out.data() + at + TEXT_LAYOUT_OFFSET + TL_FONT_HANDLE, 0, sizeof(uint32_t));
  return out;
}

}  // namespace

void undo_drop_if_unchanged(DrawingItem* item) {
  UndoStore& u = g_undo;
  LineList& store = undo_list();
  TextLine* copy = store.last;
  if (copy == nullptr || is_undo_record(copy) || item == nullptr) return;
  TextLine* record = copy->prev;
  if (!is_undo_record(record)) return;
  if (stored_form(copy) != stored_form(item)) return;
  if (u.redo == record) u.redo = nullptr;
  free_store_node(copy);
  free_store_node(record);
  --u.step_count;
  u.current = store.last;
  while (u.current != nullptr && !is_undo_record(u.current)) u.current = u.current->prev;
}

void undo_clear() {
  LineList& store = undo_list();
  if (store.first != nullptr) free_list(store.first);
  store = LineList{};
  g_undo = UndoStore{};
}

// ---- undo and redo ----

void undo_command() {
  UndoStore& u = g_undo;
  if (u.current == nullptr) {
    show_text_box(with_word(NOTHING_TO_UNDO, "undo", "Un").c_str(), NOTHING_STYLE);
    return;
  }
  if (refused_by_page(u.current, "Un")) return;
  TextLine* done = u.current;
  TextLine* before = record_before(done);
  if (is_replacement_pair(before, done)) {
    // The replacing items go first, so that none of them is taken for an original coming back.
    apply_record(before);
    apply_record(done);
    done = before;
  } else {
    apply_record(done);
  }
  u.redo = done;
  u.current = record_before(done);
}

void redo_command() {
  UndoStore& u = g_undo;
  if (u.redo == nullptr) {
    show_text_box(with_word(NOTHING_TO_UNDO, "undo", "Re").c_str(), NOTHING_STYLE);
    return;
  }
  if (u.redo == undo_list().last && !stands_alone(undo_record_kind(u.redo))) return;
  if (refused_by_page(u.redo, "Re")) return;
  TextLine* record = u.redo;
  TextLine* after = record_after(record);
  if (is_replacement_pair(record, after)) {
    // The originals leave first, so that none of them is taken for a replacing item.
    apply_record(after);
    apply_record(record);
    record = after;
  } else {
    apply_record(record);
  }
  u.current = record;
  u.redo = record_after(record);
}

void reset_undo_store() {
  undo_list() = LineList{};
  g_undo = UndoStore{};
}
