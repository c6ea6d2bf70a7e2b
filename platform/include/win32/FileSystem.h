/// @file
/// Directory search, attributes and directory creation: the kernel32 calls the packer needs, with
/// the SDK's names, argument orders, struct layout and constant values.
///
/// On POSIX systems (platform/posix/FileSystem.cpp):
/// - A backslash in a path is a directory separator, like the slash.
/// - FindFirstFileA takes a directory and a mask (`"dir\\*.*"`); `"*.*"` and `"*"` match every name,
///   other masks match with '*' and '?' ignoring ASCII case. The listing starts with "." and ".."
///   as on Windows, then gives the other names in ascending byte order, so packing one tree twice
///   gives identical archives.
/// - Attributes: FILE_ATTRIBUTE_DIRECTORY for a directory; FILE_ATTRIBUTE_NORMAL for a writable
///   regular file, FILE_ATTRIBUTE_READONLY for one its owner cannot write; FILE_ATTRIBUTE_HIDDEN
///   is added for names starting with a dot; FILE_ATTRIBUTE_DEVICE for anything that is neither a
///   file nor a directory (pipes, sockets, devices), which must never be opened for reading.
/// - Symbolic links carry FILE_ATTRIBUTE_REPARSE_POINT, as Windows reports symbolic links and
///   junctions, plus the attributes of their target: a link to a directory is reported as
///   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, a dangling link as
///   FILE_ATTRIBUTE_REPARSE_POINT alone. A tree walker that follows links (the packer) tells a
///   link back to a directory it is already inside by file identity, here and on Windows alike.
/// - MoveFileExA is rename(); without MOVEFILE_REPLACE_EXISTING an existing target is kept.
#pragma once

#include "win32/Types.h"

/// @{

/// Attributes of a file or directory, as GetFileAttributesA and a listing give them (see above).
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_DEVICE 0x00000040
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
/// @}

/// @{

/// One entry of a listing: its attributes, times, size and name.
typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;
/// @}

/// @{

/// Security attributes of a new object (ignored on POSIX systems).
typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
/// @}

/// Starts a listing: fills findData with the first match and returns a handle for FindNextFileA,
/// or returns INVALID_HANDLE_VALUE when the directory cannot be read or nothing matches.
HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
/// Fills findData with the next match; FALSE when the listing is exhausted.
BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
/// Ends a listing.
BOOL WINAPI FindClose(HANDLE hFindFile);

/// The attributes of the named entry (for a symbolic link: its target's plus the reparse-point
/// bit, see above), or INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);

/// MoveFileExA's flag: take the place of an existing file of the new name.
#define MOVEFILE_REPLACE_EXISTING 0x00000001

/// Renames a file, on the same volume in one step; with MOVEFILE_REPLACE_EXISTING it takes the
/// place of an existing file of the new name.
BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags);

/// Creates one directory (its parent must exist); FALSE if it cannot, for instance because it
/// exists already. The security attributes are ignored.
BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
