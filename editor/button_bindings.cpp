#include "editor/button_bindings.h"

#include <algorithm>
#include <iterator>

#include "editor/page_furniture.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"

ButtonBindings g_button_bindings;

namespace {

// Legend names of the Drawing page's tools, 750-768.
const char* const PAGE_NAMES[] = {
    "Select\nitems", "Mark\nItems", "Un-Mark\nItems", "Measure\ndistances", "Create\ntext",
    "Draw\nrectangle", "Draw\ncircle", "Draw\narc", "Mark\nNodes", "Draw\nline", "Draw\nspline",
    "Draw\npolygon", "Un-Mark\nNodes", "Draw\npoints", "Draw\nellipse", "Draw\nslot",
    "\x0bMenu\x13:\n\x0bNew Item\x13", "\x0cMenu:\nNode\x13", "\x0cMenu:\nNode\x13",
};

// Legend names of the node editor's commands, 801-895 (895: a button that carries nothing).
const char* const NODE_NAMES[] = {
    "Pick", "Move\nnode", "Move\nlink", "Move\nitem", "Join\nitems", "Add a\nnode", "Flex\nnode",
    "Scale\nitem", "Break\nat node", "Extrude\nnode", "Extrude\nlink", "Rotate\nitem",
    "Node loose\nor tangent", "Slide\nnode", "Slide\nlink", "Copy\nitem", "Make node\nthe start",
    "Delete\nnode", "Delete\nlink", "Delete\nitem", "Straighten\nlink", "Scale\ntext",
    "Spacing\ntext", "Stretch\ntext", "Warp\ntext", "Move\nchain", "Delete\nchain",
    "Slide\nchain", "Rotate\nchain", "Copy\nchain", "Scale\nchain", "Copy\nlink",
    "Fillet\nnode/link", "Scale\nlink", "Rotate\nlink", "Drag link\noffset", "Drag CAD\noffset",
    "Drag CAM\noffset", "Stretch\ntext", "Fillet\npolyline", "Slant\npolyline", "Move\nmarked",
    "Scale\nmarked", "Copy\nmarked", "Rotate\nmarked", "Slant\nmarked", "Slide\nmarked",
    "Stretch\nmarked", "\x0bMenu\x13:\nChange", "\x0cMenu:\nNode\x13", "\x0cMenu:\nNode\x13",
    "Mark\nnode", "Mark\nitem", "Un-mark", "Un-mark\nnode", "Un-mark\nitem", "Zoom\nwindow",
    "Pan", "Join\nwith line", "Join\nas is", "Join if\ntouching", "Let this be\nboundary",
    "Extend\nor Trim", "Extend\nthis node", "Trim\nthis link", "Separate\nlinks",
    "Fillet\nnode/link", "Fillet\npolyline", "Offset\nlink\n", "Offset\npolyline",
    "Copy tool\nparameters", "Apply tool\nparameters", "Set as\ndrawing aid",
    "Make link\nparallel", "Make per-\npendicular", "Make node\ntangent", "Reverse arc\ndirection",
    "Toggle node\nvisible", "Reference\npoint", "Drag tool\ndiameter", "Fixed tool\ndiameter",
    "Set tool\ndiameter", "Cut this\nfirst", "Cut this\nnext", "Cut link", "Set arc's\n2nd point",
    "Set arc's\nend point", "Finished", "\x0cQuit;\nfinished\x13", "\x0bObject\nSnap Menu\x13",
    "Select\nitems", "Un-Select\nitems", "Move\nruler", "Set mirror\nstart point", "",
};

// Legend names of the menu navigation, 991-997.
const char* const MENU_NAMES[] = {
    "Pick", "\x0bSelect\nMenu item\x13", "\x0bMove up\nor down\x13", "\013Cancel\nthis menu\x13",
    "\x0bSelect\nthis\x13", "\x0bMove\nBrenvik\x13", "",
};

static_assert(std::size(PAGE_NAMES) == COMMAND_PAGE_LAST - COMMAND_PAGE_BASE + 1);
static_assert(std::size(NODE_NAMES) == COMMAND_NODE_LAST - COMMAND_NODE_BASE + 1);
static_assert(std::size(MENU_NAMES) == COMMAND_MENU_LAST - COMMAND_MENU_BASE + 1);

// Pointer pictures of the page tools, 750-768.
constexpr int16_t PAGE_PICTURES[] = {1,  29, 38, 37, 33, 21, 24, 22, 36, 20,
                                     23, 25, 35, 26, 28, 27, 1,  1,  1};

constexpr int16_t FACTORY_DRAWING[BUTTON_BINDING_COUNT] = {0, 750, 766, 32767,
                                                           759, 32767, 32767, 32767};
constexpr int16_t FACTORY_NODE_EDITOR[BUTTON_BINDING_COUNT] = {0, 802, 850, 32767,
                                                               806, 32767, 32767, 32767};

bool has_name(int16_t id) {
  return (id >= COMMAND_PAGE_BASE && id <= COMMAND_PAGE_LAST) ||
         (id >= COMMAND_NODE_BASE && id <= COMMAND_NODE_LAST) ||
         (id >= COMMAND_MENU_BASE && id <= COMMAND_MENU_LAST);
}

}  // namespace

