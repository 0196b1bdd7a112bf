#include "store/dcl_implode.h"

#include <algorithm>
#include <array>

#include "store/dcl_tables.h"

namespace {

constexpr int HASH_BITS = 13;
constexpr int CHAIN_LIMIT = 96;

struct Code {
  uint16_t value = 0;  // in stream order: the first bit lowest
  uint8_t length = 0;
};

template <size_t N>
std::array<Code, N> make_codes(std::span<const uint8_t> packed) {
  uint8_t lengths[N] = {};
  uint16_t canonical[N] = {};
  expand_code_lengths(packed, lengths, static_cast<int>(N));
  assign_canonical_codes(lengths, static_cast<int>(N), canonical);
  std::array<Code, N> codes{};
  for (size_t symbol = 0; symbol < N; ++symbol) {
    const int length = lengths[symbol];
    uint16_t value = 0;
    for (int bit = 0; bit < length; ++bit) {
      const int code_bit = (canonical[symbol] >> (length - 1 - bit)) & 1;
      value = static_cast<uint16_t>(value | ((code_bit ^ 1) << bit));
    }
    codes[symbol] = Code{value, static_cast<uint8_t>(length)};
  }
  return codes;
}

struct BitWriter {
  std::vector<uint8_t> bytes;
  uint32_t bits = 0;
  int count = 0;

