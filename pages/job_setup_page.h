// The Job setup page (page 0): the job's name and folder, its File button and the buttons that
// import or reset its settings and layers, and the job settings dialog (form 760) with the post
// processor, the work surface and its picture, the template drawing, the tolerances, the NC
// comments and the material box. It returns when another page is chosen or the program quits.
#pragma once

#include <string>

#include "screen/event_queue.h"

// Page controls by id.
constexpr int JOB_SETUP_IMPORT_SETTINGS = 10;
constexpr int JOB_SETUP_RESET_SETTINGS = 11;
constexpr int JOB_SETUP_IMPORT_LAYERS = 12;
constexpr int JOB_SETUP_RESET_LAYERS = 13;
constexpr int JOB_SETUP_MORE_SETTINGS = 14;
constexpr int JOB_SETUP_NAME = 16;
constexpr int JOB_SETUP_FOLDER = 17;
constexpr int JOB_SETUP_BROWSE = 18;
constexpr int JOB_SETUP_FILE = 41;
constexpr int JOB_SETUP_MENU = 200;
// Entries of the page's own File list beyond the File-menu options.
constexpr int JOB_SETUP_FILE_IMPORT = 1;
constexpr int JOB_SETUP_FILE_DEFAULTS = 2;
constexpr int JOB_SETUP_FILE_MAKE_DEFAULTS = 3;

constexpr char JOB_SETUP_DID_IT[] = "Did it.";
constexpr char JOB_SETUP_SAVED_IT[] = "Saved it";
constexpr char JOB_SETUP_NO_SUCH_FOLDER[] = "No such folder! Press a key to try again.";
constexpr char JOB_SETUP_NAME_EXISTS[] =
    "\vNOTE\x13: a job with this name already exists; it will be replaced when you save this new "
    "job.";
constexpr char JOB_SETUP_TEMPLATE_FILTER[] =
    "Autocad DXF files (*.dxf)|*.dxf|NC files|*.nc;*.cam;*.ncc;*.dnc|HP Plotter files|*.plt;*.prn";
constexpr char JOB_SETUP_TEMPLATE_TOO_LONG[] =
    "The template file's path is too long for the job (at most 259 characters): it was not taken.";

// Page 0's handler.
void job_setup_page();
// The field handler of form 760.
EventCode job_setup_field();
// Loads the labels and help of the surface rows 2-8 for the job's surface into the running form.
void set_surface_row_labels(int first_row);
// The job folder made whole (a trailing '/', the program folder when empty), shown, and the
// job's full path made of it and the name (with a note when that file is there already).
void apply_job_folder();
// The typed name or path of the job: false (and said so) when its folder does not exist.
bool take_typed_job_name(const std::string& typed);
// The page's File list entry: its own entries 1-3, the File-menu options otherwise.
void job_setup_file_entry(int entry);

// The page's state between its pieces.
struct JobSetupState {
  int entries = 0;          // page entries so far: the surface rows are laid out once per entry
  int laid_out = -1;        // the entry whose surface rows are laid out
  int row = 0;              // the dialog row to come back to
  EventCode exit_event = 0; // why the dialog ended: 0 the page is left, 5001 draw it again
};
extern JobSetupState g_job_setup;
void reset_job_setup_page();
