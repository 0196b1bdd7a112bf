// Reads the whole path code back into plain records for the NC and walker tests.
#pragma once

#include <string>
#include <vector>

#include "nc/path_code.h"

struct DecodedOp {
  char code = 0;
  uint8_t param = 0;
  std::string text;
  std::vector<float> values;
};

// Every opcode up to the end; *result (may be null) gets the reader's last result.
inline std::vector<DecodedOp> decode_path(PathReadResult* result = nullptr) {
  std::vector<DecodedOp> ops;
  PathReader reader;
  PathOp op;
  PathReadResult r;
  while ((r = path_read_op(&reader, &op)) == PATH_READ_OP) {
    DecodedOp d;
    d.code = op.code;
    d.param = op.param;
    if (op.text != nullptr) d.text = op.text;
    d.values.assign(op.values, op.values + op.value_count);
    ops.push_back(d);
  }
  if (result != nullptr) *result = r;
  return ops;
}

// The opcodes as one string, e.g. "Ad Z11".
inline std::string op_codes(const std::vector<DecodedOp>& ops) {
  std::string codes;
  for (const DecodedOp& op : ops) codes += op.code;
  return codes;
}

inline std::string path_codes() { return op_codes(decode_path()); }
