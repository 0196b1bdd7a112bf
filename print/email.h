// E-mail of files: a file, an NC program, a job file or the current job goes as an attachment,
// with a few lines of comment, to the recipient named beside the program. There is no messaging
// service here: the mail is handed to the desktop's mail program through xdg-email, which shows
// it ready to send. Where no mail program takes it, the message is saved as a dated .eml file in
// the home folder, which any mail program opens, and the user is told where it is.
#pragma once

#include <cstdint>
#include <string>

// Mail kinds: the control ids of the buttons that ask for a mail.
constexpr int MAIL_ANY_FILE = 65;
constexpr int MAIL_NC_FILE = 66;
constexpr int MAIL_JOB_FILE = 67;
constexpr int MAIL_CURRENT_JOB = 68;

constexpr char MAIL_SUBJECT[] = "Sent by Brenvik";
constexpr char MAIL_PROGRAM[] = "xdg-email";
constexpr char MAIL_RECIPIENT_FILE[] = "mail_to.txt";  // beside the program: its first line
constexpr char MAIL_UNSAVED_JOB_NAME[] = "JobFile";
constexpr char MAIL_COMMENT_TITLE[] = "Enter whatever comments you want to add to the email";
constexpr char MAIL_NC_FILTER[] =
    "NC files|*.cnc;*.nc*;*.ncc;*.dnc;*.cam;*.eia;*.tap|TXT files|*.txt|DAT files|*.dat";
constexpr int MAIL_HAND_OFF_WAIT_MS = 5000;  // a mail program still open by then has the mail

// Send results beyond the mail program's own exit status.
constexpr int MAIL_SENT = 0;
constexpr int MAIL_NOT_SENT = 2;  // no mail program took it (saved as .eml when it could be)

struct MailState {
  std::string program;       // the mail program's path while loaded; empty when not
  std::string saved_eml;     // the .eml the last failed send was saved as ("" when none)
  std::string last_error;    // why the last .eml could not be written
  int program_status = 0;    // the mail program's exit status (-1: not run or a signal)
};
extern MailState g_mail;

// 0 when the mail program is found (at once when it already was), -1 when there is none.
int load_mapi();
void unload_mapi();
// Hands the mail to the mail program; when there is none, or it fails, the message is saved as
// an .eml and, with show_errors, the user is told where. MAIL_SENT, or MAIL_NOT_SENT.
int send_mapi_mail(const std::string& recipient, const std::string& subject,
                   const std::string& body, const std::string& attachment, bool show_errors);
// The message as a MIME text: the comment as UTF-8 text, the attachment in base64. False with
// the reason when the attachment cannot be read.
bool build_mapi_message(const std::string& recipient, const std::string& subject,
                        const std::string& body, const std::string& attachment,
                        std::string* message, std::string* error);
// Asks for the file (or writes the current job), then for a comment, and sends it. 0 after it
// handled the kind (sent, cancelled or failed), or the kind itself when it does not know it.
int email_file(int kind);

// The recipient: the first line of mail_to.txt beside the program, "" when there is none.
std::string mail_recipient();
// The comment's lines joined: trailing blanks cut, each line ending in a line feed; a comment
// with nothing typed is one line feed.
std::string join_comment_lines(const std::string& text);

// Test hooks
void reset_mail();
