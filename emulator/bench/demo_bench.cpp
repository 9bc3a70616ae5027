#include "emulator/bench/demo_bench.h"

namespace tarvex::emu {

#define TARVEX_BENCH_CHIP(name, firmware, factory) \
  std::vector<std::shared_ptr<CommandHandler>> factory();
#include "emulator/bench/bench_chips.inc"
#undef TARVEX_BENCH_CHIP

std::vector<BenchTarget> benchTargets() {
  std::vector<BenchTarget> targets;
#define TARVEX_BENCH_CHIP(name, firmware, factory) targets.push_back({name, firmware, &factory});
#include "emulator/bench/bench_chips.inc"
#undef TARVEX_BENCH_CHIP
  return targets;
}

std::vector<std::uint8_t> benchTag(BenchFirmware firmware) {
  switch (firmware) {
    case BenchFirmware::kV41:
      return tags::v41();
    case BenchFirmware::kV42:
      return tags::v42();
    case BenchFirmware::kIte:
      return tags::ite();
    case BenchFirmware::kWrongTag:
      return {'V', '3', '9'};
    case BenchFirmware::kNoAnswer:
      return {};
  }
  return {};
}

const char* benchFirmwareName(BenchFirmware firmware) {
  switch (firmware) {
    case BenchFirmware::kV41:
      return "V41 (EDID, KB90xx, keyboard)";
    case BenchFirmware::kV42:
      return "V42 (MEC16)";
    case BenchFirmware::kIte:
      return "ITE";
    case BenchFirmware::kWrongTag:
      return "outdated (V39)";
    case BenchFirmware::kNoAnswer:
      return "no answer";
  }
  return "";
}

DemoBench::DemoBench() : DemoBench(benchTargets()) {}

DemoBench::DemoBench(std::vector<BenchTarget> targets)
    : adapter_(bus_.attach(benchTag(BenchFirmware::kV41))), targets_(std::move(targets)) {
  setFastLine(false);
}

void DemoBench::setFastLine(bool fast) {
  WireModel wire = adapter_->wireModel();
  wire.enabled = !fast;
  adapter_->setWireModel(wire);
}

bool DemoBench::fastLine() const { return !adapter_->wireModel().enabled; }

void DemoBench::setFirmware(BenchFirmware firmware) {
  std::lock_guard lock(mutex_);
  firmware_ = firmware;
  adapter_->setTag(benchTag(firmware));
}

BenchFirmware DemoBench::firmware() const {
  std::lock_guard lock(mutex_);
  return firmware_;
}

std::vector<std::string> DemoBench::targetNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& target : targets_) names.push_back(target.name);
  return names;
}

bool DemoBench::selectTarget(const std::string& name) {
  std::lock_guard lock(mutex_);
  adapter_->clearHandlers();
  target_.clear();
  for (const auto& target : targets_) {
    if (target.name != name) continue;
    for (auto& handler : target.make()) adapter_->addHandler(std::move(handler));
    target_ = name;
    firmware_ = target.firmware;
    adapter_->setTag(benchTag(firmware_));
    return true;
  }
  return false;
}

std::string DemoBench::target() const {
  std::lock_guard lock(mutex_);
  return target_;
}

void DemoBench::setUnplugged(bool unplugged) {
  if (unplugged) {
    adapter_->unplug();
  } else {
    adapter_->plugIn();
  }
}

bool DemoBench::unplugged() const { return !adapter_->plugged(); }

void DemoBench::setSilent(bool silent) {
  FaultPlan faults = adapter_->faults();
  faults.silent = silent;
  adapter_->setFaults(faults);
}

bool DemoBench::silent() const { return adapter_->faults().silent; }

}  // namespace tarvex::emu
