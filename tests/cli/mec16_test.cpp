// The MEC16 tool through the command line: the check and the erase on the calling thread
// with their verdicts, read and write with the worker, and Ctrl-C stopping a read.

#include <gtest/gtest.h>

#include "cli_bench.h"
#include "emulator/mec16/mec1609.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::cli::test {
namespace {

namespace text = mec16::text;

constexpr std::size_t kMain = 192 * 1024;
constexpr std::size_t kInfo = 2048;
constexpr std::uint32_t kFwp = 0x10;

class CliMec16Test : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    adapter_->addHandler(chip_);
  }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v42());
  std::shared_ptr<emu::Mec1609> chip_ = std::make_shared<emu::Mec1609>();
};

TEST_F(CliMec16Test, CheckAndEraseFailWhileAProtectionIsSet) {
  EXPECT_EQ(run({"mec16", "check"}), kExitSuccess) << err();
  EXPECT_TRUE(outHas(text::kFwpClear));

  chip_->setStatusBits(kFwp);
  EXPECT_EQ(run({"mec16", "check"}), kExitFailure);
  EXPECT_TRUE(outHas(text::kFwpSet));
  chip_->fillMain(0x12);
  EXPECT_EQ(run({"mec16", "erase"}), kExitFailure);
  EXPECT_TRUE(outHas(text::kEraseRefused));
  EXPECT_EQ(chip_->mainFlash(), Bytes(kMain, 0x12));

  chip_->setStatusBits(0);
  EXPECT_EQ(run({"mec16", "erase"}), kExitSuccess) << err();
  EXPECT_TRUE(outHas(text::kEraseDone));
  EXPECT_EQ(chip_->mainFlash(), Bytes(kMain, 0xFF));

  // An adapter with the other firmware: the link's own line says why.
  bus_.detachAll();
  bus_.attach(emu::tags::v41());
  EXPECT_EQ(run({"mec16", "check"}), kExitFailure);
  EXPECT_TRUE(outHas("It is necessary to update the firmware programmer!"));
}

TEST_F(CliMec16Test, ReadWithInfoStoresBothBlocks) {
  const Bytes main = randomBytes(kMain, 5);
  chip_->setMain(main);
  chip_->fillInfo(0x5A);
  EXPECT_EQ(run({"mec16", "read", path("mec.bin"), "--info"}), kExitSuccess) << err();
  Bytes expected = main;
  expected.insert(expected.end(), kInfo, 0x5A);
  EXPECT_EQ(readFile(path("mec.bin")), expected);
  EXPECT_TRUE(outHas(text::kInfoReadDone));
  EXPECT_NE(err().find("reading 100%"), std::string::npos);
}

TEST_F(CliMec16Test, CtrlCStopsAReadAsAFailure) {
  interrupted_ = true;
  EXPECT_EQ(run({"mec16", "read", path("part.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(text::kUserStop));
  EXPECT_FALSE(outHas(text::kMainReadDone));
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'O');
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(CliMec16Test, WriteProgramsTheMainBlock) {
  const Bytes image = randomBytes(kMain, 6);
  writeFile(path("fw.bin"), image);
  EXPECT_EQ(run({"mec16", "write", path("fw.bin")}), kExitSuccess) << err();
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_TRUE(outHas(text::kWriteDone));

  chip_->setFaults({.badAckAtBlock = 10});
  EXPECT_EQ(run({"mec16", "write", path("fw.bin")}), kExitFailure);
  EXPECT_FALSE(outHas(text::kWriteDone));
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'O');
}

}  // namespace
}  // namespace tarvex::cli::test
