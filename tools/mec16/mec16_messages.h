#pragma once
// Every text the MEC16 tool shows: log lines, link-loss codes, help, window captions.
// Link-loss lines name where the link was lost with a short code; some end with a full
// stop and some do not, and service staff search logs for them as they are.

#include <array>

#include "safety/double_read_texts.h"
#include "safety/partly_changed_line.h"
#include "safety/safety_texts.h"

namespace tarvex::mec16::text {

// Register access.
inline constexpr const char* kLost = "MEC_lost";
inline constexpr const char* kOk = "MEC_OK";
inline constexpr const char* kIdShort = "ID готово 4 байта но сняли меньше ОШИБКА";
inline constexpr const char* kIdPrefix = "Получен ID от MEC16 -> ";
inline constexpr const char* kWroteAccessOn = "Записали в регистр FF3910h 1";
inline constexpr const char* kWroteAccessOff = "Записали в регистр FF3910h 0";
inline constexpr const char* kWroteModeRead = "Записали в регистр FF3908h 105h";
inline constexpr const char* kWroteModeProgram = "Записали в регистр FF3908h 106h";
inline constexpr const char* kWroteModeErase = "Записали в регистр FF3908h 107h";
inline constexpr const char* kWroteModeIdle = "Записали в регистр FF3908h 100h";
inline constexpr const char* kWroteModeOff = "Записали в регистр FF3908h 0";
inline constexpr const char* kWroteWriteStart = "Записали в регистр FF3904h 0";
inline constexpr const char* kEraseSent = "Отправили команду стирания.";
inline constexpr const char* kPortClosed = "Закрыли VCOM порт";

// Connection check.
inline constexpr const char* kLabelRevision = "Регистр FFFD00h -> ";
inline constexpr const char* kLabelMode = "Регистр FF3908h -> ";
inline constexpr const char* kLabelAccess = "Регистр FF3910h -> ";
inline constexpr const char* kLabelStatus = "Регистр FF390Ch -> ";
inline constexpr const char* kFwpSet = "--> СТОИТ ЗАЩИТА ЗАПИСИ ! (FWP ножка)";
inline constexpr const char* kFwpClear = "--> Стирание и запись разрешена (FWP ножка)";
inline constexpr const char* kBootLockSet = "--> Стоит Boot_Lock ! (защита загрузочного блока)";
inline constexpr const char* kBootLockClear = "--> Стирание и запись загрузочного блока разрешена";

// Read.
inline constexpr const char* kReadCancelled = "Операция чтения прервана";
inline constexpr const char* kCreateFailed = "Ошибка создания файла";
inline constexpr const char* kReadingInto = "Читаем в файл: ";
inline constexpr const char* kReadMainAndInfo = "Выбрано чтение MAIN и INFO блоков";
inline constexpr const char* kReadMainOnly = "Выбрано чтение только MAIN блока";
inline constexpr const char* kReadStarted = "Начали чтение MEC16 main block ...";
inline constexpr const char* kBadId = "Неверный ID. Операция прервана!";
inline constexpr const char* kUserStop = "Пользователь прервал операцию чтения.";
inline constexpr const char* kMainReadDone = "Чтение MAIN блока завершено успешно.";
inline constexpr const char* kInfoReadStarting = "Запускаем чтение INFO блока.";
inline constexpr const char* kInfoReadDone = "Чтение INFO блока завершено успешно.";
inline constexpr const char* kFileWriteFailed = "Ошибка записи в файл. Чтение прервано.";
// A failed read keeps what it received under another name: the name follows, then
// kPartialBytes and the byte count.
inline constexpr const char* kPartialKept = "Образ НЕ полный, прочитанные данные сохранены в файле: ";
inline constexpr const char* kPartialBytes = ", байт: ";
// A block with bytes after it that the programmer should not have sent: the data that
// follows cannot be placed in the file.
inline constexpr const char* kStrayBytes = "Лишние байты от программатора. Чтение прервано.";

// Every read is taken twice and the two compared: a poor contact gives reads that differ.
inline constexpr DoubleReadTexts kDoubleRead{
    .firstRead = "Чтение 1 из 2.",
    .secondRead = "Чтение 2 из 2: сверяем с первым.",
    .readsMatch = "Оба чтения совпали, образ сохранён.",
    .differIn = "ОШИБКА: два чтения различаются в ",
    .firstAt = " байтах, первое отличие по адресу ",
    .checkContacts = ": проверьте кабель и контакты, затем прочитайте снова.",
    .readKept = "Чтение сохранено для сравнения в файле: ",
    .unconfirmedKept = "Первое чтение (не сверено) сохранено в файле: ",
    .fileWriteFailed = kFileWriteFailed,
    .partial = {kPartialKept, kPartialBytes, ""},
};

// Erase.
inline constexpr const char* kEraseRefused = "--> Каманда стирания отменена.";
inline constexpr const char* kEraseDone = "Стирание завершено успешно.";
inline constexpr const char* kEraseNeverEnded = "MEC16 не закончил стирание, занят слишком долго (E108)";

// Write.
inline constexpr const char* kWriteCancelled = "Операция записи прервана";
inline constexpr const char* kOpenFailed = "Ошибка открытия файла";
inline constexpr const char* kWritingFrom = "Записываем в файл: ";
inline constexpr const char* kWriteMainAndInfo = "Выбрана запись MAIN и INFO блоков";
inline constexpr const char* kWriteMainOnly = "Выбрана запись только MAIN блока";
inline constexpr const char* kWriteStarted = "Начали запись MEC16 main block ...";
inline constexpr const char* kWriteRefused = "--> Команда записи отменена (nFWP или BOOT_LOCK)";
inline constexpr const char* kWarning = "-> Предупреждение!";
inline constexpr const char* kFileShorter = "-> Записываемый файл короче!";
inline constexpr const char* kWriteDone = "Запись MAIN блока завершена успешно.";
inline constexpr const char* kFileReadFailed = "Ошибка чтения файла. Запись прервана.";

// Where the link was lost.
namespace lost {
inline constexpr const char* kI100 = "Потеряна связь с MEC16 (I100)";
inline constexpr const char* kI101 = "Потеряна связь с MEC16 (I101)";
inline constexpr const char* kI102 = "Потеряна связь с MEC16 (I102)";
inline constexpr const char* kI103 = "Потеряна связь с MEC16 (I103)";
inline constexpr const char* kR100 = "Потеряна связь с MEC16 (R100)";
inline constexpr const char* kR101 = "Потеряна связь с MEC16 (R101)";
inline constexpr const char* kP100 = "Потеряна связь с MEC16 (P100).";
inline constexpr const char* kP101 = "Потеряна связь с MEC16 (P101).";
inline constexpr const char* kP102 = "Потеряна связь с MEC16 (P102)";
inline constexpr const char* kP103 = "Потеряна связь с MEC16 (P103).";
inline constexpr const char* kP104 = "Потеряна связь с MEC16 (P104).";
inline constexpr const char* kP105 = "Потеряна связь с MEC16 (P105).";
inline constexpr const char* kP106 = "Потеряна связь с MEC16 (P106)";
inline constexpr const char* kP107 = "Потеряна связь с MEC16 (P107).";
inline constexpr const char* kP108 = "Потеряна связь с MEC16 (P108).";
inline constexpr const char* kP109 = "Потеряна связь с MEC16 (P109).";
inline constexpr const char* kP110 = "Потеряна связь с MEC16 (P110).";
inline constexpr const char* kP111 = "Потеряна связь с MEC16 (P111).";
inline constexpr const char* kP112 = "Потеряна связь с MEC16 (P112)";
inline constexpr const char* kE100 = "Потеряна связь с MEC16 (E100)";
inline constexpr const char* kE101 = "Потеряна связь с MEC16 (E101)";
inline constexpr const char* kE102 = "Потеряна связь с MEC16 (E102)";
inline constexpr const char* kE103 = "Потеряна связь с MEC16 (E103)";
inline constexpr const char* kE104 = "Потеряна связь с MEC16 (E104)";
inline constexpr const char* kE105 = "Потеряна связь с MEC16 (E105)";
inline constexpr const char* kE106 = "Потеряна связь с MEC16 (E106)";
inline constexpr const char* kE107 = "Потеряна связь с MEC16 (E107)";
inline constexpr const char* kTW001 = "Потеряна связь с MEC16 (TW001)";
inline constexpr const char* kW100 = "Потеряна связь с MEC16 (W100)";
inline constexpr const char* kW101 = "Потеряна связь с MEC16 (W101)";
inline constexpr const char* kW101A = "Потеряна связь с MEC16 (W101A)";
inline constexpr const char* kW102 = "Потеряна связь с MEC16 (W102)";
inline constexpr const char* kW103 = "Потеряна связь с MEC16 (W103)";
inline constexpr const char* kW104 = "Потеряна связь с MEC16 (W104).";
inline constexpr const char* kW105 = "Потеряна связь с MEC16 (W105).";
inline constexpr const char* kW106 = "Потеряна связь с MEC16 (W106)";
}  // namespace lost

// The log's opening lines (the trailing blanks belong to them).
inline constexpr std::array<const char*, 5> kInitialLines{
    "Не готова запись INFO блока ",
    "Не готова верификация, но можно сравнить в стороннем ",
    "редакторе",
    "Перед записью нужно стереть! Автоматом пока не делает. ",
    "",
};

// HELP: the adapter's JTAG connector and what the mainboard needs.
inline constexpr std::array<const char*, 16> kHelpLines{
    "Распиновка для расширенной версии (PCB2):",
    "1-JRST mec16 (не обязательно!)",
    "2-TMS mec16",
    "3-TDO mec16",
    "5-TCLK mec16",
    "6-GND",
    "7-TDI mec16",
    "Для первой версии (PCB1) 1-JRST оставить без подключения. ",
    "",
    "Для ЗАПИСИ MEC нужно поставить R 2кОм на +3V с ножки nFWP. Снимать R на GND, не нужно.",
    "Проверить, что ножка JTAG_RESET не притянута на GND R 0Ом",
    "",
    "Один из выводов VCI_IN0(D2),VCI_IN1(F4),VCI_IN2(C2),VCI_IN3(E1) посадить перемычкой на "
    "землю - зависит от MB.",
    "Для MBX-237 нужно посадить на землю VCI_IN1(F4).",
    "Для работы с MEC, должно присутствовать +3V на всех VTR.",
    "Не тестировалось с MEC1619 - могут быть проблемы с записью.",
};

// The steps around erase and write: backup, blank check, read-back.
inline constexpr const char* kBackupReadMain = "Читаем MAIN блок в резервную копию.";
inline constexpr const char* kBackupReadMainAndInfo = "Читаем MAIN и INFO блоки в резервную копию.";
inline constexpr const char* kBlankCheckRead = "Читаем MAIN блок: проверяем, что он стёрт.";
inline constexpr const char* kVerifyRead = "Читаем MAIN блок для проверки записи.";
inline constexpr const char* kEraseCheckRead = "Читаем стёртые блоки для проверки.";
inline constexpr const char* kMainNotBlank =
    "MAIN блок не стёрт: запись поверх оставит смесь старых и новых данных. Сначала сотрите.";
inline constexpr const char* kWriteAnyway = "Записать всё равно?";
inline constexpr const char* kWriteNotVerified = "Запись без проверки (проверка выключена).";
// The button under the controls that opens the backups folder.
inline constexpr const char* kBackupsFolderButton = "Папка резервных копий";
inline constexpr SafetyTexts kSafety{
    .tool = "mec16",
    .askGoOn = "Продолжить?",
    .cancelled = "Операция отменена, микросхема не изменена.",
    .backupReadFailed = "Резервная копия не прочитана: ничего не стёрто и не записано.",
    .backupSaved = "Резервная копия сохранена: ",
    .backupNotSaved = "Резервная копия не сохранена, ничего не стёрто и не записано: ",
    .verifyReadFailed = "Проверка не выполнена: микросхема не прочитана, запись не подтверждена.",
    .verifyOk = "Проверка пройдена: микросхема содержит записанный образ.",
    .blankOk = "Проверка пройдена: стёртые блоки чистые (все байты FFh).",
    .mismatchAt = "ОШИБКА проверки: первое отличие по адресу ",
    .mismatchCount = ", отличающихся байт: ",
    .mismatchEnd = ".",
};

// A write or erase that failed once it had begun changing the flash.
inline constexpr PartlyChangedTexts kPartlyWritten{
    .line = "Флеш-память теперь частично записана: не выключайте питание и не отключайте "
            "плату, запишите образ ещё раз.",
    .backupLead = " Прежняя прошивка в резервной копии: ",
    .backupEnd = "",
};
inline constexpr PartlyChangedTexts kPartlyErased{
    .line = "Флеш-память теперь частично стёрта: не выключайте питание и не отключайте плату, "
            "сотрите её снова и запишите образ ещё раз.",
    .backupLead = " Прежняя прошивка в резервной копии: ",
    .backupEnd = "",
};

// The window.
inline constexpr const char* kCaption = "Чтение и запись MEC16";
inline constexpr const char* kCheckButton = "Проверка отклика от MEC16";
inline constexpr const char* kBootLockLabel = "Зеленый=Boot_Lock не установлен";
inline constexpr const char* kFwpLabel = "Зеленый=запись/стирание разрешено";
inline constexpr const char* kReadInfoBox = "INFO область тоже читать в файл";
inline constexpr const char* kReadButton = "Чтение FLASH MEC16 ";
inline constexpr const char* kEraseInfoBox = "INFO область тоже стирать";
inline constexpr const char* kEraseButton = "Стирание FLASH MEC16";
inline constexpr const char* kWriteInfoBox = "INFO область тоже записывать";
inline constexpr const char* kWriteButton = "Запись FLASH MEC16";
inline constexpr const char* kExitButton = "СТОП или ВЫХОД";
inline constexpr const char* kHelpButton = "HELP";
inline constexpr const char* kSaveFilter = "BIN файл MEC16 (*.bin)|*.bin";
inline constexpr const char* kOpenFilter = "BIN файл MEC16 (*.bin)|*.bin|Другие|*.*";

}  // namespace tarvex::mec16::text
