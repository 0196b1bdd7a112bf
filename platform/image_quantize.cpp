// Reducing an image to a palette: an image with few enough colours keeps them exactly; any other
// gets a palette chosen by splitting the colour cube where the split lowers the squared error
// most (boxes over a 32-level histogram, split by their moments), refined by a few rounds of
// moving each colour to the mean of the histogram cells nearest to it. Every pixel then takes the
// nearest palette colour, found once per distinct colour.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/image_internal.h"

namespace {

constexpr int QUANT_SIDE = 33;  // 32 levels per channel and a zero plane for the sums
constexpr int QUANT_CELLS = QUANT_SIDE * QUANT_SIDE * QUANT_SIDE;
constexpr int QUANT_REFINE_ROUNDS = 4;
constexpr size_t QUANT_EXACT_SLOTS = 1024;  // open hash of the exact path; holds 256 easily

inline int cell_of(int r, int g, int b) { return (r * QUANT_SIDE + g) * QUANT_SIDE + b; }

// Calls visit(red, green, blue, count) for every pixel, or for every palette entry with its
// pixel count.
template <class Visit>
void visit_colours(const ImagePixels& image, Visit visit) {
  if (image.bits == 24) {
    for (int y = 0; y < image.height; ++y) {
      const uint8_t* row = image_row(image, y);
      for (int x = 0; x < image.width; ++x) visit(row[3 * x + 2], row[3 * x + 1], row[3 * x], 1);
    }
    return;
  }
  std::array<int64_t, 256> counts = {};
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image_row(image, y);
    for (int x = 0; x < image.width; ++x) {
      ++counts[image.bits == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1 : row[x]];
    }
  }
  for (int i = 0; i < 256; ++i) {
    if (counts[i] == 0) continue;
    const uint32_t c = static_cast<size_t>(i) < image.palette.size() ? image.palette[i] : 0;
    visit((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, counts[i]);
  }
}

// ---- The exact path ----------------------------------------------------------------------------

struct ExactColours {
  std::array<uint32_t, QUANT_EXACT_SLOTS> keys = {};  // colour + 1; 0 = empty slot
  std::array<uint8_t, QUANT_EXACT_SLOTS> index = {};
  std::vector<uint32_t> palette;
};

size_t slot_of(const ExactColours& table, uint32_t colour) {
  size_t slot = (colour * 2654435761u) % QUANT_EXACT_SLOTS;
  while (table.keys[slot] != 0 && table.keys[slot] != colour + 1) slot = (slot + 1) % QUANT_EXACT_SLOTS;
  return slot;
}

// False when the image holds more than `limit` colours.
bool collect_exact(const ImagePixels& image, int limit, ExactColours* table) {
  bool fits = true;
  visit_colours(image, [&](uint32_t r, uint32_t g, uint32_t b, int64_t) {
    if (!fits) return;
    const uint32_t colour = (r << 16) | (g << 8) | b;
    const size_t slot = slot_of(*table, colour);
    if (table->keys[slot] != 0) return;
    if (static_cast<int>(table->palette.size()) == limit) {
      fits = false;
      return;
    }
    table->keys[slot] = colour + 1;
    table->index[slot] = static_cast<uint8_t>(table->palette.size());
    table->palette.push_back(colour);
  });
  return fits;
}

// ---- Choosing the palette ----------------------------------------------------------------------

struct Box {
  int r0, r1, g0, g1, b0, b1;  // exclusive lower, inclusive upper cell bounds
};

struct Histogram {
  std::vector<int64_t> weight, red, green, blue, squares;  // cumulative after sum_moments
  std::vector<int64_t> cell_weight, cell_red, cell_green, cell_blue;  // per cell, as counted
};

void count_colours(const ImagePixels& image, Histogram* h) {
  for (auto* v : {&h->weight, &h->red, &h->green, &h->blue, &h->squares}) v->assign(QUANT_CELLS, 0);
  visit_colours(image, [h](uint32_t r, uint32_t g, uint32_t b, int64_t count) {
    const int cell = cell_of(static_cast<int>(r >> 3) + 1, static_cast<int>(g >> 3) + 1, static_cast<int>(b >> 3) + 1);
    h->weight[cell] += count;
    h->red[cell] += count * r;
    h->green[cell] += count * g;
    h->blue[cell] += count * b;
    h->squares[cell] += count * static_cast<int64_t>(r * r + g * g + b * b);
  });
  h->cell_weight = h->weight;
  h->cell_red = h->red;
  h->cell_green = h->green;
  h->cell_blue = h->blue;
}

// Turns the counts into sums over the box from the origin to each cell.
void sum_moments(Histogram* h) {
  for (int r = 1; r < QUANT_SIDE; ++r) {
    std::array<int64_t, QUANT_SIDE> area_w = {}, area_r = {}, area_g = {}, area_b = {}, area_2 = {};
    for (int g = 1; g < QUANT_SIDE; ++g) {
      int64_t line_w = 0, line_r = 0, line_g = 0, line_b = 0, line_2 = 0;
      for (int b = 1; b < QUANT_SIDE; ++b) {
        const int here = cell_of(r, g, b);
        const int below = here - QUANT_SIDE * QUANT_SIDE;
        line_w += h->weight[here];
        line_r += h->red[here];
        line_g += h->green[here];
        line_b += h->blue[here];
        line_2 += h->squares[here];
        area_w[b] += line_w;
        area_r[b] += line_r;
        area_g[b] += line_g;
        area_b[b] += line_b;
        area_2[b] += line_2;
        h->weight[here] = h->weight[below] + area_w[b];
        h->red[here] = h->red[below] + area_r[b];
        h->green[here] = h->green[below] + area_g[b];
        h->blue[here] = h->blue[below] + area_b[b];
        h->squares[here] = h->squares[below] + area_2[b];
      }
    }
  }
}

int64_t volume(const Box& c, const std::vector<int64_t>& m) {
  return m[cell_of(c.r1, c.g1, c.b1)] - m[cell_of(c.r1, c.g1, c.b0)] - m[cell_of(c.r1, c.g0, c.b1)] +
         m[cell_of(c.r1, c.g0, c.b0)] - m[cell_of(c.r0, c.g1, c.b1)] + m[cell_of(c.r0, c.g1, c.b0)] +
         m[cell_of(c.r0, c.g0, c.b1)] - m[cell_of(c.r0, c.g0, c.b0)];
}

enum Axis { AXIS_RED, AXIS_GREEN, AXIS_BLUE };

// The part of the box's sum that does not move with its upper bound on the axis.
int64_t bottom(const Box& c, Axis axis, const std::vector<int64_t>& m) {
  switch (axis) {
    case AXIS_RED:
      return -m[cell_of(c.r0, c.g1, c.b1)] + m[cell_of(c.r0, c.g1, c.b0)] + m[cell_of(c.r0, c.g0, c.b1)] -
             m[cell_of(c.r0, c.g0, c.b0)];
    case AXIS_GREEN:
      return -m[cell_of(c.r1, c.g0, c.b1)] + m[cell_of(c.r1, c.g0, c.b0)] + m[cell_of(c.r0, c.g0, c.b1)] -
             m[cell_of(c.r0, c.g0, c.b0)];
    default:
      return -m[cell_of(c.r1, c.g1, c.b0)] + m[cell_of(c.r1, c.g0, c.b0)] + m[cell_of(c.r0, c.g1, c.b0)] -
             m[cell_of(c.r0, c.g0, c.b0)];
  }
}

// The part that does, with the upper bound at `at`.
int64_t top(const Box& c, Axis axis, int at, const std::vector<int64_t>& m) {
  switch (axis) {
    case AXIS_RED:
      return m[cell_of(at, c.g1, c.b1)] - m[cell_of(at, c.g1, c.b0)] - m[cell_of(at, c.g0, c.b1)] +
             m[cell_of(at, c.g0, c.b0)];
    case AXIS_GREEN:
      return m[cell_of(c.r1, at, c.b1)] - m[cell_of(c.r1, at, c.b0)] - m[cell_of(c.r0, at, c.b1)] +
             m[cell_of(c.r0, at, c.b0)];
    default:
      return m[cell_of(c.r1, c.g1, at)] - m[cell_of(c.r1, c.g0, at)] - m[cell_of(c.r0, c.g1, at)] +
             m[cell_of(c.r0, c.g0, at)];
  }
}

double variance(const Box& c, const Histogram& h) {
  const double r = static_cast<double>(volume(c, h.red));
  const double g = static_cast<double>(volume(c, h.green));
  const double b = static_cast<double>(volume(c, h.blue));
  const double w = static_cast<double>(volume(c, h.weight));
  if (w <= 0.0) return 0.0;
  return static_cast<double>(volume(c, h.squares)) - (r * r + g * g + b * b) / w;
}

struct Split {
  double gain = 0.0;  // the sum of squared means the two halves reach; the higher the better
  int at = -1;
};

Split best_split(const Box& c, Axis axis, int first, int last, const Histogram& h, const int64_t whole[4]) {
  const int64_t base_r = bottom(c, axis, h.red), base_g = bottom(c, axis, h.green);
  const int64_t base_b = bottom(c, axis, h.blue), base_w = bottom(c, axis, h.weight);
  Split best;
  for (int i = first; i < last; ++i) {
    const double half_r = static_cast<double>(base_r + top(c, axis, i, h.red));
    const double half_g = static_cast<double>(base_g + top(c, axis, i, h.green));
    const double half_b = static_cast<double>(base_b + top(c, axis, i, h.blue));
    const int64_t half_w = base_w + top(c, axis, i, h.weight);
    if (half_w == 0 || half_w == whole[3]) continue;
    const double rest_r = static_cast<double>(whole[0]) - half_r;
    const double rest_g = static_cast<double>(whole[1]) - half_g;
    const double rest_b = static_cast<double>(whole[2]) - half_b;
    const double gain = (half_r * half_r + half_g * half_g + half_b * half_b) / static_cast<double>(half_w) +
                        (rest_r * rest_r + rest_g * rest_g + rest_b * rest_b) / static_cast<double>(whole[3] - half_w);
    if (gain > best.gain) {
      best.gain = gain;
      best.at = i;
    }
  }
  return best;
}

// Splits *box into itself and *other; false when it cannot be split.
bool split_box(Box* box, Box* other, const Histogram& h) {
  const int64_t whole[4] = {volume(*box, h.red), volume(*box, h.green), volume(*box, h.blue), volume(*box, h.weight)};
  const Split red = best_split(*box, AXIS_RED, box->r0 + 1, box->r1, h, whole);
  const Split green = best_split(*box, AXIS_GREEN, box->g0 + 1, box->g1, h, whole);
  const Split blue = best_split(*box, AXIS_BLUE, box->b0 + 1, box->b1, h, whole);
  *other = *box;
  if (red.at >= 0 && red.gain >= green.gain && red.gain >= blue.gain) {
    other->r0 = box->r1 = red.at;
  } else if (green.at >= 0 && green.gain >= blue.gain) {
    other->g0 = box->g1 = green.at;
  } else if (blue.at >= 0) {
    other->b0 = box->b1 = blue.at;
  } else {
    return false;
  }
  return true;
}

struct Centre {
  double r = 0.0, g = 0.0, b = 0.0;
};

std::vector<Centre> choose_centres(const Histogram& h, int colours) {
  std::vector<Box> boxes(static_cast<size_t>(colours));
  std::vector<double> spread(static_cast<size_t>(colours), 0.0);
  boxes[0] = {0, QUANT_SIDE - 1, 0, QUANT_SIDE - 1, 0, QUANT_SIDE - 1};
  int count = 1;
  int next = 0;
  while (count < colours) {
    if (split_box(&boxes[next], &boxes[count], h)) {
      spread[next] = variance(boxes[next], h);
      spread[count] = variance(boxes[count], h);
      ++count;
    } else {
      spread[next] = 0.0;
    }
    next = static_cast<int>(std::max_element(spread.begin(), spread.begin() + count) - spread.begin());
    if (spread[next] <= 0.0) break;
  }
  std::vector<Centre> centres;
  for (int i = 0; i < count; ++i) {
    const double w = static_cast<double>(volume(boxes[i], h.weight));
    if (w <= 0.0) continue;
    centres.push_back({static_cast<double>(volume(boxes[i], h.red)) / w, static_cast<double>(volume(boxes[i], h.green)) / w,
                       static_cast<double>(volume(boxes[i], h.blue)) / w});
  }
  return centres;
}

// Moves each centre to the mean of the histogram cells nearest to it.
void refine_centres(const Histogram& h, std::vector<Centre>* centres) {
  std::vector<int> cells;
  for (int i = 0; i < QUANT_CELLS; ++i) {
    if (h.cell_weight[i] > 0) cells.push_back(i);
  }
  for (int round = 0; round < QUANT_REFINE_ROUNDS; ++round) {
    std::vector<double> sum_r(centres->size(), 0.0), sum_g(centres->size(), 0.0), sum_b(centres->size(), 0.0),
        sum_w(centres->size(), 0.0);
    for (int cell : cells) {
      const double w = static_cast<double>(h.cell_weight[cell]);
      const double r = static_cast<double>(h.cell_red[cell]) / w;
      const double g = static_cast<double>(h.cell_green[cell]) / w;
      const double b = static_cast<double>(h.cell_blue[cell]) / w;
      size_t best = 0;
      double best_distance = 1e30;
      for (size_t k = 0; k < centres->size(); ++k) {
        const Centre& c = (*centres)[k];
        const double d = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
        if (d < best_distance) {
          best_distance = d;
          best = k;
        }
      }
      sum_r[best] += static_cast<double>(h.cell_red[cell]);
      sum_g[best] += static_cast<double>(h.cell_green[cell]);
      sum_b[best] += static_cast<double>(h.cell_blue[cell]);
      sum_w[best] += w;
    }
    for (size_t k = 0; k < centres->size(); ++k) {
      if (sum_w[k] > 0.0) (*centres)[k] = {sum_r[k] / sum_w[k], sum_g[k] / sum_w[k], sum_b[k] / sum_w[k]};
    }
  }
}

// ---- Mapping pixels ----------------------------------------------------------------------------

struct Nearest {
  std::vector<int> red, green, blue;  // the palette, by channel

