#include "ui/editor_undo.h"

#include "ui/text_window.h"

// Stand-in: records nothing.
void record_editor_undo(int16_t /*op*/, int16_t /*argument*/) {}

// Stand-in: has nothing to undo.
EventCode editor_undo() { return 0; }

// Stand-in: has nothing to redo.
EventCode editor_redo() { return 0; }

void free_undo_ring(TextWindow* window) {
  if (window == nullptr) return;
  delete[] window->undo_steps;
  window->undo_steps = nullptr;
  window->undo_capacity = 0;
  window->undo_current = 0;
  window->undo_oldest = 0;
}
