// The writer of the interface picture file, the reader's counterpart: a drawn surface becomes a
// picture entry (1 bit when it is only black and white, else 8 bits with an imploded palette),
// its pixel rows imploded in whichever literal mode and dictionary size packs them smallest,
// and the entries become one file with its offset table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/surface.h"

// The bytes of one entry for a drawn surface; empty, with *error set, when it holds more than
// 256 colours.
std::vector<uint8_t> picture_entry_from_surface(const Surface& surface, std::string* error);
// The whole file: pictures 0 to the highest number; numbers without a picture are empty entries.
std::vector<uint8_t> picture_file_from_entries(const std::map<int, std::vector<uint8_t>>& entries);
