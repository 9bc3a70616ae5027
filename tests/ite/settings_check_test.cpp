// The preset list and pin boxes in the tool, the settings exchange and the connection
// check, against the software adapter with an IT85xx board behind it.

#include "tests/ite/ite_fixture.h"

namespace tarvex::test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kAcme =
    "Acme Q17 PD0=3 PD1=4 PD2=5 PD3=6 PD4=7 PD5=8 PD6=9 PD7=10 BUSY=11 STB=12 AFD=13 "
    "INIT=15 SLIN=14 KSI4=16 KSI5=17 KB_pins=30";

class IteTool_ : public IteBench {
 protected:
  void loadPresets(const std::string& text) {
    writeFile(path("presets.txt"), Bytes(text.begin(), text.end()));
    tool_.loadPresets(path("presets.txt"));
  }
};

TEST_F(IteTool_, WindowCreationShowsHelpGaugesAndThePresetList) {
  writeFile(path("presets.txt"), Bytes{'A', '\n'});
  tool_.formCreate(path("presets.txt"));
  const auto lines = view_.lines();
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines.front(), "To connect:");
  EXPECT_EQ(lines[7], "2 Set the control signals and click \"Send settings\".");
  EXPECT_EQ(lines.back(), "");
  EXPECT_EQ(view_.gaugeMaximum(kIteGauge), 512);
  EXPECT_EQ(view_.gaugeProgress(kIteGauge), std::vector<int>{1});
  EXPECT_EQ(view_.gaugeMaximum(kIteSpeedGauge), 256);
  EXPECT_EQ(view_.gaugeColor(kIteSpeedGauge), colors::kYellow);
  EXPECT_EQ(view_.items_, (Lines{"Click to select presets for a laptop MB", "A"}));
  EXPECT_EQ(view_.selectedItem_, 0);
  EXPECT_FALSE(view_.fileMissing_);

  tool_.loadPresets(path("missing.txt"));
  EXPECT_TRUE(view_.fileMissing_);
  EXPECT_EQ(view_.items_.size(), 1u);
}

TEST_F(IteTool_, PickingAPresetFillsTheBoxesAndEnablesTheOrientationBox) {
  loadPresets(std::string(kAcme) + "\n\nBad PD0=5, x\n");
  tool_.presetSelected(1);
  EXPECT_EQ(view_.pins_, boxesFor(benchWiring()));
  EXPECT_TRUE(view_.orientationEnabled_);
  EXPECT_TRUE(view_.checked_);

  // The empty entry: the first key is missing, the box is disabled again.
  tool_.presetSelected(2);
  EXPECT_TRUE(view_.hasLine("Not found information on PD0 !"));
  EXPECT_FALSE(view_.orientationEnabled_);

  // A conversion failure is a message box, not a log line.
  tool_.presetSelected(3);
  EXPECT_EQ(view_.errorBoxes(), Lines{"'5,' is not a valid integer value"});
  EXPECT_FALSE(view_.orientationEnabled_);

  tool_.presetSelected(1);
  tool_.presetSelected(0);
  EXPECT_FALSE(view_.orientationEnabled_);
  EXPECT_EQ(view_.pins_, boxesFor(benchWiring()));
}

TEST_F(IteTool_, ClicksMirrorTheBoxesAndAPresetOnAnUncheckedBoxMirrorsBeforeItsKeys) {
  loadPresets(std::string(kAcme) + "\nNoPins PD0=1 PD1=2 PD2=3 PD3=4 PD4=5 PD5=6 PD6=7 PD7=8 "
                                   "BUSY=9 STB=10 AFD=11 INIT=12 SLIN=13 KSI4=14 KSI5=15\n");
  tool_.presetSelected(1);
  view_.checked_ = false;  // the user's click toggled the mark
  tool_.orientationClicked();
  EXPECT_EQ(view_.pins_[0], 28);  // 30 + 1 - 3
  EXPECT_EQ(view_.pins_[14], 14);  // KSI5: 30 + 1 - 17
  view_.checked_ = true;
  tool_.orientationClicked();
  EXPECT_EQ(view_.pins_, boxesFor(benchWiring()));

  // Unchecked, then a line without KB_pins: the forced check mirrors (and fails with its
  // message), then the keys set every box anyway.
  view_.checked_ = false;
  tool_.presetSelected(2);
  EXPECT_TRUE(view_.checked_);
  EXPECT_TRUE(view_.hasLine(
      "Not found information on the number of contact sockets keyboard to your MB!"));
  EXPECT_EQ(view_.pins_[0], 1);
  EXPECT_TRUE(view_.orientationEnabled_);
}

