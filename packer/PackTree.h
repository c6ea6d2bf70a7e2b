#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/PackFormat.h"
#include "platform/RegularFile.h"

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
  // Why an entry of a listing is in the archive or not.
  enum class Entry {
    packed,
    unreadable,  // a file that cannot be opened as a regular file, or a directory that cannot be listed
    unsafeName,  // a name no Windows directory can hold: a backslash or a control character
    loop,        // a directory (through a link or junction) that is one of its own parents
  };

  struct File {
    std::string path;        // full path as listed, letters as on disk: what is opened
    std::string recordName;  // the lowered full path that the record stores
    uint64_t size = 0;       // length when listed
    Entry entry = Entry::unreadable;
  };

  struct Directory {
    std::string path;
    std::string recordName;
    Entry entry = Entry::unreadable;
    std::vector<File> files;                // in listing order, left-out ones included
    std::vector<Directory> subdirectories;  // in listing order, left-out ones included
    uint16_t packedFileCount = 0;
    uint16_t packedSubdirectoryCount = 0;
  };

  enum class Result { ok, rootNotListed, nameTooLong, tooManyEntries, tooLarge };

  // Lists packDir and everything below it, leaving out the file whose identity is skip (the
  // archive being written). On a result other than ok, problemPath names the path that broke a
  // limit and the tree is incomplete.
  Result scan(const std::string& packDir, const PackLimits& limits = PackLimits(),
              const FileIdentity& skip = FileIdentity());

  // The clear line that explains a failed scan (empty for ok and rootNotListed).
  std::string problemMessage(Result result) const;

  Directory root;
  std::string problemPath;
  uint64_t archiveLength = 0;  // length of the archive the tree makes, when the scan is ok

private:
  Result scanDirectory(Directory& directory);
  Result addFile(Directory& directory, const std::string& name, const std::string& path);
  std::string recordNameOf(const std::string& path) const;

  PackLimits limits;
  FileIdentity skipped;
  std::vector<FileIdentity> parents;  // the directories on the path being listed, the root first
};
