// Blend-table computation: computeBlendTables (nearest code of every RGB565 word found once, then
// one formula and one lookup per entry) beside the formulas taken literally, one full 256-code
// scan per entry. Both run in the same process; the naive run checks that its bytes are identical.

#include <benchmark/benchmark.h>

#include <vector>

#include "render/BlendTables.h"
#include "tests/support/NaiveTables.h"

namespace {

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
    naive::tables(image, [](uint32_t word) { return naive::nearest(word); });
    benchmark::DoNotOptimize(image.data());
  }
  computeBlendTables();
  const bool identical = naive::heldTables() == image;
  if (!identical) state.SkipWithError("fast tables differ from the naive ones");
  state.counters["identical"] = identical ? 1 : 0;
}
BENCHMARK(BM_TablesNaive)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
