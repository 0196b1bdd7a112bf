#include "editor/drawing_page_state.h"

DrawingPageState g_drawing_page;

void reset_drawing_page_state() { g_drawing_page = DrawingPageState{}; }
