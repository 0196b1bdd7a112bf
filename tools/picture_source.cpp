#include "tools/picture_source.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/canvas.h"

namespace {

struct SourceError {
  std::string text;
};

using Tokens = std::vector<std::string>;

struct Line {
  int number = 0;
  Tokens tokens;
};

// A command's box: source coordinates from (0, 0) to (span_x, span_y) land in `rect`.
struct Frame {
  CanvasRect rect;
  double span_x = 100;
  double span_y = 100;
  int x(double v) const { return rect.left + static_cast<int>(v * (rect.right - rect.left) / span_x + 0.5); }
  int y(double v) const { return rect.top + static_cast<int>(v * (rect.bottom - rect.top) / span_y + 0.5); }
};

struct Source {
  std::string path;
  const BitmapFont* font = nullptr;
  std::map<std::string, uint32_t> colours;
  std::map<std::string, std::vector<Line>> shapes;
  std::map<int, Surface>* pictures = nullptr;
};

[[noreturn]] void fail(const Source& source, int line, const std::string& what) {
  throw SourceError{source.path + ":" + std::to_string(line) + ": " + what};
}

// Splits a line into words and "quoted texts" (\n in a text breaks it, \" and \\ stand for
// themselves); '#' outside a text starts a comment.
Tokens split_line(const Source& source, int number, const std::string& text) {
  Tokens tokens;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      std::string word;
      ++i;
      while (i < text.size() && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < text.size()) {
          ++i;
          word += text[i] == 'n' ? '\n' : text[i];
        } else {
          word += text[i];
        }
        ++i;
      }
      if (i >= text.size()) fail(source, number, "a text without its closing quote");
      ++i;
      tokens.push_back("\"" + word);  // a leading quote marks a text
    } else {
      const size_t end = text.find_first_of(" \t\r#", i);
      tokens.push_back(text.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? text.size() : end;
    }
  }
  return tokens;
}

bool is_text(const std::string& token) { return !token.empty() && token[0] == '"'; }

double number_of(const Source& source, const Line& line, size_t index) {
  if (index >= line.tokens.size()) fail(source, line.number, "a number is missing");
  const std::string& token = line.tokens[index];
  char* end = nullptr;
  const double value = std::strtod(token.c_str(), &end);
  if (token.empty() || *end != '\0') fail(source, line.number, "not a number: " + token);
  return value;
}

int whole_of(const Source& source, const Line& line, size_t index, int low, int high) {
  const double value = number_of(source, line, index);
  if (value != static_cast<int>(value) || value < low || value > high) {
    fail(source, line.number, "a whole number from " + std::to_string(low) + " to " +
                                  std::to_string(high) + " expected: " + line.tokens[index]);
  }
  return static_cast<int>(value);
}

std::string text_of(const Source& source, const Line& line, size_t index) {
  if (index >= line.tokens.size() || !is_text(line.tokens[index])) {
    fail(source, line.number, "a quoted text is missing");
  }
  return line.tokens[index].substr(1);
}

uint32_t colour_of(const Source& source, const Line& line, size_t index) {
  if (index >= line.tokens.size()) fail(source, line.number, "a colour is missing");
  const std::string& token = line.tokens[index];
  const auto named = source.colours.find(token);
  if (named != source.colours.end()) return named->second;
  char* end = nullptr;
  const unsigned long value = std::strtoul(token.c_str(), &end, 16);
  if (token.size() != 6 || *end != '\0') fail(source, line.number, "not a colour: " + token);
  return static_cast<uint32_t>(value);
}

const FontFace* face_of(const Source& source, const Line& line, size_t index) {
  if (index >= line.tokens.size()) fail(source, line.number, "a face is missing");
  const FontFace* face = font_find_face(*source.font, line.tokens[index]);
  if (face == nullptr) fail(source, line.number, "no such face: " + line.tokens[index]);
  return face;
}

std::vector<CanvasPoint> points_of(const Source& source, const Line& line, const Frame& frame,
                                   size_t min_points) {
  const size_t values = line.tokens.size() - 1;
  if (values % 2 != 0 || values / 2 < min_points) {
    fail(source, line.number, "pairs of coordinates expected");
  }
  std::vector<CanvasPoint> points;
  for (size_t i = 1; i < line.tokens.size(); i += 2) {
    points.push_back({frame.x(number_of(source, line, i)), frame.y(number_of(source, line, i + 1))});
  }
  return points;
}

CanvasRect rect_of(const Source& source, const Line& line, const Frame& frame, size_t first) {
  return CanvasRect{frame.x(number_of(source, line, first)), frame.y(number_of(source, line, first + 1)),
                    frame.x(number_of(source, line, first + 2)),
                    frame.y(number_of(source, line, first + 3))};
}

