#pragma once
// Every text the KB90xx tool shows: window captions, log lines, labels, dialogs.

#include "safety/double_read_texts.h"
#include "safety/partly_changed_line.h"
#include "safety/safety_texts.h"

namespace tarvex::kb90::text {

// Window and controls.
inline constexpr const char* kCaption = "KB9010/9012/9016/9022  programming VER4.1";
inline constexpr const char* kReadButton = "KB90XX_READ";
inline constexpr const char* kWriteButton = "KB90XX_WRITE";
inline constexpr const char* kExitButton = "EXIT";
inline constexpr const char* kHelpFrame = " Help for FFC cable connection ";
inline constexpr const char* kPin1Check = "Pin 1 connected  to pin 1 on the MB keyboard connector";
inline constexpr const char* kResultAtStart = "*************";
inline constexpr const char* kChooseBoard = "Step 1 -> Select MB";
inline constexpr const char* kChooseCable = "Step 2 -> Select FFC cable you used";
inline constexpr const char* kCableItems[] = {"18 pin", "20 pin", "24 pin", "25 pin",
                                              "26 pin", "28 pin", "30 pin", "32 pin"};

// Wiring help.
inline constexpr const char* kNoBaseFile = "Create base of connections KB90XX !";
inline constexpr const char* kBaseFileCut =
    "The base of connections is longer than 8 MiB: "
    "the mainboards past that point are not loaded.";
// The line after it: where the base file was looked for.
inline constexpr const char* kBaseFileLookedFor = "File not found: ";
inline constexpr const char* kDataFormatError = "Error data format!";
inline constexpr const char* kCableTooSmall = "Please select big pins FFC!";
inline constexpr const char* kConnectPrefix = "Please connect GND and: ";
// The message box of a value that is not a number: the value between the quotes.
inline constexpr const char* kNotIntegerBefore = "'";
inline constexpr const char* kNotIntegerAfter = "' is not a valid integer value";

// Connect step.
inline constexpr const char* kControllerFound = "Communication with KB90XX installed.";
inline constexpr const char* kDebugVersion = "Embedded Debug Version ID = ";
inline constexpr const char* kNoController = "No connection to the KB90XX!";
inline constexpr const char* kCheckPower = "Motherboard is connected / powered ?";

// Read.
inline constexpr const char* kReadCancelled = "Write to file is interrupted.";
inline constexpr const char* kSaveFile = "Save the file: ";
inline constexpr const char* kReading = "Reading KB9012 ...";
inline constexpr const char* kReadDone = "Reading completed successfully.";
// The image could not be stored (disk full, I/O error): the read has failed.
inline constexpr const char* kFileWriteFailed = "Ошибка записи в файл.";
// A failed read keeps what it received under another name: the name follows, then the
// byte count and kPartialBytes.
inline constexpr const char* kPartialKept = "NOT a complete image, the data read so far is kept in: ";
inline constexpr const char* kPartialBytes = " bytes)";

// Write and verification.
inline constexpr const char* kWriteCancelled = "Write operation is interrupted.";
inline constexpr const char* kWriteFile = "Write in KB901X file:";
inline constexpr const char* kWriting = "There is a writing KB901X...";
inline constexpr const char* kShortFileWarning = " __ Warning __";
inline constexpr const char* kShortFile = "Recorded file is less than 128*1024 byte";
inline constexpr const char* kWriteDone = "Writing is completed successfully.";
inline constexpr const char* kStars = "**********************************";
inline constexpr const char* kFileSum = "SUMM of data from a file  -> ";
inline constexpr const char* kFileCrc = "CRC16 of data from a file -> ";
inline constexpr const char* kFlashSum = "SUMM FLASH KB90XX -> ";
inline constexpr const char* kFlashCrc = "CRC16 FLASH KB90XX-> ";
inline constexpr const char* kVerifyOk = "Writing and verify is OK !";
inline constexpr const char* kVerifyFailed = "!!! Data is written incorrectly !!! ";
// The image file could not be read while writing it to the flash.
inline constexpr const char* kFileReadFailed = "Ошибка чтения файла.";

// A transfer cut short by the adapter: the block in question follows, then kOfBlocks.
inline constexpr const char* kNoAnswerAtBlock = "No answer from the programmer at block ";
inline constexpr const char* kOfBlocks = " of 512, the operation is interrupted!";
// A read stream holding a byte the programmer should not have sent: every byte after it
// would land one place off in the file. The block in question follows, then kOfBlocks.
inline constexpr const char* kStrayAtBlock = "Unexpected data from the programmer at block ";
inline constexpr const char* kNoAnswerVerify =
    "No answer from the programmer during verification, the operation is interrupted!";
inline constexpr const char* kLinkLost =
    "Connection with the programmer is lost, the operation is interrupted!";

// Every read is taken twice and the two compared: a poor contact gives reads that differ.
inline constexpr DoubleReadTexts kDoubleRead{
    .firstRead = "Read 1 of 2 ...",
    .secondRead = "Read 2 of 2, to compare with the first ...",
    .readsMatch = "The two reads match, the image is saved.",
    .differIn = "ERROR: the two reads differ in ",
    .firstAt = " bytes, first at address ",
    .checkContacts = ": check the cable and the contacts, then read again.",
    .readKept = "A read kept for comparison in: ",
    .unconfirmedKept = "The first read (not compared) is kept in: ",
    .fileWriteFailed = kFileWriteFailed,
    .partial = {kPartialKept, " (", kPartialBytes},
};

// The steps around the write: the backup, and what is left after a failed write.
inline constexpr const char* kBackupRead = "Reading the flash into a backup ...";
inline constexpr SafetyTexts kSafety{
    .tool = "kb90",
    .askGoOn = "Go on?",
    .cancelled = "Operation cancelled, the chip is not changed.",
    .backupReadFailed = "The backup read failed: nothing was erased or written.",
    .backupSaved = "Backup saved: ",
    .backupNotSaved = "The backup could not be saved, nothing was erased or written: ",
    // The adapter verifies a KB90xx write itself (sum and CRC): no read-back texts.
    .verifyReadFailed = "",
    .verifyOk = "",
    .blankOk = "",
    .mismatchAt = "",
    .mismatchCount = "",
    .mismatchEnd = "",
};
inline constexpr PartlyChangedTexts kPartlyWritten{
    .line = "The flash is now partly erased or written: do not power off or disconnect the MB, "
            "write the image again.",
    .backupLead = " The old firmware is in the backup: ",
    .backupEnd = "",
};

// File dialogs.
inline constexpr const char* kSaveFilter = "BIN файл KB901X (*.bin)|*.bin";
inline constexpr const char* kOpenFilter = "BIN файл KB901X (*.bin)|*.bin|Другие|*.*";
inline constexpr const char* kDefaultName = "Noname";
inline constexpr const char* kDefaultExtension = "bin";

}  // namespace tarvex::kb90::text
