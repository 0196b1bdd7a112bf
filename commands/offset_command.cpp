#include "commands/offset_command.h"

#include <cmath>

#include "editor/coord_entry.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"

OffsetState g_offset;

void reset_offset_state() { g_offset = OffsetState{}; }

namespace {

constexpr char TYPED_VALUE_TEXT[] = "Enter the value to use...\n\n";
constexpr int TYPED_VALUE_WIDTH = 9;

}  // namespace

int read_typed_offset(EventCode code, float* value) {
  if (!starts_typed_value(code)) return -1;
  // The key opens the entry as its first character (a box that allows a minus sign would drop
  // it: the side comes from the pointer, so the value is a size).
  push_input_code_front(code);
  float typed = 0.0f;
  const int result = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, TYPED_VALUE_TEXT,
                                 FIELD_FLOAT, &typed, TYPED_VALUE_WIDTH, nullptr, 0,
                                 nullptr);
  if (result == KEY_ESC || result == EVENT_QUIT || typed == 0.0f || !std::isfinite(typed))
    return -1;
  *value = typed;
  g_offset.value = std::fabs(typed);
  return 0;
}
