// Path code and the move encoder: the buffer and its growth, reading it back, and the
// encoder's moves, arcs, carries, retract cancelling, code sections, comments, drill cycles,
// subdivision on curved surfaces and the Velkor pen heights.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "nc/cam_host.h"
#include "nc/nc_extents.h"
#include "nc/path_code.h"
#include "nc/post_processor.h"
#include "nc/velkor_commands.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/nc/path_code_reader.h"

namespace {

constexpr float CUT_Z = -0.1f;
constexpr float RAPID_Z = 0.05f;

class PathCodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_path_code();
    reset_list_store();
    reset_cam_host();
    g_job_settings = JobSettings{};
    reset_nc_extents();
    g_pen_move = PenMove{};
    g_pen_move.cut_z = CUT_Z;
    g_pen_move.rapid_z = RAPID_Z;
    g_pen_move.z = CUT_Z;
    ASSERT_EQ(path_alloc(), 0);
  }
  void TearDown() override {
    reset_path_code();
    free_post_processor_list(&definitions_);
  }

  // The default definition (absolute G & M codes, the factory sections) as the one in use.
  TextLine* use_definition(uint8_t output_kind = PP_OUTPUT_GM_CODES,
                           uint8_t comment_style = PP_COMMENTS_STAR) {
    TextLine* entry = default_post_processor("Test", 1);
    definitions_ = g_lists.current;
    clear_current_list();
    post_processor_def(entry)->output_kind = output_kind;
    post_processor_def(entry)->comment_style = comment_style;
    g_encoder_inputs.post_processor = entry;
    g_encoder_inputs.output_kind = output_kind;
    return entry;
  }

  LineList definitions_;
};

void move(char code, float dx = 0.0f, float dy = 0.0f) {
  g_pen_move.code = code;
  g_pen_move.dx = dx;
  g_pen_move.dy = dy;
  path_encode_move();
}

void set_surface(int code) {
  g_job_settings.surface_code = static_cast<uint8_t>(code);
  g_job_settings.surface_flag = 1 << (code - 1);
}

// ---- the buffer ---------------------------------------------------------------------------

TEST_F(PathCodeTest, AllocGivesTheInitialRoomOnceAndFreeGivesItBack) {
  EXPECT_EQ(g_path_code.op_capacity, PATH_INITIAL_OPS);
  EXPECT_EQ(g_path_code.value_capacity, PATH_INITIAL_VALUES);
  move(PEN_LINE, 1.0f);
  EXPECT_EQ(path_alloc(), 0);  // already allocated: the codes stay
  EXPECT_EQ(path_codes(), "1");
  path_free();
  EXPECT_EQ(g_path_code.op_capacity, 0);
  EXPECT_EQ(g_path_code.value_capacity, 0);
  EXPECT_EQ(g_path_code.op_count, 0);
}

TEST_F(PathCodeTest, ReserveGrowsByTheBurstAndTheSlack) {
  g_path_code.op_count = 4600;
  g_path_code.value_count = 4900;
  ASSERT_TRUE(path_reserve(22, 10));
  EXPECT_EQ(g_path_code.op_capacity, 5000 + 22 + 4000);
  EXPECT_EQ(g_path_code.value_capacity, 5000 + 30 + 5000);
  ASSERT_TRUE(path_reserve(22, 10));  // room enough now: no growth
  EXPECT_EQ(g_path_code.op_capacity, 9022);
}

TEST_F(PathCodeTest, AppendsGrowTheBuffersAndKeepEveryOpcode) {
  for (int n = 0; n < 3000; ++n) {
    const std::string line = "G1 X" + std::to_string(n) + "\n";
    path_put_text_op(PATH_OP_LINE, line.c_str());
    const float v[3] = {static_cast<float>(n), 0.0f, 0.0f};
    path_put_op(PATH_OP_FEED, v, 3);
  }
  EXPECT_GT(g_path_code.op_capacity, PATH_INITIAL_OPS);
  PathReadResult result;
  const std::vector<DecodedOp> ops = decode_path(&result);
  EXPECT_EQ(result, PATH_READ_END);
  ASSERT_EQ(ops.size(), 6000u);
  EXPECT_EQ(ops[5998].text, "G1 X2999\n");
  EXPECT_FLOAT_EQ(ops[5999].values[0], 2999.0f);
  EXPECT_FALSE(path_failed());
}

