#include "link/link_quality.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "link/connection_test.h"
#include "link/line_timing.h"

namespace tarvex {

namespace {

namespace text = link_quality_text;

// Past this many, failed handshakes are only counted: a dead link would otherwise fill the
// log with thousands of the same line.
constexpr int kFailureLinesShown = 10;

// The answer to 'B' is the three tag bytes.
const auto kAnswerBound = line_timing::answerBound(1, 3);

std::string millis(std::chrono::steady_clock::duration d) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.2f",
                std::chrono::duration<double, std::milli>(d).count());
  return digits;
}

std::string hexBytes(const std::array<std::uint8_t, 3>& bytes) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02X %02X %02X", bytes[0], bytes[1], bytes[2]);
  return digits;
}

std::chrono::steady_clock::duration median(std::vector<std::chrono::steady_clock::duration> v) {
  std::sort(v.begin(), v.end());
  const std::size_t mid = v.size() / 2;
  return v.size() % 2 == 1 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
}

void logFailure(LogSink& log, int number, const HandshakeOutcome& outcome, int failures) {
  if (failures > kFailureLinesShown) return;
  if (failures == kFailureLinesShown + 1) {
    log.logLine(text::kMoreFailures);
    return;
  }
  std::string line = text::kHandshake + std::to_string(number);
  switch (outcome.kind) {
    case HandshakeOutcome::kNotOpened:
      line += text::kNotOpened;
      break;
    case HandshakeOutcome::kNoAnswer:
      line += text::kNoAnswer;
      break;
    case HandshakeOutcome::kWrongTag:
      line += text::kWrongTag + hexBytes(outcome.reply);
      break;
    case HandshakeOutcome::kRightTag:
      return;
  }
  log.logLine(line);
}

void count(LinkQuality& quality, int number, const HandshakeOutcome& outcome, LogSink& log) {
  ++quality.run;
  if (outcome.kind == HandshakeOutcome::kRightTag || outcome.kind == HandshakeOutcome::kWrongTag) {
    quality.answerTimes.push_back(outcome.answerTime);
  }
  if (outcome.kind == HandshakeOutcome::kRightTag) return;
  if (outcome.kind == HandshakeOutcome::kWrongTag) {
    ++quality.wrongTag;
  } else {
    ++quality.lost;
  }
  logFailure(log, number, outcome, quality.lost + quality.wrongTag);
}

}  // namespace

bool reportLinkQuality(const LinkQuality& q, LogSink& log) {
  if (q.stopped) {
    log.logLine(text::kStopped + std::to_string(q.run) + " из " + std::to_string(q.asked));
  }
  const int failed = q.lost + q.wrongTag;
  log.logLine(text::kCounts + std::to_string(q.run) + text::kFailed + std::to_string(failed));

  bool slow = false;
  if (!q.answerTimes.empty()) {
    const auto [lo, hi] = std::minmax_element(q.answerTimes.begin(), q.answerTimes.end());
    const auto middle = median(q.answerTimes);
    // The median, not the slowest: one answer held up by a busy host says nothing about
    // the line, most answers held up do.
    slow = middle > kAnswerBound;
    log.logLine(text::kTimes + millis(*lo) + text::kMedian + millis(middle) + text::kMaximum +
                millis(*hi) + text::kLineGives + millis(kAnswerBound) + ")");
  }

  if (q.lost > 0) log.logLine(text::kLost + std::to_string(q.lost));
  if (q.wrongTag > 0 && q.wrongTag == q.run) {
    log.logLine(text::kOtherFirmware);
  } else if (q.wrongTag > 0) {
    log.logLine(text::kGarbled + std::to_string(q.wrongTag));
  }
  if (slow) log.logLine(text::kSlow);

  const bool sound = failed == 0 && !slow && q.run > 0;
  if (q.stopped) {
    log.logLine(text::kUnfinished);
    return false;
  }
  if (sound) log.logLine(text::kSound);
  return sound;
}

bool runLinkQualityTest(FtBus& bus, LogSink& log, int repeats, const std::atomic<bool>* stop) {
  if (repeats < kMinRepeats || repeats > kMaxRepeats) return false;

  const ConnectionWalk walk = walkConnection(bus, log);
  if (!walk.answeredIndex) {
    log.logLine(text::kNotRun);
    return false;
  }

  LinkQuality quality;
  quality.asked = repeats;
  log.logLine(text::kRepeating + std::to_string(repeats));
  // The report's own handshake is the first of them.
  count(quality, 1, walk.answer, log);
  for (int n = 2; n <= repeats; ++n) {
    if (stop && stop->load()) {
      quality.stopped = true;
      break;
    }
    count(quality, n, quietHandshake(bus, *walk.answeredIndex), log);
  }
  return reportLinkQuality(quality, log);
}

}  // namespace tarvex
