#pragma once
// A KB90xx embedded controller (KB9010/9012/9016/9022) as the V41 adapter firmware reaches
// it through the mainboard's keyboard connector: 128 KiB of flash moved in 256-byte blocks.
//
//   'V'  -> one byte: the controller's debug version ID, FFh when no controller answers.
//   'R'  -> block 1 (256 bytes); each 'N' then sends the next block, 'X' ends the stream.
//   'W'  -> the flash is erased, then one ready byte; the firmware takes 256 data bytes,
//           programs them and answers one block-done byte. Each 'N' answers a ready byte
//           and takes the next block the same way; 'X' ends the stream.
//   'S'  -> one '-' per block checked (512), then the 16-bit sum and the CRC-16 of the
//           whole flash, each low byte first.
//
// The adapter starts every open idle; the flash keeps its contents across opens.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "emulator/chip_faults.h"
#include "emulator/firmware_port.h"

namespace tarvex::emu {

// Faults of the controller and the wiring to it, on top of the adapter's own FaultPlan.
struct Kb90Faults {
  // No controller on the other end: 'V' gets FFh and the other commands get nothing.
  bool noController = false;
  // The stream goes silent after this many blocks (read or written) and stays silent
  // for the rest of the open, as when the mainboard loses power mid-transfer.
  std::optional<int> silentAfterBlocks;
  // The checksum run stops after this many '-' bytes and stays silent.
  std::optional<int> silentAfterDashes;
  // A stray byte after every n-th '-' of the checksum run (0: none), as a noisy line or
  // a chatty firmware produces.
  int strayEvery = 0;
  std::uint8_t strayByte = '\r';
  // A flash cell that does not take what is programmed into it: it keeps its erased FFh.
  std::optional<std::uint32_t> stuckCell;
};

// Time the controller spends on each step; zero by default so tests run at host speed.
struct Kb90Timing {
  std::chrono::microseconds erase{0};           // the chip erase that 'W' starts with
  std::chrono::microseconds blockRead{0};       // reading one block out of the flash
  std::chrono::microseconds blockProgram{0};    // programming one block
  std::chrono::microseconds checksumBlock{0};   // summing one block during 'S'
};

class Kb90Controller final : public CommandHandler {
 public:
  static constexpr std::size_t kFlashSize = 128 * 1024;
  static constexpr std::size_t kBlockSize = 256;
  static constexpr int kBlocks = static_cast<int>(kFlashSize / kBlockSize);
  // The values of the ready and block-done bytes carry no meaning for the host.
  static constexpr std::uint8_t kReadyByte = 'r';
  static constexpr std::uint8_t kBlockDoneByte = 'k';

  // An erased controller (all FFh) with the given debug version ID.
  explicit Kb90Controller(std::uint8_t debugVersion = 0x0C);

  std::vector<std::uint8_t> flash() const;  // as a read sees it
  // Contents shorter than the flash are padded with FFh; longer ones are cut.
  void setFlash(std::vector<std::uint8_t> contents);
  void setDebugVersion(std::uint8_t version);
  void setFaults(const Kb90Faults& faults);
  void setTiming(const Kb90Timing& timing);
  // Faults of the flash cells; the checksum run sums what the cells hold as reads see it.
  void setChipFaults(ChipFaults faults);

  // What the firmware did, for tests: blocks sent by read streams and blocks programmed
  // by write streams since construction.
  int blocksRead() const;
  int blocksWritten() const;

  bool handles(std::uint8_t command) const override;
  void handle(std::uint8_t command, FirmwarePort& port) override;
  void reset() override;

 private:
  enum class Stream { kIdle, kReading, kWriting };

  void connect(FirmwarePort& port);
  void startRead(FirmwarePort& port);
  void startWrite(FirmwarePort& port);
  void next(FirmwarePort& port);
  void sendReadBlock(FirmwarePort& port);
  void takeWriteBlock(FirmwarePort& port);
  void checksum(FirmwarePort& port);
  // True when a stream that has moved `blocks` blocks must now fall silent.
  bool silencedAt(int blocks);

  mutable std::mutex mutex_;
  std::vector<std::uint8_t> flash_;
  std::uint8_t debugVersion_;
  Kb90Faults faults_;
  ChipFaults cells_;
  Kb90Timing timing_;
  int blocksRead_ = 0;
  int blocksWritten_ = 0;

  // Per open; touched on the firmware thread only, reset between opens.
  Stream stream_ = Stream::kIdle;
  int streamBlock_ = 0;  // blocks moved in the current stream
  bool silenced_ = false;
};

}  // namespace tarvex::emu
