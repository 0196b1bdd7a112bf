// What the fuzz target of the decompressor checks on any bytes, shared with the replay of its
// corpus in the normal test run: the run ends with a result, bounded output, and data that
// unpack completely pack again to the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "store/dcl_explode.h"
#include "store/dcl_implode.h"

inline void check_dcl_input(const uint8_t* data, size_t size) {
  constexpr size_t LIMIT = 1U << 20;
  const std::unique_ptr<DclWorkArea> work = make_dcl_work_area();
  std::vector<uint8_t> out;
  const DclResult result = dcl_expand_bytes(data, size, out, LIMIT, *work);
  if (result < DCL_COMPLETE || result > DCL_BROKEN_DATA || out.size() > LIMIT) std::abort();
  if (result != DCL_COMPLETE) return;
  const std::vector<uint8_t> packed = dcl_implode(out, data[0], data[1]);
  std::vector<uint8_t> again;
  if (dcl_expand_bytes(packed.data(), packed.size(), again, LIMIT, *work) != DCL_COMPLETE ||
      again != out) {
    std::abort();
  }
}
