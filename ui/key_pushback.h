// The key push-back stack: codes a routine wants the run loop to see as if typed. The run loop
// reads it before the window's key filter; the last code pushed comes out first.
#pragma once

#include <vector>

#include "screen/event_queue.h"

struct KeyPushBack {
  std::vector<EventCode> codes;  // pushed codes, oldest first; never holds 0; grows as needed so
                                 // that a long push (a big drag's scroll keys) loses nothing
};
extern KeyPushBack g_key_pushback;

// Pushing and popping
// Pushes a code for the run loop; 0 (which reads as "no key") is ignored.
void push_back_key(EventCode code);
// The code pushed last, removed; 0 when the stack is empty.
EventCode pop_pushed_key();

// Test hooks
void reset_key_pushback();
