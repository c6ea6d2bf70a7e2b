// The POSIX file-system calls: listing order and contents, attributes, separators, directory
// creation, and how links and special files are reported.
#include <windows.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "brumal-fs-XXXXXX").string();
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    root = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  void writeFile(const std::string& relative, const std::string& bytes) {
    std::ofstream out(root + "/" + relative, std::ios::binary);
    out << bytes;
  }

  // Every name the listing of dir (written with backslashes) gives, in order.
  std::vector<std::string> list(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      return names;
    }
    do {
      names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    EXPECT_TRUE(FindClose(find));
    return names;
  }

  DWORD attributesOfListed(const std::string& pattern, const std::string& name) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    EXPECT_NE(find, INVALID_HANDLE_VALUE);
    DWORD found = INVALID_FILE_ATTRIBUTES;
    if (find == INVALID_HANDLE_VALUE) {
      return found;
    }
    do {
      if (name == data.cFileName) {
        found = data.dwFileAttributes;
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
  }

  std::string root;
};

TEST(FindDataLayout, MatchesTheWindowsStruct) {
  EXPECT_EQ(offsetof(WIN32_FIND_DATAA, ftCreationTime), 4u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAA, nFileSizeHigh), 28u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAA, nFileSizeLow), 32u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAA, cFileName), 44u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAA, cAlternateFileName), 304u);
  EXPECT_EQ(sizeof(WIN32_FIND_DATAA), 320u);
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, 0x10);
  EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, 0x80);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, 0xFFFFFFFFu);
}

TEST_F(FileSystemTest, ListsDotEntriesFirstThenNamesInByteOrder) {
  for (const char* name : {"b", "B", "a.txt", "_x", "%p", "~", ".hidden", "\xC4\xE3"}) {
    writeFile(name, "x");
  }
  fs::create_directory(root + "/sub");
  std::vector<std::string> expected = {".", "..", "%p", ".hidden", "B", "_x", "a.txt", "b", "sub", "~", "\xC4\xE3"};
  EXPECT_EQ(list(root + "\\*.*"), expected);
  // The same listing twice gives the same order.
  EXPECT_EQ(list(root + "\\*.*"), expected);
}

TEST_F(FileSystemTest, EmptyDirectoryListsOnlyDotEntries) {
  EXPECT_EQ(list(root + "\\*.*"), (std::vector<std::string>{".", ".."}));
}

TEST_F(FileSystemTest, MissingDirectoryOrFileCannotBeListed) {
  writeFile("plain", "abc");
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA((root + "\\missing\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileA((root + "\\plain\\*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileA((root + "\\").c_str(), &data), INVALID_HANDLE_VALUE);
}

TEST_F(FileSystemTest, MaskSelectsNamesIgnoringCase) {
  for (const char* name : {"one.TXT", "two.txt", "three.bin", "t"}) {
    writeFile(name, "");
  }
  EXPECT_EQ(list(root + "\\*.txt"), (std::vector<std::string>{"one.TXT", "two.txt"}));
  EXPECT_EQ(list(root + "\\t?o.*"), (std::vector<std::string>{"two.txt"}));
  EXPECT_EQ(list(root + "\\*"), (std::vector<std::string>{".", "..", "one.TXT", "t", "three.bin", "two.txt"}));
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA((root + "\\*.png").c_str(), &data), INVALID_HANDLE_VALUE);
}

TEST_F(FileSystemTest, FindDataCarriesSizeAndAttributes) {
  writeFile("five", "12345");
  fs::create_directory(root + "/dir");
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((root + "\\*.*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  bool sawFile = false;
  do {
    std::string name = data.cFileName;
    if (name == "five") {
      sawFile = true;
      EXPECT_EQ(data.nFileSizeLow, 5u);
      EXPECT_EQ(data.nFileSizeHigh, 0u);
      EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
      EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    } else {
      EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) << name;
    }
  } while (FindNextFileA(find, &data));
  EXPECT_FALSE(FindNextFileA(find, &data));
  EXPECT_TRUE(FindClose(find));
  EXPECT_TRUE(sawFile);
}

TEST_F(FileSystemTest, AttributesWithBackslashSeparators) {
  fs::create_directories(root + "/a/b");
  writeFile("a/b/f.bin", "z");
  writeFile("a/.dot", "z");
  writeFile("a/locked", "z");
  chmod((root + "/a/locked").c_str(), 0444);

  EXPECT_EQ(GetFileAttributesA((root + "\\a\\b").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA((root + "\\a\\b\\").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA((root + "\\a\\b\\f.bin").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA((root + "\\a\\.dot").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributesA((root + "\\a\\locked").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesA((root + "\\a\\nothing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(""), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileSystemTest, LinksCarryTheReparsePointBit) {
  fs::create_directory(root + "/target");
  writeFile("file", "abc");
  fs::create_directory_symlink(root + "/target", root + "/dirlink");
  fs::create_symlink(root + "/file", root + "/filelink");
  fs::create_symlink(root + "/nowhere", root + "/dangling");

  const DWORD dirLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  EXPECT_EQ(GetFileAttributesA((root + "\\dirlink").c_str()), dirLink);
  EXPECT_EQ(GetFileAttributesA((root + "\\filelink").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_EQ(GetFileAttributesA((root + "\\dangling").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_EQ(attributesOfListed(root + "\\*.*", "dirlink"), dirLink);
  EXPECT_EQ(GetFileAttributesA((root + "\\target").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(FileSystemTest, SpecialFilesAreDevices) {
  ASSERT_EQ(mkfifo((root + "/pipe").c_str(), 0600), 0);
  EXPECT_EQ(GetFileAttributesA((root + "\\pipe").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DEVICE));
  EXPECT_EQ(attributesOfListed(root + "\\*.*", "pipe"), static_cast<DWORD>(FILE_ATTRIBUTE_DEVICE));
}

TEST_F(FileSystemTest, CreateDirectoryMakesOneLevel) {
  EXPECT_TRUE(CreateDirectoryA((root + "\\new").c_str(), nullptr));
  EXPECT_TRUE(fs::is_directory(root + "/new"));
  // Exists already; parent missing; empty path.
  EXPECT_FALSE(CreateDirectoryA((root + "\\new").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA((root + "\\no\\such").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA("", nullptr));
  SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  EXPECT_TRUE(CreateDirectoryA((root + "\\new\\inner").c_str(), &security));
  EXPECT_TRUE(fs::is_directory(root + "/new/inner"));
  EXPECT_FALSE(fs::exists(root + "/new\\inner"));
}

TEST(FindHandles, InvalidHandlesAreRefused) {
  WIN32_FIND_DATAA data;
  EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
}

}  // namespace
