#pragma once

// The board file stores a font size as a height in pixels, negative
// (a character height, not a cell height).
namespace stream {

// -round(pointSize * dpi / 72), halves away from zero.
int fontHeightFromPointSize(int pointSize, int dotsPerInch);
// round(-height * 72 / dpi), halves away from zero; 0 for a dpi <= 0.
int pointSizeFromFontHeight(int height, int dotsPerInch);

} // namespace stream
