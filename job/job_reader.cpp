// Reading job files: the whole file is taken into memory and read into a new job (settings,
// layers, note, image record and items on a list of their own); the current job is replaced
// only when every part was read. Reading the settings alone serves new jobs and imports.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/geometry_settings.h"
#include "geometry/layers.h"
#include "job/background_image.h"
#include "job/image_record.h"
#include "job/job_file.h"
#include "job/job_file_internal.h"
#include "job/job_host.h"
#include "nc/post_processor.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"
#include "store/record_bytes.h"

namespace {

// A job file is read whole; a bigger one is refused before anything is allocated. The item
// records of a real job take a few hundred bytes each, so this leaves room for millions.
constexpr int64_t JOB_FILE_MAX_BYTES = int64_t{1} << 30;

// Everything a job file holds, read aside from the current job.
struct ParsedJob {
  JobSettings settings;
  std::vector<LayerRecord> layers;
  std::string note;
  ImageRecord image;
  LineList items;
};

bool read_tag(JobReader* r) {
  const uint8_t* tag = take_job_bytes(r, JOB_TAG_SIZE);
  if (tag == nullptr) return reject_job_input(r, JOB_READ_SHORT_TAG);
  const auto is = [tag](const char* t) { return std::memcmp(tag, t, JOB_TAG_COMPARED) == 0; };
  if (is(JOB_TAG)) r->format = JOB_FORMAT_CURRENT;
  else if (is(JOB_TAG_OLDER_ITEMS)) r->format = JOB_FORMAT_OLDER_ITEMS;
  else if (is(JOB_TAG_TEXT_LIST) || is(JOB_TAG_OLDEST)) r->format = JOB_FORMAT_TEXT_LIST;
  else return reject_job_input(r, JOB_READ_UNKNOWN_TAG);
  return true;
}

bool read_settings_block(JobReader* r, JobSettings* settings) {
  const uint8_t* bytes = take_job_bytes(r, JOB_SETTINGS_SIZE);
  if (bytes == nullptr) return reject_job_input(r, JOB_READ_SHORT_SETTINGS);
  read_job_settings_bytes(bytes, settings);
  return true;
}

bool read_layers(JobReader* r, std::vector<LayerRecord>* layers) {
  size_t used = 0;
  if (read_layer_block(r->data + r->at, job_bytes_left(r), layers, &used) != LAYER_BLOCK_OK)
    return reject_job_input(r, JOB_READ_BAD_LAYER_BLOCK);
  take_job_bytes(r, used);
  return true;
}

bool read_note(JobReader* r, std::string* note) {
  const uint8_t* length_bytes = take_job_bytes(r, 2);
  if (length_bytes == nullptr) return reject_job_input(r, JOB_READ_BAD_NOTE);
  const int16_t length = get_i16_le(length_bytes);
  if (length < 0) return reject_job_input(r, JOB_READ_BAD_NOTE);
  if (length == 0) return true;
  const uint8_t* text = take_job_bytes(r, static_cast<size_t>(length) + 1);
  if (text == nullptr) return reject_job_input(r, JOB_READ_BAD_NOTE);
  const auto* chars = reinterpret_cast<const char*>(text);
  note->assign(chars, strnlen(chars, static_cast<size_t>(length)));
  return true;
}

bool read_image(JobReader* r, int16_t length, ImageRecord* image) {
  if (length <= 0) return true;
  // A longer record than ours is read as its first part; the rest is skipped.
  const uint8_t* bytes = take_job_bytes(r, static_cast<size_t>(length));
  if (bytes == nullptr) return reject_job_input(r, JOB_READ_SHORT_IMAGE);
  read_image_record(bytes, static_cast<size_t>(length), image);
  return true;
}

bool read_items(JobReader* r, JobSettings* settings) {
  for (;;) {
    const JobItemResult result = read_job_item(r, settings);
    if (result == JOB_ITEM_END) return true;
    if (result == JOB_ITEM_REJECTED) return false;
  }
}

bool parse_job(JobReader* r, ParsedJob* job) {
  if (!read_tag(r)) return false;
  if (r->format == JOB_FORMAT_TEXT_LIST) return read_old_text_items(r) == 0;
  return read_settings_block(r, &job->settings) && read_layers(r, &job->layers) &&
         read_note(r, &job->note) &&
         read_image(r, job->settings.image_record_length, &job->image) &&
         read_items(r, &job->settings);
}

// The post processor of a number: that entry, else the first when there is none or its name
// does not begin with a printable character.
TextLine* resolve_post_processor(int16_t number) {
  TextLine* entry = find_post_processor(number);
  if (entry != nullptr && (entry->id != number || static_cast<uint8_t>(entry->text[0]) < 32))
    entry = g_post_processors.list.first;
  return entry;
}

void clear_job_state_bytes(JobSettings* settings) {
  settings->settings_fresh = 0;
  settings->text_items_ready = 0;
  settings->nc_state = 0;
  settings->job_changed = 0;
}

// The fixes every read job gets.
void settle_settings(JobSettings* settings) {
  settings->item_flag_union =
      static_cast<int16_t>(settings->item_flag_union & JOB_ITEM_FLAG_UNION_MASK);
  if ((settings->surface_flag & JOB_SURFACE_FLAG_LATHE_SIDE) != 0) settings->surface_side = 1;
  if (settings->surface_flag == 0) settings->surface_flag = 1;
  clear_job_state_bytes(settings);
}

// Makes the parsed job the current one; the old items are freed.
void install_job(ParsedJob* job, JobFormat format) {
  free_current_list();
  g_lists.current = job->items;
  if (format == JOB_FORMAT_TEXT_LIST) {
    // The oldest layouts hold no settings: the job takes the defaults.
    read_job_settings(nullptr, 0);
    settle_settings(&g_job_settings);
    geometry_settings_from_job(g_job_settings);
    return;
  }
  settle_settings(&job->settings);
  job->settings.post_processor = resolve_post_processor(job->settings.post_processor_number);
  g_job_settings = job->settings;
  geometry_settings_from_job(g_job_settings);
  apply_layer_records(job->layers);
  g_job_file.note = job->note;
  free_background_image();
  g_image_record = job->image;
}

void report_read_failure(const JobReader& r, const std::string& path,
                         const char* failure_format) {
  if (r.error == JOB_READ_CANNOT_OPEN || r.error == JOB_READ_EMPTY_FILE) return;
  if (r.error == JOB_READ_NO_MEMORY) {
    job_show_text_box(JOB_NO_MEMORY_TEXT, TEXTBOX_PRESS_A_KEY);
    return;
  }
  if (failure_format == nullptr) return;
  const int n = std::snprintf(nullptr, 0, failure_format, path.c_str());
  if (n < 0) return;
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::snprintf(text.data(), text.size(), failure_format, path.c_str());
  job_show_text_box(text.data(), TEXTBOX_PRESS_A_KEY);
}

// The whole file in memory; a JobReadError when it cannot be had, else JOB_READ_OK.
int load_file(const std::string& path, std::vector<uint8_t>* data) {
  const int64_t size = file_size(path);
  if (size < 0) return JOB_READ_CANNOT_OPEN;
  if (size > JOB_FILE_MAX_BYTES) return JOB_READ_TOO_LARGE;
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return JOB_READ_CANNOT_OPEN;
  data->resize(static_cast<size_t>(size));
  const size_t got = std::fread(data->data(), 1, data->size(), stream);
  std::fclose(stream);
  return got == data->size() ? JOB_READ_OK : JOB_READ_CANNOT_OPEN;
}

// The settings (and layers) of a job file for read_job_settings; false when the file is not
// a valid job file.
bool take_settings_from_file(const char* path, int flags) {
  std::vector<uint8_t> data;
  JobReader r;
  const int error = load_file(path, &data);
  if (error != JOB_READ_OK) return reject_job_input(&r, error);
  r.data = data.data();
  r.size = data.size();
  if (!read_tag(&r)) return false;
  if (r.format != JOB_FORMAT_CURRENT) return reject_job_input(&r, JOB_READ_UNKNOWN_TAG);
  const uint8_t* stored = take_job_bytes(&r, JOB_SETTINGS_SIZE);
  if (stored == nullptr) return reject_job_input(&r, JOB_READ_SHORT_SETTINGS);
  std::vector<LayerRecord> layers;
  if ((flags & JOB_SETTINGS_TAKE_LAYERS) != 0 && !read_layers(&r, &layers)) return false;
  if ((flags & JOB_SETTINGS_TAKE_FILE) != 0) import_job_settings_bytes(stored, &g_job_settings);
  if ((flags & JOB_SETTINGS_TAKE_LAYERS) != 0) apply_layer_records(layers);
  else reset_layers();
  return true;
}

}  // namespace

