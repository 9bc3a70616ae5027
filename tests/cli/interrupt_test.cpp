// A Ctrl-C during an operation that cannot stop part-way: the user is told what goes on
// and when it ends, and a read is not described as leaving the chip half done.

#include <gtest/gtest.h>

#include "cli/worker.h"
#include "cli_bench.h"
#include "emulator/ite/it85_board.h"
#include "emulator/kb90/kb90_controller.h"
#include "emulator/mec16/mec1609.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::cli::test {
namespace {

const std::string kHalfDone = "cannot stop part-way without leaving the chip half done";

class CliInterruptTest : public CliBench {
 protected:
  bool errHas(const std::string& text) const { return err().find(text) != std::string::npos; }
};

TEST_F(CliInterruptTest, WaitsThatCannotStopSayWhatGoesOnAndWhenItEnds) {
  interrupted_ = true;

  // A MEC16 erase: the backup read before it stops at once, and nothing is erased.
  auto mec = std::make_shared<emu::Mec1609>();
  mec->fillMain(0x42);
  mec->setEraseBusyPolls(1'000'000'000);
  bus_.attach(emu::tags::v42())->addHandler(mec);
  EXPECT_EQ(run({"mec16", "erase"}), kExitFailure);
  EXPECT_TRUE(outHas(mec16::text::kUserStop));
  EXPECT_FALSE(outHas(mec16::text::kEraseSent));
  EXPECT_EQ(mec->mainFlash(), Bytes(192 * 1024, 0x42));

  // Without a backup, the erase whose chip stays busy runs to its bound.
  EXPECT_EQ(run({"mec16", "erase", "--no-backup"}), kExitFailure);
  EXPECT_TRUE(outHas(mec16::text::kEraseNeverEnded));
  const auto& m = env_.bounds.mec16;
  EXPECT_TRUE(errHas("chip erase cannot stop part-way; it ends " +
                     endsWithin(m.chipErase + 2 * m.shortReply)))
      << err();

  // An ITE check waiting for a controller that never answers.
  bus_.detachAll();
  auto board = std::make_shared<emu::It85Board>(emu::It85Board::Wiring{});
  board->setFaults({.attachSilent = true});
  bus_.attach(emu::tags::ite())->addHandler(board);
  EXPECT_EQ(run({"ite", "check"}), kExitFailure);
  const auto& i = env_.bounds.ite;
  EXPECT_TRUE(errHas("check waits for the controller to answer and cannot stop; it ends " +
                     endsWithin(i.attach + 3 * i.reply + i.drain)))
      << err();
}

TEST_F(CliInterruptTest, OnlyAChangeToTheChipIsCalledHalfDone) {
  auto controller = std::make_shared<emu::Kb90Controller>(0x0C);
  const Bytes flash = randomBytes(128 * 1024, 3);
  controller->setFlash(flash);
  bus_.attach(emu::tags::v41())->addHandler(controller);
  interrupted_ = true;

  EXPECT_EQ(run({"kb90", "read", path("ec.bin")}), kExitSuccess) << err();
  EXPECT_EQ(readFile(path("ec.bin")), flash);
  EXPECT_FALSE(errHas(kHalfDone)) << err();
  EXPECT_TRUE(errHas(Supervision::readGoesOnNote())) << err();

  EXPECT_EQ(run({"kb90", "write", path("ec.bin")}), kExitSuccess) << err();
  EXPECT_TRUE(errHas(kHalfDone)) << err();
}

TEST(CliEndsWithin, RoundsUpToWholeSeconds) {
  EXPECT_EQ(endsWithin(std::chrono::milliseconds(900)), "within 1 s");
  EXPECT_EQ(endsWithin(std::chrono::seconds(124)), "within 124 s");
}

}  // namespace
}  // namespace tarvex::cli::test
