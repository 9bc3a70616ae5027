#pragma once
// Every text the ITE tool shows: window captions, the help text, log lines and dialogs.

#include <array>

#include "safety/double_read_texts.h"
#include "safety/partly_changed_line.h"
#include "safety/safety_texts.h"
#include "frame/tool_view.h"

namespace tarvex::ite_text {

// Window and controls.
inline constexpr const char* kCaption = "ITE 22_11_2015 English";
inline constexpr const char* kOrientation =
    "Pin 1 connected  to pin 1 on the MB keyboard connector";
inline constexpr const char* kPinGroup = " ITE pin -> pin KB_CONNECTOR ";
inline constexpr const char* kSetupButton = "Send settings";
inline constexpr const char* kCheckButton = "Check connection";
inline constexpr const char* kReadButton = "R E A D";
inline constexpr const char* kWriteButton = "W R I T E";
inline constexpr const char* kExitButton = "E X I T";
inline constexpr const char* kNotConnected = "NC";

// The instructions the log holds when the window opens.
inline constexpr std::array<const char*, 20> kHelp = {
    "To connect:",
    "1 Connect the programmer and MB witch flexible cable.",
    "  Number of contacts in the flexible cable must be equal to the number of contact ",
    "  keyboard jack.",
    "  On the programmer, flexible cable set from the first contact! MB is not powered!",
    "  The programmer connect to the PC. Do not forget about the GROUND between the ",
    "  programmer and the MB!",
    "2 Set the control signals and click \"Send settings\".",
    "3 Connect the adapter, and after 1-3 seconds click the \"Check connection\". ",
    "  Most often it succeeds.",
    "  OR, if fault",
    "  Press the \"Check connection\" and within 5 seconds connect the adapter to the MB. ",
    "  You can try to connect. ",
    "4 Now the \"Read\" or \"Write\". After complete- disconnect MB and flexible cable.",
    "",
    "Read all 128K FLASH about 20 seconds.",
    "Write up to 10 minutes and depends on the \"content\" firmware for ITE.",
    "FLASH memory multicontroller, most boards, using 50% therefore ",
    "recording time of about 5 minutes.",
    "",
};

// Presets.
inline constexpr const char* kPresetPrompt = "Click to select presets for a laptop MB";
inline constexpr const char* kPresetFileMissing =
    "File [MB connection IT85XX.txt] at the root of the C: drive with the values not found! "
    "Read the instructions.";
inline constexpr const char* kPresetFileCut =
    "The presets file is longer than 8 MiB: the presets past that point are not loaded.";
// The same notice where the file is looked for elsewhere: the folder goes between the two.
inline constexpr const char* kPresetFileMissingIn = "File [MB connection IT85XX.txt] in ";
inline constexpr const char* kPresetFileMissingEnd =
    " with the values not found! Read the instructions.";
inline constexpr const char* kPresetFileAtDriveRoot = "C:\\MB connection IT85XX.txt";
inline constexpr const char* kNotFoundPrefix = "Not found information on ";
inline constexpr const char* kWrongPinPrefix = "Неверный номер ножки для ";
inline constexpr const char* kMessageEnd = " !";
inline constexpr const char* kNoKbPins =
    "Not found information on the number of contact sockets keyboard to your MB!";
inline constexpr const char* kWrongKbPins =
    "Wrong number of contact sockets keyboard (23 < xxx < 33)!";
// Message boxes for a value that does not read as a number, or is missing altogether.
inline constexpr const char* kNotIntegerEnd = "' is not a valid integer value";
inline constexpr const char* kNoValuePrefix = "No value after '";

// Settings exchange.
inline constexpr const char* kSendingSettings = "Send the settings to MB.";
inline constexpr const char* kSettingsRefused = "Failed to enter the setting.";
inline constexpr const char* kSettingsProtocol = "Ошибка протокола при настройке выводов.";
inline constexpr const char* kSettingsSent = "All settings sent successfully.";

// Controller access. Failure messages end in the code of the step, in parentheses.
inline constexpr const char* kNoChipEnglish =
    "ITE chip we do not respond, check the connection and output settings. MB powered? ";
inline constexpr const char* kNoChipRussian =
    "ITE мульт нам не отвечает, проверяйте соединение и настройки выводов. MB запитана? ";

// Connection check.
inline constexpr const char* kChecking = "Check connection ...";
inline constexpr const char* kProgrammerReady =
    "The programmer is found and is ready for operation.";
inline constexpr const char* kPlugNow = "Now, as soon as possible, plug the adapter (5 sec) ! ";
inline constexpr const char* kIdPrefix = "Найден ID мульта -> ";
inline constexpr const char* kRevisionPrefix = " ревизия -> ";

// Read.
inline constexpr const char* kReadCancelled =
    "Reading canceled by the user. All we turn off. (RD_DLG)";
inline constexpr const char* kReadCreateFailed = "Ошибка при создании файла. (RD_CRT_DLG)";
inline constexpr const char* kReadFileWriteFailed = "Ошибка при записи файла. (RD_WR_FILE)";
// A failed read keeps what it received under another name: the name follows, then the
// byte count and kPartialBytes.
inline constexpr const char* kPartialKept = "NOT a complete image, the data read so far is kept in: ";
inline constexpr const char* kPartialBytes = " bytes)";
inline constexpr const char* kStartReading = "Start reading ITE ...";
inline constexpr const char* kInitializing = "Initialization ITE ...";
inline constexpr const char* kInitialized = "Initialization complete ...";
inline constexpr const char* kReading = "I read, please wait ...";
inline constexpr const char* kBadBlock = "Error reading block ->";
// A page with bytes after it that the programmer should not have sent.
inline constexpr const char* kStrayBlock = "Unexpected data from the programmer at block ->";
inline constexpr const char* kReadDone = "We all read ";

// Write.
inline constexpr const char* kWriteCancelled =
    "Write canceled by the user. All we turn off. (WR_DLG)";
inline constexpr const char* kWriteOpenFailed = "Ошибка при открытии файла. (WR_OPN_DLG)";
inline constexpr const char* kWriteFileReadFailed = "Ошибка при чтении файла. (WR_RD_FILE)";
inline constexpr const char* kWritingFile = "Writing the file: ";
inline constexpr const char* kWriteStart = "Write ITE ...";
inline constexpr const char* kSendErase = "Send erase command ...";
inline constexpr const char* kEraseDone = "Erase complete (0x60/0xC7)...";
inline constexpr const char* kLoaded = "131072 bytes loaded to buffer ...";
inline constexpr const char* kBlankCount = "The number of bytes in the file equal 0xFF -> ";
inline constexpr const char* kBeginWrite = "Begin write ...";
inline constexpr const char* kAddressRefused = "Ошибка протокола при отправке адреса во флеш.";
inline constexpr const char* kByteRefused = "Ошибка записи во флеш или потеряна связь с ITE";
inline constexpr const char* kWriteDone = "We are all write ... ";

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
    .fileWriteFailed = kReadFileWriteFailed,
    .partial = {kPartialKept, " (", kPartialBytes},
};

