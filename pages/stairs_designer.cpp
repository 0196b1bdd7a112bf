#include "pages/stairs_designer.h"

#include <cstdio>

#include "pages/job_commands.h"
#include "ui/message_box.h"

EventCode stairs_designer(int kind) {
  constexpr int FIRST_STAIRS_BUTTON = 61;
  const int option = FIRST_STAIRS_BUTTON + (kind == 4 ? 2 : kind - 1);
  char text[64];
  std::snprintf(text, sizeof text, NO_SUCH_OPTION_FORMAT, option);
  show_text_box(text, TEXTBOX_PRESS_A_KEY);
  return 0;
}
