// Speed and ratio of the three BDI codings on the demo's four pictures, beside the size of the
// same picture as a PNG file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bdi/BdiEncoder.h"
#include "tools/bdi/BdiFile.h"

namespace {

const char* const kImages[] = {"tile02", "role", "fire", "tile04"};

std::vector<uint8_t> codesOf(const std::string& image) {
  std::ifstream in(std::string(DEMO_BIN_DIR) + "/data/" + image + ".bdi", std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
  std::vector<uint8_t> codes;
  std::string error;
  decodeBdiFile(file, codes, error);
  return codes;
}

void encode(benchmark::State& state) {
  const std::string image = kImages[state.range(0)];
  const int method = static_cast<int>(state.range(1));
  const std::vector<uint8_t> codes = codesOf(image);
  if (codes.empty()) {
    state.SkipWithError("the demo's data set is not built");
    return;
  }
  size_t coded = 0;
  for (auto _ : state) {
    const std::vector<uint8_t> payload = encodePayload(method, codes.data(), codes.size());
    coded = payload.size();
    benchmark::DoNotOptimize(payload.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * codes.size()));
  state.SetLabel(image + " " + bdiMethodName(method));
  state.counters["pixels"] = static_cast<double>(codes.size());
  state.counters["coded"] = static_cast<double>(coded);
  state.counters["ratio%"] = 100.0 * coded / codes.size();
  std::error_code ignored;
  state.counters["png"] =
      static_cast<double>(std::filesystem::file_size(std::string(ART_DIR) + "/" + image + ".png", ignored));
}

BENCHMARK(encode)->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2}})->ArgNames({"image", "method"});

}  // namespace
