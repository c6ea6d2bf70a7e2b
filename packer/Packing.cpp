#include "packer/Packing.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
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

// Copies one listed file's bytes. The record already promises file.size bytes, so exactly that
// many are written whatever happens; a file that is no longer the regular file of that length
// that was listed gets zeros. False when the run cannot go on: memory for the bytes cannot be
// obtained, or the archive cannot be written.
bool copyFile(std::ostream& out, const PackTree::File& file) {
  report("Packing File: " + file.recordName + " ...\n");
  RegularFile in;
  uint8_t* block = nullptr;
  bool whole = in.open(nativePath(file.path)) && in.size() == file.size;
  if (whole) {
    block = copyBlock.get(file.size);
    if (!block) {
      return false;
    }
    whole = in.read(0, block, file.size);
  }
  if (whole) {
    out.write(reinterpret_cast<const char*>(block), static_cast<std::streamsize>(file.size));
  } else {
    writeZeros(out, file.size);
    contentsChanged = true;
  }
  // Only bytes that reached the archive file count as packed.
  out.flush();
  if (!whole || !out) {
    report("Packed File: " + file.recordName + " Failed!\n");
    return static_cast<bool>(out);
  }
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
    if (file.entry == PackTree::Entry::packed) {
      PackRecord fileRecord = recordFor(file.recordName, PackRecord::kFile);
      fileRecord.offset = runningOffset;
      fileRecord.size = static_cast<uint32_t>(file.size);
      runningOffset += fileRecord.size;
      writeRecord(out, fileRecord);
    }
  }

  // The data, in the same order.
  for (const PackTree::File& file : directory.files) {
    if (file.entry == PackTree::Entry::unsafeName) {
      report("Skipped Unsafe Name:" + printable(file.path) + "\n");
    } else if (file.entry != PackTree::Entry::packed) {
      report("Packing File: " + file.recordName + " ...\n");
      report("Packed File: " + file.recordName + " Failed!\n");
    } else if (!copyFile(out, file)) {
      return false;
    }
  }

  for (const PackTree::Directory& subdirectory : directory.subdirectories) {
    if (subdirectory.entry == PackTree::Entry::loop) {
      report("Skipped Directory Loop:" + subdirectory.path + "\n");
    } else if (subdirectory.entry != PackTree::Entry::packed) {
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

// The archive is written under a temporary name beside its own and takes that name only once it
// is complete: a failed, refused or killed run leaves an earlier archive as it was, and at most
// a file named as a temporary of this process.
bool packArchive(const std::string& packDir, const std::string& packedFile, const PackLimits& limits) {
  const std::string temporary = packedFile + ".tmp-" + std::to_string(GetCurrentProcessId());
  std::ofstream out(nativePath(temporary), std::ios::binary | std::ios::trunc);
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

  // The archive being written is never packed into itself.
  FileIdentity archive;
  fileIdentity(nativePath(temporary), archive);
  PackTree tree;
  PackTree::Result scanned = tree.scan(packDir, limits, archive);
  bool packed = false;
  if (scanned == PackTree::Result::rootNotListed) {
    report("Packing Directory:" + packDir + " ...\n");
  } else if (scanned != PackTree::Result::ok) {
    // Refused before any record is written.
    report(tree.problemMessage(scanned));
  } else {
    uint32_t runningOffset = PackHeader::kLength;
    packed = packDirectory(out, tree.root, runningOffset) && !contentsChanged;
  }
  if (packed) {
    header.directoryCount = directoriesPacked;
    header.fileCount = filesPacked;
    header.write(image);
    out.seekp(0, std::ios::beg);
    out.write(reinterpret_cast<const char*>(image), sizeof image);
  }
  out.close();
  bool written =
      !out.fail() && (!packed || MoveFileExA(temporary.c_str(), packedFile.c_str(), MOVEFILE_REPLACE_EXISTING));
  if (!written) {
    report("Failed To Write Pack File:" + packedFile + "\n");
  }
  if (!packed || !written) {
    std::remove(nativePath(temporary).c_str());
  }
  return packed && written;
}
