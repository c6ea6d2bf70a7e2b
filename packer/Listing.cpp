#include "packer/Listing.h"

#include <cstdio>
#include <fstream>

#include "archive/PackArchive.h"
#include "packer/NativePath.h"

int listArchive(const std::string& packedFile, const std::string& listFile) {
  PackArchive archive;
  if (!archive.open(nativePath(packedFile))) {
    std::printf("Failed!!!\n");
    return 1;
  }
  // Text mode: each line ends the way text files end on this platform.
  std::ofstream list(nativePath(listFile), std::ios::out | std::ios::trunc);
  if (!list.is_open()) {
    std::printf("Failed To Created List File!\n");
    return 0;
  }
  // The list is written whole before anything is printed, so a list file that could not be
  // written (a full disk) never comes with the lines of a run that listed.
  for (const PackEntry& entry : archive.entries) {
    list << entry.name << '\n';
  }
  list.close();
  if (list.fail()) {
    std::printf("Failed To Write List File!\n");
    return 1;
  }
  std::printf("All File And Directorys count=%d\n", static_cast<int>(archive.entries.size()));
  for (const PackEntry& entry : archive.entries) {
    std::printf("%s\n", entry.name.c_str());
  }
  return 1;
}
