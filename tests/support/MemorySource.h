#pragma once

// Whole files served from memory by name, for tests and fuzz targets that load through a
// FileLoader. A name that is not in files cannot be read.

#include "archive/ByteBuffer.h"
#include "archive/FileSource.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class MemorySource : public FileSource {
public:
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string& name, ByteBuffer& buffer) override {
    const auto found = files.find(name);
    if (found == files.end() || !buffer.resize(static_cast<int32_t>(found->second.size()))) return false;
    std::copy(found->second.begin(), found->second.end(), buffer.data);
    return true;
  }
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override {
    const auto found = files.find(name);
    if (found == files.end()) return false;
    block = new uint8_t[found->second.size() + 1];
    size = static_cast<int32_t>(found->second.size());
    std::copy(found->second.begin(), found->second.end(), block);
    return true;
  }

  std::map<std::string, std::vector<uint8_t>> files;
};
