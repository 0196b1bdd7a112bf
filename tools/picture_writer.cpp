#include "tools/picture_writer.h"

#include <algorithm>

#include "store/dcl_tables.h"
#include "store/dcl_implode.h"

namespace {

constexpr uint8_t MAGIC[8] = {0x1A, 0x44, 0x49, 0x42, 0x00, 0x00, 0x00, 0x02};

void put_u16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

size_t row_bytes(int width, int bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

// The smallest of the six ways to implode the bytes.
std::vector<uint8_t> implode_smallest(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> best;
  for (int mode : {DCL_LITERALS_BINARY, DCL_LITERALS_ASCII}) {
    for (int bits = 4; bits <= 6; ++bits) {
      std::vector<uint8_t> packed = dcl_implode(data, mode, bits);
      if (best.empty() || packed.size() < best.size()) best = std::move(packed);
    }
  }
  return best;
}

bool black_and_white(const Surface& surface) {
  return std::all_of(surface.pixels.begin(), surface.pixels.end(),
                     [](uint32_t p) { return p == 0 || p == 0xFFFFFF; });
}

// Pixel rows, bottom row first, and for 8 bits the palette of the colours met, in their order.
std::vector<uint8_t> pixel_rows(const Surface& surface, int bits, std::vector<uint32_t>* palette) {
  const size_t stride = row_bytes(surface.width, bits);
  std::vector<uint8_t> rows(stride * static_cast<size_t>(surface.height), 0);
  for (int y = 0; y < surface.height; ++y) {
    uint8_t* row = rows.data() + stride * static_cast<size_t>(surface.height - 1 - y);
    for (int x = 0; x < surface.width; ++x) {
      const uint32_t p = surface.pixels[static_cast<size_t>(y) * surface.width + x];
      if (bits == 1) {
        if (p != 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        continue;
      }
      auto at = std::find(palette->begin(), palette->end(), p);
      if (at == palette->end()) {
        if (palette->size() == 256) return {};
        palette->push_back(p);
        at = palette->end() - 1;
      }
      row[x] = static_cast<uint8_t>(at - palette->begin());
    }
  }
  return rows;
}

}  // namespace

std::vector<uint8_t> picture_entry_from_surface(const Surface& surface, std::string* error) {
  const int bits = black_and_white(surface) ? 1 : 8;
  std::vector<uint32_t> palette;
  const std::vector<uint8_t> rows = pixel_rows(surface, bits, &palette);
  if (rows.empty()) {
    *error = "more than 256 colours";
    return {};
  }
  std::vector<uint8_t> out;
  put_u32(out, static_cast<uint32_t>(rows.size()));
  put_u32(out, static_cast<uint32_t>(surface.width));
  put_u32(out, static_cast<uint32_t>(surface.height));
  put_u32(out, 40);  // the bitmap information header
  put_u32(out, static_cast<uint32_t>(surface.width));
  put_u32(out, static_cast<uint32_t>(surface.height));  // bottom row first
  put_u16(out, 1);
  put_u16(out, static_cast<uint16_t>(bits));
  put_u32(out, 0);  // no compression of its own
  put_u32(out, static_cast<uint32_t>(rows.size()));
  for (int i = 0; i < 4; ++i) put_u32(out, 0);
  if (bits == 8) {
    std::vector<uint8_t> quads;
    for (uint32_t c : palette) {
      quads.insert(quads.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                 static_cast<uint8_t>(c >> 16), 0});
    }
    const std::vector<uint8_t> packed = implode_smallest(quads);
    put_u16(out, static_cast<uint16_t>(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
  }
  const std::vector<uint8_t> packed = implode_smallest(rows);
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

std::vector<uint8_t> picture_file_from_entries(const std::map<int, std::vector<uint8_t>>& entries) {
  const int count = entries.empty() ? 0 : entries.rbegin()->first;
  std::vector<uint8_t> out(MAGIC, MAGIC + sizeof MAGIC);
  put_u16(out, static_cast<uint16_t>(count));
  uint32_t offset = static_cast<uint32_t>(10 + (count + 2) * 4);
  for (int n = 0; n <= count; ++n) {
    put_u32(out, offset);
    const auto it = entries.find(n);
    if (it != entries.end()) offset += static_cast<uint32_t>(it->second.size());
  }
  put_u32(out, offset);
  for (const auto& [n, bytes] : entries) out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}
