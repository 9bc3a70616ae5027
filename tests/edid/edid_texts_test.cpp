// The EDID tool's texts that users know from the manual and from the windows themselves, stated
// here character for character, so a slip in the tool's message table cannot pass unseen: the other
// tests take these texts from that table.

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "tools/edid/edid_messages.h"

namespace tarvex::edid {
namespace {

TEST(EdidTexts, EveryDocumentedTextIsExact) {
  const std::pair<std::string_view, std::string_view> texts[] = {
      {msg::kReading, "Reading EEPROM ..."},
      {msg::kReadNoAnswer, "EEPROM does not respond, check the connection !!!"},
      {msg::kReadDone, "Reading from the EEPROM is completed successfully."},
      {msg::kSaveInterrupted, "Write to file is interrupted."},
      {msg::kSaveFile, "Save the file: "},
      {msg::kWriteInterrupted, "Write operation is interrupted."},
      {msg::kWriting, "Writing EEPROM ..."},
      {msg::kWriteDone, "Writing data to EEPROM is completed successfully."},
      {msg::kWriteError, "EEPROM does not respond, or write error! WP 7 pin = '0' ?"},
      {msg::kSaveFilter, "BIN файлы EEPROM (*.bin)|*.bin"},
      {msg::kOpenFilter, "BIN файлы EEPROM (*.bin)|*.bin|Другие|*.*"},
      {msg::kDefaultName, "Noname"},
      {msg::kCaption, "EEPROM LCD read/write VER4.1"},
      {msg::kReadButton, "EDID_READ"},
      {msg::kWriteButton, "EDID_WRITE"},
      {msg::kExitButton, "EXIT"},
  };
  for (const auto& [shown, documented] : texts) EXPECT_EQ(shown, documented);
}

}  // namespace
}  // namespace tarvex::edid