// Draws text lines centred on x, the first line's top at y.
void draw_centred_text(Canvas* canvas, int x, int y, const std::string& text) {
  std::istringstream lines(text);
  std::string row;
  while (std::getline(lines, row)) {
    const int width = static_cast<int>(row.size()) * canvas->face->cell_width;
    canvas_draw_text(canvas, x - width / 2, y, row);
    y += canvas->face->cell_height;
  }
}

void draw_commands(const Source& source, const std::vector<Line>& lines, Canvas* canvas,
                   const Frame& frame, int depth);

// One drawing command of a shape or scene.
void draw_command(const Source& source, const Line& line, Canvas* canvas, const Frame& frame,
                  int depth) {
  const std::string& word = line.tokens[0];
  if (word == "pen") {
    canvas->pen.colour = colour_of(source, line, 1);
    canvas->text_colour = canvas->pen.colour;
    canvas->pen.width = line.tokens.size() > 2 ? whole_of(source, line, 2, 1, 20) : 1;
  } else if (word == "brush") {
    if (line.tokens.size() > 1 && line.tokens[1] == "none") {
      canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
    } else {
      canvas->brush.kind = CANVAS_BRUSH_SOLID;
      canvas->brush.colour = colour_of(source, line, 1);
    }
  } else if (word == "line") {
    const std::vector<CanvasPoint> points = points_of(source, line, frame, 2);
    canvas_draw_polyline(canvas, points);
    // A thin polyline leaves out its last point; a drawing wants it.
    if (canvas->pen.width <= 1) canvas_set_pixel(canvas, points.back().x, points.back().y, canvas->pen.colour);
  } else if (word == "polygon") {
    canvas_draw_polygon(canvas, points_of(source, line, frame, 3));
  } else if (word == "rect") {
    canvas_draw_rect(canvas, rect_of(source, line, frame, 1));
  } else if (word == "ellipse") {
    canvas_draw_ellipse(canvas, rect_of(source, line, frame, 1));
  } else if (word == "text") {
    canvas->face = face_of(source, line, 3);
    canvas->text_opaque = false;
    const int x = frame.x(number_of(source, line, 1));
    const int y = frame.y(number_of(source, line, 2));
    draw_centred_text(canvas, x, y, text_of(source, line, 4));
  } else if (word == "use") {
    const auto shape = source.shapes.find(line.tokens.size() > 1 ? line.tokens[1] : "");
    if (shape == source.shapes.end()) fail(source, line.number, "no such shape");
    if (depth > 8) fail(source, line.number, "shapes used too deep");
    Frame inner;
    inner.rect = rect_of(source, line, frame, 2);
    draw_commands(source, shape->second, canvas, inner, depth + 1);
  } else {
    fail(source, line.number, "unknown drawing command: " + word);
  }
}

void draw_commands(const Source& source, const std::vector<Line>& lines, Canvas* canvas,
                   const Frame& frame, int depth) {
  const CanvasKeep keep(canvas);
  for (const Line& line : lines) draw_command(source, line, canvas, frame, depth);
}

void start_canvas(const Source& source, Surface* surface, Canvas* canvas, uint32_t background) {
  std::fill(surface->pixels.begin(), surface->pixels.end(), background);
  canvas_init(canvas, surface);
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->text_opaque = false;
  canvas->face = source.font->faces.empty() ? nullptr : &source.font->faces.front();
}

struct MenuLayout {
  int rows = 0, columns = 0, cell_width = 0, cell_height = 0, header = 0;
  std::string title;
  const FontFace* face = nullptr;
  bool stretch = false;  // shapes fill their cell instead of keeping square
};

