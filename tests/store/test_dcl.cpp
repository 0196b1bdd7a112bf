// The imploded-data decompressor and our encoder: the published vector, round trips in both
// literal modes and every dictionary size, the refusals, and the same streams read back by an
// independent decompressor (Debian's `dynamite`).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "store/dcl_explode.h"
#include "store/dcl_implode.h"
#include "tests/store/dcl_fuzz_entry.h"

namespace {

using Bytes = std::vector<uint8_t>;

DclResult expand(const Bytes& in, Bytes& out, size_t limit = 1U << 24) {
  static const std::unique_ptr<DclWorkArea> work = make_dcl_work_area();
  return dcl_expand_bytes(in.data(), in.size(), out, limit, *work);
}

Bytes random_bytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

Bytes repetitive_text(size_t size) {
  const std::string phrase = "The engraver cuts the letters in brass. ";
  Bytes bytes;
  for (size_t i = 0; bytes.size() < size; ++i) {
    bytes.push_back(static_cast<uint8_t>(phrase[i % phrase.size()]));
    if (i % 97 == 0) bytes.push_back(static_cast<uint8_t>('0' + i % 10));
  }
  bytes.resize(size);
  return bytes;
}

// Rows of a drawn picture: runs of a few colours with rows that repeat the row above.
Bytes picture_rows(int width, int height) {
  Bytes bytes;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool inside = (x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2) <
                          (width * width) / 9;
      bytes.push_back(static_cast<uint8_t>(inside ? 200 + (y / 8) % 4 : (x / 16) % 3));
    }
  }
  return bytes;
}

// A block that repeats only at the far end of the window, so copies reach the longest distance.
Bytes far_repeats(int dictionary_bits) {
  const size_t window = size_t{64} << dictionary_bits;
  Bytes block = random_bytes(window, 7);
  Bytes bytes = block;
  bytes.insert(bytes.end(), block.begin(), block.end());
  return bytes;
}

struct Sample {
  const char* name;
  Bytes data;
};

std::vector<Sample> samples(int dictionary_bits) {
  return {{"empty", {}},
          {"one byte", {0x41}},
          {"two bytes", {0x41, 0x41}},
          {"three bytes", {1, 2, 3}},
          {"518 same", Bytes(518, 0x55)},
          {"longest copies", Bytes(5000, 0)},
          {"random", random_bytes(20000, 3)},
          {"text", repetitive_text(30000)},
          {"picture", picture_rows(128, 96)},
          {"far", far_repeats(dictionary_bits)}};
}

bool dynamite_present() { return std::system("command -v dynamite >/dev/null 2>&1") == 0; }

// Decodes with `dynamite`, its time and output bounded: broken input never stops it.
bool dynamite_expand(const Bytes& in, Bytes& out) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("brenvik-dcl-" + std::to_string(::testing::UnitTest::GetInstance()
                                                           ->random_seed()) +
                       "-" + std::to_string(std::rand()));
  std::filesystem::create_directories(folder);
  const auto packed = folder / "in.bin";
  const auto unpacked = folder / "out.bin";
  std::ofstream(packed, std::ios::binary).write(reinterpret_cast<const char*>(in.data()),
                                                static_cast<std::streamsize>(in.size()));
  const std::string command = "ulimit -f 4096; timeout 10 dynamite '" + packed.string() + "' '" +
                              unpacked.string() + "' >/dev/null 2>&1";
  const bool ok = std::system(("sh -c \"" + command + "\"").c_str()) == 0;
  std::ifstream file(unpacked, std::ios::binary);
  out.assign(std::istreambuf_iterator<char>(file), {});
  std::filesystem::remove_all(folder);
  return ok;
}

TEST(DclExpand, PublishedVectorGivesItsText) {
  const Bytes packed = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f};
  Bytes out;
  EXPECT_EQ(expand(packed, out), DCL_COMPLETE);
  EXPECT_EQ(std::string(out.begin(), out.end()), "AIAIAIAIAIAIA");
}

