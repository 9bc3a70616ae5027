#pragma once
// Recording views with the tool-specific controls of the KB90xx, MEC16 and ITE windows, for
// benches that only need to know where the buttons and indicators ended up.

#include <array>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/recording_view.h"
#include "tools/ite/ite_controls.h"
#include "tools/ite/pin_boxes.h"
#include "tools/kb90/kb90_view.h"
#include "tools/mec16/mec16_view.h"

namespace tarvex::reliability {

class Kb90BenchView : public test::RecordingView, public kb90::Kb90View {
 public:
  void setButtonEnabled(kb90::Kb90Button button, bool enabled) override {
    std::lock_guard lock(mutex_);
    buttons_[button] = enabled;
  }
  bool allButtonsEnabled() const {
    std::lock_guard lock(mutex_);
    for (const auto& [button, enabled] : buttons_) {
      if (!enabled) return false;
    }
    return true;
  }

 private:
  std::map<kb90::Kb90Button, bool> buttons_;
};

class Mec16BenchView : public test::RecordingView, public mec16::Mec16View {
 public:
  void logLine(const std::string& line) override { RecordingView::logLine(line); }
  void clearLog() override { RecordingView::clearLog(); }
  void setGaugeMaximum(int g, int m) override { RecordingView::setGaugeMaximum(g, m); }
  void setGaugeProgress(int g, int p) override { RecordingView::setGaugeProgress(g, p); }
  void setGaugeColor(int g, Rgb c) override { RecordingView::setGaugeColor(g, c); }
  void setStartButtonsEnabled(bool e) override { RecordingView::setStartButtonsEnabled(e); }
  std::optional<std::string> chooseFile(const FileDialogSpec& s) override {
    return RecordingView::chooseFile(s);
  }
  void showErrorBox(const std::string& t) override { RecordingView::showErrorBox(t); }
  void setIndicator(mec16::Indicator, Rgb) override {}
  // Questions starting with `prefix` are answered No when `refuse`, others as told.
  void refuseQuestionsStartingWith(std::string prefix, bool refuse) {
    refused_ = refuse ? std::move(prefix) : std::string();
  }
  bool askYesNo(const std::string& question) override {
    const bool yes = RecordingView::askYesNo(question);
    return yes && (refused_.empty() || question.rfind(refused_, 0) != 0);
  }

 private:
  std::string refused_;
};

class IteBenchView : public test::RecordingView, public IteControls {
 public:
  void setButtonEnabled(IteButton button, bool enabled) override {
    std::lock_guard lock(mutex_);
    buttons_[static_cast<int>(button)] = enabled;
  }
  bool allButtonsEnabled() const {
    std::lock_guard lock(mutex_);
    for (bool b : buttons_) {
      if (!b) return false;
    }
    return true;
  }
  void setPresetItems(const std::vector<std::string>&, bool) override {}
  void selectPresetItem(int) override {}
  int pinIndex(int box) const override { return pins[box]; }
  void setPinIndex(int box, int index) override { pins[box] = index; }
  bool orientationChecked() const override { return true; }
  void setOrientationChecked(bool) override {}
  void setOrientationEnabled(bool) override {}

  PinAssignments pins{};

 private:
  std::array<bool, 5> buttons_{true, true, true, true, true};
};

}  // namespace tarvex::reliability
