// Erasing and writing the IT85xx flash from an image file: the start, the erase, which bytes
// are sent and with which addresses, and every way the write can end.

#include "tests/ite/ite_fixture.h"
#include "tests/support/unreadable_sources.h"

namespace tarvex::test {
namespace {

constexpr std::size_t kFlash = IteTool::kFlashSize;

// 'T', then the entry, write enable and both erase forms as register cycles.
Bytes writePreamble() {
  const std::pair<std::uint8_t, std::uint8_t> cycles[] = {
      {0x27, 0x01}, {0x27, 0x80}, {0x04, 0xFF}, {0x07, 0x7F}, {0x06, 0xFF}, {0x05, 0xFE},
      {0x08, 0x00}, {0x05, 0xFD}, {0x08, 0x06}, {0x05, 0xFE}, {0x08, 0x00}, {0x05, 0xFD},
      {0x08, 0x60}, {0x05, 0xFE}, {0x08, 0x00}, {0x05, 0xFD}, {0x08, 0xC7}, {0x05, 0xFE},
      {0x08, 0x00}};
  Bytes out{'T'};
  for (const auto& [reg, value] : cycles) out.insert(out.end(), {'A', reg, 'W', value});
  return out;
}

Bytes blankImage(std::size_t size = kFlash) { return Bytes(size, 0xFF); }

class IteWrite : public IteBench {
 protected:
  void SetUp() override {
    IteBench::SetUp();
    settingsInAdapter();
    board_->setFlash(Bytes(kFlash, 0x00));  // old contents: only an erase makes them writable
  }
  bool write(const Bytes& image) {
    writeFile(path("image.bin"), image);
    view_.answerNextDialog(path("image.bin"));
    if (!tool_.startWrite()) return false;
    runWorker();
    return true;
  }
  // What went out after the erase, up to (not including) the outcome byte.
  Bytes programming() const {
    const Bytes sent = sentAfterHandshake();
    const Bytes preamble = writePreamble();
    EXPECT_GE(sent.size(), preamble.size() + 1);
    EXPECT_TRUE(std::equal(preamble.begin(), preamble.end(), sent.begin()));
    return Bytes(sent.begin() + preamble.size(), sent.end() - 1);
  }
};

TEST_F(IteWrite, BlankBytesAreSkippedAndANewAddressFollowsEachSkippedRun) {
  Bytes image = blankImage();
  image[0] = 0x00;
  image[3] = 0x12;
  ASSERT_TRUE(write(image));
  EXPECT_EQ(programming(), (Bytes{'Y', 0, 0, 0, 'w', 0x00, 'Y', 0, 0, 3, 'w', 0x12}));
  EXPECT_EQ(sentAfterHandshake().back(), 'I');
  EXPECT_EQ(board_->flash(), image);
  EXPECT_EQ(board_->eraseCount(), 1);
  for (const char* line : {"Initialization ITE ...", "Initialization complete ...",
                           "Send erase command ...", "Erase complete (0x60/0xC7)...",
                           "131072 bytes loaded to buffer ...",
                           "The number of bytes in the file equal 0xFF -> 131070",
                           "Begin write ...", "We are all write ... "}) {
    EXPECT_TRUE(view_.hasLine(line)) << line;
  }
  EXPECT_TRUE(view_.hasLine("Writing the file: " + path("image.bin")));
  EXPECT_EQ(view_.gaugeColor(kIteGauge), colors::kRed);
  const auto speed = view_.gaugeProgress(kIteSpeedGauge);
  ASSERT_GE(speed.size(), 2u);
  EXPECT_EQ(speed[0], 1);
  EXPECT_EQ(speed[1], 4);
  EXPECT_EQ(view_.gaugeProgress(kIteGauge).back(), 512);
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(IteWrite, RunAcrossAPageBoundaryNeedsNoNewAddress) {
  Bytes image = blankImage();
  image[0x0000FF] = 0xAA;
  image[0x000100] = 0xBB;
  image[0x01FFFF] = 0xCC;
  ASSERT_TRUE(write(image));
  EXPECT_EQ(programming(),
            (Bytes{'Y', 0x00, 0x00, 0xFF, 'w', 0xAA, 'w', 0xBB, 'Y', 0x01, 0xFF, 0xFF, 'w', 0xCC}));
  EXPECT_EQ(board_->flash(), image);
}

TEST_F(IteWrite, ShortFileLeavesTheRestBlankAndLongFileIsCut) {
  Bytes half = blankImage(65536);
  for (int i = 0; i < 16; ++i) half[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(write(half));
  EXPECT_TRUE(view_.hasLine("The number of bytes in the file equal 0xFF -> 131056"));
  EXPECT_EQ(view_.gaugeProgress(kIteGauge).back(), 512);
  Bytes expected = blankImage();
  std::copy(half.begin(), half.end(), expected.begin());
  EXPECT_EQ(board_->flash(), expected);

  Bytes longer = blankImage(kFlash + 100);
  std::fill(longer.begin() + kFlash, longer.end(), 0x00);
  longer[kFlash - 1] = 0x42;
  ASSERT_TRUE(write(longer));
  EXPECT_EQ(programming(), (Bytes{'Y', 0x01, 0xFF, 0xFF, 'w', 0x42}));
}

TEST_F(IteWrite, BlankOrEmptyFileErasesAndProgramsNothing) {
  for (const Bytes& image : {blankImage(), Bytes{}}) {
    view_.clearLog();
    ASSERT_TRUE(write(image));
    EXPECT_TRUE(view_.hasLine("The number of bytes in the file equal 0xFF -> 131072"));
    EXPECT_TRUE(view_.hasLine("We are all write ... "));
    EXPECT_EQ(programming(), Bytes{});
    EXPECT_EQ(sentAfterHandshake().back(), 'I');
  }
  EXPECT_EQ(board_->flash(), blankImage());
}

TEST_F(IteWrite, ScatteredImageLandsInTheFlashExactly) {
  Bytes image = blankImage();
  std::uint32_t seed = 7;
  for (std::size_t start : {0x0000u, 0x1234u, 0x8000u, 0x1F000u}) {
    for (std::size_t i = start; i < start + 700 && i < kFlash; ++i) {
      seed = seed * 1103515245 + 12345;
      image[i] = static_cast<std::uint8_t>(seed >> 16);
    }
  }
  board_->setEraseTime(std::chrono::milliseconds(200));  // the first address waits for it
  ASSERT_TRUE(write(image));
  EXPECT_TRUE(view_.hasLine("We are all write ... "));
  EXPECT_EQ(board_->flash(), image);
}

TEST_F(IteWrite, FailureWhileSendingTheSecondEraseFormIsT013) {
  board_->setFaults({.writeFails = std::pair<std::uint8_t, std::uint8_t>{0x08, 0xC7}});
  ASSERT_TRUE(write(blankImage()));
  EXPECT_TRUE(view_.hasLine(
      "ITE мульт нам не отвечает, проверяйте соединение и настройки выводов. MB запитана? "
      "(T013)"));
  EXPECT_FALSE(view_.hasLine("Erase complete (0x60/0xC7)..."));
  EXPECT_EQ(sentAfterHandshake().back(), 'O');
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
}

TEST_F(IteWrite, LateOrRefusedByteAndRefusedAddressEndTheWrite) {
  Bytes image = blankImage();
  std::fill_n(image.begin(), 8, 0x11);

  board_->setFaults({.lateFlashByteAt = 3, .lateBy = std::chrono::milliseconds(300)});
  ASSERT_TRUE(write(image));
  EXPECT_EQ(view_.lines().back().rfind("Current time  ", 0), 0u);
  EXPECT_TRUE(view_.hasLine("Ошибка записи во флеш или потеряна связь с ITE"));
  EXPECT_FALSE(view_.hasLine("We are all write ... "));
  // Nothing follows the third byte, whose acknowledgement came too late.
  EXPECT_EQ(programming(), (Bytes{'Y', 0, 0, 0, 'w', 0x11, 'w', 0x11, 'w', 0x11}));
  EXPECT_EQ(sentAfterHandshake().back(), 'O');

  view_.clearLog();
  board_->setFaults({.addressRefusedAt = 1});
  ASSERT_TRUE(write(image));
  EXPECT_TRUE(view_.hasLine("Ошибка протокола при отправке адреса во флеш."));
  EXPECT_EQ(programming(), (Bytes{'Y', 0, 0, 0}));
  EXPECT_TRUE(tool_.mode().idle());
}

TEST_F(IteWrite, AdapterUnpluggedDuringTheWriteEndsItCleanly) {
  Bytes image = blankImage();
  std::fill_n(image.begin(), 300, 0x22);
  adapter_->setFaults({.unplugAfterBytes = emu::tags::ite().size() + 1 + 19 * 2 + 1 + 50});
  ASSERT_TRUE(write(image));
  EXPECT_TRUE(view_.hasLine("Ошибка записи во флеш или потеряна связь с ITE"));
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
}

TEST_F(IteWrite, StartFailuresSignOffAndLeaveTheToolIdle) {
  view_.answerNextDialog(std::nullopt);
  EXPECT_FALSE(tool_.startWrite());
  EXPECT_TRUE(view_.hasLine("Write canceled by the user. All we turn off. (WR_DLG)"));
  EXPECT_EQ(sentAfterHandshake(), Bytes{'O'});
  const auto dialog = view_.dialogs().back();
  EXPECT_EQ(dialog.kind, FileDialogSpec::Kind::kOpen);
  EXPECT_EQ(dialog.filter, "BIN файл  (*.bin)|*.bin|Другие|*.*");

  view_.answerNextDialog(path("missing.bin"));
  EXPECT_FALSE(tool_.startWrite());
  EXPECT_TRUE(view_.hasLine("Ошибка при открытии файла. (WR_OPN_DLG)"));
  EXPECT_EQ(view_.errorBoxes(), std::vector<std::string>{"Ошибка открытия файла."});

  board_->setPowered(false);
  EXPECT_FALSE(write(blankImage()));
  EXPECT_TRUE(view_.hasLine(
      "ITE chip we do not respond, check the connection and output settings. MB powered? (3F)"));
  EXPECT_EQ(sentAfterHandshake(), (Bytes{'T', 'O'}));
  EXPECT_EQ(board_->eraseCount(), 0);
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
  EXPECT_FALSE(adapter_->isOpen());
}

// The worker erases the chip before it programs: an image that cannot be read whole must
// stop the write at its start, with the old firmware still in the flash.
TEST_F(IteWrite, UnreadableImageStopsBeforeTheErase) {
  const Bytes firmware = Bytes(kFlash, 0x5A);
  board_->setFlash(firmware);
  writeFile(path("good.bin"), blankImage());
  for (const auto& source : unreadableSources(dir_, path("good.bin"))) {
    SCOPED_TRACE(source.name);
    view_.answerNextDialog(source.path);
    source.arm();
    const bool started = tool_.startWrite();
    source.disarm();
    EXPECT_FALSE(started);
    EXPECT_EQ(sentAfterHandshake(), Bytes{'O'});
    EXPECT_EQ(board_->eraseCount(), 0);
    EXPECT_EQ(board_->flash(), firmware);
    EXPECT_TRUE(view_.hasLine("Ошибка при чтении файла. (WR_RD_FILE)") ||
                (view_.hasLine(kNotRegularFileLine) &&
                 view_.hasLine("Ошибка при открытии файла. (WR_OPN_DLG)")));
    EXPECT_TRUE(tool_.mode().idle());
    EXPECT_TRUE(view_.allButtonsEnabled());
    EXPECT_FALSE(adapter_->isOpen());
  }
}

}  // namespace
}  // namespace tarvex::test
