// The erase: its register writes, the busy poll and the refusals.

#include <gtest/gtest.h>

#include "tests/mec16/mec16_fixture.h"

namespace tarvex::mec16::test {
namespace {

using emu::RegisterFault;
using Writes = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

const std::string kEraseStart = "B1j" + rd("FF390C");

class Mec16EraseTest : public Mec16Test {
 protected:
  void SetUp() override {
    Mec16Test::SetUp();
    chip_->fillMain(0x00);
    chip_->fillInfo(0x00);
  }
};

TEST_F(Mec16EraseTest, MainOnlyWritesTheSequenceAndErasesMain) {
  chip_->setEraseBusyPolls(0);
  tool_.erase(false);
  EXPECT_EQ(chip_->registerWrites(), (Writes{{0xFF3910, 1}, {0xFF3908, 0x107},
                                             {0xFF3904, 0x00F80000}, {0xFF3908, 0x100},
                                             {0xFF3908, 0}, {0xFF3910, 0}}));
  EXPECT_EQ(chip_->mainFlash(), Bytes(192 * 1024, 0xFF));
  EXPECT_EQ(chip_->infoFlash(), Bytes(2048, 0x00));
  EXPECT_TRUE(hasLine("Отправили команду стирания."));
  EXPECT_TRUE(hasLine("Стирание завершено успешно."));
  EXPECT_EQ(sent(), kEraseStart + wr("FF3910", "00000001") + wr("FF3908", "00000107") +
                        wr("FF3904", "00F80000") + rd("FF390C") + releaseWrites() + "I0");
  EXPECT_TRUE(tool_.modeWord().idle());
}

TEST_F(Mec16EraseTest, WithInfoTheStartValueCoversInfoAndBusyIsPolledUntilClear) {
  chip_->setEraseBusyPolls(2);
  tool_.erase(true);
  EXPECT_EQ(chip_->registerWrites()[2], (std::pair<std::uint32_t, std::uint32_t>{0xFF3904, 0x00FC0000}));
  EXPECT_EQ(chip_->statusReads(), 1u + 3u);  // protection check, then three polls
  EXPECT_EQ(chip_->infoFlash(), Bytes(2048, 0xFF));
  EXPECT_TRUE(hasLine("Стирание завершено успешно."));
  EXPECT_EQ(sent().substr(sent().size() - 2), "I0");
}

TEST_F(Mec16EraseTest, BootLockRefusesTheEraseWithoutTouchingTheController) {
  chip_->setStatusBits(0x08);
  tool_.erase(false);
  EXPECT_TRUE(hasLine("--> Стоит Boot_Lock ! (защита загрузочного блока)"));
  EXPECT_TRUE(hasLine("--> Стирание и запись разрешена (FWP ножка)"));
  EXPECT_TRUE(hasLine("--> Каманда стирания отменена."));
  EXPECT_EQ(view_.bootLock(), (Rgb{255, 0, 0}));
  EXPECT_EQ(view_.fwp(), (Rgb{0, 255, 0}));
  EXPECT_TRUE(chip_->registerWrites().empty());
  EXPECT_EQ(sent(), kEraseStart + "O0");
}

TEST_F(Mec16EraseTest, AFailedStatusReadRefusesTheErase) {
  chip_->setFaults({.registers = {{.access = 'r', .address = 0xFF390C,
                                   .effect = RegisterFault::Effect::kShortReply}}});
  tool_.erase(false);
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (E100)"));
  EXPECT_TRUE(hasLine("--> СТОИТ ЗАЩИТА ЗАПИСИ ! (FWP ножка)"));
  EXPECT_TRUE(hasLine("--> Стоит Boot_Lock ! (защита загрузочного блока)"));
  EXPECT_TRUE(hasLine("--> Каманда стирания отменена."));
  EXPECT_TRUE(chip_->registerWrites().empty());
  EXPECT_EQ(chip_->mainFlash(), Bytes(192 * 1024, 0x00));
  EXPECT_EQ(sent(), kEraseStart + "O0");
}

TEST_F(Mec16EraseTest, ALossAfterEnablingEndsAtOnceWithoutOutcome) {
  chip_->setEraseBusyPolls(0);
  chip_->setFaults({.registers = {{.access = 'w', .address = 0xFF3908, .value = 0x100}}});
  tool_.erase(false);
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (E105)"));
  EXPECT_FALSE(hasLine("Записали в регистр FF3908h 0"));
  const std::string s = sent();
  EXPECT_EQ(s.substr(s.size() - 16), wr("FF3908", "00000100") + "0");
  EXPECT_TRUE(tool_.modeWord().idle());
}

TEST_F(Mec16EraseTest, AStrayByteAnywhereNeverLeavesAnErasedLookingFailure) {
  // Register replies are counted only by their bytes: a byte left over would make a later
  // status poll read a byte off, and a busy chip look done. Wherever the stray byte comes,
  // an erase told successful must have left the chip blank.
  for (std::uint64_t at = 3; at < 40; ++at) {
    SCOPED_TRACE("stray byte after reply byte " + std::to_string(at));
    chip_->fillMain(0x00);
    chip_->setEraseBusyPolls(3);
    adapter_->setFaults({.strayByteAfter = at, .strayByte = 0x00});
    view_.clearLog();
    tool_.erase(false);
    if (hasLine("Стирание завершено успешно.")) {
      EXPECT_EQ(chip_->mainFlash(), Bytes(196608, 0xFF));
    }
    EXPECT_TRUE(tool_.modeWord().idle());
    EXPECT_FALSE(adapter_->isOpen());
  }
}

TEST_F(Mec16EraseTest, AControllerThatStaysBusyEndsTheEraseAtTheBoundWithPacedPolls) {
  chip_->setEraseBusyPolls(~0ull);
  tool_.erase(false);
  EXPECT_TRUE(hasLine("MEC16 не закончил стирание, занят слишком долго (E108)"));
  EXPECT_FALSE(hasLine("Стирание завершено успешно."));
  EXPECT_GT(chip_->statusReads(), 2u);
  // Busy for the whole 300 ms bound: the polls in the byte log are paced a few
  // milliseconds apart (at most one per 5 ms, and a few spare), not read back to back.
  const std::string log = sent();
  const std::string poll = rd("FF390C");
  std::size_t polls = 0;
  for (auto at = log.find(poll); at != std::string::npos; at = log.find(poll, at + 1)) ++polls;
  EXPECT_GE(polls, 10u);
  EXPECT_LE(polls, 300u / 5u + 4u);
  EXPECT_EQ(sent().substr(sent().size() - 2), "O0");
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
}

}  // namespace
}  // namespace tarvex::mec16::test
