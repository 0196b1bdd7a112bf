// The screen's side of the machining host: an NC run's progress box with its last line kept
// current, the Esc key that cancels the run, and its catalogue messages and questions in the
// program's boxes.
#pragma once

// Installs the screen's functions in the machining host record.
void connect_cam_host_to_screen();

// The progress box: opened with the run's text, its last line rewritten by each progress line,
// closed at the run's end.
void open_progress_box(const char* text);
void show_progress_line(const char* line);
void close_progress_box();
// True when Esc waits in the input (it is taken out); pointer moves and ticks before it are
// dropped, any other input stays queued for after the run.
bool escape_waiting();
