// The panel commands' tests (FILLET, OFFSET, FUSE): the drawing fixture with the typist
// answering, the pointer moved and clicked by world points or on a panel's control, and the
// drawing counted.
#pragma once

#include "drawing_edit_fixture.h"
#include "screen/controls.h"
#include "tests/support/idle_typist.h"

class CommandPanelFixture : public DrawingEditFixture {
 protected:
  void SetUp() override {
    DrawingEditFixture::SetUp();
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    while (poll_input_code(0) != 0) {
    }
    DrawingEditFixture::TearDown();
  }

  static void move_on(PointF p) {
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    typist_move(x, y);
    typist_pause();
  }
  static void click_on(PointF p) {
    move_on(p);
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    typist_click(x, y);
  }
  // A click in the middle of a panel control at its cells (a negative column counts from the
  // right), the pointer moved there first.
  static void click_control_at(int row, int column, int height, int width) {
    ScreenControl c = make_control("", 1, row, column, height, width, 0, 0);
    layout_control(&c);
    const int x = c.x + c.hit_width / 2;
    const int y = c.y + c.hit_height / 2;
    typist_move(x, y);
    typist_pause();
    typist_click(x, y);
  }

  static int item_count() {
    int n = 0;
    for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next) ++n;
    return n;
  }
  static DrawingItem* nth(int k) {
    DrawingItem* i = g_lists.current.first;
    while (i != nullptr && k-- > 0) i = i->next;
    return i;
  }
};
