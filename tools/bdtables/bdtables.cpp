// bdtables OUTPUT
//
// Computes the four blend tables and stores them, back to back with no header, as the ready-made
// table file the demo reads instead of computing ("data\bdi.dat"). The file is written under a
// temporary name and renamed into place, so OUTPUT is either the complete new file or untouched.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "render/BlendTables.h"

namespace {

void printUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: bdtables OUTPUT\n"
               "Writes the computed blend tables (%u bytes) to OUTPUT, e.g. data/bdi.dat.\n",
               static_cast<unsigned>(kBlendTableFileSize));
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    printUsage(stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
    printUsage(stderr);
    return 2;
  }
  const std::string output = argv[1];
  const std::string temporary = output + ".tmp";

  computeBlendTables();
  std::vector<uint8_t> image(kBlendTableFileSize);
  storeBlendTables(image.data());

  errno = 0;
  if (!writeFile(temporary, image)) {
    const int error = errno;
    std::fprintf(stderr, "bdtables: cannot write %s: %s\n", temporary.c_str(),
                 error != 0 ? std::strerror(error) : "write failed");
    std::remove(temporary.c_str());
    return 1;
  }
  if (std::rename(temporary.c_str(), output.c_str()) != 0) {
    const int error = errno;
    std::fprintf(stderr, "bdtables: cannot rename %s to %s: %s\n", temporary.c_str(), output.c_str(),
                 std::strerror(error));
    std::remove(temporary.c_str());
    return 1;
  }
  std::printf("bdtables: wrote %s (%u bytes)\n", output.c_str(), static_cast<unsigned>(kBlendTableFileSize));
  return 0;
}
