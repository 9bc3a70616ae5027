#include "tools/edid/edid_messages.h"

#include <cstdio>

#include "base/printable.h"

namespace tarvex::edid::msg {

std::string readReplyIncomplete(std::uint32_t received, std::uint32_t expected) {
  return "The programmer stopped answering: " + std::to_string(received) + " of " +
         std::to_string(expected) + " bytes received!";
}

std::string unexpectedStatus(std::uint8_t first, std::uint8_t second) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X %02X", first, second);
  return std::string("Unknown answer from the programmer: ") + hex + ", the operation has failed!";
}

std::string partialKept(const std::string& path, long long bytes) {
  return "The " + std::to_string(bytes) + " bytes that could not be saved whole are kept in: " +
         printable(path);
}

namespace {

std::string hexByte(std::uint8_t value) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", value);
  return std::string(hex) + "h";
}

// Hundredths as "60" or "59.94": whole values without a fraction.
std::string hundredths(std::uint32_t value) {
  if (value % 100 == 0) return std::to_string(value / 100);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(value / 100),
                static_cast<unsigned>(value % 100));
  return text;
}

}  // namespace

std::string imageCutShort(std::size_t size) {
  return "The image holds only " + std::to_string(size) +
         " bytes, an EDID base block needs 128!";
}

std::string checksumRight(std::uint8_t stored) {
  return "EDID checksum is correct: " + hexByte(stored) + ".";
}

std::string checksumWrong(std::uint8_t stored, std::uint8_t correct) {
  return "EDID checksum is wrong: stored " + hexByte(stored) + ", correct value " +
         hexByte(correct) + "!";
}

std::string checksumCorrected(std::uint8_t stored, std::uint8_t correct) {
  return "EDID checksum corrected in the image written: " + hexByte(stored) + " -> " +
         hexByte(correct) + " (the file is not changed).";
}

std::string edidVersion(int version, int revision) {
  return "EDID version: " + std::to_string(version) + "." + std::to_string(revision);
}

std::string manufacturer(const std::string& letters) { return "Manufacturer: " + letters; }

std::string productCode(std::uint16_t code) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", code);
  return std::string("Product code: ") + hex + "h";
}

std::string serialNumber(std::uint32_t serial) {
  return "Serial number: " + std::to_string(serial);
}

std::string madeInWeek(int week, int year) {
  return "Manufactured: week " + std::to_string(week) + " of " + std::to_string(year);
}

std::string madeInYear(int year) { return "Manufactured: " + std::to_string(year); }

std::string modelYear(int year) { return "Model year: " + std::to_string(year); }

std::string preferredMode(int width, int height, bool interlaced, std::uint32_t refreshCentiHz,
                          std::uint32_t pixelClockKHz) {
  std::string line = "Preferred mode: " + std::to_string(width) + " x " + std::to_string(height);
  if (interlaced) line += "i";
  line += refreshCentiHz == 0 ? std::string(" @ ? Hz") : " @ " + hundredths(refreshCentiHz) + " Hz";
  return line + ", pixel clock " + hundredths(pixelClockKHz / 10) + " MHz";
}

std::string monitorName(const std::string& escapedName) { return "Monitor name: " + escapedName; }

}  // namespace tarvex::edid::msg
