// Writing an image file into MAIN flash: the start, the acknowledged stream and its ends.

#include <gtest/gtest.h>

#include "tests/mec16/mec16_fixture.h"
#include "tests/support/unreadable_sources.h"

namespace tarvex::mec16::test {
namespace {

using emu::RegisterFault;

const std::string kWriteStart = "B1j" + rd("FF390C") + wr("FF3910", "00000001") +
                                wr("FF3908", "00000106") + wr("FF3904", "00000000") + "W";

// The write stream as the adapter received it: the 256-byte blocks between 'W' and 'X',
// and what followed the 'X'.
struct Stream {
  std::vector<Bytes> blocks;
  std::string tail;
  bool wellFormed = false;
};

Stream parseStream(const Bytes& received) {
  Stream stream;
  if (received.size() < kWriteStart.size() ||
      std::string(received.begin(), received.begin() + kWriteStart.size()) != kWriteStart) {
    return stream;
  }
  std::size_t pos = kWriteStart.size();
  while (pos + 256 < received.size()) {
    stream.blocks.emplace_back(received.begin() + pos, received.begin() + pos + 256);
    pos += 256;
    const char next = static_cast<char>(received[pos++]);
    if (next == 'X') {
      stream.tail.assign(received.begin() + pos, received.end());
      stream.wellFormed = true;
      return stream;
    }
    if (next != 'N') return stream;
  }
  return stream;
}

class Mec16WriteTest : public Mec16Test {
 protected:
  // Starts a write of `image` and runs the worker when the start hands over to it.
  bool write(const Bytes& image) {
    writeFile(path("image.bin"), image);
    view_.answerNextDialog(path("image.bin"));
    const bool started = tool_.startWrite(false);
    if (started) runWorker();
    return started;
  }
  Stream stream() const { return parseStream(adapter_->lastOpenReceived()); }
};

TEST_F(Mec16WriteTest, AFullImageGoesOutIn768AcknowledgedBlocks) {
  const Bytes image = pattern(196608, 11);
  ASSERT_TRUE(write(image));
  const Stream s = stream();
  ASSERT_TRUE(s.wellFormed);
  EXPECT_EQ(s.blocks.size(), 768u);
  EXPECT_EQ(s.tail, releaseWrites() + "I0");
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_TRUE(hasLine("Запись MAIN блока завершена успешно."));
  EXPECT_TRUE(hasLine("Выбрана запись только MAIN блока"));
  EXPECT_EQ(view_.gaugeMaximum(), 768);
  EXPECT_EQ(view_.gaugeProgress().back(), 768);
  EXPECT_EQ(view_.gaugeColor(), (Rgb{255, 0, 0}));
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(Mec16WriteTest, AShortFileEndsWithAPaddedBlockAndWarnings) {
  const Bytes image = pattern(1000, 5);
  ASSERT_TRUE(write(image));
  const Stream s = stream();
  ASSERT_TRUE(s.wellFormed);
  ASSERT_EQ(s.blocks.size(), 4u);
  Bytes last(image.begin() + 768, image.end());
  last.resize(256, 0xFF);
  EXPECT_EQ(s.blocks[3], last);
  EXPECT_EQ(s.tail, releaseWrites() + "I");
  EXPECT_TRUE(hasLine("-> Предупреждение!"));
  EXPECT_TRUE(hasLine("-> Записываемый файл короче!"));
  Bytes flash = chip_->mainFlash();
  EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 1000), image);
  EXPECT_EQ(view_.gaugeProgress().back(), 3);
  EXPECT_TRUE(tool_.modeWord().idle());
}

TEST_F(Mec16WriteTest, BytesBeyondMainAreIgnored) {
  const Bytes image = pattern(200000, 9);
  ASSERT_TRUE(write(image));
  const Stream s = stream();
  ASSERT_TRUE(s.wellFormed);
  EXPECT_EQ(s.blocks.size(), 768u);
  EXPECT_EQ(chip_->mainFlash(), Bytes(image.begin(), image.begin() + 196608));
  EXPECT_FALSE(hasLine("-> Предупреждение!"));
}

TEST_F(Mec16WriteTest, WritingOverUnerasedFlashOnlyClearsBits) {
  chip_->fillMain(0x0F);
  ASSERT_TRUE(write(Bytes(196608, 0x3C)));
  EXPECT_EQ(chip_->mainFlash(), Bytes(196608, 0x0C));
}

TEST_F(Mec16WriteTest, ProtectionRefusesTheWriteBeforeAnyRegisterIsWritten) {
  chip_->setStatusBits(0x18);
  EXPECT_FALSE(write(pattern(1024)));
  EXPECT_TRUE(hasLine("--> СТОИТ ЗАЩИТА ЗАПИСИ ! (FWP ножка)"));
  EXPECT_TRUE(hasLine("--> Стоит Boot_Lock ! (защита загрузочного блока)"));
  EXPECT_TRUE(hasLine("--> Команда записи отменена (nFWP или BOOT_LOCK)"));
  EXPECT_TRUE(chip_->registerWrites().empty());
  EXPECT_EQ(sent(), "B1j" + rd("FF390C") + "O0");
  EXPECT_TRUE(tool_.modeWord().idle());

  chip_->setStatusBits(0);
  chip_->setFaults({.registers = {{.access = 'r', .address = 0xFF390C}}});
  EXPECT_FALSE(write(pattern(1024)));
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (TW001)"));
  EXPECT_EQ(sent(), "B1j" + rd("FF390C") + "O0");
}

TEST_F(Mec16WriteTest, AMissingAcknowledgementEndsTheWriteAsFailed) {
  chip_->setFaults({.badAckAtBlock = 3, .ackByte = 'E'});
  ASSERT_TRUE(write(pattern(196608)));
  const Stream s = stream();
  ASSERT_TRUE(s.wellFormed);
  EXPECT_EQ(s.blocks.size(), 3u);
  EXPECT_EQ(s.tail, "O");
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (W103)"));
  EXPECT_FALSE(hasLine("Запись MAIN блока завершена успешно."));
  EXPECT_TRUE(tool_.modeWord().idle());
  EXPECT_FALSE(adapter_->isOpen());

  // No acknowledgement at all, and no request for a block: both end at the bound.
  chip_->setFaults({.badAckAtBlock = 2});
  ASSERT_TRUE(write(pattern(196608)));
  EXPECT_EQ(stream().tail, "O");
  chip_->setFaults({.noRequestAtBlock = 2});
  ASSERT_TRUE(write(pattern(196608)));
  EXPECT_EQ(sent().substr(sent().size() - 3), "NXO");
}

TEST_F(Mec16WriteTest, AnUnacknowledgedLastShortBlockIsAFailure) {
  chip_->setFaults({.badAckAtBlock = 4, .ackByte = 'E'});
  ASSERT_TRUE(write(pattern(1000)));
  const Stream s = stream();
  ASSERT_TRUE(s.wellFormed);
  EXPECT_EQ(s.blocks.size(), 4u);
  EXPECT_TRUE(hasLine("Потеряна связь с MEC16 (W102)"));
  EXPECT_EQ(s.tail, releaseWrites() + "O");
}

TEST_F(Mec16WriteTest, AFileReadErrorIsNotTakenForTheEndOfTheFile) {
  // Every source is read whole before the controller is touched: not even the program mode
  // is set, and no block (not even one of FFh) goes out.
  writeFile(path("good.bin"), pattern(768 * 256));
  for (const auto& source : tarvex::test::unreadableSources(dir_, path("good.bin"))) {
    SCOPED_TRACE(source.name);
    view_.clearLog();
    view_.answerNextDialog(source.path);
    source.arm();
    const bool started = tool_.startWrite(false);
    source.disarm();
    EXPECT_FALSE(started);
    EXPECT_EQ(sent(), "BO");
    EXPECT_TRUE(hasLine("Ошибка чтения файла. Запись прервана.") ||
                (hasLine(kNotRegularFileLine) && hasLine("Ошибка открытия файла")));
    EXPECT_FALSE(hasLine("-> Записываемый файл короче!"));
    EXPECT_TRUE(tool_.modeWord().idle());
    EXPECT_FALSE(adapter_->isOpen());
  }
}

TEST_F(Mec16WriteTest, AnUnopenableFileOrAnAllOnesIdEndsTheStart) {
  view_.answerNextDialog(path("absent.bin"));
  EXPECT_FALSE(tool_.startWrite(false));
  EXPECT_TRUE(hasLine("Ошибка открытия файла"));
  EXPECT_EQ(sent(), "BO");
  EXPECT_TRUE(tool_.modeWord().idle());
  ASSERT_EQ(view_.dialogs().size(), 1u);
  EXPECT_EQ(view_.dialogs()[0].filter, "BIN файл MEC16 (*.bin)|*.bin|Другие|*.*");

  chip_->setId({0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_FALSE(write(pattern(1024)));
  EXPECT_TRUE(hasLine("Неверный ID. Операция прервана!"));
  EXPECT_EQ(sent(), "B1jO0");
}

}  // namespace
}  // namespace tarvex::mec16::test
