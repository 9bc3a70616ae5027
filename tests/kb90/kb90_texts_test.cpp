// The KB90xx tool's texts that users know from the manual and from the windows themselves, stated
// here character for character, so a slip in the tool's message table cannot pass unseen: the other
// tests take these texts from that table.

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90 {
namespace {

TEST(Kb90Texts, EveryDocumentedTextIsExact) {
  const std::pair<std::string_view, std::string_view> texts[] = {
      {text::kCaption, "KB9010/9012/9016/9022  programming VER4.1"},
      {text::kReadButton, "KB90XX_READ"},
      {text::kWriteButton, "KB90XX_WRITE"},
      {text::kExitButton, "EXIT"},
      {text::kHelpFrame, " Help for FFC cable connection "},
      {text::kPin1Check, "Pin 1 connected  to pin 1 on the MB keyboard connector"},
      {text::kResultAtStart, "*************"},
      {text::kChooseBoard, "Step 1 -> Select MB"},
      {text::kChooseCable, "Step 2 -> Select FFC cable you used"},
      {text::kCableItems[0], "18 pin"},
      {text::kCableItems[1], "20 pin"},
      {text::kCableItems[2], "24 pin"},
      {text::kCableItems[3], "25 pin"},
      {text::kCableItems[4], "26 pin"},
      {text::kCableItems[5], "28 pin"},
      {text::kCableItems[6], "30 pin"},
      {text::kCableItems[7], "32 pin"},
      {text::kNoBaseFile, "Create base of connections KB90XX !"},
      {text::kDataFormatError, "Error data format!"},
      {text::kCableTooSmall, "Please select big pins FFC!"},
      {text::kConnectPrefix, "Please connect GND and: "},
      {text::kControllerFound, "Communication with KB90XX installed."},
      {text::kDebugVersion, "Embedded Debug Version ID = "},
      {text::kNoController, "No connection to the KB90XX!"},
      {text::kCheckPower, "Motherboard is connected / powered ?"},
      {text::kReadCancelled, "Write to file is interrupted."},
      {text::kSaveFile, "Save the file: "},
      {text::kReading, "Reading KB9012 ..."},
      {text::kReadDone, "Reading completed successfully."},
      {text::kWriteCancelled, "Write operation is interrupted."},
      {text::kWriteFile, "Write in KB901X file:"},
      {text::kWriting, "There is a writing KB901X..."},
      {text::kShortFileWarning, " __ Warning __"},
      {text::kShortFile, "Recorded file is less than 128*1024 byte"},
      {text::kWriteDone, "Writing is completed successfully."},
      {text::kStars, "**********************************"},
      {text::kFileSum, "SUMM of data from a file  -> "},
      {text::kFileCrc, "CRC16 of data from a file -> "},
      {text::kFlashSum, "SUMM FLASH KB90XX -> "},
      {text::kFlashCrc, "CRC16 FLASH KB90XX-> "},
      {text::kVerifyOk, "Writing and verify is OK !"},
      {text::kVerifyFailed, "!!! Data is written incorrectly !!! "},
      {text::kSaveFilter, "BIN файл KB901X (*.bin)|*.bin"},
      {text::kOpenFilter, "BIN файл KB901X (*.bin)|*.bin|Другие|*.*"},
      {text::kDefaultName, "Noname"},
  };
  for (const auto& [shown, documented] : texts) EXPECT_EQ(shown, documented);
}

}  // namespace
}  // namespace tarvex::kb90
