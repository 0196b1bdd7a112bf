// Folder listings as a file browser shows them: the sub-folders first, then the files that match
// a filter, each group in name order ignoring case; and the folder arithmetic of browsing (the
// working folder, the parent, a typed path made absolute). Folders are written with exactly one
// trailing '/'. Names keep the file system's bytes.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"

// Filters
// The patterns of a filter's pattern text: "*.nc;*.tap" gives "*.nc" and "*.tap" (blanks around
// each cut); an empty text gives "*.*".
std::vector<std::string> split_filter_patterns(const std::string& patterns);
// True when the name matches one of the patterns (ignoring ASCII case, as wildcard_match).
bool matches_any_pattern(const std::vector<std::string>& patterns, const std::string& name);

// Listing
// The sub-folders of `folder` (every one, whatever the patterns), then its files that match a
// pattern; names starting with '.' are left out. With `folders_only` no file is listed. Sorted
// by sort_folder_entries. False when the folder cannot be read.
bool list_browser_folder(const std::string& folder, const std::vector<std::string>& patterns,
                         bool folders_only, std::vector<FolderEntry>* entries);
// Folders before files; within each, names in order ignoring ASCII case, then by their bytes.
void sort_folder_entries(std::vector<FolderEntry>* entries);

// Folders
// True when the path names a folder (symbolic links followed).
bool folder_exists(const std::string& path);
// The process's working folder with one trailing '/'; "/" when it cannot be read.
std::string working_folder();
// "/a/b/" gives "/a/"; the root is its own parent.
std::string parent_folder(const std::string& folder);
// A typed path made absolute against `base` (a folder ending with '/'): "." and ".." elements
// resolved without touching the disc, doubled '/' collapsed. A trailing '/' in the text is kept
// as one, so that "sub/" still reads as a folder.
std::string absolute_path(const std::string& base, const std::string& text);