TEST_F(IteTool_, SendSettingsRightAfterStartSendsPd0AsFfAndTheOthersAsNc) {
  tool_.sendSettings();
  EXPECT_TRUE(view_.hasLineStartingWith("Current time  "));
  EXPECT_TRUE(view_.hasLine("Send the settings to MB."));
  EXPECT_TRUE(view_.hasLine("All settings sent successfully."));
  const Bytes expected = {'S', 'I', 'N', 0, 'D', 'S', 0, 'A', 'S', 0, 'W', 'R', 0,
                          'K', '4', 0, 'K', '5', 0, 'B', 'L', 0, 'd', '0', 0xFF,
                          'd', '1', 0, 'd', '2', 0, 'd', '3', 0, 'd', '4', 0, 'd', '5', 0,
                          'd', '6', 0, 'd', '7', 0, 'Q', 'Q', 'Q'};
  EXPECT_EQ(sentAfterHandshake(), expected);
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_TRUE(view_.allButtonsEnabled());
  EXPECT_EQ(board_->assignments()[emu::It85Board::kPd0], 0xFF);
}

TEST_F(IteTool_, TypedTextGoesOutAsFfAndEachBoxUnderItsOwnCode) {
  view_.pins_ = boxesFor(benchWiring());
  view_.pins_[11] = kNoSelection;  // INIT# box holds text that is not in the list
  tool_.sendSettings();
  const Bytes sent = sentAfterHandshake();
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ((Bytes{sent[1], sent[2], sent[3]}), (Bytes{'I', 'N', 0xFF}));
  const auto held = board_->assignments();
  EXPECT_EQ(held[emu::It85Board::kSlin], 14);
  EXPECT_EQ(held[emu::It85Board::kBusy], 11);
  EXPECT_EQ(held[emu::It85Board::kPd7], 10);
}

