#pragma once

// Builds pack archive images in memory for the tests: sound ones laid out exactly as the packer
// lays them out, and raw pieces to assemble damaged ones.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "archive/PackFormat.h"

namespace archivetest {

struct File {
  std::string name;  // full stored name
  std::string bytes;
};

struct Dir {
  std::string name;  // full stored name
  std::vector<File> files;
  std::vector<Dir> dirs;
};

inline std::string headerImage(uint32_t directories, uint32_t files, uint32_t magic = PackHeader::kMagic) {
  PackHeader header;
  header.magic = magic;
  header.directoryCount = directories;
  header.fileCount = files;
  uint8_t out[PackHeader::kLength];
  header.write(out);
  return std::string(reinterpret_cast<char*>(out), sizeof out);
}

inline std::string recordImage(const std::string& name, uint32_t flags, uint32_t offset, uint32_t size) {
  PackRecord record;
  std::string stored = name.substr(0, PackRecord::kMaxNameLength);
  record.setName(stored);
  record.flags = flags;
  record.offset = offset;
  record.size = size;
  uint8_t out[PackRecord::kLength];
  record.write(out);
  return std::string(reinterpret_cast<char*>(out), sizeof out);
}

inline std::string dirRecord(const std::string& name, uint32_t offset, uint16_t subdirs, uint16_t files) {
  return recordImage(name, PackRecord::kDirectory,
                     offset, static_cast<uint32_t>(subdirs) | (static_cast<uint32_t>(files) << 16));
}

inline std::string fileRecord(const std::string& name, uint32_t offset, uint32_t size,
                              uint32_t flags = PackRecord::kFile) {
  return recordImage(name, flags, offset, size);
}

inline void appendBlock(const Dir& dir, std::string& out, uint32_t& dirs, uint32_t& files) {
  ++dirs;
  out += dirRecord(dir.name, static_cast<uint32_t>(out.size()),
                   static_cast<uint16_t>(dir.dirs.size()), static_cast<uint16_t>(dir.files.size()));
  uint32_t offset = static_cast<uint32_t>(out.size() + PackRecord::kLength * dir.files.size());
  for (const File& file : dir.files) {
    out += fileRecord(file.name, offset, static_cast<uint32_t>(file.bytes.size()));
    offset += static_cast<uint32_t>(file.bytes.size());
  }
  for (const File& file : dir.files) {
    out += file.bytes;
    ++files;
  }
  for (const Dir& sub : dir.dirs) {
    appendBlock(sub, out, dirs, files);
  }
}

// A complete archive of the tree, header counts filled in.
inline std::string archiveImage(const Dir& root) {
  std::string out = headerImage(0, 0);
  uint32_t dirs = 0;
  uint32_t files = 0;
  appendBlock(root, out, dirs, files);
  return headerImage(dirs, files) + out.substr(PackHeader::kLength);
}

// A fresh directory for one test's files, removed with the object.
class TempDir {
public:
  TempDir() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("brumal-archive-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string write(const std::string& name, const std::string& bytes) const {
    std::string path = (path_ / name).string();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string path(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

}  // namespace archivetest
