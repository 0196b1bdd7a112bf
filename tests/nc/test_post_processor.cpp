// Post-processor definitions and their file: the default definition, the file's layout, its
// limits, damaged files, and the factory files.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "nc/cam_host.h"
#include "nc/post_processor.h"
#include "platform/files.h"
#include "store/line_list.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// ---- The file layout, built by hand -----------------------------------------------------------

std::string le16(int value) {
  std::string bytes;
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>((value >> 8) & 0xFF);
  return bytes;
}

const std::string TAG("SI012699\r", 9);

// The 76-byte record of the default definition: absolute coordinates, one feed decimal, the
// extension "NC" and the two texts.
std::string default_record() {
  std::string record(76, '\0');
  record[1] = 2;
  record[7] = 1;
  record.replace(9, 2, "NC");
  record.replace(21, 3, "M03");
  record.replace(39, 3, "M04");
  return record;
}

std::string section_bytes(const Lines& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += le16(static_cast<int>(line.size())) + line;
  return bytes + le16(0);
}

std::string definition_bytes(const std::string& name, int number, const std::string& record,
                             const std::vector<Lines>& sections) {
  std::string bytes;
  bytes += static_cast<char>(name.size());
  bytes += name;
  bytes += '\0';
  bytes += le16(number) + record;
  for (int slot = 0; slot < PP_SECTION_COUNT; ++slot)
    bytes += section_bytes(slot < static_cast<int>(sections.size()) ? sections[slot] : Lines{});
  return bytes;
}

const std::vector<Lines> DEFAULT_SECTIONS = {
    {"%", "O1234", "G80G40G17", "M06 T#", "G90", "M03 S# F#", "M08"},
    {"M05", "M09", "M06 T#", "G90", "M03 S# F#", "M08"},
    {"S# F#"},
    {"M30", "%"},
    {"M05", "M09", "M00", "G90", "M03 S# F#", "M08"},
    {"DRILL?"},
    {"TAP?"},
    {"M05", "M09", "M00", "G90", "M03 S# F#", "M08"},
};

// A section's lines as texts, their newlines dropped.
Lines section_texts(const TextLine* entry, int slot) {
  Lines texts;
  for (const TextLine* line = post_processor_section(entry, slot); line != nullptr;
       line = line->next) {
    std::string text = line->text;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    texts.push_back(text);
  }
  return texts;
}

int count_entries(const LineList& list) {
  int count = 0;
  for (const TextLine* entry = list.first; entry != nullptr; entry = entry->next) ++count;
  return count;
}

class PostProcessorFile : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_files();
    reset_cam_host();
    folder_ = make_test_folder("brenvik_nc_formats").string();
  }
  void TearDown() override {
    free_post_processor_list(&list_);
    free_post_processors();
    g_post_processors = PostProcessorState{};
    reset_list_store();
    fs::remove_all(folder_);
  }
  std::string at(const std::string& name) const { return folder_ + "/" + name; }

  PostReadResult read(const std::string& bytes) {
    write_file_bytes(at("in.KR4"), bytes);
    return read_post_processor_file(at("in.KR4"), &list_);
  }
  std::string written() {
    EXPECT_EQ(save_post_processor_file(at("out.KR4"), list_.first), 0);
    return read_file_bytes(at("out.KR4"));
  }
  // Appends an entry with the default record and the given sections to list_.
  TextLine* add_entry(const char* name, int16_t number, const std::vector<Lines>& sections) {
    PostProcessorDef def;
    for (int slot = 0; slot < PP_SECTION_COUNT; ++slot) {
      std::vector<const char*> lines;
      if (slot < static_cast<int>(sections.size()))
        for (const std::string& line : sections[slot]) lines.push_back(line.c_str());
      def.sections[slot] = make_code_section(lines.data(), static_cast<int>(lines.size()));
    }
    g_lists.current = list_;
    TextLine* entry = append_post_processor(name, number, def);
    list_ = g_lists.current;
    clear_current_list();
    return entry;
  }

  std::string folder_;
  LineList list_;
};

