#include "store/line_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "store/line_fold.h"

namespace {

using Texts = std::vector<std::string>;

// Every test starts from an empty store and frees what it leaves in the current list.
class LineListTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_list_store(); }
  void TearDown() override {
    free_current_list();
    reset_list_store();
  }
};

// Makes a fresh current list of the texts (the previous current list is forgotten, not freed).
void build(const Texts& texts) {
  clear_current_list();
  for (const std::string& t : texts) ASSERT_NE(append_line(t.c_str()), nullptr);
}

// Texts of the chain from `line` on, after checking that every prev link mirrors a next link.
Texts chain_texts(const TextLine* line) {
  Texts out;
  const TextLine* prev = line != nullptr ? line->prev : nullptr;
  for (; line != nullptr; line = line->next) {
    EXPECT_EQ(line->prev, prev) << "broken prev link at \"" << line->text << "\"";
    EXPECT_EQ(line->text_length, static_cast<int16_t>(line->text.size()));
    out.push_back(line->text);
    prev = line;
  }
  return out;
}

// Texts of the current list, checked both ways and against its ends.
Texts current_texts() {
  const LineList& c = g_lists.current;
  if (c.first == nullptr) {
    EXPECT_EQ(c.last, nullptr);
    return {};
  }
  EXPECT_EQ(c.first->prev, nullptr);
  EXPECT_NE(c.last, nullptr);
  if (c.last == nullptr) return {};
  EXPECT_EQ(c.last->next, nullptr);
  Texts forward = chain_texts(c.first);
  Texts backward;
  for (const TextLine* line = c.last; line != nullptr; line = line->prev)
    backward.insert(backward.begin(), line->text);
  EXPECT_EQ(forward, backward) << "the list reads differently from its last line";
  return forward;
}

std::string describe(const Texts& texts) {
  std::string out;
  for (const std::string& t : texts) out += "[" + t + "]";
  return out;
}

// A line's text, or "(none)" for no line, so that expectations read the same either way.
std::string text_of(const TextLine* line) { return line != nullptr ? line->text : "(none)"; }
std::string text_of(const char* text) { return text != nullptr ? text : "(none)"; }

int sign(int v) { return (v > 0) - (v < 0); }

// ---- Creating lines -----------------------------------------------------------------------------

TEST_F(LineListTest, AppendBuildsListInOrderWithZeroedFields) {
  TextLine* a = append_line("alpha");
  TextLine* b = append_line(nullptr, LineExtra{1, 2, 3});
  TextLine* c = append_line("");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(current_texts(), (Texts{"alpha", "", ""}));
  EXPECT_EQ(g_lists.current.first, a);
  EXPECT_EQ(g_lists.current.last, c);
  EXPECT_EQ(a->text_length, 5);
  EXPECT_EQ(b->extra, (LineExtra{1, 2, 3}));
  for (const TextLine* line : {a, b, c}) {
    EXPECT_EQ(line->id, 0);
    EXPECT_EQ(line->kind, 0);
    EXPECT_EQ(line->state, 0);
    for (uint8_t byte : line->attributes) EXPECT_EQ(byte, 0);
  }
  EXPECT_EQ(b->text.c_str()[0], '\0');
}

TEST_F(LineListTest, InsertPlacesLineAndCopiesNeighbourAttributes) {
  struct Case {
    const char* name;
    Texts list;
    int after;  // index of the line to insert after; -1 for null
    Texts expected;
    bool copies;  // the new line takes after's attributes and low kind bits
  };
  const Case cases[] = {
      {"null after, empty list", {}, -1, {"new"}, false},
      {"null after, new head", {"a", "b"}, -1, {"new", "a", "b"}, false},
      {"after the middle", {"a", "b", "c"}, 1, {"a", "b", "new", "c"}, true},
      {"after the last line", {"a", "b"}, 1, {"a", "b", "new"}, true},
      {"after the only line", {"a"}, 0, {"a", "new"}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    build(k.list);
    TextLine* after = k.after < 0 ? nullptr : nth_line(k.after);
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
      line->kind = 0xF7;
      for (int i = 0; i < 16; ++i) line->attributes[i] = static_cast<uint8_t>(0x10 + i);
      line->id = 9;
      line->state = 0x21;
    }
    TextLine* line = insert_line("new", {}, after);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(current_texts(), k.expected);
    EXPECT_EQ(line->id, 0);
    EXPECT_EQ(line->state, 0);
    EXPECT_EQ(line->kind, k.copies ? 0x07 : 0);
    for (int i = 0; i < 16; ++i) {
      const uint8_t want = (k.copies && i < 14) ? static_cast<uint8_t>(0x10 + i) : 0;
      EXPECT_EQ(line->attributes[i], want) << "attribute byte " << i;
    }
    free_current_list();
  }
}