TEST_F(PathCodeTest, AGrowthThatFailsIsToldOnceAndLeavesNoHalfOpcode) {
  path_fail_next_growth(true);
  const std::string line(100, 'X');
  for (int n = 0; n < 100; ++n) path_put_text_op(PATH_OP_LINE, line.c_str());
  move(PEN_LINE, 1.0f);
  EXPECT_TRUE(path_failed());
  EXPECT_EQ(g_cam_host_log.message_count(), 1);
  EXPECT_EQ(g_cam_host_log.last_message(), PATH_OUT_OF_MEMORY_MESSAGE);
  PathReadResult result;
  const std::vector<DecodedOp> ops = decode_path(&result);
  EXPECT_EQ(result, PATH_READ_END);  // every opcode that is there is whole
  EXPECT_LT(ops.size(), 100u);
  for (const DecodedOp& op : ops) EXPECT_EQ(op.text, line);
}

TEST_F(PathCodeTest, AnAllocationThatFailsIsToldAndLeavesNoBuffer) {
  path_free();
  path_fail_next_growth(true);
  EXPECT_EQ(path_alloc(), -1);
  EXPECT_EQ(g_path_code.op_capacity, 0);
  EXPECT_TRUE(path_failed());
  EXPECT_EQ(g_cam_host_log.last_message(), PATH_OUT_OF_MEMORY_MESSAGE);
}

// ---- reading ----------------------------------------------------------------------------------

TEST_F(PathCodeTest, ReadingGivesBackParametersTextsAndOperands) {
  const float speeds[3] = {30.0f, 12.0f, 5000.0f};
  path_put_op_with_byte(PATH_OP_SPEEDS, 1, speeds, 3);
  path_put_text_op(PATH_OP_COMMENT, "LETTER A");
  g_encoder_inputs.current_tool_block.tool_number = 7;
  path_put_number(PATH_OP_TOOL);
  path_put_contour_start(1.0f, 2.0f, -0.5f);
  path_put_contour_end();
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "S*to$");
  EXPECT_EQ(ops[0].param, 1);
  EXPECT_EQ(ops[0].values, (std::vector<float>{30.0f, 12.0f, 5000.0f}));
  EXPECT_EQ(ops[1].text, "LETTER A");
  EXPECT_EQ(ops[2].text, "7");
  EXPECT_EQ(ops[3].values, (std::vector<float>{1.0f, 2.0f, -0.5f}));
  EXPECT_FLOAT_EQ(g_pen_move.x, 1.0f);  // the contour start moves the pen
}

// A walk that meets a byte it can not read stops there and says why; it never skips it.
TEST_F(PathCodeTest, AnUnknownOrCutOpcodeStopsTheWalkLoudly) {
  struct Case {
    const char* name;
    void (*damage)();
    PathReadResult expected;
  };
  const Case cases[] = {
      {"unknown opcode", [] { path_put_op('Q', nullptr, 0); }, PATH_READ_UNKNOWN},
      {"operands missing",
       [] {
         const float v[4] = {1, 2, 3, 4};
         path_put_op(PATH_OP_START, v, 4);
         g_path_code.value_count -= 2;
       },
       PATH_READ_TRUNCATED},
      {"text without its NUL",
       [] {
         path_put_text_op(PATH_OP_LINE, "G0\n");
         g_path_code.op_count -= 1;
       },
       PATH_READ_TRUNCATED},
      {"parameter byte missing",
       [] {
         path_put_op_with_byte(PATH_OP_DRILL, '1', nullptr, 0);
         g_path_code.op_count -= 1;
       },
       PATH_READ_TRUNCATED},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    move(PEN_LINE, 1.0f);
    const int32_t bad_at = g_path_code.op_count;
    c.damage();
    PathReader reader;
    PathOp op;
    EXPECT_EQ(path_read_op(&reader, &op), PATH_READ_OP) << c.name;
    EXPECT_EQ(path_read_op(&reader, &op), c.expected) << c.name;
    EXPECT_EQ(reader.op_at, bad_at) << c.name << ": the reader stays on the bad opcode";
    EXPECT_EQ(path_read_op(&reader, &op), c.expected) << c.name << ": and keeps saying so";
  }
}

// ---- moves ----------------------------------------------------------------------------------

struct Step {
  char code;
  float dx = 0.0f;
  float dy = 0.0f;
};

void run_steps(const std::vector<Step>& steps) {
  for (const Step& s : steps) move(s.code, s.dx, s.dy);
}

