// Checking and setting tool diameters: previews of the tool paths that the chosen tools make,
// so the user can see where a tool does not reach.
#pragma once

#include <cstdint>

// Turns the records of the last engine run into preview items. Returns the number made.
int32_t path_records_to_preview();
