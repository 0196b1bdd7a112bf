// E-mail of files, driven through the whole program on the headless runner: the Utilities page's
// buttons, the file dialog and the comment box; the mail handed to a recording xdg-email first
// on PATH, or saved as an .eml that Python's standard email module reads back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "print/email.h"
#include "tests/print/print_judges.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

// Client pixels of the 1024 x 768 screen: the Utilities tab and the three e-mail buttons.
constexpr int TAB_X = 765, TAB_Y = 32;
constexpr int ANY_FILE_X = 290, NC_FILE_X = 490, JOB_FILE_X = 700, MAIL_Y = 620;

class EmailRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("email");
    fs::create_directories(folder_ / "home");
    fs::create_directories(folder_ / "bin");
    // The file dialog's name entry holds a short path only: the attachment lies in a folder of
    // a short name of its own.
    char short_folder[] = "/tmp/bmXXXXXX";
    ASSERT_NE(mkdtemp(short_folder), nullptr);
    short_folder_ = short_folder;
    attachment_ = short_folder_ + "/part.nc";
    write_file_bytes(attachment_, std::string("G00 X0\r\nM30\r\n\x01\xff", 16));
  }
  void TearDown() override {
    fs::remove_all(folder_);
    if (!short_folder_.empty()) fs::remove_all(short_folder_);
  }

  // A mail program that writes its arguments, one a line, and exits with `status`.
  void install_mail_program(int status) {
    const std::string path = (folder_ / "bin" / "xdg-email").string();
    write_file_bytes(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                               (folder_ / "args.txt").string() + "\"\nexit " +
                               std::to_string(status) + "\n");
    chmod(path.c_str(), 0755);
  }

  // Runs the program with the script; PATH starts with our bin folder (which may hold no mail
  // program at all, in which case PATH has nothing else).
  int run(const std::string& script, bool keep_system_path = true) {
    const std::string script_path = (folder_ / "script.txt").string();
    write_file_bytes(script_path, "wait 500\nclick " + std::to_string(TAB_X) + " " +
                                      std::to_string(TAB_Y) + "\nwait 500\n" + script);
    const std::string path = (folder_ / "bin").string() + (keep_system_path ? ":/usr/bin:/bin" : "");
    int status = -1;
    run_and_read("env PATH=" + shell_quoted(path) + " HOME=" + shell_quoted((folder_ / "home").string()) +
                     " TMP=" + shell_quoted(folder_.string()) + " " + BRENVIK_PROGRAM_DIR +
                     "/brenvik-headless --out " + shell_quoted(folder_.string()) + " " +
                     shell_quoted(script_path) + " >/dev/null 2>&1",
                 &status);
    return status;
  }

  std::string choose_file_and_comment(int button_x, const std::string& file,
                                      const std::string& comment) {
    return "click " + std::to_string(button_x) + " " + std::to_string(MAIL_Y) +
           "\nwait 300\nkey Tab\ntype " + file + "\nkey Enter\nwait 300\n" +
           (comment.empty() ? "" : "type " + comment + "\n") + "key Ctrl+S\nwait 300\n";
  }

  std::vector<std::string> eml_files() {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder_ / "home")) {
      if (e.path().extension() == ".eml") found.push_back(e.path().string());
    }
    return found;
  }

  // subject|to|body|attachment name|attachment equal to the file, read by Python's email module.
  std::string read_eml(const std::string& path) {
    const std::string program =
        "import sys, email\n"
        "from email import policy\n"
        "m = email.message_from_bytes(open(sys.argv[1], 'rb').read(), policy=policy.default)\n"
        "body = m.get_body(preferencelist=('plain',)).get_content()\n"
        "parts = [p for p in m.iter_attachments()]\n"
        "name = parts[0].get_filename() if parts else ''\n"
        "same = parts[0].get_content() == open(sys.argv[2], 'rb').read() if parts else False\n"
        "print(repr((str(m['Subject']), str(m['To']), body, name, same)))\n";
    const std::string script = (folder_ / "read_eml.py").string();
    write_file_bytes(script, program);
    return run_and_read("python3 " + shell_quoted(script) + " " + shell_quoted(path) + " " +
                        shell_quoted(attachment_));
  }

  fs::path folder_;
  std::string short_folder_;
  std::string attachment_;
};

