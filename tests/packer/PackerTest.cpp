// What the golden cases cannot reach: the format's limits (lowered for small trees, and 4 GiB on
// sparse files), a file changing kind under the run, the name check, a run killed half way.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "packer/Packing.h"
#include "packer/Unpacking.h"
#include "tests/packer/PackerTestSupport.h"

using namespace packertest;

namespace {

// Runs in a scratch directory, so that the packed names are short relative paths.
class PackerInProcess : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(chdir(dir.path.c_str()), 0); }
  void TearDown() override { EXPECT_EQ(chdir(saved.c_str()), 0); }

  // Packs "data" into data.pak with the given limits: what it printed when it failed, "packed"
  // when it succeeded.
  std::string pack(const PackLimits& limits) {
    testing::internal::CaptureStdout();
    bool packed = packArchive("data", "data.pak", limits);
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    return packed ? "packed" : out;
  }

  std::string saved = fs::current_path().string();
  TempDir dir;
};

TEST_F(PackerInProcess, EntryCountsAndArchiveLengthAtTheLimitsPackAndAboveThemFail) {
  PackLimits limits;
  limits.maxCount = 2;
  writeFile(dir / "data/a", "0123456789");
  writeFile(dir / "data/b", "");
  fs::create_directories(dir / "data/sub/d0");
  fs::create_directories(dir / "data/sub/d1");
  // Header 16; root, a, b and sub records 4 * 128; a's 10 bytes; d0 and d1 records 2 * 128.
  limits.maxArchiveLength = 16 + 4 * 128 + 10 + 2 * 128;
  EXPECT_EQ(pack(limits), "packed");
  EXPECT_EQ(fs::file_size(dir / "data.pak"), limits.maxArchiveLength);
  limits.maxArchiveLength -= 1;
  EXPECT_EQ(pack(limits), "Pack File Too Large (793 Bytes At Most):data\\sub\\d1\n");
  limits.maxArchiveLength = 16 + 2 * 128 + 9;
  EXPECT_EQ(pack(limits), "Pack File Too Large (281 Bytes At Most):data\\a\n");
  limits.maxArchiveLength = PackLimits().maxArchiveLength;

  writeFile(dir / "data/c", "x");
  EXPECT_EQ(pack(limits), "Too Many Entries To Pack (2 Files And 2 SubDirs At Most):data\n");
  fs::remove(dir / "data/c");
  fs::create_directories(dir / "data/sub/d2");
  EXPECT_EQ(pack(limits), "Too Many Entries To Pack (2 Files And 2 SubDirs At Most):data\\sub\n");
  // What is left out does not count.
  fs::remove(dir / "data/sub/d2");
  fs::create_symlink(dir / "nowhere", dir / "data/c");
  EXPECT_EQ(pack(limits), "packed");
  EXPECT_EQ(fs::file_size(dir / "data.pak"), 16 + 6 * 128 + 10u);
}

// Sparse files reach the real 4 GiB edge without using the disk; the scan never reads data.
TEST_F(PackerInProcess, RealFourGibLimitOnSparseFiles) {
  const uint64_t overhead = 16 + 128 + 128;
  writeFile(dir / "data/big", "");
  fs::resize_file(dir / "data/big", 0xFFFFFFFFull - overhead);
  PackTree tree;
  EXPECT_EQ(tree.scan("data"), PackTree::Result::ok);
  EXPECT_EQ(tree.archiveLength, 0xFFFFFFFFull);
  fs::resize_file(dir / "data/big", 0x100000000ull - overhead);
  EXPECT_EQ(tree.scan("data"), PackTree::Result::tooLarge);
  EXPECT_EQ(tree.problemMessage(PackTree::Result::tooLarge),
            "Pack File Too Large (4294967295 Bytes At Most):data\\big\n");
  // A single file of 4 GiB and more cannot even be given a size.
  fs::resize_file(dir / "data/big", 0x100000005ull);
  EXPECT_EQ(tree.scan("data"), PackTree::Result::tooLarge);
}

// A file that became a pipe after the listing is not waited on: it is reported failed, and the
// bytes its record promised are zeros.
TEST_F(PackerInProcess, FileTurnedIntoAPipeAfterTheListingDoesNotBlock) {
  writeFile(dir / "data/a", "AAAA");
  PackTree tree;
  ASSERT_EQ(tree.scan("data"), PackTree::Result::ok);
  fs::remove(dir / "data/a");
  ASSERT_EQ(mkfifo((dir / "data/a").c_str(), 0666), 0);
  std::ostringstream archive;
  uint32_t offset = 16;
  alarm(10);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(packDirectory(archive, tree.root, offset));
  std::string out = testing::internal::GetCapturedStdout();
  alarm(0);
  EXPECT_EQ(out, "Packing Directory:data ...\nPacking File: data\\a ...\nPacked File: data\\a Failed!\n");
  EXPECT_EQ(archive.str().substr(256), std::string(4, '\0'));
}

// A sysfs attribute measures 4096 bytes but delivers a few: its record's bytes become zeros, so
// the archive no longer holds the tree and never takes its name.
TEST_F(PackerInProcess, FileDeliveringLessThanListedFailsTheRun) {
  const char* online = "/sys/devices/system/cpu/online";
  if (access(online, R_OK) != 0) GTEST_SKIP() << "no sysfs";
  fs::create_directories(dir / "data");
  fs::create_symlink(online, dir / "data/online");
  EXPECT_EQ(pack(PackLimits()),
            "Packing Directory:data ...\nPacking File: data\\online ...\nPacked File: data\\online Failed!\n");
  EXPECT_FALSE(fs::exists(dir / "data.pak"));
}

TEST(PackerNames, UnsafeNamesAreRecognised) {
  for (const char* safe : {"data", "data\\\\a", "a..b", "data\\.hidden", "data\\.\\x", "..x", "x..", "data\\a b"}) {
    EXPECT_TRUE(isSafeEntryName(safe)) << safe;
  }
  for (const char* unsafe : {"", "..", "data\\..", "..\\data", "data/../x", "\\data", "/data", "c:data", "C:\\data",
                             "data\\...\\x", "data\\.. \\x", "data\\a\x1b[2Jb", "data\\\x7f"}) {
    EXPECT_FALSE(isSafeEntryName(unsafe)) << unsafe;
  }
}

// Killed half way, a run leaves the earlier archive as it was and beside it only a temporary
// named after its process, which the next run does not mind; nor does it pack its own archive
// when that is written into the tree it packs.
TEST(PackerInterrupted, KilledRunKeepsTheEarlierArchive) {
  TempDir dir;
  for (int i = 0; i < 2000; ++i) writeFile(dir / ("data/f" + std::to_string(i)), "x");
  writeFile(dir / "data.pak", "earlier");
  int output = -1;
  pid_t child = startProgram(PACKER_PATH, {"packer", "-p", "data", "data.pak"}, dir.path, RunOptions(), output);
  // Its report is longer than a pipe holds, so with nobody reading it cannot finish.
  char begun[64];
  ASSERT_GT(read(output, begun, sizeof begun), 0);
  kill(child, SIGKILL);
  finishProgram(child, output);
  EXPECT_EQ(readFile(dir / "data.pak"), "earlier");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"data", "data.pak", "data.pak.tmp-" + std::to_string(child)}));

  RunResult again = runPacker(dir.path, {"-p", "data", "data\\self.pak"});
  EXPECT_EQ(again.out.substr(again.out.size() - 20), "All File Packed OK!\n");
  EXPECT_EQ(fs::file_size(dir / "data/self.pak"), 16 + 2001 * 128 + 2000u);
}

}  // namespace
