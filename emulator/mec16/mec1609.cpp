#include "emulator/mec16/mec1609.h"

#include <algorithm>

namespace tarvex::emu {

using namespace mec1609;

namespace {

constexpr std::uint32_t kModeRead = 0x105;
constexpr std::uint32_t kModeProgram = 0x106;
constexpr std::uint32_t kModeErase = 0x107;
constexpr std::uint32_t kEraseMain = 0x00F80000;
constexpr std::uint32_t kEraseMainAndInfo = 0x00FC0000;

constexpr std::uint32_t kReadBlockData = 1024;
constexpr std::uint32_t kWriteBlockData = 256;
constexpr std::uint8_t kBlockGood = 0x01;
constexpr std::uint8_t kBlockBad = 0x00;
constexpr std::uint8_t kWriteRequest = 0x52;  // any value: the host ignores it
constexpr std::uint8_t kProgrammed = 'G';
constexpr std::uint8_t kNotProgrammed = 'E';
constexpr std::uint8_t kRegisterDone = 0x01;
constexpr std::uint8_t kRegisterFailed = 0x00;

std::optional<std::uint8_t> hexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

std::vector<std::uint8_t> bigEndian(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

}  // namespace

Mec1609::Mec1609()
    : main_(kMainSize, 0xFF), info_(kInfoSize, 0xFF), id_{0x00, 0x16, 0x09, 0x5D} {}

bool Mec1609::handles(std::uint8_t command) const {
  switch (command) {
    case '1': case 'j': case 'r': case 'w': case 'R': case 'W': case 'N': case 'X': case '0':
      return true;
    default:
      return false;
  }
}

void Mec1609::reset() {
  std::lock_guard lock(mutex_);
  attached_ = false;
  stream_ = Stream::kIdle;
}

void Mec1609::handle(std::uint8_t command, FirmwarePort& port) {
  switch (command) {
    case '1': {
      std::lock_guard lock(mutex_);
      attached_ = true;
      return;
    }
    case '0': {
      std::lock_guard lock(mutex_);
      attached_ = false;
      stream_ = Stream::kIdle;
      return;
    }
    case 'j': {
      std::vector<std::uint8_t> reply;
      {
        std::lock_guard lock(mutex_);
        // A target not attached shifts out all ones.
        reply = attached_ ? id_ : std::vector<std::uint8_t>(4, 0xFF);
      }
      port.send(reply);
      return;
    }
    case 'r':
      readRegister(port);
      return;
    case 'w':
      writeRegister(port);
      return;
    case 'R':
      startReadStream(port);
      return;
    case 'W': {
      {
        std::lock_guard lock(mutex_);
        stream_ = Stream::kWriting;
        streamStart_ = streamAddress_ = address_;
        streamBlock_ = 0;
      }
      writeBlock(port);
      return;
    }
    case 'N': {
      Stream stream;
      {
        std::lock_guard lock(mutex_);
        stream = stream_;
      }
      if (stream == Stream::kReading) sendReadBlock(port);
      if (stream == Stream::kWriting) writeBlock(port);
      return;
    }
    case 'X': {
      std::lock_guard lock(mutex_);
      stream_ = Stream::kIdle;
      return;
    }
    default:
      return;
  }
}

std::optional<std::uint32_t> Mec1609::readHex(FirmwarePort& port, int digits) {
  std::uint32_t value = 0;
  bool valid = true;
  // All digits are taken even after a bad one, so the request does not spill into the
  // next command.
  for (int i = 0; i < digits; ++i) {
    const auto digit = hexDigit(port.readByte());
    if (!digit) valid = false;
    value = (value << 4) | digit.value_or(0);
  }
  if (!valid) return std::nullopt;
  return value;
}

void Mec1609::readRegister(FirmwarePort& port) {
  const auto address = readHex(port, 6);
  std::vector<std::uint8_t> reply;
  {
    std::lock_guard lock(mutex_);
    std::optional<RegisterFault::Effect> fault;
    if (address) fault = registerFaultLocked('r', *address, 0);
    if (fault == RegisterFault::Effect::kNoReply) return;
    if (!attached_ || !address) {
      reply = {0xFF, 0xFF, 0xFF, 0xFF, kRegisterFailed};
    } else {
      reply = bigEndian(readRegisterLocked(*address));
      reply.push_back(kRegisterDone);
    }
    if (fault == RegisterFault::Effect::kShortReply) reply.resize(2);
  }
  port.send(reply);
}

void Mec1609::writeRegister(FirmwarePort& port) {
  const auto address = readHex(port, 6);
  const auto value = readHex(port, 8);
  std::uint8_t reply = kRegisterFailed;
  {
    std::lock_guard lock(mutex_);
    if (address && value) {
      const auto fault = registerFaultLocked('w', *address, *value);
      if (fault == RegisterFault::Effect::kNoReply || fault == RegisterFault::Effect::kShortReply) {
        return;
      }
      if (fault == RegisterFault::Effect::kRefused) {
        reply = kRegisterFailed;
      } else if (attached_) {
        writeRegisterLocked(*address, *value);
        reply = kRegisterDone;
      }
    }
  }
  port.send(reply);
}

void Mec1609::startReadStream(FirmwarePort& port) {
  const auto address = readHex(port, 6);
  if (!address) return;
  {
    std::lock_guard lock(mutex_);
    stream_ = Stream::kReading;
    streamStart_ = streamAddress_ = *address;
    streamBlock_ = 0;
  }
  sendReadBlock(port);
}

void Mec1609::sendReadBlock(FirmwarePort& port) {
  std::vector<std::uint8_t> block(kReadBlockData + 1, 0xFF);
  {
    std::lock_guard lock(mutex_);
    ++streamBlock_;
    const std::pair<std::uint32_t, int> here{streamStart_, streamBlock_};
    if (faults_.stalledBlock == here) return;
    const bool readable = attached_ && enable_ == 1 && mode_ == kModeRead;
    for (std::uint32_t i = 0; i < kReadBlockData; ++i) {
      const std::uint8_t* cell = flashByteLocked(streamAddress_ + i);
      if (readable && cell) block[i] = cells_.seen(streamAddress_ + i, *cell);
    }
    block[kReadBlockData] = readable && faults_.badBlock != here ? kBlockGood : kBlockBad;
    streamAddress_ += kReadBlockData;
  }
  port.send(block);
}

void Mec1609::writeBlock(FirmwarePort& port) {
  int blockNumber = 0;
  std::optional<int> noRequestAt;
  {
    std::lock_guard lock(mutex_);
    blockNumber = ++streamBlock_;
    noRequestAt = faults_.noRequestAtBlock;
  }
  if (noRequestAt == blockNumber) return;
  port.send(kWriteRequest);
  std::vector<std::uint8_t> data(kWriteBlockData);
  for (auto& byte : data) byte = port.readByte();

  std::optional<std::uint8_t> ack = kProgrammed;
  {
    std::lock_guard lock(mutex_);
    const bool programmable =
        attached_ && enable_ == 1 && mode_ == kModeProgram && !flashLockedLocked();
    for (std::uint32_t i = 0; i < kWriteBlockData && programmable; ++i) {
      // Programming only clears bits: writing over unerased contents leaves a mix.
      const std::uint32_t address = streamAddress_ + i;
      if (std::uint8_t* cell = flashByteLocked(address)) {
        *cell = cells_.stored(address, *cell & data[i]);
      }
    }
    streamAddress_ += kWriteBlockData;
    if (!programmable) ack = kNotProgrammed;
    if (faults_.badAckAtBlock == blockNumber) ack = faults_.ackByte;
  }
  if (ack) port.send(*ack);
}

std::optional<RegisterFault::Effect> Mec1609::registerFaultLocked(char access,
                                                                  std::uint32_t address,
                                                                  std::uint32_t value) {
  for (std::size_t i = 0; i < faults_.registers.size(); ++i) {
    const RegisterFault& f = faults_.registers[i];
    if (f.access != access || f.address != address) continue;
    if (f.value && *f.value != value) continue;
    if (faultSeen_[i]++ < f.skip) continue;
    return f.effect;
  }
  return std::nullopt;
}

std::uint32_t Mec1609::readRegisterLocked(std::uint32_t address) {
  switch (address) {
    case kRevisionRegister:
      return revision_;
    case kAddressRegister:
      return address_;
    case kModeRegister:
      return mode_;
    case kEnableRegister:
      return enable_;
    case kStatusRegister: {
      ++statusReads_;
      std::uint32_t status = statusBits_;
      if (busyLeft_ > 0) {
        status |= kStatusBusy;
        if (--busyLeft_ == 0 && pendingEraseWithInfo_) {
          eraseLocked(*pendingEraseWithInfo_);
          pendingEraseWithInfo_.reset();
        }
      }
      return status;
    }
    default:
      return 0;
  }
}

void Mec1609::writeRegisterLocked(std::uint32_t address, std::uint32_t value) {
  writes_.emplace_back(address, value);
  switch (address) {
    case kAddressRegister:
      address_ = value;
      if (enable_ == 1 && mode_ == kModeErase &&
          (value == kEraseMain || value == kEraseMainAndInfo)) {
        const bool withInfo = value == kEraseMainAndInfo;
        if (eraseBusyPolls_ == 0) {
          eraseLocked(withInfo);
        } else {
          busyLeft_ = eraseBusyPolls_;
          pendingEraseWithInfo_ = withInfo;
        }
      }
      return;
    case kModeRegister:
      mode_ = value;
      return;
    case kEnableRegister:
      enable_ = value;
      return;
    default:
      return;  // read-only or unknown: ignored, as the controller does
  }
}

std::uint8_t* Mec1609::flashByteLocked(std::uint32_t address) {
  if (address < kMainSize) return &main_[address];
  if (address >= kInfoBase && address < kInfoBase + kInfoSize) return &info_[address - kInfoBase];
  return nullptr;
}

bool Mec1609::flashLockedLocked() const {
  return (statusBits_ & (kStatusFwp | kStatusBootLock)) != 0;
}

void Mec1609::eraseLocked(bool withInfo) {
  if (flashLockedLocked()) return;
  cells_.erase(main_, 0);
  if (withInfo) cells_.erase(info_, kInfoBase);
}

void Mec1609::setId(std::vector<std::uint8_t> id) {
  std::lock_guard lock(mutex_);
  id.resize(4, 0xFF);
  id_ = std::move(id);
}

void Mec1609::setStatusBits(std::uint32_t bits) {
  std::lock_guard lock(mutex_);
  statusBits_ = bits & (kStatusFwp | kStatusBootLock);
}

void Mec1609::setRevision(std::uint32_t value) {
  std::lock_guard lock(mutex_);
  revision_ = value;
}

void Mec1609::setEraseBusyPolls(std::uint64_t polls) {
  std::lock_guard lock(mutex_);
  eraseBusyPolls_ = polls;
}

void Mec1609::setFaults(Mec1609Faults faults) {
  std::lock_guard lock(mutex_);
  faults_ = std::move(faults);
  faultSeen_.assign(faults_.registers.size(), 0);
}

void Mec1609::setChipFaults(ChipFaults faults) {
  std::lock_guard lock(mutex_);
  cells_ = std::move(faults);
}

void Mec1609::fillMain(std::uint8_t value) {
  std::lock_guard lock(mutex_);
  std::fill(main_.begin(), main_.end(), value);
}

void Mec1609::setMain(std::vector<std::uint8_t> image) {
  std::lock_guard lock(mutex_);
  image.resize(kMainSize, 0xFF);
  main_ = std::move(image);
}

void Mec1609::fillInfo(std::uint8_t value) {
  std::lock_guard lock(mutex_);
  std::fill(info_.begin(), info_.end(), value);
}

std::vector<std::uint8_t> Mec1609::mainFlash() const {
  std::lock_guard lock(mutex_);
  return cells_.seenAll(main_, 0);
}

std::vector<std::uint8_t> Mec1609::infoFlash() const {
  std::lock_guard lock(mutex_);
  return cells_.seenAll(info_, kInfoBase);
}

std::uint32_t Mec1609::registerValue(std::uint32_t address) const {
  std::lock_guard lock(mutex_);
  switch (address) {
    case kRevisionRegister: return revision_;
    case kAddressRegister: return address_;
    case kModeRegister: return mode_;
    case kEnableRegister: return enable_;
    case kStatusRegister: return statusBits_ | (busyLeft_ > 0 ? kStatusBusy : 0);
    default: return 0;
  }
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> Mec1609::registerWrites() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

std::uint64_t Mec1609::statusReads() const {
  std::lock_guard lock(mutex_);
  return statusReads_;
}

void Mec1609::clearRecords() {
  std::lock_guard lock(mutex_);
  writes_.clear();
  statusReads_ = 0;
}

}  // namespace tarvex::emu
