#include "archive/PackArchive.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "archive/ByteBuffer.h"
#include "archive/PackFormat.h"

namespace {

constexpr uint64_t kRecord = static_cast<uint64_t>(PackRecord::kLength);

// Names order as unsigned bytes over the shorter length, a prefix before the longer names it
// begins; std::string's own comparison is exactly that (char_traits<char> compares unsigned).
bool nameLess(const PackEntry& a, const PackEntry& b) {
  return a.name < b.name;
}

}  // namespace

PackArchive::~PackArchive() {
  PackArchive::close();
}

bool PackArchive::open(const std::string& path) {
  close();
  // A stream left failed by an earlier archive must not make this one look damaged.
  stream.clear();
  stream.open(path, std::ios::in | std::ios::binary);
  if (!stream.is_open()) {
    stream.setstate(std::ios::failbit);
    return false;
  }
  stream.seekg(0, std::ios::end);
  std::streamoff end = stream.tellg();
  stream.seekg(0, std::ios::beg);
  if (!stream || end < 0) {
    close();
    return false;
  }
  length = static_cast<uint64_t>(end);
  walkPosition = 0;
  streamPosition = 0;

  uint8_t image[PackHeader::kLength];
  if (!readRecords(image, PackHeader::kLength)) {
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

  uint8_t root[PackRecord::kLength];
  if (!readRecords(root, kRecord) || !readDirectory(root)) {
    close();
    return false;
  }
  std::sort(entries.begin(), entries.end(), nameLess);
  return true;
}

bool PackArchive::close() {
  if (stream.is_open()) {
    stream.close();
  }
  entries.clear();
  walk.clear();
  length = 0;
  return true;
}

// Reads bytes at the walk position, which only ever moves forward. Skipped file data is
// passed over lazily: the stream is sought only when the next record is actually wanted, so a
// directory of many files costs one seek rather than one per file.
bool PackArchive::readRecords(uint8_t* into, uint64_t count) {
  if (walkPosition > length || count > length - walkPosition) {
    return false;
  }
  if (streamPosition != walkPosition) {
    stream.clear();
    stream.seekg(static_cast<std::streamoff>(walkPosition), std::ios::beg);
    if (!stream) {
      return false;
    }
  }
  stream.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
  if (static_cast<uint64_t>(stream.gcount()) != count) {
    return false;
  }
  walkPosition += count;
  streamPosition = walkPosition;
  return true;
}

bool PackArchive::visit(const uint8_t* image) {
  PackRecord record = PackRecord::read(image);
  if (!record.nameTerminated()) {
    return false;
  }
  PackEntry entry;
  entry.name = record.nameString();
  entry.offset = static_cast<int32_t>(record.offset);
  entry.size = static_cast<int32_t>(record.size);
  if (record.isDirectory()) {
    entry.flags = static_cast<int32_t>(PackRecord::kDirectory);
    entries.push_back(std::move(entry));
    // The file records are read together before any of them is visited; a count the rest of
    // the archive cannot hold is damage, not a reason to allocate.
    uint64_t files = record.fileCount();
    WalkFrame frame;
    frame.subdirectoriesLeft = record.subdirectoryCount();
    if (files > 0) {
      if (files * kRecord > length - walkPosition) {
        return false;
      }
      frame.fileRecords.resize(static_cast<size_t>(files * kRecord));
      if (!readRecords(frame.fileRecords.data(), files * kRecord)) {
        return false;
      }
    }
    walk.push_back(std::move(frame));
    return true;
  }
  // Any flags but 16 make a file. Its data lie next in the walk; they are stepped over, never
  // read, and must not run past the end of the archive.
  if (record.size > length - walkPosition) {
    return false;
  }
  walkPosition += record.size;
  entry.flags = static_cast<int32_t>(PackRecord::kFile);
  entries.push_back(std::move(entry));
  return true;
}

// Depth first, each directory's file records before its subdirectories, with the directories
// being walked kept on an explicit stack: a hostile archive nesting thousands of levels deep
// costs heap, bounded by the records it really holds, never the call stack.
bool PackArchive::readDirectory(const uint8_t* record) {
  walk.clear();
  bool sound = visit(record);
  while (sound && !walk.empty()) {
    WalkFrame& top = walk.back();
    uint8_t next[PackRecord::kLength];
    if (top.nextFile * kRecord < top.fileRecords.size()) {
      std::memcpy(next, &top.fileRecords[top.nextFile * kRecord], kRecord);
      ++top.nextFile;
    } else if (top.subdirectoriesLeft > 0) {
      --top.subdirectoriesLeft;
      if (!readRecords(next, kRecord)) {
        sound = false;
        break;
      }
    } else {
      walk.pop_back();
      continue;
    }
    // visit may push a frame; top is not touched after this.
    sound = visit(next);
  }
  walk.clear();
  return sound;
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
bool PackArchive::locate(const std::string& name, uint64_t& offset, int32_t& size) {
  if (!stream.is_open()) {
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
  if (start > length || count > length - start) {
    return false;
  }
  offset = start;
  size = entry.size;
  return true;
}

bool PackArchive::seekData(uint64_t offset) {
  // A short read earlier leaves the stream failed; each read starts afresh.
  stream.clear();
  stream.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
  streamPosition = offset;
  return static_cast<bool>(stream);
}

bool PackArchive::readFile(const std::string& name, ByteBuffer& buffer) {
  uint64_t offset = 0;
  int32_t count = 0;
  if (!locate(name, offset, count) || !seekData(offset)) {
    return false;
  }
  if (!buffer.resize(count)) {
    return false;
  }
  if (count == 0) {
    return true;
  }
  stream.read(reinterpret_cast<char*>(buffer.data), count);
  if (stream.gcount() != count) {
    // Keep only what arrived; the caller sees false.
    buffer.resize(static_cast<int32_t>(stream.gcount()));
    return false;
  }
  return true;
}

bool PackArchive::readFile(const std::string& name, uint8_t*& block, int32_t& size) {
  uint64_t offset = 0;
  int32_t count = 0;
  if (!locate(name, offset, count)) {
    return false;
  }
  size = count;
  block = nullptr;
  if (!seekData(offset)) {
    return false;
  }
  block = new (std::nothrow) uint8_t[static_cast<size_t>(count)];
  if (!block) {
    return false;
  }
  if (count > 0) {
    stream.read(reinterpret_cast<char*>(block), count);
    if (stream.gcount() != count) {
      // The caller owns a block only on success.
      delete[] block;
      block = nullptr;
      return false;
    }
  }
  return true;
}
