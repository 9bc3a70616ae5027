// The emulated controller's flash cell faults, seen through its own firmware commands: a
// byte acknowledged but kept wrong, stuck bits, and an erase that leaves a stretch behind.

#include <gtest/gtest.h>

#include <cstdio>

#include "emulator/emulator_bus.h"
#include "emulator/mec16/mec1609.h"

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class Mec16ChipFaultsTest : public testing::Test {
 protected:
  void SetUp() override {
    adapter_->addHandler(chip_);
    chip_->setEraseBusyPolls(0);
    ASSERT_EQ(bus_.open(0, &dev_), FT_OK);
    ASSERT_EQ(exchange({'1'}, 0), Bytes{});
    setRegister(0xFF3910, 1);
  }
  void TearDown() override { dev_->close(); }

  Bytes exchange(const Bytes& request, std::uint32_t replyLength) {
    std::uint32_t n = 0;
    dev_->write(request.data(), static_cast<std::uint32_t>(request.size()), &n);
    std::uint32_t queued = 0;
    dev_->waitForQueue(replyLength, SteadyClock::now() + 500ms, &queued);
    Bytes reply(replyLength);
    dev_->read(reply.data(), replyLength, &n);
    reply.resize(n);
    return reply;
  }
  static Bytes text(const char* format, std::uint32_t a, std::uint32_t b = 0) {
    char buffer[32];
    const int n = std::snprintf(buffer, sizeof buffer, format, a, b);
    return Bytes(buffer, buffer + n);
  }
  void setRegister(std::uint32_t address, std::uint32_t value) {
    ASSERT_EQ(exchange(text("w%06X%08X", address, value), 1), Bytes{0x01});
  }
  // Programs whole 256-byte blocks from `start`, each acknowledged 'G'.
  void program(std::uint32_t start, const Bytes& data) {
    setRegister(0xFF3908, 0x106);
    setRegister(0xFF3904, start);
    for (std::size_t at = 0; at < data.size(); at += 256) {
      ASSERT_EQ(exchange({at == 0 ? std::uint8_t{'W'} : std::uint8_t{'N'}}, 1).size(), 1u);
      const auto from = data.begin() + static_cast<long>(at);
      const Bytes block(from, from + 256);
      ASSERT_EQ(exchange(block, 1), Bytes{'G'});
    }
    exchange({'X'}, 0);
  }
  // Reads `blocks` 1024-byte blocks from `start`, each with a good status byte.
  Bytes read(std::uint32_t start, int blocks) {
    setRegister(0xFF3908, 0x105);
    Bytes data;
    for (int b = 0; b < blocks; ++b) {
      const Bytes block = exchange(b == 0 ? text("R%06X", start) : Bytes{'N'}, 1025);
      EXPECT_EQ(block.size(), 1025u);
      if (block.size() != 1025u) break;
      EXPECT_EQ(block.back(), 0x01);
      data.insert(data.end(), block.begin(), block.end() - 1);
    }
    exchange({'X'}, 0);
    return data;
  }
  void erase(bool withInfo) {
    setRegister(0xFF3908, 0x107);
    setRegister(0xFF3904, withInfo ? 0x00FC0000 : 0x00F80000);
  }

  EmulatorBus bus_;
  std::shared_ptr<EmulatedAdapter> adapter_ = bus_.attach(tags::v42());
  std::shared_ptr<Mec1609> chip_ = std::make_shared<Mec1609>();
  std::unique_ptr<FtDevice> dev_;
};

Bytes ramp(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
  return bytes;
}

