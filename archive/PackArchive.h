/// @file
/// Reading whole files out of a pack archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/FileSource.h"
#include "platform/RegularFile.h"

class ByteBuffer;

/// One entry of an open archive's directory: a directory (flags 16) or a file (flags 128).
struct PackEntry {
  std::string name;    ///< as stored, up to its terminating zero
  int32_t flags = 0;   ///< 16 or 128
  int32_t offset = 0;  ///< file: absolute offset of its data; directory: its record's position
  int32_t size = 0;    ///< file: length of its data; directory: its two counts as one u32
};

/// The FileSource that serves whole files out of a pack archive. open reads the header and the
/// whole directory once and keeps it sorted by name; each read is then a binary search and one
/// positional bulk read.
class PackArchive : public FileSource {
public:
  PackArchive() = default;
  PackArchive(const PackArchive&) = delete;
  PackArchive& operator=(const PackArchive&) = delete;

  /// Opens the archive at path and reads its directory. False for a missing file or one that is not
  /// a regular file, a wrong magic (the file then stays open with an empty directory) and a
  /// truncated or damaged archive (then closed).
  bool open(const std::string& path) override;
  /// Closes the file and empties the directory. Always true.
  bool close() override;
  /// Reads the whole file `name` out of the archive. False when nothing is open, the name is not a
  /// file of the archive, or its bytes are not all inside the archive and delivered.
  bool readFile(const std::string& name, ByteBuffer& buffer) override;
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override;
  ~PackArchive() override;

  /// Index into entries of the entry named name after lower-casing, or -1. Names of 128 bytes
  /// or more are never found.
  int32_t findEntry(const std::string& name) const;
  /// Walks the block that starts with this record (the root's, read from offset 16), appending an
  /// entry for every record in it. False when a record of the block cannot be read whole or the
  /// block runs past the end of the archive.
  bool readDirectory(const uint8_t* record);

  RegularFile stream;           ///< the open archive file
  uint32_t fileCount = 0;       ///< header offset 8, copied only
  uint32_t directoryCount = 0;  ///< header offset 4, copied only
  /// Sorted by name: unsigned bytes, a prefix before the longer names it begins.
  std::vector<PackEntry> entries;

private:
  bool locate(const std::string& name, uint64_t& offset, int32_t& size) const;
};
