#pragma once
// A run's per-mille progress as the wizards show it: a bar of 100 steps and a percentage.
#include <cstdint>
#include <string>

namespace korvel {

// The bar position on 0 ... 100: any percent begun shows as a full one, so that a run that has
// started never shows an empty bar.
int32_t ProgressBarPosition(int32_t perMille);

// "0.0 %" ... "100.0 %", the tenths of a percent truncated.
std::string ProgressCaption(int32_t perMille);

}  // namespace korvel
