#include "commands/align_items.h"

#include <vector>

#include "commands/transform_form.h"
#include "commands/value_form.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/undo_store.h"

namespace {

constexpr int EDGE_LOW = 0;     // Left in columns, Bottom in rows
constexpr int EDGE_CENTRE = 1;
constexpr int EDGE_HIGH = 2;    // Right in columns, Top in rows

struct AlignBox {
  DrawingItem* item;
  PointF min;
  PointF max;
};

float along(const PointF& p, bool rows) { return rows ? p.y : p.x; }

// The point of an item's span that goes onto the target.
float reference(const AlignBox& b, bool rows, int edge) {
  const float lo = along(b.min, rows);
  const float hi = along(b.max, rows);
  if (edge == EDGE_HIGH) return hi;
  if (edge == EDGE_LOW) return lo;
  return lo + (hi - lo) / 2.0f;
}

void move_item(AlignBox& b, float dx, float dy) {
  const PointF v = {dx, dy};
  translate_item(b.item, &v);
  b.min.x += dx;
  b.max.x += dx;
  b.min.y += dy;
  b.max.y += dy;
}

// The unplaced item with the smallest left edge (rows) or the highest top (columns); -1 none.
int next_align_item(const std::vector<AlignBox>& boxes, const std::vector<bool>& placed,
                    bool rows) {
  int best = -1;
  for (size_t i = 0; i < boxes.size(); ++i) {
    if (placed[i]) continue;
    if (best < 0) {
      best = static_cast<int>(i);
      continue;
    }
    const AlignBox& b = boxes[i];
    const AlignBox& c = boxes[static_cast<size_t>(best)];
    if (rows ? b.min.x < c.min.x : b.max.y > c.max.y) best = static_cast<int>(i);
  }
  return best;
}

}  // namespace

void align_working_set() {
  const TransformFormState& t = g_transform_form;
  const ValueForm& f = g_value_form;
  const bool rows = t.align_rows;
  // Rows take Top, Center, Bottom (top is the high edge); columns Left, Center, Right.
  const int edge = rows ? (t.align_row_edge == 0 ? EDGE_HIGH : t.align_row_edge == 2 ? EDGE_LOW
                                                                                      : EDGE_CENTRE)
                        : (t.align_column_edge == 0 ? EDGE_LOW
                           : t.align_column_edge == 2 ? EDGE_HIGH
                                                      : EDGE_CENTRE);
  std::vector<AlignBox> boxes;
  DrawingItem* original = first_original();
  for (DrawingItem* copy = g_edit.working_set; copy != nullptr && original != nullptr;
       copy = copy->next, original = original->next) {
    if (!reset_working_copy(original, copy)) continue;
    item_bounding_boxes(copy);
    AlignBox b{copy, {1e38f, 1e38f}, {-1e38f, -1e38f}};
    grow_box_by_item(copy, &b.min, &b.max);
    boxes.push_back(b);
  }
  if (boxes.empty()) return;
  float target = 0.0f;
  if (f.entered[TF_START_X] == FIELD_ENTERED) {
    target = along(f.link.link.point, rows);
  } else {
    // Rows: the topmost item; columns: the leftmost.
    const AlignBox* first = &boxes[0];
    for (const AlignBox& b : boxes)
      if (rows ? b.max.y > first->max.y : b.min.x < first->min.x) first = &b;
    target = reference(*first, rows, edge);
  }
  for (AlignBox& b : boxes) {
    const float d = target - reference(b, rows, edge);
    move_item(b, rows ? 0.0f : d, rows ? d : 0.0f);
  }
  if (f.entered[TF_X_VALUE] == FIELD_ENTERED) {
    const float gap = f.values[0];
    std::vector<bool> placed(boxes.size(), false);
    int previous = next_align_item(boxes, placed, rows);
    placed[static_cast<size_t>(previous)] = true;
    for (int next = next_align_item(boxes, placed, rows); next >= 0;
         next = next_align_item(boxes, placed, rows)) {
      AlignBox& p = boxes[static_cast<size_t>(previous)];
      AlignBox& b = boxes[static_cast<size_t>(next)];
      if (rows) move_item(b, p.max.x + gap - b.min.x, 0.0f);
      else move_item(b, 0.0f, p.min.y - gap - b.max.y);
      placed[static_cast<size_t>(next)] = true;
      previous = next;
    }
  }
}

int align_command() {
  HoverState& h = g_hover;
  const uint16_t filter = h.pick_mode;
  if (edit_begin(nullptr, 1) < 0) return 0;
  redraw_kept_originals();
  h.pick_mode = PICK_MODE_ITEMS;
  if (value_transform_form(TRANSFORM_ALIGN) >= 0) {
    undo_push(1);
    edit_commit(EDIT_COMMIT_MOVE);
    edit_finish();
  }
  edit_cancel();
  h.pick_mode = filter;
  return 0;
}
