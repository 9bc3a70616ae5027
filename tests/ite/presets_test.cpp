// The presets file and what a preset line does to the pin boxes: loading, the key order
// and its messages, value reading, and the mirroring for a reversed cable.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tools/ite/presets.h"
#include "tests/support/test_platform.h"

namespace tarvex {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kFullLine =
    "Acme Q17 rev2 PD0=1 PD1=2 PD2=3 PD3=4 PD4=5 PD5=6 PD6=7 PD7=8 BUSY=9 STB=10 AFD=11 "
    "INIT=12 SLIN=13 KSI4=14 KSI5=15 KB_pins=30";

PinAssignments untouched() {
  PinAssignments pins;
  pins.fill(0);
  pins[0] = kNoSelection;
  return pins;
}

TEST(PresetEntries, LfEndsEntriesCrIsDroppedAndAnUnterminatedLastLineIsNotLoaded) {
  EXPECT_EQ(parsePresetEntries("one\r\ntw\ro\n\nlast without end"),
            (Lines{"one", "two", ""}));
  EXPECT_EQ(parsePresetEntries(""), Lines{});
  EXPECT_EQ(parsePresetEntries("\n"), Lines{""});
}

TEST(PresetEntries, Windows1251LinesAreShownAsUtf8AndUtf8LinesStayAsTheyAre) {
  // "Плата" in Windows-1251, then the same word already in UTF-8.
  EXPECT_EQ(parsePresetEntries("\xCF\xEB\xE0\xF2\xE0 PD0=1\n"), Lines{"Плата PD0=1"});
  EXPECT_EQ(parsePresetEntries("Плата PD0=1\n"), Lines{"Плата PD0=1"});
}

TEST(PresetList, MissingFileGivesOnlyTheNoticeAndAFileGivesThePromptFirst) {
  const auto missing = loadPresetList("/nonexistent/dir/MB connection IT85XX.txt");
  EXPECT_TRUE(missing.fileMissing);
  EXPECT_EQ(missing.items, Lines{"File [MB connection IT85XX.txt] in /nonexistent/dir/ "
                                 "with the values not found! Read the instructions."});
  // The root of the C: drive is named only where the file is looked for there, and a
  // folder name cannot break the item into lines.
  EXPECT_EQ(loadPresetList("C:\\MB connection IT85XX.txt").items,
            Lines{"File [MB connection IT85XX.txt] at the root of the C: drive "
                  "with the values not found! Read the instructions."});
  EXPECT_EQ(loadPresetList("/tmp/a\nb/MB connection IT85XX.txt").items,
            Lines{"File [MB connection IT85XX.txt] in /tmp/a\\nb/ "
                  "with the values not found! Read the instructions."});

  const auto path = std::filesystem::temp_directory_path() / "tarvex_ite_presets_list.txt";
  std::ofstream(path, std::ios::binary) << "A PD0=1\r\nB PD0=2\r\nC";
  const auto list = loadPresetList(path.string());
  std::filesystem::remove(path);
  EXPECT_FALSE(list.fileMissing);
  EXPECT_EQ(list.items, (Lines{"Click to select presets for a laptop MB", "A PD0=1", "B PD0=2"}));
}

TEST(PresetList, PipeAtThePathDoesNotHangAndAHugeFileIsCut) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("tarvex_ite_presets_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto pipe = dir / "pipe.txt";
  if (test::makeFifo(pipe)) {
    EXPECT_TRUE(loadPresetList(pipe.string()).fileMissing);
  }

  // Half a gigabyte once took three times that in memory; only the first part is read now.
  const auto huge = dir / "huge.txt";
  std::ofstream(huge, std::ios::binary) << "A PD0=1\n";
  std::filesystem::resize_file(huge, std::uintmax_t{512} << 20);
  const auto list = loadPresetList(huge.string());
  EXPECT_FALSE(list.fileMissing);
  EXPECT_TRUE(list.cut);
  EXPECT_EQ(list.items, (Lines{"Click to select presets for a laptop MB", "A PD0=1"}));
  std::filesystem::remove_all(dir);
}

TEST(ApplyPreset, FullLineSetsEveryBoxByItsKey) {
  PinAssignments pins = untouched();
  const auto outcome = applyPreset(kFullLine, pins);
  EXPECT_EQ(outcome.status, PresetStatus::kApplied);
  // Boxes: PD0..PD7, STB#, AFD#, SLIN#, INIT#, BUSY, KSI4, KSI5.
  EXPECT_EQ(pins, (PinAssignments{1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 13, 12, 9, 14, 15}));
}

TEST(ApplyPreset, KeysAreFoundAnywhereAndTheFirstOccurrenceCounts) {
  PinAssignments pins = untouched();
  const std::string line =
      "KSI5=15 KSI4=14 SLIN=13 INIT=12 AFD=11 STB=10 BUSY=9 PD7=8 PD6=7 PD5=6 PD4=5 PD3=4 "
      "PD2=3 PD1=2 PD0=1 name PD0=31";
  EXPECT_EQ(applyPreset(line, pins).status, PresetStatus::kApplied);
  EXPECT_EQ(pins[0], 1);
}

TEST(ApplyPreset, MissingKeysAreReportedInKeyOrderAndStopTheLine) {
  PinAssignments pins = untouched();
  auto outcome = applyPreset("", pins);
  EXPECT_EQ(outcome.status, PresetStatus::kKeyMissing);
  EXPECT_EQ(outcome.message, "Not found information on PD0 !");
  EXPECT_EQ(pins, untouched());

  // BUSY is taken right after PD7, before the strobes.
  outcome = applyPreset("PD0=1 PD1=2 PD2=3 PD3=4 PD4=5 PD5=6 PD6=7 PD7=8 STB=10", pins);
  EXPECT_EQ(outcome.message, "Not found information on BUSY !");
  EXPECT_EQ(pins[7], 8);
  EXPECT_EQ(pins[8], 0);  // STB# was not reached

  // Keys are case-sensitive.
  outcome = applyPreset("pd0=1", pins);
  EXPECT_EQ(outcome.message, "Not found information on PD0 !");
}

TEST(ApplyPreset, PinOutOfRangeIsReportedWithTheBoxesBeforeItSet) {
  PinAssignments pins = untouched();
  auto outcome = applyPreset("PD0=5 PD1=6 PD2=7 PD3=0 PD4=9", pins);
  EXPECT_EQ(outcome.status, PresetStatus::kWrongPin);
  EXPECT_EQ(outcome.message, "Неверный номер ножки для PD3 !");
  EXPECT_EQ(pins[0], 5);
  EXPECT_EQ(pins[2], 7);
  EXPECT_EQ(pins[3], 0);
  EXPECT_EQ(pins[4], 0);

  outcome = applyPreset(std::string(kFullLine).replace(std::string(kFullLine).find("SLIN=13"), 7,
                                                       "SLIN=33"),
                        pins);
  EXPECT_EQ(outcome.message, "Неверный номер ножки для SLIN# !");
}

TEST(ApplyPreset, ValueIsOneDigitBeforeABlankOrTwoCharactersOtherwise) {
  PinAssignments pins = untouched();
  // Two digits then more text: only the two digits belong to the value.
  EXPECT_EQ(applyPreset("PD0=12abc", pins).message, "Not found information on PD1 !");
  EXPECT_EQ(pins[0], 12);
  // A one-digit value at the end of the line.
  EXPECT_EQ(applyPreset("PD0=7", pins).message, "Not found information on PD1 !");
  EXPECT_EQ(pins[0], 7);
  // A negative value reads as a number and is out of range.
  EXPECT_EQ(applyPreset("PD0=-1", pins).status, PresetStatus::kWrongPin);
}

TEST(ApplyPreset, ValueThatIsNotANumberOrIsMissingGoesToAMessageBox) {
  PinAssignments pins = untouched();
  auto outcome = applyPreset("PD0=5, PD1=6", pins);
  EXPECT_EQ(outcome.status, PresetStatus::kBadValue);
  EXPECT_EQ(outcome.message, "'5,' is not a valid integer value");
  EXPECT_EQ(pins, untouched());

  outcome = applyPreset("PD0=1 PD1=", pins);
  EXPECT_EQ(outcome.status, PresetStatus::kBadValue);
  EXPECT_EQ(outcome.message, "No value after 'PD1='");
  EXPECT_EQ(pins[0], 1);

  // A Cyrillic letter after the digit is one character, not half of one.
  outcome = applyPreset("PD0=5ж", pins);
  EXPECT_EQ(outcome.message, "'5ж' is not a valid integer value");
}

TEST(Mirror, KbPins30TurnsPinsRoundAndASecondMirrorRestoresThem) {
  PinAssignments pins = untouched();
  pins[0] = 1;
  pins[1] = 30;
  pins[2] = 15;
  pins[3] = 0;  // NC
  const PinAssignments before = pins;
  ASSERT_EQ(mirrorPins(kFullLine, pins).status, PresetStatus::kApplied);
  EXPECT_EQ(pins[0], 30);
  EXPECT_EQ(pins[1], 1);
  EXPECT_EQ(pins[2], 16);
  EXPECT_EQ(pins[3], 31);
  ASSERT_EQ(mirrorPins(kFullLine, pins).status, PresetStatus::kApplied);
  EXPECT_EQ(pins, before);
}

TEST(Mirror, KbPins32LeavesNcAndBoxesWithoutSelectionWithoutOne) {
  PinAssignments pins = untouched();  // box 0 without selection, the rest NC
  pins[5] = 32;
  ASSERT_EQ(mirrorPins("X KB_pins=32", pins).status, PresetStatus::kApplied);
  EXPECT_EQ(pins[0], kNoSelection);
  EXPECT_EQ(pins[1], kNoSelection);  // NC would become 33
  EXPECT_EQ(pins[5], 1);
}

TEST(Mirror, MissingOrWrongKbPinsChangesNothing) {
  PinAssignments pins = untouched();
  pins[0] = 4;
  const PinAssignments before = pins;
  EXPECT_EQ(mirrorPins("PD0=1", pins).message,
            "Not found information on the number of contact sockets keyboard to your MB!");
  EXPECT_EQ(mirrorPins("KB_pins=23", pins).message,
            "Wrong number of contact sockets keyboard (23 < xxx < 33)!");
  EXPECT_EQ(mirrorPins("KB_pins=33", pins).status, PresetStatus::kWrongPin);
  EXPECT_EQ(mirrorPins("KB_pins=3x", pins).status, PresetStatus::kBadValue);
  EXPECT_EQ(mirrorPins("KB_pins=", pins).status, PresetStatus::kBadValue);
  EXPECT_EQ(pins, before);
}

// Whatever bytes a presets file holds, parsing and applying its lines must not misbehave
// (the sanitizer builds turn any overrun into a failure) and boxes stay in range.
TEST(PresetRobustness, RandomAndTruncatedInputNeverLeavesBoxesOutOfRange) {
  std::mt19937 rng(1234);
  const std::string alphabet = "PD0123456789=KB_pins SLINTBUSYAFKSI\r\n\xD0\xB6\xFF,-";
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    const int length = static_cast<int>(rng() % 80);
    for (int i = 0; i < length; ++i) {
      bytes += (rng() % 4 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
    }
    for (const auto& entry : parsePresetEntries(bytes)) {
      PinAssignments pins = untouched();
      applyPreset(entry, pins);
      mirrorPins(entry, pins);
      for (int index : pins) {
        EXPECT_GE(index, kNoSelection);
        EXPECT_LE(index, kHighestPin);
      }
    }
    PinAssignments pins = untouched();
    applyPreset(bytes, pins);
    mirrorPins(bytes, pins);
  }
}

}  // namespace
}  // namespace tarvex
