// The wiring help: reading pins from an entry, mapping them onto the cable, and the
// window's rules for when to evaluate.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tools/kb90/base_file.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/wiring.h"
#include "tools/kb90/wiring_help.h"

namespace tarvex::kb90 {
namespace {

const std::string kExample = "board X KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=11";

std::string labelOf(const std::string& entry, const std::string& cable, bool straight = true) {
  const WiringOutcome outcome = evaluateWiring(entry, cable, straight);
  EXPECT_EQ(outcome.kind, WiringOutcome::Kind::kLabel) << outcome.text;
  return outcome.text;
}

std::string errorBoxOf(const std::string& entry, const std::string& cable) {
  const WiringOutcome outcome = evaluateWiring(entry, cable, true);
  EXPECT_EQ(outcome.kind, WiringOutcome::Kind::kErrorBox) << outcome.text;
  return outcome.text;
}

TEST(Kb90Wiring, WorkedExampleInBothOrientations) {
  EXPECT_EQ(labelOf(kExample, "24 pin", true), "Please connect GND and:  A5 B10 C13 D12 E11");
  EXPECT_EQ(labelOf(kExample, "24 pin", false), "Please connect GND and:  A20 B15 C12 D13 E14");
}

TEST(Kb90Wiring, ValueIsOneOrTwoCharactersAfterTheKey) {
  EXPECT_EQ(findPin("KSO3=7 more text", "KSO3=").pin, 7);
  EXPECT_EQ(findPin("text KSO3=7", "KSO3=").pin, 7);
  EXPECT_EQ(findPin("KSO3=12", "KSO3=").pin, 12);
  EXPECT_EQ(findPin("KSO3=12,", "KSO3=").pin, 12);    // nothing past two characters
  EXPECT_EQ(findPin("KSO3=123", "KSO3=").pin, 12);
  EXPECT_EQ(findPin("KSI5=3 KSI5=9", "KSI5=").pin, 3);  // the first occurrence counts
  EXPECT_EQ(findPin("kso3=7", "KSO3=").status, PinValue::Status::kMissing);  // case matters

  const PinValue notNumber = findPin("KSO3=x", "KSO3=");
  EXPECT_EQ(notNumber.status, PinValue::Status::kNotInteger);
  EXPECT_EQ(notNumber.text, "x");
  // A one-digit value followed by anything but a space reads both characters.
  EXPECT_EQ(findPin("KSO3=7,", "KSO3=").text, "7,");
  EXPECT_EQ(findPin("KSO3=7,", "KSO3=").status, PinValue::Status::kNotInteger);
  // A non-ASCII character is taken whole, never cut in the middle.
  EXPECT_EQ(findPin("KSO3=7\xD0\x96", "KSO3=").text, "7\xD0\x96");
}

TEST(Kb90Wiring, MalformedEntriesStopTheEvaluation) {
  EXPECT_EQ(labelOf("", "24 pin"), text::kDataFormatError);
  EXPECT_EQ(labelOf("KSO3=5 KSI4=10 KSI7=13 KSI6=12", "24 pin"), text::kDataFormatError);
  EXPECT_EQ(errorBoxOf("KSO3=x KSI4=10 KSI7=13 KSI6=12 KSI5=11", "24 pin"),
            "'x' is not a valid integer value");
  // Keys are looked up in order: a bad KSO3 is reported before a missing KSI5.
  EXPECT_EQ(errorBoxOf("KSO3=x KSI4=10", "24 pin"), "'x' is not a valid integer value");
  EXPECT_EQ(labelOf("KSI4=x", "24 pin"), text::kDataFormatError);
  // A key at the very end with nothing after '='.
  EXPECT_EQ(errorBoxOf("KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=", "24 pin"),
            "'' is not a valid integer value");
  // Pins count from 1: a pin 0 has no place on any cable.
  EXPECT_EQ(labelOf("KSO3=0 KSI4=10 KSI7=13 KSI6=12 KSI5=11", "24 pin"), text::kDataFormatError);
  // A typed cable text that does not start with a number.
  EXPECT_EQ(errorBoxOf(kExample, "Step 2 -> Select FFC cable you used"),
            "'St' is not a valid integer value");
}

TEST(Kb90Wiring, CableSizeBoundary) {
  const std::string atEdge = "KSO3=18 KSI4=1 KSI7=2 KSI6=3 KSI5=4";
  EXPECT_EQ(labelOf(atEdge, "18 pin", true), "Please connect GND and:  A18 B1 C2 D3 E4");
  EXPECT_EQ(labelOf(atEdge, "18 pin", false), "Please connect GND and:  A1 B18 C17 D16 E15");
  EXPECT_EQ(labelOf("KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=19", "18 pin"), text::kCableTooSmall);
  EXPECT_EQ(labelOf("KSO3=5 KSI4=10 KSI7=13 KSI6=25 KSI5=11", "24 pin"), text::kCableTooSmall);
  EXPECT_EQ(labelOf("KSO3=5 KSI4=10 KSI7=13 KSI6=25 KSI5=11", "25 pin"),
            "Please connect GND and:  A5 B10 C13 D25 E11");
}

TEST(Kb90Wiring, SampleBaseFileMapsEveryBoardOntoA32PinCable) {
  const auto file = loadBaseFile(KB90_SAMPLE_BASE_FILE);
  ASSERT_TRUE(file.has_value());
  const auto* entries = &file->entries;
  ASSERT_GE(entries->size(), 10u);
  for (const auto& entry : *entries) {
    EXPECT_EQ(labelOf(entry, "32 pin").rfind(text::kConnectPrefix, 0), 0u) << entry;
  }
}

// The wiring controls as a test sees them.
class RecordingWiringView : public WiringView {
 public:
  void addBoardItems(const std::vector<std::string>& items) override {
    boards.insert(boards.end(), items.begin(), items.end());
  }
  void setChoicesEnabled(bool on) override { enabled = on; }
  void setChoiceText(WiringChoice choice, const std::string& text) override {
    texts[choice] = text;
  }
  void setChoiceColor(WiringChoice choice, ChoiceColor color) override { colors[choice] = color; }
  void setResultText(const std::string& text) override {
    result = text;
    ++resultChanges;
  }
  void showWiringError(const std::string& text) override { errors.push_back(text); }

