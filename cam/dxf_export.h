// The NC run of a DXF export of the tool path: made as the NC program is, but with a temporary
// post-processor definition of output kind 3, so that the make-NC driver hands the path code to
// the DXF writer. The job's settings are saved before the run and put back after it, so the
// export leaves the job as it was (its output options excepted, which the export's form sets).
#pragma once

#include <string>

// Exports the tool path of the current job into `path` with the job's output options and
// tolerance. True when the whole file was written; otherwise g_dxf_export.failure (or
// g_make_nc.failure) says why.
bool run_dxf_export(const std::string& path);
