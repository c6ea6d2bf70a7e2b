// Directory search, attributes, directory creation and renaming over POSIX calls. The behaviour a caller
// may rely on (separators, listing order, attributes of links) is described in
// platform/include/win32/FileSystem.h.
#include "win32/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One open listing: the matching names, already in the order they are handed out.
struct FindHandle {
  std::string directory;
  std::vector<std::string> names;
  size_t next = 0;
};

std::string posixPath(const char* path) {
  std::string result(path ? path : "");
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Wildcard match as the Windows shell does it for our purposes: '*' any run, '?' one byte,
// ASCII letters compared without case. "*.*" matches names without a dot too.
bool matchesMask(const char* mask, const char* name) {
  if (std::strcmp(mask, "*.*") == 0 || std::strcmp(mask, "*") == 0) {
    return true;
  }
  const char* starMask = nullptr;
  const char* starName = nullptr;
  while (*name != '\0') {
    if (*mask == '*') {
      starMask = ++mask;
      starName = name;
    } else if (*mask == '?' || (*mask != '\0' && lowerAscii(*mask) == lowerAscii(*name))) {
      ++mask;
      ++name;
    } else if (starMask != nullptr) {
      mask = starMask;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*mask == '*') {
    ++mask;
  }
  return *mask == '\0';
}

FILETIME fileTime(const struct timespec& time) {
  // 100-nanosecond steps since 1601-01-01, the Windows epoch.
  const uint64_t secondsFrom1601To1970 = 11644473600ULL;
  uint64_t ticks = (static_cast<uint64_t>(time.tv_sec) + secondsFrom1601To1970) * 10000000ULL +
                   static_cast<uint64_t>(time.tv_nsec) / 100;
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(ticks);
  result.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return result;
}

DWORD attributesOfStat(const struct stat& info, const std::string& name) {
  DWORD attributes = 0;
  if (S_ISDIR(info.st_mode)) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else if (S_ISREG(info.st_mode)) {
    if ((info.st_mode & S_IWUSR) == 0) {
      attributes |= FILE_ATTRIBUTE_READONLY;
    }
  } else {
    attributes |= FILE_ATTRIBUTE_DEVICE;
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

std::string lastComponent(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') {
    trimmed.pop_back();
  }
  size_t slash = trimmed.find_last_of('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

// Attributes of the entry at path; a symbolic link reports its target's attributes (none if it
// dangles) plus the reparse-point bit. Also hands out the stat data used for sizes and times.
DWORD queryAttributes(const std::string& path, struct stat& info) {
  if (path.empty() || lstat(path.c_str(), &info) != 0) {
    return INVALID_FILE_ATTRIBUTES;
  }
  if (!S_ISLNK(info.st_mode)) {
    return attributesOfStat(info, lastComponent(path));
  }
  struct stat target;
  if (stat(path.c_str(), &target) != 0) {
    return FILE_ATTRIBUTE_REPARSE_POINT;
  }
  info = target;
  DWORD attributes = attributesOfStat(target, lastComponent(path));
  if (attributes == FILE_ATTRIBUTE_NORMAL) {
    attributes = 0;
  }
  return attributes | FILE_ATTRIBUTE_REPARSE_POINT;
}

void fillFindData(const FindHandle& handle, const std::string& name, WIN32_FIND_DATAA& data) {
  std::memset(&data, 0, sizeof data);
  std::string path = handle.directory == "/" ? "/" + name : handle.directory + "/" + name;
  struct stat info;
  std::memset(&info, 0, sizeof info);
  DWORD attributes = queryAttributes(path, info);
  // An entry that vanished since the directory was read is still named, as a plain file.
  data.dwFileAttributes = attributes == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_NORMAL : attributes;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    uint64_t size = static_cast<uint64_t>(info.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
  }
  data.ftCreationTime = fileTime(info.st_mtim);
  data.ftLastAccessTime = fileTime(info.st_atim);
  data.ftLastWriteTime = fileTime(info.st_mtim);
  size_t length = std::min(name.size(), static_cast<size_t>(MAX_PATH - 1));
  std::memcpy(data.cFileName, name.data(), length);
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (lpFileName == nullptr || lpFindFileData == nullptr) {
    return INVALID_HANDLE_VALUE;
  }
  std::string pattern = posixPath(lpFileName);
  size_t slash = pattern.find_last_of('/');
  std::string directory;
  std::string mask;
  if (slash == std::string::npos) {
    directory = ".";
    mask = pattern;
  } else {
    directory = slash == 0 ? "/" : pattern.substr(0, slash);
    mask = pattern.substr(slash + 1);
  }
  if (mask.empty()) {
    return INVALID_HANDLE_VALUE;
  }

  DIR* stream = opendir(directory.c_str());
  if (stream == nullptr) {
    return INVALID_HANDLE_VALUE;
  }
  std::vector<std::string> names;
  while (const struct dirent* entry = readdir(stream)) {
    std::string name(entry->d_name);
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  }
  closedir(stream);
  // Byte order (std::string compares as unsigned bytes), after "." and ".." as Windows lists them.
  std::sort(names.begin(), names.end());
  names.insert(names.begin(), {".", ".."});

  FindHandle* handle = new FindHandle;
  handle->directory = directory;
  for (const std::string& name : names) {
    if (matchesMask(mask.c_str(), name.c_str())) {
      handle->names.push_back(name);
    }
  }
  if (handle->names.empty()) {
    delete handle;
    return INVALID_HANDLE_VALUE;
  }
  fillFindData(*handle, handle->names[0], *lpFindFileData);
  handle->next = 1;
  return static_cast<HANDLE>(handle);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  if (hFindFile == nullptr || hFindFile == INVALID_HANDLE_VALUE || lpFindFileData == nullptr) {
    return FALSE;
  }
  FindHandle* handle = static_cast<FindHandle*>(hFindFile);
  if (handle->next >= handle->names.size()) {
    return FALSE;
  }
  fillFindData(*handle, handle->names[handle->next], *lpFindFileData);
  ++handle->next;
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (hFindFile == nullptr || hFindFile == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  delete static_cast<FindHandle*>(hFindFile);
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  struct stat info;
  return queryAttributes(posixPath(lpFileName), info);
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
  std::string path = posixPath(lpPathName);
  if (path.empty()) {
    return FALSE;
  }
  return mkdir(path.c_str(), 0777) == 0 ? TRUE : FALSE;
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  std::string from = posixPath(lpExistingFileName);
  std::string to = posixPath(lpNewFileName);
  struct stat info;
  if (from.empty() || to.empty() || ((dwFlags & MOVEFILE_REPLACE_EXISTING) == 0 && lstat(to.c_str(), &info) == 0)) {
    return FALSE;
  }
  return std::rename(from.c_str(), to.c_str()) == 0 ? TRUE : FALSE;
}
