#include "archive/PackWalk.h"

#include <cstring>
#include <vector>

#include "platform/RegularFile.h"

namespace {

constexpr uint64_t kRecord = PackRecord::kLength;

// A directory whose block the walk is inside: its file records, read in one piece, and how many
// of them and of its subdirectory records are still to visit.
struct Frame {
  std::vector<uint8_t> fileRecords;
  size_t nextFile = 0;
  uint32_t subdirectoriesLeft = 0;
};

class Walker {
public:
  Walker(const RegularFile& archive, const PackWalk::Rules& rules, PackWalk::Visitor& visitor)
      : archive(archive), rules(rules), visitor(visitor) {}

  PackWalk::Result run(const uint8_t* root) {
    PackWalk::Result result = visit(root);
    while (result == PackWalk::Result::complete && !stack.empty()) {
      Frame& top = stack.back();
      uint8_t image[PackRecord::kLength];
      if (top.nextFile * kRecord < top.fileRecords.size()) {
        // Copied out: visiting may push a frame and move this one.
        std::memcpy(image, &top.fileRecords[top.nextFile * kRecord], sizeof image);
        ++top.nextFile;
      } else if (top.subdirectoriesLeft > 0) {
        --top.subdirectoriesLeft;
        if (!archive.read(position, image, kRecord)) {
          return PackWalk::Result::damaged;
        }
        position += kRecord;
      } else {
        stack.pop_back();
        visitor.leaveDirectory();
        continue;
      }
      result = visit(image);
    }
    return result;
  }

private:
  PackWalk::Result visit(const uint8_t* image) {
    PackRecord record = PackRecord::read(image);
    if (!record.nameTerminated()) {
      return PackWalk::Result::damaged;
    }
    uint64_t left = length - position;
    if (record.isDirectory()) {
      // Its file records come next, and the walk goes on behind them.
      uint64_t bytes = record.fileCount() * kRecord;
      if (stack.size() >= rules.maxDepth || bytes > left) {
        return PackWalk::Result::damaged;
      }
      Frame frame;
      frame.fileRecords.resize(static_cast<size_t>(bytes));
      if (bytes > 0 && !archive.read(position, frame.fileRecords.data(), bytes)) {
        return PackWalk::Result::damaged;
      }
      position += bytes;
      frame.subdirectoriesLeft = record.subdirectoryCount();
      if (!visitor.enterDirectory(record, record.nameString())) {
        return PackWalk::Result::stopped;
      }
      stack.push_back(std::move(frame));
      return PackWalk::Result::complete;
    }
    // A file's data lie next in the walk.
    uint64_t size = record.size;
    if (size > left || (rules.dataAtOffsets && (record.offset > length || size > length - record.offset))) {
      return PackWalk::Result::damaged;
    }
    position += size;
    return visitor.visitFile(record, record.nameString()) ? PackWalk::Result::complete : PackWalk::Result::stopped;
  }

  const RegularFile& archive;
  const PackWalk::Rules& rules;
  PackWalk::Visitor& visitor;
  const uint64_t length = archive.size();
  uint64_t position = PackHeader::kLength + kRecord;
  std::vector<Frame> stack;
};

}  // namespace

PackWalk::Result PackWalk::walk(const RegularFile& archive, const uint8_t* root, const Rules& rules, Visitor& visitor) {
  if (archive.size() < PackHeader::kLength + kRecord) {
    return Result::damaged;
  }
  return Walker(archive, rules, visitor).run(root);
}
