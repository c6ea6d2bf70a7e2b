#pragma once

#include <cstdint>
#include <string>

#include "archive/PackWalk.h"

// What unpacking asks of an archive beyond its layout: every file's data lie inside the archive
// where its record says, and no directory nests deeper than a sound archive can (a 115-byte name
// holds at most 58 levels).
constexpr PackWalk::Rules kUnpackRules{64, true};

enum class UnpackResult {
  unpacked,    // every directory and file was written
  incomplete,  // some were refused or could not be written; each has its line
  failed,      // the archive cannot be opened, is no pack archive, or is damaged: nothing was made
};

// "-u": recreates the archive's directories and files under destDir, each at destDir followed
// directly by its stored name, and counts what it wrote. A damaged archive is found by a
// checking walk before anything is created. Entries are refused, each with its line, when their
// name could reach outside destDir, a link stands where they go, or they would overwrite the
// archive itself; a file that cannot be written whole is removed again.
UnpackResult unpackArchive(const std::string& packedFile, const std::string& destDir, uint32_t& filesWritten,
                           uint32_t& directoriesWritten);

// False for a stored name that would reach outside destDir or cannot be a name: empty, a
// leading separator, a drive, a ".." component (also as Windows reads it, with trailing dots or
// blanks), or a control character.
bool isSafeEntryName(const std::string& name);
