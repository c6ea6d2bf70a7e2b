#include "packer/PackTree.h"

#include <windows.h>

#include <fstream>

#include "packer/NativePath.h"

uint64_t fileSize(const std::string& path) {
  std::ifstream in(nativePath(path), std::ios::binary);
  if (!in.is_open()) {
    return kUnreadableFile;
  }
  in.seekg(0, std::ios::end);
  std::streamoff end = in.tellg();
  return end < 0 ? kUnreadableFile : static_cast<uint64_t>(end);
}

std::string PackTree::recordNameOf(const std::string& path) const {
  std::string name = path;
  PackRecord::lowerName(name);
  return name;
}

PackTree::Result PackTree::scan(const std::string& packDir, const PackLimits& chosenLimits) {
  limits = chosenLimits;
  root = Directory();
  root.path = packDir;
  problemPath.clear();
  archiveLength = PackHeader::kLength;
  Result result = scanDirectory(root);
  if (result == Result::ok && !root.packed) {
    return Result::rootNotListed;
  }
  return result;
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
  directory.packed = true;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") {
      continue;
    }
    std::string path = directory.path + "\\" + name;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      Directory subdirectory;
      subdirectory.path = path;
      subdirectory.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      directory.subdirectories.push_back(std::move(subdirectory));
      continue;
    }
    File file;
    file.path = path;
    // A pipe or device could block a read for ever or never end; only files are opened.
    bool device = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE) != 0;
    file.size = device ? kUnreadableFile : fileSize(path);
    file.packed = file.size != kUnreadableFile;
    if (file.packed) {
      file.recordName = recordNameOf(path);
      if (file.recordName.size() > limits.maxNameLength) {
        FindClose(find);
        problemPath = path;
        return Result::nameTooLong;
      }
    }
    directory.files.push_back(std::move(file));
  } while (FindNextFileA(find, &found));
  FindClose(find);

  // This directory's own block: its record, its file records and their data.
  uint64_t files = 0;
  archiveLength += PackRecord::kLength;
  for (const File& file : directory.files) {
    if (!file.packed) {
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

  uint64_t subdirectories = 0;
  for (Directory& subdirectory : directory.subdirectories) {
    if (subdirectory.link) {
      continue;
    }
    Result result = scanDirectory(subdirectory);
    if (result != Result::ok) {
      return result;
    }
    if (subdirectory.packed) {
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
