#pragma once

// How the program rounds fractions. It starts rounding to nearest (halves to
// even) and switches to downward rounding for the rest of the run when the
// first object is created. The C floating-point environment is never changed.
enum class RoundingMode { NearestEven, Downward };

RoundingMode roundingMode();
void setRoundingMode(RoundingMode mode);
int roundFraction(double value);

// The desktop scale D: the virtual desktop height divided by 100, rounded.
int DesktopScale(int virtualDesktopHeight);

// How far a caption's top stands above its shape's top, for a caption text size
// of S points: 6 + round(S * ((S + k) / D)).
int LabelOffset(int textSize, int k, int virtualDesktopHeight);
