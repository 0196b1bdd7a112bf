// A user for page tests: steps that run when the program next waits and their condition holds
// (a key, text, a look at the screen). Until the first step is ready the program's waits go on
// as without a user, so the virtual clock moves.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "platform/pump.h"
#include "platform/headless.h"

struct QueuedUser {
  struct Step {
    std::function<bool()> ready;
    std::function<void()> act;
  };
  static std::deque<Step>& steps() {
    static std::deque<Step> s;
    return s;
  }
  static bool idle() {
    auto& s = steps();
    if (s.empty() || !s.front().ready()) return false;
    const Step step = s.front();
    s.pop_front();
    step.act();
    return true;
  }
  static void start() {
    steps().clear();
    pump_set_idle_handler(idle);
  }
  static void stop() {
    pump_set_idle_handler(nullptr);
    steps().clear();
  }
  static void when(std::function<bool()> ready, std::function<void()> act) {
    steps().push_back({std::move(ready), std::move(act)});
  }
  static void press(int vk, int mods = 0) {
    when([] { return true; }, [vk, mods] { headless_inject_keystroke(vk, mods); });
  }
  static void type(const std::string& text) {
    when([] { return true; }, [text] { headless_inject_text(text); });
  }
};
