#include "nc/code_section_expand.h"

#include <cstdio>
#include <cstring>

#include "nc/post_gm.h"
#include "nc/post_processor.h"
#include "nc/velkor_commands.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "records/pen_move.h"

CodeSectionState g_code_section;

namespace {

constexpr double DEGREES_PER_RADIAN = 57.29577951308232;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool velkor_output() { return g_encoder_inputs.output_kind == PP_OUTPUT_VELKOR; }

int tool_number() { return g_encoder_inputs.current_tool_block.tool_number; }

std::string title_text() { return g_code_section.title.substr(0, 15); }

std::string printed(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// "T%d %s %s": the tool number, its size without a leading zero, and the shape word. A tapered
// tool's size is its included angle, shown in degrees.
std::string tool_description() {
  const CamToolBlock& tool = g_encoder_inputs.current_tool_block;
  double size = tool.size;
  const char* shape = "Diameter";
  if (tool.shape == TOOL_SHAPE_TAPERED) {
    size *= DEGREES_PER_RADIAN;
    shape = "degree taper";
  } else if (tool.shape == TOOL_SHAPE_BALL) {
    shape = "Ball end mill";
  }
  std::string number;
  format_word(&number, "%.4f", size);
  if (number.rfind("0.", 0) == 0) number.erase(0, 1);
  std::string text = "T";
  text += std::to_string(tool.tool_number);
  text += ' ';
  text += number;
  text += ' ';
  text += shape;
  return text;
}

// The F placeholder of G & M output: the feed in force when it differs from the last one
// written; the 'F' itself goes when it does not.
void put_feed(std::string* text) {
  const PenMove& m = g_pen_move;
  if (m.feed == g_path_encoder.last_feed) {
    text->pop_back();
    return;
  }
  g_path_encoder.last_feed = m.feed;
  const PostProcessorDef* def = post_processor_def(g_encoder_inputs.post_processor);
  const int definition_decimals = def == nullptr ? 1 : (def->feed_decimals > 2 ? 2 : def->feed_decimals);
  const int decimals = m.per_revolution != 0 ? 5 : definition_decimals;
  char value[48];
  if (m.per_revolution == 0 && decimals == 0)
    std::snprintf(value, sizeof value, "%d", static_cast<int>(m.feed * 10.0f));
  else
    std::snprintf(value, sizeof value, "%.*f", decimals, static_cast<double>(m.feed));
  *text += value;
}

bool only_blanks(const std::string& text) {
  return text.find_first_not_of(" \r\n") == std::string::npos;
}

// Ends the line being built: a line of blanks is left out. Returns 1 when a line was written.
int finish_line(const std::string& text) {
  if (only_blanks(text)) return 0;
  path_put_text_op(PATH_OP_LINE, text.c_str());
  return 1;
}

// The second-head switch after "M5": tool 1 selects the first head, any other the second.
void second_head_switch(std::string* text) {
  const bool first_head = tool_number() == 1;
  *text += first_head ? "4\n" : "5\n";
  finish_line(*text);
  path_put_op(first_head ? PATH_OP_FIRST_HEAD : PATH_OP_SECOND_HEAD, nullptr, 0);
  path_put_text_op(PATH_OP_LINE, first_head ? "M3.2\n" : "M3.1\n");
  *text = first_head ? "M5.1" : "M5.2";
}

// A line that starts with "A#": the tool goes to the pen's X, Y at the rapid height.
void position_line() {
  const PenMove& m = g_pen_move;
  const float a[3] = {m.x, m.y, m.rapid_z};
  path_put_op(PATH_OP_POSITION, a, 3);
  const float e[1] = {m.rapid_z};
  path_put_op(PATH_OP_RAPID_Z, e, 1);
}

// Expands one line; returns 1 when it completed a written line.
int expand_line(const std::string& line) {
  const PenMove& m = g_pen_move;
  std::string text;
  for (size_t k = 0; k < line.size(); ++k) {
    const char c = line[k];
    if (c == '\b') {
      text += c;
      if (k + 1 < line.size() && line[k + 1] == '<' && k + 2 < line.size()) {
        const char what = line[k + 2];
        text += '<';
        text += what;
        k += 2;
        if (what == 'c') text += tool_description();
        else if (what == 't') text += title_text();
      }
      continue;
    }
    if (c != '#' || k == 0 || (k + 1 < line.size() && is_digit(line[k + 1]))) {
      text += c;
      continue;
    }
    const char before = line[k - 1];
    const bool second_hash = k + 1 < line.size() && line[k + 1] == '#';
    if (before == 'T' || before == 'H') {
      text += printed(second_hash ? "%02d" : "%d", tool_number());
      if (second_hash) ++k;
    } else if (before == '0' && k >= 2 && (line[k - 2] == 'T' || line[k - 2] == 'E')) {
      text.pop_back();  // the '0'
      if (second_hash) {
        text += printed("%02d", tool_number()) + printed("%02d", tool_number());
        ++k;
      } else {
        text += printed(tool_number() > 9 ? "%d" : "0%d", tool_number());
      }
    } else if (before == '0') {
      // nothing: the '#' is dropped
    } else if (before == '5') {
      second_head_switch(&text);
    } else if (before == 'A' && k == 1) {
      position_line();
      return 0;
    } else if (before == 'A') {
      // nothing
    } else if (before == 'F') {
      if (!velkor_output()) {
        put_feed(&text);
      } else {
        text.pop_back();
        if (m.feed != g_path_encoder.last_feed) {
          finish_line(text);
          put_velkor_speed_line(VELKOR_CUT_SPEED_LINE, m.feed);
          put_velkor_speed_line(VELKOR_PLUNGE_SPEED_LINE, m.plunge_feed);
          g_path_encoder.last_feed = m.feed;
          return 0;
        }
      }
    } else if (before == 'N') {
      text.pop_back();
      text += title_text();
    } else if (before == 'S') {
      if (m.rpm != g_path_encoder.last_rpm) text += printed(velkor_output() ? "%d;" : "%d", m.rpm);
      else text.pop_back();
    } else if (before == 'Z' && !velkor_output()) {
      format_word(&text, g_job_settings.units == JOB_UNITS_INCH ? "%.4f" : "%.3f", m.rapid_z);
    } else {
      text += '#';
    }
  }
  return finish_line(text);
}

}  // namespace

int expand_code_section(const TextLine* first_line) {
  int completed = 0;
  for (const TextLine* line = first_line; line != nullptr; line = line->next)
    completed += expand_line(line->text);
  g_path_encoder.last_rpm = g_pen_move.rpm;
  return completed;
}
