// Job files: the whole job as one file of binary records ("*.job"): an 11-byte tag, the
// JobSettings block, the layer block, the note, the background-image record and every drawing
// item with its geometry block. Saving goes through a temporary file and keeps the old file as
// the backup; reading takes the current layout and three older ones, checks every count and
// length against the file's size, and replaces the current job only when the whole file was
// good. Autosave writes Auto_Save.job in the program folder every few minutes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct SaveFile;

// ---- tags and names ----
constexpr size_t JOB_TAG_SIZE = 11;       // the tag and "\r\n"; readers compare the first nine
constexpr size_t JOB_TAG_COMPARED = 9;
constexpr char JOB_TAG[] = "SI120400\r\r\n";
constexpr char JOB_TAG_OLDER_ITEMS[] = "SI012699\r";  // items with 16-bit link counts
constexpr char JOB_TAG_TEXT_LIST[] = "SI032996\r";    // text records only
constexpr char JOB_TAG_OLDEST[] = "KR-110893";        // text records only
constexpr char JOB_EXTENSION[] = "job";
constexpr char AUTOSAVE_FILE_NAME[] = "Auto_Save.job";
constexpr int AUTOSAVE_TICKS_PER_MINUTE = 1080;       // 18 ticks a second
// Texts shown by the readers.
constexpr char JOB_NO_MEMORY_TEXT[] = "Error! Not enough memory to load file.";
constexpr char JOB_NOT_VALID_FORMAT[] = "\v%s\x13 is not a valid job file.";
constexpr char JOB_SAVE_FINISHED_TEXT[] = " Finished! ";

// ---- read results ----
enum JobReadError {
  JOB_READ_OK = 0,
  JOB_READ_CANNOT_OPEN = -1,        // silent: the file could not be opened or read
  JOB_READ_EMPTY_FILE = -2,         // silent: not a single byte
  JOB_READ_SHORT_TAG = -3,
  JOB_READ_UNKNOWN_TAG = -4,
  JOB_READ_SHORT_SETTINGS = -5,
  JOB_READ_BAD_LAYER_BLOCK = -6,
  JOB_READ_BAD_NOTE = -7,           // a negative length or a note cut short
  JOB_READ_SHORT_IMAGE = -8,
  JOB_READ_BAD_ITEM_TEXT = -9,      // a negative text length, or a text cut short
  JOB_READ_SHORT_ITEM = -10,        // node bytes, link count, kind or header cut short
  JOB_READ_BAD_LINK_COUNT = -11,    // below 1, or more links than bytes left
  JOB_READ_BAD_BLOCK_KIND = -12,    // a geometry block kind other than 0, 1 or 2
  JOB_READ_NO_MEMORY = -13,
  JOB_READ_SHORT_TEXT_RECORD = -14, // an old text record cut short
  JOB_READ_TOO_LARGE = -15,         // a file the program does not read into memory
  JOB_READ_BAD_ITEM_TYPE = -16,     // an item type the list store takes for a folded run
};

// ---- the job document ----
struct JobFile {
  std::string full_path;            // the job's file; empty while the job has no name
  std::string note;                 // the job note (cp1252); empty = none
  uint32_t clock_ticks = 0;         // the tick count last reported to auto_save_job
  uint32_t next_autosave_tick = 0;  // autosave when the clock passes it
  bool autosave_started = false;    // a period runs; the first tick seen starts one
  int64_t last_save_bytes = 0;      // bytes of the last successful save or autosave
  int last_read_error = JOB_READ_OK;  // why the last read_job_file failed
  size_t last_read_offset = 0;      // the file offset where it failed
};
extern JobFile g_job_file;

// ---- writing ----
// Writes the whole job to a file open for writing: the tag, the settings (image record length
// set, run-time area zeroed), the layer block, the note, the image record and the items of the
// drawing list (the current list) and of the parked chain. Returns the bytes written, or -1
// when a write failed or something could not be stored (the file is then not to be kept).
int64_t write_job_file(SaveFile* file);
// Writes the job to path through path's TMP file (a former file becomes its BAK). 0, or a
// negative SaveResult.
int write_job_to_path(const std::string& path);
// Saves the job under g_job_file.full_path (extension "job") through a temp file and a backup,
// reporting any failure; the old file stays as it was unless the new one was completely
// written and flushed. 0 saved (job_changed cleared), 27 failed.
int save_job_via_temp();
// The timer's hook: with the autosave minutes set and the period over, writes Auto_Save.job in
// the program folder (job_changed and the job's own file untouched) and starts a new period.
// The first call starts the first period, so that a fresh start does not write over the
// autosave of an earlier session at once. Returns 1 when it saved, 0 when not due or off, -1
// when the autosave failed.
int auto_save_job(uint32_t now_ticks);
// Starts a new autosave period from the last tick count seen.
void restart_autosave_period();

// ---- reading ----
// Reads the job file at path. On success the drawing list (the current list) is replaced by the
// file's items and the settings, layers, note and image record by the file's; the old items are
// freed. On failure nothing of the current job changes, the failure is shown with
// failure_format (one %s: the path; null = no message) unless the file could not be opened or
// was empty, and -1 is returned. 0 on success.
int read_job_file(const std::string& path, const char* failure_format);
// The same over a file's bytes in memory (path is only shown in the failure message).
int read_job_bytes(const uint8_t* data, size_t size, const std::string& path,
                   const char* failure_format);
// Flags of read_job_settings.
constexpr int JOB_SETTINGS_TAKE_FILE = 0x1;    // take the file's first 441 bytes
constexpr int JOB_SETTINGS_TAKE_LAYERS = 0x2;  // take the file's layer block, else defaults
// With a path, takes settings (and layers) from that job file as the flags say; with null, or
// when the file is not a valid job file (reported), the default job settings, no note and the
// default layers. Then finds the post processor, clears the job state bytes and marks the
// settings fresh.
void read_job_settings(const char* path, int flags);

// ---- test hooks ----
void reset_job_file();
