#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/PackArchive.h"
#include "archive/PackFormat.h"
#include "tests/archive/ArchiveImage.h"

using archivetest::archiveImage;
using archivetest::Dir;
using archivetest::dirRecord;
using archivetest::File;
using archivetest::fileRecord;
using archivetest::headerImage;
using archivetest::TempDir;

namespace {

std::string bytesOf(const ByteBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.data), static_cast<size_t>(buffer.size));
}

std::vector<std::string> namesOf(const PackArchive& archive) {
  std::vector<std::string> names;
  for (const PackEntry& entry : archive.entries) {
    names.push_back(entry.name);
  }
  return names;
}

// data: tile02.bdi, an empty file and a subdirectory maps holding a.bin.
Dir sampleTree() {
  return Dir{"data",
             {{"data\\tile02.bdi", "TILE-BYTES"}, {"data\\empty", ""}},
             {Dir{"data\\maps", {{"data\\maps\\a.bin", "abc"}}, {}}}};
}

class PackArchiveTest : public ::testing::Test {
protected:
  std::string writeArchive(const std::string& image, const std::string& name = "test.pak") {
    return temp.write(name, image);
  }
  TempDir temp;
  PackArchive archive;
};

}  // namespace

// --- Opening sound archives -----------------------------------------------------------------

TEST_F(PackArchiveTest, EmptyRootOpensWithItsOwnEntry) {
  std::string image = archiveImage(Dir{"data", {}, {}});
  ASSERT_EQ(144u, image.size());
  ASSERT_TRUE(archive.open(writeArchive(image)));
  ASSERT_EQ(1u, archive.entries.size());
  EXPECT_EQ("data", archive.entries[0].name);
  EXPECT_EQ(16, archive.entries[0].flags);
  EXPECT_EQ(16, archive.entries[0].offset);
  EXPECT_EQ(1u, archive.directoryCount);
  EXPECT_EQ(0u, archive.fileCount);
}

TEST_F(PackArchiveTest, OneFileArchiveGivesOffsetAndSize) {
  std::string image = archiveImage(Dir{"data", {{"data\\a", "hello"}}, {}});
  ASSERT_EQ(277u, image.size());
  ASSERT_TRUE(archive.open(writeArchive(image)));
  int32_t index = archive.findEntry("data\\a");
  ASSERT_GE(index, 0);
  EXPECT_EQ(128, archive.entries[index].flags);
  EXPECT_EQ(272, archive.entries[index].offset);
  EXPECT_EQ(5, archive.entries[index].size);
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("data\\a", buffer));
  EXPECT_EQ("hello", bytesOf(buffer));
}

TEST_F(PackArchiveTest, EntriesAreSortedPrefixFirstWithUnsignedBytes) {
  Dir root{"data",
           {{"data\\tile02.bdi", "t"}, {"data\\\xC4\xE3.bin", "hi"}, {"data\\B", "b"}},
           {Dir{"data\\maps", {{"data\\maps\\a.bin", "a"}}, {}}}};
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(root))));
  std::vector<std::string> expected = {"data",           "data\\B",        "data\\maps",
                                       "data\\maps\\a.bin", "data\\tile02.bdi", "data\\\xC4\xE3.bin"};
  EXPECT_EQ(expected, namesOf(archive));
  EXPECT_GE(archive.findEntry("data\\\xC4\xE3.bin"), 0) << "a high byte must not break the search";
}

TEST_F(PackArchiveTest, FilesAreWalkedBeforeSubdirectoriesWhateverTheirNames) {
  // "data\a" sorts before "data\z.bin", yet the subdirectory's block follows the file data.
  Dir root{"data", {{"data\\z.bin", "ZZZ"}}, {Dir{"data\\a", {{"data\\a\\x", "xx"}}, {}}}};
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(root))));
  ASSERT_EQ(4u, archive.entries.size());
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("data\\a\\x", buffer));
  EXPECT_EQ("xx", bytesOf(buffer));
  ASSERT_TRUE(archive.readFile("data\\z.bin", buffer));
  EXPECT_EQ("ZZZ", bytesOf(buffer));
}

TEST_F(PackArchiveTest, EveryEntryOfANestedTreeIsFoundAndRead) {
  Dir root{"r", {}, {}};
  std::vector<std::pair<std::string, std::string>> all;
  for (int d = 0; d < 6; ++d) {
    Dir sub{"r\\d" + std::to_string(5 - d), {}, {}};
    for (int f = 0; f < 7; ++f) {
      std::string name = sub.name + "\\f" + std::to_string((f * 3) % 7);
      std::string bytes(static_cast<size_t>(f * 11 + d), static_cast<char>('a' + f));
      sub.files.push_back({name, bytes});
      all.emplace_back(name, bytes);
    }
    sub.dirs.push_back(Dir{sub.name + "\\inner", {{sub.name + "\\inner\\q", "Q" + sub.name}}, {}});
    all.emplace_back(sub.name + "\\inner\\q", "Q" + sub.name);
    root.dirs.push_back(sub);
  }
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(root))));
  EXPECT_EQ(1u + 6u * (1u + 7u + 1u + 1u), archive.entries.size());
  ByteBuffer buffer;
  for (const auto& [name, bytes] : all) {
    ASSERT_TRUE(archive.readFile(name, buffer)) << name;
    EXPECT_EQ(bytes, bytesOf(buffer)) << name;
  }
}

