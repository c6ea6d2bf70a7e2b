// The POSIX file-system calls: listing order and contents, attributes, separators, directory
// creation, and how links and special files are reported.
#include <windows.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/ScratchFiles.h"

namespace {

namespace fs = std::filesystem;
using Listing = std::vector<std::pair<std::string, DWORD>>;

class FileSystemTest : public ::testing::Test {
protected:
  // Every name the listing of pattern (written with backslashes) gives, in order, with its
  // attributes, "." and ".." left out; "<none>" when it cannot be listed.
  Listing list(const std::string& pattern, bool withDots = false) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir.path + "\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {{"<none>", 0}};
    Listing names;
    do {
      const std::string name = data.cFileName;
      if (withDots || (name != "." && name != "..")) names.emplace_back(name, data.dwFileAttributes);
    } while (FindNextFileA(find, &data));
    EXPECT_FALSE(FindNextFileA(find, &data));
    EXPECT_TRUE(FindClose(find));
    return names;
  }
  DWORD attributes(const std::string& path) { return GetFileAttributesA((dir.path + "\\" + path).c_str()); }

  testsupport::TempDir dir;
};

TEST_F(FileSystemTest, ListsDotEntriesFirstThenNamesInByteOrderMatchingTheMask) {
  EXPECT_EQ(list("*.*", true), (Listing{{".", FILE_ATTRIBUTE_DIRECTORY}, {"..", FILE_ATTRIBUTE_DIRECTORY}}));
  for (const char* name : {"b", "B", "a.txt", "_x", "%p", "~", "\xC4\xE3", "one.TXT"}) dir.write(name, "");
  dir.write(".hidden", "12345");
  fs::create_directory(dir / "sub");
  const Listing all = {{"%p", FILE_ATTRIBUTE_NORMAL},      {".hidden", FILE_ATTRIBUTE_HIDDEN},
                       {"B", FILE_ATTRIBUTE_NORMAL},       {"_x", FILE_ATTRIBUTE_NORMAL},
                       {"a.txt", FILE_ATTRIBUTE_NORMAL},   {"b", FILE_ATTRIBUTE_NORMAL},
                       {"one.TXT", FILE_ATTRIBUTE_NORMAL}, {"sub", FILE_ATTRIBUTE_DIRECTORY},
                       {"~", FILE_ATTRIBUTE_NORMAL},       {"\xC4\xE3", FILE_ATTRIBUTE_NORMAL}};
  EXPECT_EQ(list("*.*"), all);
  EXPECT_EQ(list("*"), all);
  EXPECT_EQ(list("*.txt"), (Listing{{"a.txt", FILE_ATTRIBUTE_NORMAL}, {"one.TXT", FILE_ATTRIBUTE_NORMAL}}));
  EXPECT_EQ(list("?.TXT"), (Listing{{"a.txt", FILE_ATTRIBUTE_NORMAL}}));
  for (const char* unlistable : {"*.png", "missing\\*.*", "b\\*.*", ""}) EXPECT_EQ(list(unlistable)[0].first, "<none>");
  // The size, and a write time of this century.
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir.path + "\\.hid*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow + (uint64_t{data.nFileSizeHigh} << 32), 5u);
  EXPECT_GT(data.ftLastWriteTime.dwHighDateTime, 0x01D00000u);
  FindClose(find);
  EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data) || FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(FileSystemTest, AttributesOfFilesDirectoriesLinksAndDevicesWithBackslashSeparators) {
  fs::create_directories(dir / "a/b");
  dir.write("a/b/f.bin", "z");
  chmod(dir.write("a/locked", "z").c_str(), 0444);
  fs::create_directory_symlink(dir / "a", dir / "dirlink");
  fs::create_symlink(dir / "a/locked", dir / "filelink");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  const DWORD link = FILE_ATTRIBUTE_REPARSE_POINT;
  const std::pair<const char*, DWORD> cases[] = {{"a\\b", FILE_ATTRIBUTE_DIRECTORY},
                                                 {"a\\b\\", FILE_ATTRIBUTE_DIRECTORY},
                                                 {"a\\b\\f.bin", FILE_ATTRIBUTE_NORMAL},
                                                 {"a\\locked", FILE_ATTRIBUTE_READONLY},
                                                 {"a\\nothing", INVALID_FILE_ATTRIBUTES},
                                                 {"dirlink", FILE_ATTRIBUTE_DIRECTORY | link},
                                                 {"filelink", FILE_ATTRIBUTE_READONLY | link},
                                                 {"dangling", link},
                                                 {"pipe", FILE_ATTRIBUTE_DEVICE}};
  for (const auto& [path, expected] : cases) EXPECT_EQ(attributes(path), expected) << path;
  EXPECT_EQ(GetFileAttributesA(""), INVALID_FILE_ATTRIBUTES);
  // The listing reports what GetFileAttributesA does.
  for (const auto& [name, listed] : list("*.*")) EXPECT_EQ(listed, attributes(name)) << name;
}

TEST_F(FileSystemTest, CreateDirectoryMakesOneLevel) {
  EXPECT_TRUE(CreateDirectoryA((dir.path + "\\new").c_str(), nullptr));
  SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  EXPECT_TRUE(CreateDirectoryA((dir.path + "\\new\\inner").c_str(), &security));
  EXPECT_TRUE(fs::is_directory(dir / "new/inner"));
  // Exists already; parent missing; empty path.
  for (const std::string& path : {dir.path + "\\new", dir.path + "\\no\\such", std::string()}) {
    EXPECT_FALSE(CreateDirectoryA(path.c_str(), nullptr)) << path;
  }
}

}  // namespace
