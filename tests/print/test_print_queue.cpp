// Printing to a print queue: a private print server of our own (its own configuration, spool and
// socket in a test folder, nothing of the system's touched) with one raw queue whose device
// copies every job into a file. brenvik-print sends a text and a drawing there; what the queue
// received reads as the PDF file the same print writes. The server must drop to its own user,
// so the test runs only where it may start it (as root, with the server installed).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/print/print_judges.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char SERVER[] = "/usr/sbin/cupsd";
constexpr char ADMIN[] = "/usr/sbin/lpadmin";
constexpr char SERVER_PROGRAMS[] = "/usr/lib/cups";
constexpr char QUEUE[] = "capture";

void write_text(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

class PrintQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0 || !fs::exists(SERVER) || !fs::exists(ADMIN))
      GTEST_SKIP() << "a private print server needs root and the print server installed";
    folder_ = make_test_folder("print_queue");
    // The server's user must reach the folders and write the captured jobs.
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    for (const char* sub : {"bin/backend", "bin/filter", "spool", "cache", "state", "log", "root"})
      fs::create_directories(folder_ / sub);
    fs::create_directories(folder_ / "tmp");
    fs::create_directories(folder_ / "out");
    fs::permissions(folder_ / "tmp", fs::perms::all | fs::perms::sticky_bit);
    fs::permissions(folder_ / "out", fs::perms::all);
    fs::create_directory_symlink(fs::path(SERVER_PROGRAMS) / "daemon", folder_ / "bin/daemon");
    const fs::path backend = folder_ / "bin/backend/capture";
    write_text(backend,
               "#!/bin/sh\n"
               "if [ $# -eq 0 ]; then echo 'direct capture \"Unknown\" \"Capture\"'; exit 0; fi\n"
               "out=\"${DEVICE_URI#capture:}\"\n"
               "if [ $# -ge 6 ]; then cat \"$6\" > \"$out.part\"; else cat > \"$out.part\"; fi\n"
               "chmod 644 \"$out.part\" && mv \"$out.part\" \"$out\"\n");
    fs::permissions(backend, fs::perms::owner_all | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read |
                                 fs::perms::others_exec);
    const std::string f = folder_.string();
    write_text(folder_ / "root/cups-files.conf",
               "User lp\nGroup lp\nSystemGroup root\nServerRoot " + f + "/root\nServerBin " + f +
                   "/bin\nRequestRoot " + f + "/spool\nCacheDir " + f + "/cache\nStateDir " + f +
                   "/state\nTempDir " + f + "/tmp\nDataDir /usr/share/cups\nErrorLog " + f +
                   "/log/error_log\nAccessLog " + f + "/log/access_log\nPageLog " + f +
                   "/log/page_log\n");
    socket_ = f + "/server.sock";
    write_text(folder_ / "root/cupsd.conf",
               "Listen " + socket_ +
                   "\nBrowsing No\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                   "<Location /admin>\nOrder allow,deny\nAllow all\n</Location>\n");
    server_ = fork();
    if (server_ == 0) {
      const std::string conf = f + "/root/cupsd.conf";
      const std::string files = f + "/root/cups-files.conf";
      execl(SERVER, SERVER, "-f", "-c", conf.c_str(), "-s", files.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(server_, 0);
    for (int k = 0; k < 100 && !fs::exists(socket_); ++k) std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(fs::exists(socket_)) << "the print server did not start";
    setenv("CUPS_SERVER", socket_.c_str(), 1);
    if (const char* home = std::getenv("HOME")) saved_home_ = home;
    setenv("HOME", f.c_str(), 1);
    int status = -1;
    const std::string said =
        run_and_read(std::string(ADMIN) + " -p " + QUEUE + " -E -v capture:" + f +
                         "/out/job.pdf -m raw 2>&1",
                     &status);
    ASSERT_EQ(status, 0) << said;
  }

  void TearDown() override {
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
    unsetenv("CUPS_SERVER");
    if (!saved_home_.empty()) setenv("HOME", saved_home_.c_str(), 1);
    if (!folder_.empty()) fs::remove_all(folder_);
  }

  // Runs brenvik-print with the arguments; its exit status.
  int print(const std::string& arguments, std::string* said) {
    int status = -1;
    *said = run_and_read(std::string(BRENVIK_PROGRAM_DIR) + "/brenvik-print " + arguments + " 2>&1",
                         &status);
    return status;
  }

  // The job the queue's device received, once it is there (at most 20 s).
  std::string captured() {
    const fs::path job = folder_ / "out/job.pdf";
    for (int k = 0; k < 400 && !fs::exists(job); ++k) std::this_thread::sleep_for(50ms);
    return fs::exists(job) ? job.string() : std::string();
  }

  fs::path folder_;
  std::string socket_;
  std::string saved_home_;
  pid_t server_ = -1;
};

TEST_F(PrintQueueTest, ATextSentToTheQueueReadsAsTheFilesPrint) {
  const fs::path text = folder_ / "program.nc";
  std::string program;
  for (int i = 1; i <= 90; ++i) program += "N" + std::to_string(i) + " G01 X" + std::to_string(i) + "\n";
  write_text(text, program);
  std::string said;
  ASSERT_EQ(print("--text '" + text.string() + "' --page-numbers --to " + QUEUE, &said), 0) << said;
  const std::string job = captured();
  ASSERT_FALSE(job.empty()) << "the queue received no job";
  const std::string file = (folder_ / "program.pdf").string();
  ASSERT_EQ(print("--text '" + text.string() + "' --page-numbers '" + file + "'", &said), 0) << said;
  const std::vector<std::string> sent = read_pdf_pages(job);
  const std::vector<std::string> kept = read_pdf_pages(file);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent, kept);
}

TEST_F(PrintQueueTest, ADrawingSentToTheQueueReadsAsTheFilesPrint) {
  reset_list_store();
  reset_layers();
  set_factory_job_settings(&g_job_settings, false);
  ASSERT_EQ(new_geometry_block("", nullptr, 1, 0, GEOMETRY_KIND_DRAWING_AID), 0);
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  item->state = ITEM_FLAG_SELECTED;
  LinkRecord* r = item_nodes(item);
  r[0].point = {0, 0};
  r[0].code = LINK_FLEXIBLE_LINE;
  r[0].node_flags = NODE_FIRST | NODE_LOOSE;
  r[1].point = {10, 3};
  r[1].node_flags = NODE_CLOSING;
  item_bounding_boxes(item);
  const std::string job_file = (folder_ / "line.job").string();
  ASSERT_EQ(write_job_to_path(job_file), 0);
  free_current_list();
  std::string said;
  ASSERT_EQ(print("--drawing '" + job_file + "' --scale 1 --to " + QUEUE, &said), 0) << said;
  const std::string job = captured();
  ASSERT_FALSE(job.empty()) << "the queue received no job";
  const std::string file = (folder_ / "line.pdf").string();
  ASSERT_EQ(print("--drawing '" + job_file + "' --scale 1 '" + file + "'", &said), 0) << said;
  const PdfInfo sent = read_pdf_info(job);
  const PdfInfo kept = read_pdf_info(file);
  EXPECT_EQ(sent.pages, 2);
  EXPECT_EQ(sent.pages, kept.pages);
  EXPECT_NEAR(sent.width_pt, kept.width_pt, 0.5);
  const GreyPage a = render_grey_page(job, 2, 100, (folder_ / "sent").string());
  const GreyPage b = render_grey_page(file, 2, 100, (folder_ / "kept").string());
  ASSERT_GT(a.width, 0);
  EXPECT_EQ(a.pixels, b.pixels);
}

}  // namespace