// A picture menu: the header band with its title, then each cell framed, its shape above its label.
void draw_menu(const Source& source, const MenuLayout& menu, const std::vector<Line>& cells,
               Surface* surface) {
  Canvas canvas;
  start_canvas(source, surface, &canvas, source.colours.at("paper"));
  if (menu.header > 0) {
    canvas.brush.kind = CANVAS_BRUSH_SOLID;
    canvas.brush.colour = source.colours.at("band");
    canvas_fill_rect(&canvas, CanvasRect{0, 0, surface->width, menu.header});
    canvas.face = menu.face;
    canvas.text_colour = source.colours.at("band_text");
    draw_centred_text(&canvas, surface->width / 2, (menu.header - menu.face->cell_height) / 2,
                      menu.title);
  }
  for (size_t n = 0; n < cells.size(); ++n) {
    const Line& cell = cells[n];
    const int left = static_cast<int>(n) % menu.columns * menu.cell_width;
    const int top = menu.header + static_cast<int>(n) / menu.columns * menu.cell_height;
    canvas.pen = CanvasPen{};
    canvas.pen.colour = source.colours.at("rule");
    canvas.brush.kind = CANVAS_BRUSH_HOLLOW;
    canvas_draw_rect(&canvas, CanvasRect{left, top, left + menu.cell_width, top + menu.cell_height});
    const std::string label = cell.tokens.size() > 2 ? text_of(source, cell, 2) : "";
    const int label_lines = label.empty() ? 0 : 1 + static_cast<int>(std::count(label.begin(), label.end(), '\n'));
    const int label_top = top + menu.cell_height - 3 - label_lines * menu.face->cell_height;
    if (cell.tokens[1] != "-") {
      const auto shape = source.shapes.find(cell.tokens[1]);
      if (shape == source.shapes.end()) fail(source, cell.number, "no such shape: " + cell.tokens[1]);
      const int side = std::min(menu.cell_width - 8, label_top - top - 6);
      if (side < 8) fail(source, cell.number, "no room for the shape in the cell");
      Frame frame;
      frame.rect = menu.stretch ? CanvasRect{left + 4, top + 4, left + menu.cell_width - 4, label_top - 2}
                                : CanvasRect{left + (menu.cell_width - side) / 2, top + 4,
                                             left + (menu.cell_width + side) / 2, top + 4 + side};
      draw_commands(source, shape->second, &canvas, frame, 0);
    }
    canvas.face = menu.face;
    canvas.text_colour = source.colours.at("ink");
    draw_centred_text(&canvas, left + menu.cell_width / 2, label_top, label);
  }
}

// Reads the lines up to `end` into a block.
std::vector<Line> read_block(const Source& source, const std::vector<Line>& lines, size_t* i) {
  const int start = lines[*i].number;
  std::vector<Line> block;
  for (++*i; *i < lines.size(); ++*i) {
    if (lines[*i].tokens[0] == "end") return block;
    block.push_back(lines[*i]);
  }
  fail(source, start, "a block without its end");
}

void add_picture(Source& source, const Line& line, int number, Surface&& surface) {
  if (source.pictures->count(number) != 0) {
    fail(source, line.number, "picture " + std::to_string(number) + " given twice");
  }
  (*source.pictures)[number] = std::move(surface);
}

void read_menu(Source& source, const Line& line, const std::vector<Line>& cells) {
  // menu NUMBER ROWS x COLUMNS cell WIDTH x HEIGHT [header PIXELS "title"] [face NAME]
  const int number = whole_of(source, line, 1, 0, 32767);
  MenuLayout menu;
  menu.rows = whole_of(source, line, 2, 1, 64);
  menu.columns = whole_of(source, line, 4, 1, 64);
  if (line.tokens.size() < 9 || line.tokens[3] != "x" || line.tokens[5] != "cell" || line.tokens[7] != "x") {
    fail(source, line.number, "menu NUMBER ROWS x COLUMNS cell WIDTH x HEIGHT expected");
  }
  menu.cell_width = whole_of(source, line, 6, 8, 1024);
  menu.cell_height = whole_of(source, line, 8, 8, 1024);
  menu.face = font_find_face(*source.font, "qx6x10");
  for (size_t i = 9; i < line.tokens.size(); ++i) {
    if (line.tokens[i] == "header") {
      menu.header = whole_of(source, line, i + 1, 1, 1024);
      menu.title = text_of(source, line, i + 2);
      i += 2;
    } else if (line.tokens[i] == "face") {
      menu.face = face_of(source, line, i + 1);
      ++i;
    } else if (line.tokens[i] == "stretch") {
      menu.stretch = true;
    } else {
      fail(source, line.number, "unknown menu field: " + line.tokens[i]);
    }
  }
  if (menu.face == nullptr) fail(source, line.number, "the interface font lacks its faces");
  for (const Line& cell : cells) {
    if (cell.tokens[0] != "cell" || cell.tokens.size() < 2) fail(source, cell.number, "cell SHAPE \"label\" expected");
  }
  if (cells.size() != static_cast<size_t>(menu.rows * menu.columns)) {
    fail(source, line.number, "the menu has " + std::to_string(cells.size()) + " cells, its grid " +
                                  std::to_string(menu.rows * menu.columns));
  }
  Surface surface;
  surface_resize(&surface, menu.columns * menu.cell_width, menu.header + menu.rows * menu.cell_height);
  draw_menu(source, menu, cells, &surface);
  add_picture(source, line, number, std::move(surface));
}