// ---- the reader's cursor ----

bool reject_job_input(JobReader* reader, int error) {
  if (reader->error == JOB_READ_OK) {
    reader->error = error;
    reader->error_offset = reader->at;
  }
  return false;
}

size_t job_bytes_left(const JobReader* reader) { return reader->size - reader->at; }

const uint8_t* take_job_bytes(JobReader* reader, size_t n) {
  if (job_bytes_left(reader) < n) return nullptr;
  const uint8_t* bytes = reader->data + reader->at;
  reader->at += n;
  return bytes;
}

// ---- reading ----

int read_job_bytes(const uint8_t* data, size_t size, const std::string& path,
                   const char* failure_format) {
  JobReader r;
  r.data = data;
  r.size = size;
  ParsedJob job;
  bool ok = false;
  if (size == 0) {
    reject_job_input(&r, JOB_READ_EMPTY_FILE);
  } else if (push_list() < 0) {
    reject_job_input(&r, JOB_READ_NO_MEMORY);
  } else {
    // The items are read into a list of their own; the current list stays aside meanwhile.
    clear_current_list();
    ok = parse_job(&r, &job);
    job.items = g_lists.current;
    clear_current_list();
    pop_list();
  }
  g_job_file.last_read_error = r.error;
  g_job_file.last_read_offset = r.error_offset;
  if (!ok) {
    free_list(job.items.first);
    report_read_failure(r, path, failure_format);
    return -1;
  }
  install_job(&job, r.format);
  restart_autosave_period();
  return 0;
}

