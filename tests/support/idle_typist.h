// A user who answers when the program waits: each time the program's wait finds nothing to do
// (the pump's idle handler), the typist does the next of its steps (a keystroke, typed text, a
// click or a move) as the headless backend's input. Boxes and entries drop the input queued
// before they open, so a test answers them through the typist instead of queueing codes.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "platform/headless.h"
#include "platform/pump.h"
#include "platform/window.h"

struct IdleTypist {
  std::deque<std::function<void()>> steps;
  int idle_calls = 0;
};
inline IdleTypist g_typist;

inline bool typist_idle() {
  ++g_typist.idle_calls;
  if (g_typist.steps.empty()) return false;
  const std::function<void()> step = g_typist.steps.front();
  g_typist.steps.pop_front();
  step();
  return true;
}

// Clears the steps and installs the typist as the pump's idle handler.
inline void start_typist() {
  g_typist = IdleTypist();
  pump_set_idle_handler(typist_idle);
}

inline void typist_key(int vk, int mods = 0) {
  g_typist.steps.push_back([=] { headless_inject_keystroke(vk, mods); });
}
inline void typist_text(const std::string& text) {
  g_typist.steps.push_back([=] { headless_inject_text(text); });
}
inline void typist_click(int x, int y, int button = WINDOW_BUTTON_LEFT) {
  g_typist.steps.push_back([=] {
    headless_inject_mouse_button(button, true, x, y);
    headless_inject_mouse_button(button, false, x, y);
  });
}
inline void typist_move(int x, int y) {
  g_typist.steps.push_back([=] { headless_inject_mouse_move(x, y); });
}
// A step that does nothing, so that one idle wait passes first.
inline void typist_pause() { g_typist.steps.push_back([] {}); }

// A step held back until the program waits where `ready` says (a window open, a box shown):
// the waits on its way there (a glide, a repaint) pass it by. After `tries` waits it acts anyway.
inline std::function<void()> typist_step_when(std::function<bool()> ready,
                                              std::function<void()> act, int tries = 200) {
  return [=] {
    if (ready() || tries <= 0) act();
    else g_typist.steps.push_front(typist_step_when(ready, act, tries - 1));
  };
}
