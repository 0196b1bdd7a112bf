// The batch join: 20,000 one-link pieces of 2,000 ten-sided loops, shuffled and every other one
// turned round, joined back into closed loops (goal: under 1 s).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/geometry_host.h"
#include "geometry/geometry_settings.h"
#include "geometry/layers.h"
#include "geometry/polyline_join.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"

namespace {

constexpr int LOOPS = 2000;
constexpr int SIDES = 10;
constexpr int ROUNDS = 3;

void add_piece(PointF a, PointF b) {
  new_geometry_block("", nullptr, 1, 0, GEOMETRY_KIND_DRAWING_AID);
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  item->state = ITEM_FLAG_SELECTED;
  LinkRecord* r = item_nodes(item);
  r[0].point = a;
  r[0].node_flags = NODE_FIRST;
  r[1].point = b;
  r[1].node_flags = NODE_CLOSING;
  item_bounding_boxes(item);
}

// The pieces of the loops on a 50 x 40 grid of loops 30 apart, in shuffled order.
void add_pieces(std::mt19937* random) {
  std::vector<std::pair<PointF, PointF>> pieces;
  for (int k = 0; k < LOOPS; ++k) {
    const double cx = 30.0 * (k % 50), cy = 30.0 * (k / 50);
    for (int i = 0; i < SIDES; ++i) {
      const double a0 = 2.0 * 3.14159265358979 * i / SIDES;
      const double a1 = 2.0 * 3.14159265358979 * (i + 1) / SIDES;
      pieces.push_back({{static_cast<float>(cx + 10.0 * std::cos(a0)), static_cast<float>(cy + 10.0 * std::sin(a0))},
                        {static_cast<float>(cx + 10.0 * std::cos(a1)), static_cast<float>(cy + 10.0 * std::sin(a1))}});
    }
  }
  std::shuffle(pieces.begin(), pieces.end(), *random);
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i % 2 == 0) add_piece(pieces[i].first, pieces[i].second);
    else add_piece(pieces[i].second, pieces[i].first);
  }
}

}  // namespace

int main() {
  reset_list_store();
  g_job_settings = JobSettings{};
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  g_preferences = Preferences{};
  reset_geometry_settings();
  reset_geometry_host();
  g_layers.visibility.fill(1);
  std::mt19937 random(2000);
  double worst = 0.0, total = 0.0;
  for (int round = 0; round < ROUNDS; ++round) {
    free_current_list();
    add_pieces(&random);
    const auto start = std::chrono::steady_clock::now();
    const int joins = batch_join(JOIN_EITHER_END, 0, 255);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int items = 0, closed = 0;
    for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next) {
      ++items;
      closed += item_is_closed(i) ? 1 : 0;
    }
    if (joins != LOOPS * (SIDES - 1) || items != LOOPS || closed != LOOPS) {
      std::printf("batch join: round %d made %d joins, %d items, %d closed (wanted %d, %d, %d)\n",
                  round, joins, items, closed, LOOPS * (SIDES - 1), LOOPS, LOOPS);
      return 1;
    }
    worst = std::max(worst, seconds);
    total += seconds;
  }
  std::printf("batch join of %d pieces into %d loops: %.3f s on average, %.3f s at worst "
              "(goal 1 s)\n",
              LOOPS * SIDES, LOOPS, total / ROUNDS, worst);
  free_current_list();
  return worst < 1.0 ? 0 : 1;
}
