#include "job/job_host.h"

JobHost g_job_host;

int16_t job_show_text_box(const char* text, uint32_t flags) {
  if (g_job_host.show_text_box != nullptr) return g_job_host.show_text_box(text, flags);
  return log_text_box(text, flags);
}

void reset_job_host() { g_job_host = JobHost{}; }