TEST_F(PackArchiveTest, HeaderBytes12To15AreIgnored) {
  std::string image = archiveImage(sampleTree());
  image.replace(12, 4, "\xFF\x7F\x01\x02");
  ASSERT_TRUE(archive.open(writeArchive(image)));
  EXPECT_GE(archive.findEntry("data\\tile02.bdi"), 0);
}

TEST_F(PackArchiveTest, UnknownFlagsAreReadAsAFile) {
  std::string image = headerImage(1, 1) + dirRecord("d", 16, 0, 1) + fileRecord("d\\x", 272, 2, 0x20) + "ok";
  ASSERT_TRUE(archive.open(writeArchive(image)));
  int32_t index = archive.findEntry("d\\x");
  ASSERT_GE(index, 0);
  EXPECT_EQ(128, archive.entries[index].flags);
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("d\\x", buffer));
  EXPECT_EQ("ok", bytesOf(buffer));
}

TEST_F(PackArchiveTest, DirectoryRecordAmongFileRecordsIsWalkedAsADirectory) {
  // The root lists two "file" records; the second is a directory holding one file, whose
  // record and data follow the first file's data.
  std::string image = headerImage(2, 2) + dirRecord("d", 16, 0, 2) +
                      fileRecord("d\\f", 400, 3) + dirRecord("d\\s", 272, 0, 1) + "FFF" +
                      fileRecord("d\\s\\g", 531, 2) + "GG";
  ASSERT_EQ(533u, image.size());
  ASSERT_TRUE(archive.open(writeArchive(image)));
  EXPECT_EQ(16, archive.entries[archive.findEntry("d\\s")].flags);
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("d\\s\\g", buffer));
  EXPECT_EQ("GG", bytesOf(buffer));
}

TEST_F(PackArchiveTest, WalkReturnsToTheRemainingFileRecordsAfterANestedDirectory) {
  // The first of the root's two "file" records is a directory: its block lies behind the
  // root's records, and the second file's data follow that block.
  std::string image = headerImage(2, 2) + dirRecord("d", 16, 0, 2) + dirRecord("d\\s", 144, 0, 1) +
                      fileRecord("d\\f", 530, 3) + fileRecord("d\\s\\g", 528, 2) + "GG" + "FFF";
  ASSERT_EQ(533u, image.size());
  ASSERT_TRUE(archive.open(writeArchive(image)));
  EXPECT_EQ((std::vector<std::string>{"d", "d\\f", "d\\s", "d\\s\\g"}), namesOf(archive));
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("d\\f", buffer));
  EXPECT_EQ("FFF", bytesOf(buffer));
  // One byte less of data and the second file's skip runs past the end.
  EXPECT_FALSE(archive.open(writeArchive(image.substr(0, 532), "short.pak")));
}

// --- Looking names up -----------------------------------------------------------------------

TEST_F(PackArchiveTest, QueriesAreLowerCasedStoredNamesAreNot) {
  Dir root{"data", {{"data\\tile02.bdi", "t"}, {"data\\Upper.bin", "u"}}, {}};
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(root))));
  EXPECT_GE(archive.findEntry("DATA\\TILE02.BDI"), 0);
  EXPECT_EQ(archive.findEntry("data\\tile02.bdi"), archive.findEntry("Data\\Tile02.Bdi"));
  EXPECT_EQ(-1, archive.findEntry("data\\Upper.bin"));
  EXPECT_EQ(-1, archive.findEntry("data\\upper.bin"));
  EXPECT_EQ(-1, archive.findEntry("data/tile02.bdi"));
  EXPECT_EQ(-1, archive.findEntry("data\\tile02.bd"));
  EXPECT_EQ(-1, archive.findEntry(""));
}

TEST_F(PackArchiveTest, QueriesOf128BytesOrMoreAreNeverFound) {
  std::string stored(115, 'n');
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(Dir{stored, {}, {}}))));
  ASSERT_EQ(0, archive.findEntry(stored));
  EXPECT_EQ(-1, archive.findEntry(stored + std::string(13, 'n')));
  EXPECT_EQ(-1, archive.findEntry(std::string(4096, 'n')));
}

