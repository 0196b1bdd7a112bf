// The pop-up stack: boxes left on the screen until their opener closes them.
#pragma once

#include <cstdint>

// Stand-in: no box is ever left on the screen yet, so only the one-shot flag is kept.
struct PopupStack {
  uint8_t one_shot = 0;  // the next box closes at its first key
};
inline PopupStack g_popups;

// Stand-in: there is never a pop-up to close.
inline void close_top_popup() {}
