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
  void SetUp() override {
    char* here = getcwd(nullptr, 0);
    saved = here;
    std::free(here);
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
  }
  void TearDown() override { EXPECT_EQ(chdir(saved.c_str()), 0); }

  // Packs "data" into data.pak with the given limits; returns what it printed.
  std::string pack(const PackLimits& limits, bool& packed) {
    testing::internal::CaptureStdout();
    packed = packArchive("data", "data.pak", limits);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
  }

  TempDir dir;
  std::string saved;
};

const std::string kEmptyHeader("ZPAC\0\0\0\0\0\0\0\0\x01\0\0\0", 16);

TEST_F(PackerLimitsTest, FileCountAtTheLimitPacksAndAboveItFails) {
  for (int i = 0; i < 3; ++i) {
    writeFile(dir / ("data/f" + std::to_string(i)), "x");
  }
  PackLimits limits;
  limits.maxCount = 3;
  bool packed = false;
  pack(limits, packed);
  EXPECT_TRUE(packed);
  EXPECT_EQ(packedFileCount(), 3u);

  writeFile(dir / "data/f3", "x");
  std::string out = pack(limits, packed);
  EXPECT_FALSE(packed);
  EXPECT_EQ(out, "Too Many Entries To Pack (3 Files And 3 SubDirs At Most):data\n");
  EXPECT_EQ(readFile(dir / "data.pak"), kEmptyHeader);
}

TEST_F(PackerLimitsTest, SubdirectoryCountAboveTheLimitFails) {
  for (int i = 0; i < 3; ++i) {
    fs::create_directories(dir / ("data/inner/d" + std::to_string(i)));
  }
  PackLimits limits;
  limits.maxCount = 2;
  bool packed = true;
  std::string out = pack(limits, packed);
  EXPECT_FALSE(packed);
  EXPECT_EQ(out, "Too Many Entries To Pack (2 Files And 2 SubDirs At Most):data\\inner\n");
  // Unreadable entries do not count: with one of three files gone, two remain.
  fs::remove_all(dir / "data/inner");
  writeFile(dir / "data/a", "a");
  writeFile(dir / "data/b", "b");
  fs::create_symlink(dir / "nowhere", dir / "data/c");
  pack(limits, packed);
  EXPECT_TRUE(packed);
}

TEST_F(PackerLimitsTest, ArchiveLengthAtTheLimitPacksAndAboveItFails) {
  writeFile(dir / "data/a", "0123456789");
  fs::create_directory(dir / "data/sub");
  // Header 16, root record 128, a's record 128, its 10 bytes, sub's record 128.
  const uint64_t length = 16 + 128 + 128 + 10 + 128;
  PackLimits limits;
  limits.maxArchiveLength = length;
  bool packed = false;
  pack(limits, packed);
  EXPECT_TRUE(packed);
  EXPECT_EQ(readFile(dir / "data.pak").size(), length);

  limits.maxArchiveLength = length - 1;
  std::string out = pack(limits, packed);
  EXPECT_FALSE(packed);
  EXPECT_EQ(out, "Pack File Too Large (409 Bytes At Most):data\\sub\n");
  limits.maxArchiveLength = 16 + 128 + 128 + 9;
  EXPECT_EQ(pack(limits, packed), "Pack File Too Large (281 Bytes At Most):data\\a\n");
}

TEST_F(PackerLimitsTest, NameLengthLimitCountsTheLoweredFullPath) {
  writeFile(dir / "data/abcde", "x");  // data\abcde: 10 bytes
  PackLimits limits;
  limits.maxNameLength = 10;
  bool packed = false;
  pack(limits, packed);
  EXPECT_TRUE(packed);
  limits.maxNameLength = 9;
  EXPECT_EQ(pack(limits, packed), "Path Too Long To Pack (9 Bytes At Most):data\\abcde\n");
  EXPECT_FALSE(packed);
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

TEST_F(PackerLimitsTest, ScanMarksWhatIsLeftOut) {
  writeFile(dir / "data/ok", "1");
  fs::create_symlink(dir / "nowhere", dir / "data/dangling");
  fs::create_directory_symlink(dir / "data", dir / "data/loop");
  PackTree tree;
  ASSERT_EQ(tree.scan("data"), PackTree::Result::ok);
  ASSERT_EQ(tree.root.files.size(), 2u);
  EXPECT_EQ(tree.root.files[0].path, "data\\dangling");
  EXPECT_FALSE(tree.root.files[0].packed);
  EXPECT_TRUE(tree.root.files[1].packed);
  ASSERT_EQ(tree.root.subdirectories.size(), 1u);
  EXPECT_TRUE(tree.root.subdirectories[0].link);
  EXPECT_FALSE(tree.root.subdirectories[0].packed);
  EXPECT_EQ(tree.root.packedFileCount, 1);
  EXPECT_EQ(tree.root.packedSubdirectoryCount, 0);
  EXPECT_EQ(tree.scan("missing"), PackTree::Result::rootNotListed);
}

TEST(PackerNames, UnsafeNamesAreRecognised) {
  for (const char* safe : {"data", "data\\tile02.bdi", "data\\\\a", "a..b", "data\\.hidden",
                           "data\\.\\x", "..x", "x..", "data\\a b"}) {
    EXPECT_TRUE(isSafeEntryName(safe)) << safe;
  }
  for (const char* unsafe : {"", "..", "data\\..", "..\\data", "data\\..\\..\\x", "data/../x",
                             "\\data", "/data", "c:data", "C:\\data", "data\\...\\x",
                             "data\\.. \\x", "data\\. .\\x"}) {
    EXPECT_FALSE(isSafeEntryName(unsafe)) << unsafe;
  }
}

}  // namespace