TEST_F(PathCodeTest, ARetractFollowedByAPlungeCancelsOnlyItself) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    const char* codes;
    char last_op;
  };
  const Case cases[] = {
      {"retract then plunge leaves neither",
       {{PEN_LINE, 1}, {PEN_RETRACT}, {PEN_PLUNGE}}, "1", '1'},
      {"a rapid to the same place keeps the retract cancellable",
       {{PEN_LINE, 1}, {PEN_RETRACT}, {PEN_UP}, {PEN_PLUNGE}}, "1", '1'},
      {"a later plunge takes nothing else",
       {{PEN_LINE, 1}, {PEN_RETRACT}, {PEN_PLUNGE}, {PEN_PLUNGE}}, "1Z", 'Z'},
      {"of two retracts only the last goes",
       {{PEN_LINE, 1}, {PEN_RETRACT}, {PEN_RETRACT}, {PEN_PLUNGE}}, "1z", 'z'},
      {"a rapid with length keeps both",
       {{PEN_LINE, 1}, {PEN_RETRACT}, {PEN_UP, 1}, {PEN_PLUNGE}}, "1z0Z", 'Z'},
      // The speeds leave last_op at the retract, but the retract is no longer at the end.
      {"speeds between keep both",
       {{PEN_LINE, 1}, {PEN_RETRACT}, {PEN_SPEEDS}, {PEN_PLUNGE}}, "1zSZ", 'Z'},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    g_pen_move.x = 0.0f;
    run_steps(c.steps);
    PathReadResult result;
    EXPECT_EQ(op_codes(decode_path(&result)), c.codes) << c.name;
    EXPECT_EQ(result, PATH_READ_END) << c.name;
    EXPECT_EQ(g_path_encoder.last_op, c.last_op) << c.name;
  }
}

TEST_F(PathCodeTest, ZeroMovesWriteNothingExceptTheKeptRapid) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    const char* codes;
    char last_op;
  };
  const Case cases[] = {
      {"a feed of no length", {{PEN_LINE}}, "", '1'},
      {"a rapid of no length after a retract keeps the retract",
       {{PEN_RETRACT}, {PEN_UP}}, "z", 'z'},
      {"a kept rapid of no length is written as a rapid", {{PEN_RAPID_ALWAYS}}, "0", '0'},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    run_steps(c.steps);
    EXPECT_EQ(path_codes(), c.codes) << c.name;
    EXPECT_EQ(g_path_encoder.last_op, c.last_op) << c.name;
  }
}

TEST_F(PathCodeTest, SubResolutionIncrementsAreCarriedIntoTheNextFeed) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<float> written_x;
  };
  const float tiny = 0.0000005f;
  const Case cases[] = {
      {"a tiny X is held back and reappears",
       {{PEN_LINE, tiny, 1}, {PEN_LINE, 1, 0}}, {0.0f, 1.0f + tiny}},
      {"a move of nothing but a tiny step writes nothing",
       {{PEN_LINE, tiny, 0}, {PEN_LINE, 1, 0}}, {1.0f + tiny}},
      {"a rapid drops what was held back", {{PEN_LINE, tiny, 1}, {PEN_UP, 1, 0}, {PEN_LINE, 1, 0}},
       {0.0f, 1.0f, 2.0f}},
      {"a 3-D stroke holds back too",
       {{PEN_LINE_3D, tiny, 1}, {PEN_LINE, 1, 0}}, {0.0f, 1.0f + tiny}},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    g_pen_move.x = 0.0f;
    g_pen_move.y = 0.0f;
    g_pen_move.dz = 0.0f;
    run_steps(c.steps);
    const std::vector<DecodedOp> ops = decode_path();
    ASSERT_EQ(ops.size(), c.written_x.size()) << c.name;
    for (size_t k = 0; k < ops.size(); ++k)
      EXPECT_FLOAT_EQ(ops[k].values[0], c.written_x[k]) << c.name << " op " << k;
  }
}

// ---- arcs ----------------------------------------------------------------------------------------

struct ArcCase {
  const char* name;
  float tolerance;
  uint8_t units;
  float radius;
  float sweep_deg;       // counter-clockwise from the pen; 360 is a whole circle
  uint8_t circle_mode;
  uint8_t arcs_as_lines;
  std::string codes;
};

