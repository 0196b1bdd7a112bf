#include <gtest/gtest.h>

#include <vector>

#include "ui/key_pushback.h"

namespace {

class KeyPushBackTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_key_pushback(); }
  void TearDown() override { reset_key_pushback(); }
};

std::vector<int> pop_all() {
  std::vector<int> codes;
  for (EventCode code = pop_pushed_key(); code != 0; code = pop_pushed_key()) codes.push_back(code);
  return codes;
}

TEST_F(KeyPushBackTest, LastPushedComesOutFirst) {
  push_back_key('A');
  push_back_key('B');
  EXPECT_EQ(pop_pushed_key(), 'B');
  push_back_key(KEY_CTRL_BACKSPACE);
  EXPECT_EQ(pop_all(), (std::vector<int>{127, 'A'}));
}

TEST_F(KeyPushBackTest, EmptyStackYieldsNoKey) {
  EXPECT_EQ(pop_pushed_key(), 0);
  push_back_key(0);  // would read as "no key" and hide nothing useful
  EXPECT_EQ(pop_pushed_key(), 0);
}

TEST_F(KeyPushBackTest, LongPushLosesNothing) {
  // A long drag pushes hundreds of scroll keys at once; every one must come out.
  std::vector<int> expected;
  for (int i = 0; i < 1000; i++) {
    push_back_key(static_cast<EventCode>(i % 2 ? KEY_CTRL_UP : 1 + i));
    expected.insert(expected.begin(), i % 2 ? KEY_CTRL_UP : 1 + i);
  }
  EXPECT_EQ(pop_all(), expected);
}

}  // namespace
