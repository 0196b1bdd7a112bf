// How the engine's routines talk to the user: through the host of the make-NC run, paced so
// that long runs stay responsive and cancellable. Not for callers outside cam/.
#pragma once

#include <cstdint>

// ---- talking to the user (through the host of the make-NC run) ----
// Shows a progress line ("Creating path %d" with the 55-ms ticks since the NC run began) at
// most every few ticks; pumps window messages when it shows.
void engine_progress(const char* format);
// The same with a count of the caller's in place of the ticks ("Joining paths %d").
void engine_progress_count(const char* format, int32_t count);
// Pumps window messages and tells whether Esc is waiting in the input queue; Esc sets the
// engine's abort flag.
bool engine_escape_pressed();
// The framework's message box (OK and Cancel; the answer is not used).
void engine_message_box(const char* text);
// A message box that waits for a key, centred on the screen.
void engine_text_box(const char* text);
