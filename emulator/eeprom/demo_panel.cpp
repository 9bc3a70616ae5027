#include "emulator/eeprom/demo_panel.h"

#include <algorithm>

#include "emulator/eeprom/panel_eeprom.h"
#include <initializer_list>
#include <string_view>

namespace tarvex::emu {
namespace {

// Writes a display descriptor of the given tag carrying a text of up to 13 characters; a
// shorter one ends in a line feed and is padded with blanks, as panels store their strings.
void textDescriptor(std::uint8_t* d, std::uint8_t tag, std::string_view text) {
  constexpr std::size_t kTextSize = 13;
  text = text.substr(0, kTextSize);
  std::fill_n(d, 18, 0x00);
  d[3] = tag;
  std::fill_n(d + 5, kTextSize, 0x20);
  std::copy(text.begin(), text.end(), d + 5);
  if (text.size() < kTextSize) d[5 + text.size()] = 0x0A;
}

void put(std::uint8_t* at, std::initializer_list<std::uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), at);
}

}  // namespace

std::array<std::uint8_t, 256> demoPanelEeprom() {
  std::array<std::uint8_t, 256> e{};
  e.fill(0xFF);
  std::uint8_t* b = e.data();
  std::fill_n(b, 128, 0x00);

  put(b + 0, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});  // header
  put(b + 8, {0x52, 0xD8});        // maker code "TVX"
  put(b + 10, {0x15, 0x6A});       // product 6A15h
  put(b + 12, {0x2C, 0x01, 0x00, 0x00});  // serial number 300
  put(b + 16, {0x10, 0x18});       // week 16 of 2014
  put(b + 18, {0x01, 0x04});       // EDID 1.4
  b[20] = 0x95;                    // digital input, 6 bits per colour, DisplayPort
  put(b + 21, {0x22, 0x13});       // 34 x 19 cm
  b[23] = 0x78;                    // gamma 2.2
  b[24] = 0x0A;                    // RGB, preferred timing is the native mode
  put(b + 25, {0xEE, 0x95, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54});  // chromaticity
  // No established timings (35..37); standard timings unused.
  for (int i = 38; i < 54; ++i) b[i] = 0x01;

  // Preferred timing: 1366x768 at 60 Hz, 72.80 MHz, image 344 x 193 mm.
  put(b + 54, {0x70, 0x1C, 0x56, 0xAA, 0x50, 0x00, 0x16, 0x30, 0x30, 0x20, 0x36, 0x00,
               0x58, 0xC1, 0x10, 0x00, 0x00, 0x18});
  textDescriptor(b + 72, 0xFE, "TARVEX");
  textDescriptor(b + 90, 0xFE, "TVX156WX1");
  put(b + 108, {0x00, 0x00, 0x00, 0x10, 0x00});  // dummy descriptor, rest zero

  b[126] = 0;  // no extension blocks
  std::uint8_t sum = 0;
  for (int i = 0; i < 127; ++i) sum = static_cast<std::uint8_t>(sum + b[i]);
  b[127] = static_cast<std::uint8_t>(0x100 - sum);
  return e;
}

std::vector<std::shared_ptr<CommandHandler>> demoPanelChips() {
  return {std::make_shared<PanelEeprom>(demoPanelEeprom())};
}

}  // namespace tarvex::emu
