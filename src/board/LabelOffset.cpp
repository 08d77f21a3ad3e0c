#include "board/LabelOffset.h"

#include <cmath>

namespace {
RoundingMode currentMode = RoundingMode::NearestEven;
}

RoundingMode roundingMode()
{
    return currentMode;
}

void setRoundingMode(RoundingMode mode)
{
    currentMode = mode;
}

int roundFraction(double value)
{
    if (currentMode == RoundingMode::Downward)
        return int(std::floor(value));
    // Halves to even, whatever the C rounding environment says.
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        return int(lower) + 1;
    return int(lower);
}

int DesktopScale(int virtualDesktopHeight)
{
    return roundFraction(virtualDesktopHeight / 100.0);
}

int LabelOffset(int textSize, int k, int virtualDesktopHeight)
{
    const int scale = DesktopScale(virtualDesktopHeight);
    if (scale <= 0) // a desktop under 50 pixels high: keep the caption just above
        return 6;
    return 6 + roundFraction(textSize * (double(textSize + k) / scale));
}
