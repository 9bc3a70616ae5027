// Writing a file into the flash, the short-file end and the verification.

#include "emulator/firmware_port.h"
#include "tests/kb90/kb90_fixture.h"
#include "tests/support/unreadable_sources.h"
#include "tools/kb90/kb90_commands.h"
#include "tools/kb90/kb90_checksum.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90::test {
namespace {

using Kb90Write = Kb90Fixture;

// The blocks of a write as the adapter received them: everything between 'W' and the
// 'X' that ends the stream, with the 'N' between blocks taken out.
std::vector<Bytes> blocksSent(const Bytes& sent) {
  std::vector<Bytes> blocks;
  auto it = std::find(sent.begin(), sent.end(), 'W');
  if (it == sent.end()) return blocks;
  ++it;
  while (sent.end() - it >= 256) {
    blocks.emplace_back(it, it + 256);
    it += 256;
    if (it == sent.end() || *it != 'N') break;
    ++it;
  }
  return blocks;
}

Bytes commandsAfterBlocks(const Bytes& sent, std::size_t blocks) {
  // 'V', 'W', the blocks and the 'N' between them come first.
  const std::size_t head = 2 + blocks * 256 + (blocks - 1);
  return Bytes(sent.begin() + static_cast<long>(head), sent.end());
}

TEST_F(Kb90Write, FullImageIsWrittenAndVerified) {
  const Bytes image = randomImage(131072, 7);
  ASSERT_TRUE(write(writeImage("image.bin", image)));

  EXPECT_EQ(controller_->flash(), image);
  const Bytes sent = sentAfterTag();
  ASSERT_EQ(sent.size(), 2 + 512 * 256 + 511 + 3u);
  EXPECT_EQ(blocksSent(sent).size(), 512u);
  EXPECT_EQ(commandsAfterBlocks(sent, 512), (Bytes{'X', 'S', 'I'}));
  EXPECT_EQ(controller_->blocksWritten(), 512);

  char sum[5], crc[5];
  std::snprintf(sum, sizeof sum, "%04X", sum16(image));
  std::snprintf(crc, sizeof crc, "%04X", crc16Arc(image));
  EXPECT_EQ(view_.linesFrom(text::kWriteDone),
            (std::vector<std::string>{
                text::kWriteDone, text::kStars, std::string(text::kFileSum) + sum,
                std::string(text::kFileCrc) + crc, text::kStars,
                std::string(text::kFlashSum) + sum, std::string(text::kFlashCrc) + crc,
                text::kStars, text::kVerifyOk, "Current time  "}));
  EXPECT_EQ(view_.gaugeColor(), colors::kYellow);
  const auto progress = view_.gaugeProgress();
  EXPECT_EQ(progress.size(), 1 + 512 + 1 + 512u);  // start, blocks, reset, verification
  EXPECT_EQ(progress[512], 32768);
  EXPECT_EQ(progress[513], 0);
  EXPECT_EQ(progress.back(), 32768);
  EXPECT_EQ(view_.dialogs().at(0).filter, "BIN файл KB901X (*.bin)|*.bin|Другие|*.*");
  EXPECT_EQ(view_.buttonChanges().front(), std::make_pair(Kb90Button::kRead, false));
  expectIdleAndClosed();
}

TEST_F(Kb90Write, ErasedImageShowsZeroSumAndItsCrc) {
  ASSERT_TRUE(write(writeImage("ff.bin", Bytes(131072, 0xFF))));
  EXPECT_TRUE(view_.hasLine("SUMM of data from a file  -> 0000"));
  EXPECT_TRUE(view_.hasLine("CRC16 of data from a file -> 9401"));
  EXPECT_TRUE(view_.hasLine("CRC16 FLASH KB90XX-> 9401"));
  EXPECT_TRUE(view_.hasLine(text::kVerifyOk));
}

TEST_F(Kb90Write, ShortFilesArePaddedAndNotVerified) {
  struct Case {
    std::size_t size;
    std::size_t blocks;
  };
  for (const Case c : {Case{1000, 4}, Case{0, 1}, Case{65536, 257}}) {
    SCOPED_TRACE(c.size);
    const Bytes image = randomImage(c.size, 3);
    ASSERT_TRUE(write(writeImage("short.bin", image)));

    const Bytes sent = sentAfterTag();
    const auto blocks = blocksSent(sent);
    ASSERT_EQ(blocks.size(), c.blocks);
    // The last block holds the file's last bytes, then FFh up to 256.
    Bytes last(image.begin() + static_cast<long>((c.blocks - 1) * 256), image.end());
    last.resize(256, 0xFF);
    EXPECT_EQ(blocks.back(), last);
    EXPECT_EQ(commandsAfterBlocks(sent, c.blocks), (Bytes{'X', 'I'}));

    Bytes flash = image;
    flash.resize(131072, 0xFF);
    EXPECT_EQ(controller_->flash(), flash);
    EXPECT_EQ(view_.linesFrom(text::kShortFileWarning),
              (std::vector<std::string>{text::kShortFileWarning, text::kShortFile,
                                        "Current time  "}));
    expectIdleAndClosed();
  }
}

TEST_F(Kb90Write, LongFileWritesItsFirst128KiB) {
  const Bytes image = randomImage(140000, 11);
  ASSERT_TRUE(write(writeImage("long.bin", image)));
  EXPECT_EQ(controller_->flash(), Bytes(image.begin(), image.begin() + 131072));
  EXPECT_FALSE(view_.hasLine(text::kShortFileWarning));
  EXPECT_TRUE(view_.hasLine(text::kVerifyOk));
}

TEST_F(Kb90Write, CellThatDoesNotTakeItsValueFailsTheVerification) {
  Bytes image = randomImage(131072, 5);
  image[70000] = 0x12;
  controller_->setFaults({.stuckCell = 70000});
  ASSERT_TRUE(write(writeImage("image.bin", image)));
  EXPECT_TRUE(view_.hasLine(text::kVerifyFailed));
  EXPECT_FALSE(view_.hasLine(text::kVerifyOk));
  EXPECT_EQ(sentAfterTag().back(), 'O');
  expectIdleAndClosed();
}

// The controller sums what its cells hold, so every cell fault the write leaves behind
// shows in the sum or CRC.
TEST_F(Kb90Write, CellFaultsLeftByTheWriteFailTheVerification) {
  Bytes image = randomImage(131072, 8);
  image[5000] &= 0x7F;  // bit 7 clear where it is stuck high
  image[40000] = 0x5A;   // not what the old firmware holds there
  struct Case {
    const char* name;
    emu::ChipFaults faults;
    std::uint32_t address;
  };
  const Case cases[] = {
      {"stored wrong", {.wrongStores = {{.address = 90000, .flip = 0x10}}}, 90000},
      {"stuck bit", {.stuckBits = {{.address = 5000, .mask = 0x80, .high = true}}}, 5000},
      {"partial erase", {.unerased = emu::UnerasedRange{.start = 40000, .length = 64}}, 40000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    controller_->setFlash(Bytes(131072, 0x00));  // the old firmware: a missed erase shows
    controller_->setChipFaults(c.faults);
    view_.clearLog();
    ASSERT_TRUE(write(writeImage("image.bin", image)));
    const Bytes flash = controller_->flash();
    EXPECT_NE(flash[c.address], image[c.address]);
    EXPECT_EQ(std::mismatch(flash.begin(), flash.end(), image.begin()).first - flash.begin(),
              static_cast<long>(c.address));
    EXPECT_TRUE(view_.hasLine(text::kVerifyFailed));
    EXPECT_FALSE(view_.hasLine(text::kVerifyOk));
    EXPECT_EQ(sentAfterTag().back(), 'O');
    expectIdleAndClosed();
  }
}

TEST_F(Kb90Write, StrayBytesAmongTheTicksAreSkipped) {
  controller_->setFaults({.strayEvery = 3, .strayByte = '-' + 1});
  ASSERT_TRUE(write(writeImage("image.bin", randomImage(131072, 9))));
  EXPECT_TRUE(view_.hasLine(text::kVerifyOk));
  EXPECT_EQ(view_.gaugeProgress().back(), 32768);
}

// Answers 'S' with its own ticks and checksum bytes, in front of the controller.
class FixedChecksum : public emu::CommandHandler {
 public:
  bool handles(std::uint8_t c) const override { return c == 'S'; }
  void handle(std::uint8_t, emu::FirmwarePort& port) override {
    port.send(Bytes(512, '-'));
    port.send(Bytes{0x34, 0x12, 0x78, 0x56});
  }
};

TEST_F(Kb90Write, ChecksumReplyIsLowByteFirst) {
  adapter_->clearHandlers();
  adapter_->addHandler(std::make_shared<FixedChecksum>());
  adapter_->addHandler(controller_);
  ASSERT_TRUE(write(writeImage("image.bin", randomImage(131072, 2))));
  EXPECT_TRUE(view_.hasLine("SUMM FLASH KB90XX -> 1234"));
  EXPECT_TRUE(view_.hasLine("CRC16 FLASH KB90XX-> 5678"));
  EXPECT_TRUE(view_.hasLine(text::kVerifyFailed));
}

TEST_F(Kb90Write, StallsEndTheWriteAsAFailure) {
  const std::string file = writeImage("image.bin", randomImage(131072, 4));
  // Silent after ten blocks: no ready byte for block 11.
  controller_->setFaults({.silentAfterBlocks = 10});
  ASSERT_TRUE(write(file));
  EXPECT_TRUE(view_.hasLine(std::string(text::kNoAnswerAtBlock) + "11" + text::kOfBlocks));
  EXPECT_EQ(commandsAfterBlocks(sentAfterTag(), 10), (Bytes{'N', 'X', 'O'}));
  expectIdleAndClosed();

  // Silent in the middle of the verification.
  controller_->setFaults({.silentAfterDashes = 100});
  ASSERT_TRUE(write(file));
  EXPECT_TRUE(view_.hasLine(text::kNoAnswerVerify));
  EXPECT_FALSE(view_.hasLine(text::kVerifyOk));
  EXPECT_EQ(commandsAfterBlocks(sentAfterTag(), 512), (Bytes{'X', 'S', 'O'}));
  EXPECT_EQ(view_.gaugeProgress().back(), 100 * 64);
  expectIdleAndClosed();
}

TEST_F(Kb90Write, CancelledOrUnreadableFileEndsBeforeTheStream) {
  view_.answerNextDialog(std::nullopt);
  EXPECT_FALSE(run(false));
  EXPECT_TRUE(view_.hasLine(text::kWriteCancelled));
  EXPECT_EQ(sentAfterTag(), (Bytes{'V'}));
  expectIdleAndClosed();

  EXPECT_FALSE(write(path("missing.bin")));
  EXPECT_EQ(view_.errorBoxes(), std::vector<std::string>{"Ошибка открытия файла."});
  EXPECT_EQ(sentAfterTag(), (Bytes{'V'}));
  expectIdleAndClosed();
}

// 'W' erases the whole flash: an image that cannot be read whole must stop the write
// before it, with the firmware in place and no 'X' or 'O' sent into a waiting stream.
TEST_F(Kb90Write, UnreadableImageLeavesTheFlashUntouched) {
  const Bytes firmware = randomImage(kImageSize, 11);
  controller_->setFlash(firmware);
  const std::string good = writeImage("good.bin", randomImage(kImageSize, 12));
  for (const auto& source : tarvex::test::unreadableSources(dir_, good)) {
    SCOPED_TRACE(source.name);
    const std::size_t boxes = view_.errorBoxes().size();
    source.arm();
    const bool started = write(source.path);
    source.disarm();
    EXPECT_FALSE(started);
    EXPECT_EQ(sentAfterTag(), (Bytes{'V'}));
    EXPECT_EQ(controller_->flash(), firmware);
    ASSERT_EQ(view_.errorBoxes().size(), boxes + 1);
    EXPECT_EQ(view_.errorBoxes().back(), "Ошибка открытия файла.");
    EXPECT_TRUE(view_.hasLine(kNotRegularFileLine) || view_.hasLine(text::kFileReadFailed));
    EXPECT_FALSE(view_.hasLine(text::kWriting));
    expectIdleAndClosed();
  }
}

}  // namespace
}  // namespace tarvex::kb90::test