TEST_F(IteTool_, SettingsRefusalsEndTheExchangeWithTheLinkClosed) {
  board_->setFaults({.settingsRefused = true});
  tool_.sendSettings();
  EXPECT_TRUE(view_.hasLine("Failed to enter the setting."));
  EXPECT_EQ(sentAfterHandshake(), Bytes{'S'});

  board_->setFaults({.assignmentRejectedAt = 3});
  tool_.sendSettings();
  EXPECT_TRUE(view_.hasLine("Ошибка протокола при настройке выводов."));
  EXPECT_EQ(sentAfterHandshake().size(), 1u + 3 * 3);  // nothing after the rejected one
  EXPECT_FALSE(view_.hasLine("All settings sent successfully."));
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(IteTool_, SilentAdapterEndsTheExchangeInsteadOfWaitingForEver) {
  adapter_->setFaults({.stopAfterBytes = 8});  // the firmware tag, then nothing
  tool_.sendSettings();
  EXPECT_TRUE(view_.hasLine("Failed to enter the setting."));
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(IteTool_, AdapterWithoutIteFirmwareGetsNothingButTheTagRequest) {
  adapter_->setTag(emu::tags::v41());
  tool_.checkConnection();
  tool_.sendSettings();
  EXPECT_TRUE(view_.hasLine("It is necessary to update the firmware programmer!"));
  for (const auto& open : adapter_->receivedPerOpen()) EXPECT_EQ(open, Bytes{'B'});
}

struct IdCase {
  std::array<std::uint8_t, 3> id;
  const char* line;  // the logged identification, or the failure message
  std::uint8_t outcome;
};

// Shown in test names; the default would print the bytes of the object, pointer included.
void PrintTo(const IdCase& c, std::ostream* os) { *os << c.line; }

class IteCheck : public IteBench, public testing::WithParamInterface<IdCase> {};

TEST_P(IteCheck, IdentificationWith85AnywherePasses) {
  settingsInAdapter();
  const IdCase& c = GetParam();
  board_->setIdentity(c.id[0], c.id[1], c.id[2]);
  tool_.checkConnection();
  EXPECT_TRUE(view_.hasLine(c.line)) << c.line;
  const Bytes expected = {'T', 'A', 0x00, 'R', 'A', 0x01, 'R', 'A', 0x02, 'R', c.outcome};
  EXPECT_EQ(sentAfterHandshake(), expected);
  EXPECT_FALSE(adapter_->isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Ids, IteCheck,
    testing::Values(IdCase{{0x85, 0x02, 0x01}, "Найден ID мульта -> 8502 ревизия -> 01", 'I'},
                    IdCase{{0x18, 0x5A, 0x00}, "Найден ID мульта -> 185A ревизия -> 00", 'I'},
                    IdCase{{0x87, 0x01, 0x85}, "Найден ID мульта -> 8701 ревизия -> 85", 'I'},
                    IdCase{{0x87, 0x02, 0x01},
                           "ITE chip we do not respond, check the connection and output "
                           "settings. MB powered? (04)",
                           'O'}),
    // Names from the ID bytes: stable between test discovery and the run.
    [](const testing::TestParamInfo<IdCase>& info) {
      char name[16];
      std::snprintf(name, sizeof name, "Id%02X%02X%02X", info.param.id[0], info.param.id[1],
                    info.param.id[2]);
      return std::string(name);
    });

TEST_F(IteTool_, CheckStopsAtTheFirstUnansweredStepWithItsCode) {
  settingsInAdapter();
  board_->setFaults({.selectFailsAt = 2});
  tool_.checkConnection();
  EXPECT_EQ(view_.lines().back(),
            "ITE chip we do not respond, check the connection and output settings. MB powered? "
            "(02)");
  EXPECT_FALSE(view_.hasLineStartingWith("Найден ID"));
  EXPECT_EQ(sentAfterHandshake(), (Bytes{'T', 'A', 0x00, 'R', 'A', 0x01, 'O'}));
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(IteTool_, OnlyEAnswerToARegisterSelectIsAFailure) {
  settingsInAdapter();
  board_->setIdentity(0x85, 0x02, 0x01);
  // Another byte than 'o' still selected the register: the check reads on and passes.
  board_->setFaults({.selectReply = 'x'});
  tool_.checkConnection();
  EXPECT_TRUE(view_.hasLine("Найден ID мульта -> 8502 ревизия -> 01"));
  EXPECT_EQ(sentAfterHandshake(),
            (Bytes{'T', 'A', 0x00, 'R', 'A', 0x01, 'R', 'A', 0x02, 'R', 'I'}));

  // 'e' is a select the controller did not answer, whatever happened behind it.
  board_->setFaults({.selectReply = 'e'});
  adapter_->clearRecords();
  tool_.checkConnection();
  EXPECT_EQ(view_.lines().back(),
            "ITE chip we do not respond, check the connection and output settings. MB powered? "
            "(01)");
  EXPECT_EQ(sentAfterHandshake(), (Bytes{'T', 'A', 0x00, 'O'}));
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(IteTool_, CheckWithWrongSettingsOrNoAnswerToTheAttachReportsCode05) {
  // Nothing sent yet: the adapter holds no assignments, the controller stays unreachable.
  tool_.checkConnection();
  const std::string code05 =
      "ITE chip we do not respond, check the connection and output settings. MB powered? (05)";
  EXPECT_EQ(view_.lines().back(), code05);
  EXPECT_EQ(sentAfterHandshake(), (Bytes{'T', 'O'}));

  // The right settings for a cable plugged the other way round do not reach it either.
  view_.pins_ = boxesFor(emu::It85Board::mirrored(benchWiring(), 30));
  tool_.sendSettings();
  tool_.checkConnection();
  EXPECT_EQ(view_.lines().back(), code05);

  // An attach that is never answered ends at its bound.
  settingsInAdapter();
  board_->setFaults({.attachSilent = true});
  view_.clearLog();
  tool_.checkConnection();
  EXPECT_EQ(view_.lines().back(), code05);
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(IteTool_, MirroredBoardIsReachedAfterMirroringThePreset) {
  board_->setWiring(emu::It85Board::mirrored(benchWiring(), 30));
  loadPresets(std::string(kAcme) + "\n");
  tool_.presetSelected(1);
  view_.checked_ = false;
  tool_.orientationClicked();
  tool_.sendSettings();
  tool_.checkConnection();
  EXPECT_TRUE(view_.hasLine("Найден ID мульта -> 8502 ревизия -> 01"));
}

}  // namespace
}  // namespace tarvex::test
