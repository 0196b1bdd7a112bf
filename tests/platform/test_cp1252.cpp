// Text conversion at the program's edges: cp1252 inside, UTF-8 outside.
#include <gtest/gtest.h>

#include <string>

#include "platform/cp1252.h"

namespace {

using namespace std::string_literals;

TEST(Cp1252, EveryByteSurvivesARoundTripThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(cp1252_from_utf8(cp1252_to_utf8(all), '?'), all);
}

TEST(Cp1252, HighControlRangeMapsToTheTypographicCharacters) {
  struct Case {
    uint8_t byte;
    const char* utf8;
  };
  const Case cases[] = {
      {0x80, "\u20AC"}, {0x85, "\u2026"}, {0x8A, "\u0160"}, {0x91, "\u2018"},
      {0x96, "\u2013"}, {0x99, "\u2122"}, {0x9F, "\u0178"}, {0xA0, "\u00A0"},
      {0xE9, "\u00E9"}, {0xFF, "\u00FF"}, {'A', "A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cp1252_to_utf8(std::string(1, static_cast<char>(c.byte))), c.utf8)
        << "byte " << int(c.byte);
    EXPECT_EQ(cp1252_from_utf8(c.utf8, '?'), std::string(1, static_cast<char>(c.byte)))
        << "byte " << int(c.byte);
  }
}

TEST(Cp1252, WhatCp1252CannotHoldIsReplacedOrDropped) {
  struct Case {
    std::string utf8;
    std::string replaced;  // with '?'
    std::string dropped;   // with 0
  };
  const Case cases[] = {
      {"a\u4E2Db", "a?b", "ab"},                  // a CJK character
      {"x\U0001F600y", "x?y", "xy"},              // outside the basic plane
      {"\u0085", "?", ""},                        // a C1 control cp1252 uses for '...'
      {"a\xC3", "a?", "a"},                       // truncated sequence at the end
      {"a\x80z", "a?z", "az"},                    // stray continuation byte
      {"\xC0\xAF", "??", ""},                     // overlong '/'
      {"\xED\xA0\x80", "???", ""},                // a UTF-16 surrogate
      {"\xF4\x90\x80\x80", "????", ""},           // beyond U+10FFFF
      {"\xC3" "A", "?A", "A"},                    // lead byte followed by a plain character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cp1252_from_utf8(c.utf8, '?'), c.replaced) << c.utf8;
    EXPECT_EQ(cp1252_from_utf8(c.utf8, 0), c.dropped) << c.utf8;
  }
}

TEST(Cp1252, ClipboardTextSwapsLineEndsAtTheEdge) {
  struct Case {
    std::string inside;   // cp1252, CR LF
    std::string outside;  // UTF-8, LF
  };
  const Case cases[] = {
      {"one\r\ntwo\r\n", "one\ntwo\n"},
      {"caf\xE9\r\n\x80", "caf\u00E9\n\u20AC"},
      {"", ""},
      {"lone\rcr", "lone\rcr"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clipboard_text_to_utf8(c.inside), c.outside) << c.inside;
    EXPECT_EQ(clipboard_text_from_utf8(c.outside), c.inside) << c.outside;
  }
  EXPECT_EQ(clipboard_text_from_utf8("a\r\nb\nc"), "a\r\nb\r\nc") << "CR LF from outside stays";
  EXPECT_EQ(clipboard_text_from_utf8("\u4E2D\n"), "?\r\n");
}

}  // namespace
