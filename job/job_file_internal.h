// Shared between the job file's writer and readers: the reader's cursor with its one rejection
// function, and the item record codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/drawing_item.h"
#include "records/job_settings.h"

// ---- the reader's cursor ----
enum JobFormat {
  JOB_FORMAT_CURRENT,      // "SI120400"
  JOB_FORMAT_OLDER_ITEMS,  // "SI012699": 16-bit link counts, shorter block headers
  JOB_FORMAT_TEXT_LIST,    // "SI032996" and "KR-110893": text records only
};

struct JobReader {
  const uint8_t* data = nullptr;  // the whole file
  size_t size = 0;
  size_t at = 0;                  // offset of the next byte to read
  JobFormat format = JOB_FORMAT_CURRENT;
  int error = 0;                  // JobReadError of the first rejection; 0 while all is well
  size_t error_offset = 0;        // where it happened
};

// Every rejection of bad input passes through here, so that each fault found in a file points
// at one place. Records the first error and returns false.
bool reject_job_input(JobReader* reader, int error);
size_t job_bytes_left(const JobReader* reader);
// The next n bytes, moving past them; null (nothing moved) when fewer are left.
const uint8_t* take_job_bytes(JobReader* reader, size_t n);

// ---- item records ----
// True when the writer stores the item: it has a geometry block, and a text-like item has a
// text that neither is empty nor starts with a line feed.
bool job_item_is_stored(const DrawingItem* item);
// Appends the item's record (text, node bytes, link count, kind, block header with machining
// block and text layout, 36 bytes per link, 16 of the closing record).
void write_job_item(const DrawingItem* item, std::vector<uint8_t>* out);
// What reading one item record came to.
enum JobItemResult {
  JOB_ITEM_READ = 1,       // an item appended to the current list
  JOB_ITEM_END = 0,        // the end of the items (the file's end, or a last item whose closing
                           // record is cut short, which is dropped)
  JOB_ITEM_REJECTED = -1,  // the file is bad (the reader holds the reason)
};
// Reads one item record into a new line at the end of the current list. Item IDs of 0 take the
// settings' counter + 1; the item flags are ORed into item_flag_union.
JobItemResult read_job_item(JobReader* reader, JobSettings* settings);
// Reads the text records of the two oldest layouts into text items appended to the current
// list; 0 at the end of the records, -1 when one is cut short (rejected).
int read_old_text_items(JobReader* reader);

// ---- text layout codec ----
// The stored text layout, field by field: the font handle (+148) and the reserved bytes are
// written and read as zeros.
void copy_text_layout_fields(const uint8_t in[TEXT_LAYOUT_SIZE], uint8_t out[TEXT_LAYOUT_SIZE]);
