#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/PackArchive.h"
#include "archive/PackFormat.h"
#include "tests/archive/ArchiveImage.h"

using namespace archivetest;

namespace {

const std::string kFailed = "<failed>";

std::string bytesOf(const ByteBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.data), static_cast<size_t>(buffer.size));
}

// Reads name with both read forms (the first into reuse when given): the bytes when both deliver
// the same, kFailed when both refuse, leaving the caller no block.
template <class Reader>
std::string readBoth(Reader& reader, const std::string& name, ByteBuffer* reuse = nullptr) {
  ByteBuffer local;
  ByteBuffer& buffer = reuse ? *reuse : local;
  bool intoBuffer = reader.readFile(name, buffer);
  uint8_t* block = nullptr;
  int32_t size = -1;
  bool intoBlock = reader.readFile(name, block, size);
  std::unique_ptr<uint8_t[]> owned(block);
  EXPECT_EQ(intoBuffer, intoBlock) << name;
  if (!intoBuffer || !intoBlock) {
    EXPECT_EQ(nullptr, block) << name;
    return kFailed;
  }
  EXPECT_EQ(bytesOf(buffer), std::string(reinterpret_cast<char*>(block), static_cast<size_t>(size))) << name;
  return bytesOf(buffer);
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

// sysfs attributes measure 4096 bytes by seeking to their end but deliver a few.
const char kShortFile[] = "/sys/devices/system/cpu/online";

class ArchiveTest : public ::testing::Test {
protected:
  bool open(const std::string& image) { return archive.open(temp.write("test.pak", image)); }
  TempDir temp;
  PackArchive archive;
};

}  // namespace

// --- Record names ---------------------------------------------------------------------------

TEST(PackFormatNames, StorageLimitsTerminationAndLowering) {
  PackRecord record;
  EXPECT_TRUE(record.setName(std::string(115, 'n')));
  EXPECT_TRUE(record.nameTerminated());
  EXPECT_FALSE(record.setName(std::string(116, 'x')));
  EXPECT_FALSE(record.setName(std::string("a\0b", 3)));
  EXPECT_EQ(std::string(115, 'n'), record.nameString()) << "a refused name must not be stored";

  uint8_t image[PackRecord::kLength];
  std::fill(image, image + sizeof image, 'q');
  PackRecord unterminated = PackRecord::read(image);
  EXPECT_FALSE(unterminated.nameTerminated());
  EXPECT_EQ(std::string(116, 'q'), unterminated.nameString());

  std::string name = "Data\\MAPS\\\xC4\x41z@[`{.BIN";
  PackRecord::lowerName(name);
  EXPECT_EQ("data\\maps\\\xC4\x61z@[`{.bin", name);
}

// --- Whole files from disk and through a source ---------------------------------------------

TEST(FileLoaderTest, ReadsWholeFilesFromDiskOrNothing) {
  TempDir temp;
  FileLoader loader(nullptr);
  std::string binary("\x00\x01\r\n\x1a\xff", 6);
  std::string large(70000, 'q');
  large.back() = 'z';
  // One buffer reused holds exactly each file in turn.
  ByteBuffer buffer;
  EXPECT_EQ(large, readBoth(loader, temp.write("font", large), &buffer));
  EXPECT_EQ(binary, readBoth(loader, temp.write("bdi.dat", binary), &buffer)) << "nothing may be translated";
  for (const std::string& bad : {temp / "absent", std::string(), temp.path}) {
    EXPECT_EQ(kFailed, readBoth(loader, bad)) << bad;
  }
  // A file that does not open leaves the outputs as they were.
  EXPECT_FALSE(loader.readFile(temp / "absent", buffer));
  EXPECT_EQ(binary, bytesOf(buffer));
  uint8_t marker = 0;
  uint8_t* block = &marker;
  int32_t size = 42;
  EXPECT_FALSE(loader.readFile(temp / "absent", block, size));
  EXPECT_EQ(&marker, block);
  EXPECT_EQ(42, size);
  EXPECT_EQ("", readBoth(loader, temp.write("empty", ""), &buffer));
  EXPECT_NE(nullptr, buffer.data) << "the earlier block must be resized, not left dangling";
}

