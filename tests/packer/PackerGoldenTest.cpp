// Golden runs of the built packer on generated trees: standard output byte for byte, exit
// status, and the archive bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "tests/packer/PackerTestSupport.h"

using namespace packertest;

namespace {

const std::string kSeparator(57, '-');
const std::string kHeaderOnly("ZPAC\0\0\0\0\0\0\0\0\x01\0\0\0", 16);
const std::string kSampleList = "data\ndata\\maps\ndata\\maps\\a.bin\ndata\\tile02.bdi\n";
const std::string kDamaged = "Damaged Or Truncated Pack File!\nFailed!!!\n";

std::string packReport(const std::string& progress, int directories, int files) {
  return progress + kSeparator + "\nPacked Directory Count=" + std::to_string(directories) +
         "\nPacked File Count=" + std::to_string(files) + "\nAll File Packed OK!\n";
}

// "Packing File" and "Packed File" lines of one file.
std::string packed(const std::string& name, const char* result = "OK!") {
  return "Packing File: " + name + " ...\nPacked File: " + name + " " + result + "\n";
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The tree of the examples, data\tile02.bdi and data\maps\a.bin: root at 16 with one file and one
// subdirectory, its file record at 144, data at 272..276; the maps block at 277: record, a.bin's
// record at 405, its data at 533.
std::string sampleArchive() {
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

void makeSampleTree(const TempDir& dir) {
  writeFile(dir / "data/tile02.bdi", "tile!");
  writeFile(dir / "data/maps/a.bin", "abc");
}

// Unpacking the sample archive into out\: the progress lines, with the result of each file.
std::string sampleUnpackReport(const std::string& out, const char* result = "ok") {
  return "Unpacking Directory :" + out + "data ...\nUnpacked File :" + out +
         "data\\tile02.bdi ...\nUnpacked File :" + out + "data\\tile02.bdi " + result +
         "\nUnpacking Directory :" + out + "data\\maps ...\nUnpacked File :" + out +
         "data\\maps\\a.bin ...\nUnpacked File :" + out + "data\\maps\\a.bin " + result +
         "\nUnpacking Directory :" + out + "data\\maps OK!\nUnpacking Directory :" + out +
         "data OK!\nFile Count=2\nDir Count=2\n";
}

TEST(PackerCommandLine, UsageAndUnknownCommands) {
  TempDir dir;
  const std::string program = PACKER_PATH;
  std::string usage =
      "Brumal Studio,Game Engine Tools\nWeb: https://brumal-engine.example.org\nFile Packer\n"
      "Author: Brumal engine developers\nUse:\n" +
      kSeparator + "\nPack A Directory And its SubDir:\n" + program + " -p PackDir PackedFile\n" + kSeparator +
      "\nUnpack From File:\n" + program + " -u PackedFile destDir\n" + kSeparator +
      "\nList All Packed File To ListFile:\n" + program + " -l PackedFile destfile\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"-p", "data"}, {"-p", "data", "data.pak", "extra"}}) {
    RunResult run = runPacker(dir.path, args);
    EXPECT_EQ(run.out, usage);
    EXPECT_EQ(run.status, 0);
  }
  for (const char* command : {"-x", "p"}) {
    RunResult run = runPacker(dir.path, {command, "a", "b"});
    EXPECT_EQ(run.out, "") << command;
    EXPECT_EQ(run.status, 1) << command;
  }
  EXPECT_TRUE(fs::is_empty(dir.path));
}

// "-P", "-L" and "-U" as "-p", "-l" and "-u": the sample tree packed, listed and unpacked, twice
// (the second unpack overwrites the files and keeps the directories).
TEST(PackerCommandLine, PackListAndUnpackTheSampleTree) {
  TempDir dir;
  makeSampleTree(dir);
  RunResult run = runPacker(dir.path, {"-P", "data", "data.pak"});
  EXPECT_EQ(run.out, packReport("Packing Directory:data ...\n" + packed("data\\tile02.bdi") +
                                    "Packing Directory:data\\maps ...\n" + packed("data\\maps\\a.bin"),
                                2, 2));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(readFile(dir / "data.pak"), sampleArchive());

  run = runPacker(dir.path, {"-L", "data.pak", "list.txt"});
  EXPECT_EQ(run.out, "All File And Directorys count=4\n" + kSampleList);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(readFile(dir / "list.txt"), kSampleList);

  fs::create_directory(dir / "out");
  for (int pass = 0; pass < 2; ++pass) {
    run = runPacker(dir.path, {"-U", "data.pak", "out\\"});
    EXPECT_EQ(run.out, sampleUnpackReport("out\\"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        snapshot(dir / "out"),
        (std::map<std::string, std::string>{
            {"data", "<dir>"}, {"data/maps", "<dir>"}, {"data/maps/a.bin", "abc"}, {"data/tile02.bdi", "tile!"}}));
    writeFile(dir / "out/data/tile02.bdi", "changed and longer");
  }
}

// Each case packs a tree set up in a fresh directory (as "nobody" when run as root, so that
// permissions count) and compares the output and data.pak.
TEST(PackerPack, GoldenRuns) {
  const std::string longName(111, 'g');
  const std::string fits(110, 'f');
  struct Case {
    const char* what;
    // Path and contents, or "<dir>", "<locked>" (a directory), "<unreadable>", "<link>", "<loop>", "<fifo>".
    std::vector<std::pair<std::string, std::string>> tree;
    std::vector<std::string> args;
    std::string out;
    std::string archive;
  };
  const std::vector<Case> cases = {
      {"empty directory",
       {{"data", "<dir>"}},
       {"data"},
       packReport("Packing Directory:data ...\n", 1, 0),
       ArchiveImage().header(1, 0).directory("data", 16, 0, 0).bytes},
      {"one file",
       {{"data/tile02.bdi", "12345"}},
       {"data"},
       packReport("Packing Directory:data ...\n" + packed("data\\tile02.bdi"), 1, 1),
       ArchiveImage().header(1, 1).directory("data", 16, 0, 1).file("data\\tile02.bdi", 272, 5).data("12345").bytes},
      {"capitals shown, stored lowered",
       {{"DATA/Tile%d.BDI", "x"}, {"DATA/Sub/%s%n.Bin", ""}},
       {"DATA"},
       packReport("Packing Directory:DATA ...\n" + packed("data\\tile%d.bdi") + "Packing Directory:DATA\\Sub ...\n" +
                      packed("data\\sub\\%s%n.bin"),
                  2, 2),
       archiveImage(Dir{"data", {{"data\\tile%d.bdi", "x"}}, {Dir{"data\\sub", {{"data\\sub\\%s%n.bin", ""}}, {}}}})},
      {"trailing backslash doubles the separator",
       {{"data/a", "1"}},
       {"data\\"},
       packReport("Packing Directory:data\\ ...\n" + packed("data\\\\a"), 1, 1),
       archiveImage(Dir{"data\\", {{"data\\\\a", "1"}}, {}})},
      {"missing root", {}, {"nothere"}, "Packing Directory:nothere ...\nFailed !!!\n", kHeaderOnly},
      {"uncreatable archive", {{"data", "<dir>"}}, {"data", "no\\such\\dir.pak"}, "Failed !!!\n", ""},
      {"115-byte path",
       {{"data/" + fits, "ok"}},
       {"data"},
       packReport("Packing Directory:data ...\n" + packed("data\\" + fits), 1, 1),
       archiveImage(Dir{"data", {{"data\\" + fits, "ok"}}, {}})},
      {"116-byte path",
       {{"long/" + longName, "no"}},
       {"long"},
       "Path Too Long To Pack (115 Bytes At Most):long\\" + longName + "\nFailed !!!\n",
       kHeaderOnly},
      // What cannot be read takes no record and no offset; the rest of the archive is sound.
      {"unreadable files",
       {{"data/a", "AAA"}, {"data/b", "<unreadable>"}, {"data/c", "C"}, {"data/d", "<link>"}, {"data/e", "<fifo>"}},
       {"data"},
       packReport("Packing Directory:data ...\n" + packed("data\\a") + packed("data\\b", "Failed!") +
                      packed("data\\c") + packed("data\\d", "Failed!") + packed("data\\e", "Failed!"),
                  1, 2),
       archiveImage(Dir{"data", {{"data\\a", "AAA"}, {"data\\c", "C"}}, {}})},
      {"unlistable subdirectory",
       {{"data/locked", "<locked>"}, {"data/open/y", "y"}},
       {"data"},
       packReport("Packing Directory:data ...\nPacking Directory:data\\locked ...\n"
                  "Packing Directory:data\\locked Failed!\nPacking Directory:data\\open ...\n" +
                      packed("data\\open\\y"),
                  2, 1),
       archiveImage(Dir{"data", {}, {Dir{"data\\open", {{"data\\open\\y", "y"}}, {}}}})},
      {"directory link",
       {{"data/f", "f"}, {"data/loop", "<loop>"}},
       {"data"},
       packReport("Packing Directory:data ...\n" + packed("data\\f") + "Skipped Directory Link:data\\loop\n", 1, 1),
       archiveImage(Dir{"data", {{"data\\f", "f"}}, {}})},
  };
  for (const Case& c : cases) {
    TempDir dir;
    for (const auto& [path, contents] : c.tree) {
      if (contents == "<dir>" || contents == "<locked>") {
        fs::create_directories(dir / path);
        if (contents == "<locked>") {
          writeFile(dir / path + "/x", "x");
          chmod((dir / path).c_str(), 0);
        }
      } else if (contents == "<unreadable>") {
        writeFile(dir / path, "BB");
        chmod((dir / path).c_str(), 0);
      } else if (contents == "<link>") {
        fs::create_symlink(dir / "nowhere", dir / path);
      } else if (contents == "<loop>") {
        fs::create_directory_symlink(dir / "data", dir / path);
      } else if (contents == "<fifo>") {
        ASSERT_EQ(mkfifo((dir / path).c_str(), 0666), 0);
      } else {
        writeFile(dir / path, contents);
      }
    }
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "-p");
    if (args.size() == 2) {
      args.push_back("data.pak");
    }
    RunResult run = runPacker(dir.path, args, true);
    EXPECT_EQ(run.out, c.out) << c.what;
    EXPECT_EQ(run.status, 1) << c.what;
    EXPECT_EQ(readFile(dir / "data.pak"), c.archive) << c.what;
  }
}

// A file that changes length between listing and copying (here the archive itself, packed
// into its own tree, growing by the 100 kB written before its turn) keeps its promised size,
// zero filled, and the run fails with zero header counts; the layout stays readable.
TEST(PackerPack, FileChangingDuringTheRunFailsTheRunButKeepsTheLayout) {
  TempDir dir;
  writeFile(dir / "data/a", std::string(100000, 'A'));
  RunResult run = runPacker(dir.path, {"-p", "data", "data\\self.pak"});
  EXPECT_EQ(run.out,
            "Packing Directory:data ...\n" + packed("data\\a") + packed("data\\self.pak", "Failed!") + "Failed !!!\n");
  std::string archive = readFile(dir / "data/self.pak");
  EXPECT_EQ(archive.substr(0, 16), kHeaderOnly);
  EXPECT_EQ(archive.substr(400, 100000), std::string(100000, 'A'));
  EXPECT_EQ(runPacker(dir.path, {"-l", "data\\self.pak", "list.txt"}).out,
            "All File And Directorys count=3\ndata\ndata\\a\ndata\\self.pak\n");
}

TEST(PackerList, OneNameForAnEmptyRootAndFailures) {
  TempDir dir;
  writeFile(dir / "e.pak", ArchiveImage().header(1, 0).directory("data", 16, 0, 0).bytes);
  EXPECT_EQ(runPacker(dir.path, {"-l", "e.pak", "list.txt"}).out, "All File And Directorys count=1\ndata\n");
  EXPECT_EQ(readFile(dir / "list.txt"), "data\n");
  RunResult noList = runPacker(dir.path, {"-l", "e.pak", "no\\such\\list.txt"});
  EXPECT_EQ(noList.out, "Failed To Created List File!\n");
  EXPECT_EQ(noList.status, 0);

  // A missing or foreign archive fails both commands, creating nothing.
  writeFile(dir / "not.pak", "ZPAX" + sampleArchive().substr(4));
  for (const char* archive : {"none.pak", "not.pak"}) {
    for (const char* command : {"-l", "-u"}) {
      RunResult run = runPacker(dir.path, {command, archive, "out"});
      EXPECT_EQ(run.out, "Failed!!!\n") << command << archive;
      EXPECT_EQ(run.status, 1) << command << archive;
    }
  }
  EXPECT_FALSE(fs::exists(dir / "out"));
  EXPECT_FALSE(fs::exists(dir / "outdata"));
}

TEST(PackerUnpack, DestinationIsAPlainPrefix) {
  TempDir dir;
  writeFile(dir / "data.pak", sampleArchive());
  EXPECT_EQ(runPacker(dir.path, {"-u", "data.pak", "out"}).status, 1);
  EXPECT_EQ(readFile(dir / "outdata/tile02.bdi"), "tile!");
  writeFile(dir / "here/data.pak", sampleArchive());
  runPacker(dir / "here", {"-u", "data.pak", ""});
  EXPECT_EQ(readFile(dir / "here/data/maps/a.bin"), "abc");
  // Under a missing directory nothing can be created, and no file is reported unpacked.
  EXPECT_EQ(runPacker(dir.path, {"-u", "data.pak", "missing\\"}).out, sampleUnpackReport("missing\\", "Failed!"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
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
  EXPECT_EQ(runPacker(dir / "box", {"-u", "h.pak", "out\\"}).out,
            "Unpacking Directory :out\\data ...\nRefused Unsafe Name :data\\..\\..\\escape1\n"
            "Refused Unsafe Name :\\tmp\\escape2\nRefused Unsafe Name :c:escape3\n"
            "Unpacked File :out\\data\\ok.txt ...\nUnpacked File :out\\data\\ok.txt ok\n"
            "Refused Unsafe Name :data\\. .\\escape4\nRefused Unsafe Name :..\n"
            "Unpacked File :out\\data\\inner ...\nUnpacked File :out\\data\\inner ok\n"
            "Unpacking Directory :out\\data OK!\nFile Count=6\nDir Count=3\n");
  EXPECT_EQ(snapshot(dir.path), (std::map<std::string, std::string>{{"box", "<dir>"},
                                                                    {"box/h.pak", hostile},
                                                                    {"box/out", "<dir>"},
                                                                    {"box/out/data", "<dir>"},
                                                                    {"box/out/data/ok.txt", "OK"},
                                                                    {"box/out/data/inner", "i"}}));
}

// Cut anywhere or lying in its records, an archive fails cleanly: never a reported success, and
// nothing created, because a checking walk reads every record before anything is made.
TEST(PackerDamage, TruncatedAndDamagedArchivesFailCleanly) {
  TempDir dir;
  std::vector<std::tuple<std::string, std::string, bool>> archives;  // image, unpack's output, -l fails
  for (size_t length :
       {0, 3, 15, 16, 17, 100, 143, 144, 145, 271, 272, 273, 276, 277, 278, 404, 405, 406, 532, 533, 534, 535}) {
    archives.emplace_back(sampleArchive().substr(0, length), length < 16 ? "Failed!!!\n" : kDamaged, true);
  }
  // 65535 subdirectories announced and none there; data beyond the end; a chain nested deeper
  // than any real archive (which a list may show); a name filling its field without its zero.
  archives.emplace_back(ArchiveImage().header(1, 0).directory("data", 16, 0xFFFF, 0).bytes, kDamaged, true);
  archives.emplace_back(
      ArchiveImage().header(1, 1).directory("data", 16, 0, 1).file("data\\f", 272, 9999).data("x").bytes, kDamaged,
      true);
  ArchiveImage deep;
  deep.header(200, 0);
  for (int level = 0; level < 200; ++level) {
    deep.directory("d" + std::to_string(level), 16 + 128 * level, level < 199 ? 1 : 0, 0);
  }
  archives.emplace_back(deep.bytes, kDamaged, false);
  archives.emplace_back(ArchiveImage().header(1, 0).directory(std::string(116, 'n'), 16, 0, 0).bytes, kDamaged, true);
  fs::create_directory(dir / "out");
  for (const auto& [image, expected, listFails] : archives) {
    writeFile(dir / "bad.pak", image);
    RunResult unpacked = runPacker(dir.path, {"-u", "bad.pak", "out\\"});
    EXPECT_EQ(unpacked.status, 1);
    EXPECT_EQ(unpacked.out, expected) << image.size();
    EXPECT_TRUE(fs::is_empty(dir / "out")) << image.size();
    if (listFails) {
      EXPECT_EQ(runPacker(dir.path, {"-l", "bad.pak", "list.txt"}).out, "Failed!!!\n") << image.size();
      EXPECT_FALSE(fs::exists(dir / "list.txt")) << image.size();
    }
  }
  // A file whose offset points back at the header: read from there, the walk still moves on.
  writeFile(dir / "back.pak",
            ArchiveImage().header(1, 1).directory("data", 16, 0, 1).file("data\\f", 0, 4).data("ZPAC").bytes);
  EXPECT_TRUE(endsWith(runPacker(dir.path, {"-u", "back.pak", "out\\"}).out, "File Count=1\nDir Count=1\n"));
  EXPECT_EQ(readFile(dir / "out/data/f"), "ZPAC");
}

// A few hundred files in nested directories, zero-length files, mixed case and "%" in names:
// packed twice to the same bytes, listed, unpacked, and the tree comes back with lowered names.
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
  for (const std::string& directory : directories) {
    fs::create_directories(dir / directory);
    expected[lowered(directory)] = "<dir>";
  }
  for (int i = 0; i < 320; ++i) {
    std::string path = directories[next() % directories.size()] + "/" + (i % 7 == 0 ? "File%" : "f") +
                       std::to_string(i) + (i % 2 ? ".BIN" : ".dat");
    std::string contents(i % 5 == 0 ? 0 : next() % 3000, '\0');
    for (char& c : contents) {
      c = static_cast<char>(next() & 0xFF);
    }
    writeFile(dir / path, contents);
    expected[lowered(path)] = contents;
  }

  RunResult run = runPacker(dir.path, {"-p", "Data", "data.pak"});
  EXPECT_TRUE(endsWith(run.out, "Packed Directory Count=25\nPacked File Count=320\nAll File Packed OK!\n"));
  runPacker(dir.path, {"-p", "Data", "again.pak"});
  EXPECT_EQ(readFile(dir / "data.pak"), readFile(dir / "again.pak"));

  // Sorted as bytes with backslashes, which is not the order of the slash-separated map.
  std::vector<std::string> names;
  for (const auto& entry : expected) {
    names.push_back(entry.first);
    std::replace(names.back().begin(), names.back().end(), '/', '\\');
  }
  std::sort(names.begin(), names.end());
  std::string list;
  for (const std::string& name : names) {
    list += name + "\n";
  }
  EXPECT_EQ(runPacker(dir.path, {"-l", "data.pak", "list.txt"}).out, "All File And Directorys count=345\n" + list);
  EXPECT_EQ(readFile(dir / "list.txt"), list);

  fs::create_directory(dir / "out");
  RunResult unpacked = runPacker(dir.path, {"-u", "data.pak", "out\\"});
  EXPECT_TRUE(endsWith(unpacked.out, "File Count=320\nDir Count=25\n"));
  EXPECT_EQ(unpacked.out.find("Failed"), std::string::npos);
  EXPECT_EQ(snapshot(dir / "out"), expected);
}

}  // namespace
