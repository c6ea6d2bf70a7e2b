// Golden runs of the built packer on generated trees: standard output byte for byte, exit
// status, and the archive bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/packer/PackerTestSupport.h"

using namespace packertest;

namespace {

const std::string kSeparator(57, '-');

std::string packReport(const std::string& progress, int directories, int files) {
  return progress + kSeparator + "\nPacked Directory Count=" + std::to_string(directories) +
         "\nPacked File Count=" + std::to_string(files) + "\nAll File Packed OK!\n";
}

// The tree of the examples: data\tile02.bdi and data\maps\a.bin.
void makeSampleTree(const TempDir& dir) {
  writeFile(dir / "data/tile02.bdi", "tile!");
  writeFile(dir / "data/maps/a.bin", "abc");
}

std::string sampleArchive() {
  // Root at 16 with one file and one subdirectory; its file record at 144, data at 272..276;
  // the maps block at 277: record, a.bin's record at 405, its data at 533.
  return ArchiveImage()
      .header(2, 2)
      .directory("data", 16, 1, 1)
      .file("data\\tile02.bdi", 272, 5)
      .data("tile!")
      .directory("data\\maps", 277, 0, 1)
      .file("data\\maps\\a.bin", 533, 3)
      .data("abc")
      .bytes;
}

TEST(PackerCommandLine, WrongArgumentCountPrintsUsageAndExitsZero) {
  TempDir dir;
  const std::string program = PACKER_PATH;
  std::string usage = "Brumal Studio,Game Engine Tools\n"
                      "Web: https://brumal-engine.example.org\n"
                      "File Packer\n"
                      "Author: Brumal engine developers\n"
                      "Use:\n" +
                      kSeparator + "\nPack A Directory And its SubDir:\n" + program +
                      " -p PackDir PackedFile\n" + kSeparator + "\nUnpack From File:\n" + program +
                      " -u PackedFile destDir\n" + kSeparator +
                      "\nList All Packed File To ListFile:\n" + program + " -l PackedFile destfile\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"-p", "data"}, {"-p", "data", "data.pak", "extra"}}) {
    RunResult run = runPacker(dir.path, args);
    EXPECT_EQ(run.out, usage);
    EXPECT_EQ(run.status, 0);
  }
  EXPECT_FALSE(fs::exists(dir / "data.pak"));
}

TEST(PackerCommandLine, UnknownCommandIsSilentWithStatusOne) {
  TempDir dir;
  RunResult run = runPacker(dir.path, {"-x", "a", "b"});
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(runPacker(dir.path, {"p", "a", "b"}).out, "");
  EXPECT_TRUE(fs::is_empty(dir.path));
}

TEST(PackerCommandLine, CapitalCommandsAreAccepted) {
  TempDir dir;
  makeSampleTree(dir);
  RunResult packed = runPacker(dir.path, {"-P", "data", "data.pak"});
  EXPECT_EQ(packed.status, 1);
  EXPECT_EQ(readFile(dir / "data.pak"), sampleArchive());
  RunResult listed = runPacker(dir.path, {"-L", "data.pak", "list.txt"});
  EXPECT_EQ(listed.status, 1);
  EXPECT_EQ(readFile(dir / "list.txt"), "data\ndata\\maps\ndata\\maps\\a.bin\ndata\\tile02.bdi\n");
  fs::create_directory(dir / "out");
  RunResult unpacked = runPacker(dir.path, {"-U", "data.pak", "out\\"});
  EXPECT_EQ(unpacked.status, 1);
  EXPECT_EQ(readFile(dir / "out/data/maps/a.bin"), "abc");
}

TEST(PackerPack, EmptyDirectoryGivesThe144ByteArchive) {
  TempDir dir;
  fs::create_directory(dir / "data");
  RunResult run = runPacker(dir.path, {"-p", "data", "data.pak"});
  EXPECT_EQ(run.out, packReport("Packing Directory:data ...\n", 1, 0));
  EXPECT_EQ(run.status, 1);
  std::string expected = ArchiveImage().header(1, 0).directory("data", 16, 0, 0).bytes;
  ASSERT_EQ(expected.size(), 144u);
  EXPECT_EQ(readFile(dir / "data.pak"), expected);
}

