// Opens arbitrary bytes as a pack archive and reads every entry it lists, by both read forms.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "archive/ByteBuffer.h"
#include "archive/PackArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/brumal-pack-fuzz-" + std::to_string(::getpid()) + ".pak";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  PackArchive archive;
  if (archive.open(path)) {
    ByteBuffer buffer;
    for (const PackEntry& entry : archive.entries) {
      archive.readFile(entry.name, buffer);
      uint8_t* block = nullptr;
      int32_t blockSize = 0;
      if (archive.readFile(entry.name, block, blockSize)) delete[] block;
    }
    archive.findEntry(std::string(reinterpret_cast<const char*>(data), size < 200 ? size : 200));
  }
  return 0;
}
