#include "frame/gauge_math.h"

#include <algorithm>
#include <cstdint>

namespace tarvex {

int clampGauge(int progress, int minimum, int maximum) {
  if (maximum < minimum) return minimum;
  return std::clamp(progress, minimum, maximum);
}

int gaugePercent(int progress, int minimum, int maximum) {
  if (maximum <= minimum) return 0;
  const std::int64_t done = clampGauge(progress, minimum, maximum) - minimum;
  return static_cast<int>(100 * done / (static_cast<std::int64_t>(maximum) - minimum));
}

std::string gaugeText(int progress, int minimum, int maximum) {
  return std::to_string(gaugePercent(progress, minimum, maximum)) + "%";
}

int gaugeStep(int maximum, int blocks, int done) {
  return blocks > 0 ? (maximum / blocks) * done : 0;
}

}  // namespace tarvex
