#include "packer/Unpacking.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <vector>

#include "packer/NativePath.h"
#include "packer/Report.h"
#include "packer/ScratchBlock.h"
#include "platform/RegularFile.h"

namespace {

ScratchBlock unpackBlock;

// The first walk only reads: a damaged archive is found before anything is created.
class Checker : public PackWalk::Visitor {
public:
  bool enterDirectory(const PackRecord&, const std::string&) override { return true; }
  bool visitFile(const PackRecord&, const std::string&) override { return true; }
};

bool hasAttribute(const std::string& path, DWORD attribute) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & attribute) != 0;
}

// The second walk creates: directories as it enters them, each file from its record.
class Unpacker : public PackWalk::Visitor {
public:
  Unpacker(const RegularFile& archive, const std::string& destDir) : archive(archive), destDir(destDir) {}

  bool enterDirectory(const PackRecord&, const std::string& name) override {
    Opened directory{destDir + name, false, false};
    directory.shown = !refused(name, directory.path, GetFileAttributesA(directory.path.c_str()), false);
    if (directory.shown) {
      report("Unpacking Directory :" + directory.path + " ...\n");
      // Its result is not looked at: a directory that exists already is as good as a new one.
      CreateDirectoryA(directory.path.c_str(), nullptr);
      directory.made = hasAttribute(directory.path, FILE_ATTRIBUTE_DIRECTORY);
      count(directory.made, directoriesWritten);
    }
    opened.push_back(directory);
    return true;
  }

  void leaveDirectory() override {
    const Opened& directory = opened.back();
    if (directory.shown) {
      report("Unpacking Directory :" + directory.path + (directory.made ? " OK!\n" : " Failed!\n"));
    }
    opened.pop_back();
  }

  bool visitFile(const PackRecord& record, const std::string& name) override {
    std::string path = destDir + name;
    DWORD found = GetFileAttributesA(path.c_str());
    if (!refused(name, path, found, true)) {
      report("Unpacked File :" + path + " ...\n");
      // A pipe or device where the file goes could block the run or swallow the bytes.
      bool written = (found == INVALID_FILE_ATTRIBUTES || (found & FILE_ATTRIBUTE_DEVICE) == 0) && write(path, record);
      report("Unpacked File :" + path + (written ? " ok\n" : " Failed!\n"));
      count(written, filesWritten);
    }
    return true;
  }

  uint32_t filesWritten = 0;
  uint32_t directoriesWritten = 0;
  bool complete = true;

private:
  struct Opened {
    std::string path;
    bool shown;  // its progress line was printed
    bool made;   // it exists now
  };

  void count(bool written, uint32_t& counter) {
    if (written) {
      ++counter;
    } else {
      complete = false;
    }
  }

  // Refuses an entry, with its line: a name that could reach outside destDir; a link (or
  // junction) on the way below destDir, or where the entry goes (found: what is there now),
  // through which it would be written somewhere else; or a file that is the archive being read.
  bool refused(const std::string& name, const std::string& path, DWORD found, bool file) {
    bool exists = found != INVALID_FILE_ATTRIBUTES;
    std::string line;
    FileIdentity identity;
    if (!isSafeEntryName(name)) {
      line = "Refused Unsafe Name :" + printable(name);
    } else if ((exists && (found & FILE_ATTRIBUTE_REPARSE_POINT) != 0) || linkAbove(name)) {
      line = "Refused Link In The Way :" + path;
    } else if (file && exists && fileIdentity(nativePath(path), identity) && identity == archive.identity()) {
      line = "Refused To Overwrite The Pack File :" + path;
    } else {
      return false;
    }
    report(line + "\n");
    complete = false;
    return true;
  }

  // Each directory on the way is asked once a run; the unpacker itself never makes a link.
  bool linkAbove(const std::string& name) {
    for (size_t end = name.find_first_of("\\/"); end != std::string::npos; end = name.find_first_of("\\/", end + 1)) {
      std::string above = destDir + name.substr(0, end);
      if (clean.count(above) == 0) {
        if (hasAttribute(above, FILE_ATTRIBUTE_REPARSE_POINT)) {
          return true;
        }
        clean.insert(above);
      }
    }
    return false;
  }

  // The data are read before the file is opened, so a failed read cuts nothing short; a file
  // that could not be written whole is removed rather than left short under its own name.
  bool write(const std::string& path, const PackRecord& record) {
    uint8_t* block = unpackBlock.get(record.size);
    if (!block || !archive.read(record.offset, block, record.size)) {
      return false;
    }
    std::ofstream out(nativePath(path), std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
      return false;
    }
    out.write(reinterpret_cast<const char*>(block), static_cast<std::streamsize>(record.size));
    out.close();
    if (out.fail()) {
      std::remove(nativePath(path).c_str());
      return false;
    }
    return true;
  }

  const RegularFile& archive;
  const std::string& destDir;
  std::vector<Opened> opened;
  std::set<std::string> clean;  // directories on the way found to be no link
};

}  // namespace

bool isSafeEntryName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') {
    return false;
  }
  if (name.size() >= 2 && name[1] == ':') {
    return false;
  }
  if (std::any_of(name.begin(), name.end(), isControl)) {
    return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) {
      end = name.size();
    }
    // Windows drops trailing dots and blanks from a name, so ". ." or "..." can mean "..".
    size_t dots = 0;
    bool onlyDotsAndBlanks = true;
    for (size_t i = start; i < end; ++i) {
      if (name[i] == '.') {
        ++dots;
      } else if (name[i] != ' ') {
        onlyDotsAndBlanks = false;
      }
    }
    if (onlyDotsAndBlanks && dots >= 2) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

UnpackResult unpackArchive(const std::string& packedFile, const std::string& destDir, uint32_t& filesWritten,
                           uint32_t& directoriesWritten) {
  RegularFile in;
  uint8_t header[PackHeader::kLength];
  if (!in.open(nativePath(packedFile)) || !in.read(0, header, sizeof header) ||
      PackHeader::read(header).magic != PackHeader::kMagic) {
    return UnpackResult::failed;
  }
  uint8_t root[PackRecord::kLength];
  Checker checker;
  Unpacker unpacker(in, destDir);
  if (!in.read(PackHeader::kLength, root, sizeof root) ||
      PackWalk::walk(in, root, kUnpackRules, checker) != PackWalk::Result::complete) {
    report("Damaged Or Truncated Pack File!\n");
    return UnpackResult::failed;
  }
  // Should the archive change between the walks, what the second cannot reach is not written.
  bool walked = PackWalk::walk(in, root, kUnpackRules, unpacker) == PackWalk::Result::complete;
  filesWritten = unpacker.filesWritten;
  directoriesWritten = unpacker.directoriesWritten;
  return walked && unpacker.complete ? UnpackResult::unpacked : UnpackResult::incomplete;
}