void read_scene(Source& source, const Line& line, const std::vector<Line>& commands) {
  // scene NUMBER WIDTH x HEIGHT [background COLOUR]
  const int number = whole_of(source, line, 1, 0, 32767);
  if (line.tokens.size() < 5 || line.tokens[3] != "x") fail(source, line.number, "scene NUMBER WIDTH x HEIGHT expected");
  Surface surface;
  surface_resize(&surface, whole_of(source, line, 2, 1, 4096), whole_of(source, line, 4, 1, 4096));
  const uint32_t background = line.tokens.size() > 6 && line.tokens[5] == "background"
                                  ? colour_of(source, line, 6)
                                  : source.colours.at("paper");
  Canvas canvas;
  start_canvas(source, &surface, &canvas, background);
  Frame frame;
  frame.rect = CanvasRect{0, 0, surface.width, surface.height};
  frame.span_x = surface.width;
  frame.span_y = surface.height;
  draw_commands(source, commands, &canvas, frame, 0);
  add_picture(source, line, number, std::move(surface));
}

// A picture drawn as text: one quoted row a line, top row first; 'X' is black, 'o' white and
// any other character the see-through colour; short rows and missing rows are see-through.
void read_art(Source& source, const Line& line, const std::vector<Line>& rows) {
  // art NUMBER WIDTH x HEIGHT
  const int number = whole_of(source, line, 1, 0, 32767);
  if (line.tokens.size() != 5 || line.tokens[3] != "x") fail(source, line.number, "art NUMBER WIDTH x HEIGHT expected");
  Surface surface;
  surface_resize(&surface, whole_of(source, line, 2, 1, 256), whole_of(source, line, 4, 1, 256));
  std::fill(surface.pixels.begin(), surface.pixels.end(), PICTURE_SEE_THROUGH);
  if (rows.size() > static_cast<size_t>(surface.height)) fail(source, line.number, "more rows than the height");
  for (size_t y = 0; y < rows.size(); ++y) {
    const std::string row = rows[y].tokens.size() == 1 ? text_of(source, rows[y], 0) : std::string();
    if (rows[y].tokens.size() != 1) fail(source, rows[y].number, "one quoted row expected");
    if (row.size() > static_cast<size_t>(surface.width)) fail(source, rows[y].number, "a row wider than the picture");
    for (size_t x = 0; x < row.size(); ++x) {
      if (row[x] == 'X' || row[x] == 'o') {
        surface.pixels[y * static_cast<size_t>(surface.width) + x] = row[x] == 'o' ? 0xFFFFFFu : 0u;
      }
    }
  }
  add_picture(source, line, number, std::move(surface));
}

void read_source(Source& source, const std::string& text) {
  std::vector<Line> lines;
  std::istringstream in(text);
  std::string row;
  for (int number = 1; std::getline(in, row); ++number) {
    Tokens tokens = split_line(source, number, row);
    if (!tokens.empty()) lines.push_back(Line{number, std::move(tokens)});
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const std::string& word = line.tokens[0];
    if (word == "colour") {
      if (line.tokens.size() != 3) fail(source, line.number, "colour NAME RRGGBB expected");
      source.colours[line.tokens[1]] = colour_of(source, line, 2);
    } else if (word == "shape") {
      if (line.tokens.size() != 2) fail(source, line.number, "shape NAME expected");
      if (source.shapes.count(line.tokens[1]) != 0) fail(source, line.number, "shape given twice");
      const std::string name = line.tokens[1];
      source.shapes[name] = read_block(source, lines, &i);
    } else if (word == "art") {
      read_art(source, line, read_block(source, lines, &i));
    } else if (word == "menu" || word == "scene") {
      for (const char* needed : {"paper", "band", "band_text", "rule", "ink"}) {
        if (source.colours.count(needed) == 0) fail(source, line.number, std::string("colour ") + needed + " is not named");
      }
      const std::vector<Line> block = read_block(source, lines, &i);
      if (word == "menu") {
        read_menu(source, line, block);
      } else {
        read_scene(source, line, block);
      }
    } else {
      fail(source, line.number, "unknown line: " + word);
    }
  }
}

}  // namespace

bool render_picture_source(const std::string& text, const std::string& path,
                           const BitmapFont& font, std::map<int, Surface>* pictures,
                           std::string* error) {
  std::map<int, Surface> made;
  Source source;
  source.path = path;
  source.font = &font;
  source.pictures = &made;
  try {
    read_source(source, text);
  } catch (const SourceError& e) {
    *error = e.text;
    return false;
  }
  *pictures = std::move(made);
  return true;
}
