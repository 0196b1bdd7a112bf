// Dialog forms: what the text windows need of them.
#pragma once

struct TextLine;

// The line drawer of windows whose lines are never drawn as lines (dialog forms draw their
// fields themselves; pages draw their own screens).
void no_line_hook(int row, TextLine* line);