// The pen at the origin, the centre `radius` to the right.
void send_arc(const ArcCase& c) {
  const double a = c.sweep_deg * 3.14159265358979323846 / 180.0;
  g_pen_move.x = 0.0f;
  g_pen_move.y = 0.0f;
  g_pen_move.i = c.radius;
  g_pen_move.j = 0.0f;
  g_pen_move.arcs_as_lines = c.arcs_as_lines;
  g_encoder_inputs.circle_mode = c.circle_mode;
  const float dx = c.sweep_deg >= 360.0f ? 0.0f : static_cast<float>(c.radius - c.radius * std::cos(a));
  const float dy = c.sweep_deg >= 360.0f ? 0.0f : static_cast<float>(-c.radius * std::sin(a));
  move(PEN_ARC_CCW, dx, dy);
  g_encoder_inputs.circle_mode = 0;
}

TEST_F(PathCodeTest, ArcsBecomeChordsAtTheStepAngleOfTheTolerance) {
  const ArcCase cases[] = {
      // 2 acos(0.998) = 0.1265 rad: a quarter turn takes 12 chords.
      {"radius 1, tolerance 0.002", 0.002f, JOB_UNITS_INCH, 1.0f, 90.0f, 0, 1, std::string(12, '1')},
      {"whole circle in circle mode", 0.002f, JOB_UNITS_INCH, 1.0f, 360.0f, 1, 1,
       std::string(50, '1')},
      // Below the tolerance but above the small-arc limit: steps of 1.5 rad.
      {"radius 0.001 takes 1.5 rad steps", 0.002f, JOB_UNITS_INCH, 0.001f, 180.0f, 0, 1, "11"},
      {"radius 0.0003 becomes a rapid to its end", 0.002f, JOB_UNITS_INCH, 0.0003f, 180.0f, 0, 1,
       "0"},
      {"radius 0.0003 in circle mode is a point", 0.002f, JOB_UNITS_INCH, 0.0003f, 360.0f, 1, 1,
       "p"},
      {"millimetre small-arc limit", 0.01f, JOB_UNITS_MILLIMETRE, 0.005f, 180.0f, 0, 1, "0"},
      {"radius below 0.0001 is a kept rapid", 0.002f, JOB_UNITS_INCH, 0.00005f, 90.0f, 0, 1, "0"},
      {"whole circle outside circle mode is dropped", 0.002f, JOB_UNITS_INCH, 1.0f, 360.0f, 0, 1,
       ""},
      // A tolerance tiny against the radius is cut in the finest steps (at most 2000, the
      // last 0.002 rad snapped to the end), never as a rapid.
      {"tiny tolerance keeps cutting", 1e-13f, JOB_UNITS_INCH, 1.0f, 90.0f, 0, 1,
       std::string(1998, '1')},
      {"flat surface keeps the arc", 0.002f, JOB_UNITS_INCH, 1.0f, 90.0f, 0, 0, "3"},
      {"flat surface keeps a whole circle in circle mode", 0.002f, JOB_UNITS_INCH, 1.0f, 360.0f, 1,
       0, "c"},
  };
  for (const ArcCase& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    g_encoder_inputs.tolerance = c.tolerance;
    g_job_settings.units = c.units;
    send_arc(c);
    const std::vector<DecodedOp> ops = decode_path();
    EXPECT_EQ(op_codes(ops), c.codes) << c.name;
    if (ops.empty() || ops.back().code != '1') continue;
    // Every chord end lies on the circle, and the last one on the arc's end.
    for (const DecodedOp& op : ops)
      EXPECT_NEAR(std::hypot(op.values[0] - c.radius, op.values[1]), c.radius, 1e-5) << c.name;
    EXPECT_NEAR(ops.back().values[0], g_pen_move.x, 1e-6) << c.name;
    EXPECT_NEAR(ops.back().values[1], g_pen_move.y, 1e-6) << c.name;
  }
}

TEST_F(PathCodeTest, AnArcKeptAsAnArcCarriesItsEndAndCentreOffset) {
  g_pen_move.x = 1.0f;
  g_pen_move.y = 1.0f;
  g_pen_move.i = 1.0f;
  g_pen_move.j = 0.0f;
  move(PEN_ARC_CW, 2.0f, 0.0f);
  g_encoder_inputs.circle_mode = 1;
  g_pen_move.i = -1.0f;
  move(PEN_ARC_CCW, 0.0f, 0.0f);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "2c");
  EXPECT_EQ(ops[0].values, (std::vector<float>{3.0f, 1.0f, 1.0f, 0.0f}));
  EXPECT_EQ(ops[1].param, '3');
  EXPECT_EQ(ops[1].values, (std::vector<float>{3.0f, 1.0f, -1.0f, 0.0f}));
}

