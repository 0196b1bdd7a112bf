// The readable source of the interface pictures (data/pictures.txt): named colours, shapes drawn
// in a 100 x 100 box, picture menus laid out as grids of labelled cells, and scenes drawn in
// pixels. The syntax is described at the top of the source. Rendering draws every picture on a
// surface of its size with the program's own canvas and interface font.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/font.h"
#include "platform/surface.h"
#include "store/picture_numbers.h"

// Renders every picture of `text` (read from `path`, named in messages). False with *error set
// to "PATH:LINE: what" on the first fault; nothing is kept then.
bool render_picture_source(const std::string& text, const std::string& path,
                           const BitmapFont& font, std::map<int, Surface>* pictures,
                           std::string* error);
