// The emulated IT85xx board on its own: what makes the tool tests meaningful is that it
// only answers with the right assignments, only reads and erases in flash mode, and
// programs flash the way flash programs (bits go from 1 to 0 only).

#include <gtest/gtest.h>

#include <algorithm>

#include "emulator/emulator_bus.h"
#include "emulator/ite/it85_board.h"

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const It85Board::Wiring kWiring = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

class It85BoardTest : public testing::Test {
 protected:
  void SetUp() override {
    adapter_->addHandler(board_);
    reopen();
  }
  void reopen() {
    if (dev_) dev_->close();
    ASSERT_EQ(bus_.open(0, &dev_), FT_OK);
  }
  Bytes exchange(Bytes request, std::uint32_t replyLength) {
    std::uint32_t n = 0;
    dev_->write(request.data(), static_cast<std::uint32_t>(request.size()), &n);
    std::uint32_t queued = 0;
    dev_->waitForQueue(replyLength, SteadyClock::now() + 500ms, &queued);
    Bytes reply(replyLength);
    dev_->read(reply.data(), replyLength, &n);
    reply.resize(n);
    return reply;
  }
  std::uint8_t one(Bytes request) {
    const Bytes reply = exchange(std::move(request), 1);
    return reply.empty() ? 0 : reply[0];
  }
  void sendSettings(const It85Board::Wiring& w) {
    ASSERT_EQ(one({'S'}), '*');
    const char* codes[] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
                           "WR", "DS", "IN", "AS", "BL", "K4", "K5"};
    for (int i = 0; i < It85Board::kSignalCount; ++i) {
      ASSERT_EQ(one({std::uint8_t(codes[i][0]), std::uint8_t(codes[i][1]), w[i]}), '+');
    }
    ASSERT_EQ(one({'Q', 'Q', 'Q'}), '+');
  }
  void writeRegister(std::uint8_t reg, std::uint8_t value) {
    ASSERT_EQ(one({'A', reg}), 'o');
    ASSERT_EQ(one({'W', value}), 'o');
  }
  void enterFlashMode() {
    for (auto [reg, value] : {std::pair<std::uint8_t, std::uint8_t>{0x27, 0x01},
                              {0x27, 0x80}, {0x04, 0xFF}, {0x07, 0x7F}, {0x06, 0xFF}}) {
      writeRegister(reg, value);
    }
  }
  void flashCommand(Bytes bytes, bool close = true) {
    writeRegister(0x05, 0xFD);
    for (auto b : bytes) writeRegister(0x08, b);
    if (close) writeRegister(0x05, 0xFE);
  }

  EmulatorBus bus_;
  std::shared_ptr<EmulatedAdapter> adapter_ = bus_.attach(tags::ite());
  std::shared_ptr<It85Board> board_ = std::make_shared<It85Board>(kWiring);
  std::unique_ptr<FtDevice> dev_;
};

TEST_F(It85BoardTest, AssignmentsSurviveReopeningAndOnlyTheBoardsWiringReachesIt) {
  EXPECT_EQ(one({'T'}), 'e');
  sendSettings(kWiring);
  reopen();
  EXPECT_EQ(one({'T'}), 'o');
  sendSettings(It85Board::mirrored(kWiring, 30));
  EXPECT_EQ(one({'T'}), 'e');
  EXPECT_EQ(one({'A', 0x00}), 'e');
}

TEST_F(It85BoardTest, PagesNeedTheEntrySequenceAndAnOpenFastRead) {
  Bytes image(256);
  for (int i = 0; i < 256; ++i) image[i] = static_cast<std::uint8_t>(i);
  board_->setFlash(image);
  sendSettings(kWiring);
  ASSERT_EQ(one({'T'}), 'o');
  flashCommand({0x0B, 0, 0, 0, 0}, false);  // not in flash mode yet: goes nowhere
  EXPECT_EQ(exchange({'r'}, 257).back(), 'e');

  enterFlashMode();
  flashCommand({0x0B, 0, 0, 0, 0}, false);
  const Bytes page = exchange({'r'}, 257);
  ASSERT_EQ(page.size(), 257u);
  EXPECT_EQ(Bytes(page.begin(), page.end() - 1), image);
  EXPECT_EQ(page.back(), 'o');
  EXPECT_EQ(exchange({'r'}, 257)[0], 0xFF);  // the read goes on to the next page
}

TEST_F(It85BoardTest, EraseNeedsWriteEnableAndProgrammingOnlyClearsBits) {
  board_->setFlash(Bytes(8, 0x0F));
  sendSettings(kWiring);
  ASSERT_EQ(one({'T'}), 'o');
  enterFlashMode();
  flashCommand({0xC7});  // no write enable: nothing happens
  EXPECT_EQ(board_->eraseCount(), 0);
  EXPECT_EQ(one({'Y', 0, 0, 0}), 'o');
  EXPECT_EQ(one({'w', 0xF1}), 'o');
  EXPECT_EQ(board_->flash()[0], 0x01);

  flashCommand({0x06});
  flashCommand({0x60});
  flashCommand({0xC7});  // write enable was used up by the first erase
  EXPECT_EQ(board_->eraseCount(), 1);
  EXPECT_EQ(one({'Y', 0, 0, 1}), 'o');
  EXPECT_EQ(one({'w', 0xA5}), 'o');
  EXPECT_EQ(one({'w', 0x5A}), 'o');
  const Bytes flash = board_->flash();
  EXPECT_EQ((Bytes{flash[0], flash[1], flash[2], flash[3]}), (Bytes{0xFF, 0xA5, 0x5A, 0xFF}));
}

TEST_F(It85BoardTest, CellFaultsShowInTheFlashAndInThePagesAReadGets) {
  board_->setFlash(Bytes(1024, 0x00));
  board_->setChipFaults({.wrongStores = {{.address = 2, .flip = 0x40}},
                         .stuckBits = {{.address = 0x10, .mask = 0x02}},
                         .unerased = UnerasedRange{.start = 0x100, .length = 32}});
  sendSettings(kWiring);
  ASSERT_EQ(one({'T'}), 'o');
  enterFlashMode();
  flashCommand({0x06});
  flashCommand({0x60});
  ASSERT_EQ(board_->eraseCount(), 1);
  EXPECT_EQ(one({'Y', 0, 0, 0}), 'o');
  for (std::uint8_t b : {0x11, 0x22, 0x33}) EXPECT_EQ(one({'w', b}), 'o');

  Bytes expected(512, 0xFF);
  expected[0] = 0x11;
  expected[1] = 0x22;
  expected[2] = 0x33 ^ 0x40;  // acknowledged 'o' all the same
  expected[0x10] = 0xFD;      // the bit stuck at 0
  std::fill(expected.begin() + 0x100, expected.begin() + 0x120, 0x00);  // not erased
  const Bytes flash = board_->flash();
  EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 512), expected);
  EXPECT_EQ(flash[600], 0xFF);

  flashCommand({0x0B, 0, 0, 0, 0}, false);
  Bytes pages = exchange({'r'}, 257);
  const Bytes second = exchange({'r'}, 257);
  ASSERT_EQ(pages.size(), 257u);
  ASSERT_EQ(second.size(), 257u);
  pages.pop_back();
  pages.insert(pages.end(), second.begin(), second.end() - 1);
  EXPECT_EQ(pages, expected);
}

}  // namespace
}  // namespace tarvex::emu
