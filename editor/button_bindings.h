// The commands the three mouse buttons carry on the Drawing page. Each record holds eight ids
// indexed by the held button bits (1 left, 2 right, 4 middle); a click delivers the id bound to
// the buttons held, and the legend below the drawing names them. Commands and menus rebind the
// buttons and give the binding back when they end; a stack of saved records makes this nest.
#pragma once

#include <cstdint>

constexpr int BUTTON_BINDING_COUNT = 8;
constexpr int16_t BUTTON_UNBOUND = 32767;
constexpr int BUTTON_LEFT_BIT = 1;  // indices of a record: the button bits
constexpr int BUTTON_RIGHT_BIT = 2;
constexpr int BUTTON_MIDDLE_BIT = 4;
constexpr int BUTTON_STACK_DEPTH = 9;  // saved records; a tenth save is ignored

// The three ranges of command ids, each with its table of legend names.
constexpr int16_t COMMAND_PAGE_BASE = 750;    // Drawing-page tools 750-768
constexpr int16_t COMMAND_PAGE_LAST = 768;
constexpr int16_t COMMAND_NODE_BASE = 801;    // node-editor commands 801-895
constexpr int16_t COMMAND_NODE_LAST = 895;
constexpr int16_t COMMAND_MENU_BASE = 991;    // menu navigation 991-997
constexpr int16_t COMMAND_MENU_LAST = 997;

constexpr int16_t COMMAND_SELECT_TOOL = 750;      // the first page tool: tool n is 750 + n
constexpr int16_t COMMAND_LINE_TOOL = 759;        // the page record's middle button at first
constexpr int16_t COMMAND_DRAWING_RIGHT = 766;    // "Menu: New Item": the page's right button
constexpr int16_t COMMAND_NODE_MENU_LINK = 767;   // "Menu: Node" over a link
constexpr int16_t COMMAND_NODE_MENU_NODE = 768;   // "Menu: Node" over a node
constexpr int16_t COMMAND_NODE_EDITOR_RIGHT = 851;
constexpr int16_t COMMAND_SELECT_THIS = 995;      // menu navigation outside the drawing
constexpr int16_t COMMAND_MENU_NAVIGATION = 997;  // a button that carries nothing there
constexpr int16_t COMMAND_OVER_TITLE_BAND = 996;
constexpr int16_t COMMAND_OVER_CONTROL = 991;

struct ButtonBindings {
  // The page record and the node-editor record, stored in the preferences file.
  int16_t drawing[BUTTON_BINDING_COUNT] = {0, 750, 766, 32767, 759, 32767, 32767, 32767};
  int16_t node_editor[BUTTON_BINDING_COUNT] = {0, 802, 850, 32767, 806, 32767, 32767, 32767};
  int16_t* current = drawing;  // the record the buttons use now: drawing or node_editor
  int16_t name_base = COMMAND_PAGE_BASE;  // id of the first name of the current name table
  int16_t saved[BUTTON_STACK_DEPTH][BUTTON_BINDING_COUNT] = {};  // saved copies, oldest first
  int depth = 0;  // 0..BUTTON_STACK_DEPTH saved copies
};
extern ButtonBindings g_button_bindings;

// ---- binding ----
// Saves the current record and writes the three ids into it in place; the legend follows.
void button_commands_set(int16_t left, int16_t middle, int16_t right);
void button_commands_save();
// Copies the last saved record back into the current one (nothing when none is saved); the
// legend is not redrawn.
void button_commands_pop();
// Makes the record current and chooses its name table.
void use_button_record(int16_t* record);
// The id bound to a set of held button bits.
int16_t bound_command(int button_bits);
// The id bound to the buttons held with the one just pressed (a left, middle or right button-down
// code): a press and its release may both be handled before the press is read, so the press's
// own button counts as held.
int16_t bound_command_of_press(int16_t press);

// ---- names and pictures ----
// The base of the name table an id belongs to (by the left id, as the binding chooses it).
int16_t name_base_of(int16_t left_id);
// The legend name of an id ("" for none), two lines split by '\n', with colour codes.
const char* button_command_name(int16_t id);
// The pointer picture of a page tool (1 for other ids).
int16_t tool_pointer_picture(int16_t id);
// True when every bound id of a stored record has a name: a record read from a file that holds
// anything else is not taken.
bool button_record_valid(const int16_t record[BUTTON_BINDING_COUNT]);
// The factory records.
void factory_button_records(int16_t drawing[BUTTON_BINDING_COUNT],
                            int16_t node_editor[BUTTON_BINDING_COUNT]);

// Test hooks
void reset_button_bindings();
