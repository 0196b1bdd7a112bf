// The job commands every page shares: the File-menu dispatcher, opening a job, the caption that
// names the job, and the memory and about boxes. Start-up registers them in g_page_entries, so
// the interface layers below reach them through that table.
#pragma once

#include <cstdint>
#include <string>

// ---- Texts ------------------------------------------------------------------------------------

constexpr char NO_SUCH_OPTION_FORMAT[] = "Dont have option # %d ";
constexpr char JOB_FILE_FILTER[] = "Brenvik Job files (*.job)|*.job|Older ENG files (*.eng)|*.eng";
constexpr char WINDOW_TITLE_FORMAT[] = "Brenvik 2000    %s";
constexpr char WINDOW_TITLE_NO_JOB[] = "New job...no name yet...";
constexpr int WINDOW_TITLE_PATH_WIDTH = 90;
constexpr char MEMORY_STATUS_FORMAT[] = "%dm of %dm RAM free (%d%%)%c  %dm free virtual RAM\n";
constexpr char MEMORY_STATUS_VERSION[] = " Brenvik         version 5.09 ";

// ---- File-menu options the dispatcher knows ----------------------------------------------------

constexpr int FILE_OPTION_PRINT = 5;
constexpr int FILE_OPTION_HELP = 7;
constexpr int FILE_OPTION_QUIT = 8;
constexpr int FILE_OPTION_OPEN_JOB = 10;
constexpr int FILE_OPTION_RECENT_JOBS = 11;
constexpr int FILE_OPTION_NEW_JOB = 32;  // also Ctrl+N and Ctrl+F4
constexpr int FILE_OPTION_SAVE_AS_ANOTHER_FILE = 14;  // the save dialog, then the job takes the name
constexpr int FILE_OPTION_SAVE_AS = 17;               // the file-name dialog: a copy of the job
constexpr int FILE_OPTION_RENAME_BUFFER_FILE = 16;
constexpr int FILE_OPTION_DELETE_JOB = 18;
constexpr int FILE_OPTION_IMPORT_TEXT = 20;
constexpr int FILE_OPTION_IMPORT_DRAWING = 21;       // form 266
constexpr int FILE_OPTION_IMPORT_DXF_LAYERS = 22;    // form 270, the layer-name table
constexpr int FILE_OPTION_SERIAL_TERMINAL = 25;
constexpr int FILE_OPTION_EDITOR_SETTINGS = 41;
constexpr int FILE_OPTION_TEXT_PARAMETERS = 65;
constexpr int FILE_OPTION_SPACE_TEXTS = 68;
constexpr int FILE_OPTION_TEMPLATE_DRAWING = 104;
constexpr int FILE_OPTION_TEMPLATE_LAYER = 113;
constexpr int FILE_OPTION_DROP_TEMPLATE = 114;
constexpr int FILE_OPTION_PREFERENCES = 120;
constexpr int FILE_OPTION_NEXT_COLOUR_SCHEME = 43;  // the palette file's next slot
constexpr int FILE_OPTION_COLOURS = 44;
constexpr int FILE_OPTION_INTERFACE_SETTINGS = 49;
constexpr int FILE_OPTION_ABOUT = 61;
constexpr int FILE_OPTION_MINIMISE = 62;
constexpr int FILE_OPTION_DXF_EXPORT = 111;   // the tool path as a DXF file
constexpr int FILE_OPTION_JOB_STATISTICS = 195;
constexpr int FILE_OPTION_FORM_TO_CORNER = 449;  // the form to its monitor's top-left corner
constexpr int FILE_OPTION_CENTRE_FORM = 450;
constexpr int FILE_OPTION_UNDO = 105;
constexpr int FILE_OPTION_REDO = 117;
constexpr int FILE_OPTION_SAVE = 448;
constexpr int FILE_OPTION_SAVE_FILE = 9999;
// Answers of the save question.
constexpr int SAVE_CHOICE_SAVE = 0;
constexpr int SAVE_CHOICE_DISCARD = 1;
constexpr int FILE_OPTION_BUFFER_FONT_NORMAL = 432;  // the editing buffers' face: normal,
constexpr int FILE_OPTION_BUFFER_FONT_MEDIUM = 433;  // the menu face,
constexpr int FILE_OPTION_BUFFER_FONT_SMALL = 434;   // the small face (display modes above 1)
constexpr int FILE_OPTION_FIRST_DISPLAY_MODE = 423;  // 423-430: display mode 430 - option
constexpr int FILE_OPTION_LAST_DISPLAY_MODE = 430;

// ---- Commands -----------------------------------------------------------------------------------

// Runs the File-menu option of that number; 0. Options it does not have say so.
int file_menu_command(int option);

// The open dialog for job files, in the jobs folder when one is set, else in the folder last
// used for jobs. 0 with the chosen path (its folder becomes the last used), -1 when cancelled.
int job_file_dialog(std::string* path);

// Opens a job: asks for one when path is null, reads it into the drawing window and makes it the
// job. 0 read, 1 not readable (said so; the job open before stays as it was), -1 cancelled.
// A changed job is offered for saving first; cancelling that question cancels the opening.
// A job read goes to the top of the recent-jobs list.
int open_job(const char* path);
// The recent-jobs list (the job load list): the job chosen is opened; one that cannot be read is
// said so and leaves the list, which comes back. open_job's result, 0 when none was chosen.
int open_recent_job();
// Starts a new job: a changed job is offered for saving first (cancelling that keeps it, -1);
// then an empty drawing with one blank text, the default settings, no name, no undo steps and no
// tool paths; the page's grid display stays. 0.
int new_job();
// The save question for a changed job (the choice message of a job without a file name; a job
// with one is asked the message three numbers before): 0 go on (saved or discarded), -1 stay
// (cancelled, or the save failed). An unchanged job asks nothing.
int ask_save_changes(int message);
// The quit of every page: the save question, then the quit bit of the page byte and 27; 0 when
// the user stays.
int request_quit();

// Saves the job through the message box's save mode `mode` (MSGBOX_SAVE: under its name, asking
// for one when it has none; MSGBOX_SAVE_AS: asking first); the job then bears the name it was
// saved under, and its path goes to the top of the recent-jobs list. The box's result: 27 when
// cancelled or failed.
int save_job(uint32_t mode);
// Deletes the job's file after a question, then starts a new job. Without a file it says there
// is nothing to delete; a file that cannot be deleted is said so with the reason, and the job
// keeps it and its name. new_job's result, or 0.
int delete_job();

// Saves a copy of the job under a name asked for in the file-name dialog; the job keeps its own
// name and stays changed. 27 when cancelled or failed.
int save_job_as();

// The drawing window's file record: where the job's folder and name live (null before start-up).
struct FileRecord;
FileRecord* job_file_record();

// Fills g_page_entries with the commands above.
void connect_job_commands();

// ---- Texts on the screen ----------------------------------------------------------------------

// The caption: "Brenvik 2000" and the job's file, or the new-job text when it has none.
void set_window_title();
// Shows the memory status and the version in a box; returns the box's result.
int show_memory_status();
// The memory status, then the program's maker in a box.
void about_box();
