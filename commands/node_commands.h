// The node editor's commands as the drawing model calls them through its host: checking a
// node command on the edited item and refitting the links around a node after it moved or
// was removed.
#pragma once

#include <cstdint>

// Stand-in: checks and runs nothing; the node editor's commands come with the drawing commands.
inline int node_command_check(int16_t /*command*/, int /*node_index*/, int /*flag*/) { return 0; }

// Stand-in: refits nothing; the links next to a moved node are left as they are.
inline void propagate_node_move() {}
