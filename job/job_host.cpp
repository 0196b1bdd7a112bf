#include "job/job_host.h"

JobHost g_job_host;
JobHostLog g_job_host_log;

int16_t job_show_text_box(const char* text, uint32_t flags) {
  if (g_job_host.show_text_box != nullptr) return g_job_host.show_text_box(text, flags);
  return log_text_box(text, flags);
}

void job_show_message(const char* text) {
  if (g_job_host.show_message != nullptr) g_job_host.show_message(text);
  else if (g_job_host.show_text_box != nullptr) g_job_host.show_text_box(text, TEXTBOX_PRESS_A_KEY);
  else g_job_host_log.messages.emplace_back(text);
}

bool job_escape_pressed() {
  if (g_job_host.escape_pressed != nullptr) return g_job_host.escape_pressed();
  JobHostLog& log = g_job_host_log;
  const int poll = log.polls++;
  return log.escape_after_polls >= 0 && poll >= log.escape_after_polls;
}

void job_pump_messages() {
  if (g_job_host.pump_messages != nullptr) g_job_host.pump_messages();
}

void job_show_lines(const std::vector<std::string>& lines, const char* title, int top, int rows,
                    int columns) {
  if (g_job_host.show_lines != nullptr) {
    g_job_host.show_lines(lines, title, top, rows, columns);
    return;
  }
  g_job_host_log.lines = lines;
  g_job_host_log.lines_title = title;
}

std::string job_choose_file(const std::string& folder, const char* filter) {
  if (g_job_host.choose_file != nullptr) return g_job_host.choose_file(folder, filter);
  return g_job_host_log.chosen_file;
}

std::string job_choose_save_file(const std::string& path, const char* default_extension) {
  if (g_job_host.choose_save_file != nullptr) return g_job_host.choose_save_file(path, default_extension);
  g_job_host_log.save_proposal = path;
  return g_job_host_log.chosen_save_file;
}

int job_ask_choice(int message) {
  if (g_job_host.ask_choice != nullptr) return g_job_host.ask_choice(message);
  JobHostLog& log = g_job_host_log;
  log.choice_prompts.push_back(message);
  if (log.choice_answers.empty()) return -1;
  const int answer = log.choice_answers.front();
  log.choice_answers.erase(log.choice_answers.begin());
  return answer;
}

bool job_ask_number(const char* prompt, double proposal, double* answer) {
  if (g_job_host.ask_number != nullptr) return g_job_host.ask_number(prompt, proposal, answer);
  JobHostLog& log = g_job_host_log;
  log.number_prompts.emplace_back(prompt);
  if (log.number_answers.empty()) return false;
  *answer = log.number_answers.front();
  log.number_answers.erase(log.number_answers.begin());
  return true;
}

void job_view_centre(double* x, double* y) {
  if (g_job_host.view_centre != nullptr) {
    g_job_host.view_centre(x, y);
    return;
  }
  *x = g_job_host_log.view_centre_x;
  *y = g_job_host_log.view_centre_y;
}

void reset_job_host() {
  g_job_host = JobHost{};
  g_job_host_log = JobHostLog{};
}
