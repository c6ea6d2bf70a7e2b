// One whole frame of the demo scene in the browser, the scene and the loop of bench/FrameBench.cpp
// (clear, the four sprites, the frame-rate text, expansion to 16 bits and the blit, on the headless
// platform inside the module), and what the page adds now and then: converting a picture and
// drawing it on the canvas. Run by the page's bench mode (index.html?bench), which
// shows the lines printed here; bench/web-frame-bench.sh runs it beside the native benchmark.
// Google Benchmark does not build for the browser, so the timing is done here: runs of a fixed
// number of frames, the median and the best per frame.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/FrameScene.h"
#include "demo/DemoMain.h"
#include "demo/DemoScene.h"
#include "display/Display.h"
#include "platform/web/WebCanvas.h"
#include "platform/win32/LayerControl.h"

namespace {

constexpr int kRuns = 15;
constexpr int kFramesPerRun = 200;
// The browser first runs a module through its quick baseline compiler and swaps in optimised
// code for the hot functions later, in the background: the runs wait for that.
constexpr double kWarmUpMs = 1500;

template <typename Work>
void measure(const char* name, Work work) {
  for (const double start = emscripten_get_now(); emscripten_get_now() - start < kWarmUpMs;) {
    for (int i = 0; i < kFramesPerRun; ++i) work();
    emscripten_sleep(0);
  }
  std::vector<double> perFrame;
  for (int run = 0; run < kRuns; ++run) {
    const double start = emscripten_get_now();
    for (int i = 0; i < kFramesPerRun; ++i) work();
    perFrame.push_back((emscripten_get_now() - start) * 1000.0 / kFramesPerRun);
    emscripten_sleep(0);  // the page stays alive between runs
  }
  std::sort(perFrame.begin(), perFrame.end());
  std::printf("%s: %.1f us (best %.1f us; median of %d runs of %d frames)\n", name, perFrame[kRuns / 2], perFrame[0],
              kRuns, kFramesPerRun);
}

}  // namespace

int main() {
  DemoScene* scene = startFrameScene("/");
  std::printf("wasm SIMD: %s\n",
#if defined(__wasm_simd128__)
              "yes"
#else
              "no"
#endif
  );
  measure("whole frame", [scene] {
    std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
    scene->drawFrame();
    theDisplay.present();
  });
  measure("drawing only", [scene] {
    std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
    scene->drawFrame();
  });
  std::vector<uint8_t> codes(static_cast<size_t>(theDisplay.bufferSize));
  std::vector<uint8_t> from(codes.size() * 2, 1);
  std::vector<uint8_t> to(from.size());
  measure("memset 307,200 + memcpy 614,400 bytes", [&] {
    std::memset(codes.data(), 0, codes.size());
    std::memcpy(to.data(), from.data(), to.size());
  });

  int width = 0;
  int height = 0;
  const std::vector<uint16_t> pixels = layer::presentedPicture(width, height);
  const platform::Picture picture{pixels.data(), width, height, width * 2};
  WebCanvas canvas;
  measure("page: drawing a picture on the canvas", [&] { canvas.draw(picture, false); });
  std::fflush(stdout);
  emscripten_sleep(0);
  std::exit(0);
}
