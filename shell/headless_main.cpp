// brenvik-headless: the whole program on the headless backend, driven by a script of user
// actions (see HEADLESS_SCRIPT_HELP). The script is fed from the application's idle handler:
// each time the program waits for input with nothing pending, the next commands run.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <utility>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "shell/headless_script.h"
#include "shell/startup.h"

namespace {

constexpr int DEFAULT_WIDTH = 1024;
constexpr int DEFAULT_HEIGHT = 768;
// Virtual time the program has to end after the script closed its window.
constexpr uint32_t END_GRACE_MS = 60000;
// A capture asks the next two readings of the mouse to start over; the runner answers with moves
// that go nowhere, at most this many times for one capture.
constexpr int SETTLE_MOVES_MOST = 3;
constexpr int IDLE_POSTS_SKIPPED_MOST = 3;

enum ExitCode {
  EXIT_OK = 0,
  EXIT_USAGE = 1,
  EXIT_ENDED_EARLY = 2,
  EXIT_DID_NOT_END = 3,
  EXIT_EXPECT_FAILED = 4,
  EXIT_OUTPUT_FAILED = 5,
};

struct Runner {
  std::vector<ScriptCommand> commands;
  size_t next = 0;             // the command to run next
  bool waiting = false;        // a wait command is under way
  uint32_t wait_started_ms = 0;
  int settle_moves = 0;        // settling moves made for the present capture
  bool closing = false;        // the script ended and the runner closed the window
  uint32_t closing_started_ms = 0;
  std::string out_folder = ".";
  bool expect_failed = false;
  bool output_failed = false;
  int idle_posts_skipped = 0;  // idle calls in a row that left the program a code to read
};
Runner g_runner;

const FontFace* dump_face(const std::string& name) {
  // The faces' roles in the current display mode, for scripts that work in every mode.
  constexpr std::pair<const char*, FaceRole> ROLES[] = {{"normal", FACE_ROLE_NORMAL},
                                                        {"menu", FACE_ROLE_MENU},
                                                        {"small", FACE_ROLE_SMALL},
                                                        {"tiny", FACE_ROLE_TINY}};
  for (const auto& [role_name, role] : ROLES)
    if (name == role_name) return interface_face(g_display.presets[role].face_index);
  if (!name.empty()) return font_find_face(g_display.font, name);
  return interface_face(g_display.presets[FACE_ROLE_NORMAL].face_index);
}

void report(const ScriptCommand& command, const std::string& text) {
  std::fprintf(stderr, "brenvik-headless: line %d: %s\n", command.line, text.c_str());
}

void write_png(const ScriptCommand& command) {
  const std::string path = path_join(g_runner.out_folder, command.text + ".png");
  std::string error;
  if (!headless_write_png(*window_surface(), path, &error)) {
    report(command, "cannot write " + path + ": " + error);
    g_runner.output_failed = true;
  }
}

void write_dump(const ScriptCommand& command) {
  const std::string path = path_join(g_runner.out_folder, command.text + ".txt");
  const FontFace* face = dump_face(command.face);
  if (face == nullptr) {
    report(command, "no face " + (command.face.empty() ? "for the normal text" : command.face));
    g_runner.output_failed = true;
    return;
  }
  std::ofstream file(path, std::ios::binary);
  file << dump_screen_cells(*window_surface(), *face);
  if (!file.flush()) {
    report(command, "cannot write " + path);
    g_runner.output_failed = true;
  }
}

void check_expect(const ScriptCommand& command) {
  const FontFace* face = dump_face(command.face);
  if (face == nullptr) {
    report(command, "no face for the normal text");
    g_runner.expect_failed = true;
    return;
  }
  // The expected text counts characters, the dump cells: read as many cells as it has
  // characters (UTF-8 continuation bytes are no characters).
  int cells = 0;
  for (char c : command.text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++cells;
  const std::string found = dump_row_cells(*window_surface(), *face, command.y, command.x, cells);
  if (found != command.text) {
    report(command, "expected \"" + command.text + "\" at row " + std::to_string(command.y) +
                        ", column " + std::to_string(command.x) + ", found \"" + found + "\"");
    g_runner.expect_failed = true;
  }
}

void check_expect_pixel(const ScriptCommand& command) {
  const Surface& screen = *window_surface();
  if (command.x < 0 || command.y < 0 || command.x >= screen.width || command.y >= screen.height) {
    report(command, "pixel " + std::to_string(command.x) + "," + std::to_string(command.y) +
                        " lies outside the screen");
    g_runner.expect_failed = true;
    return;
  }
  const uint32_t found =
      screen.pixels[static_cast<size_t>(command.y) * screen.width + command.x] & 0xFFFFFF;
  bool near = found == static_cast<uint32_t>(command.amount);
  for (int y = command.y - command.within; y <= command.y + command.within && !near; ++y)
    for (int x = command.x - command.within; x <= command.x + command.within && !near; ++x)
      near = x >= 0 && y >= 0 && x < screen.width && y < screen.height &&
             (screen.pixels[static_cast<size_t>(y) * screen.width + x] & 0xFFFFFF) ==
                 static_cast<uint32_t>(command.amount);
  if (!near) {
    char text[96];
    std::snprintf(text, sizeof text, "expected pixel %06X at %d,%d, found %06X", command.amount,
                  command.x, command.y, found);
    report(command, text);
    g_runner.expect_failed = true;
  }
}

void check_expect_text(const ScriptCommand& command) {
  const FontFace* face = dump_face(command.face);
  if (face == nullptr) {
    report(command, "no face " + command.face);
    g_runner.expect_failed = true;
    return;
  }
  int cells = 0;
  for (char c : command.text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++cells;
  const std::string found =
      dump_cells_at_pixel(*window_surface(), *face, command.x, command.y, cells);
  if (found != command.text) {
    report(command, "expected \"" + command.text + "\" at pixel " + std::to_string(command.x) +
                        "," + std::to_string(command.y) + " in " + command.face + ", found \"" +
                        found + "\"");
    g_runner.expect_failed = true;
  }
}

void inject_key(const ScriptCommand& command) {
  constexpr int MODIFIERS[3][2] = {
      {WINDOW_MOD_SHIFT, VK_SHIFT}, {WINDOW_MOD_CTRL, VK_CONTROL}, {WINDOW_MOD_ALT, VK_MENU}};
  int held = 0;
  for (const auto& m : MODIFIERS) {
    if ((command.mods & m[0]) == 0) continue;
    held |= m[0];
    headless_inject_key_down(m[1], held);
  }
  headless_inject_key_down(command.key, held);
  const char character = key_character(command.key, command.mods);
  if (character != 0) headless_inject_text(std::string(1, character));
  headless_inject_key_up(command.key, held);
  for (int i = 2; i >= 0; --i) {
    if ((command.mods & MODIFIERS[i][0]) == 0) continue;
    held &= ~MODIFIERS[i][0];
    headless_inject_key_up(MODIFIERS[i][1], held);
  }
}

// Runs an input command: its events are injected for the program to take.
void inject(const ScriptCommand& command) {
  switch (command.kind) {
    case SCRIPT_KEY: inject_key(command); break;
    case SCRIPT_TYPE: headless_inject_text(command.text); break;
    case SCRIPT_MOVE: headless_inject_mouse_move(command.x, command.y); break;
    case SCRIPT_CLICK:
      headless_inject_mouse_move(command.x, command.y);
      headless_inject_mouse_button(command.button, true, command.x, command.y);
      headless_inject_mouse_button(command.button, false, command.x, command.y);
      break;
    case SCRIPT_PRESS:
    case SCRIPT_RELEASE:
      headless_inject_mouse_move(command.x, command.y);
      headless_inject_mouse_button(command.button, command.kind == SCRIPT_PRESS, command.x,
                                   command.y);
      break;
    case SCRIPT_WHEEL:
      headless_inject_mouse_move(command.x, command.y);
      headless_inject_wheel(command.amount);
      break;
    case SCRIPT_RESIZE: headless_inject_resize(command.x, command.y); break;
    case SCRIPT_CLOSE: headless_inject_close(); break;
    case SCRIPT_FOCUS: headless_inject_focus(command.amount != 0); break;
    default: break;
  }
}

// A captured pointer takes the next readings of the mouse as its new reference; a move that
// goes nowhere uses them up, so that the script's next move is motion the program sees.
bool settle_pointer() {
  if (g_pointer.released || g_pointer.capture_reset_count == 0) {
    g_runner.settle_moves = 0;
    return false;
  }
  if (g_runner.settle_moves >= SETTLE_MOVES_MOST) return false;
  ++g_runner.settle_moves;
  int x = 0;
  int y = 0;
  cursor_get_position(&x, &y);
  headless_inject_mouse_move(x, y);
  return true;
}

// At the script's end: the window is closed once, and the program must then end soon.
bool close_after_script() {
  if (!g_runner.closing) {
    g_runner.closing = true;
    g_runner.closing_started_ms = clock_now_ms();
    headless_inject_close();
    return true;
  }
  if (clock_now_ms() - g_runner.closing_started_ms > END_GRACE_MS) {
    std::fprintf(stderr,
                 "brenvik-headless: the program did not end after the script closed its window\n");
    std::exit(EXIT_DID_NOT_END);
  }
  return false;
}

// Runs commands until one hands the program work (true) or has to let time pass (false).
bool feed_script() {
  if (settle_pointer()) return true;
  while (g_runner.next < g_runner.commands.size()) {
    const ScriptCommand& command = g_runner.commands[g_runner.next];
    switch (command.kind) {
      case SCRIPT_WAIT:
        if (!g_runner.waiting) {
          g_runner.waiting = true;
          g_runner.wait_started_ms = clock_now_ms();
        }
        if (clock_now_ms() - g_runner.wait_started_ms < static_cast<uint32_t>(command.amount))
          return false;
        g_runner.waiting = false;
        ++g_runner.next;
        break;
      case SCRIPT_PNG: write_png(command); ++g_runner.next; break;
      case SCRIPT_DUMP: write_dump(command); ++g_runner.next; break;
      case SCRIPT_SNAP:
        write_png(command);
        write_dump(command);
        ++g_runner.next;
        break;
      case SCRIPT_EXPECT: check_expect(command); ++g_runner.next; break;
      case SCRIPT_EXPECT_PIXEL: check_expect_pixel(command); ++g_runner.next; break;
      case SCRIPT_EXPECT_TEXT: check_expect_text(command); ++g_runner.next; break;
      default:
        inject(command);
        ++g_runner.next;
        return true;
    }
  }
  return close_after_script();
}

// The program's own idle handler first; the script is fed while the program waits for input.
// When the idle handler posted a code (a resize's redraw), the program takes it first, so that
// the next command meets the screen redrawn; a program that keeps ignoring such codes is fed
// all the same after a few idle calls.
bool runner_idle() {
  if (g_form.idle_state > 0) return app_idle();
  const bool ended = app_idle();
  if (pending_input_count() > 0 && g_runner.idle_posts_skipped < IDLE_POSTS_SKIPPED_MOST) {
    ++g_runner.idle_posts_skipped;
    return ended;
  }
  g_runner.idle_posts_skipped = 0;
  const bool fed = feed_script();
  return ended || fed;
}

struct Options {
  std::string script_path;
  std::string folder;
  int width = DEFAULT_WIDTH;
  int height = DEFAULT_HEIGHT;
  int screen_width = 0;  // the monitor; 0: as large as the window
  int screen_height = 0;
};

bool parse_size(const std::string& text, int* width, int* height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  *width = std::atoi(text.substr(0, x).c_str());
  *height = std::atoi(text.substr(x + 1).c_str());
  return *width > 0 && *height > 0;
}

// 0 to run, else the exit code.
int parse_options(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--help") {
      std::fputs(HEADLESS_SCRIPT_HELP, stdout);
      return -1;
    } else if (arg == "--out" && has_value) {
      g_runner.out_folder = argv[++i];
    } else if (arg == "--folder" && has_value) {
      options->folder = argv[++i];
    } else if (arg == "--size" && has_value) {
      if (!parse_size(argv[++i], &options->width, &options->height)) {
        std::fprintf(stderr, "brenvik-headless: --size needs WxH, such as 1024x768\n");
        return EXIT_USAGE;
      }
    } else if (arg == "--screen" && has_value) {
      if (!parse_size(argv[++i], &options->screen_width, &options->screen_height)) {
        std::fprintf(stderr, "brenvik-headless: --screen needs WxH, such as 1280x1024\n");
        return EXIT_USAGE;
      }
    } else if (!arg.empty() && arg[0] != '-' && options->script_path.empty()) {
      options->script_path = arg;
    } else {
      std::fprintf(stderr, "brenvik-headless: unknown option %s (see --help)\n", arg.c_str());
      return EXIT_USAGE;
    }
  }
  if (options->script_path.empty()) {
    std::fprintf(stderr, "brenvik-headless: no script (see --help)\n");
    return EXIT_USAGE;
  }
  return 0;
}

bool read_script(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "brenvik-headless: cannot read %s\n", path.c_str());
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  std::string error;
  if (!parse_script(text.str(), &g_runner.commands, &error)) {
    std::fprintf(stderr, "brenvik-headless: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = parse_options(argc, argv, &options);
  if (parsed < 0) return EXIT_OK;
  if (parsed > 0) return parsed;
  if (!read_script(options.script_path)) return EXIT_USAGE;
  if (!options.folder.empty()) set_program_folder_for_tests(options.folder);
  // The runner bounds the run itself; a long wait of the script is no forgotten input.
  headless_set_idle_limit(std::numeric_limits<uint64_t>::max());
  headless_inject_focus(true);
  // One monitor, the window's size unless --screen says otherwise: the display mode falls back
  // to what fits it.
  const WindowRect monitor{0, 0, options.screen_width > 0 ? options.screen_width : options.width,
                           options.screen_height > 0 ? options.screen_height : options.height};
  headless_set_displays({{monitor, monitor}});
  run_application(options.width, options.height, runner_idle);
  if (g_runner.next < g_runner.commands.size()) {
    std::fprintf(stderr, "brenvik-headless: the program ended before line %d of the script\n",
                 g_runner.commands[g_runner.next].line);
    return EXIT_ENDED_EARLY;
  }
  if (g_runner.output_failed) return EXIT_OUTPUT_FAILED;
  if (g_runner.expect_failed) return EXIT_EXPECT_FAILED;
  return EXIT_OK;
}
