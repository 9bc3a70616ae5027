#pragma once
// An emulated MEC1609-family embedded controller behind the adapter's JTAG firmware.
//
// The firmware side: '1' attaches the target, 'j' answers four ID bytes, 'r' + six ASCII hex
// address digits answers four register bytes (most significant first) and a fifth byte,
// 'w' + six address digits + eight value digits answers 01h when done, 'R' + six address
// digits starts a read stream of 1025-byte blocks (1024 data bytes and a status byte, 01h
// good), 'W' starts a write stream (one request byte, then 256 bytes from the host, then
// 'G'), 'N' asks for the next block of either stream, 'X' ends it and '0' releases the
// target.
//
// The controller side: MAIN flash of 192 KiB at 000000h and INFO flash of 2 KiB at 040000h;
// the registers FFFD00h (revision), FF3904h (flash address), FF3908h (flash mode),
// FF390Ch (status: bit 0 busy, bit 3 Boot_Lock, bit 4 FWP pin) and FF3910h (access
// enable). Reading needs access enabled and mode 105h, programming mode 106h, erasing mode
// 107h and a write of the erase value to FF3904h (F80000h MAIN, FC0000h MAIN and INFO).
// The FWP pin and Boot_Lock keep the flash from being erased or programmed. Programming
// can only clear bits, as on the real flash, so writing over unerased contents shows.

#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "emulator/chip_faults.h"
#include "emulator/firmware_port.h"

namespace tarvex::emu {

namespace mec1609 {
inline constexpr std::uint32_t kMainSize = 192 * 1024;
inline constexpr std::uint32_t kInfoBase = 0x040000;
inline constexpr std::uint32_t kInfoSize = 2 * 1024;

inline constexpr std::uint32_t kRevisionRegister = 0xFFFD00;
inline constexpr std::uint32_t kAddressRegister = 0xFF3904;
inline constexpr std::uint32_t kModeRegister = 0xFF3908;
inline constexpr std::uint32_t kStatusRegister = 0xFF390C;
inline constexpr std::uint32_t kEnableRegister = 0xFF3910;

inline constexpr std::uint32_t kStatusBusy = 0x01;
inline constexpr std::uint32_t kStatusBootLock = 0x08;
inline constexpr std::uint32_t kStatusFwp = 0x10;
}  // namespace mec1609

// A register request the model answers wrongly, for link-loss tests.
struct RegisterFault {
  enum class Effect {
    kNoReply,     // nothing comes back
    kShortReply,  // only the first two bytes of a read reply (a write: nothing)
    kRefused,     // a write answered with 00h instead of 01h
  };
  char access = 'r';                    // 'r' read or 'w' write
  std::uint32_t address = 0;
  std::optional<std::uint32_t> value;   // writes: only this value (any when empty)
  int skip = 0;                         // matching requests answered normally first
  Effect effect = Effect::kNoReply;
};

struct Mec1609Faults {
  std::vector<RegisterFault> registers;
  // A read-stream block whose status byte is 00h: the stream's start address and the
  // block's number in that stream, from 1.
  std::optional<std::pair<std::uint32_t, int>> badBlock;
  // A read-stream block that never comes (the adapter stalls).
  std::optional<std::pair<std::uint32_t, int>> stalledBlock;
  // A write-stream block (from 1) whose acknowledgement is ackByte instead of 'G', or
  // nothing at all when ackByte is empty.
  std::optional<int> badAckAtBlock;
  std::optional<std::uint8_t> ackByte;
  // A write-stream block (from 1) for which no request byte comes.
  std::optional<int> noRequestAtBlock;
};

class Mec1609 final : public CommandHandler {
 public:
  Mec1609();

  bool handles(std::uint8_t command) const override;
  void handle(std::uint8_t command, FirmwarePort& port) override;
  void reset() override;

  // Set-up and inspection (any thread).
  void setId(std::vector<std::uint8_t> id);
  void setStatusBits(std::uint32_t bits);  // Boot_Lock and FWP (bit 3, bit 4)
  void setRevision(std::uint32_t value);
  // Status reads that still see the busy bit after an erase starts; a huge number gives
  // an erase that never ends.
  void setEraseBusyPolls(std::uint64_t polls);
  void setFaults(Mec1609Faults faults);
  // Faults of the flash cells, at MAIN and INFO addresses as the read stream gives them.
  void setChipFaults(ChipFaults faults);
  void fillMain(std::uint8_t value);
  void setMain(std::vector<std::uint8_t> image);  // at most 192 KiB, from address 0
  void fillInfo(std::uint8_t value);
  // The flash as a read sees it.
  std::vector<std::uint8_t> mainFlash() const;
  std::vector<std::uint8_t> infoFlash() const;
  std::uint32_t registerValue(std::uint32_t address) const;
  // Every register write the target took, in order (address, value).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> registerWrites() const;
  std::uint64_t statusReads() const;
  void clearRecords();

 private:
  enum class Stream { kIdle, kReading, kWriting };

  std::optional<std::uint32_t> readHex(FirmwarePort& port, int digits);
  void readRegister(FirmwarePort& port);
  void writeRegister(FirmwarePort& port);
  void startReadStream(FirmwarePort& port);
  void sendReadBlock(FirmwarePort& port);
  void writeBlock(FirmwarePort& port);
  std::optional<RegisterFault::Effect> registerFaultLocked(char access, std::uint32_t address,
                                                           std::uint32_t value);
  std::uint32_t readRegisterLocked(std::uint32_t address);
  void writeRegisterLocked(std::uint32_t address, std::uint32_t value);
  std::uint8_t* flashByteLocked(std::uint32_t address);
  bool flashLockedLocked() const;
  void eraseLocked(bool withInfo);

  mutable std::mutex mutex_;
  std::vector<std::uint8_t> main_;
  std::vector<std::uint8_t> info_;
  std::vector<std::uint8_t> id_;
  std::uint32_t revision_ = 0x00000105;
  std::uint32_t address_ = 0;
  std::uint32_t mode_ = 0;
  std::uint32_t statusBits_ = 0;
  std::uint32_t enable_ = 0;
  std::uint64_t eraseBusyPolls_ = 2;
  std::uint64_t busyLeft_ = 0;
  std::optional<bool> pendingEraseWithInfo_;
  Mec1609Faults faults_;
  ChipFaults cells_;
  std::vector<int> faultSeen_;

  // Per open of the adapter.
  bool attached_ = false;
  Stream stream_ = Stream::kIdle;
  std::uint32_t streamStart_ = 0;
  std::uint32_t streamAddress_ = 0;
  int streamBlock_ = 0;

  std::vector<std::pair<std::uint32_t, std::uint32_t>> writes_;
  std::uint64_t statusReads_ = 0;
};

}  // namespace tarvex::emu
