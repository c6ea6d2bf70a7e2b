// Arbitrary bytes as an archive for the unpacker's checking walk (the walk every "-u" makes
// before it creates anything), and as a stored name for the unsafe-name check.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "archive/PackFormat.h"
#include "packer/Unpacking.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  isSafeEntryName(bytes);

  const size_t rootEnd = PackHeader::kLength + PackRecord::kLength;
  if (size < rootEnd) {
    return 0;
  }
  std::istringstream in(bytes);
  UnpackWalk walk;
  walk.archiveLength = size;
  walk.position = rootEnd;
  walk.checkOnly = true;
  unpackRecord(in, PackRecord::read(data + PackHeader::kLength), "", walk);
  // The walk only ever moves forward and never past the end.
  if (walk.position > size || walk.position < rootEnd || walk.depth != 0) {
    __builtin_trap();
  }
  return 0;
}