// ---- Z moves, drill points, program events ------------------------------------------------------

TEST_F(PathCodeTest, MovesTakeTheHeightOfTheirKind) {
  g_pen_move.z = RAPID_Z;
  move(PEN_PLUNGE);
  move(PEN_LINE, 1.0f);
  move(PEN_RETRACT);
  move(PEN_UP, 1.0f);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "Z1z0");
  EXPECT_FLOAT_EQ(ops[0].values[0], CUT_Z);
  EXPECT_FLOAT_EQ(ops[1].values[2], CUT_Z);
  EXPECT_FLOAT_EQ(ops[2].values[0], RAPID_Z);
  EXPECT_FLOAT_EQ(ops[3].values[2], RAPID_Z);
}

TEST_F(PathCodeTest, DrillPointsCarryTheCycleOfTheirOperation) {
  struct Case {
    uint8_t operation;
    uint8_t cycle;
  };
  const Case cases[] = {{1, '1'}, {2, '3'}, {3, '4'}, {4, '1'}, {5, '3'}, {6, '1'}};
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    g_pen_move.x = 1.0f;
    g_pen_move.y = 1.0f;
    g_encoder_inputs.current_cam_params.operation = c.operation;
    g_encoder_inputs.current_cam_params.peck_distance = 0.05f;
    g_encoder_inputs.current_tool_block.feed = 12.0f;
    g_encoder_inputs.item_surface_z = -0.02f;
    move(PEN_DRILL, 0.5f, 0.25f);
    const std::vector<DecodedOp> ops = decode_path();
    ASSERT_EQ(op_codes(ops), "u") << int(c.operation);
    EXPECT_EQ(ops[0].param, c.cycle) << int(c.operation);
    EXPECT_EQ(ops[0].values,
              (std::vector<float>{1.5f, 1.25f, CUT_Z, RAPID_Z, 0.05f, 12.0f, -0.02f}));
  }
}

TEST_F(PathCodeTest, ProgramStartExpandsTheStartSectionThenPositionsAboveThePen) {
  use_definition();
  g_path_encoder.last_rpm = 5000;
  g_path_encoder.last_feed = 30.0f;
  g_pen_move.x = 2.0f;
  g_pen_move.y = 3.0f;
  g_pen_move.dx = 9.0f;
  move(PEN_START, 9.0f, 9.0f);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "#######Ad");
  EXPECT_EQ(ops[0].text, "%\n");
  EXPECT_EQ(ops[7].values, (std::vector<float>{CUT_Z, 2.0f, 3.0f, PATH_NO_Z}));
  EXPECT_EQ(ops[8].values, (std::vector<float>{RAPID_Z}));
  EXPECT_EQ(g_pen_move.dx, 0.0f);
  EXPECT_EQ(g_path_encoder.last_feed, 0.0f);
  EXPECT_EQ(g_path_encoder.last_op, 'A');
}

TEST_F(PathCodeTest, ResumeWritesTheToolChangeOrTheFinishedWithLineSection) {
  const TextLine* definition = use_definition();
  struct Case {
    const char* name;
    uint8_t tool_change_pending;
    uint8_t finished_line_option;
    const char* codes;
    char last_op;
  };
  const Case cases[] = {
      {"tool change", 1, 0, "######Ad", 'A'},
      {"same tool", 0, 0, "#", 'R'},
      // The factory Finished-With-Line section has one line; the option starts at its second.
      {"same tool, from the second line", 0, 1, "", '1'},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    g_path_encoder.last_op = '1';
    g_path_encoder.last_rpm = 5000;
    g_encoder_inputs.tool_change_pending = c.tool_change_pending;
    g_encoder_inputs.finished_line_option = c.finished_line_option;
    g_encoder_inputs.post_processor = definition;
    move(PEN_RESUME);
    EXPECT_EQ(path_codes(), c.codes) << c.name;
    EXPECT_EQ(g_path_encoder.last_op, c.last_op) << c.name;
    EXPECT_EQ(g_encoder_inputs.tool_change_pending, 0) << c.name;
  }
}

