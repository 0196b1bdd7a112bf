// Asking for the text of a new engraving text item.
#pragma once

#include <string>

// Stand-in: asks nothing and answers as a cancelled prompt (false); *text is left as it is.
inline bool prompt_engraving_text(std::string* /*text*/) { return false; }
