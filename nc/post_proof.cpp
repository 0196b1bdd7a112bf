#include "nc/post_proof.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/float2d.h"
#include "nc/path_code.h"
#include "nc/post_gm.h"
#include "nc/post_surface.h"
#include "nc/work_surface.h"
#include "nc/proof_file.h"
#include "records/job_settings.h"

namespace {

constexpr double NO_Z_LIMIT = 20000.0;
constexpr double MAX_CHORD_STEP = 0.8;
// The chord tolerance of a proof: fine enough to look round at any zoom of the 3-D view.
constexpr double PROOF_TOLERANCE_INCH = 0.001;
constexpr double PROOF_TOLERANCE_MM = 0.025;

struct ProofWalk {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  bool z_known = false;
  bool in_contour = false;  // between 'o' and '$'
  float contour_z = 0.0f;   // the Z at the last 'o'
  char pending_kind = 0;    // 'A' after a tool change: the next move only positions
  bool curved = false;      // on surfaces 2 to 10 retracts rise to clear the surface
};

char move_kind(ProofWalk* w, char kind) {
  if (w->pending_kind != 0) {
    const char pending = w->pending_kind;
    w->pending_kind = 0;
    return pending;
  }
  return kind;
}

void straight(ProofWalk* w, char opcode, float x, float y, float z) {
  w->x = x;
  w->y = y;
  w->z = z;
  w->z_known = true;
  if (w->in_contour) {
    proof_write_move(move_kind(w, static_cast<char>(opcode + 5)), x, y, w->contour_z);
    return;
  }
  proof_write_move(move_kind(w, opcode), x, y, z);
}

void z_move(ProofWalk* w, char opcode, float z) {
  w->z = z;
  w->z_known = true;
  if (w->in_contour) return;
  proof_write_move(move_kind(w, opcode), w->x, w->y, z);
}

void arc(ProofWalk* w, char opcode, const float* v) {
  const double t = g_job_settings.units == JOB_UNITS_INCH ? PROOF_TOLERANCE_INCH
                                                           : PROOF_TOLERANCE_MM;
  float start = 0.0f, end = 0.0f;
  const float r = arc_from_centre_offset(v[0] - w->x, v[1] - w->y, v[2], v[3], &start, &end);
  const double c = (r - t) / r;
  const double step = r > t && c > 0.0 ? std::min(2.0 * std::acos(c), MAX_CHORD_STEP)
                                       : MAX_CHORD_STEP;
  PointF chords[ARC_CHORD_STEPS_MAX];
  const bool clockwise = opcode == PATH_OP_ARC_CW;
  const int k = r > 0.0f ? arc_to_chord_steps(chords, start, end, r, clockwise, step) : 0;
  if (k < 1) {
    straight(w, w->in_contour ? '1' - 5 : '9', v[0], v[1], w->z);
    return;
  }
  const char kind = w->in_contour ? '6' : '8';
  const float z = w->in_contour ? w->contour_z : w->z;
  for (int n = 0; n < k - 1; ++n) {
    w->x += chords[n].x;
    w->y += chords[n].y;
    proof_write_move(move_kind(w, kind), w->x, w->y, z);
  }
  w->x = v[0];
  w->y = v[1];
  proof_write_move(move_kind(w, kind), w->x, w->y, z);
}

void drill(ProofWalk* w, const float* v) {
  proof_write_move(move_kind(w, '0'), v[0], v[1], v[3]);
  proof_write_move('Z', v[0], v[1], v[2]);
  proof_write_move('z', v[0], v[1], v[3]);
  w->x = v[0];
  w->y = v[1];
  w->z = v[3];
  w->z_known = true;
}

bool proof_op(ProofWalk* w, const PathReader& reader, const PathOp& op) {
  const float* v = op.values;
  switch (op.code) {
    case PATH_OP_LINE:
    case PATH_OP_COMMENT:
    case PATH_OP_SPEEDS:
    case PATH_OP_SECOND_HEAD:
    case PATH_OP_FIRST_HEAD: return true;
    case PATH_OP_START:
      w->x = v[1];
      w->y = v[2];
      w->z_known = v[3] < NO_Z_LIMIT;
      if (w->z_known) w->z = v[3];
      w->pending_kind = 'A';
      return true;
    case PATH_OP_POSITION:
      w->x = v[0];
      w->y = v[1];
      if (w->in_contour) proof_write_move('5', v[0], v[1], w->contour_z);
      return true;
    case PATH_OP_DESCEND:
    case PATH_OP_RAPID_Z: z_move(w, op.code, v[0]); return true;
    case PATH_OP_RETRACT: {
      double z = v[0], nx = 0.0, ny = 0.0, nz = 0.0;
      if (w->curved && next_move_point(reader, &nx, &ny, &nz))
        z = raised_retract_height(z, w->z_known ? w->z : z, w->x, w->y, nx, ny, nz,
                                  surface_clearance());
      z_move(w, op.code, static_cast<float>(z));
      return true;
    }
    case PATH_OP_PLUNGE: z_move(w, 'Z', v[0]); return true;
    case PATH_OP_CIRCLE_POINT: z_move(w, 'Z', v[2]); return true;
    case PATH_OP_RAPID:
    case PATH_OP_FEED:
    case PATH_OP_FEED_3D:
      // A rapid keeps its height; on a curved surface it never goes lower than its own point.
      straight(w, op.code, v[0], v[1],
               op.code != PATH_OP_RAPID ? v[2]
               : w->curved && v[2] < NO_Z_LIMIT ? std::max(w->z, v[2]) : w->z);
      return true;
    case PATH_OP_ARC_CW: case PATH_OP_ARC_CCW: arc(w, op.code, v); return true;
    case PATH_OP_CIRCLE: arc(w, static_cast<char>(op.param), v); return true;
    case PATH_OP_DRILL: drill(w, v); return true;
    case PATH_OP_CONTOUR_START:
      w->in_contour = true;
      w->contour_z = w->z;
      w->x = v[0];
      w->y = v[1];
      proof_write_move('5', v[0], v[1], w->contour_z);
      return true;
    case PATH_OP_CONTOUR_END: w->in_contour = false; return true;
    case PATH_OP_TOOL: case PATH_OP_TOOL_FINISHING: case PATH_OP_TOOL_ROUGHING:
      proof_write_tool(op.code == 't' ? PROOF_TOOL : op.code, std::atoi(op.text));
      w->pending_kind = 'A';
      return true;
    default: return false;
  }
}

}  // namespace

int post_proof_walk() {
  if (!proof_open()) {
    g_post_run.failure = "The proof file could not be created.";
    return POST_FAILED;
  }
  ProofWalk w;
  w.curved = job_surface_is_curved();
  PathReader reader;
  PathOp op;
  PathReadResult result;
  while ((result = path_read_op(&reader, &op)) == PATH_READ_OP) {
    if (!proof_op(&w, reader, op)) {
      result = PATH_READ_UNKNOWN;
      break;
    }
  }
  if (result != PATH_READ_END) {
    g_post_run.failure = "The proof stopped at path code it does not handle; nothing is shown.";
    proof_delete_file();
    return POST_FAILED;
  }
  const int finished = proof_finish();
  if (finished == 1) return POST_PROOF_DONE;
  g_post_run.failure = finished == 0 ? "Nothing to draw: no item is set for machining."
                                     : "The proof file could not be written completely.";
  return POST_FAILED;
}
