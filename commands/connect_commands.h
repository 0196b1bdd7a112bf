// Start-up hands the Drawing page the drawing commands.
#pragma once

// Fills the command entries of g_drawing_commands (editor/drawing_commands.h).
void connect_drawing_commands();
