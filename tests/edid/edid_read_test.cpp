// Reading the panel EEPROM: the reply gathered from pieces, the status letters, the dump,
// the save, and every way the adapter or the disk can let the read down.

#include <gtest/gtest.h>

#include "frame/staged_image.h"
#include "link/adapter_link.h"
#include "tests/edid/edid_bench.h"
#include "tools/edid/edid_messages.h"
#include "tools/edid/hex_dump.h"

namespace tarvex::test {
namespace {

namespace msg = edid::msg;

using EdidRead = EdidBench;

TEST_F(EdidRead, ReadsDumpsAndSavesThePanel) {
  view_.answerNextDialog(path("panel.bin"));
  tool_.read();

  std::vector<std::string> expected{"Number of VCOM ports found on the machine: 1",
                                    link_text::kInstalled, msg::kReading, msg::kReadDone};
  const auto demo = emu::demoPanelEeprom();
  for (const auto& line : edid::hexDump(demo)) expected.push_back(line);
  expected.insert(expected.end(), {"", msg::kSaveFile, path("panel.bin")});
  // Then, after every line of the read and the save, the decode of what was read.
  expected.insert(expected.end(), {"", "EDID version: 1.4", "Manufacturer: TVX",
                                   "Product code: 6A15h", "Serial number: 300",
                                   "Manufactured: week 16 of 2014",
                                   "Preferred mode: 1366 x 768 @ 59.99 Hz, pixel clock 72.80 MHz",
                                   msg::kNoMonitorName, msg::checksumRight(demo[127])});
  EXPECT_EQ(view_.lines(), expected);
  EXPECT_EQ(view_.clears(), 1);

  EXPECT_EQ(fileBytes(path("panel.bin")), contents());
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'I'}));
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_EQ(tool_.fileName(), path("panel.bin"));

  ASSERT_EQ(view_.dialogs().size(), 1u);
  const auto dialog = view_.dialogs()[0];
  EXPECT_EQ(dialog.kind, FileDialogSpec::Kind::kSave);
  EXPECT_EQ(dialog.filter, "BIN файлы EEPROM (*.bin)|*.bin");
  EXPECT_EQ(dialog.defaultName, "Noname");
  EXPECT_EQ(dialog.defaultExtension, "bin");
}

TEST_F(EdidRead, PiecesOfAnySizeGiveTheSameImage) {
  // A reply of 258 one-byte pieces is many thread hand-overs in the emulator; on a loaded
  // machine they can outlast the fixture's short bound, so this read takes the tool's own.
  edid::EdidTool tool{bus_, view_};
  reader_ = &tool;
  const std::pair<std::size_t, std::size_t> splits[] = {{258, 258}, {1, 1}, {7, 7},
                                                        {1, 3}, {1, 257}, {100, 200}};
  std::uint32_t seed = 1;
  for (const auto& [low, high] : splits) {
    eeprom_->setTiming({.pieceMin = low, .pieceMax = high,
                        .gapMax = std::chrono::microseconds(100)});
    eeprom_->setSeed(seed++);
    view_.answerNextDialog(std::nullopt);
    tool.read();
    EXPECT_EQ(image(), contents()) << "pieces " << low << ".." << high;
    EXPECT_EQ(lastLineBeforeDecode(), msg::kSaveInterrupted);
    EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'I'}));
  }
}

TEST_F(EdidRead, SilentPanelOffersNoSaveDialog) {
  eeprom_->setPanelPresent(false);
  tool_.read();
  const auto lines = view_.lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], msg::kReadNoAnswer);
  EXPECT_EQ(lines.back(), "");
  EXPECT_TRUE(view_.dialogs().empty());
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'O'}));
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(EdidRead, UnknownStatusLettersFailLoudly) {
  eeprom_->setStatusOverride(std::array<std::uint8_t, 2>{'X', 'Y'});
  tool_.read();
  EXPECT_TRUE(view_.hasLine(msg::unexpectedStatus('X', 'Y')));
  EXPECT_FALSE(view_.hasLine(msg::kReadDone));
  EXPECT_TRUE(view_.dialogs().empty());
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'O'}));
}

