// Arbitrary bytes as an archive for the walk every "-u" makes with the unpacker's rules before it
// creates anything, and as a stored name for the unsafe-name check.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "packer/Unpacking.h"
#include "platform/RegularFile.h"

namespace {

// Counts the depth of the walk, which must stay within the rules and end where it began.
class DepthCheck : public PackWalk::Visitor {
public:
  bool enterDirectory(const PackRecord&, const std::string&) override { return ++depth <= kUnpackRules.maxDepth; }
  void leaveDirectory() override { --depth; }
  bool visitFile(const PackRecord&, const std::string&) override { return true; }
  uint32_t depth = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isSafeEntryName(std::string(reinterpret_cast<const char*>(data), size));
  static const std::string path = "/tmp/brumal-unpack-fuzz-" + std::to_string(::getpid()) + ".pak";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  RegularFile archive;
  uint8_t root[PackRecord::kLength];
  DepthCheck check;
  if (archive.open(path) && archive.read(PackHeader::kLength, root, sizeof root)) {
    PackWalk::Result result = PackWalk::walk(archive, root, kUnpackRules, check);
    if (result == PackWalk::Result::stopped || (result == PackWalk::Result::complete && check.depth != 0)) {
      __builtin_trap();
    }
  }
  return 0;
}