TEST(DclExpand, HeaderRefusals) {
  struct Case {
    Bytes packed;
    DclResult result;
  };
  const Case cases[] = {
      {{0x00, 0x03, 0x82, 0x24, 0x25, 0x8f}, DCL_BAD_DICTIONARY_SIZE},
      {{0x00, 0x07, 0x82, 0x24, 0x25, 0x8f}, DCL_BAD_DICTIONARY_SIZE},
      {{0x02, 0x04, 0x82, 0x24, 0x25, 0x8f}, DCL_BAD_LITERAL_MODE},
      {{0x00, 0x04, 0x82, 0x24}, DCL_INPUT_TOO_SHORT},
      {{}, DCL_INPUT_TOO_SHORT},
  };
  for (const Case& c : cases) {
    Bytes out;
    EXPECT_EQ(expand(c.packed, out), c.result);
    EXPECT_TRUE(out.empty());
  }
}

TEST(DclExpand, EveryTruncationIsBroken) {
  for (int mode : {DCL_LITERALS_BINARY, DCL_LITERALS_ASCII}) {
    const Bytes data = repetitive_text(3000);
    const Bytes packed = dcl_implode(data, mode, 5);
    for (size_t size = 5; size < packed.size(); ++size) {
      Bytes out;
      const Bytes cut(packed.begin(), packed.begin() + static_cast<long>(size));
      ASSERT_EQ(expand(cut, out), DCL_BROKEN_DATA) << "mode " << mode << " cut at " << size;
      // What was decoded before the break is delivered and is the start of the data.
      ASSERT_LE(out.size(), data.size());
      EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
    }
  }
}

TEST(DclExpand, CopyFromBeforeTheStartIsBroken) {
  // "xxxxxx" packs as the literal 'x' (9 bits) and a copy at distance 1. Without the literal's
  // bits the stream opens with that copy, which has nothing behind it.
  const Bytes packed = dcl_implode(Bytes(6, 'x'), DCL_LITERALS_BINARY, 4);
  Bytes shifted(packed.size(), 0);
  shifted[0] = packed[0];
  shifted[1] = packed[1];
  const size_t bits = (packed.size() - 2) * 8;
  for (size_t bit = 9; bit < bits; ++bit) {
    const int value = (packed[2 + bit / 8] >> (bit % 8)) & 1;
    shifted[2 + (bit - 9) / 8] |= static_cast<uint8_t>(value << ((bit - 9) % 8));
  }
  Bytes out;
  EXPECT_EQ(expand(packed, out), DCL_COMPLETE);
  EXPECT_EQ(out, Bytes(6, 'x'));
  EXPECT_EQ(expand(shifted, out), DCL_BROKEN_DATA);
  EXPECT_TRUE(out.empty());
}

TEST(DclExpand, OutputPastTheLimitIsRefused) {
  const Bytes data = random_bytes(10000, 11);
  const Bytes packed = dcl_implode(data, DCL_LITERALS_BINARY, 6);
  Bytes out;
  EXPECT_EQ(expand(packed, out, data.size()), DCL_COMPLETE);
  EXPECT_EQ(out, data);
  EXPECT_EQ(expand(packed, out, data.size() - 1), DCL_BROKEN_DATA);
  EXPECT_LE(out.size(), data.size() - 1);
}

TEST(DclExpand, SmallReadsAndBlocksGiveTheSameBytes) {
  const Bytes data = picture_rows(200, 150);
  const Bytes packed = dcl_implode(data, DCL_LITERALS_ASCII, 6);
  auto work = make_dcl_work_area();
  size_t offset = 0;
  Bytes out;
  std::vector<size_t> blocks;
  const DclRead read = [&](uint8_t* buffer, size_t wanted) {
    // Seven bytes at a time after a first chunk long enough for the header.
    const size_t count = std::min({wanted, packed.size() - offset, offset == 0 ? size_t{8} : 7});
    std::copy_n(packed.begin() + static_cast<long>(offset), count, buffer);
    offset += count;
    return count;
  };
  const DclWrite write = [&](const uint8_t* block, size_t size) {
    blocks.push_back(size);
    out.insert(out.end(), block, block + size);
    return true;
  };
  EXPECT_EQ(dcl_expand(read, write, *work), DCL_COMPLETE);
  EXPECT_EQ(out, data);
  for (size_t i = 0; i + 1 < blocks.size(); ++i) EXPECT_EQ(blocks[i], DCL_WRITE_BLOCK);
}