// The steps around the write: backup, read-back.
inline constexpr const char* kBackupRead = "Reading the flash into a backup ...";
inline constexpr const char* kVerifyRead = "Reading the flash back to verify the write ...";
inline constexpr const char* kWriteNotVerified = "Written without verification (it is turned off).";
inline constexpr SafetyTexts kSafety{
    .tool = "ite",
    .askGoOn = "Go on?",
    .cancelled = "Operation cancelled, the chip is not changed.",
    .backupReadFailed = "The backup read failed: nothing was erased or written.",
    .backupSaved = "Backup saved: ",
    .backupNotSaved = "The backup could not be saved, nothing was erased or written: ",
    .verifyReadFailed = "Not verified: the flash could not be read back, the write is not confirmed.",
    .verifyOk = "Verify OK: the flash holds the written image.",
    .blankOk = "Verify OK: the flash is blank (every byte FFh).",
    .mismatchAt = "VERIFY FAILED: the first difference is at address ",
    .mismatchCount = ", differing bytes: ",
    .mismatchEnd = ".",
};
inline constexpr PartlyChangedTexts kPartlyWritten{
    .line = "The flash is now partly erased or written: do not power off or disconnect the MB, "
            "write the image again.",
    .backupLead = " The old firmware is in the backup: ",
    .backupEnd = "",
};

// File dialogs.
inline constexpr const char* kSaveFilter = "BIN файл (*.bin)|*.bin";
inline constexpr const char* kOpenFilter = "BIN файл  (*.bin)|*.bin|Другие|*.*";
inline constexpr const char* kSaveDefaultName = "ITE_";
inline constexpr const char* kDefaultExtension = "bin";

}  // namespace tarvex::ite_text
