// The help box of the side panel, where the Drawing page and its commands explain what the user
// can do next.
#pragma once

// With the side panel on: catalogue message n in the help box; otherwise nothing.
void help_show_message(int n);
// With the side panel on: clears the help box and writes the text (null: only clears).
void help_box_text(const char* text);
