// Judges of printed PDF files: poppler's command-line tools run on a file and their answers read
// back (page count and size, text with its layout or word boxes, the embedded pictures).
#pragma once

#include <array>
#include <cstdio>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// What a command wrote on its standard output; *status its exit status.
inline std::string run_and_read(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> chunk;
  size_t got = 0;
  while ((got = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) out.append(chunk.data(), got);
  const int s = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

inline std::string shell_quoted(const std::string& path) { return "'" + path + "'"; }

struct PdfInfo {
  int pages = 0;
  double width_pt = 0;
  double height_pt = 0;
};

inline PdfInfo read_pdf_info(const std::string& path) {
  PdfInfo info;
  const std::string text = run_and_read("pdfinfo " + shell_quoted(path) + " 2>/dev/null");
  std::smatch m;
  if (std::regex_search(text, m, std::regex(R"(Pages:\s+(\d+))"))) info.pages = std::stoi(m[1]);
  if (std::regex_search(text, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"))) {
    info.width_pt = std::stod(m[1]);
    info.height_pt = std::stod(m[2]);
  }
  return info;
}

// The text of pages first..last (0: all), laid out as it stands on the page, one string a page.
inline std::vector<std::string> read_pdf_pages(const std::string& path) {
  const std::string text = run_and_read("pdftotext -layout " + shell_quoted(path) + " - 2>/dev/null");
  std::vector<std::string> pages;
  std::string page;
  for (const char c : text) {
    if (c == '\f') {
      pages.push_back(page);
      page.clear();
    } else {
      page += c;
    }
  }
  return pages;
}

inline std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

struct PdfWord {
  int page = 0;  // from 1
  double x_min = 0, y_min = 0, x_max = 0, y_max = 0;  // points, y down
  std::string text;
};

inline std::vector<PdfWord> read_pdf_words(const std::string& path) {
  const std::string html = run_and_read("pdftotext -bbox " + shell_quoted(path) + " - 2>/dev/null");
  std::vector<PdfWord> words;
  int page = 0;
  const std::regex word_re(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  for (const std::string& line : split_lines(html)) {
    if (line.find("<page ") != std::string::npos) ++page;
    std::smatch m;
    if (std::regex_search(line, m, word_re)) {
      words.push_back({page, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]),
                       m[5]});
    }
  }
  return words;
}

struct PdfImage {
  int page = 0;
  int width = 0;
  int height = 0;
  std::string colour;  // "gray", "rgb", ...
  int bits = 0;        // bits per component
};

inline std::vector<PdfImage> read_pdf_images(const std::string& path) {
  std::vector<PdfImage> images;
  const std::string text = run_and_read("pdfimages -list " + shell_quoted(path) + " 2>/dev/null");
  const std::vector<std::string> lines = split_lines(text);
  for (size_t i = 2; i < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    PdfImage image;
    int number = 0;
    std::string type;
    int components = 0;
    in >> image.page >> number >> type >> image.width >> image.height >> image.colour >>
        components >> image.bits;
    if (in && type == "image") images.push_back(image);
  }
  return images;
}

// A page rendered back by pdftoppm as an 8-bit grey picture.
struct GreyPage {
  int width = 0;
  int height = 0;
  std::string pixels;
  int at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return -1;
    return static_cast<uint8_t>(pixels[static_cast<size_t>(y) * width + x]);
  }
};

// Page `page` (from 1) at `dpi`; empty when poppler could not render it.
inline GreyPage render_grey_page(const std::string& pdf, int page, int dpi,
                                 const std::string& out_stem) {
  run_and_read("pdftoppm -r " + std::to_string(dpi) + " -gray -f " + std::to_string(page) +
               " -l " + std::to_string(page) + " -singlefile " + shell_quoted(pdf) + " " +
               shell_quoted(out_stem));
  GreyPage grey;
  FILE* f = fopen((out_stem + ".pgm").c_str(), "rb");
  if (f == nullptr) return grey;
  int max_value = 0;
  if (fscanf(f, "P5 %d %d %d", &grey.width, &grey.height, &max_value) == 3) {
    fgetc(f);
    grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
    if (fread(grey.pixels.data(), 1, grey.pixels.size(), f) != grey.pixels.size()) grey = GreyPage();
  }
  fclose(f);
  return grey;
}
