// The help box of the side panel, where the Drawing page and its commands explain what the user
// can do next, and the short status line in the screen's bottom corner. Commands push the
// catalogue number of their help on entry and pop it when they end, so the outer command's help
// comes back.
#pragma once

#include <cstdint>

constexpr int HELP_STACK_DEPTH = 16;  // entries 0..16; entry 0 is the bottom and never popped

struct HelpStack {
  int16_t entries[HELP_STACK_DEPTH + 1] = {};  // catalogue numbers; 0 an empty help box
  int depth = 0;                               // 0..HELP_STACK_DEPTH: the entry shown
};
extern HelpStack g_help;

// ---- the stack ----
// Raises the depth (at the deepest the top entry is replaced) and shows n.
void help_push(int16_t n);
// Lowers the depth unless it is 0; draws nothing.
void help_pop();
// The message at the depth in the help box, or an empty box when that entry is 0.
void help_show_top();

// ---- the boxes ----
// With the side panel on: catalogue message n in the help box; otherwise nothing.
void help_show_message(int n);
// With the side panel on: clears the help box and writes the text (null: only clears).
void help_box_text(const char* text);
// The lower 14 rows of the side panel's column, cleared, with the text (null: only cleared);
// drawn whether or not the side panel is on.
void lower_help_text(const char* text);
// The screen's two bottom rows from column 42 on, cleared, with the text in the status colours.
void show_corner_status(const char* text);

// Test hooks
void reset_help_stack();
