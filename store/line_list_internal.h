// Link surgery shared by the files of the line list store.
#pragma once

#include "store/line_list.h"

// Takes the line out of its chain; when it is an end of the current list, that end moves on.
// The line is left with no links.
void unlink_line(TextLine* line);
// Links a loose line into the current list behind `after` (null: as the first line); when
// `after` is the tail, the line becomes the current list's last line.
void link_line_after(TextLine* line, TextLine* after);