  explicit Nearest(const std::vector<uint32_t>& palette) {
    for (uint32_t c : palette) {
      red.push_back(static_cast<int>((c >> 16) & 0xFF));
      green.push_back(static_cast<int>((c >> 8) & 0xFF));
      blue.push_back(static_cast<int>(c & 0xFF));
    }
  }

  uint8_t find(int r, int g, int b) const {
    int best = 0;
    int best_distance = INT32_MAX;
    for (size_t k = 0; k < red.size(); ++k) {
      const int dr = red[k] - r;
      int d = dr * dr;
      if (d >= best_distance) continue;
      const int dg = green[k] - g;
      d += dg * dg;
      if (d >= best_distance) continue;
      const int db = blue[k] - b;
      d += db * db;
      if (d < best_distance) {
        best_distance = d;
        best = static_cast<int>(k);
      }
    }
    return static_cast<uint8_t>(best);
  }
};

struct FreeDeleter {
  void operator()(uint16_t* p) const { std::free(p); }
};

void map_pixels(const ImagePixels& source, const std::vector<uint32_t>& palette, ImagePixels* target) {
  const Nearest nearest(palette);
  if (source.bits != 24) {
    std::array<uint8_t, 256> map = {};
    for (size_t i = 0; i < source.palette.size() && i < 256; ++i) {
      const uint32_t c = source.palette[i];
      map[i] = nearest.find(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF));
    }
    for (int y = 0; y < source.height; ++y) {
      const uint8_t* in = image_row(source, y);
      uint8_t* out = image_row(*target, y);
      for (int x = 0; x < source.width; ++x) out[x] = map[source.bits == 1 ? (in[x >> 3] >> (7 - (x & 7))) & 1 : in[x]];
    }
    return;
  }
  // Each distinct colour is looked up once; untouched parts of the table cost no memory.
  std::unique_ptr<uint16_t, FreeDeleter> known(static_cast<uint16_t*>(std::calloc(size_t{1} << 24, sizeof(uint16_t))));
  if (known == nullptr) throw std::bad_alloc();
  uint16_t* table = known.get();
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* in = image_row(source, y);
    uint8_t* out = image_row(*target, y);
    for (int x = 0; x < source.width; ++x) {
      const uint8_t b = in[3 * x], g = in[3 * x + 1], r = in[3 * x + 2];
      const uint32_t colour = (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
      uint16_t entry = table[colour];
      if (entry == 0) {
        entry = static_cast<uint16_t>(nearest.find(r, g, b) + 1);
        table[colour] = entry;
      }
      out[x] = static_cast<uint8_t>(entry - 1);
    }
  }
}

