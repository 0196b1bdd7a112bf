// The Drawing page as the page loop runs it: its page handler, the command loop that owns the
// page until another page's tab is clicked or a quit is confirmed, and the steps of the loop
// that its menus and right-button menus share.
#pragma once

#include <cstdint>

#include "editor/page_menus.h"
#include "geometry/float2d.h"
#include "screen/event_queue.h"

// The page handler: prepares the page strip and runs the command loop; always 27.
EventCode editor_page_entry();
// Reads, draws and acts until a tab click (699) or a confirmed quit; 0.
int editor_command_loop();
// Deletes every text item with an empty text from the drawing list.
void purge_empty_texts();
// For the Engraving list: a blank text item at the end of the drawing list.
void ensure_trailing_text_item();

// ---- the page strip ----
void show_layer_indicator();
void show_tool_start_prompt();
void show_zoom_panel();
void hide_zoom_panel();

// The "   sides" caption with the side count of new polygons.
void show_polygon_sides();

// ---- steps of the loop the menus share ----
// The tick: the hover still standing lets the resumable redraw go on, else it is looked for.
PagePass page_tick();
// The clean-up after every command: queue emptied, bindings and side panel back, pending 479.
PagePass after_command();
// Hands a code to the dispatcher with the node editor's binding, then cleans up (pending 479).
PagePass hand_to_edit_command(int code);
// The hover feedback: what lies under the cursor is looked for again and the pointer, bindings
// and legend follow it.
PagePass page_hover_refresh();
// The hovered item's machining panel; `from_key`: key e starts at its first page.
PagePass edit_machining_panel(bool from_key);
// A new text item in a dragged box (mode 0x60002, 0x20002, 0x20003); text null: asked after.
PagePass new_text_by_box(int32_t mode, const char* text, int16_t font);
// Ctrl+V: the clipboard's items pasted; nothing with an empty clipboard.
PagePass paste_from_clipboard();
// The hovered item's duplicate into the item clipboard (emptied first unless adding).
void copy_hovered_to_clipboard(bool add);

// ---- view steps ----
void zoom_to_point(PointF p);
void centre_view_on(PointF p);
// Key z without a node: the highlighted link's box, else the whole drawing.
void zoom_to_highlighted_link();
// The contour kernel's report of a geometry fault: shown, cleared and zoomed to. False when the
// report held no fault to show.
bool report_geometry_fault();
// Pan by a dragged line (box mode 8, or 0xC0008 from a right press) with a pointer picture.
PagePass pan_by_dragged_line(int32_t box_mode, uint8_t picture);
// Zoom to a dragged window; `skip_first_step`: the pointer is not moved first.
PagePass zoom_to_dragged_window(bool skip_first_step);

// Test hooks
void reset_drawing_page();
