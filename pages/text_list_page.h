// The Engraving list page (page 1): the key filter and line drawer the page loop installs on the
// drawing window.
#pragma once

#include "screen/boxes.h"
#include "ui/placeholder_page.h"

struct TextLine;

// Stand-in: shows the page frame and the page tabs and leaves on a tab click or a quit; no text list yet.
inline EventCode text_list_key() { return run_placeholder_page(PAGE_ENGRAVING_LIST); }
// Stand-in: draws nothing; the page frame is all the page shows yet.
inline void text_list_line(int /*row*/, TextLine* /*line*/) {}
