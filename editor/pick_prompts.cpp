#include "editor/pick_prompts.h"

#include <cstdio>
#include <string>
#include <vector>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/pick_strip.h"
#include "editor/view.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

namespace {

const char* const VERBS[VERB_COUNT] = {
    "make an array of.",
    "divide into pieces.",
    "move to\nsome intersection point, midpoint, etc.",
    "separate into individual links.",
    "mirror.",
    "",
    "",
    "",
    "fuse to another.\nNOTE: the CAM settings of this \vfirst\x13 item\nwill be used for the resulting items.",
    "fuse \fto it.\x13",
    "insert a node into.",
    "break.",
    "make perforated",
};

constexpr char HEAD_LINK[] = "Click the \vlink\x13 you want to ";
constexpr char HEAD_NODE[] = "Click the \vnode\x13 you want to ";
constexpr char HEAD_ITEM[] = "Click the item you want to ";

// The pointer over an item while the prompt waits.
constexpr uint8_t PROMPT_ITEM_SHAPE = 39;
constexpr uint16_t PICK_MODE_PROMPT_NODES = 0x108;
constexpr uint16_t PICK_MODE_NORMAL = 14;

enum class Want { LINK, NODE, ITEM };

void show_prompt_head(const char* head, int verb) {
  const std::string text = std::string(head) + pick_verb(verb);
  show_prompt(text.c_str());
  show_message_area(nullptr);
  HoverState& h = g_hover;
  h.item_shape = PROMPT_ITEM_SHAPE;
  h.hover_item = nullptr;
  h.pick_kind = 0;
  draw_pick_strip();
}

// A click with a hovered item: true when it is taken.
bool accepts(Want want, int verb) {
  const HoverState& h = g_hover;
  switch (want) {
    case Want::LINK:
      if (verb == VERB_DIVIDE || verb == VERB_INSERT_NODE || verb == VERB_BREAK) return true;
      if (item_type(h.hover_item) == ITEM_POLYLINE && h.pick_kind > 2) return true;
      show_text_box(PICK_LINK_ONLY_TEXT, TEXTBOX_PRESS_A_KEY);
      return false;
    case Want::NODE:
      if (h.pick_kind <= 2) return true;
      show_text_box(PICK_NODE_ONLY_TEXT, TEXTBOX_PRESS_A_KEY);
      return false;
    case Want::ITEM: return true;
  }
  return false;
}

// The loop every prompt shares: 0 picked, -1 cancelled.
int prompt_loop(const char* head, Want want, int verb) {
  show_prompt_head(head, verb);
  for (;;) {
    const EventCode code = next_editor_event_hover();
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      help_show_top();
      draw_button_legend(0);
      show_prompt_head(head, verb);
      continue;
    }
    const int strip_event = read_pick_strip_event(code);
    if (strip_event == STRIP_EVENT_CANCEL) return -1;
    if (strip_event == STRIP_EVENT_HANDLED) continue;
    if (code == PICK_COMMAND_PICK) {
      if (g_hover.hover_item == nullptr) continue;
      if (accepts(want, verb)) return 0;
      g_hover.hover_item = nullptr;
      g_hover.pick_kind = 0;
      continue;
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
}

// Binds the buttons and pushes the help, runs the loop and gives both back.
int run_prompt(const char* head, Want want, int verb, int16_t help, uint16_t pick_mode,
               uint16_t mode_after) {
  button_commands_set(PICK_COMMAND_PICK, PICK_COMMAND_NONE, PICK_COMMAND_QUIT);
  help_push(help);
  push_control_table();
  HoverState& h = g_hover;
  h.pick_mode = pick_mode;
  const int result = prompt_loop(head, want, verb);
  h.pick_mode = mode_after;
  pop_control_table();
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  return result;
}

bool link_hovered() {
  const HoverState& h = g_hover;
  return h.hover_item != nullptr && h.pick_kind >= 0 && (h.pick_kind & 0x30) != 0;
}

}  // namespace

const char* pick_verb(int verb) { return verb >= 0 && verb < VERB_COUNT ? VERBS[verb] : ""; }

int pick_link(int verb) {
  if (link_hovered()) return 0;
  const uint16_t mode = g_hover.pick_mode;
  return run_prompt(HEAD_LINK, Want::LINK, verb,
                    verb == VERB_PERFORATE ? MSG_HELP_PICK_PERFORATE : MSG_HELP_PICK_ITEM,
                    static_cast<uint16_t>(mode | PICK_MODE_ITEM_REPORTS),
                    static_cast<uint16_t>(mode & ~PICK_MODE_ITEM_REPORTS));
}

int pick_node(int verb) {
  const HoverState& h = g_hover;
  if (h.hover_item != nullptr && h.pick_kind != 0 && h.pick_kind <= 2) return 0;
  return run_prompt(HEAD_NODE, Want::NODE, verb, MSG_HELP_PICK_NODE, PICK_MODE_PROMPT_NODES,
                    PICK_MODE_NORMAL);
}

int pick_item(int verb) {
  if (g_hover.hover_item != nullptr) return 0;
  const uint16_t mode = g_hover.pick_mode;
  return run_prompt(HEAD_ITEM, Want::ITEM, verb, MSG_HELP_PICK_ITEM,
                    static_cast<uint16_t>(mode | PICK_MODE_ITEM_REPORTS),
                    static_cast<uint16_t>(mode & ~PICK_MODE_ITEM_REPORTS));
}

DrawingItem* pick_separable_item() {
  clear_hover_hilite();
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  for (;;) {
    if (pick_item(VERB_SEPARATE) != 0) return nullptr;
    DrawingItem* item = g_hover.hover_item;
    const uint8_t type = item_type(item);
    if (type != ITEM_TEXT && type != ITEM_TEXT_LIKE && type != ITEM_ELLIPSE && type != ITEM_CIRCLE)
      return item;
    show_text_box(PICK_NO_SEPARATE_TEXT, TEXTBOX_PRESS_A_KEY);
    g_hover.hover_item = nullptr;
    g_hover.pick_kind = 0;
  }
}
