#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

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
  if (!intoBuffer || !intoBlock) return block == nullptr ? kFailed : "<a block handed out>";
  EXPECT_EQ(bytesOf(buffer), std::string(reinterpret_cast<char*>(block), static_cast<size_t>(size))) << name;
  return bytesOf(buffer);
}

std::vector<std::string> namesOf(const PackArchive& archive) {
  std::vector<std::string> names;
  for (const PackEntry& entry : archive.entries) names.push_back(entry.name);
  return names;
}

class ArchiveTest : public ::testing::Test {
protected:
  bool open(const std::string& image) { return archive.open(temp.write("test.pak", image)); }
  TempDir temp;
  PackArchive archive;
};

}  // namespace

// Bytes 'A' to 'Z' are lowered wherever they stand, second bytes of double-byte characters too.
TEST(PackFormatNames, Lowering) {
  std::string name = "Data\\MAPS\\\xC4\x41z@[`{.BIN";
  PackRecord::lowerName(name);
  EXPECT_EQ("data\\maps\\\xC4\x61z@[`{.bin", name);
}

TEST(FileLoaderTest, ReadsWholeRegularFilesFromDiskOrNothing) {
  TempDir temp;
  FileLoader loader(nullptr);
  std::string binary("\x00\x01\r\n\x1a\xff", 6);
  std::string large = std::string(69999, 'q') + 'z';
  ByteBuffer buffer;  // reused: it holds exactly each file in turn
  EXPECT_EQ(large, readBoth(loader, temp.write("font", large), &buffer));
  EXPECT_EQ(binary, readBoth(loader, temp.write("bdi.dat", binary), &buffer)) << "nothing may be translated";
  // A pipe would block the read for ever: with no writer at its open, with no data at its read.
  ASSERT_EQ(0, mkfifo((temp / "pipe").c_str(), 0666));
  alarm(10);
  for (const std::string& bad : {temp / "absent", std::string(), temp.path, temp / "pipe"}) {
    EXPECT_EQ(kFailed, readBoth(loader, bad)) << bad;
    EXPECT_FALSE(PackArchive().open(bad)) << bad;
  }
  alarm(0);
  // A file that does not open leaves the outputs as they were.
  uint8_t* block = buffer.data;
  int32_t size = 42;
  EXPECT_FALSE(loader.readFile(temp / "absent", buffer) || loader.readFile(temp / "absent", block, size));
  EXPECT_EQ(binary, bytesOf(buffer));
  EXPECT_EQ(buffer.data, block);
  EXPECT_EQ(42, size);
  EXPECT_EQ("", readBoth(loader, temp.write("empty", ""), &buffer));
  EXPECT_NE(nullptr, buffer.data) << "the earlier block must be resized, not left dangling";
  // sysfs attributes measure 4096 bytes but deliver a few; no unread tail is reported.
  if (access("/sys/devices/system/cpu/online", R_OK) == 0) {
    EXPECT_EQ(kFailed, readBoth(loader, "/sys/devices/system/cpu/online", &buffer));
    EXPECT_LT(buffer.size, 4096);
  }
}

// Subdirectory blocks follow the file data whatever the names; entries sort as unsigned bytes,
// a prefix first; queries are lowered, so a stored capital is never found.
TEST_F(ArchiveTest, EntriesAreSortedPrefixFirstAndEveryFileReads) {
  Dir root{"data", {{"data\\tile02.bdi", "t"}, {"data\\\xC4\xE3.bin", "hi"}, {"data\\B", "b"}}, {}};
  std::vector<File> all = root.files;
  for (int d = 0; d < 6; ++d) {
    Dir sub{"data\\d" + std::to_string(5 - d), {}, {}};
    for (int f = 0; f < 7; ++f) {
      sub.files.push_back({sub.name + "\\f" + std::to_string((f * 3) % 7), std::string(f * 11 + d, 'a' + f)});
    }
    sub.dirs.push_back(Dir{sub.name + "\\inner", {{sub.name + "\\inner\\q", "Q" + sub.name}}, {}});
    all.insert(all.end(), sub.files.begin(), sub.files.end());
    all.push_back(sub.dirs[0].files[0]);
    root.dirs.push_back(sub);
  }
  ASSERT_TRUE(open(archiveImage(root)));
  std::vector<std::string> names = namesOf(archive);
  EXPECT_EQ(4u + 6 * 10, names.size());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ("data\\\xC4\xE3.bin", names.back());
  ByteBuffer buffer;
  for (const File& file : all) {
    EXPECT_EQ(file.name == "data\\B" ? kFailed : file.bytes, readBoth(archive, file.name, &buffer)) << file.name;
  }
}