TEST(FileLoaderTest, FileDeliveringLessThanItsMeasuredSizeIsRefused) {
  if (!std::ifstream(kShortFile).good()) {
    GTEST_SKIP() << kShortFile << " is not available here";
  }
  FileLoader loader(nullptr);
  ByteBuffer buffer;
  EXPECT_EQ(kFailed, readBoth(loader, kShortFile, &buffer));
  EXPECT_LT(buffer.size, 4096) << "no unread tail may be reported";
}

TEST_F(ArchiveTest, LoaderBoundToASourceNeverFallsBackToTheDisk) {
  std::string onDisk = temp.write("bdi.dat", "on disk");
  FileLoader loader(&archive);
  EXPECT_EQ(kFailed, readBoth(loader, onDisk)) << "nothing is open yet";
  ASSERT_TRUE(open(archiveImage(sampleTree())));
  EXPECT_EQ("TILE-BYTES", readBoth(loader, "DATA\\TILE02.BDI"));
  EXPECT_EQ(kFailed, readBoth(loader, onDisk));
}

// --- Opening sound archives -----------------------------------------------------------------

TEST_F(ArchiveTest, EmptyAndOneFileArchives) {
  std::string empty = ArchiveImage().header(1, 0).directory("data", 16, 0, 0).bytes;
  ASSERT_EQ(144u, empty.size());
  ASSERT_TRUE(open(empty));
  ASSERT_EQ(1u, archive.entries.size());
  EXPECT_EQ("data", archive.entries[0].name);
  EXPECT_EQ(16, archive.entries[0].flags);
  EXPECT_EQ(16, archive.entries[0].offset);
  EXPECT_EQ(1u, archive.directoryCount);
  EXPECT_EQ(0u, archive.fileCount);

  std::string one = ArchiveImage().header(1, 1).directory("data", 16, 0, 1).file("data\\a", 272, 5).data("hello").bytes;
  ASSERT_EQ(277u, one.size());
  ASSERT_TRUE(open(one));
  int32_t index = archive.findEntry("data\\a");
  ASSERT_GE(index, 0);
  EXPECT_EQ(128, archive.entries[index].flags);
  EXPECT_EQ(272, archive.entries[index].offset);
  EXPECT_EQ(5, archive.entries[index].size);
  EXPECT_EQ("hello", readBoth(archive, "data\\a"));
}

// Subdirectory blocks follow the file data whatever the names, and the entries are sorted with
// unsigned bytes, a prefix first.
TEST_F(ArchiveTest, EntriesAreSortedPrefixFirstAndEveryFileReads) {
  Dir root{"data",
           {{"data\\tile02.bdi", "t"}, {"data\\\xC4\xE3.bin", "hi"}, {"data\\B", "b"}},
           {Dir{"data\\maps", {{"data\\maps\\a.bin", "a"}}, {}}}};
  std::vector<File> all = root.files;
  for (int d = 0; d < 6; ++d) {
    Dir sub{"data\\d" + std::to_string(5 - d), {}, {}};
    for (int f = 0; f < 7; ++f) {
      std::string bytes(static_cast<size_t>(f * 11 + d), static_cast<char>('a' + f));
      sub.files.push_back({sub.name + "\\f" + std::to_string((f * 3) % 7), bytes});
    }
    sub.dirs.push_back(Dir{sub.name + "\\inner", {{sub.name + "\\inner\\q", "Q" + sub.name}}, {}});
    all.insert(all.end(), sub.files.begin(), sub.files.end());
    all.push_back(sub.dirs[0].files[0]);
    root.dirs.push_back(sub);
  }
  ASSERT_TRUE(open(archiveImage(root)));
  ASSERT_EQ(6u + 6 * 10, archive.entries.size());
  // std::string compares as unsigned bytes, a prefix first.
  std::vector<std::string> names = namesOf(archive);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ("data\\\xC4\xE3.bin", names.back());
  ByteBuffer buffer;  // reused: it must hold exactly each file in turn, empty ones too
  for (const File& file : all) {
    // Queries are lowered, so a stored capital is never found.
    EXPECT_EQ(file.name == "data\\B" ? kFailed : file.bytes, readBoth(archive, file.name, &buffer)) << file.name;
  }
}

