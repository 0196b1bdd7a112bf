// Writes the checked-in corpus of the job reader: a handful of small valid and broken job files
// in every layout. Run it with the corpus folder as its argument when the layouts change:
//   make_job_corpus tests/job/corpus
#include <cstdio>
#include <string>
#include <vector>

#include "job_fixture.h"

namespace {

bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> older_items_job() {
  Bytes b;
  b.text("SI012699\r\r\n").append(factory_settings_bytes()).append(sample_layer_block()).le16(0);
  b.le16(0).u8(0);
  node_bytes(&b, 0, ITEM_POLYLINE, 0, 0, 1);
  b.le16(2).u8(1).le16(2).u8(1).u8(7);
  b.append(cam_bytes({5, 0, 1, 1, 0.1f, 0, 1, 1000, 10, 0.1f, 0.1f}));
  for (int i = 0; i < 2; ++i) job_link_part(&b, kPolyline[i]);
  job_closing_part(&b, kPolyline[2]);
  return b.data;
}

std::vector<uint8_t> old_text_job(const char* tag) {
  Bytes b;
  b.text(tag).text("\r\n");
  old_text_record(&b, "Plate \x08" "b1", 1, ITEM_TEXT, 1, old_params(0, 0));
  old_text_record(&b, "Ring", 2, ITEM_TEXT, 0, old_params(10.0f, 0));
  old_text_record(&b, "Up", 3, ITEM_TEXT, 0, old_params(10.0f, 0x02));
  b.text("\r\n");
  return b.data;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_job_corpus FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  reset_layers();
  const std::vector<uint8_t> sample = sample_job_bytes();
  std::vector<uint8_t> truncated(sample.begin(), sample.begin() + 900);
  std::vector<uint8_t> huge_count = sample;
  const size_t first_item = sample.size() - (3 + 20 + 5 + 388 + 4 * 36 + 16);
  set_le32(&huge_count, first_item + 23, 0x7FFFFFFF);
  std::vector<uint8_t> bad_tag = sample;
  bad_tag[3] = 'X';
  std::vector<uint8_t> closing_cut(sample.begin(), sample.end() - 5);
  std::vector<uint8_t> with_image = sample;
  set_le16(&with_image, 11 + 388, 328);
  const size_t items_at = 11 + 680 + sample_layer_block().size() + 2 + sizeof kSampleNote;
  std::vector<uint8_t> image(328, 0);
  std::memcpy(image.data(), "/scans/part.png", 16);
  with_image.insert(with_image.begin() + static_cast<long>(items_at), image.begin(), image.end());
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } files[] = {
      {"sample.job", sample},
      {"with_image.job", with_image},
      {"older_items.job", older_items_job()},
      {"text_list.eng", old_text_job("SI032996\r")},
      {"oldest_text_list.eng", old_text_job("KR-110893")},
      {"closing_cut.job", closing_cut},
      {"truncated.job", truncated},
      {"huge_link_count.job", huge_count},
      {"bad_tag.job", bad_tag},
  };
  for (const auto& f : files) {
    if (!write_bytes(folder + "/" + f.name, f.bytes)) {
      std::fprintf(stderr, "cannot write %s\n", f.name);
      return 1;
    }
  }
  clear_layer_table();
  return 0;
}