TEST_F(LineListTest, TextsOverSixteenBitsAreRefusedNotCut) {
  build({"a"});
  const std::string longest(LINE_TEXT_MAX, 'x');
  const std::string too_long(LINE_TEXT_MAX + 1, 'x');
  EXPECT_EQ(append_line(too_long.c_str()), nullptr);
  EXPECT_EQ(insert_line(too_long.c_str(), {}, g_lists.current.first), nullptr);
  EXPECT_EQ(current_texts(), Texts{"a"});

  TextLine* line = append_line(longest.c_str());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text_length, LINE_TEXT_MAX);

  TextLine* first = g_lists.current.first;
  EXPECT_EQ(set_line_text(too_long.c_str(), first), first);
  EXPECT_EQ(first->text, "a");
  EXPECT_EQ(first->text_length, 1);
}

// ---- Re-texting ---------------------------------------------------------------------------------

TEST_F(LineListTest, SetLineTextKeepsEveryReferenceValid) {
  build({"only"});
  TextLine* line = g_lists.current.first;
  g_lists.cursor_line = line;
  g_lists.block_start = line;
  g_lists.block_end = line;
  TextLine* result = set_line_text("a much longer text than before", line);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(g_lists.current.first, result);
  EXPECT_EQ(g_lists.current.last, result);
  EXPECT_EQ(g_lists.cursor_line, result);
  EXPECT_EQ(g_lists.block_start, result);
  EXPECT_EQ(g_lists.block_end, result);
  EXPECT_EQ(current_texts(), Texts{"a much longer text than before"});
}

TEST_F(LineListTest, SetLineTextFromItsOwnText) {
  build({"before", "hello world", "after"});
  TextLine* line = nth_line(1);
  set_line_text(line->text.c_str() + 6, line);
  EXPECT_EQ(current_texts(), (Texts{"before", "world", "after"}));
  set_line_text(line->text.c_str(), line);
  EXPECT_EQ(line->text, "world");
  set_line_text(nullptr, line);
  EXPECT_EQ(line->text, "");
  EXPECT_EQ(line->text_length, 0);
}

// ---- Deleting -----------------------------------------------------------------------------------

TEST_F(LineListTest, DeleteMovesCursorAndFixesEnds) {
  struct Case {
    const char* name;
    Texts list;
    int deleted;
    Texts expected;
    const char* successor;  // text of the result, null for none
    const char* cursor;     // text of the cursor line afterwards, null for none
  };
  const Case cases[] = {
      {"middle", {"a", "b", "c"}, 1, {"a", "c"}, "c", "c"},
      {"head", {"a", "b", "c"}, 0, {"b", "c"}, "b", "b"},
      {"tail", {"a", "b", "c"}, 2, {"a", "b"}, nullptr, "b"},
      {"only line", {"a"}, 0, {}, nullptr, nullptr},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    build(k.list);
    TextLine* victim = nth_line(k.deleted);
    g_lists.cursor_line = victim;
    TextLine* successor = delete_line(victim);
    EXPECT_EQ(current_texts(), k.expected);
    EXPECT_EQ(text_of(successor), text_of(k.successor));
    EXPECT_EQ(text_of(g_lists.cursor_line), text_of(k.cursor));
    free_current_list();
  }
}

TEST_F(LineListTest, DeleteLeavesOtherCursorAlone) {
  build({"a", "b", "c"});
  g_lists.cursor_line = nth_line(0);
  delete_line(nth_line(1));
  EXPECT_EQ(g_lists.cursor_line, g_lists.current.first);
}

TEST_F(LineListTest, DeletedBlockEndIsForgottenNotLeftDangling) {
  build({"a", "b", "c", "d"});
  TextLine* start = nth_line(1);
  TextLine* end = nth_line(2);
  g_lists.block_start = start;
  g_lists.block_end = end;
  delete_line(start);
  EXPECT_EQ(g_lists.block_start, nullptr);
  EXPECT_EQ(g_lists.block_end, end);
  delete_line(end);
  EXPECT_EQ(g_lists.block_end, nullptr);
  EXPECT_EQ(current_texts(), (Texts{"a", "d"}));
}

TEST_F(LineListTest, DeleteLineOrLastReturnsNewTail) {
  build({"a", "b", "c"});
  TextLine* result = delete_line_or_last(g_lists.current.last);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result, g_lists.current.last);
  EXPECT_EQ(result->text, "b");
  result = delete_line_or_last(g_lists.current.first);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->text, "b");
  EXPECT_EQ(delete_line_or_last(g_lists.current.first), nullptr);
  EXPECT_EQ(current_texts(), Texts{});
}

TEST_F(LineListTest, FreeListFromAnyLineFreesTheWholeChain) {
  build({"a", "b", "c", "d"});
  free_list(nth_line(2));
  EXPECT_EQ(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.last, nullptr);

  // A chain that is not the current list leaves the current list alone.
  build({"x", "y"});
  LineList other = g_lists.current;
  build({"kept"});
  free_list(other.last);
  EXPECT_EQ(current_texts(), Texts{"kept"});
}

