#pragma once
// Opening the adapter link: find the adapter among the attached devices (the last one
// first), configure the line and check the firmware tag. Closing it again.

#include <array>
#include <cstdint>
#include <string>

#include "link/ft_device.h"
#include "link/link_state.h"
#include "base/log_sink.h"

namespace tarvex {

enum class TagCheck {
  kThreeBytes,    // exactly the three expected bytes
  kTextWithIte,  // up to 32 bytes whose display text contains "ITE"
};

struct LinkParams {
  TagCheck tagCheck = TagCheck::kThreeBytes;
  std::array<std::uint8_t, 3> expectedTag{};
  bool latencyBeforeHandshake = false;
  bool stepLines = false;
  bool zeroTimeoutsAfterSuccess = true;
  const char* notFoundLine = "";
};

// The parameters by which the tools differ.
namespace link_params {
extern const LinkParams kEdid;
extern const LinkParams kKb90;
extern const LinkParams kKeyboard;
extern const LinkParams kMec16;
extern const LinkParams kIte;
}  // namespace link_params

enum LinkResult : int {
  kNoAdapter = 0,      // nothing is open
  kLinkReady = 1,      // handle open and configured
  kWrongFirmware = 2,  // an adapter answered with another tag; nothing is open
};

int OpenAdapterLink(FtBus& bus, const LinkParams& params, LinkState& link, LogSink& log);

// The tag is the whole answer to 'B' and the firmware sends it in one piece, so anything
// still queued once it is read (a line end after it, say) belongs to no request. Left
// there, the tool's first reply would begin with it and every byte after would be taken one
// place off: an adapter that does this is refused like one with another tag. True too when
// the queue cannot be read.
bool bytesAfterTag(FtDevice& device);

// Closes the device if it is open; safe to call on every way out.
void CloseAdapterLink(LinkState& link);

namespace link_text {
inline constexpr const char* kNoList = "I can not get a list of VCOM ports";
inline constexpr const char* kNoPorts = "VCOM port is not found on the machine!";
inline constexpr const char* kPortCount = "Number of VCOM ports found on the machine: ";
inline constexpr const char* kInstalled = "Communication with programmer installed.";
inline constexpr const char* kUpdateFirmware = "It is necessary to update the firmware programmer!";
inline constexpr const char* kFirmwareVersion = "FW Version Programmer -> ";
inline constexpr const char* kNotFoundArrow = "-->  The programmer is not found or does not respond";
inline constexpr const char* kNotFound = "The programmer is not found or does not respond";
inline constexpr const char* kStepReset = "COM порт сброшен.";
inline constexpr const char* kStepBaud = "Установлена скорость 921600 bps.";
inline constexpr const char* kStepFormat = "Произведена настройка формата передачи данных.";
inline constexpr const char* kStepTimeouts = "Произведена настройка таймаутов.";
inline constexpr const char* kStepLatency = "Произведена настройка LatencyTimer.";
inline constexpr const char* kStepPortSet = "Настроили порт ";
}  // namespace link_text

}  // namespace tarvex
