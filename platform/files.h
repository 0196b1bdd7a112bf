// Files and folders as the program uses them: where its own folders are, finding its data
// files, simple file operations, folder listings with a wildcard, and saving a file through a
// temporary file so that a failed save never costs the old file. Paths are POSIX, '/' separated.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Folders (no trailing '/')
// The folder of the running executable; the program's data files lie beside it.
std::string program_folder();
// TMP, else TEMP, else TMPDIR (the first that is set and not empty), else the program folder.
std::string temp_folder();
// folder + '/' + name (no doubled '/').
std::string path_join(const std::string& folder, const std::string& name);

// Finding files
// The path of `name` in `folder`: the exact name when it exists, else the first entry (in byte
// order of names) equal to it ignoring ASCII case; "" when there is none.
std::string find_file_ignoring_case(const std::string& folder, const std::string& name);
// True when `name` matches `pattern` ignoring ASCII case: '*' any run of characters, '?' exactly
// one character; "*.*" matches every name, with or without a dot.
bool wildcard_match(const std::string& pattern, const std::string& name);

struct FolderEntry {
  std::string name;        // the entry's own name, no folder
  bool is_folder = false;
  int64_t size = 0;        // bytes; 0 for folders
};
// The entries of `folder` whose names match `pattern`, sorted by name; "." and ".." are left
// out. False when the folder cannot be read.
bool list_folder(const std::string& folder, const std::string& pattern,
                 std::vector<FolderEntry>* entries);

// Single files
bool file_exists(const std::string& path);  // a regular file (not a folder)
int64_t file_size(const std::string& path);  // bytes; -1 when missing or not a regular file
bool file_delete(const std::string& path);
// The file's last modification as local calendar fields; false when it cannot be read.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
bool file_modified_time(const std::string& path, LocalTime* time);
// Now, on the local clock.
LocalTime local_time_now();
// Files of the program folder by their bare names (a name holding '/' or naming "." or ".." is
// refused). Reading opens binary and read-only; writing creates or truncates the file, binary and
// write-only, readable and writable by the user (as the umask allows). Null when it cannot be
// opened.
FILE* open_data_file(const std::string& name, bool write);
// Deletes the program folder's file of that name: 0 when it is gone (or was never there), -1
// when it stays (the name is refused, or the deletion failed).
int delete_data_file(const std::string& name);
// Renames, replacing a file of the new name.
bool file_rename(const std::string& from, const std::string& to);

// Saving through a temporary file
enum SaveResult {
  SAVE_OK = 1,
  SAVE_CANNOT_CREATE = -1,   // the temporary file could not be created
  SAVE_WRITE_FAILED = -2,    // a write, the flush or the close failed, or the writer gave up
  SAVE_CANNOT_REPLACE = -3,  // the old file could not become the backup
  SAVE_CANNOT_RENAME = -4,   // the new file could not take the name (the old file has it back)
};

// The file being written by a save; writes go through save_write so that a failure anywhere
// is remembered and the test hook can fail a chosen write.
struct SaveFile {
  FILE* stream = nullptr;
  bool failed = false;  // a write failed; later writes do nothing
  int error_number = 0; // errno of the failed write
};
// Writes count bytes; false (and the save fails) when they could not all be written.
bool save_write(SaveFile* file, const void* bytes, size_t count);
bool save_write_text(SaveFile* file, const std::string& text);

// Saves `path`: writer() writes the new contents to temp_path (empty: `path` with its extension
// replaced by TMP), which is flushed to disk; then the old file becomes the backup (`path` with
// extension BAK) and the temporary file takes the name; a former backup goes only then. A
// symbolic link stays a link: the file it names is replaced (temporary file and backup beside
// it), and the new file keeps the old one's permissions. On any failure the old file and its
// backup keep their names and contents, the temporary file is removed, the result says which
// step failed and *error says why in words.
SaveResult save_file_safely(const std::string& path, const std::string& temp_path,
                            const std::function<bool(SaveFile*)>& writer, std::string* error);

// Test hooks
struct FilesState {
  std::string program_folder_override;  // used instead of the executable's folder when set
  int fail_write_number = 0;            // 1-based save_write call that fails; 0 = none
  int write_count = 0;                  // save_write calls since the hook was set
};
extern FilesState g_files;
void set_program_folder_for_tests(const std::string& folder);  // "" goes back to the real one
// Makes the nth save_write from now fail (0 turns it off).
void fail_nth_save_write(int n);
void reset_files();
