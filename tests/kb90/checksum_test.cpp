// The write's two checks: the 16-bit sum and CRC-16/ARC.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/kb90/kb90_checksum.h"

namespace tarvex::kb90 {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Kb90Checksum, CrcMatchesTheStandardCheckValueAndTable) {
  EXPECT_EQ(crc16Arc(bytesOf("123456789")), 0xBB3D);
  EXPECT_EQ(crc16Arc({}), 0x0000);
  EXPECT_EQ(crc16ArcTable()[0], 0x0000);
  EXPECT_EQ(crc16ArcTable()[1], 0xC0C1);
  EXPECT_EQ(crc16ArcTable()[128], 0xA001);
  EXPECT_EQ(crc16ArcTable()[255], 0x4040);
}

TEST(Kb90Checksum, ErasedImageGivesZeroSumAndKnownCrc) {
  const std::vector<std::uint8_t> erased(131072, 0xFF);
  EXPECT_EQ(sum16(erased), 0x0000);  // 131072 x 255 wraps to 0
  EXPECT_EQ(crc16Arc(erased), 0x9401);
}

TEST(Kb90Checksum, SumWrapsModulo65536) {
  const std::vector<std::uint8_t> bytes(258, 0xFF);  // 65790 = 0x100FE
  EXPECT_EQ(sum16(bytes), 0x00FE);
}

TEST(Kb90Checksum, RunningChecksumOverBlocksEqualsOneShot) {
  std::vector<std::uint8_t> image(4096);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  ImageChecksum running;
  for (std::size_t offset = 0; offset < image.size(); offset += 256) {
    running.add(std::span<const std::uint8_t>(image).subspan(offset, 256));
  }
  EXPECT_EQ(running.sum, sum16(image));
  EXPECT_EQ(running.crc, crc16Arc(image));
  EXPECT_NE(running.crc, 0);
}

}  // namespace
}  // namespace tarvex::kb90
