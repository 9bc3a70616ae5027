#pragma once
// The link-quality test: the handshake made N times with the adapter that answers, each
// time exactly as the connection test makes it (open, set up, 'B', three bytes, close). The
// first is the connection test itself, with its full report; the others log only what went
// wrong. Then it counts the handshakes that failed, times the answers and says whether the
// link is sound or what looks wrong: answers lost, a firmware tag that comes back wrong,
// answers slower than the line gives.

#include <atomic>
#include <chrono>
#include <vector>

#include "link/ft_device.h"
#include "base/log_sink.h"

namespace tarvex {

inline constexpr int kMinRepeats = 1;
inline constexpr int kMaxRepeats = 10000;
// The connection test window's "Repeat 100 times".
inline constexpr int kWindowRepeats = 100;

struct LinkQuality {
  int asked = 0;     // handshakes asked for
  int run = 0;       // handshakes made (fewer when stopped)
  int lost = 0;      // no three-byte answer, or the device did not open
  int wrongTag = 0;  // three bytes, but not the expected tag (or bytes after it)
  bool stopped = false;
  // Of every handshake that got three bytes.
  std::vector<std::chrono::steady_clock::duration> answerTimes;
};

// True only when every one of `repeats`
// handshakes (kMinRepeats..kMaxRepeats, others are refused) passed, within the time the
// line should give. `stop`, when given, ends the test before the next handshake; a stopped
// test is not a passed one.
bool runLinkQualityTest(FtBus& bus, LogSink& log, int repeats,
                        const std::atomic<bool>* stop = nullptr);

// The summary lines and the verdict, from the counts alone; true when the link is sound.
bool reportLinkQuality(const LinkQuality& quality, LogSink& log);

namespace link_quality_text {
inline constexpr const char* kRepeating = "Проверка качества связи: рукопожатий ";
inline constexpr const char* kHandshake = "Рукопожатие ";
inline constexpr const char* kNotOpened = ": порт не открылся";
inline constexpr const char* kNoAnswer = ": нет ответа в три байта";
inline constexpr const char* kWrongTag = ": неверная версия ПО ";
inline constexpr const char* kMoreFailures = "Дальнейшие сбои только подсчитываются.";
inline constexpr const char* kStopped = "Проверка остановлена после рукопожатия ";
inline constexpr const char* kCounts = "Рукопожатий: ";
inline constexpr const char* kFailed = ", неудачных: ";
inline constexpr const char* kTimes = "Время ответа, мс: минимум ";
inline constexpr const char* kMedian = ", медиана ";
inline constexpr const char* kMaximum = ", максимум ";
inline constexpr const char* kLineGives = " (линия даёт не больше ";
inline constexpr const char* kSound = "Связь в порядке.";
inline constexpr const char* kLost =
    "Ответы теряются: проверьте кабель, контакты и разъём USB. Без ответа: ";
inline constexpr const char* kGarbled =
    "Версия ПО приходит искажённой: байты портятся на линии, проверьте кабель и контакты. "
    "Искажённых ответов: ";
inline constexpr const char* kOtherFirmware =
    "Программатор каждый раз отвечает другой версией ПО: нужна прошивка V41.";
inline constexpr const char* kSlow =
    "Ответы медленнее, чем должна давать линия: проверьте USB-хаб, удлинитель и загрузку "
    "компьютера.";
inline constexpr const char* kUnfinished = "Проверка не закончена: о связи судить рано.";
inline constexpr const char* kNotRun =
    "Проверка качества связи не выполнялась: программатор не ответил.";
}  // namespace link_quality_text

}  // namespace tarvex