  std::vector<std::string> boards;
  bool enabled = false;
  std::map<WiringChoice, std::string> texts;
  std::map<WiringChoice, ChoiceColor> colors;
  std::string result = text::kResultAtStart;
  int resultChanges = 0;
  std::vector<std::string> errors;
};

class Kb90WiringHelp : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kb90_wiring_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string writeBase(const std::string& bytes) {
    const auto path = dir_ / "base.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  std::filesystem::path dir_;
  RecordingWiringView view_;
  WiringHelp help_{view_};
};

TEST_F(Kb90WiringHelp, MissingBaseFileLeavesTheChoicesDisabled) {
  EXPECT_FALSE(help_.load((dir_ / "absent\tname.txt").string()));
  EXPECT_EQ(view_.result, std::string(text::kNoBaseFile) + "\nFile not found: " +
                              (dir_ / "absent\\tname.txt").string());
  EXPECT_FALSE(view_.enabled);
  EXPECT_EQ(view_.colors[WiringChoice::kBoard], ChoiceColor::kButtonFace);
  EXPECT_EQ(view_.colors[WiringChoice::kCable], ChoiceColor::kButtonFace);
  EXPECT_TRUE(view_.boards.empty());
}

TEST_F(Kb90WiringHelp, LoadedBaseFileFillsTheListAndMarksChoicesToMake) {
  EXPECT_TRUE(help_.load(writeBase(kExample + "\r\n\r\nlast line without end")));
  EXPECT_TRUE(view_.enabled);
  EXPECT_EQ(view_.result, "");
  EXPECT_EQ(view_.boards, (std::vector<std::string>{kExample, ""}));
  EXPECT_EQ(view_.texts[WiringChoice::kBoard], text::kChooseBoard);
  EXPECT_EQ(view_.texts[WiringChoice::kCable], text::kChooseCable);
  EXPECT_EQ(view_.colors[WiringChoice::kBoard], ChoiceColor::kYellow);
  EXPECT_EQ(view_.colors[WiringChoice::kCable], ChoiceColor::kYellow);
}

TEST_F(Kb90WiringHelp, EvaluatesOnlyOnceBothChoicesAreMade) {
  ASSERT_TRUE(help_.load(writeBase(kExample + "\n")));
  const int before = view_.resultChanges;
  // Cable first: nothing until the mainboard is chosen; the check box alone does nothing.
  help_.cableSelected({"Step 1 -> Select MB", "24 pin", true});
  EXPECT_EQ(view_.colors[WiringChoice::kCable], ChoiceColor::kButtonFace);
  EXPECT_EQ(view_.colors[WiringChoice::kBoard], ChoiceColor::kYellow);
  help_.orientationClicked({"Step 1 -> Select MB", "24 pin", false});
  EXPECT_EQ(view_.resultChanges, before);

  help_.boardSelected({kExample, "24 pin", true});
  EXPECT_EQ(view_.result, "Please connect GND and:  A5 B10 C13 D12 E11");
  help_.orientationClicked({kExample, "24 pin", false});
  EXPECT_EQ(view_.result, "Please connect GND and:  A20 B15 C12 D13 E14");
}

TEST_F(Kb90WiringHelp, EmptyEntryAndBadValuesKeepTheirOwnOutcome) {
  ASSERT_TRUE(help_.load(writeBase("\nKSO3=x\n" + kExample + "\n")));
  help_.boardSelected({"", "24 pin", true});
  help_.cableSelected({"", "24 pin", true});
  EXPECT_EQ(view_.result, text::kDataFormatError);

  help_.boardSelected({kExample, "24 pin", true});
  ASSERT_EQ(view_.result, "Please connect GND and:  A5 B10 C13 D12 E11");
  // A value that is not a number shows a message box and leaves the label alone.
  help_.boardSelected({"KSO3=x", "24 pin", true});
  EXPECT_EQ(view_.errors, std::vector<std::string>{"'x' is not a valid integer value"});
  EXPECT_EQ(view_.result, "Please connect GND and:  A5 B10 C13 D12 E11");
}

}  // namespace
}  // namespace tarvex::kb90
