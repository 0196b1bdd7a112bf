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

void reset_job_host() {
  g_job_host = JobHost{};
  g_job_host_log = JobHostLog{};
}
