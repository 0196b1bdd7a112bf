// A Drawing page waiting for a point: the entry, picking and edit-session records reset, the view
// at 30 pixels a unit from (10, 0), a clear area, the pointer placed and the idle typist
// answering whenever the program waits for input.
#pragma once

#include "editor/coord_entry.h"
#include "editor/edit_session.h"
#include "editor/point_picking.h"
#include "platform/headless.h"
#include "platform/pump.h"
#include "screen/pointer.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/idle_typist.h"

class PickingFixture : public EditorFixture {
 protected:
  explicit PickingFixture(int pointer_y = 300) : pointer_y_(pointer_y) {}

  void SetUp() override {
    EditorFixture::SetUp();
    reset_coord_entry();
    reset_point_picking();
    reset_edit_session();
    set_view(10.0f, 0.0f, 30.0f);
    clear_area();
    headless_set_idle_limit(20000);
    g_pointer.released = false;
    g_pointer.wanted_x = g_pointer.drawn_x = 300;
    g_pointer.wanted_y = g_pointer.drawn_y = pointer_y_;
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    headless_set_idle_limit(HEADLESS_IDLE_LIMIT_MS);
    EditorFixture::TearDown();
  }

 private:
  int pointer_y_;
};
