// The item inspector: the side panel beside the drawing that shows one item and edits it field
// by field. A polyline is shown by a header panel (name, closed, number of links, symmetry, go
// to a link) and a link panel per link (type, node kinds, the nodes' X, Y, Z, length, angle),
// with navigation between them; other item types have pages of their own (item_pages.h). This
// file also holds what every item and text panel shares: the event filter, the automatic Enter
// of choice fields, and the redraw of the drawing and the screen behind the panel.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "screen/event_queue.h"

// Navigation codes (the panel buttons' ids).
constexpr int NAV_ADD_FRONT = 70;
constexpr int NAV_FIRST = 71;
constexpr int NAV_HEADER = 72;
constexpr int NAV_PREV = 73;
constexpr int NAV_NEXT = 74;
constexpr int NAV_ADD_END = 75;
constexpr int NAV_LAST = 76;
constexpr int NAV_SYMMETRY_LINE = 77;
constexpr int NAV_DELETE_LINK = 78;
constexpr int NAV_FIRST_LINK = 79;
constexpr int NAV_LAST_LINK = 80;
constexpr int NAV_GO_BACK = 81;
constexpr int NAV_LOCK_ON_HEADER = 82;

// panel_link of the header panel; panel_link_before before a panel runs.
constexpr int16_t PANEL_HEADER = -1;
constexpr int16_t PANEL_NO_NAVIGATION = -2;
// Exit reasons of a panel besides 27.
constexpr int16_t PANEL_EXIT_RIGHT_CLICK = 434;
constexpr int16_t PANEL_EXIT_CONTROL = 698;
constexpr int16_t PANEL_EXIT_PAGE_TAB = 699;
// The result of an edit that changed a node kind.
constexpr EventCode NODE_KIND_CHANGED = -13;

// The panel state, for the whole run.
struct PanelState {
  DrawingItem* panel_item = nullptr;  // the item whose panel is open
  int16_t panel_link = PANEL_HEADER;  // the link whose panel is open; -1 the header
  int16_t panel_link_before = PANEL_NO_NAVIGATION;  // a navigation copies panel_link here
  int16_t panel_link_saved = -1;      // the link "Go back to #" returns to; -1 none
  uint8_t nav_direction = 0;          // rows 19, 20: 0 First and Last, 1 Prev and Next
  int16_t reopen_field = 0;           // the field the next panel run starts on
  int16_t exit_reason = 0;            // 27, 434, 698 or 699; 0 while running
  uint8_t display_only = 0;           // the panel draws itself once and closes
  uint8_t lock_on_header = 0;         // "Lock on Header": a polyline's panel keeps to its
                                      // header whichever link the pointer touches
  EventCode previous_event = 0;       // the event before the one being filtered
  uint8_t relayout = 0;               // the machining rows changed their layout: the panel
                                      // closes and opens again
};
extern PanelState g_panel;

// The kind names of links (LINK_KIND_NAMES) and the link types a link can be given.
constexpr int LINK_KIND_COUNT = 9;
extern const char* const LINK_KIND_NAMES[LINK_KIND_COUNT + 1];
int link_kind(const LinkRecord* link);
// "Dual": a symmetric polyline (its first two links are the symmetry line).
bool item_is_dual(const DrawingItem* item);
// The links of a polyline panel counts (a "Dual" item counts without its symmetry line).
int panel_link_count(const DrawingItem* item);

// ---- events ----
EventCode panel_event_filter(EventCode code);
// After a field edited with the pointer: pushes Enter so a choice takes effect at once.
void auto_enter_quick_fields(const char* fields, int offset);
void redraw_panel_drawing();
// The next panel's form starts at the side panel's first column and runs to the right edge.
void place_next_panel();
// The same for the panel of catalogue form `message`, whose values start right of its widest
// label.
void place_next_panel(int message);
void rebuild_panel_screen();

