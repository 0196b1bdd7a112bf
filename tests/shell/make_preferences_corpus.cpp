// Writes the seed corpus of the preferences file's fuzz target into the folder given: the
// factory file of both file sets, one with folders and lists, and damaged ones.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "records/preferences.h"
#include "shell/preferences_file.h"
#include "shell/startup.h"
#include "tests/support/corpus_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_preferences_corpus FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  g_startup.data_folder = "/opt/brenvik/";
  g_startup.names.catalogue = "KR_MENUs.KR5";
  read_write_preferences(1);  // no file there: the factory settings
  const std::vector<uint8_t> inch = preferences_file_bytes();
  write_file(folder + "/factory_inch", inch);
  g_startup.names.catalogue = "KR_MENUm.KR5";
  g_preferences_file = PreferencesFile{};
  first_run_defaults();
  write_file(folder + "/factory_metric", preferences_file_bytes());
  g_preferences_file.job_load_list = {"/home/a/plate.job", "/home/a/sign.job"};
  g_preferences_file.find_history = {"brass"};
  g_preferences_file.drive_folders[0] = "/home/a";
  g_preferences_file.drive_folders[3] = "/mnt/usb";
  const std::vector<uint8_t> lists = preferences_file_bytes();
  write_file(folder + "/lists_and_folders", lists);
  std::vector<uint8_t> bad_drive = lists;
  bad_drive[PREFERENCES_FILE_DRIVES_OFFSET + 2] = 'x';
  write_file(folder + "/bad_drive", bad_drive);
  write_file(folder + "/cut", std::vector<uint8_t>(inch.begin(), inch.begin() + 16000));
  std::vector<uint8_t> longer = inch;
  longer.push_back(0);
  write_file(folder + "/one_byte_more", longer);
  return 0;
}
