#include "packer/Packing.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "archive/PackFormat.h"
#include "packer/NativePath.h"
#include "packer/Report.h"
#include "packer/ScratchBlock.h"

namespace {

// State of the one packing run a program start makes.
uint32_t directoriesPacked = 0;
uint32_t filesPacked = 0;
// Set when a file changed between listing and copying: its bytes were replaced by zeros to keep
// the layout sound, but the archive no longer holds the tree and the run fails.
bool contentsChanged = false;

ScratchBlock copyBlock;

void writeRecord(std::ostream& out, const PackRecord& record) {
  uint8_t image[PackRecord::kLength];
  record.write(image);
  out.write(reinterpret_cast<const char*>(image), sizeof image);
}

void writeZeros(std::ostream& out, uint64_t count) {
  static const char zeros[4096] = {};
  while (count > 0) {
    uint64_t step = std::min<uint64_t>(count, sizeof zeros);
    out.write(zeros, static_cast<std::streamsize>(step));
    count -= step;
  }
}

PackRecord recordFor(const std::string& name, uint32_t flags) {
  PackRecord record;
  // The scan has checked every stored name against the field's width.
  record.setName(name);
  record.flags = flags;
  return record;
}

// Copies one listed file's bytes; false only when memory for them cannot be obtained. The
// record already promises file.size bytes, so exactly that many are written whatever happens.
bool copyFile(std::ostream& out, const PackTree::File& file) {
  std::ifstream in(nativePath(file.path), std::ios::binary);
  report("Packing File: " + file.recordName + " ...\n");
  uint64_t length = kUnreadableFile;
  if (in.is_open()) {
    in.seekg(0, std::ios::end);
    std::streamoff end = in.tellg();
    in.seekg(0, std::ios::beg);
    length = end < 0 ? kUnreadableFile : static_cast<uint64_t>(end);
  }
  if (length != file.size) {
    writeZeros(out, file.size);
    contentsChanged = true;
    report("Packed File: " + file.recordName + " Failed!\n");
    return true;
  }
  uint8_t* block = copyBlock.get(length);
  if (!block) {
    return false;
  }
  in.read(reinterpret_cast<char*>(block), static_cast<std::streamsize>(length));
  if (static_cast<uint64_t>(in.gcount()) != length) {
    writeZeros(out, file.size);
    contentsChanged = true;
    report("Packed File: " + file.recordName + " Failed!\n");
    return true;
  }
  out.write(reinterpret_cast<const char*>(block), static_cast<std::streamsize>(length));
  report("Packed File: " + file.recordName + " OK!\n");
  ++filesPacked;
  return true;
}

}  // namespace

uint32_t packedDirectoryCount() {
  return directoriesPacked;
}

uint32_t packedFileCount() {
  return filesPacked;
}

bool packDirectory(std::ostream& out, const PackTree::Directory& directory, uint32_t& runningOffset) {
  report("Packing Directory:" + directory.path + " ...\n");

  // The listing is known, so the record is written once, with its counts.
  PackRecord record = recordFor(directory.recordName, PackRecord::kDirectory);
  record.offset = runningOffset;
  record.setCounts(directory.packedSubdirectoryCount, directory.packedFileCount);
  writeRecord(out, record);
  runningOffset += PackRecord::kLength;

  // File records back to back, each given the offset its data will have; left-out files
  // take no record and no offset.
  runningOffset += PackRecord::kLength * static_cast<uint32_t>(directory.packedFileCount);
  for (const PackTree::File& file : directory.files) {
    if (!file.packed) {
      continue;
    }
    PackRecord fileRecord = recordFor(file.recordName, PackRecord::kFile);
    fileRecord.offset = runningOffset;
    fileRecord.size = static_cast<uint32_t>(file.size);
    runningOffset += fileRecord.size;
    writeRecord(out, fileRecord);
  }

  // The data, in the same order.
  for (const PackTree::File& file : directory.files) {
    if (!file.packed) {
      std::string name = file.path;
      PackRecord::lowerName(name);
      report("Packing File: " + name + " ...\n");
      report("Packed File: " + name + " Failed!\n");
      continue;
    }
    if (!copyFile(out, file)) {
      return false;
    }
  }

  for (const PackTree::Directory& subdirectory : directory.subdirectories) {
    if (subdirectory.link) {
      report("Skipped Directory Link:" + subdirectory.path + "\n");
    } else if (!subdirectory.packed) {
      report("Packing Directory:" + subdirectory.path + " ...\n");
      report("Packing Directory:" + subdirectory.path + " Failed!\n");
    } else if (!packDirectory(out, subdirectory, runningOffset)) {
      // The layout promised by the records above can no longer be kept.
      return false;
    }
  }

  ++directoriesPacked;
  return true;
}

bool packArchive(const std::string& packDir, const std::string& packedFile, const PackLimits& limits) {
  std::ofstream out(nativePath(packedFile), std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    return false;
  }
  directoriesPacked = 0;
  filesPacked = 0;
  contentsChanged = false;

  PackHeader header;
  uint8_t image[PackHeader::kLength];
  header.write(image);
  out.write(reinterpret_cast<const char*>(image), sizeof image);

  PackTree tree;
  PackTree::Result scanned = tree.scan(packDir, limits);
  if (scanned == PackTree::Result::rootNotListed) {
    report("Packing Directory:" + packDir + " ...\n");
    return false;
  }
  if (scanned != PackTree::Result::ok) {
    // Refused before any record is written: the archive is the header with zero counts.
    report(tree.problemMessage(scanned));
    return false;
  }

  uint32_t runningOffset = PackHeader::kLength;
  bool packed = packDirectory(out, tree.root, runningOffset) && !contentsChanged;
  if (packed) {
    header.directoryCount = directoriesPacked;
    header.fileCount = filesPacked;
    header.write(image);
    if (out.good()) {
      out.seekp(0, std::ios::beg);
      out.write(reinterpret_cast<const char*>(image), sizeof image);
    }
  }
  out.close();
  if (out.fail()) {
    report("Failed To Write Pack File:" + packedFile + "\n");
    return false;
  }
  return packed;
}
