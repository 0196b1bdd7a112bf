// The find and the replace forms: the texts with their history of earlier finds and replaces,
// and the options (case, whole words, every buffer, only the marked block, asking before each
// replacement) that become the search flags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the forms show and keep between runs.
struct FindForm {
  std::string find_text;          // at most FIND_TEXT_MAX characters, as typed (caret escapes)
  std::string replace_text;       // the same for the replacement
  uint8_t case_counts = 0;        // 1: case counts
  uint8_t whole_words = 0;        // 1: only whole words
  uint8_t all_buffers = 0;        // 1: every editing buffer that holds text (two or more needed)
  uint8_t in_block = 0;           // 1: only the marked block (a block of three lines or more)
  uint8_t ask_each = 1;           // 1: every replacement is confirmed
  std::vector<std::string> history;  // earlier finds and replaces, newest first
};
extern FindForm g_find_form;

// Texts the history keeps (the preferences file stores this many).
constexpr size_t FIND_HISTORY_MOST = 14;

// Runs the find form (replace false) or the replace form. Accepted: both texts go to the top of
// the history, the pattern and replacement are the texts with caret escapes expanded, and the
// search flags follow the options; 1. Cancelled or an empty find text: 0, nothing changed.
int find_dialog(bool replace);

// 1 when two or more editing buffers hold text (more than one line, or a first line of more than
// four characters), else 0.
int flag_two_buffers_used();

// The history as the preferences file stores it, and back.
void set_find_history(const std::vector<std::string>& texts);
std::vector<std::string> find_history();

// Test hooks
void reset_find_form();
