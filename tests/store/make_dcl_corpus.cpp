// Writes the seed corpus of the decompressor's fuzz target into the folder given: our streams
// in both literal modes and every dictionary size, the published vector, a cut stream and
// broken headers.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "store/dcl_implode.h"
#include "store/dcl_tables.h"
#include "tests/support/corpus_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_dcl_corpus FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::vector<uint8_t> text;
  const std::string phrase = "Brass plate, 2 mm letters; brass plate, 3 mm letters. ";
  for (int i = 0; i < 40; ++i) text.insert(text.end(), phrase.begin(), phrase.end());
  std::vector<uint8_t> rows;
  for (int i = 0; i < 2000; ++i) rows.push_back(static_cast<uint8_t>((i / 7) % 5 + (i % 64 == 0)));
  for (int mode : {DCL_LITERALS_BINARY, DCL_LITERALS_ASCII}) {
    for (int bits = DCL_MIN_DICTIONARY_BITS; bits <= DCL_MAX_DICTIONARY_BITS; ++bits) {
      const std::string name = "/m" + std::to_string(mode) + "d" + std::to_string(bits);
      write_file(folder + name + "_text", dcl_implode(text, mode, bits));
      write_file(folder + name + "_rows", dcl_implode(rows, mode, bits));
    }
  }
  write_file(folder + "/vector", {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f});
  std::vector<uint8_t> cut = dcl_implode(text, DCL_LITERALS_ASCII, 6);
  cut.resize(cut.size() / 2);
  write_file(folder + "/cut", cut);
  write_file(folder + "/bad_mode", {0x02, 0x04, 0x82, 0x24, 0x25, 0x8f});
  write_file(folder + "/bad_size", {0x00, 0x09, 0x82, 0x24, 0x25, 0x8f});
  write_file(folder + "/short", {0x00, 0x04, 0x82});
  return 0;
}
