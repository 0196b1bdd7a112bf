// The node editor's commands as the drawing model calls them through its host: checking a
// node command on the edited item and refitting the links around a node after it moved or
// was removed.
#pragma once

#include "commands/node_command_check.h"
#include "commands/node_propagation.h"
