// The keyboard scan: started, paced by ticks the bench raises itself, two keys pressed on
// the way, then stopped. A scan has no success line: it succeeded when it ran until STOP
// with nothing reported wrong, and its cells show exactly the keys pressed.

#include <thread>

#include "emulator/keyboard/emulated_keyboard.h"
#include "tests/keyboard/recording_keyboard_view.h"
#include "tests/reliability/operations.h"
#include "tools/keyboard/keyboard_messages.h"
#include "tools/keyboard/keyboard_tool.h"

namespace tarvex::reliability {
namespace {

namespace text = keyboard::text;
using Cell = std::pair<int, int>;

constexpr Cell kPresses[] = {{3, 7}, {10, 20}};
constexpr int kRounds = 3;

class KeyboardBench final : public Bench {
 public:
  explicit KeyboardBench(const BenchConfig& config)
      : KeyboardBench(config, std::make_shared<emu::EmulatedKeyboard>()) {}

  OpKind kind() const override { return OpKind::kScan; }
  bool applies(Fault fault) const override {
    return fault != Fault::kBadStatus && Bench::applies(fault);
  }

  void run() override {
    std::thread worker;
    reported_ = false;
    parksBefore_ = tool_.ticks().waitsBegun();
    started_ = tool_.startScanClick(
        [&] { worker = std::thread([this] { reported_ = tool_.runScan(); }); });
    if (!started_) return;
    for (int round = 1; round <= kRounds + 1; ++round) {
      if (!awaitParked(round)) break;
      if (round > kRounds) break;
      if (round <= static_cast<int>(std::size(kPresses))) {
        keyboard_->pressKey(kPresses[round - 1].first, kPresses[round - 1].second);
        pressed_.push_back(kPresses[round - 1]);
      }
      tool_.timerTick();
    }
    // STOP, and the tick that lets a parked worker take its last reply and end.
    tool_.exitClick();
    tool_.timerTick();
    worker.join();
  }

  std::vector<std::string> lines() const override { return view_.lines(); }
  // Keys pressed while the link was lost are still remembered by the keyboard and come in
  // the next scan's first reply.
  void clearView() override {
    view_.clearLog();
    cellsSeen_ = view_.changedCells().size();
    const std::size_t pending = keyboard_->pendingPresses();
    expected_.assign(pressed_.end() - static_cast<long>(pending), pressed_.end());
    expected_.insert(expected_.end(), std::begin(kPresses), std::end(kPresses));
  }
  bool claimedSuccess() const override {
    return started_ && !hasLine(text::kAdapterSilent) && !hasLine(text::kLinkLost) &&
           !hasLine(text::kTimerStopped);
  }
  FailureEnd failureEnd() const override { return FailureEnd::kQuit; }
  bool outcomeBytesMeaningful() const override { return false; }
  std::optional<std::string> modeWord() const override { return tool_.mode().get(); }
  std::optional<bool> buttonsEnabled() const override {
    const auto states = view_.buttonStates();
    return states.empty() || states.back();
  }
  // A corrupted reply may well name another key; that is what the adapter said.
  std::optional<bool> dataIntact() const override {
    if (fault().kind == Fault::kCorrupt) return std::nullopt;
    const auto changed = view_.changedCells();
    return std::vector<Cell>(changed.begin() + static_cast<long>(cellsSeen_), changed.end()) ==
           expected_;
  }

 protected:
  std::vector<std::string> successLines() const override { return {}; }
  std::vector<std::string> failurePrefixes() const override {
    return {text::kAdapterSilent, text::kLinkLost, text::kTimerStopped};
  }

 private:
  KeyboardBench(const BenchConfig& config, std::shared_ptr<emu::EmulatedKeyboard> keyboard)
      : Bench(config, emu::tags::v41(), keyboard),
        keyboard_(std::move(keyboard)),
        tool_(bus_, view_, view_, {.reply = config.bound, .tick = 20 * config.bound}) {}

  // Waits until the worker has taken its reply and parked for tick `round` of this scan;
  // false when the scan ended first.
  bool awaitParked(int round) {
    const std::uint64_t parks = parksBefore_ + static_cast<std::uint64_t>(round);
    const auto deadline = std::chrono::steady_clock::now() + 10 * config_.bound;
    while (std::chrono::steady_clock::now() < deadline) {
      if (tool_.ticks().awaitWaitsBegun(parks, std::chrono::milliseconds(5))) return true;
      if (!tool_.scanning()) return false;
    }
    return false;
  }

  std::shared_ptr<emu::EmulatedKeyboard> keyboard_;
  test::RecordingKeyboardView view_;
  keyboard::KeyboardTool tool_;
  bool started_ = false;
  std::size_t cellsSeen_ = 0;
  std::vector<Cell> pressed_;
  std::vector<Cell> expected_{std::begin(kPresses), std::end(kPresses)};
  std::uint64_t parksBefore_ = 0;
};

}  // namespace

std::unique_ptr<Bench> makeKeyboardScan(const BenchConfig& config) {
  return std::make_unique<KeyboardBench>(config);
}

}  // namespace tarvex::reliability
