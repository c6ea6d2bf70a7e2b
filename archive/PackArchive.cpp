#include "archive/PackArchive.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "archive/FileLoader.h"
#include "archive/PackFormat.h"
#include "archive/PackWalk.h"

namespace {

constexpr uint64_t kRecord = static_cast<uint64_t>(PackRecord::kLength);

// Names order as unsigned bytes over the shorter length, a prefix before the longer names it
// begins; std::string's own comparison is exactly that (char_traits<char> compares unsigned).
bool nameLess(const PackEntry& a, const PackEntry& b) {
  return a.name < b.name;
}

// One entry for every record the walk meets; file data are only stepped over.
class EntryCollector : public PackWalk::Visitor {
public:
  explicit EntryCollector(std::vector<PackEntry>& entries) : entries(entries) {}

  bool enterDirectory(const PackRecord& record, const std::string& name) override {
    add(record, name, PackRecord::kDirectory);
    return true;
  }
  bool visitFile(const PackRecord& record, const std::string& name) override {
    add(record, name, PackRecord::kFile);
    return true;
  }

private:
  void add(const PackRecord& record, const std::string& name, uint32_t flags) {
    PackEntry entry;
    entry.name = name;
    entry.flags = static_cast<int32_t>(flags);
    entry.offset = static_cast<int32_t>(record.offset);
    entry.size = static_cast<int32_t>(record.size);
    entries.push_back(std::move(entry));
  }

  std::vector<PackEntry>& entries;
};

}  // namespace

PackArchive::~PackArchive() {
  PackArchive::close();
}

bool PackArchive::open(const std::string& path) {
  close();
  if (!stream.open(path)) {
    return false;
  }
  uint8_t image[PackHeader::kLength];
  if (!stream.read(0, image, PackHeader::kLength)) {
    close();
    return false;
  }
  PackHeader header = PackHeader::read(image);
  if (header.magic != PackHeader::kMagic) {
    // Stays open with an empty directory: every read fails at its lookup.
    return false;
  }
  directoryCount = header.directoryCount;
  fileCount = header.fileCount;
  // The header's counts size the directory; they are not trusted beyond what the file can hold.
  uint64_t expected = static_cast<uint64_t>(directoryCount) + fileCount;
  entries.reserve(static_cast<size_t>(std::min({expected, stream.size() / kRecord, uint64_t{1} << 20})));

  uint8_t root[PackRecord::kLength];
  if (!stream.read(PackHeader::kLength, root, kRecord) || !readDirectory(root)) {
    close();
    return false;
  }
  std::sort(entries.begin(), entries.end(), nameLess);
  return true;
}

bool PackArchive::close() {
  stream.close();
  entries.clear();
  return true;
}

bool PackArchive::readDirectory(const uint8_t* record) {
  EntryCollector collector(entries);
  return PackWalk::walk(stream, record, PackWalk::Rules(), collector) == PackWalk::Result::complete;
}

int32_t PackArchive::findEntry(const std::string& name) const {
  char key[PackRecord::kLength];
  if (name.size() >= sizeof key) {
    return -1;
  }
  std::memcpy(key, name.data(), name.size());
  PackRecord::lowerName(key, name.size());
  std::string_view wanted(key, name.size());

  int32_t lo = 0;
  int32_t hi = static_cast<int32_t>(entries.size()) - 1;
  int32_t mid = hi / 2;
  while (lo <= hi) {
    std::string_view at(entries[mid].name);
    if (at < wanted) {
      lo = mid + 1;
    } else if (!(wanted < at)) {
      return mid;
    } else {
      hi = mid - 1;
    }
    mid = (lo + hi) / 2;
  }
  return -1;
}

// Finds a file entry whose bytes lie wholly inside the archive.
bool PackArchive::locate(const std::string& name, uint64_t& offset, int32_t& size) const {
  if (!stream.isOpen()) {
    return false;
  }
  int32_t index = findEntry(name);
  if (index < 0) {
    return false;
  }
  const PackEntry& entry = entries[index];
  if (entry.flags != static_cast<int32_t>(PackRecord::kFile) || entry.size < 0) {
    return false;
  }
  uint64_t start = static_cast<uint32_t>(entry.offset);
  uint64_t count = static_cast<uint32_t>(entry.size);
  if (start > stream.size() || count > stream.size() - start) {
    return false;
  }
  offset = start;
  size = entry.size;
  return true;
}

bool PackArchive::readFile(const std::string& name, ByteBuffer& buffer) {
  uint64_t offset = 0;
  int32_t count = 0;
  return locate(name, offset, count) && FileLoader::readRange(stream, offset, count, buffer);
}

bool PackArchive::readFile(const std::string& name, uint8_t*& block, int32_t& size) {
  uint64_t offset = 0;
  int32_t count = 0;
  return locate(name, offset, count) && FileLoader::readRange(stream, offset, count, block, size);
}
