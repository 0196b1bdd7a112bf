#include <cstdio>
#include <fstream>
#include <cmath>
#include "tests/print/stairs_fixture.h"
#include "print/stairs_build.h"
#include "print/stairs_accept.h"
#include "geometry/drawing_item.h"

namespace {
void dump(const char* name) {
  float minx=1e9,miny=1e9,maxx=-1e9,maxy=-1e9;
  for (DrawingItem* it = g_lists.current.first; it; it = it->next) {
    LinkRecord* r = item_nodes(it); int n = item_link_count(it);
    for (int i=0;i<=n;i++){minx=std::min(minx,r[i].point.x);maxx=std::max(maxx,r[i].point.x);miny=std::min(miny,r[i].point.y);maxy=std::max(maxy,r[i].point.y);}
  }
  std::ofstream o(std::string("/tmp/stairs_proto/")+name+".mvg");
  const int S=900; float w=maxx-minx, h=maxy-miny; float sc=(S-40)/std::max(w,h);
  auto X=[&](float x){return 20+(x-minx)*sc;}; auto Y=[&](float y){return S-20-(y-miny)*sc;};
  o<<"viewbox 0 0 "<<S<<" "<<S<<"\nfill white\nrectangle 0,0 "<<S<<","<<S<<"\nfill none\nstroke-width 1\n";
  const char* cols[]={"blue","red","green","orange","purple","brown","magenta"};
  for (DrawingItem* it = g_lists.current.first; it; it = it->next) {
    LinkRecord* r = item_nodes(it); int n = item_link_count(it);
    o<<"stroke "<<cols[item_layer(it)%7]<<"\n";
    for (int i=0;i<n;i++){
      if (r[i].link_flags & LINK_JUMP) o<<"stroke-dasharray 3 3\n"; 
      o<<"line "<<X(r[i].point.x)<<","<<Y(r[i].point.y)<<" "<<X(r[i+1].point.x)<<","<<Y(r[i+1].point.y)<<"\n";
      if (r[i].link_flags & LINK_JUMP) o<<"stroke-dasharray none\n";
    }
  }
}
class Scratch : public StairsTest {};
TEST_F(Scratch, Dump) {
  struct C { const char* name; int32_t kind; int type; int side; double total; int n; bool accept; };
  C cs[] = {{"k1_8", STAIRS_KIND_HOUSED|STAIRS_METRIC, 0,0, 1400, 8, false},
            {"k1_17", STAIRS_KIND_HOUSED|STAIRS_METRIC, 0,0, 2800, 17, false},
            {"k1_17_acc", STAIRS_KIND_HOUSED|STAIRS_METRIC, 0,0, 2800, 17, true},
            {"k1_8_acc", STAIRS_KIND_HOUSED|STAIRS_METRIC, 0,0, 1400, 8, true},
            {"k2_8", STAIRS_KIND_TREADS|STAIRS_METRIC, 0,0, 1400, 8, false},
            {"k2_8_acc", STAIRS_KIND_TREADS|STAIRS_METRIC, 0,0, 1400, 8, true},
            {"k4_t0", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 0,0, 1400, 8, false},
            {"k4_t0r", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 0,1, 1400, 8, false},
            {"k4_t1", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 1,0, 1400, 8, false},
            {"k4_t2", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 2,0, 1400, 8, false},
            {"k4_t3", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 3,0, 1400, 5, false},
            {"k4_t4", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 4,0, 1400, 8, false},
            {"k4_t5", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 5,0, 1400, 5, false},
            {"k4_t0_acc", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 0,0, 1400, 8, true},
            {"k4_t4_acc", STAIRS_KIND_SPECIAL|STAIRS_METRIC, 4,1, 1400, 8, true},
  };
  for (const C& c : cs) {
    free_current_list();
    g_stairs.params = design(c.kind, c.total, c.n);
    g_stairs.params.kind4_type = c.type;
    g_stairs.params.side = c.side;
    if (c.type == 4) g_stairs.params.total_rise = c.n * g_stairs.params.run;
    { std::string f = std::string("/tmp/stairs_proto/") + c.name + ".str"; stairs_write_file(f); }
    stairs_build_drawing();
    printf("%s complete %d shift %d W %f L %f items %d\n", c.name, g_stairs.complete, g_stairs.shift_count, g_stairs.params.board_width, g_stairs.params.board_length, count_current_lines());
    if (c.accept && g_stairs.complete) { int r = accept_stairs_design(); printf("  accept %d items %d\n", r, count_current_lines()); }
    for (auto& m : messages_) printf("  msg %s\n", m.c_str());
    messages_.clear();
    dump(c.name);
    if (c.accept) for (DrawingItem* it = g_lists.current.first; it; it = it->next) {
      PointF lo, hi; item_extents(it, &lo, &hi); CamParams cp; get_block_cam(item_block(it), &cp);
      printf("   tag %c layer %d group %d op %d links %d closed %d sel %d x %.1f..%.1f y %.1f..%.1f marker %d\n", item_group_tag(it)?item_group_tag(it):'-', item_layer(it), cp.machining_group, cp.operation, item_link_count(it), item_is_closed(it), item_flags(it)&1, lo.x, hi.x, lo.y, hi.y, cp.item_marker);
    }
  }
}
}
