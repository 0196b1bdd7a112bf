#include "pages/item_panel.h"

#include "editor/drawing_commands.h"
#include "editor/hover_state.h"
#include "editor/item_inspector.h"
#include "editor/item_pages.h"
#include "editor/page_strip.h"
#include "editor/undo_store.h"
#include "pages/cam_panel.h"
#include "pages/text_item_page.h"

void show_cam_panel(DrawingItem* item, int mode) {
  PanelState& p = g_panel;
  g_cam_panel_exit = 0;
  if (item == nullptr || item->extra.empty()) return;
  p.display_only = mode == 1 ? 1 : 0;
  p.panel_item = item;
  p.exit_reason = 0;
  p.relayout = 0;
  // The whole visit is one undo step, dropped when nothing changed.
  if (mode == 0) {
    undo_save_item(item);
    set_strip_control_shown(STRIP_PANEL_RESET, true);
  }
  if (item_type(item) == ITEM_POLYLINE) {
    const HoverState& h = g_hover;
    p.panel_link = p.lock_on_header != 0 || h.hover_item != item
                       ? PANEL_HEADER
                       : static_cast<int16_t>(h.link_index);
    while (open_link_panel() == 0 && mode == 0) {
    }
  } else if (item_type(item) == ITEM_TEXT) {
    run_text_item_page(item);
  } else {
    run_item_page(item);
  }
  hide_strip_controls(STRIP_PANEL_FIRST, STRIP_PANEL_LAST, true);
  set_strip_control_shown(STRIP_PANEL_RESET, false);
  if (mode == 0 && p.panel_item != nullptr) undo_drop_if_unchanged(p.panel_item);
  g_cam_panel_exit = p.exit_reason;
  p.display_only = 0;
  p.relayout = 0;
}

void connect_item_panel() {
  g_drawing_commands.show_cam_panel = show_cam_panel;
  connect_cam_panel();
}
