#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "archive/PackFormat.h"

// How far one unpack has come through its archive. Records are read only at position, which
// only moves forward, so every record is read once and a damaged archive cannot send the walk
// round in circles; nesting deeper than any sound archive can is damage too.
struct UnpackWalk {
  static constexpr uint32_t kMaxDepth = 64;  // a 115-byte name holds at most 58 levels

  uint64_t archiveLength = 0;
  uint64_t position = 0;  // where the next record lies
  uint32_t depth = 0;
  bool damaged = false;  // the walk stopped at a record or data it could not read whole
  // A checking walk reads and checks every record and creates and reports nothing: unpacking
  // makes one first, so a damaged archive creates nothing at all.
  bool checkOnly = false;
};

// "-u": recreates the archive's directories and files under destDir, each at destDir followed
// directly by its stored name. On success hands out the header's two counts. False when the
// archive cannot be opened, is not a pack archive, or is truncated or damaged; a damaged
// archive is found by a checking walk before anything is created.
bool unpackArchive(const std::string& packedFile, const std::string& destDir, uint32_t& fileCount,
                   uint32_t& directoryCount);

// Recreates one directory with everything below it, or one file. False when memory for a
// file's bytes cannot be obtained, and when the walk has stopped at damage.
bool unpackRecord(std::istream& in, const PackRecord& record, const std::string& destDir, UnpackWalk& walk);

// False for a stored name that would reach outside destDir: empty, a leading separator, a
// drive, or a ".." component (also as Windows reads it, with trailing dots or blanks).
bool isSafeEntryName(const std::string& name);