TEST_F(PostProcessorFile, WithoutAFileTheDefaultIsWrittenByteForByte) {
  EXPECT_EQ(read_post_processors(folder_, false), PP_READ_NO_FILE);
  const LineList& list = g_post_processors.list;
  ASSERT_NE(list.first, nullptr);
  EXPECT_EQ(list.first, list.last);
  EXPECT_EQ(list.first->text, PP_DEFAULT_NAME);
  EXPECT_EQ(list.first->id, 1);
  for (int slot = 0; slot < PP_SECTION_COUNT; ++slot)
    EXPECT_EQ(section_texts(list.first, slot), DEFAULT_SECTIONS[slot]) << "section " << slot;

  // Nothing is written until the list changed.
  EXPECT_EQ(write_post_processors(), 0);
  EXPECT_FALSE(fs::exists(at(PP_FILE_NAME)));
  g_post_processors.changed = true;
  EXPECT_EQ(write_post_processors(), 0);
  EXPECT_FALSE(g_post_processors.changed);
  const std::string expected =
      TAG + definition_bytes(PP_DEFAULT_NAME, 1, default_record(), DEFAULT_SECTIONS);
  EXPECT_EQ(read_file_bytes(at(PP_FILE_NAME)), expected);
}

TEST_F(PostProcessorFile, RecordFieldsAreReadAndWrittenInPlace) {
  std::string record = default_record();
  record[0] = 1;            // Velkor
  record[1] = '!';          // kept as read; the editor shows it as absolute
  record[2] = 1;
  record[3] = 1;
  record[5] = 3;
  record[8] = 1;
  record.replace(9, 3, "TAP");
  record[60] = 0x55;        // reserved, zeroed when read
  record[66] = 0x77;        // reserved, kept
  record[70] = 0x33;        // a section reference in memory: no meaning in the file
  ASSERT_EQ(read(TAG + definition_bytes("Engraver", 12, record, {})), PP_READ_OK);
  const PostProcessorDef* def = post_processor_def(list_.first);
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->output_kind, PP_OUTPUT_VELKOR);
  EXPECT_EQ(def->coordinate_mode, PP_COORDS_MARKED_ABSOLUTE);
  EXPECT_EQ(def->arc_centre_mode, PP_ARC_CENTRES_ABSOLUTE);
  EXPECT_EQ(def->comment_style, PP_COMMENTS_SEMICOLON);
  EXPECT_STREQ(def->extension, "TAP");
  EXPECT_EQ(list_.first->id, 12);

  std::string expected_record = record;
  expected_record[60] = 0;
  expected_record[70] = 0;
  EXPECT_EQ(written(), TAG + definition_bytes("Engraver", 12, expected_record, {}));
}

TEST_F(PostProcessorFile, OutputKindsAFileMayNotHoldBecomeGAndMCodes) {
  std::string record = default_record();
  record[0] = PP_OUTPUT_DXF;
  ASSERT_EQ(read(TAG + definition_bytes("Odd", 2, record, {})), PP_READ_OK);
  EXPECT_EQ(post_processor_def(list_.first)->output_kind, PP_OUTPUT_GM_CODES);
}

TEST_F(PostProcessorFile, TextFieldsStayZeroEnded) {
  std::string record = default_record();
  record.replace(9, 12, "ABCDEFGHIJKL");    // no zero in the extension's 12 bytes
  record.replace(21, 18, std::string(18, 'S'));
  ASSERT_EQ(read(TAG + definition_bytes("Texts", 3, record, {})), PP_READ_OK);
  const PostProcessorDef* def = post_processor_def(list_.first);
  EXPECT_STREQ(def->extension, "ABCDEFGHIJK");
  EXPECT_EQ(std::string(def->spindle_text), std::string(17, 'S'));
}

TEST_F(PostProcessorFile, TheOlderTagIsReadToo) {
  const std::string body = definition_bytes("Old", 4, default_record(), DEFAULT_SECTIONS);
  ASSERT_EQ(read(std::string("SI041697\r", 9) + body), PP_READ_OK);
  EXPECT_EQ(list_.first->text, "Old");
  EXPECT_EQ(written(), TAG + body);
}

