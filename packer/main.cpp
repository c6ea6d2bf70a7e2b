// The packer's entry: checks the arguments, prints the usage text or runs one command with
// its closing report, and sets the exit status (1 after any command, 0 after the usage text).
#include <cstdio>
#include <string>

#include "archive/PackFormat.h"
#include "packer/Listing.h"
#include "packer/Packing.h"
#include "packer/Unpacking.h"

namespace {

const char kSeparator[] = "---------------------------------------------------------\n";

void printUsage(const char* program) {
  std::printf("Brumal Studio,Game Engine Tools\n");
  std::printf("Web: https://brumal-engine.example.org\n");
  std::printf("File Packer\n");
  std::printf("Author: Brumal engine developers\n");
  std::printf("Use:\n");
  std::printf("%s", kSeparator);
  std::printf("Pack A Directory And its SubDir:\n%s -p PackDir PackedFile\n", program);
  std::printf("%s", kSeparator);
  std::printf("Unpack From File:\n%s -u PackedFile destDir\n", program);
  std::printf("%s", kSeparator);
  std::printf("List All Packed File To ListFile:\n%s -l PackedFile destfile\n", program);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    printUsage(argc > 0 ? argv[0] : "packer");
    return 0;
  }
  std::string command = argv[1];
  PackRecord::lowerName(command);

  if (command == "-p") {
    if (packArchive(argv[2], argv[3])) {
      std::printf("%s", kSeparator);
      std::printf("Packed Directory Count=%d\n", static_cast<int>(packedDirectoryCount()));
      std::printf("Packed File Count=%d\n", static_cast<int>(packedFileCount()));
      std::printf("All File Packed OK!\n");
    } else {
      std::printf("Failed !!!\n");
    }
  } else if (command == "-u") {
    // The counts are of what was written; a run that left anything out ends with its failure line.
    uint32_t files = 0;
    uint32_t directories = 0;
    UnpackResult result = unpackArchive(argv[2], argv[3], files, directories);
    if (result != UnpackResult::failed) {
      std::printf("File Count=%d\nDir Count=%d\n", static_cast<int>(files), static_cast<int>(directories));
    }
    if (result != UnpackResult::unpacked) {
      std::printf("Failed!!!\n");
    }
  } else if (command == "-l") {
    return listArchive(argv[2], argv[3]);
  }
  return 1;
}
