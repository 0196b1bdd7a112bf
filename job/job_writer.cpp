// Writing the job file, the safe save through a temp file and a backup, and the autosave.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "job/image_record.h"
#include "job/job_bytes.h"
#include "job/job_file.h"
#include "job/job_file_internal.h"
#include "job/job_host.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "records/parked_items.h"
#include "records/preferences.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"

JobFile g_job_file;

namespace {

// Writes a part and counts it; false once a write failed.
bool emit(SaveFile* file, std::vector<uint8_t>* part, int64_t* total) {
  if (!save_write(file, part->data(), part->size())) return false;
  *total += static_cast<int64_t>(part->size());
  part->clear();
  return true;
}

bool write_head(SaveFile* file, int64_t* total) {
  std::vector<uint8_t> part(JOB_TAG, JOB_TAG + JOB_TAG_SIZE);
  if (!emit(file, &part, total)) return false;
  g_job_settings.image_record_length =
      image_record_named(g_image_record) ? static_cast<int16_t>(IMAGE_RECORD_SIZE) : 0;
  std::memset(g_job_settings.run_time_area, 0, JOB_RUN_TIME_AREA_SIZE);
  part.resize(JOB_SETTINGS_SIZE);
  write_job_settings_bytes(g_job_settings, part.data());
  if (!emit(file, &part, total)) return false;
  // A block that cannot be stored whole is not cut: the save fails instead.
  if (write_layer_block(&part) < 0) return false;
  if (!emit(file, &part, total)) return false;
  const std::string& note = g_job_file.note;
  if (note.size() > 32767) return false;
  ByteWriter w{&part};
  w.i16(static_cast<int16_t>(note.size()));
  if (!note.empty()) w.bytes(note.c_str(), note.size() + 1);
  if (!emit(file, &part, total)) return false;
  if (g_job_settings.image_record_length > 0) {
    part.resize(IMAGE_RECORD_SIZE);
    write_image_record(g_image_record, part.data());
    if (!emit(file, &part, total)) return false;
  }
  return true;
}

bool write_items(SaveFile* file, const DrawingItem* first, int64_t* total) {
  std::vector<uint8_t> part;
  for (const DrawingItem* item = first; item != nullptr; item = item->next) {
    if (!job_item_is_stored(item)) continue;
    write_job_item(item, &part);
    if (!emit(file, &part, total)) return false;
  }
  return true;
}

// The job's path with the job extension: the extension of the last path element is replaced
// (or added) the way the program's path helper does it.
std::string with_job_extension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const bool has_extension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
      path.size() - dot - 1 < 5;
  return (has_extension ? path.substr(0, dot) : path) + "." + JOB_EXTENSION;
}

// The count as the user reads it: 12,345.
std::string with_thousands(int64_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ",");
  return digits;
}

void report_save_failure(SaveResult result, const std::string& path, const std::string& temp,
                         const std::string& why) {
  if (result == SAVE_CANNOT_CREATE) {
    set_message_text((path + " and " + temp + " [" + why + "] ").c_str());
    get_message(MSG_JOB_TEMP_NOT_CREATED);
  } else if (result == SAVE_WRITE_FAILED) {
    set_message_text((path + " [" + why + "] ").c_str());
    get_message(MSG_JOB_NOT_WRITTEN);
  } else if (result == SAVE_CANNOT_RENAME) {
    // The new file is written but could not take the job's name; the old one has it back.
    get_message(MSG_JOB_NOT_RENAMED);
  } else {
    get_message(MSG_JOB_NOT_REPLACED);
  }
}

}  // namespace

int64_t write_job_file(SaveFile* file) {
  int64_t total = 0;
  if (!write_head(file, &total)) return -1;
  if (!write_items(file, g_lists.current.first, &total)) return -1;
  if (!write_items(file, g_parked_items.first, &total)) return -1;
  return total;
}

int write_job_to_path(const std::string& path) {
  int64_t bytes = -1;
  std::string why;
  const SaveResult result = save_file_safely(
      path, "",
      [&bytes](SaveFile* file) {
        bytes = write_job_file(file);
        return bytes >= 0;
      },
      &why);
  if (result != SAVE_OK) return result;
  g_job_file.last_save_bytes = bytes;
  return 0;
}

int save_job_via_temp() {
  restart_autosave_period();
  if (g_job_file.full_path.empty()) {
    report_save_failure(SAVE_CANNOT_CREATE, "", "", "the job has no name");
    return 27;
  }
  const std::string path = with_job_extension(g_job_file.full_path);
  g_job_file.full_path = path;
  const size_t dot = path.rfind('.');
  const std::string temp = path.substr(0, dot) + ".TMP";
  int64_t bytes = -1;
  std::string why;
  const SaveResult result = save_file_safely(
      path, temp,
      [&bytes](SaveFile* file) {
        bytes = write_job_file(file);
        return bytes >= 1;
      },
      &why);
  if (result != SAVE_OK) {
    report_save_failure(result, path, temp, why);
    return 27;
  }
  // Only a whole, flushed file in its place counts as saved.
  g_job_settings.job_changed = 0;
  g_job_file.last_save_bytes = bytes;
  const std::string done =
      path + "\n" + with_thousands(bytes) + " bytes\n" + JOB_SAVE_FINISHED_TEXT;
  job_show_text_box(done.c_str(), TEXTBOX_TIMED | 18);
  return 0;
}

void restart_autosave_period() {
  g_job_file.autosave_started = true;
  g_job_file.next_autosave_tick =
      g_job_file.clock_ticks +
      static_cast<uint32_t>(g_preferences.autosave_minutes) * AUTOSAVE_TICKS_PER_MINUTE;
}

int auto_save_job(uint32_t now_ticks) {
  g_job_file.clock_ticks = now_ticks;
  if (g_preferences.autosave_minutes == 0) return 0;
  if (!g_job_file.autosave_started) {
    restart_autosave_period();
    return 0;
  }
  // Compared as a difference so that the tick counter may wrap.
  if (static_cast<int32_t>(now_ticks - g_job_file.next_autosave_tick) <= 0) return 0;
  const uint8_t changed = g_job_settings.job_changed;
  const int result = write_job_to_path(path_join(program_folder(), AUTOSAVE_FILE_NAME));
  g_job_settings.job_changed = changed;
  restart_autosave_period();
  return result == 0 ? 1 : -1;
}

void reset_job_file() { g_job_file = JobFile{}; }