TEST(PackerPack, OneFileGivesThe277ByteArchive) {
  TempDir dir;
  writeFile(dir / "data/tile02.bdi", "12345");
  RunResult run = runPacker(dir.path, {"-p", "data", "data.pak"});
  EXPECT_EQ(run.out, packReport("Packing Directory:data ...\n"
                                "Packing File: data\\tile02.bdi ...\n"
                                "Packed File: data\\tile02.bdi OK!\n",
                                1, 1));
  std::string expected = ArchiveImage()
                             .header(1, 1)
                             .directory("data", 16, 0, 1)
                             .file("data\\tile02.bdi", 272, 5)
                             .data("12345")
                             .bytes;
  ASSERT_EQ(expected.size(), 277u);
  EXPECT_EQ(readFile(dir / "data.pak"), expected);
}

TEST(PackerPack, FilesComeBeforeSubdirectoriesInEachBlock) {
  TempDir dir;
  makeSampleTree(dir);
  RunResult run = runPacker(dir.path, {"-p", "data", "data.pak"});
  EXPECT_EQ(run.out, packReport("Packing Directory:data ...\n"
                                "Packing File: data\\tile02.bdi ...\n"
                                "Packed File: data\\tile02.bdi OK!\n"
                                "Packing Directory:data\\maps ...\n"
                                "Packing File: data\\maps\\a.bin ...\n"
                                "Packed File: data\\maps\\a.bin OK!\n",
                                2, 2));
  EXPECT_EQ(readFile(dir / "data.pak"), sampleArchive());
}

TEST(PackerPack, CapitalsAreShownInProgressButStoredLowered) {
  TempDir dir;
  writeFile(dir / "DATA/Tile%d.BDI", "x");
  writeFile(dir / "DATA/Sub/%s%n.Bin", "");
  RunResult run = runPacker(dir.path, {"-p", "DATA", "data.pak"});
  EXPECT_EQ(run.out, packReport("Packing Directory:DATA ...\n"
                                "Packing File: data\\tile%d.bdi ...\n"
                                "Packed File: data\\tile%d.bdi OK!\n"
                                "Packing Directory:DATA\\Sub ...\n"
                                "Packing File: data\\sub\\%s%n.bin ...\n"
                                "Packed File: data\\sub\\%s%n.bin OK!\n",
                                2, 2));
  std::string expected = ArchiveImage()
                             .header(2, 2)
                             .directory("data", 16, 1, 1)
                             .file("data\\tile%d.bdi", 272, 1)
                             .data("x")
                             .directory("data\\sub", 273, 0, 1)
                             .file("data\\sub\\%s%n.bin", 529, 0)
                             .bytes;
  EXPECT_EQ(readFile(dir / "data.pak"), expected);
}

TEST(PackerPack, TrailingBackslashDoublesTheSeparator) {
  TempDir dir;
  writeFile(dir / "data/a", "1");
  RunResult run = runPacker(dir.path, {"-p", "data\\", "data.pak"});
  EXPECT_EQ(run.status, 1);
  std::string expected = ArchiveImage()
                             .header(1, 1)
                             .directory("data\\", 16, 0, 1)
                             .file("data\\\\a", 272, 1)
                             .data("1")
                             .bytes;
  EXPECT_EQ(readFile(dir / "data.pak"), expected);
}

