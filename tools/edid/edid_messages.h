#pragma once
// Every text the EDID tool shows: log lines, dialogs and message boxes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "safety/double_read_texts.h"
#include "safety/partly_changed_line.h"
#include "safety/safety_texts.h"

namespace tarvex::edid::msg {

inline constexpr const char* kReading = "Reading EEPROM ...";
inline constexpr const char* kReadNoAnswer = "EEPROM does not respond, check the connection !!!";
inline constexpr const char* kReadDone = "Reading from the EEPROM is completed successfully.";
inline constexpr const char* kSaveInterrupted = "Write to file is interrupted.";
inline constexpr const char* kSaveFile = "Save the file: ";
inline constexpr const char* kWriteInterrupted = "Write operation is interrupted.";
inline constexpr const char* kWriting = "Writing EEPROM ...";
inline constexpr const char* kWriteDone = "Writing data to EEPROM is completed successfully.";
inline constexpr const char* kWriteError = "EEPROM does not respond, or write error! WP 7 pin = '0' ?";

// When the adapter stops answering, goes away, or answers what it never should.
inline constexpr const char* kLinkLost = "Connection with the programmer is lost!";
inline constexpr const char* kNoWriteAck = "The programmer does not answer the write command!";
inline constexpr const char* kNoWriteStatus =
    "The programmer did not report the end of the write, the EEPROM contents are unknown!";
std::string readReplyIncomplete(std::uint32_t received, std::uint32_t expected);
std::string unexpectedStatus(std::uint8_t first, std::uint8_t second);

// The image file could not be stored or read whole.
inline constexpr const char* kFileNotSaved = "Error writing the file! The EEPROM image is NOT saved.";
inline constexpr const char* kFileNotRead = "Error reading the file! The EEPROM is not changed.";
inline constexpr const char* kFileWriteBox = "Ошибка записи файла.";
inline constexpr const char* kFileReadBox = "Ошибка чтения файла.";
// Where the bytes of an image that could not be saved whole were kept instead.
std::string partialKept(const std::string& path, long long bytes);

inline constexpr const char* kSaveFilter = "BIN файлы EEPROM (*.bin)|*.bin";
inline constexpr const char* kOpenFilter = "BIN файлы EEPROM (*.bin)|*.bin|Другие|*.*";
inline constexpr const char* kDefaultName = "Noname";
inline constexpr const char* kDefaultExtension = "bin";

// The decode of an EDID image, logged after a read, and the checks before a write.
inline constexpr const char* kNoEdidHeader =
    "No EDID header: the image does not begin with 00 FF FF FF FF FF FF 00!";
std::string imageCutShort(std::size_t size);
inline constexpr const char* kChecksumUnknown =
    "EDID checksum cannot be checked: the base block is incomplete.";
std::string checksumRight(std::uint8_t stored);
std::string checksumWrong(std::uint8_t stored, std::uint8_t correct);
std::string edidVersion(int version, int revision);
std::string manufacturer(const std::string& letters);
std::string productCode(std::uint16_t code);
std::string serialNumber(std::uint32_t serial);
std::string madeInWeek(int week, int year);
std::string madeInYear(int year);
std::string modelYear(int year);
// refreshCentiHz 0: no rate follows from the timing.
std::string preferredMode(int width, int height, bool interlaced, std::uint32_t refreshCentiHz,
                          std::uint32_t pixelClockKHz);
inline constexpr const char* kNoPreferredMode = "Preferred mode: not given.";
std::string monitorName(const std::string& escapedName);
inline constexpr const char* kNoMonitorName = "Monitor name: not given.";

// Every read is taken twice and the two compared: a poor contact gives reads that differ.
inline constexpr DoubleReadTexts kDoubleRead{
    .firstRead = "Read 1 of 2 ...",
    .secondRead = "Read 2 of 2, to compare with the first ...",
    .readsMatch = "The two reads match, the image is saved.",
    .differIn = "ERROR: the two reads of the EEPROM differ in ",
    .firstAt = " bytes, first at address ",
    .checkContacts = ": check the cable and the contacts, then read again.",
    .readKept = "A read kept for comparison in: ",
    .unconfirmedKept = "The first read (not compared) is kept in: ",
    .fileWriteFailed = kFileNotSaved,
    .partial = {"The image that could not be saved whole is kept in: ", " (", " bytes)"},
};

// The steps around a write: image checks, backup, read-back.
inline constexpr const char* kBackupRead = "Reading EEPROM into a backup copy ...";
inline constexpr const char* kVerifyRead = "Reading EEPROM back to verify the write ...";
// A write that failed once its image bytes had begun going out.
inline constexpr PartlyChangedTexts kPartlyWritten{
    .line = "The EEPROM may now be partly written: do not disconnect the panel, write the image "
            "again.",
    .backupLead = " The old content is in the backup copy: ",
    .backupEnd = "",
};
inline constexpr const char* kWriteNotVerified = "The write is not verified (verification is off).";
inline constexpr const char* kCorrectChecksumChoice = "Correct the checksum";
inline constexpr const char* kChecksumQuestion =
    "Write it anyway? \"Correct the checksum\" writes it with the correct value instead; the "
    "file itself is not changed.";
std::string checksumCorrected(std::uint8_t stored, std::uint8_t correct);
inline constexpr SafetyTexts kSafety{
    .tool = "edid",
    .askGoOn = "Write it anyway?",
    .cancelled = "Write operation is cancelled, the EEPROM is not changed.",
    .backupReadFailed = "The backup copy could not be read: the EEPROM is not changed.",
    .backupSaved = "Backup copy saved: ",
    .backupNotSaved = "Backup copy NOT saved, the EEPROM is not changed: ",
    .verifyReadFailed =
        "Verification failed: the EEPROM could not be read back, the write is NOT confirmed!",
    .verifyOk = "Verification passed: the EEPROM holds the image written.",
    .blankOk = "",  // an EEPROM is never erased on its own
    .mismatchAt = "VERIFICATION ERROR: first difference at address ",
    .mismatchCount = ", differing bytes: ",
    .mismatchEnd = "; the EEPROM does NOT hold the image!",
};

// The window.
inline constexpr const char* kCaption = "EEPROM LCD read/write VER4.1";
inline constexpr const char* kReadButton = "EDID_READ";
inline constexpr const char* kWriteButton = "EDID_WRITE";
inline constexpr const char* kExitButton = "EXIT";

}  // namespace tarvex::edid::msg
