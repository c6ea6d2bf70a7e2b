#include "packer/PackTree.h"

#include <windows.h>

#include <algorithm>

#include "packer/NativePath.h"
#include "packer/Report.h"

namespace {

// A name that is no name on Windows: a backslash would be read as a separator (a file called
// "..\secret" would stand for "../secret"), and control characters are refused there.
bool unsafeName(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return c == '\\' || isControl(c); });
}

}  // namespace

std::string PackTree::recordNameOf(const std::string& path) const {
  std::string name = path;
  PackRecord::lowerName(name);
  return name;
}

PackTree::Result PackTree::scan(const std::string& packDir, const PackLimits& chosenLimits, const FileIdentity& skip) {
  limits = chosenLimits;
  skipped = skip;
  parents.clear();
  root = Directory();
  root.path = packDir;
  problemPath.clear();
  archiveLength = PackHeader::kLength;
  FileIdentity identity;
  if (fileIdentity(nativePath(packDir), identity)) {
    parents.push_back(identity);
  }
  Result result = scanDirectory(root);
  if (result == Result::ok && root.entry != Entry::packed) {
    return Result::rootNotListed;
  }
  return result;
}

PackTree::Result PackTree::addFile(Directory& directory, const std::string& name, const std::string& path) {
  File file;
  file.path = path;
  file.recordName = recordNameOf(path);
  if (unsafeName(name)) {
    file.entry = Entry::unsafeName;
  } else {
    // Opened without waiting, so a pipe or device is refused rather than read.
    RegularFile opened;
    if (opened.open(nativePath(path))) {
      if (opened.identity() == skipped) {
        return Result::ok;
      }
      file.size = opened.size();
      file.entry = Entry::packed;
      if (file.recordName.size() > limits.maxNameLength) {
        problemPath = path;
        return Result::nameTooLong;
      }
    }
  }
  directory.files.push_back(std::move(file));
  return Result::ok;
}

// Lists one directory, then descends into its subdirectories. The listing is closed before
// descending, so only one is ever open. Recursion stays shallow: a directory whose path is too
// long to be stored ends the scan, and every level adds at least two bytes to the path.
PackTree::Result PackTree::scanDirectory(Directory& directory) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((directory.path + "\\*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    return Result::ok;  // left out; the writer reports it
  }
  directory.recordName = recordNameOf(directory.path);
  if (directory.recordName.size() > limits.maxNameLength) {
    FindClose(find);
    problemPath = directory.path;
    return Result::nameTooLong;
  }
  directory.entry = Entry::packed;
  Result result = Result::ok;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") {
      continue;
    }
    std::string path = directory.path + "\\" + name;
    DWORD attributes = unsafeName(name) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      Directory subdirectory;
      subdirectory.path = path;
      directory.subdirectories.push_back(std::move(subdirectory));
    } else {
      result = addFile(directory, name, path);
    }
  } while (result == Result::ok && FindNextFileA(find, &found));
  FindClose(find);
  if (result != Result::ok) {
    return result;
  }

  // This directory's own block: its record, its file records and their data.
  uint64_t files = 0;
  archiveLength += PackRecord::kLength;
  for (const File& file : directory.files) {
    if (file.entry != Entry::packed) {
      continue;
    }
    ++files;
    // Each sum stays at or under the limit before the next term is added, so none overflows.
    archiveLength += PackRecord::kLength;
    if (file.size > limits.maxArchiveLength || archiveLength > limits.maxArchiveLength - file.size) {
      problemPath = file.path;
      return Result::tooLarge;
    }
    archiveLength += file.size;
  }
  if (files > limits.maxCount) {
    problemPath = directory.path;
    return Result::tooManyEntries;
  }
  directory.packedFileCount = static_cast<uint16_t>(files);

  // Links to directories are followed like directories; only one that leads back to a directory
  // on the current path is left out, so no loop of links can make the scan run for ever.
  uint64_t subdirectories = 0;
  for (Directory& subdirectory : directory.subdirectories) {
    FileIdentity identity;
    bool known = fileIdentity(nativePath(subdirectory.path), identity);
    if (known && std::find(parents.begin(), parents.end(), identity) != parents.end()) {
      subdirectory.entry = Entry::loop;
      continue;
    }
    if (known) {
      parents.push_back(identity);
    }
    result = scanDirectory(subdirectory);
    if (result != Result::ok) {
      return result;
    }
    if (known) {
      parents.pop_back();
    }
    if (subdirectory.entry == Entry::packed) {
      ++subdirectories;
    }
  }
  if (subdirectories > limits.maxCount) {
    problemPath = directory.path;
    return Result::tooManyEntries;
  }
  directory.packedSubdirectoryCount = static_cast<uint16_t>(subdirectories);
  if (archiveLength > limits.maxArchiveLength) {
    problemPath = directory.path;
    return Result::tooLarge;
  }
  return Result::ok;
}

std::string PackTree::problemMessage(Result result) const {
  switch (result) {
    case Result::nameTooLong:
      return "Path Too Long To Pack (" + std::to_string(limits.maxNameLength) + " Bytes At Most):" + problemPath + "\n";
    case Result::tooManyEntries:
      return "Too Many Entries To Pack (" + std::to_string(limits.maxCount) + " Files And " +
             std::to_string(limits.maxCount) + " SubDirs At Most):" + problemPath + "\n";
    case Result::tooLarge:
      return "Pack File Too Large (" + std::to_string(limits.maxArchiveLength) + " Bytes At Most):" + problemPath +
             "\n";
    case Result::ok:
    case Result::rootNotListed:
      break;
  }
  return std::string();
}
