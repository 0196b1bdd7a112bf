// Folder trees and file lists on the disc: the sub-folders of a folder on one file system (no
// symbolic link followed, so a link loop costs nothing), the entries of a folder with their
// sizes, times and attributes, and the folder operations of the folder picker (make, remove,
// open a terminal there). Hidden means a name that starts with '.'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---- Scanning --------------------------------------------------------------------------------

struct SubFolder {
  std::string name;    // the folder's own name
  bool hidden = false; // the name starts with '.'
};
// The sub-folders of `folder` that lie on its own file system (mount points below it are left
// out), never through a symbolic link; hidden ones only with `with_hidden`. Unsorted. False
// when the folder cannot be read.
bool scan_sub_folders(const std::string& folder, bool with_hidden, std::vector<SubFolder>* out);
// True when the folder can be listed and entered.
bool folder_readable(const std::string& folder);

struct FileInfo {
  std::string name;
  bool is_folder = false;
  bool hidden = false;      // the name starts with '.'
  bool read_only = false;   // the owner may not write it
  int64_t size = 0;         // bytes (64-bit: files past 4 GB keep their size)
  int64_t modified = 0;     // seconds since 1970 (UTC)
};
// Every entry of `folder` but "." and "..", symbolic links taken as what they point to (a
// dangling one is left out). False when the folder cannot be read.
bool list_folder_files(const std::string& folder, std::vector<FileInfo>* out);

// ---- Changing -------------------------------------------------------------------------------

enum FolderRemoval {
  FOLDER_REMOVED = 0,
  FOLDER_NOT_EMPTY = 1,  // it holds entries: it stays
  FOLDER_GONE = 2,       // it was not there
  FOLDER_REFUSED = 3,    // another failure; the text says why
};
// Removes an empty folder. *why gets the system's words for FOLDER_REFUSED.
FolderRemoval remove_empty_folder(const std::string& path, std::string* why);
// Makes one folder (its parent must exist). False with the system's words in *why.
bool make_one_folder(const std::string& path, std::string* why);

// ---- A terminal -------------------------------------------------------------------------------

// The full path of a program found along PATH; empty when there is none.
std::string find_program_in_path(const std::string& name);
// Starts `program` with `arguments` in `folder`, not waited for (its own session, its output
// on /dev/null). False when it could not be started.
bool start_detached(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder);