TEST_F(LineListTest, DeletingPlaceholderFreesItsDetachedRun) {
  build({"run 1", "run 2", "run 3"});
  const LineList run = g_lists.current;
  build({"before", "after"});
  FoldRecord record{};
  record.fold_slot = 0;
  record.byte_count = 18;
  record.first_line = run.first;
  record.last_line = run.last;
  TextLine* placeholder = insert_line("\xfe", make_line_extra(record), g_lists.current.first);
  ASSERT_NE(placeholder, nullptr);
  placeholder->kind = LINE_KIND_PLACEHOLDER;
  delete_line(placeholder);  // the run's three lines go with it (a leak check sees the rest)
  EXPECT_EQ(current_texts(), (Texts{"before", "after"}));
}

TEST_F(LineListTest, DeleteCheckedLines) {
  struct Case {
    Texts list;
    std::vector<int> checked;
    Texts expected;
  };
  const Case cases[] = {
      {{}, {}, {}},
      {{"a"}, {0}, {}},
      {{"a", "b", "c", "d"}, {0, 3}, {"b", "c"}},
      {{"a", "b", "c", "d"}, {1, 2}, {"a", "d"}},
      {{"a", "b", "c"}, {0, 1, 2}, {}},
      {{"a", "b"}, {}, {"a", "b"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(describe(k.list));
    build(k.list);
    for (int i : k.checked) nth_line(i)->state = LINE_STATE_CHECKED | LINE_STATE_REDRAW;
    EXPECT_EQ(count_checked_lines(), static_cast<int32_t>(k.checked.size()));
    EXPECT_EQ(any_line_checked(), k.checked.empty() ? 0 : 1);
    EXPECT_EQ(delete_checked_lines(), static_cast<int32_t>(k.checked.size()));
    EXPECT_EQ(current_texts(), k.expected);
    free_current_list();
  }
}

TEST_F(LineListTest, ClearLineStates) {
  build({"a", "b"});
  nth_line(0)->state = 0xFF;
  nth_line(1)->state = LINE_STATE_CHECKED;
  clear_line_states();
  EXPECT_EQ(nth_line(0)->state, 0);
  EXPECT_EQ(nth_line(1)->state, 0);
  EXPECT_EQ(any_line_checked(), 0);
}

// ---- List stack and slots -----------------------------------------------------------------------

TEST_F(LineListTest, StackRestoresEveryPushEvenBeyondEleven) {
  // Twelve lists of one line each; the twelfth push must not be lost.
  std::vector<LineList> lists;
  for (int i = 0; i < 12; ++i) {
    build({"list " + std::to_string(i)});
    lists.push_back(g_lists.current);
    EXPECT_EQ(push_list(), i + 1);
    EXPECT_EQ(g_lists.current.first, lists.back().first) << "push keeps the list current";
  }
  clear_current_list();
  for (int i = 11; i >= 0; --i) {
    ASSERT_EQ(pop_list(), 1) << "pop " << i;
    EXPECT_EQ(g_lists.current.first, lists[i].first);
    EXPECT_EQ(g_lists.current.last, lists[i].last);
  }
  LineList before = g_lists.current;
  EXPECT_EQ(pop_list(), 0);
  EXPECT_EQ(g_lists.current.first, before.first);
  for (const LineList& list : lists) free_list(list.first);
  clear_current_list();
}

TEST_F(LineListTest, PopOfEmptyStackChangesNothing) {
  build({"a"});
  TextLine* first = g_lists.current.first;
  EXPECT_EQ(pop_list(), 0);
  EXPECT_EQ(g_lists.current.first, first);
  EXPECT_EQ(g_lists.current.last, first);
}

TEST_F(LineListTest, SlotsOutsideRangeAreRefused) {
  struct Case {
    int slot;
    int result;
  };
  const Case cases[] = {{-1, 0}, {16, 0}, {INT_MIN, 0}, {0, 1}, {LIST_SLOT_TOOLS, 1}, {15, 1}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.slot);
    reset_list_store();
    build({"in slot"});
    const LineList list = g_lists.current;
    EXPECT_EQ(save_list_slot(k.slot), k.result);
    for (int n = 0; n < LIST_SLOT_COUNT; ++n) {
      const bool holds = k.result == 1 && n == k.slot;
      EXPECT_EQ(g_lists.slots[n].first, holds ? list.first : nullptr) << "slot " << n;
    }
    clear_current_list();
    EXPECT_EQ(load_list_slot(k.slot), k.result);
    EXPECT_EQ(g_lists.current.first, k.result ? list.first : nullptr);
    free_list(list.first);
    clear_current_list();
  }
}

// ---- Ends, counts and look-ups ------------------------------------------------------------------

TEST_F(LineListTest, FixEndsWalkStalePointersToTheTrueEnds) {
  EXPECT_EQ(fix_list_first(), nullptr);
  EXPECT_EQ(fix_list_last(), nullptr);
  build({"a", "b", "c", "d"});
  TextLine* a = nth_line(0);
  TextLine* d = nth_line(3);
  g_lists.current.first = nth_line(2);
  g_lists.current.last = nth_line(1);
  EXPECT_EQ(fix_list_first(), a);
  EXPECT_EQ(fix_list_last(), d);
  EXPECT_EQ(g_lists.current.first, a);
  EXPECT_EQ(g_lists.current.last, d);
  // One end known is enough.
  g_lists.current.first = nullptr;
  EXPECT_EQ(fix_list_first(), a);
}

TEST_F(LineListTest, CountsAndNthLine) {
  struct Case {
    Texts list;
  };
  const Case cases[] = {{{}}, {{"one"}}, {{"a", "b", "c", "d", "e"}}};
  for (const Case& k : cases) {
    SCOPED_TRACE(describe(k.list));
    build(k.list);
    const int32_t n = static_cast<int32_t>(k.list.size());
    EXPECT_EQ(count_current_lines(), n);
    EXPECT_EQ(count_lines_from(g_lists.current.first), n);
    EXPECT_EQ(count_visible_lines(), n);
    EXPECT_EQ(nth_line(-1), nullptr);
    EXPECT_EQ(nth_line(n), nullptr);
    for (int32_t i = 0; i < n; ++i) {
      ASSERT_NE(nth_line(i), nullptr);
      EXPECT_EQ(nth_line(i)->text, k.list[i]);
      EXPECT_EQ(count_lines_from(nth_line(i)), n - i);
      EXPECT_EQ(list_head_of(nth_line(i)), g_lists.current.first);
    }
    free_current_list();
  }
  EXPECT_EQ(count_lines_from(nullptr), 0);
  EXPECT_EQ(list_head_of(nullptr), nullptr);
}

TEST_F(LineListTest, VisibleCountSkipsHiddenLinesButCountsTheFirst) {
  build({"hidden first", "a", "hidden", "hidden", "b"});
  nth_line(0)->kind = LINE_KIND_HIDDEN;
  nth_line(2)->kind = LINE_KIND_HIDDEN | LINE_KIND_PARAGRAPH;
  nth_line(3)->kind = LINE_KIND_HIDDEN;
  EXPECT_EQ(count_visible_lines(), 3);
  EXPECT_EQ(count_current_lines(), 5);
}

TEST_F(LineListTest, RenumberSetsIdsInListOrder) {
  EXPECT_EQ(renumber_lines(), 0);
  build({"a", "b", "c"});
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) line->id = 77;
  EXPECT_EQ(renumber_lines(), 3);
  EXPECT_EQ(nth_line(0)->id, 1);
  EXPECT_EQ(nth_line(1)->id, 2);
  EXPECT_EQ(nth_line(2)->id, 3);
}

