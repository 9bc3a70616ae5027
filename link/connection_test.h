#pragma once
// The verbose connection test: the same search, configuration and handshake as the adapter
// link, reporting the outcome of every device call so the user sees where the connection
// fails. It changes nothing on the adapter and leaves every device closed.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "link/ft_device.h"
#include "base/log_sink.h"

namespace tarvex {

// Logs one report, starting with an empty line so reports stay apart in an appended log.
// True when an adapter answered with the expected firmware tag.
bool runConnectionTest(FtBus& bus, LogSink& log);

// One handshake with the device at `index`, with the report's device calls and bytes, but
// logging nothing. The device is closed again on every way out.
struct HandshakeOutcome {
  enum Kind { kNotOpened, kNoAnswer, kWrongTag, kRightTag };
  Kind kind = kNotOpened;
  std::array<std::uint8_t, 3> reply{};
  // From the request handed to the device to the end of the read of the answer.
  std::chrono::steady_clock::duration answerTime{};
};
HandshakeOutcome quietHandshake(FtBus& bus, std::uint32_t index);

// What the report found: whether the expected firmware answered, and which device answered
// with three bytes at all and how (the walk ends there).
struct ConnectionWalk {
  bool rightFirmware = false;
  std::optional<std::uint32_t> answeredIndex;
  HandshakeOutcome answer;
};
ConnectionWalk walkConnection(FtBus& bus, LogSink& log);

namespace connection_test_text {
inline constexpr const char* kNoList = "FT_CreateDeviceInfoList != FT_OK";
inline constexpr const char* kNoPorts = "VCOM порты не найдены!";
inline constexpr const char* kPortCount = "Количество найденых VCOM портов на машине: ";
inline constexpr const char* kOpenFailed = "Ошибка открытия порта (!= FT_OK) ";
inline constexpr const char* kOpened = "Открыли порт  ";
inline constexpr const char* kDriverVersion = "Версия драйвера этого порта  ";
inline constexpr const char* kReset = "FT_ResetDevice";
inline constexpr const char* kBaud = "FT_SetBaudRate";
inline constexpr const char* kFormat = "FT_SetDataCharacteristics";
inline constexpr const char* kTimeouts300 = "FT_SetTimeouts 300/300";
inline constexpr const char* kPurge = "FT_Purge";
inline constexpr const char* kWriteTag = "FT_Write команда версия устройства";
inline constexpr const char* kWriteShort = "Нам не удалось отправить 'B' (Temp != 1) ";
inline constexpr const char* kReadTag = "Пробуем получить ответ три байта ";
inline constexpr const char* kThreeBytes = "Три байта ответа получено";
inline constexpr const char* kRightFirmware = "Программатор найден, версия ПО верная.";
inline constexpr const char* kTimeouts0 = "FT_SetTimeouts 0/0";
inline constexpr const char* kLatency2 = "FT_SetLatencyTimer 2";
inline constexpr const char* kReconfigured = "Порт переконфигурирован. Закрыли порт и вышли.";
inline constexpr const char* kWrongFirmware =
    "Программатор найден, НО версия ПО неверная. Закрыли порт и вышли.";
inline constexpr const char* kNoThreeBytes = "Не получили ответа в три байта!";
inline constexpr const char* kClose = "FT_Close";
inline constexpr const char* kNobodyAnswered = "Перебрали все порты, нам никто не ответил";
// Appended to a call's name: " FT_OK" or " != FT_OK".
inline constexpr const char* kOk = " FT_OK";
inline constexpr const char* kNotOk = " != FT_OK";
}  // namespace connection_test_text

}  // namespace tarvex
