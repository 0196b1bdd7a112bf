#include "editor/hover_state.h"

HoverState g_hover;

void reset_hover_state() { g_hover = HoverState{}; }
