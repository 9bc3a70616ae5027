#include "link/serial/tty_config.h"

#include <termios.h>

#include <array>
#include <utility>

namespace tarvex::serial {
namespace {

constexpr std::uint8_t kStopBits2 = 2;
constexpr std::uint8_t kParityOdd = 1;
constexpr std::uint8_t kParityEven = 2;
constexpr std::uint8_t kParityMark = 3;
constexpr std::uint8_t kParitySpace = 4;

// The character-format bits this file owns in c_cflag.
constexpr tcflag_t kFormatBits = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;

constexpr std::array<std::pair<std::uint32_t, speed_t>, 19> kSpeeds{{
    {300, B300},         {600, B600},         {1200, B1200},       {2400, B2400},
    {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},
    {500000, B500000},   {576000, B576000},   {921600, B921600},   {1000000, B1000000},
    {1500000, B1500000}, {2000000, B2000000}, {3000000, B3000000},
}};

bool speedFor(std::uint32_t baud, speed_t* speed) {
  for (const auto& [rate, constant] : kSpeeds) {
    if (rate == baud) {
      *speed = constant;
      return true;
    }
  }
  return false;
}

// Applies the settings and checks that the driver kept the fields that matter here. A tty
// that cannot be read or written at all is reported as an I/O error.
FtStatus applyAndVerify(int fd, const termios& wanted, tcflag_t cflagMask) {
  if (tcsetattr(fd, TCSANOW, &wanted) != 0) return FT_IO_ERROR;
  termios actual{};
  if (tcgetattr(fd, &actual) != 0) return FT_IO_ERROR;
  const bool kept =
      (actual.c_cflag & cflagMask) == (wanted.c_cflag & cflagMask) &&
      cfgetispeed(&actual) == cfgetispeed(&wanted) &&
      cfgetospeed(&actual) == cfgetospeed(&wanted) &&
      (actual.c_lflag & (ECHO | ICANON | ISIG)) == (wanted.c_lflag & (ECHO | ICANON | ISIG)) &&
      actual.c_cc[VMIN] == wanted.c_cc[VMIN] && actual.c_cc[VTIME] == wanted.c_cc[VTIME];
  return kept ? FT_OK : FT_OTHER_ERROR;
}

}  // namespace

FtStatus configureRawLine(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return FT_IO_ERROR;
  cfmakeraw(&t);
  t.c_iflag &= ~(IXOFF | IXANY);
  t.c_cflag &= ~(CSTOPB | CRTSCTS | CMSPAR | PARODD);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, B921600);
  cfsetospeed(&t, B921600);
  return applyAndVerify(fd, t, kFormatBits | CLOCAL | CREAD | CRTSCTS);
}

FtStatus setLineBaudRate(int fd, std::uint32_t baud) {
  speed_t speed{};
  if (!speedFor(baud, &speed)) return FT_INVALID_BAUD_RATE;
  termios t{};
  if (tcgetattr(fd, &t) != 0) return FT_IO_ERROR;
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  const FtStatus status = applyAndVerify(fd, t, kFormatBits);
  return status == FT_OTHER_ERROR ? FT_INVALID_BAUD_RATE : status;
}

FtStatus setLineFormat(int fd, std::uint8_t wordLength, std::uint8_t stopBits,
                       std::uint8_t parity) {
  if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != kStopBits2) ||
      parity > kParitySpace) {
    return FT_INVALID_PARAMETER;
  }
  termios t{};
  if (tcgetattr(fd, &t) != 0) return FT_IO_ERROR;
  t.c_cflag &= ~kFormatBits;
  t.c_cflag |= wordLength == 8 ? CS8 : CS7;
  if (stopBits == kStopBits2) t.c_cflag |= CSTOPB;
  switch (parity) {
    case kParityOdd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case kParityEven:
      t.c_cflag |= PARENB;
      break;
    case kParityMark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case kParitySpace:
      t.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  // A driver that cannot do the format (a pseudo-terminal is always 8N1) keeps its own.
  const FtStatus status = applyAndVerify(fd, t, kFormatBits);
  return status == FT_OTHER_ERROR ? FT_INVALID_PARAMETER : status;
}

}  // namespace tarvex::serial
