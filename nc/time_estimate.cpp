#include "nc/time_estimate.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "nc/proof_file.h"
#include "records/job_settings.h"
#include "store/record_bytes.h"

namespace {

constexpr float MM_PER_INCH = 25.4f;
constexpr size_t RECORDS_PER_READ = 8192;

bool job_metric() { return g_job_settings.units != JOB_UNITS_INCH; }

float rapid_minutes(float d) {
  const RapidSettings& r = g_time_estimate.working;
  if (d < r.short_distance) return r.slow_speed > 0.0f ? d / r.slow_speed : 0.0f;
  if (d < r.medium_distance) return r.medium_speed > 0.0f ? d / r.medium_speed : 0.0f;
  return r.full_speed > 0.0f ? d / r.full_speed : 0.0f;
}

void take_record(const uint8_t* r) {
  TimeEstimate& t = g_time_estimate;
  const char kind = static_cast<char>(r[0]);
  switch (kind) {
    case PROOF_LINE: {
      const float feed = get_f32_le(r + 5);
      t.feed = feed > 0.001f ? feed : 1.0f;
      return;
    }
    case PROOF_TOOL:
    case PROOF_TOOL_FINISHING:
    case PROOF_TOOL_ROUGHING:
      t.total_minutes += t.working.tool_change_minutes;
      return;
    default:
      add_proof_record_time(kind, get_f32_le(r + 1), get_f32_le(r + 5), get_f32_le(r + 9));
  }
}

}  // namespace

RapidSettings default_rapid_settings(bool metric) {
  RapidSettings r;
  if (metric) {
    r = RapidSettings{15.0f, 60.0f, 250.0f, 1000.0f, 6000.0f, 0.1f};
  } else {
    r = RapidSettings{0.5f, 2.5f, 10.0f, 50.0f, 120.0f, 0.1f};
  }
  return r;
}

RapidSettings convert_rapid_settings(const RapidSettings& settings, bool from_metric,
                                     bool to_metric) {
  if (from_metric == to_metric) return settings;
  const float f = to_metric ? MM_PER_INCH : 1.0f / MM_PER_INCH;
  RapidSettings r = settings;
  r.short_distance *= f;
  r.medium_distance *= f;
  r.slow_speed *= f;
  r.medium_speed *= f;
  r.full_speed *= f;
  return r;
}

void reset_time_estimate(RapidSettings* stored, bool stored_metric) {
  const uint8_t display = g_time_estimate.time_display;
  g_time_estimate = TimeEstimate{};
  g_time_estimate.time_display = display;
  if (!(stored->short_distance > 0.0f)) *stored = default_rapid_settings(stored_metric);
  g_time_estimate.working = convert_rapid_settings(*stored, stored_metric, job_metric());
  g_time_estimate.feed = 1.0f;
}

void store_rapid_settings(RapidSettings* stored, bool stored_metric) {
  *stored = convert_rapid_settings(g_time_estimate.working, job_metric(), stored_metric);
}

void add_proof_record_time(char kind, float x, float y, float z) {
  TimeEstimate& t = g_time_estimate;
  switch (kind) {
    case PROOF_POSITION:
      t.x = x;
      t.y = y;
      t.z = 0.0f;
      return;
    case PROOF_FEED:
    case PROOF_FEED_SECOND:
    case PROOF_CHORD:
    case PROOF_ARC_STRAIGHT:
    case PROOF_FEED_3D:
    case PROOF_RAPID: {
      t.previous_x = t.x;
      t.previous_y = t.y;
      t.x = x;
      t.y = y;
      const float d = std::hypot(t.x - t.previous_x, t.y - t.previous_y);
      if (kind == PROOF_RAPID) {
        t.xy_rapid += d;
        t.total_minutes += rapid_minutes(d);
      } else {
        t.xy_cutting += d;
        t.total_minutes += d / t.feed;
      }
      return;
    }
    case PROOF_OUTLINE_MOVE:
    case PROOF_Z_STEP:
    case PROOF_RAPID_Z:
    case PROOF_PLUNGE: {
      t.previous_z = t.z;
      t.z = z;
      const float d = std::fabs(t.z - t.previous_z);
      if (kind == PROOF_PLUNGE) {
        t.z_plunging += d;
        t.total_minutes += d / t.feed;
      } else {
        t.z_rapid += d;
        t.total_minutes += rapid_minutes(d);
      }
      return;
    }
    default:
      return;
  }
}