// Bytes 12 to 15 are never looked at; any flags but 16 mean a file; a directory record among
// a block's file records is walked as a directory where it stands.
TEST_F(ArchiveTest, ReaderQuirksOfTheLayout) {
  std::string unknownFlags =
      ArchiveImage().header(1, 1).directory("d", 16, 0, 1).file("d\\x", 272, 2, 0x20).data("ok").bytes;
  unknownFlags.replace(12, 4, "\xFF\x7F\x01\x02");
  ASSERT_TRUE(open(unknownFlags));
  EXPECT_EQ(128, archive.entries[1].flags);
  EXPECT_EQ(272, archive.entries[1].offset);
  EXPECT_EQ("ok", readBoth(archive, "d\\x"));

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
  EXPECT_EQ(16, archive.entries[2].flags);
  EXPECT_EQ("FFF", readBoth(archive, "d\\f"));
  EXPECT_FALSE(open(nested.substr(0, 532))) << "the second file's skip runs past the end";
}

TEST_F(ArchiveTest, OnlyQueriesAreLowerCasedAndOnlyFilesRead) {
  const std::string stored = "data\\" + std::string(110, 'n');  // the longest name a record holds
  ASSERT_TRUE(open(archiveImage(Dir{"data", {{"data\\tile02.bdi", "t"}}, {Dir{stored, {}, {}}}})));
  EXPECT_EQ(archive.findEntry("data\\tile02.bdi"), archive.findEntry("Data\\TILE02.Bdi"));
  EXPECT_GE(archive.findEntry(stored), 0);
  // Names of 128 bytes or more are never found, not even by their first 115 bytes.
  for (const std::string& missing : {std::string("data/tile02.bdi"), std::string("data\\tile02.bd"), std::string(),
                                     stored + std::string(13, 'n'), stored + std::string(4000, 'n')}) {
    EXPECT_EQ(-1, archive.findEntry(missing)) << missing;
  }
  ByteBuffer buffer;
  EXPECT_EQ(kFailed, readBoth(archive, stored, &buffer)) << "a directory is found but not read";
  EXPECT_EQ(nullptr, buffer.data);
}

// A loader bound to the archive reads only through it, never from the disk.
TEST_F(ArchiveTest, EachOpenReplacesTheDirectoryAndAFailedOneEmptiesIt) {
  FileLoader loader(&archive);
  std::string sample = archiveImage(sampleTree());
  std::string onDisk = temp.write("data/tile02.bdi", "on disk");
  EXPECT_EQ(kFailed, readBoth(loader, onDisk)) << "nothing is open yet";
  ASSERT_TRUE(open(sample));
  EXPECT_EQ("tile!", readBoth(loader, "DATA\\TILE02.BDI"));
  EXPECT_EQ(kFailed, readBoth(loader, onDisk));
  EXPECT_EQ(2u, archive.directoryCount);
  EXPECT_EQ(2u, archive.fileCount);
  EXPECT_TRUE(archive.close());
  EXPECT_TRUE(archive.entries.empty());
  EXPECT_EQ(kFailed, readBoth(loader, "data\\tile02.bdi")) << "closed";
  ASSERT_TRUE(open(sample));
  ASSERT_TRUE(open(archiveImage(Dir{"other", {{"other\\b", "BB"}}, {}})));
  EXPECT_EQ((std::vector<std::string>{"other", "other\\b"}), namesOf(archive));
  EXPECT_FALSE(open("X" + sample.substr(1))) << "wrong magic";
  EXPECT_TRUE(archive.entries.empty());
  EXPECT_EQ(kFailed, readBoth(archive, "other\\b"));
  ASSERT_TRUE(open(sample)) << "a good archive opens after failed ones";
}

TEST_F(ArchiveTest, EveryTruncationIsRefused) {
  std::string image = archiveImage(sampleTree());
  for (size_t length = 0; length < image.size(); ++length) {
    EXPECT_FALSE(open(image.substr(0, length))) << "length " << length;
    EXPECT_TRUE(archive.entries.empty()) << "length " << length;
  }
}

TEST_F(ArchiveTest, DeepNestingEndsWithoutExhaustingTheStack) {
  // Every level claims one subdirectory; the last claim has nothing behind it.
  const int levels = 100000;
  ArchiveImage image;
  image.header(0, 0);
  for (int i = 0; i < levels; ++i) image.directory("d" + std::to_string(i), 16 + 128 * i, 1, 0);
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
  // Shrunk after the open.
  ASSERT_TRUE(open(archiveImage(Dir{"d", {{"d\\a", "first"}, {"d\\b", std::string(5000, 'b')}}, {}})));
  fs::resize_file(temp / "test.pak", 5000);
  EXPECT_EQ(kFailed, readBoth(archive, "d\\b")) << "bytes were not all delivered";
  EXPECT_EQ("first", readBoth(archive, "d\\a")) << "a short read must not spoil the reads after it";
}
