#pragma once

// Shared by the archive, packer and demo tests: pack archive images assembled field by field
// (independently of archive/PackFormat, so a fault there shows) and whole trees laid out exactly
// as the packer lays them out.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ScratchFiles.h"

namespace archivetest {

namespace fs = std::filesystem;

// Little-endian archive images, assembled field by field.
class ArchiveImage {
public:
  ArchiveImage& header(uint32_t directories, uint32_t files, const std::string& magic = "ZPAC") {
    bytes += magic;
    put32(directories);
    put32(files);
    bytes += std::string("\x01\x00\x00\x00", 4);
    return *this;
  }
  ArchiveImage& directory(const std::string& name, uint32_t offset, uint16_t subdirectories, uint16_t files) {
    return record(name, 16, offset, static_cast<uint32_t>(subdirectories) | (static_cast<uint32_t>(files) << 16));
  }
  ArchiveImage& file(const std::string& name, uint32_t offset, uint32_t size, uint32_t flags = 128) {
    return record(name, flags, offset, size);
  }
  // The name field is cut or zero padded to its 116 bytes.
  ArchiveImage& record(const std::string& name, uint32_t flags, uint32_t offset, uint32_t last) {
    std::string field = name.substr(0, 116);
    field.resize(116, '\0');
    bytes += field;
    put32(flags);
    put32(offset);
    put32(last);
    return *this;
  }
  ArchiveImage& data(const std::string& raw) {
    bytes += raw;
    return *this;
  }
  void put32(uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
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
};

inline void appendBlock(const Dir& dir, ArchiveImage& out, uint32_t& dirs, uint32_t& files) {
  ++dirs;
  out.directory(dir.name, static_cast<uint32_t>(out.bytes.size()), static_cast<uint16_t>(dir.dirs.size()),
                static_cast<uint16_t>(dir.files.size()));
  uint32_t offset = static_cast<uint32_t>(out.bytes.size() + 128 * dir.files.size());
  for (const File& file : dir.files) {
    out.file(file.name, offset, static_cast<uint32_t>(file.bytes.size()));
    offset += static_cast<uint32_t>(file.bytes.size());
  }
  for (const File& file : dir.files) {
    out.data(file.bytes);
    ++files;
  }
  for (const Dir& sub : dir.dirs) {
    appendBlock(sub, out, dirs, files);
  }
}

// A complete archive of the tree, header counts filled in.
inline std::string archiveImage(const Dir& root) {
  ArchiveImage body;
  body.bytes.resize(16);
  uint32_t dirs = 0;
  uint32_t files = 0;
  appendBlock(root, body, dirs, files);
  return ArchiveImage().header(dirs, files).bytes + body.bytes.substr(16);
}

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

}  // namespace archivetest
