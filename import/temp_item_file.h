// The temporary item file ERASE.ME joins the two stages of an import: the readers write item
// records into it, and read_temp_item_file turns them into items of the current list, merging
// consecutive records that carry the same item number. A record, little-endian, no padding:
// i32 link count n, u8 block kind 0, u8 layer, 2 reserved bytes, n 52-byte link records, the
// 16-byte closing record, u8 item type, i32 item number.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "geometry/drawing_item.h"

constexpr char TEMP_ITEM_FILE_NAME[] = "ERASE.ME";
// More links than this in one file are refused.
constexpr int64_t TEMP_ITEM_MAX_LINKS = 9000000;
// Item ids are 16-bit: a drawing of more items than this is refused.
constexpr int32_t IMPORT_MAX_ITEMS = 30000;
// Bytes of a record around its links.
constexpr size_t TEMP_RECORD_HEADER_SIZE = 8;
constexpr size_t TEMP_RECORD_TRAILER_SIZE = 5;

// Results of read_temp_item_file.
constexpr int TEMP_READ_OK = 0;
constexpr int TEMP_READ_CANNOT_OPEN = -1;
constexpr int TEMP_READ_TOO_LARGE = -2;     // out of memory, or too many links or items
constexpr int TEMP_READ_BROKEN = -3;        // Esc, or a record cut short or damaged

// The writer every reader of one import run writes through.
struct TempItemWriter {
  FILE* file = nullptr;
  uint8_t layer = 0;           // layer of the records written next (244 and above: 0)
  int32_t item_number = 1;     // item number of the next record
  bool held = false;           // hold_item_number: the next records share one item number
  bool failed = false;         // a write failed; the import is refused
  bool too_many = false;       // more items than IMPORT_MAX_ITEMS, or links than
                               // TEMP_ITEM_MAX_LINKS, were begun
  int64_t records = 0;
  int64_t links = 0;           // links written so far
  std::vector<uint8_t> buffer; // the record being written
};

// Opens ERASE.ME for writing; false when it cannot be created.
bool open_temp_item_writer(TempItemWriter* writer, const std::string& path);
// Closes the file; false when the close (the last write) failed or a write failed before.
bool close_temp_item_writer(TempItemWriter* writer);
// One record of one link: link_and_closing[0] is the link, [1] the closing node (its next
// point). 0, or -1 when the write fails.
int write_temp_item(TempItemWriter* writer, const LinkRecord link_and_closing[2],
                    uint8_t item_type);
// One record of n links: links holds the n links and the closing record (their boxes are made
// here). 0 or -1.
int write_temp_links(TempItemWriter* writer, LinkRecord* links, int32_t n, uint8_t item_type);
// A polyline of rigid lines through n points (n >= 2; fewer write nothing). 0 or -1.
int write_temp_polyline(TempItemWriter* writer, const float* xs, const float* ys, int n);
// The records written from now on share one item number, until next_item_number.
void hold_item_number(TempItemWriter* writer);
// Ends a held item: the next record starts a new item.
void next_item_number(TempItemWriter* writer);

// Appends the items of the file to the current list (selected, on their layers); with a cut
// type other than 0 they are machinable with that cut type's defaults (points always take cut
// type 1). Everything read is freed again on a failure, which is reported naming the file and
// the byte offset (a missing file is not reported). TEMP_READ_*.
int read_temp_item_file(const std::string& path, int cut_type);
