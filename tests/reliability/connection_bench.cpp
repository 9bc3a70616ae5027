// The connection test: its only reply is the firmware tag, so the line faults land in the
// three tag bytes and a slow reply is a slow tag.

#include <algorithm>

#include "link/connection_test.h"
#include "tests/reliability/operations.h"
#include "tests/support/recording_log.h"

namespace tarvex::reliability {
namespace {

namespace text = connection_test_text;
using namespace std::chrono_literals;

class ConnectionTestBench final : public Bench {
 public:
  explicit ConnectionTestBench(const BenchConfig& config)
      : Bench(config, emu::tags::v41(), nullptr) {}

  OpKind kind() const override { return OpKind::kCheck; }
  bool applies(Fault fault) const override {
    return fault != Fault::kBadStatus && Bench::applies(fault);
  }
  void run() override { reported_ = runConnectionTest(bus_, log_); }

  std::vector<std::string> lines() const override { return log_.lines(); }
  void clearView() override { log_.clear(); }
  bool failureNamed() const override {
    const std::string notOk = text::kNotOk;
    for (const auto& line : lines()) {
      if (line.size() >= notOk.size() &&
          line.compare(line.size() - notOk.size(), notOk.size(), notOk) == 0) {
        return true;
      }
    }
    return Bench::failureNamed();
  }
  // The test only ever sends 'B': it has no outcome signal.
  FailureEnd failureEnd() const override { return FailureEnd::kNothing; }
  bool outcomeBytesMeaningful() const override { return false; }

 protected:
  std::vector<std::string> successLines() const override { return {text::kRightFirmware}; }
  std::vector<std::string> failurePrefixes() const override {
    return {text::kNoList,        text::kNoPorts,      text::kOpenFailed,
            text::kWrongFirmware, text::kNoThreeBytes, text::kNobodyAnswered};
  }
  void armLine(const InjectedFault& fault) override {
    emu::FaultPlan plan;
    const std::uint64_t at = std::max<std::uint64_t>(1, fault.at % tagLength());
    switch (fault.kind) {
      case Fault::kSilentFirst:
        plan.silent = true;
        break;
      case Fault::kSilentMid:
        plan.stopAfterBytes = at;
        break;
      case Fault::kUnplugMid:
        plan.unplugAfterBytes = at;
        break;
      case Fault::kCorrupt:
        plan.corruptByteAt = fault.at % tagLength();
        plan.corruptMask = fault.mask;
        break;
      case Fault::kStrayByte:
        plan.strayByteAfter = fault.at % tagLength();
        plan.strayByte = fault.mask;
        break;
      case Fault::kTagLineEnd:
        plan.tagLineEnd = true;
        break;
      default:
        break;
    }
    adapter_->setFaults(plan);
  }
  // The tag itself is slow; the test reads it with the fixed handshake timeout.
  void armSlow(const InjectedFault& fault) override {
    emu::FaultPlan plan;
    plan.replyDelay = std::min<std::chrono::microseconds>(fault.delay, 100ms);
    adapter_->setFaults(plan);
  }

 private:
  test::RecordingLog log_;
};

}  // namespace

std::unique_ptr<Bench> makeConnectionTest(const BenchConfig& config) {
  return std::make_unique<ConnectionTestBench>(config);
}

}  // namespace tarvex::reliability
