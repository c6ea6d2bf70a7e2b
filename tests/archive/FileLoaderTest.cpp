#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/FileSource.h"
#include "tests/archive/ArchiveImage.h"

using archivetest::TempDir;

namespace {

std::string bytesOf(const ByteBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.data), static_cast<size_t>(buffer.size));
}

// A source that serves one fixed file, or refuses everything, and records what it was asked.
class FakeSource : public FileSource {
public:
  explicit FakeSource(bool serves) : serves(serves) {}
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string& name, ByteBuffer& buffer) override {
    asked = name;
    if (!serves || !buffer.resize(4)) {
      return false;
    }
    std::memcpy(buffer.data, "SRC!", 4);
    return true;
  }
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override {
    asked = name;
    if (!serves) {
      return false;
    }
    block = new uint8_t[4];
    std::memcpy(block, "SRC?", 4);
    size = 4;
    return true;
  }
  bool serves;
  std::string asked;
};

class FileLoaderTest : public ::testing::Test {
protected:
  TempDir temp;
};

}  // namespace

// --- From disk ----------------------------------------------------------------------------

TEST_F(FileLoaderTest, ReadsAWholeFileIntoABuffer) {
  std::string bytes("\x00\x01\r\n\x1a\xff", 6);
  std::string path = temp.write("bdi.dat", bytes);
  FileLoader loader(nullptr);
  ByteBuffer buffer;
  ASSERT_TRUE(loader.readFile(path, buffer));
  EXPECT_EQ(bytes, bytesOf(buffer)) << "nothing may be translated";
}

TEST_F(FileLoaderTest, ReadsAWholeFileIntoANewBlock) {
  std::string bytes(70000, 'q');
  bytes[69999] = 'z';
  std::string path = temp.write("font", bytes);
  FileLoader loader(nullptr);
  uint8_t* block = nullptr;
  int32_t size = 0;
  ASSERT_TRUE(loader.readFile(path, block, size));
  ASSERT_EQ(70000, size);
  EXPECT_EQ(bytes, std::string(reinterpret_cast<char*>(block), 70000));
  delete[] block;
}

TEST_F(FileLoaderTest, MissingFileLeavesTheOutputsUntouched) {
  FileLoader loader(nullptr);
  ByteBuffer buffer;
  ASSERT_TRUE(loader.readFile(temp.write("old", "old bytes"), buffer));
  uint8_t* before = buffer.data;
  EXPECT_FALSE(loader.readFile(temp.path("absent"), buffer));
  EXPECT_EQ(before, buffer.data);
  EXPECT_EQ("old bytes", bytesOf(buffer));

  uint8_t marker = 0;
  uint8_t* block = &marker;
  int32_t size = 42;
  EXPECT_FALSE(loader.readFile(temp.path("absent"), block, size));
  EXPECT_EQ(&marker, block);
  EXPECT_EQ(42, size);
}

TEST_F(FileLoaderTest, EmptyNameOpensNothing) {
  FileLoader loader(nullptr);
  ByteBuffer buffer;
  EXPECT_FALSE(loader.readFile("", buffer));
  EXPECT_EQ(nullptr, buffer.data);
}

TEST_F(FileLoaderTest, ZeroLengthFileReadsAsSizeZero) {
  FileLoader loader(nullptr);
  std::string empty = temp.write("empty", "");
  ByteBuffer buffer;
  ASSERT_TRUE(loader.readFile(temp.write("full", "12345"), buffer));
  ASSERT_TRUE(loader.readFile(empty, buffer));
  EXPECT_EQ(0, buffer.size);
  EXPECT_NE(nullptr, buffer.data) << "the earlier block must be resized, not left dangling";
  uint8_t* block = nullptr;
  int32_t size = -1;
  ASSERT_TRUE(loader.readFile(empty, block, size));
  EXPECT_EQ(0, size);
  delete[] block;
}

TEST_F(FileLoaderTest, ReusedBufferHoldsExactlyTheSecondFile) {
  FileLoader loader(nullptr);
  ByteBuffer buffer;
  ASSERT_TRUE(loader.readFile(temp.write("long", std::string(1000, 'L')), buffer));
  ASSERT_TRUE(loader.readFile(temp.write("short", "sh"), buffer));
  EXPECT_EQ("sh", bytesOf(buffer));
}

TEST_F(FileLoaderTest, ADirectoryIsNotDeliveredAsAFile) {
  FileLoader loader(nullptr);
  ByteBuffer buffer;
  EXPECT_FALSE(loader.readFile(temp.path(""), buffer));
  uint8_t* block = nullptr;
  int32_t size = 0;
  EXPECT_FALSE(loader.readFile(temp.path(""), block, size));
  EXPECT_EQ(nullptr, block);
}

TEST_F(FileLoaderTest, FileDeliveringLessThanItsMeasuredSizeIsRefused) {
  // sysfs attributes measure 4096 bytes by seeking to their end but deliver a few.
  const std::string path = "/sys/devices/system/cpu/online";
  if (!std::ifstream(path).good()) {
    GTEST_SKIP() << path << " is not available here";
  }
  FileLoader loader(nullptr);
  ByteBuffer buffer;
  EXPECT_FALSE(loader.readFile(path, buffer));
  EXPECT_LT(buffer.size, 4096) << "no unread tail may be reported";
  uint8_t* block = nullptr;
  int32_t size = 0;
  EXPECT_FALSE(loader.readFile(path, block, size));
  EXPECT_EQ(nullptr, block);
}

// --- Through a source ---------------------------------------------------------------------

TEST_F(FileLoaderTest, BoundSourceServesTheNameUnchanged) {
  FakeSource source(true);
  FileLoader loader(&source);
  ByteBuffer buffer;
  ASSERT_TRUE(loader.readFile("Data\\Tile02.BDI", buffer));
  EXPECT_EQ("SRC!", bytesOf(buffer));
  EXPECT_EQ("Data\\Tile02.BDI", source.asked);
  uint8_t* block = nullptr;
  int32_t size = 0;
  ASSERT_TRUE(loader.readFile("data\\songti16x16.font", block, size));
  EXPECT_EQ(4, size);
  EXPECT_EQ(0, std::memcmp(block, "SRC?", 4));
  delete[] block;
}

TEST_F(FileLoaderTest, RefusingSourceNeverFallsBackToTheDisk) {
  std::string path = temp.write("bdi.dat", "on disk");
  FakeSource source(false);
  FileLoader loader(&source);
  ByteBuffer buffer;
  EXPECT_FALSE(loader.readFile(path, buffer));
  EXPECT_EQ(nullptr, buffer.data);
  EXPECT_EQ(path, source.asked);
  uint8_t* block = nullptr;
  int32_t size = 0;
  EXPECT_FALSE(loader.readFile(path, block, size));
  EXPECT_EQ(nullptr, block);
}
