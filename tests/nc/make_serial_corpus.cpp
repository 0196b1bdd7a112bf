// Writes the seed corpus of the machine link's fuzz targets:
//   make_serial_corpus <protocol corpus folder> <man-read corpus folder>
#include <cstdio>
#include <string>
#include <vector>

#include "nc/comm_protocol.h"
#include "nc/tape_codes.h"
#include "tests/nc/serial_files_fixture.h"
#include "tests/support/corpus_file.h"

namespace {

std::vector<uint8_t> bytes_of(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_serial_corpus <protocol folder> <man-read folder>\n");
    return 2;
  }
  const std::string protocols = argv[1];
  const std::string man_read = argv[2];
  CommProtocol full;
  full.auto_save_seconds = 10;
  full.baud_index = 9;
  full.port_index = 8;
  full.handshake = HANDSHAKE_WAIT_FOR_XON;
  full.char_delay_ms = 20;
  std::snprintf(full.start_string, sizeof full.start_string, "%s", "~*%^M^J");
  std::snprintf(full.end_string, sizeof full.end_string, "%s", "~3^M^J");
  full.device_type = DEVICE_TRANSFER_BOX;
  std::snprintf(full.default_folder, sizeof full.default_folder, "%s", "/home/shop/");
  const std::string one = protocol_entry(PROTOCOL_DEFAULT_NAME, new_protocol());
  const std::string two = protocol_entry("Lathe, wait for XON", full);
  write_file(protocols + "/default.KR4", bytes_of(protocol_tag() + one));
  write_file(protocols + "/two.KR4", bytes_of(protocol_tag() + one + two));
  write_file(protocols + "/cut_short.KR4", bytes_of(protocol_tag() + one + two.substr(0, 200)));
  write_file(protocols + "/tag_only.KR4", bytes_of(protocol_tag()));
  std::string bad = protocol_tag() + one;
  for (size_t i = 9 + 40 + 4; i < 9 + 40 + 12; ++i) bad[i] = '\xff';
  write_file(protocols + "/bad_indices.KR4", bytes_of(bad));

  ManReadTable table;
  table.entries[33][0] = 0x7f;  // 'A' as one column
  std::vector<uint8_t> whole(MAN_READ_FILE_SIZE);
  for (size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<uint8_t>(i * 7);
  write_file(man_read + "/scrambled.TBL", whole);
  whole.resize(100);
  write_file(man_read + "/short.TBL", whole);
  return 0;
}