TEST_F(EdidRead, SurplusBytesNeverBecomeImageBytes) {
  // The whole reply and a byte more in the queue at once: the status letters sit where
  // they belong, so the image is placed right; the surplus is not taken as data.
  eeprom_->setTiming({.pieceMin = 258, .pieceMax = 258, .gapMax = std::chrono::microseconds(0)});
  adapter_->setFaults({.strayByteAfter = 3 + 257, .strayByte = 0xA5});
  view_.answerNextDialog(std::nullopt);
  tool_.read();
  EXPECT_EQ(image(), contents());
  EXPECT_TRUE(view_.hasLine(msg::kReadDone));
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'I'}));

  // A stray byte inside the reply pushes the letters one place on: the read fails rather
  // than offer a shifted image for saving.
  adapter_->setFaults({.strayByteAfter = 3 + 100, .strayByte = 'O'});
  view_.clearLog();
  tool_.read();
  EXPECT_FALSE(view_.hasLine(msg::kReadDone));
  EXPECT_EQ(view_.dialogs().size(), 1u);
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'O'}));
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(EdidRead, StalledReplyEndsAtTheBoundWithFailure) {
  adapter_->setFaults({.stopAfterBytes = 3 + 100});  // the tag, then 100 reply bytes
  tool_.read();
  EXPECT_EQ(lastLine(), msg::readReplyIncomplete(100, 258));
  EXPECT_TRUE(view_.dialogs().empty());
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'O'}));
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(EdidRead, UnpluggedAdapterEndsTheReadAtOnce) {
  adapter_->setFaults({.unplugAfterBytes = 3 + 50});
  const auto start = std::chrono::steady_clock::now();
  tool_.read();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_EQ(lastLine(), msg::kLinkLost);
  EXPECT_TRUE(view_.dialogs().empty());
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(EdidRead, UncreatableFileShowsTheBoxAndSavesNothing) {
  view_.answerNextDialog(path("missing/panel.bin"));
  tool_.read();
  EXPECT_EQ(view_.errorBoxes(), (std::vector<std::string>{"Ошибка создания файла."}));
  EXPECT_EQ(lastLineBeforeDecode(), "");
  EXPECT_FALSE(view_.hasLine(msg::kSaveFile));
}

TEST_F(EdidRead, FailedFileWriteIsReportedNotPassedAsSaved) {
  setStorageFault(path("panel.bin"), {.writeRoom = 0});  // a full disk
  view_.answerNextDialog(path("panel.bin"));
  EXPECT_FALSE(tool_.read());
  clearStorageFault(path("panel.bin"));
  EXPECT_EQ(lastLineBeforeDecode(), msg::kFileNotSaved);
  EXPECT_EQ(view_.errorBoxes(), (std::vector<std::string>{msg::kFileWriteBox}));
  EXPECT_FALSE(std::filesystem::exists(path("panel.bin")));
  EXPECT_FALSE(std::filesystem::exists(path("panel.bin.partial")));  // not a byte was stored
}

TEST_F(EdidRead, ADeviceOrFolderIsNeverTakenForTheImageFile) {
  for (const char* target : {"/dev/null", "/tmp"}) {
    view_.answerNextDialog(target);
    EXPECT_FALSE(tool_.read());
    EXPECT_FALSE(view_.hasLine(msg::kSaveFile));
  }
  EXPECT_EQ(view_.errorBoxes(),
            (std::vector<std::string>{"Ошибка создания файла.", "Ошибка создания файла."}));
}

TEST(DemoPanel, HoldsAValidEdidBaseBlockAndNoExtension) {
  const auto e = emu::demoPanelEeprom();
  EXPECT_EQ(Bytes(e.begin(), e.begin() + 8), (Bytes{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0}));
  std::uint8_t sum = 0;
  for (int i = 0; i < 128; ++i) sum = static_cast<std::uint8_t>(sum + e[i]);
  EXPECT_EQ(sum, 0);
  EXPECT_EQ(e[126], 0);
  EXPECT_EQ(Bytes(e.begin() + 128, e.end()), Bytes(128, 0xFF));
}

}  // namespace
}  // namespace tarvex::test
