// Protocol-file bytes for tests: the tag, a name field and a record as the file holds them.
#pragma once

#include <cstdint>
#include <string>

#include "nc/comm_protocol.h"

inline std::string protocol_tag() { return std::string(PROTOCOL_FILE_TAG, PROTOCOL_FILE_TAG_SIZE); }

// A 40-byte name field: the name, then zeros.
inline std::string protocol_name_field(const std::string& name) {
  std::string field = name.substr(0, PROTOCOL_NAME_FIELD_SIZE);
  field.resize(PROTOCOL_NAME_FIELD_SIZE, '\0');
  return field;
}

inline std::string protocol_record_bytes(const CommProtocol& protocol) {
  uint8_t record[PROTOCOL_RECORD_SIZE];
  write_protocol_record(protocol, record);
  return std::string(reinterpret_cast<const char*>(record), sizeof record);
}

inline std::string protocol_entry(const std::string& name, const CommProtocol& protocol) {
  return protocol_name_field(name) + protocol_record_bytes(protocol);
}
