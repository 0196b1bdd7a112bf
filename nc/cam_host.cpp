#include "nc/cam_host.h"

CamHost g_cam_host;
CamHostLog g_cam_host_log;

void host_open_progress(const char* text) {
  if (g_cam_host.open_progress != nullptr) g_cam_host.open_progress(text);
}

void host_show_progress(const char* line) {
  if (g_cam_host.show_progress != nullptr) g_cam_host.show_progress(line);
  else g_cam_host_log.progress.emplace_back(line);
}

void host_close_progress() {
  if (g_cam_host.close_progress != nullptr) g_cam_host.close_progress();
}

void host_pump_messages() {
  if (g_cam_host.pump_messages != nullptr) g_cam_host.pump_messages();
}

bool host_escape_pressed() {
  if (g_cam_host.escape_pressed != nullptr) return g_cam_host.escape_pressed();
  CamHostLog& log = g_cam_host_log;
  const int poll = log.polls++;
  return log.escape_after_polls >= 0 && poll >= log.escape_after_polls;
}

void host_show_message(const char* text) {
  if (g_cam_host.show_message != nullptr) g_cam_host.show_message(text);
  else g_cam_host_log.messages.emplace_back(text);
}

void host_show_catalogue_message(int number) {
  if (g_cam_host.show_catalogue_message != nullptr) g_cam_host.show_catalogue_message(number);
  else g_cam_host_log.messages.push_back("catalogue " + std::to_string(number));
}

int host_ask_catalogue_choice(int number) {
  if (g_cam_host.ask_catalogue_choice != nullptr) return g_cam_host.ask_catalogue_choice(number);
  g_cam_host_log.messages.push_back("catalogue " + std::to_string(number));
  return g_cam_host_log.choice_answer;
}

void host_request_redraw() {
  if (g_cam_host.request_redraw != nullptr) g_cam_host.request_redraw();
  else ++g_cam_host_log.redraw_requests;
}

void host_prepare_view() {
  if (g_cam_host.prepare_view != nullptr) g_cam_host.prepare_view();
  else ++g_cam_host_log.view_preparations;
}

void reset_cam_host() {
  g_cam_host = CamHost{};
  g_cam_host_log = CamHostLog{};
}
