// The pointer's picture on the Drawing page says what a click of the left button would do: over
// an item with a node-editor command on the left button the page chooses a context picture by
// the command, the kind of pick and the item type, and two commands read the choice back. The
// right button opens the picture menus of the drawing tools (nothing under the cursor) and of
// the node-editor commands (an item); a right press that travels or is held pans instead.
#pragma once

#include <cstdint>

#include "editor/page_menus.h"

// Pictures of the choice.
constexpr uint8_t CONTEXT_CANNOT = 11;
constexpr uint8_t CONTEXT_STRAIGHTEN_ALONG_X = 80;
constexpr uint8_t CONTEXT_STRAIGHTEN_ALONG_Y = 74;
constexpr uint8_t CONTEXT_NODE_LOOSE = 82;
constexpr uint8_t CONTEXT_NODE_TANGENT = 83;

constexpr char FUNCTION_NOT_READY_TEXT[] = "That function aint ready!";
constexpr char RIGHT_MENU_STATUS_TEXT[] =
    "Click the \vleft\x13 mouse button on the function you want the left button to have.\n"
    "Click the \fmiddle\x13 mouse button on the function you want the middle button to have.";

// A node-editor command and its pointer picture in a picture menu's cell.
struct CommandCell {
  int16_t command;
  uint8_t picture;
};

// The picture for the hovered item (also left in hover_shape); the pointer shows it.
uint8_t choose_context_picture();
// The picture the table gives a node-editor command (0 for none).
uint8_t node_command_picture(int16_t command);
// A right-button code of the page (766-768, 850, 851): a menu or a pan. What the page does next.
PagePass right_button_menu(int code);
