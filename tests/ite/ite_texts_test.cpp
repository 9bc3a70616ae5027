// The ITE tool's texts that users know from the manual and from the windows themselves, stated here
// character for character, so a slip in the tool's message table cannot pass unseen: the other
// tests take these texts from that table.

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "tools/ite/ite_messages.h"

namespace tarvex {
namespace {

TEST(IteTexts, EveryDocumentedTextIsExact) {
  const std::pair<std::string_view, std::string_view> texts[] = {
      {ite_text::kCaption, "ITE 22_11_2015 English"},
      {ite_text::kOrientation, "Pin 1 connected  to pin 1 on the MB keyboard connector"},
      {ite_text::kPinGroup, " ITE pin -> pin KB_CONNECTOR "},
      {ite_text::kSetupButton, "Send settings"},
      {ite_text::kCheckButton, "Check connection"},
      {ite_text::kReadButton, "R E A D"},
      {ite_text::kWriteButton, "W R I T E"},
      {ite_text::kExitButton, "E X I T"},
      {ite_text::kNotConnected, "NC"},
      {ite_text::kPresetPrompt, "Click to select presets for a laptop MB"},
      {ite_text::kPresetFileMissing,
       "File [MB connection IT85XX.txt] at the root of the C: drive with the values not found! "
       "Read the instructions."},
      // The preset messages are built from these around the signal's name:
      // "Not found information on PD0 !", "Неверный номер ножки для PD0 !".
      {ite_text::kNotFoundPrefix, "Not found information on "},
      {ite_text::kWrongPinPrefix, "Неверный номер ножки для "},
      {ite_text::kMessageEnd, " !"},
      {ite_text::kNoKbPins,
       "Not found information on the number of contact sockets keyboard to your MB!"},
      {ite_text::kWrongKbPins, "Wrong number of contact sockets keyboard (23 < xxx < 33)!"},
      {ite_text::kSendingSettings, "Send the settings to MB."},
      {ite_text::kSettingsRefused, "Failed to enter the setting."},
      {ite_text::kSettingsProtocol, "Ошибка протокола при настройке выводов."},
      {ite_text::kSettingsSent, "All settings sent successfully."},
      {ite_text::kNoChipEnglish,
       "ITE chip we do not respond, check the connection and output settings. MB powered? "},
      {ite_text::kNoChipRussian,
       "ITE мульт нам не отвечает, проверяйте соединение и настройки выводов. MB запитана? "},
      {ite_text::kChecking, "Check connection ..."},
      {ite_text::kProgrammerReady, "The programmer is found and is ready for operation."},
      {ite_text::kPlugNow, "Now, as soon as possible, plug the adapter (5 sec) ! "},
      {ite_text::kIdPrefix, "Найден ID мульта -> "},
      {ite_text::kRevisionPrefix, " ревизия -> "},
      {ite_text::kReadCancelled, "Reading canceled by the user. All we turn off. (RD_DLG)"},
      {ite_text::kReadCreateFailed, "Ошибка при создании файла. (RD_CRT_DLG)"},
      {ite_text::kStartReading, "Start reading ITE ..."},
      {ite_text::kInitializing, "Initialization ITE ..."},
      {ite_text::kInitialized, "Initialization complete ..."},
      {ite_text::kReading, "I read, please wait ..."},
      {ite_text::kBadBlock, "Error reading block ->"},
      {ite_text::kReadDone, "We all read "},
      {ite_text::kWriteCancelled, "Write canceled by the user. All we turn off. (WR_DLG)"},
      {ite_text::kWriteOpenFailed, "Ошибка при открытии файла. (WR_OPN_DLG)"},
      {ite_text::kWritingFile, "Writing the file: "},
      {ite_text::kWriteStart, "Write ITE ..."},
      {ite_text::kSendErase, "Send erase command ..."},
      {ite_text::kEraseDone, "Erase complete (0x60/0xC7)..."},
      {ite_text::kLoaded, "131072 bytes loaded to buffer ..."},
      {ite_text::kBlankCount, "The number of bytes in the file equal 0xFF -> "},
      {ite_text::kBeginWrite, "Begin write ..."},
      {ite_text::kAddressRefused, "Ошибка протокола при отправке адреса во флеш."},
      {ite_text::kByteRefused, "Ошибка записи во флеш или потеряна связь с ITE"},
      {ite_text::kWriteDone, "We are all write ... "},
      {ite_text::kSaveFilter, "BIN файл (*.bin)|*.bin"},
      {ite_text::kOpenFilter, "BIN файл  (*.bin)|*.bin|Другие|*.*"},
      {ite_text::kSaveDefaultName, "ITE_"},
  };
  for (const auto& [shown, documented] : texts) EXPECT_EQ(shown, documented);
}

}  // namespace
}  // namespace tarvex
