#include "editor/view_state.h"

ViewState g_view;

void reset_view_state() { g_view = ViewState{}; }
