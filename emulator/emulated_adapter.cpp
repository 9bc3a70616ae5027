#include "emulator/emulated_adapter.h"

#include <string>

#include "emulator/session.h"

namespace tarvex::emu {

namespace tags {
std::vector<std::uint8_t> v41() { return {'V', '4', '1'}; }
std::vector<std::uint8_t> v42() { return {'V', '4', '2'}; }
std::vector<std::uint8_t> ite() {
  const std::string text = "ITE_V2.3";
  return {text.begin(), text.end()};
}
}  // namespace tags

EmulatedAdapter::EmulatedAdapter(std::vector<std::uint8_t> tag) : tag_(std::move(tag)) {}

EmulatedAdapter::~EmulatedAdapter() = default;

void EmulatedAdapter::setTag(std::vector<std::uint8_t> tag) {
  std::lock_guard lock(mutex_);
  tag_ = std::move(tag);
}

void EmulatedAdapter::addHandler(std::shared_ptr<CommandHandler> handler) {
  std::lock_guard lock(mutex_);
  handlers_.push_back(std::move(handler));
}

void EmulatedAdapter::clearHandlers() {
  std::lock_guard lock(mutex_);
  handlers_.clear();
}

void EmulatedAdapter::setFaults(const FaultPlan& faults) {
  std::lock_guard lock(mutex_);
  faults_ = faults;
  opensSincePlan_ = 0;
}

FaultPlan EmulatedAdapter::faults() const {
  std::lock_guard lock(mutex_);
  return faults_;
}

void EmulatedAdapter::setWireModel(const WireModel& wire) {
  std::lock_guard lock(mutex_);
  wire_ = wire;
}

WireModel EmulatedAdapter::wireModel() const {
  std::lock_guard lock(mutex_);
  return wire_;
}

void EmulatedAdapter::setDriverVersion(std::uint32_t version) {
  std::lock_guard lock(mutex_);
  driverVersion_ = version;
}

std::uint32_t EmulatedAdapter::driverVersion() const {
  std::lock_guard lock(mutex_);
  return driverVersion_;
}

void EmulatedAdapter::unplug() {
  std::lock_guard lock(mutex_);
  plugged_ = false;
  if (session_) session_->unplug();
}

void EmulatedAdapter::plugIn() {
  std::lock_guard lock(mutex_);
  plugged_ = true;
}

bool EmulatedAdapter::plugged() const {
  std::lock_guard lock(mutex_);
  return plugged_;
}

bool EmulatedAdapter::isOpen() const {
  std::lock_guard lock(mutex_);
  return session_ != nullptr;
}

std::vector<std::vector<std::uint8_t>> EmulatedAdapter::receivedPerOpen() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::vector<std::uint8_t> EmulatedAdapter::lastOpenReceived() const {
  std::lock_guard lock(mutex_);
  return received_.empty() ? std::vector<std::uint8_t>{} : received_.back();
}

std::size_t EmulatedAdapter::openCount() const {
  std::lock_guard lock(mutex_);
  return received_.size();
}

std::vector<Clock::duration> EmulatedAdapter::reactionTimes() const {
  std::lock_guard lock(mutex_);
  return reactions_;
}

void EmulatedAdapter::clearRecords() {
  std::lock_guard lock(mutex_);
  received_.clear();
  reactions_.clear();
}

FtStatus EmulatedAdapter::open(std::unique_ptr<Session>* session) {
  std::size_t index = 0;
  std::size_t faultOpen = 0;
  {
    std::lock_guard lock(mutex_);
    if (!plugged_) return FT_DEVICE_NOT_FOUND;
    if (faults_.refuseOpen || session_ != nullptr) return FT_DEVICE_NOT_OPENED;
    index = received_.size();
    received_.emplace_back();
    faultOpen = opensSincePlan_++;
  }
  auto created = std::make_unique<Session>(*this, index, faultOpen);
  {
    std::lock_guard lock(mutex_);
    session_ = created.get();
  }
  *session = std::move(created);
  return FT_OK;
}

void EmulatedAdapter::detach(Session* session) {
  std::lock_guard lock(mutex_);
  if (session_ == session) session_ = nullptr;
}

void EmulatedAdapter::recordReceived(std::size_t openIndex, const std::uint8_t* bytes,
                                     std::size_t count) {
  std::lock_guard lock(mutex_);
  if (openIndex < received_.size()) received_[openIndex].insert(received_[openIndex].end(), bytes, bytes + count);
}

void EmulatedAdapter::recordReaction(Clock::duration reaction) {
  std::lock_guard lock(mutex_);
  reactions_.push_back(reaction);
}

void EmulatedAdapter::resetHandlers() {
  std::vector<std::shared_ptr<CommandHandler>> handlers;
  {
    std::lock_guard lock(mutex_);
    handlers = handlers_;
  }
  for (auto& handler : handlers) handler->reset();
}

void EmulatedAdapter::dispatch(std::uint8_t command, FirmwarePort& port) {
  std::vector<std::uint8_t> tag;
  std::vector<std::shared_ptr<CommandHandler>> handlers;
  {
    std::lock_guard lock(mutex_);
    tag = tag_;
    handlers = handlers_;
    // A firmware that ends its tag like a text line: the line end goes out with the tag.
    if (faults_.tagLineEnd && !tag.empty()) tag.insert(tag.end(), {'\r', '\n'});
  }
  // The firmware itself answers the tag request and takes the outcome signals (which only
  // light its LEDs); everything else belongs to the chip models.
  if (command == 'B') {
    if (!tag.empty()) port.send(tag);
    return;
  }
  if (command == 'I' || command == 'O') return;
  for (auto& handler : handlers) {
    if (handler->handles(command)) {
      handler->handle(command, port);
      return;
    }
  }
}

}  // namespace tarvex::emu
