// Blade profiles.
#include "cam/blade_profile.h"

#include "cam/toolpath_engine_internal.h"

const char* const BLADE_PROFILE_REFUSED =
    "Cut a Blade can not be machined yet: its outlines were left out of the tool path.";

// Stand-in: refuses every blade profile with a message; writes no records.
int32_t run_blade_profile(PathRecordBuffer* records, const ContourLink* links,
                          const ContourNode* nodes, int32_t start, int32_t end,
                          const ContourSettings& settings) {
  (void)records;
  (void)links;
  (void)nodes;
  (void)start;
  (void)end;
  (void)settings;
  engine_text_box(BLADE_PROFILE_REFUSED);
  return 0;
}
