#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "packer/PackTree.h"

// "-p": writes the archive packedFile from the directory tree packDir. True when the root's
// block was written completely with every file's bytes, and the archive then took the name
// packedFile; otherwise an earlier file of that name is left as it was.
//
// Files that cannot be read, subdirectories that cannot be listed or lead back to one of their
// parents, and names no Windows directory could hold are left out before any offset is given,
// and reported; a tree the format cannot hold (a path of 116 bytes or more, more than 65535
// files or subdirectories in one directory, 4 GiB of archive) is refused with a line naming the
// culprit before any record is written.
bool packArchive(const std::string& packDir, const std::string& packedFile, const PackLimits& limits = PackLimits());

// Writes the block of one listed directory and then the blocks of its subdirectories, giving
// out offsets from runningOffset. False when the run cannot go on: memory for a file's bytes
// cannot be obtained, or the archive cannot be written.
bool packDirectory(std::ostream& out, const PackTree::Directory& directory, uint32_t& runningOffset);

// Counters of the last packing run: directory blocks written (the root included) and files
// whose bytes were written.
uint32_t packedDirectoryCount();
uint32_t packedFileCount();