TEST_F(PostProcessorFile, SectionLinesOfAtMost80CharactersReadBack) {
  const std::string second = definition_bytes("Second", 2, default_record(), {{"G90"}});
  struct Case {
    const char* name;
    std::string start_section;  // the raw bytes of the first definition's first section
    bool kept;                  // the line reads back and the second definition is read
  } cases[] = {
      {"80 characters", section_bytes({std::string(80, 'A')}), true},
      {"81 characters", section_bytes({std::string(81, 'A')}), false},
      {"negative length", le16(-3) + "abc" + le16(0), false},
      {"a newline inside", section_bytes({"G90\nG91"}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_post_processor_list(&list_);
    std::string first = definition_bytes("First", 1, default_record(), {});
    const size_t start_at = 1 + 5 + 1 + 2 + 76;
    first.replace(start_at, 2, c.start_section);
    const PostReadResult result = read(TAG + first + second);
    if (c.kept) {
      EXPECT_EQ(result, PP_READ_OK);
      ASSERT_EQ(count_entries(list_), 2);
      EXPECT_EQ(section_texts(list_.first, PP_SECTION_START), Lines{std::string(80, 'A')});
      EXPECT_EQ(section_texts(list_.last, PP_SECTION_START), Lines{"G90"});
    } else {
      // The rest of the file is given up; the definition stays, its sections empty.
      EXPECT_EQ(result, PP_READ_DAMAGED);
      ASSERT_EQ(count_entries(list_), 1);
      EXPECT_EQ(list_.first->text, "First");
      for (int slot = 0; slot < PP_SECTION_COUNT; ++slot)
        EXPECT_EQ(section_texts(list_.first, slot), Lines{""}) << "section " << slot;
    }
  }
}

TEST_F(PostProcessorFile, WriterRefusesWhatCouldNotBeReadBack) {
  struct Case {
    const char* name;
    std::string entry_name;
    Lines start;
  } cases[] = {
      {"a line of 81 characters", "Long line", {std::string(81, 'x')}},
      {"a name of 40 characters", std::string(40, 'n'), {"G90"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_post_processor_list(&list_);
    reset_cam_host();
    write_file_bytes(at("out.KR4"), "the user's file");
    add_entry(c.entry_name.c_str(), 1, {c.start});
    EXPECT_EQ(save_post_processor_file(at("out.KR4"), list_.first), 27);
    EXPECT_EQ(read_file_bytes(at("out.KR4")), "the user's file");
    EXPECT_EQ(g_cam_host_log.message_count(), 1);
  }
  // A line of exactly 80 characters is written.
  free_post_processor_list(&list_);
  add_entry("Fits", 1, {{std::string(80, 'x')}});
  EXPECT_EQ(save_post_processor_file(at("out.KR4"), list_.first), 0);
}

// An empty line stored in a section would end the section there, and every later section and
// definition would be read shifted: the writer leaves such lines out.
TEST_F(PostProcessorFile, EmptySectionLinesAreLeftOut) {
  add_entry("Gaps", 1, {{"G90", "", "M08"}, {"M05"}, {}, {"", "M30"}});
  add_entry("After", 2, {{"G91"}});
  // A line whose text holds two lines is written as two.
  g_lists.current = post_processor_def(list_.first)->sections[PP_SECTION_TOOL_CHANGE];
  append_line("M06\nT#\n");
  post_processor_def(list_.first)->sections[PP_SECTION_TOOL_CHANGE] = g_lists.current;
  clear_current_list();

  const std::string bytes = written();
  EXPECT_EQ(bytes, TAG +
                       definition_bytes("Gaps", 1, default_record(),
                                        {{"G90", "M08"}, {"M05", "M06", "T#"}, {}, {"M30"}}) +
                       definition_bytes("After", 2, default_record(), {{"G91"}}));
  free_post_processor_list(&list_);
  ASSERT_EQ(read(bytes), PP_READ_OK);
  ASSERT_EQ(count_entries(list_), 2);
  EXPECT_EQ(section_texts(list_.first, PP_SECTION_START), (Lines{"G90", "M08"}));
  EXPECT_EQ(section_texts(list_.first, PP_SECTION_FINISHED_LINE), Lines{""});
  EXPECT_EQ(section_texts(list_.first, PP_SECTION_END), Lines{"M30"});
  EXPECT_EQ(section_texts(list_.last, PP_SECTION_START), Lines{"G91"});
}

TEST_F(PostProcessorFile, UnnamedEntriesAreSkippedNotAnEndOfTheList) {
  add_entry("One", 1, {});
  add_entry("", 2, {});        // the blank entry the list page keeps
  add_entry("\x01odd", 3, {}); // not a printable first character
  add_entry("Four", 4, {});
  EXPECT_EQ(written(), TAG + definition_bytes("One", 1, default_record(), {}) +
                           definition_bytes("Four", 4, default_record(), {}));
}

// A definition cut short is dropped, but the whole ones before it are kept, so that the next
// save does not lose them.
TEST_F(PostProcessorFile, ACutShortDefinitionCostsNoOtherDefinition) {
  const std::string first = definition_bytes("Mill A", 1, default_record(), DEFAULT_SECTIONS);
  const std::string second = definition_bytes("Mill B", 2, default_record(), {{"G90"}});
  const std::string third = definition_bytes("Mill C", 3, default_record(), {{"G91"}});
  const std::string file = TAG + first + second + third;
  ASSERT_EQ(read(file.substr(0, file.size() - third.size() + 20)), PP_READ_DAMAGED);
  ASSERT_EQ(count_entries(list_), 2);
  EXPECT_EQ(list_.last->text, "Mill B");
  EXPECT_EQ(written(), TAG + first + second);
}

// Damaged files of every kind are refused without a crash. When nothing whole could be read the
// caller's list is left exactly as it was.
TEST_F(PostProcessorFile, DamagedFilesAreRefusedCleanly) {
  const std::string good = definition_bytes("Good", 1, default_record(), DEFAULT_SECTIONS);
  const std::string name_part = good.substr(0, 1 + 4 + 1);
  struct Case {
    const char* name;
    std::string bytes;
    PostReadResult result;
    int entries;  // -1: the caller's list untouched
  } cases[] = {
      {"empty file", "", PP_READ_FOREIGN, -1},
      {"part of the tag", "SI0126", PP_READ_FOREIGN, -1},
      {"a job file's tag", std::string("SI120400\r", 9) + good, PP_READ_FOREIGN, -1},
      {"tag without its CR", std::string("SI012699\n", 9) + good, PP_READ_FOREIGN, -1},
      {"tag only", TAG, PP_READ_EMPTY, -1},
      {"name length beyond the file", TAG + std::string(1, '\x26') + "abc", PP_READ_DAMAGED, -1},
      {"name length above 39", TAG + std::string(1, '\xC8') + std::string(250, 'x'),
       PP_READ_DAMAGED, -1},
      {"cut in the number", TAG + name_part + "\x01", PP_READ_DAMAGED, -1},
      {"cut in the record", TAG + good.substr(0, 40), PP_READ_DAMAGED, -1},
      {"second definition's name too long", TAG + good + std::string(1, '\x28') + "x",
       PP_READ_DAMAGED, 1},
      {"line length of 30000", TAG + good.substr(0, good.size() - 2) + le16(30000) + "x",
       PP_READ_DAMAGED, 1},
      {"line longer than what is left", TAG + good.substr(0, good.size() - 2) + le16(50) + "abc",
       PP_READ_DAMAGED, 1},
      {"cut in a section", TAG + good.substr(0, good.size() - 7), PP_READ_DAMAGED, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    free_post_processor_list(&list_);
    TextLine* mine = add_entry("Mine", 9, {{"G90"}});
    EXPECT_EQ(read(c.bytes), c.result);
    if (c.entries < 0) {
      EXPECT_EQ(list_.first, mine);
      EXPECT_EQ(list_.last, mine);
      EXPECT_EQ(section_texts(mine, PP_SECTION_START), Lines{"G90"});
    } else {
      EXPECT_EQ(count_entries(list_), c.entries);
      EXPECT_EQ(list_.first->text, "Good");
    }
    EXPECT_EQ(g_lists.current.first, nullptr);
    EXPECT_TRUE(g_lists.stack.empty());
  }
}

TEST_F(PostProcessorFile, StartUpWithAForeignFileGivesTheDefault) {
  write_file_bytes(at(PP_FILE_METRIC_NAME), "not a post-processor file at all");
  EXPECT_EQ(read_post_processors(folder_, true), PP_READ_FOREIGN);
  ASSERT_NE(g_post_processors.list.first, nullptr);
  EXPECT_EQ(g_post_processors.list.first->text, PP_DEFAULT_NAME);
  EXPECT_EQ(g_post_processors.file_path, at(PP_FILE_METRIC_NAME));
}

TEST_F(PostProcessorFile, FindsADefinitionByNumberOrFallsBackToTheFirst) {
  const std::string bytes = TAG + definition_bytes("A", 5, default_record(), {}) +
                            definition_bytes("B", 7, default_record(), {});
  write_file_bytes(at(PP_FILE_NAME), bytes);
  ASSERT_EQ(read_post_processors(folder_, false), PP_READ_OK);
  EXPECT_EQ(find_post_processor(7)->text, "B");
  EXPECT_EQ(find_post_processor(6)->text, "A");
}

TEST_F(PostProcessorFile, FactoryFilesReadBackByteForByte) {
  for (const char* name : {PP_FILE_NAME, PP_FILE_METRIC_NAME}) {
    const std::string path = std::string(BRENVIK_PROGRAM_DIR) + "/" + name;
    SCOPED_TRACE(path);
    free_post_processor_list(&list_);
    ASSERT_EQ(read_post_processor_file(path, &list_), PP_READ_OK);
    EXPECT_EQ(written(), read_file_bytes(path));

    // The default first, then formats for millimetre and inch jobs, an incremental one and
    // one for the engraver.
    EXPECT_EQ(list_.first->text, PP_DEFAULT_NAME);
    bool millimetres = false, inches = false, incremental = false, engraver = false;
    for (const TextLine* entry = list_.first; entry != nullptr; entry = entry->next) {
      const PostProcessorDef* def = post_processor_def(entry);
      ASSERT_NE(def, nullptr);
      for (const std::string& line : section_texts(entry, PP_SECTION_START)) {
        millimetres |= line.find("G21") != std::string::npos;
        inches |= line.find("G20") != std::string::npos;
      }
      incremental |= def->coordinate_mode == PP_COORDS_INCREMENTAL_XYZ;
      engraver |= def->output_kind == PP_OUTPUT_VELKOR;
    }
    EXPECT_TRUE(millimetres);
    EXPECT_TRUE(inches);
    EXPECT_TRUE(incremental);
    EXPECT_TRUE(engraver);
  }
}

// Randomly damaged copies of a factory file, from a fixed seed: whatever is read is kept whole
// enough to be written and read back again, and when nothing is read the caller's list stays.
TEST_F(PostProcessorFile, RandomDamageIsReadOrRefusedCleanly) {
  const std::string good = read_file_bytes(std::string(BRENVIK_PROGRAM_DIR) + "/" + PP_FILE_NAME);
  ASSERT_GT(good.size(), 100u);
  std::mt19937 random(19970416);
  for (int round = 0; round < 400; ++round) {
    std::string bytes = good;
    const int damage = static_cast<int>(random() % 3);
    if (damage == 0) bytes.resize(random() % bytes.size());
    for (int n = 0; damage == 1 && n < 4; ++n)
      bytes[random() % bytes.size()] = static_cast<char>(random());
    if (damage == 2) bytes.insert(random() % bytes.size(), std::string(1 + random() % 8, '\x7F'));
    SCOPED_TRACE(testing::Message() << "round " << round);
    free_post_processor_list(&list_);
    TextLine* mine = add_entry("Mine", 9, {});
    const PostReadResult result = read(bytes);
    if (list_.first == mine) {
      EXPECT_NE(result, PP_READ_OK);
      EXPECT_EQ(list_.last, mine);
      continue;
    }
    int named = 0;
    for (const TextLine* entry = list_.first; entry != nullptr; entry = entry->next) {
      if (!entry->text.empty() && static_cast<uint8_t>(entry->text[0]) >= 32) ++named;
      for (int slot = 0; slot < PP_SECTION_COUNT; ++slot)
        ASSERT_NE(post_processor_section(entry, slot), nullptr);
    }
    const std::string rewritten = written();
    free_post_processor_list(&list_);
    if (named == 0) continue;
    EXPECT_EQ(read(rewritten), PP_READ_OK);
    EXPECT_EQ(count_entries(list_), named);
  }
}

}  // namespace
