// Reading the flash into an image file: the start, the block streams and their ends.

#include <gtest/gtest.h>

#include "frame/staged_image.h"
#include "tests/mec16/mec16_fixture.h"

namespace tarvex::mec16::test {
namespace {

using emu::RegisterFault;

const std::string kReadStart = "B1j" + wr("FF3910", "00000001") + wr("FF3908", "00000105");

std::string repeated(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

class Mec16ReadTest : public Mec16Test {
 protected:
  void SetUp() override {
    Mec16Test::SetUp();
    main_ = pattern(192 * 1024, 3);
    chip_->setMain(main_);
    chip_->fillInfo(0x5A);
  }
  // Starts a read into image.bin and runs the worker when the start hands over to it.
  bool read(bool withInfo) {
    view_.answerNextDialog(path("image.bin"));
    const bool started = tool_.startRead(withInfo);
    if (started) runWorker();
    return started;
  }
  Bytes main_;
};

TEST_F(Mec16ReadTest, MainOnlyFillsTheFileAndReleasesTheController) {
  ASSERT_TRUE(read(false));
  EXPECT_EQ(readFile(path("image.bin")), main_);
  EXPECT_EQ(sent(), kReadStart + "R000000" + repeated('N', 191) + "X" + releaseWrites() + "I0");
  EXPECT_TRUE(hasLine("Выбрано чтение только MAIN блока"));
  EXPECT_TRUE(hasLine("Чтение MAIN блока завершено успешно."));
  EXPECT_EQ(view_.gaugeMaximum(), 192);
  EXPECT_EQ(view_.gaugeProgress().back(), 192);
  EXPECT_EQ(view_.gaugeColor(), (Rgb{0, 255, 0}));
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_EQ(chip_->registerValue(0xFF3910), 0u);
}

TEST_F(Mec16ReadTest, MainAndInfoAppendsTheInfoBlock) {
  ASSERT_TRUE(read(true));
  Bytes expected = main_;
  expected.insert(expected.end(), 2048, 0x5A);
  EXPECT_EQ(readFile(path("image.bin")), expected);
  EXPECT_EQ(sent(), kReadStart + "R000000" + repeated('N', 191) + "X" +
                        wr("FF3908", "00000100") + wr("FF3908", "00000105") + "R040000" + "N" +
                        "X" + releaseWrites() + "I0");
  EXPECT_TRUE(hasLine("Запускаем чтение INFO блока."));
  EXPECT_TRUE(hasLine("Чтение INFO блока завершено успешно."));
  // INFO blocks leave the gauge where MAIN left it.
  EXPECT_EQ(view_.gaugeProgress().back(), 192);
}

TEST_F(Mec16ReadTest, ABadBlockStatusEndsTheReadKeepingTheBlocksSoFar) {
  chip_->setFaults({.badBlock = std::pair<std::uint32_t, int>{0, 5}});
  ASSERT_TRUE(read(false));
  // The blocks read are kept, never under the chosen name; a second failure keeps its own.
  EXPECT_FALSE(std::filesystem::exists(path("image.bin")));
  EXPECT_EQ(readFile(path("image.bin.partial")).size(), 5u * 1024);
  EXPECT_TRUE(hasLine("Образ НЕ полный, прочитанные данные сохранены в файле: " +
                      path("image.bin.partial") + ", байт: 5120"));
  EXPECT_EQ(sent(), kReadStart + "R000000" + repeated('N', 4) + "XO0");
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (P103)."));
  EXPECT_TRUE(tool_.modeWord().idle());

  chip_->setFaults({.badBlock = std::pair<std::uint32_t, int>{0x040000, 2}});
  ASSERT_TRUE(read(true));
  EXPECT_FALSE(std::filesystem::exists(path("image.bin")));
  EXPECT_EQ(readFile(path("image.bin.partial.2")).size(), 194u * 1024);
  EXPECT_EQ(readFile(path("image.bin.partial")).size(), 5u * 1024);
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (P109)."));
  EXPECT_EQ(sent().substr(sent().size() - 4), "NXO0");
}

TEST_F(Mec16ReadTest, AStalledStreamEndsAtTheBoundAsALostLink) {
  chip_->setFaults({.stalledBlock = std::pair<std::uint32_t, int>{0, 3}});
  ASSERT_TRUE(read(false));
  EXPECT_EQ(readFile(path("image.bin.partial")).size(), 2u * 1024);
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (P103)."));
  EXPECT_EQ(sent(), kReadStart + "R000000NNXO0");
  EXPECT_TRUE(tool_.modeWord().idle());
}

TEST_F(Mec16ReadTest, AnAdapterPulledOutMidStreamEndsTheReadAtOnce) {
  // Tag, ID and two register acknowledgements, three blocks, then part of the fourth.
  adapter_->setFaults({.unplugAfterBytes = 3 + 4 + 2 + 3 * 1025 + 100});
  ASSERT_TRUE(read(false));
  EXPECT_EQ(readFile(path("image.bin.partial")).size(), 3u * 1024);
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (P103)."));
  EXPECT_EQ(view_.lines().back(), "");
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(Mec16ReadTest, AFileThatCannotBeWrittenIsNeverReportedAsRead) {
  setStorageFault(path("image.bin"), {.writeRoom = 0});  // a full disk
  view_.answerNextDialog(path("image.bin"));
  ASSERT_TRUE(tool_.startRead(false));
  runWorker();
  clearStorageFault(path("image.bin"));
  EXPECT_TRUE(hasLine("Ошибка записи в файл. Чтение прервано."));
  EXPECT_FALSE(hasLine("Чтение MAIN блока завершено успешно."));
  EXPECT_EQ(sent(), kReadStart + "R000000XO0");
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(std::filesystem::exists(path("image.bin")));
  EXPECT_FALSE(std::filesystem::exists(path("image.bin.partial")));  // not a byte was stored
}

TEST_F(Mec16ReadTest, StopIsHonouredAfterTheBlockInHand) {
  view_.answerNextDialog(path("image.bin"));
  ASSERT_TRUE(tool_.startRead(true));
  EXPECT_FALSE(tool_.exitOrStop());  // the window stays; the worker sees the request
  runWorker();
  EXPECT_EQ(readFile(path("image.bin.partial")).size(), 1024u);
  EXPECT_TRUE(hasLine("Пользователь прервал операцию чтения."));
  EXPECT_EQ(sent(), kReadStart + "R000000X" + releaseWrites() + "0O");
  EXPECT_TRUE(tool_.exitOrStop());
}

TEST_F(Mec16ReadTest, AnIdOfAllOnesStopsBeforeTheControllerIsTouched) {
  chip_->setId({0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_FALSE(read(false));
  EXPECT_TRUE(hasLine("Неверный ID. Операция прервана!"));
  // Nothing was read: nothing is created, not even an empty file.
  EXPECT_TRUE(std::filesystem::is_empty(path("")));
  EXPECT_EQ(sent(), "B1jO0");
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(Mec16ReadTest, ALostEnableWriteEndsTheStart) {
  chip_->setFaults({.registers = {{.access = 'w', .address = 0xFF3908,
                                   .effect = RegisterFault::Effect::kRefused}}});
  EXPECT_FALSE(read(false));
  EXPECT_TRUE(hasLine("Записали в регистр FF3910h 1"));
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (R101)"));
  EXPECT_EQ(sent(), kReadStart + "O0");
  EXPECT_TRUE(tool_.modeWord().idle());
}

TEST_F(Mec16ReadTest, ACancelledDialogOrAnUncreatableFileEndsQuietly) {
  view_.answerNextDialog(std::nullopt);
  EXPECT_FALSE(tool_.startRead(false));
  EXPECT_TRUE(hasLine("Операция чтения прервана"));
  EXPECT_EQ(sent(), "BO");
  EXPECT_TRUE(tool_.modeWord().idle());
  ASSERT_EQ(view_.dialogs().size(), 1u);
  EXPECT_EQ(view_.dialogs()[0].filter, "BIN файл MEC16 (*.bin)|*.bin");
  EXPECT_EQ(view_.dialogs()[0].defaultName, "Noname");

  view_.answerNextDialog(path("missing/dir/image.bin"));
  EXPECT_FALSE(tool_.startRead(false));
  EXPECT_TRUE(hasLine("Ошибка создания файла"));
  EXPECT_TRUE(view_.errorBoxes().empty());
  EXPECT_EQ(sent(), "BO");
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
}

}  // namespace
}  // namespace tarvex::mec16::test
