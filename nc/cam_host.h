// The host the machining code talks to the user through: the progress box of an NC run, the
// message pump, the Esc key, press-a-key messages and catalogue questions. The program installs
// its screen's functions at start-up; without them the headless default records every message
// (tests and the command-line tool read them back) and never sees Esc. The make-NC driver and
// the tool-path engine use nothing else of the screen, so they run headless as they run on it.
#pragma once

#include <string>
#include <vector>

struct CamHost {
  // Opens the progress box with its text; updates its last line; closes it.
  void (*open_progress)(const char* text) = nullptr;
  void (*show_progress)(const char* line) = nullptr;
  void (*close_progress)() = nullptr;
  // Lets the windowing system run (repaints, input into the event queue).
  void (*pump_messages)() = nullptr;
  // True when Esc is waiting in the event queue (it is taken out).
  bool (*escape_pressed)() = nullptr;
  // A press-a-key box with a literal text (colour codes allowed).
  void (*show_message)(const char* text) = nullptr;
  // Catalogue message n shown as its number range says.
  void (*show_catalogue_message)(int number) = nullptr;
  // A catalogue choice prompt: the index of the choice taken, or -1 for Esc.
  int (*ask_catalogue_choice)(int number) = nullptr;
  // The drawing changed under the run (its tool paths were cleared): redraw it on the next pass.
  void (*request_redraw)() = nullptr;
  // An NC run starts: the program's view gets a scale it can show the result with.
  void (*prepare_view)() = nullptr;
};
extern CamHost g_cam_host;

// What the headless host recorded.
struct CamHostLog {
  std::vector<std::string> messages;   // literal texts, and "catalogue N" for a catalogue message
  std::vector<std::string> progress;   // every progress line shown
  int choice_answer = -1;              // what every catalogue question is answered (-1 Esc)
  int escape_after_polls = -1;         // Esc arrives at this poll (0 the first); -1 never
  int polls = 0;                       // escape polls so far
  int redraw_requests = 0;             // redraws asked for
  int view_preparations = 0;           // views prepared for a run

  int message_count() const { return static_cast<int>(messages.size()); }
  std::string last_message() const { return messages.empty() ? std::string() : messages.back(); }
};
extern CamHostLog g_cam_host_log;

// ---- Calls (each goes to the host's function, or to the headless default) ---------------------
void host_open_progress(const char* text);
void host_show_progress(const char* line);
void host_close_progress();
void host_pump_messages();
bool host_escape_pressed();
void host_show_message(const char* text);
void host_show_catalogue_message(int number);
int host_ask_catalogue_choice(int number);
void host_request_redraw();
void host_prepare_view();

// ---- Test hooks ---------------------------------------------------------------------------------
// The headless default host and an empty log.
void reset_cam_host();
