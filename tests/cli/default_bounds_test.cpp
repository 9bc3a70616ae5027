// The wait bounds the program ships with. Every other test hands the tools short bounds, so
// a shipped bound cut to nothing would fail every real operation while those stayed green.
// Here each tool's main operation runs once with its own bounds against the demo chips,
// which take as long as real ones, and every bound is held against the slowest answer the
// emulator models for what it waits on.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "cli_bench.h"
#include "emulator/eeprom/demo_panel.h"
#include "emulator/eeprom/panel_eeprom.h"
#include "emulator/ite/demo_board.h"
#include "emulator/kb90/demo_kb90.h"
#include "emulator/keyboard/demo_keyboard.h"
#include "emulator/mec16/demo_mec16.h"
#include "emulator/mec16/mec1609.h"
#include "emulator/wire_model.h"
#include "link/wait_bounds.h"

namespace tarvex::cli::test {
namespace {

using Handlers = std::vector<std::shared_ptr<emu::CommandHandler>>;
using Duration = SteadyClock::duration;

class DefaultBoundsTest : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    env_.bounds = ToolBounds{};  // what tarvex-cli itself runs with
  }
  // The only adapter on the bus: this firmware with these chips behind it.
  void attach(std::vector<std::uint8_t> tag, const Handlers& chips) {
    bus_.detachAll();
    const auto adapter = bus_.attach(std::move(tag));
    for (const auto& chip : chips) adapter->addHandler(chip);
  }
};

std::string pinList(const emu::It85Board::Wiring& wiring) {
  // The board model's signal order: PD0..PD7, STB, AFD, INIT, SLIN, BUSY, KSI4, KSI5.
  static const char* const kKeys[] = {"PD0", "PD1", "PD2",  "PD3",  "PD4",  "PD5",  "PD6", "PD7",
                                      "STB", "AFD", "INIT", "SLIN", "BUSY", "KSI4", "KSI5"};
  std::string list;
  for (std::size_t i = 0; i < wiring.size(); ++i) {
    list += (i ? "," : "") + std::string(kKeys[i]) + "=" + std::to_string(wiring[i]);
  }
  return list;
}

TEST_F(DefaultBoundsTest, EveryToolsMainOperationSucceedsWithItsOwnBounds) {
  attach(emu::tags::v41(), emu::demoPanelChips());
  EXPECT_EQ(run({"edid", "read", path("panel.bin")}), kExitSuccess) << out_.str();
  EXPECT_EQ(readFile(path("panel.bin")).size(), 256u);

  attach(emu::tags::v41(), emu::kb90DemoLaptop());
  EXPECT_EQ(run({"kb90", "read", path("kb90.bin")}), kExitSuccess) << out_.str();
  EXPECT_EQ(readFile(path("kb90.bin")), emu::demoKb90Flash());

  attach(emu::tags::v41(), emu::demoKeyboardChips());
  EXPECT_EQ(run({"keyboard", "scan", "--seconds", "0.3", "--no-sound"}), kExitSuccess)
      << out_.str();

  const Handlers mec16 = emu::demoMec16Chips();
  attach(emu::tags::v42(), mec16);
  EXPECT_EQ(run({"mec16", "erase"}), kExitSuccess) << out_.str();
  const auto chip = std::dynamic_pointer_cast<emu::Mec1609>(mec16.front());
  ASSERT_TRUE(chip);
  EXPECT_TRUE(chip->mainFlash() == Bytes(emu::mec1609::kMainSize, 0xFF)) << "MAIN not erased";

  // The write waits out the board's chip erase for its first flash address.
  attach(emu::tags::ite(), emu::demoIteChips());
  ASSERT_EQ(run({"ite", "settings", "--pins", pinList(emu::demoIteWiring())}), kExitSuccess)
      << out_.str();
  Bytes image(128 * 1024, 0xFF);
  for (std::size_t i = 0; i < 200; ++i) image[i * 613] = static_cast<std::uint8_t>(i);
  writeFile(path("ite.bin"), image);
  EXPECT_EQ(run({"ite", "write", path("ite.bin")}), kExitSuccess) << out_.str();
}

struct BoundCase {
  const char* name;
  Duration bound;
  Duration slowestAnswer;
};

