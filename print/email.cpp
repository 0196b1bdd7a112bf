#include "print/email.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "job/job_file.h"
#include "platform/cp1252.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/pump.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/edit_buffers.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/standard_dialogs.h"
#include "ui/text_boxes.h"

MailState g_mail;

namespace {

constexpr int COMMENT_ROWS = 5;
constexpr int COMMENT_COLUMNS = 64;
constexpr int COMMENT_ROWS_ABOVE_CENTRE = 6;
constexpr size_t BASE64_LINE = 76;

std::string base64(const std::string& bytes, bool wrap = true) {
  static const char DIGITS[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t line = 0;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t a = static_cast<uint8_t>(bytes[i]);
    const uint32_t b = i + 1 < bytes.size() ? static_cast<uint8_t>(bytes[i + 1]) : 0;
    const uint32_t c = i + 2 < bytes.size() ? static_cast<uint8_t>(bytes[i + 2]) : 0;
    const uint32_t n = a << 16 | b << 8 | c;
    out += DIGITS[n >> 18 & 63];
    out += DIGITS[n >> 12 & 63];
    out += i + 1 < bytes.size() ? DIGITS[n >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? DIGITS[n & 63] : '=';
    line += 4;
    if (wrap && line >= BASE64_LINE) {
      out += "\r\n";
      line = 0;
    }
  }
  if (wrap && line > 0) out += "\r\n";
  return out;
}

// A header word with bytes beyond ASCII, as RFC 2047 writes it.
std::string header_text(const std::string& utf8) {
  for (const char c : utf8) {
    if (static_cast<uint8_t>(c) >= 128) return "=?UTF-8?B?" + base64(utf8, false) + "?=";
  }
  return utf8;
}

std::string base_name(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// The text of a catalogue message, read without showing it.
std::string catalogue_message(int number) {
  if (find_message(number) == 0) return "Msg #" + std::to_string(number) + "?";
  clear_message_text();
  while (read_message_line(1) > 0) {
  }
  return message_text();
}

bool read_whole_file(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return !in.bad();
}

// A free name for today's mail in the home folder.
std::string dated_eml_path() {
  const char* home = std::getenv("HOME");
  const std::string folder = home != nullptr && *home != 0 ? home : temp_folder();
  const LocalTime t = local_time_now();
  const std::string stem = "Brenvik mail " + std::to_string(t.year) + "-" + two(t.month) + "-" +
                           two(t.day) + " " + two(t.hour) + two(t.minute) + two(t.second);
  std::string path = path_join(folder, stem + ".eml");
  for (int n = 2; file_exists(path) && n < 1000; ++n) {
    path = path_join(folder, stem + " (" + std::to_string(n) + ").eml");
  }
  return path;
}

// The message saved as an .eml; its path, or "" with the reason in g_mail.last_error.
std::string save_eml(const std::string& recipient, const std::string& subject,
                     const std::string& body, const std::string& attachment) {
  std::string message;
  if (!build_mapi_message(recipient, subject, body, attachment, &message, &g_mail.last_error)) {
    return "";
  }
  const std::string path = dated_eml_path();
  const SaveResult saved = save_file_safely(
      path, path + ".tmp", [&](SaveFile* file) { return save_write_text(file, message); },
      &g_mail.last_error);
  return saved == SAVE_OK ? path : "";
}

// Keeps the window alive while the mail program starts.
void pump_while_waiting() { pump_messages(); }

std::string comment_from_box() {
  push_list();
  clear_current_list();
  for (int i = 0; i < COMMENT_ROWS - 1; ++i) append_line("");
  LineList lines = g_lists.current;
  clear_current_list();
  pop_list();
  const CellMetrics& cells = g_display.current;
  const int accepted = edit_lines_in_window(
      &lines, MAIL_COMMENT_TITLE, cells.last_row / 2 - COMMENT_ROWS_ABOVE_CENTRE,
      cells.last_column / 2, COMMENT_ROWS, COMMENT_COLUMNS, nullptr, nullptr, 0, nullptr,
      nullptr, 0);
  std::string text;
  for (TextLine* l = lines.first; l != nullptr; l = l->next) text += l->text + "\n";
  push_list();
  g_lists.current = lines;
  free_current_list();
  pop_list();
  return accepted == 1 ? join_comment_lines(text) : std::string("\x1b");
}

}  // namespace

std::string join_comment_lines(const std::string& text) {
  std::string joined;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t' ||
                             line.back() == '\n')) {
      line.pop_back();
    }
    joined += line + "\n";
  }
  // Blank lines at the end of the box are not part of the comment.
  while (joined.size() > 1 && joined.compare(joined.size() - 2, 2, "\n\n") == 0) joined.pop_back();
  return joined.empty() ? "\n" : joined;
}

std::string mail_recipient() {
  std::ifstream in(path_join(program_folder(), MAIL_RECIPIENT_FILE));
  std::string line;
  if (!in || !std::getline(in, line)) return "";
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line.substr(0, 999);
}

