#include "ui/key_pushback.h"

KeyPushBack g_key_pushback;

void push_back_key(EventCode code) {
  if (code == 0) return;
  g_key_pushback.codes.push_back(code);
}

EventCode pop_pushed_key() {
  if (g_key_pushback.codes.empty()) return 0;
  EventCode code = g_key_pushback.codes.back();
  g_key_pushback.codes.pop_back();
  return code;
}

void reset_key_pushback() { g_key_pushback.codes.clear(); }
