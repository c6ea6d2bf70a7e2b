// A fuzz target as a plain program, where libFuzzer is not at hand (gcc builds, CTest): every
// seed of a corpus through LLVMFuzzerTestOneInput, then a fixed number of deterministic mutations
// of each (bit flips, bytes set to random or boundary values, truncations, insertions, splices
// with another seed). A finding crashes the program or trips a sanitizer, failing the run; the
// name of the seed at fault is the last line on standard output.
//   <target> SEED_DIR [MUTATIONS_PER_SEED]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

// From a heap block of exactly the input's size, as libFuzzer passes it, so that a read past its
// end trips AddressSanitizer.
void runOne(const Bytes& input) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[input.size()]);
  std::copy(input.begin(), input.end(), block.get());
  LLVMFuzzerTestOneInput(block.get(), input.size());
}

// Half of the picks fall in the first 64 bytes, where the headers and the targets' control bytes
// are.
size_t pick(std::mt19937& random, size_t size) {
  return random() % 2 ? random() % std::min<size_t>(size, 64) : random() % size;
}

void mutate(Bytes& input, const std::vector<Bytes>& seeds, std::mt19937& random) {
  static const uint8_t kBoundaries[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
  for (int steps = 1 + random() % 3; steps > 0; --steps) {
    const unsigned kind = input.empty() ? 4 : random() % 6;
    if (kind == 0) {
      input[pick(random, input.size())] ^= static_cast<uint8_t>(1u << (random() % 8));
    } else if (kind == 1) {
      input[pick(random, input.size())] = static_cast<uint8_t>(random());
    } else if (kind == 2) {  // a field of one to four bytes, all one boundary value
      const size_t at = pick(random, input.size());
      std::fill(input.begin() + at, input.begin() + std::min(input.size(), at + 1 + random() % 4),
                kBoundaries[random() % sizeof kBoundaries]);
    } else if (kind == 3) {
      input.resize(random() % input.size());
    } else if (kind == 4) {
      Bytes inserted(1 + random() % 16);
      for (uint8_t& b : inserted) b = static_cast<uint8_t>(random());
      input.insert(input.begin() + random() % (input.size() + 1), inserted.begin(), inserted.end());
    } else {  // this input's head, another seed's tail
      const Bytes& other = seeds[random() % seeds.size()];
      input.resize(random() % input.size());
      if (!other.empty()) input.insert(input.end(), other.begin() + random() % other.size(), other.end());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s SEED_DIR [MUTATIONS_PER_SEED]\n", argv[0]);
    return 2;
  }
  const int mutations = argc == 3 ? std::atoi(argv[2]) : 1000;
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], error)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<Bytes> seeds;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (seeds.empty()) {
    std::fprintf(stderr, "%s: no seeds in %s\n", argv[0], argv[1]);
    return 1;
  }
  for (size_t i = 0; i < seeds.size(); ++i) {
    std::printf("%s\n", files[i].filename().c_str());
    std::fflush(stdout);
    runOne(seeds[i]);
    std::mt19937 random(static_cast<uint32_t>(i));
    for (int m = 0; m < mutations; ++m) {
      Bytes input = seeds[i];
      mutate(input, seeds, random);
      runOne(input);
    }
  }
  std::printf("%zu seeds and %d mutations of each: no finding\n", seeds.size(), mutations);
  return 0;
}
