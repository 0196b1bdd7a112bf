// The layer list pop-up: the user picks one of the drawing's layers.
#pragma once

struct TextLine;

// The layer list pop-up: the chosen layer's line of the layer list (its id is the layer
// number), or null when cancelled; the visibility table is rebuilt from the list afterwards.
// Stand-in: a plain pick list of the user layers' numbers and names; no check boxes, colours, styles or on/off toggles.
TextLine* pick_layer();
