#include "base/screen_scale.h"

#include <cstdint>

namespace {

int UsableDpi(int dpi) { return dpi >= 1 ? dpi : kBaseDpi; }

// value * numerator / denominator, rounded half away from zero, as MulDiv does.
int Scaled(int value, int numerator, int denominator) {
  const int64_t product = static_cast<int64_t>(value) * numerator;
  const int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

int ScaledToDpi(int pixels, int dpi) { return Scaled(pixels, UsableDpi(dpi), kBaseDpi); }

int FontHeightAtDpi(int height, int fromDpi, int toDpi) { return Scaled(height, UsableDpi(toDpi), UsableDpi(fromDpi)); }
