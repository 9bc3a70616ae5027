#include "emulator/ite/it85_board.h"

#include <algorithm>

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kOk = 'o';
constexpr std::uint8_t kNoAnswer = 'e';
constexpr std::uint8_t kSettingsReady = '*';
constexpr std::uint8_t kAccepted = '+';
constexpr std::uint8_t kRejected = '-';

// The two letters that name each signal in the settings exchange.
struct PairCode {
  char first, second;
  It85Board::Signal signal;
};
constexpr PairCode kPairs[] = {
    {'d', '0', It85Board::kPd0}, {'d', '1', It85Board::kPd1}, {'d', '2', It85Board::kPd2},
    {'d', '3', It85Board::kPd3}, {'d', '4', It85Board::kPd4}, {'d', '5', It85Board::kPd5},
    {'d', '6', It85Board::kPd6}, {'d', '7', It85Board::kPd7}, {'W', 'R', It85Board::kStb},
    {'D', 'S', It85Board::kAfd}, {'I', 'N', It85Board::kInit}, {'A', 'S', It85Board::kSlin},
    {'B', 'L', It85Board::kBusy}, {'K', '4', It85Board::kKsi4}, {'K', '5', It85Board::kKsi5},
};

// The controller's registers the model gives meaning to.
constexpr std::uint8_t kRegId1 = 0x00;
constexpr std::uint8_t kRegId2 = 0x01;
constexpr std::uint8_t kRegRevision = 0x02;
constexpr std::uint8_t kRegFlashControl = 0x05;
constexpr std::uint8_t kRegFlashData = 0x08;
constexpr std::uint8_t kFlashSelect = 0xFD;
constexpr std::uint8_t kFlashDeselect = 0xFE;

// The register writes that put the controller into its flash mode, in order.
constexpr std::pair<std::uint8_t, std::uint8_t> kEntry[] = {
    {0x27, 0x01}, {0x27, 0x80}, {0x04, 0xFF}, {0x07, 0x7F}, {0x06, 0xFF}};
constexpr int kEntrySteps = 5;

bool isEntryRegister(std::uint8_t reg) {
  return std::any_of(std::begin(kEntry), std::end(kEntry),
                     [reg](const auto& step) { return step.first == reg; });
}

}  // namespace

It85Board::It85Board(Wiring wiring) : wiring_(wiring) {}

It85Board::Wiring It85Board::mirrored(const Wiring& wiring, int kbPins) {
  Wiring out{};
  for (int i = 0; i < kSignalCount; ++i) {
    out[i] = static_cast<std::uint8_t>(kbPins + 1 - wiring[i]);
  }
  return out;
}

void It85Board::setWiring(const Wiring& wiring) {
  std::lock_guard lock(mutex_);
  wiring_ = wiring;
}

void It85Board::setPowered(bool powered) {
  std::lock_guard lock(mutex_);
  powered_ = powered;
}

void It85Board::setIdentity(std::uint8_t id1, std::uint8_t id2, std::uint8_t revision) {
  std::lock_guard lock(mutex_);
  identity_ = {id1, id2, revision};
}

void It85Board::setFaults(const Faults& faults) {
  std::lock_guard lock(mutex_);
  faults_ = faults;
}

void It85Board::setEraseTime(std::chrono::microseconds time) {
  std::lock_guard lock(mutex_);
  flash_.setEraseTime(time);
}

It85Board::Assignments It85Board::assignments() const {
  std::lock_guard lock(mutex_);
  return assignments_;
}

void It85Board::setChipFaults(ChipFaults faults) {
  std::lock_guard lock(mutex_);
  flash_.setFaults(std::move(faults));
}

std::vector<std::uint8_t> It85Board::flash() const {
  std::lock_guard lock(mutex_);
  return flash_.seenContents();
}

void It85Board::setFlash(const std::vector<std::uint8_t>& image) {
  std::lock_guard lock(mutex_);
  auto& memory = flash_.contents();
  std::fill(memory.begin(), memory.end(), 0xFF);
  std::copy_n(image.begin(), std::min(image.size(), memory.size()), memory.begin());
}

