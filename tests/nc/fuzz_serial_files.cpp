// libFuzzer targets of the machine link's binary files: the protocol file (fuzz_protocol_file)
// and the man-readable table (fuzz_man_read_table). Any bytes must read or be refused cleanly,
// never crash or read out of bounds; what reads must write and read again.
#include <cstddef>
#include <cstdint>

#include "nc/comm_protocol.h"
#include "nc/tape_codes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifdef FUZZ_MAN_READ_TABLE
  ManReadTable table;
  read_man_read_bytes(data, size, &table);
  for (int c = 0; c < 256; ++c) man_read_pattern(table, static_cast<uint8_t>(c));
#else
  LineList list;
  if (read_protocol_bytes(data, size, &list) >= 0) {
    for (const TextLine* line = list.first; line != nullptr; line = line->next) {
      uint8_t record[PROTOCOL_RECORD_SIZE];
      write_protocol_record(*protocol_of(line), record);
      CommProtocol again;
      read_protocol_record(record, &again);
    }
  }
  free_list(list.first);
#endif
  return 0;
}