int read_job_file(const std::string& path, const char* failure_format) {
  std::vector<uint8_t> data;
  const int error = load_file(path, &data);
  if (error != JOB_READ_OK) {
    JobReader r;
    reject_job_input(&r, error);
    g_job_file.last_read_error = error;
    g_job_file.last_read_offset = 0;
    report_read_failure(r, path, failure_format);
    return -1;
  }
  return read_job_bytes(data.data(), data.size(), path, failure_format);
}

void read_job_settings(const char* path, int flags) {
  g_job_settings.settings_fresh = 0;
  bool taken = false;
  if (path != nullptr) {
    taken = take_settings_from_file(path, flags);
    if (!taken) {
      const int n = std::snprintf(nullptr, 0, JOB_NOT_VALID_FORMAT, path);
      std::vector<char> text(static_cast<size_t>(n > 0 ? n : 0) + 1);
      std::snprintf(text.data(), text.size(), JOB_NOT_VALID_FORMAT, path);
      job_show_text_box(text.data(), TEXTBOX_PRESS_A_KEY);
    }
  }
  if (!taken) {
    g_job_settings = g_preferences.default_job;
    g_job_file.note.clear();
    reset_layers();
  }
  TextLine* entry = resolve_post_processor(g_job_settings.post_processor_number);
  g_job_settings.post_processor = entry;
  if (entry != nullptr) g_job_settings.post_processor_number = entry->id;
  clear_job_state_bytes(&g_job_settings);
  g_job_settings.settings_fresh = 1;
  std::memset(g_job_settings.run_time_area, 0, JOB_RUN_TIME_AREA_SIZE);
  geometry_settings_from_job(g_job_settings);
}