int load_mapi() {
  if (!g_mail.program.empty()) return 0;
  g_mail.program = find_program_on_path(MAIL_PROGRAM);
  return g_mail.program.empty() ? -1 : 0;
}

void unload_mapi() { g_mail.program.clear(); }

bool build_mapi_message(const std::string& recipient, const std::string& subject,
                        const std::string& body, const std::string& attachment,
                        std::string* message, std::string* error) {
  std::string bytes;
  if (!attachment.empty() && !read_whole_file(attachment, &bytes)) {
    *error = "cannot read " + attachment;
    return false;
  }
  const std::string boundary = "=_brenvik_" + std::to_string(bytes.size()) + "_part";
  std::string m;
  if (!recipient.empty()) m += "To: " + header_text(cp1252_to_utf8(recipient)) + "\r\n";
  m += "Subject: " + header_text(cp1252_to_utf8(subject)) + "\r\n";
  m += "X-Unsent: 1\r\nMIME-Version: 1.0\r\n";
  std::string text_part = "Content-Type: text/plain; charset=UTF-8\r\n"
                          "Content-Transfer-Encoding: base64\r\n\r\n" +
                          base64(cp1252_to_utf8(body));
  if (attachment.empty()) {
    m += text_part;
  } else {
    const std::string name = header_text(cp1252_to_utf8(base_name(attachment)));
    m += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    m += "--" + boundary + "\r\n" + text_part;
    m += "--" + boundary + "\r\n";
    m += "Content-Type: application/octet-stream; name=\"" + name + "\"\r\n";
    m += "Content-Disposition: attachment; filename=\"" + name + "\"\r\n";
    m += "Content-Transfer-Encoding: base64\r\n\r\n" + base64(bytes);
    m += "--" + boundary + "--\r\n";
  }
  *message = m;
  return true;
}

int send_mapi_mail(const std::string& recipient, const std::string& subject,
                   const std::string& body, const std::string& attachment, bool show_errors) {
  g_mail.saved_eml.clear();
  g_mail.last_error.clear();
  g_mail.program_status = -1;
  int result = MAIL_NOT_SENT;
  if (load_mapi() == 0) {
    std::vector<std::string> arguments = {"--subject", cp1252_to_utf8(subject), "--body",
                                          cp1252_to_utf8(body)};
    if (!attachment.empty()) {
      arguments.push_back("--attach");
      arguments.push_back(attachment);
    }
    if (!recipient.empty()) arguments.push_back(cp1252_to_utf8(recipient));
    ProcessHandle child;
    if (start_process(g_mail.program, arguments, &child)) {
      int status = 0;
      const int ended = wait_process_for(&child, MAIL_HAND_OFF_WAIT_MS, pump_while_waiting, &status);
      g_mail.program_status = ended ? status : 0;
      // Still running: the mail program has the message open.
      if (!ended || status == 0) result = MAIL_SENT;
    }
  }
  if (result == MAIL_SENT) return result;
  g_mail.saved_eml = save_eml(recipient, subject, body, attachment);
  if (show_errors) {
    std::string text = catalogue_message(MSG_MAIL_NOT_SENT);
    text += g_mail.saved_eml.empty() ? "\nIt could not be saved either: " + g_mail.last_error
                                     : "\n" + cp1252_from_utf8(g_mail.saved_eml, '?');
    show_text_box(text.c_str(), TEXTBOX_WAIT_KEY);
  }
  return result;
}

int email_file(int kind) {
  std::string attachment;
  switch (kind) {
    case MAIL_ANY_FILE:
    case MAIL_NC_FILE: {
      const std::string folder = g_buffers.current_folder;
      if (open_file_dialog(folder, kind == MAIL_NC_FILE ? MAIL_NC_FILTER : nullptr, &attachment) ==
          DIALOG_CANCELLED) {
        ++g_form.redraw_level;
        return 0;
      }
      break;
    }
    case MAIL_JOB_FILE:
      if (g_page_entries.job_file_dialog == nullptr || g_page_entries.job_file_dialog(&attachment) < 0) {
        ++g_form.redraw_level;
        return 0;
      }
      break;
    case MAIL_CURRENT_JOB: {
      const std::string name =
          g_job_file.full_path.empty() ? MAIL_UNSAVED_JOB_NAME : base_name(g_job_file.full_path);
      attachment = path_join(temp_folder(), name);
      if (write_job_to_path(attachment) < 0) {
        show_text_box(("The job could not be written for the mail:\n" +
                       cp1252_from_utf8(attachment, '?'))
                          .c_str(),
                      TEXTBOX_WAIT_KEY);
        ++g_form.redraw_level;
        return 0;
      }
      break;
    }
    default: return kind;
  }
  const std::string comment = comment_from_box();
  if (comment != "\x1b") {
    send_mapi_mail(mail_recipient(), MAIL_SUBJECT, comment, attachment, true);
    ++g_form.redraw_level;
  }
  unload_mapi();
  return 0;
}

void reset_mail() { g_mail = MailState(); }
