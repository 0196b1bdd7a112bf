// The back-plot held against the outside G-code reader: every row's records on the move the
// reader ran for that program line, chords on their arcs within the tolerance, every end reached,
// holes where the cycles put them, and the feed in force on each row.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "nc/proof_file.h"
#include "tests/cam/gcode_reading.h"

inline bool near(double a, double b, double tol = 0.002) { return std::fabs(a - b) <= tol; }

// start: where the reader's machine stood, added to the proof's coordinates (an incremental
// program counts from there; the back-plot starts at 0).
inline void expect_proof_follows_reading(const std::vector<ProofRecord>& records, const Reading& reading,
                                         const std::vector<std::string>& lines, double tol,
                                         std::array<double, 3> start) {
  const auto at = [&](const ProofRecord& r, int k) { return proof_field_f32(r, k) + start[k]; };
  // The records of each row.
  std::map<int, std::vector<ProofRecord>> rows;
  std::map<int, float> feeds;
  int row = 0;
  for (const ProofRecord& r : records) {
    if (r.kind == 'L') {
      row = proof_field_i32(r, 0);
      feeds[row] = proof_field_f32(r, 1);
      rows[row];
    } else {
      rows[row].push_back(r);
    }
  }
  int checked = 0;
  double cycle_z = 0;  // depth of the drilling cycle in force
  for (const ReadEvent& e : reading.events) {
    if (e.kind == 'm') {
      const ReadMove& m = reading.moves[e.index];
      if (near(m.x1, m.x2, 1e-9) && near(m.y1, m.y2, 1e-9) && near(m.z1, m.z2, 1e-9) && !m.arc)
        continue;
      SCOPED_TRACE("line " + std::to_string(m.line) + ": " + lines[m.line - 1]);
      ASSERT_TRUE(rows.count(m.line));
      const std::vector<ProofRecord>& got = rows[m.line];
      ASSERT_FALSE(got.empty());
      const ProofRecord& end = got.back();
      EXPECT_TRUE(near(at(end, 0), m.x2) && near(at(end, 1), m.y2) &&
                  near(at(end, 2), m.z2))
          << "ends at " << at(end, 0) << "," << at(end, 1) << ","
          << at(end, 2) << " not " << m.x2 << "," << m.y2 << "," << m.z2;
      if (m.feed >= 0) {
        EXPECT_FLOAT_EQ(feeds[m.line], static_cast<float>(m.feed));
      }
      const std::string kinds = m.motion == "G0" ? "0zA" : m.motion == "G1" ? "1ZA" : "89";
      for (const ProofRecord& r : got)
        EXPECT_NE(kinds.find(static_cast<char>(r.kind)), std::string::npos) << r.kind;
      if (m.arc) {
        const double radius = std::hypot(m.x1 - m.cx, m.y1 - m.cy);
        double px = m.x1, py = m.y1;
        for (const ProofRecord& r : got) {
          const double x = at(r, 0), y = at(r, 1);
          EXPECT_NEAR(std::hypot(x - m.cx, y - m.cy), radius, 0.002);
          const double half = std::hypot(x - px, y - py) / 2;
          const double sagitta = radius - std::sqrt(std::max(0.0, radius * radius - half * half));
          EXPECT_LE(sagitta, tol + 1e-4) << "chord beyond the tolerance";
          px = x;
          py = y;
        }
      }
      ++checked;
    } else if (e.kind == 'd') {
      const ReadDrill& d = reading.drills[e.index];
      SCOPED_TRACE("drill line " + std::to_string(d.line));
      const std::vector<ProofRecord>& got = rows[d.line];
      ASSERT_EQ(got.size(), 3u);
      // A hole line without Z goes to the cycle's depth, as a control reads it (the reader
      // takes the R level there).
      const std::string& text = lines[d.line - 1];
      const bool has_z = text.find('Z') != std::string::npos || text.find('z') != std::string::npos;
      if (has_z) cycle_z = d.z;
      const double want_z[3] = {d.r, has_z ? d.z : cycle_z, d.r};
      const char want_kind[3] = {'0', 'Z', 'z'};
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(got[k].kind, want_kind[k]);
        EXPECT_TRUE(near(at(got[k], 0), d.x) && near(at(got[k], 1), d.y) && near(at(got[k], 2), want_z[k]));
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 10);
  // No row draws what the reader did not run.
  std::set<int> read_lines;
  for (const ReadMove& m : reading.moves) read_lines.insert(m.line);
  for (const ReadDrill& d : reading.drills) read_lines.insert(d.line);
  // A tool change is a stop of its own, not a move: its row holds only the tool record.
  size_t tool_changes = 0;
  for (const auto& [number, got] : rows) {
    size_t drawn = 0;
    for (const ProofRecord& r : got) {
      if (r.kind == PROOF_TOOL) ++tool_changes;
      else ++drawn;
    }
    if (drawn == 0) continue;
    EXPECT_TRUE(read_lines.count(number)) << "row " << number << " " << lines[number - 1];
  }
  EXPECT_EQ(tool_changes, reading.tools.size()) << "every tool change the reader ran, and no other";
}
