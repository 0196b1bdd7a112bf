#include "editor/draw_style.h"

DrawStyle g_draw_style;

void reset_draw_style() { g_draw_style = DrawStyle{}; }