void map_exact(const ImagePixels& source, const ExactColours& table, ImagePixels* target) {
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* in = image_row(source, y);
    uint8_t* out = image_row(*target, y);
    for (int x = 0; x < source.width; ++x) {
      uint32_t colour;
      if (source.bits == 24) colour = (uint32_t{in[3 * x + 2]} << 16) | (uint32_t{in[3 * x + 1]} << 8) | in[3 * x];
      else {
        const int index = source.bits == 1 ? (in[x >> 3] >> (7 - (x & 7))) & 1 : in[x];
        colour = static_cast<size_t>(index) < source.palette.size() ? source.palette[index] & 0xFFFFFFu : 0;
      }
      out[x] = table.index[slot_of(table, colour)];
    }
  }
}

uint32_t rounded_colour(const Centre& c) {
  const auto level = [](double v) { return static_cast<uint32_t>(std::clamp(v + 0.5, 0.0, 255.0)); };
  return (level(c.r) << 16) | (level(c.g) << 8) | level(c.b);
}

}  // namespace

int quantize_image(const ImagePixels& source, int colours, ImagePixels* target) {
  auto exact = std::make_unique<ExactColours>();
  if (collect_exact(source, colours, exact.get())) {
    map_exact(source, *exact, target);
    target->palette = exact->palette;
  } else {
    Histogram h;
    count_colours(source, &h);
    sum_moments(&h);
    std::vector<Centre> centres = choose_centres(h, colours);
    refine_centres(h, &centres);
    std::vector<uint32_t> palette;
    for (const Centre& c : centres) palette.push_back(rounded_colour(c));
    map_pixels(source, palette, target);
    target->palette = palette;
  }
  update_grey_flag(target);
  return IMAGE_OK;
}
