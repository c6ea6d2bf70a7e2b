#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "archive/PackFormat.h"

namespace {

uint32_t le32(const std::string& image, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(image[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(image[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(image[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(image[at + 3])) << 24;
}

}  // namespace

TEST(PackFormatImages, HeaderIsZpacThenCountsThenMarks) {
  PackHeader header;
  header.directoryCount = 0x01020304;
  header.fileCount = 0xA0B0C0D0;
  uint8_t out[PackHeader::kLength];
  std::memset(out, 0xEE, sizeof out);
  header.write(out);
  const uint8_t expected[16] = {'Z', 'P', 'A', 'C', 4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0, 1, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(out, expected, sizeof expected));

  PackHeader back = PackHeader::read(out);
  EXPECT_EQ(PackHeader::kMagic, back.magic);
  EXPECT_EQ(0x01020304u, back.directoryCount);
  EXPECT_EQ(0xA0B0C0D0u, back.fileCount);
}

TEST(PackFormatImages, RecordFieldsSitAtTheirOffsets) {
  PackRecord record;
  ASSERT_TRUE(record.setName("data\\a.bin"));
  record.flags = 0x80;
  record.offset = 0x11223344;
  record.size = 0x55667788;
  uint8_t out[PackRecord::kLength];
  std::memset(out, 0xEE, sizeof out);
  record.write(out);
  std::string image(reinterpret_cast<char*>(out), sizeof out);
  EXPECT_EQ("data\\a.bin", image.substr(0, 10));
  for (int i = 10; i < 116; ++i) {
    ASSERT_EQ(0, out[i]) << "name padding at " << i;
  }
  EXPECT_EQ(0x80u, le32(image, 116));
  EXPECT_EQ(0x11223344u, le32(image, 120));
  EXPECT_EQ(0x55667788u, le32(image, 124));

  PackRecord back = PackRecord::read(out);
  EXPECT_EQ("data\\a.bin", back.nameString());
  EXPECT_EQ(0x80u, back.flags);
  EXPECT_EQ(0x11223344u, back.offset);
  EXPECT_EQ(0x55667788u, back.size);
  EXPECT_FALSE(back.isDirectory());
}

TEST(PackFormatImages, DirectoryCountsAreTwoHalvesSubdirectoriesFirst) {
  PackRecord record;
  record.flags = PackRecord::kDirectory;
  record.setCounts(3, 0x1234);
  uint8_t out[PackRecord::kLength];
  record.write(out);
  EXPECT_EQ(3, out[124]);
  EXPECT_EQ(0, out[125]);
  EXPECT_EQ(0x34, out[126]);
  EXPECT_EQ(0x12, out[127]);
  PackRecord back = PackRecord::read(out);
  EXPECT_TRUE(back.isDirectory());
  EXPECT_EQ(3, back.subdirectoryCount());
  EXPECT_EQ(0x1234, back.fileCount());
}

TEST(PackFormatNames, LongestStorableNameIs115Bytes) {
  PackRecord record;
  EXPECT_TRUE(record.setName(std::string(115, 'n')));
  EXPECT_TRUE(record.nameTerminated());
  EXPECT_EQ(std::string(115, 'n'), record.nameString());
  EXPECT_FALSE(record.setName(std::string(116, 'x')));
  EXPECT_EQ(std::string(115, 'n'), record.nameString()) << "a refused name must not be stored";
  EXPECT_FALSE(record.setName(std::string("a\0b", 3)));
}

TEST(PackFormatNames, UnterminatedFieldIsReportedAndReadToItsEnd) {
  uint8_t image[PackRecord::kLength];
  std::memset(image, 'q', sizeof image);
  PackRecord record = PackRecord::read(image);
  EXPECT_FALSE(record.nameTerminated());
  EXPECT_EQ(std::string(116, 'q'), record.nameString());
}

TEST(PackFormatNames, LoweringTouchesOnlyAsciiCapitals) {
  std::string name = "Data\\MAPS\\\xC4\x41z@[`{.BIN";
  PackRecord::lowerName(name);
  EXPECT_EQ("data\\maps\\\xC4\x61z@[`{.bin", name);
}