// The machining rows of the panel item under the item's own rows from `first_row` on: their
// labels are laid over the next form and its values start right of the widest label of both.
// False when the program has no machining rows.
bool place_cam_rows(int first_row);
// The machining rows' field handler for a panel row (KEY_UP without machining rows) and their
// display pass (blank values without).
EventCode edit_cam_rows(int row);
void show_cam_rows();

// ---- the panel's buttons ----
// Hints of "Lock on Header" while it is off and on.
constexpr int16_t HINT_LOCK_ON_HEADER_OFF = 56;
constexpr int16_t HINT_LOCK_ON_HEADER_ON = 57;
// Flips "Lock on Header"; its check and hint follow, and on the header the back button says
// "Show link #" while it is on.
void toggle_lock_on_header();
// The check and the hint of "Lock on Header" as the setting stands.
void show_lock_on_header_check();
// A click on a button of the panel (ids 70-82): 27 after a navigation (the panel closes and the
// next one opens), 0 after "Lock on Header", -1 when the id is none of them.
EventCode act_on_panel_button(int id);
// A left press in a panel: a click on one of its buttons is acted on; otherwise a choice field
// clicked takes effect at once (auto_enter_quick_fields). The result as act_on_panel_button's,
// 0 when it was no button.
EventCode panel_left_press(const char* fields, int offset);
// The id of the shown panel button under the pointer, or -1.
int panel_button_under_pointer();
// A left press on a panel button while a panel's form runs, taken before the form could take it
// as a click on a row: -1 when no button is under the pointer, else as act_on_panel_button.
EventCode take_panel_button_click();
// While it lives, the running form hands left presses on panel buttons to the panel.
class PanelClickGuard {
 public:
  PanelClickGuard();
  ~PanelClickGuard();
  PanelClickGuard(const PanelClickGuard&) = delete;
  PanelClickGuard& operator=(const PanelClickGuard&) = delete;

 private:
  EventCode (*saved_)();
};

// ---- navigation ----
void link_panel_navigate(int code, int link_count);
EventCode link_panel_nav_rows();
void remember_hovered_link();
void show_panel_buttons(const GeometryBlock* block);
void keep_closing_node_in_sync();
// PgDn and PgUp of a panel: the next or previous link (PgUp on the first link the header, PgDn on
// the header the first link); 27 when the panel is to close for it, 0 when the key does nothing
// here, any other key as it came.
EventCode panel_page_key(EventCode key);
// The hover's references into the panel item's block found again after the block moved.
void refind_panel_references();

// ---- header edits ----
// The number of links: fewer take links off (at the end, or the front), more add loose links.
// The item is opened first. 1 changed, 0 nothing to do, -1 refused (the user told).
int set_panel_link_count(DrawingItem* item, int count, bool at_end);
// "go to link" n (from 1): 1 when the link panel opens, -1 refused (the user told).
int go_to_panel_link(int n);

// ---- link edits ----
// Gives the link a type code; 0 when it already had it (nothing changes), 1 when changed.
int set_link_type(LinkRecord* link, float code);
// The link's end moves to start + length at the angle (radians). On the symmetry line of a
// "Dual" polyline the whole item turns about the link's start by the change of direction.
void set_link_length_angle(DrawingItem* item, int link, double length, double angle);
EventCode edit_node_kind(LinkRecord* node, int end);

// ---- the rows the link panel and the arc page share ----
// The type of the link: a pick list of link types. 27 when the link took another type (the
// panel is to close and open again for its new kind), 0 when it kept its own.
EventCode edit_link_type_field(LinkRecord* link);
// The kind of the panel link's start node (end 1) or end node (end 2): passed over for an item
// of one link, and for the end node when it is the closing record.
EventCode edit_link_node_kind_field(int end);
void show_link_type_value(const LinkRecord* link);
void show_node_kind_value(const LinkRecord* node);
// The texts of the navigation rows from first_row on.
void show_link_nav_rows(int first_row);

// ---- the panels ----
EventCode node_panel_field();
EventCode link_panel_field();
// Runs one panel of panel_item for panel_link; 0 when another panel follows, 27 when done.
int open_link_panel();

// Test hooks
void reset_panel_state();