TEST(PackerPack, MissingRootFailsWithHeaderOnly) {
  TempDir dir;
  RunResult run = runPacker(dir.path, {"-p", "nothere", "data.pak"});
  EXPECT_EQ(run.out, "Packing Directory:nothere ...\nFailed !!!\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(readFile(dir / "data.pak"), std::string("ZPAC\0\0\0\0\0\0\0\0\x01\0\0\0", 16));
}

TEST(PackerPack, UncreatableArchivePrintsOnlyTheFailureLine) {
  TempDir dir;
  fs::create_directory(dir / "data");
  RunResult run = runPacker(dir.path, {"-p", "data", "no\\such\\dir.pak"});
  EXPECT_EQ(run.out, "Failed !!!\n");
  EXPECT_EQ(run.status, 1);
}

TEST(PackerPack, SameTreeTwiceGivesIdenticalArchives) {
  TempDir dir;
  for (const char* name : {"z", "A", "m", "b", "_", "0"}) {
    writeFile(dir / (std::string("data/") + name), name);
    writeFile(dir / (std::string("data/d") + name + "/f"), name);
  }
  runPacker(dir.path, {"-p", "data", "one.pak"});
  runPacker(dir.path, {"-p", "data", "two.pak"});
  std::string one = readFile(dir / "one.pak");
  EXPECT_GT(one.size(), 144u);
  EXPECT_EQ(one, readFile(dir / "two.pak"));
}

TEST(PackerPack, PathOf115BytesPacksAnd116Fails) {
  TempDir dir;
  std::string fits = "data/" + std::string(110, 'f');     // "data\" + 110 = 115 bytes
  std::string tooLong = "long/" + std::string(111, 'g');  // 116 bytes
  writeFile(dir / fits, "ok");
  writeFile(dir / tooLong, "no");
  RunResult good = runPacker(dir.path, {"-p", "data", "good.pak"});
  EXPECT_EQ(tail(good.out, 20), "All File Packed OK!\n");
  EXPECT_EQ(readFile(dir / "good.pak").size(), 16u + 128 + 128 + 2);

  RunResult bad = runPacker(dir.path, {"-p", "long", "bad.pak"});
  EXPECT_EQ(bad.out, "Path Too Long To Pack (115 Bytes At Most):long\\" + std::string(111, 'g') +
                         "\nFailed !!!\n");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(readFile(dir / "bad.pak"), std::string("ZPAC\0\0\0\0\0\0\0\0\x01\0\0\0", 16));
}

// A file that cannot be read takes no record and no offset; the rest of the archive is sound.
TEST(PackerPack, UnreadableFilesAreLeftOutBeforeOffsets) {
  TempDir dir;
  writeFile(dir / "data/a", "AAA");
  writeFile(dir / "data/b", "BB");
  writeFile(dir / "data/c", "C");
  chmod((dir / "data/b").c_str(), 0);
  fs::create_symlink(dir / "nowhere", dir / "data/d");
  ASSERT_EQ(mkfifo((dir / "data/e").c_str(), 0666), 0);
  RunResult run = runPacker(dir.path, {"-p", "data", "data.pak"}, true);
  EXPECT_EQ(run.out, packReport("Packing Directory:data ...\n"
                                "Packing File: data\\a ...\n"
                                "Packed File: data\\a OK!\n"
                                "Packing File: data\\b ...\n"
                                "Packed File: data\\b Failed!\n"
                                "Packing File: data\\c ...\n"
                                "Packed File: data\\c OK!\n"
                                "Packing File: data\\d ...\n"
                                "Packed File: data\\d Failed!\n"
                                "Packing File: data\\e ...\n"
                                "Packed File: data\\e Failed!\n",
                                1, 2));
  std::string expected = ArchiveImage()
                             .header(1, 2)
                             .directory("data", 16, 0, 2)
                             .file("data\\a", 400, 3)
                             .file("data\\c", 403, 1)
                             .data("AAAC")
                             .bytes;
  EXPECT_EQ(readFile(dir / "data.pak"), expected);
}

// A file that changes length between listing and copying (here the archive itself, packed
// into its own tree, growing by the 100 kB written before its turn) keeps its promised size,
// zero filled, and the run fails with zero header counts; the layout stays readable.
TEST(PackerPack, FileChangingDuringTheRunFailsTheRunButKeepsTheLayout) {
  TempDir dir;
  writeFile(dir / "data/a", std::string(100000, 'A'));
  RunResult run = runPacker(dir.path, {"-p", "data", "data\\self.pak"});
  EXPECT_EQ(run.out, "Packing Directory:data ...\n"
                     "Packing File: data\\a ...\n"
                     "Packed File: data\\a OK!\n"
                     "Packing File: data\\self.pak ...\n"
                     "Packed File: data\\self.pak Failed!\n"
                     "Failed !!!\n");
  std::string archive = readFile(dir / "data/self.pak");
  EXPECT_EQ(archive.substr(0, 16), std::string("ZPAC\0\0\0\0\0\0\0\0\x01\0\0\0", 16));
  EXPECT_EQ(archive.substr(400, 100000), std::string(100000, 'A'));
  EXPECT_EQ(runPacker(dir.path, {"-l", "data\\self.pak", "list.txt"}).out,
            "All File And Directorys count=3\ndata\ndata\\a\ndata\\self.pak\n");
}

TEST(PackerPack, UnlistableSubdirectoryIsLeftOut) {
  TempDir dir;
  writeFile(dir / "data/locked/x", "x");
  writeFile(dir / "data/open/y", "y");
  chmod((dir / "data/locked").c_str(), 0);
  RunResult run = runPacker(dir.path, {"-p", "data", "data.pak"}, true);
  EXPECT_EQ(run.out, packReport("Packing Directory:data ...\n"
                                "Packing Directory:data\\locked ...\n"
                                "Packing Directory:data\\locked Failed!\n"
                                "Packing Directory:data\\open ...\n"
                                "Packing File: data\\open\\y ...\n"
                                "Packed File: data\\open\\y OK!\n",
                                2, 1));
  std::string expected = ArchiveImage()
                             .header(2, 1)
                             .directory("data", 16, 1, 0)
                             .directory("data\\open", 144, 0, 1)
                             .file("data\\open\\y", 400, 1)
                             .data("y")
                             .bytes;
  EXPECT_EQ(readFile(dir / "data.pak"), expected);
}

TEST(PackerPack, DirectoryLinksAreNotFollowed) {
  TempDir dir;
  writeFile(dir / "data/f", "f");
  fs::create_directory_symlink(dir / "data", dir / "data/loop");
  RunResult run = runPacker(dir.path, {"-p", "data", "data.pak"});
  EXPECT_EQ(run.out, packReport("Packing Directory:data ...\n"
                                "Packing File: data\\f ...\n"
                                "Packed File: data\\f OK!\n"
                                "Skipped Directory Link:data\\loop\n",
                                1, 1));
  EXPECT_EQ(readFile(dir / "data.pak").size(), 16u + 256 + 1);
}

TEST(PackerList, ListsSortedNamesToOutputAndFile) {
  TempDir dir;
  makeSampleTree(dir);
  writeFile(dir / "data.pak", sampleArchive());
  RunResult run = runPacker(dir.path, {"-l", "data.pak", "list.txt"});
  EXPECT_EQ(run.out, "All File And Directorys count=4\n"
                     "data\ndata\\maps\ndata\\maps\\a.bin\ndata\\tile02.bdi\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(readFile(dir / "list.txt"), "data\ndata\\maps\ndata\\maps\\a.bin\ndata\\tile02.bdi\n");
}

TEST(PackerList, EmptyRootListsOneName) {
  TempDir dir;
  writeFile(dir / "e.pak", ArchiveImage().header(1, 0).directory("data", 16, 0, 0).bytes);
  RunResult run = runPacker(dir.path, {"-l", "e.pak", "list.txt"});
  EXPECT_EQ(run.out, "All File And Directorys count=1\ndata\n");
  EXPECT_EQ(readFile(dir / "list.txt"), "data\n");
}

TEST(PackerList, FailuresAndTheirStatuses) {
  TempDir dir;
  writeFile(dir / "data.pak", sampleArchive());
  writeFile(dir / "not.pak", "ZPAX" + sampleArchive().substr(4));
  RunResult missing = runPacker(dir.path, {"-l", "none.pak", "list.txt"});
  EXPECT_EQ(missing.out, "Failed!!!\n");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(runPacker(dir.path, {"-l", "not.pak", "list.txt"}).out, "Failed!!!\n");
  EXPECT_FALSE(fs::exists(dir / "list.txt"));
  RunResult noList = runPacker(dir.path, {"-l", "data.pak", "no\\such\\list.txt"});
  EXPECT_EQ(noList.out, "Failed To Created List File!\n");
  EXPECT_EQ(noList.status, 0);
}

TEST(PackerUnpack, ProgressLinesAndTree) {
  TempDir dir;
  writeFile(dir / "data.pak", sampleArchive());
  fs::create_directory(dir / "out");
  RunResult run = runPacker(dir.path, {"-u", "data.pak", "out\\"});
  EXPECT_EQ(run.out, "Unpacking Directory :out\\data ...\n"
                     "Unpacked File :out\\data\\tile02.bdi ...\n"
                     "Unpacked File :out\\data\\tile02.bdi ok\n"
                     "Unpacking Directory :out\\data\\maps ...\n"
                     "Unpacked File :out\\data\\maps\\a.bin ...\n"
                     "Unpacked File :out\\data\\maps\\a.bin ok\n"
                     "Unpacking Directory :out\\data\\maps OK!\n"
                     "Unpacking Directory :out\\data OK!\n"
                     "File Count=2\nDir Count=2\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(snapshot(dir / "out"), (std::map<std::string, std::string>{{"data", "<dir>"},
                                                                      {"data/maps", "<dir>"},
                                                                      {"data/maps/a.bin", "abc"},
                                                                      {"data/tile02.bdi", "tile!"}}));
  // A second run overwrites the files and keeps the directories.
  writeFile(dir / "out/data/tile02.bdi", "changed and longer");
  EXPECT_EQ(runPacker(dir.path, {"-u", "data.pak", "out\\"}).out, run.out);
  EXPECT_EQ(readFile(dir / "out/data/tile02.bdi"), "tile!");
}

