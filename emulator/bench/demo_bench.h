#pragma once
// The demo bench: one software adapter on an emulated bus, as the demo program and manual
// checks use it. Its firmware can be switched, a target (a simulated chip or laptop behind
// the adapter) chosen from the registered chip models, and faults switched on and off.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/emulator_bus.h"

namespace tarvex::emu {

enum class BenchFirmware {
  kV41,         // the EDID, KB90xx and keyboard firmware
  kV42,         // the MEC16 firmware
  kIte,         // the ITE firmware, announcing itself in a text
  kWrongTag,    // an outdated firmware with a tag no tool accepts
  kNoAnswer,    // a firmware that does not answer the tag request
};

std::vector<std::uint8_t> benchTag(BenchFirmware firmware);
const char* benchFirmwareName(BenchFirmware firmware);

// A target on the bench: a name to choose it by, the firmware its tool expects, and a
// factory for the chip model's command handlers.
struct BenchTarget {
  std::string name;
  BenchFirmware firmware;
  std::function<std::vector<std::shared_ptr<CommandHandler>>()> make;
};

// Every chip model registered with the bench (emulator/bench/bench_chips.inc).
std::vector<BenchTarget> benchTargets();

class DemoBench {
 public:
  DemoBench();
  explicit DemoBench(std::vector<BenchTarget> targets);

  FtBus& bus() { return bus_; }
  EmulatorBus& emulatorBus() { return bus_; }
  std::shared_ptr<EmulatedAdapter> adapter() const { return adapter_; }

  void setFirmware(BenchFirmware firmware);
  BenchFirmware firmware() const;

  std::vector<std::string> targetNames() const;
  // Puts that target's chip models behind the adapter and switches to the firmware its
  // tool expects. "" (or an unknown name) leaves nothing behind the adapter.
  bool selectTarget(const std::string& name);
  std::string target() const;

  // The line's timing (baud rate, USB frames, the receive latency timer): on from the
  // start, so an operation takes as long as on a real bench and the fault switches can be
  // tried in the middle of it. A fast line answers at once. A change applies from the next
  // time a tool opens the adapter.
  void setFastLine(bool fast);
  bool fastLine() const;

  // Fault switches.
  void setUnplugged(bool unplugged);
  bool unplugged() const;
  void setSilent(bool silent);
  bool silent() const;

 private:
  mutable std::mutex mutex_;
  EmulatorBus bus_;
  std::shared_ptr<EmulatedAdapter> adapter_;
  std::vector<BenchTarget> targets_;
  BenchFirmware firmware_ = BenchFirmware::kV41;
  std::string target_;
};

}  // namespace tarvex::emu
