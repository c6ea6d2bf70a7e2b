#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "archive/FileSource.h"

class ByteBuffer;

// One entry of an open archive's directory: a directory (flags 16) or a file (flags 128).
struct PackEntry {
  std::string name;    // as stored, up to its terminating zero
  int32_t flags = 0;   // 16 or 128
  int32_t offset = 0;  // file: absolute offset of its data; directory: its record's position
  int32_t size = 0;    // file: length of its data; directory: its two counts as one u32
};

// The FileSource that serves whole files out of a pack archive. open reads the header and the
// whole directory once and keeps it sorted by name; each read is then a binary search, one
// seek and one bulk read.
class PackArchive : public FileSource {
public:
  PackArchive() = default;
  PackArchive(const PackArchive&) = delete;
  PackArchive& operator=(const PackArchive&) = delete;

  // False for a missing file, a wrong magic (the file then stays open with an empty
  // directory) and a truncated or damaged archive (then closed).
  bool open(const std::string& path) override;
  // Always true.
  bool close() override;
  // False when nothing is open, the name is not a file of the archive, or its bytes are not
  // all inside the archive and delivered.
  bool readFile(const std::string& name, ByteBuffer& buffer) override;
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override;
  ~PackArchive() override;

  // Index into entries of the entry named name after lower-casing, or -1. Names of 128 bytes
  // or more are never found.
  int32_t findEntry(const std::string& name) const;
  // Walks the block that starts with this record (already read from the stream), appending an
  // entry for every record in it. False when a record of the block cannot be read whole or the
  // block runs past the end of the archive.
  bool readDirectory(const uint8_t* record);

  std::ifstream stream;
  uint32_t fileCount = 0;       // header offset 8, copied only
  uint32_t directoryCount = 0;  // header offset 4, copied only
  // Sorted by name: unsigned bytes, a prefix before the longer names it begins.
  std::vector<PackEntry> entries;

private:
  bool readAt(uint64_t position, uint8_t* into, uint64_t count);
  bool visit(const uint8_t* record);
  bool locate(const std::string& name, uint64_t& offset, int32_t& size);
  bool seekData(uint64_t offset);

  // Set by open: the archive's length. During the walk: where the next subdirectory record
  // (or file data) starts, and where the stream stands.
  uint64_t length = 0;
  uint64_t walkPosition = 0;
  uint64_t streamPosition = 0;

  // A directory whose block the walk is inside: its file records still to visit (they lie
  // back to back from nextRecord), then its subdirectory records still to read.
  struct WalkFrame {
    uint64_t nextRecord = 0;
    uint32_t filesLeft = 0;
    uint32_t subdirectoriesLeft = 0;
  };
  std::vector<WalkFrame> walk;
};