TEST_F(PathCodeTest, ProgramEndRetractsThenExpandsTheEndingSection) {
  use_definition();
  g_path_encoder.velkor_last_up_z = 0.05f;
  move(PEN_END);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "z##");
  EXPECT_FLOAT_EQ(ops[0].values[0], RAPID_Z);
  EXPECT_EQ(ops[1].text, "M30\n");
  EXPECT_EQ(g_path_encoder.velkor_last_up_z, PATH_VELKOR_NO_HEIGHT);
}

TEST_F(PathCodeTest, SpeedsCarryThePerRevolutionByte) {
  g_pen_move.feed = 30.0f;
  g_pen_move.plunge_feed = 12.0f;
  g_pen_move.rpm = 18000;
  g_pen_move.per_revolution = 1;
  move(PEN_SPEEDS);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "S");
  EXPECT_EQ(ops[0].param, 1);
  EXPECT_EQ(ops[0].values, (std::vector<float>{30.0f, 12.0f, 18000.0f}));
}

TEST_F(PathCodeTest, CommentsNeedAPrintableTextAStyleAndAnNcOutput) {
  struct Case {
    const char* name;
    uint8_t kind;
    uint8_t style;
    const char* text;
    const char* codes;
  };
  const Case cases[] = {
      {"G & M codes", PP_OUTPUT_GM_CODES, PP_COMMENTS_PARENTHESES, "LETTER A", "*"},
      {"Velkor", PP_OUTPUT_VELKOR, PP_COMMENTS_STAR, "LETTER A", "*"},
      {"style none", PP_OUTPUT_GM_CODES, PP_COMMENTS_NONE, "LETTER A", ""},
      {"control character first", PP_OUTPUT_GM_CODES, PP_COMMENTS_STAR, "\x01LETTER", ""},
      {"empty text", PP_OUTPUT_GM_CODES, PP_COMMENTS_STAR, "", ""},
      {"DXF", PP_OUTPUT_DXF, PP_COMMENTS_STAR, "LETTER A", ""},
  };
  for (const Case& c : cases) {
    reset_path_code();
    free_post_processor_list(&definitions_);
    ASSERT_EQ(path_alloc(), 0);
    use_definition(c.kind, c.style);
    g_encoder_inputs.current_comment = c.text;
    move(PEN_COMMENT);
    const std::vector<DecodedOp> ops = decode_path();
    EXPECT_EQ(op_codes(ops), c.codes) << c.name;
    if (!ops.empty()) {
      EXPECT_EQ(ops[0].text, c.text) << c.name;
    }
  }
}

TEST_F(PathCodeTest, ADxfRunKeepsMovesAndZMovesAndDropsTheRest) {
  use_definition(PP_OUTPUT_DXF);
  g_encoder_inputs.current_comment = "LETTER";
  g_pen_move.z = RAPID_Z;
  move(PEN_SPEEDS);
  move(PEN_COMMENT);
  move(PEN_PLUNGE);
  move(PEN_LINE, 1.0f);
  g_pen_move.i = 0.0f;
  g_pen_move.j = 1.0f;
  g_pen_move.arcs_as_lines = 1;
  move(PEN_ARC_CW, 1.0f, 1.0f);  // a DXF keeps arcs as arcs
  g_pen_move.dz = -0.1f;
  move(PEN_LINE_3D, 1.0f);        // and its writer draws 3-D strokes as lines
  move(PEN_PAUSE);
  move(PEN_RESET);
  move(PEN_DRILL, 1.0f);
  move(PEN_RETRACT);
  EXPECT_EQ(path_codes(), "Z12Vuz");
}

TEST_F(PathCodeTest, AResetLiftsTheToolOutOfTheCutFirst) {
  use_definition();
  move(PEN_RESET);  // the pen stands at the cut depth
  std::vector<DecodedOp> ops = decode_path();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops[0].code, PEN_RETRACT);
  EXPECT_FLOAT_EQ(ops[0].values[0], RAPID_Z);
  EXPECT_FLOAT_EQ(g_pen_move.z, RAPID_Z);
  // Already up: nothing more than the reset.
  move(PEN_RESET);
  int retracts = 0;
  for (const DecodedOp& op : decode_path()) retracts += op.code == PEN_RETRACT;
  EXPECT_EQ(retracts, 1);
}

// ---- subdivision on curved surfaces ------------------------------------------------------------

