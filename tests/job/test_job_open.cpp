// Opening a job without the interface: after the read, the items are settled (boxes, arcs,
// numbers) whatever the file said about them.
#include <gtest/gtest.h>

#include "geometry/drawing_item.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "tests/job/job_fixture.h"

namespace {

DrawingItem* nth_item(int n) {
  DrawingItem* item = g_lists.current.first;
  for (int i = 0; i < n && item != nullptr; ++i) item = item->next;
  return item;
}

TEST_F(JobTest, OpeningSettlesBoxesArcsAndNumbers) {
  build_sample_job();
  // Numbers with gaps, as a job edited for a while has them; the file keeps no link boxes.
  const int32_t stored_ids[] = {40, 7, 19, 3};
  for (int i = 0; i < 4; ++i) set_item_id(nth_item(i), stored_ids[i]);
  g_job_settings.item_id_counter = 40;
  const std::string file = path("settled.job");
  ASSERT_EQ(write_job_to_path(file), 0);
  free_current_list();

  ASSERT_EQ(load_job_file(file, nullptr), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(item_id(nth_item(i)), i + 1) << "item " << i;
  EXPECT_EQ(g_job_settings.item_id_counter, 4);

  const LinkRecord* line = item_nodes(nth_item(0));
  EXPECT_EQ(line[0].box_min.x, 0.0f);
  EXPECT_EQ(line[0].box_max.x, 10.0f);
  // The clockwise half circle from (10, 0) to (10, 10) about (10, 5) bulges to x = 5.
  EXPECT_NEAR(line[1].box_min.x, 5.0f, 1e-4);
  EXPECT_NEAR(line[1].box_max.y, 10.0f, 1e-4);
  const LinkRecord* frame = item_nodes(nth_item(3));
  EXPECT_EQ(frame[0].box_max.x, 30.0f) << "text frames get their boxes too";
}

TEST_F(JobTest, AFailedOpenLeavesTheItemsAlone) {
  build_sample_job();
  const std::string file = path("broken.job");
  write_file(file, {'S', 'I', '1', '2'});
  EXPECT_EQ(load_job_file(file, nullptr), -1);
  EXPECT_EQ(item_id(nth_item(0)), 1);
  EXPECT_EQ(item_id(nth_item(3)), 4);
  EXPECT_EQ(g_job_settings.item_id_counter, 4);
}

}  // namespace
