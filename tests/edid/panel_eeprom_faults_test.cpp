// The emulated panel EEPROM's cell faults, seen through the firmware's own 'E' commands:
// a byte acknowledged but kept wrong, a stuck bit, and bytes whose erase before programming
// did not happen (they keep their old bits AND the new ones).

#include <gtest/gtest.h>

#include "emulator/eeprom/panel_eeprom.h"
#include "emulator/emulator_bus.h"

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class PanelEepromFaultsTest : public testing::Test {
 protected:
  void SetUp() override {
    PanelEeprom::Contents old{};
    old.fill(0x0F);
    eeprom_->setContents(old);
    eeprom_->setTiming({.gapMax = 0us, .writeTime = 0us});
    adapter_->addHandler(eeprom_);
    ASSERT_EQ(bus_.open(0, &dev_), FT_OK);
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
  Bytes contents() const {
    const auto c = eeprom_->contents();
    return Bytes(c.begin(), c.end());
  }

  EmulatorBus bus_;
  std::shared_ptr<EmulatedAdapter> adapter_ = bus_.attach(tags::v41());
  std::shared_ptr<PanelEeprom> eeprom_ = std::make_shared<PanelEeprom>();
  std::unique_ptr<FtDevice> dev_;
};

TEST_F(PanelEepromFaultsTest, EachCellFaultShowsInTheContentsAndInTheReadAfterAnAcceptedWrite) {
  eeprom_->setChipFaults({.wrongStores = {{.address = 10, .flip = 0x81}},
                          .stuckBits = {{.address = 20, .mask = 0x04}},
                          .unerased = UnerasedRange{.start = 100, .length = 8}});
  const Bytes image(256, 0xF4);
  ASSERT_EQ(exchange({'E', 'w'}, 1), Bytes{'R'});
  ASSERT_EQ(exchange(image, 2), (Bytes{'O', 'K'}));

  Bytes expected = image;
  expected[10] = 0xF4 ^ 0x81;
  expected[20] = 0xF0;
  for (int a = 100; a < 108; ++a) expected[a] = 0x0F & 0xF4;
  EXPECT_EQ(contents(), expected);
  Bytes read = exchange({'E', 'r'}, 258);
  ASSERT_EQ(read.size(), 258u);
  EXPECT_EQ(Bytes(read.end() - 2, read.end()), (Bytes{'O', 'K'}));
  read.resize(256);
  EXPECT_EQ(read, expected);

  // Without the faults, an EEPROM simply overwrites: the stretch takes the new bytes.
  eeprom_->setChipFaults({});
  ASSERT_EQ(exchange({'E', 'w'}, 1), Bytes{'R'});
  ASSERT_EQ(exchange(Bytes(256, 0xA0), 2), (Bytes{'O', 'K'}));
  EXPECT_EQ(contents(), Bytes(256, 0xA0));
}

}  // namespace
}  // namespace tarvex::emu
