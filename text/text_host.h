// The host the text engine talks to the user and to the machining defaults through: messages
// about fonts and texts that cannot be laid out, whether an editing command is running (such a
// command reports through its own prompt), and the defaults a new text item starts from.
// Start-up installs the screen's and the machining code's functions; without them the headless
// default records every message, for tests and the command-line tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/drawing_item.h"
#include "store/line_list.h"

// The three kinds of text defaults, in the order the machining defaults keep them.
constexpr int TEXT_DEFAULTS_CENTERLINE = 0;
constexpr int TEXT_DEFAULTS_CONTOUR = 1;
constexpr int TEXT_DEFAULTS_POCKET = 2;

struct TextHost {
  // A press-a-key box with a literal text.
  void (*show_message)(const char* text) = nullptr;
  // True while an editing command runs (its messages go to its prompt instead of a box).
  bool (*editing_command_running)() = nullptr;
  // Gives a text item's machining block the defaults of a cut type, with the cut type as its
  // operation. Null: only the operation is set.
  void (*apply_cam_defaults)(GeometryBlock* block, int cut_type) = nullptr;
  // The stored layout of the text defaults of a kind (TEXT_DEFAULTS_*). Null hook or null
  // answer: no layout defaults.
  const uint8_t* (*default_text_layout)(int kind) = nullptr;
  // True when the machining defaults are kept in inches. Null: in the job's units.
  bool (*defaults_in_inches)() = nullptr;
  // The first item of the drawing (the current list while the drawing's window is active,
  // else that window's lines). Null: the current list.
  TextLine* (*drawing_items)() = nullptr;
};
extern TextHost g_text_host;

// What the headless host recorded.
struct TextHostLog {
  std::vector<std::string> messages;
};
extern TextHostLog g_text_host_log;

void text_show_message(const char* text);
bool text_editing_command_running();
// The headless default host and an empty log.
void reset_text_host();