void button_commands_save() {
  ButtonBindings& b = g_button_bindings;
  if (b.depth >= BUTTON_STACK_DEPTH) return;
  std::copy(b.current, b.current + BUTTON_BINDING_COUNT, b.saved[b.depth]);
  ++b.depth;
}

void button_commands_set(int16_t left, int16_t middle, int16_t right) {
  ButtonBindings& b = g_button_bindings;
  b.name_base = name_base_of(left);
  button_commands_save();
  b.current[BUTTON_LEFT_BIT] = left;
  b.current[BUTTON_RIGHT_BIT] = right;
  b.current[BUTTON_MIDDLE_BIT] = middle;
  draw_button_legend(1);
}

void button_commands_pop() {
  ButtonBindings& b = g_button_bindings;
  if (b.depth == 0) return;
  --b.depth;
  std::copy(b.saved[b.depth], b.saved[b.depth] + BUTTON_BINDING_COUNT, b.current);
  b.name_base = name_base_of(b.current[BUTTON_LEFT_BIT]);
}

void use_button_record(int16_t* record) {
  g_button_bindings.current = record;
  g_button_bindings.name_base = name_base_of(record[BUTTON_LEFT_BIT]);
}

int16_t bound_command(int button_bits) {
  return g_button_bindings.current[button_bits & (BUTTON_BINDING_COUNT - 1)];
}

int16_t bound_command_of_press(int16_t press) {
  const int pressed = press == EVENT_LEFT_DOWN    ? BUTTON_LEFT_BIT
                      : press == EVENT_RIGHT_DOWN ? BUTTON_RIGHT_BIT
                                                  : BUTTON_MIDDLE_BIT;
  return bound_command(g_pointer.button_bits | pressed);
}

int16_t name_base_of(int16_t left_id) {
  if (left_id >= 990) return COMMAND_MENU_BASE;
  if (left_id >= 800) return COMMAND_NODE_BASE;
  return COMMAND_PAGE_BASE;
}

const char* button_command_name(int16_t id) {
  if (id >= COMMAND_PAGE_BASE && id <= COMMAND_PAGE_LAST) return PAGE_NAMES[id - COMMAND_PAGE_BASE];
  if (id >= COMMAND_NODE_BASE && id <= COMMAND_NODE_LAST) return NODE_NAMES[id - COMMAND_NODE_BASE];
  if (id >= COMMAND_MENU_BASE && id <= COMMAND_MENU_LAST) return MENU_NAMES[id - COMMAND_MENU_BASE];
  return "";
}

int16_t tool_pointer_picture(int16_t id) {
  if (id >= COMMAND_PAGE_BASE && id <= COMMAND_PAGE_LAST) return PAGE_PICTURES[id - COMMAND_PAGE_BASE];
  return 1;
}

bool button_record_valid(const int16_t record[BUTTON_BINDING_COUNT]) {
  for (int bits : {BUTTON_LEFT_BIT, BUTTON_RIGHT_BIT, BUTTON_MIDDLE_BIT})
    if (!has_name(record[bits])) return false;
  return true;
}

void factory_button_records(int16_t drawing[BUTTON_BINDING_COUNT],
                            int16_t node_editor[BUTTON_BINDING_COUNT]) {
  std::copy(std::begin(FACTORY_DRAWING), std::end(FACTORY_DRAWING), drawing);
  std::copy(std::begin(FACTORY_NODE_EDITOR), std::end(FACTORY_NODE_EDITOR), node_editor);
}

void reset_button_bindings() {
  ButtonBindings& b = g_button_bindings;
  factory_button_records(b.drawing, b.node_editor);
  b.depth = 0;
  use_button_record(b.drawing);
}
