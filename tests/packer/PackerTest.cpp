// The packer's commands driven in-process: the format's limits (lowered so that small trees
// reach them, and the 4 GiB one through sparse files), and the unpacker's name check.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "packer/PackTree.h"
#include "packer/Packing.h"
#include "packer/Unpacking.h"
#include "tests/packer/PackerTestSupport.h"

using namespace packertest;

namespace {

// Runs in a scratch directory, so that the packed names are short relative paths.
class PackerLimitsTest : public ::testing::Test {
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

const std::string kEmptyHeader("ZPAC\0\0\0\0\0\0\0\0\x01\0\0\0", 16);

TEST_F(PackerLimitsTest, EntryCountsAtTheLimitPackAndAboveItFail) {
  PackLimits limits;
  limits.maxCount = 3;
  for (int i = 0; i < 3; ++i) {
    writeFile(dir / ("data/f" + std::to_string(i)), "x");
    fs::create_directories(dir / ("data/inner/d" + std::to_string(i)));
  }
  EXPECT_EQ(pack(limits), "packed");
  EXPECT_EQ(packedFileCount(), 3u);

  limits.maxCount = 2;
  EXPECT_EQ(pack(limits), "Too Many Entries To Pack (2 Files And 2 SubDirs At Most):data\n");
  EXPECT_EQ(readFile(dir / "data.pak"), kEmptyHeader);
  fs::remove(dir / "data/f2");
  EXPECT_EQ(pack(limits), "Too Many Entries To Pack (2 Files And 2 SubDirs At Most):data\\inner\n");
  // Unreadable entries do not count.
  fs::remove(dir / "data/inner/d2");
  fs::create_symlink(dir / "nowhere", dir / "data/f2");
  EXPECT_EQ(pack(limits), "packed");
}

TEST_F(PackerLimitsTest, ArchiveLengthAtTheLimitPacksAndAboveItFails) {
  writeFile(dir / "data/a", "0123456789");
  fs::create_directory(dir / "data/sub");
  // Header 16, root record 128, a's record 128, its 10 bytes, sub's record 128.
  const uint64_t length = 16 + 128 + 128 + 10 + 128;
  PackLimits limits;
  limits.maxArchiveLength = length;
  EXPECT_EQ(pack(limits), "packed");
  EXPECT_EQ(readFile(dir / "data.pak").size(), length);
  limits.maxArchiveLength = length - 1;
  EXPECT_EQ(pack(limits), "Pack File Too Large (409 Bytes At Most):data\\sub\n");
  limits.maxArchiveLength = 16 + 128 + 128 + 9;
  EXPECT_EQ(pack(limits), "Pack File Too Large (281 Bytes At Most):data\\a\n");
}

// Sparse files reach the real 4 GiB edge without using the disk; the scan never reads data.
TEST_F(PackerLimitsTest, RealFourGibLimitOnSparseFiles) {
  const uint64_t overhead = 16 + 128 + 128;
  fs::create_directory(dir / "data");
  int fd = open((dir / "data/big").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(0xFFFFFFFFull - overhead)), 0);
  PackTree tree;
  EXPECT_EQ(tree.scan("data"), PackTree::Result::ok);
  EXPECT_EQ(tree.archiveLength, 0xFFFFFFFFull);

  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(0x100000000ull - overhead)), 0);
  EXPECT_EQ(tree.scan("data"), PackTree::Result::tooLarge);
  EXPECT_EQ(tree.problemMessage(PackTree::Result::tooLarge),
            "Pack File Too Large (4294967295 Bytes At Most):data\\big\n");
  // A single file of 4 GiB and more cannot even be given a size.
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(0x100000005ull)), 0);
  EXPECT_EQ(tree.scan("data"), PackTree::Result::tooLarge);
  close(fd);
}

TEST(PackerNames, UnsafeNamesAreRecognised) {
  for (const char* safe :
       {"data", "data\\tile02.bdi", "data\\\\a", "a..b", "data\\.hidden", "data\\.\\x", "..x", "x..", "data\\a b"}) {
    EXPECT_TRUE(isSafeEntryName(safe)) << safe;
  }
  for (const char* unsafe : {"", "..", "data\\..", "..\\data", "data\\..\\..\\x", "data/../x", "\\data", "/data",
                             "c:data", "C:\\data", "data\\...\\x", "data\\.. \\x", "data\\. .\\x"}) {
    EXPECT_FALSE(isSafeEntryName(unsafe)) << unsafe;
  }
}

}  // namespace
