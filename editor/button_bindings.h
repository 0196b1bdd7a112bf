// The commands bound to the three mouse buttons on the Drawing page: a current table and the two
// stored tables of the node editor and of the drawing, indexed by the button bits (1 left,
// 2 right, 4 middle); the preferences file stores the two tables.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

constexpr int BUTTON_BINDING_COUNT = 8;
constexpr int16_t BUTTON_UNBOUND = 32767;
constexpr int16_t COMMAND_LINE_TOOL = 750;        // the drawing table's left button
constexpr int16_t COMMAND_SELECT_TOOL = 750;      // the first drawing tool: tool n is 750 + n
constexpr int BUTTON_LEFT_BIT = 1;                // indices of the tables: the button bits
constexpr int BUTTON_RIGHT_BIT = 2;
constexpr int BUTTON_MIDDLE_BIT = 4;
constexpr int16_t COMMAND_DRAWING_RIGHT = 766;    // set on the drawing table at every start
constexpr int16_t COMMAND_NODE_EDITOR_RIGHT = 851;  // set on the node-editor table at every start

// A binding table in force before button_commands_set: where it was and what it held.
struct ButtonBindingsSave {
  int16_t* current = nullptr;
  std::array<int16_t, BUTTON_BINDING_COUNT> values{};
};

// Stand-in: the three tables, their factory values and the save stack; no dispatch yet.
struct ButtonBindings {
  int16_t node_editor[BUTTON_BINDING_COUNT] = {0,   802,   851,   32767,
                                               806, 32767, 32767, 32767};
  int16_t drawing[BUTTON_BINDING_COUNT] = {0, 750, 766, 32767, 759, 32767, 32767, 32767};
  int16_t* current = drawing;  // the table in force: drawing, node_editor or temporary
  // The table button_commands_set binds, so that the two stored tables never hold its commands.
  int16_t temporary[BUTTON_BINDING_COUNT] = {};
  std::vector<ButtonBindingsSave> saved;  // newest last
};
inline ButtonBindings g_button_bindings;

// Test hooks
inline void reset_button_bindings() {
  g_button_bindings.saved.clear();
  g_button_bindings.current = g_button_bindings.drawing;
}