void accumulate_proof_time() {
  FILE* file = std::fopen(proof_file_path().c_str(), "rb");
  if (file == nullptr) return;
  std::vector<uint8_t> buffer(RECORDS_PER_READ * PROOF_RECORD_SIZE);
  size_t kept = 0;
  for (;;) {
    const size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file);
    const size_t have = kept + got;
    const size_t whole = have / PROOF_RECORD_SIZE;
    for (size_t k = 0; k < whole; ++k) take_record(buffer.data() + k * PROOF_RECORD_SIZE);
    kept = have - whole * PROOF_RECORD_SIZE;
    if (kept > 0) std::memmove(buffer.data(), buffer.data() + whole * PROOF_RECORD_SIZE, kept);
    if (got == 0) break;
  }
  std::fclose(file);
}

std::string format_machining_time() {
  const double t = g_time_estimate.total_minutes;
  char text[64];
  if (t < 60.0) {
    const int m = static_cast<int>(t);
    const int s = static_cast<int>((t - m) * 60.0);
    std::snprintf(text, sizeof text, "%d mins, %d secs", m, s);
  } else {
    const int h = static_cast<int>(t / 60.0);
    const int m = static_cast<int>(t - 60.0 * h);
    std::snprintf(text, sizeof text, "%d hours, %d min", h, m);
  }
  return text;
}

std::string machining_time_report() {
  const TimeEstimate& t = g_time_estimate;
  const RapidSettings& r = t.working;
  std::string text =
      "WARNING: Don't use these times for job cost estimating!!!\nThis time is useful only for "
      "rough estimates!\n\nAnd the approximate machine time is:\n        ";
  text += format_machining_time();
  char tail[1024];
  if (!job_metric()) {
    std::snprintf(tail, sizeof tail,
                  "\n\nTotal travel distances -----------------\n   X-Y cutting: %.1f inches\n"
                  "     X-Y rapid: %.1f inches\n       Z rapid: %.1f inches\n    Z plunging: %.1f "
                  "inches\n\n----------------------------------------\nFeed rates came from the NC "
                  "program, but\nthe time for rapid moves was based on a\nrapid travel of %.1f ipm, "
                  "with...\n      distances below %.1f at %.1f ipm\n      distances below %.1f at "
                  "%.1f ipm\n",
                  t.xy_cutting, t.xy_rapid, t.z_rapid, t.z_plunging, r.full_speed, r.short_distance,
                  r.slow_speed, r.medium_distance, r.medium_speed);
  } else {
    std::snprintf(tail, sizeof tail,
                  "\n\nTotal travel distances -----------------\n   X-Y cutting: %.0f mm\n     X-Y "
                  "rapid: %.0f mm\n       Z rapid: %.0f mm\n    Z plunging: %.0f mm\n\n"
                  "----------------------------------------\nFeed rates came from the NC program, "
                  "but\nthe time for rapid moves was based on a\nrapid travel of %.1f mm/m, "
                  "with...\n      distances below %.0f at %.1f mm/m\n      distances below %.0f "
                  "at %.1f mm/m\n",
                  t.xy_cutting, t.xy_rapid, t.z_rapid, t.z_plunging, r.full_speed, r.short_distance,
                  r.slow_speed, r.medium_distance, r.medium_speed);
  }
  return text + tail;
}

void reset_time_estimate_state() { g_time_estimate = TimeEstimate{}; }
