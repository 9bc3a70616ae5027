#include "emulator/eeprom/panel_eeprom.h"

#include <algorithm>

namespace tarvex::emu {
namespace {

constexpr std::uint8_t kRead = 'r';
constexpr std::uint8_t kWrite = 'w';
constexpr std::uint8_t kReady = 'R';
constexpr std::size_t kSize = 256;

}  // namespace

PanelEeprom::PanelEeprom(const Contents& contents, std::uint32_t seed)
    : contents_(contents), random_(seed) {}

PanelEeprom::PanelEeprom() : random_(1) { contents_.fill(0xFF); }

PanelEeprom::Contents PanelEeprom::contents() const {
  std::lock_guard lock(mutex_);
  return seenLocked();
}

PanelEeprom::Contents PanelEeprom::seenLocked() const {
  Contents seen{};
  const auto cells = cells_.seenAll(contents_);
  std::copy(cells.begin(), cells.end(), seen.begin());
  return seen;
}

void PanelEeprom::setChipFaults(ChipFaults faults) {
  std::lock_guard lock(mutex_);
  cells_ = std::move(faults);
}

void PanelEeprom::setContents(const Contents& contents) {
  std::lock_guard lock(mutex_);
  contents_ = contents;
}

void PanelEeprom::setPanelPresent(bool present) {
  std::lock_guard lock(mutex_);
  present_ = present;
}

void PanelEeprom::setWriteProtected(bool on) {
  std::lock_guard lock(mutex_);
  writeProtected_ = on;
}

void PanelEeprom::setTiming(const Timing& timing) {
  std::lock_guard lock(mutex_);
  timing_ = timing;
  timing_.pieceMin = std::max<std::size_t>(1, timing_.pieceMin);
  timing_.pieceMax = std::max(timing_.pieceMin, timing_.pieceMax);
}

void PanelEeprom::setSeed(std::uint32_t seed) {
  std::lock_guard lock(mutex_);
  random_.seed(seed);
}

void PanelEeprom::setStatusOverride(std::optional<std::array<std::uint8_t, 2>> letters) {
  std::lock_guard lock(mutex_);
  statusOverride_ = letters;
}

int PanelEeprom::writesDone() const {
  std::lock_guard lock(mutex_);
  return writesDone_;
}

void PanelEeprom::handle(std::uint8_t, FirmwarePort& port) {
  // The firmware reads the second letter of the command; any other letter is dropped.
  const std::uint8_t sub = port.readByte();
  if (sub == kRead) answerRead(port);
  if (sub == kWrite) answerWrite(port);
}

std::array<std::uint8_t, 2> PanelEeprom::status(bool ok) const {
  if (statusOverride_) return *statusOverride_;
  return ok ? std::array<std::uint8_t, 2>{'O', 'K'} : std::array<std::uint8_t, 2>{'E', 'R'};
}

void PanelEeprom::answerRead(FirmwarePort& port) {
  std::vector<std::uint8_t> reply(kSize, 0xFF);
  {
    std::lock_guard lock(mutex_);
    if (present_) {
      const Contents seen = seenLocked();
      std::copy(seen.begin(), seen.end(), reply.begin());
    }
    const auto letters = status(present_);
    reply.insert(reply.end(), letters.begin(), letters.end());
  }
  sendInPieces(reply, port);
}

void PanelEeprom::answerWrite(FirmwarePort& port) {
  sendInPieces({kReady}, port);
  Contents incoming{};
  for (auto& byte : incoming) byte = port.readByte();

  bool accepted = false;
  std::chrono::microseconds writeTime{};
  {
    std::lock_guard lock(mutex_);
    accepted = present_ && !writeProtected_;
    writeTime = timing_.writeTime;
  }
  if (accepted) {
    port.pause(writeTime);
    std::lock_guard lock(mutex_);
    for (std::uint32_t a = 0; a < kSize; ++a) {
      const std::uint8_t erased = cells_.erases(a) ? 0xFF : contents_[a];
      contents_[a] = cells_.stored(a, erased & incoming[a]);
    }
    ++writesDone_;
  }
  std::vector<std::uint8_t> reply;
  {
    std::lock_guard lock(mutex_);
    const auto letters = status(accepted);
    reply.assign(letters.begin(), letters.end());
  }
  sendInPieces(reply, port);
}

void PanelEeprom::sendInPieces(const std::vector<std::uint8_t>& reply, FirmwarePort& port) {
  std::size_t at = 0;
  while (at < reply.size()) {
    std::size_t piece = 0;
    std::chrono::microseconds gap{};
    {
      std::lock_guard lock(mutex_);
      std::uniform_int_distribution<std::size_t> size(timing_.pieceMin, timing_.pieceMax);
      piece = std::min(size(random_), reply.size() - at);
      const auto gapMax = static_cast<long long>(timing_.gapMax.count());
      std::uniform_int_distribution<long long> wait(0, std::max(0LL, gapMax));
      gap = std::chrono::microseconds(wait(random_));
    }
    if (at > 0 && gap.count() > 0) port.pause(gap);
    port.send(std::span<const std::uint8_t>(reply.data() + at, piece));
    at += piece;
  }
}

}  // namespace tarvex::emu
