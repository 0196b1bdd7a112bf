// Conversion between the program's 8-bit cp1252 text and the UTF-8 of the world outside.
// Text is cp1252 inside the program; these run only at its edges (keyboard text, clipboard,
// file names shown on screen, UTF-8 text files being imported).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Characters
// The Unicode code point of a cp1252 byte. The five bytes cp1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the control code points of the same value, so every byte survives a
// round trip.
uint32_t cp1252_to_code_point(uint8_t byte);
// The cp1252 byte of a code point; false when cp1252 cannot hold it.
bool cp1252_from_code_point(uint32_t code_point, uint8_t* byte);

// Strings
std::string cp1252_to_utf8(std::string_view text);
// Characters cp1252 cannot hold, and malformed UTF-8 bytes, become `replacement`;
// a replacement of 0 drops them.
std::string cp1252_from_utf8(std::string_view utf8, char replacement);

// Clipboard text: cp1252 with CR LF line ends inside, UTF-8 with LF line ends outside.
std::string clipboard_text_to_utf8(std::string_view text);
std::string clipboard_text_from_utf8(std::string_view utf8);
