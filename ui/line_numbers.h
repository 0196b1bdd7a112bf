// Line numbers of editing buffers: each line carries its number as its i32 key; the window's line
// count says whether the numbering is still right.
#pragma once

#include <cstdint>

// Numbers the active window's lines; the number of the last line numbered, or 0.
int32_t number_lines(int16_t stop_early);
