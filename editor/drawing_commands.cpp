#include "editor/drawing_commands.h"

#include "screen/pointer.h"
#include "ui/message_box.h"

DrawingCommandEntries g_drawing_commands;
int g_cam_panel_exit = 0;

void show_missing_command_notice() {
  hide_pointer();
  show_text_box(MISSING_COMMAND_TEXT, TEXTBOX_PRESS_A_KEY);
}

void reset_drawing_commands() {
  g_drawing_commands = DrawingCommandEntries{};
  g_cam_panel_exit = 0;
}
