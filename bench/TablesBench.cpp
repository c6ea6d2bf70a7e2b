// Blend-table computation: computeBlendTables (nearest code of every RGB565 word found once, then
// one formula and one lookup per entry) beside the formulas taken literally, one full 256-code
// scan per entry. Both run in the same process; the naive run checks that its bytes are identical.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "render/BlendTables.h"

namespace {

int red8(uint32_t v) { return static_cast<int>(v >> 8); }
int green8(uint32_t v) { return static_cast<int>((v >> 3) & 0xFF); }
int blue8(uint32_t v) { return static_cast<int>((v & 0x1F) << 3); }
uint32_t pack565(int r, int g, int b) {
  return ((static_cast<uint32_t>(r) & 0xF8) << 8) | ((static_cast<uint32_t>(g) & 0xFC) << 3) |
         (static_cast<uint32_t>(b) >> 3);
}
uint32_t codeWord(int c) { return static_cast<uint32_t>(c) * 0x101; }

uint8_t naiveNearest(uint32_t v) {
  int bestDistance = 65535, bestCode = 0;
  for (int i = 0; i < 256; ++i) {
    const uint32_t w = codeWord(i);
    const int db = blue8(w) - blue8(v), dg = green8(w) - green8(v), dr = red8(w) - red8(v);
    const int distance = db * db + dg * dg + dr * dr;
    if (distance < bestDistance) {
      bestDistance = distance;
      bestCode = i;
    }
  }
  return static_cast<uint8_t>(bestCode);
}

// The four tables in file layout, computed entry by entry with a full scan each.
void naiveTables(std::vector<uint8_t>& image) {
  uint8_t* alpha = image.data() + kAlphaTableOffset;
  for (uint32_t a = 0; a < 16; ++a)
    for (int s = 0; s < 256; ++s)
      for (int d = 0; d < 256; ++d) {
        const uint32_t S = codeWord(s), D = codeWord(d);
        const uint32_t r = ((S >> 11) * a + (D >> 11) * (16 - a)) / 16;
        const uint32_t g = (((S >> 5) & 0x3F) * a + ((D >> 5) & 0x3F) * (16 - a)) / 16;
        const uint32_t b = ((S & 0x1F) * a + (D & 0x1F) * (16 - a)) / 16;
        *alpha++ = naiveNearest((r << 11) | (g << 5) | b);
      }
  uint8_t* add = image.data() + kAddTableOffset;
  uint8_t* sub = image.data() + kSubTableOffset;
  for (int s = 0; s < 256; ++s)
    for (int d = 0; d < 256; ++d) {
      const uint32_t S = codeWord(s), D = codeWord(d);
      auto clampHigh = [](int v) { return v < 255 ? v : 255; };
      auto clampLow = [](int v) { return v > 0 ? v : 0; };
      *add++ = naiveNearest(pack565(clampHigh(red8(S) + red8(D)), clampHigh(green8(S) + green8(D)),
                                    clampHigh(blue8(S) + blue8(D))));
      *sub++ = naiveNearest(pack565(clampLow(red8(S) - red8(D)), clampLow(green8(S) - green8(D)),
                                    clampLow(blue8(S) - blue8(D))));
    }
  uint8_t* grey = image.data() + kGreyTableOffset;
  for (int c = 0; c < 256; ++c) {
    const uint32_t C = codeWord(c);
    const int q = (3 * red8(C) + 6 * green8(C) + blue8(C)) / 10;
    grey[c] = naiveNearest(pack565(q, q, q));
  }
}

bool tablesEqual(const std::vector<uint8_t>& image) {
  return std::memcmp(image.data() + kAlphaTableOffset, alphaTable, sizeof alphaTable) == 0 &&
         std::memcmp(image.data() + kAddTableOffset, addTable, sizeof addTable) == 0 &&
         std::memcmp(image.data() + kSubTableOffset, subTable, sizeof subTable) == 0 &&
         std::memcmp(image.data() + kGreyTableOffset, greyTable, sizeof greyTable) == 0;
}

void BM_TablesFast(benchmark::State& state) {
  for (auto _ : state) {
    computeBlendTables();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TablesFast)->Unit(benchmark::kMillisecond);

void BM_TablesNaive(benchmark::State& state) {
  std::vector<uint8_t> image(kBlendTableFileSize);
  for (auto _ : state) {
    naiveTables(image);
    benchmark::DoNotOptimize(image.data());
  }
  computeBlendTables();
  if (!tablesEqual(image)) state.SkipWithError("fast tables differ from the naive ones");
  state.counters["identical"] = tablesEqual(image) ? 1 : 0;
}
BENCHMARK(BM_TablesNaive)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