int It85Board::eraseCount() const {
  std::lock_guard lock(mutex_);
  return flash_.eraseCount();
}

int It85Board::programmedBytes() const {
  std::lock_guard lock(mutex_);
  return programmed_;
}

bool It85Board::handles(std::uint8_t command) const {
  switch (command) {
    case 'S': case 'T': case 'A': case 'W': case 'R': case 'r': case 'Y': case 'w':
      return true;
    default:
      return false;
  }
}

void It85Board::handle(std::uint8_t command, FirmwarePort& port) {
  switch (command) {
    case 'S': settings(port); break;
    case 'T': attach(port); break;
    case 'A': select(port); break;
    case 'W': writeRegister(port); break;
    case 'R': readRegister(port); break;
    case 'r': pageRead(port); break;
    case 'Y': flashAddress(port); break;
    case 'w': flashByte(port); break;
    default: break;
  }
}

void It85Board::reset() {
  std::lock_guard lock(mutex_);
  attached_ = false;
  entryStep_ = 0;
  selected_.reset();
  registers_.fill(0);
  programAddress_.reset();
  flash_.resetInterface();
  assignmentCount_ = selectCount_ = pageCount_ = addressCount_ = flashByteCount_ = 0;
  programmed_ = 0;
}

void It85Board::settings(FirmwarePort& port) {
  {
    std::lock_guard lock(mutex_);
    if (faults_.settingsRefused) {
      port.send(kRejected);
      return;
    }
  }
  port.send(kSettingsReady);
  // The firmware stays in its settings mode until "QQQ" or a request it does not know.
  for (;;) {
    const std::uint8_t first = port.readByte();
    const std::uint8_t second = port.readByte();
    const std::uint8_t third = port.readByte();
    if (first == 'Q' && second == 'Q' && third == 'Q') {
      port.send(kAccepted);
      return;
    }
    const auto* pair = std::find_if(std::begin(kPairs), std::end(kPairs), [&](const PairCode& p) {
      return p.first == first && p.second == second;
    });
    bool accepted = pair != std::end(kPairs);
    {
      std::lock_guard lock(mutex_);
      ++assignmentCount_;
      if (faults_.assignmentRejectedAt == assignmentCount_) accepted = false;
      if (accepted) assignments_[pair->signal] = third;
    }
    port.send(accepted ? kAccepted : kRejected);
    if (!accepted) return;
  }
}

bool It85Board::wiredLocked() const {
  for (int i = 0; i < kSignalCount; ++i) {
    if (assignments_[i] != wiring_[i]) return false;
  }
  return true;
}

bool It85Board::flashModeLocked() const { return attached_ && entryStep_ == kEntrySteps; }

std::chrono::microseconds It85Board::busyLeftLocked() const {
  const auto left = flash_.busyUntil() - std::chrono::steady_clock::now();
  return left > left.zero() ? std::chrono::duration_cast<std::chrono::microseconds>(left) : 0us;
}

void It85Board::attach(FirmwarePort& port) {
  Faults faults;
  {
    std::lock_guard lock(mutex_);
    faults = faults_;
  }
  if (faults.attachSilent) return;
  const bool pluggedInTime = faults.attachDelay < kAttachWindow;
  if (faults.attachDelay.count() > 0) {
    port.pause(pluggedInTime ? faults.attachDelay
                             : std::chrono::microseconds(kAttachWindow));
  }
  bool ok = false;
  {
    std::lock_guard lock(mutex_);
    ok = pluggedInTime && powered_ && wiredLocked();
    attached_ = ok;
    entryStep_ = 0;
    selected_.reset();
    programAddress_.reset();
    flash_.resetInterface();
  }
  port.send(ok ? kOk : kNoAnswer);
}

void It85Board::select(FirmwarePort& port) {
  const std::uint8_t reg = port.readByte();
  std::uint8_t reply = kNoAnswer;
  {
    std::lock_guard lock(mutex_);
    ++selectCount_;
    if (attached_ && faults_.selectFailsAt != selectCount_) {
      selected_ = reg;
      reply = faults_.selectReply.value_or(kOk);
    }
  }
  port.send(reply);
}

