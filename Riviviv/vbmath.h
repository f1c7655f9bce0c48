#pragma once
// The arithmetic the button's layout is written in.
#include <cmath>

namespace Brimlet {

// Rounds to a whole number, halves to even (the default rounding mode).
inline long roundHalfEven(double v) { return long(std::nearbyint(v)); }

// The integer division of the layout formulas: the left side rounded (halves to even), then divided by
// the whole-number right side, truncating toward zero.
inline long intDiv(double lhs, long rhs) { return roundHalfEven(lhs) / rhs; }

}  // namespace Brimlet