TEST_F(LineListTest, RenumberOfALongListDoesNotWrapNegative) {
  clear_current_list();
  for (int i = 0; i < 40000; ++i) ASSERT_NE(append_line("x"), nullptr);
  EXPECT_EQ(renumber_lines(), 40000);
  EXPECT_EQ(nth_line(32766)->id, 32767);
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    ASSERT_GT(line->id, 0);
  EXPECT_EQ(g_lists.current.last->id, INT16_MAX);
}

TEST_F(LineListTest, KeyIsLittleEndianInBytesEightToEleven) {
  build({"a", "b", "c"});
  TextLine* b = nth_line(1);
  set_line_key(b, 0x12345678);
  EXPECT_EQ(b->attributes[8], 0x78);
  EXPECT_EQ(b->attributes[9], 0x56);
  EXPECT_EQ(b->attributes[10], 0x34);
  EXPECT_EQ(b->attributes[11], 0x12);
  EXPECT_EQ(line_key(b), 0x12345678);
  set_line_key(nth_line(2), -2);
  EXPECT_EQ(line_key(nth_line(2)), -2);
  EXPECT_EQ(find_line_by_key(0x12345678), b);
  EXPECT_EQ(find_line_by_key(-2), nth_line(2));
  EXPECT_EQ(find_line_by_key(0), nth_line(0));
  EXPECT_EQ(find_line_by_key(5), nullptr);
}

// ---- Ids ----------------------------------------------------------------------------------------

TEST_F(LineListTest, FindLineById) {
  build({"a", "b", "c", "d"});
  const int16_t ids[] = {5, 7, 5, -1};
  for (int i = 0; i < 4; ++i) nth_line(i)->id = ids[i];
  EXPECT_EQ(find_line_by_id(5), nth_line(0));
  EXPECT_EQ(find_line_by_id(-1), nth_line(3));
  EXPECT_EQ(find_line_by_id(9), nullptr);
  EXPECT_EQ(find_line_by_id_from(nth_line(1), 5), nth_line(2));
  EXPECT_EQ(find_line_by_id_from(nullptr, 5), nullptr);
}

TEST_F(LineListTest, FirstUnusedLineId) {
  struct Case {
    std::vector<int16_t> ids;
    int16_t expected;
  };
  const Case cases[] = {
      {{}, 1},
      {{1, 2, 4}, 3},
      {{2, 3}, 1},
      {{4, 3, 2, 1}, 5},
      {{-3, 0, 30000, 32767, 1}, 2},
  };
  for (const Case& k : cases) {
    clear_current_list();
    for (int16_t id : k.ids) append_line("x")->id = id;
    std::string ids;
    for (int16_t id : k.ids) ids += std::to_string(id) + " ";
    EXPECT_EQ(first_unused_line_id(), k.expected) << "ids " << ids;
    free_current_list();
  }
}

