// The format menu of engraving text: the character of the format code the user picks.
#pragma once

// The chosen format code's character (typed after the format prefix byte), or 0 for none.
// Stand-in: shows no menu and picks nothing.
inline int text_format_menu() { return 0; }
