// The Drawing page's editing state for command tests: an empty undo store and edit session, the
// drawing in its window (boxes give it back there), a view of 10 pixels a unit with its area
// under two text rows, and the pointer placed by world points.
#pragma once

#include "../editor/drawing_window.h"
#include "../editor/editor_fixture.h"
#include "commands/node_edit_session.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "geometry/item_edit_state.h"
#include "platform/headless.h"
#include "platform/pump.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"

class DrawingEditFixture : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    reset_undo_store();
    reset_edit_session();
    reset_node_drag();
    reset_item_edit();
    g_preferences.current_page = PAGE_DRAWING;
    g_job_settings.item_id_counter = 0;
    g_view.area_top = static_cast<int16_t>(2 * g_display.presets[FACE_ROLE_NORMAL].cell_height);
    g_view.area_width = g_display.screen_width;
    set_view(10.0f, -10.0f, 30.0f);
    g_events.modifiers = 0;
    drawing_ = open_drawing_window();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    g_events.modifiers = 0;
    undo_clear();
    discard_originals();
    close_drawing_window(drawing_);
    reset_edit_session();
    EditorFixture::TearDown();
  }

  TextLine* drawing_ = nullptr;

  static DrawingItem* with_id(DrawingItem* item) {
    set_item_id(item, ++g_job_settings.item_id_counter);
    return item;
  }

  // The client pixel of a world point (world_to_screen counts rows from the drawing area's top).
  static void pixel_of(PointF p, int* x, int* y) {
    world_to_screen(p, x, y);
    *y += g_view.area_top;
  }

  // The pointer rests on the world point, the cursor point with it.
  static void rest_at(PointF p) {
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    capture_at(x, y);
    int dx = 0;
    int dy = 0;
    mouse_delta(&dx, &dy);
    g_hover.cursor_point = g_hover.raw_cursor_point = g_hover.previous_cursor_point = p;
  }

  static void move_to(PointF p) {
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    headless_inject_mouse_move(x, y);
  }

  static void click_at(PointF p) {
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    headless_inject_mouse_move(x, y);
    headless_inject_mouse_button(1, true, x, y);
    headless_inject_mouse_button(1, false, x, y);
  }
};