TEST_F(LineListTest, FirstUnusedLineIdWhenAllAreTaken) {
  clear_current_list();
  for (int id = LINE_ID_LAST_FREE; id >= LINE_ID_FIRST_FREE; --id)
    append_line("x")->id = static_cast<int16_t>(id);
  EXPECT_EQ(first_unused_line_id(), 0);
  delete_line(find_line_by_id(LINE_ID_LAST_FREE));
  EXPECT_EQ(first_unused_line_id(), LINE_ID_LAST_FREE);
}

TEST_F(LineListTest, FindLineByExtraText) {
  build({"none", "path", "unterminated", "prefix"});
  nth_line(1)->extra = LineExtra{'/', 't', 'm', 'p', 0, 'x'};
  nth_line(2)->extra = LineExtra{'/', 't', 'm', 'p', '2'};  // no zero byte in the block
  nth_line(3)->extra = LineExtra{'/', 't', 0};
  EXPECT_EQ(find_line_by_extra_text("/tmp", g_lists.current.first), nth_line(1));
  EXPECT_EQ(find_line_by_extra_text("/tmp2", g_lists.current.first), nth_line(2));
  EXPECT_EQ(find_line_by_extra_text("/tmp", nth_line(2)), nullptr);
  EXPECT_EQ(find_line_by_extra_text("/tmp22", g_lists.current.first), nullptr);
  EXPECT_EQ(find_line_by_extra_text("", g_lists.current.first), nth_line(0));
  EXPECT_EQ(find_line_by_extra_text(nullptr, g_lists.current.first), nullptr);
}

// ---- Moving lines -------------------------------------------------------------------------------