TEST(ShippedBounds, EachCoversTheSlowestAnswerTheEmulatorModels) {
  using namespace std::chrono_literals;
  const emu::WireModel wire;
  const auto line = [&wire](std::size_t bytes) {
    return wire.replyTime(bytes, emu::WireModel::kDefaultLatency);
  };
  const auto sending = [&wire](std::size_t bytes) {
    const auto now = emu::Clock::now();
    return wire.requestArrival(bytes, now).back() - now;
  };

  const emu::Kb90Timing kb90 = emu::demoKb90Timing();
  const emu::PanelEeprom::Timing eeprom;
  // A read reply in the smallest pieces, each after the longest gap.
  const Duration eepromRead = line(258) + 258 * Duration(eeprom.gapMax);
  const Duration eepromWrite = Duration(eeprom.writeTime) + line(2);
  const Duration chipErase = std::max<Duration>(emu::kDemoIteEraseTime, kb90.erase) + line(1);
  const Duration streamBlock =
      std::max({Duration(kb90.erase) + line(1), Duration(kb90.blockRead) + line(256),
                Duration(kb90.blockProgram) + line(1), line(1025)});
  const Duration checksumStep = Duration(kb90.checksumBlock) + line(1);
  const Duration keyboardReply = Duration(emu::kDemoReplyGap) + line(1024);
  const Duration iteAttach = Duration(emu::It85Board::kAttachWindow) + line(1);
  const Duration handshake = line(std::max(emu::tags::v41().size(), emu::tags::ite().size()));
  const Duration shortReply = line(5);
  // Waits on this program's own threads and scan timer, which the emulator does not model:
  // they must at least outlast the keyboard tester's 100 ms tick.
  const Duration hostSide = 100ms;

  const edid::EdidBounds edid;
  const kb90::Kb90Bounds kb90Bounds;
  const keyboard::ScanBounds scan;
  const mec16::Mec16Bounds mec16;
  const IteBounds ite;
  const BoundCase cases[] = {
      {"kHandshakeRead", bounds::kHandshakeRead, handshake},
      {"kHandshakeWrite", bounds::kHandshakeWrite, sending(1)},
      {"kShortReply", bounds::kShortReply, shortReply},
      {"kStreamBlock", bounds::kStreamBlock, streamBlock},
      {"kEepromTransfer", bounds::kEepromTransfer, std::max(eepromRead, eepromWrite)},
      {"kChecksumStep", bounds::kChecksumStep, checksumStep},
      {"kChipErase", bounds::kChipErase, chipErase},
      {"kKeyboardReply", bounds::kKeyboardReply, keyboardReply},
      {"kKeyboardTick", bounds::kKeyboardTick, hostSide},
      {"kIteAttach", bounds::kIteAttach, iteAttach},
      {"kWorkerHandOver", bounds::kWorkerHandOver, hostSide},
      {"kWrite", bounds::kWrite, sending(1025)},

      {"EdidBounds.readReply", edid.readReply, eepromRead},
      {"EdidBounds.writeAck", edid.writeAck, line(1)},
      {"EdidBounds.writeStatus", edid.writeStatus, eepromWrite},
      {"Kb90Bounds.connectReply", kb90Bounds.connectReply, line(1)},
      {"Kb90Bounds.block", kb90Bounds.block, streamBlock},
      {"Kb90Bounds.checksumStep", kb90Bounds.checksumStep, checksumStep},
      {"Kb90Bounds.checksumReply", kb90Bounds.checksumReply, line(4)},
      {"Kb90Bounds.workerHandOver", kb90Bounds.workerHandOver, hostSide},
      {"ScanBounds.reply", scan.reply, keyboardReply},
      {"ScanBounds.tick", scan.tick, hostSide},
      {"Mec16Bounds.shortReply", mec16.shortReply, shortReply},
      {"Mec16Bounds.streamBlock", mec16.streamBlock, line(1025)},
      {"Mec16Bounds.chipErase", mec16.chipErase, chipErase},
      {"IteBounds.reply", ite.reply, line(1)},
      {"IteBounds.attach", ite.attach, iteAttach},
      {"IteBounds.page", ite.page, line(257)},
      {"IteBounds.firstAddress", ite.firstAddress, Duration(emu::kDemoIteEraseTime) + line(1)},
      {"IteBounds.flashByte", ite.flashByte, line(1)},
      {"IteBounds.drain", ite.drain, sending(1025)},
  };
  for (const BoundCase& c : cases) {
    EXPECT_GE(c.bound, c.slowestAnswer) << c.name;
  }
}

}  // namespace
}  // namespace tarvex::cli::test
