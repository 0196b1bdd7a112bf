// The seed files of the fuzz targets, written byte for byte by the corpus generators.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

inline void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
