// The interface picture file: the program's own pictures (tool icons, pointer shapes, legends),
// kept open from start-up to shutdown.
#pragma once

#include <string>

// Stand-in: keeps the path of the open file only; no picture is read or drawn yet.
struct PictureFile {
  std::string path;  // the open file; empty while none is open
};
inline PictureFile g_picture_file;

// Closes the open file; with a path, opens that one.
// Stand-in: only remembers the path.
inline void open_picture_file(const char* path) { g_picture_file.path = path != nullptr ? path : ""; }
