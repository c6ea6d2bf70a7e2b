#pragma once

// Shared by the archive, packer and demo tests and the archive benchmark: pack archive images
// assembled field by field (apart from archive/PackFormat, so a fault there shows) and whole
// trees laid out exactly as the packer lays them out.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/LittleEndian.h"
#include "tests/support/ScratchFiles.h"

namespace archivetest {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

class ArchiveImage {
public:
  ArchiveImage& header(uint32_t directories, uint32_t files, const std::string& magic = "ZPAC") {
    return data(magic).put32(directories).put32(files).data(std::string("\x01\x00\x00\x00", 4));
  }
  ArchiveImage& directory(const std::string& name, uint32_t offset, uint16_t subdirectories, uint16_t files) {
    return file(name, offset, subdirectories | (static_cast<uint32_t>(files) << 16), 16);
  }
  // The name field is cut or zero padded to its 116 bytes.
  ArchiveImage& file(const std::string& name, uint32_t offset, uint32_t size, uint32_t flags = 128) {
    bytes += name.substr(0, 116) + std::string(116 - std::min<size_t>(name.size(), 116), '\0');
    return put32(flags).put32(offset).put32(size);
  }
  ArchiveImage& data(const std::string& raw) {
    bytes += raw;
    return *this;
  }
  ArchiveImage& put32(uint32_t value) {
    uint8_t le[4];
    writeLe32(le, value);
    return data(std::string(reinterpret_cast<const char*>(le), sizeof le));
  }

  std::string bytes;
};

struct File {
  std::string name;  // full stored name
  std::string bytes;
};

struct Dir {
  std::string name;  // full stored name
  std::vector<File> files;
  std::vector<Dir> dirs;

  // Appends this directory's block, counting what it holds.
  void appendBlock(ArchiveImage& out, uint32_t& directoryCount, uint32_t& fileCount) const {
    ++directoryCount;
    fileCount += static_cast<uint32_t>(files.size());
    auto at = [&out]() { return static_cast<uint32_t>(out.bytes.size()); };
    out.directory(name, at(), static_cast<uint16_t>(dirs.size()), static_cast<uint16_t>(files.size()));
    uint32_t offset = at() + 128 * static_cast<uint32_t>(files.size());
    for (const File& file : files) {
      out.file(file.name, offset, static_cast<uint32_t>(file.bytes.size()));
      offset += static_cast<uint32_t>(file.bytes.size());
    }
    for (const File& file : files) out.data(file.bytes);
    for (const Dir& sub : dirs) sub.appendBlock(out, directoryCount, fileCount);
  }
};

// A complete archive of the tree, header counts filled in.
inline std::string archiveImage(const Dir& root) {
  ArchiveImage body;
  body.bytes.resize(16);
  uint32_t directories = 0;
  uint32_t files = 0;
  root.appendBlock(body, directories, files);
  return ArchiveImage().header(directories, files).bytes + body.bytes.substr(16);
}

// The tree of the examples: data\tile02.bdi and data\maps\a.bin.
inline Dir sampleTree() {
  return Dir{"data", {{"data\\tile02.bdi", "tile!"}}, {Dir{"data\\maps", {{"data\\maps\\a.bin", "abc"}}, {}}}};
}

}  // namespace archivetest
