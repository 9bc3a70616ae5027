#include "emulator/kb90/kb90_controller.h"

#include <algorithm>

namespace tarvex::emu {
namespace {

// The firmware's own checksum routines: a 16-bit byte sum and the reflected CRC-16 with
// polynomial 8005h (A001h reflected), initial value 0, computed bit by bit.
std::uint16_t byteSum(const std::vector<std::uint8_t>& data) {
  std::uint16_t sum = 0;
  for (std::uint8_t b : data) sum = static_cast<std::uint16_t>(sum + b);
  return sum;
}

std::uint16_t crc16(const std::vector<std::uint8_t>& data) {
  std::uint16_t crc = 0;
  for (std::uint8_t b : data) {
    crc ^= b;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                      : static_cast<std::uint16_t>(crc >> 1);
    }
  }
  return crc;
}

}  // namespace

Kb90Controller::Kb90Controller(std::uint8_t debugVersion)
    : flash_(kFlashSize, 0xFF), debugVersion_(debugVersion) {}

std::vector<std::uint8_t> Kb90Controller::flash() const {
  std::lock_guard lock(mutex_);
  return cells_.seenAll(flash_);
}

void Kb90Controller::setChipFaults(ChipFaults faults) {
  std::lock_guard lock(mutex_);
  cells_ = std::move(faults);
}

void Kb90Controller::setFlash(std::vector<std::uint8_t> contents) {
  contents.resize(kFlashSize, 0xFF);
  std::lock_guard lock(mutex_);
  flash_ = std::move(contents);
}

void Kb90Controller::setDebugVersion(std::uint8_t version) {
  std::lock_guard lock(mutex_);
  debugVersion_ = version;
}

void Kb90Controller::setFaults(const Kb90Faults& faults) {
  std::lock_guard lock(mutex_);
  faults_ = faults;
}

void Kb90Controller::setTiming(const Kb90Timing& timing) {
  std::lock_guard lock(mutex_);
  timing_ = timing;
}

int Kb90Controller::blocksRead() const {
  std::lock_guard lock(mutex_);
  return blocksRead_;
}

int Kb90Controller::blocksWritten() const {
  std::lock_guard lock(mutex_);
  return blocksWritten_;
}

bool Kb90Controller::handles(std::uint8_t command) const {
  switch (command) {
    case 'V':
    case 'R':
    case 'W':
    case 'N':
    case 'X':
    case 'S':
      return true;
    default:
      return false;
  }
}

void Kb90Controller::reset() {
  std::lock_guard lock(mutex_);
  stream_ = Stream::kIdle;
  streamBlock_ = 0;
  silenced_ = false;
}

void Kb90Controller::handle(std::uint8_t command, FirmwarePort& port) {
  {
    std::lock_guard lock(mutex_);
    if (silenced_) return;
    // Without a controller the adapter only ever reports FFh to the connect request.
    if (faults_.noController && command != 'V') return;
  }
  switch (command) {
    case 'V':
      connect(port);
      break;
    case 'R':
      startRead(port);
      break;
    case 'W':
      startWrite(port);
      break;
    case 'N':
      next(port);
      break;
    case 'X': {
      std::lock_guard lock(mutex_);
      stream_ = Stream::kIdle;
      break;
    }
    case 'S':
      checksum(port);
      break;
    default:
      break;
  }
}

void Kb90Controller::connect(FirmwarePort& port) {
  std::uint8_t answer = 0;
  {
    std::lock_guard lock(mutex_);
    answer = faults_.noController ? 0xFF : debugVersion_;
  }
  port.send(answer);
}

bool Kb90Controller::silencedAt(int blocks) {
  if (faults_.silentAfterBlocks && blocks >= *faults_.silentAfterBlocks) silenced_ = true;
  return silenced_;
}

void Kb90Controller::startRead(FirmwarePort& port) {
  {
    std::lock_guard lock(mutex_);
    stream_ = Stream::kReading;
    streamBlock_ = 0;
  }
  sendReadBlock(port);
}