TEST(PackerUnpack, PrefixWithoutSeparatorAndEmptyPrefix) {
  TempDir dir;
  writeFile(dir / "data.pak", sampleArchive());
  EXPECT_EQ(runPacker(dir.path, {"-u", "data.pak", "out"}).status, 1);
  EXPECT_EQ(readFile(dir / "outdata/tile02.bdi"), "tile!");
  fs::create_directory(dir / "here");
  writeFile(dir / "here/data.pak", sampleArchive());
  runPacker(dir / "here", {"-u", "data.pak", ""});
  EXPECT_EQ(readFile(dir / "here/data/maps/a.bin"), "abc");
}

TEST(PackerUnpack, FileThatCannotBeCreatedGetsAFailureLine) {
  TempDir dir;
  writeFile(dir / "data.pak", sampleArchive());
  RunResult run = runPacker(dir.path, {"-u", "data.pak", "missing\\"});
  EXPECT_EQ(run.out, "Unpacking Directory :missing\\data ...\n"
                     "Unpacked File :missing\\data\\tile02.bdi ...\n"
                     "Unpacked File :missing\\data\\tile02.bdi Failed!\n"
                     "Unpacking Directory :missing\\data\\maps ...\n"
                     "Unpacked File :missing\\data\\maps\\a.bin ...\n"
                     "Unpacked File :missing\\data\\maps\\a.bin Failed!\n"
                     "Unpacking Directory :missing\\data\\maps OK!\n"
                     "Unpacking Directory :missing\\data OK!\n"
                     "File Count=2\nDir Count=2\n");
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(PackerUnpack, MissingOrForeignArchiveFails) {
  TempDir dir;
  writeFile(dir / "not.pak", "ZPAX" + sampleArchive().substr(4));
  EXPECT_EQ(runPacker(dir.path, {"-u", "none.pak", "out"}).out, "Failed!!!\n");
  RunResult foreign = runPacker(dir.path, {"-u", "not.pak", "out"});
  EXPECT_EQ(foreign.out, "Failed!!!\n");
  EXPECT_EQ(foreign.status, 1);
  EXPECT_FALSE(fs::exists(dir / "outdata"));
}

// Names reaching outside destDir are refused one by one; the safe records around them are
// still unpacked.
TEST(PackerUnpack, HostileNamesAreRefused) {
  TempDir dir;
  std::string hostile = ArchiveImage()
                            .header(3, 6)
                            .directory("data", 16, 1, 5)
                            .file("data\\..\\..\\escape1", 784, 1)
                            .file("\\tmp\\escape2", 785, 1)
                            .file("c:escape3", 786, 1)
                            .file("data\\ok.txt", 787, 2)
                            .file("data\\. .\\escape4", 789, 1)
                            .data("123OK5")
                            .directory("..", 790, 0, 1)
                            .file("data\\inner", 1046, 1)
                            .data("i")
                            .bytes;
  writeFile(dir / "box/h.pak", hostile);
  fs::create_directory(dir / "box/out");
  RunResult run = runPacker(dir / "box", {"-u", "h.pak", "out\\"});
  EXPECT_EQ(run.out, "Unpacking Directory :out\\data ...\n"
                     "Refused Unsafe Name :data\\..\\..\\escape1\n"
                     "Refused Unsafe Name :\\tmp\\escape2\n"
                     "Refused Unsafe Name :c:escape3\n"
                     "Unpacked File :out\\data\\ok.txt ...\n"
                     "Unpacked File :out\\data\\ok.txt ok\n"
                     "Refused Unsafe Name :data\\. .\\escape4\n"
                     "Refused Unsafe Name :..\n"
                     "Unpacked File :out\\data\\inner ...\n"
                     "Unpacked File :out\\data\\inner ok\n"
                     "Unpacking Directory :out\\data OK!\n"
                     "File Count=6\nDir Count=3\n");
  EXPECT_EQ(snapshot(dir.path), (std::map<std::string, std::string>{{"box", "<dir>"},
                                                                   {"box/h.pak", hostile},
                                                                   {"box/out", "<dir>"},
                                                                   {"box/out/data", "<dir>"},
                                                                   {"box/out/data/ok.txt", "OK"},
                                                                   {"box/out/data/inner", "i"}}));
}

// Cut anywhere, an archive fails cleanly: never a reported success, and nothing created,
// because a checking walk reads every record before anything is made.
TEST(PackerDamage, TruncatedArchivesFailCleanly) {
  TempDir dir;
  std::string full = sampleArchive();
  std::vector<size_t> lengths = {0, 3, 15, 16, 17, 100, 143, 144, 145, 271, 272, 273, 276, 277,
                                 278, 404, 405, 406, 532, 533, 534, 535};
  for (size_t length : lengths) {
    ASSERT_LT(length, full.size());
    writeFile(dir / "cut.pak", full.substr(0, length));
    fs::create_directory(dir / "out");
    RunResult unpacked = runPacker(dir.path, {"-u", "cut.pak", "out\\"});
    EXPECT_EQ(unpacked.status, 1);
    std::string expected = length < 16 ? "Failed!!!\n" : "Damaged Or Truncated Pack File!\nFailed!!!\n";
    EXPECT_EQ(unpacked.out, expected) << length;
    EXPECT_TRUE(fs::is_empty(dir / "out")) << length;
    RunResult listed = runPacker(dir.path, {"-l", "cut.pak", "list.txt"});
    EXPECT_EQ(listed.out, "Failed!!!\n") << length;
    EXPECT_FALSE(fs::exists(dir / "list.txt")) << length;
  }
}

TEST(PackerDamage, CountsAndOffsetsThatLieAreCaught) {
  TempDir dir;
  // Announces 65535 subdirectories and has none.
  writeFile(dir / "subs.pak", ArchiveImage().header(1, 0).directory("data", 16, 0xFFFF, 0).bytes);
  // A file whose data lie beyond the end.
  writeFile(dir / "far.pak", ArchiveImage().header(1, 1).directory("data", 16, 0, 1).file("data\\f", 272, 9999).data("x").bytes);
  // A file whose offset points back at the header: read from there, the walk still moves on.
  writeFile(dir / "back.pak", ArchiveImage().header(1, 1).directory("data", 16, 0, 1).file("data\\f", 0, 4).data("ZPAC").bytes);
  // A chain of directories nested deeper than any real archive.
  ArchiveImage deep;
  deep.header(200, 0);
  for (int level = 0; level < 200; ++level) {
    deep.directory("d" + std::to_string(level), 16 + 128 * level, level < 199 ? 1 : 0, 0);
  }
  writeFile(dir / "deep.pak", deep.bytes);
  // A name filling the field without its terminating zero.
  writeFile(dir / "name.pak", ArchiveImage().header(1, 0).directory(std::string(116, 'n'), 16, 0, 0).bytes);
  fs::create_directory(dir / "out");

  const std::string damaged = "Damaged Or Truncated Pack File!\nFailed!!!\n";
  for (const char* name : {"subs.pak", "far.pak", "deep.pak", "name.pak"}) {
    RunResult run = runPacker(dir.path, {"-u", name, "out\\"});
    EXPECT_EQ(run.out, damaged) << name;
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::is_empty(dir / "out")) << name;
  }
  RunResult back = runPacker(dir.path, {"-u", "back.pak", "out\\"});
  EXPECT_EQ(tail(back.out, 25), "File Count=1\nDir Count=1\n");
  EXPECT_EQ(readFile(dir / "out/data/f"), "ZPAC");
}

