// Window frames and the repair of closed areas: the parts the screen drawing calls.
#pragma once

// Stand-in: keeps no closed area yet, so there is nothing to reset.
inline void reset_dirty_rect() {}