TEST_F(PackArchiveTest, DirectoryIsFoundButNotRead) {
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(sampleTree()))));
  ASSERT_GE(archive.findEntry("data\\maps"), 0);
  ByteBuffer buffer;
  EXPECT_FALSE(archive.readFile("data\\maps", buffer));
  EXPECT_EQ(nullptr, buffer.data);
  uint8_t* block = nullptr;
  int32_t size = -7;
  EXPECT_FALSE(archive.readFile("data", block, size));
  EXPECT_EQ(nullptr, block);
  EXPECT_EQ(-7, size);
}

// --- Reading ------------------------------------------------------------------------------

TEST_F(PackArchiveTest, BothReadFormsDeliverTheBytes) {
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(sampleTree()))));
  uint8_t* block = nullptr;
  int32_t size = 0;
  ASSERT_TRUE(archive.readFile("data\\maps\\a.bin", block, size));
  ASSERT_EQ(3, size);
  EXPECT_EQ(0, std::memcmp(block, "abc", 3));
  delete[] block;
}

TEST_F(PackArchiveTest, ZeroLengthFileReadsAsSizeZero) {
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(sampleTree()))));
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("data\\tile02.bdi", buffer));
  ASSERT_TRUE(archive.readFile("data\\empty", buffer));
  EXPECT_EQ(0, buffer.size);
  EXPECT_NE(nullptr, buffer.data) << "the earlier block must be resized, not left dangling";
  uint8_t* block = nullptr;
  int32_t size = -1;
  ASSERT_TRUE(archive.readFile("data\\empty", block, size));
  EXPECT_EQ(0, size);
  delete[] block;
}

TEST_F(PackArchiveTest, ReusedBufferHoldsExactlyTheSecondFile) {
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(sampleTree()))));
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("data\\tile02.bdi", buffer));
  ASSERT_TRUE(archive.readFile("data\\maps\\a.bin", buffer));
  EXPECT_EQ("abc", bytesOf(buffer));
}

TEST_F(PackArchiveTest, LoaderBoundToTheArchiveReadsThroughIt) {
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(sampleTree()))));
  FileLoader loader(&archive);
  ByteBuffer buffer;
  ASSERT_TRUE(loader.readFile("DATA\\TILE02.BDI", buffer));
  EXPECT_EQ("TILE-BYTES", bytesOf(buffer));
  EXPECT_FALSE(loader.readFile("data\\missing", buffer));
}

// --- Lifecycle ----------------------------------------------------------------------------

TEST_F(PackArchiveTest, ClosedArchiveReadsNothing) {
  ByteBuffer buffer;
  EXPECT_FALSE(archive.readFile("data", buffer));
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(sampleTree()))));
  EXPECT_TRUE(archive.close());
  EXPECT_TRUE(archive.entries.empty());
  EXPECT_FALSE(archive.readFile("data\\tile02.bdi", buffer));
  uint8_t* block = nullptr;
  int32_t size = 0;
  EXPECT_FALSE(archive.readFile("data\\tile02.bdi", block, size));
}

TEST_F(PackArchiveTest, ReopeningReplacesTheDirectory) {
  std::string first = writeArchive(archiveImage(sampleTree()), "one.pak");
  std::string second = writeArchive(archiveImage(Dir{"other", {{"other\\b", "BB"}}, {}}), "two.pak");
  ASSERT_TRUE(archive.open(first));
  ASSERT_TRUE(archive.open(second));
  EXPECT_EQ((std::vector<std::string>{"other", "other\\b"}), namesOf(archive));
  ByteBuffer buffer;
  EXPECT_FALSE(archive.readFile("data\\tile02.bdi", buffer));
  ASSERT_TRUE(archive.readFile("other\\b", buffer));
  EXPECT_EQ("BB", bytesOf(buffer));
}

TEST_F(PackArchiveTest, MissingFileFailsAndAGoodOneOpensAfterIt) {
  EXPECT_FALSE(archive.open(temp.path("absent.pak")));
  EXPECT_TRUE(archive.stream.fail());
  ASSERT_TRUE(archive.open(writeArchive(archiveImage(sampleTree()))));
  ByteBuffer buffer;
  EXPECT_TRUE(archive.readFile("data\\tile02.bdi", buffer));
}

TEST_F(PackArchiveTest, WrongMagicIsRefusedAndLeavesAnEmptyDirectory) {
  std::string image = archiveImage(sampleTree());
  image[0] = 'X';
  EXPECT_FALSE(archive.open(writeArchive(image)));
  EXPECT_TRUE(archive.entries.empty());
  ByteBuffer buffer;
  EXPECT_FALSE(archive.readFile("data\\tile02.bdi", buffer));
}

// --- Damaged and hostile archives ---------------------------------------------------------