// A few hundred files in nested directories, zero-length files, mixed case and "%" in names:
// pack, list, unpack, and the tree comes back with lowered names.
TEST(PackerRoundTrip, TreeComesBackLowered) {
  TempDir dir;
  std::map<std::string, std::string> expected;
  unsigned seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFF;
  };
  std::vector<std::string> directories = {"Data"};
  for (int i = 0; i < 24; ++i) {
    std::string parent = directories[next() % directories.size()];
    directories.push_back(parent + "/Sub" + std::to_string(i) + (i % 3 == 0 ? "X" : "y"));
  }
  for (int i = 0; i < 320; ++i) {
    std::string parent = directories[next() % directories.size()];
    std::string name = (i % 7 == 0 ? "File%" : "f") + std::to_string(i) + (i % 2 ? ".BIN" : ".dat");
    std::string contents;
    size_t length = i % 5 == 0 ? 0 : next() % 3000;
    for (size_t k = 0; k < length; ++k) {
      contents += static_cast<char>(next() & 0xFF);
    }
    writeFile(dir / (parent + "/" + name), contents);
    expected[lowered(parent + "/" + name)] = contents;
  }
  for (const std::string& directory : directories) {
    fs::create_directories(dir / directory);
    expected[lowered(directory)] = "<dir>";
  }

  RunResult packed = runPacker(dir.path, {"-p", "Data", "data.pak"});
  EXPECT_EQ(tail(packed.out, 20), "All File Packed OK!\n");
  EXPECT_NE(packed.out.find("Packed Directory Count=25\nPacked File Count=320\n"), std::string::npos);

  RunResult listed = runPacker(dir.path, {"-l", "data.pak", "list.txt"});
  std::string names;
  for (const auto& [path, contents] : expected) {
    std::string stored = path;
    std::replace(stored.begin(), stored.end(), '/', '\\');
    names += stored + "\n";
  }
  // Sorted as bytes with backslashes, which is not the order of the slash-separated map.
  std::vector<std::string> lines;
  std::istringstream stream(names);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (const std::string& line : lines) {
    sorted += line + "\n";
  }
  EXPECT_EQ(listed.out, "All File And Directorys count=345\n" + sorted);
  EXPECT_EQ(readFile(dir / "list.txt"), sorted);

  fs::create_directory(dir / "out");
  RunResult unpacked = runPacker(dir.path, {"-u", "data.pak", "out\\"});
  EXPECT_EQ(tail(unpacked.out, 28), "File Count=320\nDir Count=25\n");
  EXPECT_EQ(unpacked.out.find("Failed"), std::string::npos);
  EXPECT_EQ(snapshot(dir / "out"), expected);
}

}  // namespace
