// The feed-rate list: a small list of lines such as "Aluminum, .25 F80" kept in FeedRates.txt in
// the program folder, from which the user picks a feed rate (the number after the F). The File
// menu's feed-rate command gives the picked feed to every machinable item.
#pragma once

#include <string>

#include "screen/event_queue.h"
#include "store/line_list.h"

// The File menu's option.
constexpr int FILE_OPTION_FEED_RATES = 162;
constexpr char FEED_RATE_FILE_NAME[] = "FeedRates.txt";
constexpr char FEED_RATE_DEFAULT_LINE[] = "Aluminum, .25 F80";
constexpr char FEED_RATE_TITLE[] = "Feed Rate List";
constexpr char FEED_RATE_HELP[] =
    "Press the \vBACKSPACE\x13 key to edit an entry, or the \vF7\x13, \vF8\x13, \vF9\x13, "
    "\vF10\x13 keys.\n\vDELETE\x13: delete hi-lited feed rate entry,  \vCTRL S\x13: sort "
    "alphabetically";
constexpr char FEED_RATE_MOVE_HELP[] =
    "\nMove the arrow up or down to re-arrange the items in this list.";

struct FeedRateList {
  LineList lines;            // the list's lines (texts without their line feeds)
  std::string path;          // the file the list is read from and saved to
  bool loaded = false;       // read once a run
  TextLine* window = nullptr;  // the list's window while a choice runs
};
extern FeedRateList g_feed_rates;
void reset_feed_rates();

// Reads the list from the file once (a missing or empty file gives the default line).
void open_feed_rate_list();
// Writes every line with its line feed through a temporary file. 0 saved, 27 failed (told).
int save_feed_rates();
// Frees the list (shutdown and tests).
void free_feed_rates();
// Shows the prompt (catalogue message 9100 + code) and the list; code 0 picks with a click too.
// The feed of the chosen line, 0 when none was chosen or it names none.
float choose_feed_rate(int code);
// File option 162: a chosen feed goes to every machinable item. The number of items changed.
int feed_rate_command();
