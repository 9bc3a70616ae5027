// Writing a file into the panel EEPROM: what goes over the wire for files of any length,
// the status letters, the cancel paths, and an adapter that stops halfway.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "link/adapter_link.h"
#include "tests/edid/edid_bench.h"
#include "tests/support/unreadable_sources.h"
#include "tools/edid/edid_messages.h"
#include "tools/edid/hex_dump.h"

namespace tarvex::test {
namespace {

namespace msg = edid::msg;

class EdidWrite : public EdidBench {
 protected:
  // The bytes the adapter should have received for a write of the given image.
  static Bytes wire(const Bytes& image, std::uint8_t outcome) {
    // Built by size rather than by insert, which trips a false array-bounds warning in GCC 12.
    Bytes b(3 + image.size() + 1);
    b[0] = 'B';
    b[1] = 'E';
    b[2] = 'w';
    std::copy(image.begin(), image.end(), b.begin() + 3);
    b.back() = outcome;
    return b;
  }
  void writeFrom(const Bytes& file) {
    writeFile(path("in.bin"), file);
    view_.answerNextDialog(path("in.bin"));
    tool_.write();
  }
};

TEST_F(EdidWrite, WritesAWholeFileIntoTheEeprom) {
  const Bytes file = ramp(256);
  writeFrom(file);

  std::vector<std::string> expected{"Number of VCOM ports found on the machine: 1",
                                    link_text::kInstalled, msg::kWriting};
  for (const auto& line : edid::hexDump(std::span<const std::uint8_t, 256>(file.data(), 256))) {
    expected.push_back(line);
  }
  expected.insert(expected.end(), {"", msg::kWriteDone});
  EXPECT_EQ(view_.lines(), expected);
  EXPECT_EQ(sent(), wire(file, 'I'));
  EXPECT_EQ(contents(), file);
  EXPECT_FALSE(adapter_->isOpen());
  ASSERT_EQ(view_.dialogs().size(), 1u);
  EXPECT_EQ(view_.dialogs()[0].filter, "BIN файлы EEPROM (*.bin)|*.bin|Другие|*.*");
}

TEST_F(EdidWrite, ShortFileIsPaddedWithErasedBytesAndLongOneCut) {
  Bytes padded = ramp(128);
  padded.resize(256, 0xFF);
  writeFrom(ramp(128));
  EXPECT_EQ(sent(), wire(padded, 'I'));
  EXPECT_EQ(contents(), padded);

  writeFrom(ramp(300));
  EXPECT_EQ(sent(), wire(ramp(256), 'I'));
  EXPECT_EQ(contents(), ramp(256));

  // An empty file after a full one: nothing of the earlier image may leak into this write.
  writeFrom({});
  EXPECT_EQ(sent(), wire(Bytes(256, 0xFF), 'I'));
}

TEST_F(EdidWrite, ProtectedOrSilentPanelIsReportedAndLeftUnchanged) {
  const Bytes before = contents();
  eeprom_->setWriteProtected(true);
  writeFrom(ramp(256));
  EXPECT_EQ(lastLine(), msg::kWriteError);
  EXPECT_EQ(sent(), wire(ramp(256), 'O'));
  EXPECT_EQ(contents(), before);

  eeprom_->setWriteProtected(false);
  eeprom_->setStatusOverride(std::array<std::uint8_t, 2>{'O', 'k'});
  writeFrom(ramp(256));
  EXPECT_EQ(lastLine(), msg::unexpectedStatus('O', 'k'));
  EXPECT_EQ(sent(), wire(ramp(256), 'O'));
}

TEST_F(EdidWrite, CancelledOrUnopenableFileLeavesTheEepromUntouched) {
  view_.answerNextDialog(std::nullopt);
  tool_.write();
  EXPECT_EQ(lastLine(), msg::kWriteInterrupted);
  EXPECT_EQ(sent(), Bytes{'B'});
  EXPECT_FALSE(adapter_->isOpen());

  view_.answerNextDialog(path("no such file.bin"));
  tool_.write();
  EXPECT_EQ(view_.errorBoxes(), (std::vector<std::string>{"Ошибка открытия файла."}));
  EXPECT_EQ(lastLine(), "");
  EXPECT_EQ(sent(), Bytes{'B'});
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(EdidWrite, UnreadableFileIsNotWrittenAsErasedBytes) {
  // A folder opens like a file but cannot be read: the panel must not get FFh instead.
  view_.answerNextDialog(dir_.string());
  tool_.write();
  EXPECT_EQ(lastLine(), msg::kFileNotRead);
  EXPECT_EQ(view_.errorBoxes(), (std::vector<std::string>{msg::kFileReadBox}));
  EXPECT_EQ(sent(), Bytes{'B'});
  EXPECT_EQ(eeprom_->writesDone(), 0);

  // Nor a pipe (which must not hang the write), a file whose reads fail, or one that fails
  // part way through.
  std::ofstream(dir_ / "good.bin", std::ios::binary) << std::string(256, 'A');
  for (const auto& source : unreadableSources(dir_, (dir_ / "good.bin").string(), 100)) {
    SCOPED_TRACE(source.name);
    view_.answerNextDialog(source.path);
    source.arm();
    EXPECT_FALSE(tool_.write());
    source.disarm();
    EXPECT_EQ(lastLine(), msg::kFileNotRead);
    EXPECT_EQ(view_.errorBoxes().back(), msg::kFileReadBox);
    EXPECT_EQ(sent(), Bytes{'B'});
    EXPECT_EQ(eeprom_->writesDone(), 0);
  }
}

TEST_F(EdidWrite, AdapterFallingSilentEndsTheWriteAtTheBound) {
  adapter_->setFaults({.stopAfterBytes = 3});  // no answer to 'E','w'
  writeFrom(ramp(256));
  EXPECT_EQ(lastLine(), msg::kNoWriteAck);
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'w', 'O'}));
  EXPECT_FALSE(adapter_->isOpen());

  adapter_->setFaults({.stopAfterBytes = 4});  // answers, takes the data, then nothing
  writeFrom(ramp(256));
  EXPECT_EQ(lastLine(), msg::kNoWriteStatus);
  EXPECT_EQ(sent(), wire(ramp(256), 'O'));
  EXPECT_FALSE(adapter_->isOpen());
}

}  // namespace
}  // namespace tarvex::test