TEST_F(LineListTest, MoveLineAfter) {
  struct Case {
    const char* name;
    Texts list;
    int line;
    int after;  // -1 for null
    Texts expected;
  };
  const Case cases[] = {
      {"to the front", {"a", "b", "c"}, 2, -1, {"c", "a", "b"}},
      {"behind the last", {"a", "b", "c"}, 0, 2, {"b", "c", "a"}},
      {"middle to end", {"a", "b", "c"}, 1, 2, {"a", "c", "b"}},
      {"head behind neighbour", {"a", "b"}, 0, 1, {"b", "a"}},
      {"onto itself", {"a", "b", "c"}, 1, 1, {"a", "b", "c"}},
      {"where it stands", {"a", "b", "c"}, 1, 0, {"a", "b", "c"}},
      {"first to the front", {"a", "b", "c"}, 0, -1, {"a", "b", "c"}},
      {"single line", {"a"}, 0, -1, {"a"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    build(k.list);
    TextLine* line = nth_line(k.line);
    EXPECT_EQ(move_line_after(line, k.after < 0 ? nullptr : nth_line(k.after)), line);
    EXPECT_EQ(current_texts(), k.expected);
    free_current_list();
  }
  EXPECT_EQ(move_line_after(nullptr, nullptr), nullptr);
}

TEST_F(LineListTest, MoveLineToListBuildsSideChainInOrder) {
  build({"a", "b", "c", "d"});
  TextLine* side = nullptr;
  side = move_line_to_list(nth_line(0), side);  // the head
  side = move_line_to_list(g_lists.current.last, side);  // the tail
  side = move_line_to_list(nth_line(0), side);
  EXPECT_EQ(current_texts(), Texts{"c"});
  EXPECT_EQ(chain_texts(list_head_of(side)), (Texts{"a", "d", "b"}));
  side = move_line_to_list(g_lists.current.first, side);  // the only line
  EXPECT_EQ(current_texts(), Texts{});
  EXPECT_EQ(chain_texts(list_head_of(side)), (Texts{"a", "d", "b", "c"}));
  EXPECT_EQ(move_line_to_list(nullptr, side), side);
  free_list(side);
}

TEST_F(LineListTest, MoveLineToListInsertsIntoTheMiddleOfAChain) {
  build({"x", "y"});
  const LineList other = g_lists.current;
  build({"m"});
  move_line_to_list(g_lists.current.first, other.first);
  EXPECT_EQ(chain_texts(other.first), (Texts{"x", "m", "y"}));
  EXPECT_EQ(current_texts(), Texts{});
  free_list(other.first);
}

TEST_F(LineListTest, MovedLineWithNullAfterStandsAlone) {
  build({"a", "b"});
  TextLine* line = move_line_to_list(nth_line(0), nullptr);
  EXPECT_EQ(line->prev, nullptr);
  EXPECT_EQ(line->next, nullptr);
  EXPECT_EQ(current_texts(), Texts{"b"});
  free_list(line);
}

TEST_F(LineListTest, TakeLineIntoList) {
  struct Case {
    const char* name;
    Texts chain;
    int taken;
    Texts current;
    int after;  // -1 for null
    Texts expected_current;
    Texts expected_chain;  // read from the reported chain head
    const char* successor;
  };
  const Case cases[] = {
      {"into an empty list", {"x", "y", "z"}, 1, {}, -1, {"y"}, {"x", "z"}, "z"},
      {"chain head to the front", {"x", "y"}, 0, {"a", "b"}, -1, {"x", "a", "b"}, {"y"}, "y"},
      {"chain tail behind the last", {"x", "y"}, 1, {"a", "b"}, 1, {"a", "b", "y"}, {"x"}, nullptr},
      {"only line of its chain", {"x"}, 0, {"a", "b"}, 0, {"a", "x", "b"}, {}, nullptr},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    build(k.chain);
    TextLine* taken = nth_line(k.taken);
    build(k.current);
    TextLine* chain_first = reinterpret_cast<TextLine*>(1);
    TextLine* successor = take_line_into_list(taken, k.after < 0 ? nullptr : nth_line(k.after),
                                              &chain_first);
    EXPECT_EQ(current_texts(), k.expected_current);
    EXPECT_EQ(chain_texts(chain_first), k.expected_chain);
    EXPECT_EQ(text_of(successor), text_of(k.successor));
    if (k.current.empty()) {
      EXPECT_EQ(taken->prev, nullptr);
      EXPECT_EQ(taken->next, nullptr);
    }
    free_list(chain_first);
    free_current_list();
  }
  TextLine* chain_first = nullptr;
  EXPECT_EQ(take_line_into_list(nullptr, nullptr, &chain_first), nullptr);
}

// ---- Appending chains ---------------------------------------------------------------------------

TEST_F(LineListTest, AppendListOfJoinsTheWholeChain) {
  struct Case {
    const char* name;
    Texts current;
    Texts chain;
    int given;  // which line of the chain is passed
    Texts expected;
  };
  const Case cases[] = {
      {"onto an empty list", {}, {"x", "y"}, 1, {"x", "y"}},
      {"onto a list", {"a"}, {"x", "y", "z"}, 1, {"a", "x", "y", "z"}},
      {"a chain of one", {"a", "b"}, {"x"}, 0, {"a", "b", "x"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    build(k.chain);
    TextLine* given = nth_line(k.given);
    build(k.current);
    append_list_of(given);
    EXPECT_EQ(current_texts(), k.expected);
    free_current_list();
  }
}

TEST_F(LineListTest, AppendingTheCurrentListToItselfMakesNoRing) {
  build({"a", "b", "c"});
  append_list_of(nth_line(1));
  append_chain(g_lists.current.first, g_lists.current.last);
  EXPECT_EQ(current_texts(), (Texts{"a", "b", "c"}));
  EXPECT_EQ(append_chain_to_list_of(nth_line(0), nth_line(2)), g_lists.current.last);
  EXPECT_EQ(current_texts(), (Texts{"a", "b", "c"}));
  EXPECT_EQ(append_current_list_to(nth_line(1)), g_lists.current.last);
  EXPECT_EQ(current_texts(), (Texts{"a", "b", "c"}));
}

TEST_F(LineListTest, AppendChainIgnoresNullEnds) {
  build({"a"});
  append_chain(nullptr, g_lists.current.first);
  append_chain(g_lists.current.first, nullptr);
  append_list_of(nullptr);
  EXPECT_EQ(current_texts(), Texts{"a"});
}

TEST_F(LineListTest, AppendChainToListOfLeavesCurrentListAndStackAlone) {
  build({"t1", "t2"});
  const LineList target = g_lists.current;
  build({"x", "y"});
  TextLine* chain_middle = nth_line(1);
  build({"current"});
  TextLine* last = append_chain_to_list_of(chain_middle, target.first);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->text, "y");
  EXPECT_EQ(chain_texts(target.first), (Texts{"t1", "t2", "x", "y"}));
  EXPECT_EQ(current_texts(), Texts{"current"});
  EXPECT_TRUE(g_lists.stack.empty());
  free_list(target.first);
}

TEST_F(LineListTest, AppendCurrentListTo) {
  build({"t1", "t2"});
  const LineList target = g_lists.current;
  build({"a", "b"});
  TextLine* last = append_current_list_to(target.first);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->text, "b");
  EXPECT_EQ(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.last, nullptr);
  EXPECT_EQ(chain_texts(target.first), (Texts{"t1", "t2", "a", "b"}));

  // An empty current list leaves the target as it was.
  EXPECT_EQ(append_current_list_to(target.first), last);
  EXPECT_EQ(count_lines_from(target.first), 4);
  free_list(target.first);

  // No target: the current list is forgotten and handed back by its last line.
  build({"c", "d"});
  last = append_current_list_to(nullptr);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->text, "d");
  EXPECT_EQ(g_lists.current.first, nullptr);
  free_list(last);
}

// ---- Sorting ------------------------------------------------------------------------------------

TEST_F(LineListTest, SortListByText) {
  struct Case {
    Texts list;
    Texts expected;
  };
  const Case cases[] = {
      {{}, {}},
      {{"only"}, {"only"}},
      {{"b", "a"}, {"a", "b"}},
      {{"a", "b"}, {"a", "b"}},
      {{"c", "a", "b", "a", "c"}, {"a", "a", "b", "c", "c"}},
      {{"\x0b" "b", "a", "c"}, {"a", "\x0b" "b", "c"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(describe(k.list));
    build(k.list);
    sort_list(compare_line_texts);
    EXPECT_EQ(current_texts(), k.expected);
    free_current_list();
  }
}

TEST_F(LineListTest, SortOfOneLineLeavesItsIdAlone) {
  build({"only"});
  g_lists.current.first->id = 42;
  sort_list(compare_line_texts);
  EXPECT_EQ(g_lists.current.first->id, 42);
}

TEST_F(LineListTest, SortWithAllKeysEqualKeepsEveryLine) {
  clear_current_list();
  for (int i = 0; i < 50; ++i) append_line(std::to_string(i).c_str());
  sort_list(compare_line_keys);
  Texts texts = current_texts();
  ASSERT_EQ(texts.size(), 50u);
  std::sort(texts.begin(), texts.end());
  for (int i = 1; i < 50; ++i) EXPECT_NE(texts[i - 1], texts[i]);
}

// Seeded random lists sorted by key: same order as a stable sort of the same keys, all links
// intact, ids renumbered 1..n.
TEST_F(LineListTest, SortMatchesStableSortOnRandomLists) {
  std::mt19937 random(12345);
  const int sizes[] = {2, 3, 10, 11, 12, 37, 500, 2000};
  for (int size : sizes) {
    for (int range : {3, 1000000}) {
      SCOPED_TRACE("size " + std::to_string(size) + " key range " + std::to_string(range));
      clear_current_list();
      std::vector<std::pair<int32_t, std::string>> expected;
      for (int i = 0; i < size; ++i) {
        const int32_t key = static_cast<int32_t>(random() % range) - range / 2;
        const std::string text = std::to_string(i);
        set_line_key(append_line(text.c_str()), key);
        expected.emplace_back(key, text);
      }
      std::stable_sort(expected.begin(), expected.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      sort_list(compare_line_keys);
      Texts want;
      for (const auto& e : expected) want.push_back(e.second);
      EXPECT_EQ(current_texts(), want);
      int16_t id = 1;
      for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
        ASSERT_EQ(line->id, id++);
      free_current_list();
    }
  }
}

TEST_F(LineListTest, SortKeepsIdsWhenAsked) {
  build({"c", "a", "b"});
  nth_line(0)->id = 30;
  nth_line(1)->id = 10;
  nth_line(2)->id = 20;
  g_lists.keep_ids = 1;
  sort_list(compare_line_texts);
  g_lists.keep_ids = 0;
  EXPECT_EQ(current_texts(), (Texts{"a", "b", "c"}));
  EXPECT_EQ(nth_line(0)->id, 10);
  EXPECT_EQ(nth_line(1)->id, 20);
  EXPECT_EQ(nth_line(2)->id, 30);

  sort_list(compare_line_ids);
  EXPECT_EQ(nth_line(0)->id, 1);
  EXPECT_EQ(nth_line(2)->id, 3);
}

TEST_F(LineListTest, SortRangeTouchesOnlyTheRange) {
  struct Case {
    const char* name;
    int first;
    int last;
    Texts expected;
  };
  const Case cases[] = {
      {"middle", 1, 3, {"z", "a", "b", "c", "y"}},
      {"from the head", 0, 2, {"b", "c", "z", "a", "y"}},
      {"to the tail", 2, 4, {"z", "c", "a", "b", "y"}},
      {"given backwards", 3, 1, {"z", "c", "b", "a", "y"}},
      {"one line", 2, 2, {"z", "c", "b", "a", "y"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    build({"z", "c", "b", "a", "y"});
    g_lists.compare = compare_line_texts;
    g_lists.keep_ids = 1;
    sort_range(nth_line(k.first), nth_line(k.last));
    g_lists.keep_ids = 0;
    EXPECT_EQ(current_texts(), k.expected);
    EXPECT_EQ(g_lists.sorting, 0);
    free_current_list();
  }
}

TEST_F(LineListTest, SortKeepsCursorAndBlockOnTheirLines) {
  build({"c", "a", "b"});
  TextLine* a = nth_line(1);
  TextLine* c = nth_line(0);
  g_lists.cursor_line = a;
  g_lists.block_start = c;
  sort_list(compare_line_texts);
  EXPECT_EQ(g_lists.cursor_line, a);
  EXPECT_EQ(g_lists.cursor_line, g_lists.current.first);
  EXPECT_EQ(g_lists.block_start, g_lists.current.last);
}

TEST_F(LineListTest, SortIgnoresNullHookAndNullRange) {
  build({"b", "a"});
  sort_list(nullptr);
  g_lists.compare = compare_line_texts;
  sort_range(nullptr, g_lists.current.last);
  sort_range(g_lists.current.first, nullptr);
  EXPECT_EQ(current_texts(), (Texts{"b", "a"}));
}

// ---- Compare hooks ------------------------------------------------------------------------------

struct TextCompareCase {
  const char* a;
  const char* b;
  int expected_sign;
};

void check_text_hook(LineCompare hook, const TextCompareCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const TextCompareCase& k = cases[i];
    TextLine a;
    TextLine b;
    a.text = k.a;
    b.text = k.b;
    EXPECT_EQ(sign(hook(&a, &b)), k.expected_sign) << "\"" << k.a << "\" vs \"" << k.b << "\"";
    EXPECT_EQ(sign(hook(&b, &a)), -k.expected_sign) << "\"" << k.b << "\" vs \"" << k.a << "\"";
  }
}

TEST(LineCompareTest, TextsSkipInBandCodes) {
  const TextCompareCase cases[] = {
      {"\x0b" "b", "a", 1},
      {"\x0b" "b", "b", 0},
      {"\x08" "Za", "a", 0},     // an escape pair is skipped as a whole
      {"\x01" "zb", "b", 0},
      {"a\x0e" "c", "ac", 0},
      {"ab", "abc", -1},         // a prefix sorts first
      {"", "", 0},
      {"", "a", -1},
      {"B", "a", -1},            // plain byte order, case counts
      {"\xe9", "z", 1},          // bytes compare unsigned
      {"\x08", "", 0},           // an escape byte at the end ends the text
  };
  check_text_hook(compare_line_texts, cases, std::size(cases));
}

TEST(LineCompareTest, TextsIgnoringCase) {
  const TextCompareCase cases[] = {
      {"abc", "ABC", 0},
      {"a", "B", -1},
      {"ab", "AB c", -1},
      {"\xc9t\xe9", "\xe9T\xc9", 0},  // accented capitals fold to their small letters
      {"\x8a", "\x9a", 0},
      {"\xd7", "\xf7", -1},           // the multiplication sign is no letter
      {"", "", 0},
  };
  check_text_hook(compare_texts_from_column, cases, std::size(cases));
}

TEST(LineCompareTest, KeysCompareWithoutOverflow) {
  struct Case {
    int32_t a;
    int32_t b;
    int expected_sign;
  };
  const Case cases[] = {
      {INT32_MIN, INT32_MAX, -1}, {INT32_MAX, -1, 1}, {5, 5, 0}, {-3, 2, -1}};
  for (const Case& k : cases) {
    TextLine a;
    TextLine b;
    set_line_key(&a, k.a);
    set_line_key(&b, k.b);
    EXPECT_EQ(sign(compare_line_keys(&a, &b)), k.expected_sign) << k.a << " vs " << k.b;
  }
}

TEST(LineCompareTest, IdsAndNullLines) {
  TextLine a;
  TextLine b;
  a.id = -32768;
  b.id = 32767;
  EXPECT_LT(compare_line_ids(&a, &b), 0);
  EXPECT_GT(compare_line_ids(&b, &a), 0);
  for (LineCompare hook :
       {compare_line_ids, compare_line_keys, compare_line_texts, compare_texts_from_column}) {
    EXPECT_EQ(hook(nullptr, nullptr), 0);
    EXPECT_LT(hook(nullptr, &a), 0);
    EXPECT_GT(hook(&a, nullptr), 0);
  }
}

// ---- Null arguments and the extra block --------------------------------------------------------

TEST_F(LineListTest, NullArgumentsAndEmptyListsAreHarmless) {
  EXPECT_EQ(delete_line(nullptr), nullptr);
  EXPECT_EQ(delete_line_or_last(nullptr), nullptr);
  free_list(nullptr);
  free_current_list();
  EXPECT_EQ(set_line_text("x", nullptr), nullptr);
  EXPECT_EQ(delete_checked_lines(), 0);
  EXPECT_EQ(count_current_lines(), 0);
  EXPECT_EQ(count_visible_lines(), 0);
  EXPECT_EQ(count_checked_lines(), 0);
  EXPECT_EQ(any_line_checked(), 0);
  clear_line_states();
  EXPECT_EQ(nth_line(0), nullptr);
  EXPECT_EQ(find_line_by_key(0), nullptr);
  EXPECT_EQ(find_line_by_id(0), nullptr);
  EXPECT_EQ(find_line_by_extra_text("x", nullptr), nullptr);
  EXPECT_EQ(line_key(nullptr), 0);
  set_line_key(nullptr, 1);
  sort_list(compare_line_texts);
  EXPECT_EQ(current_texts(), Texts{});
}

TEST_F(LineListTest, TypedExtraRecords) {
  struct Record {
    int32_t count;
    float x;
  };
  TextLine* line = append_line("item", make_line_extra(Record{3, 1.5f}, 8));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->extra.size(), sizeof(Record) + 8);
  Record* record = line_extra_as<Record>(line);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->count, 3);
  EXPECT_EQ(record->x, 1.5f);
  record->count = 4;
  EXPECT_EQ(line_extra_as<Record>(static_cast<const TextLine*>(line))->count, 4);

  TextLine* bare = append_line("bare");
  EXPECT_EQ(line_extra_as<Record>(bare), nullptr);
  bare->extra = LineExtra(sizeof(Record) - 1, 0);
  EXPECT_EQ(line_extra_as<Record>(bare), nullptr);
  EXPECT_EQ(line_extra_as<Record>(static_cast<TextLine*>(nullptr)), nullptr);
}

}  // namespace
