// One whole frame of the demo scene on the headless platform (clear, four sprites, the frame-rate
// text, expansion to 16 bits and the blit), beside what the machine does with plain memory in
// the same run, and the expansion alone on each of its paths.
#include <benchmark/benchmark.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "bench/FrameScene.h"
#include "demo/DemoMain.h"
#include "demo/DemoScene.h"
#include "display/CodeExpansion.h"
#include "display/Display.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr size_t kCodes = static_cast<size_t>(kWidth) * kHeight;  // 307,200 bytes
constexpr size_t kWords = kCodes * 2;                             // 614,400 bytes

// The scene as the demo runs it, from the data set of the build.
DemoScene* startScene() {
  return startFrameScene(BRUMAL_BIN_DIR);
}

void BM_WholeFrame(benchmark::State& state) {
  DemoScene* scene = startScene();
  for (auto _ : state) {
    std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
    scene->drawFrame();
    theDisplay.present();
    benchmark::ClobberMemory();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMicrosecond);

// The frame without its expansion and blit: what the drawing itself costs.
void BM_FrameDrawingOnly(benchmark::State& state) {
  DemoScene* scene = startScene();
  for (auto _ : state) {
    std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
    scene->drawFrame();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameDrawingOnly)->Unit(benchmark::kMicrosecond);

// The yardstick: clearing one 8-bit frame and copying one 16-bit frame.
void BM_MemsetPlusMemcpy(benchmark::State& state) {
  std::vector<uint8_t> codes(kCodes);
  std::vector<uint8_t> from(kWords, 1);
  std::vector<uint8_t> to(kWords);
  for (auto _ : state) {
    std::memset(codes.data(), 0, kCodes);
    std::memcpy(to.data(), from.data(), kWords);
    benchmark::DoNotOptimize(codes.data());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemsetPlusMemcpy)->Unit(benchmark::kMicrosecond);

template <typename Expand>
void runExpansion(benchmark::State& state, int32_t width, Expand expand) {
  std::vector<uint8_t> codes(static_cast<size_t>(width) * kHeight);
  for (size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<uint8_t>(i * 13);
  std::vector<uint8_t> surface(static_cast<size_t>(width) * 2 * kHeight);
  for (auto _ : state) {
    expand(codes.data(), width, surface.data(), width * 2);
    benchmark::DoNotOptimize(surface.data());
    benchmark::ClobberMemory();
  }
}

void BM_ExpandFast(benchmark::State& state) {
  runExpansion(
      state, static_cast<int32_t>(state.range(0)),
      [](const uint8_t* in, int32_t w, uint8_t* out, int32_t pitch) { expandCodesFast(in, w, kHeight, out, pitch); });
}
BENCHMARK(BM_ExpandFast)->Arg(640)->Arg(645)->Unit(benchmark::kMicrosecond);

void BM_ExpandPortable(benchmark::State& state) {
  runExpansion(state, static_cast<int32_t>(state.range(0)),
               [](const uint8_t* in, int32_t w, uint8_t* out, int32_t pitch) {
                 expandCodesPortable(in, w, kHeight, out, pitch);
               });
}
BENCHMARK(BM_ExpandPortable)->Arg(640)->Unit(benchmark::kMicrosecond);

void BM_ExpandWords(benchmark::State& state) {
  runExpansion(
      state, static_cast<int32_t>(state.range(0)),
      [](const uint8_t* in, int32_t w, uint8_t* out, int32_t pitch) { expandCodesWords(in, w, kHeight, out, pitch); });
}
BENCHMARK(BM_ExpandWords)->Arg(640)->Unit(benchmark::kMicrosecond);

void BM_ExpandTable(benchmark::State& state) {
  static Display display;  // default table
  runExpansion(state, static_cast<int32_t>(state.range(0)),
               [](const uint8_t* in, int32_t w, uint8_t* out, int32_t pitch) {
                 expandCodesTable(in, w, kHeight, out, pitch, display.expandTable);
               });
}
BENCHMARK(BM_ExpandTable)->Arg(640)->Unit(benchmark::kMicrosecond);

}  // namespace