// Bytes 12 to 15 are never looked at; any flags but 16 mean a file; a directory record among
// a block's file records is walked as a directory wherever it stands.
TEST_F(ArchiveTest, ReaderQuirksOfTheLayout) {
  std::string unknownFlags =
      ArchiveImage().header(1, 1).directory("d", 16, 0, 1).file("d\\x", 272, 2, 0x20).data("ok").bytes;
  unknownFlags.replace(12, 4, "\xFF\x7F\x01\x02");
  ASSERT_TRUE(open(unknownFlags));
  EXPECT_EQ(128, archive.entries[archive.findEntry("d\\x")].flags);
  EXPECT_EQ("ok", readBoth(archive, "d\\x"));

  // The second "file" is a directory; its block follows the first file's data.
  ASSERT_TRUE(open(ArchiveImage()
                       .header(2, 2)
                       .directory("d", 16, 0, 2)
                       .file("d\\f", 400, 3)
                       .directory("d\\s", 272, 0, 1)
                       .data("FFF")
                       .file("d\\s\\g", 531, 2)
                       .data("GG")
                       .bytes));
  EXPECT_EQ(16, archive.entries[archive.findEntry("d\\s")].flags);
  EXPECT_EQ("GG", readBoth(archive, "d\\s\\g"));

  // The first "file" is a directory whose block lies behind the root's records; the walk comes
  // back for the second file, whose data follow that block.
  std::string nested = ArchiveImage()
                           .header(2, 2)
                           .directory("d", 16, 0, 2)
                           .directory("d\\s", 144, 0, 1)
                           .file("d\\f", 530, 3)
                           .file("d\\s\\g", 528, 2)
                           .data("GGFFF")
                           .bytes;
  ASSERT_TRUE(open(nested));
  EXPECT_EQ((std::vector<std::string>{"d", "d\\f", "d\\s", "d\\s\\g"}), namesOf(archive));
  EXPECT_EQ("FFF", readBoth(archive, "d\\f"));
  EXPECT_FALSE(open(nested.substr(0, 532))) << "the second file's skip runs past the end";
}

// --- Looking names up -----------------------------------------------------------------------

TEST_F(ArchiveTest, OnlyQueriesAreLowerCasedAndOnlyFilesRead) {
  const std::string stored = "data\\" + std::string(110, 'n');  // the longest name a record holds
  ASSERT_TRUE(
      open(archiveImage(Dir{"data", {{"data\\tile02.bdi", "t"}, {"data\\Upper.bin", "u"}}, {Dir{stored, {}, {}}}})));
  EXPECT_GE(archive.findEntry("DATA\\TILE02.BDI"), 0);
  EXPECT_EQ(archive.findEntry("data\\tile02.bdi"), archive.findEntry("Data\\Tile02.Bdi"));
  EXPECT_GE(archive.findEntry(stored), 0);
  // Names of 128 bytes or more are never found, not even by their first 115 bytes.
  for (const std::string& missing : {std::string("data\\Upper.bin"), std::string("data\\upper.bin"),
                                     std::string("data/tile02.bdi"), std::string("data\\tile02.bd"), std::string(),
                                     stored + std::string(13, 'n'), stored + std::string(4000, 'n')}) {
    EXPECT_EQ(-1, archive.findEntry(missing)) << missing;
  }
  // A directory is found but not read.
  ByteBuffer buffer;
  EXPECT_EQ(kFailed, readBoth(archive, stored, &buffer));
  EXPECT_EQ(nullptr, buffer.data);
}

// --- Lifecycle ----------------------------------------------------------------------------