TEST_F(PathCodeTest, LongMovesAreSubdividedOnCurvedSurfaces) {
  struct Case {
    const char* name;
    int surface;
    uint8_t side;
    float radius;
    uint8_t kind;
    uint8_t options;
    uint8_t no_subdivision;
    char code;
    float dx, dy;
    std::string codes;
  };
  const Case cases[] = {
      // 3 radians along the wrapped X: quarter-circle steps, one point between.
      {"cylinder on 4th axis, 3 units", 11, 0, 1.0f, 0, 0, 0, '1', 3.0f, 0.0f, "11"},
      {"cylinder on 4th axis, 2.5 units", 11, 0, 1.0f, 0, 0, 0, '1', 2.5f, 0.0f, "1"},
      {"cylinder on 4th axis wrapped in Y", 11, 1, 1.0f, 0, 0, 0, '1', 0.0f, 3.0f, "11"},
      {"cylinder on 4th axis keeps rapids whole", 11, 0, 1.0f, 0, 0, 0, '0', 3.0f, 0.0f, "0"},
      {"die-cut blades subdivide rapids too", 18, 0, 1.0f, 0, 0, 0, '0', 3.0f, 0.0f, "00"},
      // Chord of the tolerance on radius 2: 2 sqrt(4 - 1.998^2) = 0.1788; 1 unit: 6 steps.
      {"sphere", 3, 0, 2.0f, 0, 0, 0, '1', 1.0f, 0.0f, std::string(6, '1')},
      {"sphere, no subdivision asked", 3, 0, 2.0f, 0, 0, 1, '1', 1.0f, 0.0f, "1"},
      {"sphere in a DXF run", 3, 0, 2.0f, PP_OUTPUT_DXF, 0, 0, '1', 1.0f, 0.0f, "1"},
      {"sphere in a DXF run with the encoder option", 3, 0, 2.0f, PP_OUTPUT_DXF, 2, 0, '1', 1.0f,
       0.0f, std::string(6, '1')},
      {"vertical cone, 0.02 steps", 6, 0, 2.0f, 0, 0, 0, '1', 0.1f, 0.0f, std::string(5, '1')},
      {"flat surface", 1, 0, 2.0f, 0, 0, 0, '1', 3.0f, 0.0f, "1"},
      {"3-D stroke on a horizontal cone on 4th axis across", 12, 0, 2.0f, 0, 0, 0, 'L', 0.0f,
       1.0f, std::string(6, 'V')},
      {"3-D stroke on a horizontal cone on 4th axis along", 12, 0, 2.0f, 0, 0, 0, 'L', 1.0f, 0.0f,
       "V"},
      {"3-D stroke on a sphere on 4th axis", 13, 0, 2.0f, 0, 0, 0, 'L', 1.0f, 0.0f,
       std::string(6, 'V')},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    set_surface(c.surface);
    g_job_settings.surface_side = c.side;
    g_job_settings.surface_radius = c.radius;
    g_job_settings.output_options = c.options;
    g_encoder_inputs.output_kind = c.kind;
    g_encoder_inputs.no_subdivision = c.no_subdivision;
    g_pen_move.x = 0.0f;
    g_pen_move.y = 0.0f;
    g_pen_move.z = CUT_Z;
    g_pen_move.dz = c.code == 'L' ? -0.6f : 0.0f;
    move(c.code, c.dx, c.dy);
    const std::vector<DecodedOp> ops = decode_path();
    EXPECT_EQ(op_codes(ops), c.codes) << c.name;
    if (ops.empty()) continue;
    // Equal steps; the last point is the move's end.
    const size_t n = ops.size();
    EXPECT_NEAR(ops[0].values[0], c.dx / n, 1e-5) << c.name;
    EXPECT_NEAR(ops[0].values[1], c.dy / n, 1e-5) << c.name;
    EXPECT_FLOAT_EQ(ops[n - 1].values[0], c.dx) << c.name;
    EXPECT_FLOAT_EQ(ops[n - 1].values[1], c.dy) << c.name;
    if (c.code == 'L') {
      EXPECT_NEAR(ops[0].values[2], CUT_Z - 0.6f / n, 1e-5) << c.name;
    }
  }
}

