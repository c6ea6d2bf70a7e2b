// Regular files over Win32 handles. CreateFileA refuses a directory (no backup semantics are
// asked for), and GetFileType tells a disk file from a pipe, console or other device.
#include "platform/RegularFile.h"

#include <windows.h>

namespace {

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  FileIdentity identity;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return identity;
}

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

bool fileIdentity(const std::string& path, FileIdentity& identity) {
  if (path.empty()) {
    return false;
  }
  // Backup semantics open directories too; links and junctions are followed to their target.
  HANDLE file = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info;
  bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (known) {
    identity = identityOf(info);
  }
  return known;
}

bool RegularFile::open(const std::string& path) {
  close();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  LARGE_INTEGER size;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      !GetFileInformationByHandle(file, &info)) {
    CloseHandle(file);
    return false;
  }
  handle = reinterpret_cast<intptr_t>(file);
  length = static_cast<uint64_t>(size.QuadPart);
  id = identityOf(info);
  return true;
}

void RegularFile::release() {
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}

uint64_t RegularFile::readSome(uint64_t offset, uint8_t* into, uint64_t count) const {
  // On a handle opened for synchronous reads the overlapped offset says where to read.
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  return ReadFile(reinterpret_cast<HANDLE>(handle), into, static_cast<DWORD>(count), &got, &at) ? got : 0;
}
