#include "store/dcl_explode.h"

#include <algorithm>
#include <cstring>

namespace {

void build_decode_table(std::span<const uint8_t> packed, int count, DclDecodeTable& table) {
  uint8_t lengths[DCL_LITERAL_SYMBOLS] = {};
  uint16_t codes[DCL_LITERAL_SYMBOLS] = {};
  expand_code_lengths(packed, lengths, count);
  assign_canonical_codes(lengths, count, codes);
  table.bits = *std::max_element(lengths, lengths + count);
  const size_t size = size_t{1} << table.bits;
  table.symbol.assign(size, 0);
  table.length.assign(size, 0);
  for (int symbol = 0; symbol < count; ++symbol) {
    const int length = lengths[symbol];
    // The stream's first bit is the code's highest, inverted; the table is indexed by the
    // stream's bits, first bit lowest.
    uint32_t pattern = 0;
    for (int bit = 0; bit < length; ++bit) {
      const uint32_t code_bit = (codes[symbol] >> (length - 1 - bit)) & 1U;
      pattern |= (code_bit ^ 1U) << bit;
    }
    for (size_t high = 0; high < (size >> length); ++high) {
      const size_t index = pattern | (high << length);
      table.symbol[index] = static_cast<uint16_t>(symbol);
      table.length[index] = static_cast<uint8_t>(length);
    }
  }
}

// The bit stream of one run: bits are taken lowest first from the bytes in order.
struct BitReader {
  const DclRead& read;
  uint8_t* chunk;
  size_t position = 0;
  size_t available = 0;
  uint32_t bits = 0;
  int bit_count = 0;
  bool ended = false;

  // Tops the bit buffer up to at least `wanted` bits, or as far as the input goes.
  void fill(int wanted) {
    while (bit_count < wanted) {
      if (position == available) {
        if (ended) return;
        available = std::min(read(chunk, DCL_READ_CHUNK), DCL_READ_CHUNK);
        position = 0;
        if (available == 0) {
          ended = true;
          return;
        }
      }
      bits |= static_cast<uint32_t>(chunk[position++]) << bit_count;
      bit_count += 8;
    }
  }
  // Takes `count` bits (count <= 16) into `value`; false when the input ran out.
  bool take(int count, uint32_t& value) {
    fill(count);
    if (bit_count < count) return false;
    value = bits & ((1U << count) - 1U);
    bits >>= count;
    bit_count -= count;
    return true;
  }
  bool decode(const DclDecodeTable& table, uint32_t& symbol) {
    fill(table.bits);
    const uint32_t index = bits & ((1U << table.bits) - 1U);
    const int length = table.length[index];
    if (length == 0 || length > bit_count) return false;
    symbol = table.symbol[index];
    bits >>= length;
    bit_count -= length;
    return true;
  }
};

// The output window: bytes from DCL_WINDOW on are new; a full block leaves and the window
// moves down.
struct OutputWindow {
  const DclWrite& write;
  uint8_t* buffer;
  size_t position = DCL_WINDOW;
  size_t total = 0;  // bytes decoded in the whole run, to refuse copies from before the start

  bool flush_block() {
    if (position < 2 * DCL_WINDOW) return true;
    if (!write(buffer + DCL_WINDOW, DCL_WRITE_BLOCK)) return false;
    std::memmove(buffer, buffer + DCL_WRITE_BLOCK, position - DCL_WRITE_BLOCK);
    position -= DCL_WRITE_BLOCK;
    return true;
  }
  bool flush_rest() {
    const size_t rest = position - DCL_WINDOW;
    return rest == 0 || write(buffer + DCL_WINDOW, rest);
  }
};

DclResult decode_stream(BitReader& in, OutputWindow& out, const DclWorkArea& work, int mode,
                        int dictionary_bits) {
  for (;;) {
    uint32_t flag = 0;
    if (!in.take(1, flag)) return DCL_BROKEN_DATA;
    if (flag == 0) {
      uint32_t literal = 0;
      const bool ok = mode == DCL_LITERALS_ASCII ? in.decode(work.literals, literal)
                                                 : in.take(8, literal);
      if (!ok) return DCL_BROKEN_DATA;
      out.buffer[out.position++] = static_cast<uint8_t>(literal);
      ++out.total;
    } else {
      uint32_t symbol = 0;
      uint32_t extra = 0;
      if (!in.decode(work.lengths, symbol)) return DCL_BROKEN_DATA;
      if (!in.take(DCL_LENGTH_EXTRA[symbol], extra)) return DCL_BROKEN_DATA;
      const size_t length = static_cast<size_t>(DCL_LENGTH_BASE[symbol]) + extra;
      if (length == DCL_END_LENGTH) return DCL_COMPLETE;
      const int low_bits = length == 2 ? 2 : dictionary_bits;
      uint32_t high = 0;
      uint32_t low = 0;
      if (!in.decode(work.distances, high) || !in.take(low_bits, low)) return DCL_BROKEN_DATA;
      const size_t distance = ((static_cast<size_t>(high) << low_bits) | low) + 1;
      if (distance > out.total) return DCL_BROKEN_DATA;  // a copy from before the start
      // Byte by byte: a copy may overlap the bytes it makes.
      for (size_t i = 0; i < length; ++i, ++out.position) {
        out.buffer[out.position] = out.buffer[out.position - distance];
      }
      out.total += length;
    }
    if (!out.flush_block()) return DCL_BROKEN_DATA;
  }
}

}  // namespace

std::unique_ptr<DclWorkArea> make_dcl_work_area() {
  auto work = std::make_unique<DclWorkArea>();
  build_decode_table(DCL_LITERAL_LENGTHS, DCL_LITERAL_SYMBOLS, work->literals);
  build_decode_table(DCL_LENGTH_LENGTHS, DCL_LENGTH_SYMBOLS, work->lengths);
  build_decode_table(DCL_DISTANCE_LENGTHS, DCL_DISTANCE_SYMBOLS, work->distances);
  return work;
}

DclResult dcl_expand(const DclRead& read, const DclWrite& write, DclWorkArea& work) {
  BitReader in{read, work.input};
  in.available = std::min(read(work.input, DCL_READ_CHUNK), DCL_READ_CHUNK);
  if (in.available <= 4) return DCL_INPUT_TOO_SHORT;
  const int mode = work.input[0];
  const int dictionary_bits = work.input[1];
  in.position = 2;
  if (mode != DCL_LITERALS_BINARY && mode != DCL_LITERALS_ASCII) return DCL_BAD_LITERAL_MODE;
  if (dictionary_bits < DCL_MIN_DICTIONARY_BITS || dictionary_bits > DCL_MAX_DICTIONARY_BITS) {
    return DCL_BAD_DICTIONARY_SIZE;
  }
  OutputWindow out{write, work.output};
  const DclResult result = decode_stream(in, out, work, mode, dictionary_bits);
  if (!out.flush_rest()) return DCL_BROKEN_DATA;
  return result;
}

DclResult dcl_expand_bytes(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                           size_t limit, DclWorkArea& work) {
  size_t offset = 0;
  out.clear();
  const DclRead read = [&](uint8_t* buffer, size_t wanted) {
    const size_t count = std::min(wanted, size - offset);
    if (count > 0) std::memcpy(buffer, data + offset, count);
    offset += count;
    return count;
  };
  const DclWrite write = [&](const uint8_t* block, size_t count) {
    if (count > limit - out.size()) return false;
    out.insert(out.end(), block, block + count);
    return true;
  };
  return dcl_expand(read, write, work);
}
