// The connection check, the protection decoding and HELP.

#include <gtest/gtest.h>

#include "tests/mec16/mec16_fixture.h"

namespace tarvex::mec16::test {
namespace {

using emu::RegisterFault;
const Rgb kGreen{0, 255, 0};
const Rgb kRed{255, 0, 0};
const Rgb kBlack{0, 0, 0};

const std::string kCheckRequests =
    "B1j" + rd("FFFD00") + rd("FF3908") + rd("FF3910") + rd("FF390C");

TEST_F(Mec16Test, CheckWithNoProtectionShowsRegistersPaintsGreenAndSucceeds) {
  chip_->setId({0x00, 0x16, 0x09, 0x5D});
  tool_.connectionCheck();
  EXPECT_EQ(sent(), kCheckRequests + "I0");
  const auto lines = view_.lines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0].rfind("Текущее время  ", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 11),
            (std::vector<std::string>{
                "Number of VCOM ports found on the machine: 1",
                "Communication with programmer installed.",
                "Получен ID от MEC16 -> 0016 095Dh",
                "Регистр FFFD00h -> 0000 0105h",
                "Регистр FF3908h -> 0000 0000h",
                "Регистр FF3910h -> 0000 0000h",
                "Регистр FF390Ch -> 0000 0000h",
                "--> Стирание и запись разрешена (FWP ножка)",
                "--> Стирание и запись загрузочного блока разрешена",
                "Закрыли VCOM порт",
            }));
  EXPECT_EQ(lines[11].rfind("Текущее время  ", 0), 0u);
  EXPECT_EQ(lines[12], "");
  EXPECT_EQ(view_.fwp(), kGreen);
  EXPECT_EQ(view_.bootLock(), kGreen);
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(Mec16Test, CheckWithFwpActiveReportsItAndFails) {
  chip_->setStatusBits(0x10);
  tool_.connectionCheck();
  EXPECT_TRUE(hasLine("--> СТОИТ ЗАЩИТА ЗАПИСИ ! (FWP ножка)"));
  EXPECT_TRUE(hasLine("--> Стирание и запись загрузочного блока разрешена"));
  EXPECT_EQ(view_.fwp(), kRed);
  EXPECT_EQ(view_.bootLock(), kGreen);
  EXPECT_EQ(sent(), kCheckRequests + "O0");
}

TEST_F(Mec16Test, CheckWithAFailedStatusReadReportsBothProtectionsSet) {
  chip_->setFaults({.registers = {{.access = 'r', .address = 0xFF390C}}});
  tool_.connectionCheck();
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (I103)"));
  EXPECT_TRUE(hasLine("--> СТОИТ ЗАЩИТА ЗАПИСИ ! (FWP ножка)"));
  EXPECT_TRUE(hasLine("--> Стоит Boot_Lock ! (защита загрузочного блока)"));
  EXPECT_EQ(view_.fwp(), kRed);
  EXPECT_EQ(view_.bootLock(), kRed);
  EXPECT_EQ(sent(), kCheckRequests + "O0");
}

TEST_F(Mec16Test, CheckMakesEveryReadAfterALossAndAShortIdFailsIt) {
  chip_->setFaults({.registers = {{.access = 'r', .address = 0xFFFD00,
                                   .effect = RegisterFault::Effect::kShortReply}}});
  tool_.connectionCheck();
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (I100)"));
  EXPECT_TRUE(hasLine("Регистр FF390Ch -> 0000 0000h"));
  EXPECT_EQ(view_.fwp(), kGreen);
  EXPECT_EQ(sent(), kCheckRequests + "O0");

  // An adapter that stops answering after the 'B' reply: the ID comes short.
  adapter_->setFaults({.stopAfterBytes = 3});
  tool_.connectionCheck();
  EXPECT_TRUE(hasLine("ID готово 4 байта но сняли меньше ОШИБКА"));
  for (const char* code : {"I100", "I101", "I102", "I103"}) {
    EXPECT_TRUE(hasLine(std::string("Потеряна связь с MEC16 (") + code + ")")) << code;
  }
  EXPECT_EQ(sent(), kCheckRequests + "O0");
  EXPECT_TRUE(tool_.modeWord().idle());
}

TEST_F(Mec16Test, CheckRefusesAnAdapterWithTheOtherFirmware) {
  adapter_->setTag(emu::tags::v41());
  tool_.connectionCheck();
  EXPECT_TRUE(hasLine("It is necessary to update the firmware programmer!"));
  EXPECT_EQ(sent(), "B");
  EXPECT_EQ(view_.fwp(), kBlack);
  EXPECT_EQ(view_.bootLock(), kBlack);
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_EQ(view_.lines().back(), "It is necessary to update the firmware programmer!");
}

TEST_F(Mec16Test, HelpListsTheWiringOnlyWhileIdle) {
  tool_.help();
  const auto lines = view_.lines();
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], "Распиновка для расширенной версии (PCB2):");
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[15], "Не тестировалось с MEC1619 - могут быть проблемы с записью.");

  // A stream in progress: HELP, the check and EXIT's leaving are all refused.
  writeFile(path("image.bin"), pattern(1024));
  view_.answerNextDialog(path("image.bin"));
  ASSERT_TRUE(tool_.startWrite(false));
  const auto before = view_.lines().size();
  tool_.help();
  tool_.connectionCheck();
  EXPECT_EQ(view_.lines().size(), before);
  EXPECT_FALSE(tool_.exitOrStop());
  runWorker();
  EXPECT_TRUE(tool_.exitOrStop());
}

}  // namespace
}  // namespace tarvex::mec16::test
