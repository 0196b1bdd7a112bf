// The layer list: the 256 layers as a pop-up list window over the layer table's lines. Each row
// shows the layer's check box, number and name, a sample of its line style and its colour; the
// check turns a user layer on or off, typing names it, a click on the style picks one of five
// from a picture menu and a click on the colour opens the colour chooser. Enter picks a layer.
// Also the dialog field that edits a layer number.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

struct TextLine;

constexpr char LAYER_LIST_TITLE[] = "Layers - ESC or RIGHT button: cancel";
constexpr char LAYER_OFF_REFUSED_TEXT[] =
    "You cannot turn off layers from the \x93Marked Layer\x94 onwards; you can only change their "
    "colors.";
constexpr char LAYER_PICK_REFUSED_TEXT[] =
    "Don't pick layers from the \x93Marked Items\x94 Layer onwards; you can only change their "
    "colors.";
// The byte of a record (a geometry block, or a form's record laid out alike) that holds a layer.
constexpr int LAYER_FIELD_OFFSET = 5;
// The layer byte's value for "no layer".
constexpr uint8_t LAYER_NONE = 255;

// What the layer list asks of the layers above it (the drawing editor); null hooks do nothing.
struct LayerListHooks {
  void (*extents_changed)() = nullptr;   // a layer was switched: the shown extents change
  uint8_t* redraw_request = nullptr;     // the editor's redraw request ('P' closes the list)
  void (*full_redraw)() = nullptr;       // the editor's pending full redraw
};
extern LayerListHooks g_layer_hooks;

struct LayerListState {
  TextLine* window = nullptr;  // the layer window, made at its first use and kept
};
extern LayerListState g_layer_list;

// Places the layer window (made at its first use) as place_window takes a row and a column.
void place_layer_list(int row, int column);
// Runs the layer window: the layer line chosen with Enter, or null.
TextLine* run_layer_list();
// run_layer_list, then the visibility table is rebuilt from the list.
TextLine* pick_layer();
// The list shows the caller's on/off array, which holds the states as the user left them
// afterwards; the layers' own states are back when it returns.
TextLine* pick_layer_with_flags(uint8_t flags[256]);
// The layer's name, or its number when it has none, in the current dialog field.
void show_layer_name_field(int layer);
// The dialog field of a layer number in the record's byte LAYER_FIELD_OFFSET: digits edit it
// (244-254 and numbers over 255 refused, the value kept), Enter or a click picks from the list.
EventCode edit_layer_field(uint8_t* record);
// The layer window's line drawer and key filter.
void draw_layer_row(int row, TextLine* node);
EventCode layer_list_filter();

// Destroys the layer window (its lines stay the layer table's).
void free_layer_list_window();
