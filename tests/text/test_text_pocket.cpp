// TrueType text pocketed: "O B 8" in Liberation Sans walked into the outline collector and
// machined by the tool-path engine. Every collected outline is a closed loop that does not
// cross itself, and the engine's paths of different regions never cross each other.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cam/item_walkers.h"
#include "cam/outline_collect.h"
#include "nc/path_code.h"
#include "records/cam_params.h"
#include "tests/cam/engine_fixture.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"

namespace {

using namespace engine_test;

struct Chord {
  double x1, y1, x2, y2;
};

bool chords_cross(const Chord& a, const Chord& b) {
  auto side = [](const Chord& c, double x, double y) {
    return (c.x2 - c.x1) * (y - c.y1) - (c.y2 - c.y1) * (x - c.x1);
  };
  const double d1 = side(a, b.x1, b.y1), d2 = side(a, b.x2, b.y2);
  const double d3 = side(b, a.x1, a.y1), d4 = side(b, a.x2, a.y2);
  return ((d1 > 1e-12 && d2 < -1e-12) || (d1 < -1e-12 && d2 > 1e-12)) &&
         ((d3 > 1e-12 && d4 < -1e-12) || (d3 < -1e-12 && d4 > 1e-12));
}

// The cutting moves of a tool-path item as chords (arcs as their chords; the rings' arcs are
// small against the spacing of the rings).
std::vector<Chord> ring_chords(DrawingItem* item) {
  std::vector<Chord> out;
  LinkRecord* n = item_nodes(item);
  const int32_t links = item_link_count(item);
  for (int32_t k = 0; k < links; ++k) {
    if ((n[k].link_flags & (TOOL_PATH_LINK_RAPID | TOOL_PATH_LINK_LIFT)) != 0) continue;
    out.push_back({n[k].point.x, n[k].point.y, n[k + 1].point.x, n[k + 1].point.y});
  }
  return out;
}

class TextPocket : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    reset_outline_collect();
    reset_list_store();
    reset_item_walkers();
    g_encoder_inputs.tolerance = 0.002f;
    g_pen_move = PenMove{};
    pocket_alloc();
  }
  void TearDown() override {
    free_tool_path_items();
    // The machining run may leave another list current: the test's own items go all the same.
    if (text_item_ != nullptr) {
      TextLine* head = text_item_;
      while (head->prev != nullptr) head = head->prev;
      if (head != g_lists.current.first) free_list(head);
    }
    free_current_list();
    reset_outline_collect();
    EngineTest::TearDown();
  }

  TextLine* text_item_ = nullptr;  // the text item the test made, with the list it stands in
};

}  // namespace

TEST_F(TextPocket, TrueTypeLettersGiveClosedRingsThatNeverCross) {
  DrawingItem* item = new_text_item();
  set_line_text("OB8", item);
  item = g_lists.current.last;
  CamParams params;
  params.operation = CAM_OP_SPIRAL_POCKET;
  params.finishing.tool_number = 1;
  params.finishing.cut_width = 0.02f;
  params.finishing.cut_depth = 0.01f;
  params.finishing.stepover_percent = 40;
  params.finishing.ramp_angle = 90;
  write_cam_params(params, block_cam_params(item_block(item)));
  TextLayout l;
  l.height = l.entered_height = 1.0f;
  l.width_factor = 1;
  l.spacing = 0.2f;
  set_truetype_description(l.log_font, "Liberation Sans", 400, false);
  write_text_layout(l, block_text_layout(item_block(item)));
  layout_text_item(item);
  text_item_ = item;
  g_outline_collect.phase = COLLECT_POCKET_PHASE;
  g_outline_collect.params = params;
  g_outline_collect.text_char_counter = 1;
  ASSERT_GT(text_to_strokes(item, collect_pocket_outline), 0);
  const OutlineCollectState& c = g_outline_collect;
  // O: two loops, B: three, 8: three.
  ASSERT_EQ(c.contour_count, 8);
  for (int32_t k = 0; k < c.contour_count; ++k) {
    EXPECT_TRUE(loop_is_chained(c.links.data(), c.contour_start[k], c.contour_end[k])) << k;
    EXPECT_FALSE(loop_crosses_itself(c.links.data(), c.nodes.data(), c.contour_start[k],
                                     c.contour_end[k]))
        << k;
  }
  ASSERT_GT(machine_collected_group(), 0);
  std::vector<std::vector<Chord>> rings;
  for (DrawingItem* ring = g_lists.slots[LIST_SLOT_TOOL_PATHS].first; ring != nullptr;
       ring = ring->next) {
    rings.push_back(ring_chords(ring));
  }
  ASSERT_GE(rings.size(), 3u);  // one path per letter at least
  for (size_t a = 0; a < rings.size(); ++a)
    for (size_t b = a + 1; b < rings.size(); ++b)
      for (const Chord& x : rings[a])
        for (const Chord& y : rings[b])
          ASSERT_FALSE(chords_cross(x, y)) << "paths " << a << " and " << b << " cross";
}