void Kb90Controller::startWrite(FirmwarePort& port) {
  std::chrono::microseconds erase{0};
  {
    std::lock_guard lock(mutex_);
    stream_ = Stream::kWriting;
    streamBlock_ = 0;
    if (silencedAt(0)) return;
    cells_.erase(flash_);
    erase = timing_.erase;
  }
  if (erase.count() > 0) port.pause(erase);
  takeWriteBlock(port);
}

void Kb90Controller::next(FirmwarePort& port) {
  Stream stream = Stream::kIdle;
  {
    std::lock_guard lock(mutex_);
    stream = stream_;
  }
  if (stream == Stream::kReading) sendReadBlock(port);
  if (stream == Stream::kWriting) takeWriteBlock(port);
}

void Kb90Controller::sendReadBlock(FirmwarePort& port) {
  std::vector<std::uint8_t> block;
  std::chrono::microseconds work{0};
  {
    std::lock_guard lock(mutex_);
    // Past the last block the firmware has nothing more to send.
    if (streamBlock_ >= kBlocks || silencedAt(streamBlock_)) return;
    const auto base = static_cast<std::uint32_t>(streamBlock_ * kBlockSize);
    block = cells_.seenAll(std::span(flash_).subspan(base, kBlockSize), base);
    ++streamBlock_;
    ++blocksRead_;
    work = timing_.blockRead;
  }
  if (work.count() > 0) port.pause(work);
  port.send(block);
}

void Kb90Controller::takeWriteBlock(FirmwarePort& port) {
  std::chrono::microseconds work{0};
  {
    std::lock_guard lock(mutex_);
    if (silencedAt(streamBlock_)) return;
    work = timing_.blockProgram;
  }
  port.send(kReadyByte);
  std::vector<std::uint8_t> block(kBlockSize);
  for (auto& byte : block) byte = port.readByte();
  if (work.count() > 0) port.pause(work);
  {
    std::lock_guard lock(mutex_);
    if (streamBlock_ < kBlocks) {
      const std::size_t base = static_cast<std::size_t>(streamBlock_) * kBlockSize;
      for (std::size_t i = 0; i < kBlockSize; ++i) {
        // Programming can only clear bits of an erased cell; a stuck cell takes nothing.
        if (faults_.stuckCell && *faults_.stuckCell == base + i) continue;
        const auto address = static_cast<std::uint32_t>(base + i);
        flash_[address] = cells_.stored(address, flash_[address] & block[i]);
      }
      ++blocksWritten_;
    }
    ++streamBlock_;
  }
  port.send(kBlockDoneByte);
}

void Kb90Controller::checksum(FirmwarePort& port) {
  std::vector<std::uint8_t> flash;
  Kb90Faults faults;
  std::chrono::microseconds work{0};
  {
    std::lock_guard lock(mutex_);
    stream_ = Stream::kIdle;
    flash = cells_.seenAll(flash_);
    faults = faults_;
    work = timing_.checksumBlock;
  }
  for (int block = 1; block <= kBlocks; ++block) {
    if (faults.silentAfterDashes && block > *faults.silentAfterDashes) {
      std::lock_guard lock(mutex_);
      silenced_ = true;
      return;
    }
    if (work.count() > 0) port.pause(work);
    port.send(static_cast<std::uint8_t>('-'));
    if (faults.strayEvery > 0 && block % faults.strayEvery == 0) port.send(faults.strayByte);
  }
  const std::uint16_t sum = byteSum(flash);
  const std::uint16_t crc = crc16(flash);
  port.send(std::vector<std::uint8_t>{static_cast<std::uint8_t>(sum & 0xFF),
                                      static_cast<std::uint8_t>(sum >> 8),
                                      static_cast<std::uint8_t>(crc & 0xFF),
                                      static_cast<std::uint8_t>(crc >> 8)});
}

}  // namespace tarvex::emu
