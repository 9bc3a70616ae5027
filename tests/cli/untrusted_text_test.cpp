// Text from outside the program (file names, base-file values) reaches the log and the
// error notes with its control characters escaped, so it can neither forge a line of the
// program's own nor steer the terminal; ordinary names come out as they are.

#include <gtest/gtest.h>

#include <algorithm>

#include "cli_bench.h"
#include "emulator/ite/it85_board.h"
#include "emulator/kb90/kb90_controller.h"
#include "emulator/mec16/mec1609.h"
#include "base/printable.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::cli::test {
namespace {

using namespace std::string_literals;

TEST(Printable, EscapesControlsAndBrokenUtf8AndKeepsText) {
  EXPECT_EQ(printable("/home/мастер/EC дамп v1.bin"), "/home/мастер/EC дамп v1.bin");
  EXPECT_EQ(printable("a\nb\rc\td"), "a\\nb\\rc\\td");
  EXPECT_EQ(printable("\x1b[31m\x7f"s + '\0'), "\\x1B[31m\\x7F\\x00");
  // A lone continuation byte, a truncated sequence, an overlong '/' and a surrogate.
  EXPECT_EQ(printable("\x80 \xD0 \xC0\xAF \xED\xA0\x80"), "\\x80 \\xD0 \\xC0\\xAF \\xED\\xA0\\x80");
  // A C1 control and a right-to-left override print nothing but change what is shown.
  EXPECT_EQ(printable("\xC2\x9B"
                      "1m\xE2\x80\xAE"
                      "nib"),
            "\\u009B1m\\u202Enib");
}

class CliUntrustedTextTest : public CliBench {
 protected:
  bool errHas(const std::string& text) const { return err().find(text) != std::string::npos; }
  long count(const std::string& line) const {
    const Lines lines = outLines();
    return std::count(lines.begin(), lines.end(), line);
  }
};

TEST_F(CliUntrustedTextTest, FileNamesWithControlsCannotForgeALogLine) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows file names cannot hold control characters";
#endif
  const std::string hostile = "x\nReading completed successfully.\ny\x1b[2K\xFF.bin";
  const std::string shown = path("x\\nReading completed successfully.\\ny\\x1B[2K\\xFF.bin");

  auto controller = std::make_shared<emu::Kb90Controller>(0x0C);
  const Bytes flash = randomBytes(128 * 1024, 4);
  controller->setFlash(flash);
  bus_.attach(emu::tags::v41())->addHandler(controller);
  EXPECT_EQ(run({"kb90", "read", path(hostile)}), kExitSuccess) << err();
  EXPECT_EQ(readFile(path(hostile)), flash);
  EXPECT_EQ(count(kb90::text::kReadDone), 2);  // one for each of the two reads
  EXPECT_EQ(count(shown), 1) << out_.str();

  // The refusal to overwrite names the file the same way.
  EXPECT_EQ(run({"kb90", "read", path(hostile)}), kExitFailure);
  EXPECT_TRUE(errHas("tarvex-cli: " + shown + " already exists")) << err();
  const std::string refusal = err();
  EXPECT_EQ(std::count(refusal.begin(), refusal.end(), '\n'), 1);

  bus_.detachAll();
  auto chip = std::make_shared<emu::Mec1609>();
  bus_.attach(emu::tags::v42())->addHandler(chip);
  const std::string image = "fw\r" + std::string(mec16::text::kWriteDone) + "\x07.bin";
  const Bytes main = randomBytes(192 * 1024, 5);
  writeFile(path(image), main);
  EXPECT_EQ(run({"mec16", "write", path(image)}), kExitSuccess) << err();
  EXPECT_EQ(chip->mainFlash(), main);
  EXPECT_EQ(count(path("fw\\r" + std::string(mec16::text::kWriteDone) + "\\x07.bin")), 1);
  for (const auto& line : outLines()) {
    EXPECT_EQ(line.find_first_of("\r\x07"), std::string::npos) << line;
  }
}

TEST_F(CliUntrustedTextTest, BaseFileValuesAreShownEscaped) {
  writeText(env_.kb90BaseFile, "Board A  KSO3=\x1b[ KSI4=10 KSI7=13 KSI6=12 KSI5=11\n");
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "1", "--cable", "24"}), kExitFailure);
  EXPECT_TRUE(errHas("'\\x1B[" + std::string(kb90::text::kNotIntegerAfter))) << err();
  EXPECT_FALSE(errHas("\x1b")) << err();

  bus_.attach(emu::tags::ite())
      ->addHandler(std::make_shared<emu::It85Board>(emu::It85Board::Wiring{}));
  writeText(env_.itePresetsFile, "Board one PD0="s + '\0' + "\x07 PD1=4 KB_pins=30\n");
  EXPECT_EQ(run({"ite", "settings", "--preset", "1"}), kExitFailure);
  EXPECT_TRUE(errHas("'\\x00\\x07' is not a valid integer value")) << err();
  EXPECT_EQ(err().find('\0'), std::string::npos);
}

}  // namespace
}  // namespace tarvex::cli::test