TEST_F(EmailRun, TheMailProgramGetsSubjectCommentAndAttachment) {
  install_mail_program(0);
  ASSERT_EQ(run(choose_file_and_comment(ANY_FILE_X, attachment_, "Cut two of these")), 0);
  const std::string args = read_file_bytes((folder_ / "args.txt").string());
  EXPECT_EQ(args, "--subject\nSent by Brenvik\n--body\nCut two of these\n\n--attach\n" + attachment_ + "\n");
  EXPECT_TRUE(eml_files().empty());
}

TEST_F(EmailRun, AFailingOrMissingMailProgramLeavesAnEml) {
  struct Case {
    const char* name;
    int program;  // exit status of the mail program, -1: none on PATH
    const char* comment;
    const char* body;
  } cases[] = {{"exit 3", 3, "Two off", "Two off\n"}, {"no mail program", -1, "", "\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder_ / "home");
    fs::create_directories(folder_ / "home");
    fs::remove(folder_ / "bin" / "xdg-email");
    if (c.program >= 0) install_mail_program(c.program);
    ASSERT_EQ(run(choose_file_and_comment(NC_FILE_X, attachment_, c.comment), c.program >= 0), 0);
    const std::vector<std::string> saved = eml_files();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(read_eml(saved[0]),
              "('Sent by Brenvik', 'None', " + std::string("'") +
                  (std::string(c.body) == "\n" ? "\\n" : std::string("Two off\\n")) +
                  "', 'part.nc', True)\n");
  }
}

TEST_F(EmailRun, CancellingTheDialogOrTheCommentSendsNothing) {
  install_mail_program(0);
  // Esc in the file dialog.
  ASSERT_EQ(run("click " + std::to_string(JOB_FILE_X) + " " + std::to_string(MAIL_Y) +
                "\nwait 300\nkey Esc\nwait 300\n"),
            0);
  // Esc in the comment box.
  ASSERT_EQ(run("click " + std::to_string(ANY_FILE_X) + " " + std::to_string(MAIL_Y) +
                "\nwait 300\nkey Tab\ntype " + attachment_ + "\nkey Enter\nwait 300\nkey Esc\nwait 300\n"),
            0);
  EXPECT_FALSE(fs::exists(folder_ / "args.txt"));
  EXPECT_TRUE(eml_files().empty());
}

// ---- Pieces ---------------------------------------------------------------------------------------

TEST(EmailPieces, CommentLinesAndRecipient) {
  struct Case {
    const char* typed;
    const char* joined;
  } cases[] = {{"\n\n\n\n", "\n"},
               {"Hello  \n\n\n\n", "Hello\n"},
               {"a\n\nb \n\n", "a\n\nb\n"}};
  for (const Case& c : cases) EXPECT_EQ(join_comment_lines(c.typed), c.joined) << c.typed;

  const fs::path folder = make_test_folder("email_recipient");
  set_program_folder_for_tests(folder.string());
  EXPECT_EQ(mail_recipient(), "");
  write_file_bytes((folder / MAIL_RECIPIENT_FILE).string(), "shop@example.com\r\nother@x\r\n");
  EXPECT_EQ(mail_recipient(), "shop@example.com");
  set_program_folder_for_tests("");
  fs::remove_all(folder);
}

TEST(EmailPieces, TheMessageWithoutAnAttachmentAndAnUnreadableOne) {
  std::string message;
  std::string error;
  ASSERT_TRUE(build_mapi_message("shop@example.com", MAIL_SUBJECT, "Hi\n", "", &message, &error));
  EXPECT_NE(message.find("To: shop@example.com\r\n"), std::string::npos);
  EXPECT_EQ(message.find("SMTP:"), std::string::npos);
  EXPECT_EQ(message.find("multipart"), std::string::npos);
  EXPECT_FALSE(build_mapi_message("", MAIL_SUBJECT, "Hi\n", "/no/such/file", &message, &error));
  EXPECT_NE(error.find("/no/such/file"), std::string::npos);
}

}  // namespace