TEST(SubdivideMove, StepsAreWholeFractionsOfTheMove) {
  struct Case {
    float dx, dy, step_length;
    int n;
  };
  const Case cases[] = {
      {3.0f, 0.0f, 1.5707964f, 2}, {2.5f, 0.0f, 1.5707964f, 2}, {1.0f, 0.0f, 1.0f, 1},
      {0.0f, 0.0f, 1.0f, 1},       {3.0f, 4.0f, 1.0f, 5},       {1.0f, 0.0f, 0.0f, 1},
  };
  for (const Case& c : cases) {
    PointF step;
    EXPECT_EQ(subdivide_move(c.dx, c.dy, &step, c.step_length), c.n) << c.dx << "," << c.dy;
    EXPECT_FLOAT_EQ(step.x, c.dx / c.n);
    EXPECT_FLOAT_EQ(step.y, c.dy / c.n);
  }
}

// ---- Velkor ----------------------------------------------------------------------------------------

TEST(VelkorCommands, UnitsAreThousandthsRoundedAwayFromZero) {
  EXPECT_EQ(velkor_units(0.0125), 13);
  EXPECT_EQ(velkor_units(-0.0125), -13);
  EXPECT_EQ(velkor_units(0.0), 0);
  EXPECT_EQ(velkor_pen_move('U', 1.0, -0.5), "PU1000,-500;");
  EXPECT_EQ(velkor_3d_move(1.0, 2.0, -0.1), "PZ1000,2000,100;\n");
  EXPECT_EQ(velkor_extents(0, 0, 0, 4, 2, 0), "EX0,0,0,4000,2000,0;\n");
}

TEST_F(PathCodeTest, VelkorPenHeightsAreWrittenOnlyWhenTheyChange) {
  use_definition(PP_OUTPUT_VELKOR);
  move(PEN_RETRACT);
  move(PEN_DESCEND);  // the same height: no second pen-up command
  move(PEN_PLUNGE);
  move(PEN_PLUNGE);  // the same depth: no second pen-down command
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "#zd#ZZ");
  EXPECT_EQ(ops[0].text, "ZU50;\n");
  EXPECT_EQ(ops[3].text, "ZD100;\n");
}

TEST_F(PathCodeTest, VelkorProgramStartWritesExtentsSpeedsAndHeights) {
  TextLine* entry = use_definition(PP_OUTPUT_VELKOR);
  // Without code sections only the encoder's own commands remain.
  for (LineList& section : post_processor_def(entry)->sections) {
    free_list(section.first);
    section = LineList{};
  }
  g_nc_extents.min = PointF{0.0f, 0.0f};
  g_nc_extents.max = PointF{4.0f, 2.0f};
  g_pen_move.feed = 30.0f;
  g_pen_move.plunge_feed = 15.0f;
  g_encoder_inputs.current_cam_params.rapid_height = 0.05f;
  g_encoder_inputs.current_tool_block.cut_depth = 0.01f;
  move(PEN_START);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "#####Ad");
  EXPECT_EQ(ops[0].text, "EX0,0,0,4000,2000,0;\n");
  EXPECT_EQ(ops[1].text, "VS1.2700;\n");
  EXPECT_EQ(ops[2].text, "VZ0.6350;\n");
  EXPECT_EQ(ops[3].text, "ZU50;\n");
  EXPECT_EQ(ops[4].text, "ZD10;\n");
  EXPECT_FLOAT_EQ(g_path_encoder.last_feed, 30.0f);
}

// A millimetre job's feeds are millimetres per minute: 600 mm/min is 1 cm/s, not 25.4.
TEST_F(PathCodeTest, VelkorSpeedsOfAMillimetreJobAreInCentimetresPerSecond) {
  use_definition(PP_OUTPUT_VELKOR);
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  put_velkor_speed_line(VELKOR_CUT_SPEED_LINE, 600.0);
  g_job_settings.units = JOB_UNITS_INCH;
  put_velkor_speed_line(VELKOR_CUT_SPEED_LINE, 30.0);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "##");
  EXPECT_EQ(ops[0].text, "VS1.0000;\n");
  EXPECT_EQ(ops[1].text, "VS1.2700;\n");
}

// The engraver's drilling writes its own pen-down depth, so the cut after it must write its
// depth again even when it equals the one written before the hole.
TEST_F(PathCodeTest, VelkorCutAfterADrillWritesItsOwnDepthAgain) {
  use_definition(PP_OUTPUT_VELKOR);
  move(PEN_PLUNGE);
  move(PEN_DRILL);
  move(PEN_PLUNGE);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "#Zu#Z");
  EXPECT_EQ(ops[0].text, ops[3].text);
}

}  // namespace
