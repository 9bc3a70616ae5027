#pragma once
// The software adapter: its firmware tag, the chip models behind it, the faults it is told
// to show, and everything the host sent it, per open. State that lasts across opens (the
// chips' memories) lives here and in the chip models; the per-open line lives in Session.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "emulator/fault_plan.h"
#include "emulator/firmware_port.h"
#include "emulator/wire_model.h"
#include "link/ft_types.h"

namespace tarvex::emu {

class Session;

// Tags the firmware variants answer to 'B'.
namespace tags {
std::vector<std::uint8_t> v41();
std::vector<std::uint8_t> v42();
// An ITE firmware announces itself in a short text.
std::vector<std::uint8_t> ite();
}  // namespace tags

class EmulatedAdapter {
 public:
  // An empty tag means the firmware does not answer 'B' at all.
  explicit EmulatedAdapter(std::vector<std::uint8_t> tag = tags::v41());
  ~EmulatedAdapter();

  void setTag(std::vector<std::uint8_t> tag);
  void addHandler(std::shared_ptr<CommandHandler> handler);
  void clearHandlers();
  // Sets the faults; the opens a flaky contact counts start again from this one.
  void setFaults(const FaultPlan& faults);
  FaultPlan faults() const;
  void setWireModel(const WireModel& wire);
  WireModel wireModel() const;
  void setDriverVersion(std::uint32_t version);
  std::uint32_t driverVersion() const;

  // Pulling the cable: the open session fails at once, and the device leaves the list.
  void unplug();
  void plugIn();
  bool plugged() const;
  bool isOpen() const;

  // Every byte the host sent, one entry per open, in order.
  std::vector<std::vector<std::uint8_t>> receivedPerOpen() const;
  std::vector<std::uint8_t> lastOpenReceived() const;
  std::size_t openCount() const;
  // Host reaction times: from a reply being visible to the next request arriving.
  std::vector<Clock::duration> reactionTimes() const;
  void clearRecords();

  // Used by the bus and the session.
  FtStatus open(std::unique_ptr<Session>* session);
  void detach(Session* session);
  void recordReceived(std::size_t openIndex, const std::uint8_t* bytes, std::size_t count);
  void recordReaction(Clock::duration reaction);
  void dispatch(std::uint8_t command, FirmwarePort& port);
  void resetHandlers();

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> tag_;
  std::vector<std::shared_ptr<CommandHandler>> handlers_;
  FaultPlan faults_;
  std::size_t opensSincePlan_ = 0;  // opens since the fault plan was set
  WireModel wire_;
  std::uint32_t driverVersion_ = 0x00021200;
  bool plugged_ = true;
  Session* session_ = nullptr;
  std::vector<std::vector<std::uint8_t>> received_;
  std::vector<Clock::duration> reactions_;
};

}  // namespace tarvex::emu