TEST_F(Mec16ChipFaultsTest, AWrongStoreIsAcknowledgedAndKeptWrongStuckBitsShowInEveryRead) {
  chip_->setChipFaults({.wrongStores = {{.address = 0x1010, .flip = 0x24}},
                        .stuckBits = {{.address = 0x1020, .mask = 0x01, .high = true},
                                      {.address = mec1609::kInfoBase + 3, .mask = 0x80}}});
  chip_->fillInfo(0xFF);
  Bytes image = ramp(1024);
  image[0x20] = 0xFE;  // bit 0 clear where it is stuck high
  program(0x1000, image);

  Bytes expected = image;
  expected[0x10] ^= 0x24;
  expected[0x20] = 0xFF;
  const Bytes flash = chip_->mainFlash();
  EXPECT_EQ(Bytes(flash.begin() + 0x1000, flash.begin() + 0x1400), expected);
  EXPECT_EQ(read(0x1000, 1), expected);
  EXPECT_EQ(chip_->infoFlash()[3], 0x7F);
  EXPECT_EQ(read(mec1609::kInfoBase, 1)[3], 0x7F);

  // The stuck bit lives in the read path: taken away, the cell shows what it took.
  chip_->setChipFaults({});
  EXPECT_EQ(read(0x1000, 1)[0x20], 0xFE);
  EXPECT_EQ(read(0x1000, 1)[0x10], image[0x10] ^ 0x24);
}

TEST_F(Mec16ChipFaultsTest, AChipWideStuckBitShowsInEveryByte) {
  chip_->setMain(Bytes(4096, 0xFF));
  chip_->setChipFaults({.stuckBits = {{.mask = 0x08}}});
  const Bytes seen = read(0, 4);
  EXPECT_EQ(seen, Bytes(4096, 0xF7));
  EXPECT_EQ(chip_->mainFlash()[mec1609::kMainSize - 1], 0xF7);
}

TEST_F(Mec16ChipFaultsTest, APartialEraseLeavesItsStretchAndWritingOverItOnlyClearsBits) {
  chip_->fillMain(0x5A);
  chip_->fillInfo(0x5A);
  chip_->setChipFaults({.unerased = UnerasedRange{.start = 0x2010, .length = 100}});
  erase(true);
  const Bytes flash = chip_->mainFlash();
  for (std::uint32_t a = 0; a < mec1609::kMainSize; ++a) {
    const bool left = a >= 0x2010 && a < 0x2010 + 100;
    ASSERT_EQ(flash[a], left ? 0x5A : 0xFF) << "address " << a;
  }
  EXPECT_EQ(chip_->infoFlash(), Bytes(mec1609::kInfoSize, 0xFF));

  program(0x2000, Bytes(256, 0xA5));
  const Bytes after = read(0x2000, 1);
  EXPECT_EQ(after[0x0F], 0xA5);
  EXPECT_EQ(after[0x10], 0x5A & 0xA5);
  EXPECT_EQ(after[0x10 + 99], 0x5A & 0xA5);
  EXPECT_EQ(after[0x10 + 100], 0xA5);
}

TEST(ChipFaultsSeeded, TheSameSeedPlacesTheFaultAtTheSamePlaceInsideItsRange) {
  for (std::uint32_t seed : {1u, 2u, 99u}) {
    const auto wrong = ChipFaults::seededWrongStore(seed, 0x100, 0x200);
    ASSERT_EQ(wrong.wrongStores.size(), 1u);
    EXPECT_EQ(wrong.wrongStores[0].address,
              ChipFaults::seededWrongStore(seed, 0x100, 0x200).wrongStores[0].address);
    EXPECT_GE(wrong.wrongStores[0].address, 0x100u);
    EXPECT_LT(wrong.wrongStores[0].address, 0x300u);
    EXPECT_NE(wrong.wrongStores[0].flip, 0);
    const auto stuck = ChipFaults::seededStuckBit(seed, 0x100, 0x200);
    ASSERT_EQ(stuck.stuckBits.size(), 1u);
    EXPECT_GE(*stuck.stuckBits[0].address, 0x100u);
    EXPECT_LT(*stuck.stuckBits[0].address, 0x300u);
    const auto partial = ChipFaults::seededPartialErase(seed, 0x100, 0x200);
    ASSERT_TRUE(partial.unerased);
    EXPECT_GE(partial.unerased->start, 0x100u);
    EXPECT_LE(partial.unerased->start + partial.unerased->length, 0x300u);
    EXPECT_GE(partial.unerased->length, 16u);
  }
  EXPECT_NE(ChipFaults::seededWrongStore(1, 0, 1u << 20).wrongStores[0].address,
            ChipFaults::seededWrongStore(2, 0, 1u << 20).wrongStores[0].address);
}

}  // namespace
}  // namespace tarvex::emu
