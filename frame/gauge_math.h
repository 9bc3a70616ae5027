#pragma once
// The progress gauge's arithmetic, shared by the widget and the tests.

#include <string>

namespace tarvex {

int clampGauge(int progress, int minimum, int maximum);
// floor(100 * (progress - minimum) / (maximum - minimum)), 0 when maximum equals minimum.
int gaugePercent(int progress, int minimum, int maximum);
std::string gaugeText(int progress, int minimum, int maximum);
// The progress after `done` of `blocks` blocks: (maximum / blocks) * done.
int gaugeStep(int maximum, int blocks, int done);

}  // namespace tarvex
