// The edit session of the drawing commands: the items of an open edit and its undo records.
#pragma once

// Stand-in: no edit session is ever open yet.
inline bool edit_session_open() { return false; }