TEST_F(PackArchiveTest, EveryTruncationIsRefused) {
  std::string image = archiveImage(sampleTree());
  for (size_t length = 0; length < image.size(); ++length) {
    EXPECT_FALSE(archive.open(writeArchive(image.substr(0, length)))) << "length " << length;
    EXPECT_TRUE(archive.entries.empty()) << "length " << length;
  }
  EXPECT_TRUE(archive.open(writeArchive(image)));
}

TEST_F(PackArchiveTest, FailedOpenAfterAGoodOneDropsTheOldDirectory) {
  std::string image = archiveImage(sampleTree());
  ASSERT_TRUE(archive.open(writeArchive(image, "good.pak")));
  EXPECT_FALSE(archive.open(writeArchive(image.substr(0, 200), "cut.pak")));
  ByteBuffer buffer;
  EXPECT_FALSE(archive.readFile("data\\tile02.bdi", buffer));
}

TEST_F(PackArchiveTest, CountsTheFileCannotHoldAreRefused) {
  std::string image = headerImage(1, 0) + dirRecord("d", 16, 0xFFFF, 0xFFFF) + fileRecord("d\\x", 0, 0);
  EXPECT_FALSE(archive.open(writeArchive(image)));
}

TEST_F(PackArchiveTest, UnterminatedNameIsRefused) {
  std::string image = headerImage(1, 0) + dirRecord("d", 16, 0, 0);
  std::memset(&image[16], 'x', PackRecord::kNameLength);
  EXPECT_FALSE(archive.open(writeArchive(image)));
}

TEST_F(PackArchiveTest, DataRunningPastTheEndIsRefused) {
  std::string image = headerImage(1, 1) + dirRecord("d", 16, 0, 1) + fileRecord("d\\x", 272, 0xFFFFFFF0u) + "abc";
  EXPECT_FALSE(archive.open(writeArchive(image)));
}

TEST_F(PackArchiveTest, DeepNestingEndsWithoutExhaustingTheStack) {
  // Every level claims one subdirectory; the last claim has nothing behind it.
  const int levels = 100000;
  std::string image = headerImage(0, 0);
  image.reserve(static_cast<size_t>(levels) * 128 + 16);
  for (int i = 0; i < levels; ++i) {
    image += dirRecord("d" + std::to_string(i), static_cast<uint32_t>(image.size()), 1, 0);
  }
  std::string path = writeArchive(image);
  EXPECT_FALSE(archive.open(path));
  // The same chain, closed at the bottom, is a sound archive.
  image += dirRecord("end", static_cast<uint32_t>(image.size()), 0, 0);
  ASSERT_TRUE(archive.open(writeArchive(image)));
  EXPECT_EQ(static_cast<size_t>(levels) + 1, archive.entries.size());
}

TEST_F(PackArchiveTest, DataOutsideTheArchiveIsNotRead) {
  // The walk is sound, but the records' offsets point elsewhere; one wraps past 2^32.
  std::string image = headerImage(1, 3) + dirRecord("d", 16, 0, 3) + fileRecord("d\\far", 1000, 2) +
                      fileRecord("d\\wrap", 0xFFFFFFF0u, 0x20) + fileRecord("d\\ok", 562, 2) + "aa" +
                      std::string(0x20, 'w') + "cc";
  ASSERT_TRUE(archive.open(writeArchive(image)));
  ASSERT_EQ(4u, archive.entries.size());
  for (const char* name : {"d\\far", "d\\wrap"}) {
    ByteBuffer buffer;
    EXPECT_FALSE(archive.readFile(name, buffer)) << name;
    uint8_t* block = nullptr;
    int32_t size = 0;
    EXPECT_FALSE(archive.readFile(name, block, size)) << name;
    EXPECT_EQ(nullptr, block);
  }
  ByteBuffer buffer;
  ASSERT_TRUE(archive.readFile("d\\ok", buffer));
  EXPECT_EQ("cc", bytesOf(buffer));
}

TEST_F(PackArchiveTest, ArchiveShrunkAfterOpenGivesFalseThenRecovers) {
  std::string image = archiveImage(Dir{"d", {{"d\\a", "first"}, {"d\\b", std::string(5000, 'b')}}, {}});
  std::string path = writeArchive(image);
  ASSERT_TRUE(archive.open(path));
  std::filesystem::resize_file(path, image.size() - 10);

  ByteBuffer buffer;
  EXPECT_FALSE(archive.readFile("d\\b", buffer)) << "bytes were not all delivered";
  uint8_t* block = reinterpret_cast<uint8_t*>(&buffer);
  int32_t size = 0;
  EXPECT_FALSE(archive.readFile("d\\b", block, size));
  EXPECT_EQ(nullptr, block);
  // A short read must not poison the reads after it.
  ASSERT_TRUE(archive.readFile("d\\a", buffer));
  EXPECT_EQ("first", bytesOf(buffer));
}