void It85Board::writeRegister(FirmwarePort& port) {
  const std::uint8_t value = port.readByte();
  std::uint8_t reply = kNoAnswer;
  {
    std::lock_guard lock(mutex_);
    const bool refused = selected_ && faults_.writeFails &&
                         faults_.writeFails->first == *selected_ &&
                         faults_.writeFails->second == value;
    if (attached_ && selected_ && !refused) {
      applyRegisterWrite(*selected_, value);
      reply = kOk;
    }
  }
  port.send(reply);
}

void It85Board::applyRegisterWrite(std::uint8_t reg, std::uint8_t value) {
  registers_[reg] = value;
  if (isEntryRegister(reg) && entryStep_ < kEntrySteps) {
    // Only the exact sequence, in order, opens the flash mode; anything else starts over.
    if (kEntry[entryStep_] == std::pair{reg, value}) {
      ++entryStep_;
    } else {
      entryStep_ = kEntry[0] == std::pair{reg, value} ? 1 : 0;
    }
    return;
  }
  if (!flashModeLocked()) return;
  if (reg == kRegFlashControl) {
    if (value == kFlashSelect) flash_.select();
    if (value == kFlashDeselect) flash_.deselect();
  } else if (reg == kRegFlashData) {
    flash_.shiftIn(value);
  }
}

void It85Board::readRegister(FirmwarePort& port) {
  std::uint8_t value = 0xFF;  // an unattached controller leaves the lines high
  {
    std::lock_guard lock(mutex_);
    if (attached_ && selected_) {
      switch (*selected_) {
        case kRegId1: value = identity_[0]; break;
        case kRegId2: value = identity_[1]; break;
        case kRegRevision: value = identity_[2]; break;
        default: value = registers_[*selected_]; break;
      }
    }
  }
  port.send(value);
}

void It85Board::pageRead(FirmwarePort& port) {
  std::vector<std::uint8_t> reply(257, 0xFF);
  {
    std::lock_guard lock(mutex_);
    ++pageCount_;
    const bool open = flashModeLocked() && flash_.fastReadOpen();
    if (open) {
      for (int i = 0; i < 256; ++i) reply[i] = flash_.shiftOut();
    }
    reply[256] = open && faults_.badPageStatusAt != pageCount_ ? kOk : kNoAnswer;
  }
  port.send(reply);
}

void It85Board::flashAddress(FirmwarePort& port) {
  const std::uint8_t high = port.readByte();
  const std::uint8_t middle = port.readByte();
  const std::uint8_t low = port.readByte();
  std::chrono::microseconds busy{0};
  bool ok = false;
  {
    std::lock_guard lock(mutex_);
    ++addressCount_;
    ok = flashModeLocked() && faults_.addressRefusedAt != addressCount_;
    if (ok) programAddress_ = ((high << 16) | (middle << 8) | low) % SerialFlash::kSize;
    busy = busyLeftLocked();
  }
  // The firmware waits for a running erase to finish before it takes an address.
  if (ok && busy.count() > 0) port.pause(busy);
  port.send(ok ? kOk : kNoAnswer);
}

void It85Board::flashByte(FirmwarePort& port) {
  const std::uint8_t value = port.readByte();
  std::chrono::microseconds late{0};
  bool ok = false;
  {
    std::lock_guard lock(mutex_);
    ++flashByteCount_;
    ok = flashModeLocked() && programAddress_ && faults_.flashByteRefusedAt != flashByteCount_;
    if (faults_.lateFlashByteAt == flashByteCount_) late = faults_.lateBy;
    if (ok) {
      flash_.program(*programAddress_, value);
      programAddress_ = (*programAddress_ + 1) % SerialFlash::kSize;
      ++programmed_;
    }
  }
  if (late.count() > 0) port.pause(late);
  port.send(ok ? kOk : kNoAnswer);
}

}  // namespace tarvex::emu