  void put(uint32_t value, int length) {
    bits |= value << count;
    count += length;
    while (count >= 8) {
      bytes.push_back(static_cast<uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
  }
  void finish() {
    if (count > 0) bytes.push_back(static_cast<uint8_t>(bits));
    bits = 0;
    count = 0;
  }
};

int length_symbol(int length) {
  for (int symbol = DCL_LENGTH_SYMBOLS - 1; symbol >= 0; --symbol) {
    const int base = DCL_LENGTH_BASE[static_cast<size_t>(symbol)];
    if (length >= base && length < base + (1 << DCL_LENGTH_EXTRA[static_cast<size_t>(symbol)])) {
      return symbol;
    }
  }
  return 1;
}

class Imploder {
 public:
  Imploder(std::span<const uint8_t> data, int mode, int dictionary_bits)
      : data_(data), mode_(mode), dictionary_bits_(dictionary_bits),
        window_(64 << dictionary_bits), literals_(make_codes<DCL_LITERAL_SYMBOLS>(
                                            DCL_LITERAL_LENGTHS)),
        lengths_(make_codes<DCL_LENGTH_SYMBOLS>(DCL_LENGTH_LENGTHS)),
        distances_(make_codes<DCL_DISTANCE_SYMBOLS>(DCL_DISTANCE_LENGTHS)),
        head_(size_t{1} << HASH_BITS, -1), previous_(data.size(), -1) {}

  std::vector<uint8_t> run() {
    out_.put(static_cast<uint32_t>(mode_), 8);
    out_.put(static_cast<uint32_t>(dictionary_bits_), 8);
    size_t position = 0;
    while (position < data_.size()) {
      int distance = 0;
      const int length = find_match(position, distance);
      if (length >= 2 && copy_cost(length, distance) < literal_run_cost(position, length)) {
        put_copy(length, distance);
        for (int i = 0; i < length; ++i) insert(position + static_cast<size_t>(i));
        position += static_cast<size_t>(length);
      } else {
        put_literal(data_[position]);
        insert(position);
        ++position;
      }
    }
    put_length(DCL_END_LENGTH);
    out_.finish();
    while (out_.bytes.size() < 5) out_.bytes.push_back(0);
    return std::move(out_.bytes);
  }

 private:
  uint32_t hash_at(size_t position) const {
    const uint32_t value = data_[position] | (data_[position + 1] << 8) |
                           (static_cast<uint32_t>(data_[position + 2]) << 16);
    return (value * 2654435761U) >> (32 - HASH_BITS);
  }
  void insert(size_t position) {
    if (position + 3 > data_.size()) return;
    const uint32_t hash = hash_at(position);
    previous_[position] = head_[hash];
    head_[hash] = static_cast<int64_t>(position);
  }
  size_t match_length(size_t from, size_t position) const {
    const size_t limit = std::min<size_t>(DCL_MAX_LENGTH, data_.size() - position);
    size_t length = 0;
    while (length < limit && data_[from + length] == data_[position + length]) ++length;
    return length;
  }
  // The longest copy for `position` in the window; 2-byte copies come from the last 256 bytes.
  int find_match(size_t position, int& distance) const {
    size_t best = 0;
    if (position + 3 <= data_.size()) {
      int64_t candidate = head_[hash_at(position)];
      for (int steps = 0; candidate >= 0 && steps < CHAIN_LIMIT; ++steps) {
        const size_t from = static_cast<size_t>(candidate);
        if (position - from > static_cast<size_t>(window_)) break;
        const size_t length = match_length(from, position);
        if (length > best) {
          best = length;
          distance = static_cast<int>(position - from);
          if (length == DCL_MAX_LENGTH) break;
        }
        candidate = previous_[from];
      }
    }
    if (best >= 3) return static_cast<int>(best);
    if (position + 2 > data_.size()) return 0;
    const size_t first = position >= 256 ? position - 256 : 0;
    for (size_t from = position; from-- > first;) {
      if (data_[from] == data_[position] && data_[from + 1] == data_[position + 1]) {
        distance = static_cast<int>(position - from);
        return 2;
      }
    }
    return 0;
  }
  int literal_cost(uint8_t value) const {
    return 1 + (mode_ == DCL_LITERALS_ASCII ? literals_[value].length : 8);
  }
  int literal_run_cost(size_t position, int length) const {
    int cost = 0;
    for (int i = 0; i < length; ++i) cost += literal_cost(data_[position + static_cast<size_t>(i)]);
    return cost;
  }
  int copy_cost(int length, int distance) const {
    const int symbol = length_symbol(length);
    const int low_bits = length == 2 ? 2 : dictionary_bits_;
    const int high = (distance - 1) >> low_bits;
    return 1 + lengths_[static_cast<size_t>(symbol)].length +
           DCL_LENGTH_EXTRA[static_cast<size_t>(symbol)] +
           distances_[static_cast<size_t>(high)].length + low_bits;
  }
  void put_literal(uint8_t value) {
    out_.put(0, 1);
    if (mode_ == DCL_LITERALS_ASCII) {
      out_.put(literals_[value].value, literals_[value].length);
    } else {
      out_.put(value, 8);
    }
  }
  void put_length(int length) {
    const int symbol = length_symbol(length);
    const Code code = lengths_[static_cast<size_t>(symbol)];
    out_.put(1, 1);
    out_.put(code.value, code.length);
    out_.put(static_cast<uint32_t>(length - DCL_LENGTH_BASE[static_cast<size_t>(symbol)]),
             DCL_LENGTH_EXTRA[static_cast<size_t>(symbol)]);
  }
  void put_copy(int length, int distance) {
    put_length(length);
    const int low_bits = length == 2 ? 2 : dictionary_bits_;
    const uint32_t value = static_cast<uint32_t>(distance - 1);
    const Code code = distances_[value >> low_bits];
    out_.put(code.value, code.length);
    out_.put(value & ((1U << low_bits) - 1U), low_bits);
  }

  std::span<const uint8_t> data_;
  int mode_;
  int dictionary_bits_;
  int window_;
  std::array<Code, DCL_LITERAL_SYMBOLS> literals_;
  std::array<Code, DCL_LENGTH_SYMBOLS> lengths_;
  std::array<Code, DCL_DISTANCE_SYMBOLS> distances_;
  std::vector<int64_t> head_;
  std::vector<int64_t> previous_;
  BitWriter out_;
};

}  // namespace

std::vector<uint8_t> dcl_implode(std::span<const uint8_t> data, int literal_mode,
                                 int dictionary_bits) {
  const int mode = literal_mode == DCL_LITERALS_ASCII ? DCL_LITERALS_ASCII : DCL_LITERALS_BINARY;
  const int bits = std::clamp(dictionary_bits, DCL_MIN_DICTIONARY_BITS, DCL_MAX_DICTIONARY_BITS);
  return Imploder(data, mode, bits).run();
}