TEST(DclImplode, RoundTripsInEveryModeAndSize) {
  for (int mode : {DCL_LITERALS_BINARY, DCL_LITERALS_ASCII}) {
    for (int bits = DCL_MIN_DICTIONARY_BITS; bits <= DCL_MAX_DICTIONARY_BITS; ++bits) {
      for (const Sample& sample : samples(bits)) {
        SCOPED_TRACE(std::string(sample.name) + " mode " + std::to_string(mode) + " bits " +
                     std::to_string(bits));
        const Bytes packed = dcl_implode(sample.data, mode, bits);
        ASSERT_GE(packed.size(), 5U);
        EXPECT_EQ(packed[0], mode);
        EXPECT_EQ(packed[1], bits);
        Bytes out;
        ASSERT_EQ(expand(packed, out), DCL_COMPLETE);
        EXPECT_EQ(out, sample.data);
      }
    }
  }
}

TEST(DclImplode, MakesRealCopies) {
  const Bytes text = repetitive_text(30000);
  EXPECT_LT(dcl_implode(text, DCL_LITERALS_ASCII, 6).size(), text.size() / 10);
  const Bytes far = far_repeats(6);
  // The second half is one run of copies at the window's far end.
  EXPECT_LT(dcl_implode(far, DCL_LITERALS_BINARY, 6).size(), far.size() * 6 / 10);
  // Random bytes cost little more than themselves.
  const Bytes noise = random_bytes(20000, 5);
  EXPECT_LT(dcl_implode(noise, DCL_LITERALS_BINARY, 4).size(), noise.size() * 115 / 100);
}

// dynamite reads binary literals only (it refuses mode 1); the ASCII literal codes are held by
// the round trips and by the table's check below.
TEST(DclImplode, IndependentDecompressorReadsOurStreams) {
  ASSERT_TRUE(dynamite_present()) << "dynamite is missing: run tools/install-deps.sh";
  for (int mode : {DCL_LITERALS_BINARY}) {
    for (int bits = DCL_MIN_DICTIONARY_BITS; bits <= DCL_MAX_DICTIONARY_BITS; ++bits) {
      for (const Sample& sample : samples(bits)) {
        SCOPED_TRACE(std::string(sample.name) + " mode " + std::to_string(mode) + " bits " +
                     std::to_string(bits));
        Bytes out;
        EXPECT_TRUE(dynamite_expand(dcl_implode(sample.data, mode, bits), out));
        EXPECT_EQ(out, sample.data);
      }
    }
  }
}

// Each code table is a complete prefix code over all its symbols: a wrong length in a packed
// table would leave a gap or an overlap.
TEST(DclTables, CodesFillTheirSpaceExactly) {
  struct Table {
    std::span<const uint8_t> packed;
    int symbols;
  };
  const Table tables[] = {{DCL_LITERAL_LENGTHS, DCL_LITERAL_SYMBOLS},
                          {DCL_LENGTH_LENGTHS, DCL_LENGTH_SYMBOLS},
                          {DCL_DISTANCE_LENGTHS, DCL_DISTANCE_SYMBOLS}};
  for (const Table& table : tables) {
    uint8_t lengths[DCL_LITERAL_SYMBOLS + 16] = {};
    EXPECT_EQ(expand_code_lengths(table.packed, lengths, DCL_LITERAL_SYMBOLS + 16), table.symbols);
    uint64_t space = 0;  // in units of 2^-16
    for (int symbol = 0; symbol < table.symbols; ++symbol) {
      ASSERT_GE(lengths[symbol], 1);
      space += uint64_t{1} << (16 - lengths[symbol]);
    }
    EXPECT_EQ(space, uint64_t{1} << 16);
  }
}

TEST(DclExpand, FuzzCorpusReplays) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(DCL_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream file(entry.path(), std::ios::binary);
    const Bytes bytes(std::istreambuf_iterator<char>(file), {});
    check_dcl_input(bytes.data(), bytes.size());
  }
  EXPECT_GE(files, 5);
}

}  // namespace
