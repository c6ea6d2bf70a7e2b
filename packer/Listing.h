#pragma once

#include <string>

// "-l": opens packedFile with the archive reader and writes the names of all its entries,
// sorted as the reader sorts them, to standard output (after a count line) and one per line
// to listFile; when listFile cannot be written whole it says so instead. Returns the program's
// exit status: 1, or 0 when listFile cannot be created.
int listArchive(const std::string& packedFile, const std::string& listFile);
