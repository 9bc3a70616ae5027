#include "tools/ite/ite_tool.h"

#include <cstdio>

#include "frame/time_stamp.h"
#include "link/adapter_link.h"
#include "tools/ite/ite_commands.h"
#include "tools/ite/ite_messages.h"

namespace tarvex {
namespace {

constexpr IteButton kAllButtons[] = {IteButton::kSetup, IteButton::kCheck, IteButton::kRead,
                                     IteButton::kWrite, IteButton::kExit};

std::string hexByte(std::uint8_t byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

}  // namespace

IteTool::IteTool(FtBus& bus, ToolView& view, IteControls& controls, IteBounds bounds)
    : bus_(bus), view_(view), controls_(controls), bounds_(bounds) {}

void IteTool::formCreate(const std::string& presetsPath) {
  for (const char* line : ite_text::kHelp) view_.logLine(line);
  view_.setGaugeMaximum(kIteGauge, kPages);
  view_.setGaugeProgress(kIteGauge, 1);
  view_.setGaugeMaximum(kIteSpeedGauge, 256);
  view_.setGaugeProgress(kIteSpeedGauge, 0);
  view_.setGaugeColor(kIteSpeedGauge, colors::kYellow);
  loadPresets(presetsPath);
}

void IteTool::loadPresets(const std::string& presetsPath) {
  PresetList list = loadPresetList(presetsPath);
  presetItems_ = std::move(list.items);
  controls_.setPresetItems(presetItems_, list.fileMissing);
  if (list.cut) view_.logLine(ite_text::kPresetFileCut);
  controls_.selectPresetItem(0);
  selectedPreset_ = 0;
}

PinAssignments IteTool::readPins() const {
  PinAssignments pins{};
  for (int box = 0; box < kPinBoxCount; ++box) pins[box] = controls_.pinIndex(box);
  return pins;
}

void IteTool::showPins(const PinAssignments& pins) {
  for (int box = 0; box < kPinBoxCount; ++box) controls_.setPinIndex(box, pins[box]);
}

void IteTool::report(const PresetOutcome& outcome) {
  switch (outcome.status) {
    case PresetStatus::kApplied:
      break;
    case PresetStatus::kKeyMissing:
    case PresetStatus::kWrongPin:
      view_.logLine(outcome.message);
      break;
    case PresetStatus::kBadValue:
      view_.showErrorBox(outcome.message);
      break;
  }
}

bool IteTool::presetSelected(int item) {
  selectedPreset_ = item;
  controls_.setOrientationEnabled(false);
  // Item 0 is the prompt (or the missing-file notice): it carries no preset.
  if (item <= 0 || item >= static_cast<int>(presetItems_.size())) return false;

  // Every preset is taken for a cable plugged pin 1 to pin 1. Checking the box from its
  // unchecked state is a click, so it mirrors once first; the keys then overwrite the boxes.
  if (!controls_.orientationChecked()) {
    controls_.setOrientationChecked(true);
    mirrorSelected();
  }
  PinAssignments pins = readPins();
  const PresetOutcome outcome = applyPreset(presetItems_[item], pins);
  showPins(pins);
  report(outcome);
  const bool applied = outcome.status == PresetStatus::kApplied;
  if (applied) controls_.setOrientationEnabled(true);
  return applied;
}

bool IteTool::orientationClicked() { return mirrorSelected(); }

bool IteTool::mirrorSelected() {
  if (selectedPreset_ < 0 || selectedPreset_ >= static_cast<int>(presetItems_.size())) {
    return false;
  }
  PinAssignments pins = readPins();
  const PresetOutcome outcome = mirrorPins(presetItems_[selectedPreset_], pins);
  const bool mirrored = outcome.status == PresetStatus::kApplied;
  if (mirrored) showPins(pins);
  report(outcome);
  return mirrored;
}

void IteTool::setButtons(bool enabled, IteButton except) {
  for (IteButton button : kAllButtons) {
    if (button != except) controls_.setButtonEnabled(button, enabled);
  }
}

void IteTool::setAllButtons(bool enabled) {
  for (IteButton button : kAllButtons) controls_.setButtonEnabled(button, enabled);
}

void IteTool::logChipFailure(const char* prefix, const char* code) {
  view_.logLine(std::string(prefix) + "(" + code + ")");
}

bool IteTool::attach() {
  return iteRequest(link_, {ite_cmd::kAttach}, bounds_.attach) == ite_cmd::kDone;
}

bool IteTool::sendSettings() {
  // The button is disabled while a read or write holds the link; opening another link
  // then would take the worker's away.
  if (!mode_.idle()) return false;
  view_.logLine(timeStampLine(kStampCurrentTime));
  if (OpenAdapterLink(bus_, link_params::kIte, link_, view_) != kLinkReady) return false;
  view_.logLine(ite_text::kSendingSettings);

  if (iteRequest(link_, {ite_cmd::kSettings}, bounds_.reply) != ite_cmd::kSettingsReady) {
    view_.logLine(ite_text::kSettingsRefused);
    CloseAdapterLink(link_);
    return false;
  }
  const PinAssignments pins = readPins();
  bool accepted = true;
  for (const int box : kSendOrder) {
    const PinBox& pinBox = kPinBoxes[box];
    const auto reply =
        iteRequest(link_,
                   {static_cast<std::uint8_t>(pinBox.code[0]), static_cast<std::uint8_t>(pinBox.code[1]),
                    settingsByte(pins[box])},
                   bounds_.reply);
    if (reply != ite_cmd::kAccepted) {
      accepted = false;
      break;
    }
  }
  if (accepted) {
    accepted = iteRequest(link_, {ite_cmd::kFinish, ite_cmd::kFinish, ite_cmd::kFinish},
                          bounds_.reply) == ite_cmd::kAccepted;
  }
  if (!accepted) {
    view_.logLine(ite_text::kSettingsProtocol);
    CloseAdapterLink(link_);
    return false;
  }
  view_.logLine(ite_text::kSettingsSent);
  setButtons(true, IteButton::kSetup);
  CloseAdapterLink(link_);
  return true;
}

bool IteTool::checkConnection() {
  if (!mode_.idle()) return false;
  view_.logLine("");
  view_.logLine(ite_text::kChecking);
  if (OpenAdapterLink(bus_, link_params::kIte, link_, view_) != kLinkReady) return false;
  view_.logLine(ite_text::kProgrammerReady);
  view_.logLine("");
  view_.logLine(ite_text::kPlugNow);

  auto fail = [&](const char* code) {
    logChipFailure(ite_text::kNoChipEnglish, code);
    iteSignOff(link_, false, bounds_.drain);
    return false;
  };
  if (!attach()) return fail("05");
  const auto id1 = iteRegisterRead(link_, ite_reg::kId1, bounds_.reply);
  if (!id1) return fail("01");
  const auto id2 = iteRegisterRead(link_, ite_reg::kId2, bounds_.reply);
  if (!id2) return fail("02");
  const auto revision = iteRegisterRead(link_, ite_reg::kRevision, bounds_.reply);
  if (!revision) return fail("03");

  // An IT85xx shows "85" somewhere in its identification; any other part is not ours.
  const std::string text = ite_text::kIdPrefix + hexByte(*id1) + hexByte(*id2) +
                           ite_text::kRevisionPrefix + hexByte(*revision);
  if (text.find("85") == std::string::npos) return fail("04");
  view_.logLine(text);
  iteSignOff(link_, true, bounds_.drain);
  return true;
}

bool IteTool::exitRequested() {
  if (!mode_.idle()) return false;
  view_.clearLog();
  view_.setGaugeProgress(kIteGauge, 0);
  return true;
}

bool IteTool::runWorker() {
  succeeded_ = false;
  const std::string mode = mode_.get();
  if (mode == kModeReadIte) {
    readStream();
  } else if (mode == kModeWriteIte) {
    writeStream();
  }
  return succeeded_;
}

void IteTool::failStart() {
  iteSignOff(link_, false, bounds_.drain);
  saved_.abandon();  // nothing was read yet: nothing to keep
  source_ = {};
  mode_.set(kModeNone);
  setAllButtons(true);
}

void IteTool::finishStream(bool success) {
  succeeded_ = success;
  iteSignOff(link_, success, bounds_.drain);
  view_.logLine(timeStampLine(kStampCurrentTime));
  mode_.set(kModeNone);
  setAllButtons(true);
}

bool IteTool::runCycles(std::span<const ite_reg::RegisterWrite> cycles, const char* prefix) {
  for (const auto& cycle : cycles) {
    if (!iteRegisterWrite(link_, cycle.reg, cycle.value, bounds_.reply)) {
      logChipFailure(prefix, cycle.code);
      return false;
    }
  }
  return true;
}

}  // namespace tarvex
