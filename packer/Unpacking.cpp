#include "packer/Unpacking.h"

#include <windows.h>

#include <fstream>
#include <vector>

#include "packer/NativePath.h"
#include "packer/Report.h"
#include "packer/ScratchBlock.h"

namespace {

constexpr uint64_t kRecord = PackRecord::kLength;

ScratchBlock unpackBlock;

bool stopAtDamage(UnpackWalk& walk) {
  if (!walk.damaged) {
    walk.damaged = true;
    report("Damaged Or Truncated Pack File!\n");
  }
  return false;
}

// Reads count bytes of records at the walk's position, all of them or none.
bool readRecords(std::istream& in, UnpackWalk& walk, uint8_t* into, uint64_t count) {
  if (walk.position > walk.archiveLength || count > walk.archiveLength - walk.position) {
    return false;
  }
  in.clear();
  in.seekg(static_cast<std::streamoff>(walk.position), std::ios::beg);
  in.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
  if (static_cast<uint64_t>(in.gcount()) != count) {
    return false;
  }
  walk.position += count;
  return true;
}

void reportRefused(const std::string& name) {
  report("Refused Unsafe Name :" + name + "\n");
}

bool unpackDirectory(std::istream& in, const PackRecord& record, const std::string& name, const std::string& destDir,
                     UnpackWalk& walk) {
  if (walk.depth >= UnpackWalk::kMaxDepth) {
    return stopAtDamage(walk);
  }
  bool act = !walk.checkOnly;
  bool safe = isSafeEntryName(name);
  std::string path = destDir + name;
  if (act && safe) {
    report("Unpacking Directory :" + path + " ...\n");
  } else if (act) {
    reportRefused(name);
  }

  // The file records come before the directory is made: a record list cut short creates
  // nothing.
  uint64_t files = record.fileCount();
  if (files * kRecord > walk.archiveLength - walk.position) {
    return stopAtDamage(walk);
  }
  std::vector<uint8_t> fileRecords(static_cast<size_t>(files * kRecord));
  if (files > 0 && !readRecords(in, walk, fileRecords.data(), files * kRecord)) {
    return stopAtDamage(walk);
  }
  if (act && safe) {
    // Not examined: a directory that exists already is fine, and one that cannot be made
    // shows in its files' failure lines.
    CreateDirectoryA(path.c_str(), nullptr);
  }

  ++walk.depth;
  for (uint64_t i = 0; i < files && !walk.damaged; ++i) {
    unpackRecord(in, PackRecord::read(&fileRecords[static_cast<size_t>(i * kRecord)]), destDir, walk);
  }
  for (uint32_t i = 0; i < record.subdirectoryCount() && !walk.damaged; ++i) {
    uint8_t image[PackRecord::kLength];
    if (!readRecords(in, walk, image, kRecord)) {
      stopAtDamage(walk);
      break;
    }
    unpackRecord(in, PackRecord::read(image), destDir, walk);
  }
  --walk.depth;
  if (walk.damaged) {
    return false;
  }
  if (act && safe) {
    report("Unpacking Directory :" + path + " OK!\n");
  }
  return true;
}

bool unpackFile(std::istream& in, const PackRecord& record, const std::string& name, const std::string& destDir,
                UnpackWalk& walk) {
  // The data must lie inside the archive, both where the record says and where the walk steps
  // over them; in a sound archive the two are the same place.
  uint64_t offset = record.offset;
  uint64_t size = record.size;
  if (offset > walk.archiveLength || size > walk.archiveLength - offset || size > walk.archiveLength - walk.position) {
    return stopAtDamage(walk);
  }
  walk.position += size;
  if (walk.checkOnly) {
    return true;
  }
  if (!isSafeEntryName(name)) {
    reportRefused(name);
    return true;
  }

  std::string path = destDir + name;
  report("Unpacked File :" + path + " ...\n");
  std::ofstream out(nativePath(path), std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    report("Unpacked File :" + path + " Failed!\n");
    return true;
  }
  uint8_t* block = unpackBlock.get(size);
  if (!block) {
    report("Unpacked File :" + path + " Failed!\n");
    return false;
  }
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
  in.read(reinterpret_cast<char*>(block), static_cast<std::streamsize>(size));
  if (static_cast<uint64_t>(in.gcount()) != size) {
    report("Unpacked File :" + path + " Failed!\n");
    return stopAtDamage(walk);
  }
  out.write(reinterpret_cast<const char*>(block), static_cast<std::streamsize>(size));
  out.close();
  if (out.fail()) {
    report("Unpacked File :" + path + " Failed!\n");
    return true;
  }
  report("Unpacked File :" + path + " ok\n");
  return true;
}

}  // namespace

bool isSafeEntryName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') {
    return false;
  }
  if (name.size() >= 2 && name[1] == ':') {
    return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) {
      end = name.size();
    }
    // Windows drops trailing dots and blanks from a name, so ". ." or "..." can mean "..".
    size_t dots = 0;
    bool onlyDotsAndBlanks = true;
    for (size_t i = start; i < end; ++i) {
      if (name[i] == '.') {
        ++dots;
      } else if (name[i] != ' ') {
        onlyDotsAndBlanks = false;
      }
    }
    if (onlyDotsAndBlanks && dots >= 2) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

bool unpackRecord(std::istream& in, const PackRecord& record, const std::string& destDir, UnpackWalk& walk) {
  if (walk.damaged) {
    return false;
  }
  if (!record.nameTerminated()) {
    return stopAtDamage(walk);
  }
  std::string name = record.nameString();
  if (record.isDirectory()) {
    return unpackDirectory(in, record, name, destDir, walk);
  }
  return unpackFile(in, record, name, destDir, walk);
}

bool unpackArchive(const std::string& packedFile, const std::string& destDir, uint32_t& fileCount,
                   uint32_t& directoryCount) {
  std::ifstream in(nativePath(packedFile), std::ios::binary);
  if (!in.is_open()) {
    return false;
  }
  in.seekg(0, std::ios::end);
  std::streamoff end = in.tellg();
  if (end < 0) {
    return false;
  }
  UnpackWalk walk;
  walk.archiveLength = static_cast<uint64_t>(end);

  uint8_t headerImage[PackHeader::kLength];
  if (!readRecords(in, walk, headerImage, PackHeader::kLength)) {
    return false;
  }
  PackHeader header = PackHeader::read(headerImage);
  if (header.magic != PackHeader::kMagic) {
    return false;
  }
  uint8_t rootImage[PackRecord::kLength];
  if (!readRecords(in, walk, rootImage, kRecord)) {
    return stopAtDamage(walk);
  }
  PackRecord root = PackRecord::read(rootImage);
  const uint64_t afterRoot = walk.position;

  // First a walk that only reads and checks, then the one that creates.
  walk.checkOnly = true;
  unpackRecord(in, root, destDir, walk);
  if (walk.damaged) {
    return false;
  }
  walk.checkOnly = false;
  walk.position = afterRoot;
  bool unpacked = unpackRecord(in, root, destDir, walk);
  if (!unpacked || walk.damaged) {
    return false;
  }
  fileCount = header.fileCount;
  directoryCount = header.directoryCount;
  return true;
}