TEST_F(ArchiveTest, EachOpenReplacesTheDirectoryAndAFailedOneEmptiesIt) {
  EXPECT_EQ(kFailed, readBoth(archive, "data")) << "nothing open";
  std::string sample = archiveImage(sampleTree());
  ASSERT_TRUE(open(sample));
  EXPECT_TRUE(archive.close());
  EXPECT_TRUE(archive.entries.empty());
  EXPECT_EQ(kFailed, readBoth(archive, "data\\tile02.bdi")) << "closed";

  ASSERT_TRUE(open(sample));
  ASSERT_TRUE(open(archiveImage(Dir{"other", {{"other\\b", "BB"}}, {}})));
  EXPECT_EQ((std::vector<std::string>{"other", "other\\b"}), namesOf(archive));
  EXPECT_EQ("BB", readBoth(archive, "other\\b"));

  EXPECT_FALSE(archive.open(temp / "absent.pak"));
  EXPECT_TRUE(archive.stream.fail());
  EXPECT_FALSE(open("X" + sample.substr(1))) << "wrong magic";
  EXPECT_TRUE(archive.entries.empty());
  ASSERT_TRUE(open(sample));
  EXPECT_FALSE(open(sample.substr(0, 200)));
  EXPECT_EQ(kFailed, readBoth(archive, "data\\tile02.bdi"));
  ASSERT_TRUE(open(sample)) << "a good archive opens after failed ones";
}

// --- Damaged and hostile archives ---------------------------------------------------------

TEST_F(ArchiveTest, EveryTruncationIsRefused) {
  std::string image = archiveImage(sampleTree());
  for (size_t length = 0; length < image.size(); ++length) {
    EXPECT_FALSE(open(image.substr(0, length))) << "length " << length;
    EXPECT_TRUE(archive.entries.empty()) << "length " << length;
  }
}

TEST_F(ArchiveTest, LyingRecordsAreRefused) {
  std::string unterminated = ArchiveImage().header(1, 0).directory(std::string(116, 'x'), 16, 0, 0).bytes;
  std::string counts = ArchiveImage().header(1, 0).directory("d", 16, 0xFFFF, 0xFFFF).file("d\\x", 0, 0).bytes;
  std::string pastTheEnd =
      ArchiveImage().header(1, 1).directory("d", 16, 0, 1).file("d\\x", 272, 0xFFFFFFF0u).data("abc").bytes;
  for (const std::string& image : {unterminated, counts, pastTheEnd}) {
    EXPECT_FALSE(open(image));
  }
}

TEST_F(ArchiveTest, DeepNestingEndsWithoutExhaustingTheStack) {
  // Every level claims one subdirectory; the last claim has nothing behind it.
  const int levels = 100000;
  ArchiveImage image;
  image.header(0, 0);
  image.bytes.reserve(static_cast<size_t>(levels) * 128 + 144);
  for (int i = 0; i < levels; ++i) {
    image.directory("d" + std::to_string(i), static_cast<uint32_t>(image.bytes.size()), 1, 0);
  }
  EXPECT_FALSE(open(image.bytes));
  // The same chain, closed at the bottom, is a sound archive.
  image.directory("end", static_cast<uint32_t>(image.bytes.size()), 0, 0);
  ASSERT_TRUE(open(image.bytes));
  EXPECT_EQ(static_cast<size_t>(levels) + 1, archive.entries.size());
}

TEST_F(ArchiveTest, DataOutsideTheArchiveIsNotRead) {
  // The walk is sound, but the records' offsets point elsewhere; one wraps past 2^32.
  ASSERT_TRUE(open(ArchiveImage()
                       .header(1, 3)
                       .directory("d", 16, 0, 3)
                       .file("d\\far", 1000, 2)
                       .file("d\\wrap", 0xFFFFFFF0u, 0x20)
                       .file("d\\ok", 562, 2)
                       .data("aa" + std::string(0x20, 'w') + "cc")
                       .bytes));
  EXPECT_EQ(kFailed, readBoth(archive, "d\\far"));
  EXPECT_EQ(kFailed, readBoth(archive, "d\\wrap"));
  EXPECT_EQ("cc", readBoth(archive, "d\\ok"));
}

TEST_F(ArchiveTest, ArchiveShrunkAfterOpenGivesFalseThenRecovers) {
  std::string image = archiveImage(Dir{"d", {{"d\\a", "first"}, {"d\\b", std::string(5000, 'b')}}, {}});
  ASSERT_TRUE(open(image));
  std::filesystem::resize_file(temp / "test.pak", image.size() - 10);
  EXPECT_EQ(kFailed, readBoth(archive, "d\\b")) << "bytes were not all delivered";
  EXPECT_EQ("first", readBoth(archive, "d\\a")) << "a short read must not poison the reads after it";
}
