// A Ctrl-C during an operation that cannot stop part-way: the user is told what goes on
// and when it ends, and a read is not described as leaving the chip half done. A Ctrl-C
// during the read before a write ends the write there, with the chip as it was.

#include <gtest/gtest.h>

#include "cli/worker.h"
#include "cli_bench.h"
#include "emulator/ite/it85_board.h"
#include "emulator/kb90/kb90_controller.h"
#include "emulator/mec16/mec1609.h"
#include "tools/ite/ite_messages.h"
#include "tools/kb90/kb90_messages.h"
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
  auto adapter = bus_.attach(emu::tags::v41());
  adapter->addHandler(controller);
  interrupted_ = true;

  EXPECT_EQ(run({"kb90", "read", path("ec.bin")}), kExitSuccess) << err();
  EXPECT_EQ(readFile(path("ec.bin")), flash);
  EXPECT_FALSE(errHas(kHalfDone)) << err();
  EXPECT_TRUE(errHas(Supervision::readGoesOnNote())) << err();

  // The backup read before the write runs to its end; then nothing is erased or written.
  const Bytes image = randomBytes(128 * 1024, 4);
  writeFile(path("new.bin"), image);
  const std::size_t opens = adapter->openCount();
  EXPECT_EQ(run({"kb90", "write", path("new.bin")}), kExitFailure);
  EXPECT_EQ(controller->flash(), flash);
  EXPECT_EQ(adapter->openCount(), opens + 1);
  EXPECT_TRUE(outHas(kb90::text::kSafety.backupReadFailed));
  EXPECT_TRUE(errHas(Supervision::stopsBeforeChangeNote())) << err();
  EXPECT_FALSE(errHas(kHalfDone)) << err();

  // Without the backup, the write itself is what the Ctrl-C meets.
  EXPECT_EQ(run({"kb90", "write", path("new.bin"), "--no-backup"}), kExitSuccess) << err();
  EXPECT_EQ(controller->flash(), image);
  EXPECT_TRUE(errHas(kHalfDone)) << err();
}

TEST_F(CliInterruptTest, AnIteWriteStopsAfterItsBackupReadOrSaysItsReadBackGoesOn) {
  const emu::It85Board::Wiring wiring{3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 11, 16, 17};
  auto board = std::make_shared<emu::It85Board>(wiring);
  const Bytes old = randomBytes(128 * 1024, 5);
  board->setFlash(old);
  auto adapter = bus_.attach(emu::tags::ite());
  adapter->addHandler(board);
  ASSERT_EQ(run({"ite", "settings", "--pins",
                 "PD0=3,PD1=4,PD2=5,PD3=6,PD4=7,PD5=8,PD6=9,PD7=10,STB=12,AFD=13,INIT=15,"
                 "SLIN=14,BUSY=11,KSI4=16,KSI5=17"}),
            kExitSuccess)
      << err();
  Bytes image(128 * 1024, 0xFF);
  for (std::size_t i = 0; i < 700; ++i) image[i * 97] = static_cast<std::uint8_t>(i);
  writeFile(path("fw.bin"), image);
  interrupted_ = true;

  const std::size_t opens = adapter->openCount();
  EXPECT_EQ(run({"ite", "write", path("fw.bin")}), kExitFailure);
  EXPECT_EQ(board->flash(), old);
  EXPECT_EQ(adapter->openCount(), opens + 1);
  EXPECT_TRUE(errHas(Supervision::stopsBeforeChangeNote())) << err();
  EXPECT_FALSE(errHas(kHalfDone)) << err();

  // Without the backup: the write goes on, then its read-back, each with its own note.
  EXPECT_EQ(run({"ite", "write", path("fw.bin"), "--no-backup"}), kExitSuccess) << err();
  EXPECT_EQ(board->flash(), image);
  EXPECT_TRUE(outHas(ite_text::kSafety.verifyOk));
  EXPECT_TRUE(errHas(kHalfDone)) << err();
  EXPECT_TRUE(errHas(Supervision::readBackGoesOnNote())) << err();
}

TEST(CliEndsWithin, RoundsUpToWholeSeconds) {
  EXPECT_EQ(endsWithin(std::chrono::milliseconds(900)), "within 1 s");
  EXPECT_EQ(endsWithin(std::chrono::seconds(124)), "within 124 s");
}

}  // namespace
}  // namespace tarvex::cli::test
