#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/PackFormat.h"

// Returned by fileSize for a file that cannot be opened.
constexpr uint64_t kUnreadableFile = UINT64_MAX;

// Opens the file at path (backslashes allowed), takes its length from a seek to its end and
// closes it again; kUnreadableFile when it cannot be opened.
uint64_t fileSize(const std::string& path);

// What the format can hold; tests lower the limits to reach the edges with small trees.
struct PackLimits {
  uint64_t maxNameLength = PackRecord::kMaxNameLength;  // the name field keeps its zero
  uint64_t maxCount = 0xFFFF;                           // files, or subdirectories, per directory
  uint64_t maxArchiveLength = 0xFFFFFFFFu;              // every offset and size fits 32 bits
};

// The tree to pack, listed once before anything is written. Knowing every directory's
// contents up front lets the writer leave out what cannot be read before any offset is given
// out, and refuse a tree the format cannot hold before it writes a single record.
class PackTree {
public:
  struct File {
    std::string path;        // full path as listed, letters as on disk: what is opened
    std::string recordName;  // the lowered full path that the record stores
    uint64_t size = 0;       // length when listed
    bool packed = false;     // false: cannot be read, left out of the archive
  };

  struct Directory {
    std::string path;
    std::string recordName;
    bool packed = false;                    // false: cannot be listed, or a link; left out of the archive
    bool link = false;                      // a link to a directory: never followed, so no link makes a loop
    std::vector<File> files;                // in listing order, left-out ones included
    std::vector<Directory> subdirectories;  // in listing order, left-out ones included
    uint16_t packedFileCount = 0;
    uint16_t packedSubdirectoryCount = 0;
  };

  enum class Result { ok, rootNotListed, nameTooLong, tooManyEntries, tooLarge };

  // Lists packDir and everything below it. On a result other than ok, problemPath names the
  // path that broke a limit and the tree is incomplete.
  Result scan(const std::string& packDir, const PackLimits& limits = PackLimits());

  // The clear line that explains a failed scan (empty for ok and rootNotListed).
  std::string problemMessage(Result result) const;

  Directory root;
  std::string problemPath;
  uint64_t archiveLength = 0;  // length of the archive the tree makes, when the scan is ok

private:
  Result scanDirectory(Directory& directory);
  std::string recordNameOf(const std::string& path) const;

  PackLimits limits;
};
