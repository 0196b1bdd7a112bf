// The message catalogue: every menu, dialog form, help line and numbered message of the program
// lives in one text file in the program folder; the program holds only their numbers (named in
// ui/message_ids.h). The file is indexed once at start-up; a message is then found by its
// number and read line by line into the scratch buffer's message text.
//
// File format (cp1252, CR LF line ends; LF and lone CR are read too): a message starts at a
// header line "~N" (N decimal, kept in 16 bits, so ~43514 is message -22022; 0 or no number is
// not indexed) and runs to the next line that starts with '~'. Text lines lose their line end
// and trailing blanks; in-band codes stand as raw bytes. At most CATALOGUE_MAX_MESSAGES are
// indexed; of two messages with one number the first counts.
//
// get_message by number range:
//   1 .. 9999             replaces the message text, shows nothing, returns 1
//   10000 .. 19999        replaces the text, shows it in a press-a-key box, returns the key
//   20000 and above       appends to the caller's text, shows it, returns the key
//   -20000 .. 0           appends, shows nothing, returns 1
//   -20001 and below      a choice prompt: its first line (the choice words) goes to
//                         choice_words() and their hot letters to choice_hot_letters(); the rest
//                         replaces the text; shows nothing (ask_catalogue_choice does); returns 1
// A number not in the index reads "Msg #N?\n\n" (replacing the text) and is shown as its range
// says. Texts never pass their scratch regions: what does not fit is cut at a whole line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/file_reader.h"

struct TextLine;

// File names in the program folder
constexpr const char CATALOGUE_FILE_NAME[] = "KR_MENUs.KR5";
constexpr const char CATALOGUE_METRIC_FILE_NAME[] = "KR_MENUm.KR5";

constexpr int CATALOGUE_MAX_MESSAGES = 999;
// Number ranges
constexpr int CATALOGUE_FIRST_SHOWN = 10000;     // from here on get_message shows the text
constexpr int CATALOGUE_FIRST_APPENDED = 20000;  // from here on it appends to the caller's text
constexpr int CATALOGUE_FIRST_CHOICE = -20001;   // this and below: choice prompts
// The text of a missing message (printf format with the number).
constexpr const char CATALOGUE_MISSING_FORMAT[] = "Msg #%d?\n\n";

struct MessageCatalogue {
  std::string file_name = CATALOGUE_FILE_NAME;  // start-up switches to the metric name
  FileRecord file;                    // the open catalogue, FILE_BUFFER_CATALOGUE bytes
  std::vector<int16_t> numbers;       // message numbers in file order, at most 999, never 0
  std::vector<int64_t> offsets;       // file offset of each message's first text line
  bool message_open = false;          // read_message_line may read on: set by find_message,
                                      // cleared at the message's end
};
extern MessageCatalogue g_catalogue;

// Opening and closing
// Closes an open catalogue, indexes program folder + file_name and returns the number of
// messages (0: the file is missing or holds none).
int open_catalogue();
// Closes the file and forgets the index.
void close_catalogue();

// Reading messages
// Positions the file at message number's first text line and returns number; 0 when the number
// is not indexed (or is 0).
int find_message(int number);
// Reads the next text line of the current message into the message text: append 0 replaces the
// text with the line, append 1 appends the line and "\n". Lone line feeds are skipped; a line
// longer than the reader's buffer is read whole. Returns the line's byte count in the file
// (its line end included), 0 at the end of the message or of the file.
int read_message_line(int append);
// Loads message number by its range (see above).
int get_message(int number);

// The scratch texts
// The message text (zero-ended, at most SCRATCH_MESSAGE_CAPACITY - 1 bytes).
char* message_text();
void clear_message_text();
// Replace / append to the message text; what does not fit is dropped. Return false when cut.
bool set_message_text(const char* text);
bool append_message_text(const char* text);
// The choice words and hot letters of the last choice prompt loaded.
const char* choice_words();
const char* choice_hot_letters();

// Helpers
// The upper-cased character after each highlight code (0x0B) of text, zero-ended, into out
// (at most out_size bytes with the zero).
void hot_letters(const char* text, char* out, size_t out_size);
// Copies up to max text lines of message number into *array, which gets exactly max entries
// (lines the message lacks are empty). Returns the largest display_length of them; 0 when the
// message is missing.
int message_lines_to_array(int number, std::vector<std::string>* array, int max);
// For i in 0 .. count - 1, get_message(first + i) and its text into (*array)[i]; *array gets
// exactly count entries.
void messages_to_array(int count, int first, std::vector<std::string>* array);
// Gives the list's lines from `line` on the texts of message number, one message line each
// (with its "\n"), flagged for redraw and without extra blocks; then hangs two help lines of
// message number + 1 on each line as its extra (a zero-ended text). -1 when message number is
// missing, else 0 (also for a null line).
int message_to_list_texts(TextLine* line, int number);

// Test hooks
void reset_catalogue();
