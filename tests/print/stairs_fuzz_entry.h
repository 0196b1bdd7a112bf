// What the fuzz target of the staircase file checks on any bytes, shared with the replay of its
// corpus in the normal test run: the reader takes a block or refuses it cleanly; a block taken
// writes back to bytes that read again to themselves; and its build draws nothing that is not a
// finite point.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "geometry/drawing_item.h"
#include "print/stairs_build.h"
#include "print/stairs_params.h"
#include "store/line_list.h"

inline void check_stairs_input(const uint8_t* data, size_t size) {
  StairsParams params;
  if (!read_stairs_image(data, size, &params)) return;
  uint8_t written[STAIRS_IMAGE_SIZE];
  write_stairs_image(params, written);
  StairsParams again;
  uint8_t rewritten[STAIRS_IMAGE_SIZE];
  if (!read_stairs_image(written, sizeof written, &again)) std::abort();
  write_stairs_image(again, rewritten);
  if (std::memcmp(written, rewritten, sizeof written) != 0) std::abort();
  // A cut stringer is offset by half its outline tool; a tool wider than a step collapses
  // hundreds of teeth at once, where the offset engine takes minutes. Such designs are read, not
  // built, so that the fuzzer keeps its pace.
  const bool cut_stringer = (params.kind_word & STAIRS_KIND_MASK) == STAIRS_KIND_SPECIAL &&
                            params.kind4_type == STAIRS_TYPE_CUT_STRINGER;
  const float tool = params.outline_cam.finishing.cut_width;
  if (cut_stringer && !(tool <= std::fabs(params.rise) && tool <= std::fabs(params.run))) return;
  reset_list_store();
  reset_stairs_state();
  g_stairs.show_message = [](const char*) {};
  g_stairs.params = params;
  stairs_build_drawing();
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    const LinkRecord* r = item_nodes(item);
    for (int32_t k = 0; k <= item_link_count(item); ++k)
      if (!std::isfinite(r[k].point.x) || !std::isfinite(r[k].point.y)) std::abort();
  }
  free_current_list();
}
