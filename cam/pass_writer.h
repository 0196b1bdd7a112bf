// The pass writer: turns the ring path of one outer outline into PathRecords at every depth
// pass, the roughing part first and then the finishing part, each framed by the codes that
// tell the reader which tool and which kind of cut follow.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// Appends every depth pass of the current ring path to the records at the engine's record
// count, spilling to FPATHS.TMP as it goes, and ends the stream with the end code. Always 1;
// a failed spill sets the engine's abort flag and stops the writing.
int32_t write_passes(PathRecordBuffer* records, ContourSettings settings);
