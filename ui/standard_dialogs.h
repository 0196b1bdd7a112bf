// The standard dialogs, drawn in cells by the program itself: the open and save-as file
// dialogs, the folder browser, the colour chooser and the help file; and the small routines that
// free window chains and pointer arrays.
//
// Paths are POSIX and keep the file system's bytes; a folder ends with exactly one '/'. Names are
// shown through cp1252 and typed ones are converted back, so a name cp1252 cannot spell is still
// chosen whole from the list.
#pragma once

#include <cstdint>
#include <string>

struct FileRecord;
struct TextLine;

// Results
constexpr int16_t DIALOG_CHOSEN = 13;
constexpr int16_t DIALOG_CANCELLED = 27;
constexpr int16_t FOLDER_CHOSEN = -13;     // 0xFFF3
constexpr int16_t FOLDER_CANCELLED = -27;  // 0xFFE5

// The program-wide switch of the open dialog: set, a name that does not exist yet may be chosen.
struct FileDialogSettings {
  bool allow_new_names = false;
};
extern FileDialogSettings g_file_dialogs;

// ---- File and folder dialogs ------------------------------------------------------------------

// The save dialog for a file record: filter "*EXT" (the record's extension, with its dot), then
// all files; the record's name in the name entry; its folder shown (the working folder when it
// has none or it is gone). DIALOG_CANCELLED leaves the record untouched. DIALOG_CHOSEN: the chosen
// path is the record's full path, the record's extension appended when the chosen name has
// none, and split back into the record's folder and name.
int16_t save_as_dialog(FileRecord* record);

// The open dialog in `folder` (the working folder when empty or gone). `filter` is a text of
// "shown name|patterns" pairs ("DXF files (*.dxf)|*.dxf"); "Show all files" follows it; null
// offers all files alone. The chosen file must exist unless g_file_dialogs.allow_new_names.
// DIALOG_CHOSEN with the path copied out, DIALOG_CANCELLED with *path untouched.
int16_t open_file_dialog(const std::string& folder, const char* filter, std::string* path);

// The folder browser, starting in the working folder. FOLDER_CHOSEN with the folder and exactly
// one trailing '/' copied out; FOLDER_CANCELLED with *path untouched.
int16_t browse_folder(std::string* path);

// ---- Colours ------------------------------------------------------------------------------------

// The colour chooser: red, green and blue values (0-255) and a swatch of the colour they make.
// colour is a colour value, red in the low byte. DIALOG_CHOSEN with *colour replaced, or
// DIALOG_CANCELLED with it untouched.
int16_t choose_colour(uint32_t* colour);

// ---- Help ---------------------------------------------------------------------------------------

constexpr char HELP_FILE_NAME[] = "KR5HELP.HLP";
// Opens the help file of the program folder; there is no help viewer here, so the user is told
// plainly. Without the file: "The help file is missing!".
void show_help_file();

// ---- Freeing ------------------------------------------------------------------------------------

// Destroys every window of the chain from `first`, following the successor each destruction
// gives.
void destroy_window_chain(TextLine* first);
// Frees the count blocks of a pointer array (allocated with malloc), last first, and nulls them.
void free_pointer_array(void** array, int count);

// ---- Test hooks ----------------------------------------------------------------------------------

void reset_file_dialogs();
