#pragma once

#include <algorithm>
#include <string>

// Paths inside the packer use the backslash as their separator, as stored in archives. The
// file-system calls of the platform layer take them as they are; the standard streams take the
// host's own syntax, which on POSIX systems means a slash.
inline std::string nativePath(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}
