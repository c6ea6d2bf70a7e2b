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
  streamPosition = 0;

  uint8_t image[PackHeader::kLength];
  if (!readAt(0, image, PackHeader::kLength)) {
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
  entries.reserve(static_cast<size_t>(std::min({expected, length / kRecord, uint64_t{1} << 20})));

  uint8_t root[PackRecord::kLength];
  walkPosition = PackHeader::kLength + kRecord;
  if (!readAt(PackHeader::kLength, root, kRecord) || !readDirectory(root)) {
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

// Reads bytes at position. The stream is sought only when it does not already stand there, so
// the records of one directory are read as one sequential run however much data they describe.
bool PackArchive::readAt(uint64_t position, uint8_t* into, uint64_t count) {
  if (position > length || count > length - position) {
    return false;
  }
  if (streamPosition != position) {
    stream.clear();
    stream.seekg(static_cast<std::streamoff>(position), std::ios::beg);
    if (!stream) {
      return false;
    }
  }
  stream.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
  if (static_cast<uint64_t>(stream.gcount()) != count) {
    streamPosition = length + 1;  // unknown: seek before the next read
    return false;
  }
  streamPosition = position + count;
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
    // The file records come first and the walk goes on behind them; a count the rest of the
    // archive cannot hold is damage.
    uint64_t files = record.fileCount();
    if (files * kRecord > length - walkPosition) {
      return false;
    }
    WalkFrame frame;
    frame.nextRecord = walkPosition;
    frame.filesLeft = record.fileCount();
    frame.subdirectoriesLeft = record.subdirectoryCount();
    walkPosition += files * kRecord;
    walk.push_back(frame);
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

// Depth first: a directory's file records in order (a directory record among them is walked
// where it stands), then its subdirectory records. The directories being walked are kept on an
// explicit stack, so a hostile archive nesting thousands of levels deep costs heap, bounded by
// the records it really holds, never the call stack.
bool PackArchive::readDirectory(const uint8_t* record) {
  walk.clear();
  bool sound = visit(record);
  while (sound && !walk.empty()) {
    WalkFrame& top = walk.back();
    uint8_t next[PackRecord::kLength];
    if (top.filesLeft > 0) {
      --top.filesLeft;
      sound = readAt(top.nextRecord, next, kRecord);
      top.nextRecord += kRecord;
    } else if (top.subdirectoriesLeft > 0) {
      --top.subdirectoriesLeft;
      sound = readAt(walkPosition, next, kRecord);
      walkPosition += kRecord;
    } else {
      walk.pop_back();
      continue;
    }
    // visit may push a frame; top is not touched after this.
    sound = sound && visit(next);
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
