// The host the job document reaches the user through: the failures of a load and the notice of
// a finished save (text boxes), and for the import and the job statistics messages, the Esc
// key, the message pump, a window of text lines and the file chooser; for the background image
// the save chooser, a number question and the middle of the view. Start-up connects it to
// the screen; unconnected, the text boxes go to the log of unconnected hosts and the rest to
// the job host's own log (tests and the command-line tools read both), Esc never comes and
// every number question is answered from the log (Esc when it holds none).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/store_host.h"

struct JobHost {
  ShowTextBoxFn show_text_box = nullptr;
  // A press-a-key box with a literal text (colour codes allowed); without it the text box
  // above shows the message.
  void (*show_message)(const char* text) = nullptr;
  // True when Esc is waiting in the event queue (it is taken out).
  bool (*escape_pressed)() = nullptr;
  // Lets the windowing system run.
  void (*pump_messages)() = nullptr;
  // Shows the lines (colour codes allowed) in an editor window with a title, rows high and
  // columns wide, top rows from the screen's top.
  void (*show_lines)(const std::vector<std::string>& lines, const char* title, int top, int rows,
                     int columns) = nullptr;
  // The open-file chooser: a file of `folder` matching `filter` ("Name|*.a;*.b|..."), or ""
  // when the user cancels.
  std::string (*choose_file)(const std::string& folder, const char* filter) = nullptr;
  // The save-file chooser, proposing `path`; a name without an extension gets
  // `default_extension` (".TIF"); "" when the user cancels.
  std::string (*choose_save_file)(const std::string& path, const char* default_extension) = nullptr;
  // Shows the prompt (colour codes allowed) with a number entry holding the proposal (empty
  // when it is 0 or less); false on Esc, else the number typed in *answer.
  bool (*ask_number)(const char* prompt, double proposal, double* answer) = nullptr;
  // The drawing coordinates of the middle of the drawing view.
  void (*view_centre)(double* x, double* y) = nullptr;
  // The choice prompt of catalogue message `message`: the index of the choice taken, -1 on Esc.
  int (*ask_choice)(int message) = nullptr;
};
extern JobHost g_job_host;

// What the unconnected host was asked.
struct JobHostLog {
  std::vector<std::string> messages;        // every message shown
  std::vector<std::string> lines;           // the lines of the last line window
  std::string lines_title;                  // its title
  std::string chosen_file;                  // what every file chooser answers ("" cancels)
  std::string chosen_save_file;             // what every save chooser answers ("" cancels)
  std::string save_proposal;                // the path the last save chooser proposed
  std::vector<double> number_answers;       // the numbers typed, in turn; none left is Esc
  std::vector<std::string> number_prompts;  // every number question asked
  double view_centre_x = 0.0;               // the view's middle
  double view_centre_y = 0.0;
  std::vector<int> choice_answers;          // the choices taken, in turn; none left is Esc
  std::vector<int> choice_prompts;          // every choice prompt asked
  int escape_after_polls = -1;              // Esc arrives at this poll (0 the first); -1 never
  int polls = 0;                            // escape polls so far
};
extern JobHostLog g_job_host_log;

// The job files' text box: the host's, or the log when none is connected.
int16_t job_show_text_box(const char* text, uint32_t flags);
void job_show_message(const char* text);
bool job_escape_pressed();
void job_pump_messages();
void job_show_lines(const std::vector<std::string>& lines, const char* title, int top, int rows,
                    int columns);
std::string job_choose_file(const std::string& folder, const char* filter);
std::string job_choose_save_file(const std::string& path, const char* default_extension);
bool job_ask_number(const char* prompt, double proposal, double* answer);
void job_view_centre(double* x, double* y);
int job_ask_choice(int message);

// ---- Test hooks --------------------------------------------------------------------------------
// No host connected and an empty job host log.
void reset_job_host();
