// The TrueType list of the font field: the faces it offers are fontconfig's scalable faces as
// fontconfig's own tool lists them, and the line the user chooses gives its own face.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "pages/text_fonts.h"
#include "platform/files.h"
#include "store/catalogue.h"
#include "tests/editor/drawing_window.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/idle_typist.h"
#include "ui/text_window.h"

namespace {

// fc-list's faces, its escapes undone: the first family name of each (the one a stored
// description names), the families a description can hold.
std::set<std::string> fc_list_families() {
  std::set<std::string> out;
  FILE* pipe = popen("fc-list :outline=true family 2>/dev/null", "r");
  if (pipe == nullptr) return out;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    std::string family;
    for (const char* p = buffer; *p != '\0' && *p != '\n' && *p != '\r'; ++p) {
      if (*p == '\\' && p[1] != '\0') {
        family += *++p;
        continue;
      }
      if (*p == ',') break;
      family += *p;
    }
    if (!family.empty() && family.size() < LOG_FONT_FACE_SIZE) out.insert(family);
  }
  EXPECT_EQ(pclose(pipe), 0) << "fc-list is part of fontconfig";
  return out;
}

std::string face_of(const uint8_t* log_font) {
  const char* face = reinterpret_cast<const char*>(log_font + LOG_FONT_FACE);
  return std::string(face, strnlen(face, LOG_FONT_FACE_SIZE));
}

class TrueTypeListTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_paint_boxes();
    start_typist();
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    drawing_window_ = open_drawing_window();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    while (poll_input_code(0) != 0) {
    }
    close_drawing_window(drawing_window_);
    reset_catalogue();
    set_program_folder_for_tests("");
    EditorFixture::TearDown();
  }
  // Runs the list: `keys` once it waits; the lines it showed go to *lines.
  static int choose(const std::vector<int>& keys, std::vector<std::string>* lines,
                    uint8_t* log_font) {
    g_typist.steps.push_back(typist_step_when(
        [] {
          return g_windows.active != nullptr &&
                 std::string(g_windows.active->title) == TRUETYPE_LIST_TITLE;
        },
        [lines] {
          for (const TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
            lines->push_back(line->text);
        }));
    for (int key : keys) typist_key(key);
    return choose_truetype_font(log_font);
  }

  TextLine* drawing_window_ = nullptr;
};

TEST_F(TrueTypeListTest, TheListOffersFontconfigsFacesAndTheChosenLineGivesItsFace) {
  const std::vector<TrueTypeChoice> choices = truetype_choices();
  if (choices.empty()) GTEST_SKIP() << "no scalable face on this system";
  // The families offered are fontconfig's, each once or more (one line per weight and slant).
  std::set<std::string> families;
  for (const TrueTypeChoice& c : choices) families.insert(c.family);
  EXPECT_EQ(families, fc_list_families());

  // The window shows those lines; the first and the last line each give their own face.
  struct Case {
    std::vector<int> keys;
    size_t index;
  };
  std::vector<int> to_last(choices.size(), VK_DOWN);
  to_last.push_back(VK_RETURN);
  for (const Case& c : {Case{{VK_RETURN}, 0}, Case{{VK_DOWN, VK_RETURN}, 1},
                        Case{to_last, choices.size() - 1}}) {
    SCOPED_TRACE(c.index);
    uint8_t log_font[TL_LOG_FONT_SIZE] = {};
    std::vector<std::string> lines;
    ASSERT_EQ(choose(c.keys, &lines, log_font), 1);
    ASSERT_EQ(lines.size(), choices.size());
    for (size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(lines[k], choices[k].line);
    EXPECT_EQ(face_of(log_font), choices[c.index].family);
    int32_t weight = 0;
    std::memcpy(&weight, log_font + LOG_FONT_WEIGHT, sizeof weight);
    EXPECT_EQ(weight, choices[c.index].weight);
    EXPECT_EQ(log_font[LOG_FONT_ITALIC] != 0, choices[c.index].italic);
  }

  // Esc leaves the description as it was.
  uint8_t kept[TL_LOG_FONT_SIZE] = {1, 2, 3};
  std::vector<std::string> lines;
  EXPECT_EQ(choose({VK_ESCAPE}, &lines, kept), 0);
  EXPECT_EQ(kept[0], 1);
  EXPECT_EQ(kept[2], 3);
}

}  // namespace
