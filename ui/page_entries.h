// The job commands every page shares (the File menu, opening, saving, quitting) live with the
// pages, above the interface layers that call them: the pages fill these entry points at
// start-up. Unfilled, a call finds a null pointer; callers test it and do nothing.
#pragma once

#include <cstdint>
#include <string>

struct TextLine;

struct PageEntryPoints {
  // Runs a File-menu option by its number; 0.
  int (*file_menu_command)(int option) = nullptr;
  // Opens a job (null: asks for one): 0 read, 1 not readable, -1 cancelled.
  int (*open_job)(const char* path) = nullptr;
  // Saves the job under its name through the file-name prompt; 27 when cancelled or failed.
  int (*save_job)(uint32_t mode) = nullptr;
  // Asks whether to save a changed job with that choice prompt: 0 go on, -1 cancelled.
  int (*ask_save_changes)(int message) = nullptr;
  // The open dialog for job files: 0 with the chosen path, -1 when cancelled.
  int (*job_file_dialog)(std::string* path) = nullptr;
  // The quit command of every page: 27 when the program is to end, 0 when the user stayed.
  int (*request_quit)() = nullptr;
  // Writes the preferences file (told to the user when it fails): 0 written, -1 not.
  int (*write_preferences)() = nullptr;
};
inline PageEntryPoints g_page_entries;

// The long-lived windows the pages share, made by start-up (null before it).
struct SharedWindows {
  TextLine* drawing = nullptr;  // the drawing window: the job's items and its file record
};
inline SharedWindows g_shared_windows;
